#include "core/listsort.h"

#include "core/dates.h"

#include <QLocale>

namespace listsort {

namespace {

int order(qint64 a, qint64 b)
{
    return a < b ? -1 : (a > b ? 1 : 0);
}

// Unreadable values (empty cells) come first and are equal among themselves.
int compareValues(bool validA, qint64 a, bool validB, qint64 b)
{
    if (validA != validB)
        return validA ? 1 : -1;
    return validA ? order(a, b) : 0;
}

bool isDigit(QChar c)
{
    return c >= QLatin1Char('0') && c <= QLatin1Char('9');
}

std::optional<qint64> numberOf(const QString& text)
{
    bool ok = false;
    const qint64 value = text.trimmed().toLongLong(&ok);
    return ok ? std::optional<qint64>(value) : std::nullopt;
}

std::optional<qint64> dayOf(const QString& text)
{
    const auto date = kvr::parseDayMonthYear(text);
    return date ? std::optional<qint64>(date->toJulianDay()) : std::nullopt;
}

} // namespace

int compareNumbers(const QString& a, const QString& b)
{
    const auto x = numberOf(a);
    const auto y = numberOf(b);
    return compareValues(x.has_value(), x.value_or(0), y.has_value(), y.value_or(0));
}

int compareNatural(const QString& a, const QString& b)
{
    // Runs of digits compare by value: the shorter run without its leading
    // zeros is the smaller number, runs of one length compare digit by digit.
    // Where two texts differ only in leading zeros (7 and 07) the one with
    // fewer zeros comes first, so distinct texts never compare equal.
    int zerosTie = 0;
    qsizetype i = 0;
    qsizetype j = 0;
    while (i < a.size() && j < b.size()) {
        if (isDigit(a[i]) && isDigit(b[j])) {
            const qsizetype startA = i;
            const qsizetype startB = j;
            while (i < a.size() && isDigit(a[i]))
                ++i;
            while (j < b.size() && isDigit(b[j]))
                ++j;
            qsizetype digitsA = startA;
            qsizetype digitsB = startB;
            while (digitsA < i - 1 && a[digitsA] == QLatin1Char('0'))
                ++digitsA;
            while (digitsB < j - 1 && b[digitsB] == QLatin1Char('0'))
                ++digitsB;
            if (i - digitsA != j - digitsB)
                return i - digitsA < j - digitsB ? -1 : 1;
            for (qsizetype k = 0; k < i - digitsA; ++k) {
                if (a[digitsA + k] != b[digitsB + k])
                    return a[digitsA + k] < b[digitsB + k] ? -1 : 1;
            }
            if (zerosTie == 0)
                zerosTie = order(digitsA - startA, digitsB - startB);
            continue;
        }
        if (a[i] != b[j])
            return a[i] < b[j] ? -1 : 1;
        ++i;
        ++j;
    }
    if (i < a.size() || j < b.size())
        return i < a.size() ? 1 : -1;
    return zerosTie;
}

int compareDates(const QString& a, const QString& b)
{
    const auto x = dayOf(a);
    const auto y = dayOf(b);
    return compareValues(x.has_value(), x.value_or(0), y.has_value(), y.value_or(0));
}

int compareText(const QString& a, const QString& b)
{
    return order(croatianCollator().compare(a, b), 0);
}

int compare(Kind kind, const QString& a, const QString& b)
{
    switch (kind) {
    case Kind::Number:
        return compareNumbers(a, b);
    case Kind::Natural:
        return compareNatural(a, b);
    case Kind::Date:
        return compareDates(a, b);
    case Kind::Text:
        return compareText(a, b);
    }
    return 0;
}

const QCollator& croatianCollator()
{
    static const QCollator collator(QLocale(QLocale::Croatian, QLocale::Croatia));
    return collator;
}

SortKey::SortKey(Kind kind, const QString& text)
    : m_kind(kind)
{
    std::optional<qint64> value;
    switch (kind) {
    case Kind::Number:
        value = numberOf(text);
        break;
    case Kind::Date:
        value = dayOf(text);
        break;
    case Kind::Natural:
        m_text = text;
        break;
    case Kind::Text:
        m_collated = croatianCollator().sortKey(text);
        break;
    }
    m_valid = value.has_value();
    m_value = value.value_or(0);
}

int SortKey::compare(const SortKey& other) const
{
    switch (m_kind) {
    case Kind::Number:
    case Kind::Date:
        return compareValues(m_valid, m_value, other.m_valid, other.m_value);
    case Kind::Natural:
        return compareNatural(m_text, other.m_text);
    case Kind::Text:
        return order(m_collated->compare(*other.m_collated), 0);
    }
    return 0;
}

} // namespace listsort
