#pragma once

#include "ui/competitorfields.h"

#include <QDialog>

class QLabel;
class QPushButton;
class QTreeWidgetItem;
class frmkelvora;

// Competitor editing: opens with the values of one start list row, tests
// the changed entry as adding does (the competitor keeps its own start
// number), stores it and refills the main window's start list.
class frmizmjena : public QDialog {
    Q_OBJECT

public:
    explicit frmizmjena(frmkelvora& window);

    // Copies the cells of a start list row into the fields, as the list
    // shows them, and its key into lblide.
    void setRow(const QTreeWidgetItem& row);

private slots:
    void cmdizmjena_Click();

private:
    frmkelvora& m_window;
    CompetitorFields m_fields;
    QLabel* lblide = nullptr;
    QPushButton* cmdizmjena = nullptr;
    QPushButton* cmdizlaz = nullptr;
};
