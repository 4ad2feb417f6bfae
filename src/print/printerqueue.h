#pragma once

// What the print system says about a printer queue.

#include <QString>

namespace print {

// Whether the printer takes print jobs: false when its queue is set to
// refuse them or the printer is no longer there. A printer the print system
// cannot tell about counts as taking them; the job's own errors then show.
bool acceptsJobs(const QString& printerName);

} // namespace print
