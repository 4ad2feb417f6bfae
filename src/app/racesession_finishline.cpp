// RaceSession: the finish records that captured times make, applied to the lists row by row.

#include "app/racesession.h"

#include "app/finishline.h"
#include "data/database.h"

void RaceSession::applyFinishChanges(const QList<qint64>& removed, const QList<FinishRecord>& added)
{
    noteOwnWrite();
    if (removed.isEmpty() && added.isEmpty())
        return;
    // A record the change feed brought in already is taken out first, so
    // that it is never listed twice.
    QList<qint64> keys = removed;
    for (const FinishRecord& r : added)
        keys.append(r.id);
    followFinishList(added, keys);
    listsTouched();
}

void RaceSession::keepCapturedRecords()
{
    if (m_finishLinesOpen > 0 || !m_race)
        return;
    // Should this fail, the start list change stays stored; the results
    // check brings the records in step before it looks.
    const auto captured = m_db->hasCapturedRows(m_race->id);
    if (captured && captured.value())
        finishline::FinishLine::bringRecordsInStep(*this);
}
