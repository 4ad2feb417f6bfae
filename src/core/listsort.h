#pragma once

#include <QByteArray>
#include <QString>

// How the columns of the start list compare their cell texts. Plain
// functions over texts, so that every ordering can be checked without a view.
namespace listsort {

enum class Kind {
    Number,  // whole numbers by value ("R.br.", the hidden key)
    Natural, // digit runs by value, so 2 before 10; 07 and 7 stay distinct ("St. br.")
    Date,    // dd.mm.yyyy by date ("Datum rođ.")
    Text,    // Croatian alphabetical order (names, country, club, sex)
};

// Three-way comparisons: negative, zero or positive as a sorts before, with
// or after b in ascending order. Empty and unreadable texts sort first.
int compareNumbers(const QString& a, const QString& b);
int compareNatural(const QString& a, const QString& b);
int compareDates(const QString& a, const QString& b);
// Text: Croatian alphabetical order (c č ć d dž đ … s š t … z ž), by ICU's
// collator set up as Qt's QCollator sets up its own.
int compareText(const QString& a, const QString& b);
int compare(Kind kind, const QString& a, const QString& b);

// A cell text prepared once for many comparisons: the number, the date or
// the collation key is worked out here, so that sorting a long list does
// not parse or collate the same text again for every comparison. Two keys
// of the same kind compare exactly as compare(kind, a, b).
class SortKey {
public:
    SortKey(Kind kind, const QString& text);
    int compare(const SortKey& other) const;
    // A number that orders two keys wherever the numbers differ: a smaller
    // head sorts first; equal heads leave the order to compare().
    qint64 head() const;

private:
    Kind m_kind;
    bool m_valid = false;    // Number, Date: the text was readable
    qint64 m_value = 0;      // Number: the value; Date: the Julian day;
                             // Text: the key's first eight bytes, big-endian
    QString m_text;          // Natural
    QByteArray m_collated;   // Text: the collation key
};

} // namespace listsort
