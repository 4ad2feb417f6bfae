#pragma once

// Finish times as timing devices and timing apps write them, and files of
// start numbers with their finish times.

#include <QByteArray>
#include <QList>
#include <QString>

#include <optional>

namespace io {

// A time read from text: the time in the program's form "hh:mm:ss", or the
// Croatian reason it was refused.
struct TimeReading {
    QString time;
    QString refusal;
    bool ok() const { return refusal.isEmpty(); }
};

// Reads h:mm:ss, hh:mm:ss, m:ss or mm:ss; in the two-part shapes the
// minutes may pass 59 (64:04 is 01:04:04). A fraction of a second after the
// seconds (".3", ",47") rounds up to the next whole second when it is not
// zero, as road races round. Refused: seconds of 60 or more, minutes of 60
// or more in h:mm:ss, and times of 60 hours or more (after rounding).
TimeReading readTime(const QString& text);

// The time in "hh:mm:ss", or nothing when readTime refuses it.
std::optional<QString> normaliseTime(const QString& text);

// One line of a time file.
struct TimeLine {
    int lineNumber = 0; // from 1
    QString sbroj;      // as written, trimmed, quotes removed
    QString time;       // "hh:mm:ss"; empty when refused
    QString refusal;    // why the line was refused; empty when read
    bool ok() const { return refusal.isEmpty(); }
};

struct TimeFileResult {
    QList<TimeLine> lines;
    QString error; // set when the file is no UTF-8 text; lines empty then
    bool ok() const { return error.isEmpty(); }
};

// A file of lines "start number, time": the two apart by a comma,
// semicolon, tab or blanks, either may be in double quotes. Blank lines are
// skipped. A first line whose time cannot be read and whose start number is
// not a number is a header and skipped; every other line gives a TimeLine.
TimeFileResult readTimeFile(const QByteArray& bytes);

} // namespace io
