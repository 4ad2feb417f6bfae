// Undo, redo and the change log of the Edit menu.

#include "ui/frmkelvora.h"

#include "app/editlog.h"
#include "core/texts_editlog.h"
#include "ui/frmdnevnik.h"
#include "ui/pageutil.h"

#include <QAction>
#include <QMenu>
#include <QTimer>

void frmkelvora::buildEditLogMenus()
{
    m_editLog = new EditLog(*m_session, this);
    mnuedit->addSeparator()->setObjectName(QStringLiteral("mnucrtadnevnik"));
    mnuponisti = mnuedit->addAction(tx::menuUndo());
    mnuponisti->setObjectName(QStringLiteral("mnuponisti"));
    mnuponisti->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Z));
    mnuponovi = mnuedit->addAction(tx::menuRedo());
    mnuponovi->setObjectName(QStringLiteral("mnuponovi"));
    mnuponovi->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z));
    mnudnevnik = mnuedit->addAction(tx::menuChangeLog());
    mnudnevnik->setObjectName(QStringLiteral("mnudnevnik"));
    // A text field takes Ctrl+Z and Ctrl+Shift+Z for its own text first
    // (QLineEdit's shortcut override): the items act when the focus is elsewhere.
    const auto follow = [this] {
        mnuponisti->setEnabled(m_editLog->canUndo());
        mnuponisti->setText(tx::menuUndoOf(m_editLog->undoText()));
        mnuponovi->setEnabled(m_editLog->canRedo());
        mnuponovi->setText(tx::menuRedoOf(m_editLog->redoText()));
        mnudnevnik->setEnabled(m_session->hasRace());
    };
    connect(m_editLog, &EditLog::changed, this, follow);
    connect(m_session.get(), &RaceSession::raceChanged, this, follow);
    // Another station's changes never reach these stacks, a change that
    // emits nothing (the prize fund) is seen when the menu opens.
    connect(mnuedit, &QMenu::aboutToShow, m_editLog, &EditLog::sync);
    connect(mnuponisti, &QAction::triggered, this, [this] { stepHistory(true); });
    connect(mnuponovi, &QAction::triggered, this, [this] { stepHistory(false); });
    connect(mnudnevnik, &QAction::triggered, this, &frmkelvora::onChangeLog);
    follow();
    // The database opens after the menus are built: the history is read once it is.
    QTimer::singleShot(0, m_editLog, &EditLog::sync);
}

void frmkelvora::stepHistory(bool undo)
{
    const qint64 before = m_session->hasRace() ? m_session->race().id : 0;
    const Status done = undo ? m_editLog->undo() : m_editLog->redo();
    // A change of another race opens that race: the window shows it as
    // "Otvori utrku" would, its menus enabled.
    if (m_session->hasRace() && m_session->race().id != before)
        raceOpened();
    ui::succeeded(this, done);
}

void frmkelvora::onChangeLog()
{
    frmdnevnik dialog(*m_session, this);
    connect(&dialog, &frmdnevnik::stationRenamed, m_editLog, &EditLog::restart);
    if (dialog.load())
        dialog.exec();
}
