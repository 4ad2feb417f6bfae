#pragma once

// Finding a runner: the search field above the start list and the note
// under the start number of a finish entry. Plain values only.

#include "core/categoryscheme.h"
#include "core/records.h"

#include <QDate>
#include <QList>
#include <QString>

namespace search {

// Text as it is compared when searching: lower case, without the marks of
// the letters (č ć -> c, š -> s, ž -> z, đ -> d, and so on), so that a name
// is found as it is typed on any keyboard.
QString fold(const QString& text);

// What a search field holds, prepared once per keystroke.
struct Query {
    explicit Query(const QString& typed = QString());
    bool isEmpty() const { return number.isEmpty(); }

    QString number; // the text without surrounding blanks
    QString folded; // the same, folded
};

// Whether a competitor is found: an empty query finds everybody; otherwise
// the start number equals the query exactly (both without surrounding
// blanks), or the folded query is part of the folded name or of the folded
// club. The folded texts are given, so that a list folds each name once.
bool matches(const Query& query, const QString& startNumber, const QString& foldedName,
             const QString& foldedClub);
bool matches(const Query& query, const Competitor& competitor);

// The note under the start number of a finish entry, built as the judge
// types: nothing for an empty number; "nije na startnoj listi" when no
// competitor has it; else number, name, club, sex and category joined by
// " · ", followed by "već je na cilju (time)" for a competitor who has a
// finish record (finish non-null).
QString finishNumberNote(const QString& typed, const Competitor* competitor, const FinishRecord* finish,
                         const QDate& raceDate, const CategoryScheme& scheme = CategoryScheme::standard());

} // namespace search
