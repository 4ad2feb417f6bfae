#include "ui/frmprovjera.h"

#include "app/exports.h"
#include "app/racesession.h"
#include "app/resultscheck.h"
#include "core/texts.h"
#include "ui/frmizmjena.h"
#include "ui/messagebox.h"
#include "ui/pageutil.h"
#include "ui/widgets.h"

#include <QFileDialog>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

frmprovjera::frmprovjera(RaceSession& session, QWidget* parent)
    : QDialog(parent)
    , m_session(session)
{
    setObjectName(QStringLiteral("frmprovjera"));
    setWindowTitle(tx::checkTitle());
    lsvprovjera = ui::named(new QTreeWidget, "lsvprovjera");
    lsvprovjera->setRootIsDecorated(false);
    lsvprovjera->setUniformRowHeights(true);
    lsvprovjera->setSelectionMode(QAbstractItemView::ExtendedSelection);
    lsvprovjera->setHeaderLabels(tx::columnsCheck());
    lsvprovjera->setColumnWidth(0, 90);
    lsvprovjera->setColumnWidth(1, 55);
    lsvprovjera->setColumnWidth(2, 150);
    lsvprovjera->setMinimumSize(760, 320);
    lblprovjera = ui::named(ui::label(), "lblprovjera");
    cmdzanemari = ui::button(tx::checkIgnore(), "cmdzanemari");
    cmdizvoz = ui::button(tx::checkExportCsv(), "cmdizvoz");
    cmdzatvori = ui::button(tx::checkClose(), "cmdzatvori");
    connect(cmdzanemari, &QPushButton::clicked, this, &frmprovjera::ignoreSelected);
    connect(cmdizvoz, &QPushButton::clicked, this, &frmprovjera::exportCsv);
    connect(cmdzatvori, &QPushButton::clicked, this, &QDialog::reject);
    connect(lsvprovjera, &QTreeWidget::itemDoubleClicked, this,
            [this](QTreeWidgetItem* item) { openFinding(lsvprovjera->indexOfTopLevelItem(item)); });
    // Another station's change, or this one's: the findings follow.
    connect(&session, &RaceSession::listsReloaded, this, &frmprovjera::load);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(lsvprovjera, 1);
    layout->addWidget(lblprovjera);
    layout->addLayout(ui::buttonRow({cmdzanemari, cmdizvoz, cmdzatvori}));
}

bool frmprovjera::load()
{
    const auto found = resultscheck::findings(m_session);
    if (!ui::succeeded(this, found))
        return false;
    show(found.value());
    return true;
}

void frmprovjera::show(const QList<checks::Finding>& findings)
{
    m_findings = findings;
    lsvprovjera->clear();
    QList<QTreeWidgetItem*> items;
    items.reserve(findings.size());
    int errors = 0;
    for (const checks::Finding& f : findings) {
        errors += f.severity == checks::Severity::Error;
        items.append(new QTreeWidgetItem({resultscheck::severityText(f.severity), f.sbroj, f.ime, f.message}));
    }
    lsvprovjera->addTopLevelItems(items);
    lblprovjera->setText(findings.isEmpty() ? tx::checkNothingFound()
                                            : tx::checkSummary(errors, int(findings.size()) - errors));
}

void frmprovjera::ignoreSelected()
{
    const QList<QTreeWidgetItem*> selected = lsvprovjera->selectedItems();
    for (QTreeWidgetItem* item : selected) {
        const int row = lsvprovjera->indexOfTopLevelItem(item);
        if (row >= 0 && row < m_findings.size() && !ui::succeeded(this, resultscheck::ignore(m_session, m_findings.at(row))))
            break;
    }
    if (!selected.isEmpty())
        load();
}

void frmprovjera::exportCsv()
{
    const QString suggested = m_session.race().ime.trimmed() + QStringLiteral(" - ") + tx::checkTitle()
        + QStringLiteral(".csv");
    const QString path = m_saveFileName
        ? m_saveFileName(suggested, tx::exportFilterCsv())
        : QFileDialog::getSaveFileName(this, tx::exportSaveTitle(), suggested, tx::exportFilterCsv());
    if (path.isEmpty())
        return;
    if (const QString error = exports::saveFile(path, resultscheck::csv(m_findings)); !error.isEmpty()) {
        MessageBox::notice(this, error);
        return;
    }
    MessageBox::notice(this, tx::exportSaved(path));
}

void frmprovjera::openFinding(int row)
{
    if (row < 0 || row >= m_findings.size())
        return;
    const checks::Finding f = m_findings.at(row);
    if (f.capturedId != 0) {
        emit capturedRowWanted(f.capturedId);
        accept();
        return;
    }
    if (f.finishId != 0) {
        emit finishWanted(f.finishId);
        accept();
        return;
    }
    if (const Competitor* c = m_session.competitor(f.competitorId)) {
        frmizmjena dialog(m_session, *c, this);
        dialog.exec();
        load();
    }
}
