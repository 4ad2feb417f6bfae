#pragma once

#include "core/outcome.h"
#include "core/records.h"
#include "ui/pageutil.h"

#include <QWidget>

class QLabel;
class QLineEdit;
class QPushButton;
class QTreeView;
class RaceSession;
class frmkelvora;
class QMenu;

// "Rezultati": the finish entry at the judges' pace, the finish list lsv2
// and the detailed finish list lsv3 with the counters. Under the start
// number, lblbrojr names the competitor the number typed so far belongs to.
class ResultsPage : public QWidget {
    Q_OBJECT

public:
    ResultsPage(frmkelvora& frame, RaceSession& session);

    // The page refresh run when the page is chosen.
    void refresh();
    void enterFinish();
    void removeFinish();

private:
    // The entry's fields wait (disabled, "sprema se") while it is stored.
    void setStoring(bool storing);
    void finishStored(const Outcome<FinishRecord>& stored, const ui::FieldMap& fields);
    void showCounters();
    // Shows the counters and menus after this page's own change.
    void showAgain();
    // The lists read again where another writer changed them and the
    // counters shown; whether the finish list's menu belongs on the bar.
    bool readLists();
    void showNumberNote();
    // Right-click on lsv3: its row's runner's status, as from lsv2.
    void onDetailMenu(const QPoint& pos);

    frmkelvora& m_frame;
    RaceSession& m_session;

    bool m_storing = false;
    QLineEdit* txtsbrojr = nullptr;
    QLabel* lblbrojr = nullptr;
    QLineEdit* txtvrijeme = nullptr;
    QPushButton* cmdunos = nullptr;
    QTreeView* lsv2 = nullptr;
    QTreeView* lsv3 = nullptr;
    QMenu* mnudetalj = nullptr;
    QLabel* lbliz4 = nullptr;
    QLabel* lbliz5 = nullptr;
    QLabel* lbliz6 = nullptr;
};
