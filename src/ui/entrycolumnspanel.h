#pragma once

#include "app/imports.h"
#include "core/csv.h"

#include <QList>
#include <QWidget>

class QCheckBox;
class QComboBox;
class QLineEdit;
class QTableWidget;
class QTimer;

// How an entry file is read, chosen above its preview: the first rows of
// the file with a choice of meaning over each column (cbostupac1, ...),
// whether the first line is a header (chknaslov), a default value for each
// field the file may lack (txtzadano...), and whether long values are cut
// (chkskrati). Tells of every change; a meaning chosen for a second column
// leaves the first one.
class EntryColumnsPanel : public QWidget {
    Q_OBJECT

public:
    EntryColumnsPanel(const io::CsvResult& file, const io::EntryLayout& start, QWidget* parent = nullptr);

    imports::EntryImportOptions options() const;
    io::EntryLayout layout() const;

signals:
    void changed();

private:
    void onColumnChosen(int column);

    QTableWidget* tblstupci = nullptr;
    QList<QComboBox*> m_choices;
    QCheckBox* chknaslov = nullptr;
    QCheckBox* chkskrati = nullptr;
    QList<QPair<io::EntryColumn, QLineEdit*>> m_defaults;
    QTimer* m_typed = nullptr;
};
