#pragma once

// A print surface that keeps what it is given instead of printing it: pages
// of lines with their bold state, the page set-up and the end of the job.
// Tests and benchmarks print to it; it can be told to fail an operation.

#include "print/printsurface.h"

#include <utility>

namespace print {

class RecordingSurface : public PrintSurface {
public:
    enum class Operation { Orientation, Font, Bold, Line, NewPage, End };

    void setOrientation(print::Orientation orientation) override;
    void setFont(const QString& family, int pointSize) override;
    void setBold(bool on) override;
    void printLine(const QString& text) override;
    int pageNumber() const override;
    void newPage() override;
    void endDocument() override;
    QString lastError() const override { return m_error; }
    QString outputFile() const override { return m_outputFile; }

    // Every call of operation fails with this description (and is still recorded).
    void failOn(Operation operation, const QString& description);
    // Pretends the job was written to this file.
    void setOutputFile(const QString& path) { m_outputFile = path; }
    // Pretends the job went to this printer, which turned it away.
    void refuseJob(const QString& printer)
    {
        m_printerName = printer;
        m_refused = true;
    }
    QString printerName() const override { return m_printerName; }
    bool jobRefused() const override { return m_refused; }

    const QList<Page>& pages() const { return m_pages; }
    print::Orientation orientation() const { return m_orientation; }
    QString fontFamily() const { return m_fontFamily; }
    int fontPointSize() const { return m_fontPointSize; }
    bool bold() const { return m_bold; }
    bool ended() const { return m_endCount > 0; }
    // Whether the job was dropped after a cancel.
    bool aborted() const { return m_aborted; }
    int endCount() const { return m_endCount; }
    int orientationChanges() const { return m_orientationChanges; }
    // Operations called after the end of the document.
    int callsAfterEnd() const { return m_callsAfterEnd; }

protected:
    void abortJob() override { m_aborted = true; }

private:
    void call(Operation operation);

    QList<Page> m_pages{Page{}};
    print::Orientation m_orientation = print::Orientation::Portrait;
    QString m_fontFamily;
    int m_fontPointSize = 0;
    bool m_bold = false;
    int m_endCount = 0;
    int m_orientationChanges = 0;
    int m_callsAfterEnd = 0;
    QString m_error;
    QString m_outputFile;
    QString m_printerName;
    bool m_refused = false;
    bool m_aborted = false;
    QList<std::pair<Operation, QString>> m_failures;
};

} // namespace print
