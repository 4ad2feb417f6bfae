#pragma once

// What this station remembers between runs of the window (QSettings, per
// user): the race open on each database when the window was closed, and the
// window's size and place. Nothing of it is in the database, which other
// stations share.

#include <QByteArray>
#include <QString>

namespace memory {

// The race last open on the database named (DbLocation::displayName(),
// which holds no password); 0 for none.
qint64 lastRace(const QString& database);
void rememberRace(const QString& database, qint64 raceId);

// The window's geometry as QWidget::saveGeometry() gives it; empty for none.
QByteArray windowGeometry();
void rememberWindowGeometry(const QByteArray& geometry);

} // namespace memory
