#pragma once

#include <QDialog>
#include <QStringList>

class QLabel;
class QListWidget;
class QPushButton;

// "Kategorije": lists the age-category labels.
class frmkategorije : public QDialog {
    Q_OBJECT

public:
    explicit frmkategorije(const QStringList& labels, QWidget* parent = nullptr);

private:
    QLabel* Label1 = nullptr;
    QListWidget* List1 = nullptr;
    QPushButton* cmdizlazk = nullptr;
};
