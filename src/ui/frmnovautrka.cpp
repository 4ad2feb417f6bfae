#include "ui/frmnovautrka.h"

#include "data/database.h"
#include "ui/fieldrules.h"
#include "ui/messagebox.h"
#include "core/texts.h"
#include "ui/widgets.h"

#include <QFormLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

frmnovautrka::frmnovautrka(Database& db, QWidget* parent)
    : QDialog(parent)
    , m_db(db)
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
    const QString name = m_fields.txtime->text();
    const QString organiser = m_fields.txtorg->text();
    const QString dateText = m_fields.txtdatum->text();

    for (QLineEdit* field : {m_fields.txtime, m_fields.txtorg, m_fields.txtdatum}) {
        if (field->text().isEmpty()) {
            MessageBox::notice(this, tx::allRaceFieldsRequired());
            rules::markField(field);
            return;
        }
    }
    const auto date = checkRaceDate(m_fields.txtdatum);
    if (!date)
        return;

    // Every stored name counts, withdrawn races too; case and blanks count.
    const auto exists = m_db.raceNameExists(name);
    if (!exists) {
        MessageBox::notice(this, tx::dbError(exists.error()));
        return;
    }
    if (exists.value()) {
        MessageBox::notice(this, tx::raceNameExists());
        rules::markField(m_fields.txtime);
        return;
    }

    const auto id = m_db.insertRace(name, organiser, *date);
    if (!id) {
        MessageBox::notice(this, tx::dbError(id.error()));
        return;
    }
    m_race.id = id.value();
    m_race.ime = name;
    m_race.org = organiser;
    m_race.datum = *date;
    m_race.da = QStringLiteral("y");
    m_dateText = dateText;
    accept();
}
