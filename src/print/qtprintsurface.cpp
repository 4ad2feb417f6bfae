#include "print/qtprintsurface.h"

#include "core/texts.h"
#include "print/pagepainter.h"
#include "print/printerqueue.h"

#include <QFile>
#include <QFontDatabase>
#include <QLocale>
#include <QPrinter>
#include <QPrinterInfo>

namespace print {

QtPrintSurface::QtPrintSurface(const QPrinterInfo& printer, const QString& jobName)
    : m_printer(std::make_unique<QPrinter>(printer, QPrinter::HighResolution))
    , m_target(printer.printerName())
{
    m_printer->setDocName(jobName);
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
    const bool toPrinter = m_outputFile.isEmpty();
    if (toPrinter && !acceptsJobs(m_target)) {
        m_refused = true;
        return;
    }
    paint();
    if (toPrinter && m_error.isEmpty() && !acceptsJobs(m_target))
        m_refused = true;
}

void QtPrintSurface::abortJob()
{
    m_printer->abort();
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
