#include "ui/frmkelvora.h"
#include "web/liveresultsserver.h"

#include "core/texts.h"
#include "core/texts_series.h"
#include "data/database.h"
#include "ui/helppage.h"
#include "ui/messagebox.h"
#include "ui/reportspage.h"
#include "ui/resultspage.h"
#include "ui/startlistpage.h"
#include "ui/widgets.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QFont>
#include <QGridLayout>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QScreen>
#include <QStatusBar>
#include <QTabWidget>

using ui::named;

namespace {

QString unusableMessage(Database& db, const DbError& error)
{
    if (db.isPostgres())
        return tx::dbServerUnusable(db.displayName(), error);
    return tx::dbUnusable(db.displayName(), error, db.journalFound());
}

} // namespace

frmkelvora::frmkelvora(const QString& databasePath, QWidget* parent)
    : frmkelvora(DbLocation::sqliteFile(databasePath), parent)
{
}

frmkelvora::frmkelvora(const DbLocation& location, QWidget* parent)
    : QMainWindow(parent)
    , m_session(std::make_unique<RaceSession>(location))
{
    setObjectName(QStringLiteral("frmkelvora"));
    setWindowTitle(tx::appTitle());
    buildUi();
    buildMenus();
    connect(m_session.get(), &RaceSession::raceChanged, this, &frmkelvora::onRaceChanged);
    connect(m_session.get(), &RaceSession::listsChanged, this, [this] {
        // The start list's own page shows its menu once it has rows (one that
        // empties hides it only at the next page change); the other pages
        // keep theirs, whoever changed the lists.
        if (SSTab1->currentIndex() == PageStartList)
            showStartListMenuIfRows();
    });

    // 11715 x 8115 twips at 15 twips a pixel, centred on the screen.
    resize(781, 541 + menuBar()->sizeHint().height());
    if (const QScreen* screen = QApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());

    DbStatus opened = database().open();
    // A server that wants a password the address lacks: the user types it,
    // never seen on the screen or the command line.
    // A password the server refused is asked for again, saying so.
    while (!opened && (opened.error().isPasswordMissing() || opened.error().isPasswordWrong())) {
        const QString prompt = tx::dbPasswordPrompt(database().displayName());
        const auto password = MessageBox::askPassword(
            this, tx::dbPasswordTitle(),
            opened.error().isPasswordWrong() ? tx::dbPasswordRefused() + QStringLiteral("\n\n") + prompt : prompt);
        if (!password)
            break;
        database().setPassword(*password);
        opened = database().open();
    }
    m_databaseReady = opened.ok();
    m_databaseBusy = !opened && opened.error().isBusy();
    m_busyError = opened.error();
    if (!m_databaseReady && !m_databaseBusy)
        MessageBox::notice(this, unusableMessage(database(), opened.error()));
    if (m_databaseReady)
        tellNumberCollisions();

    // Which database the window is on, and whether it is connected.
    lblbaza = ui::named(ui::label(), "lblbaza");
    statusBar()->addWidget(lblbaza, 1);
    connect(m_session.get(), &RaceSession::connectionChanged, this, &frmkelvora::showConnection);
    showConnection();
    if (m_databaseReady)
        m_session->watch();
}

void frmkelvora::showConnection()
{
    if (database().isPostgres()) {
        lblbaza->setText(tx::statusDatabase(database().displayName(), m_session->connected()));
        return;
    }
    // A file by its full path; one deleted, moved or made read-only under
    // the program is told as a lost connection is.
    const QString path = QDir::toNativeSeparators(QFileInfo(database().path()).absoluteFilePath());
    lblbaza->setText(!m_session->connected()      ? tx::statusFileUnreachable(path)
                     : m_session->lockedElsewhere() ? tx::statusFileLocked(path)
                                                    : tx::statusDatabase(path, true));
}

frmkelvora::~frmkelvora() = default;

void frmkelvora::tellNumberCollisions()
{
    if (const QString told = numberCollisionsText(database().numberCollisions()); !told.isEmpty())
        MessageBox::notice(this, told);
}

bool frmkelvora::openBusyDatabase()
{
    DbStatus opened = DbStatus::failure(m_busyError);
    while (m_databaseBusy) {
        const QString question = database().isPostgres()
            ? tx::dbServerBusyAtStart(database().displayName(), m_busyError)
            : tx::dbBusyAtStart(database().displayName(), m_busyError);
        if (!MessageBox::ask(this, tx::appTitle(), question, QMessageBox::Question))
            return false;
        opened = database().open();
        m_databaseReady = opened.ok();
        if (m_databaseReady) {
            m_session->watch();
            tellNumberCollisions();
        }
        m_databaseBusy = !opened && opened.error().isBusy();
        m_busyError = opened.error();
    }
    if (!m_databaseReady)
        MessageBox::notice(this, unusableMessage(database(), opened.error()));
    return m_databaseReady;
}

void frmkelvora::buildUi()
{
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
    for (QLabel* label : {lblimeutrke, lblorgutrke, lbldatumutrke, lblid}) {
        // Names are shown exactly as typed, never as markup.
        label->setTextFormat(Qt::PlainText);
        label->setFont(headerFont);
    }

    auto* header = new QGridLayout;
    header->addWidget(ui::label(tx::headerRaceName()), 0, 0);
    header->addWidget(lblimeutrke, 0, 1);
    header->addWidget(ui::label(tx::headerOrganiser()), 1, 0);
    header->addWidget(lblorgutrke, 1, 1);
    header->addWidget(ui::label(tx::headerDate()), 2, 0);
    header->addWidget(lbldatumutrke, 2, 1);
    header->addWidget(lblid, 0, 2);
    header->setColumnStretch(1, 1);

    m_startPage = new StartListPage(*this, *m_session, header);
    m_resultsPage = new ResultsPage(*this, *m_session);
    m_reportsPage = new ReportsPage(*this, *m_session);
    m_helpPage = new HelpPage;
    // The help tells the open race's prize rule.
    const auto helpFollows = [this] { m_helpPage->showRules(m_session->rules()); };
    connect(m_session.get(), &RaceSession::raceChanged, m_helpPage, helpFollows);
    connect(m_session.get(), &RaceSession::listsChanged, m_helpPage, helpFollows);

    SSTab1 = named(new QTabWidget, "SSTab1");
    SSTab1->addTab(m_startPage, tx::tabStartList());
    SSTab1->addTab(m_resultsPage, tx::tabResults());
    SSTab1->addTab(m_reportsPage, tx::tabReports());
    SSTab1->addTab(m_helpPage, tx::tabHelp());
    SSTab1->setCurrentIndex(PageStartList);
    setCentralWidget(SSTab1);
    connect(SSTab1, &QTabWidget::currentChanged, this, &frmkelvora::onTabChanged);
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
    mnukup = action(mnumeni, "mnukup", tx::menuSeries());
    mnuoprogramu = action(mnumeni, "mnuoprogramu", tx::menuAbout());
    mnucrta = separator(mnumeni, "mnucrta");
    mnuispisprijavljenih = action(mnumeni, "mnuispisprijavljenih", tx::menuPrintRegistered());
    mnupregledprijavljenih = action(mnumeni, "mnupregledprijavljenih", tx::menuPreviewRegistered());
    mnuispisstartne = action(mnumeni, "mnuispisstartne", tx::menuPrintStartList());
    mnupregledstartne = action(mnumeni, "mnupregledstartne", tx::menuPreviewStartList());
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

    // Files in and out: entries and times from files, lists to files.
    mnupodaci = named(menuBar()->addMenu(tx::menuData()), "mnupodaci");
    mnuuvozprijava = action(mnupodaci, "mnuuvozprijava", tx::menuImportEntries());
    mnuuvozvremena = action(mnupodaci, "mnuuvozvremena", tx::menuImportTimes());
    mnuizvoz = action(mnupodaci, "mnuizvoz", tx::menuExport());
    for (QAction* a : {mnuuvozprijava, mnuuvozvremena, mnuizvoz})
        a->setEnabled(false);
    connect(mnuuvozprijava, &QAction::triggered, this, &frmkelvora::onImportEntries);
    connect(mnuuvozvremena, &QAction::triggered, this, &frmkelvora::onImportTimes);
    connect(mnuizvoz, &QAction::triggered, this, &frmkelvora::onExport);

    for (QAction* a : {mnuispisprijavljenih, mnupregledprijavljenih, mnuispisstartne, mnupregledstartne,
                       mnuizmjenautrke, mnubrisanjeutrke, mnunagrade, mnukategorije})
        a->setEnabled(false);

    connect(mnunova, &QAction::triggered, this, &frmkelvora::onNewRace);
    connect(mnuotvori, &QAction::triggered, this, &frmkelvora::onOpenRace);
    connect(mnukup, &QAction::triggered, this, &frmkelvora::onSeries);
    // The version and the database open: which file is the station's.
    connect(mnuoprogramu, &QAction::triggered, this, [this] {
        MessageBox::notice(this, tx::aboutText(database().displayName()));
    });
    connect(mnuispisprijavljenih, &QAction::triggered, this, &frmkelvora::printRegistered);
    connect(mnuispisstartne, &QAction::triggered, this, &frmkelvora::printStartList);
    connect(mnupregledprijavljenih, &QAction::triggered, this, &frmkelvora::previewRegistered);
    connect(mnupregledstartne, &QAction::triggered, this, &frmkelvora::previewStartList);
    connect(mnuizlaz, &QAction::triggered, qApp, &QApplication::closeAllWindows);
    connect(mnuizlaz, &QAction::triggered, qApp, &QApplication::quit, Qt::QueuedConnection);
    connect(mnuizmjenautrke, &QAction::triggered, this, &frmkelvora::onEditRace);
    connect(mnubrisanjeutrke, &QAction::triggered, this, &frmkelvora::onWithdrawRace);
    connect(mnunagrade, &QAction::triggered, this, &frmkelvora::onPrizes);
    connect(mnukategorije, &QAction::triggered, this, &frmkelvora::onCategories);
    connect(mnuizmjenatakmicara, &QAction::triggered, m_startPage, &StartListPage::editCompetitor);
    connect(mnubrisanjetakmicara, &QAction::triggered, m_startPage, &StartListPage::deleteCompetitor);
    connect(mnubrisanjeciljna, &QAction::triggered, m_resultsPage, &ResultsPage::removeFinish);
    buildStateMenus();
    buildFinishLineMenus();
    buildLiveMenu();
    buildEditLogMenus();
}

// ---- Current race -----------------------------------------------------------

void frmkelvora::onRaceChanged()
{
    const Race& race = m_session->race();
    lblimeutrke->setText(race.ime);
    lblorgutrke->setText(race.org);
    lbldatumutrke->setText(m_session->raceDateText());
    lblid->setText(m_session->hasRace() ? QString::number(race.id) : QString());
    for (QAction* a : {mnuuvozprijava, mnuuvozvremena, mnuizvoz})
        a->setEnabled(m_session->hasRace());
}

void frmkelvora::enableRaceMenus()
{
    for (QAction* a : {mnunagrade, mnukategorije, mnuizmjenautrke, mnubrisanjeutrke, mnuispisprijavljenih,
                       mnupregledprijavljenih, mnuispisstartne, mnupregledstartne})
        a->setEnabled(true);
}

void frmkelvora::selectPage(int index)
{
    SSTab1->setCurrentIndex(index);
}

void frmkelvora::showStartListMenuIfRows()
{
    if (m_startPage->hasRows()) {
        mnustartnalista->menuAction()->setVisible(true);
        mnuciljnalista->menuAction()->setVisible(false);
    }
}

void frmkelvora::showDbError(const DbError& detail)
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
        if (m_startPage->hasRows())
            mnustartnalista->menuAction()->setVisible(true);
        break;
    case PageResults:
        m_resultsPage->refresh();
        break;
    case PageReports:
        m_reportsPage->refresh();
        break;
    default:
        mnustartnalista->menuAction()->setVisible(false);
        mnuciljnalista->menuAction()->setVisible(false);
        for (QAction* a : {mnuispisprijavljenih, mnupregledprijavljenih, mnuispisstartne, mnupregledstartne})
            a->setEnabled(false);
        break;
    }
}
