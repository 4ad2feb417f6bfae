#pragma once

#include "core/standings.h"

#include <QWidget>

class QCheckBox;
class QComboBox;
class QLabel;
class QPushButton;
class QRadioButton;
class QTreeView;
class RaceSession;
class frmkelvora;

// "Izvještaji": the choice of category and sex, "Obrada" and the standings
// lsv4 with their title and counts. Standings once built follow the lists:
// when they change, the page builds them again with the same choice while
// it is shown, or when it is shown next, keeping selection and scroll.
class ReportsPage : public QWidget {
    Q_OBJECT

public:
    ReportsPage(frmkelvora& frame, RaceSession& session);

    // The page refresh run when the page is chosen.
    void refresh();
    void process();

    // Builds the standings shown again when the lists changed since (after
    // reading another station's changes); false after a failure, shown
    // unless quiet.
    bool showCurrent(bool quiet = false);

    // The standings shown, in order, every column; and their title.
    QList<QStringList> rows() const;
    QString title() const;

private:
    void showStandings(const standings::Standings& shown);
    void followLists();

    frmkelvora& m_frame;
    RaceSession& m_session;

    QComboBox* cbokateg = nullptr;
    QRadioButton* optzene = nullptr;
    QRadioButton* optmuski = nullptr;
    QRadioButton* optsvi = nullptr;
    QCheckBox* optnagrade = nullptr; // "Obrada" shows the list of prize winners
    QPushButton* cmdobrada = nullptr;
    QPushButton* cmdispisiz = nullptr;
    QPushButton* cmdpregledizv = nullptr;
    QLabel* lblizvjestaj = nullptr;
    QLabel* lblbrojp = nullptr;
    QLabel* lblbrojs = nullptr;
    QLabel* lblbrojc = nullptr;
    QTreeView* lsv4 = nullptr;
    bool m_followScheduled = false;
};
