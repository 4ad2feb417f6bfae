#pragma once

#include "app/finishline.h"

#include <QDialog>
#include <memory>

class QLabel;
class QLineEdit;
class QPushButton;
class QTreeView;
class QMenu;
class RaceSession;

// "Bilježenje na cilju": the race clock, one key per finisher (Space or
// "Vrijeme"), start numbers typed into txtcilj and Enter, the captured
// times in lsvcilj (newest at the bottom, always in view) and corrections
// from its context menu. A refusal never opens a message box while times
// are captured: it shows in the status line, so the next finisher's keys
// reach the window.
class frmcilj : public QDialog {
    Q_OBJECT

public:
    frmcilj(RaceSession& session, std::shared_ptr<finishline::Clock> clock = {}, QWidget* parent = nullptr);
    ~frmcilj() override;

    finishline::FinishLine& line() { return *m_line; }
    // The status line's text: the last refusal or failure, empty after a success.
    QString statusText() const;

    void recordTime(quint64 eventTimestamp = 0);
    void enterNumber();
    void importFile();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    template <typename T>
    bool report(const Outcome<T>& outcome);
    void showCounts();
    void tick();
    void onStart();
    void onUndoStart();
    void onSetStart();
    void onContextMenu(const QPoint& at);
    QList<qint64> selectedRowIds() const;

    RaceSession& m_session;
    std::unique_ptr<finishline::FinishLine> m_line;
    finishline::CaptureModel* m_model = nullptr;
    QLabel* lblsat = nullptr;
    QLabel* lblbrojevi = nullptr;
    QLabel* lblstanje = nullptr;
    QLabel* lblcekanje = nullptr;
    QTreeView* lsvcilj = nullptr;
    QLineEdit* txtcilj = nullptr;
    QPushButton* cmdvrijeme = nullptr;
    QPushButton* cmdstart = nullptr;
    QPushButton* cmdponististart = nullptr;
    QPushButton* cmdupisistart = nullptr;
    QPushButton* cmduvozcilj = nullptr;
    QMenu* m_corrections = nullptr;
};
