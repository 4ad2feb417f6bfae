#pragma once
// This laptop's identity on race day: the name other stations see beside its changes and captured times,
// and the operating-system user at the keys. Kept per station (QSettings), never in the race's database.

#include <QString>

namespace station {

// The station's name as set in the program's settings; the computer's name until one is set.
QString name();
// Sets the name; an empty or blank name returns to the computer's name.
void setName(const QString& name);
// The operating-system user running the program ("" when none can be told).
QString osUser();

} // namespace station
