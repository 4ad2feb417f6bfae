#pragma once

#include "ui/racefields.h"

#include <QDialog>

class QPushButton;
class RaceSession;

// "Upis nove utrke": stores a new race, which becomes the session's
// current race.
class frmnovautrka : public QDialog {
    Q_OBJECT

public:
    explicit frmnovautrka(RaceSession& session, QWidget* parent = nullptr);

private slots:
    void cmdupis_Click();

private:
    RaceSession& m_session;
    RaceFields m_fields;
    QPushButton* cmdupis = nullptr;
    QPushButton* cmdizlaz = nullptr;
};
