#pragma once

#include "data/records.h"

#include <QDate>
#include <QList>
#include <QString>

namespace rules {

// The birth-year test of a competitor entry. Only the years count: a
// competitor must be born before the race's year and not before 1800.
// A birth date or race date that is no calendar date counts as too young,
// so no such entry is ever stored.
enum class BirthYearResult { Ok, TooYoung, TooOld };
BirthYearResult checkBirthYear(const QString& birthDateText, const QDate& raceDate);

// Whether startNumber is already used on the start list by a competitor other
// than the one with key ownId (0 when adding a new competitor). Numbers are
// compared as exact text after trimming blanks at both ends, so 7 and 07
// differ; an empty number never collides.
bool startNumberTaken(const QString& startNumber, const QList<Competitor>& startList, qint64 ownId = 0);

} // namespace rules
