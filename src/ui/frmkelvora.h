#pragma once

#include "data/database.h"
#include "data/records.h"
#include "ui/competitorrules.h"

#include <QHash>
#include <QList>
#include <QMainWindow>
#include <functional>
#include <memory>

class QAction;
class QComboBox;
class QLabel;
class QLineEdit;
class QMenu;
class QPushButton;
class QRadioButton;
class QTabWidget;
class QTreeWidget;
class QTreeWidgetItem;

namespace print {
class PrintSurface;
struct Document;
struct ListFormat;
}

// The main window: the current race, the four pages (start list, finish
// list, reports, help), the lists and the menus. Every control carries its
// name as its object name.
class frmkelvora : public QMainWindow {
    Q_OBJECT

public:
    enum Page { PageStartList = 0, PageResults = 1, PageReports = 2, PageHelp = 3 };

    // Opens (or on first start creates) the database at databasePath. A file
    // that cannot be used is reported in a message; databaseReady() is then false.
    explicit frmkelvora(const QString& databasePath, QWidget* parent = nullptr);
    ~frmkelvora() override;

    bool databaseReady() const { return m_databaseReady; }
    Database& database() { return *m_db; }

    // ---- The current race: held in the four header labels ----
    bool hasCurrentRace() const;
    qint64 currentRaceId() const;
    QDate currentRaceDate() const;
    void setCurrentRace(const Race& race);
    void clearCurrentRace();
    // The six items that need a race: print items, race edit, withdraw, prizes, categories.
    void enableRaceMenus();
    void selectPage(int index);

    // ---- Start list ----
    // Rebuilds lsv1 from the database; a database error is shown and false returned.
    bool popunalsv1();
    // The current race's competitors as lsv1 was last filled (fill order).
    const QList<Competitor>& startList() const { return m_startList; }
    // Its start numbers, for lookups by number.
    const rules::StartNumberIndex& startNumbers() const { return m_startNumbers; }
    // Shows "Startnalista" and hides "Ciljna lista" when lsv1 has rows.
    void showStartListMenuIfRows();

    // One message carrying the database's own error text.
    void showDbError(const QString& detail);

    // ---- Printouts ----
    // Makes the surface a printout goes to; the argument names the list. By
    // default the system's default printer, or a PDF file beside the database
    // when the system has none. A job the printer turns away can go to such a
    // file instead. Tests put a recorder in its place.
    using PrintSurfaceFactory = std::function<std::shared_ptr<print::PrintSurface>(const QString& listName)>;
    void setPrintSurfaceFactory(PrintSurfaceFactory factory);

private slots:
    void onTabChanged(int index);

    // Races
    void onNewRace();
    void onOpenRace();
    void onEditRace();
    void onWithdrawRace();
    void onPrizes();
    void onCategories();

    // Start list view
    void onStartListHeaderClicked(int section);
    void onStartListContextMenu(const QPoint& pos);
    void onStartListDoubleClicked();

    // Competitors
    void cmddodaj_Click();
    void onEditCompetitor();
    void onDeleteCompetitor();

    // Finish list
    void cmdunos_Click();
    void onFinishListContextMenu(const QPoint& pos);
    void onDeleteFinish();

    // Standings
    void cmdobrada_Click();

    // Printouts
    void cmdispis_Click();
    void onPrintRegistered();
    void cmdispisiz_Click();

private:
    void buildUi();
    void buildMenus();
    QWidget* buildStartListPage();
    QWidget* buildResultsPage();
    QWidget* buildReportsPage();
    QWidget* buildHelpPage();

    // Page refresh, run on every page change
    void refreshResultsPage();
    void refreshReportsPage();

    std::unique_ptr<Database> m_db;
    bool m_databaseReady = false;
    QList<Competitor> m_startList;
    rules::StartNumberIndex m_startNumbers;

    // ---- Start list view state ----
    int m_sortColumn = -1;
    bool m_sortDescending = false;
    // Double clicks anywhere in lsv1, on a row or not, run onStartListDoubleClicked.
    void setupStartListView();
    // Puts the competitors into lsv1 and m_startList, numbered in list order.
    void fillStartList(const QList<Competitor>& list);

    // ---- Finish list state ----
    QList<FinishRecord> m_finishList;

    // ---- Printouts ----
    void printList(const QList<QStringList>& rows, const print::ListFormat& format, const QString& listName);
    // Prints the document; false when the user cancelled it.
    bool sendToSurface(print::PrintSurface& surface, const print::Document& doc);
    std::shared_ptr<print::PrintSurface> defaultPrintSurface(const QString& listName);
    // The job as a PDF file: where it goes without a printer or when the printer refuses it.
    std::shared_ptr<print::PrintSurface> pdfPrintSurface(const QString& listName);
    PrintSurfaceFactory m_printSurfaceFactory;

    // ---- Controls ----
    QTabWidget* SSTab1 = nullptr;

    QLabel* lblid = nullptr;
    QLabel* lblimeutrke = nullptr;
    QLabel* lblorgutrke = nullptr;
    QLabel* lbldatumutrke = nullptr;
    QTreeWidget* lsv1 = nullptr;
    QLineEdit* txtime = nullptr;
    QLineEdit* txtsbroj = nullptr;
    QLineEdit* txtdrzava = nullptr;
    QLineEdit* txtklub = nullptr;
    QComboBox* cbospol = nullptr;
    QLineEdit* txtdatumrod = nullptr;
    QPushButton* cmddodaj = nullptr;
    QPushButton* cmdispis = nullptr;

    QLineEdit* txtsbrojr = nullptr;
    QLineEdit* txtvrijeme = nullptr;
    QPushButton* cmdunos = nullptr;
    QTreeWidget* lsv2 = nullptr;
    QTreeWidget* lsv3 = nullptr;
    QLabel* lbliz4 = nullptr;
    QLabel* lbliz5 = nullptr;
    QLabel* lbliz6 = nullptr;

    QComboBox* cbokateg = nullptr;
    QRadioButton* optzene = nullptr;
    QRadioButton* optmuski = nullptr;
    QRadioButton* optsvi = nullptr;
    QPushButton* cmdobrada = nullptr;
    QPushButton* cmdispisiz = nullptr;
    QLabel* lblizvjestaj = nullptr;
    QLabel* lblbrojp = nullptr;
    QLabel* lblbrojs = nullptr;
    QLabel* lblbrojc = nullptr;
    QTreeWidget* lsv4 = nullptr;

    QLabel* lblpomoc = nullptr;

    QMenu* mnumeni = nullptr;
    QAction* mnunova = nullptr;
    QAction* mnuotvori = nullptr;
    QAction* mnucrta = nullptr;
    QAction* mnuispisprijavljenih = nullptr;
    QAction* mnuispisstartne = nullptr;
    QAction* mnucrtaneka = nullptr;
    QAction* mnuizlaz = nullptr;
    QMenu* mnuedit = nullptr;
    QAction* mnuizmjenautrke = nullptr;
    QAction* mnubrisanjeutrke = nullptr;
    QAction* mnucrta1 = nullptr;
    QAction* mnunagrade = nullptr;
    QAction* mnukategorije = nullptr;
    QMenu* mnustartnalista = nullptr;
    QAction* mnuizmjenatakmicara = nullptr;
    QAction* mnubrisanjetakmicara = nullptr;
    QMenu* mnuciljnalista = nullptr;
    QAction* mnubrisanjeciljna = nullptr;
};
