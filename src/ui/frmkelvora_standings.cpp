// Standings: "Obrada" on the reports page.

#include "ui/frmkelvora.h"

#include "core/standings.h"
#include "core/texts.h"

#include <QComboBox>
#include <QLabel>
#include <QRadioButton>
#include <QTreeWidget>

void frmkelvora::cmdobrada_Click()
{
    standings::Selection selection;
    selection.category = cbokateg->currentText();
    if (!standings::isCategoryChosen(selection.category)) {
        lblizvjestaj->setText(tx::noCategoryChosen());
        return;
    }
    if (optzene->isChecked())
        selection.sex = standings::Sex::Women;
    else if (optmuski->isChecked())
        selection.sex = standings::Sex::Men;

    // Without a current race there are no finish records to rank.
    QList<FinishRecord> finishList;
    if (hasCurrentRace()) {
        const auto list = m_db->finishList(currentRaceId());
        if (!list) {
            showDbError(list.error());
            return;
        }
        finishList = list.value();
    }

    const standings::Standings result =
        standings::process(selection, finishList, startList(), currentRaceDate());

    QList<QTreeWidgetItem*> items;
    items.reserve(result.rows.size());
    for (const standings::StandingsRow& row : result.rows) {
        items.append(new QTreeWidgetItem(QStringList{QString::number(row.place), row.sbroj, row.ime, row.drzava,
                                                     row.klub, row.spol, row.kategorija, row.godiste, row.vrijeme,
                                                     QString::number(row.idtakmicara)}));
    }
    lsv4->clear();
    lsv4->addTopLevelItems(items);

    lblizvjestaj->setText(result.caption);
    lblbrojp->setText(QString::number(result.counts.registered));
    lblbrojs->setText(QString::number(result.counts.started));
    lblbrojc->setText(QString::number(result.counts.finished));
}
