#pragma once

// A season of races scored together (a cup, a league): each race gives its
// finishers points by place, a runner is the same person across races by
// name and club, and the season's standings rank the points of each
// runner's best races. Everything here works on plain values; the races'
// lists come from the caller.

#include "core/categoryscheme.h"
#include "core/listlayout.h"
#include "core/outcome.h"
#include "core/prizes.h"
#include "core/standings.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <optional>

namespace series {

// How a place becomes points.
enum class PointsKind {
    Countdown, // first place firstPoints, each next one fewer, never below 0
    List,      // pointsList[place - 1], further places 0
};

// Among whom a race's place is counted.
enum class PlaceScope {
    Sex,      // the finishers of the runner's sex
    Overall,  // every finisher
    Category, // the finishers of the runner's category and sex
};

struct Rules {
    PointsKind points = PointsKind::Countdown;
    int firstPoints = 100;
    QList<int> pointsList;
    PlaceScope place = PlaceScope::Sex;
    int best = 0;    // the best races that count; 0: all
    int minimum = 1; // races a runner needs to complete the series
    int planned = 0; // races planned for the season; 0: the races listed
    PrizeScheme prizes = PrizeScheme::standard();
    // Club texts meaning "no club" besides an empty one and "?".
    QStringList noClub;
    bool operator==(const Rules&) const = default;
};

// One entry of a race: start-list key and race.
struct EntryRef {
    qint64 race = 0;
    qint64 competitor = 0;
    bool operator==(const EntryRef&) const = default;
};

// The organiser's correction of the matching: an entry split off to stand
// on its own, or joined to the runner of another entry.
struct Choice {
    enum class Kind { Split, Join };
    Kind kind = Kind::Split;
    EntryRef entry;
    EntryRef other; // Join only
    bool operator==(const Choice&) const = default;
};

// A series as stored: its races in order, its rules and the choices.
struct Definition {
    qint64 id = 0;
    QString name;
    QList<qint64> races;
    Rules rules;
    QList<Choice> choices;
};

// A runner of one race as the series sees them. place* are 0 for an entry
// that scores nothing (a status, or no finish).
struct Entry {
    qint64 competitor = 0;
    QString name;
    QString club;
    QString sex;
    QString category;
    // The category's ages as the race's categories give them; none when
    // the runner has no category.
    std::optional<std::pair<int, int>> categoryAges;
    int placeOverall = 0;
    int placeSex = 0;
    int placeCategory = 0;
};

// One race of the series: its entries, and whether it was held (it has a
// finisher); a race not yet held counts as still to come.
struct RaceEntries {
    qint64 raceId = 0;
    QString name;
    bool held = false;
    QList<Entry> entries;
};

// The race's entries from its overall standings (ranked finishers first,
// then the entries with a status, as standings::overallStandings gives
// them): every row with a start-list entry, with its three places.
RaceEntries raceEntries(qint64 raceId, const QString& name, const QList<standings::StandingsRow>& overall,
                        const CategoryScheme& categories);

// Points for a place (from 1) under the rules; 0 for place 0.
int points(const Rules& rules, int place);

// Whether a club text means no club under the rules.
bool isNoClub(const QString& club, const Rules& rules);

// One runner of the season's standings.
struct Row {
    int place = 0;       // 0: no place (can no longer complete the series)
    bool shared = false; // the place is shared ("16=")
    QString name;
    QString club;
    QString sex;
    QString category;    // at the first race run
    std::optional<std::pair<int, int>> categoryAges;
    QList<std::optional<int>> points; // per race, none when not run
    QList<bool> counted;              // per race, whether its points count
    int total = 0;
    int run = 0;
    bool completed = false;
    QList<EntryRef> entries; // the runner's entries, in race order
};

// An entry taken to be a runner of another race though its name or club
// differs; or a choice of the organiser.
struct Match {
    enum class Kind { Rule, Joined, Split };
    Kind kind = Kind::Rule;
    EntryRef entry;
    int raceIndex = 0; // of entry, from 0
    QString entryText;  // "Sime Cosic" (with the club when it differs)
    QString runnerText; // "Šime Ćosić"
};

struct Standings {
    QList<Row> rows;
    QList<Match> matches;
    QStringList notes; // the check report: a runner's sex or category differing between races
    int held = 0;      // races held
};

// The season's standings of the races (in series order) under the rules
// and the choices.
Standings score(const QList<RaceEntries>& races, const Rules& rules, const QList<Choice>& choices = {});

// "3", "16=" or "-".
QString placeText(const Row& row);

// The rows of one sex option, in order: all of them as they are, or those
// of one sex placed again among themselves by the same rule.
QList<Row> ofSex(const Standings& standings, standings::Sex sex, int minimum);

// The prize winners: the prize categories in order, each giving its
// prizes in standings order to placed runners of its sex whose series
// category lies inside its ages (any runner for a category of every age),
// one prize per runner.
struct PrizeGroup {
    QString name;
    QList<int> winners; // indexes into the rows given
};
QList<PrizeGroup> award(const QList<Row>& rows, const PrizeScheme& prizes);

// The list's columns and rows as the window shows them and CSV writes them:
// "Mjesto", "Ime i prezime", "Klub", "Kategorija", one column per race,
// "Ukupno", "Uvjet".
QStringList columns(const QStringList& raceNames);
QStringList rowCells(const Row& row);
// The prize list as rows of tx::prizeColumns() with the points for the
// time, and as CSV rows of tx::seriesPrizeCsvColumns().
QList<QStringList> prizeRows(const QList<Row>& rows, const QList<PrizeGroup>& groups);
QList<QStringList> prizeCsvRows(const QList<Row>& rows, const QList<PrizeGroup>& groups);

// The printouts: the standings landscape with a narrow column per race,
// the prize list as the race's.
print::ListFormat standingsFormat(const QString& title, int races);
print::ListFormat prizeFormat(const QString& title);

// The checks of a series before it is stored: a name, at least one race
// and each once, points above 0 (a list of at least one, none negative),
// best and minimum not negative, minimum and planned not beyond what the
// season can hold.
Outcome<Definition> check(const Definition& definition);

// A points list as typed: "25,20,16"; nothing for an unreadable one.
std::optional<QList<int>> readPointsList(const QString& text);

} // namespace series
