// Statuses of entries (DNS, DNF, DSQ) and the race's own settings.

#include "app/racesession.h"

#include "core/timing.h"

#include "core/checks.h"
#include "core/runstates.h"
#include "core/texts.h"
#include "data/database.h"

#include <QSet>

Outcome<RunStateEntry> RaceSession::setRunState(qint64 competitorId, RunState state, const QString& reason)
{
    if (!m_race)
        return Outcome<RunStateEntry>::refused(Field::None, tx::openRaceFirst());
    auto checked = runstates::check(state, reason);
    if (!checked)
        return checked;
    if (const Status fresh = refresh(); !fresh)
        return fresh.failure<RunStateEntry>();
    if (const DbStatus stored = m_db->setRunState(m_race->id, competitorId, checked.value()); !stored) {
        if (!stored.error().isGone())
            return Outcome<RunStateEntry>::dbFailed(stored.error());
        // Removed by another station: the lists show it gone.
        reload();
        return Outcome<RunStateEntry>::refused(Field::None, tx::competitorGone());
    }
    noteOwnWrite();
    if (state == RunState::None)
        m_states.remove(competitorId);
    else
        m_states.insert(competitorId, checked.value());

    if (const qsizetype row = startPosition(competitorId); row >= 0)
        m_startModel->changed(int(row), int(row));
    // Every later place of the finish list moves.
    if (!m_finishList.isEmpty()) {
        m_finishModel->changed(0, int(m_finishList.size()) - 1);
        m_detailModel->changed(0, int(m_finishList.size()) - 1);
    }
    listsTouched();
    return checked;
}

QList<qint64> RaceSession::dnsCandidates() const
{
    QSet<qint64> finished;
    finished.reserve(m_finishList.size());
    for (const FinishRecord& r : m_finishList)
        finished.insert(r.idtakmicara);
    QList<qint64> ids;
    for (const Competitor& c : m_startList) {
        if (!c.sbroj.trimmed().isEmpty() && !finished.contains(c.id) && !m_states.contains(c.id))
            ids.append(c.id);
    }
    return ids;
}

Outcome<int> RaceSession::markDns()
{
    if (!m_race)
        return Outcome<int>::refused(Field::None, tx::openRaceFirst());
    if (const Status fresh = refresh(); !fresh)
        return fresh.failure<int>();
    const auto marked = m_db->markDns(m_race->id, dnsCandidates());
    if (!marked)
        return Outcome<int>::dbFailed(marked.error());
    // Many rows at once: the lists are read again.
    if (const Status read = reload(); !read)
        return read.failure<int>();
    return Outcome<int>::done(marked.value());
}

QString RaceSession::finishPlaceText(int row) const
{
    if (m_places.size() != m_finishList.size()) {
        m_places.clear();
        m_places.reserve(m_finishList.size());
        int place = 0;
        for (const FinishRecord& r : m_finishList) {
            const bool ranked = !m_states.contains(r.idtakmicara) || !competitor(r.idtakmicara);
            m_places.append(ranked ? ++place : 0);
        }
    }
    if (row < 0 || row >= m_places.size())
        return {};
    if (m_places.at(row) > 0)
        return QString::number(m_places.at(row));
    return runstates::code(m_states.value(m_finishList.at(row).idtakmicara).state);
}

Status RaceSession::setSettings(const RaceSettings& settings)
{
    if (!m_race)
        return Status::refused(Field::None, tx::noOpenRace());
    if (const DbStatus stored = m_db->setRaceSettings(m_race->id, settings); !stored)
        return Status::dbFailed(stored.error());
    noteOwnWrite();
    m_settings = settings;
    listsTouched();
    return Status::done();
}

Status RaceSession::setSettings(bool listUnranked, const QString& courseKmText, std::optional<bool> official,
                                const QString& leastGapText, const QString& longestWaitText,
                                std::optional<bool> publishDsqReason)
{
    const auto km = checks::parseCourseKm(courseKmText);
    if (!km)
        return km.failure<std::monostate>();
    const auto limits = timing::readDoubtLimits(leastGapText, longestWaitText, m_settings.doubt);
    if (!limits)
        return limits.failure<std::monostate>();
    RaceSettings settings = m_settings;
    settings.doubt = limits.value();
    settings.listUnranked = listUnranked;
    settings.courseKm = km.value();
    if (official)
        settings.official = *official;
    if (publishDsqReason)
        settings.publishDsqReason = *publishDsqReason;
    return setSettings(settings);
}
