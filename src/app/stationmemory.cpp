#include "app/stationmemory.h"

#include <QSettings>

namespace memory {

namespace {

QSettings settings()
{
    return QSettings(QStringLiteral("Kelvora"), QStringLiteral("Kelvora"));
}

// A database's name as a key: its text in hexadecimal, since a path holds
// the slashes that QSettings reads as groups.
QString raceKey(const QString& database)
{
    return QStringLiteral("utrka/") + QString::fromLatin1(database.toUtf8().toHex());
}

} // namespace

qint64 lastRace(const QString& database)
{
    return settings().value(raceKey(database)).toLongLong();
}

void rememberRace(const QString& database, qint64 raceId)
{
    settings().setValue(raceKey(database), raceId);
}

QByteArray windowGeometry()
{
    return settings().value(QStringLiteral("prozor/geometrija")).toByteArray();
}

void rememberWindowGeometry(const QByteArray& geometry)
{
    settings().setValue(QStringLiteral("prozor/geometrija"), geometry);
}

} // namespace memory
