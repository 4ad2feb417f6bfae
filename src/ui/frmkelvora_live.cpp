// The live results: the menu item, the window, the server beside the session.

#include "ui/frmkelvora.h"

#include "core/texts_live.h"
#include "ui/frmuzivo.h"
#include "web/liveresultsserver.h"

#include <QAction>
#include <QMenu>

LiveResultsServer& frmkelvora::liveServer()
{
    if (!m_live)
        m_live = std::make_unique<LiveResultsServer>(*m_session);
    return *m_live;
}

void frmkelvora::buildLiveMenu()
{
    mnuuzivo = mnuedit->addAction(tx::menuLive());
    mnuuzivo->setObjectName(QStringLiteral("mnuuzivo"));
    connect(mnuuzivo, &QAction::triggered, this, &frmkelvora::onLiveResults);
}

void frmkelvora::onLiveResults()
{
    // Not modal: the code can stay on a screen while the work goes on.
    if (!m_liveWindow) {
        m_liveWindow = new frmuzivo(liveServer(), this);
        m_liveWindow->setAttribute(Qt::WA_DeleteOnClose);
    }
    m_liveWindow->show();
    m_liveWindow->raise();
    m_liveWindow->activateWindow();
}
