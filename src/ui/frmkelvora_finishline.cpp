// Timing at the finish line: its menu item and window.

#include "ui/frmkelvora.h"

#include "core/texts_finishline.h"
#include "ui/frmcilj.h"

#include <QAction>
#include <QMenu>

void frmkelvora::buildFinishLineMenus()
{
    mnucilj = mnuedit->addAction(tx::flMenu());
    mnucilj->setObjectName(QStringLiteral("mnucilj"));
    // Needs a race: enabled whenever "Izmjena podataka o utrci" is.
    const auto follow = [this] { mnucilj->setEnabled(mnuizmjenautrke->isEnabled() && m_session->hasRace()); };
    connect(mnuizmjenautrke, &QAction::changed, this, follow);
    connect(m_session.get(), &RaceSession::raceChanged, this, [this, follow] {
        // The window belongs to the race it was opened for.
        if (m_cilj && (!m_session->hasRace() || m_session->race().id != m_cilj->line().raceId()))
            m_cilj->closeWithoutAsking();
        follow();
    });
    follow();
    connect(mnucilj, &QAction::triggered, this, &frmkelvora::onFinishLine);
}

void frmkelvora::onFinishLine()
{
    if (!m_session->hasRace())
        return;
    if (!m_cilj) {
        m_cilj = new frmcilj(*m_session, {}, this);
        m_cilj->setAttribute(Qt::WA_DeleteOnClose);
        m_cilj->setEditLog(m_editLog);
    }
    m_cilj->show();
    m_cilj->raise();
    m_cilj->activateWindow();
}
