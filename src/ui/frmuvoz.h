#pragma once

#include "core/outcome.h"

#include <QDialog>
#include <QStringList>
#include <functional>

class QLabel;
class QPushButton;
class QTreeView;

// "Uvoz": the preview of an import. Lists every row of the file with its
// line number and either "novi" or why it is refused, counts both, and
// stores the accepted rows on "Uvezi". The rows are read from the preview
// through a model as the list shows them, so a file of many thousands of
// rows opens at once.
class frmuvoz : public QDialog {
    Q_OBJECT

public:
    struct Content {
        QString title;
        QStringList headers;
        int rowCount = 0;
        // The text of a cell; the last column holds the row's state.
        std::function<QString(int row, int column)> cell;
        std::function<bool(int row)> accepted;
        // Whether an accepted row is marked (a value of it was changed on
        // the way in); none: no row is.
        std::function<bool(int row)> marked;
        int acceptedCount = 0;
        int refusedCount = 0;
    };
    // store runs the import; the dialog closes when it succeeds and shows
    // its failure otherwise, staying open.
    frmuvoz(Content content, std::function<Status()> store, QWidget* parent = nullptr);

    // A panel above the list (the choices of how the file is read); the
    // dialog owns it.
    void setTopPanel(QWidget* panel);
    // A panel under the list (a note on the whole file with its ways on);
    // the dialog owns it.
    void setBottomPanel(QWidget* panel);
    // The rows were checked again: the list, the counts and Uvezi follow.
    // note, when set, is shown instead of the selected row's state.
    void rowsChanged(int rowCount, int acceptedCount, int refusedCount, const QString& note = {});

private:
    void onImport();
    // The height the panels want, within the screen's.
    void fitScreen();
    void fitColumns();
    void showDetails();

    Content m_content;
    std::function<Status()> m_store;
    QTreeView* lsvuvoz = nullptr;
    QLabel* lblrazlog = nullptr;
    QString m_note;
    QLabel* lblbroj = nullptr;
    QPushButton* cmduvezi = nullptr;
    QPushButton* cmdodustani = nullptr;
};
