#pragma once

#include "core/records.h"

#include <QDialog>

class Database;
class QLabel;
class QPushButton;
class QTreeWidget;

// "Otvori utrku": lists the races offered for opening, in key order. After
// acceptance race() is the chosen race as stored.
class frmotvoriutrku : public QDialog {
    Q_OBJECT

public:
    explicit frmotvoriutrku(Database& db, QWidget* parent = nullptr);

    // Fills the list; a database error is shown and false returned.
    bool load();
    const Race& race() const { return m_race; }

private slots:
    void cmdotvori_Click();

private:
    Database& m_db;
    QTreeWidget* lstotvori = nullptr;
    QLabel* Label1 = nullptr;
    QPushButton* cmdotvori = nullptr;
    QPushButton* cmdizlaz = nullptr;
    Race m_race;
};
