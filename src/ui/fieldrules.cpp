#include "ui/fieldrules.h"

#include "core/inputrules.h"

#include "ui/messagebox.h"
#include "core/texts.h"

#include <QLineEdit>

#include <algorithm>

namespace rules {

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
