#pragma once

#include "core/standings.h"

#include <QWidget>

class QCheckBox;
class QComboBox;
class QLabel;
class QPushButton;
class QRadioButton;
class QTreeView;
class QTreeWidget;
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
    // Whether the team standings ("Ekipni poredak") are shown instead; their
    // rows (the last one the rule used) as the list and printout have them.
    bool showsTeams() const { return m_teamsShown; }
    QList<QStringList> teamRows() const { return m_teamRows; }

private:
    void showStandings(const standings::Standings& shown);
    // The team standings of the sex chosen, in lsvekipe; false after a failure.
    bool showTeams(bool quiet = false);
    standings::Sex chosenSex() const;
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
    QCheckBox* optekipe = nullptr; // "Obrada" shows the team standings (races with team results)
    QTreeWidget* lsvekipe = nullptr;
    bool m_teamsShown = false;
    QList<QStringList> m_teamRows;
    bool m_followScheduled = false;
};
