#include "core/dates.h"

#include <QStringList>

namespace kvr {

int expandTwoDigitYear(int year)
{
    return year < 30 ? 2000 + year : 1900 + year;
}

namespace {

std::optional<int> digitsValue(const QString& part, int maxDigits)
{
    if (part.isEmpty() || part.size() > maxDigits)
        return std::nullopt;
    int value = 0;
    for (const QChar c : part) {
        if (c < QLatin1Char('0') || c > QLatin1Char('9'))
            return std::nullopt;
        value = value * 10 + (c.unicode() - '0');
    }
    return value;
}

} // namespace

std::optional<QDate> parseDayMonthYear(const QString& text)
{
    const QStringList parts = text.trimmed().split(QLatin1Char('.'));
    if (parts.size() != 3)
        return std::nullopt;
    const auto day = digitsValue(parts[0], 2);
    const auto month = digitsValue(parts[1], 2);
    const auto year = digitsValue(parts[2], 4);
    if (!day || !month || !year)
        return std::nullopt;
    const int fullYear = parts[2].size() <= 2 ? expandTwoDigitYear(*year) : *year;
    if (fullYear < 1)
        return std::nullopt;
    const QDate date(fullYear, *month, *day);
    if (!date.isValid())
        return std::nullopt;
    return date;
}

QString formatDate(const QDate& date)
{
    return date.isValid() ? date.toString(QStringLiteral("dd.MM.yyyy")) : QString();
}

} // namespace kvr
