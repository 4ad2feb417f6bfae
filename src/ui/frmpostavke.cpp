#include "ui/frmpostavke.h"
#include "core/texts_teams.h"

#include "app/racesession.h"
#include "core/texts.h"
#include "core/texts_finishline.h"
#include "core/texts_live.h"
#include "core/texts_rules.h"
#include "ui/pageutil.h"
#include "ui/rulestabs.h"
#include "ui/widgets.h"

#include <QCheckBox>
#include <algorithm>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QPushButton>
#include <QTabWidget>
#include <QVBoxLayout>

frmpostavke::frmpostavke(RaceSession& session, QWidget* parent)
    : QDialog(parent)
    , m_session(session)
{
    setObjectName(QStringLiteral("frmpostavke"));
    setWindowTitle(tx::settingsTitle());
    // The settings as stored now, another station's changes included.
    session.refresh();
    const RaceSettings& held = session.settings();

    chkstatusi = ui::named(new QCheckBox(tx::settingsListUnranked()), "chkstatusi");
    chkstatusi->setChecked(held.listUnranked);
    txtduzina = ui::lineEdit("txtduzina", 10);
    txtduzina->setPlaceholderText(tx::settingsCourseHint());
    if (held.courseKm)
        txtduzina->setText(QString::number(*held.courseKm, 'g', 10).replace(QLatin1Char('.'), QLatin1Char(',')));

    auto* standingsPage = new QWidget;
    auto* pageLayout = new QVBoxLayout(standingsPage);
    pageLayout->addWidget(chkstatusi);
    pageLayout->addLayout(ui::captioned(tx::settingsCourseLength(), txtduzina));
    // Until checked, the live results pages say the results are not official.
    chksluzbeni = ui::named(new QCheckBox(tx::settingsOfficial()), "chksluzbeni");
    chksluzbeni->setChecked(held.official);
    pageLayout->addWidget(chksluzbeni);
    // A disqualification's reason on the live pages only when the organiser wants it.
    chkrazlog = ui::named(new QCheckBox(tx::settingsPublishDsqReason()), "chkrazlog");
    chkrazlog->setChecked(held.publishDsqReason);
    pageLayout->addWidget(chkrazlog);
    // When the finish line marks a captured row "provjeri".
    const auto seconds = [](qint64 ms) { return QString::number(ms / 1000.0, 'g', 10).replace(QLatin1Char('.'), QLatin1Char(',')); };
    txtrazmak = ui::lineEdit("txtrazmak", 8);
    txtrazmak->setText(seconds(held.doubt.leastGapMs));
    txtcekanje = ui::lineEdit("txtcekanje", 8);
    txtcekanje->setText(seconds(held.doubt.longestWaitMs));
    pageLayout->addLayout(ui::captioned(tx::flSettingsGap(), txtrazmak));
    pageLayout->addLayout(ui::captioned(tx::flSettingsWait(), txtcekanje));
    pageLayout->addStretch(1);
    tabpostavke = ui::named(new QTabWidget, "tabpostavke");
    tabpostavke->addTab(standingsPage, tx::settingsPageStandings());
    m_rulesTabs = new RulesTabs(session, this);
    tabpostavke->addTab(m_rulesTabs->categoriesTab(), tx::rulesTabCategories());
    tabpostavke->addTab(m_rulesTabs->prizesTab(), tx::rulesTabPrizes());
    tabpostavke->addTab(m_rulesTabs->teamsTab(), tx::teamsTab());

    cmdspremi = ui::button(tx::settingsStore(), "cmdspremi", true);
    cmdodustani = ui::button(tx::exportCancel(), "cmdodustani");
    connect(cmdspremi, &QPushButton::clicked, this, &frmpostavke::store);
    connect(cmdodustani, &QPushButton::clicked, this, &QDialog::reject);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(tabpostavke, 1);
    layout->addLayout(ui::buttonRow({cmdspremi, cmdodustani}));
    // Room for every column of the rules tables without scrolling sideways.
    resize(std::max(width(), fontMetrics().horizontalAdvance(QString(80, QLatin1Char('n')))),
           std::max(height(), fontMetrics().height() * 26));
}

void frmpostavke::store()
{
    // The rules first: a refused table keeps the window open with what was typed.
    if (!m_rulesTabs->store())
        return;
    const Status stored = m_session.setSettings(chkstatusi->isChecked(), txtduzina->text(), chksluzbeni->isChecked(),
                                                txtrazmak->text(), txtcekanje->text(), chkrazlog->isChecked());
    if (!ui::succeeded(this, stored)) {
        // The field the refusal is about keeps what was typed, selected.
        QLineEdit* field = txtduzina;
        if (stored.kind() == Status::Kind::Refused && stored.refusal().message == tx::flSettingsGapShape())
            field = txtrazmak;
        else if (stored.kind() == Status::Kind::Refused && stored.refusal().message == tx::flSettingsWaitShape())
            field = txtcekanje;
        field->selectAll();
        field->setFocus(Qt::OtherFocusReason);
        return;
    }
    accept();
}

void frmpostavke::showCategories()
{
    tabpostavke->setCurrentWidget(m_rulesTabs->categoriesTab());
}
