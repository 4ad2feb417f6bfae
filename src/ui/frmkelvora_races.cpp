// Races: new, open, edit, withdraw, prize fund and categories.

#include "ui/frmkelvora.h"

#include "ui/frmizmjenautrke.h"
#include "ui/frmkategorije.h"
#include "ui/frmnagrade.h"
#include "ui/frmnovautrka.h"
#include "ui/frmotvoriutrku.h"
#include "ui/messagebox.h"
#include "core/texts.h"

#include <QAction>
#include <QLabel>

void frmkelvora::onNewRace()
{
    frmnovautrka dialog(*m_db, this);
    if (dialog.exec() != QDialog::Accepted)
        return;

    // The new race shows its date exactly as typed.
    setCurrentRace(dialog.race());
    lbldatumutrke->setText(dialog.dateText());
    fillStartList({});
    enableRaceMenus();
    selectPage(PageStartList);
}

void frmkelvora::onOpenRace()
{
    frmotvoriutrku dialog(*m_db, this);
    if (!dialog.load() || dialog.exec() != QDialog::Accepted)
        return;

    openRace(dialog.race());
}

bool frmkelvora::openRaceById(qint64 id)
{
    const auto race = m_db->race(id);
    if (!race) {
        showDbError(race.error());
        return false;
    }
    return openRace(race.value());
}

bool frmkelvora::openRace(const Race& race)
{
    // The start list is read before anything changes, so a failed read
    // leaves the window with the race it had.
    const auto list = m_db->startList(race.id);
    if (!list) {
        showDbError(list.error());
        return false;
    }
    setCurrentRace(race);
    setWindowTitle(tx::raceCaption(race.ime));
    fillStartList(list.value());
    enableRaceMenus();
    showStartListMenuIfRows();
    selectPage(PageStartList);
    return true;
}

void frmkelvora::onEditRace()
{
    if (!hasCurrentRace()) {
        MessageBox::notice(this, tx::noOpenRace());
        return;
    }
    frmizmjenautrke dialog(*m_db, currentRaceId(), lblimeutrke->text(), lblorgutrke->text(),
                           lbldatumutrke->text(), this);
    if (dialog.exec() != QDialog::Accepted)
        return;

    // The stored values; the date in the form lists show.
    setCurrentRace(dialog.race());
    showStartListMenuIfRows();
}

void frmkelvora::onWithdrawRace()
{
    if (!hasCurrentRace()) {
        MessageBox::notice(this, tx::noOpenRace());
        return;
    }
    if (!MessageBox::ask(this, tx::withdrawRaceTitle(), tx::withdrawRaceQuestion(lblimeutrke->text()),
                         QMessageBox::Critical))
        return;
    if (const DbStatus withdrawn = m_db->withdrawRace(currentRaceId()); !withdrawn) {
        showDbError(withdrawn.error());
        return;
    }

    // The race's rows stay in the database; the window forgets the race.
    clearCurrentRace();
    fillStartList({});
    for (QAction* a : {mnunagrade, mnukategorije, mnuizmjenautrke, mnubrisanjeutrke})
        a->setEnabled(true);
    mnuispisprijavljenih->setEnabled(false);
    mnuispisstartne->setEnabled(false);
    MessageBox::notice(this, tx::raceWithdrawn());
}

void frmkelvora::onPrizes()
{
    // Without a current race there is nothing to show or store into.
    if (!hasCurrentRace()) {
        MessageBox::notice(this, tx::noOpenRace());
        return;
    }
    const auto race = m_db->race(currentRaceId());
    if (!race) {
        showDbError(race.error());
        return;
    }
    frmnagrade dialog(*m_db, race.value().id, race.value().nagrade, this);
    dialog.exec();
}

void frmkelvora::onCategories()
{
    const auto labels = m_db->categories();
    if (!labels) {
        showDbError(labels.error());
        return;
    }
    frmkategorije dialog(labels.value(), this);
    dialog.exec();
}
