#include "core/competitorrules.h"

#include "core/dates.h"

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

StartNumberIndex::StartNumberIndex(const QList<Competitor>& startList)
{
    m_entries.reserve(startList.size());
    for (qsizetype i = 0; i < startList.size(); ++i) {
        const QString number = startList.at(i).sbroj.trimmed();
        if (!number.isEmpty())
            m_entries[number].append({i, startList.at(i).id});
    }
}

qsizetype StartNumberIndex::first(const QString& startNumber) const
{
    const auto it = m_entries.constFind(startNumber.trimmed());
    return it == m_entries.cend() ? -1 : it->first().position;
}

bool StartNumberIndex::takenByOther(const QString& startNumber, qint64 ownId) const
{
    const auto it = m_entries.constFind(startNumber.trimmed());
    if (it == m_entries.cend())
        return false;
    return std::any_of(it->cbegin(), it->cend(), [ownId](const Entry& e) { return e.id != ownId; });
}

} // namespace rules
