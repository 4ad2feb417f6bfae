#pragma once

#include "core/checks.h"

#include <QDialog>
#include <functional>

class QLabel;
class QPushButton;
class QTreeWidget;
class RaceSession;

// "Provjera rezultata": the findings of the results check in lsvprovjera,
// following the live refresh. A double click opens the competitor's editing
// dialog or, for a finding about a finish record, asks the main window to
// select it (finishWanted) and closes.
class frmprovjera : public QDialog {
    Q_OBJECT

public:
    frmprovjera(RaceSession& session, QWidget* parent = nullptr);

    // Fills the list; false after showing a failure.
    bool load();
    const QList<checks::Finding>& findings() const { return m_findings; }

    // Asks where the CSV file goes (suggested path and filter in, chosen path
    // out, empty when cancelled); by default Qt's save dialog.
    using SaveFileNameProvider = std::function<QString(const QString& suggestedPath, const QString& filter)>;
    void setSaveFileNameProvider(SaveFileNameProvider provider) { m_saveFileName = std::move(provider); }

    void ignoreSelected();
    void exportCsv();
    void openFinding(int row);

signals:
    void finishWanted(qint64 finishId);
    // A finding of the finish line: its window, with this captured row selected.
    void capturedRowWanted(qint64 rowId);

private:
    void show(const QList<checks::Finding>& findings);

    RaceSession& m_session;
    QList<checks::Finding> m_findings;
    SaveFileNameProvider m_saveFileName;
    QTreeWidget* lsvprovjera = nullptr;
    QLabel* lblprovjera = nullptr;
    QPushButton* cmdzanemari = nullptr;
    QPushButton* cmdizvoz = nullptr;
    QPushButton* cmdzatvori = nullptr;
};
