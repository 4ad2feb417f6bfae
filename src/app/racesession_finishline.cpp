// RaceSession: the finish records that captured times make, applied to the lists row by row.

#include "app/racesession.h"

#include "data/database.h"

#include <QSet>
#include <algorithm>

void RaceSession::applyFinishChanges(const QList<qint64>& removed, const QList<FinishRecord>& added)
{
    noteOwnWrite();
    if (removed.isEmpty() && added.isEmpty())
        return;
    const QSet<qint64> gone(removed.cbegin(), removed.cend());
    for (qsizetype row = m_finishList.size() - 1; row >= 0 && !gone.isEmpty(); --row) {
        if (!gone.contains(m_finishList.at(row).id))
            continue;
        m_finishModel->beginRemove(int(row));
        m_detailModel->beginRemove(int(row));
        m_finishList.removeAt(row);
        m_detailModel->endRemove();
        m_finishModel->endRemove();
    }
    // Time order; equal times in the order stored, as the database gives them.
    const auto before = [](const FinishRecord& a, const FinishRecord& b) {
        return a.vrijeme != b.vrijeme ? a.vrijeme < b.vrijeme : a.id < b.id;
    };
    for (const FinishRecord& record : added) {
        const qsizetype row =
            std::upper_bound(m_finishList.cbegin(), m_finishList.cend(), record, before) - m_finishList.cbegin();
        m_finishModel->beginInsert(int(row));
        m_detailModel->beginInsert(int(row));
        m_finishList.insert(row, record);
        m_detailModel->endInsert();
        m_finishModel->endInsert();
    }
    listsTouched();
}
