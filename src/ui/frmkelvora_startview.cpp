// The start list view: refill, sorting by column, right-click menu, double click.

#include "ui/frmkelvora.h"

#include "data/dates.h"

#include <QTreeWidget>

bool frmkelvora::popunalsv1()
{
    lsv1->clear();
    m_startList.clear();
    const auto list = m_db->startList(currentRaceId());
    if (!list) {
        showDbError(list.error());
        return false;
    }
    m_startList = list.value();

    QList<QTreeWidgetItem*> items;
    items.reserve(m_startList.size());
    int running = 0;
    for (const Competitor& c : m_startList) {
        items.append(new QTreeWidgetItem(QStringList{QString::number(++running), c.sbroj, c.ime, c.drzava, c.klub,
                                                     c.spol, kvr::formatDate(c.datum), QString::number(c.id)}));
    }
    lsv1->addTopLevelItems(items);
    return true;
}

void frmkelvora::onStartListHeaderClicked(int)
{
}

void frmkelvora::onStartListContextMenu(const QPoint&)
{
}

void frmkelvora::onStartListDoubleClicked()
{
}
