#pragma once

#include <QStringList>

class QTextStream;

// The command line: the program's commands without a window. Each command
// prints its result to out and its errors to err, and returns the exit
// status: 0 done, 1 refused or failed, 2 wrong use of the command line.
namespace cli {

// Whether the arguments (argv, the program first) name a command rather
// than the window.
bool isCommand(const QStringList& arguments);

// The database the window or a command works on: --db, else the
// environment variable KELVORA_DB, else the given default.
QString databaseArgument(const QStringList& arguments, const QString& defaultLocation);

int run(const QStringList& arguments, const QString& defaultLocation, QTextStream& out, QTextStream& err);

// The manual page (roff) and the bash completion script, made from the
// commands' own help texts and options (kelvora --man, --bash-completion).
QString manPage();
QString bashCompletion();

} // namespace cli
