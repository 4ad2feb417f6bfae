#pragma once

#include <QString>
#include <functional>

class QWidget;

namespace ui {

// Every file the program asks the user to choose goes through here. Tests
// put a function in place of the dialog that gives the path at once.
class FileChooser {
public:
    // Gives the path, or an empty text when the user cancelled.
    using Chooser = std::function<QString(QWidget* parent, const QString& title, const QString& filter)>;

    // The path of an existing file to read; empty when the user cancelled.
    static QString openFile(QWidget* parent, const QString& title, const QString& filter);

    // Replaces the dialog; an empty function brings it back.
    static void setTestChooser(Chooser chooser);
};

} // namespace ui
