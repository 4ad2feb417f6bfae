#pragma once

// Timing at the finish line: the program keeps the race clock, a key press
// records the moment a runner crosses the line, and start numbers are paired
// with those moments in crossing order. The captured rows are what was
// pressed and typed; the finish records follow from them and the start list.
// Plain values in, values out; nothing is read or stored here.

#include "core/checks.h"
#include "core/competitorrules.h"
#include "core/outcome.h"
#include "core/records.h"

#include <QHash>
#include <QList>
#include <QSet>
#include <QString>
#include <optional>

namespace timing {

constexpr qint64 kDayMs = 24LL * 3600 * 1000;

// One captured row: a press (with or without its start number yet), or a
// start number typed before its time was pressed (no time, no sequence).
struct CapturedRow {
    qint64 id = 0;
    qint64 idutrke = 0;
    int seq = 0;                  // the race's presses counted from 1; 0 for a number still waiting
    QString station;              // the station that recorded it
    std::optional<qint64> timeMs; // time of day, milliseconds since midnight
    QString number;               // start number as typed; empty: none yet
    bool deleted = false;         // kept and shown struck out, restorable
    QString source;               // empty: pressed here; else the file or station it came from
    qint64 recordId = 0;          // the finish record this row made, 0 for none
    bool operator==(const CapturedRow&) const = default;
};

// Reads a time of day "h:mm:ss" or "hh:mm:ss" with an optional fraction of
// a second after "." or "," (digits past milliseconds are dropped); hours
// below 24. Nothing for any other text.
std::optional<qint64> readTimeOfDay(const QString& text);

// "hh:mm:ss" with decimals (0-3) digits of the fraction, cut, not rounded.
QString timeOfDayText(qint64 ms, int decimals);

// The time since the start. A time of day before the start by more than
// half a day is taken as after midnight.
qint64 elapsedMs(qint64 timeOfDayMs, qint64 startMs);

// The elapsed time as the list shows it, "hh:mm:ss.s" (tenths cut); a time
// before the start gets a minus sign.
QString elapsedText(qint64 elapsedMs);

// The finishing time of an elapsed time: rounded UP to the whole second, as
// road races round (and as io::readTime rounds a fraction), "hh:mm:ss".
// Nothing for a time not after the start or of 60 hours or more.
std::optional<QString> finishTime(qint64 elapsedMs);

// A start number as typed into the number field: 1-6 digits after the
// blanks around it are removed.
std::optional<QString> readNumber(const QString& text);

// Whether a crosses the line before b: time of day, then press order.
bool crossesBefore(const CapturedRow& a, const CapturedRow& b);

// The rows that hold a time, not deleted, in crossing order (indexes into rows).
QList<int> crossingOrder(const QList<CapturedRow>& rows);

// Where a typed number goes: the index of the oldest timed, not deleted row
// without a number, or -1 when no time waits (the number then waits for
// the next time).
int pairTarget(const QList<CapturedRow>& rows);

// Which waiting number the next press takes: the index of the oldest
// (first typed) not deleted row without a time, or -1.
int waitingNumber(const QList<CapturedRow>& rows);

// The state of a row, shown by colour and text.
enum class RowState {
    Matched,   // its number is on the start list and it makes the finish record
    NotOnList, // its number is not on the start list (kept: the runner may be registered later)
    NumberUsed, // an earlier row has the same number
    NoNumber,  // no number yet
    Conflict,  // the competitor already has a typed finish record, which stays
    Deleted,
    Waiting,   // a number typed before its time
};

// What the finish line keeps of a row beside its values: when its number
// was typed (time of day; none when not known) and whether the operator
// confirmed the row.
struct RowNote {
    std::optional<qint64> typedAtMs;
    bool confirmed = false;
    bool operator==(const RowNote&) const = default;
};

// The rows that may be wrong ("provjeri"), one flag per row; never
// blocking, a row stays as it is. A row is doubtful when, unless the
// operator confirmed it:
// - its press came less than the least gap after the press before it (in
//   crossing order): a press made twice;
// - its number was typed while no time waited: waiting for a time, or
//   taken by a later press (with each number typed after its runner's
//   press, a missed press leaves every row from there on so);
// - its number was typed into a time that had waited longer than the
//   longest wait while newer times waited too (a missed press or a
//   left-over time shifts every later number), and so is every row whose
//   number was typed after that one: the block stays marked until its rows
//   are confirmed.
// Deleted rows are never doubtful.
QList<bool> doubtful(const QList<CapturedRow>& rows, const QHash<qint64, RowNote>& notes, const DoubtLimits& limits);

// The two limits typed in seconds ("0,2", "60"; empty keeps the one given):
// the least gap from 0 to 10 s, the longest wait from 1 s to an hour.
Outcome<DoubtLimits> readDoubtLimits(const QString& leastGapText, const QString& longestWaitText, DoubtLimits held);

// A finish record a captured row makes.
struct MadeRecord {
    qint64 rowId = 0;
    qint64 competitorId = 0;
    QString number;
    QString time; // "hh:mm:ss"
    int order = 0; // position in crossing order
    bool operator==(const MadeRecord&) const = default;
};

struct Evaluation {
    QList<RowState> states;      // one per row
    QList<qint64> competitors;   // one per row: the competitor its number names, 0 for none
    QList<MadeRecord> records;   // crossing order: equal seconds keep it
    QList<int> conflicts;        // rows whose competitor has a typed record
};

// What the rows make: the first row (in crossing order) with a number on
// the start list makes that competitor's record, time = elapsed time rounded
// up; a later row with the same number makes none. Without a start no row
// makes a record. typedFinishers: competitors holding a finish record that
// no captured row made; those are never overwritten and their rows show
// the conflict.
Evaluation evaluate(const QList<CapturedRow>& rows, std::optional<qint64> startMs,
                    const rules::StartNumberIndex& startNumbers, const QSet<qint64>& typedFinishers);

// What to change in the finish list so that it holds the planned records:
// the made records to remove and the records to add in crossing order. A
// record that stays as it was stays; an added record whose second other
// made records share takes with it those that cross after it, so that the
// list (equal times in the order stored) keeps the crossing order.
struct RecordChanges {
    QList<qint64> remove; // finish-record keys
    QList<MadeRecord> add;
    bool isEmpty() const { return remove.isEmpty() && add.isEmpty(); }
};
RecordChanges recordChanges(const QList<MadeRecord>& planned, const QHash<qint64, FinishRecord>& madeByRow);

// Shifting the numbers of a block of rows (in crossing order) by one for a
// missed or an extra press. up: each row takes the number of the row after
// it, the last row the number waiting (waitingNumber) when the block ends
// at the newest time, else none; down: each row takes the number of the row
// before it, the first none. A number pushed off the edge of the block is
// kept as a number waiting for a time, never lost. The rows' new numbers, by
// row key; nothing for an empty block.
struct Shift {
    QList<std::pair<qint64, QString>> numbers; // row key, new number
    qint64 consumedWaiting = 0;                // the waiting row whose number moved in, 0 for none
    QString pushedOff;                         // the number pushed off the block, kept waiting
};
std::optional<Shift> shiftNumbers(const QList<CapturedRow>& block, bool up, const CapturedRow* waiting);

// The results check's findings of the captured rows: times without a
// number, numbers not on the start list, and rows whose competitor has a
// typed finish record (the typed time and the captured one named).
// Rows that may be wrong (doubtful()) are listed as warnings.
QList<checks::Finding> findings(const QList<CapturedRow>& rows, std::optional<qint64> startMs,
                                const QList<Competitor>& startList, const QList<FinishRecord>& finishList,
                                const QHash<qint64, RowNote>& notes = {}, const DoubtLimits& limits = {});

} // namespace timing
