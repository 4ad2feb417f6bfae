#include "ui/rulestabs.h"

#include "app/exports.h"
#include "app/racerules.h"
#include "app/racesession.h"
#include "core/categoryscheme.h"
#include "core/texts_rules.h"
#include "core/texts_teams.h"
#include "ui/filechooser.h"
#include "ui/messagebox.h"
#include "ui/pageutil.h"
#include "ui/widgets.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QFormLayout>
#include <QLineEdit>
#include <QSpinBox>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QInputDialog>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

RulesTabs::RulesTabs(RaceSession& session, QWidget* parent)
    : QObject(parent)
    , m_session(session)
    , m_parent(parent)
{
    tblkategorije = ui::named(new QTableWidget(0, 4), "tblkategorije");
    tblkategorije->setHorizontalHeaderLabels(tx::categoryTableHeadings());
    tblnagrade = ui::named(new QTableWidget(0, 5), "tblnagrade");
    tblnagrade->setHorizontalHeaderLabels(tx::prizeTableHeadings());
    m_categoriesTab = makeTab(tblkategorije, true);
    m_prizesTab = makeTab(tblnagrade, false);
    m_teamsTab = makeTeamsTab();
    fill(session.rules());
}

QWidget* RulesTabs::makeTab(QTableWidget* table, bool categories)
{
    const char* suffix = categories ? "kategorije" : "nagrade";
    const auto named = [&](const QString& caption, const char* name) {
        return ui::button(caption, (QByteArray(name) + suffix).constData());
    };
    auto* add = named(tx::rulesAddRow(), "cmddodaj");
    auto* remove = named(tx::rulesRemoveRow(), "cmdukloni");
    auto* up = named(tx::rulesUp(), "cmdgore");
    auto* down = named(tx::rulesDown(), "cmddolje");
    auto* import = named(tx::rulesImport(), "cmduvoz");
    auto* exportButton = named(tx::rulesExport(), "cmdizvoz");
    auto* standard = named(tx::rulesStandard(), "cmdzadano");
    auto* fromRace = named(tx::rulesFromRace(), "cmdpravila");
    connect(add, &QPushButton::clicked, this, [table] {
        const int row = table->currentRow() < 0 ? table->rowCount() : table->currentRow() + 1;
        table->insertRow(row);
        table->setCurrentCell(row, 0);
    });
    connect(remove, &QPushButton::clicked, this, [table] {
        if (table->currentRow() >= 0)
            table->removeRow(table->currentRow());
    });
    const auto move = [this, table](int by) {
        const int row = table->currentRow();
        const int to = row + by;
        if (row < 0 || to < 0 || to >= table->rowCount())
            return;
        QList<QStringList> all = cells(table);
        all.swapItemsAt(row, to);
        setCells(table, all);
        table->setCurrentCell(to, table->currentColumn() < 0 ? 0 : table->currentColumn());
    };
    connect(up, &QPushButton::clicked, this, [move] { move(-1); });
    connect(down, &QPushButton::clicked, this, [move] { move(1); });
    connect(import, &QPushButton::clicked, this, [this, categories] { importFile(categories); });
    connect(exportButton, &QPushButton::clicked, this, [this, categories] { exportFile(categories); });
    connect(standard, &QPushButton::clicked, this, [this, table, categories] {
        setCells(table, categories ? schemes::categoryCells(CategoryScheme::standard())
                                   : schemes::prizeCells(PrizeScheme::standard()));
    });
    connect(fromRace, &QPushButton::clicked, this, &RulesTabs::copyFromRace);

    // The label or name takes the room left; sex, ages and prizes their own width.
    table->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    table->horizontalHeader()->setSectionResizeMode(0, QHeaderView::Stretch);
    auto* tab = new QWidget;
    auto* buttons = new QVBoxLayout;
    for (QPushButton* b : {add, remove, up, down, import, exportButton, standard, fromRace})
        buttons->addWidget(b);
    buttons->addStretch(1);
    auto* layout = new QHBoxLayout(tab);
    layout->addWidget(table, 1);
    layout->addLayout(buttons);
    return tab;
}

void RulesTabs::fill(const RaceRules& rules)
{
    setCells(tblkategorije, schemes::categoryCells(rules.categories));
    setCells(tblnagrade, schemes::prizeCells(rules.prizes));
    const TeamRules& t = rules.teams;
    chkekipe->setChecked(t.on());
    txtekipa->setValue(t.on() ? t.size : 3);
    txtdodatni->setValue(t.extra);
    cboekipepo->setCurrentIndex(t.together ? 1 : 0);
    cbobodovanje->setCurrentIndex(t.byTimes ? 1 : 0);
    txtnagradeekipa->setValue(t.prizes);
    txtbezkluba->setText(t.noClub.join(QStringLiteral(", ")));
}

QWidget* RulesTabs::makeTeamsTab()
{
    chkekipe = ui::named(new QCheckBox(tx::teamsOn()), "chkekipe");
    const auto spin = [](const char* name, int most) {
        auto* box = ui::named(new QSpinBox, name);
        box->setRange(0, most);
        return box;
    };
    txtekipa = spin("txtekipa", kMaxTeamSize);
    txtekipa->setMinimum(1);
    txtdodatni = spin("txtdodatni", kMaxTeamSize);
    cboekipepo = ui::named(new QComboBox, "cboekipepo");
    cboekipepo->addItems({tx::teamsBySex(), tx::teamsByAll()});
    cbobodovanje = ui::named(new QComboBox, "cbobodovanje");
    cbobodovanje->addItems({tx::teamsScorePlaces(), tx::teamsScoreTimes()});
    txtnagradeekipa = spin("txtnagradeekipa", kMaxPrizeCount);
    txtbezkluba = ui::lineEdit("txtbezkluba", 400);
    auto* tab = new QWidget;
    auto* form = new QFormLayout;
    form->addRow(tx::teamsSize(), txtekipa);
    form->addRow(tx::teamsExtra(), txtdodatni);
    form->addRow(tx::teamsBy(), cboekipepo);
    form->addRow(tx::teamsScore(), cbobodovanje);
    form->addRow(tx::teamsPrizes(), txtnagradeekipa);
    form->addRow(tx::teamsNoClub(), txtbezkluba);
    auto* details = new QWidget;
    details->setLayout(form);
    // The details only while team results are on, from the first showing.
    details->setEnabled(false);
    connect(chkekipe, &QCheckBox::toggled, details, &QWidget::setEnabled);
    auto* layout = new QVBoxLayout(tab);
    layout->addWidget(chkekipe);
    layout->addWidget(details);
    layout->addStretch(1);
    return tab;
}

TeamRules RulesTabs::teams() const
{
    TeamRules t;
    t.size = chkekipe->isChecked() ? txtekipa->value() : 0;
    t.extra = txtdodatni->value();
    t.together = cboekipepo->currentIndex() == 1;
    t.byTimes = cbobodovanje->currentIndex() == 1;
    t.prizes = txtnagradeekipa->value();
    t.noClub.clear();
    for (const QString& part : txtbezkluba->text().split(QLatin1Char(','), Qt::SkipEmptyParts)) {
        if (!part.simplified().isEmpty())
            t.noClub.append(part.simplified());
    }
    return t;
}

void RulesTabs::propose(const RaceRules& rules)
{
    setCells(tblkategorije, schemes::categoryCells(rules.categories));
}

QList<QStringList> RulesTabs::cells(const QTableWidget* table) const
{
    QList<QStringList> all;
    for (int r = 0; r < table->rowCount(); ++r) {
        QStringList row;
        for (int c = 0; c < table->columnCount(); ++c)
            row.append(table->item(r, c) ? table->item(r, c)->text() : QString());
        all.append(row);
    }
    return all;
}

void RulesTabs::setCells(QTableWidget* table, const QList<QStringList>& cells)
{
    table->setRowCount(int(cells.size()));
    for (int r = 0; r < cells.size(); ++r) {
        for (int c = 0; c < table->columnCount(); ++c)
            table->setItem(r, c, new QTableWidgetItem(cells.at(r).value(c)));
    }
}

void RulesTabs::importFile(bool categories)
{
    const QString path = ui::FileChooser::openFile(m_parent, tx::rulesImport(), QStringLiteral("CSV (*.csv *.txt)"));
    if (path.isEmpty())
        return;
    QFile file(path);
    const QByteArray bytes = file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    // Checked as a whole; a refused file leaves the table as it was.
    if (categories) {
        const auto read = schemes::readCategories(bytes);
        if (ui::succeeded(m_parent, read))
            setCells(tblkategorije, schemes::categoryCells(read.value()));
    } else {
        const auto read = schemes::readPrizes(bytes);
        if (ui::succeeded(m_parent, read))
            setCells(tblnagrade, schemes::prizeCells(read.value()));
    }
}

void RulesTabs::exportFile(bool categories)
{
    QByteArray bytes;
    if (categories) {
        const auto checked = schemes::categoriesFromCells(cells(tblkategorije));
        if (!ui::succeeded(m_parent, checked))
            return;
        bytes = schemes::writeCategories(checked.value());
    } else {
        const auto checked = schemes::prizesFromCells(cells(tblnagrade));
        if (!ui::succeeded(m_parent, checked))
            return;
        bytes = schemes::writePrizes(checked.value());
    }
    const QString suggested = ui::FileChooser::suggestedSavePath(
        (categories ? tx::rulesTabCategories() : tx::rulesTabPrizes()) + QStringLiteral(".csv"));
    const QString filter = QStringLiteral("CSV (*.csv)");
    const QString path =
        m_savePath ? m_savePath(suggested, filter) : QFileDialog::getSaveFileName(m_parent, tx::rulesExport(), suggested, filter);
    if (path.isEmpty())
        return;
    ui::FileChooser::rememberFolderOf(path);
    if (const QString error = exports::saveFile(path, bytes); !error.isEmpty())
        MessageBox::notice(m_parent, error);
}

void RulesTabs::copyFromRace()
{
    const auto races = m_session.listedRaces();
    if (!ui::succeeded(m_parent, races))
        return;
    QList<std::pair<qint64, QString>> offered;
    for (const Race& r : races.value()) {
        if (r.id != m_session.race().id)
            offered.append({r.id, r.ime});
    }
    if (offered.isEmpty()) {
        MessageBox::notice(m_parent, tx::rulesNoOtherRace());
        return;
    }
    qint64 chosen = -1;
    if (m_chooseRace) {
        chosen = m_chooseRace(offered);
    } else {
        QStringList names;
        for (const auto& [id, name] : offered)
            names.append(name);
        bool ok = false;
        const QString name = QInputDialog::getItem(m_parent, tx::rulesFromRace(), tx::rulesChooseRace(), names, 0, false, &ok);
        if (ok && names.contains(name))
            chosen = offered.at(names.indexOf(name)).first;
    }
    if (chosen < 0)
        return;
    const auto rules = racerules::rulesOf(m_session, chosen);
    if (ui::succeeded(m_parent, rules))
        fill(rules.value());
}

bool RulesTabs::store()
{
    const auto categories = schemes::categoriesFromCells(cells(tblkategorije));
    const auto prizes = schemes::prizesFromCells(cells(tblnagrade));
    if (categories && prizes && RaceRules{categories.value(), prizes.value(), teams()} == m_session.rules())
        return true;
    return ui::succeeded(m_parent,
                         racerules::setFromCells(m_session, cells(tblkategorije), cells(tblnagrade), teams()));
}
