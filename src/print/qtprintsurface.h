#pragma once

// The print surface of the program: a printer queue or a PDF file. Lines are
// kept until the end of the document and then painted, so that the line
// spacing can be chosen to fit the fullest page: every line of a page lands
// on that page, none is clipped.
//
// A job for a printer is painted whole into a PDF file in a temporary folder
// first and handed to the print system only when complete: a job cancelled
// at any page prints nothing (the print system would print the pages a
// printer had already been given, whatever abort() says).

#include "print/printerqueue.h"
#include "print/printsurface.h"

#include <QPageLayout>
#include <QPageSize>
#include <memory>

class QPrinter;
class QPrinterInfo;

namespace print {

class QtPrintSurface : public PrintSurface {
public:
    // Prints on this printer, on its default paper and within its margins.
    QtPrintSurface(const QPrinterInfo& printer, const QString& jobName);
    // Prints on the printer of this name through the given print system, on
    // paper laid out as layout (its minimum margins kept).
    QtPrintSurface(const QString& printerName, const QPageLayout& layout, const QString& jobName,
                   PrintSystem system);
    // Writes the job as a PDF file.
    QtPrintSurface(const QString& pdfPath, const QString& jobName, const QPageSize& paper = defaultPaper());
    ~QtPrintSurface() override;

    void setOrientation(print::Orientation orientation) override;
    void setFont(const QString& family, int pointSize) override;
    void setBold(bool on) override;
    void printLine(const QString& text) override;
    int pageNumber() const override;
    void newPage() override;
    void endDocument() override;
    QString lastError() const override { return m_error; }
    QString outputFile() const override { return m_outputFile; }
    QString printerName() const override { return m_outputFile.isEmpty() ? m_target : QString(); }
    bool jobRefused() const override { return m_refused; }

    // The family the lines are printed in: the requested one where it is
    // installed, else Liberation Mono (the metrics of Courier New), else the
    // system's fixed-pitch font.
    static QString resolveFamily(const QString& requested);
    // Letter where the locale measures in US units, A4 elsewhere.
    static QPageSize defaultPaper();

protected:
    void abortJob() override;

private:
    void paint();
    void spoolAndSubmit();

    std::unique_ptr<QPrinter> m_printer; // the PDF file's writer; none for a printer
    QPageLayout m_layout;                // a printer's paper
    PrintSystem m_system;
    QString m_jobName;
    QString m_target; // printer name or file path, for failure descriptions
    QString m_outputFile;
    print::Orientation m_orientation = print::Orientation::Portrait;
    QString m_family;
    int m_pointSize = fontPointSize;
    bool m_bold = false;
    bool m_ended = false;
    bool m_refused = false;
    QList<Page> m_pages{Page{}};
    QString m_error;
};

} // namespace print
