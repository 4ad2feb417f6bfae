#include "app/exports.h"

#include "core/teams.h"
#include "core/texts_teams.h"

#include "app/racesession.h"
#include "core/csv.h"
#include "core/fileerrors.h"
#include "core/htmlexport.h"
#include "core/lists.h"
#include "core/prizes.h"
#include "core/texts_rules.h"
#include "core/runstates.h"
#include "core/texts.h"

#include <QBuffer>
#include <QDir>
#include <algorithm>
#include <optional>
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

Outcome<ExportData> refused(const QString& message)
{
    return Outcome<ExportData>::refused(Field::None, message);
}

// A list of rows already made.
void setRows(ExportedList& list, QList<QStringList> rows)
{
    list.rowCount = rows.size();
    list.row = [rows = std::move(rows)](qsizetype i) { return rows.at(i); };
}

ExportedList startList(const RaceSession& session, bool startNumbersOnly)
{
    ExportedList list;
    list.kind = startNumbersOnly ? ExportList::StartList : ExportList::Registered;
    list.heading = startNumbersOnly ? tx::exportStartList() : tx::exportRegistered();
    list.columns = shownHeadings(lists::startColumns());
    // Shared copies, so that the export keeps the lists as they were read.
    const QList<Competitor> entries = session.startList();
    const RunStates states = session.runStates();
    QList<int> shown; // the rows of entries listed, when not all are
    bool withStatus = false;
    for (qsizetype i = 0; i < entries.size(); ++i) {
        const Competitor& c = entries.at(i);
        if (startNumbersOnly && c.sbroj.trimmed().isEmpty())
            continue;
        if (startNumbersOnly)
            shown.append(int(i));
        withStatus = withStatus || (!states.isEmpty() && !lists::stateText(states.value(c.id)).isEmpty());
    }
    list.rowCount = startNumbersOnly ? shown.size() : entries.size();
    // The status column is left out when no row has a status, so that the
    // files of a race without statuses stay as they were.
    if (!withStatus)
        list.columns.removeAt(lists::StartStatus - 1);
    list.row = [entries, states, shown, startNumbersOnly, withStatus](qsizetype i) {
        const qsizetype at = startNumbersOnly ? shown.at(i) : i;
        const Competitor& c = entries.at(at);
        QStringList row = lists::startRow(c, int(at) + 1);
        row[lists::StartStatus] = lists::stateText(states.value(c.id));
        row.removeAt(lists::StartKey);
        if (!withStatus)
            row.removeAt(lists::StartStatus - 1);
        return row;
    };
    return list;
}

ExportedList finishList(const RaceSession& session)
{
    ExportedList list;
    list.kind = ExportList::Finish;
    list.heading = tx::exportFinishList();
    list.columns = shownHeadings(lists::detailColumns());
    const QList<FinishRecord> records = session.finishList();
    const QList<Competitor> entries = session.startList();
    QStringList places;
    places.reserve(records.size());
    for (qsizetype i = 0; i < records.size(); ++i)
        places.append(session.finishPlaceText(int(i)));
    list.rowCount = records.size();
    list.row = [records, entries, places, date = session.raceDate(),
                categories = session.rules().categories](qsizetype i) {
        const FinishRecord& r = records.at(i);
        // The start list is in key order.
        const auto it = std::lower_bound(entries.cbegin(), entries.cend(), r.idtakmicara,
                                         [](const Competitor& c, qint64 key) { return c.id < key; });
        const Competitor* c = it != entries.cend() && it->id == r.idtakmicara ? &*it : nullptr;
        QStringList row;
        row.reserve(lists::DetailColumnCount);
        for (int column = 0; column < lists::DetailColumnCount; ++column)
            row.append(column == lists::DetailPlace ? places.at(i)
                                                    : lists::detailCell(r, c, int(i) + 1, date, column, categories));
        return row;
    };
    return list;
}

// Whether standings rows hold a status: the lists exported together then all
// keep their status column, so that they share their columns.
bool anyState(const QList<standings::StandingsRow>& rows)
{
    return std::any_of(rows.cbegin(), rows.cend(),
                       [](const standings::StandingsRow& r) { return r.state != RunState::None; });
}

// The standings of one selection as picks from overall; empty when it lists nobody.
std::optional<ExportedList> standingsList(RaceSession& session, const standings::Selection& selection,
                                          std::optional<bool> withStatus)
{
    const QList<standings::StandingsRow> overall = session.overall();
    const QList<standings::Pick> picked = standings::picks(
        selection, overall, session.settings().listUnranked, session.rules(), &session.leftOutOfCategories());
    if (picked.isEmpty())
        return std::nullopt;
    ExportedList list;
    list.kind = ExportList::Standings;
    list.title = standings::title(selection);
    list.heading = oneLine(list.title);
    list.columns = shownHeadings(lists::standingsColumns());
    const bool status = withStatus ? *withStatus : std::any_of(picked.cbegin(), picked.cend(), [&](standings::Pick p) {
        return overall.at(p.row).state != RunState::None;
    });
    if (!status)
        list.columns.removeAt(kExportedStandStatus);
    list.rowCount = picked.size();
    list.row = [overall, picked, status](qsizetype i) {
        standings::StandingsRow r = overall.at(picked.at(i).row);
        r.place = picked.at(i).place;
        QStringList row = lists::standingsRow(r);
        row.removeAt(lists::StandKey);
        if (!status)
            row.removeAt(kExportedStandStatus);
        return row;
    };
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
        if (list.rowCount == 0)
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
        auto list = standingsList(session, selection, std::nullopt);
        if (!list)
            return refused(tx::noStandingsRows());
        data.lists.append(std::move(*list));
        break;
    }
    case ExportList::AllStandings: {
        const auto categories = session.categories();
        if (!categories)
            return categories.failure<ExportData>();
        const auto& overall = session.overall();
        if (overall.isEmpty())
            return refused(tx::noStandingsRows());
        const bool withStatus = session.settings().listUnranked && anyState(overall);
        for (const standings::Selection& s : allSelections(categories.value())) {
            if (auto list = standingsList(session, s, withStatus))
                data.lists.append(std::move(*list));
        }
        break;
    }
    case ExportList::Prizes: {
        const QList<prizes::PrizeGroup> groups =
            teams::prizeListWithTeams(session.overall(), session.awards(), session.rules());
        ExportedList list;
        list.kind = ExportList::Prizes;
        list.heading = tx::exportPrizeList();
        list.columns = tx::prizeColumns();
        setRows(list, prizes::shownRows(groups));
        list.csvColumns = tx::prizeCsvColumns();
        list.csvRows = prizes::csvRows(groups);
        data.lists.append(std::move(list));
        break;
    }
    case ExportList::Teams: {
        const TeamRules& rules = session.rules().teams;
        if (!rules.on())
            return refused(tx::teamsOff());
        const QList<teams::Team> ranked = teams::standings(session.overall(), rules, selection.sex);
        if (ranked.isEmpty())
            return refused(tx::teamsNone());
        ExportedList list;
        list.kind = ExportList::Teams;
        list.heading = tx::teamsTitle();
        list.title = tx::teamsTitle();
        list.columns = teams::columns(rules);
        QList<QStringList> rows;
        for (const teams::Team& t : ranked)
            rows.append(teams::rowCells(t, rules));
        list.csvColumns = teams::csvColumns(rules);
        list.csvRows = rows;
        // The printout and the page end with the rule used.
        rows.append({QString(), teams::ruleText(rules), QString(), QString(), QString()});
        setRows(list, rows);
        list.format = teams::printFormat(rules);
        data.lists.append(std::move(list));
        break;
    }
    case ExportList::Series:
    case ExportList::SeriesPrizes:
        // A series' lists are built by its own session.
        return refused(tx::openOrCreateRace());
    }
    return Outcome<ExportData>::done(std::move(data));
}

QList<QStringList> ExportedList::rows() const
{
    QList<QStringList> all;
    all.reserve(rowCount);
    for (qsizetype i = 0; i < rowCount; ++i)
        all.append(row(i));
    return all;
}

bool writeCsv(const ExportData& data, QIODevice& device, io::Separator separator)
{
    io::CsvWriter writer(device, io::separatorChar(separator));
    if (data.lists.size() == 1 && !data.lists.first().csvColumns.isEmpty()) {
        writer.writeRow(data.lists.first().csvColumns);
        for (const QStringList& row : data.lists.first().csvRows)
            writer.writeRow(row);
    } else if (data.lists.size() == 1) {
        const ExportedList& list = data.lists.first();
        writer.writeRow(list.columns);
        for (qsizetype i = 0; i < list.rowCount; ++i)
            writer.writeRow(list.row(i));
    } else {
        // Several lists share their columns: one table, the list named in front.
        const QStringList columns = data.lists.isEmpty() ? QStringList() : data.lists.first().columns;
        writer.writeRow(QStringList{tx::exportListColumn()} + columns);
        for (const ExportedList& list : data.lists) {
            for (qsizetype i = 0; i < list.rowCount; ++i)
                writer.writeRow(QStringList{list.heading} + list.row(i));
        }
    }
    return writer.finish();
}

QByteArray exportCsv(const ExportData& data, io::Separator separator)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    writeCsv(data, buffer, separator);
    return bytes;
}

bool writeHtml(const ExportData& data, QIODevice& device)
{
    io::HtmlDocument doc;
    doc.raceName = data.race.name;
    doc.organiser = data.race.organiser;
    doc.dateText = data.race.date;
    if (data.lists.size() == 1)
        doc.title = data.race.name + QStringLiteral(" - ") + data.lists.first().heading;
    QStringList headings;
    for (const ExportedList& list : data.lists)
        headings.append(list.heading);
    io::HtmlWriter writer(device);
    writer.begin(doc, headings);
    for (const ExportedList& list : data.lists) {
        writer.beginList(list.heading, list.columns);
        for (qsizetype i = 0; i < list.rowCount; ++i)
            writer.writeRow(list.row(i));
        writer.endList();
    }
    return writer.finish();
}

QByteArray exportHtml(const ExportData& data)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    writeHtml(data, buffer);
    return bytes;
}

QString saveExport(const QString& path, const ExportData& data, Format format, io::Separator separator)
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        return tx::exportNotWritten(QDir::toNativeSeparators(path), kvr::fileReason(path, file.errorString()));
    }
    const bool written = format == Format::Csv ? writeCsv(data, file, separator) : writeHtml(data, file);
    if (!written) {
        const QString reason = kvr::fileReason(path, file.errorString());
        file.cancelWriting();
        return tx::exportNotWritten(QDir::toNativeSeparators(path), reason);
    }
    if (!file.commit())
        return tx::exportNotWritten(QDir::toNativeSeparators(path), kvr::fileReason(path, file.errorString()));
    return {};
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
            break;
        case ExportList::Prizes:
            format = prizes::printFormat();
            break;
        case ExportList::Teams:
        case ExportList::Series:
        case ExportList::SeriesPrizes:
            break;
        }
        if (list.format)
            format = *list.format;
        // One list's rows as text at a time.
        const QList<QStringList> rows = list.rows();
        if (list.kind == ExportList::Standings || list.kind == ExportList::AllStandings)
            print::addStatusColumn(format, kExportedStandStatus, rows);
        docs.append(print::layoutList(rows, data.race, format));
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
