#pragma once

// Entry files: start lists kept in a spreadsheet and saved as CSV, one
// competitor a row under a header row that names the columns.

#include "core/csv.h"
#include "core/entrycolumns.h"

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
    QString kategorija;    // the category label as read; empty when none
    QString birthYearText; // the year as read when the birth is given by a year alone
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

// The rows of a read CSV file by an explicit layout: each column read as
// its meaning says (a header line left out when layout.header), a missing
// column or an empty cell given its default. A birth year alone gives the
// birth date 1 January of that year (the age rule counts years only, so age
// and category are those of any date of that year); a year that is no
// four-digit year leaves the date empty and keeps the year as read. A run
// of spaces in a name or a club becomes one ("David  Aitken " is "David Aitken").
EntryFileResult readEntries(const CsvResult& csv, const EntryLayout& layout, const EntryDefaults& defaults);

// The refusal of a layout that gives no name column, or no country, club or
// birth date (or year) column without a default for it; empty when the
// layout has them. Names the headers found and those expected.
QString missingColumns(const CsvResult& csv, const EntryLayout& layout, const EntryDefaults& defaults);

// readCsv, then readEntries.
EntryFileResult readEntryFile(const QByteArray& bytes);

} // namespace io
