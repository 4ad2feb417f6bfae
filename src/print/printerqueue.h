#pragma once

// What the print system is asked about a printer queue, and how a finished
// job reaches it.

#include <QString>
#include <functional>

namespace print {

// Whether the printer takes print jobs: false when its queue is set to
// refuse them or the printer is no longer there. A printer the print system
// cannot tell about counts as taking them; the job's own errors then show.
bool acceptsJobs(const QString& printerName);

// What became of a job handed to the print system.
struct Submitted {
    bool refused = false; // the queue turned it away (not taking jobs, or gone)
    QString error;        // the print system's text of any other failure; empty when the job was taken
};

// Hands a complete PDF file to the printer's queue as one job, with the
// queue's (or its instance's) own default options.
Submitted submitPdf(const QString& printerName, const QString& pdfPath, const QString& jobName);

// The print system as the printer surface uses it; tests put their own in.
struct PrintSystem {
    std::function<bool(const QString& printerName)> acceptsJobs = &print::acceptsJobs;
    std::function<Submitted(const QString& printerName, const QString& pdfPath, const QString& jobName)> submit =
        &print::submitPdf;
};

} // namespace print
