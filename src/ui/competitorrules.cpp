#include "ui/competitorrules.h"

#include "data/dates.h"

namespace rules {

namespace {

constexpr int kEarliestBirthYear = 1800;

} // namespace

BirthYearResult checkBirthYear(const QString& birthDateText, const QDate& raceDate)
{
    const auto birth = kvr::parseDayMonthYear(birthDateText);
    if (!birth || !raceDate.isValid() || birth->year() > raceDate.year() - 1)
        return BirthYearResult::TooYoung;
    if (birth->year() < kEarliestBirthYear)
        return BirthYearResult::TooOld;
    return BirthYearResult::Ok;
}

bool startNumberTaken(const QString& startNumber, const QList<Competitor>& startList, qint64 ownId)
{
    const QString wanted = startNumber.trimmed();
    if (wanted.isEmpty())
        return false;
    for (const Competitor& c : startList) {
        if (c.id != ownId && c.sbroj.trimmed() == wanted)
            return true;
    }
    return false;
}

} // namespace rules
