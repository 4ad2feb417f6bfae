#pragma once

// Entry files: start lists kept in a spreadsheet and saved as CSV, one
// competitor a row under a header row that names the columns.

#include "core/csv.h"

#include <QList>
#include <QString>

namespace io {

// One competitor as read from the file, fields trimmed. Nothing is checked
// here beyond reading: the sex and the birth date are given in the program's
// own form when they can be read ("M" / "Ž", "dd.MM.yyyy") and as written
// otherwise, so that the entry checks refuse them with their usual messages.
struct EntryRow {
    int lineNumber = 0; // line of the file the row starts on, from 1
    QString sbroj;      // start number; empty when the file has no such column
    QString ime;        // "Prezime Ime" when the file gives the two apart
    QString drzava;
    QString klub;
    QString spol;       // empty when the file has no such column
    QString datumText;
};

struct EntryFileResult {
    QList<EntryRow> rows;
    QString error; // set when the file cannot be read or its columns not found
    bool ok() const { return error.isEmpty(); }
};

// A header folded for matching: lower case, č ć -> c, đ -> d, š -> s,
// ž -> z (and other accents dropped), "_" read as a blank, blanks trimmed
// and runs of blanks made one, a trailing ":" or "*" dropped.
QString foldHeader(const QString& header);

// "M" for m; "Ž" for ž, z, f, w (either case); any other text as written,
// trimmed.
QString readSex(const QString& text);

// A birth date written as d.m.yyyy, d.m.yy (00-29 -> 20xx, 30-99 -> 19xx;
// a trailing dot and blanks allowed) or yyyy-mm-dd, given as "dd.MM.yyyy";
// any other text as written, trimmed.
QString readBirthDate(const QString& text);

// The rows of a read CSV file whose first row is the header. The name,
// country, club and birth-date columns are required; a file without one of
// them is refused with a message naming the headers found and expected.
EntryFileResult readEntries(const CsvResult& csv);

// readCsv, then readEntries.
EntryFileResult readEntryFile(const QByteArray& bytes);

} // namespace io
