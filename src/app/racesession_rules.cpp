// The race's own categories and prizes: stored, then every list shown by them.

#include "app/racesession.h"
#include "core/teams.h"

#include "core/texts.h"
#include "core/texts_rules.h"
#include "data/database.h"

Status RaceSession::setRules(const RaceRules& rules)
{
    if (!m_race)
        return Status::refused(Field::None, tx::noOpenRace());
    if (const DbStatus stored = m_db->setRaceRules(m_race->id, rules); !stored)
        return Status::dbFailed(stored.error());
    noteOwnWrite();
    m_rules = rules;
    // The category column of the finish list follows the new categories.
    if (!m_finishList.isEmpty())
        m_detailModel->changed(0, int(m_finishList.size()) - 1);
    listsTouched();
    return Status::done();
}

const QList<prizes::Award>& RaceSession::awards()
{
    if (!m_awards) {
        m_awards = prizes::award(overall(), m_rules);
        m_leftOut = prizes::leftOutOfCategories(*m_awards, m_rules.prizes, overall().size());
    }
    return *m_awards;
}

const QList<bool>& RaceSession::leftOutOfCategories()
{
    awards();
    return m_leftOut;
}

standings::Standings RaceSession::prizeStandings()
{
    // The counts of the whole race, as the overall standings give them.
    standings::Standings result =
        standings::process({tx::categoryAll(), standings::Sex::All}, overall(), m_startList, raceDate());
    result.rows.clear();
    for (const prizes::PrizeGroup& group : teams::prizeListWithTeams(overall(), awards(), m_rules)) {
        standings::StandingsRow heading;
        heading.ime = group.name;
        result.rows.append(heading);
        if (group.winners.isEmpty()) {
            standings::StandingsRow none;
            none.ime = tx::prizeListNone();
            result.rows.append(none);
        }
        result.rows.append(group.winners);
    }
    result.caption = tx::prizeListTitle();
    return result;
}
