#include "ui/reportspage.h"

#include "app/racesession.h"
#include "core/lists.h"
#include "core/standings.h"
#include "core/texts.h"
#include "ui/frmkelvora.h"
#include "ui/listview.h"
#include "ui/messagebox.h"
#include "ui/pageutil.h"
#include "ui/widgets.h"

#include "core/teams.h"
#include "core/texts_rules.h"
#include "core/texts_teams.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>
#include <QTreeView>
#include <QTreeWidget>

ReportsPage::ReportsPage(frmkelvora& frame, RaceSession& session)
    : m_frame(frame)
    , m_session(session)
{
    cbokateg = ui::named(new QComboBox, "cbokateg");
    cbokateg->setMinimumWidth(120);
    optzene = ui::named(new QRadioButton(tx::optionWomen()), "optzene");
    optmuski = ui::named(new QRadioButton(tx::optionMen()), "optmuski");
    optsvi = ui::named(new QRadioButton(tx::optionAll()), "optsvi");
    optsvi->setChecked(true);
    auto* sexFrame = new QGroupBox(tx::fieldSex());
    auto* sexLayout = new QHBoxLayout(sexFrame);
    sexLayout->addWidget(optzene);
    sexLayout->addWidget(optmuski);
    sexLayout->addWidget(optsvi);

    cmdobrada = ui::pageButton(tx::buttonProcess(), "cmdobrada");
    cmdispisiz = ui::pageButton(tx::buttonPrintStandings(), "cmdispisiz");
    connect(cmdobrada, &QPushButton::clicked, this, &ReportsPage::process);
    cmdpregledizv = ui::pageButton(tx::buttonPreview(), "cmdpregledizv");
    connect(cmdispisiz, &QPushButton::clicked, &frame, &frmkelvora::printStandings);
    connect(cmdpregledizv, &QPushButton::clicked, &frame, &frmkelvora::previewStandings);

    lblizvjestaj = ui::named(ui::label(), "lblizvjestaj");
    lblizvjestaj->setWordWrap(true);
    lblizvjestaj->setTextFormat(Qt::PlainText);
    QFont bold = lblizvjestaj->font();
    bold.setBold(true);
    lblizvjestaj->setFont(bold);
    auto* reportFrame = new QGroupBox(tx::reportFrame());
    auto* reportLayout = new QVBoxLayout(reportFrame);
    reportLayout->addWidget(lblizvjestaj);

    lblbrojp = ui::counterLabel("lblbrojp");
    lblbrojs = ui::counterLabel("lblbrojs");
    lblbrojc = ui::counterLabel("lblbrojc");
    for (QLabel* counter : {lblbrojp, lblbrojs, lblbrojc})
        counter->clear();

    auto* choice = new QVBoxLayout;
    choice->addLayout(ui::captioned(tx::fieldCategory(), cbokateg));
    choice->addWidget(sexFrame);
    optnagrade = ui::named(new QCheckBox(tx::optionPrizeList()), "optnagrade");
    choice->addWidget(optnagrade);
    optekipe = ui::named(new QCheckBox(tx::teamsOption()), "optekipe");
    optekipe->setVisible(false);
    choice->addWidget(optekipe);
    // One list or the other: the prize list and the team standings exclude each other.
    connect(optekipe, &QCheckBox::toggled, this, [this](bool on) {
        if (on)
            optnagrade->setChecked(false);
    });
    connect(optnagrade, &QCheckBox::toggled, this, [this](bool on) {
        if (on)
            optekipe->setChecked(false);
    });
    auto* buttons = new QVBoxLayout;
    buttons->addWidget(cmdobrada);
    buttons->addWidget(cmdispisiz);
    buttons->addWidget(cmdpregledizv);
    buttons->addStretch(1);
    auto* counters = new QGridLayout;
    counters->addWidget(ui::label(tx::reportRegistered()), 0, 0);
    counters->addWidget(lblbrojp, 0, 1);
    counters->addWidget(ui::label(tx::reportStarted()), 1, 0);
    counters->addWidget(lblbrojs, 1, 1);
    counters->addWidget(ui::label(tx::reportFinished()), 2, 0);
    counters->addWidget(lblbrojc, 2, 1);

    auto* top = new QHBoxLayout;
    top->addLayout(choice);
    top->addLayout(buttons);
    top->addWidget(reportFrame, 1);
    top->addLayout(counters);

    lsv4 = ui::listView("lsv4", session.standingsModel(), lists::standingsColumns());
    ui::keepSelectionAcrossResets(lsv4, {lists::StandKey, lists::StandNumber});
    ui::showStatusColumnWhenUsed(lsv4, lists::StandStatus, session);
    // Whatever changes the lists (this station, an import, another station).
    connect(&session, &RaceSession::listsChanged, this, &ReportsPage::followLists);
    connect(&session, &RaceSession::raceChanged, this, &ReportsPage::followLists);

    lsvekipe = ui::named(new QTreeWidget, "lsvekipe");
    lsvekipe->setRootIsDecorated(false);
    lsvekipe->setUniformRowHeights(true);
    lsvekipe->setAllColumnsShowFocus(true);
    lsvekipe->hide();

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(lsv4, 1);
    layout->addWidget(lsvekipe, 1);
}

standings::Sex ReportsPage::chosenSex() const
{
    return optzene->isChecked() ? standings::Sex::Women : optmuski->isChecked() ? standings::Sex::Men : standings::Sex::All;
}

bool ReportsPage::showTeams(bool quiet)
{
    if (const Status fresh = m_session.refresh(); !fresh) {
        if (!quiet)
            ui::succeeded(&m_frame, fresh);
        return false;
    }
    const TeamRules& rules = m_session.rules().teams;
    const QList<teams::Team> ranked = teams::standings(m_session.overall(), rules, chosenSex());
    m_teamRows.clear();
    for (const teams::Team& t : ranked)
        m_teamRows.append(teams::rowCells(t, rules));
    lsvekipe->clear();
    lsvekipe->setHeaderLabels(teams::columns(rules));
    QList<QTreeWidgetItem*> items;
    for (const QStringList& row : m_teamRows)
        items.append(new QTreeWidgetItem(row));
    lsvekipe->addTopLevelItems(items);
    for (int c = 0; c < lsvekipe->columnCount(); ++c)
        lsvekipe->resizeColumnToContents(c);
    if (!m_teamRows.isEmpty())
        m_teamRows.append({QString(), teams::ruleText(rules), QString(), QString(), QString()});
    lblizvjestaj->setText(ranked.isEmpty() ? tx::teamsNone() : tx::teamsTitle() + QStringLiteral("\n") + teams::ruleText(rules));
    m_teamsShown = true;
    lsv4->hide();
    lsvekipe->show();
    return true;
}

void ReportsPage::refresh()
{
    m_frame.mnustartnalista->menuAction()->setVisible(false);
    m_frame.mnuciljnalista->menuAction()->setVisible(false);
    if (!m_session.hasRace()) {
        showCurrent(true);
        MessageBox::notice(&m_frame, tx::openOrCreateRace());
        return;
    }
    const auto labels = m_session.categories();
    if (!ui::succeeded(&m_frame, labels))
        return;
    // Emptied first, so that repeated visits do not repeat the entries.
    const QString chosen = cbokateg->currentText();
    cbokateg->clear();
    cbokateg->addItem(tx::categoryAll());
    cbokateg->addItems(labels.value());
    cbokateg->setCurrentIndex(qMax(0, cbokateg->findText(chosen)));
    // The team standings are offered only to a race that has team results.
    const bool teamsOn = m_session.rules().teams.on();
    optekipe->setVisible(teamsOn);
    if (!teamsOn && m_teamsShown) {
        optekipe->setChecked(false);
        m_teamsShown = false;
        lsvekipe->hide();
        lsv4->show();
    }
    showCurrent();
}

void ReportsPage::followLists()
{
    // Once per turn of the event loop, however many changes came in; a page
    // not in sight catches up when it is shown.
    if (m_followScheduled || !m_session.standingsOutOfDate())
        return;
    m_followScheduled = true;
    QTimer::singleShot(0, this, [this] {
        m_followScheduled = false;
        if (isVisible())
            showCurrent(true);
    });
}

bool ReportsPage::showCurrent(bool quiet)
{
    if (m_teamsShown)
        return showTeams(quiet);
    const auto shown = m_session.shownStandings();
    if (!shown) {
        if (!quiet)
            ui::succeeded(&m_frame, shown);
        return false;
    }
    if (!m_session.hasRace()) {
        lblizvjestaj->clear();
        for (QLabel* counter : {lblbrojp, lblbrojs, lblbrojc})
            counter->clear();
    } else if (!shown.value().caption.isEmpty()) {
        showStandings(shown.value());
    }
    return true;
}

void ReportsPage::showStandings(const standings::Standings& shown)
{
    lblizvjestaj->setText(shown.caption);
    lblbrojp->setText(QString::number(shown.counts.registered));
    lblbrojs->setText(QString::number(shown.counts.started));
    lblbrojc->setText(QString::number(shown.counts.finished));
}

void ReportsPage::process()
{
    if (optekipe->isChecked() && m_session.rules().teams.on()) {
        showTeams();
        return;
    }
    if (m_teamsShown) {
        m_teamsShown = false;
        lsvekipe->hide();
        lsv4->show();
    }
    standings::Selection selection;
    selection.category = cbokateg->currentText();
    selection.prizes = optnagrade->isChecked();
    if (!selection.prizes && !standings::isCategoryChosen(selection.category, m_session.rules().categories)) {
        lblizvjestaj->setText(tx::noCategoryChosen());
        return;
    }
    if (optzene->isChecked())
        selection.sex = standings::Sex::Women;
    else if (optmuski->isChecked())
        selection.sex = standings::Sex::Men;

    const auto result = m_session.standings(selection);
    if (!ui::succeeded(&m_frame, result))
        return;
    showStandings(result.value());
}

QList<QStringList> ReportsPage::rows() const
{
    QList<QStringList> texts;
    const StandingsModel* model = m_session.standingsModel();
    texts.reserve(model->rowCount());
    for (const standings::StandingsRow& row : model->rows())
        texts.append(lists::standingsRow(row));
    return texts;
}

QString ReportsPage::title() const
{
    return lblizvjestaj->text();
}
