#pragma once

#include "core/records.h"
#include "ui/racefields.h"

#include <QDialog>

class Database;
class QPushButton;

// "Upis nove utrke": stores a new race. After acceptance race() is the
// stored race and dateText() its date exactly as typed.
class frmnovautrka : public QDialog {
    Q_OBJECT

public:
    explicit frmnovautrka(Database& db, QWidget* parent = nullptr);

    const Race& race() const { return m_race; }
    const QString& dateText() const { return m_dateText; }

private slots:
    void cmdupis_Click();

private:
    Database& m_db;
    RaceFields m_fields;
    QPushButton* cmdupis = nullptr;
    QPushButton* cmdizlaz = nullptr;
    Race m_race;
    QString m_dateText;
};
