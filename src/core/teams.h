#pragma once

// Team results of a race: the clubs ranked by their first finishers (see
// TeamRules). Plain values: worked out from the overall standings.

#include "core/categoryscheme.h"
#include "core/listlayout.h"
#include "core/prizes.h"
#include "core/standings.h"

#include <QList>
#include <QString>
#include <QStringList>

namespace teams {

struct Scorer {
    QString name;
    int place = 0;   // among the finishers of the ranking (of the sex, or all)
    QString time;
};

struct Team {
    int place = 0;       // 0: not ranked (too few finishers)
    QString club;        // as the club's first finisher wrote it
    QString sex;         // "M", "Ž", or empty for all together
    int points = 0;      // the sum of the scorers' places
    int seconds = 0;     // the sum of their times
    QList<Scorer> scorers;
    int finishers = 0;   // the club's ranked finishers in the ranking
};

// Whether a club text means "no club" under the rules.
bool isNoClub(const QString& club, const TeamRules& rules);

// The team standings of one ranking: for the sex chosen (Men, Women), or,
// with All, the men's and then the women's; all together when the rules
// say so, whatever the sex chosen. Ranked teams first, by score (lowest
// first), then the better last scorer, then the better first scorer;
// incomplete teams after them, most finishers first. Empty when team
// results are off.
QList<Team> standings(const QList<standings::StandingsRow>& overall, const TeamRules& rules,
                      standings::Sex sex = standings::Sex::All);

// The score as the list shows it: points, or the summed time as h:mm:ss.
QString scoreText(const Team& team, const TeamRules& rules);
// "Ivo Horvat (2), Ana Kovač (3), Tin Babić (5)".
QString scorersText(const Team& team);
// "3", or "-" for a team not ranked.
QString placeText(const Team& team);

// The list's columns and rows: "Mj.", "Klub", "Spol", "Bodovi" or
// "Vrijeme", "Članovi"; and as a CSV file: "Mjesto", "Klub", "Spol",
// "Bodovi" or "Vrijeme", "Članovi".
QStringList columns(const TeamRules& rules);
QStringList csvColumns(const TeamRules& rules);
QStringList rowCells(const Team& team, const TeamRules& rules);

// The rule in words, for the printout's last line.
QString ruleText(const TeamRules& rules);

// The team prizes: the first rules.prizes ranked teams of each ranking, as
// groups of the prize list (the club in the name column, the score in the
// time column).
QList<prizes::PrizeGroup> prizeGroups(const QList<standings::StandingsRow>& overall, const TeamRules& rules);

// The printout of the team standings.
print::ListFormat printFormat(const TeamRules& rules);

// The race's prize list with its team prizes after the prize categories.
QList<prizes::PrizeGroup> prizeListWithTeams(const QList<standings::StandingsRow>& overall,
                                             const QList<prizes::Award>& awards, const RaceRules& rules);

} // namespace teams
