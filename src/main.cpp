#include "data/database.h"
#include "ui/frmkelvora.h"
#include "ui/translation.h"

#include <QApplication>
#include <QDir>

int main(int argc, char* argv[])
{
    kvr::ignoreFileSizeLimitSignal();
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Kelvora"));
    ui::installQtTranslation(app);

    frmkelvora window(QDir(QApplication::applicationDirPath()).filePath(QStringLiteral("kvr.mdb")));
    if (!window.databaseReady() && !window.databaseBusy())
        return 1;
    window.show();
    // A file locked by another program: the window is up, and the user
    // decides whether to wait for it.
    if (window.databaseBusy() && !window.openBusyDatabase())
        return 1;
    return QApplication::exec();
}
