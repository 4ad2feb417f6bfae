#pragma once

#include <QDialog>
#include <functional>

class ChangeLogModel;
class QComboBox;
class QLineEdit;
class QPushButton;
class QTreeView;
class RaceSession;

// "Dnevnik izmjena": the current race's changes in lsvdnevnik, newest
// first, filtered by station, kind and start number or name; "Izvoz CSV"
// writes what the list holds. The station's own name is set here too
// (txtimestanice), beside the names the log shows.
class frmdnevnik : public QDialog {
    Q_OBJECT

public:
    frmdnevnik(RaceSession& session, QWidget* parent = nullptr);

    // Reads the log again; false after showing a failure.
    bool load();
    ChangeLogModel* model() const { return m_model; }

    using SaveFileNameProvider = std::function<QString(const QString& suggestedPath, const QString& filter)>;
    void setSaveFileNameProvider(SaveFileNameProvider provider) { m_saveFileName = std::move(provider); }

    void exportCsv();
    void applyFilter();
    void applyStationName();

signals:
    // The station's name changed: the undo history is another station's.
    void stationRenamed();

private:
    RaceSession& m_session;
    ChangeLogModel* m_model;
    SaveFileNameProvider m_saveFileName;
    QTreeView* lsvdnevnik = nullptr;
    QComboBox* cbostanica = nullptr;
    QComboBox* cbovrsta = nullptr;
    QLineEdit* txttrazi = nullptr;
    QLineEdit* txtimestanice = nullptr;
    QPushButton* cmdizvoz = nullptr;
    QPushButton* cmdzatvori = nullptr;
};
