// Exports: lists to CSV, HTML and PDF files.

#include "ui/frmkelvora.h"

#include "app/exports.h"
#include "core/texts.h"
#include "data/database.h"
#include "print/pagepainter.h"
#include "ui/filechooser.h"
#include "ui/frmizvoz.h"
#include "ui/messagebox.h"
#include "ui/pageutil.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QGuiApplication>

namespace {

QString filterFor(exports::Format format)
{
    switch (format) {
    case exports::Format::Csv:
        return tx::exportFilterCsv();
    case exports::Format::Html:
        return tx::exportFilterHtml();
    case exports::Format::Pdf:
        break;
    }
    return tx::exportFilterPdf();
}

} // namespace

void frmkelvora::setSaveFileNameProvider(SaveFileNameProvider provider)
{
    m_saveFileName = std::move(provider);
}

void frmkelvora::onExport()
{
    const auto categories = m_session->categories();
    if (!ui::succeeded(this, categories))
        return;
    frmizvoz dialog(categories.value(), this);
    if (dialog.exec() != QDialog::Accepted)
        return;
    const exports::ExportList list = dialog.list();
    const exports::Format format = dialog.format();
    const io::Separator separator = dialog.separator();

    const auto data = exports::buildExport(*m_session, list, dialog.selection());
    if (!ui::succeeded(this, data))
        return;
    saveExport(data.value(), list, format, separator);
}

void frmkelvora::saveExport(const exports::ExportData& data, exports::ExportList list, exports::Format format,
                            io::Separator separator)
{
    // Offered beside the database, named after the race and the list.
    // Offered in the folder chosen last, if any.
    const QString suggested = ui::FileChooser::suggestedSavePath(
        QFileInfo(database().path()).absoluteDir().filePath(exports::suggestedFileName(data, list, format)));
    const QString path = m_saveFileName
        ? m_saveFileName(suggested, filterFor(format))
        : QFileDialog::getSaveFileName(this, tx::exportSaveTitle(), suggested, filterFor(format));
    if (path.isEmpty())
        return;
    ui::FileChooser::rememberFolderOf(path);

    QGuiApplication::setOverrideCursor(Qt::WaitCursor);
    QString error;
    switch (format) {
    case exports::Format::Csv:
    case exports::Format::Html:
        error = exports::saveExport(path, data, format, separator);
        break;
    case exports::Format::Pdf:
        error = print::writePdf(exports::exportDocuments(data), path, QFileInfo(path).completeBaseName());
        break;
    }
    QGuiApplication::restoreOverrideCursor();
    MessageBox::notice(this, error.isEmpty() ? tx::exportSaved(QDir::toNativeSeparators(path)) : error);
}
