#pragma once

#include "core/inputrules.h"

#include <QValidator>

class QLineEdit;

namespace rules {

// Selects the whole text of a field and gives it the focus, as after every
// refused entry.
void markField(QLineEdit* field);

// The one gate every change of a field's text passes, whichever way the
// text comes in: typed keys with any modifiers (Alt, AltGr), pastes from the
// keyboard, the context menu or the middle button, drops, input-method
// commits. Only the inserted part is judged: it keeps the characters the
// field's kind allows and at most as many whole characters as the length
// limit leaves room for. Deleting, moving the caret, selecting and undo
// never meet the filter. Text the program sets with setText is only held to
// the length limit, as QLineEdit's maxLength held it.
//
// The field's own QLineEdit::maxLength stays at Qt's default, far above the
// limit, so that a long paste is filtered before it is cut: the limit lives
// here and maxLength() of the filter reads it.
class FieldFilter : public QValidator {
    Q_OBJECT
public:
    // Gives a field its filter of the given kind and length limit, replacing
    // an earlier one.
    static FieldFilter* install(QLineEdit* field, FieldKind kind, int maxLength);
    // Changes the kind of a field's filter and keeps its length limit (that
    // of the field itself when it has no filter yet).
    static FieldFilter* install(QLineEdit* field, FieldKind kind);
    // The filter of a field, or nullptr.
    static FieldFilter* of(const QLineEdit* field);

    FieldKind kind() const { return m_kind; }
    int maxLength() const { return m_maxLength; }

    State validate(QString& input, int& pos) const override;

private:
    FieldFilter(QLineEdit* field, FieldKind kind, int maxLength);

    QLineEdit* m_field;
    FieldKind m_kind;
    int m_maxLength;
    // The field's text after its last change: what the next change is
    // compared with to find the inserted part.
    QString m_accepted;
};

// The length limit of a field, in whole characters.
int maxLength(const QLineEdit* field);

} // namespace rules
