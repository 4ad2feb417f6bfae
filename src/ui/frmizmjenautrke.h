#pragma once

#include "core/records.h"
#include "ui/racefields.h"

#include <QDialog>

class Database;
class QPushButton;

// "Izmjena podataka o utrci": changes the name, organiser and date of a
// race, prefilled with the texts the main window shows. After acceptance
// race() holds the stored values.
class frmizmjenautrke : public QDialog {
    Q_OBJECT

public:
    frmizmjenautrke(Database& db, qint64 raceId, const QString& name, const QString& organiser,
                    const QString& dateText, QWidget* parent = nullptr);

    const Race& race() const { return m_race; }

private slots:
    void cmizmjena_Click();

private:
    Database& m_db;
    RaceFields m_fields;
    QPushButton* cmizmjena = nullptr;
    QPushButton* cmdizlaz = nullptr;
    Race m_race;
};
