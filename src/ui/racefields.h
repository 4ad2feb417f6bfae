#pragma once

#include "ui/pageutil.h"

class QFormLayout;
class QLineEdit;
class QWidget;

// The name, organiser and date fields shared by the new-race and the
// race-editing dialogs.
struct RaceFields {
    QLineEdit* txtime = nullptr;
    QLineEdit* txtorg = nullptr;
    QLineEdit* txtdatum = nullptr;
};

// Adds the three fields, in tab order, with their captions and limits; the
// date field takes keystrokes through the date filter.
RaceFields addRaceFields(QFormLayout* form);

// The fields a refusal of a race entry may name.
inline ui::FieldMap raceFieldMap(const RaceFields& fields)
{
    return {{Field::RaceName, fields.txtime}, {Field::RaceOrganiser, fields.txtorg}, {Field::RaceDate, fields.txtdatum}};
}
