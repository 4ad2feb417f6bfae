#include "app/racerules.h"

#include "app/racesession.h"
#include "core/texts.h"
#include "core/texts_rules.h"
#include "core/teams.h"
#include "core/texts_teams.h"
#include "data/database.h"

namespace racerules {

Outcome<RaceRules> current(RaceSession& session)
{
    if (!session.hasRace())
        return Outcome<RaceRules>::refused(Field::None, tx::noOpenRace());
    if (const Status fresh = session.refresh(); !fresh)
        return fresh.failure<RaceRules>();
    return Outcome<RaceRules>::done(session.rules());
}

Status setFromFiles(RaceSession& session, const std::optional<QByteArray>& categories,
                    const std::optional<QByteArray>& prizes, const std::optional<TeamRules>& teams)
{
    const auto now = current(session);
    if (!now)
        return now.failure<std::monostate>();
    RaceRules rules = now.value();
    if (categories) {
        const auto read = schemes::readCategories(*categories);
        if (!read)
            return read.failure<std::monostate>();
        rules.categories = read.value();
    }
    if (prizes) {
        const auto read = schemes::readPrizes(*prizes);
        if (!read)
            return read.failure<std::monostate>();
        rules.prizes = read.value();
    }
    if (teams) {
        const auto checked = checkTeams(*teams);
        if (!checked)
            return checked.failure<std::monostate>();
        rules.teams = checked.value();
    }
    return session.setRules(rules);
}

Outcome<TeamRules> checkTeams(const TeamRules& teams)
{
    if (teams.size < 0 || teams.size > kMaxTeamSize)
        return Outcome<TeamRules>::refused(Field::None, tx::teamsBadSize());
    if (teams.extra < 0 || teams.extra > kMaxTeamSize)
        return Outcome<TeamRules>::refused(Field::None, tx::teamsBadExtra());
    if (teams.prizes < 0 || teams.prizes > kMaxPrizeCount)
        return Outcome<TeamRules>::refused(Field::None, tx::teamsBadPrizes());
    TeamRules checked = teams;
    checked.noClub.clear();
    for (const QString& text : teams.noClub) {
        if (!text.simplified().isEmpty() && !checked.noClub.contains(text.simplified()))
            checked.noClub.append(text.simplified());
    }
    return Outcome<TeamRules>::done(checked);
}

Status setFromCells(RaceSession& session, const QList<QStringList>& categories, const QList<QStringList>& prizes,
                    const std::optional<TeamRules>& teams)
{
    if (!session.hasRace())
        return Status::refused(Field::None, tx::noOpenRace());
    const auto categoryScheme = schemes::categoriesFromCells(categories);
    if (!categoryScheme)
        return Status::refused(Field::None,
                               tx::rulesTabCategories() + QStringLiteral(": ") + categoryScheme.refusal().message);
    const auto prizeScheme = schemes::prizesFromCells(prizes);
    if (!prizeScheme)
        return Status::refused(Field::None, tx::rulesTabPrizes() + QStringLiteral(": ") + prizeScheme.refusal().message);
    TeamRules teamRules = session.rules().teams;
    if (teams) {
        const auto checked = checkTeams(*teams);
        if (!checked)
            return Status::refused(Field::None, tx::teamsTab() + QStringLiteral(": ") + checked.refusal().message);
        teamRules = checked.value();
    }
    return session.setRules({categoryScheme.value(), prizeScheme.value(), teamRules});
}

Outcome<RaceRules> rulesOf(RaceSession& session, qint64 raceId)
{
    const auto race = session.database().race(raceId);
    if (!race)
        return Outcome<RaceRules>::dbFailed(race.error());
    if (race.value().id != raceId)
        return Outcome<RaceRules>::refused(Field::None, tx::raceNotFound(raceId));
    const auto rules = session.database().raceRules(raceId);
    if (!rules)
        return Outcome<RaceRules>::dbFailed(rules.error());
    return Outcome<RaceRules>::done(rules.value());
}

Status copyFrom(RaceSession& session, qint64 otherRaceId)
{
    if (!session.hasRace())
        return Status::refused(Field::None, tx::noOpenRace());
    const auto other = rulesOf(session, otherRaceId);
    if (!other)
        return other.failure<std::monostate>();
    return session.setRules(other.value());
}

Outcome<QList<prizes::PrizeGroup>> prizeList(RaceSession& session)
{
    using Result = Outcome<QList<prizes::PrizeGroup>>;
    if (!session.hasRace())
        return Result::refused(Field::None, tx::openOrCreateRace());
    if (const Status fresh = session.refresh(); !fresh)
        return fresh.failure<QList<prizes::PrizeGroup>>();
    return Result::done(teams::prizeListWithTeams(session.overall(), session.awards(), session.rules()));
}

QString rulesText(const RaceRules& rules)
{
    QString text = tx::cliRulesCategories() + QLatin1Char('\n');
    for (const QStringList& row : schemes::categoryCells(rules.categories))
        text += row.join(QLatin1Char('\t')) + QLatin1Char('\n');
    text += tx::cliRulesPrizes() + QLatin1Char('\n');
    for (const QStringList& row : schemes::prizeCells(rules.prizes))
        text += row.join(QLatin1Char('\t')) + QLatin1Char('\n');
    // The team rule only where the race has one: a race without it prints as before.
    if (rules.teams.on())
        text += teams::ruleText(rules.teams) + QLatin1Char('\n');
    return text;
}

} // namespace racerules
