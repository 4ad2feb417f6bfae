#include "core/inputrules.h"

namespace rules {

namespace {

constexpr char16_t kBackspace = 8;

bool isDigit(QChar c)
{
    return c >= QLatin1Char('0') && c <= QLatin1Char('9');
}

// The date's dot rule on what it needs of the field's text: a dot only after
// something has been typed, and never a third one.
bool dateCharFits(QChar c, bool fieldEmpty, qsizetype dots)
{
    if (isDigit(c) || c.unicode() == kBackspace)
        return true;
    if (c == QLatin1Char('.'))
        return !fieldEmpty && dots <= 1;
    return false;
}

} // namespace

bool acceptDateChar(QChar c, const QString& current)
{
    return dateCharFits(c, current.isEmpty(), current.count(QLatin1Char('.')));
}

bool acceptStartNumberChar(QChar c)
{
    return isDigit(c) || c.unicode() == kBackspace || c == QLatin1Char('.');
}

bool acceptTimeChar(QChar c)
{
    return isDigit(c) || c.unicode() == kBackspace || c == QLatin1Char('.') || c == QLatin1Char(':');
}

bool acceptChar(FieldKind kind, QChar c, const QString& current)
{
    switch (kind) {
    case FieldKind::Text:
        return true;
    case FieldKind::Date:
        return acceptDateChar(c, current);
    case FieldKind::StartNumber:
        return acceptStartNumberChar(c);
    case FieldKind::Time:
        return acceptTimeChar(c);
    }
    return false;
}

qsizetype characterCount(QStringView text)
{
    qsizetype count = text.size();
    for (qsizetype i = 0; i + 1 < text.size(); ++i) {
        if (text[i].isHighSurrogate() && text[i + 1].isLowSurrogate()) {
            --count;
            ++i;
        }
    }
    return count;
}

QString filterInsertion(FieldKind kind, QStringView before, QStringView inserted, QStringView after, qsizetype room)
{
    // One pass that stops when the room is used up: the date rule only needs
    // to know whether the text is empty and how many dots it holds, so these
    // are counted along instead of rebuilding the text for every character.
    bool empty = before.isEmpty() && after.isEmpty();
    qsizetype dots = before.count(QLatin1Char('.')) + after.count(QLatin1Char('.'));
    QString kept;
    kept.reserve(std::min(inserted.size(), room));
    for (qsizetype i = 0; i < inserted.size() && room > 0; ++i) {
        const QChar c = inserted[i];
        if (c.isSurrogate()) {
            // Only the text field takes characters outside the basic plane,
            // and only whole; a half pair (left by a cut) is never kept.
            const bool pair = c.isHighSurrogate() && i + 1 < inserted.size() && inserted[i + 1].isLowSurrogate();
            if (pair && kind == FieldKind::Text) {
                kept.append(c);
                kept.append(inserted[i + 1]);
                --room;
            }
            if (pair)
                ++i;
            continue;
        }
        if (c.unicode() == kBackspace)
            continue;
        bool accepted = false;
        switch (kind) {
        case FieldKind::Text:
            accepted = true;
            break;
        case FieldKind::Date:
            accepted = dateCharFits(c, empty, dots);
            break;
        case FieldKind::StartNumber:
            accepted = acceptStartNumberChar(c);
            break;
        case FieldKind::Time:
            accepted = acceptTimeChar(c);
            break;
        }
        if (!accepted)
            continue;
        kept.append(c);
        --room;
        empty = false;
        if (c == QLatin1Char('.'))
            ++dots;
    }
    return kept;
}

bool allDigits(QStringView text, qsizetype minSize, qsizetype maxSize)
{
    if (text.size() < minSize || text.size() > maxSize)
        return false;
    for (const QChar c : text) {
        if (c < QLatin1Char('0') || c > QLatin1Char('9'))
            return false;
    }
    return true;
}

} // namespace rules
