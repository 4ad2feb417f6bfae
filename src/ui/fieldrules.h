#pragma once

#include <QObject>
#include <QString>

class QLineEdit;

namespace rules {

// Which characters a filtered field takes.
enum class FieldKind { Date, StartNumber, Time };

// Keystroke filters: whether the typed character c may enter a field that
// now holds current. Backspace (code 8) always passes.
bool acceptDateChar(QChar c, const QString& current);
bool acceptStartNumberChar(QChar c);
bool acceptTimeChar(QChar c);
bool acceptChar(FieldKind kind, QChar c, const QString& current);

// The characters of inserted that the filter lets through when they are
// typed one after another into a field whose text, without the replaced
// selection, is before + after.
QString filterInsertion(FieldKind kind, const QString& before, const QString& inserted, const QString& after);

// The date-text check: the text must have at least six characters, no dot
// at either end, and exactly two dots.
enum class DateTextResult { Ok, TooShortOrDotAtEnd, NotTwoDots };
DateTextResult checkDateText(const QString& text);
// The message for a refused date text; example names the kind of date.
QString dateTextMessage(DateTextResult result, const QString& example);

// Runs the date-text check on a field. On refusal it shows the message,
// selects the whole text and gives the field the focus, and returns false.
bool checkDateField(QLineEdit* field, const QString& example);

// Selects the whole text of a field and gives it the focus, as after every
// refused entry.
void markField(QLineEdit* field);

// Applies a keystroke filter to a line edit: typed characters, pasted text
// (keyboard or context menu) and dropped text all pass the same filter.
class FieldFilter : public QObject {
    Q_OBJECT
public:
    static FieldFilter* install(QLineEdit* field, FieldKind kind);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    FieldFilter(QLineEdit* field, FieldKind kind);
    void pasteFiltered();

    QLineEdit* m_field;
    FieldKind m_kind;
};

} // namespace rules
