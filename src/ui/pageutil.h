#pragma once

// Small pieces the pages share: a field under its caption, a counter, and
// showing a use case's refusal or database error.

#include "core/outcome.h"

#include <QString>
#include <QList>
#include <utility>

class QLabel;
class QLineEdit;
class QVBoxLayout;
class QWidget;

namespace ui {

QVBoxLayout* captioned(const QString& caption, QWidget* field);
QLabel* counterLabel(const char* name);

// The entry fields a refusal may name.
using FieldMap = QList<std::pair<Field, QLineEdit*>>;

// Shows the refusal's message and marks the field it names (its whole text
// selected, the focus on it), or shows the database's error in one message.
void showFailure(QWidget* parent, bool refused, const Refusal& refusal, const DbError& error, const FieldMap& fields);

// True when the outcome is a success; otherwise shows it as above.
template <typename T>
bool succeeded(QWidget* parent, const Outcome<T>& outcome, const FieldMap& fields = {})
{
    if (outcome.ok())
        return true;
    showFailure(parent, outcome.kind() == Outcome<T>::Kind::Refused, outcome.refusal(), outcome.dbError(), fields);
    return false;
}

} // namespace ui
