// RaceSession: the finish records that captured times make, applied to the lists row by row.

#include "app/racesession.h"

#include "data/database.h"

void RaceSession::applyFinishChanges(const QList<qint64>& removed, const QList<FinishRecord>& added)
{
    noteOwnWrite();
    if (removed.isEmpty() && added.isEmpty())
        return;
    followFinishList(added, removed);
    listsTouched();
}
