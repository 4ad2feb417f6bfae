#pragma once

// Commands of timing at the finish line: start, capture, import-capture.
// Each runs on a session whose race --race named, already opened.

#include <QHash>
#include <QStringList>

class QTextStream;
class RaceSession;

namespace cli::finishline {

using Values = QHash<QString, QString>;

int start(RaceSession& session, const Values& values, const QStringList& positional, QTextStream& out,
          QTextStream& err);
int capture(RaceSession& session, const Values& values, const QStringList& positional, QTextStream& out,
            QTextStream& err);
int importCapture(RaceSession& session, const Values& values, const QStringList& positional, QTextStream& out,
                  QTextStream& err);

} // namespace cli::finishline
