#include "app/seriessession.h"

#include "core/dates.h"
#include "core/standings.h"
#include "core/texts_rules.h"
#include "core/texts_series.h"
#include "data/database.h"

#include <QDateTime>
#include <QSet>

namespace {

template <typename T, typename U>
Outcome<T> dbFailed(const DbResult<U>& result)
{
    return Outcome<T>::dbFailed(result.error());
}

} // namespace

SeriesSession::SeriesSession(Database& db)
    : m_db(db)
{
}

Outcome<QList<series::Definition>> SeriesSession::list()
{
    const auto all = m_db.seriesList();
    if (!all)
        return dbFailed<QList<series::Definition>>(all);
    return Outcome<QList<series::Definition>>::done(all.value());
}

Outcome<series::Definition> SeriesSession::find(qint64 id)
{
    const auto all = list();
    if (!all)
        return all.failure<series::Definition>();
    for (const series::Definition& d : all.value()) {
        if (d.id == id)
            return Outcome<series::Definition>::done(d);
    }
    return Outcome<series::Definition>::refused(Field::None, tx::seriesUnknown(QString::number(id)));
}

Outcome<std::optional<series::Definition>> SeriesSession::findByName(const QString& name)
{
    using Result = Outcome<std::optional<series::Definition>>;
    const auto all = list();
    if (!all)
        return all.failure<std::optional<series::Definition>>();
    for (const series::Definition& d : all.value()) {
        if (d.name == name.simplified())
            return Result::done(d);
    }
    return Result::done(std::nullopt);
}

Outcome<qint64> SeriesSession::store(const series::Definition& definition)
{
    const auto checked = series::check(definition);
    if (!checked)
        return checked.failure<qint64>();
    const auto races = m_db.allRaces();
    if (!races)
        return dbFailed<qint64>(races);
    QSet<qint64> known;
    for (const Race& r : races.value())
        known.insert(r.id);
    for (qint64 id : checked.value().races) {
        if (!known.contains(id))
            return Outcome<qint64>::refused(Field::None, tx::seriesUnknownRace(QString::number(id)));
    }
    const auto stored = m_db.storeSeries(checked.value());
    if (!stored) {
        if (stored.error().kind() == DbError::Kind::Duplicate)
            return Outcome<qint64>::refused(Field::None, tx::seriesNameTaken());
        return dbFailed<qint64>(stored);
    }
    return Outcome<qint64>::done(stored.value());
}

Status SeriesSession::remove(qint64 id)
{
    if (const DbStatus removed = m_db.deleteSeries(id); !removed)
        return Status::dbFailed(removed.error());
    return Status::done();
}

Outcome<series::RaceEntries> SeriesSession::raceEntries(qint64 raceId)
{
    using Result = Outcome<series::RaceEntries>;
    const qint64 now = QDateTime::currentMSecsSinceEpoch();
    const auto known = m_races.constFind(raceId);
    if (known != m_races.cend() && m_keepFor > 0 && now - known->at < m_keepFor)
        return Result::done(known->entries);
    const auto version = m_db.dataVersion();
    if (!version)
        return dbFailed<series::RaceEntries>(version);
    if (known != m_races.cend() && known->version == version.value() && known->writes == m_db.writeCount())
        return Result::done(known->entries);
    const auto race = m_db.race(raceId);
    if (!race)
        return dbFailed<series::RaceEntries>(race);
    const auto startList = m_db.startList(raceId);
    if (!startList)
        return dbFailed<series::RaceEntries>(startList);
    const auto finishList = m_db.finishList(raceId);
    if (!finishList)
        return dbFailed<series::RaceEntries>(finishList);
    const auto states = m_db.runStates(raceId);
    if (!states)
        return dbFailed<series::RaceEntries>(states);
    const auto rules = m_db.raceRules(raceId);
    if (!rules)
        return dbFailed<series::RaceEntries>(rules);
    const QList<standings::StandingsRow> overall = standings::overallStandings(
        finishList.value(), startList.value(), race.value().datum, states.value(), rules.value().categories);
    Read read;
    read.version = version.value();
    read.writes = m_db.writeCount();
    read.at = now;
    read.race = race.value();
    read.entries = series::raceEntries(raceId, race.value().ime, overall, rules.value().categories);
    m_races.insert(raceId, read);
    return Result::done(read.entries);
}

Outcome<SeriesResult> SeriesSession::standings(const series::Definition& definition,
                                               const QHash<qint64, series::RaceEntries>& given)
{
    QList<series::RaceEntries> races;
    SeriesResult result;
    result.definition = definition;
    for (qint64 id : definition.races) {
        auto entries = given.contains(id) ? Outcome<series::RaceEntries>::done(given.value(id)) : raceEntries(id);
        if (!entries)
            return entries.failure<SeriesResult>();
        result.raceNames.append(entries.value().name);
        races.append(entries.value());
    }
    result.standings = series::score(races, definition.rules, definition.choices);
    return Outcome<SeriesResult>::done(std::move(result));
}

Outcome<SeriesResult> SeriesSession::standings(qint64 id)
{
    const auto definition = find(id);
    if (!definition)
        return definition.failure<SeriesResult>();
    return standings(definition.value());
}

Status SeriesSession::storeChoices(qint64 id, const std::function<void(QList<series::Choice>&)>& change)
{
    auto definition = find(id);
    if (!definition)
        return definition.failure<std::monostate>();
    series::Definition d = definition.value();
    change(d.choices);
    const auto stored = store(d);
    if (!stored)
        return stored.failure<std::monostate>();
    return Status::done();
}

Status SeriesSession::split(qint64 id, const series::EntryRef& entry)
{
    return storeChoices(id, [&](QList<series::Choice>& choices) {
        choices.removeIf([&](const series::Choice& c) { return c.entry == entry; });
        choices.append({series::Choice::Kind::Split, entry, {}});
    });
}

Status SeriesSession::join(qint64 id, const series::EntryRef& entry, const series::EntryRef& to)
{
    return storeChoices(id, [&](QList<series::Choice>& choices) {
        choices.removeIf([&](const series::Choice& c) { return c.entry == entry; });
        choices.append({series::Choice::Kind::Join, entry, to});
    });
}

Status SeriesSession::takeBack(qint64 id, const series::EntryRef& entry)
{
    return storeChoices(id, [&](QList<series::Choice>& choices) {
        choices.removeIf([&](const series::Choice& c) { return c.entry == entry; });
    });
}

Outcome<print::RaceHeader> SeriesSession::header(const series::Definition& definition)
{
    print::RaceHeader header{definition.name, {}, {}};
    QDate last;
    for (qint64 id : definition.races) {
        const auto race = m_db.race(id);
        if (!race)
            return dbFailed<print::RaceHeader>(race);
        if (header.organiser.isEmpty())
            header.organiser = race.value().org;
        const auto read = m_races.constFind(id);
        const bool held = read == m_races.cend() || read->entries.held;
        if (held && race.value().datum.isValid() && (!last.isValid() || race.value().datum > last))
            last = race.value().datum;
    }
    header.date = last.isValid() ? kvr::formatDate(last) : QString();
    return Outcome<print::RaceHeader>::done(header);
}

exports::ExportData SeriesSession::exportOf(const SeriesResult& result, SeriesList list, standings::Sex sex,
                                            const print::RaceHeader& header)
{
    exports::ExportData data;
    data.race = header;
    const QList<series::Row> rows = series::ofSex(result.standings, sex, result.definition.rules.minimum);
    exports::ExportedList out;
    if (list == SeriesList::Standings) {
        out.kind = exports::ExportList::Series;
        out.heading = tx::seriesStandingsTitle();
        out.title = out.heading;
        out.columns = series::columns(result.raceNames);
        out.rowCount = rows.size();
        out.row = [rows](qsizetype i) { return series::rowCells(rows.at(i)); };
        out.format = series::standingsFormat(tx::seriesStandingsTitle(), int(result.raceNames.size()));
    } else {
        // Prizes go by the whole standings, whichever sex the standings show:
        // a category of the other sex must not come out empty.
        const QList<series::Row>& all = result.standings.rows;
        const QList<series::PrizeGroup> groups = series::award(all, result.definition.rules.prizes);
        const QList<QStringList> shown = series::prizeRows(all, groups);
        out.kind = exports::ExportList::SeriesPrizes;
        out.heading = tx::seriesPrizeTitle();
        out.columns = tx::prizeColumns();
        out.columns.last() = tx::seriesColPoints();
        out.rowCount = shown.size();
        out.row = [shown](qsizetype i) { return shown.at(i); };
        out.csvColumns = tx::seriesPrizeCsvColumns();
        out.csvRows = series::prizeCsvRows(all, groups);
        out.format = series::prizeFormat(tx::seriesPrizeTitle());
    }
    data.lists.append(std::move(out));
    return data;
}

Outcome<exports::ExportData> SeriesSession::buildExport(qint64 id, SeriesList list, standings::Sex sex)
{
    const auto result = standings(id);
    if (!result)
        return result.failure<exports::ExportData>();
    if (list == SeriesList::Standings && result.value().standings.rows.isEmpty())
        return Outcome<exports::ExportData>::refused(Field::None, tx::seriesNoRows());
    const auto head = header(result.value().definition);
    if (!head)
        return head.failure<exports::ExportData>();
    return Outcome<exports::ExportData>::done(exportOf(result.value(), list, sex, head.value()));
}
