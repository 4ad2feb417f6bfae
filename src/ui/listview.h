#pragma once

#include "core/lists.h"

#include <QTreeView>
#include <functional>

class QAbstractItemModel;

class RaceSession;

namespace ui {

// A report-style list over a model: one row per record, whole rows
// selected, the key columns hidden, the widths of the list's columns. The
// widths follow the content as the rows and the list's size change (see
// lists::fitWidths) until the user drags a column's edge.
QTreeView* listView(const char* name, QAbstractItemModel* model, const QList<lists::ColumnDef>& columns);

// The last selected row in the view's current order, or -1 when no row is
// selected. Commands that act on one row of a list with several rows
// selected take this one.
int lastSelectedRow(const QTreeView* view);

// The row of the view's model (through sorting and filtering proxies, the
// row of the model under them all) behind the last selected row, or -1.
int lastSelectedSourceRow(const QTreeView* view);

// Keeps what the user sees of a list when its model is read again from the
// database: the selected rows and the current row (found again by the
// texts of keyColumns) and the scroll position.
void keepSelectionAcrossResets(QTreeView* view, const QList<int>& keyColumns);

// The column shows only while used() says so, looked at after every change
// of the lists or of the race.
void showColumnWhenUsed(QTreeView* view, int column, RaceSession& session, const std::function<bool()>& used);
// The status column shows only while some entry of the race has a status
// (DNS, DNF, DSQ), as in the printouts: followed at every change of the lists.
void showStatusColumnWhenUsed(QTreeView* view, int column, RaceSession& session);
// The start list's column of imported categories, the same way: shown
// while some entry of the race has one.
void showCategoryColumnWhenUsed(QTreeView* view, int column, RaceSession& session);

// The rows of the view's source model in the order the view shows them.
QList<int> sourceRowsInViewOrder(const QTreeView* view);

// The view's row of a row of the model under its proxies, or an invalid
// index when the view leaves it out.
QModelIndex viewIndexOfSourceRow(const QTreeView* view, int sourceRow);

} // namespace ui
