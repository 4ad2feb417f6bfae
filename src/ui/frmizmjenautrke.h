#pragma once

#include "ui/racefields.h"

#include <QDialog>

class QPushButton;
class RaceSession;

// "Izmjena podataka o utrci": changes the name, organiser and date of the
// current race, prefilled with the texts the main window shows.
class frmizmjenautrke : public QDialog {
    Q_OBJECT

public:
    frmizmjenautrke(RaceSession& session, const QString& name, const QString& organiser, const QString& dateText,
                    QWidget* parent = nullptr);

private slots:
    void cmizmjena_Click();

private:
    RaceSession& m_session;
    RaceFields m_fields;
    QPushButton* cmizmjena = nullptr;
    QPushButton* cmdizlaz = nullptr;
};
