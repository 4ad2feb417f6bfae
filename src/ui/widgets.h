#pragma once

// Small builders shared by the main window and the dialogs: every control
// gets its object name as it is made.

#include <QString>
#include <initializer_list>

class QHBoxLayout;
class QLabel;
class QLineEdit;
class QPushButton;
class QWidget;

namespace ui {

template <typename T>
T* named(T* object, const char* name)
{
    object->setObjectName(QString::fromLatin1(name));
    return object;
}

// A label that shows its text exactly as it is, never as rich text: names
// and other texts typed by users may hold anything, tags included.
QLabel* label(const QString& text = QString());

// A text field that takes at most maxLength whole characters, whichever way
// they come in (see rules::FieldFilter; rules::FieldFilter::install with a
// kind narrows the characters it takes and keeps the limit).
QLineEdit* lineEdit(const char* name, int maxLength);

// A push button; the default button is the one Enter presses.
QPushButton* button(const QString& text, const char* name, bool isDefault = false);

// A push button of a page of the main window: Enter and the keypad's Enter
// press it when it has the focus, as Space does (outside dialogs Qt presses
// a button only on Space).
QPushButton* pageButton(const QString& text, const char* name);

// The buttons of a dialog, in one row on the right.
QHBoxLayout* buttonRow(std::initializer_list<QPushButton*> buttons);

// A small dialog wide enough that the window manager shows its whole title
// (with room for the title bar's buttons).
void fitTitle(QWidget* dialog);

} // namespace ui
