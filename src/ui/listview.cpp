#include "ui/listview.h"

#include <QAbstractProxyModel>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QScrollBar>
#include <QSet>
#include <memory>

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

namespace {

QString rowKey(const QAbstractItemModel* model, int row, const QList<int>& columns)
{
    QString key;
    for (const int column : columns)
        key += model->index(row, column).data().toString() + QChar(0x1f);
    return key;
}

} // namespace

void keepSelectionAcrossResets(QTreeView* view, const QList<int>& keyColumns)
{
    struct Kept {
        QSet<QString> selected;
        QString current;
        int scroll = 0;
    };
    auto kept = std::make_shared<Kept>();
    QAbstractItemModel* model = view->model();
    QObject::connect(model, &QAbstractItemModel::modelAboutToBeReset, view, [view, kept, keyColumns] {
        const QAbstractItemModel* m = view->model();
        kept->selected.clear();
        for (const QModelIndex& index : view->selectionModel()->selectedRows())
            kept->selected.insert(rowKey(m, index.row(), keyColumns));
        const QModelIndex current = view->selectionModel()->currentIndex();
        kept->current = current.isValid() ? rowKey(m, current.row(), keyColumns) : QString();
        kept->scroll = view->verticalScrollBar()->value();
    });
    QObject::connect(model, &QAbstractItemModel::modelReset, view, [view, kept, keyColumns] {
        if (kept->selected.isEmpty() && kept->current.isEmpty())
            return;
        const QAbstractItemModel* m = view->model();
        const int last = m->columnCount() - 1;
        QItemSelection selection;
        QModelIndex current;
        for (int row = 0; row < m->rowCount(); ++row) {
            const QString key = rowKey(m, row, keyColumns);
            if (kept->selected.contains(key))
                selection.select(m->index(row, 0), m->index(row, last));
            if (!kept->current.isEmpty() && key == kept->current)
                current = m->index(row, 0);
        }
        if (current.isValid())
            view->selectionModel()->setCurrentIndex(current, QItemSelectionModel::NoUpdate);
        view->selectionModel()->select(selection, QItemSelectionModel::ClearAndSelect);
        view->verticalScrollBar()->setValue(kept->scroll);
    });
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
