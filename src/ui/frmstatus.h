#pragma once

#include "core/records.h"

#include <QDialog>

class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class RaceSession;

// "Status takmičara": none, DNS, DNF or DSQ with its reason, for one
// start-list entry. Storing calls RaceSession::setRunState.
class frmstatus : public QDialog {
    Q_OBJECT

public:
    frmstatus(RaceSession& session, const Competitor& competitor, QWidget* parent = nullptr);

private:
    void store();
    RunState chosen() const;

    RaceSession& m_session;
    qint64 m_competitorId = 0;
    QLabel* lbltakmicar = nullptr;
    QRadioButton* optbez = nullptr;
    QRadioButton* optdns = nullptr;
    QRadioButton* optdnf = nullptr;
    QRadioButton* optdsq = nullptr;
    QLineEdit* txtrazlog = nullptr;
    QPushButton* cmdspremi = nullptr;
    QPushButton* cmdodustani = nullptr;
};
