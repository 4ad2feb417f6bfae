#pragma once

#include "core/categoryscheme.h"
#include "core/records.h"

#include <QDate>
#include <QHash>
#include <QList>
#include <QString>

// The standings of a race: overall, overall by sex and by age category.
// Everything here works on plain values (the finish list, the start list, the
// race date) and is built afresh on every run; nothing is stored.
//
// The prize rule: the winners of the race's prize categories that cover
// every age (by default "Ukupno": the first five of the overall standings)
// are never listed in the standings of a category (whatever their sex or
// category); the overall standings of one sex leave out nobody. The
// categories are the race's own (CategoryScheme), by default the twelve
// bands for both sexes.
namespace standings {

// The sex option of the reports page. Men are "M", women "Ž", compared
// exactly: any other text matches neither.
enum class Sex { All, Men, Women };

// One row of the standings, with the columns of the standings list. The
// start-list columns (name to year of birth) stay empty for a finish record
// whose competitor is not on the race's start list.
struct StandingsRow {
    int place = 0;        // from 1, without gaps
    QString sbroj;        // start number of the finish record
    QString ime;
    QString drzava;
    QString klub;
    QString spol;
    QString kategorija;   // category label for the race date; empty without a birth date
    QString godiste;      // year of birth, four digits
    QString vrijeme;      // "hh:mm:ss"
    qint64 idtakmicara = 0;
    // An entry with a status has no place (0) and no time, and is listed
    // after the ranked finishers.
    RunState state = RunState::None;
    QString reason{};     // of a disqualification
    bool finished = true; // the row stems from a finish record
    std::optional<int> age{}; // for the race date; none without a birth date
};

// What the user chose: "Svi" or a category label, and a sex option.
struct Selection {
    QString category;
    Sex sex = Sex::All;
    // The list of prize winners instead of standings (category and sex unused).
    bool prizes = false;
};

// The three counts shown beside "Prijavljenih:", "Na startu:" and "U cilju:".
struct Counts {
    int registered = 0;
    int started = 0;
    int finished = 0;
};

// Registered and started entries of one category and sex.
struct CategoryCount {
    int registered = 0;
    int started = 0;
};

// The result of one run: the rows to show, the caption of the report label
// (the title, or the "nothing to show" message) and the counts.
struct Standings {
    QList<StandingsRow> rows;
    QString caption;
    Counts counts;
};

// The year of birth in four digits; empty without a date.
QString birthYearText(const QDate& date);

// A category text of fewer than 3 characters means no category was chosen.
bool isCategoryChosen(const QString& category);
// The same where the race's own labels may be shorter: any label of the
// scheme (letter case ignored) is chosen too.
bool isCategoryChosen(const QString& category, const CategoryScheme& scheme);

// True when the category text stands for all categories ("Svi").
bool isAllCategories(const QString& category);

// True when the sex letter belongs to the option; every letter matches All.
bool matchesSex(const QString& spol, Sex sex);

// Each competitor of the start list by key; should a key appear twice, the
// first entry.
QHash<qint64, const Competitor*> competitorsByKey(const QList<Competitor>& startList);
// The finish records in time order; equal times keep the order given.
QList<const FinishRecord*> inTimeOrder(const QList<FinishRecord>& finishList);

// The overall standings: the finish records in time order (equal times keep
// the order given), places 1, 2, 3 ... never shared or skipped, each joined
// with its competitor's start-list entry by key.
QList<StandingsRow> overallStandings(const QList<FinishRecord>& finishList, const QList<Competitor>& startList,
                                     const QDate& raceDate,
                                     const CategoryScheme& scheme = CategoryScheme::standard());

// The same with the entries' statuses: only finish records of entries
// without a status are ranked; after them come the start-list entries with
// a status, DNF, then DSQ, then DNS, each group in registration order, with
// no place and no time. A status of a key not on the start list is ignored.
QList<StandingsRow> overallStandings(const QList<FinishRecord>& finishList, const QList<Competitor>& startList,
                                     const QDate& raceDate, const RunStates& states,
                                     const CategoryScheme& scheme = CategoryScheme::standard());

// The overall standings of one sex, renumbered from 1. Nobody is left out for
// being among the first five.
QList<StandingsRow> bySex(const QList<StandingsRow>& overall, Sex sex);

// The standings of one category and sex, renumbered from 1: the first five
// ranked rows of the overall standings are never listed (entries with a
// status are not ranked, so they move nobody out).
QList<StandingsRow> byCategory(const QList<StandingsRow>& overall, const QString& category, Sex sex);
// The same leaving out the rows marked in leftOut (prizes::leftOutOfCategories).
QList<StandingsRow> byCategory(const QList<StandingsRow>& overall, const QString& category, Sex sex,
                               const QList<bool>& leftOut);

// Finishers of the category and sex in the overall standings (rows that stem
// from a finish record, whatever their status), the first five included.
int finishersInCategory(const QList<StandingsRow>& overall, const QString& category, Sex sex);

// Places 1, 2, 3 ... in list order; rows with a status keep place 0.
void renumber(QList<StandingsRow>& rows);

// starostizracun: the start-list entries whose category for the race date is
// the given label and whose sex matches, and how many of them have a start
// number. An entry without a birth date is in no category.
CategoryCount starostizracun(const QList<Competitor>& startList, const QDate& raceDate, const QString& category,
                             Sex sex, const CategoryScheme& scheme = CategoryScheme::standard());

// One row of a selection's standings without a copy of it: its index in
// the overall standings and its place in the selection's list.
struct Pick {
    int row = 0;
    int place = 0;
};

// The rows process() lists for the selection, in its order, as picks from
// overall (for a large race, the lists of many selections held at once cost
// a few bytes a row). The arguments are those of process().
QList<Pick> picks(const Selection& selection, const QList<StandingsRow>& overall, bool listUnranked = true,
                  const RaceRules& rules = RaceRules::standard(), const QList<bool>* leftOut = nullptr);

// The title of the selection's standings.
QString title(const Selection& selection);

// One whole run for a chosen category (see isCategoryChosen): the rows, the
// caption and the counts of the selection.
Standings process(const Selection& selection, const QList<FinishRecord>& finishList,
                  const QList<Competitor>& startList, const QDate& raceDate);
// The same from the overall standings already built from those lists. The
// counts take in every row; without listUnranked the rows with a status are
// then left out of the rows shown.
// With the race's own rules: its categories, and its prizes deciding who
// leaves the category standings (leftOut, when given, is that already
// worked out: prizes::leftOutOfCategories).
Standings process(const Selection& selection, const QList<StandingsRow>& overall, const QList<Competitor>& startList,
                  const QDate& raceDate, bool listUnranked = true, const RaceRules& rules = RaceRules::standard(),
                  const QList<bool>* leftOut = nullptr);

} // namespace standings
