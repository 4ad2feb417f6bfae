#include "core/lists.h"

#include "core/age.h"
#include "core/dates.h"
#include "core/runstates.h"
#include "core/texts.h"

namespace lists {

namespace {

using listsort::Kind;

// The headings with the status heading after the hidden key.
QStringList withStatus(QStringList headings)
{
    headings.append(tx::columnStatus());
    return headings;
}

QList<ColumnDef> withHeadings(const QStringList& headings, QList<ColumnDef> columns)
{
    for (qsizetype i = 0; i < columns.size() && i < headings.size(); ++i)
        columns[i].heading = headings.at(i);
    return columns;
}

QString yearText(const QDate& date)
{
    return standings::birthYearText(date);
}

} // namespace

const QList<ColumnDef>& startColumns()
{
    static const QList<ColumnDef> columns = withHeadings(
        withStatus(tx::columnsStartList()) << tx::columnImportedCategory(),
        {{{}, 45, false, Kind::Number}, {{}, 55, false, Kind::Natural}, {{}, 150, false, Kind::Text},
         {{}, 85, false, Kind::Text},   {{}, 85, false, Kind::Text},    {{}, 40, false, Kind::Text},
         {{}, 80, false, Kind::Date},   {{}, 0, true, Kind::Number},    {{}, 60, false, Kind::Text},
         {{}, 0, true, Kind::Text}});
    return columns;
}

const QList<ColumnDef>& finishColumns()
{
    // Narrow enough that place, start number and time all show in the panel.
    static const QList<ColumnDef> columns = withHeadings(
        tx::columnsFinishList(), {{{}, 60, false, Kind::Number}, {{}, 60, false, Kind::Natural},
                                  {{}, 70, false, Kind::Text},   {{}, 0, true, Kind::Number}});
    return columns;
}

const QList<ColumnDef>& detailColumns()
{
    static const QList<ColumnDef> columns = withHeadings(
        tx::columnsFinishDetails(), {{{}, 40, false, Kind::Number}, {{}, 50, false, Kind::Natural},
                                     {{}, 140, false, Kind::Text},  {{}, 60, false, Kind::Number},
                                     {{}, 60, false, Kind::Text},   {{}, 40, false, Kind::Text},
                                     {{}, 65, false, Kind::Text},   {{}, 100, false, Kind::Text}});
    return columns;
}

const QList<ColumnDef>& standingsColumns()
{
    static const QList<ColumnDef> columns = withHeadings(
        withStatus(tx::columnsStandings()), {{{}, 40, false, Kind::Number}, {{}, 50, false, Kind::Natural},
                                 {{}, 150, false, Kind::Text},  {{}, 80, false, Kind::Text},
                                 {{}, 80, false, Kind::Text},   {{}, 40, false, Kind::Text},
                                 {{}, 65, false, Kind::Text},   {{}, 65, false, Kind::Number},
                                 {{}, 65, false, Kind::Text},   {{}, 0, true, Kind::Number},
                                 {{}, 60, false, Kind::Text}});
    return columns;
}

QStringList headings(const QList<ColumnDef>& columns)
{
    QStringList texts;
    texts.reserve(columns.size());
    for (const ColumnDef& c : columns)
        texts.append(c.heading);
    return texts;
}

QString startCell(const Competitor& c, int running, int column)
{
    switch (column) {
    case StartRunning:
        return QString::number(running);
    case StartNumber:
        return c.sbroj;
    case StartName:
        return c.ime;
    case StartCountry:
        return c.drzava;
    case StartClub:
        return c.klub;
    case StartCategory:
        return c.kategorija;
    case StartSex:
        return c.spol;
    case StartBirthDate:
        return kvr::formatDate(c.datum);
    case StartKey:
        return QString::number(c.id);
    default:
        return {};
    }
}

QString finishCell(const FinishRecord& r, int place, int column)
{
    switch (column) {
    case FinishPlace:
        return QString::number(place);
    case FinishNumber:
        return r.sbroj;
    case FinishTime:
        return r.vrijeme;
    case FinishKey:
        return QString::number(r.idtakmicara);
    default:
        return {};
    }
}

QString detailCell(const FinishRecord& r, const Competitor* c, int place, const QDate& raceDate, int column,
                   const CategoryScheme& scheme)
{
    switch (column) {
    case DetailPlace:
        return QString::number(place);
    case DetailNumber:
        return r.sbroj;
    case DetailTime:
        return r.vrijeme;
    default:
        break;
    }
    if (!c)
        return {};
    switch (column) {
    case DetailName:
        return c->ime;
    case DetailBirthYear:
        return yearText(c->datum);
    case DetailCountry:
        return c->drzava;
    case DetailSex:
        return c->spol;
    case DetailCategory:
        return standings::categoryFor(c->spol, c->datum, raceDate, scheme, c->kategorija);
    default:
        return {};
    }
}

QString standingsCell(const standings::StandingsRow& row, int column)
{
    switch (column) {
    case StandPlace:
        // A row without a place and status is a heading of the prize list.
        if (row.state == RunState::None)
            return row.place > 0 ? QString::number(row.place) : QString();
        return runstates::code(row.state);
    case StandStatus:
        return stateText({row.state, row.reason});
    case StandNumber:
        return row.sbroj;
    case StandName:
        return row.ime;
    case StandCountry:
        return row.drzava;
    case StandClub:
        return row.klub;
    case StandSex:
        return row.spol;
    case StandCategory:
        return row.kategorija;
    case StandBirthYear:
        return row.godiste;
    case StandTime:
        return row.vrijeme;
    case StandKey:
        return QString::number(row.idtakmicara);
    default:
        return {};
    }
}

QString stateText(const RunStateEntry& entry)
{
    if (entry.state == RunState::Dsq && !entry.reason.isEmpty())
        return runstates::code(entry.state) + QStringLiteral(": ") + entry.reason;
    return runstates::code(entry.state);
}

QStringList startRow(const Competitor& c, int running)
{
    QStringList row;
    row.reserve(StartCategory);
    for (int column = 0; column < StartCategory; ++column)
        row.append(startCell(c, running, column));
    return row;
}

QStringList standingsRow(const standings::StandingsRow& row)
{
    QStringList texts;
    texts.reserve(StandingsColumnCount);
    for (int column = 0; column < StandingsColumnCount; ++column)
        texts.append(standingsCell(row, column));
    return texts;
}

} // namespace lists
