#pragma once

#include <QString>

class QTextStream;
class RaceSession;

namespace cli {

// kelvora rules: without files prints the race's categories and prizes;
// with --categories and/or --prizes sets them from the files, all or
// nothing. The exit code of the command.
int runRules(RaceSession& session, const QString& categoriesPath, const QString& prizesPath, QTextStream& out,
             QTextStream& err);

} // namespace cli
