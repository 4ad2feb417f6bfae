#pragma once

#include "core/records.h"

#include <QDialog>

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class RaceSession;

// Competitor editing: opens with the values of one start-list entry, tests
// the changed entry as adding does (the competitor keeps its own start
// number) and stores it through the session.
class frmizmjena : public QDialog {
    Q_OBJECT

public:
    frmizmjena(RaceSession& session, const Competitor& competitor, QWidget* parent);

private slots:
    void cmdizmjena_Click();

private:
    RaceSession& m_session;
    QLineEdit* txtime = nullptr;
    QLineEdit* txtsbroj = nullptr;
    QLineEdit* txtdrzava = nullptr;
    QLineEdit* txtklub = nullptr;
    QComboBox* cbospol = nullptr;
    QLineEdit* txtdatumrod = nullptr;
    QLabel* lblide = nullptr;
    QPushButton* cmdizmjena = nullptr;
    QPushButton* cmdizlaz = nullptr;
};
