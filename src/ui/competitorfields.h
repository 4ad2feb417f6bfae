#pragma once

#include "core/records.h"
#include "core/competitorrules.h"

#include <QDate>
#include <QList>

class QComboBox;
class QLineEdit;
class QWidget;

// The six entry fields of a competitor: those of the start list page and
// those of the editing dialog. Adding and editing test an entry the same way.
struct CompetitorFields {
    QLineEdit* ime = nullptr;
    QLineEdit* sbroj = nullptr;
    QLineEdit* drzava = nullptr;
    QLineEdit* klub = nullptr;
    QComboBox* spol = nullptr;
    QLineEdit* datumrod = nullptr;

    // Tests the entry in order: the required fields, the date text, the
    // birth year against the race date, the start number against the start
    // list (ownId: the edited competitor, 0 when adding). The first refusal
    // shows its message, marks the field at fault and returns false; every
    // field keeps what was typed.
    bool check(QWidget* parent, const QDate& raceDate, const rules::StartNumberIndex& startNumbers,
               qint64 ownId) const;

    // The entry as typed, texts untrimmed, the birth date read as
    // day.month.year. Meant for an entry that passed check().
    Competitor values() const;

    // Empties the five text fields; the sex box keeps its choice.
    void clearTexts() const;
};
