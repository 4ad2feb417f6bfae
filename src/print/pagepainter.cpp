#include "print/pagepainter.h"

#include "core/fileerrors.h"
#include "core/texts.h"
#include "print/qtprintsurface.h"

#include <QBuffer>
#include <QDir>
#include <QFontMetricsF>
#include <QPagedPaintDevice>
#include <QPainter>
#include <QPdfWriter>
#include <QSaveFile>
#include <algorithm>

namespace print {

namespace {

// Margins asked for; a device that needs wider ones gets its own minimum.
const QMarginsF wantedMarginsMm(7, 10, 7, 10);

// Lines may come closer than the font's natural spacing, down to this share
// of the font's height; below it the font itself is made smaller.
constexpr qreal tightestSpacing = 0.85;

// How one document is painted: its scale and the step from line to line.
struct Fit {
    qreal scale = 1.0;
    qreal step = 0.0;
};

Fit fitDocument(const Document& doc, const QFontMetricsF& metrics, const QFontMetricsF& boldMetrics,
                const QSizeF& area)
{
    // The fullest page and the longest line decide the spacing and, only
    // when they must, the size of the font.
    qsizetype lines = 1;
    QStringView longest;
    for (const Page& page : doc.pages) {
        lines = std::max(lines, page.size());
        for (const Line& line : page) {
            qsizetype length = line.text.size();
            while (length > 0 && line.text.at(length - 1) == QLatin1Char(' '))
                --length;
            if (length > longest.size())
                longest = QStringView(line.text).left(length);
        }
    }
    const QString widestLine = longest.toString();
    const qreal widest = widestLine.isEmpty()
        ? 0.0
        : std::max(metrics.horizontalAdvance(widestLine), boldMetrics.horizontalAdvance(widestLine));
    Fit fit;
    if (widest > area.width())
        fit.scale = area.width() / widest;
    fit.scale = std::min(fit.scale, area.height() / (metrics.height() * (tightestSpacing * qreal(lines - 1) + 1)));
    fit.step = metrics.lineSpacing();
    if (lines > 1)
        fit.step = std::min(fit.step, (area.height() / fit.scale - metrics.height()) / qreal(lines - 1));
    return fit;
}

} // namespace

void preparePage(QPagedPaintDevice& device, Orientation orientation)
{
    device.setPageOrientation(orientation == Orientation::Landscape ? QPageLayout::Landscape
                                                                    : QPageLayout::Portrait);
    QPageLayout layout = device.pageLayout();
    layout.setUnits(QPageLayout::Millimeter);
    const QMarginsF minimum = layout.minimumMargins();
    device.setPageMargins(QMarginsF(std::max(wantedMarginsMm.left(), minimum.left()),
                                    std::max(wantedMarginsMm.top(), minimum.top()),
                                    std::max(wantedMarginsMm.right(), minimum.right()),
                                    std::max(wantedMarginsMm.bottom(), minimum.bottom())),
                          QPageLayout::Millimeter);
}

PaintResult paintDocuments(QPagedPaintDevice& device, const QList<Document>& docs, const QString& family,
                           int pointSize, const std::function<bool(int pagesDone)>& pageDone)
{
    PaintResult result;
    if (!docs.isEmpty())
        preparePage(device, docs.first().orientation);

    QPainter painter;
    if (!painter.begin(&device)) {
        result.notStarted = true;
        return result;
    }

    QFont font(QtPrintSurface::resolveFamily(family.isEmpty() ? fontName() : family));
    font.setStyleHint(QFont::TypeWriter);
    font.setFixedPitch(true);
    font.setPointSize(pointSize);
    QFont boldFont = font;
    boldFont.setBold(true);
    const QFontMetricsF metrics(font, &device);
    const QFontMetricsF boldMetrics(boldFont, &device);

    int done = 0;
    for (qsizetype d = 0; d < docs.size(); ++d) {
        const Document& doc = docs.at(d);
        if (d > 0)
            preparePage(device, doc.orientation);
        const QSizeF area = device.pageLayout().paintRectPixels(device.logicalDpiX()).size();
        const Fit fit = fitDocument(doc, metrics, boldMetrics, area);
        painter.resetTransform();
        painter.scale(fit.scale, fit.scale);
        for (const Page& page : doc.pages) {
            if (done > 0 && !device.newPage())
                result.newPageFailed = true;
            qreal baseline = metrics.ascent();
            for (const Line& line : page) {
                painter.setFont(line.bold ? boldFont : font);
                painter.drawText(QPointF(0, baseline), line.text);
                baseline += fit.step;
            }
            ++done;
            if (pageDone && !pageDone(done)) {
                result.cancelled = true;
                painter.end();
                return result;
            }
        }
    }
    if (!painter.end())
        result.endFailed = true;
    return result;
}

QString writePdf(const QList<Document>& docs, const QString& path, const QString& title, const QPageSize& paper)
{
    // Painted in memory first, so that a failure leaves no half-written file.
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    {
        QPdfWriter writer(&buffer);
        writer.setResolution(1200);
        writer.setPageSize(paper.isValid() ? paper : QtPrintSurface::defaultPaper());
        writer.setTitle(title);
        writer.setCreator(tx::appTitle());
        const PaintResult painted = paintDocuments(writer, docs, fontName(), fontPointSize);
        if (painted.notStarted || painted.newPageFailed || painted.endFailed)
            return tx::printFileNotWritten(path);
    }
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(buffer.data()) != buffer.size()) {
        const QString reason = kvr::fileReason(path, file.errorString());
        file.cancelWriting();
        return tx::exportNotWritten(QDir::toNativeSeparators(path), reason);
    }
    if (!file.commit())
        return tx::exportNotWritten(QDir::toNativeSeparators(path), kvr::fileReason(path, file.errorString()));
    return {};
}

} // namespace print
