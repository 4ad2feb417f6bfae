#pragma once

#include "core/records.h"

#include <QDate>
#include <QHash>
#include <QList>
#include <QString>

namespace rules {

// The birth-year test of a competitor entry. Only the years count: a
// competitor must be born before the race's year and not before 1800.
// A birth date or race date that is no calendar date counts as too young,
// so no such entry is ever stored.
enum class BirthYearResult { Ok, TooYoung, TooOld };
BirthYearResult checkBirthYear(const QString& birthDateText, const QDate& raceDate);

// The start numbers of a start list, for lookups that do not walk the list.
// Numbers are compared as exact text after trimming blanks at both ends, so
// 7 and 07 differ; an empty number matches nobody.
class StartNumberIndex {
public:
    StartNumberIndex() = default;
    explicit StartNumberIndex(const QList<Competitor>& startList);

    // The list position of the first competitor with this number, or -1.
    qsizetype first(const QString& startNumber) const;
    // Whether a competitor other than the one with key ownId (0 when adding
    // a new competitor) has this number.
    bool takenByOther(const QString& startNumber, qint64 ownId = 0) const;

private:
    struct Entry {
        qsizetype position;
        qint64 id;
    };
    QHash<QString, QList<Entry>> m_entries; // in list order
};

} // namespace rules
