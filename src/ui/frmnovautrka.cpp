#include "ui/frmnovautrka.h"

#include "app/racesession.h"
#include "ui/pageutil.h"
#include "core/texts.h"
#include "ui/widgets.h"

#include <QFormLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

frmnovautrka::frmnovautrka(RaceSession& session, QWidget* parent)
    : QDialog(parent)
    , m_session(session)
{
    setObjectName(QStringLiteral("frmnovautrka"));
    setWindowTitle(tx::newRaceTitle());

    auto* form = new QFormLayout;
    m_fields = addRaceFields(form);
    m_fields.txtime->setMinimumWidth(260);

    cmdupis = ui::button(tx::buttonStore(), "cmdupis", true);
    cmdizlaz = ui::button(tx::buttonExit(), "cmdizlaz");
    connect(cmdupis, &QPushButton::clicked, this, &frmnovautrka::cmdupis_Click);
    connect(cmdizlaz, &QPushButton::clicked, this, &QDialog::reject);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addLayout(ui::buttonRow({cmdupis, cmdizlaz}));
    setTabOrder(m_fields.txtdatum, cmdupis);
    setTabOrder(cmdupis, cmdizlaz);
}

void frmnovautrka::cmdupis_Click()
{
    const auto race = m_session.createRace(m_fields.txtime->text(), m_fields.txtorg->text(), m_fields.txtdatum->text());
    if (!ui::succeeded(this, race, raceFieldMap(m_fields)))
        return;
    accept();
}
