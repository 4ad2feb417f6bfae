#include "ui/filechooser.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QSettings>

namespace ui {

namespace {

FileChooser::Chooser& testChooser()
{
    static FileChooser::Chooser chooser;
    return chooser;
}

const char* const lastFolderKey = "dialogs/lastFolder";

QSettings stationSettings()
{
    return QSettings(QStringLiteral("Kelvora"), QStringLiteral("Kelvora"));
}

} // namespace

QString FileChooser::openFile(QWidget* parent, const QString& title, const QString& filter)
{
    const QString path = testChooser() ? testChooser()(parent, title, filter)
                                       : QFileDialog::getOpenFileName(parent, title, lastFolder(), filter);
    if (!path.isEmpty())
        rememberFolderOf(path);
    return path;
}

void FileChooser::setTestChooser(Chooser chooser)
{
    testChooser() = std::move(chooser);
}

QString FileChooser::lastFolder()
{
    const QString folder = stationSettings().value(QLatin1String(lastFolderKey)).toString();
    return !folder.isEmpty() && QFileInfo(folder).isDir() ? folder : QString();
}

void FileChooser::rememberFolderOf(const QString& path)
{
    QSettings settings = stationSettings();
    if (path.isEmpty())
        settings.remove(QLatin1String(lastFolderKey));
    else
        settings.setValue(QLatin1String(lastFolderKey), QFileInfo(path).absolutePath());
}

QString FileChooser::suggestedSavePath(const QString& suggestedPath)
{
    const QString folder = lastFolder();
    return folder.isEmpty() ? suggestedPath : QDir(folder).filePath(QFileInfo(suggestedPath).fileName());
}

} // namespace ui
