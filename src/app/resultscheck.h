#pragma once

// The results check on the race session: the findings of checks::findProblems
// over the lists as they are now, less those the user ignored, for the
// window and the command line alike.

#include "core/checks.h"
#include "core/outcome.h"

#include <QByteArray>
#include <QList>

class RaceSession;

namespace resultscheck {

// The findings of the current race, read afresh when another writer changed
// the lists. A finding ignored stays hidden while its description (the
// values it names) is the same; once they change it shows again.
Outcome<QList<checks::Finding>> findings(RaceSession& session);

// Hides the finding for good, stored with the race.
Status ignore(RaceSession& session, const checks::Finding& finding);

// Whether any of the findings is an error.
bool anyError(const QList<checks::Finding>& findings);

// "greška" or "upozorenje".
QString severityText(checks::Severity severity);

// The findings as a CSV table (io::writeCsv): kind, start number, name, description.
QByteArray csv(const QList<checks::Finding>& findings);

} // namespace resultscheck
