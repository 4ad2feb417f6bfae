#pragma once

// The one painting code of the printouts: laid-out pages painted on Qt's
// printer, on a PDF writer or on the print preview's printer alike.

#include "core/listlayout.h"

#include <QPageSize>
#include <QString>
#include <functional>

class QPagedPaintDevice;

namespace print {

// What went wrong while painting; every flag false when nothing did.
struct PaintResult {
    bool notStarted = false;    // the device could not be painted on; nothing was painted
    bool newPageFailed = false; // a new page was refused; painting went on
    bool cancelled = false;     // pageDone said stop; painting ended there
    bool endFailed = false;     // the device did not finish the job
};

// Paints the documents one after another, every document from a new page in
// its own orientation, in the printout's font (family resolved as
// QtPrintSurface::resolveFamily does) at pointSize. The line spacing, and
// only when it must the font's size, is chosen per document so that every
// line of its fullest page lands on the page and its longest line fits the
// width. pageDone is told the pages painted so far after each page;
// returning false stops the painting.
PaintResult paintDocuments(QPagedPaintDevice& device, const QList<Document>& docs, const QString& family,
                           int pointSize, const std::function<bool(int pagesDone)>& pageDone = {});

// Sets the device's orientation and its margins (7 mm left and right, 10 mm
// top and bottom, or the device's minimum where that is more).
void preparePage(QPagedPaintDevice& device, Orientation orientation);

// Writes the documents as one PDF file at path, on the given paper (the
// default paper of QtPrintSurface when it is not valid): the
// pages the printouts print. The file is replaced only once it is complete;
// a failure leaves whatever was at path. Returns the failure in Croatian,
// empty on success.
QString writePdf(const QList<Document>& docs, const QString& path, const QString& title,
                 const QPageSize& paper = QPageSize());

} // namespace print
