#include "ui/frmizmjenautrke.h"

#include "app/racesession.h"
#include "ui/pageutil.h"
#include "core/texts.h"
#include "ui/widgets.h"

#include <QFormLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

frmizmjenautrke::frmizmjenautrke(RaceSession& session, const QString& name, const QString& organiser,
                                 const QString& dateText, QWidget* parent)
    : QDialog(parent)
    , m_session(session)
{
    setObjectName(QStringLiteral("frmizmjenautrke"));
    setWindowTitle(tx::editRaceTitle());

    auto* form = new QFormLayout;
    m_fields = addRaceFields(form);
    m_fields.txtime->setMinimumWidth(260);
    m_fields.txtime->setText(name);
    m_fields.txtorg->setText(organiser);
    m_fields.txtdatum->setText(dateText);

    cmizmjena = ui::button(tx::buttonChange(), "cmizmjena", true);
    cmdizlaz = ui::button(tx::buttonExit(), "cmdizlaz");
    connect(cmizmjena, &QPushButton::clicked, this, &frmizmjenautrke::cmizmjena_Click);
    connect(cmdizlaz, &QPushButton::clicked, this, &QDialog::reject);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addLayout(ui::buttonRow({cmizmjena, cmdizlaz}));
    setTabOrder(m_fields.txtdatum, cmizmjena);
    setTabOrder(cmizmjena, cmdizlaz);
}

void frmizmjenautrke::cmizmjena_Click()
{
    const auto race = m_session.editRace(m_fields.txtime->text(), m_fields.txtorg->text(), m_fields.txtdatum->text());
    if (!ui::succeeded(this, race, raceFieldMap(m_fields)))
        return;
    accept();
}
