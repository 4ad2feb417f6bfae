#include "core/listlayout.h"

#include "core/lists.h"
#include "core/texts.h"

#include <QRegularExpression>

namespace print {

namespace {

// Page numbers are printed as one blank, the digits, one blank.
QString pageNumber(int page)
{
    return QLatin1Char(' ') + QString::number(page) + QLatin1Char(' ');
}

// A title is printed on one line: each line break becomes one blank.
QString oneLine(QString text)
{
    static const QRegularExpression lineBreak(QStringLiteral("\r\n|\r|\n"));
    return text.replace(lineBreak, QStringLiteral(" "));
}

// Headings of the start list and the registered list: the same on every page.
QStringList startListHeadings()
{
    return {tx::printColPlace(), tx::printColStartNumber(), tx::printColName(), tx::printColCountry(),
            tx::printColClub(), tx::printColSex(), tx::printColBirthDate()};
}

// Rows of the start list (lists::StartColumn); the running number is the
// printout's own.
QList<Column> startListColumns()
{
    using A = Column::Align;
    return {{Column::RunningNumber, 5, A::Right, 0}, {lists::StartNumber, 6, A::Left, 2},
            {lists::StartName, 25, A::Left, 1},      {lists::StartCountry, 15, A::Left, 1},
            {lists::StartClub, 15, A::Left, 1},      {lists::StartSex, 4, A::Left, 1},
            {lists::StartBirthDate, 10, A::Left, 1}};
}

void appendHeader(Page& page, int number, const RaceHeader& header, const ListFormat& format, const QString& indent)
{
    const bool first = number == 1;
    page.append(Line{});
    page.append(Line{});
    page.append({indent + tx::printHeaderRace() + QLatin1Char(' ') + oneLine(header.name)});
    page.append({indent + tx::printHeaderOrganiser() + QLatin1Char(' ') + oneLine(header.organiser)});
    page.append({indent + tx::printHeaderDate() + QLatin1Char(' ') + oneLine(header.date)});
    page.append(Line{});
    page.append({indent + (first ? format.titleFirst : format.titleLater) + pageNumber(number), true});
    page.append(Line{});
    page.append({indent + (first ? format.headingsFirst : format.headingsLater).join(QLatin1Char(' '))
                 + QLatin1Char(' ')});
    page.append({indent + QString(first ? format.underlineFirst : format.underlineLater, QLatin1Char('_'))});
}

} // namespace

QString fontName()
{
    return QStringLiteral("Courier New CE");
}

ListFormat startListFormat()
{
    ListFormat f;
    f.orientation = print::Orientation::Portrait;
    f.indent = 4;
    f.rowsPerPage = 60;
    f.titleFirst = tx::printStartListHeading() + tx::printPage();
    f.titleLater = f.titleFirst;
    f.headingsFirst = startListHeadings();
    f.headingsLater = f.headingsFirst;
    f.underlineFirst = 87;
    f.underlineLater = 87;
    f.columns = startListColumns();
    return f;
}

ListFormat registeredListFormat()
{
    ListFormat f = startListFormat();
    f.titleFirst = tx::printRegisteredHeadingFirst() + tx::printPage();
    f.titleLater = tx::printRegisteredHeadingLater() + tx::printPage();
    return f;
}

ListFormat standingsFormat(const QString& listName)
{
    using A = Column::Align;
    ListFormat f;
    f.orientation = print::Orientation::Landscape;
    f.indent = 12;
    f.rowsPerPage = 40;
    f.titleFirst = tx::printStandingsHeading() + oneLine(listName) + tx::printStandingsPage();
    f.titleLater = f.titleFirst;
    const QStringList rest{tx::printColStartNumber(), tx::printColName(), tx::printColCountry(),
                           tx::printColClub(),        tx::printColSex(),  tx::printColCategory(),
                           tx::printColBirthYear(),   tx::printColTime()};
    f.headingsFirst = QStringList{tx::printColPlace()} + rest;
    f.headingsLater = QStringList{tx::printColRunning()} + rest;
    f.underlineFirst = 106;
    f.underlineLater = 110;
    // Rows of the standings (lists::StandingsColumn).
    f.columns = {{lists::StandPlace, 5, A::Right, 0},    {lists::StandNumber, 6, A::Left, 2},
                 {lists::StandName, 25, A::Left, 1},     {lists::StandCountry, 15, A::Left, 1},
                 {lists::StandClub, 15, A::Left, 1},     {lists::StandSex, 4, A::Left, 1},
                 {lists::StandCategory, 9, A::Left, 1},  {lists::StandBirthYear, 10, A::Left, 1},
                 {lists::StandTime, 8, A::Left, 1}};
    return f;
}

ListFormat finishListFormat()
{
    using A = Column::Align;
    ListFormat f = standingsFormat(QString());
    f.titleFirst = tx::printFinishListHeading() + tx::printPage();
    f.titleLater = f.titleFirst;
    const QStringList headings{tx::printColStartNumber(), tx::printColName(),    tx::printColBirthYear(),
                               tx::printColCountry(),     tx::printColSex(),     tx::printColCategory(),
                               tx::printColTime()};
    f.headingsFirst = QStringList{tx::printColPlace()} + headings;
    f.headingsLater = f.headingsFirst;
    f.underlineFirst = 90;
    f.underlineLater = 90;
    f.columns = {{lists::DetailPlace, 5, A::Right, 0},     {lists::DetailNumber, 6, A::Left, 2},
                 {lists::DetailName, 25, A::Left, 1},      {lists::DetailBirthYear, 10, A::Left, 1},
                 {lists::DetailCountry, 15, A::Left, 1},   {lists::DetailSex, 4, A::Left, 1},
                 {lists::DetailCategory, 9, A::Left, 1},   {lists::DetailTime, 8, A::Left, 1}};
    return f;
}

int pageCount(qsizetype rowCount, int rowsPerPage)
{
    if (rowCount <= 0 || rowsPerPage <= 0)
        return 1;
    return int((rowCount + rowsPerPage - 1) / rowsPerPage);
}

QString fitValue(const QString& value, int width, Column::Align align)
{
    // Composed form, so that a letter with its accent counts as one character.
    const QString v = value.trimmed().normalized(QString::NormalizationForm_C);
    if (v.size() >= width)
        return v.left(width);
    const QString fill(width - v.size(), QLatin1Char(' '));
    return align == Column::Align::Right ? fill + v : v + fill;
}

Document layoutList(const QList<QStringList>& rows, const RaceHeader& header, const ListFormat& format)
{
    Document doc;
    doc.orientation = format.orientation;
    const QString indent(format.indent, QLatin1Char(' '));
    int lineWidth = format.indent;
    for (const Column& c : format.columns)
        lineWidth += c.gapBefore + c.width;

    const int pages = pageCount(rows.size(), format.rowsPerPage);
    doc.pages.reserve(pages);
    Page page;
    appendHeader(page, 1, header, format, indent);

    int running = 0;
    int onPage = 0;
    for (const QStringList& row : rows) {
        ++running;
        ++onPage;
        if (format.isHeading && format.isHeading(row)) {
            // The rule takes a row of the page, so the page stays as long.
            if (onPage > 1 && onPage < format.rowsPerPage) {
                page.append({indent + QString(lineWidth - format.indent, QLatin1Char('_'))});
                ++onPage;
            }
            page.append({indent + oneLine(row.value(format.columns.value(2).source)).trimmed(), true});
        } else {
            QString line;
            line.reserve(lineWidth);
            line += indent;
            for (const Column& c : format.columns) {
                line += QString(c.gapBefore, QLatin1Char(' '));
                const QString value = c.source == Column::RunningNumber ? QString::number(running) : row.value(c.source);
                line += fitValue(value, c.width, c.align);
            }
            page.append({line});
        }

        if (onPage == format.rowsPerPage) {
            const int number = int(doc.pages.size()) + 1;
            page.append(Line{});
            page.append({indent + pageNumber(number)});
            doc.pages.append(page);
            page.clear();
            onPage = 0;
            if (running < rows.size())
                appendHeader(page, number + 1, header, format, indent);
        }
    }
    if (!page.isEmpty())
        doc.pages.append(page);
    return doc;
}

} // namespace print
