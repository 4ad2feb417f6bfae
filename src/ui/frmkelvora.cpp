#include "ui/frmkelvora.h"

#include "data/dates.h"
#include "ui/fieldrules.h"
#include "ui/messagebox.h"
#include "ui/texts.h"
#include "ui/widgets.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QFont>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QScrollArea>
#include <QTabWidget>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <utility>

namespace {

using ui::lineEdit;
using ui::named;

// A report-style list: one row per record, whole rows selected, the key
// columns hidden.
QTreeWidget* listView(const char* name, const QStringList& headers, int hiddenColumn = -1)
{
    auto* list = named(new QTreeWidget, name);
    list->setColumnCount(headers.size());
    list->setHeaderLabels(headers);
    list->setRootIsDecorated(false);
    list->setItemsExpandable(false);
    list->setUniformRowHeights(true);
    list->setAllColumnsShowFocus(true);
    list->setAlternatingRowColors(true);
    list->setSelectionBehavior(QAbstractItemView::SelectRows);
    list->setSelectionMode(QAbstractItemView::ExtendedSelection);
    list->setSortingEnabled(false);
    list->header()->setStretchLastSection(false);
    list->header()->setSectionResizeMode(QHeaderView::Interactive);
    if (hiddenColumn >= 0)
        list->setColumnHidden(hiddenColumn, true);
    return list;
}

// A field under its caption.
QVBoxLayout* captioned(const QString& caption, QWidget* field)
{
    auto* box = new QVBoxLayout;
    box->setSpacing(2);
    auto* label = ui::label(caption);
    label->setBuddy(field);
    box->addWidget(label);
    box->addWidget(field);
    return box;
}

QLabel* counterLabel(const char* name)
{
    auto* label = named(ui::label(QStringLiteral("0")), name);
    label->setAlignment(Qt::AlignCenter);
    label->setFrameShape(QFrame::StyledPanel);
    label->setMinimumWidth(60);
    return label;
}

} // namespace

frmkelvora::frmkelvora(const QString& databasePath, QWidget* parent)
    : QMainWindow(parent)
    , m_db(std::make_unique<Database>(databasePath))
{
    setObjectName(QStringLiteral("frmkelvora"));
    setWindowTitle(tx::appTitle());
    buildUi();
    buildMenus();

    // 11715 x 8115 twips at 15 twips a pixel, centred on the screen.
    resize(781, 541 + menuBar()->sizeHint().height());
    if (const QScreen* screen = QApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());

    const DbStatus opened = m_db->open();
    m_databaseReady = opened.ok();
    if (!m_databaseReady)
        MessageBox::notice(this, tx::dbUnusable(databasePath, opened.error()));
}

frmkelvora::~frmkelvora() = default;

void frmkelvora::buildUi()
{
    SSTab1 = named(new QTabWidget, "SSTab1");
    SSTab1->addTab(buildStartListPage(), tx::tabStartList());
    SSTab1->addTab(buildResultsPage(), tx::tabResults());
    SSTab1->addTab(buildReportsPage(), tx::tabReports());
    SSTab1->addTab(buildHelpPage(), tx::tabHelp());
    SSTab1->setCurrentIndex(PageStartList);
    setCentralWidget(SSTab1);
    connect(SSTab1, &QTabWidget::currentChanged, this, &frmkelvora::onTabChanged);
}

QWidget* frmkelvora::buildStartListPage()
{
    auto* page = new QWidget;

    lblimeutrke = named(ui::label(), "lblimeutrke");
    lblorgutrke = named(ui::label(), "lblorgutrke");
    lbldatumutrke = named(ui::label(), "lbldatumutrke");
    lblid = named(ui::label(), "lblid");
    lblid->setVisible(false);
    lblimeutrke->setToolTip(tx::tipRaceName());
    lblorgutrke->setToolTip(tx::tipOrganiser());
    lbldatumutrke->setToolTip(tx::tipDate());
    QFont headerFont = lblimeutrke->font();
    headerFont.setBold(true);
    for (QLabel* label : {lblimeutrke, lblorgutrke, lbldatumutrke})
        label->setFont(headerFont);

    auto* header = new QGridLayout;
    header->addWidget(ui::label(tx::headerRaceName()), 0, 0);
    header->addWidget(lblimeutrke, 0, 1);
    header->addWidget(ui::label(tx::headerOrganiser()), 1, 0);
    header->addWidget(lblorgutrke, 1, 1);
    header->addWidget(ui::label(tx::headerDate()), 2, 0);
    header->addWidget(lbldatumutrke, 2, 1);
    header->addWidget(lblid, 0, 2);
    header->setColumnStretch(1, 1);

    lsv1 = listView("lsv1", tx::columnsStartList(), 7);
    lsv1->setContextMenuPolicy(Qt::CustomContextMenu);
    lsv1->header()->setSectionsClickable(true);
    for (const auto& [column, width] : {std::pair{0, 45}, {1, 55}, {2, 150}, {3, 85}, {4, 85}, {5, 40}, {6, 80}})
        lsv1->setColumnWidth(column, width);
    connect(lsv1->header(), &QHeaderView::sectionClicked, this, &frmkelvora::onStartListHeaderClicked);
    connect(lsv1, &QWidget::customContextMenuRequested, this, &frmkelvora::onStartListContextMenu);
    setupStartListView();

    txtime = lineEdit("txtime", 25);
    txtsbroj = lineEdit("txtsbroj", 6);
    txtdrzava = lineEdit("txtdrzava", 15);
    txtklub = lineEdit("txtklub", 15);
    cbospol = named(new QComboBox, "cbospol");
    cbospol->addItems({tx::sexMale(), tx::sexFemale()});
    cbospol->setCurrentIndex(1);
    cbospol->setEditable(false);
    txtdatumrod = lineEdit("txtdatumrod", 10);
    rules::FieldFilter::install(txtsbroj, rules::FieldKind::StartNumber);
    rules::FieldFilter::install(txtdatumrod, rules::FieldKind::Date);

    cmddodaj = ui::button(tx::buttonAddCompetitor(), "cmddodaj");
    cmdispis = ui::button(tx::buttonPrintStartList(), "cmdispis");
    connect(cmddodaj, &QPushButton::clicked, this, &frmkelvora::cmddodaj_Click);
    connect(cmdispis, &QPushButton::clicked, this, &frmkelvora::cmdispis_Click);

    auto* fields = new QVBoxLayout;
    fields->addLayout(captioned(tx::fieldName(), txtime));
    fields->addLayout(captioned(tx::fieldStartNumber(), txtsbroj));
    fields->addLayout(captioned(tx::fieldCountry(), txtdrzava));
    fields->addLayout(captioned(tx::fieldClub(), txtklub));
    fields->addLayout(captioned(tx::fieldSex(), cbospol));
    fields->addLayout(captioned(tx::fieldBirthDate(), txtdatumrod));
    fields->addSpacing(8);
    fields->addWidget(cmddodaj);
    fields->addWidget(cmdispis);
    fields->addStretch(1);

    auto* fieldPanel = new QWidget;
    fieldPanel->setLayout(fields);
    fieldPanel->setFixedWidth(200);

    auto* body = new QHBoxLayout;
    body->addWidget(lsv1, 1);
    body->addWidget(fieldPanel);

    auto* layout = new QVBoxLayout(page);
    layout->addLayout(header);
    layout->addLayout(body, 1);

    setTabOrder(txtime, txtsbroj);
    setTabOrder(txtsbroj, txtdrzava);
    setTabOrder(txtdrzava, txtklub);
    setTabOrder(txtklub, cbospol);
    setTabOrder(cbospol, txtdatumrod);
    setTabOrder(txtdatumrod, cmddodaj);
    setTabOrder(cmddodaj, cmdispis);
    return page;
}

QWidget* frmkelvora::buildResultsPage()
{
    auto* page = new QWidget;

    txtsbrojr = lineEdit("txtsbrojr", 6);
    txtvrijeme = lineEdit("txtvrijeme", 8);
    rules::FieldFilter::install(txtsbrojr, rules::FieldKind::StartNumber);
    rules::FieldFilter::install(txtvrijeme, rules::FieldKind::Time);
    cmdunos = ui::button(tx::buttonEnterFinish(), "cmdunos");
    connect(cmdunos, &QPushButton::clicked, this, &frmkelvora::cmdunos_Click);
    // At the judges' pace: Enter moves from the start number to the time,
    // and Enter in the time stores the pair.
    connect(txtsbrojr, &QLineEdit::returnPressed, this, [this] { txtvrijeme->setFocus(Qt::TabFocusReason); });
    connect(txtvrijeme, &QLineEdit::returnPressed, cmdunos, &QPushButton::click);

    lsv2 = listView("lsv2", tx::columnsFinishList(), 3);
    lsv2->setContextMenuPolicy(Qt::CustomContextMenu);
    // Narrow enough that place, start number and time all show in the panel.
    lsv2->setColumnWidth(0, 60);
    lsv2->setColumnWidth(1, 60);
    lsv2->setColumnWidth(2, 70);
    connect(lsv2, &QWidget::customContextMenuRequested, this, &frmkelvora::onFinishListContextMenu);
    lsv3 = listView("lsv3", tx::columnsFinishDetails());
    for (const auto& [column, width] : {std::pair{0, 40}, {1, 50}, {2, 140}, {3, 60}, {4, 60}, {5, 40}, {6, 65}})
        lsv3->setColumnWidth(column, width);

    auto* entry = new QVBoxLayout;
    entry->addLayout(captioned(tx::fieldFinishStartNumber(), txtsbrojr));
    entry->addLayout(captioned(tx::fieldFinishTime(), txtvrijeme));
    entry->addWidget(cmdunos);
    entry->addWidget(lsv2, 1);
    auto* entryPanel = new QWidget;
    entryPanel->setLayout(entry);
    entryPanel->setFixedWidth(230);

    auto* listCaption = ui::label(tx::finishListCaption());
    QFont bold = listCaption->font();
    bold.setBold(true);
    listCaption->setFont(bold);

    lbliz4 = counterLabel("lbliz4");
    lbliz5 = counterLabel("lbliz5");
    lbliz6 = counterLabel("lbliz6");
    auto* counters = new QHBoxLayout;
    counters->addLayout(captioned(tx::counterRegistered(), lbliz4));
    counters->addLayout(captioned(tx::counterStarted(), lbliz5));
    counters->addLayout(captioned(tx::counterFinished(), lbliz6));
    counters->addStretch(1);

    auto* details = new QVBoxLayout;
    details->addWidget(listCaption);
    details->addWidget(lsv3, 1);
    details->addLayout(counters);

    auto* layout = new QHBoxLayout(page);
    layout->addWidget(entryPanel);
    layout->addLayout(details, 1);

    setTabOrder(txtsbrojr, txtvrijeme);
    setTabOrder(txtvrijeme, cmdunos);
    return page;
}

QWidget* frmkelvora::buildReportsPage()
{
    auto* page = new QWidget;

    cbokateg = named(new QComboBox, "cbokateg");
    cbokateg->setMinimumWidth(120);
    optzene = named(new QRadioButton(tx::optionWomen()), "optzene");
    optmuski = named(new QRadioButton(tx::optionMen()), "optmuski");
    optsvi = named(new QRadioButton(tx::optionAll()), "optsvi");
    optsvi->setChecked(true);
    auto* sexFrame = new QGroupBox(tx::fieldSex());
    auto* sexLayout = new QHBoxLayout(sexFrame);
    sexLayout->addWidget(optzene);
    sexLayout->addWidget(optmuski);
    sexLayout->addWidget(optsvi);

    cmdobrada = ui::button(tx::buttonProcess(), "cmdobrada");
    cmdispisiz = ui::button(tx::buttonPrintStandings(), "cmdispisiz");
    connect(cmdobrada, &QPushButton::clicked, this, &frmkelvora::cmdobrada_Click);
    connect(cmdispisiz, &QPushButton::clicked, this, &frmkelvora::cmdispisiz_Click);

    lblizvjestaj = named(ui::label(), "lblizvjestaj");
    lblizvjestaj->setWordWrap(true);
    QFont bold = lblizvjestaj->font();
    bold.setBold(true);
    lblizvjestaj->setFont(bold);
    auto* reportFrame = new QGroupBox(tx::reportFrame());
    auto* reportLayout = new QVBoxLayout(reportFrame);
    reportLayout->addWidget(lblizvjestaj);

    lblbrojp = counterLabel("lblbrojp");
    lblbrojs = counterLabel("lblbrojs");
    lblbrojc = counterLabel("lblbrojc");
    for (QLabel* counter : {lblbrojp, lblbrojs, lblbrojc})
        counter->clear();

    auto* choice = new QVBoxLayout;
    choice->addLayout(captioned(tx::fieldCategory(), cbokateg));
    choice->addWidget(sexFrame);
    auto* buttons = new QVBoxLayout;
    buttons->addWidget(cmdobrada);
    buttons->addWidget(cmdispisiz);
    buttons->addStretch(1);
    auto* counters = new QGridLayout;
    counters->addWidget(ui::label(tx::reportRegistered()), 0, 0);
    counters->addWidget(lblbrojp, 0, 1);
    counters->addWidget(ui::label(tx::reportStarted()), 1, 0);
    counters->addWidget(lblbrojs, 1, 1);
    counters->addWidget(ui::label(tx::reportFinished()), 2, 0);
    counters->addWidget(lblbrojc, 2, 1);

    auto* top = new QHBoxLayout;
    top->addLayout(choice);
    top->addLayout(buttons);
    top->addWidget(reportFrame, 1);
    top->addLayout(counters);

    lsv4 = listView("lsv4", tx::columnsStandings(), 9);
    for (const auto& [column, width] :
         {std::pair{0, 40}, {1, 50}, {2, 150}, {3, 80}, {4, 80}, {5, 40}, {6, 65}, {7, 65}, {8, 65}})
        lsv4->setColumnWidth(column, width);

    auto* layout = new QVBoxLayout(page);
    layout->addLayout(top);
    layout->addWidget(lsv4, 1);
    return page;
}

QWidget* frmkelvora::buildHelpPage()
{
    lblpomoc = named(ui::label(tx::helpLines().join(QLatin1Char('\n'))), "lblpomoc");
    lblpomoc->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    lblpomoc->setMargin(8);
    auto* scroll = new QScrollArea;
    scroll->setWidget(lblpomoc);
    scroll->setWidgetResizable(true);
    scroll->setFrameShape(QFrame::NoFrame);
    return scroll;
}

void frmkelvora::buildMenus()
{
    auto action = [this](QMenu* menu, const char* name, const QString& caption, const QKeySequence& shortcut = {}) {
        QAction* a = menu->addAction(caption);
        a->setObjectName(QString::fromLatin1(name));
        a->setShortcut(shortcut);
        return a;
    };
    auto separator = [](QMenu* menu, const char* name) {
        QAction* a = menu->addSeparator();
        a->setObjectName(QString::fromLatin1(name));
        return a;
    };

    mnumeni = named(menuBar()->addMenu(tx::menuMain()), "mnumeni");
    mnunova = action(mnumeni, "mnunova", tx::menuNewRace(), QKeySequence(Qt::CTRL | Qt::Key_N));
    mnuotvori = action(mnumeni, "mnuotvori", tx::menuOpenRace(), QKeySequence(Qt::CTRL | Qt::Key_O));
    mnucrta = separator(mnumeni, "mnucrta");
    mnuispisprijavljenih = action(mnumeni, "mnuispisprijavljenih", tx::menuPrintRegistered());
    mnuispisstartne = action(mnumeni, "mnuispisstartne", tx::menuPrintStartList());
    mnucrtaneka = separator(mnumeni, "mnucrtaneka");
    mnuizlaz = action(mnumeni, "mnuizlaz", tx::menuExit(), QKeySequence(Qt::CTRL | Qt::Key_I));

    mnuedit = named(menuBar()->addMenu(tx::menuEdit()), "mnuedit");
    mnuizmjenautrke = action(mnuedit, "mnuizmjenautrke", tx::menuEditRace());
    mnubrisanjeutrke = action(mnuedit, "mnubrisanjeutrke", tx::menuWithdrawRace());
    mnucrta1 = separator(mnuedit, "mnucrta1");
    mnunagrade = action(mnuedit, "mnunagrade", tx::menuPrizes());
    mnukategorije = action(mnuedit, "mnukategorije", tx::menuCategories());

    mnustartnalista = named(menuBar()->addMenu(tx::menuStartList()), "mnustartnalista");
    mnuizmjenatakmicara = action(mnustartnalista, "mnuizmjenatakmicara", tx::menuEditCompetitor());
    mnubrisanjetakmicara = action(mnustartnalista, "mnubrisanjetakmicara", tx::menuDeleteCompetitor());

    mnuciljnalista = named(menuBar()->addMenu(tx::menuFinishList()), "mnuciljnalista");
    mnubrisanjeciljna = action(mnuciljnalista, "mnubrisanjeciljna", tx::menuDeleteFinish());
    mnuciljnalista->menuAction()->setVisible(false);

    for (QAction* a : {mnuispisprijavljenih, mnuispisstartne, mnuizmjenautrke, mnubrisanjeutrke, mnunagrade,
                       mnukategorije})
        a->setEnabled(false);

    connect(mnunova, &QAction::triggered, this, &frmkelvora::onNewRace);
    connect(mnuotvori, &QAction::triggered, this, &frmkelvora::onOpenRace);
    connect(mnuispisprijavljenih, &QAction::triggered, this, &frmkelvora::onPrintRegistered);
    connect(mnuispisstartne, &QAction::triggered, this, &frmkelvora::cmdispis_Click);
    connect(mnuizlaz, &QAction::triggered, qApp, &QApplication::closeAllWindows);
    connect(mnuizlaz, &QAction::triggered, qApp, &QApplication::quit, Qt::QueuedConnection);
    connect(mnuizmjenautrke, &QAction::triggered, this, &frmkelvora::onEditRace);
    connect(mnubrisanjeutrke, &QAction::triggered, this, &frmkelvora::onWithdrawRace);
    connect(mnunagrade, &QAction::triggered, this, &frmkelvora::onPrizes);
    connect(mnukategorije, &QAction::triggered, this, &frmkelvora::onCategories);
    connect(mnuizmjenatakmicara, &QAction::triggered, this, &frmkelvora::onEditCompetitor);
    connect(mnubrisanjetakmicara, &QAction::triggered, this, &frmkelvora::onDeleteCompetitor);
    connect(mnubrisanjeciljna, &QAction::triggered, this, &frmkelvora::onDeleteFinish);
}

// ---- Current race -----------------------------------------------------------

bool frmkelvora::hasCurrentRace() const
{
    return !lblid->text().isEmpty();
}

qint64 frmkelvora::currentRaceId() const
{
    return lblid->text().toLongLong();
}

QDate frmkelvora::currentRaceDate() const
{
    return kvr::parseDayMonthYear(lbldatumutrke->text()).value_or(QDate());
}

void frmkelvora::setCurrentRace(const Race& race)
{
    lblimeutrke->setText(race.ime);
    lblorgutrke->setText(race.org);
    lbldatumutrke->setText(kvr::formatDate(race.datum));
    lblid->setText(QString::number(race.id));
}

void frmkelvora::clearCurrentRace()
{
    for (QLabel* label : {lblimeutrke, lblorgutrke, lbldatumutrke, lblid})
        label->clear();
}

void frmkelvora::enableRaceMenus()
{
    for (QAction* a : {mnunagrade, mnukategorije, mnuizmjenautrke, mnubrisanjeutrke, mnuispisprijavljenih,
                       mnuispisstartne})
        a->setEnabled(true);
}

void frmkelvora::selectPage(int index)
{
    SSTab1->setCurrentIndex(index);
}

void frmkelvora::showStartListMenuIfRows()
{
    if (lsv1->topLevelItemCount() > 0) {
        mnustartnalista->menuAction()->setVisible(true);
        mnuciljnalista->menuAction()->setVisible(false);
    }
}

void frmkelvora::showDbError(const QString& detail)
{
    MessageBox::notice(this, tx::dbError(detail));
}

// ---- Page refresh -------------------------------------------------------------

void frmkelvora::onTabChanged(int index)
{
    setWindowTitle(hasCurrentRace() ? tx::raceCaption(lblimeutrke->text()) : tx::appTitle());

    switch (index) {
    case PageStartList:
        mnuciljnalista->menuAction()->setVisible(false);
        if (lsv1->topLevelItemCount() > 0)
            mnustartnalista->menuAction()->setVisible(true);
        break;
    case PageResults:
        refreshResultsPage();
        break;
    case PageReports:
        refreshReportsPage();
        break;
    default:
        mnustartnalista->menuAction()->setVisible(false);
        mnuciljnalista->menuAction()->setVisible(false);
        mnuispisprijavljenih->setEnabled(false);
        mnuispisstartne->setEnabled(false);
        break;
    }
}
