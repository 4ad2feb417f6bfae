// Competitors: adding, editing and deleting start-list entries.

#include "ui/frmkelvora.h"

#include "ui/competitorfields.h"
#include "ui/frmizmjena.h"
#include "ui/listhelpers.h"
#include "ui/messagebox.h"
#include "core/texts.h"

#include <QComboBox>
#include <QLineEdit>
#include <QTreeWidget>

namespace {

constexpr int kColName = 2;
constexpr int kColKey = 7;

} // namespace

void frmkelvora::cmddodaj_Click()
{
    if (!hasCurrentRace()) {
        MessageBox::notice(this, tx::openRaceFirst());
        return;
    }
    const CompetitorFields fields{txtime, txtsbroj, txtdrzava, txtklub, cbospol, txtdatumrod};
    if (!fields.check(this, currentRaceDate(), m_startNumbers, 0))
        return;

    Competitor c = fields.values();
    c.idutrke = currentRaceId();
    if (const auto stored = m_db->insertCompetitor(c); !stored) {
        // The entry stays in the fields so that nothing typed is lost.
        showDbError(stored.error());
        return;
    }

    fields.clearTexts();
    popunalsv1();
    showStartListMenuIfRows();
    txtime->setFocus(Qt::OtherFocusReason);
}

void frmkelvora::onEditCompetitor()
{
    const QTreeWidgetItem* row = lastSelectedItem(lsv1);
    if (!row) {
        MessageBox::notice(this, tx::noCompetitorSelected());
        return;
    }
    frmizmjena dialog(*this);
    dialog.setRow(*row);
    dialog.exec();
}

void frmkelvora::onDeleteCompetitor()
{
    if (lsv1->topLevelItemCount() == 0) {
        MessageBox::notice(this, tx::noCompetitors());
        return;
    }
    // With nothing selected (the command is also on the menu bar) the key is
    // 0, which matches no competitor: the question names nobody and nothing
    // is deleted.
    qint64 id = 0;
    QString name;
    if (const QTreeWidgetItem* row = lastSelectedItem(lsv1)) {
        id = row->text(kColKey).toLongLong();
        name = row->text(kColName);
    }

    const qint64 raceId = currentRaceId();
    const auto finished = m_db->hasFinishRecord(raceId, id);
    if (!finished) {
        showDbError(finished.error());
        return;
    }
    const bool withFinishRecord = finished.value();
    const bool confirmed = withFinishRecord
        ? MessageBox::ask(this, tx::deleteFinisherTitle(), tx::deleteFinisherQuestion(name), QMessageBox::Critical)
        : MessageBox::ask(this, tx::deleteCompetitorTitle(), tx::deleteCompetitorQuestion(name),
                          QMessageBox::Question);
    if (!confirmed)
        return;

    if (const DbStatus deleted = m_db->deleteCompetitor(raceId, id, withFinishRecord); !deleted) {
        showDbError(deleted.error());
        return;
    }
    popunalsv1();
}
