#pragma once

#include "core/categoryscheme.h"
#include "core/changelog.h"
#include "core/dbresult.h"
#include "core/records.h"
#include "core/series.h"
#include "core/timing.h"
#include "data/dblocation.h"

#include <QList>
#include <QPointer>
#include <QSet>
#include <QString>
#include <QStringList>
#include <functional>
#include <atomic>
#include <cstdint>
#include <memory>
#include <optional>

class QSqlDatabase;
class QSqlQuery;
class ServerWatch;

// A start number that a race holds more than once under the program's rule
// (rules::trimmedStartNumber): number trimmed, count of competitors.
struct NumberCollision {
    qint64 raceId = 0;
    QString number;
    int count = 0;
};

class QSqlError;
struct SqlDialect;

// The race database: one SQLite file, or one PostgreSQL database that
// several stations share, holding every race, start list and finish list.
// Both engines run the same statements; where they must differ (the tables
// of a new database, reading back a new key, pragmas) the difference lives
// in one SqlDialect in database.cpp. Every SQL statement of the program lives in this class; values
// are always bound as parameters. A change that touches several rows runs in
// one transaction. Every call reports failure with the database's own error
// text instead of carrying on.
class Database {
public:
    // An SQLite file.
    explicit Database(const QString& path);
    explicit Database(const DbLocation& location);
    ~Database();
    Database(const Database&) = delete;
    Database& operator=(const Database&) = delete;

    // Opens the file. A missing file, or one that holds nothing (zero bytes,
    // as a killed first start of an earlier version could leave), is made
    // new with its four tables and the twelve category labels: it is built
    // under a temporary name beside it and takes its own name only when
    // complete. An existing file is only checked, never changed: a file this
    // program cannot use (or cannot store a row in) is reported and left as
    // it is. A file locked by another program fails at once with a busy
    // error (DbError::isBusy()); open() may then be called again.
    //
    // A PostgreSQL database that holds no tables is given the four tables
    // and the twelve labels in one transaction; one that holds other tables,
    // or the program's tables without the needed columns, is reported and
    // left as it is.
    DbStatus open();
    bool isOpen() const;
    // Whether the last open() succeeded (the connection may have been lost
    // since).
    bool wasOpened() const { return m_opened; }
    QString path() const { return m_path; }
    const DbLocation& location() const { return m_location; }
    bool isPostgres() const { return m_location.isPostgres(); }
    // The password for the next open() (asked of the user when the server
    // wants one the address lacks).
    void setPassword(const QString& password) { m_location.password = password; }
    // The database as messages name it: the file path or the URL without
    // its password.
    QString displayName() const { return m_location.displayName(); }
    // The name of the rollback journal (or write-ahead log) that lay beside
    // the file when open() last looked, empty if none. SQLite applies such
    // a journal to the file while opening it.
    QString journalFound() const { return m_journalFound; }
    // The start numbers open() found taken twice in a race when compared
    // as the program compares them. A file of an earlier version, whose
    // index trimmed ASCII blanks only, may hold "7" and "7" framed by a
    // no-break space; such rows are told, never changed.
    const QList<NumberCollision>& numberCollisions() const { return m_numberCollisions; }

    // How long a statement waits for another program's lock: briefly while
    // the file is opened at start, so that the window comes up at once, and
    // a few seconds for every change afterwards.
    static constexpr int kOpenBusyTimeoutMs = 500;
    static constexpr int kBusyTimeoutMs = 2000;
    // How long a statement may go unanswered by the server before its
    // connection is cut and the call refused (StallGuard): the same two
    // seconds a change waits for another program's lock.
    static constexpr int kAnswerMs = 2000;

    // While one lives, a call on this connection that the server leaves
    // unanswered past ms is cut short (prepares and row fetches included):
    // for a short change that must be refused rather than wait. Nothing on
    // a file, where the busy timeout bounds the wait.
    class AnswerWithin {
    public:
        AnswerWithin(Database& db, int ms);
        ~AnswerWithin();
        AnswerWithin(const AnswerWithin&) = delete;
        AnswerWithin& operator=(const AnswerWithin&) = delete;

    private:
        std::uint64_t m_token = 0;
    };

    // A number that changes whenever another writer has changed the
    // database since this connection last looked.
    DbResult<qint64> dataVersion();
    // How many changing statements this object has run: whoever holds the
    // lists can tell that somebody else changed them through this object.
    quint64 writeCount() const { return m_writes; }

    // Whether the connection to the server was found lost (the next call
    // connects again), or the file was found unreachable at the last
    // checkReachable().
    bool connectionLost() const { return m_lost || m_unreachable || m_stalled; }
    // Looks whether the opened file is still there under its name, the same
    // file, and writable (a look at the file system, no statement); on
    // PostgreSQL only tells what the last call found. False when not.
    bool checkReachable();
    // Whether a statement waits for another program's lock on the file
    // (kBusyTimeoutMs) or fails at once with a busy error: a look in the
    // background never waits, it tries again later. Waiting is the default.
    void setBusyWait(bool wait);
    // Calls onChange (in context's thread) when another station commits a
    // change: PostgreSQL's notifications. A file has none; its holder looks
    // at dataVersion() instead.
    void watchChanges(QObject* context, std::function<void()> onChange);

    // PostgreSQL: starts looking at the server every intervalMs from a
    // thread and connection of its own (see ServerWatch); a file has no
    // such look.
    void startServerWatch(int intervalMs);
    struct ServerLook {
        bool answering = true; // the server answered the background look
        bool changed = true;   // a transaction ended there since the last call
    };
    // What the background look found, without asking the server. A server
    // that stops answering counts as a lost connection (connectionLost()),
    // and the next call connects again. Without a server watch: answering
    // and changed, so the holder looks itself.
    ServerLook lookAtServer();

    // Races
    DbResult<qint64> insertRace(const QString& ime, const QString& org, const QDate& datum);
    DbResult<bool> raceNameExists(const QString& ime);
    DbResult<QList<Race>> listedRaces();
    // Every race, withdrawn ones too, in key order.
    DbResult<QList<Race>> allRaces();
    DbResult<Race> race(qint64 id);
    DbStatus updateRaceDetails(qint64 id, const QString& ime, const QString& org, const QDate& datum);
    DbStatus withdrawRace(qint64 id);
    DbStatus setPrizeFund(qint64 id, const QString& text);
    DbResult<QStringList> categories();

    // Start list
    DbResult<QList<Competitor>> startList(qint64 raceId);
    DbResult<qint64> insertCompetitor(const Competitor& c);
    // Stores the competitors in one transaction: all of them or, when one
    // fails, none (the database's error is returned).
    // With rules: the race's rules (the race of the rows) are stored with
    // them, in the same transaction.
    DbStatus insertCompetitors(const QList<Competitor>& competitors, const RaceRules* rules = nullptr);
    DbStatus updateCompetitor(const Competitor& c);
    // Store the competitor only if no other competitor of the race has its
    // start number (compared without surrounding blanks; an empty number is
    // no number), checked and stored in one write transaction that other
    // stations wait for. A number taken fails with DbError::isDuplicate().
    DbResult<qint64> insertCompetitorIfNumberFree(const Competitor& c);
    DbStatus updateCompetitorIfNumberFree(const Competitor& c);
    DbResult<bool> hasFinishRecord(qint64 raceId, qint64 competitorId);
    // Whether the competitor is on the race's start list as stored: asked
    // inside the write transaction that stores a finish record, under the
    // same lock a delete or an undo of the competitor takes, so that no
    // record is ever stored for a runner removed a moment before.
    DbResult<bool> competitorStored(qint64 raceId, qint64 competitorId);
    // Removes the competitor and, with withFinishRecord, its first finish
    // record of the race, in one transaction.
    DbStatus deleteCompetitor(qint64 raceId, qint64 competitorId, bool withFinishRecord);

    // Finish list, in time order; equal times keep the order of entry.
    DbResult<QList<FinishRecord>> finishList(qint64 raceId);
    // A database this program made refuses a second finish record of a
    // competitor (DbError::isDuplicate()); an older file takes it.
    DbResult<qint64> insertFinishRecord(const FinishRecord& r);
    // Stores the records in one transaction: all of them or none.
    DbStatus insertFinishRecords(const QList<FinishRecord>& records);
    // Stores the record only if the competitor has none in the race,
    // checked and stored in one write transaction that other stations wait
    // for; otherwise fails with DbError::isDuplicate().
    DbResult<qint64> insertFinishRecordIfNone(const FinishRecord& r);
    // Removes the race's first finish record of the competitor, if any.
    DbStatus deleteFinishRecord(qint64 raceId, qint64 competitorId);

    // ---- Tables of our own, made on the first store into them ----
    // Files of earlier versions open unchanged; until a table is made, its
    // reads give nothing stored (no statuses, the default settings).

    // The statuses of the race's entries (table statusi); with
    // competitorIds, only theirs.
    DbResult<RunStates> runStates(qint64 raceId, const QList<qint64>* competitorIds = nullptr);
    // Stores the entry's status (RunState::None removes it). A competitor no
    // longer on the race's start list fails with DbError::isGone().
    DbStatus setRunState(qint64 raceId, qint64 competitorId, const RunStateEntry& entry);
    // Marks DNS, in one transaction, those of the competitors that are still
    // on the start list without a finish record and without a status; the
    // number marked.
    DbResult<int> markDns(qint64 raceId, const QList<qint64>& competitorIds);

    // The race's settings (table postavke); the defaults when none are stored.
    DbResult<RaceSettings> raceSettings(qint64 raceId);
    DbStatus setRaceSettings(qint64 raceId, const RaceSettings& settings);

    // Findings of the results check the user chose to ignore (table
    // zanemareno): the finding's key and the text of its data when ignored.
    DbResult<QHash<QString, QString>> ignoredFindings(qint64 raceId);
    DbStatus ignoreFinding(qint64 raceId, const QString& key, const QString& data);

    // ---- Timing at the finish line (tables cilj_start, cilj_vremena, cilj_dnevnik) ----
    // database_capture.cpp. Every press and number is committed when the call returns.

    // The race's start, time of day in ms; nothing when none is recorded.
    DbResult<std::optional<qint64>> captureStart(qint64 raceId);
    // Records, moves or (nothing) takes back the race's start.
    DbStatus setCaptureStart(qint64 raceId, std::optional<qint64> startMs, const QString& station);
    // Every captured row of the race, in key order.
    DbResult<QList<timing::CapturedRow>> capturedRows(qint64 raceId);
    // The captured rows of the race with these keys (those still there), in key order.
    DbResult<QList<timing::CapturedRow>> capturedRowsOf(qint64 raceId, const QList<qint64>& keys);
    // Whether the race has a captured row at all.
    DbResult<bool> hasCapturedRows(qint64 raceId);
    // Stores a press at timeMs with the next sequence number of the race. A
    // press without a number of its own takes the number waiting longest
    // (timing::waitingNumber), looked up under the write lock so that a
    // number another station typed a moment ago is seen. A token (of a
    // journal entry) already stored fails as a duplicate and stores nothing.
    DbResult<timing::CapturedRow> storePress(qint64 raceId, qint64 timeMs, const QString& number,
                                             const QString& station, const QString& source,
                                             const QString& token = {});
    // Gives the number to the oldest timed row without one (timing::pairTarget),
    // or stores it waiting for the next press; the row it went to. typedAtMs,
    // the time of day it was typed, is kept in the row's note (cilj_oznake).
    DbResult<timing::CapturedRow> storeNumber(qint64 raceId, const QString& number, const QString& station,
                                              const QString& token = {},
                                              std::optional<qint64> typedAtMs = std::nullopt);
    // The notes of the race's captured rows (table cilj_oznake, made on first use), by row key.
    DbResult<QHash<qint64, timing::RowNote>> captureNotes(qint64 raceId);
    // The operator confirmed these rows: no longer marked "provjeri".
    DbStatus confirmCaptured(qint64 raceId, const QList<qint64>& rowIds);
    // Sets the numbers of rows (empty: none), with takeWaiting removes the
    // waiting number that moved into one of them, and with keepWaiting
    // stores a number waiting for a time, in one transaction. A row gone
    // fails with DbError::isGone().
    DbStatus setCapturedNumbers(qint64 raceId, const QList<std::pair<qint64, QString>>& numbers,
                                qint64 takeWaiting = 0, const QString& keepWaiting = {},
                                const QString& station = {});
    DbStatus setCapturedDeleted(qint64 raceId, qint64 rowId, bool deleted);
    // A times file merged, in one transaction: numbers given to rows that
    // still have none (a row given one meanwhile keeps it), and new rows
    // (time of day, number) marked with their source.
    DbStatus storeCaptureImport(qint64 raceId, const QList<std::pair<qint64, QString>>& fills,
                                const QList<std::pair<qint64, QString>>& added, const QString& station,
                                const QString& source);
    // Changes the finish records made from captured rows, under the finish
    // list's write lock: removes only records a captured row made, and adds
    // a record only for a competitor without one (a typed record stays; its
    // row is refused).
    struct CaptureRecordsStored {
        QList<qint64> removed;
        QList<FinishRecord> added;
        QList<qint64> refusedRows;
    };
    DbResult<CaptureRecordsStored> applyCaptureRecords(qint64 raceId, const timing::RecordChanges& changes);
    // A race's own categories and prize categories (tables kategorijeutrke
    // and nagradeutrke, rows in order); a table with no row of the race
    // gives the standard scheme (database_rules.cpp).
    DbResult<RaceRules> raceRules(qint64 raceId);
    // Replaces the race's rows of both tables in one transaction; a scheme
    // equal to the standard one is stored as no rows.
    DbStatus setRaceRules(qint64 raceId, const RaceRules& rules);

    // ---- Series of races (tables kupovi, kupoviutrke, kupovinagrade and
    // kupovispojevi, made by the first series stored; database_series.cpp) ----
    // Every series with its races in order, rules and the organiser's
    // matching choices; none in a file that never had one.
    DbResult<QList<series::Definition>> seriesList();
    // Stores a series whole in one transaction: a new one (id 0) gets its
    // key, returned; an old one is replaced. A name another series has is
    // refused as NameTaken.
    DbResult<qint64> storeSeries(const series::Definition& definition);
    DbStatus deleteSeries(qint64 id);

    // ---- The change log (table dnevnik, made by the first logged change) ----
    // Every change the program makes is logged by the transaction that makes
    // it: a failed change leaves no entry, a stored one never lacks its entry.
    //
    // Notes the change of one row for the log, inside the write's
    // transaction: a change of a row (or its removal) is noted before the
    // statement, an added row after it, with its new key. The row's values
    // before and after, the station and the database's time are written just
    // before the commit; every row noted by one transaction shares a batch;
    // a row the statement left as it was gets no entry. kind: a code of
    // changes::kinds(). A failure to note fails the transaction.
    void logChange(const char* kind, qint64 raceId, qint64 key);
    // The key of the race's first finish record of the competitor, 0 if none.
    qint64 firstFinishKey(qint64 raceId, qint64 competitorId);
    // The station and operating-system user the log names beside this
    // connection's changes.
    void setStation(const QString& name, const QString& osUser);
    QString stationName() const { return m_station; }
    QString osUserName() const { return m_osUser; }
    // Called when a transaction has logged a change, before its commit:
    // whoever follows the log looks at it once the call is over.
    void setLogListener(std::function<void()> listener) { m_logListener = std::move(listener); }
    // The race's log in the order of the changes; empty before the first
    // logged change.
    DbResult<QList<ChangeEntry>> changeLog(qint64 raceId);
    // The entries of one batch, in order.
    DbResult<QList<ChangeEntry>> changeBatch(qint64 batch);
    // The batches a station logged after the entry afterSeq, in order: the
    // batch, the batch it undoes or redoes (0: none) and the last entry's
    // sequence number.
    struct LoggedBatch {
        qint64 batch = 0;
        qint64 undoes = 0;
        qint64 redoes = 0;
        qint64 raceId = 0;
        qint64 lastSeq = 0;
        // Only finish records following captured rows: never undone by themselves.
        bool follows = false;
    };
    DbResult<QList<LoggedBatch>> stationBatches(const QString& station, qint64 afterSeq);
    // Writes back, in one write transaction, the values every entry of the
    // batch found (last entry first), as an undo (undoes: the batch undone)
    // or a redo (redoes), and logs it as a batch of its own, which it
    // returns. Refused (DbError::Kind::Gone, nothing changed) when another
    // station changed one of the rows after the batch, when a row is not as
    // the batch left it, or when the write would break a rule (a start
    // number taken since, a second finish record, a competitor gone).
    DbResult<qint64> reverseBatch(const QList<ChangeEntry>& batch, qint64 undoes, qint64 redoes);

    // ---- Following other writers (database_follow.cpp) ----
    // Triggers note every row written to the race's tables, by any program
    // of any version, in the change feed (table promjene, ours, made on
    // first use). A row the feed names as changed: its table, race and key.
    struct ChangedRow {
        QString table;
        qint64 raceId = 0;
        qint64 key = 0;
    };
    // Takes the feed's present end as the point the next changedRows()
    // reads from. Called before the lists are read, so that a change stored
    // in between is read again rather than missed. The feed is made by the
    // first write of this version, never by a look: a file of an earlier
    // version opens unchanged.
    DbStatus markChanges();
    // The rows the feed names since the mark, and moves the mark on.
    // Nothing (std::nullopt) when the feed cannot tell: no mark (no feed
    // when it was taken), or more rows than a look reads. The caller then
    // reads everything again.
    DbResult<std::optional<QList<ChangedRow>>> changedRows();
    // The race's rows of the given keys: competitors by their key, finish
    // records by theirs. A key with no row is left out.
    DbResult<QList<Competitor>> competitorsOf(qint64 raceId, const QList<qint64>& ids);
    DbResult<QList<FinishRecord>> finishRecordsOf(qint64 raceId, const QList<qint64>& ids);

private:
    DbStatus writeTransaction(const char* table, const std::function<DbStatus(QSqlDatabase&)>& work);
    DbResult<timing::CapturedRow> capturedRow(QSqlDatabase& db, qint64 rowId);
    // The race's captured rows that also meet alsoWhere (" and ..."), in key order.
    DbResult<QList<timing::CapturedRow>> readCapturedRows(qint64 raceId, const QString& alsoWhere);
    DbStatus noteToken(QSqlDatabase& db, const QString& token);
    // Stores a number that waits for its time; the new row's key.
    DbResult<qint64> insertWaitingNumber(QSqlDatabase& db, qint64 raceId, const QString& station,
                                         const QString& number);
    // What an insert appends to read back its new key (SqlDialect::returning).
    QString returningKey() const;
    // The change log: rows noted by the transaction running now, written by
    // closeLog(status) before its commit.
    struct NotedChange {
        QString kind;
        QString table;
        qint64 raceId = 0;
        qint64 key = 0;
        QString before;
    };
    DbStatus closeLog(const DbStatus& status);
    DbResult<QString> rowValues(const QString& table, qint64 raceId, qint64 key);
    DbStatus makeLogTable();
    // After a write: makes the change feed (table promjene) where missing
    // and gives every followed table that has none its triggers; with
    // table, only that table's, once the feed exists. In a transaction of
    // its own; a failure changes nothing, and stations read lists whole.
    void prepareFeed(const char* table = nullptr);
    DbStatus makeChangeFeed(QSqlDatabase& db, const char* table);
    DbStatus inWriteTransactionFn(const char* table, const std::function<DbStatus(QSqlDatabase&)>& work);
    DbStatus writeRow(const QString& table, qint64 raceId, qint64 key, const QString& values, bool exists);
    // The race's own categories and prizes as one logged row, and written back.
    DbResult<QString> rulesValues(qint64 raceId);
    DbStatus writeRules(qint64 raceId, const QString& values);
    // Removes (and logs) the finish record a captured row made, before the row goes.
    DbStatus dropCaptureRecord(qint64 raceId, qint64 rowId);
    QList<NotedChange> m_noted;
    DbError m_noteFailure;
    bool m_noteFailed = false;
    qint64 m_logUndoes = 0;
    qint64 m_logRedoes = 0;
    qint64 m_loggedBatch = 0;
    QString m_station;
    QString m_osUser;
    std::function<void()> m_logListener;

    DbStatus openConnection();
    QString fileIdentity() const;
    // Whether a table of our own exists; with create, makes it (and its
    // index) when missing. Once seen, a table is not looked for again.
    DbResult<bool> ownTable(const char* name, bool create);
    // The tables of a race's own rules, made when missing.
    DbStatus rulesTables();
    DbStatus writeRaceRules(QSqlDatabase& db, qint64 raceId, const RaceRules& rules);
    // Whether startna has the column of our own for an imported category
    // (kategorija); with create, adds it when missing. Once seen, it is not
    // looked for again.
    DbResult<bool> competitorCategoryColumn(bool create);
    // Whether the change log finds column in table: a column of our own is
    // left out of a file that does not have it yet.
    bool loggedColumnStored(const char* table, const char* column);
    DbStatus openServer();
    DbResult<bool> openExisting();
    DbStatus createFile();
    DbStatus publish(const QString& temporary);
    void closeConnection();
    QSqlDatabase connection();
    void noteFailure();
    void subscribe(QSqlDatabase& db);
    DbStatus createSchema();
    DbStatus checkSchema();
    // Gives a file without this version's unique index on start numbers an
    // ordinary one on the same expression; a failure is no error. Only
    // inside a write transaction. True when there is nothing more to do:
    // an index was there, or none can be made.
    bool addNumberIndex();
    DbStatus findNumberCollisions();
    DbResult<QList<Race>> races(bool listedOnly);
    DbStatus checkWrites();
    DbStatus run(QSqlQuery& query);
    // The rows of one race (Competitor or FinishRecord) that sql selects,
    // its one parameter the race's key; keys, when sql selects rows by key,
    // is how many keys it names.
    template <typename Row>
    DbResult<QList<Row>> raceRows(const char* sql, qint64 raceId, std::optional<qsizetype> keys = std::nullopt);
    // work in a transaction; a transaction the server ended to break a
    // deadlock stored nothing and runs once more.
    template <typename Fn>
    DbStatus inTransaction(Fn&& work);
    template <typename Fn>
    DbStatus inTransactionOnce(Fn&& work);
    // The socket of the server connection, for the stall guard; -1 for a
    // file or no connection.
    int serverSocket() const;
    // Tells the server watch which socket to cut when its look goes
    // unanswered (-1: none, the connection is closed).
    void guardConnection(int socket);
    // A transaction that holds the right to write from its start (SQLite's
    // BEGIN IMMEDIATE; on PostgreSQL a lock on the table that only one
    // writer holds), for a check and the change it allows.
    template <typename Fn>
    DbStatus inWriteTransaction(const char* table, Fn&& work);
    DbResult<qint64> insertedId(QSqlQuery& query);
    // inTransaction for the statements of other files of this class.
    DbStatus inTransactionCall(const std::function<DbStatus(QSqlDatabase&)>& work);
    // Fails with a duplicate error when another competitor of c's race has
    // c's start number.
    DbStatus numberFree(const Competitor& c);
    DbError sqlError(const QSqlError& error) const;
    QString connectionName() const { return m_connection; }

    DbLocation m_location;
    const SqlDialect* m_dialect;
    QString m_path;
    QString m_connection;
    QString m_journalFound;
    // The start number without its blanks, as SQL (SqlDialect::numberKey).
    QString m_numberKey;
    QList<NumberCollision> m_numberCollisions;
    quint64 m_writes = 0;
    bool m_inTransaction = false;
    bool m_numberIndexLooked = false;
    bool m_beginRetried = false;
    bool m_lost = false;
    bool m_opened = false;
    quint64 m_generation = 0; // connections made again since open()
    bool m_unreachable = false;
    bool m_stalled = false;
    bool m_connectFailed = false; // the last try to connect again failed
    // Set by the stall guard when it cut this connection's socket; shared
    // with the server watch's thread, which may outlive this object.
    std::shared_ptr<std::atomic<bool>> m_cut = std::make_shared<std::atomic<bool>>(false);
    std::unique_ptr<ServerWatch> m_serverWatch;
    QString m_watchSnapshot;
    QString m_fileId; // device and inode of the file opened
    std::function<void()> m_onChange;
    QPointer<QObject> m_watchContext;
    // PostgreSQL has no data_version: the snapshot seen at the last look,
    // the transactions of this connection since then, and the number
    // dataVersion() gives.
    QStringList m_ownTablesSeen;
    QString m_seenSnapshot;
    QList<qint64> m_ownTransactions;
    // The point changedRows() reads the change feed from: on SQLite the last
    // row's key, on PostgreSQL the snapshot of transactions at the last look
    // (rows carry their transaction's id, and commit out of key order).
    std::optional<QString> m_feedMark;
    // PostgreSQL: this connection's transactions since the last look.
    QList<qint64> m_feedOwn;
    // This connection looked for the feed since it was opened or last marked.
    bool m_feedReady = false;
    qint64 m_version = 0;
};

// The message telling of the collisions, the first twenty of them named;
// empty when there are none.
QString numberCollisionsText(const QList<NumberCollision>& collisions);

namespace kvr {
// Lets a write over the process's file-size limit fail with an error the
// program reports, instead of the signal that would kill it (POSIX).
void ignoreFileSizeLimitSignal();
}
