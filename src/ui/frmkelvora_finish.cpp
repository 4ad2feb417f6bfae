// Finish list: entry, removal and the refresh of the results and reports pages.

#include "ui/frmkelvora.h"

#include "ui/messagebox.h"
#include "ui/texts.h"

#include <QAction>
#include <QComboBox>
#include <QMenu>

void frmkelvora::cmdunos_Click()
{
}

void frmkelvora::onFinishListContextMenu(const QPoint&)
{
}

void frmkelvora::onDeleteFinish()
{
}

void frmkelvora::refreshResultsPage()
{
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
