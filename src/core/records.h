#pragma once

#include <QDate>
#include <QHash>
#include <QString>
#include <optional>

// One row of table utrke.
struct Race {
    qint64 id = 0;
    QString ime;     // race name
    QString org;     // organiser
    QDate datum;     // race date
    QString da;      // "y" while offered for opening, "n" once withdrawn
    QString nagrade; // prize-fund text
};

// One row of table startna: a competitor on a race's start list.
struct Competitor {
    qint64 id = 0;
    QString sbroj;   // start number as typed; empty: registered, not at the start
    qint64 idutrke = 0;
    QString ime;
    QString drzava;
    QString klub;
    QString spol;    // "M" or "Ž"
    QDate datum;     // date of birth; empty for an import that gave a category instead
    // The category label an import gave, as written; empty otherwise. It
    // places the runner only while the birth date is empty: a date decides.
    QString kategorija = {};
};

// One row of table rezultati: a finisher's start number and time.
struct FinishRecord {
    qint64 id = 0;
    qint64 idtakmicara = 0; // key of the competitor's startna row
    qint64 idutrke = 0;
    QString sbroj;          // start number as entered
    QString vrijeme;        // "hh:mm:ss"
};

// What became of a start-list entry besides a place: none (the default),
// did not start, did not finish, disqualified. Kept in a table of its own,
// so a finish record stays stored whatever the status: taking the status
// back gives the runner's place back.
enum class RunState { None, Dns, Dnf, Dsq };

// The status of one entry and, for a disqualification, its reason.
struct RunStateEntry {
    RunState state = RunState::None;
    QString reason;
    bool operator==(const RunStateEntry&) const = default;
};

// The statuses of a race's entries by competitor key; an entry missing here has none.
using RunStates = QHash<qint64, RunStateEntry>;

// The race's own settings, stored per race in a table of our own; the
// defaults are what a race without stored settings gets.
// The race's limits for captured rows that may be wrong (timing::doubtful).
struct DoubtLimits {
    qint64 leastGapMs = 200;      // a press closer than this to the one before
    qint64 longestWaitMs = 60000; // a time that waited longer than this for its number
    bool operator==(const DoubtLimits&) const = default;
};

struct RaceSettings {
    // Whether the standings list DNF, DSQ and DNS entries after the ranked finishers.
    bool listUnranked = true;
    // The course length in kilometres, when given (for the pace check).
    std::optional<double> courseKm;
    // Whether the organiser has declared the results official; until then
    // the live results pages carry a banner saying they are not.
    bool official = false;
    // Timing at the finish line: when a captured row is marked "provjeri".
    DoubtLimits doubt;
    // Whether the live results pages show a disqualification's reason (it
    // may name a judge or a runner's conduct); printouts always do.
    bool publishDsqReason = false;
    bool operator==(const RaceSettings&) const = default;
};
