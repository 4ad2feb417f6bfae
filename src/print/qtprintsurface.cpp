#include "print/qtprintsurface.h"

#include "core/texts.h"
#include "print/pagepainter.h"
#include "print/printerqueue.h"

#include <QFile>
#include <QFontDatabase>
#include <QLocale>
#include <QPrinter>
#include <QPdfWriter>
#include <QPrinterInfo>
#include <QTemporaryDir>

namespace print {

namespace {

// The paper and margins a printer prints on by default.
QPageLayout printerLayout(const QPrinterInfo& printer)
{
    return QPrinter(printer, QPrinter::HighResolution).pageLayout();
}

} // namespace

QtPrintSurface::QtPrintSurface(const QPrinterInfo& printer, const QString& jobName)
    : QtPrintSurface(printer.printerName(), printerLayout(printer), jobName, PrintSystem())
{
}

QtPrintSurface::QtPrintSurface(const QString& printerName, const QPageLayout& layout, const QString& jobName,
                               PrintSystem system)
    : m_layout(layout)
    , m_system(std::move(system))
    , m_jobName(jobName)
    , m_target(printerName)
{
}

QtPrintSurface::QtPrintSurface(const QString& pdfPath, const QString& jobName, const QPageSize& paper)
    : m_printer(std::make_unique<QPrinter>(QPrinter::HighResolution))
    , m_target(pdfPath)
    , m_outputFile(pdfPath)
{
    m_printer->setOutputFormat(QPrinter::PdfFormat);
    m_printer->setOutputFileName(pdfPath);
    m_printer->setPageSize(paper);
    m_printer->setDocName(jobName);
    m_printer->setCreator(tx::appTitle());
}

QtPrintSurface::~QtPrintSurface() = default;

QString QtPrintSurface::resolveFamily(const QString& requested)
{
    if (QFontDatabase::hasFamily(requested))
        return requested;
    const QString liberation = QStringLiteral("Liberation Mono");
    if (QFontDatabase::hasFamily(liberation))
        return liberation;
    return QFontDatabase::systemFont(QFontDatabase::FixedFont).family();
}

QPageSize QtPrintSurface::defaultPaper()
{
    return QPageSize(QLocale::system().measurementSystem() == QLocale::ImperialUSSystem ? QPageSize::Letter
                                                                                       : QPageSize::A4);
}

void QtPrintSurface::setOrientation(print::Orientation orientation)
{
    m_orientation = orientation;
}

void QtPrintSurface::setFont(const QString& family, int pointSize)
{
    m_family = resolveFamily(family);
    m_pointSize = pointSize;
}

void QtPrintSurface::setBold(bool on)
{
    m_bold = on;
}

void QtPrintSurface::printLine(const QString& text)
{
    m_pages.last().append({text, m_bold});
}

int QtPrintSurface::pageNumber() const
{
    return int(m_pages.size());
}

void QtPrintSurface::newPage()
{
    m_pages.append(Page{});
}

void QtPrintSurface::endDocument()
{
    if (m_ended)
        return;
    m_ended = true;
    // Qt hands the finished job to the print system without saying whether
    // it was taken, so the queue is asked itself: a queue that does not take
    // jobs gets none, and one that stopped taking them while this job was
    // sent has most likely turned it away.
    if (m_outputFile.isEmpty())
        spoolAndSubmit();
    else
        paint();
}

void QtPrintSurface::abortJob()
{
    // A PDF file is dropped after painting stops; a printer's job is not
    // handed over at all.
    if (m_printer)
        m_printer->abort();
}

void QtPrintSurface::spoolAndSubmit()
{
    // A queue that does not take jobs gets none and costs no painting.
    if (!m_system.acceptsJobs(m_target)) {
        m_refused = true;
        return;
    }
    QTemporaryDir spool;
    const QString path = spool.filePath(QStringLiteral("ispis.pdf"));
    PaintResult painted;
    {
        QPdfWriter writer(path);
        writer.setResolution(1200);
        if (m_layout.isValid())
            writer.setPageLayout(m_layout);
        else
            writer.setPageSize(defaultPaper());
        writer.setTitle(m_jobName);
        writer.setCreator(tx::appTitle());
        if (spool.isValid())
            painted = paintDocuments(writer, {Document{m_orientation, m_pages}}, m_family, m_pointSize,
                                     [this](int done) { return pageDone(done); });
        else
            painted.notStarted = true;
    }
    if (painted.notStarted) {
        m_error = tx::printerNotStarted(m_target);
        return;
    }
    if (painted.cancelled)
        return;
    if (painted.endFailed) {
        m_error = tx::printJobFailed(m_target);
        return;
    }
    if (painted.newPageFailed)
        m_error = tx::printNewPageFailed(m_target);
    // Only a complete job reaches the print system.
    const Submitted submitted = m_system.submit(m_target, path, m_jobName);
    if (submitted.refused)
        m_refused = true;
    else if (!submitted.error.isEmpty())
        m_error = tx::printJobFailed(m_target) + QLatin1Char('\n') + submitted.error;
}

void QtPrintSurface::paint()
{
    const PaintResult painted = paintDocuments(*m_printer, {Document{m_orientation, m_pages}}, m_family, m_pointSize,
                                               [this](int done) { return pageDone(done); });
    const bool toFile = !m_outputFile.isEmpty();
    if (painted.notStarted) {
        m_error = toFile ? tx::printFileNotWritten(m_target) : tx::printerNotStarted(m_target);
        return;
    }
    if (painted.cancelled) {
        // The printer was told to abort; a file is not left half-written.
        if (toFile)
            QFile::remove(m_outputFile);
        return;
    }
    if (painted.newPageFailed)
        m_error = tx::printNewPageFailed(m_target);
    if (painted.endFailed || m_printer->printerState() == QPrinter::Error)
        m_error = toFile ? tx::printFileNotWritten(m_target) : tx::printJobFailed(m_target);
}

} // namespace print
