#pragma once

#include <QDate>
#include <optional>

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

// The date-text check and then the calendar check of a race date: a text
// such as 31.2.2010 or 1..2010 passes the dots but names no day. On refusal
// the message is shown, the date text selected and focused, and nothing
// returned.
std::optional<QDate> checkRaceDate(QLineEdit* txtdatum);
