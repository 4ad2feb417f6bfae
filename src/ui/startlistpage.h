#pragma once

#include "core/outcome.h"
#include "core/records.h"
#include "ui/pageutil.h"

#include <QWidget>

class QComboBox;
class QGridLayout;
class QLineEdit;
class QPushButton;
class QTreeView;
class RaceSession;
class StartListShownModel;
class frmkelvora;

// "Startna lista": the start list lsv1 and the entry fields of a new
// competitor, with the commands on a competitor (add, edit, delete). The
// search field txttrazi above the list ("Traži", Ctrl+F; Esc empties it)
// narrows the list as one types; the commands work on the rows shown.
class StartListPage : public QWidget {
    Q_OBJECT

public:
    StartListPage(frmkelvora& frame, RaceSession& session, QGridLayout* header);

    bool hasRows() const;
    // The start list in the order lsv1 shows it, every column; with
    // startNumbersOnly, rows without a start number are left out.
    QList<QStringList> rowsInViewOrder(bool startNumbersOnly) const;

    void addCompetitor();
    void editCompetitor();
    void deleteCompetitor();

private:
    ui::FieldMap entryFields() const;
    // While an entry is stored its fields and button wait.
    void setStoring(bool storing);
    void competitorAdded(const Outcome<Competitor>& stored);
    void deleteConfirmed(qint64 id, const QString& name, bool withFinishRecord);
    void onHeaderClicked(int section);
    void onContextMenu(const QPoint& pos);
    void onDoubleClicked();

    frmkelvora& m_frame;
    RaceSession& m_session;
    StartListShownModel* m_shown = nullptr;
    int m_sortColumn = -1;
    bool m_sortDescending = false;
    bool m_storing = false;

    QLineEdit* txttrazi = nullptr;
    QTreeView* lsv1 = nullptr;
    QLineEdit* txtime = nullptr;
    QLineEdit* txtsbroj = nullptr;
    QLineEdit* txtdrzava = nullptr;
    QLineEdit* txtklub = nullptr;
    QComboBox* cbospol = nullptr;
    QLineEdit* txtdatumrod = nullptr;
    QPushButton* cmddodaj = nullptr;
    QPushButton* cmdispis = nullptr;
    QPushButton* cmdpregled = nullptr;
};
