#pragma once

#include <QString>

class RaceSession;

namespace lookup {

// The note under the start number of a finish entry for what is typed so
// far (see search::finishNumberNote), from the lists the session holds:
// nothing is read from the database, so it keeps pace with every keystroke.
QString finishNumberNote(const RaceSession& session, const QString& typed);

} // namespace lookup
