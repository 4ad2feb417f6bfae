#pragma once

#include "app/exports.h"

#include <QDialog>
#include <QStringList>

class QComboBox;
class QPushButton;
class QRadioButton;

// "Izvoz": the choice of the list to export (for the standings also the
// category and the sex, as on the reports page) and of the file format.
class frmizvoz : public QDialog {
    Q_OBJECT

public:
    // categories: the race's category labels, offered after "Svi".
    explicit frmizvoz(const QStringList& categories, QWidget* parent = nullptr);

    exports::ExportList list() const;
    standings::Selection selection() const;
    exports::Format format() const;
    // The separator of a CSV file; the choice is kept for the next export.
    io::Separator separator() const;

private:
    void updateStandingsChoice();
    void rememberChoice();

    QRadioButton* optstartna = nullptr;
    QRadioButton* optprijavljeni = nullptr;
    QRadioButton* optciljna = nullptr;
    QRadioButton* optporedak = nullptr;
    QRadioButton* optsviporeci = nullptr;
    QRadioButton* optnagrade = nullptr;
    QComboBox* cbokateg = nullptr;
    QRadioButton* optzene = nullptr;
    QRadioButton* optmuski = nullptr;
    QRadioButton* optsvi = nullptr;
    QRadioButton* optcsv = nullptr;
    QRadioButton* opthtml = nullptr;
    QRadioButton* optpdf = nullptr;
    QComboBox* cboodvajac = nullptr;
    QPushButton* cmdizvezi = nullptr;
    QPushButton* cmdodustani = nullptr;
};
