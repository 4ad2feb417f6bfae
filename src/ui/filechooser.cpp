#include "ui/filechooser.h"

#include <QFileDialog>

namespace ui {

namespace {

FileChooser::Chooser& testChooser()
{
    static FileChooser::Chooser chooser;
    return chooser;
}

} // namespace

QString FileChooser::openFile(QWidget* parent, const QString& title, const QString& filter)
{
    if (const Chooser& chooser = testChooser())
        return chooser(parent, title, filter);
    return QFileDialog::getOpenFileName(parent, title, QString(), filter);
}

void FileChooser::setTestChooser(Chooser chooser)
{
    testChooser() = std::move(chooser);
}

} // namespace ui
