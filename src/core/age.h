#pragma once

#include "core/categoryscheme.h"

#include <QDate>
#include <QString>
#include <optional>

namespace standings {

// A competitor's age for a race: the race's calendar year minus the birth
// year; day and month play no part. Nothing when either date is missing.
std::optional<int> ageFor(const QDate& birthDate, const QDate& raceDate);

// The category label of an age (one of the twelve labels), tested from the
// youngest band up. Every age has a band: 18 and younger are "do 18".
QString starosnagrupa(int age);

// The category label of a competitor for a race; empty when a date is missing.
QString categoryFor(const QDate& birthDate, const QDate& raceDate);
// The same in a race's own categories, which may depend on the sex; empty
// when a date is missing or no row of the scheme takes the competitor.
// Without a birth date, a known label (an imported category) gives its row
// of the scheme, as CategoryScheme::rowFor reads it.
QString categoryFor(const QString& spol, const QDate& birthDate, const QDate& raceDate, const CategoryScheme& scheme,
                    const QString& knownLabel = {});

} // namespace standings
