#pragma once

#include <QString>

struct DbLocation;

// The database driver's own words, kept for whoever looks into a failure
// later: the user is told the cause in a sentence of the program's own.
namespace driverlog {

// The log of a database: beside an SQLite file, under its name with ".log"
// (kvr.mdb: kvr.log); for a server, "kelvora.log" in the user's data folder.
QString pathFor(const DbLocation& location);

// Appends a line with the time and the text. The text of the line before,
// again within a minute, is not written again: an outage fails every call
// alike. A log over 1 MiB is moved to "<log>.1" (the one before that is
// dropped) and begun anew. A log that cannot be written is passed over.
void write(const QString& path, const QString& text);

} // namespace driverlog
