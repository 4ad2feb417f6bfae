#include "core/teams.h"

#include "core/search.h"
#include "core/texts.h"
#include "core/texts_rules.h"
#include "core/texts_teams.h"

#include <QHash>

#include <algorithm>

namespace teams {

namespace {

int secondsOf(const QString& time)
{
    const QStringList parts = time.split(QLatin1Char(':'));
    int seconds = 0;
    for (const QString& part : parts)
        seconds = seconds * 60 + part.toInt();
    return seconds;
}

QString timeText(int seconds)
{
    return QStringLiteral("%1:%2:%3")
        .arg(seconds / 3600, 2, 10, QLatin1Char('0'))
        .arg(seconds / 60 % 60, 2, 10, QLatin1Char('0'))
        .arg(seconds % 60, 2, 10, QLatin1Char('0'));
}

// One ranking: the ranked finishers taken (of one sex, or all), their
// place among them the place that scores.
QList<Team> rank(const QList<standings::StandingsRow>& overall, const TeamRules& rules, const QString& sex,
                 bool together)
{
    QHash<QString, int> teamOf;    // the club folded
    QHash<QString, int> teamOfText; // the club as written: its team, -1 for no club
    QList<Team> teams;
    int place = 0;
    for (const standings::StandingsRow& row : overall) {
        if (row.state != RunState::None || !row.finished || row.place <= 0)
            continue;
        if (!together && row.spol != sex)
            continue;
        ++place; // every ranked finisher counts, whatever their club
        // Each way a club is written is folded once.
        auto written = teamOfText.constFind(row.klub);
        if (written == teamOfText.cend()) {
            int team = -1;
            if (!isNoClub(row.klub, rules)) {
                const QString key = search::fold(row.klub.simplified());
                auto at = teamOf.constFind(key);
                if (at == teamOf.cend()) {
                    Team t;
                    t.club = row.klub.simplified();
                    t.sex = together ? QString() : sex;
                    at = teamOf.insert(key, int(teams.size()));
                    teams.append(t);
                }
                team = *at;
            }
            written = teamOfText.insert(row.klub, team);
        }
        if (*written < 0)
            continue;
        Team& t = teams[*written];
        ++t.finishers;
        if (t.scorers.size() < rules.size) {
            t.scorers.append({row.ime, place, row.vrijeme});
            t.points += place;
            t.seconds += secondsOf(row.vrijeme);
        }
    }
    const auto complete = [&rules](const Team& t) { return t.finishers >= rules.size + rules.extra; };
    const auto score = [&rules](const Team& t) { return rules.byTimes ? t.seconds : t.points; };
    std::stable_sort(teams.begin(), teams.end(), [&](const Team& a, const Team& b) {
        if (complete(a) != complete(b))
            return complete(a);
        if (!complete(a))
            return a.finishers != b.finishers ? a.finishers > b.finishers : a.scorers.first().place < b.scorers.first().place;
        if (score(a) != score(b))
            return score(a) < score(b);
        // As in cross-country: the better last scorer, then the better first.
        if (a.scorers.last().place != b.scorers.last().place)
            return a.scorers.last().place < b.scorers.last().place;
        return a.scorers.first().place < b.scorers.first().place;
    });
    // Places are never shared: two teams' scorers are different runners,
    // so their last (or first) scorers never hold the same place.
    for (int i = 0; i < teams.size() && complete(teams.at(i)); ++i)
        teams[i].place = i + 1;
    return teams;
}

} // namespace

bool isNoClub(const QString& club, const TeamRules& rules)
{
    const QString c = search::fold(club.simplified());
    if (c.isEmpty())
        return true;
    return std::any_of(rules.noClub.cbegin(), rules.noClub.cend(),
                       [&](const QString& text) { return search::fold(text.simplified()) == c; });
}

QList<Team> standings(const QList<standings::StandingsRow>& overall, const TeamRules& rules, standings::Sex sex)
{
    if (!rules.on())
        return {};
    if (rules.together)
        return rank(overall, rules, QString(), true);
    QList<Team> all;
    if (sex != standings::Sex::Women)
        all += rank(overall, rules, QStringLiteral("M"), false);
    if (sex != standings::Sex::Men)
        all += rank(overall, rules, QStringLiteral("Ž"), false);
    return all;
}

QString scoreText(const Team& team, const TeamRules& rules)
{
    if (team.place <= 0)
        return QString();
    return rules.byTimes ? timeText(team.seconds) : QString::number(team.points);
}

QString scorersText(const Team& team)
{
    QStringList parts;
    for (const Scorer& s : team.scorers)
        parts.append(QStringLiteral("%1 (%2)").arg(s.name).arg(s.place));
    return parts.join(QStringLiteral(", "));
}

QString placeText(const Team& team)
{
    if (team.place <= 0)
        return tx::teamsIncomplete();
    return QString::number(team.place);
}

QStringList columns(const TeamRules& rules)
{
    return {tx::prizeColumns().at(0), tx::teamsColClub(), tx::teamsColSex(),
            rules.byTimes ? tx::teamsColTime() : tx::teamsColPoints(), tx::teamsColMembers()};
}

QStringList csvColumns(const TeamRules& rules)
{
    QStringList c = columns(rules);
    c[0] = tx::teamsColPlace();
    return c;
}

QStringList rowCells(const Team& team, const TeamRules& rules)
{
    return {placeText(team), team.club, team.sex, scoreText(team, rules), scorersText(team)};
}

QString ruleText(const TeamRules& rules)
{
    return tx::teamsRule(rules.size, rules.extra, rules.together, rules.byTimes);
}

QList<prizes::PrizeGroup> prizeGroups(const QList<standings::StandingsRow>& overall, const TeamRules& rules)
{
    QList<prizes::PrizeGroup> groups;
    if (!rules.on() || rules.prizes <= 0)
        return groups;
    const QList<std::pair<QString, QString>> rankings =
        rules.together ? QList<std::pair<QString, QString>>{{tx::teamsPrizeAll(), QString()}}
                       : QList<std::pair<QString, QString>>{{tx::teamsPrizeMen(), QStringLiteral("M")},
                                                            {tx::teamsPrizeWomen(), QStringLiteral("Ž")}};
    for (const auto& [name, sex] : rankings) {
        prizes::PrizeGroup group{name, {}};
        for (const Team& t : rank(overall, rules, sex, rules.together)) {
            if (t.place <= 0 || t.place > rules.prizes)
                break;
            standings::StandingsRow row;
            row.place = t.place;
            row.ime = t.club;
            row.spol = t.sex;
            row.vrijeme = scoreText(t, rules);
            group.winners.append(row);
        }
        groups.append(std::move(group));
    }
    return groups;
}

print::ListFormat printFormat(const TeamRules& rules)
{
    using print::Column;
    using A = Column::Align;
    print::ListFormat f = print::standingsFormat(QString());
    f.titleFirst = tx::teamsTitle() + QStringLiteral("   ") + tx::printPage();
    f.titleLater = f.titleFirst;
    const QStringList c = columns(rules);
    f.headingsFirst = {c.at(0).rightJustified(5), c.at(1).leftJustified(25), c.at(2).leftJustified(4),
                       c.at(3).leftJustified(8), c.at(4)};
    f.headingsLater = f.headingsFirst;
    f.columns = {{0, 5, A::Right, 0}, {1, 25, A::Left, 1}, {2, 4, A::Left, 1}, {3, 8, A::Left, 1},
                 {4, 60, A::Left, 1}};
    // The rule, last, printed whole.
    f.isHeading = [](const QStringList& row) { return row.value(0).isEmpty() && !row.value(1).isEmpty(); };
    return f;
}

QList<prizes::PrizeGroup> prizeListWithTeams(const QList<standings::StandingsRow>& overall,
                                             const QList<prizes::Award>& awards, const RaceRules& rules)
{
    return prizes::prizeList(overall, awards, rules.prizes) + prizeGroups(overall, rules.teams);
}

} // namespace teams
