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
    const std::shared_ptr<print::PrintSurface> surface =
        m_printSurfaceFactory ? m_printSurfaceFactory(listName) : defaultPrintSurface(listName);

    QGuiApplication::setOverrideCursor(Qt::WaitCursor);
    print::printDocument(*surface, print::layoutList(rows, header, format));
    QGuiApplication::restoreOverrideCursor();

    if (!surface->lastError().isEmpty())
        MessageBox::notice(this, surface->lastError());
    else if (!surface->outputFile().isEmpty())
        MessageBox::notice(this, tx::printedToFile(QDir::toNativeSeparators(surface->outputFile())));
}

std::shared_ptr<print::PrintSurface> frmkelvora::defaultPrintSurface(const QString& listName)
{
    const QPrinterInfo printer = QPrinterInfo::defaultPrinter();
    if (!printer.isNull())
        return std::make_shared<print::QtPrintSurface>(printer, listName);

    // No printer: a PDF file beside the database, named after the list and
    // the time; a second printout within the same second gets a number.
    const QDir dir = QFileInfo(database().path()).absoluteDir();
    const QString base =
        listName + QLatin1Char(' ') + QDateTime::currentDateTime().toString(QStringLiteral("yyyy-MM-dd HH-mm-ss"));
    QString path = dir.filePath(base + QStringLiteral(".pdf"));
    for (int n = 2; QFileInfo::exists(path); ++n)
        path = dir.filePath(base + QStringLiteral(" (%1).pdf").arg(n));
    return std::make_shared<print::QtPrintSurface>(path, listName);
}
