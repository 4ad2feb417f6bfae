#include "core/standings.h"

#include "core/age.h"
#include "core/prizes.h"
#include "core/runstates.h"
#include "core/texts.h"

#include <QHash>
#include <QSet>
#include <algorithm>

namespace standings {

namespace {

constexpr int kOverallPrizes = 5;

bool inCategory(const StandingsRow& row, const QString& category, Sex sex)
{
    return row.kategorija == category && matchesSex(row.spol, sex);
}


// Registered entries of the start list that pass the test, and how many of
// them have a start number.
template <typename Test>
CategoryCount countEntries(const QList<Competitor>& startList, Test&& inSelection)
{
    CategoryCount count;
    for (const Competitor& c : startList) {
        if (!inSelection(c))
            continue;
        ++count.registered;
        // A start number of blanks is no start number.
        if (!c.sbroj.trimmed().isEmpty())
            ++count.started;
    }
    return count;
}

} // namespace

QString birthYearText(const QDate& date)
{
    if (!date.isValid())
        return QString();
    const int year = date.year();
    return year >= 1000 ? QString::number(year) : QString::number(year).rightJustified(4, QLatin1Char('0'));
}

bool isCategoryChosen(const QString& category)
{
    return category.size() >= 3;
}

bool isCategoryChosen(const QString& category, const CategoryScheme& scheme)
{
    return isCategoryChosen(category) || (!category.trimmed().isEmpty() && scheme.rowByLabel(category) >= 0);
}

bool isAllCategories(const QString& category)
{
    return category == tx::categoryAll();
}

bool matchesSex(const QString& spol, Sex sex)
{
    switch (sex) {
    case Sex::Men:
        return spol == tx::sexMale();
    case Sex::Women:
        return spol == tx::sexFemale();
    case Sex::All:
        break;
    }
    return true;
}

QHash<qint64, const Competitor*> competitorsByKey(const QList<Competitor>& startList)
{
    // Walking backwards leaves the first entry of a key in the hash.
    QHash<qint64, const Competitor*> byId;
    byId.reserve(startList.size());
    for (auto it = startList.crbegin(); it != startList.crend(); ++it)
        byId.insert(it->id, &*it);
    return byId;
}

QList<const FinishRecord*> inTimeOrder(const QList<FinishRecord>& finishList)
{
    QList<const FinishRecord*> ordered;
    ordered.reserve(finishList.size());
    for (const FinishRecord& r : finishList)
        ordered.append(&r);
    std::stable_sort(ordered.begin(), ordered.end(),
                     [](const FinishRecord* a, const FinishRecord* b) { return a->vrijeme < b->vrijeme; });
    return ordered;
}

QList<StandingsRow> overallStandings(const QList<FinishRecord>& finishList, const QList<Competitor>& startList,
                                     const QDate& raceDate, const CategoryScheme& scheme)
{
    const QHash<qint64, const Competitor*> byId = competitorsByKey(startList);
    const QList<const FinishRecord*> ordered = inTimeOrder(finishList);

    QList<StandingsRow> rows;
    rows.reserve(ordered.size());
    // One string per year of birth for all rows born that year.
    QHash<int, QString> years;
    const auto yearText = [&years](const QDate& date) {
        if (!date.isValid())
            return QString();
        auto it = years.find(date.year());
        if (it == years.end())
            it = years.insert(date.year(), birthYearText(date));
        return *it;
    };
    int place = 0;
    for (const FinishRecord* r : ordered) {
        StandingsRow row;
        row.place = ++place;
        row.sbroj = r->sbroj;
        row.vrijeme = r->vrijeme;
        row.idtakmicara = r->idtakmicara;
        if (const Competitor* c = byId.value(r->idtakmicara)) {
            row.ime = c->ime;
            row.drzava = c->drzava;
            row.klub = c->klub;
            row.spol = c->spol;
            row.age = ageFor(c->datum, raceDate);
            row.kategorija = categoryFor(c->spol, c->datum, raceDate, scheme, c->kategorija);
            row.godiste = yearText(c->datum);
        }
        rows.append(std::move(row));
    }
    return rows;
}

QList<StandingsRow> overallStandings(const QList<FinishRecord>& finishList, const QList<Competitor>& startList,
                                     const QDate& raceDate, const RunStates& states, const CategoryScheme& scheme)
{
    QList<StandingsRow> all = overallStandings(finishList, startList, raceDate, scheme);
    if (states.isEmpty())
        return all;
    QHash<qint64, const Competitor*> byId;
    byId.reserve(startList.size());
    for (auto it = startList.crbegin(); it != startList.crend(); ++it)
        byId.insert(it->id, &*it);
    const auto stateOf = [&](qint64 id) {
        const auto it = states.constFind(id);
        return it == states.cend() || !byId.contains(id) ? RunState::None : it->state;
    };

    QList<StandingsRow> rows;
    rows.reserve(all.size());
    QSet<qint64> finished;
    for (StandingsRow& row : all) {
        if (stateOf(row.idtakmicara) == RunState::None)
            rows.append(std::move(row));
        else
            finished.insert(row.idtakmicara);
    }
    renumber(rows);

    // One row per entry with a status, grouped in list order.
    QList<const Competitor*> unranked;
    for (const Competitor& c : startList) {
        if (stateOf(c.id) != RunState::None && byId.value(c.id) == &c)
            unranked.append(&c);
    }
    std::stable_sort(unranked.begin(), unranked.end(), [&](const Competitor* a, const Competitor* b) {
        return runstates::listOrder(states.value(a->id).state) < runstates::listOrder(states.value(b->id).state);
    });
    for (const Competitor* c : unranked) {
        const RunStateEntry& entry = states.value(c->id);
        StandingsRow row;
        row.sbroj = c->sbroj;
        row.ime = c->ime;
        row.drzava = c->drzava;
        row.klub = c->klub;
        row.spol = c->spol;
        row.age = ageFor(c->datum, raceDate);
        row.kategorija = categoryFor(c->spol, c->datum, raceDate, scheme, c->kategorija);
        row.godiste = birthYearText(c->datum);
        row.idtakmicara = c->id;
        row.state = entry.state;
        row.reason = entry.reason;
        row.finished = finished.contains(c->id);
        rows.append(row);
    }
    return rows;
}

QList<StandingsRow> bySex(const QList<StandingsRow>& overall, Sex sex)
{
    QList<StandingsRow> rows;
    for (const StandingsRow& row : overall) {
        if (matchesSex(row.spol, sex))
            rows.append(row);
    }
    renumber(rows);
    return rows;
}

QList<StandingsRow> byCategory(const QList<StandingsRow>& overall, const QString& category, Sex sex)
{
    QList<StandingsRow> rows;
    int ranked = 0;
    for (const StandingsRow& row : overall) {
        // The overall prizes go to the first five ranked finishers.
        if (row.state == RunState::None && ++ranked <= kOverallPrizes)
            continue;
        if (inCategory(row, category, sex))
            rows.append(row);
    }
    renumber(rows);
    return rows;
}

QList<StandingsRow> byCategory(const QList<StandingsRow>& overall, const QString& category, Sex sex,
                               const QList<bool>& leftOut)
{
    QList<StandingsRow> rows;
    for (qsizetype i = 0; i < overall.size(); ++i) {
        const StandingsRow& row = overall.at(i);
        if (!leftOut.value(i) && inCategory(row, category, sex))
            rows.append(row);
    }
    renumber(rows);
    return rows;
}

int finishersInCategory(const QList<StandingsRow>& overall, const QString& category, Sex sex)
{
    return int(std::count_if(overall.cbegin(), overall.cend(),
                             [&](const StandingsRow& row) { return row.finished && inCategory(row, category, sex); }));
}

void renumber(QList<StandingsRow>& rows)
{
    int place = 0;
    for (StandingsRow& row : rows)
        row.place = row.state == RunState::None ? ++place : 0;
}

CategoryCount starostizracun(const QList<Competitor>& startList, const QDate& raceDate, const QString& category,
                             Sex sex, const CategoryScheme& scheme)
{
    return countEntries(startList, [&](const Competitor& c) {
        if (!matchesSex(c.spol, sex))
            return false;
        // Without a birth date, an imported category places the runner.
        if (!c.datum.isValid())
            return !c.kategorija.isEmpty() && scheme.labelFor(c.spol, std::nullopt, c.kategorija) == category;
        return scheme.takes(category, c.spol, ageFor(c.datum, raceDate));
    });
}

QString title(const Selection& selection)
{
    if (isAllCategories(selection.category)) {
        switch (selection.sex) {
        case Sex::Women:
            return tx::titleOverallWomen();
        case Sex::Men:
            return tx::titleOverallMen();
        case Sex::All:
            break;
        }
        return tx::titleOverall();
    }
    QString head = tx::titleOverall();
    if (selection.sex == Sex::Women)
        head = tx::titleCategoryWomen();
    else if (selection.sex == Sex::Men)
        head = tx::titleCategoryMen();
    return head + tx::titleCategorySuffix(selection.category);
}

Standings process(const Selection& selection, const QList<FinishRecord>& finishList,
                  const QList<Competitor>& startList, const QDate& raceDate)
{
    return process(selection, overallStandings(finishList, startList, raceDate), startList, raceDate);
}

namespace {

// A label of the race's categories as typed (letter case, another of its
// labels) stands for the label the lists show.
Selection shownSelection(const Selection& chosen, const RaceRules& rules)
{
    Selection selection = chosen;
    if (!isAllCategories(selection.category)) {
        if (const int row = rules.categories.rowByLabel(selection.category); row >= 0)
            selection.category = rules.categories.shownLabel(row);
    }
    return selection;
}

QList<Pick> picksOf(const Selection& selection, const QList<StandingsRow>& overall, bool listUnranked,
                    const RaceRules& rules, const QList<bool>* leftOut)
{
    QList<Pick> picked;
    const auto take = [&](const auto& listed) {
        int place = 0;
        for (qsizetype i = 0; i < overall.size(); ++i) {
            const StandingsRow& row = overall.at(i);
            if (!listed(row, i))
                continue;
            // Places 1, 2, 3 ... among the selection's ranked rows, as renumber() gives them.
            const int shown = row.state == RunState::None ? ++place : 0;
            if (listUnranked || row.state == RunState::None)
                picked.append({int(i), shown});
        }
    };
    if (isAllCategories(selection.category)) {
        if (selection.sex == Sex::All) {
            // The overall standings as they are, their places kept.
            picked.reserve(overall.size());
            for (qsizetype i = 0; i < overall.size(); ++i) {
                if (listUnranked || overall.at(i).state == RunState::None)
                    picked.append({int(i), overall.at(i).place});
            }
        } else {
            take([&](const StandingsRow& row, qsizetype) { return matchesSex(row.spol, selection.sex); });
        }
        return picked;
    }
    QList<bool> winners;
    if (!leftOut) {
        winners = prizes::leftOutOfCategories(prizes::award(overall, rules), rules.prizes, overall.size());
        leftOut = &winners;
    }
    take([&](const StandingsRow& row, qsizetype i) {
        return !leftOut->value(i) && inCategory(row, selection.category, selection.sex);
    });
    return picked;
}

} // namespace

QList<Pick> picks(const Selection& selection, const QList<StandingsRow>& overall, bool listUnranked,
                  const RaceRules& rules, const QList<bool>* leftOut)
{
    return picksOf(shownSelection(selection, rules), overall, listUnranked, rules, leftOut);
}

Standings process(const Selection& chosen, const QList<StandingsRow>& overall, const QList<Competitor>& startList,
                  const QDate& raceDate, bool listUnranked, const RaceRules& rules, const QList<bool>* leftOut)
{
    const Selection selection = shownSelection(chosen, rules);
    Standings result;
    if (isAllCategories(selection.category) && selection.sex == Sex::All && listUnranked) {
        result.rows = overall; // shared, not copied
    } else {
        const QList<Pick> picked = picksOf(selection, overall, listUnranked, rules, leftOut);
        result.rows.reserve(picked.size());
        for (const Pick& pick : picked) {
            result.rows.append(overall.at(pick.row));
            result.rows.last().place = pick.place;
        }
    }
    if (isAllCategories(selection.category)) {
        const CategoryCount entries =
            countEntries(startList, [&](const Competitor& c) { return matchesSex(c.spol, selection.sex); });
        // Finishers among the rows of the sex, those left out of the list too.
        result.counts = {entries.registered, entries.started,
                         int(std::count_if(overall.cbegin(), overall.cend(), [&](const StandingsRow& row) {
                             return row.finished && matchesSex(row.spol, selection.sex);
                         }))};
    } else {
        const CategoryCount entries =
            starostizracun(startList, raceDate, selection.category, selection.sex, rules.categories);
        result.counts = {entries.registered, entries.started,
                         finishersInCategory(overall, selection.category, selection.sex)};
    }
    result.caption = result.rows.isEmpty() ? tx::noStandingsRows() : title(selection);
    return result;
}

} // namespace standings
