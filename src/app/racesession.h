#pragma once

#include "app/listmodels.h"
#include "core/competitorrules.h"
#include "core/outcome.h"
#include "core/prizes.h"
#include "core/records.h"
#include "core/standings.h"

#include <QObject>
#include <QPointer>
#include <QTimer>
#include <functional>
#include <memory>
#include <optional>

class Database;
struct DbLocation;
namespace finishline {
class CaptureWriter;
}

// The program's work on one database: the current race with its start list
// and finish list, and every use case the window and the command line offer.
// A use case checks its input with the rules of core, stores through the
// database, and applies its own change to the lists row by row. The lists
// are read again only when another writer has changed the database since
// they were last read. Nothing here shows anything: each use case returns
// its value, a refusal or the database's error.
class RaceSession : public QObject {
    Q_OBJECT

public:
    // An SQLite file.
    explicit RaceSession(const QString& databasePath, QObject* parent = nullptr);
    explicit RaceSession(const DbLocation& location, QObject* parent = nullptr);
    ~RaceSession() override;

    Database& database() { return *m_db; }

    // ---- The current race ----
    bool hasRace() const { return m_race.has_value(); }
    // The current race; an empty race when there is none.
    const Race& race() const;
    QDate raceDate() const { return race().datum; }
    // The race date as the header shows it: as typed for a race created in
    // this session, else in the form lists show.
    QString raceDateText() const { return m_raceDateText; }

    Outcome<Race> createRace(const QString& name, const QString& organiser, const QString& dateText);
    Status openRace(qint64 id);
    Outcome<Race> editRace(const QString& name, const QString& organiser, const QString& dateText);
    // The race stays stored but is no longer offered; the session forgets it.
    Status withdrawRace();
    Outcome<QList<Race>> listedRaces();
    // Forgets the current race; nothing is stored.
    void closeRace();
    Outcome<QString> prizeFund();
    Status setPrizeFund(const QString& text);
    Outcome<QStringList> categories();

    // ---- Start list ----
    const QList<Competitor>& startList() const { return m_startList; }
    const rules::StartNumberIndex& startNumbers() const { return m_startNumbers; }
    // The competitor with this key on the start list, or null.
    const Competitor* competitor(qint64 id) const;
    // The competitor's row in the start list (its running number less one), or -1.
    qsizetype startPosition(qint64 id) const;
    // Start-list entries and those among them with a start number.
    int registeredCount() const { return int(m_startList.size()); }
    int startedCount() const { return m_started; }

    Outcome<Competitor> addCompetitor(const rules::CompetitorEntry& entry);
    // Stores competitors already checked (an import's accepted rows) in the
    // current race, in one transaction, and reads the lists again. Nothing is
    // stored when there is no race or the store fails. With rules, the
    // race's rules are stored with them, in the same transaction.
    Status addCompetitors(QList<Competitor> competitors, const RaceRules* rules = nullptr);
    Outcome<Competitor> editCompetitor(qint64 id, const rules::CompetitorEntry& entry);
    // The same changes for the window, which never waits for the database:
    // checked at once against the lists held (a refusal is returned), then
    // stored on the thread and connection of enterFinishInBackground();
    // stored() follows in this thread with the outcome, the lists already
    // showing the change (other stations' changes come with the watch).
    using CompetitorStored = std::function<void(const Outcome<Competitor>&)>;
    Outcome<Competitor> addCompetitorInBackground(const rules::CompetitorEntry& entry, CompetitorStored stored);
    Outcome<Competitor> editCompetitorInBackground(qint64 id, const rules::CompetitorEntry& entry,
                                                   CompetitorStored stored);
    using Stored = std::function<void(const Status&)>;
    Status deleteCompetitorInBackground(qint64 id, bool withFinishRecord, Stored stored);
    // A change made in the background is still on its way.
    bool storing() const;
    // Whether the lists held show a finish record for the competitor (the
    // database checks again as it deletes).
    bool finishedAsHeld(qint64 id) const;
    // Whether the competitor has a finish record, asked of the database.
    Outcome<bool> hasFinishRecord(qint64 id);
    // Removes the competitor and, with withFinishRecord, its finish record.
    Status deleteCompetitor(qint64 id, bool withFinishRecord);

    // ---- Finish list, in time order ----
    const QList<FinishRecord>& finishList() const { return m_finishList; }
    Outcome<FinishRecord> enterFinish(const QString& startNumber, const QString& time);
    // The same entry for the window, which never waits for the database:
    // checked at once against the lists held (a refusal is returned), then
    // stored on a thread and connection of its own; stored() is called in
    // this thread with the outcome, within the 2 s a store may wait for a
    // lock or a silent server. Done (record without its key): on its way.
    using FinishStored = std::function<void(const Outcome<FinishRecord>&)>;
    Outcome<FinishRecord> enterFinishInBackground(const QString& startNumber, const QString& time,
                                                  FinishStored stored);
    Status removeFinish(qint64 competitorId);
    // Stores finish records already checked, in one transaction, and reads
    // the lists again; as addCompetitors.
    Status addFinishRecords(QList<FinishRecord> records);

    // ---- Statuses (DNS, DNF, DSQ) and the race's settings ----
    const RunStates& runStates() const { return m_states; }
    // The entry's status; none for an entry without one.
    RunStateEntry runState(qint64 competitorId) const { return m_states.value(competitorId); }
    // Sets the status of a start-list entry (RunState::None takes it back);
    // a finish record stays stored whatever the status. A DSQ without a
    // reason is refused, as is an entry another station removed.
    Outcome<RunStateEntry> setRunState(qint64 competitorId, RunState state, const QString& reason = {});
    // Entries with a start number, no finish record and no status: those
    // that markDns() marks.
    QList<qint64> dnsCandidates() const;
    // Marks DNS every such entry, as they are in the database; the number marked.
    Outcome<int> markDns();
    // The place column of a finish-list row: the finisher's place among the
    // records of entries without a status, or the entry's status.
    QString finishPlaceText(int row) const;

    const RaceSettings& settings() const { return m_settings; }
    Status setSettings(const RaceSettings& settings);
    // The same from the settings window: the course length as typed (empty
    // for none) is refused unless it is a length in kilometres. official,
    // when given, marks the results official or takes that back; otherwise
    // it stays as stored.
    Status setSettings(bool listUnranked, const QString& courseKmText, std::optional<bool> official = std::nullopt,
                       const QString& leastGapText = {}, const QString& longestWaitText = {},
                       std::optional<bool> publishDsqReason = std::nullopt);

    // ---- The race's own categories and prizes (racesession_rules.cpp) ----
    // The standard rules without a race or without rules of its own.
    const RaceRules& rules() const { return m_rules; }
    // Stores the race's rules (checked by schemes::) and shows every list by them.
    Status setRules(const RaceRules& rules);
    // The awards of the race's prize categories over overall(), and the rows
    // of overall() they leave out of the category standings; worked out
    // once after each change.
    const QList<prizes::Award>& awards();
    const QList<bool>& leftOutOfCategories();
    // Whether the standings model shows the prize list (Selection::prizes).
    bool showsPrizeList() const { return m_shownSelection && m_shownSelection->prizes; }

    // ---- Standings ----
    Outcome<standings::Standings> standings(const standings::Selection& selection);
    // The overall standings of the lists held, built once after each change.
    const QList<standings::StandingsRow>& overall();
    // The standings model shows what standings() last built. Once the lists
    // or the race date change it is out of date, until shownStandings()
    // builds it again with the same choice of category and sex.
    bool standingsOutOfDate() const { return m_shownSelection && m_standingsOutOfDate; }
    // The standings the model shows, built again first when out of date,
    // after another station's changes are read in, so that they show what is
    // stored. Without a race the model is emptied; when no standings were
    // built the caption is empty.
    Outcome<standings::Standings> shownStandings();

    // Reads the race's lists again when another writer changed the
    // database since they were last read; otherwise does nothing.
    Status refresh();
    // Reads them again in any case.
    Status reload();

    // Looks for other stations' changes every intervalMs (and at once when
    // the server tells of one) and reads the lists again when there are
    // some: listsReloaded() follows. Nothing is shown; a failure only
    // changes connected().
    void watch(int intervalMs = 1000);
    // False once the connection to the server was found lost, until a call
    // connects again.
    bool connected() const;
    // The last look in the background found the file locked by another program.
    bool lockedElsewhere() const { return m_locked; }

    // ---- The models of the four lists ----
    StartListModel* startListModel() const { return m_startModel; }
    FinishListModel* finishListModel() const { return m_finishModel; }
    FinishDetailModel* finishDetailModel() const { return m_detailModel; }
    StandingsModel* standingsModel() const { return m_standingsModel; }

    // ---- Finish records made from captured times (racesession_finishline.cpp) ----
    // Applies to the finish list, row by row, the records a store of the
    // finish line removed and added; the write was this session's own.
    void applyFinishChanges(const QList<qint64>& removed, const QList<FinishRecord>& added);
    // A write through this session's database that changed no list (a
    // captured time): the next refresh need not read the lists again.
    void ownWriteStored() { noteOwnWrite(); }
    // A finish line open on the race keeps the records in step while it is
    // open; it tells the session when it opens and closes.
    void finishLineOpen(bool open) { m_finishLinesOpen += open ? 1 : -1; }
    // An undo or redo wrote rows of the finish line: an open finish line,
    // which follows its own writes itself, reads them again.
    void capturedRowsWritten() { emit capturedRowsChanged(); }

signals:
    // The current race was made, opened, edited or forgotten.
    void raceChanged();
    // The start list or the finish list changed (by this session or,
    // found at a refresh, by another writer).
    void listsChanged();
    // The lists were read again from the database.
    void listsReloaded();
    void connectionChanged(bool connected);
    void capturedRowsChanged();
    // Another writer changed these captured rows of the race (found in the
    // change feed), or, all: the feed could not tell and the lists were read whole.
    void capturedRowsNoted(const QList<qint64>& keys, bool all);

private:
    // The checks of a typed finish entry against the lists held: the record
    // to store, or the refusal.
    Outcome<FinishRecord> finishEntry(const QString& startNumber, const QString& time) const;
    // The competitor as entry makes it (key 0: a new one), checked against
    // the lists held; or the refusal.
    Outcome<Competitor> competitorToStore(qint64 id, const rules::CompetitorEntry& entry) const;
    Outcome<Competitor> storeCompetitorInBackground(qint64 id, const rules::CompetitorEntry& entry,
                                                    CompetitorStored stored);
    // A competitor stored or removed by this session: the lists follow by key.
    void competitorStored(const Competitor& c);
    void competitorRemoved(qint64 id, bool withFinishRecord);
    // The refusal of a delete the database refused, or the error.
    Status deleteRefused(const DbError& error);
    // Runs write on the background writer's connection (opened there,
    // waiting for a lock as long as a store does, a silent server cut at
    // 2 s), then written() in this thread with its result.
    using Write = std::function<DbResult<qint64>(Database&)>;
    using Written = std::function<void(const DbResult<qint64>&)>;
    void writeInBackground(Write write, Written written);
    bool isCurrentRace(qint64 raceId) const;
    // Whether the race has captured rows, looked at by a background write
    // after its change, unless a finish line is open (it keeps them itself).
    struct CapturedRowsLook {
        bool wanted = false;
        bool found = false;
        void look(Database& db, qint64 raceId);
    };
    std::shared_ptr<CapturedRowsLook> capturedRowsLook() const;
    // The refusal of a start number the database found taken, or the error.
    template <typename T>
    Outcome<T> numberRefused(const DbError& error);
    void setLists(QList<Competitor> startList, QList<FinishRecord> finishList);
    // Remembers the database's state after this session's own change.
    void noteOwnWrite();
    void listsStoredInBulk();
    void listsTouched();
    // Puts the record in its place in the finish list, row by row in the views.
    void insertFinishRow(const FinishRecord& record);
    void dropFinishRow(qint64 competitorId);
    // After a change of the start list, with no finish line open: the
    // records of the race's captured rows follow it (a runner registered
    // since a time was captured for the number, a number changed).
    void keepCapturedRecords();
    // told: the server told of another station's change.
    void lookElsewhere(bool told);
    // Reads in what the change feed names as changed since the last look,
    // row by row (racesession_follow.cpp). Nothing when the feed cannot
    // tell what changed: the caller reads everything again.
    std::optional<Status> followLog();
    void followStartList(const QList<Competitor>& fresh, const QList<qint64>& keys);
    // Takes the rows of the records keys out of the finish lists and puts
    // fresh in where their times place them.
    void followFinishList(const QList<FinishRecord>& fresh, const QList<qint64>& keys);
    Status storedInBulk(const DbStatus& stored);
    // The prize list as rows of the standings model: each prize category's
    // name (no place) before its winners, or before "Nema rezultata".
    standings::Standings prizeStandings();

    std::unique_ptr<Database> m_db;
    // The background writer of the window's changes, made at its first use.
    QPointer<finishline::CaptureWriter> m_writer;
    std::optional<Race> m_race;
    QString m_raceDateText;
    QList<Competitor> m_startList; // key order, which is registration order
    QList<FinishRecord> m_finishList;
    rules::StartNumberIndex m_startNumbers;
    int m_started = 0;
    std::optional<QList<standings::StandingsRow>> m_overall;
    std::optional<standings::Selection> m_shownSelection;
    standings::Standings m_shown; // caption and counts; the rows are the model's
    bool m_standingsOutOfDate = false;
    RunStates m_states;
    RaceSettings m_settings;
    RaceRules m_rules;
    std::optional<QList<prizes::Award>> m_awards;
    QList<bool> m_leftOut;
    mutable QList<int> m_places; // finishPlaceText() of each row, worked out once after a change
    qint64 m_seenVersion = -1;
    QTimer* m_watch = nullptr;
    bool m_wasConnected = true;
    bool m_lookFailed = false;
    bool m_locked = false;
    quint64 m_seenWrites = 0;
    // A look read the feed but not the rows it named: the next one reads everything.
    bool m_mustReload = false;
    int m_finishLinesOpen = 0;

    StartListModel* m_startModel;
    FinishListModel* m_finishModel;
    FinishDetailModel* m_detailModel;
    StandingsModel* m_standingsModel;
};
