#pragma once

#include <QString>

class QTextStream;
class RaceSession;

namespace cli {

// kelvora serve: serves the session's current race as live results until
// SIGINT (Ctrl+C) or SIGTERM, then stops cleanly. portText empty: 8080;
// addressText empty: every address of the computer; refreshText empty: 20
// seconds. Returns the exit status.
int serveRace(RaceSession& session, const QString& addressText, const QString& portText, const QString& refreshText,
              QTextStream& out, QTextStream& err);

} // namespace cli
