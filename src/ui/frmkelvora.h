#pragma once

#include "app/exports.h"
#include "app/racesession.h"
#include "core/dbresult.h"
#include "core/listlayout.h"
#include "core/records.h"
#include "data/dblocation.h"

#include <QMainWindow>
#include <QPointer>
#include <functional>
#include <memory>
#include <optional>

class QAction;
class QLabel;
class QMenu;
class QTabWidget;
class StartListPage;
class ResultsPage;
class ReportsPage;
class HelpPage;
class LiveResultsServer;
class frmuzivo;
class EditLog;

namespace print {
class PrintSurface;
}

// The main window: a frame holding the header of the current race, the
// menus and the four pages (start list, results, reports, help). The pages
// and the dialogs call the race session's use cases and show their result.
// Every control carries its name as its object name.
class frmcilj;

class frmkelvora : public QMainWindow {
    Q_OBJECT

public:
    enum Page { PageStartList = 0, PageResults = 1, PageReports = 2, PageHelp = 3 };

    // Opens (or on first start creates) the database at databasePath. A file
    // that cannot be used is reported in a message; databaseReady() is then false.
    // A file locked by another program is not reported here: databaseBusy()
    // is then true, and openBusyDatabase() asks to try again once the window
    // is shown.
    explicit frmkelvora(const QString& databasePath, QWidget* parent = nullptr);
    // The same for a database given by --db: a file or a PostgreSQL URL.
    explicit frmkelvora(const DbLocation& location, QWidget* parent = nullptr);
    ~frmkelvora() override;

    bool databaseReady() const { return m_databaseReady; }
    bool databaseBusy() const { return m_databaseBusy; }
    // While the database is busy: asks whether to try again and does, until
    // it opens (true) or the user gives up or the file proves unusable, which
    // is reported (false).
    bool openBusyDatabase();

    RaceSession& session() { return *m_session; }
    Database& database() { return m_session->database(); }

    // ---- The current race ----
    bool hasCurrentRace() const { return m_session->hasRace(); }
    qint64 currentRaceId() const { return m_session->race().id; }
    // Makes the race with this key current, as opening it from the dialog
    // does; a failed read is shown and the window keeps the race it had.
    bool openRaceById(qint64 id);
    // The station as it was left: the window's size and place, and the race
    // that was open on this database when the window was last closed.
    void restoreStation();
    // What opening a race shows besides its lists: the caption, the race's
    // menus, the start list page.
    void raceOpened();
    // The items that need a race: print and preview items, race edit, withdraw, prizes, categories.
    void enableRaceMenus();
    void selectPage(int index);
    // Shows "Startnalista" and hides "Ciljna lista" when lsv1 has rows.
    void showStartListMenuIfRows();

    // One message carrying the database's own error text.
    void showDbError(const DbError& detail);

    // ---- Printouts ----
    // Makes the surface a printout goes to; the argument names the list. By
    // default the system's default printer, or a PDF file beside the database
    // when the system has none. A job the printer turns away can go to such a
    // file instead. Tests put a recorder in its place.
    using PrintSurfaceFactory = std::function<std::shared_ptr<print::PrintSurface>(const QString& listName)>;
    void setPrintSurfaceFactory(PrintSurfaceFactory factory);
    // Where a printout goes as a PDF file when there is no printer: beside
    // an SQLite file; for a server's database the user's documents folder,
    // or the home folder.
    static QString printoutFolder(const DbLocation& location);

    // The printouts, also run by the pages' buttons.
    void printStartList();
    void printRegistered();
    void printStandings();
    // The same pages in Qt's print preview, from where they can be printed.
    void previewStartList();
    void previewRegistered();
    void previewStandings();

    // A list that is not the race's (a series') printed or previewed as the
    // race's lists are, under its own header.
    struct Printout {
        QList<QStringList> rows;
        print::ListFormat format;
        QString listName;
    };
    void printList(const QList<QStringList>& rows, const print::ListFormat& format, const QString& listName,
                   const print::RaceHeader& header);
    void previewList(const Printout& printout, const print::RaceHeader& header);
    // An export built elsewhere, written where the user chooses.
    void saveExport(const exports::ExportData& data, exports::ExportList list, exports::Format format,
                    io::Separator separator);

    // ---- Exports ----
    // Asks where an export goes: the suggested path and the file-type filter
    // in, the chosen path (empty when cancelled) out. By default Qt's save
    // dialog; tests answer it themselves.
    using SaveFileNameProvider = std::function<QString(const QString& suggestedPath, const QString& filter)>;
    void setSaveFileNameProvider(SaveFileNameProvider provider);

    // ---- Live results (frmkelvora_live.cpp) ----
    // The station's live results server, made at first use; it stops with the window.
    LiveResultsServer& liveServer();

private slots:
    void onTabChanged(int index);
    void onRaceChanged();
    void showConnection();
    // Tells of start numbers the database holds twice under the program's rule.
    void tellNumberCollisions();

    // Races
    void onNewRace();
    void onOpenRace();
    // "Kup / serija utrka...": the season's series (frmkup).
    void onSeries();
    void onEditRace();
    void onWithdrawRace();
    void onPrizes();
    void onCategories();

    // Statuses, race settings, results check (frmkelvora_states.cpp)
    void onRunStateOfStartRow();
    void onRunStateOfFinishRow();
    void onMarkDns();
    void onRaceSettings();
    void onResultsCheck();
    // Shows the results page with the finish record selected in both lists.
    void selectFinishRecord(qint64 finishId);

    // Undo, redo and the change log (frmkelvora_editlog.cpp)
    void onChangeLog();
    // Undo (or redo) from the Edit menu; a change of another race opens it.
    void stepHistory(bool undo);

    // Files in and out
    void onImportEntries();
    void onImportTimes();
    void onExport();

    // Live results
    void onLiveResults();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    // The rows, the format and the job name of a printout, after the notices
    // a printout gives when it has nothing to print.
    std::optional<Printout> startListPrintout();
    std::optional<Printout> registeredPrintout();
    std::optional<Printout> standingsPrintout();
    void previewList(const Printout& printout);

    void buildUi();
    void buildMenus();
    void buildStateMenus();
    // Timing at the finish line (frmkelvora_finishline.cpp).
    void buildFinishLineMenus();
    void onFinishLine();
    void buildLiveMenu();
    void buildEditLogMenus();
    void editRunState(qint64 competitorId);
    void printList(const QList<QStringList>& rows, const print::ListFormat& format, const QString& listName);
    // Prints the document; false when the user cancelled it.
    bool sendToSurface(print::PrintSurface& surface, const print::Document& doc);
    std::shared_ptr<print::PrintSurface> defaultPrintSurface(const QString& listName);
    // The job as a PDF file: where it goes without a printer or when the printer refuses it.
    std::shared_ptr<print::PrintSurface> pdfPrintSurface(const QString& listName);

    std::unique_ptr<RaceSession> m_session;
    // After the session, so that it stops before the session goes.
    std::unique_ptr<LiveResultsServer> m_live;
    QPointer<frmuzivo> m_liveWindow;
    bool m_databaseReady = false;
    bool m_databaseBusy = false;
    DbError m_busyError;
    PrintSurfaceFactory m_printSurfaceFactory;
    SaveFileNameProvider m_saveFileName;

    // ---- Controls ----
    QTabWidget* SSTab1 = nullptr;
    QLabel* lblid = nullptr;
    QLabel* lblimeutrke = nullptr;
    QLabel* lblorgutrke = nullptr;
    QLabel* lbldatumutrke = nullptr;
    QLabel* lblbaza = nullptr;
    StartListPage* m_startPage = nullptr;
    ResultsPage* m_resultsPage = nullptr;
    ReportsPage* m_reportsPage = nullptr;
    HelpPage* m_helpPage = nullptr;

    QMenu* mnumeni = nullptr;
    QAction* mnunova = nullptr;
    QAction* mnuotvori = nullptr;
    QAction* mnukup = nullptr;
    QAction* mnuoprogramu = nullptr;
    QAction* mnucrta = nullptr;
    QAction* mnuispisprijavljenih = nullptr;
    QAction* mnupregledprijavljenih = nullptr;
    QAction* mnuispisstartne = nullptr;
    QAction* mnupregledstartne = nullptr;
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
    QAction* mnucrta2 = nullptr;
    QAction* mnupostavke = nullptr;
    QAction* mnuoznacidns = nullptr;
    QAction* mnuprovjera = nullptr;
    QAction* mnucilj = nullptr;
    QPointer<frmcilj> m_cilj;
    QAction* mnustatus = nullptr;
    QAction* mnustatusciljna = nullptr;
    QMenu* mnupodaci = nullptr;
    EditLog* m_editLog = nullptr;
    QAction* mnuponisti = nullptr;
    QAction* mnuponovi = nullptr;
    QAction* mnudnevnik = nullptr;
    QAction* mnuuvozprijava = nullptr;
    QAction* mnuuvozvremena = nullptr;
    QAction* mnuizvoz = nullptr;
    QAction* mnuuzivo = nullptr;

    friend class StartListPage;
    friend class ResultsPage;
    friend class ReportsPage;
};
