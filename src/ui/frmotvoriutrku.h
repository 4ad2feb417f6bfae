#pragma once

#include <QDialog>

class RaceSession;
class QLabel;
class QPushButton;
class QTreeWidget;

// "Otvori utrku": lists the races offered for opening, in key order. After
// acceptance raceId() is the key of the chosen race.
class frmotvoriutrku : public QDialog {
    Q_OBJECT

public:
    explicit frmotvoriutrku(RaceSession& session, QWidget* parent = nullptr);

    // Fills the list; a database error is shown and false returned.
    bool load();
    qint64 raceId() const { return m_raceId; }

private slots:
    void cmdotvori_Click();

private:
    RaceSession& m_session;
    QTreeWidget* lstotvori = nullptr;
    QLabel* Label1 = nullptr;
    QPushButton* cmdotvori = nullptr;
    QPushButton* cmdizlaz = nullptr;
    qint64 m_raceId = 0;
};
