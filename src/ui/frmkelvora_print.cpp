// Printouts: start list, registered list and standings.

#include "ui/frmkelvora.h"

#include "print/listlayout.h"
#include "print/printsurface.h"
#include "print/qtprintsurface.h"
#include "ui/messagebox.h"
#include "ui/texts.h"

#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QLabel>
#include <QPrinterInfo>
#include <QProgressDialog>
#include <QTreeWidget>

namespace {

// The start-number column of the start list view.
constexpr int startNumberColumn = 1;

// Jobs of more pages than this show their progress and can be cancelled.
constexpr int progressFromPages = 3;

// The rows of a list view in the order it shows them, each as the texts of
// its columns. With a keyColumn, rows whose value there is blank are left out.
QList<QStringList> viewRows(const QTreeWidget* list, int keyColumn = -1)
{
    QList<QStringList> rows;
    const int count = list->topLevelItemCount();
    const int columns = list->columnCount();
    rows.reserve(count);
    for (int i = 0; i < count; ++i) {
        const QTreeWidgetItem* item = list->topLevelItem(i);
        if (keyColumn >= 0 && item->text(keyColumn).trimmed().isEmpty())
            continue;
        QStringList row;
        row.reserve(columns);
        for (int c = 0; c < columns; ++c)
            row.append(item->text(c));
        rows.append(row);
    }
    return rows;
}

} // namespace

void frmkelvora::setPrintSurfaceFactory(PrintSurfaceFactory factory)
{
    m_printSurfaceFactory = std::move(factory);
}

void frmkelvora::cmdispis_Click()
{
    if (lsv1->topLevelItemCount() == 0)
        return;
    const QList<QStringList> rows = viewRows(lsv1, startNumberColumn);
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

void frmkelvora::onPrintRegistered()
{
    if (lsv1->topLevelItemCount() == 0)
        return;
    const QList<QStringList> rows = viewRows(lsv1);
    const print::ListFormat format = print::registeredListFormat();
    if (!MessageBox::ask(this, tx::printRegisteredTitle(),
                         tx::printRegisteredQuestion(print::pageCount(rows.size(), format.rowsPerPage)),
                         QMessageBox::Question))
        return;
    printList(rows, format, tx::printFileRegistered());
}

void frmkelvora::cmdispisiz_Click()
{
    if (lsv4->topLevelItemCount() == 0)
        return;
    const QList<QStringList> rows = viewRows(lsv4);
    const print::ListFormat format = print::standingsFormat(lblizvjestaj->text());
    if (!MessageBox::ask(this, tx::printStandingsTitle(),
                         tx::printStandingsQuestion(print::pageCount(rows.size(), format.rowsPerPage)),
                         QMessageBox::Question))
        return;
    printList(rows, format, tx::printFileStandings());
}

void frmkelvora::printList(const QList<QStringList>& rows, const print::ListFormat& format, const QString& listName)
{
    const print::RaceHeader header{lblimeutrke->text(), lblorgutrke->text(), lbldatumutrke->text()};
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
    const QDir dir = QFileInfo(m_db->path()).absoluteDir();
    const QString base =
        listName + QLatin1Char(' ') + QDateTime::currentDateTime().toString(QStringLiteral("yyyy-MM-dd HH-mm-ss"));
    QString path = dir.filePath(base + QStringLiteral(".pdf"));
    for (int n = 2; QFileInfo::exists(path); ++n)
        path = dir.filePath(base + QStringLiteral(" (%1).pdf").arg(n));
    return std::make_shared<print::QtPrintSurface>(path, listName);
}
