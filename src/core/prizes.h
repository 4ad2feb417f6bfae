#pragma once

// The prize rule of a race: the prize categories, in their order, each give
// their prizes to the first ranked finishers (overall order) of their sex
// and ages who have not won a prize already. Entries with a status (DNS,
// DNF, DSQ) are not ranked and win nothing.

#include "core/categoryscheme.h"
#include "core/listlayout.h"
#include "core/standings.h"

#include <QList>
#include <QString>

namespace prizes {

// The winners of one prize category: positions in the overall standings,
// first prize first.
struct Award {
    int prizeRow = 0;
    QList<int> winners;
};

// Whether a ranked row may win the prize category's prize. Its age known:
// in the prize's ages. Its age unknown but its category known (a category
// of rules.categories by label): when the whole age range of that category
// lies in the prize's ages. A prize of every age takes any row, even one
// with no start-list entry; a prize of one sex only rows of that sex.
bool eligible(const standings::StandingsRow& row, const PrizeRow& prize, const CategoryScheme& categories);

// The awards of every prize category, in the order of rules.prizes, over
// the overall standings (ranked rows first, in overall order, as
// standings::overallStandings gives them).
QList<Award> award(const QList<standings::StandingsRow>& overall, const RaceRules& rules);

// Per row of the overall standings: whether it won a prize of a category
// that covers every age, which the category standings leave out.
QList<bool> leftOutOfCategories(const QList<Award>& awards, const PrizeScheme& prizes, qsizetype overallSize);

// One heading of the prize list and its winners, their place the prize's
// place (1 for the first prize of the category).
struct PrizeGroup {
    QString name;
    QList<standings::StandingsRow> winners;
};
QList<PrizeGroup> prizeList(const QList<standings::StandingsRow>& overall, const QList<Award>& awards,
                            const PrizeScheme& prizes);

// The list as rows of its columns (tx::prizeColumns()): a row with the
// prize category's name in the name column before its winners, or before
// tx::prizeListNone() when it has none.
QList<QStringList> shownRows(const QList<PrizeGroup>& groups);
// The list as CSV rows (tx::prizeCsvColumns()): one row per winner with the
// category's name first; a category without winners one row of its name.
QList<QStringList> csvRows(const QList<PrizeGroup>& groups);

// The printout of the list (rows of shownRows): portrait, as the start list.
print::ListFormat printFormat();

} // namespace prizes
