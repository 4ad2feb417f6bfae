#pragma once

// Imports of entries and finish times from files. An import runs in two
// steps: the preview reads the file and checks every row as the window
// checks a hand entry, without storing anything; the store then takes the
// preview and stores its accepted rows, all in one transaction. A window
// shows the preview and lets the user choose; a command line can store the
// accepted rows when some are refused, or store nothing after the preview.

#include "core/categoryscheme.h"
#include "core/csv.h"
#include "core/entrycolumns.h"
#include "core/outcome.h"
#include "core/records.h"

#include <QByteArray>
#include <QDate>
#include <QList>
#include <QString>
#include <QStringList>
#include <optional>

class RaceSession;

namespace imports {

// One row of an entry file and what the import makes of it.
struct EntryPreviewRow {
    int lineNumber = 0;    // line of the file the row starts on, from 1
    Competitor competitor; // as it would be stored; a refused row holds the fields as read
    QString birthDateText; // the birth date as read, also when it is no date
    QString refusal;       // why the row is refused; empty when it is accepted
    // The category label as read from the file or its default (empty when
    // none): carried for matching against the race's categories.
    QString category;
    // The values cut to their field's length, each as "Klub „from” → „to”".
    QStringList cuts;
    bool accepted() const { return refusal.isEmpty(); }
    bool cut() const { return !cuts.isEmpty(); }
};

struct EntryPreview {
    qint64 raceId = 0; // the race the rows were checked for; 0 when none
    QDate raceDate;    // its date, which the birth-year check used
    int startListSize = 0; // the start list's length then
    // Set when the file as a whole is refused (or no race is open, or the
    // lists could not be read); rows are empty then.
    QString fileRefusal;
    QList<EntryPreviewRow> rows;
    int acceptedCount = 0;
    int refusedCount = 0;
    // The category codes of the file that are no categories of the race,
    // each once, in the file's order; their rows are refused.
    QStringList unknownCategories;
    // The rules the rows were checked with when they are not the race's
    // (EntryImportOptions::rules): stored with the rows.
    std::optional<RaceRules> rules;

    bool fileRefused() const { return !fileRefusal.isEmpty(); }
    // Whether anything of the file is refused: the file itself or any row.
    bool anyRefused() const { return fileRefused() || refusedCount > 0; }
};

// The race's rules with categories for these codes added, read from their
// form (schemes::categoriesFromCodes): after the race's own categories, or
// in place of the standard ones. To be checked (and changed) before they
// are stored.
RaceRules rulesWithCodes(const RaceSession& session, const QStringList& codes);

// Reads an entry file and checks each row with the checks of a hand entry,
// in their order and with their messages: the required fields, the birth
// date, the birth year against the race date, the start number against the
// start list and the rows accepted before it in the file. Then the lengths of
// the form's fields (a longer value is refused, never cut) and the sex, which
// must be M or Ž.
EntryPreview previewEntries(RaceSession& session, const QByteArray& file);

// How an entry file is read: the meaning of its columns, the values of
// fields it lacks, and what becomes of values longer than their field.
struct EntryImportOptions {
    // The file's columns; none: by its header line, which must then name a
    // name column and, unless a default stands for them, the country, club
    // and birth date (or year) columns.
    std::optional<io::EntryLayout> layout;
    // Values for a field whose column is missing or whose cell is empty.
    io::EntryDefaults defaults;
    // Cut the name, country and club at whole characters to the form's
    // length rather than refuse them. A start number is never cut: a shorter
    // number would be somebody else's.
    bool cutLong = false;
    // A row missing a required value is refused naming the field
    // ("Nedostaje klub."); otherwise with the form's own message.
    bool nameMissingField = true;
    // The rows are checked against these rules' categories instead of the
    // race's, and stored with them.
    std::optional<RaceRules> rules;
};

// previewEntries of a file read as CSV, by the options. The plain
// previewEntries is this with no options and the form's message for a
// missing value.
EntryPreview previewEntries(RaceSession& session, const io::CsvResult& file, const EntryImportOptions& options);

// Stores the preview's accepted rows in one transaction and reads the lists
// again. Refused when the preview is of no race, of another race than the
// current one, accepts nothing, or no longer fits the race (its date, or a
// start number another writer has given since); nothing is stored then, nor
// when the store fails.
Status importEntries(RaceSession& session, const EntryPreview& preview);

// One line of a time file and what the import makes of it.
struct TimePreviewRow {
    int lineNumber = 0;
    QString sbroj;          // as written, trimmed
    QString time;           // "hh:mm:ss"; empty when it could not be read
    qint64 competitorId = 0; // the start-list entry with this number; 0 when none
    QString refusal;        // empty when accepted
    bool accepted() const { return refusal.isEmpty(); }
};

struct TimePreview {
    qint64 raceId = 0;
    QString fileRefusal;
    QList<TimePreviewRow> rows;
    int acceptedCount = 0;
    int refusedCount = 0;

    bool fileRefused() const { return !fileRefusal.isEmpty(); }
    bool anyRefused() const { return fileRefused() || refusedCount > 0; }
};

// Reads a time file and checks each line: the time must be readable, the
// start number on the start list, its competitor without a finish record,
// and the number not named by an earlier line of the file.
TimePreview previewTimes(RaceSession& session, const QByteArray& file);

// Stores the preview's accepted lines in one transaction and reads the lists
// again; refused as importEntries is.
Status importTimes(RaceSession& session, const TimePreview& preview);

} // namespace imports
