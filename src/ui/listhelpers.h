#pragma once

#include "core/listsort.h"

#include <QTreeWidgetItem>
#include <optional>

class QTreeWidget;

// The index of the last selected row in the view's current order, or -1
// when no row is selected. Commands that act on one row of a list with
// several rows selected take this one.
int lastSelectedRow(const QTreeWidget* view);
// The item of lastSelectedRow(), or nullptr.
QTreeWidgetItem* lastSelectedItem(const QTreeWidget* view);

// A row of the start list view that sorts by the kind of its column
// (listsort::startListColumnKind) instead of by text. The sort key of the
// column being sorted is worked out once per row and kept until the cell
// changes or another column is sorted.
class StartListItem : public QTreeWidgetItem {
public:
    static constexpr int Type = QTreeWidgetItem::UserType + 1;

    explicit StartListItem(const QStringList& texts);

    bool operator<(const QTreeWidgetItem& other) const override;
    void setData(int column, int role, const QVariant& value) override;

private:
    const listsort::SortKey& keyFor(int column) const;

    mutable int m_keyColumn = -1;
    mutable std::optional<listsort::SortKey> m_key;
};
