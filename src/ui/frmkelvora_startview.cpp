// The start list view: refill, sorting by column, right-click menu, double click.

#include "ui/frmkelvora.h"

#include "core/dates.h"
#include "ui/listhelpers.h"
#include "ui/messagebox.h"
#include "core/texts.h"

#include <QAction>
#include <QHeaderView>
#include <QMenu>
#include <QMouseEvent>
#include <QTreeWidget>
#include <functional>

namespace {

// Runs an action on every left double click in a widget, on a row or on
// the empty space of a list alike.
class DoubleClickWatcher : public QObject {
public:
    DoubleClickWatcher(QWidget* watched, std::function<void()> action)
        : QObject(watched)
        , m_action(std::move(action))
    {
        watched->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() == QEvent::MouseButtonDblClick
            && static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton)
            m_action();
        return false;
    }

private:
    std::function<void()> m_action;
};

Qt::SortOrder sortOrder(bool descending)
{
    return descending ? Qt::DescendingOrder : Qt::AscendingOrder;
}

} // namespace

void frmkelvora::setupStartListView()
{
    new DoubleClickWatcher(lsv1->viewport(), [this] { onStartListDoubleClicked(); });
}

bool frmkelvora::popunalsv1()
{
    const auto list = m_db->startList(currentRaceId());
    if (!list) {
        lsv1->clear();
        m_startList.clear();
        m_startNumbers = {};
        showDbError(list.error());
        return false;
    }
    fillStartList(list.value());
    return true;
}

void frmkelvora::fillStartList(const QList<Competitor>& list)
{
    lsv1->clear();
    m_startList = list;
    m_startNumbers = rules::StartNumberIndex(m_startList);

    QList<QTreeWidgetItem*> items;
    items.reserve(m_startList.size());
    int running = 0;
    for (const Competitor& c : m_startList) {
        items.append(new StartListItem(QStringList{QString::number(++running), c.sbroj, c.ime, c.drzava, c.klub,
                                                   c.spol, kvr::formatDate(c.datum), QString::number(c.id)}));
    }
    lsv1->addTopLevelItems(items);
    // The running numbers follow the fill order; the display keeps the
    // order the user chose by the column headers.
    if (m_sortColumn >= 0)
        lsv1->sortItems(m_sortColumn, sortOrder(m_sortDescending));
}

void frmkelvora::onStartListHeaderClicked(int section)
{
    if (section == m_sortColumn) {
        m_sortDescending = !m_sortDescending;
    } else {
        m_sortColumn = section;
        m_sortDescending = false;
    }
    lsv1->header()->setSortIndicatorShown(true);
    lsv1->sortItems(m_sortColumn, sortOrder(m_sortDescending));
}

void frmkelvora::onStartListContextMenu(const QPoint& pos)
{
    if (lsv1->topLevelItemCount() == 0)
        return;
    if (QTreeWidgetItem* item = lsv1->itemAt(pos))
        lsv1->setCurrentItem(item, 0, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    mnustartnalista->popup(lsv1->viewport()->mapToGlobal(pos));
}

void frmkelvora::onStartListDoubleClicked()
{
    if (lsv1->topLevelItemCount() == 0) {
        MessageBox::notice(this, tx::emptyListDoubleClick());
        return;
    }
    // With a row selected, the editing command runs exactly as from the menu.
    if (lastSelectedRow(lsv1) >= 0)
        mnuizmjenatakmicara->trigger();
    else
        MessageBox::notice(this, tx::selectRowToEdit());
}
