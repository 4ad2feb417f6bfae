#include "core/age.h"

#include "core/texts.h"

namespace standings {

std::optional<int> ageFor(const QDate& birthDate, const QDate& raceDate)
{
    if (!birthDate.isValid() || !raceDate.isValid())
        return std::nullopt;
    return raceDate.year() - birthDate.year();
}

QString starosnagrupa(int age)
{
    // Upper bound of each band, youngest first; the last band has none.
    static constexpr int kUpper[] = {18, 24, 29, 34, 39, 44, 49, 54, 59, 64, 69};
    static const QStringList labels = tx::categoryLabels();
    for (int i = 0; i < int(std::size(kUpper)); ++i) {
        if (age <= kUpper[i])
            return labels.at(i);
    }
    return labels.last();
}

QString categoryFor(const QDate& birthDate, const QDate& raceDate)
{
    const auto age = ageFor(birthDate, raceDate);
    return age ? starosnagrupa(*age) : QString();
}

QString categoryFor(const QString& spol, const QDate& birthDate, const QDate& raceDate, const CategoryScheme& scheme,
                    const QString& knownLabel)
{
    const auto age = ageFor(birthDate, raceDate);
    if (age)
        return scheme.labelFor(spol, age);
    // A birth date decides, also when the race's date is missing.
    return birthDate.isValid() ? QString() : scheme.labelFor(spol, std::nullopt, knownLabel);
}

} // namespace standings
