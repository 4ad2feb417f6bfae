#pragma once

#include <QHash>
#include <QString>
#include <QStringList>

class QTextStream;
class RaceSession;

namespace cli {

// kelvora rules: without files prints the race's categories and prizes;
// with --categories and/or --prizes sets them from the files, all or
// nothing. The exit code of the command.
// The team rule's options (--teams N, --team-by sex|all, --team-score
// places|times, --team-prizes T, --no-club TEKST...) change the race's team
// rule in the same store; --teams 0 turns team results off.
int runRules(RaceSession& session, const QString& categoriesPath, const QString& prizesPath, QTextStream& out,
             QTextStream& err, const QHash<QString, QString>& teamOptions = {}, const QStringList& noClub = {});

} // namespace cli
