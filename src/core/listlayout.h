#pragma once

// The list printout: a page header, fixed-width columns, a fixed number of
// rows a page. One layout function serves the start list, the registered
// list and the standings; they differ only in their ListFormat.

#include <QList>
#include <QString>
#include <QStringList>
#include <functional>

namespace print {

// The paper's orientation of a printout.
enum class Orientation { Portrait, Landscape };

// One printed column. source is the index of the value in a row; a column
// with source RunningNumber prints the row's running number instead.
struct Column {
    static constexpr int RunningNumber = -1;
    enum class Align { Left, Right };

    int source = RunningNumber;
    int width = 0;
    Align align = Align::Left;
    int gapBefore = 1; // blanks between this column and the one before it
};

struct ListFormat {
    Orientation orientation = Orientation::Portrait;
    int indent = 0;
    int rowsPerPage = 0;
    // The bold title line, followed by the page number.
    QString titleFirst; // page 1
    QString titleLater; // every later page
    // The column headings, joined by one blank and followed by one.
    QStringList headingsFirst;
    QStringList headingsLater;
    int underlineFirst = 0; // underscores after the indent
    int underlineLater = 0;
    QList<Column> columns;
    // Whether a row heads a group (a prize category): printed whole and bold
    // from the indent, after a rule unless it is first on its page. None:
    // every row is a plain row.
    std::function<bool(const QStringList& row)> isHeading;
};

// The current race as the page header names it.
struct RaceHeader {
    QString name;
    QString organiser;
    QString date;
};

struct Line {
    QString text;
    bool bold = false;

    bool operator==(const Line&) const = default;
};
using Page = QList<Line>;

struct Document {
    Orientation orientation = Orientation::Portrait;
    QList<Page> pages;
};

// The font every list is printed in, and its size in points.
QString fontName();
constexpr int fontPointSize = 10;

// The three printouts. The standings' title is the list's name as the
// reports page shows it; a line break in it is printed as one blank.
ListFormat startListFormat();
ListFormat registeredListFormat();
ListFormat standingsFormat(const QString& listName);
// The finish list with each finisher's details (lists::DetailColumn), laid
// out as the standings are: it is the race's result in time order.
ListFormat finishListFormat();

// Pages needed for rowCount rows: a full last page ends the job, so 60 rows
// of 60 a page are one page. At least one page.
int pageCount(qsizetype rowCount, int rowsPerPage);

// Lays the rows out in the given order. Every page starts with the ten-line
// header; a full page ends with an empty line and the footer line (the page
// number); the last page has no footer unless it is full.
Document layoutList(const QList<QStringList>& rows, const RaceHeader& header, const ListFormat& format);

// One value of a row line: trimmed, then filled with blanks to width (or cut
// to it when longer); lengths count characters, an accented letter as one.
QString fitValue(const QString& value, int width, Column::Align align);

} // namespace print
