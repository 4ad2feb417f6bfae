#include "core/prizes.h"

#include "core/texts_rules.h"

#include <algorithm>

namespace prizes {

bool eligible(const standings::StandingsRow& row, const PrizeRow& prize, const CategoryScheme& categories)
{
    if (row.state != RunState::None || !row.finished || !sexTakes(prize.sex, row.spol))
        return false;
    if (prize.coversEveryAge())
        return true;
    if (row.age) {
        const int age = std::clamp(*row.age, kMinRuleAge, kMaxRuleAge);
        return age >= prize.from && age <= prize.to;
    }
    const int category = categories.rowFor(row.spol, std::nullopt, row.kategorija);
    if (category < 0)
        return false;
    const CategoryRow& c = categories.rows().at(category);
    return c.from >= prize.from && c.to <= prize.to;
}

QList<Award> award(const QList<standings::StandingsRow>& overall, const RaceRules& rules)
{
    QList<Award> awards;
    const QList<PrizeRow>& prizes = rules.prizes.rows();
    awards.reserve(prizes.size());
    QList<bool> won(overall.size(), false);
    for (int p = 0; p < prizes.size(); ++p) {
        const PrizeRow& prize = prizes.at(p);
        Award a{p, {}};
        // Ranked rows come first; the rows with a status after them win nothing.
        for (int i = 0; i < overall.size() && a.winners.size() < prize.count; ++i) {
            if (won.at(i) || !eligible(overall.at(i), prize, rules.categories))
                continue;
            won[i] = true;
            a.winners.append(i);
        }
        awards.append(std::move(a));
    }
    return awards;
}

QList<bool> leftOutOfCategories(const QList<Award>& awards, const PrizeScheme& prizes, qsizetype overallSize)
{
    QList<bool> leftOut(overallSize, false);
    for (const Award& a : awards) {
        if (!prizes.rows().value(a.prizeRow).coversEveryAge())
            continue;
        for (int i : a.winners) {
            if (i >= 0 && i < overallSize)
                leftOut[i] = true;
        }
    }
    return leftOut;
}

QList<PrizeGroup> prizeList(const QList<standings::StandingsRow>& overall, const QList<Award>& awards,
                            const PrizeScheme& prizes)
{
    QList<PrizeGroup> groups;
    groups.reserve(awards.size());
    for (const Award& a : awards) {
        PrizeGroup group{prizes.rows().value(a.prizeRow).name, {}};
        int place = 0;
        for (int i : a.winners) {
            standings::StandingsRow row = overall.at(i);
            row.place = ++place;
            group.winners.append(std::move(row));
        }
        groups.append(std::move(group));
    }
    return groups;
}

QList<QStringList> shownRows(const QList<PrizeGroup>& groups)
{
    QList<QStringList> rows;
    for (const PrizeGroup& g : groups) {
        rows.append({QString(), QString(), g.name, QString(), QString(), QString()});
        if (g.winners.isEmpty())
            rows.append({QString(), QString(), tx::prizeListNone(), QString(), QString(), QString()});
        for (const standings::StandingsRow& w : g.winners)
            rows.append({QString::number(w.place), w.sbroj, w.ime, w.klub, w.kategorija, w.vrijeme});
    }
    return rows;
}

QList<QStringList> csvRows(const QList<PrizeGroup>& groups)
{
    QList<QStringList> rows;
    for (const PrizeGroup& g : groups) {
        if (g.winners.isEmpty())
            rows.append({g.name, QString(), QString(), QString(), QString(), QString(), QString()});
        for (const standings::StandingsRow& w : g.winners)
            rows.append({g.name, QString::number(w.place), w.sbroj, w.ime, w.klub, w.kategorija, w.vrijeme});
    }
    return rows;
}

print::ListFormat printFormat()
{
    using print::Column;
    using A = Column::Align;
    print::ListFormat f = print::startListFormat();
    f.titleFirst = tx::prizeListTitle() + QLatin1Char(' ') + tx::printPage();
    f.titleLater = f.titleFirst;
    // Each heading as wide as its column, so that they stand above them.
    // The name's heading as the lists have it: names print as they were typed.
    f.headingsFirst = {tx::printColPrizePlace(), tx::printColStartNumber(), tx::columnsStartList().at(2).leftJustified(30),
                       tx::printColClub().trimmed().leftJustified(20), tx::printColCategory().trimmed().leftJustified(10),
                       tx::printColTime()};
    f.headingsLater = f.headingsFirst;
    f.underlineFirst = 85;
    f.underlineLater = 85;
    f.columns = {{0, 5, A::Right, 0}, {1, 6, A::Left, 2},  {2, 30, A::Left, 1},
                 {3, 20, A::Left, 1}, {4, 10, A::Left, 1}, {5, 8, A::Left, 1}};
    // A prize category's name (no place, no number) heads its winners.
    f.isHeading = [](const QStringList& row) {
        return row.value(0).isEmpty() && row.value(1).isEmpty() && row.value(2) != tx::prizeListNone();
    };
    return f;
}

} // namespace prizes
