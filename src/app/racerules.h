#pragma once

// Use cases of a race's own categories and prizes, beside RaceSession: the
// rules read and set (from the settings window's tables, from files, from
// another race) and the list of prize winners.

#include "core/categoryscheme.h"
#include "core/outcome.h"
#include "core/prizes.h"

#include <QByteArray>
#include <QList>
#include <QStringList>
#include <optional>

class RaceSession;

namespace racerules {

// The current race's rules, as stored now (another station's change read in).
Outcome<RaceRules> current(RaceSession& session);

// Sets the current race's categories and/or prizes from CSV files
// (schemes::readCategories, schemes::readPrizes); a table not given stays.
// All or nothing: a refusal of either file stores neither.
Status setFromFiles(RaceSession& session, const std::optional<QByteArray>& categories,
                    const std::optional<QByteArray>& prizes, const std::optional<TeamRules>& teams = std::nullopt);

// Sets both tables from the settings window's cells, checked as files are.
// A refusal names the table first.
// The team rule, when given, is stored with them; otherwise it stays.
Status setFromCells(RaceSession& session, const QList<QStringList>& categories, const QList<QStringList>& prizes,
                    const std::optional<TeamRules>& teams = std::nullopt);
// The team rule checked: sizes and prizes within their bounds.
Outcome<TeamRules> checkTeams(const TeamRules& teams);

// The rules of another race (a template), as stored.
Outcome<RaceRules> rulesOf(RaceSession& session, qint64 raceId);

// Gives the current race the rules of another race (a template).
Status copyFrom(RaceSession& session, qint64 otherRaceId);

// The prize winners of each prize category of the current race, in order.
Outcome<QList<prizes::PrizeGroup>> prizeList(RaceSession& session);

// Both tables as text for a terminal: a heading, then one line per row,
// fields apart by tabs.
QString rulesText(const RaceRules& rules);

} // namespace racerules
