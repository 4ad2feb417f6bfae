#pragma once

// Timing at the finish line on the race session: the race's start, one
// press per finisher, start numbers paired with the presses in crossing
// order, corrections, and the finish records the captured rows make (kept in
// step with them; typed records are never touched). Every press and number
// is committed before the row shows; when the database cannot be reached it
// goes to a journal file first and is stored, in order, as soon as it can.

#include "core/outcome.h"
#include "core/timing.h"

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
    explicit FinishLine(RaceSession& session, std::shared_ptr<Clock> clock = {}, QString journalPath = {},
                        QObject* parent = nullptr);
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
    // The row with this key, or null.
    const timing::CapturedRow* row(qint64 id) const;
    int rowIndex(qint64 id) const { return m_index.value(id, -1); }
    struct Counts {
        int times = 0, numbered = 0, without = 0;
    };
    Counts counts() const;
    // Journal entries of this race not yet stored.
    const QList<JournalEntry>& pending() const { return m_pending; }
    // Tries to store what the journal holds, in order; true when nothing
    // waits. With a budget it stops after that many ms and goes on from the
    // event loop.
    bool flushJournal(int budgetMs = -1);

    // Reads the captured rows again (another station's rows) and brings the records up to date.
    Status reload();
    // Reads them again when another writer changed the database.
    Status refresh();

signals:
    void rowsReset();
    // Appended at the end of the crossing order (a plain press).
    void rowAppended(int index);
    void startChanged();
    void pendingChanged(int count);
    // An entry was added to the journal, at the end of pending().
    void pendingAppended();
    // A flush stored the first count waiting entries, all plain presses,
    // now the last count rows.
    void pendingStored(int count);

private:
    struct InStepOnly {};
    FinishLine(RaceSession& session, InStepOnly);
    Status storeFailed(const DbError& error);
    Outcome<timing::CapturedRow> journal(JournalEntry entry);
    Outcome<timing::CapturedRow> storeEntry(const JournalEntry& entry, bool fromJournal);
    void rowStored(const timing::CapturedRow& row, bool plainAppend);
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
    void writeJournal();
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
    QList<JournalEntry> m_pending;
    QList<JournalEntry> m_otherRaces; // journal entries of other races, kept in the file
    qint64 m_seenVersion = -1;
    bool m_applying = false;
    qint64 m_journalWrittenAt = 0;   // monotonic ms of the last rewrite
    int m_flushedPlain = 0;          // plain presses stored by the flush under way
    bool m_flushNeedsLayout = false; // a flushed entry changed more than its own row
    Status m_loaded = Status::done();
    QTimer m_retry;
};

// The captured rows as the list shows them: timed rows in crossing order
// (deleted ones in their place), then numbers waiting for a time, then
// entries waiting in the journal. Columns: sequence, time of day, elapsed,
// start number, name, state.
class CaptureModel : public QAbstractTableModel {
    Q_OBJECT

public:
    enum Role { StateRole = Qt::UserRole + 1, DeletedRole, RowIdRole };
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
};

} // namespace finishline
