#pragma once

#include <QHash>
#include <QString>
#include <QStringList>

class QTextStream;
class Database;

namespace cli {

// kelvora series: without --name lists the series of the database; with
// --name makes the series of that name, or changes it, all or nothing,
// and prints its key. values are the options given once, noClub every
// --no-club given (none: the list stays as stored). The exit code.
int runSeries(Database& db, const QHash<QString, QString>& values, const QStringList& noClub, QTextStream& out,
              QTextStream& err);

} // namespace cli
