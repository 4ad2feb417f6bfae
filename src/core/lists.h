#pragma once

// The columns of the four lists of the main window, named once: the views,
// the editing dialog, the sort, the printouts and the exports all use these.

#include "core/listsort.h"
#include "core/records.h"
#include "core/standings.h"

#include <QDate>
#include <QList>
#include <QString>
#include <QStringList>

namespace lists {

struct ColumnDef {
    QString heading;
    int width = 0;        // on screen, in pixels
    bool hidden = false;  // the competitor's key travels here
    listsort::Kind kind = listsort::Kind::Text;
};

// lsv1: the start list, in the order the competitors were registered.
// StartStatus: the entry's status (see stateText), filled by whoever knows
// it; after the hidden key, so that every earlier column keeps its index.
// StartCategory: the category an import gave the entry; on screen only,
// and only while some entry of the race has one (startRow() leaves it out).
enum StartColumn { StartRunning, StartNumber, StartName, StartCountry, StartClub, StartSex, StartBirthDate,
                   StartKey, StartStatus, StartCategory, StartColumnCount };
// lsv2: the finish list, in time order.
enum FinishColumn { FinishPlace, FinishNumber, FinishTime, FinishKey, FinishColumnCount };
// lsv3: the finish list with each finisher's details.
enum DetailColumn { DetailPlace, DetailNumber, DetailName, DetailBirthYear, DetailCountry, DetailSex,
                    DetailCategory, DetailTime, DetailColumnCount };
// lsv4: the standings. An entry with a status shows it in StandPlace and
// StandStatus (after the hidden key, so that the others keep their index),
// with no time.
enum StandingsColumn { StandPlace, StandNumber, StandName, StandCountry, StandClub, StandSex, StandCategory,
                       StandBirthYear, StandTime, StandKey, StandStatus, StandingsColumnCount };

const QList<ColumnDef>& startColumns();
const QList<ColumnDef>& finishColumns();
const QList<ColumnDef>& detailColumns();
const QList<ColumnDef>& standingsColumns();

// The headings of a list, in column order.
QStringList headings(const QList<ColumnDef>& columns);

// The text of one cell, as the list shows it. running is the competitor's
// position in registration order from 1; place the finisher's place from 1.
QString startCell(const Competitor& c, int running, int column);
QString finishCell(const FinishRecord& r, int place, int column);
// A finish record's competitor may be missing from the start list (null):
// its details are then empty.
QString detailCell(const FinishRecord& r, const Competitor* c, int place, const QDate& raceDate, int column,
                   const CategoryScheme& scheme = CategoryScheme::standard());
QString standingsCell(const standings::StandingsRow& row, int column);

// The status as every list and file shows it: "DNF", "DNS", or "DSQ: "
// and the reason; empty for none.
QString stateText(const RunStateEntry& entry);

// A whole row, every column.
QStringList startRow(const Competitor& c, int running);
QStringList standingsRow(const standings::StandingsRow& row);

} // namespace lists
