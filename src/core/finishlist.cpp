#include "core/finishlist.h"

#include "core/standings.h"

namespace standings {

QList<QStringList> finishListRows(const QList<FinishRecord>& finishes)
{
    QList<QStringList> rows;
    rows.reserve(finishes.size());
    int place = 0;
    for (const FinishRecord& r : finishes)
        rows.append({QString::number(++place), r.sbroj, r.vrijeme, QString::number(r.idtakmicara)});
    return rows;
}

QList<QStringList> finishDetailRows(const QList<FinishRecord>& finishes, const QList<Competitor>& startList,
                                    const QDate& raceDate)
{
    // The overall standings are exactly this join: time order, places from
    // 1, competitors found by key, empty details for a missing competitor.
    const QList<StandingsRow> overall = overallStandings(finishes, startList, raceDate);
    QList<QStringList> rows;
    rows.reserve(overall.size());
    for (const StandingsRow& r : overall)
        rows.append({QString::number(r.place), r.sbroj, r.ime, r.godiste, r.drzava, r.spol, r.kategorija, r.vrijeme});
    return rows;
}

} // namespace standings
