#pragma once

#include "app/seriessession.h"
#include "ui/frmkelvora.h"

#include <QDialog>

class frmkelvora;
class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPlainTextEdit;
class QPushButton;
class QRadioButton;
class QSpinBox;
class QTabWidget;
class QTableWidget;
class QTreeView;
class QTreeWidget;
class SeriesModel;

// "Kup / serija utrka": the series of this database; each one's races and
// rules, its standings (lsvkup), the matches of who is who across races
// with split and join, and its prize list; printed, previewed and exported
// as the race's lists are. Each handler calls one use case of the series
// session and shows its refusal or result.
class frmkup : public QDialog {
    Q_OBJECT

public:
    frmkup(frmkelvora& window, QWidget* parent = nullptr);

    SeriesSession& seasons() { return m_seasons; }
    // The series shown, 0 for a new one not yet stored.
    qint64 currentId() const { return m_current.id; }
    // Shows the series with this key (the first one for 0).
    void showSeries(qint64 id);

    // The handlers, also called by tests.
    void newSeries();
    bool storeSeries();
    bool renameSeries(const QString& name);
    bool removeSeries();
    bool splitSelected();
    bool takeBackSelected();
    bool joinSelected();
    void print();
    void preview();
    // The list of the tab shown (the prize list, or the standings) to a file the user chooses.
    void exportList(exports::Format format);
    // Closing (Zatvori, Escape, the title bar) with the form changed since
    // it was shown asks whether to store it; a refused store keeps the
    // window open with what was typed.
    void reject() override;

private:
    // What the form holds now, to tell whether it was changed.
    QStringList formState() const;
    void fillSeriesList(qint64 select);
    void fillForm(const series::Definition& definition);
    std::optional<series::Definition> formDefinition();
    void score();
    void showSex();
    QList<QStringList> prizeRows() const;
    // The match chosen in lstspojevi; none (after saying so) when no match is chosen.
    const series::Match* selectedMatch();
    std::optional<frmkelvora::Printout> printout();

    frmkelvora& m_window;
    SeriesSession m_seasons;
    series::Definition m_current;
    std::optional<SeriesResult> m_result;
    QList<series::Row> m_shown; // the rows of the chosen sex
    SeriesModel* m_model = nullptr;

    QComboBox* cbokup = nullptr;
    QPushButton* cmdnovi = nullptr;
    QPushButton* cmdpreimenuj = nullptr;
    QPushButton* cmdobrisi = nullptr;
    QTabWidget* tabkup = nullptr;
    // Standings.
    QComboBox* cbospol = nullptr;
    QTreeView* lsvkup = nullptr;
    QLabel* lblkup = nullptr;
    QPushButton* cmdspoji = nullptr;
    // Races and rules.
    QLineEdit* txtime = nullptr;
    QListWidget* lstutrke = nullptr;
    QPushButton* cmdgore = nullptr;
    QPushButton* cmddolje = nullptr;
    QSpinBox* txtplanirano = nullptr;
    QRadioButton* optbodovi = nullptr;
    QSpinBox* txtbodovi = nullptr;
    QRadioButton* optpopis = nullptr;
    QLineEdit* txtpopis = nullptr;
    QComboBox* cbomjesto = nullptr;
    QSpinBox* txtnajbolji = nullptr;
    QSpinBox* txtnajmanje = nullptr;
    QLineEdit* txtbezkluba = nullptr;
    QTableWidget* tblnagrade = nullptr;
    QPushButton* cmdspremi = nullptr;
    // Matches and the check.
    QTreeWidget* lstspojevi = nullptr;
    QPushButton* cmdrazdvoji = nullptr;
    QPushButton* cmdponisti = nullptr;
    QPlainTextEdit* txtprovjera = nullptr;
    // Prizes.
    QTreeWidget* lsvnagrade = nullptr;
    // Printouts and exports.
    QPushButton* cmdispis = nullptr;
    QPushButton* cmdpregled = nullptr;
    QComboBox* cboformat = nullptr;
    QPushButton* cmdizvoz = nullptr;
    QPushButton* cmdzatvori = nullptr;
    QStringList m_formState; // as the form was last filled
};
