// Races: new, open, edit, withdraw, prize fund and categories.

#include "ui/frmkelvora.h"

#include "app/stationmemory.h"
#include "core/texts.h"
#include "data/database.h"
#include "ui/frmizmjenautrke.h"
#include "ui/frmkategorije.h"
#include "ui/frmkup.h"
#include "ui/frmnagrade.h"
#include "ui/frmnovautrka.h"
#include "ui/frmotvoriutrku.h"
#include "ui/messagebox.h"
#include "ui/pageutil.h"

#include <QAction>
#include <QLabel>

void frmkelvora::onNewRace()
{
    frmnovautrka dialog(*m_session, this);
    if (dialog.exec() != QDialog::Accepted)
        return;
    enableRaceMenus();
    selectPage(PageStartList);
}

void frmkelvora::onSeries()
{
    frmkup dialog(*this, this);
    dialog.exec();
}

void frmkelvora::onOpenRace()
{
    frmotvoriutrku dialog(*m_session, this);
    if (!dialog.load() || dialog.exec() != QDialog::Accepted)
        return;
    openRaceById(dialog.raceId());
}

bool frmkelvora::openRaceById(qint64 id)
{
    if (!ui::succeeded(this, m_session->openRace(id)))
        return false;
    raceOpened();
    return true;
}

void frmkelvora::restoreStation()
{
    if (const QByteArray geometry = memory::windowGeometry(); !geometry.isEmpty())
        restoreGeometry(geometry);
    const qint64 last = memory::lastRace(database().displayName());
    if (last == 0 || hasCurrentRace())
        return;
    // Only a race still offered; one withdrawn or gone is left alone, quietly.
    const auto races = m_session->listedRaces();
    if (!races)
        return;
    for (const Race& race : races.value()) {
        if (race.id == last && m_session->openRace(last)) {
            raceOpened();
            return;
        }
    }
}

void frmkelvora::closeEvent(QCloseEvent* event)
{
    memory::rememberWindowGeometry(saveGeometry());
    QMainWindow::closeEvent(event);
}

void frmkelvora::raceOpened()
{
    memory::rememberRace(database().displayName(), m_session->race().id);
    setWindowTitle(tx::raceCaption(m_session->race().ime));
    enableRaceMenus();
    showStartListMenuIfRows();
    selectPage(PageStartList);
}

void frmkelvora::onEditRace()
{
    if (!hasCurrentRace()) {
        MessageBox::notice(this, tx::noOpenRace());
        return;
    }
    frmizmjenautrke dialog(*m_session, lblimeutrke->text(), lblorgutrke->text(), lbldatumutrke->text(), this);
    if (dialog.exec() != QDialog::Accepted)
        return;
    // The title bar names the race by its new name at once.
    setWindowTitle(tx::raceCaption(m_session->race().ime));
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
    if (!ui::succeeded(this, m_session->withdrawRace()))
        return;

    // The race's rows stay in the database; the window forgets the race.
    for (QAction* a : {mnunagrade, mnukategorije, mnuizmjenautrke, mnubrisanjeutrke})
        a->setEnabled(true);
    for (QAction* a : {mnuispisprijavljenih, mnupregledprijavljenih, mnuispisstartne, mnupregledstartne})
        a->setEnabled(false);
    MessageBox::notice(this, tx::raceWithdrawn());
}

void frmkelvora::onPrizes()
{
    // Without a current race there is nothing to show or store into.
    const auto fund = m_session->prizeFund();
    if (!ui::succeeded(this, fund))
        return;
    frmnagrade dialog(*m_session, fund.value(), this);
    dialog.exec();
}

void frmkelvora::onCategories()
{
    const auto labels = m_session->categories();
    if (!ui::succeeded(this, labels))
        return;
    frmkategorije dialog(labels.value(), this);
    dialog.exec();
}
