#include "print/qtprintsurface.h"

#include "core/texts.h"
#include "print/printerqueue.h"

#include <QFile>
#include <QFontDatabase>
#include <QFontInfo>
#include <QFontMetricsF>
#include <QLocale>
#include <QPainter>
#include <QPrinter>
#include <QPrinterInfo>
#include <algorithm>

namespace print {

namespace {

// Margins asked for; a printer that needs wider ones gets its own minimum.
const QMarginsF wantedMarginsMm(7, 10, 7, 10);

// Lines may come closer than the font's natural spacing, down to this share
// of the font's height; below it the font itself is made smaller.
constexpr qreal tightestSpacing = 0.85;

void applyMargins(QPrinter& printer)
{
    QPageLayout layout = printer.pageLayout();
    layout.setUnits(QPageLayout::Millimeter);
    const QMarginsF minimum = layout.minimumMargins();
    printer.setPageMargins(QMarginsF(std::max(wantedMarginsMm.left(), minimum.left()),
                                     std::max(wantedMarginsMm.top(), minimum.top()),
                                     std::max(wantedMarginsMm.right(), minimum.right()),
                                     std::max(wantedMarginsMm.bottom(), minimum.bottom())),
                           QPageLayout::Millimeter);
}

} // namespace

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
    m_printer->setPageOrientation(m_orientation == Orientation::Landscape ? QPageLayout::Landscape : QPageLayout::Portrait);
    applyMargins(*m_printer);

    QPainter painter;
    if (!painter.begin(m_printer.get())) {
        m_error = m_outputFile.isEmpty() ? tx::printerNotStarted(m_target) : tx::printFileNotWritten(m_target);
        return;
    }

    QFont font(m_family.isEmpty() ? resolveFamily(fontName()) : m_family);
    font.setStyleHint(QFont::TypeWriter);
    font.setFixedPitch(true);
    font.setPointSize(m_pointSize);
    QFont boldFont = font;
    boldFont.setBold(true);
    const QFontMetricsF metrics(font, m_printer.get());

    // The fullest page and the longest line decide the spacing and, only
    // when they must, the size of the font.
    qsizetype lines = 1;
    const QString* longest = nullptr;
    qsizetype longestLength = 0;
    for (const Page& page : std::as_const(m_pages)) {
        lines = std::max(lines, page.size());
        for (const Line& line : page) {
            qsizetype length = line.text.size();
            while (length > 0 && line.text.at(length - 1) == QLatin1Char(' '))
                --length;
            if (length > longestLength) {
                longestLength = length;
                longest = &line.text;
            }
        }
    }
    const QRectF area(QPointF(0, 0), m_printer->pageLayout().paintRectPixels(m_printer->resolution()).size());
    const qreal widest = longest ? std::max(metrics.horizontalAdvance(longest->left(longestLength)),
                                            QFontMetricsF(boldFont, m_printer.get())
                                                .horizontalAdvance(longest->left(longestLength)))
                                 : 0.0;
    qreal scale = 1.0;
    if (widest > area.width())
        scale = area.width() / widest;
    scale = std::min(scale, area.height() / (metrics.height() * (tightestSpacing * qreal(lines - 1) + 1)));
    qreal step = metrics.lineSpacing();
    if (lines > 1)
        step = std::min(step, (area.height() / scale - metrics.height()) / qreal(lines - 1));
    painter.scale(scale, scale);

    int done = 0;
    for (const Page& page : std::as_const(m_pages)) {
        if (done > 0 && !m_printer->newPage())
            m_error = tx::printNewPageFailed(m_target);
        qreal baseline = metrics.ascent();
        for (const Line& line : page) {
            painter.setFont(line.bold ? boldFont : font);
            painter.drawText(QPointF(0, baseline), line.text);
            baseline += step;
        }
        if (!pageDone(++done)) {
            // Cancelled: the printer was told to abort; a file is not left
            // half-written.
            painter.end();
            if (!m_outputFile.isEmpty())
                QFile::remove(m_outputFile);
            return;
        }
    }
    if (!painter.end() || m_printer->printerState() == QPrinter::Error)
        m_error = m_outputFile.isEmpty() ? tx::printJobFailed(m_target) : tx::printFileNotWritten(m_target);
}

} // namespace print
