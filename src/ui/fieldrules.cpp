#include "ui/fieldrules.h"

#include "ui/messagebox.h"
#include "core/texts.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenu>

namespace rules {

namespace {

constexpr char16_t kBackspace = 8;

bool isDigit(QChar c)
{
    return c >= QLatin1Char('0') && c <= QLatin1Char('9');
}

} // namespace

bool acceptDateChar(QChar c, const QString& current)
{
    if (isDigit(c) || c.unicode() == kBackspace)
        return true;
    if (c == QLatin1Char('.'))
        return !current.isEmpty() && current.count(QLatin1Char('.')) <= 1;
    return false;
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
    case FieldKind::Date:
        return acceptDateChar(c, current);
    case FieldKind::StartNumber:
        return acceptStartNumberChar(c);
    case FieldKind::Time:
        return acceptTimeChar(c);
    }
    return false;
}

QString filterInsertion(FieldKind kind, const QString& before, const QString& inserted, const QString& after)
{
    QString accepted;
    for (const QChar c : inserted) {
        if (c.unicode() == kBackspace)
            continue;
        if (acceptChar(kind, c, before + accepted + after))
            accepted.append(c);
    }
    return accepted;
}

DateTextResult checkDateText(const QString& text)
{
    if (text.size() < 6 || text.startsWith(QLatin1Char('.')) || text.endsWith(QLatin1Char('.')))
        return DateTextResult::TooShortOrDotAtEnd;
    if (text.count(QLatin1Char('.')) != 2)
        return DateTextResult::NotTwoDots;
    return DateTextResult::Ok;
}

QString dateTextMessage(DateTextResult result, const QString& example)
{
    return result == DateTextResult::NotTwoDots ? tx::dateMessageShort(example) : tx::dateMessageLong(example);
}

void markField(QLineEdit* field)
{
    field->setSelection(0, field->text().size());
    field->setFocus(Qt::OtherFocusReason);
}

bool checkDateField(QLineEdit* field, const QString& example)
{
    const DateTextResult result = checkDateText(field->text());
    if (result == DateTextResult::Ok)
        return true;
    MessageBox::notice(field->window(), dateTextMessage(result, example));
    markField(field);
    return false;
}

FieldFilter::FieldFilter(QLineEdit* field, FieldKind kind)
    : QObject(field)
    , m_field(field)
    , m_kind(kind)
{
}

FieldFilter* FieldFilter::install(QLineEdit* field, FieldKind kind)
{
    auto* filter = new FieldFilter(field, kind);
    field->installEventFilter(filter);
    field->setAcceptDrops(false);
    return filter;
}

void FieldFilter::pasteFiltered()
{
    if (m_field->isReadOnly())
        return;
    QString text = m_field->text();
    int start = m_field->cursorPosition();
    if (m_field->hasSelectedText()) {
        start = m_field->selectionStart();
        text.remove(start, m_field->selectedText().size());
    }
    const QString accepted =
        filterInsertion(m_kind, text.left(start), QApplication::clipboard()->text(), text.mid(start));
    m_field->insert(accepted);
}

bool FieldFilter::eventFilter(QObject* watched, QEvent* event)
{
    if (watched != m_field)
        return false;

    if (event->type() == QEvent::KeyPress) {
        auto* key = static_cast<QKeyEvent*>(event);
        if (key->matches(QKeySequence::Paste)) {
            pasteFiltered();
            return true;
        }
        // Keys that type nothing (arrows, Delete, Tab, Enter, shortcuts)
        // are the field's own business; typed characters pass the filter.
        const QString typed = key->text();
        if (typed.size() != 1 || key->modifiers() & (Qt::ControlModifier | Qt::AltModifier))
            return false;
        if (key->key() == Qt::Key_Backspace)
            return false;
        const QChar c = typed.at(0);
        if (c.unicode() < 32 && (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter
                                 || key->key() == Qt::Key_Tab || key->key() == Qt::Key_Escape))
            return false;
        return !acceptChar(m_kind, c, m_field->text());
    }

    if (event->type() == QEvent::ContextMenu) {
        // The standard menu, with its paste going through the filter.
        auto* menuEvent = static_cast<QContextMenuEvent*>(event);
        QMenu* menu = m_field->createStandardContextMenu();
        menu->setAttribute(Qt::WA_DeleteOnClose);
        for (QAction* action : menu->actions()) {
            if (action->objectName() == QLatin1String("edit-paste")) {
                action->disconnect();
                connect(action, &QAction::triggered, this, &FieldFilter::pasteFiltered);
            }
        }
        menu->popup(menuEvent->globalPos());
        return true;
    }
    return false;
}

} // namespace rules
