#include "ui/frmstatus.h"

#include "app/racesession.h"
#include "core/runstates.h"
#include "core/texts.h"
#include "ui/pageutil.h"
#include "ui/widgets.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

frmstatus::frmstatus(RaceSession& session, const Competitor& competitor, QWidget* parent)
    : QDialog(parent)
    , m_session(session)
    , m_competitorId(competitor.id)
{
    setObjectName(QStringLiteral("frmstatus"));
    setWindowTitle(tx::runStateTitle());
    ui::fitTitle(this);
    lbltakmicar = ui::named(ui::label(tx::runStateFor(competitor.sbroj, competitor.ime)), "lbltakmicar");
    optbez = ui::named(new QRadioButton(runstates::longText(RunState::None)), "optbez");
    optdns = ui::named(new QRadioButton(runstates::longText(RunState::Dns)), "optdns");
    optdnf = ui::named(new QRadioButton(runstates::longText(RunState::Dnf)), "optdnf");
    optdsq = ui::named(new QRadioButton(runstates::longText(RunState::Dsq)), "optdsq");
    txtrazlog = ui::lineEdit("txtrazlog", runstates::kReasonMaxLength);
    // The longest reason shows whole.
    txtrazlog->setMinimumWidth(txtrazlog->fontMetrics().averageCharWidth() * (runstates::kReasonMaxLength + 4));
    cmdspremi = ui::button(tx::runStateStore(), "cmdspremi", true);
    cmdodustani = ui::button(tx::exportCancel(), "cmdodustani");

    const RunStateEntry held = session.runState(competitor.id);
    switch (held.state) {
    case RunState::Dns:
        optdns->setChecked(true);
        break;
    case RunState::Dnf:
        optdnf->setChecked(true);
        break;
    case RunState::Dsq:
        optdsq->setChecked(true);
        break;
    case RunState::None:
        optbez->setChecked(true);
        break;
    }
    txtrazlog->setText(held.reason);
    // The reason belongs to a disqualification only.
    txtrazlog->setEnabled(optdsq->isChecked());
    connect(optdsq, &QRadioButton::toggled, txtrazlog, &QLineEdit::setEnabled);
    connect(cmdspremi, &QPushButton::clicked, this, &frmstatus::store);
    connect(cmdodustani, &QPushButton::clicked, this, &QDialog::reject);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(lbltakmicar);
    for (QRadioButton* option : {optbez, optdns, optdnf, optdsq})
        layout->addWidget(option);
    layout->addLayout(ui::captioned(tx::runStateReason(), txtrazlog));
    layout->addLayout(ui::buttonRow({cmdspremi, cmdodustani}));
}

RunState frmstatus::chosen() const
{
    return optdns->isChecked() ? RunState::Dns
        : optdnf->isChecked()  ? RunState::Dnf
        : optdsq->isChecked()  ? RunState::Dsq
                               : RunState::None;
}

void frmstatus::store()
{
    if (!ui::succeeded(this, m_session.setRunState(m_competitorId, chosen(), txtrazlog->text()))) {
        // The one field a refusal here can be about.
        if (txtrazlog->isEnabled())
            txtrazlog->setFocus(Qt::OtherFocusReason);
        return;
    }
    accept();
}
