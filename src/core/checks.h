#pragma once

// The check of a race's results before they are published: the slips a day
// of typing leaves (a number nobody registered, a runner registered twice,
// a time typed an hour wrong). Plain values in, findings out; nothing is
// read or stored here.

#include "core/categoryscheme.h"
#include "core/outcome.h"
#include "core/records.h"

#include <QDate>
#include <QList>
#include <QString>
#include <optional>

namespace checks {

enum class Severity { Error, Warning };

enum class Kind {
    // Errors
    LostCompetitor,     // a finish record whose competitor is no longer on the start list
    FinishOfNonStarter, // a finish record of an entry marked DNS or DNF
    NumberTwice,        // two entries of the race with the same start number
    ZeroTime,           // a finish time of 00:00:00
    // Warnings
    NoFinish,           // a start number, no finish record, no status (once anyone finished)
    EqualTimes,         // a finish time equal to the one before it
    OddSex,             // a sex neither M nor Ž
    OddAge,             // race year minus birth year under 5 or over 95
    DoubleEntry,        // same name (case and marks of č ć ž š đ aside) and birth date
    PaceFast,           // faster than 2:30 min/km over the course length
    PaceSlow,           // slower than 20:00 min/km
    // Times captured at the finish line (errors)
    TimeWithoutNumber,  // a captured time without a start number
    NumberNotOnList,    // a captured start number not on the start list
    CaptureConflict,    // a captured time of a competitor who has a typed finish record
    NumberUsedTwice,    // a captured start number an earlier row already has
    TimeBeforeStart,    // a captured time of a competitor, before the race's start
    NoStart,            // captured times of competitors, and no start to time them from
    NoCategory,         // a birth date, but no category of the race takes the runner
    CategoryMismatch,   // a birth date whose category is not the one an import gave
    CaptureDoubtful,    // a captured row that may be wrong (a warning; see timing::doubtful)
};

struct Finding {
    Severity severity = Severity::Warning;
    Kind kind = Kind::NoFinish;
    qint64 competitorId = 0; // the entry to open, 0 when there is none
    qint64 finishId = 0;     // the finish record to select, 0 when there is none
    qint64 capturedId = 0;   // the finish line's captured row to select, 0 when there is none
    QString sbroj;
    QString ime;
    QString message;         // names the number, the competitor and the values
    // Names the finding whatever its values: the kind and the keys involved.
    QString key;
};

// Every finding, errors first, each kind in list order. The finish list and
// the start list are those of one race; states its entries' statuses.
QList<Finding> findProblems(const QList<FinishRecord>& finishList, const QList<Competitor>& startList,
                            const QDate& raceDate, const RunStates& states = {},
                            std::optional<double> courseKm = std::nullopt,
                            const CategoryScheme& categories = CategoryScheme::standard());

// The pace bounds, in seconds a kilometre.
constexpr int kFastestPace = 150;  // 2:30 min/km: faster than any road record
constexpr int kSlowestPace = 1200; // 20:00 min/km

// A course length as typed: empty for none, else kilometres above 0 and at
// most 1000, with a decimal comma or point.
Outcome<std::optional<double>> parseCourseKm(const QString& text);

// A name for comparing: lower case, blanks simplified, č ć ž š đ without their marks.
QString foldName(const QString& name);

} // namespace checks
