// The wiring of the three windows of statuses, race settings and the
// results check: menu item, dialog, use case, what the main window shows.

#include "app/racesession.h"
#include "core/runstates.h"
#include "core/texts.h"
#include "testutil.h"

#include <QAction>
#include <QCheckBox>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QRadioButton>
#include <QTreeView>
#include <QTreeWidget>

using testutil::find;

class TestStateWindows : public QObject {
    Q_OBJECT

private slots:
    void init() { MessageBox::clearShown(); }

    // "Status..." of both right-click menus and "Označi DNS..." of "Edit".
    void statusFromBothListsAndMarkDns()
    {
        testutil::TempDb tmp;
        frmkelvora w(tmp.path());
        testutil::makeCurrentRace(w, QStringLiteral("Utrka"), QDate(2010, 6, 1));
        const qint64 first = testutil::addCompetitor(w, "1", "Prvi", "M", QDate(1980, 1, 1));
        const qint64 absent = testutil::addCompetitor(w, "2", "Drugi", "M", QDate(1980, 1, 1));
        testutil::addFinish(w, first, "1", "00:30:00");

        testutil::selectRow(find<QTreeView>(&w, "lsv1"), 0);
        bool keptOpen = false;
        testutil::onNextDialog([&](QDialog* d) {
            QCOMPARE(d->objectName(), QStringLiteral("frmstatus"));
            find<QRadioButton>(d, "optdsq")->click();
            find<QPushButton>(d, "cmdspremi")->click();
            keptOpen = d->isVisible();
            find<QLineEdit>(d, "txtrazlog")->setText(QStringLiteral("skratio stazu"));
            find<QPushButton>(d, "cmdspremi")->click();
        });
        testutil::trigger(&w, "mnustatus");
        QVERIFY(keptOpen);
        QCOMPARE(MessageBox::shown().first().text, tx::runStateReasonMissing());
        QCOMPARE(w.session().runState(first), (RunStateEntry{RunState::Dsq, QStringLiteral("skratio stazu")}));
        QCOMPARE(testutil::cell(find<QTreeView>(&w, "lsv1"), 0, lists::StartStatus),
                 lists::stateText(w.session().runState(first)));

        w.selectPage(frmkelvora::PageResults);
        testutil::selectRow(find<QTreeView>(&w, "lsv2"), 0);
        QCOMPARE(testutil::cell(find<QTreeView>(&w, "lsv2"), 0, lists::FinishPlace), tx::runStateDsq());
        testutil::onNextDialog([&](QDialog* d) {
            find<QRadioButton>(d, "optbez")->click();
            find<QPushButton>(d, "cmdspremi")->click();
        });
        testutil::trigger(&w, "mnustatusciljna");
        QCOMPARE(w.session().runState(first).state, RunState::None);
        QCOMPARE(testutil::cell(find<QTreeView>(&w, "lsv2"), 0, lists::FinishPlace), QStringLiteral("1"));

        MessageBox::setNextAnswer(QMessageBox::Yes);
        testutil::trigger(&w, "mnuoznacidns");
        QCOMPARE(MessageBox::shown().at(MessageBox::shown().size() - 2).text, tx::markDnsQuestion(1));
        QCOMPARE(w.session().runState(absent).state, RunState::Dns);
        QCOMPARE(w.session().finishList().size(), 1);
    }

    // The detailed list's right-click: the runner of the row clicked, not of
    // the finish list's own selection; nothing below the last row.
    void statusFromDetailedList()
    {
        testutil::TempDb tmp;
        frmkelvora w(tmp.path());
        testutil::makeCurrentRace(w, QStringLiteral("Utrka"), QDate(2010, 6, 1));
        const qint64 first = testutil::addCompetitor(w, "1", "Prvi", "M", QDate(1980, 1, 1));
        const qint64 second = testutil::addCompetitor(w, "2", "Drugi", "M", QDate(1980, 1, 1));
        testutil::addFinish(w, first, "1", "00:30:00");
        testutil::addFinish(w, second, "2", "00:31:00");
        w.selectPage(frmkelvora::PageResults);
        auto* detail = find<QTreeView>(&w, "lsv3");
        testutil::selectRow(find<QTreeView>(&w, "lsv2"), 0);

        emit detail->customContextMenuRequested(detail->viewport()->rect().bottomLeft());
        QVERIFY(!w.findChild<QMenu*>(QStringLiteral("mnudetalj")));
        emit detail->customContextMenuRequested(detail->visualRect(detail->model()->index(1, 0)).center());
        auto* menu = find<QMenu>(&w, "mnudetalj");
        QVERIFY(menu->isVisible());
        menu->hide();
        QVERIFY(menu->actions().contains(find<QAction>(&w, "mnustatusciljna")));
        testutil::onNextDialog([&](QDialog* d) {
            find<QRadioButton>(d, "optdnf")->click();
            find<QPushButton>(d, "cmdspremi")->click();
        });
        find<QAction>(&w, "mnustatusciljna")->trigger();
        QCOMPARE(w.session().runState(second).state, RunState::Dnf);
        QCOMPARE(w.session().runState(first).state, RunState::None);
    }

    void settingsWindow()
    {
        testutil::TempDb tmp;
        frmkelvora w(tmp.path());
        auto* item = find<QAction>(&w, "mnupostavke");
        QCOMPARE(item->isEnabled(), find<QAction>(&w, "mnuizmjenautrke")->isEnabled());
        testutil::makeCurrentRace(w, QStringLiteral("Utrka"), QDate(2010, 6, 1));
        QVERIFY(item->isEnabled());
        bool keptOpen = false;
        testutil::onNextDialog([&](QDialog* d) {
            QCOMPARE(d->objectName(), QStringLiteral("frmpostavke"));
            QVERIFY(find<QCheckBox>(d, "chkstatusi")->isChecked());
            find<QCheckBox>(d, "chkstatusi")->setChecked(false);
            find<QLineEdit>(d, "txtduzina")->setText(QStringLiteral("deset"));
            find<QPushButton>(d, "cmdspremi")->click();
            keptOpen = d->isVisible();
            find<QLineEdit>(d, "txtduzina")->setText(QStringLiteral("10,5"));
            find<QPushButton>(d, "cmdspremi")->click();
        });
        testutil::trigger(&w, "mnupostavke");
        QVERIFY(keptOpen);
        QCOMPARE(MessageBox::shown().first().text, tx::settingsCourseBad());
        QCOMPARE(w.session().settings(), (RaceSettings{false, 10.5, false, {}}));
    }

    // The list of findings, "Zanemari", and a double click selecting the finish record.
    void checkWindow()
    {
        testutil::TempDb tmp;
        frmkelvora w(tmp.path());
        testutil::makeCurrentRace(w, QStringLiteral("Utrka"), QDate(2010, 6, 1));
        const qint64 first = testutil::addCompetitor(w, "1", "Prvi", "M", QDate(1980, 1, 1));
        const qint64 second = testutil::addCompetitor(w, "2", "Drugi", "X", QDate(1980, 1, 1));
        testutil::addFinish(w, first, "1", "00:31:00");
        testutil::addFinish(w, second, "2", "00:00:00");

        QStringList kinds;
        testutil::onNextDialog([&](QDialog* d) {
            auto* list = find<QTreeWidget>(d, "lsvprovjera");
            for (int i = 0; i < list->topLevelItemCount(); ++i)
                kinds << list->topLevelItem(i)->text(0);
            list->topLevelItem(1)->setSelected(true);
            find<QPushButton>(d, "cmdzanemari")->click();
            emit list->itemDoubleClicked(list->topLevelItem(0), 0);
        });
        testutil::trigger(&w, "mnuprovjera");
        QCOMPARE(kinds, (QStringList{tx::checkError(), tx::checkWarning()}));
        // The zero time is the first row of the finish list, now selected.
        QCOMPARE(find<QTabWidget>(&w, "SSTab1")->currentIndex(), int(frmkelvora::PageResults));
        QCOMPARE(testutil::selectedRows(find<QTreeView>(&w, "lsv3")), QList<int>{0});

        int shown = -1;
        testutil::onNextDialog([&](QDialog* d) {
            shown = find<QTreeWidget>(d, "lsvprovjera")->topLevelItemCount();
            d->reject();
        });
        testutil::trigger(&w, "mnuprovjera");
        QCOMPARE(shown, 1);
    }
};

KVR_TEST_MAIN(TestStateWindows)
#include "test_statewindows.moc"
