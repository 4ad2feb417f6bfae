#pragma once

#include <QWidget>

class QComboBox;
class QLabel;
class QPushButton;
class QRadioButton;
class QTreeView;
class RaceSession;
class frmkelvora;

// "Izvještaji": the choice of category and sex, "Obrada" and the standings
// lsv4 with their title and counts.
class ReportsPage : public QWidget {
    Q_OBJECT

public:
    ReportsPage(frmkelvora& frame, RaceSession& session);

    // The page refresh run when the page is chosen.
    void refresh();
    void process();

    // The standings shown, in order, every column; and their title.
    QList<QStringList> rows() const;
    QString title() const;

private:
    frmkelvora& m_frame;
    RaceSession& m_session;

    QComboBox* cbokateg = nullptr;
    QRadioButton* optzene = nullptr;
    QRadioButton* optmuski = nullptr;
    QRadioButton* optsvi = nullptr;
    QPushButton* cmdobrada = nullptr;
    QPushButton* cmdispisiz = nullptr;
    QPushButton* cmdpregledizv = nullptr;
    QLabel* lblizvjestaj = nullptr;
    QLabel* lblbrojp = nullptr;
    QLabel* lblbrojs = nullptr;
    QLabel* lblbrojc = nullptr;
    QTreeView* lsv4 = nullptr;
};
