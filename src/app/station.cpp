#include "app/station.h"

#include <QSettings>
#include <QSysInfo>
#include <QtGlobal>

#ifdef Q_OS_UNIX
#include <pwd.h>
#include <unistd.h>
#endif

namespace station {

namespace {

const char* const nameKey = "station/name";

QSettings settings()
{
    return QSettings(QStringLiteral("Kelvora"), QStringLiteral("Kelvora"));
}

} // namespace

QString name()
{
    const QString set = settings().value(QLatin1String(nameKey)).toString().trimmed();
    if (!set.isEmpty())
        return set;
    const QString host = QSysInfo::machineHostName();
    return host.isEmpty() ? QStringLiteral("kelvora") : host;
}

void setName(const QString& name)
{
    QSettings s = settings();
    if (name.trimmed().isEmpty())
        s.remove(QLatin1String(nameKey));
    else
        s.setValue(QLatin1String(nameKey), name.trimmed());
}

QString osUser()
{
    QString user = qEnvironmentVariable("USER");
    if (user.isEmpty())
        user = qEnvironmentVariable("LOGNAME");
    if (user.isEmpty())
        user = qEnvironmentVariable("USERNAME");
#ifdef Q_OS_UNIX
    // A program started by a service or a script may have no such variable.
    if (user.isEmpty()) {
        if (const passwd* entry = getpwuid(getuid()))
            user = QString::fromLocal8Bit(entry->pw_name);
    }
#endif
    return user;
}

} // namespace station
