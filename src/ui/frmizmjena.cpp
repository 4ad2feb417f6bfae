#include "ui/frmizmjena.h"

#include "app/racesession.h"
#include "core/dates.h"
#include "core/lists.h"
#include "core/texts.h"
#include "ui/fieldrules.h"
#include "ui/pageutil.h"
#include "ui/widgets.h"

#include <QComboBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QVBoxLayout>

frmizmjena::frmizmjena(RaceSession& session, const Competitor& competitor, QWidget* parent)
    : QDialog(parent)
    , m_session(session)
{
    setObjectName(QStringLiteral("frmizmjena"));
    setWindowTitle(tx::editCompetitorTitle());
    setModal(true);

    txtime = ui::lineEdit("txtime", 25);
    txtsbroj = ui::lineEdit("txtsbroj", 6);
    txtdrzava = ui::lineEdit("txtdrzava", 15);
    txtklub = ui::lineEdit("txtklub", 15);
    cbospol = ui::named(new QComboBox, "cbospol");
    cbospol->addItems({tx::sexMale(), tx::sexFemale()});
    cbospol->setEditable(false);
    txtdatumrod = ui::lineEdit("txtdatumrod", 10);
    // Wide enough to show a whole name of 25 characters.
    txtime->setMinimumWidth(txtime->fontMetrics().averageCharWidth() * 30);
    // Here the start number takes any character; only its length is limited.
    rules::FieldFilter::install(txtdatumrod, rules::FieldKind::Date);

    lblide = ui::named(ui::label(), "lblide");
    lblide->setVisible(false);

    cmdizmjena = ui::button(tx::buttonEditCompetitor(), "cmdizmjena", true);
    cmdizlaz = ui::button(tx::plainExit(), "cmdizlaz");
    connect(cmdizmjena, &QPushButton::clicked, this, &frmizmjena::cmdizmjena_Click);
    connect(cmdizlaz, &QPushButton::clicked, this, &QDialog::reject);

    auto* form = new QFormLayout;
    form->addRow(tx::fieldName(), txtime);
    form->addRow(tx::fieldStartNumber(), txtsbroj);
    form->addRow(tx::fieldCountry(), txtdrzava);
    form->addRow(tx::fieldClub(), txtklub);
    form->addRow(tx::fieldSex(), cbospol);
    form->addRow(tx::fieldBirthDate(), txtdatumrod);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(lblide);
    layout->addLayout(ui::buttonRow({cmdizmjena, cmdizlaz}));

    setTabOrder(txtime, txtsbroj);
    setTabOrder(txtsbroj, txtdrzava);
    setTabOrder(txtdrzava, txtklub);
    setTabOrder(txtklub, cbospol);
    setTabOrder(cbospol, txtdatumrod);
    setTabOrder(txtdatumrod, cmdizmjena);
    setTabOrder(cmdizmjena, cmdizlaz);

    // The fields show the entry as the start list shows it.
    txtsbroj->setText(lists::startCell(competitor, 0, lists::StartNumber));
    txtime->setText(lists::startCell(competitor, 0, lists::StartName));
    txtdrzava->setText(lists::startCell(competitor, 0, lists::StartCountry));
    txtklub->setText(lists::startCell(competitor, 0, lists::StartClub));
    txtdatumrod->setText(lists::startCell(competitor, 0, lists::StartBirthDate));
    lblide->setText(lists::startCell(competitor, 0, lists::StartKey));
    // A sex stored as anything but M or Ž (written by other means) shows as
    // it is, so that an unchanged edit stores it unchanged.
    const QString sex = lists::startCell(competitor, 0, lists::StartSex);
    if (cbospol->findText(sex) < 0)
        cbospol->addItem(sex);
    cbospol->setCurrentIndex(cbospol->findText(sex));
    txtime->setFocus(Qt::OtherFocusReason);
}

void frmizmjena::cmdizmjena_Click()
{
    if (!cmdizmjena->isEnabled())
        return;
    const rules::CompetitorEntry entry{txtime->text(),  txtsbroj->text(),     txtdrzava->text(),
                                       txtklub->text(), cbospol->currentText(), txtdatumrod->text()};
    const ui::FieldMap fields{{Field::StartNumber, txtsbroj},
                              {Field::BirthDate, txtdatumrod},
                              {Field::Name, txtime},
                              {Field::Club, txtklub},
                              {Field::Country, txtdrzava}};
    // The dialog goes on answering while the change is stored; its button
    // waits until the database has answered, the fields keeping what was typed.
    const QPointer<frmizmjena> self(this);
    const auto checked = m_session.editCompetitorInBackground(
        lblide->text().toLongLong(), entry, [self, fields](const Outcome<Competitor>& stored) {
            if (!self)
                return;
            self->cmdizmjena->setEnabled(true);
            if (ui::succeeded(self, stored, fields))
                self->accept();
        });
    if (ui::succeeded(this, checked, fields))
        cmdizmjena->setEnabled(false);
}
