#include "app/exports.h"

#include "app/racesession.h"
#include "core/csv.h"
#include "core/fileerrors.h"
#include "core/htmlexport.h"
#include "core/lists.h"
#include "core/prizes.h"
#include "core/texts_rules.h"
#include "core/runstates.h"
#include "core/texts.h"

#include <QDir>
#include <algorithm>
#include <QRegularExpression>
#include <QSaveFile>

namespace exports {

namespace {

// The status column of an exported standings row, the key left out.
constexpr int kExportedStandStatus = lists::StandStatus - 1;

// Headings of the columns a list shows; hidden key columns are left out.
// The key column is the last one of every list that has one, but for the
// status column after it, so the other columns keep their index in
// lists::...Column and the status is one to the left of its own.
QStringList shownHeadings(const QList<lists::ColumnDef>& columns)
{
    QStringList texts;
    for (const lists::ColumnDef& c : columns) {
        if (!c.hidden)
            texts.append(c.heading);
    }
    return texts;
}

QString oneLine(QString text)
{
    static const QRegularExpression lineBreak(QStringLiteral("\r\n|\r|\n"));
    return text.replace(lineBreak, QStringLiteral(" "));
}

// Leaves out the status column of a list in which no row has a status, so
// that the files of a race without statuses stay as they were.
void dropEmptyStatus(ExportedList& list, int column)
{
    for (const QStringList& row : list.rows) {
        if (!row.value(column).isEmpty())
            return;
    }
    list.columns.removeAt(column);
    for (QStringList& row : list.rows)
        row.removeAt(column);
}

Outcome<ExportData> refused(const QString& message)
{
    return Outcome<ExportData>::refused(Field::None, message);
}

ExportedList startList(const RaceSession& session, bool startNumbersOnly)
{
    ExportedList list;
    list.kind = startNumbersOnly ? ExportList::StartList : ExportList::Registered;
    list.heading = startNumbersOnly ? tx::exportStartList() : tx::exportRegistered();
    list.columns = shownHeadings(lists::startColumns());
    const QList<Competitor>& entries = session.startList();
    list.rows.reserve(entries.size());
    for (qsizetype i = 0; i < entries.size(); ++i) {
        const Competitor& c = entries.at(i);
        if (startNumbersOnly && c.sbroj.trimmed().isEmpty())
            continue;
        QStringList row = lists::startRow(c, int(i) + 1);
        row[lists::StartStatus] = lists::stateText(session.runState(c.id));
        row.removeAt(lists::StartKey);
        list.rows.append(std::move(row));
    }
    dropEmptyStatus(list, lists::StartStatus - 1);
    return list;
}

ExportedList finishList(const RaceSession& session)
{
    ExportedList list;
    list.kind = ExportList::Finish;
    list.heading = tx::exportFinishList();
    list.columns = shownHeadings(lists::detailColumns());
    const QList<FinishRecord>& records = session.finishList();
    list.rows.reserve(records.size());
    for (qsizetype i = 0; i < records.size(); ++i) {
        const FinishRecord& r = records.at(i);
        const Competitor* c = session.competitor(r.idtakmicara);
        QStringList row;
        row.reserve(lists::DetailColumnCount);
        for (int column = 0; column < lists::DetailColumnCount; ++column)
            row.append(lists::detailCell(r, c, int(i) + 1, session.raceDate(), column, session.rules().categories));
        row[lists::DetailPlace] = session.finishPlaceText(int(i));
        list.rows.append(std::move(row));
    }
    return list;
}

// Whether standings rows hold a status: the lists exported together then all
// keep their status column, so that they share their columns.
bool anyState(const QList<standings::StandingsRow>& rows)
{
    return std::any_of(rows.cbegin(), rows.cend(),
                       [](const standings::StandingsRow& r) { return r.state != RunState::None; });
}

ExportedList standingsList(const standings::Selection& selection, const standings::Standings& result,
                           bool withStatus)
{
    ExportedList list;
    list.kind = ExportList::Standings;
    list.title = standings::title(selection);
    list.heading = oneLine(list.title);
    list.columns = shownHeadings(lists::standingsColumns());
    list.rows.reserve(result.rows.size());
    for (const standings::StandingsRow& r : result.rows) {
        QStringList row = lists::standingsRow(r);
        row.removeAt(lists::StandKey);
        list.rows.append(std::move(row));
    }
    if (!withStatus) {
        list.columns.removeAt(kExportedStandStatus);
        for (QStringList& row : list.rows)
            row.removeAt(kExportedStandStatus);
    }
    return list;
}

// The selections of all standings: overall, overall by sex, then each
// category for men and for women.
QList<standings::Selection> allSelections(const QStringList& categories)
{
    using standings::Sex;
    QList<standings::Selection> selections{
        {tx::categoryAll(), Sex::All}, {tx::categoryAll(), Sex::Men}, {tx::categoryAll(), Sex::Women}};
    for (const QString& category : categories) {
        selections.append({category, Sex::Men});
        selections.append({category, Sex::Women});
    }
    return selections;
}

} // namespace

Outcome<ExportData> buildExport(RaceSession& session, ExportList which, const standings::Selection& selection)
{
    if (!session.hasRace())
        return refused(tx::openOrCreateRace());
    if (const Status fresh = session.refresh(); !fresh)
        return fresh.failure<ExportData>();

    ExportData data;
    data.race = {session.race().ime, session.race().org, session.raceDateText()};

    switch (which) {
    case ExportList::StartList:
    case ExportList::Registered: {
        if (session.startList().isEmpty())
            return refused(tx::noCompetitors());
        ExportedList list = startList(session, which == ExportList::StartList);
        if (list.rows.isEmpty())
            return refused(tx::printNoStartNumbers());
        data.lists.append(std::move(list));
        break;
    }
    case ExportList::Finish:
        if (session.finishList().isEmpty())
            return refused(tx::exportNoFinishers());
        data.lists.append(finishList(session));
        break;
    case ExportList::Standings: {
        if (!standings::isCategoryChosen(selection.category, session.rules().categories))
            return refused(tx::noCategoryChosen());
        const auto& overall = session.overall();
        const standings::Standings result =
            standings::process(selection, overall, session.startList(), session.raceDate(),
                               session.settings().listUnranked, session.rules(), &session.leftOutOfCategories());
        if (result.rows.isEmpty())
            return refused(tx::noStandingsRows());
        data.lists.append(standingsList(selection, result, anyState(result.rows)));
        break;
    }
    case ExportList::AllStandings: {
        const auto categories = session.categories();
        if (!categories)
            return categories.failure<ExportData>();
        const auto& overall = session.overall();
        if (overall.isEmpty())
            return refused(tx::noStandingsRows());
        for (const standings::Selection& s : allSelections(categories.value())) {
            const standings::Standings result =
                standings::process(s, overall, session.startList(), session.raceDate(), session.settings().listUnranked,
                                   session.rules(), &session.leftOutOfCategories());
            if (!result.rows.isEmpty())
                data.lists.append(standingsList(s, result, session.settings().listUnranked && anyState(overall)));
        }
        break;
    }
    case ExportList::Prizes: {
        const QList<prizes::PrizeGroup> groups =
            prizes::prizeList(session.overall(), session.awards(), session.rules().prizes);
        ExportedList list;
        list.kind = ExportList::Prizes;
        list.heading = tx::exportPrizeList();
        list.columns = tx::prizeColumns();
        list.rows = prizes::shownRows(groups);
        list.csvColumns = tx::prizeCsvColumns();
        list.csvRows = prizes::csvRows(groups);
        data.lists.append(std::move(list));
        break;
    }
    }
    return Outcome<ExportData>::done(std::move(data));
}

QByteArray exportCsv(const ExportData& data, io::Separator separator)
{
    const QChar mark = io::separatorChar(separator);
    if (data.lists.size() == 1 && !data.lists.first().csvColumns.isEmpty())
        return io::writeCsv(data.lists.first().csvColumns, data.lists.first().csvRows, mark);
    if (data.lists.size() == 1)
        return io::writeCsv(data.lists.first().columns, data.lists.first().rows, mark);

    // Several lists share their columns: one table, the list named in front.
    const QStringList columns = data.lists.isEmpty() ? QStringList() : data.lists.first().columns;
    qsizetype total = 0;
    for (const ExportedList& list : data.lists)
        total += list.rows.size();
    QList<QStringList> rows;
    rows.reserve(total);
    for (const ExportedList& list : data.lists) {
        for (const QStringList& row : list.rows)
            rows.append(QStringList{list.heading} + row);
    }
    return io::writeCsv(QStringList{tx::exportListColumn()} + columns, rows, mark);
}

QByteArray exportHtml(const ExportData& data)
{
    io::HtmlDocument doc;
    doc.raceName = data.race.name;
    doc.organiser = data.race.organiser;
    doc.dateText = data.race.date;
    doc.lists.reserve(data.lists.size());
    for (const ExportedList& list : data.lists)
        doc.lists.append({list.heading, list.columns, list.rows});
    if (data.lists.size() == 1)
        doc.title = data.race.name + QStringLiteral(" - ") + data.lists.first().heading;
    return io::writeHtml(doc);
}

QList<print::Document> exportDocuments(const ExportData& data)
{
    QList<print::Document> docs;
    for (const ExportedList& list : data.lists) {
        print::ListFormat format;
        switch (list.kind) {
        case ExportList::StartList:
            format = print::startListFormat();
            break;
        case ExportList::Registered:
            format = print::registeredListFormat();
            break;
        case ExportList::Finish:
            format = print::finishListFormat();
            break;
        case ExportList::Standings:
        case ExportList::AllStandings:
            format = print::standingsFormat(list.title);
            print::addStatusColumn(format, kExportedStandStatus, list.rows);
            break;
        case ExportList::Prizes:
            format = prizes::printFormat();
            break;
        }
        docs.append(print::layoutList(list.rows, data.race, format));
    }
    return docs;
}

QString suggestedFileName(const ExportData& data, ExportList list, Format format)
{
    QString name = list == ExportList::AllStandings ? tx::exportAllStandings()
        : data.lists.isEmpty()                      ? QString()
                                                    : data.lists.first().heading;
    if (!data.race.name.trimmed().isEmpty())
        name = data.race.name.trimmed() + QStringLiteral(" - ") + name;
    static const QRegularExpression unsafe(QStringLiteral("[\\\\/:*?\"<>|\\x00-\\x1f]"));
    name.replace(unsafe, QStringLiteral("_"));
    const char* extension = format == Format::Csv ? ".csv" : format == Format::Html ? ".html" : ".pdf";
    return name.trimmed() + QLatin1String(extension);
}

QString saveFile(const QString& path, const QByteArray& bytes)
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size()) {
        const QString reason = kvr::fileReason(path, file.errorString());
        file.cancelWriting();
        return tx::exportNotWritten(QDir::toNativeSeparators(path), reason);
    }
    if (!file.commit())
        return tx::exportNotWritten(QDir::toNativeSeparators(path), kvr::fileReason(path, file.errorString()));
    return {};
}

} // namespace exports
