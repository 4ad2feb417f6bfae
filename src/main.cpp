#include "ui/frmkelvora.h"

#include <QApplication>
#include <QDir>

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Kelvora"));

    frmkelvora window(QDir(QApplication::applicationDirPath()).filePath(QStringLiteral("kvr.mdb")));
    if (!window.databaseReady())
        return 1;
    window.show();
    return QApplication::exec();
}
