#pragma once

// Lists of the current race written to files: CSV for spreadsheets, one web
// page, and the PDF pages of the printouts (written by print::writePdf from
// exportDocuments). The window's export dialog and the command line both
// build the lists here; nothing here shows anything.

#include "core/csv.h"
#include "core/listlayout.h"
#include "core/outcome.h"
#include "core/standings.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

#include <functional>
#include <optional>

class QIODevice;

class RaceSession;

namespace exports {

// Which list to export.
enum class ExportList {
    StartList,   // start-list entries with a start number, in registration order
    Registered,  // every start-list entry, in registration order
    Finish,      // the finish list with each finisher's details, in time order
    Standings,   // the standings of one selection
    AllStandings, // overall, overall by sex, and every category by sex
    Prizes,       // the prize winners of each prize category of the race, in order
    Teams,        // the team standings of the race (one sex, or both)
    Series,       // a series' standings (app/seriessession.h)
    SeriesPrizes  // a series' prize list
};

enum class Format { Csv, Html, Pdf };

// One exported list: the rows as the program's list shows them, without the
// hidden key column.
struct ExportedList {
    ExportList kind = ExportList::StartList; // never AllStandings
    QString heading;   // on one line
    QString title;     // the standings' title as the reports page shows it; empty for other lists
    QStringList columns;
    // The rows as the list shows them, made one at a time as they are
    // written (a list of a large race is never held whole as text), from
    // the lists as they were when the export was built.
    qsizetype rowCount = 0;
    std::function<QStringList(qsizetype)> row;
    // Every row at once, for a printout's layout.
    QList<QStringList> rows() const;
    // A list whose CSV file has columns of its own (the prize list: the
    // prize category's name on every row); empty for the others.
    QStringList csvColumns;
    QList<QStringList> csvRows;
    // The printout's layout, for a list that brings its own (a series).
    std::optional<print::ListFormat> format;
};

struct ExportData {
    print::RaceHeader race; // name, organiser, date as the window's header shows them
    QList<ExportedList> lists;
};

// The lists of the current race, read afresh when another writer changed
// them. selection is used for ExportList::Standings only. A list with
// nothing to export is refused with the message the printout gives (for all
// standings: only when not even the overall standings have a row).
Outcome<ExportData> buildExport(RaceSession& session, ExportList list, const standings::Selection& selection = {});

// A CSV file (io::writeCsv: UTF-8 with a byte-order mark, fields apart by
// separator, every value that a spreadsheet would run as a formula kept as
// text). One list is one
// table under its column headings. Several lists (all standings share their
// columns) are one table whose first column "Lista" names each row's list,
// so that a spreadsheet can filter and sort them as one.
QByteArray exportCsv(const ExportData& data, io::Separator separator = io::kDefaultSeparator);

// One web page (io::writeHtml) headed by the race; one section per list,
// with a table of contents when there are several.
QByteArray exportHtml(const ExportData& data);

// The same written onto a device as the rows are made; false when a write
// failed.
bool writeCsv(const ExportData& data, QIODevice& device, io::Separator separator = io::kDefaultSeparator);
bool writeHtml(const ExportData& data, QIODevice& device);

// The export in the format written to path through a temporary file that
// replaces path only once every byte is written, the rows made as they are
// written (see saveFile); the PDF through print, so not here. Returns the
// failure in Croatian, empty on success.
QString saveExport(const QString& path, const ExportData& data, Format format,
                   io::Separator separator = io::kDefaultSeparator);

// The pages of each list as its printout lays them out: the start list and
// the registered list as printed from the start list page, the standings as
// printed from the reports page, the finish list in the layout of the
// standings (print::finishListFormat).
QList<print::Document> exportDocuments(const ExportData& data);

// The file name offered for an export: the list's name and the format's
// extension, with characters no file name may hold replaced.
QString suggestedFileName(const ExportData& data, ExportList list, Format format);

// Writes bytes to path through a temporary file that replaces path only
// once every byte is written: a failure leaves path as it was. Returns the
// failure in Croatian, empty on success.
QString saveFile(const QString& path, const QByteArray& bytes);

} // namespace exports
