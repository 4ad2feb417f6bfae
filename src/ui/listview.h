#pragma once

#include "core/lists.h"

#include <QTreeView>

class QAbstractItemModel;

namespace ui {

// A report-style list over a model: one row per record, whole rows
// selected, the key columns hidden, the widths of the list's columns.
QTreeView* listView(const char* name, QAbstractItemModel* model, const QList<lists::ColumnDef>& columns);

// The last selected row in the view's current order, or -1 when no row is
// selected. Commands that act on one row of a list with several rows
// selected take this one.
int lastSelectedRow(const QTreeView* view);

// The row of the view's model (through a sorting proxy, the source row)
// behind the last selected row, or -1.
int lastSelectedSourceRow(const QTreeView* view);

// Keeps what the user sees of a list when its model is read again from the
// database: the selected rows and the current row (found again by the
// texts of keyColumns) and the scroll position.
void keepSelectionAcrossResets(QTreeView* view, const QList<int>& keyColumns);

// The rows of the view's source model in the order the view shows them.
QList<int> sourceRowsInViewOrder(const QTreeView* view);

} // namespace ui
