#pragma once

#include <QDialog>

class RaceSession;
class QLabel;
class QPlainTextEdit;
class QPushButton;

// "Nagrade": shows and stores the free-text prize fund of a race.
class frmnagrade : public QDialog {
    Q_OBJECT

public:
    frmnagrade(RaceSession& session, const QString& storedText, QWidget* parent = nullptr);

private slots:
    void cmdnagrade_Click();

private:
    RaceSession& m_session;
    QLabel* lblnagrade = nullptr;
    QPlainTextEdit* txtnagrade = nullptr;
    QPushButton* cmdnagrade = nullptr;
    QPushButton* cmdizlaznagrade = nullptr;
};
