#pragma once

class QString;
class QTextStream;
class RaceSession;

namespace cli {

// Prints the current race's change log, newest first: "text" (cells apart
// by tabs, a line per change) or "csv" (as the log's window exports it).
int printChangeLog(RaceSession& session, const QString& format, QTextStream& out, QTextStream& err);

} // namespace cli
