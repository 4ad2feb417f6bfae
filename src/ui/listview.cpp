#include "ui/listview.h"

#include <QAbstractProxyModel>
#include <QHeaderView>
#include <QItemSelectionModel>

namespace ui {

QTreeView* listView(const char* name, QAbstractItemModel* model, const QList<lists::ColumnDef>& columns)
{
    auto* list = new QTreeView;
    list->setObjectName(QString::fromLatin1(name));
    list->setModel(model);
    list->setRootIsDecorated(false);
    list->setItemsExpandable(false);
    list->setUniformRowHeights(true);
    list->setAllColumnsShowFocus(true);
    list->setAlternatingRowColors(true);
    list->setSelectionBehavior(QAbstractItemView::SelectRows);
    list->setSelectionMode(QAbstractItemView::ExtendedSelection);
    list->setEditTriggers(QAbstractItemView::NoEditTriggers);
    list->setSortingEnabled(false);
    list->header()->setStretchLastSection(false);
    list->header()->setSectionResizeMode(QHeaderView::Interactive);
    for (int column = 0; column < columns.size(); ++column) {
        const lists::ColumnDef& def = columns.at(column);
        if (def.hidden)
            list->setColumnHidden(column, true);
        else
            list->setColumnWidth(column, def.width);
    }
    return list;
}

int lastSelectedRow(const QTreeView* view)
{
    // The selection is kept as ranges of rows, so this stays quick when
    // thousands of rows are selected.
    int last = -1;
    for (const QItemSelectionRange& range : view->selectionModel()->selection()) {
        if (!range.parent().isValid())
            last = qMax(last, range.bottom());
    }
    return last;
}

int lastSelectedSourceRow(const QTreeView* view)
{
    const int row = lastSelectedRow(view);
    if (row < 0)
        return -1;
    const QModelIndex index = view->model()->index(row, 0);
    if (const auto* proxy = qobject_cast<const QAbstractProxyModel*>(view->model()))
        return proxy->mapToSource(index).row();
    return row;
}

QList<int> sourceRowsInViewOrder(const QTreeView* view)
{
    const QAbstractItemModel* model = view->model();
    const auto* proxy = qobject_cast<const QAbstractProxyModel*>(model);
    const int count = model->rowCount();
    QList<int> rows;
    rows.reserve(count);
    for (int row = 0; row < count; ++row)
        rows.append(proxy ? proxy->mapToSource(proxy->index(row, 0)).row() : row);
    return rows;
}

} // namespace ui
