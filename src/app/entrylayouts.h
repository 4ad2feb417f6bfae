#pragma once
// The column maps of entry files this station has imported, kept per station
// (QSettings): a file with the same header line, or without a header and
// with the same number of columns, opens with the map chosen last time.

#include "core/csv.h"
#include "core/entrycolumns.h"

#include <optional>

namespace imports {

// The layout a file opens with: the one remembered for its header line;
// else its headers' when its first line has a known header; else the one
// remembered for its number of columns; else io::recogniseLayout. A
// remembered layout is fitted to the file's number of columns. categories:
// the race's, whose labels mark a category column.
io::EntryLayout startingLayout(const io::CsvResult& file, const CategoryScheme* categories = nullptr);

// Remembers the layout for the file's header line (when layout.header) or
// for its number of columns (otherwise).
void rememberLayout(const io::CsvResult& file, const io::EntryLayout& layout);

} // namespace imports
