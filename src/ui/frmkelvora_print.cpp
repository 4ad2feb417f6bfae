// Printouts: start list, registered list and standings.

#include "ui/frmkelvora.h"
#include "core/teams.h"
#include "core/texts_teams.h"

#include "app/racerules.h"
#include "core/texts_rules.h"

#include "core/listlayout.h"
#include "data/database.h"
#include "ui/reportspage.h"
#include "ui/startlistpage.h"
#include "print/pagepainter.h"
#include "print/printsurface.h"
#include "print/qtprintsurface.h"
#include "ui/messagebox.h"
#include "core/lists.h"
#include "core/runstates.h"
#include "core/texts.h"

#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QLabel>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QPrinterInfo>
#include <QProgressDialog>
#include <QStandardPaths>

namespace {

// Jobs of more pages than this show their progress and can be cancelled.
constexpr int progressFromPages = 3;

} // namespace

void frmkelvora::setPrintSurfaceFactory(PrintSurfaceFactory factory)
{
    m_printSurfaceFactory = std::move(factory);
}

std::optional<frmkelvora::Printout> frmkelvora::startListPrintout()
{
    if (!m_startPage->hasRows())
        return std::nullopt;
    Printout printout{m_startPage->rowsInViewOrder(true), print::startListFormat(), tx::printFileStartList()};
    if (printout.rows.isEmpty()) {
        MessageBox::notice(this, tx::printNoStartNumbers());
        return std::nullopt;
    }
    return printout;
}

std::optional<frmkelvora::Printout> frmkelvora::registeredPrintout()
{
    if (!m_startPage->hasRows())
        return std::nullopt;
    return Printout{m_startPage->rowsInViewOrder(false), print::registeredListFormat(), tx::printFileRegistered()};
}

std::optional<frmkelvora::Printout> frmkelvora::standingsPrintout()
{
    // What is stored now, not what was built before the lists last changed.
    if (!m_reportsPage->showCurrent())
        return std::nullopt;
    if (m_reportsPage->showsTeams()) {
        if (m_reportsPage->teamRows().isEmpty())
            return std::nullopt;
        return Printout{m_reportsPage->teamRows(), teams::printFormat(m_session->rules().teams), tx::teamsTitle()};
    }
    QList<QStringList> rows = m_reportsPage->rows();
    if (rows.isEmpty())
        return std::nullopt;
    if (m_session->showsPrizeList()) {
        const auto list = racerules::prizeList(*m_session);
        if (!list)
            return std::nullopt;
        return Printout{prizes::shownRows(list.value()), prizes::printFormat(), tx::exportPrizeList()};
    }
    print::ListFormat format = print::standingsFormat(m_reportsPage->title());
    print::addStatusColumn(format, lists::StandStatus, rows);
    return Printout{std::move(rows), format, tx::printFileStandings()};
}

void frmkelvora::printStartList()
{
    const auto printout = startListPrintout();
    if (!printout)
        return;
    if (!MessageBox::ask(this, tx::printStartListTitle(),
                         tx::printStartListQuestion(print::pageCount(printout->rows.size(),
                                                                     printout->format.rowsPerPage)),
                         QMessageBox::Question))
        return;
    printList(printout->rows, printout->format, printout->listName);
}

void frmkelvora::printRegistered()
{
    const auto printout = registeredPrintout();
    if (!printout)
        return;
    if (!MessageBox::ask(this, tx::printRegisteredTitle(),
                         tx::printRegisteredQuestion(print::pageCount(printout->rows.size(),
                                                                      printout->format.rowsPerPage)),
                         QMessageBox::Question))
        return;
    printList(printout->rows, printout->format, printout->listName);
}

void frmkelvora::printStandings()
{
    const auto printout = standingsPrintout();
    if (!printout)
        return;
    if (!MessageBox::ask(this, tx::printStandingsTitle(),
                         tx::printStandingsQuestion(print::pageCount(printout->rows.size(),
                                                                     printout->format.rowsPerPage)),
                         QMessageBox::Question))
        return;
    printList(printout->rows, printout->format, printout->listName);
}

void frmkelvora::previewStartList()
{
    if (const auto printout = startListPrintout())
        previewList(*printout);
}

void frmkelvora::previewRegistered()
{
    if (const auto printout = registeredPrintout())
        previewList(*printout);
}

void frmkelvora::previewStandings()
{
    if (const auto printout = standingsPrintout())
        previewList(*printout);
}

void frmkelvora::previewList(const Printout& printout)
{
    previewList(printout, {m_session->race().ime, m_session->race().org, m_session->raceDateText()});
}

void frmkelvora::previewList(const Printout& printout, const print::RaceHeader& header)
{
    const print::Document doc = print::layoutList(printout.rows, header, printout.format);

    // The printer the printout would go to; without one, Qt's PDF printer.
    const QPrinterInfo info = QPrinterInfo::defaultPrinter();
    QPrinter printer(info, QPrinter::HighResolution);
    if (info.isNull())
        printer.setPageSize(print::QtPrintSurface::defaultPaper());
    printer.setDocName(printout.listName);
    print::preparePage(printer, doc.orientation);

    QPrintPreviewDialog dialog(&printer, this);
    dialog.setObjectName(QStringLiteral("dlgpregled"));
    dialog.setWindowTitle(tx::previewTitle() + QStringLiteral(" - ") + printout.listName);
    // The preview and a print started from it paint through the printout's
    // own painting code.
    connect(&dialog, &QPrintPreviewDialog::paintRequested, &dialog, [&doc](QPrinter* target) {
        print::paintDocuments(*target, {doc}, print::fontName(), print::fontPointSize);
    });
    dialog.exec();
}

void frmkelvora::printList(const QList<QStringList>& rows, const print::ListFormat& format, const QString& listName)
{
    printList(rows, format, listName, {m_session->race().ime, m_session->race().org, m_session->raceDateText()});
}

void frmkelvora::printList(const QList<QStringList>& rows, const print::ListFormat& format, const QString& listName,
                           const print::RaceHeader& header)
{
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

QString frmkelvora::printoutFolder(const DbLocation& location)
{
    if (!location.isPostgres())
        return QFileInfo(location.filePath).absolutePath();
    // A server's database has no folder of its own: the user's documents,
    // or the home folder where there are none; never the current folder.
    const QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    if (!documents.isEmpty() && QFileInfo(documents).isDir())
        return documents;
    return QDir::homePath();
}

std::shared_ptr<print::PrintSurface> frmkelvora::pdfPrintSurface(const QString& listName)
{
    // A PDF file in printoutFolder(), named after the list and the time; a
    // second printout within the same second gets a number.
    const QDir dir(printoutFolder(database().location()));
    const QString base =
        listName + QLatin1Char(' ') + QDateTime::currentDateTime().toString(QStringLiteral("yyyy-MM-dd HH-mm-ss"));
    QString path = dir.filePath(base + QStringLiteral(".pdf"));
    for (int n = 2; QFileInfo::exists(path); ++n)
        path = dir.filePath(base + QStringLiteral(" (%1).pdf").arg(n));
    return std::make_shared<print::QtPrintSurface>(path, listName);
}
