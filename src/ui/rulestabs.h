#pragma once

#include <QList>
#include <QStringList>
#include <QWidget>
#include <functional>

class QCheckBox;
class QComboBox;
class QLineEdit;
class QSpinBox;
class QTableWidget;
class RaceSession;
struct RaceRules;
struct TeamRules;

// The two tabs of "Postavke utrke..." that edit the race's own categories
// and prize categories: a table each, rows added, removed and moved, read
// from and written to CSV files, the standard rules, and the rules of
// another race ("Pravila kao u utrci..."). Nothing is stored until the
// settings window stores it (store()).
class RulesTabs : public QObject {
    Q_OBJECT

public:
    using SavePathProvider = std::function<QString(const QString& suggestedPath, const QString& filter)>;
    // The rules of another race chosen from the listed ones; -1 when cancelled.
    using RaceChooser = std::function<qint64(const QList<std::pair<qint64, QString>>& races)>;

    RulesTabs(RaceSession& session, QWidget* parent);

    QWidget* categoriesTab() const { return m_categoriesTab; }
    QWidget* prizesTab() const { return m_prizesTab; }
    // "Ekipe": the race's team rule (off unless checked).
    QWidget* teamsTab() const { return m_teamsTab; }
    // The team rule as the tab holds it.
    TeamRules teams() const;
    void setSavePathProvider(SavePathProvider provider) { m_savePath = std::move(provider); }
    void setRaceChooser(RaceChooser chooser) { m_chooseRace = std::move(chooser); }

    // Stores the tables when they differ from the race's rules; false after
    // showing the refusal.
    bool store();
    // Fills the categories' table with these rules' categories, to be
    // checked and changed before the settings window stores them.
    void propose(const RaceRules& rules);

private:
    QWidget* makeTab(QTableWidget* table, bool categories);
    void fill(const RaceRules& rules);
    QWidget* makeTeamsTab();
    void importFile(bool categories);
    void exportFile(bool categories);
    void copyFromRace();
    QList<QStringList> cells(const QTableWidget* table) const;
    void setCells(QTableWidget* table, const QList<QStringList>& cells);

    RaceSession& m_session;
    QWidget* m_parent;
    QTableWidget* tblkategorije = nullptr;
    QTableWidget* tblnagrade = nullptr;
    QWidget* m_categoriesTab = nullptr;
    QWidget* m_prizesTab = nullptr;
    QWidget* m_teamsTab = nullptr;
    QCheckBox* chkekipe = nullptr;
    QSpinBox* txtekipa = nullptr;
    QSpinBox* txtdodatni = nullptr;
    QComboBox* cboekipepo = nullptr;
    QComboBox* cbobodovanje = nullptr;
    QSpinBox* txtnagradeekipa = nullptr;
    QLineEdit* txtbezkluba = nullptr;
    SavePathProvider m_savePath;
    RaceChooser m_chooseRace;
};
