#pragma once

#include "core/outcome.h"
#include "core/records.h"

#include <QDate>
#include <QHash>
#include <QList>
#include <QString>
#include <optional>

namespace rules {

// The date-text check: the text must have at least six characters, no dot
// at either end, and exactly two dots.
enum class DateTextResult { Ok, TooShortOrDotAtEnd, NotTwoDots };
DateTextResult checkDateText(const QString& text);
// The message for a refused date text; example names the kind of date.
QString dateTextMessage(DateTextResult result, const QString& example);

// The birth-year test of a competitor entry. Only the years count: a
// competitor must be born before the race's year and not before 1800.
// A birth date or race date that is no calendar date counts as too young,
// so no such entry is ever stored.
enum class BirthYearResult { Ok, TooYoung, TooOld };
BirthYearResult checkBirthYear(const QString& birthDateText, const QDate& raceDate);

// A start number as it is compared: without the blanks around it, a blank
// being every character QChar::isSpace() names (space, tab, line breaks and
// the Unicode spaces such as the no-break space). Numbers are stored as
// typed; the database compares and indexes them by this same rule
// (startNumberBlanks), so two stations never store one number twice.
QString trimmedStartNumber(QStringView number);
// The blanks of trimmedStartNumber, in code order; all lie in the basic plane.
QList<char16_t> startNumberBlanks();

// The start numbers of a start list, for lookups that do not walk the list.
// Numbers are compared as exact text after trimmedStartNumber, so 7 and 07
// differ; an empty number matches nobody.
class StartNumberIndex {
public:
    StartNumberIndex() = default;
    explicit StartNumberIndex(const QList<Competitor>& startList);

    // The key of the first competitor (in list order, which is key order)
    // with this number, or 0.
    qint64 first(const QString& startNumber) const;
    // Whether a competitor other than the one with key ownId (0 when adding
    // a new competitor) has this number.
    bool takenByOther(const QString& startNumber, qint64 ownId = 0) const;

    // Keeps the index in step with one competitor's change.
    void add(const QString& startNumber, qint64 id);
    void remove(const QString& startNumber, qint64 id);

private:
    // The lowest key of each number, and the other keys, ascending, of the
    // few numbers taken more than once: a list per number would cost a
    // large race an allocation per competitor.
    QHash<QString, qint64> m_first;
    QHash<QString, QList<qint64>> m_more;
};

// A competitor entry as typed in the six fields.
struct CompetitorEntry {
    QString ime;
    QString sbroj;
    QString drzava;
    QString klub;
    QString spol;
    QString datumText; // day.month.year
};

// The lengths of the entry fields, in whole characters (code points), as
// the form holds them and the start list stores them.
inline constexpr int kNameLength = 25;
inline constexpr int kStartNumberLength = 6;
inline constexpr int kCountryLength = 15;
inline constexpr int kClubLength = 15;

// The number of whole characters (code points) of text: a character outside
// the basic plane counts once, though it takes two UTF-16 units.
qsizetype codePointCount(QStringView text);

// Whether the text holds a control character (NUL, tab, a line break...) or
// a mark that turns the direction of writing (U+202E and the other
// bidirectional controls): such a name or label could hide or reverse what
// lists and printouts show.
bool hasControlCharacter(QStringView text);

// Tests an entry in order: the required fields, the date text, the birth
// year against the race date, the start number against the start list
// (ownId: the edited competitor, 0 when adding). Gives the competitor to
// store (texts untrimmed, no keys) or the first refusal. birthDate
// MayBeEmpty lets an empty date text through, leaving the date empty: a
// runner placed by an imported category has none.
enum class BirthDateRule { Required, MayBeEmpty };
Outcome<Competitor> checkCompetitor(const CompetitorEntry& entry, const QDate& raceDate,
                                    const StartNumberIndex& startNumbers, qint64 ownId,
                                    BirthDateRule birthDate = BirthDateRule::Required);

// The checks of a race's name, organiser and date text. A new race needs
// all three; an edited race counts a date shorter than six characters as
// missing too. Gives the race date or the first refusal.
enum class RaceForm { New, Edit };
Outcome<QDate> checkRaceEntry(const QString& name, const QString& organiser, const QString& dateText, RaceForm form);

} // namespace rules
