#pragma once

// The season's series of races on one database, beside the race session:
// the series stored, their standings from the races' lists, the organiser's
// corrections of who is who, and the lists they export. The window, the
// command line and the live results call the same use cases.

#include "app/exports.h"
#include "core/outcome.h"
#include "core/series.h"

#include <QHash>
#include <QList>
#include <QString>

#include <functional>
#include <optional>

class Database;

// Which series list to export.
enum class SeriesList { Standings, Prizes };

// A series' standings with what they were scored from.
struct SeriesResult {
    series::Definition definition;
    QStringList raceNames; // in series order
    series::Standings standings;
};

class SeriesSession {
public:
    explicit SeriesSession(Database& db);

    // Every series of the database, oldest first.
    Outcome<QList<series::Definition>> list();
    Outcome<series::Definition> find(qint64 id);
    // The series of that name (letter case and blanks as stored), if any.
    Outcome<std::optional<series::Definition>> findByName(const QString& name);

    // Stores a series after its checks (a name no other series has, races
    // of this database each once, rules that can be met); returns its key.
    Outcome<qint64> store(const series::Definition& definition);
    Status remove(qint64 id);

    // The standings of a series from its races as they are stored now. A
    // race's lists are read again only when the database changed since
    // they were last read.
    // given: a race's entries the caller already holds (the live results'
    // current race), used instead of reading them.
    Outcome<SeriesResult> standings(const series::Definition& definition,
                                    const QHash<qint64, series::RaceEntries>& given = {});
    Outcome<SeriesResult> standings(qint64 id);
    // A race read less than ms ago is not read again, whatever changed
    // since (the live results: the other races of a series change seldom,
    // and a page never waits on reading them for every change of this one).
    void setKeepFor(qint64 ms) { m_keepFor = ms; }

    // The organiser's corrections, stored with the series at once: an entry
    // split off to stand alone, one joined to the runner of another entry,
    // or a correction taken back (by its match).
    Status split(qint64 id, const series::EntryRef& entry);
    Status join(qint64 id, const series::EntryRef& entry, const series::EntryRef& to);
    Status takeBack(qint64 id, const series::EntryRef& entry);

    // A list of the series as the race lists are exported and printed:
    // the standings (one sex, or all) or the prize list.
    Outcome<exports::ExportData> buildExport(qint64 id, SeriesList list, standings::Sex sex = standings::Sex::All);
    static exports::ExportData exportOf(const SeriesResult& result, SeriesList list, standings::Sex sex,
                                        const print::RaceHeader& header);
    // The header of a series' printouts: its name, the first race's
    // organiser and the date of the last race held.
    Outcome<print::RaceHeader> header(const series::Definition& definition);

    // Forgets the races' lists read, so the next standings read them again.
    void forget() { m_races.clear(); }

private:
    Outcome<series::RaceEntries> raceEntries(qint64 raceId);
    Status storeChoices(qint64 id, const std::function<void(QList<series::Choice>&)>& change);

    Database& m_db;
    // The entries of each race read, and the database's version then.
    struct Read {
        qint64 version = -1; // dataVersion() then
        quint64 writes = 0;  // writeCount() then
        qint64 at = 0;       // when, ms since the epoch
        series::RaceEntries entries;
        Race race;
    };
    QHash<qint64, Read> m_races;
    qint64 m_keepFor = 0;
};
