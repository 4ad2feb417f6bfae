// Imports: entries and finish times from files, with a preview.

#include "ui/frmkelvora.h"

#include "app/entrylayouts.h"
#include "app/imports.h"
#include "core/dates.h"
#include "core/iotexts.h"
#include "core/texts.h"
#include "core/texts_entrycolumns.h"
#include "ui/entrycolumnspanel.h"
#include "ui/filechooser.h"
#include "ui/frmpostavke.h"
#include "ui/frmuvoz.h"
#include "ui/messagebox.h"
#include "ui/rulestabs.h"
#include "ui/widgets.h"

#include <QFile>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <optional>

namespace {

// The bytes of the file the user chooses; nothing when the choice is
// cancelled or the file cannot be read, which is reported.
std::optional<QByteArray> chooseAndRead(QWidget* parent, const QString& title)
{
    const QString path = ui::FileChooser::openFile(parent, title, tx::importFileFilter());
    if (path.isEmpty())
        return std::nullopt;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        MessageBox::notice(parent, tx::importFileNotReadable(path, file.errorString()));
        return std::nullopt;
    }
    QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError) {
        MessageBox::notice(parent, tx::importFileNotReadable(path, file.errorString()));
        return std::nullopt;
    }
    return bytes;
}

QString rowState(bool accepted, const QString& refusal)
{
    return accepted ? tx::ioImportNew() : refusal;
}

} // namespace

void frmkelvora::onImportEntries()
{
    const auto bytes = chooseAndRead(this, tx::chooseEntriesFile());
    if (!bytes)
        return;
    // The file is read once; each change of the column map checks its rows again.
    const io::CsvResult csv = io::readCsv(*bytes);
    imports::EntryImportOptions options;
    if (csv.ok() && !csv.rows.isEmpty())
        options.layout = imports::startingLayout(csv, m_session->hasRace() ? &m_session->rules().categories : nullptr);
    imports::EntryPreview preview = imports::previewEntries(*m_session, csv, options);
    if (preview.fileRefused()) {
        MessageBox::notice(this, preview.fileRefusal);
        return;
    }

    frmuvoz::Content content;
    content.title = tx::importEntriesTitle();
    content.headers = tx::columnsImportEntries();
    content.rowCount = int(preview.rows.size());
    content.cell = [&preview](int row, int column) -> QString {
        const imports::EntryPreviewRow& r = preview.rows.at(row);
        switch (column) {
        case 0:
            return QString::number(r.lineNumber);
        case 1:
            return r.competitor.sbroj;
        case 2:
            return r.competitor.ime;
        case 3:
            return r.competitor.drzava;
        case 4:
            return r.competitor.klub;
        case 5:
            return r.competitor.spol;
        case 6:
            return r.competitor.datum.isValid() ? kvr::formatDate(r.competitor.datum) : r.birthDateText;
        default:
            if (r.accepted() && r.cut())
                return tx::ioImportNew() + QStringLiteral(", ") + tx::ecCutRow(r.cuts);
            return rowState(r.accepted(), r.refusal);
        }
    };
    content.accepted = [&preview](int row) { return preview.rows.at(row).accepted(); };
    content.marked = [&preview](int row) { return preview.rows.at(row).cut(); };
    content.acceptedCount = preview.acceptedCount;
    content.refusedCount = preview.refusedCount;

    EntryColumnsPanel* panel = nullptr;
    frmuvoz dialog(std::move(content), [&] {
            const Status stored = imports::importEntries(*m_session, preview);
            if (stored && panel)
                imports::rememberLayout(csv, panel->layout());
            return stored;
        }, this);

    // The race lacks some of the file's category codes: told once, for the
    // whole file, with the two ways on; the preview stays as chosen.
    auto* codes = ui::named(new QWidget, "pnlkategorije");
    auto* lblkategorije = ui::named(ui::label(), "lblkategorije");
    lblkategorije->setWordWrap(true);
    auto* cmdpostavke = ui::button(tx::menuRaceSettings(), "cmdpostavke");
    auto* cmddodajkategorije = ui::button(tx::buttonAddCategories(), "cmddodajkategorije");
    auto* codesLayout = new QHBoxLayout(codes);
    codesLayout->setContentsMargins(0, 0, 0, 0);
    codesLayout->addWidget(lblkategorije, 1);
    codesLayout->addWidget(cmdpostavke);
    codesLayout->addWidget(cmddodajkategorije);
    dialog.setBottomPanel(codes);
    const auto showCodes = [&] {
        codes->setVisible(!preview.unknownCategories.isEmpty());
        lblkategorije->setText(tx::ecCategoriesUnknown(preview.unknownCategories));
    };
    showCodes();
    const auto checkAgain = [&] {
        preview = imports::previewEntries(*m_session, csv, panel ? panel->options() : options);
        dialog.rowsChanged(int(preview.rows.size()), preview.acceptedCount, preview.refusedCount, preview.fileRefusal);
        showCodes();
    };
    // The race's settings over the preview; back to the same choices after.
    const auto settings = [&](bool proposeCodes) {
        frmpostavke window(*m_session, &dialog);
        if (proposeCodes) {
            window.rulesTabs()->propose(imports::rulesWithCodes(*m_session, preview.unknownCategories));
            window.showCategories();
        }
        window.exec();
        checkAgain();
    };
    connect(cmdpostavke, &QPushButton::clicked, &dialog, [&] { settings(false); });
    connect(cmddodajkategorije, &QPushButton::clicked, &dialog, [&] { settings(true); });

    if (options.layout) {
        panel = new EntryColumnsPanel(csv, *options.layout);
        dialog.setTopPanel(panel);
        connect(panel, &EntryColumnsPanel::changed, &dialog, checkAgain);
    }
    dialog.exec();
}

void frmkelvora::onImportTimes()
{
    const auto bytes = chooseAndRead(this, tx::chooseTimesFile());
    if (!bytes)
        return;
    const imports::TimePreview preview = imports::previewTimes(*m_session, *bytes);
    if (preview.fileRefused()) {
        MessageBox::notice(this, preview.fileRefusal);
        return;
    }

    frmuvoz::Content content;
    content.title = tx::importTimesTitle();
    content.headers = tx::columnsImportTimes();
    content.rowCount = int(preview.rows.size());
    content.cell = [&preview](int row, int column) -> QString {
        const imports::TimePreviewRow& r = preview.rows.at(row);
        switch (column) {
        case 0:
            return QString::number(r.lineNumber);
        case 1:
            return r.sbroj;
        case 2:
            return r.time;
        default:
            return rowState(r.accepted(), r.refusal);
        }
    };
    content.accepted = [&preview](int row) { return preview.rows.at(row).accepted(); };
    content.acceptedCount = preview.acceptedCount;
    content.refusedCount = preview.refusedCount;

    frmuvoz dialog(std::move(content), [this, &preview] { return imports::importTimes(*m_session, preview); },
                   this);
    dialog.exec();
}
