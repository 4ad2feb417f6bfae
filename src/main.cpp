#include "ui/frmkelvora.h"
#include "ui/translation.h"

#include <QApplication>
#include <QDir>

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Kelvora"));
    ui::installQtTranslation(app);

    frmkelvora window(QDir(QApplication::applicationDirPath()).filePath(QStringLiteral("kvr.mdb")));
    if (!window.databaseReady())
        return 1;
    window.show();
    return QApplication::exec();
}
