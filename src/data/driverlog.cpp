#include "data/driverlog.h"

#include "data/dblocation.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMutex>
#include <QStandardPaths>

namespace driverlog {

namespace {

constexpr qint64 kRotateBytes = 1024 * 1024;
constexpr qint64 kRepeatSilenceMs = 60 * 1000;

} // namespace

QString pathFor(const DbLocation& location)
{
    if (!location.isPostgres()) {
        const QFileInfo file(location.filePath);
        return file.absoluteDir().filePath(file.completeBaseName() + QStringLiteral(".log"));
    }
    const QString folder = QStandardPaths::writableLocation(QStandardPaths::AppLocalDataLocation);
    return folder.isEmpty() ? QString() : QDir(folder).filePath(QStringLiteral("kelvora.log"));
}

void write(const QString& path, const QString& text)
{
    if (path.isEmpty())
        return;
    // Stations' connections on threads of their own write here too.
    static QMutex mutex;
    static QString lastPath;
    static QString lastText;
    static qint64 lastAt = 0;
    const QMutexLocker lock(&mutex);
    const qint64 now = QDateTime::currentMSecsSinceEpoch();
    if (path == lastPath && text == lastText && now - lastAt < kRepeatSilenceMs)
        return;
    lastPath = path;
    lastText = text;
    lastAt = now;

    if (QFileInfo(path).size() > kRotateBytes) {
        const QString older = path + QStringLiteral(".1");
        QFile::remove(older);
        QFile::rename(path, older);
    } else if (!QFileInfo::exists(path)) {
        QDir().mkpath(QFileInfo(path).absolutePath());
    }
    QFile log(path);
    if (!log.open(QIODevice::WriteOnly | QIODevice::Append | QIODevice::Text))
        return;
    QString line = text.simplified();
    log.write((QDateTime::currentDateTime().toString(Qt::ISODateWithMs) + QLatin1Char(' ') + line + QLatin1Char('\n'))
                  .toUtf8());
}

} // namespace driverlog
