#include "ui/racefields.h"

#include "ui/fieldrules.h"
#include "core/texts.h"
#include "ui/widgets.h"

#include <QFormLayout>
#include <QLineEdit>

namespace {

QLineEdit* raceField(QFormLayout* form, const char* name, const QString& caption, int maxLength)
{
    QLineEdit* field = ui::lineEdit(name, maxLength);
    form->addRow(caption, field);
    return field;
}

} // namespace

RaceFields addRaceFields(QFormLayout* form)
{
    RaceFields fields;
    fields.txtime = raceField(form, "txtime", tx::raceFieldName(), 40);
    fields.txtorg = raceField(form, "txtorg", tx::raceFieldOrganiser(), 40);
    fields.txtdatum = raceField(form, "txtdatum", tx::raceFieldDate(), 10);
    fields.txtdatum->setMinimumWidth(90);
    rules::FieldFilter::install(fields.txtdatum, rules::FieldKind::Date);
    return fields;
}
