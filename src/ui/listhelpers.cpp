#include "ui/listhelpers.h"

#include <QItemSelectionModel>
#include <QTreeWidget>

int lastSelectedRow(const QTreeWidget* view)
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

QTreeWidgetItem* lastSelectedItem(const QTreeWidget* view)
{
    const int row = lastSelectedRow(view);
    return row < 0 ? nullptr : view->topLevelItem(row);
}

StartListItem::StartListItem(const QStringList& texts)
    : QTreeWidgetItem(texts, Type)
{
}

bool StartListItem::operator<(const QTreeWidgetItem& other) const
{
    const QTreeWidget* view = treeWidget();
    const int column = view ? view->sortColumn() : 0;
    if (other.type() != Type)
        return QTreeWidgetItem::operator<(other);
    return keyFor(column).compare(static_cast<const StartListItem&>(other).keyFor(column)) < 0;
}

void StartListItem::setData(int column, int role, const QVariant& value)
{
    if (column == m_keyColumn)
        m_keyColumn = -1;
    QTreeWidgetItem::setData(column, role, value);
}

const listsort::SortKey& StartListItem::keyFor(int column) const
{
    if (column != m_keyColumn || !m_key) {
        m_key.emplace(listsort::startListColumnKind(column), text(column));
        m_keyColumn = column;
    }
    return *m_key;
}
