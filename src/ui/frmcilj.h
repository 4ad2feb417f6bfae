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
class EditLog;
class QKeyEvent;

// "Bilježenje na cilju": the race clock, one key per finisher (Space
// wherever the focus is, or "Vrijeme"), start numbers typed into txtcilj and
// Enter (lblcilj tells what Enter will do), the captured times in lsvcilj
// (newest at the bottom, in view unless a corrected row is), corrections
// from the buttons beside the list, their keys or its context menu, and
// Ctrl+Z / Ctrl+Shift+Z through the change log. Esc only clears the number;
// closing while the race clock runs asks first. A refusal never opens a
// message box while times are captured: it shows in the status line, so the
// next finisher's keys reach the window. The writes run on a thread of their
// own: a press shows at once, whatever the disk or the server does.
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
    // The undo and redo of the main window's Edit menu (one is made when none is given).
    void setEditLog(EditLog* log) { m_editLog = log; }
    // Shows this captured row selected and in view (the results check's finding).
    void selectRow(qint64 rowId);
    // Closes without asking (the window's race is no longer open).
    void closeWithoutAsking();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void reject() override;

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
    // The one row selected (kept selected after the correction), or 0 after telling to select one.
    qint64 oneSelectedRow();
    // The keys of the window, wherever the focus is; true when handled.
    bool handleKey(QKeyEvent* key, bool inNumberField);
    void onInsert();
    void onDelete();
    void onChangeNumber();
    void onShift(bool up);
    void onUndo(bool undo);
    void showPreview();
    void onReset();

    EditLog* m_editLog = nullptr;
    qint64 m_keptRow = 0; // a corrected row kept selected and in view
    bool m_closing = false;
    QLabel* lblcilj = nullptr;
    QPushButton* cmdumetni = nullptr;
    QPushButton* cmdobrisi = nullptr;
    QPushButton* cmdbroj = nullptr;
    QPushButton* cmdpomakgore = nullptr;
    QPushButton* cmdpomakdolje = nullptr;
    QPushButton* cmdpotvrdi = nullptr;
    QPushButton* cmdzatvori = nullptr;

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
