// Statuses of entries, the race's settings and the results check.

#include "ui/frmkelvora.h"

#include "core/texts.h"
#include "ui/frmcilj.h"
#include "ui/frmpostavke.h"
#include "ui/frmprovjera.h"
#include "ui/frmstatus.h"
#include "ui/listview.h"
#include "ui/messagebox.h"
#include "ui/pageutil.h"

#include <QAction>
#include <QMenu>
#include <QTreeView>
#include <algorithm>

void frmkelvora::buildStateMenus()
{
    auto action = [](QMenu* menu, const char* name, const QString& caption) {
        QAction* a = menu->addAction(caption);
        a->setObjectName(QString::fromLatin1(name));
        return a;
    };
    mnucrta2 = mnuedit->addSeparator();
    mnucrta2->setObjectName(QStringLiteral("mnucrta2"));
    mnupostavke = action(mnuedit, "mnupostavke", tx::menuRaceSettings());
    mnuoznacidns = action(mnuedit, "mnuoznacidns", tx::menuMarkDns());
    mnuprovjera = action(mnuedit, "mnuprovjera", tx::menuResultsCheck());
    mnustatus = action(mnustartnalista, "mnustatus", tx::menuRunState());
    mnustatusciljna = action(mnuciljnalista, "mnustatusciljna", tx::menuRunState());

    // Each needs a race: enabled whenever "Izmjena podataka o utrci" is.
    const auto follow = [this] {
        for (QAction* a : {mnupostavke, mnuoznacidns, mnuprovjera})
            a->setEnabled(mnuizmjenautrke->isEnabled());
    };
    connect(mnuizmjenautrke, &QAction::changed, this, follow);
    follow();

    connect(mnustatus, &QAction::triggered, this, &frmkelvora::onRunStateOfStartRow);
    connect(mnustatusciljna, &QAction::triggered, this, &frmkelvora::onRunStateOfFinishRow);
    connect(mnuoznacidns, &QAction::triggered, this, &frmkelvora::onMarkDns);
    connect(mnupostavke, &QAction::triggered, this, &frmkelvora::onRaceSettings);
    connect(mnuprovjera, &QAction::triggered, this, &frmkelvora::onResultsCheck);
}

void frmkelvora::editRunState(qint64 competitorId)
{
    const Competitor* c = m_session->competitor(competitorId);
    if (!c) {
        MessageBox::notice(this, competitorId == 0 ? tx::noCompetitorSelected() : tx::competitorGone());
        return;
    }
    frmstatus dialog(*m_session, *c, this);
    dialog.exec();
}

void frmkelvora::onRunStateOfStartRow()
{
    const auto* view = findChild<QTreeView*>(QStringLiteral("lsv1"));
    const int row = view ? ui::lastSelectedSourceRow(view) : -1;
    editRunState(row >= 0 ? m_session->startList().at(row).id : 0);
}

void frmkelvora::onRunStateOfFinishRow()
{
    const auto* view = findChild<QTreeView*>(QStringLiteral("lsv2"));
    const int row = view ? ui::lastSelectedRow(view) : -1;
    editRunState(row >= 0 ? m_session->finishList().at(row).idtakmicara : 0);
}

void frmkelvora::onMarkDns()
{
    if (!hasCurrentRace()) {
        MessageBox::notice(this, tx::noOpenRace());
        return;
    }
    if (!ui::succeeded(this, m_session->refresh()))
        return;
    const int count = int(m_session->dnsCandidates().size());
    if (count == 0) {
        MessageBox::notice(this, tx::markDnsNone());
        return;
    }
    if (!MessageBox::ask(this, tx::markDnsTitle(), tx::markDnsQuestion(count), QMessageBox::Question))
        return;
    const auto marked = m_session->markDns();
    if (!ui::succeeded(this, marked))
        return;
    MessageBox::notice(this, tx::markDnsDone(marked.value()));
}

void frmkelvora::onRaceSettings()
{
    if (!hasCurrentRace()) {
        MessageBox::notice(this, tx::noOpenRace());
        return;
    }
    frmpostavke dialog(*m_session, this);
    dialog.exec();
}

void frmkelvora::onResultsCheck()
{
    if (!hasCurrentRace()) {
        MessageBox::notice(this, tx::noOpenRace());
        return;
    }
    frmprovjera dialog(*m_session, this);
    if (m_saveFileName)
        dialog.setSaveFileNameProvider(m_saveFileName);
    if (!dialog.load())
        return;
    connect(&dialog, &frmprovjera::finishWanted, this, &frmkelvora::selectFinishRecord);
    connect(&dialog, &frmprovjera::capturedRowWanted, this, [this](qint64 rowId) {
        onFinishLine();
        if (m_cilj)
            m_cilj->selectRow(rowId);
    });
    dialog.exec();
}

void frmkelvora::selectFinishRecord(qint64 finishId)
{
    selectPage(PageResults);
    const QList<FinishRecord>& finishes = m_session->finishList();
    const auto it = std::find_if(finishes.cbegin(), finishes.cend(),
                                 [&](const FinishRecord& r) { return r.id == finishId; });
    if (it == finishes.cend())
        return;
    const int row = int(it - finishes.cbegin());
    for (const char* name : {"lsv2", "lsv3"}) {
        if (auto* view = findChild<QTreeView*>(QLatin1String(name))) {
            view->setCurrentIndex(view->model()->index(row, 0));
            view->scrollTo(view->currentIndex());
        }
    }
}
