#include "core/listsort.h"

#include "core/dates.h"

#include <algorithm>
#include <cstring>
#include <limits>
#include <memory>
#include <unicode/ucol.h>

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

// The Croatian collator: canonical normalisation on, case told apart only
// where the letters are equal, spaces and punctuation not ignored, as Qt's
// QCollator sets up a collator for a locale. Its const calls are safe from
// any thread. Without ICU's data for Croatian the texts compare by code.
const UCollator* croatian()
{
    struct Close {
        void operator()(UCollator* c) const { ucol_close(c); }
    };
    static const std::unique_ptr<UCollator, Close> collator = [] {
        UErrorCode status = U_ZERO_ERROR;
        std::unique_ptr<UCollator, Close> c(ucol_open("hr_HR", &status));
        if (U_FAILURE(status))
            return std::unique_ptr<UCollator, Close>();
        ucol_setAttribute(c.get(), UCOL_NORMALIZATION_MODE, UCOL_ON, &status);
        ucol_setAttribute(c.get(), UCOL_STRENGTH, UCOL_DEFAULT_STRENGTH, &status);
        ucol_setAttribute(c.get(), UCOL_NUMERIC_COLLATION, UCOL_OFF, &status);
        ucol_setAttribute(c.get(), UCOL_ALTERNATE_HANDLING, UCOL_NON_IGNORABLE, &status);
        return U_FAILURE(status) ? std::unique_ptr<UCollator, Close>() : std::move(c);
    }();
    return collator.get();
}

// The first eight bytes of a key as one number, so that most comparisons of
// two keys are one comparison of numbers. A key has no zero byte before its
// terminating one, so numbers that differ order their keys and equal numbers
// of a key that ends within them mean equal keys.
qint64 headOf(const QByteArray& key)
{
    quint64 head = 0;
    for (qsizetype i = 0; i < 8; ++i)
        head = (head << 8) | (i < key.size() ? quint8(key.at(i)) : 0);
    // Stored flipped in its sign bit, so that signed order is byte order.
    return qint64(head ^ (quint64(1) << 63));
}

// The Croatian collation key of a text (c č ć d dž đ … s š t … z ž):
// keys compared byte by byte as C strings order their texts as compareText
// does.
QByteArray collationKey(const QString& text)
{
    const UCollator* collator = croatian();
    if (!collator) {
        // The UTF-8 bytes order the texts by code point, as compareText does
        // without a collator; a text's own zero characters end it early.
        return text.toUtf8();
    }
    const auto* chars = reinterpret_cast<const UChar*>(text.utf16());
    uint8_t buffer[512];
    const int32_t size = ucol_getSortKey(collator, chars, int32_t(text.size()), buffer, int32_t(sizeof buffer));
    // The terminating zero byte stays out of the key's size.
    if (size <= int32_t(sizeof buffer))
        return QByteArray(reinterpret_cast<const char*>(buffer), std::max(0, size - 1));
    QByteArray key(size, Qt::Uninitialized);
    ucol_getSortKey(collator, chars, int32_t(text.size()), reinterpret_cast<uint8_t*>(key.data()), size);
    key.truncate(size - 1);
    return key;
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
    const UCollator* collator = croatian();
    if (!collator)
        return order(qstrcmp(collationKey(a), collationKey(b)), 0);
    return order(ucol_strcoll(collator, reinterpret_cast<const UChar*>(a.utf16()), int32_t(a.size()),
                              reinterpret_cast<const UChar*>(b.utf16()), int32_t(b.size())),
                 0);
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
        m_collated = collationKey(text);
        value = headOf(m_collated);
        break;
    }
    m_valid = value.has_value();
    m_value = value.value_or(0);
}

qint64 SortKey::head() const
{
    switch (m_kind) {
    case Kind::Number:
    case Kind::Date:
        // Unreadable values first, as compareValues orders them.
        return m_valid ? m_value : std::numeric_limits<qint64>::min();
    case Kind::Text:
        return m_value;
    case Kind::Natural:
        break;
    }
    return 0;
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
        if (m_value != other.m_value)
            return m_value < other.m_value ? -1 : 1;
        // Equal heads of keys that end within them are equal keys; longer
        // keys differ, if at all, after their eighth byte.
        if (m_collated.size() < 8 || other.m_collated.size() < 8)
            return 0;
        return order(std::strcmp(m_collated.constData() + 8, other.m_collated.constData() + 8), 0);
    }
    return 0;
}

} // namespace listsort
