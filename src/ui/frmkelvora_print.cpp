// Printouts: start list, registered list and standings.

#include "ui/frmkelvora.h"

#include "core/listlayout.h"
#include "data/database.h"
#include "ui/reportspage.h"
#include "ui/startlistpage.h"
#include "print/printsurface.h"
#include "print/qtprintsurface.h"
#include "ui/messagebox.h"
#include "core/texts.h"

#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QLabel>
#include <QPrinterInfo>
#include <QProgressDialog>

namespace {

// Jobs of more pages than this show their progress and can be cancelled.
constexpr int progressFromPages = 3;

} // namespace

void frmkelvora::setPrintSurfaceFactory(PrintSurfaceFactory factory)
{
    m_printSurfaceFactory = std::move(factory);
}

void frmkelvora::printStartList()
{
    if (!m_startPage->hasRows())
        return;
    const QList<QStringList> rows = m_startPage->rowsInViewOrder(true);
    if (rows.isEmpty()) {
        MessageBox::notice(this, tx::printNoStartNumbers());
        return;
    }
    const print::ListFormat format = print::startListFormat();
    if (!MessageBox::ask(this, tx::printStartListTitle(),
                         tx::printStartListQuestion(print::pageCount(rows.size(), format.rowsPerPage)),
                         QMessageBox::Question))
        return;
    printList(rows, format, tx::printFileStartList());
}

void frmkelvora::printRegistered()
{
    if (!m_startPage->hasRows())
        return;
    const QList<QStringList> rows = m_startPage->rowsInViewOrder(false);
    const print::ListFormat format = print::registeredListFormat();
    if (!MessageBox::ask(this, tx::printRegisteredTitle(),
                         tx::printRegisteredQuestion(print::pageCount(rows.size(), format.rowsPerPage)),
                         QMessageBox::Question))
        return;
    printList(rows, format, tx::printFileRegistered());
}

void frmkelvora::printStandings()
{
    const QList<QStringList> rows = m_reportsPage->rows();
    if (rows.isEmpty())
        return;
    const print::ListFormat format = print::standingsFormat(m_reportsPage->title());
    if (!MessageBox::ask(this, tx::printStandingsTitle(),
                         tx::printStandingsQuestion(print::pageCount(rows.size(), format.rowsPerPage)),
                         QMessageBox::Question))
        return;
    printList(rows, format, tx::printFileStandings());
}

void frmkelvora::printList(const QList<QStringList>& rows, const print::ListFormat& format, const QString& listName)
{
    const print::RaceHeader header{m_session->race().ime, m_session->race().org, m_session->raceDateText()};
    const print::Document doc = print::layoutList(rows, header, format);
    std::shared_ptr<print::PrintSurface> surface =
        m_printSurfaceFactory ? m_printSurfaceFactory(listName) : defaultPrintSurface(listName);
    if (!sendToSurface(*surface, doc))
        return;

    // A printer that turns the job away: the job can go to a PDF file instead.
    if (surface->jobRefused()) {
        if (!MessageBox::ask(this, tx::printRefusedTitle(), tx::printerRefusesJobs(surface->printerName()),
                             QMessageBox::Warning))
            return;
        surface = pdfPrintSurface(listName);
        if (!sendToSurface(*surface, doc))
            return;
        if (!surface->lastError().isEmpty())
            MessageBox::notice(this, surface->lastError());
        else
            MessageBox::notice(this, tx::printSavedToFile(QDir::toNativeSeparators(surface->outputFile())));
        return;
    }

    if (!surface->lastError().isEmpty())
        MessageBox::notice(this, surface->lastError());
    else if (!surface->outputFile().isEmpty())
        MessageBox::notice(this, tx::printedToFile(QDir::toNativeSeparators(surface->outputFile())));
}

bool frmkelvora::sendToSurface(print::PrintSurface& surface, const print::Document& doc)
{
    const int pages = int(doc.pages.size());
    if (pages <= progressFromPages) {
        QGuiApplication::setOverrideCursor(Qt::WaitCursor);
        print::printDocument(surface, doc);
        QGuiApplication::restoreOverrideCursor();
        return !surface.cancelled();
    }

    // A long job shows its progress page by page and can be cancelled.
    QProgressDialog progress(tx::printProgress(), tx::printCancel(), 0, pages, this);
    progress.setObjectName(QStringLiteral("dlgispis"));
    progress.setWindowTitle(tx::appTitle());
    progress.setWindowModality(Qt::WindowModal);
    progress.setMinimumDuration(0);
    progress.setAutoClose(false);
    progress.setValue(0);
    surface.setProgress([&progress](int done) {
        progress.setValue(done);
        return !progress.wasCanceled();
    });
    print::printDocument(surface, doc);
    surface.setProgress({});
    return !surface.cancelled();
}

std::shared_ptr<print::PrintSurface> frmkelvora::defaultPrintSurface(const QString& listName)
{
    const QPrinterInfo printer = QPrinterInfo::defaultPrinter();
    if (!printer.isNull())
        return std::make_shared<print::QtPrintSurface>(printer, listName);
    return pdfPrintSurface(listName);
}

std::shared_ptr<print::PrintSurface> frmkelvora::pdfPrintSurface(const QString& listName)
{
    // A PDF file beside the database, named after the list and the time; a
    // second printout within the same second gets a number.
    const QDir dir = QFileInfo(database().path()).absoluteDir();
    const QString base =
        listName + QLatin1Char(' ') + QDateTime::currentDateTime().toString(QStringLiteral("yyyy-MM-dd HH-mm-ss"));
    QString path = dir.filePath(base + QStringLiteral(".pdf"));
    for (int n = 2; QFileInfo::exists(path); ++n)
        path = dir.filePath(base + QStringLiteral(" (%1).pdf").arg(n));
    return std::make_shared<print::QtPrintSurface>(path, listName);
}
