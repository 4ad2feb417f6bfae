#include "ui/fieldrules.h"

#include "ui/messagebox.h"
#include "core/texts.h"

#include <QLineEdit>

#include <algorithm>

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

void markField(QLineEdit* field)
{
    field->setSelection(0, field->text().size());
    field->setFocus(Qt::OtherFocusReason);
}

namespace {

// QLineEdit's own limit when none is set. The field keeps it, so that a paste
// reaches the filter whole and the filter's own limit cuts what it keeps.
constexpr int kLineEditDefaultMaxLength = 32767;

} // namespace

FieldFilter::FieldFilter(QLineEdit* field, FieldKind kind, int maxLength)
    : QValidator(field)
    , m_field(field)
    , m_kind(kind)
    , m_maxLength(maxLength)
    , m_accepted(field->text())
{
    connect(field, &QLineEdit::textChanged, this, [this](const QString& text) { m_accepted = text; });
}

FieldFilter* FieldFilter::install(QLineEdit* field, FieldKind kind, int maxLength)
{
    if (FieldFilter* old = of(field)) {
        field->setValidator(nullptr);
        delete old;
    }
    field->setMaxLength(kLineEditDefaultMaxLength);
    auto* filter = new FieldFilter(field, kind, maxLength);
    field->setValidator(filter);
    return filter;
}

FieldFilter* FieldFilter::install(QLineEdit* field, FieldKind kind)
{
    if (FieldFilter* filter = of(field)) {
        filter->m_kind = kind;
        return filter;
    }
    return install(field, kind, field->maxLength());
}

FieldFilter* FieldFilter::of(const QLineEdit* field)
{
    return qobject_cast<FieldFilter*>(const_cast<QValidator*>(field->validator()));
}

QValidator::State FieldFilter::validate(QString& input, int& pos) const
{
    if (input == m_accepted)
        return Acceptable;

    // The inserted part is what lies between the text the change left
    // alone at the start and at the end. An insertion leaves the caret after
    // what it inserted, so the part left alone at the end never reaches
    // back over the caret.
    const QString& old = m_accepted;
    const qsizetype n = input.size();
    const qsizetype m = old.size();
    qsizetype suffixMax = std::min(n, m);
    if (pos >= 0 && pos <= n)
        suffixMax = std::min(suffixMax, n - pos);
    qsizetype suffix = 0;
    while (suffix < suffixMax && input[n - 1 - suffix] == old[m - 1 - suffix])
        ++suffix;
    const qsizetype prefixMax = std::min(n, m) - suffix;
    qsizetype prefix = 0;
    while (prefix < prefixMax && input[prefix] == old[prefix])
        ++prefix;
    // Never split a character outside the basic plane between the parts.
    if (prefix > 0 && input[prefix - 1].isHighSurrogate())
        --prefix;
    if (suffix > 0 && input[n - suffix].isLowSurrogate())
        --suffix;

    const QStringView text(input);
    const QStringView before = text.first(prefix);
    const QStringView after = text.last(suffix);
    const QStringView inserted = text.sliced(prefix, n - prefix - suffix);
    // Every edit by the user is in the field's undo history by now; text the
    // program sets (setText, which starts a new history) is its own and
    // only held to the length limit, as QLineEdit's maxLength did.
    const bool userEdit = m_field->isUndoAvailable();
    const qsizetype room = std::max<qsizetype>(0, m_maxLength - characterCount(before) - characterCount(after));
    const QString kept = filterInsertion(userEdit ? m_kind : FieldKind::Text, before, inserted, after, room);
    if (kept.size() == inserted.size())
        return Acceptable;

    // Nothing of it is kept (a refused key, a paste of letters into a date):
    // the field takes the whole change back and keeps its undo history, as
    // if the key had never been pressed.
    if (kept.isEmpty() && !inserted.isEmpty() && userEdit)
        return Invalid;

    const qsizetype dropped = inserted.size() - kept.size();
    if (pos >= n - suffix)
        pos -= int(dropped);
    else if (pos > prefix)
        pos = int(prefix + std::min<qsizetype>(pos - prefix, kept.size()));
    QString result;
    result.reserve(prefix + kept.size() + suffix);
    result.append(before).append(kept).append(after);
    input = result;
    return Acceptable;
}

int maxLength(const QLineEdit* field)
{
    const FieldFilter* filter = FieldFilter::of(field);
    return filter ? filter->maxLength() : field->maxLength();
}

} // namespace rules
