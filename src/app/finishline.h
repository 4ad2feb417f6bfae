#pragma once

// Timing at the finish line on the race session: the race's start, one
// press per finisher, start numbers paired with the presses in crossing
// order, corrections, and the finish records the captured rows make (kept in
// step with them; typed records are never touched). Every press and number
// goes to a journal file first and shows at once, marked until stored; the
// writes to the database follow in order from a CaptureWriter, which on race
// day has a thread and connection of its own, so that the window never
// waits for the disk or the server.

#include "app/capturewriter.h"
#include "core/outcome.h"
#include "core/timing.h"
#include "data/database.h"

#include <QAbstractTableModel>
#include <QElapsedTimer>
#include <QObject>
#include <QPointer>
#include <QTimer>
#include <memory>
#include <optional>

class RaceSession;

namespace finishline {

// The clock of the finish line: a monotonic count of milliseconds and the
// wall clock's time of day. Replaced in tests.
class Clock {
public:
    virtual ~Clock() = default;
    virtual qint64 monotonicMs() const = 0;
    virtual qint64 wallTimeOfDayMs() const = 0;
};

class SystemClock : public Clock {
public:
    SystemClock() { m_timer.start(); }
    qint64 monotonicMs() const override { return m_timer.elapsed(); }
    qint64 wallTimeOfDayMs() const override;

private:
    QElapsedTimer m_timer;
};

// One entry of the journal: a press (its time of day) or a number, not yet stored.
struct JournalEntry {
    qint64 raceId = 0;
    bool press = true;
    qint64 timeMs = 0;
    QString number;
    QString station;
    QString token;
    qint64 journaledAt = 0; // monotonic ms when it was journaled (not kept in the file)
    std::optional<qint64> typedAtMs; // a number: the time of day it was typed
};

// The file next to the database (or, for a server, next to the program)
// where presses and numbers wait while the database cannot be reached.
QString defaultJournalPath(RaceSession& session);

// A line of a times file read: time of day (before any offset) and the start
// number, if any.
struct ImportLine {
    int lineNumber = 0;
    qint64 timeMs = 0;
    QString number;
};

// A times file: lines "h:mm:ss[.fff]" or "hh:mm:ss[.fff]", then optionally
// a start number, apart by comma, semicolon, tab or blanks. The first line
// may be a header. A line that is no time refuses the whole file.
Outcome<QList<ImportLine>> readTimesFile(const QByteArray& bytes);

// How a times file merges with the captured rows: a time within the
// tolerance of a captured row not yet paired pairs with the nearest one and
// gives it its number when it has none; the other times become new rows.
struct ImportPlan {
    QList<std::pair<qint64, QString>> fills; // row key, number it gets
    int paired = 0;
    QList<ImportLine> added;                 // times with the offset applied
};
ImportPlan planImport(const QList<timing::CapturedRow>& rows, const QList<ImportLine>& lines, qint64 offsetMs,
                      qint64 toleranceMs);

class FinishLine : public QObject {
    Q_OBJECT

public:
    // Reads the race's start and captured rows and brings the finish
    // records made from them up to date. The clock is the system's unless given.
    // Threaded: the writes run on a thread and connection of their own
    // (the window); Direct: on the session's connection before a call returns.
    explicit FinishLine(RaceSession& session, std::shared_ptr<Clock> clock = {}, QString journalPath = {},
                        CaptureWriter::Mode mode = CaptureWriter::Mode::Direct, QObject* parent = nullptr);
    ~FinishLine() override;
    // Brings the finish records of the session's race in step with its
    // captured rows and start as stored (after an undo or redo of them),
    // without the journal or the clock of an open finish line.
    static Status bringRecordsInStep(RaceSession& session);

    RaceSession& session() { return m_session; }
    qint64 raceId() const { return m_raceId; }
    Status loadStatus() const { return m_loaded; }

    // ---- The start ----
    std::optional<qint64> startMs() const { return m_start; }
    // Records the start now. Refused when one is recorded.
    Status start();
    // Whether a start pressed here may still be taken back (within a minute).
    bool canUndoStart() const;
    Status undoStart();
    // A start typed (hh:mm:ss or with a fraction), or corrected: every
    // elapsed time moves with it, and the finish records made follow.
    Status setStart(const QString& text);

    // The race clock: elapsed time now, when there is a start.
    std::optional<qint64> elapsedNow() const;
    // The time of day of a monotonic moment (the clock anchored to the wall
    // clock when this finish line began or when the start was pressed).
    qint64 timeOfDay(qint64 monotonicMs) const;
    // The monotonic moment of a key event from its timestamp (ms of an
    // unknown base): event spacing is kept, never later than now.
    qint64 momentOfEvent(quint64 eventTimestamp);

    // ---- Capturing ----
    // Records a time at the monotonic moment given (now when none); it
    // takes a number waiting for it. The row it stored (or journaled).
    Outcome<timing::CapturedRow> press(std::optional<qint64> monotonicMs = std::nullopt);
    // Records the time of day given (a script's "t hh:mm:ss.fff").
    Outcome<timing::CapturedRow> pressAt(qint64 timeOfDayMs);
    // Gives the typed number to the oldest time without one, or keeps it
    // waiting for the next time.
    Outcome<timing::CapturedRow> number(const QString& text);

    // ---- Corrections ----
    // A typed time (and optional number) inserted in crossing order.
    Outcome<timing::CapturedRow> insertTime(const QString& timeText, const QString& numberText);
    Status setDeleted(qint64 rowId, bool deleted);
    // The operator looked at these rows marked "provjeri": they are marked no more.
    Status confirm(const QList<qint64>& rowIds);
    // Sets (empty: clears) a row's number.
    Status setNumber(qint64 rowId, const QString& text);
    // Shifts the numbers of the rows given (a block in crossing order) one row up or down.
    Status shiftNumbers(const QList<qint64>& rowIds, bool up);
    // Merges a file of times (see planImport); all or nothing.
    Outcome<ImportPlan> importTimes(const QByteArray& file, const QString& source, const QString& offsetText = {},
                                    const QString& toleranceText = {});

    // ---- What is held ----
    const QList<timing::CapturedRow>& rows() const { return m_rows; }
    const timing::Evaluation& evaluation() const { return m_eval; }
    // Whether the row at this index of rows() may be wrong ("provjeri").
    bool isDoubtful(int index) const { return m_doubt.value(index); }
    // The row with this key, or null.
    const timing::CapturedRow* row(qint64 id) const;
    int rowIndex(qint64 id) const { return m_index.value(id, -1); }
    // Times, those with a number and those without, and numbers waiting for
    // a time: the stored rows with the entries still being stored paired
    // as the database will pair them.
    struct Counts {
        int times = 0, numbered = 0, without = 0, numbersWaiting = 0;
    };
    Counts counts() const;
    // What Enter does with the number typed (lblcilj): the time it will
    // take and whom it names, that it waits for a time, or that it is not
    // on the start list or already given; empty for no number.
    QString numberPreview(const QString& text) const;
    // Journal entries of this race not yet stored.
    const QList<JournalEntry>& pending() const { return m_pending; }
    // How long the oldest entry has waited to be stored, 0 when none waits.
    qint64 oldestPendingMs() const;
    // Every write made so far is stored (or refused); the writer waits for nothing.
    bool idle() const { return m_writer->idle(); }
    // Handles events until every write is done, at most ms; whether it is.
    bool waitStored(int ms) { return m_writer->waitIdle(ms); }
    CaptureWriter& writer() { return *m_writer; }

    // Reads the captured rows again (another station's rows) and brings the records up to date.
    Status reload();
    // Looks for other writers' changes: the session follows the change
    // feed, and the captured rows it names are read by key. Never waits for
    // another program's lock when the writes have a thread of their own.
    Status refresh();

signals:
    void rowsReset();
    // Appended at the end of the crossing order (a plain press).
    void rowAppended(int index);
    void startChanged();
    void pendingChanged(int count);
    // An entry was added to the journal, at the end of pending().
    void pendingAppended();
    // The first count waiting entries, all plain presses, are now stored:
    // the last count rows.
    void pendingStored(int count);
    // The waiting entry at this place of pending() was stored as a row
    // laid out with the others, or found stored before.
    void pendingTaken(int at);
    // The rows' states or names changed, not their order.
    void statesChanged();
    // A row inserted as a correction is stored and laid out.
    void corrected(qint64 rowId);
    // The journaled entry with this token is done: stored as the row rowId
    // (laid out by the time control returns to the event loop), or refused
    // (rowId 0).
    void entryDone(const QString& token, qint64 rowId);
    // A write done in the background failed (or the journal could not be
    // written): the message to show.
    void problem(const QString& message);

private:
    struct InStepOnly {};
    FinishLine(RaceSession& session, InStepOnly);
    // A failed correction: the message, and the rows as stored read again.
    Status storeFailed(const DbError& error);
    // Journals an entry, shows it and hands it to the writer.
    Outcome<timing::CapturedRow> take(JournalEntry entry);
    void submitEntry(const JournalEntry& entry);
    void entryStored(const JournalEntry& entry, const DbResult<timing::CapturedRow>& stored);
    // Hands a write to the writer; with the direct writer, its failure is
    // what the call returns (submitted()).
    void submitWrite(std::function<DbStatus(Database&)> write, std::function<void()> then, bool retry);
    Status submitted();
    // A store of made records done: the rows and the session's lists take its keys.
    void recordsStored(const timing::RecordChanges& changes, const DbResult<Database::CaptureRecordsStored>& stored);
    void storeStart(std::optional<qint64> startMs);
    // Lays the rows out again now (direct writer) or once the events
    // waiting now are handled.
    void layoutSoon();
    void layoutNow();
    // Rows of the race the change feed named: read by key and merged.
    void onCapturedNoted(const QList<qint64>& keys, bool all);
    // Puts a stored row in the held rows (replacing the one with its key), nothing laid out.
    void keepRow(const timing::CapturedRow& row);
    // A press stored with no number, after every timed row: the list only
    // grows by it (appendPlain), no other row changes.
    bool isPlainPress(const JournalEntry& entry, const timing::CapturedRow& row) const;
    void appendPlain(const timing::CapturedRow& row);
    void rebuild();
    // Brings the finish records in step with the rows.
    Status syncRecords();
    void onListsChanged();
    void loadJournal();

    RaceSession& m_session;
    std::shared_ptr<Clock> m_clock;
    QString m_journalPath;
    QString m_station;
    qint64 m_raceId = 0;
    // The session told of this open finish line (null once it is gone).
    QPointer<RaceSession> m_told;
    std::optional<qint64> m_start;
    std::optional<qint64> m_startPressed; // monotonic moment of the start pressed here
    qint64 m_anchorWall = 0;
    qint64 m_anchorMono = 0;
    std::optional<qint64> m_eventBase;
    QList<timing::CapturedRow> m_rows;
    QHash<qint64, int> m_index;
    timing::Evaluation m_eval;
    QHash<qint64, timing::RowNote> m_notes;
    QList<bool> m_doubt; // one per row: timing::doubtful
    QList<JournalEntry> m_pending;
    QList<JournalEntry> m_otherRaces; // journal entries of other races, kept in the file
    bool m_applying = false;
    bool m_layoutDue = false;
    int m_holdLayout = 0;            // entries handed on together: laid out once after them
    bool m_readAllWhenStored = false; // an entry was found stored before: read the rows
    bool m_recordsInFlight = false;   // a store of made records waits for the writer
    bool m_recordsAgain = false;      // and the rows changed since it was worked out
    std::optional<Status> m_directFailure;
    std::optional<std::pair<QString, timing::CapturedRow>> m_lastStored; // token, row
    Status m_loaded = Status::done();
    CaptureWriter* m_writer = nullptr;
};

// The captured rows as the list shows them: timed rows in crossing order
// (deleted ones in their place), then numbers waiting for a time, then
// entries waiting in the journal. Columns: sequence, time of day, elapsed,
// start number, name, state.
class CaptureModel : public QAbstractTableModel {
    Q_OBJECT

public:
    enum Role { StateRole = Qt::UserRole + 1, DeletedRole, RowIdRole, DoubtRole };
    // The state of a journal entry not yet stored.
    static constexpr int kPendingState = 100;

    explicit CaptureModel(FinishLine& line, QObject* parent = nullptr);
    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    // The row key shown at a list row (0 for a journal entry).
    qint64 rowId(int listRow) const;
    QString text(int listRow, int column) const;
    static QString stateText(int state);

private:
    void rebuildOrder();
    FinishLine& m_line;
    QList<int> m_order; // list row -> index into rows
    // Journal entries shown after the rows: pending() as last announced.
    int m_pendingShown = 0;
    void resetAll();
};

} // namespace finishline
