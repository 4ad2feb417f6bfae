#include "ui/competitorfields.h"

#include "core/dates.h"
#include "core/competitorrules.h"
#include "ui/fieldrules.h"
#include "ui/messagebox.h"
#include "core/texts.h"

#include <QComboBox>
#include <QLineEdit>

bool CompetitorFields::check(QWidget* parent, const QDate& raceDate, const rules::StartNumberIndex& startNumbers,
                             qint64 ownId) const
{
    // A field holding only blanks counts as filled.
    for (const QLineEdit* field : {ime, klub, drzava, datumrod}) {
        if (field->text().isEmpty()) {
            MessageBox::notice(parent, tx::competitorFieldsRequired());
            return false;
        }
    }

    const QString example = tx::exampleBirthDate();
    if (!rules::checkDateField(datumrod, example))
        return false;

    switch (rules::checkBirthYear(datumrod->text(), raceDate)) {
    case rules::BirthYearResult::TooYoung:
        MessageBox::notice(parent, tx::tooYoung(example));
        rules::markField(datumrod);
        return false;
    case rules::BirthYearResult::TooOld:
        MessageBox::notice(parent, tx::tooOld(example));
        rules::markField(datumrod);
        return false;
    case rules::BirthYearResult::Ok:
        break;
    }

    if (startNumbers.takenByOther(sbroj->text(), ownId)) {
        MessageBox::notice(parent, tx::startNumberTaken());
        rules::markField(sbroj);
        return false;
    }
    return true;
}

Competitor CompetitorFields::values() const
{
    Competitor c;
    c.ime = ime->text();
    c.sbroj = sbroj->text();
    c.drzava = drzava->text();
    c.klub = klub->text();
    c.spol = spol->currentText();
    c.datum = kvr::parseDayMonthYear(datumrod->text()).value_or(QDate());
    return c;
}

void CompetitorFields::clearTexts() const
{
    for (QLineEdit* field : {ime, sbroj, drzava, klub, datumrod})
        field->clear();
}
