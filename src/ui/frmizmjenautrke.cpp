#include "ui/frmizmjenautrke.h"

#include "data/database.h"
#include "ui/fieldrules.h"
#include "ui/messagebox.h"
#include "core/texts.h"
#include "ui/widgets.h"

#include <QFormLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

frmizmjenautrke::frmizmjenautrke(Database& db, qint64 raceId, const QString& name, const QString& organiser,
                                 const QString& dateText, QWidget* parent)
    : QDialog(parent)
    , m_db(db)
{
    setObjectName(QStringLiteral("frmizmjenautrke"));
    setWindowTitle(tx::editRaceTitle());
    m_race.id = raceId;

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
    // Here a date shorter than six characters counts as missing.
    QLineEdit* missing = nullptr;
    if (m_fields.txtime->text().isEmpty())
        missing = m_fields.txtime;
    else if (m_fields.txtorg->text().isEmpty())
        missing = m_fields.txtorg;
    else if (m_fields.txtdatum->text().size() < 6)
        missing = m_fields.txtdatum;
    if (missing) {
        MessageBox::notice(this, tx::allRaceFieldsRequired());
        rules::markField(missing);
        return;
    }
    const auto date = checkRaceDate(m_fields.txtdatum);
    if (!date)
        return;

    const QString name = m_fields.txtime->text();
    const QString organiser = m_fields.txtorg->text();
    if (const DbStatus stored = m_db.updateRaceDetails(m_race.id, name, organiser, *date); !stored) {
        MessageBox::notice(this, tx::dbError(stored.error()));
        return;
    }
    m_race.ime = name;
    m_race.org = organiser;
    m_race.datum = *date;
    accept();
}
