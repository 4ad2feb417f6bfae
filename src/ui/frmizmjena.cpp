#include "ui/frmizmjena.h"

#include "ui/fieldrules.h"
#include "ui/frmkelvora.h"
#include "ui/messagebox.h"
#include "ui/texts.h"
#include "ui/widgets.h"

#include <QComboBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTreeWidgetItem>
#include <QVBoxLayout>

namespace {

// The start list columns the fields are filled from.
enum Column { ColStartNumber = 1, ColName, ColCountry, ColClub, ColSex, ColBirthDate, ColKey };

} // namespace

frmizmjena::frmizmjena(frmkelvora& window)
    : QDialog(&window)
    , m_window(window)
{
    setObjectName(QStringLiteral("frmizmjena"));
    setWindowTitle(tx::editCompetitorTitle());
    setModal(true);

    m_fields.ime = ui::lineEdit("txtime", 25);
    m_fields.sbroj = ui::lineEdit("txtsbroj", 6);
    m_fields.drzava = ui::lineEdit("txtdrzava", 15);
    m_fields.klub = ui::lineEdit("txtklub", 15);
    m_fields.spol = ui::named(new QComboBox, "cbospol");
    m_fields.spol->addItems({tx::sexMale(), tx::sexFemale()});
    m_fields.spol->setCurrentIndex(1);
    m_fields.spol->setEditable(false);
    m_fields.datumrod = ui::lineEdit("txtdatumrod", 10);
    // Wide enough to show a whole name of 25 characters.
    m_fields.ime->setMinimumWidth(m_fields.ime->fontMetrics().averageCharWidth() * 30);
    // Here the start number takes any character; only its length is limited.
    rules::FieldFilter::install(m_fields.datumrod, rules::FieldKind::Date);

    lblide = ui::named(ui::label(), "lblide");
    lblide->setVisible(false);

    cmdizmjena = ui::button(tx::buttonEditCompetitor(), "cmdizmjena", true);
    cmdizlaz = ui::button(tx::plainExit(), "cmdizlaz");
    connect(cmdizmjena, &QPushButton::clicked, this, &frmizmjena::cmdizmjena_Click);
    connect(cmdizlaz, &QPushButton::clicked, this, &QDialog::reject);

    auto* form = new QFormLayout;
    form->addRow(tx::fieldName(), m_fields.ime);
    form->addRow(tx::fieldStartNumber(), m_fields.sbroj);
    form->addRow(tx::fieldCountry(), m_fields.drzava);
    form->addRow(tx::fieldClub(), m_fields.klub);
    form->addRow(tx::fieldSex(), m_fields.spol);
    form->addRow(tx::fieldBirthDate(), m_fields.datumrod);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(lblide);
    layout->addLayout(ui::buttonRow({cmdizmjena, cmdizlaz}));

    setTabOrder(m_fields.ime, m_fields.sbroj);
    setTabOrder(m_fields.sbroj, m_fields.drzava);
    setTabOrder(m_fields.drzava, m_fields.klub);
    setTabOrder(m_fields.klub, m_fields.spol);
    setTabOrder(m_fields.spol, m_fields.datumrod);
    setTabOrder(m_fields.datumrod, cmdizmjena);
    setTabOrder(cmdizmjena, cmdizlaz);
    m_fields.ime->setFocus(Qt::OtherFocusReason);
}

void frmizmjena::setRow(const QTreeWidgetItem& row)
{
    m_fields.sbroj->setText(row.text(ColStartNumber));
    m_fields.ime->setText(row.text(ColName));
    m_fields.drzava->setText(row.text(ColCountry));
    m_fields.klub->setText(row.text(ColClub));
    // A stored sex other than the two offered (written by other means) is
    // shown as it is, as one more entry at the end, so that an unchanged
    // edit stores it back unchanged; M and Ž stay to choose from.
    while (m_fields.spol->count() > 2)
        m_fields.spol->removeItem(m_fields.spol->count() - 1);
    const QString sex = row.text(ColSex);
    int sexIndex = m_fields.spol->findText(sex, Qt::MatchExactly | Qt::MatchCaseSensitive);
    if (sexIndex < 0) {
        m_fields.spol->addItem(sex);
        sexIndex = m_fields.spol->count() - 1;
    }
    m_fields.spol->setCurrentIndex(sexIndex);
    m_fields.datumrod->setText(row.text(ColBirthDate));
    lblide->setText(row.text(ColKey));
}

void frmizmjena::cmdizmjena_Click()
{
    const qint64 id = lblide->text().toLongLong();
    if (!m_fields.check(this, m_window.currentRaceDate(), m_window.startNumbers(), id))
        return;

    Competitor c = m_fields.values();
    c.id = id;
    c.idutrke = m_window.currentRaceId();
    if (const DbStatus stored = m_window.database().updateCompetitor(c); !stored) {
        MessageBox::notice(this, tx::dbError(stored.error()));
        return;
    }
    m_window.popunalsv1();
    accept();
}
