#pragma once

#include "core/records.h"

#include <QDate>
#include <QList>
#include <QStringList>

namespace standings {

// Rows of the finish list, one per record in the given (time) order, places
// from 1, never shared or skipped. Columns: place, start number, time,
// competitor key.
QList<QStringList> finishListRows(const QList<FinishRecord>& finishes);

// Rows of the detailed finish list, one per record in time order (equal
// times keep the given order). Columns: place, start number, name, birth year, country, sex, category,
// time. Each competitor is found by key in the start list; a record whose
// competitor is no longer on the start list keeps its place, start number
// and time and has the other columns empty.
QList<QStringList> finishDetailRows(const QList<FinishRecord>& finishes, const QList<Competitor>& startList,
                                    const QDate& raceDate);

} // namespace standings
