#pragma once

#include <QDialog>

class Database;
class QLabel;
class QPlainTextEdit;
class QPushButton;

// "Nagrade": shows and stores the free-text prize fund of a race.
class frmnagrade : public QDialog {
    Q_OBJECT

public:
    frmnagrade(Database& db, qint64 raceId, const QString& storedText, QWidget* parent = nullptr);

private slots:
    void cmdnagrade_Click();

private:
    Database& m_db;
    qint64 m_raceId;
    QLabel* lblnagrade = nullptr;
    QPlainTextEdit* txtnagrade = nullptr;
    QPushButton* cmdnagrade = nullptr;
    QPushButton* cmdizlaznagrade = nullptr;
};
