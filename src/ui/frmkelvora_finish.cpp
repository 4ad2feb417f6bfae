// Finish list: entry, removal and the refresh of the results and reports pages.

#include "ui/frmkelvora.h"

#include "core/finishlist.h"
#include "ui/fieldrules.h"
#include "ui/listhelpers.h"
#include "ui/messagebox.h"
#include "core/texts.h"
#include "core/timerules.h"

#include <QAction>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QTreeWidget>

namespace {

// Replaces the rows of a list view with rows, one text per column.
void fillList(QTreeWidget* list, const QList<QStringList>& rows)
{
    list->clear();
    QList<QTreeWidgetItem*> items;
    items.reserve(rows.size());
    for (const QStringList& row : rows)
        items.append(new QTreeWidgetItem(row));
    list->addTopLevelItems(items);
}

} // namespace

void frmkelvora::cmdunos_Click()
{
    if (!hasCurrentRace()) {
        MessageBox::notice(this, tx::openRaceFirstFinish());
        return;
    }
    if (!rules::isFinishTime(txtvrijeme->text())) {
        MessageBox::notice(this, tx::timeExample());
        rules::markField(txtvrijeme);
        return;
    }
    // An empty start number would match a registered competitor who has
    // none and give them somebody else's time.
    if (txtsbrojr->text().trimmed().isEmpty()) {
        MessageBox::notice(this, tx::enterStartNumber());
        rules::markField(txtsbrojr);
        return;
    }
    const qsizetype position = m_startNumbers.first(txtsbrojr->text());
    if (position < 0) {
        MessageBox::notice(this, tx::startNumberNotOnList());
        return;
    }
    const Competitor& competitor = m_startList.at(position);
    // Asked of the database, not of the list on screen, so that no state
    // of the window can let a second record in.
    const auto finished = m_db->hasFinishRecord(currentRaceId(), competitor.id);
    if (!finished) {
        showDbError(finished.error());
        return;
    }
    if (finished.value()) {
        MessageBox::notice(this, tx::finisherAlreadyEntered());
        rules::markField(txtsbrojr);
        return;
    }

    FinishRecord record;
    record.idutrke = currentRaceId();
    record.sbroj = txtsbrojr->text();
    record.idtakmicara = competitor.id;
    record.vrijeme = txtvrijeme->text();
    if (const auto stored = m_db->insertFinishRecord(record); !stored) {
        showDbError(stored.error());
        return;
    }

    // Through page 0 back to the results page: its refresh rebuilds both
    // finish lists, the counters and the menus.
    selectPage(PageStartList);
    selectPage(PageResults);
    txtsbrojr->clear();
    txtvrijeme->clear();
    txtsbrojr->setFocus(Qt::OtherFocusReason);
}

void frmkelvora::onFinishListContextMenu(const QPoint& pos)
{
    // Offered whether or not the list has rows; the item then does nothing.
    mnuciljnalista->popup(lsv2->viewport()->mapToGlobal(pos));
}

void frmkelvora::onDeleteFinish()
{
    if (lsv2->topLevelItemCount() == 0)
        return;

    // The last selected row wins; with none selected nothing is removed.
    QString startNumber;
    qint64 competitorId = 0;
    if (const QTreeWidgetItem* item = lastSelectedItem(lsv2)) {
        startNumber = item->text(1);
        competitorId = item->text(3).toLongLong();
    }
    if (!MessageBox::ask(this, tx::deleteCompetitorTitle(), tx::deleteFinishQuestion(startNumber),
                         QMessageBox::Question))
        return;

    if (competitorId != 0) {
        if (const DbStatus removed = m_db->deleteFinishRecord(currentRaceId(), competitorId); !removed) {
            showDbError(removed.error());
            return;
        }
    }

    selectPage(PageStartList);
    selectPage(PageResults);
    txtsbrojr->setFocus(Qt::OtherFocusReason);
}

void frmkelvora::refreshResultsPage()
{
    mnustartnalista->menuAction()->setVisible(false);
    if (lsv1->topLevelItemCount() == 0) {
        MessageBox::notice(this, tx::startListEmpty());
        selectPage(PageStartList);
        return;
    }
    if (!hasCurrentRace()) {
        MessageBox::notice(this, tx::openOrCreateRace());
        return;
    }

    qsizetype started = 0;
    for (const Competitor& c : m_startList) {
        if (!c.sbroj.trimmed().isEmpty())
            ++started;
    }
    lbliz4->setText(QString::number(m_startList.size()));
    lbliz5->setText(QString::number(started));

    m_finishList.clear();
    const auto finishes = m_db->finishList(currentRaceId());
    if (!finishes) {
        lsv2->clear();
        lsv3->clear();
        lbliz6->clear();
        showDbError(finishes.error());
        return;
    }
    m_finishList = finishes.value();
    fillList(lsv2, standings::finishListRows(m_finishList));
    fillList(lsv3, standings::finishDetailRows(m_finishList, m_startList, currentRaceDate()));
    lbliz6->setText(QString::number(m_finishList.size()));
    if (!m_finishList.isEmpty())
        mnuciljnalista->menuAction()->setVisible(true);
}

void frmkelvora::refreshReportsPage()
{
    mnustartnalista->menuAction()->setVisible(false);
    mnuciljnalista->menuAction()->setVisible(false);
    if (!hasCurrentRace()) {
        MessageBox::notice(this, tx::openOrCreateRace());
        return;
    }
    const auto labels = m_db->categories();
    if (!labels) {
        showDbError(labels.error());
        return;
    }
    // Emptied first, so that repeated visits do not repeat the entries.
    const QString chosen = cbokateg->currentText();
    cbokateg->clear();
    cbokateg->addItem(tx::categoryAll());
    cbokateg->addItems(labels.value());
    cbokateg->setCurrentIndex(qMax(0, cbokateg->findText(chosen)));
}
