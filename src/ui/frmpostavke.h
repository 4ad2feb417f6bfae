#pragma once

#include <QDialog>

class QCheckBox;
class QLineEdit;
class QPushButton;
class QTabWidget;
class RaceSession;
class RulesTabs;

// "Postavke utrke": the current race's own settings, stored with the race
// and seen by every station. One page per area, so that later settings
// (categories, prizes) get pages of their own.
class frmpostavke : public QDialog {
    Q_OBJECT

public:
    frmpostavke(RaceSession& session, QWidget* parent = nullptr);
    // The tabs of the race's categories and prizes.
    RulesTabs* rulesTabs() const { return m_rulesTabs; }
    // Opens on the categories' tab.
    void showCategories();

private:
    void store();

    RaceSession& m_session;
    QTabWidget* tabpostavke = nullptr;
    QCheckBox* chkstatusi = nullptr;
    QCheckBox* chksluzbeni = nullptr;
    QCheckBox* chkrazlog = nullptr;
    QLineEdit* txtduzina = nullptr;
    QLineEdit* txtrazmak = nullptr;
    QLineEdit* txtcekanje = nullptr;
    QPushButton* cmdspremi = nullptr;
    QPushButton* cmdodustani = nullptr;
    RulesTabs* m_rulesTabs = nullptr;
};
