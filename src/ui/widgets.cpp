#include "ui/widgets.h"

#include "ui/fieldrules.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace ui {

QLabel* label(const QString& text)
{
    auto* l = new QLabel(text);
    l->setTextFormat(Qt::PlainText);
    return l;
}

QLineEdit* lineEdit(const char* name, int maxLength)
{
    auto* edit = named(new QLineEdit, name);
    // The limit counts whole characters, so that a character outside the
    // basic plane (an emoji) is never cut in half at the end of the field.
    rules::FieldFilter::install(edit, rules::FieldKind::Text, maxLength);
    return edit;
}

QPushButton* button(const QString& text, const char* name, bool isDefault)
{
    auto* b = named(new QPushButton(text), name);
    b->setDefault(isDefault);
    return b;
}

QPushButton* pageButton(const QString& text, const char* name)
{
    QPushButton* b = button(text, name);
    b->setAutoDefault(true);
    return b;
}

QHBoxLayout* buttonRow(std::initializer_list<QPushButton*> buttons)
{
    auto* row = new QHBoxLayout;
    row->addStretch(1);
    for (QPushButton* b : buttons)
        row->addWidget(b);
    return row;
}

void fitTitle(QWidget* dialog)
{
    const QFontMetrics metrics(QApplication::font("QMdiSubWindowTitleBar"));
    dialog->setMinimumWidth(std::max(dialog->minimumWidth(), metrics.horizontalAdvance(dialog->windowTitle()) + 160));
}

} // namespace ui
