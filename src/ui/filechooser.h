#pragma once

#include <QString>
#include <functional>

class QWidget;

namespace ui {

// Every file the program asks the user to choose goes through here. Tests
// put a function in place of the dialog that gives the path at once.
// The dialogs open in the folder of the file chosen last in any of them,
// remembered between starts in the station's settings.
class FileChooser {
public:
    // Gives the path, or an empty text when the user cancelled.
    using Chooser = std::function<QString(QWidget* parent, const QString& title, const QString& filter)>;

    // The path of an existing file to read; empty when the user cancelled.
    static QString openFile(QWidget* parent, const QString& title, const QString& filter);

    // Replaces the dialog; an empty function brings it back.
    static void setTestChooser(Chooser chooser);

    // The folder of the file chosen last; empty before the first choice or
    // when that folder is gone.
    static QString lastFolder();
    // Remembers the folder of a chosen file; an empty path forgets it.
    static void rememberFolderOf(const QString& path);
    // Where a save dialog starts: the suggested file name in the last
    // folder, or the suggested path itself before any folder was chosen.
    static QString suggestedSavePath(const QString& suggestedPath);
};

} // namespace ui
