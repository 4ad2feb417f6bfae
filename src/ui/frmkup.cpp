#include "ui/frmkup.h"

#include "app/seriesmodel.h"
#include "core/dates.h"
#include "core/texts.h"
#include "core/texts_rules.h"
#include "core/texts_series.h"
#include "data/database.h"
#include "ui/frmkelvora.h"
#include "ui/messagebox.h"
#include "ui/pageutil.h"
#include "ui/widgets.h"

#include <QComboBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QGuiApplication>
#include <QHeaderView>
#include <QInputDialog>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QSpinBox>
#include <QTabWidget>
#include <QTableWidget>
#include <QTreeView>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace {

QSpinBox* spin(const char* name, int least, int most)
{
    auto* box = ui::named(new QSpinBox, name);
    box->setRange(least, most);
    return box;
}

standings::Sex sexOfIndex(int index)
{
    return index == 1 ? standings::Sex::Men : index == 2 ? standings::Sex::Women : standings::Sex::All;
}

} // namespace

frmkup::frmkup(frmkelvora& window, QWidget* parent)
    : QDialog(parent)
    , m_window(window)
    , m_seasons(window.database())
{
    setObjectName(QStringLiteral("frmkup"));
    setWindowTitle(tx::seriesWindowTitle());

    cbokup = ui::named(new QComboBox, "cbokup");
    cbokup->setMinimumContentsLength(30);
    cmdnovi = ui::button(tx::seriesNew(), "cmdnovi");
    cmdpreimenuj = ui::button(tx::seriesRename(), "cmdpreimenuj");
    cmdobrisi = ui::button(tx::seriesDelete(), "cmdobrisi");
    auto* top = new QHBoxLayout;
    top->addWidget(ui::label(tx::seriesLabel()));
    top->addWidget(cbokup, 1);
    top->addWidget(cmdnovi);
    top->addWidget(cmdpreimenuj);
    top->addWidget(cmdobrisi);

    // The standings.
    cbospol = ui::named(new QComboBox, "cbospol");
    cbospol->addItems({tx::categoryAll(), tx::optionMen(), tx::optionWomen()});
    m_model = new SeriesModel(this);
    lsvkup = ui::named(new QTreeView, "lsvkup");
    lsvkup->setModel(m_model);
    lsvkup->setRootIsDecorated(false);
    lsvkup->setUniformRowHeights(true);
    lsvkup->setAllColumnsShowFocus(true);
    lsvkup->setSelectionBehavior(QAbstractItemView::SelectRows);
    lsvkup->setSelectionMode(QAbstractItemView::ExtendedSelection);
    lblkup = ui::named(ui::label(), "lblkup");
    lblkup->setWordWrap(true);
    cmdspoji = ui::button(tx::seriesJoin(), "cmdspoji");
    cmdspoji->setToolTip(tx::seriesJoinHelp());
    auto* standingsTab = new QWidget;
    auto* standingsLayout = new QVBoxLayout(standingsTab);
    auto* sexRow = new QHBoxLayout;
    sexRow->addWidget(ui::label(tx::seriesSexLabel()));
    sexRow->addWidget(cbospol);
    sexRow->addStretch(1);
    sexRow->addWidget(cmdspoji);
    standingsLayout->addLayout(sexRow);
    standingsLayout->addWidget(lsvkup, 1);
    standingsLayout->addWidget(lblkup);

    // The races and the rules.
    txtime = ui::lineEdit("txtime", 60);
    lstutrke = ui::named(new QListWidget, "lstutrke");
    cmdgore = ui::button(tx::seriesUp(), "cmdgore");
    cmddolje = ui::button(tx::seriesDown(), "cmddolje");
    txtplanirano = spin("txtplanirano", 0, 100);
    optbodovi = ui::named(new QRadioButton(tx::seriesPointsCountdown()), "optbodovi");
    txtbodovi = spin("txtbodovi", 1, 100000);
    optpopis = ui::named(new QRadioButton(tx::seriesPointsList()), "optpopis");
    txtpopis = ui::lineEdit("txtpopis", 400);
    cbomjesto = ui::named(new QComboBox, "cbomjesto");
    cbomjesto->addItems({tx::seriesPlaceSex(), tx::seriesPlaceOverall(), tx::seriesPlaceCategory()});
    txtnajbolji = spin("txtnajbolji", 0, 100);
    txtnajmanje = spin("txtnajmanje", 1, 100);
    txtbezkluba = ui::lineEdit("txtbezkluba", 400);
    tblnagrade = ui::named(new QTableWidget(0, 5), "tblnagrade");
    tblnagrade->setHorizontalHeaderLabels(tx::prizeFileColumns());
    tblnagrade->horizontalHeader()->setStretchLastSection(true);
    tblnagrade->verticalHeader()->setVisible(false);
    tblnagrade->verticalHeader()->setDefaultSectionSize(tblnagrade->fontMetrics().height() + 8);
    auto* addRow = ui::button(tx::seriesAddRow(), "cmddodajred");
    auto* removeRow = ui::button(tx::seriesRemoveRow(), "cmdukloni");
    cmdspremi = ui::button(tx::seriesStore(), "cmdspremi");
    auto* rulesTab = new QWidget;
    auto* rulesGrid = new QGridLayout(rulesTab);
    auto* left = new QVBoxLayout;
    left->addLayout(ui::captioned(tx::seriesName(), txtime));
    left->addWidget(ui::label(tx::seriesRaces()));
    left->addWidget(lstutrke, 1);
    auto* order = new QHBoxLayout;
    order->addWidget(cmdgore);
    order->addWidget(cmddolje);
    order->addStretch(1);
    left->addLayout(order);
    auto* form = new QFormLayout;
    form->addRow(tx::seriesPlanned(), txtplanirano);
    form->addRow(optbodovi, txtbodovi);
    form->addRow(optpopis, txtpopis);
    form->addRow(tx::seriesPlace(), cbomjesto);
    form->addRow(tx::seriesBest(), txtnajbolji);
    form->addRow(tx::seriesMinimum(), txtnajmanje);
    form->addRow(tx::seriesNoClub(), txtbezkluba);
    auto* right = new QVBoxLayout;
    right->addLayout(form);
    right->addWidget(ui::label(tx::seriesPrizeRules()));
    right->addWidget(tblnagrade, 1);
    auto* prizeButtons = new QHBoxLayout;
    prizeButtons->addWidget(addRow);
    prizeButtons->addWidget(removeRow);
    prizeButtons->addStretch(1);
    prizeButtons->addWidget(cmdspremi);
    right->addLayout(prizeButtons);
    rulesGrid->addLayout(left, 0, 0);
    rulesGrid->addLayout(right, 0, 1);
    rulesGrid->setColumnStretch(0, 2);
    rulesGrid->setColumnStretch(1, 3);

    // The matches and the check.
    lstspojevi = ui::named(new QTreeWidget, "lstspojevi");
    lstspojevi->setRootIsDecorated(false);
    lstspojevi->setHeaderHidden(true);
    cmdrazdvoji = ui::button(tx::seriesSplit(), "cmdrazdvoji");
    cmdponisti = ui::button(tx::seriesTakeBack(), "cmdponisti");
    txtprovjera = ui::named(new QPlainTextEdit, "txtprovjera");
    txtprovjera->setReadOnly(true);
    auto* matchesTab = new QWidget;
    auto* matchesLayout = new QVBoxLayout(matchesTab);
    matchesLayout->addWidget(lstspojevi, 2);
    auto* matchButtons = new QHBoxLayout;
    matchButtons->addWidget(cmdrazdvoji);
    matchButtons->addWidget(cmdponisti);
    matchButtons->addWidget(ui::label(tx::seriesJoinHelp()), 1);
    matchesLayout->addLayout(matchButtons);
    matchesLayout->addWidget(txtprovjera, 1);

    // The prize list.
    lsvnagrade = ui::named(new QTreeWidget, "lsvnagrade");
    lsvnagrade->setRootIsDecorated(false);
    QStringList prizeHeadings = tx::prizeColumns();
    prizeHeadings.last() = tx::seriesColPoints();
    lsvnagrade->setHeaderLabels(prizeHeadings);
    lsvnagrade->hideColumn(1); // a series has no start numbers

    tabkup = ui::named(new QTabWidget, "tabkup");
    tabkup->addTab(standingsTab, tx::seriesTabStandings());
    tabkup->addTab(rulesTab, tx::seriesTabRules());
    tabkup->addTab(matchesTab, tx::seriesTabMatches());
    tabkup->addTab(lsvnagrade, tx::seriesTabPrizes());

    cmdispis = ui::button(tx::seriesPrint(), "cmdispis");
    cmdpregled = ui::button(tx::seriesPreview(), "cmdpregled");
    cboformat = ui::named(new QComboBox, "cboformat");
    cboformat->addItems({QStringLiteral("CSV"), QStringLiteral("HTML"), QStringLiteral("PDF")});
    cmdizvoz = ui::button(tx::seriesExport(), "cmdizvoz");
    cmdzatvori = ui::button(tx::seriesClose(), "cmdzatvori");
    auto* bottom = new QHBoxLayout;
    bottom->addWidget(cmdispis);
    bottom->addWidget(cmdpregled);
    bottom->addWidget(cboformat);
    bottom->addWidget(cmdizvoz);
    bottom->addStretch(1);
    bottom->addWidget(cmdzatvori);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(tabkup, 1);
    layout->addLayout(bottom);

    connect(cbokup, &QComboBox::activated, this, [this](int index) { showSeries(cbokup->itemData(index).toLongLong()); });
    connect(cmdnovi, &QPushButton::clicked, this, &frmkup::newSeries);
    connect(cmdpreimenuj, &QPushButton::clicked, this, [this] {
        bool ok = false;
        const QString name =
            QInputDialog::getText(this, tx::seriesWindowTitle(), tx::seriesRenameAsk(), QLineEdit::Normal, m_current.name, &ok);
        if (ok)
            renameSeries(name);
    });
    connect(cmdobrisi, &QPushButton::clicked, this, [this] {
        if (m_current.id != 0
            && MessageBox::ask(this, tx::seriesWindowTitle(), tx::seriesDeleteAsk().arg(m_current.name), QMessageBox::Question))
            removeSeries();
    });
    connect(cbospol, &QComboBox::currentIndexChanged, this, &frmkup::showSex);
    connect(cmdspoji, &QPushButton::clicked, this, &frmkup::joinSelected);
    connect(cmdgore, &QPushButton::clicked, this, [this] {
        const int row = lstutrke->currentRow();
        if (row > 0) {
            lstutrke->insertItem(row - 1, lstutrke->takeItem(row));
            lstutrke->setCurrentRow(row - 1);
        }
    });
    connect(cmddolje, &QPushButton::clicked, this, [this] {
        const int row = lstutrke->currentRow();
        if (row >= 0 && row + 1 < lstutrke->count()) {
            lstutrke->insertItem(row + 1, lstutrke->takeItem(row));
            lstutrke->setCurrentRow(row + 1);
        }
    });
    connect(optbodovi, &QRadioButton::toggled, txtbodovi, &QWidget::setEnabled);
    connect(optpopis, &QRadioButton::toggled, txtpopis, &QWidget::setEnabled);
    connect(addRow, &QPushButton::clicked, this, [this] { tblnagrade->insertRow(tblnagrade->rowCount()); });
    connect(removeRow, &QPushButton::clicked, this, [this] {
        if (tblnagrade->currentRow() >= 0)
            tblnagrade->removeRow(tblnagrade->currentRow());
    });
    connect(cmdspremi, &QPushButton::clicked, this, &frmkup::storeSeries);
    connect(cmdrazdvoji, &QPushButton::clicked, this, &frmkup::splitSelected);
    connect(cmdponisti, &QPushButton::clicked, this, &frmkup::takeBackSelected);
    connect(cmdispis, &QPushButton::clicked, this, &frmkup::print);
    connect(cmdpregled, &QPushButton::clicked, this, &frmkup::preview);
    connect(cmdizvoz, &QPushButton::clicked, this, [this] { exportList(exports::Format(cboformat->currentIndex())); });
    connect(cmdzatvori, &QPushButton::clicked, this, &QDialog::reject);

    // As much of the screen as a season's columns need, never beyond it.
    const QRect screen = (parent ? parent->screen() : QGuiApplication::primaryScreen())->availableGeometry();
    resize(std::min(1200, screen.width() - 40), std::min(720, screen.height() - 60));
    showSeries(0);
}

void frmkup::fillSeriesList(qint64 select)
{
    const auto all = m_seasons.list();
    if (!ui::succeeded(this, all))
        return;
    const QSignalBlocker quiet(cbokup);
    cbokup->clear();
    for (const series::Definition& d : all.value())
        cbokup->addItem(d.name, d.id);
    const int at = cbokup->findData(select);
    cbokup->setCurrentIndex(at >= 0 ? at : cbokup->count() > 0 ? 0 : -1);
}

void frmkup::showSeries(qint64 id)
{
    fillSeriesList(id);
    const qint64 shown = cbokup->currentIndex() >= 0 ? cbokup->currentData().toLongLong() : 0;
    if (shown == 0) {
        newSeries();
        lblkup->setText(tx::seriesNoneYet());
        return;
    }
    const auto found = m_seasons.find(shown);
    if (!ui::succeeded(this, found))
        return;
    fillForm(found.value());
    score();
}

void frmkup::newSeries()
{
    series::Definition fresh;
    fresh.rules.prizes = PrizeScheme::standard();
    fillForm(fresh);
    m_result.reset();
    m_shown.clear();
    m_model->setRows({}, {});
    lstspojevi->clear();
    txtprovjera->clear();
    lsvnagrade->clear();
    lblkup->clear();
    tabkup->setCurrentIndex(1);
    txtime->setFocus();
}

void frmkup::fillForm(const series::Definition& d)
{
    m_current = d;
    txtime->setText(d.name);
    lstutrke->clear();
    const auto races = m_window.database().allRaces();
    if (!ui::succeeded(this, races.ok() ? Status::done() : Status::dbFailed(races.error())))
        return;
    // The series' races first, in its order, checked; then the others.
    QList<Race> all = races.value();
    for (qint64 id : d.races) {
        for (const Race& r : all) {
            if (r.id != id)
                continue;
            auto* item = new QListWidgetItem(QStringLiteral("%1 · %2").arg(r.ime, kvr::formatDate(r.datum)), lstutrke);
            item->setData(Qt::UserRole, r.id);
            item->setCheckState(Qt::Checked);
        }
    }
    for (const Race& r : all) {
        if (d.races.contains(r.id))
            continue;
        auto* item = new QListWidgetItem(QStringLiteral("%1 · %2").arg(r.ime, kvr::formatDate(r.datum)), lstutrke);
        item->setData(Qt::UserRole, r.id);
        item->setCheckState(Qt::Unchecked);
    }
    const series::Rules& r = d.rules;
    txtplanirano->setValue(r.planned);
    optbodovi->setChecked(r.points == series::PointsKind::Countdown);
    optpopis->setChecked(r.points == series::PointsKind::List);
    txtbodovi->setEnabled(optbodovi->isChecked());
    txtpopis->setEnabled(optpopis->isChecked());
    txtbodovi->setValue(r.firstPoints);
    QStringList list;
    for (int p : r.pointsList)
        list.append(QString::number(p));
    txtpopis->setText(list.join(QLatin1Char(',')));
    cbomjesto->setCurrentIndex(int(r.place));
    txtnajbolji->setValue(r.best);
    txtnajmanje->setValue(r.minimum);
    txtbezkluba->setText(r.noClub.join(QStringLiteral(", ")));
    const QList<QStringList> cells = schemes::prizeCells(r.prizes);
    tblnagrade->setRowCount(int(cells.size()));
    for (int row = 0; row < cells.size(); ++row) {
        for (int column = 0; column < 5; ++column)
            tblnagrade->setItem(row, column, new QTableWidgetItem(cells.at(row).value(column)));
    }
    tblnagrade->resizeColumnsToContents();
    m_formState = formState();
}

QStringList frmkup::formState() const
{
    QStringList state{txtime->text(),
                      QString::number(txtplanirano->value()),
                      QString::number(optpopis->isChecked()),
                      QString::number(txtbodovi->value()),
                      txtpopis->text(),
                      QString::number(cbomjesto->currentIndex()),
                      QString::number(txtnajbolji->value()),
                      QString::number(txtnajmanje->value()),
                      txtbezkluba->text()};
    for (int i = 0; i < lstutrke->count(); ++i)
        state.append(lstutrke->item(i)->data(Qt::UserRole).toString() + QLatin1Char(':') +
                     QString::number(lstutrke->item(i)->checkState()));
    for (int row = 0; row < tblnagrade->rowCount(); ++row) {
        for (int column = 0; column < tblnagrade->columnCount(); ++column)
            state.append(tblnagrade->item(row, column) ? tblnagrade->item(row, column)->text() : QString());
    }
    return state;
}

void frmkup::reject()
{
    if (formState() != m_formState
        && MessageBox::ask(this, tx::seriesWindowTitle(), tx::seriesUnsavedAsk(), QMessageBox::Question)
        && !storeSeries())
        return;
    QDialog::reject();
}

std::optional<series::Definition> frmkup::formDefinition()
{
    series::Definition d = m_current;
    d.name = txtime->text();
    d.races.clear();
    for (int i = 0; i < lstutrke->count(); ++i) {
        if (lstutrke->item(i)->checkState() == Qt::Checked)
            d.races.append(lstutrke->item(i)->data(Qt::UserRole).toLongLong());
    }
    series::Rules& r = d.rules;
    r.planned = txtplanirano->value();
    r.points = optpopis->isChecked() ? series::PointsKind::List : series::PointsKind::Countdown;
    r.firstPoints = txtbodovi->value();
    r.pointsList.clear();
    if (r.points == series::PointsKind::List) {
        const auto list = series::readPointsList(txtpopis->text());
        if (!list) {
            MessageBox::notice(this, tx::seriesBadPointsList());
            txtpopis->setFocus();
            return std::nullopt;
        }
        r.pointsList = *list;
    }
    r.place = series::PlaceScope(cbomjesto->currentIndex());
    r.best = txtnajbolji->value();
    r.minimum = txtnajmanje->value();
    r.noClub.clear();
    for (const QString& part : txtbezkluba->text().split(QLatin1Char(','), Qt::SkipEmptyParts)) {
        if (!part.trimmed().isEmpty())
            r.noClub.append(part.trimmed());
    }
    QList<QStringList> cells;
    for (int row = 0; row < tblnagrade->rowCount(); ++row) {
        QStringList line;
        for (int column = 0; column < 5; ++column)
            line.append(tblnagrade->item(row, column) ? tblnagrade->item(row, column)->text() : QString());
        cells.append(line);
    }
    const auto prizes = schemes::prizesFromCells(cells);
    if (!ui::succeeded(this, prizes))
        return std::nullopt;
    r.prizes = prizes.value();
    return d;
}

bool frmkup::storeSeries()
{
    const auto d = formDefinition();
    if (!d)
        return false;
    const auto stored = m_seasons.store(*d);
    if (!ui::succeeded(this, stored))
        return false;
    showSeries(stored.value());
    tabkup->setCurrentIndex(0);
    return true;
}

bool frmkup::renameSeries(const QString& name)
{
    if (m_current.id == 0) {
        txtime->setText(name);
        return true;
    }
    series::Definition d = m_current;
    d.name = name;
    const auto stored = m_seasons.store(d);
    if (!ui::succeeded(this, stored))
        return false;
    showSeries(stored.value());
    return true;
}

bool frmkup::removeSeries()
{
    if (m_current.id == 0)
        return false;
    if (!ui::succeeded(this, m_seasons.remove(m_current.id)))
        return false;
    showSeries(0);
    return true;
}

void frmkup::score()
{
    QGuiApplication::setOverrideCursor(Qt::WaitCursor);
    const auto result = m_seasons.standings(m_current);
    QGuiApplication::restoreOverrideCursor();
    if (!ui::succeeded(this, result))
        return;
    m_result = result.value();
    showSex();

    // The matches, the organiser's choices among them, and the check.
    lstspojevi->clear();
    for (const series::Match& m : m_result->standings.matches) {
        const QString text = m.kind == series::Match::Kind::Split
            ? tx::seriesSplit(m.entryText, m.raceIndex + 1)
            : m.kind == series::Match::Kind::Joined ? tx::seriesJoined(m.entryText, m.raceIndex + 1, m.runnerText)
                                                    : tx::seriesMatched(m.entryText, m.raceIndex + 1, m.runnerText);
        auto* item = new QTreeWidgetItem(lstspojevi, {text});
        item->setData(0, Qt::UserRole, int(lstspojevi->topLevelItemCount() - 1));
    }
    if (m_result->standings.matches.isEmpty())
        new QTreeWidgetItem(lstspojevi, {tx::seriesNoMatches()});
    txtprovjera->setPlainText(m_result->standings.notes.isEmpty() ? tx::seriesNoNotes()
                                                                  : m_result->standings.notes.join(QLatin1Char('\n')));
}

void frmkup::showSex()
{
    if (!m_result)
        return;
    m_shown = series::ofSex(m_result->standings, sexOfIndex(cbospol->currentIndex()), m_result->definition.rules.minimum);
    m_model->setRows(m_result->raceNames, m_shown);
    // A race's column as wide as its points need, its name cut to fit.
    const int races = int(m_result->raceNames.size());
    const int pointsWidth = lsvkup->fontMetrics().horizontalAdvance(QStringLiteral("00000")) + 16;
    for (int c = 0; c < m_model->columnCount(); ++c) {
        lsvkup->resizeColumnToContents(c);
        if (c >= 4 && c < 4 + races)
            lsvkup->setColumnWidth(c, std::min(lsvkup->columnWidth(c), std::max(pointsWidth, 110)));
    }
    int completed = 0;
    for (const series::Row& r : m_shown)
        completed += r.completed ? 1 : 0;
    const int planned = std::max<int>(m_result->definition.rules.planned, int(m_result->raceNames.size()));
    lblkup->setText(tx::seriesSummary(int(m_shown.size()), m_result->standings.held, planned, completed));

    lsvnagrade->clear();
    const QList<QStringList> prizes = prizeRows();
    QList<QTreeWidgetItem*> items;
    for (const QStringList& row : prizes) {
        auto* item = new QTreeWidgetItem(row);
        // A prize category's name heads its winners.
        if (row.value(0).isEmpty() && row.value(2) != tx::prizeListNone()) {
            QFont bold = item->font(2);
            bold.setBold(true);
            item->setFont(2, bold);
        }
        items.append(item);
    }
    lsvnagrade->addTopLevelItems(items);
    for (int c = 0; c < lsvnagrade->columnCount(); ++c)
        lsvnagrade->resizeColumnToContents(c);
}

QList<QStringList> frmkup::prizeRows() const
{
    if (!m_result)
        return {};
    // Prizes go by the whole standings, whichever sex is shown.
    const QList<series::Row> all = m_result->standings.rows;
    return series::prizeRows(all, series::award(all, m_result->definition.rules.prizes));
}

const series::Match* frmkup::selectedMatch()
{
    const QTreeWidgetItem* item = lstspojevi->currentItem();
    if (!m_result || !item || !item->data(0, Qt::UserRole).isValid()) {
        MessageBox::notice(this, tx::seriesPickMatch());
        return nullptr;
    }
    return &m_result->standings.matches.at(item->data(0, Qt::UserRole).toInt());
}

bool frmkup::splitSelected()
{
    const series::Match* chosen = selectedMatch();
    if (!chosen)
        return false;
    const series::Match m = *chosen;
    if (m.kind == series::Match::Kind::Split) {
        MessageBox::notice(this, tx::seriesSplitOnlyMatch());
        return false;
    }
    if (!ui::succeeded(this, m_seasons.split(m_current.id, m.entry)))
        return false;
    showSeries(m_current.id);
    tabkup->setCurrentIndex(2);
    return true;
}

bool frmkup::takeBackSelected()
{
    const series::Match* chosen = selectedMatch();
    if (!chosen)
        return false;
    const series::Match m = *chosen;
    if (m.kind == series::Match::Kind::Rule) {
        MessageBox::notice(this, tx::seriesTakeBackOnlyChoice());
        return false;
    }
    if (!ui::succeeded(this, m_seasons.takeBack(m_current.id, m.entry)))
        return false;
    showSeries(m_current.id);
    tabkup->setCurrentIndex(2);
    return true;
}

bool frmkup::joinSelected()
{
    const QModelIndexList rows = lsvkup->selectionModel() ? lsvkup->selectionModel()->selectedRows() : QModelIndexList();
    if (!m_result || rows.size() != 2) {
        MessageBox::notice(this, tx::seriesJoinNeedsTwo());
        return false;
    }
    // The lower row's entries join the runner of the upper one.
    const int a = std::min(rows.at(0).row(), rows.at(1).row());
    const int b = std::max(rows.at(0).row(), rows.at(1).row());
    const series::Row& to = m_shown.at(a);
    const series::Row& from = m_shown.at(b);
    for (int r = 0; r < to.points.size(); ++r) {
        bool inTo = false;
        bool inFrom = false;
        const qint64 race = m_result->definition.races.at(r);
        for (const series::EntryRef& e : to.entries)
            inTo = inTo || e.race == race;
        for (const series::EntryRef& e : from.entries)
            inFrom = inFrom || e.race == race;
        if (inTo && inFrom) {
            MessageBox::notice(this, tx::seriesJoinSameRace());
            return false;
        }
    }
    for (const series::EntryRef& e : from.entries) {
        if (!ui::succeeded(this, m_seasons.join(m_current.id, e, to.entries.first())))
            return false;
    }
    showSeries(m_current.id);
    return true;
}

std::optional<frmkelvora::Printout> frmkup::printout()
{
    if (!m_result)
        return std::nullopt;
    const bool prizes = tabkup->currentIndex() == 3;
    const auto data = SeriesSession::exportOf(*m_result, prizes ? SeriesList::Prizes : SeriesList::Standings,
                                              sexOfIndex(cbospol->currentIndex()), {});
    const exports::ExportedList& list = data.lists.first();
    return frmkelvora::Printout{list.rows(), *list.format, m_current.name + QStringLiteral(" - ") + list.heading};
}

void frmkup::print()
{
    const auto p = printout();
    const auto header = m_seasons.header(m_current);
    if (!p || !ui::succeeded(this, header))
        return;
    m_window.printList(p->rows, p->format, p->listName, header.value());
}

void frmkup::preview()
{
    const auto p = printout();
    const auto header = m_seasons.header(m_current);
    if (!p || !ui::succeeded(this, header))
        return;
    m_window.previewList(*p, header.value());
}

void frmkup::exportList(exports::Format format)
{
    if (m_current.id == 0)
        return;
    const bool prizes = tabkup->currentIndex() == 3;
    const auto data = m_seasons.buildExport(m_current.id, prizes ? SeriesList::Prizes : SeriesList::Standings,
                                            sexOfIndex(cbospol->currentIndex()));
    if (!ui::succeeded(this, data))
        return;
    m_window.saveExport(data.value(), prizes ? exports::ExportList::SeriesPrizes : exports::ExportList::Series, format,
                        io::kDefaultSeparator);
}
