#pragma once

// The column map of an entry file: what each column of the file means. A
// file with a header line gets its map from the headers; a file without one
// (registration exports often have none) gets a map guessed only from the
// values that are unmistakable, and the user or the command line names the
// rest. Nothing else is read from a column whose meaning is not given.

#include "core/categoryscheme.h"
#include "core/csv.h"

#include <QList>
#include <QMap>
#include <QString>
#include <QStringList>
#include <optional>

namespace io {

// What a column of an entry file holds. The order of the first eight is the
// order of the headers in the refusal of a file without its columns.
enum class EntryColumn {
    StartNumber,
    FullName,  // "Prezime Ime" or "Ime Prezime", as written
    FirstName, // joined after the last name, as a header file joins them
    LastName,
    Country,
    Club,
    Sex,
    BirthDate,
    BirthYear, // a year alone ("1980")
    Category,  // a category label, carried for the race's categories
    Skip,      // "ne uvozi"
};
inline constexpr int kEntryColumnKinds = int(EntryColumn::Skip) + 1;

// The meanings in the order a choice offers them, "ne uvozi" last.
QList<EntryColumn> entryColumnChoices();
// The name of a meaning on the command line ("startni_broj", ..., "-").
QString entryColumnKey(EntryColumn column);
// The meaning of a command-line name; none for an unknown name.
std::optional<EntryColumn> entryColumnNamed(QStringView key);
// The caption of a meaning in the window ("startni broj", ..., "ne uvozi").
QString entryColumnCaption(EntryColumn column);

// The headers that name a meaning, as a refusal shows them (none for Skip).
const QStringList& entryColumnHeaders(EntryColumn column);

// The meaning of one header, folded as foldHeader folds it; Skip when no
// known header names it.
EntryColumn columnOfHeader(const QString& header);

// The meanings of a file's columns, one per column of its widest row, and
// whether its first line is a header to leave out.
struct EntryLayout {
    QList<EntryColumn> columns;
    bool header = false;
    bool operator==(const EntryLayout&) const = default;
    // The column that holds a meaning, or -1.
    qsizetype indexOf(EntryColumn column) const;
};

// The layout as the headers give it: each header's meaning, the first
// header of a meaning taking it and later ones Skip. header is true.
EntryLayout headerLayout(const CsvResult& csv);

// The layout of a file as first shown: the headers' when any cell of the
// first line is a known header; otherwise no header, and each column by
// its first values: birth years (four digits from 1800 to 2099), birth
// dates, sexes (one letter M, Ž, Z, F or W), categories (labels of the
// race's categories, letter case ignored, or codes of the usual forms: MS,
// FSen, M40, FU18), countries (three capital letters) or start numbers
// (digits only, no value twice), each meaning to its leftmost column; then,
// of the columns of other text from left to right, the runner's name (two
// neighbouring columns of single words: first and last name; or mostly two
// words or more, nearly all different) and the club (texts that repeat, or
// the first text after the name). Every other column is Skip.
EntryLayout recogniseLayout(const CsvResult& csv, const CategoryScheme* categories = nullptr);

// The number of columns of a file: its widest row among the first ones.
qsizetype columnCount(const CsvResult& csv);

// A value given for a field when its column is missing or its cell empty,
// read as a value of the file would be.
using EntryDefaults = QMap<EntryColumn, QString>;

// A --columns list: names apart by commas, "-" for a column to skip.
// Refused, with a Croatian message, for an unknown name or a meaning named
// twice.
struct ColumnListResult {
    QList<EntryColumn> columns;
    QString error;
    bool ok() const { return error.isEmpty(); }
};
ColumnListResult parseColumnList(const QString& list);
// The layout's columns as a --columns list names them.
QString columnList(const EntryLayout& layout);

// One --default FIELD=VALUE added to defaults; the message for an unknown
// field, a field without a default (start number, the name columns) or a
// field given twice; empty when added.
QString addDefault(const QString& text, EntryDefaults& defaults);

} // namespace io
