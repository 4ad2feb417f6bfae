// RaceSession: other writers' changes read in row by row, as the change feed
// names them, instead of the whole race read again.

#include "app/racesession.h"

#include "core/changelog.h"
#include "data/database.h"

#include <QHash>
#include <QSet>
#include <algorithm>

namespace {

QList<qint64> sorted(const QSet<qint64>& keys)
{
    QList<qint64> list(keys.cbegin(), keys.cend());
    std::sort(list.begin(), list.end());
    return list;
}

} // namespace

std::optional<Status> RaceSession::followLog()
{
    const auto changed = m_db->changedRows();
    if (!changed)
        return Status::dbFailed(changed.error());
    if (!changed.value())
        return std::nullopt;
    const qint64 raceId = m_race->id;
    QSet<qint64> competitors;
    QSet<qint64> records;
    QSet<qint64> states;
    QSet<qint64> captured;
    bool start = false;
    for (const Database::ChangedRow& row : *changed.value()) {
        if (row.table == QLatin1String("utrke")) {
            // The race itself changed: everything is read again.
            if (row.key == raceId)
                return std::nullopt;
            continue;
        }
        if (row.raceId != raceId)
            continue;
        if (row.table == QLatin1String("startna"))
            competitors.insert(row.key);
        else if (row.table == QLatin1String("rezultati"))
            records.insert(row.key);
        else if (row.table == QLatin1String("statusi"))
            states.insert(row.key);
        else if (row.table == QLatin1String("cilj_vremena") || row.table == QLatin1String("cilj_oznake"))
            captured.insert(row.key); // the finish line's own rows: its window reads them
        else if (changes::makesRecords(row.table))
            start = true;
        else
            return std::nullopt; // the race's settings, categories or prizes
    }
    // Read by an open finish line, which follows them row by row.
    if (!captured.isEmpty() || start)
        emit capturedRowsNoted(sorted(captured), start);
    if (competitors.isEmpty() && records.isEmpty() && states.isEmpty())
        return Status::done();

    // Every row is read before the lists change; a failed read leaves them
    // as they were, and the next look reads everything (the feed's mark
    // has moved on).
    const QList<qint64> competitorKeys = sorted(competitors);
    const QList<qint64> recordKeys = sorted(records);
    const auto freshCompetitors = m_db->competitorsOf(raceId, competitorKeys);
    const auto freshRecords = m_db->finishRecordsOf(raceId, recordKeys);
    const QList<qint64> stateKeys = sorted(states);
    const auto freshStates = m_db->runStates(raceId, &stateKeys);
    for (const DbError* error : {freshCompetitors ? nullptr : &freshCompetitors.error(),
                                 freshRecords ? nullptr : &freshRecords.error(),
                                 freshStates ? nullptr : &freshStates.error()}) {
        if (error) {
            m_mustReload = true;
            return Status::dbFailed(*error);
        }
    }
    if (!competitorKeys.isEmpty())
        followStartList(freshCompetitors.value(), competitorKeys);
    if (!recordKeys.isEmpty())
        followFinishList(freshRecords.value(), recordKeys);
    for (const qint64 key : states) {
        if (const auto found = freshStates.value().constFind(key); found != freshStates.value().cend())
            m_states.insert(key, *found);
        else
            m_states.remove(key);
    }
    // The finish lists show each finisher's details and place.
    if ((!competitors.isEmpty() || !states.isEmpty()) && !m_finishList.isEmpty()) {
        m_finishModel->changed(0, int(m_finishList.size()) - 1);
        m_detailModel->changed(0, int(m_finishList.size()) - 1);
    }
    listsTouched();
    emit listsReloaded();
    return Status::done();
}

void RaceSession::followStartList(const QList<Competitor>& fresh, const QList<qint64>& keys)
{
    QHash<qint64, const Competitor*> byKey;
    for (const Competitor& c : fresh)
        byKey.insert(c.id, &c);
    const auto started = [](const Competitor& c) { return int(!c.sbroj.trimmed().isEmpty()); };
    for (const qint64 key : keys) {
        const Competitor* now = byKey.value(key);
        const qsizetype row = startPosition(key);
        if (row >= 0) {
            const Competitor held = m_startList.at(row);
            m_startNumbers.remove(held.sbroj, key);
            m_started -= started(held);
            if (now) {
                m_startList[row] = *now;
                m_startModel->changed(int(row), int(row));
            } else {
                m_startModel->beginRemove(int(row));
                m_startList.removeAt(row);
                m_startModel->endRemove();
            }
        } else if (now) {
            // Keys are registration order.
            const qsizetype at = std::upper_bound(m_startList.cbegin(), m_startList.cend(), key,
                                                  [](qint64 k, const Competitor& c) { return k < c.id; })
                - m_startList.cbegin();
            m_startModel->beginInsert(int(at));
            m_startList.insert(at, *now);
            m_startModel->endInsert();
        }
        if (now) {
            m_startNumbers.add(now->sbroj, key);
            m_started += started(*now);
        }
    }
}

void RaceSession::followFinishList(const QList<FinishRecord>& fresh, const QList<qint64>& keys)
{
    // A changed record leaves its row and comes back where its time puts it.
    const QSet<qint64> gone(keys.cbegin(), keys.cend());
    for (qsizetype row = m_finishList.size() - 1; row >= 0; --row) {
        if (!gone.contains(m_finishList.at(row).id))
            continue;
        m_finishModel->beginRemove(int(row));
        m_detailModel->beginRemove(int(row));
        m_finishList.removeAt(row);
        m_detailModel->endRemove();
        m_finishModel->endRemove();
    }
    for (const FinishRecord& record : fresh)
        insertFinishRow(record);
}
