#pragma once

// The printer as a text surface: one line per print operation, page by page.

#include "core/listlayout.h"

#include <QPageLayout>
#include <QString>
#include <functional>

namespace print {

class PrintSurface {
public:
    virtual ~PrintSurface() = default;

    virtual void setOrientation(print::Orientation orientation) = 0;
    virtual void setFont(const QString& family, int pointSize) = 0;
    virtual void setBold(bool on) = 0;
    // Prints one line; the next line goes below it.
    virtual void printLine(const QString& text) = 0;
    // The current page number: 1 on the first page.
    virtual int pageNumber() const = 0;
    virtual void newPage() = 0;
    // Ends the document and releases the job.
    virtual void endDocument() = 0;
    // The description of the last operation that failed; empty when none did.
    // A failing operation does not stop the job.
    virtual QString lastError() const = 0;
    // The file the job was written to when it did not go to a printer.
    virtual QString outputFile() const { return {}; }
    // The printer the job was meant for; empty for a file.
    virtual QString printerName() const { return {}; }
    // Whether the printer turned the job away (its queue does not take jobs,
    // or it is gone): nothing was printed, the job may be sent elsewhere.
    virtual bool jobRefused() const { return false; }

    // Told the number of pages put out so far, after each page the surface
    // puts out; returning false cancels the job.
    using Progress = std::function<bool(int pagesDone)>;
    void setProgress(Progress progress) { m_progress = std::move(progress); }
    // Whether the job was cancelled: the surface dropped it and prints nothing more.
    bool cancelled() const { return m_cancelled; }

protected:
    // Surfaces call this after putting out each page. On a cancel it drops
    // the job through abortJob() and returns false.
    bool pageDone(int pagesDone);
    virtual void abortJob() = 0;

private:
    Progress m_progress;
    bool m_cancelled = false;
};

// Sends a laid-out list to the surface: page set-up, every line with bold
// switched on for the bold ones only, a new page between pages, the end.
// A job cancelled through the surface's progress stops there.
void printDocument(PrintSurface& surface, const Document& doc);

} // namespace print
