#include "testutil.h"

#include "core/finishlist.h"
#include "core/competitorrules.h"
#include "core/texts.h"
#include "core/timerules.h"

#include <QAction>
#include <QElapsedTimer>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QTabWidget>
#include <QTreeView>
#include <QTreeWidget>

using testutil::TempDb;

namespace {

// A window with a current race dated 15.06.2010 and four competitors:
// "07", "12", "5" and one without a start number.
struct RaceWindow {
    TempDb tmp;
    frmkelvora w{tmp.path()};
    qint64 raceId = 0;
    qint64 ana = 0, marko = 0, ivo = 0;
    QLineEdit* sbroj = nullptr;
    QLineEdit* time = nullptr;
    QPushButton* unos = nullptr;
    QTreeView* lsv2 = nullptr;
    QTreeView* lsv3 = nullptr;
    QTabWidget* tabs = nullptr;

    explicit RaceWindow(bool withCompetitors = true)
    {
        raceId = testutil::makeCurrentRace(w, QStringLiteral("Polumaraton"), QDate(2010, 6, 15));
        if (withCompetitors) {
            ana = testutil::addCompetitor(w, "07", QStringLiteral("Ana Anić"), QStringLiteral("Ž"), QDate(1980, 3, 1));
            marko = testutil::addCompetitor(w, "12", "Marko Marić", "M", QDate(1992, 5, 5), "BIH", "AK Mostar");
            ivo = testutil::addCompetitor(w, "5", "Ivo Ivić", "M", QDate(1950, 1, 1));
            testutil::addCompetitor(w, "", "Petra Perić", QStringLiteral("Ž"), QDate(1985, 8, 8));
        }
        sbroj = testutil::find<QLineEdit>(&w, "txtsbrojr");
        time = testutil::find<QLineEdit>(&w, "txtvrijeme");
        unos = testutil::find<QPushButton>(&w, "cmdunos");
        lsv2 = testutil::find<QTreeView>(&w, "lsv2");
        lsv3 = testutil::find<QTreeView>(&w, "lsv3");
        tabs = testutil::find<QTabWidget>(&w, "SSTab1");
    }

    void showActive()
    {
        w.show();
        QApplication::setActiveWindow(&w);
        QVERIFY(QTest::qWaitForWindowActive(&w));
    }

    void enter(const QString& number, const QString& t)
    {
        sbroj->setText(number);
        time->setText(t);
        unos->click();
        // Stored in the background: the fields wait until the database answered.
        QTRY_VERIFY(unos->isEnabled());
    }

    QList<FinishRecord> stored() { return w.database().finishList(raceId).value(); }

    bool finishMenuVisible() { return testutil::find<QMenu>(&w, "mnuciljnalista")->menuAction()->isVisible(); }
    bool startMenuVisible() { return testutil::find<QMenu>(&w, "mnustartnalista")->menuAction()->isVisible(); }
    QString label(const char* name) { return testutil::find<QLabel>(&w, name)->text(); }

    // Selects the finish-list row at index, as a click on it does.
    void selectRow(int index)
    {
        lsv2->clearSelection();
        testutil::selectRow(lsv2, index);
    }
};

QList<Competitor> competitors(const QList<std::pair<qint64, QString>>& idAndNumber)
{
    QList<Competitor> list;
    for (const auto& [id, number] : idAndNumber) {
        Competitor c;
        c.id = id;
        c.sbroj = number;
        list.append(c);
    }
    return list;
}

} // namespace

class TestFinish : public QObject {
    Q_OBJECT

private slots:
    void init() { MessageBox::clearShown(); }

    // ---- Plain rules ---------------------------------------------------------

    void timeCheck_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("accepted");
        QTest::newRow("ordinary") << "02:12:58" << true;
        QTest::newRow("all zero") << "00:00:00" << true;
        QTest::newRow("highest") << "59:59:59" << true;
        QTest::newRow("hours 60") << "60:00:00" << false;
        QTest::newRow("minutes 60") << "02:60:00" << false;
        QTest::newRow("seconds 60") << "02:12:60" << false;
        QTest::newRow("one-digit hours") << "2:12:58" << false;
        QTest::newRow("no seconds") << "02:12" << false;
        QTest::newRow("empty seconds") << "02:12:" << false;
        QTest::newRow("one-digit seconds") << "02:12:5" << false;
        QTest::newRow("dot in hours") << "0.:12:58" << false;
        QTest::newRow("dots for colons") << "02.12.58" << false;
        QTest::newRow("dot for the second colon") << "02:12.58" << false;
        QTest::newRow("empty") << "" << false;
        QTest::newRow("too long") << "02:12:581" << false;
        QTest::newRow("minus") << "-1:12:58" << false;
        QTest::newRow("non-latin digits") << QStringLiteral("٠٢:١٢:٥٨") << false;
    }

    void timeCheck()
    {
        QFETCH(QString, text);
        QFETCH(bool, accepted);
        QCOMPARE(rules::isFinishTime(text), accepted);
    }

    void startNumberLookup_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<qint64>("found");
        QTest::newRow("exact") << "12" << qint64(2);
        QTest::newRow("7 is not 07") << "7" << qint64(0);
        QTest::newRow("07") << "07" << qint64(1);
        QTest::newRow("blanks around both") << " 33 " << qint64(4);
        QTest::newRow("empty matches nobody") << "" << qint64(0);
        QTest::newRow("blanks match nobody") << "  " << qint64(0);
        QTest::newRow("first of two") << "9" << qint64(5);
    }

    void startNumberLookup()
    {
        QFETCH(QString, typed);
        QFETCH(qint64, found);
        const QList<Competitor> list =
            competitors({{1, "07"}, {2, "12"}, {3, ""}, {4, "33 "}, {5, "9"}, {6, "9"}});
        QCOMPARE(rules::StartNumberIndex(list).first(typed), found);
    }

    void detailRowsFindCompetitorsByKey()
    {
        Competitor ana;
        ana.id = 10;
        ana.sbroj = "1";
        ana.ime = QStringLiteral("Ana Anić");
        ana.drzava = "HRV";
        ana.spol = QStringLiteral("Ž");
        ana.datum = QDate(1990, 12, 31);
        FinishRecord first{1, 10, 1, "1", "01:30:00"};
        FinishRecord gone{2, 99, 1, "4", "01:31:00"};
        const auto rows = standings::finishDetailRows({first, gone}, {ana}, QDate(2008, 1, 1));
        QCOMPARE(rows.size(), 2);
        QCOMPARE(rows.at(0), (QStringList{"1", "1", QStringLiteral("Ana Anić"), "1990", "HRV", QStringLiteral("Ž"),
                                          "do 18", "01:30:00"}));
        QCOMPARE(rows.at(1), (QStringList{"2", "4", "", "", "", "", "", "01:31:00"}));
    }

    // ---- Entry ---------------------------------------------------------------

    void noRaceGivesOnlyTheRaceMessage()
    {
        TempDb tmp;
        frmkelvora w(tmp.path());
        testutil::find<QLineEdit>(&w, "txtsbrojr")->setText("7");
        testutil::find<QLineEdit>(&w, "txtvrijeme")->setText("99");
        testutil::find<QPushButton>(&w, "cmdunos")->click();
        QCOMPARE(MessageBox::shown().size(), 1);
        QCOMPARE(MessageBox::last().text, tx::openRaceFirstFinish());
        QCOMPARE(testutil::find<QLineEdit>(&w, "txtvrijeme")->text(), QStringLiteral("99"));
    }

    void entryStoresAndRefills()
    {
        RaceWindow r;
        r.showActive();
        r.w.selectPage(frmkelvora::PageResults);
        QVERIFY(MessageBox::shown().isEmpty());
        QVERIFY(!r.finishMenuVisible());

        r.enter("12", "02:12:58");
        QVERIFY(MessageBox::shown().isEmpty());
        QCOMPARE(r.tabs->currentIndex(), int(frmkelvora::PageResults));
        QCOMPARE(testutil::columnTexts(r.lsv2, 0), QStringList{"1"});
        QCOMPARE(testutil::columnTexts(r.lsv2, 1), QStringList{"12"});
        QCOMPARE(testutil::columnTexts(r.lsv2, 2), QStringList{"02:12:58"});
        QCOMPARE(testutil::columnTexts(r.lsv2, 3), QStringList{QString::number(r.marko)});
        QCOMPARE(r.stored().size(), 1);
        QVERIFY(r.sbroj->text().isEmpty());
        QVERIFY(r.time->text().isEmpty());
        QCOMPARE(QApplication::focusWidget(), r.sbroj);
        QVERIFY(r.finishMenuVisible());
        QVERIFY(!r.startMenuVisible());
        QCOMPARE(r.label("lbliz6"), QStringLiteral("1"));

        // An earlier time takes place 1 and moves the others down.
        r.enter("5", "01:59:59");
        QCOMPARE(testutil::columnTexts(r.lsv2, 0), (QStringList{"1", "2"}));
        QCOMPARE(testutil::columnTexts(r.lsv2, 1), (QStringList{"5", "12"}));
        QCOMPARE(testutil::columnTexts(r.lsv3, 1), (QStringList{"5", "12"}));
    }

    void refusals_data()
    {
        QTest::addColumn<QString>("number");
        QTest::addColumn<QString>("time");
        QTest::addColumn<QString>("message");
        QTest::addColumn<QString>("focus"); // empty: the focus does not move
        QTest::newRow("time too short") << "12" << "02:12:5" << tx::timeExample() << "txtvrijeme";
        QTest::newRow("empty seconds") << "12" << "02:12:" << tx::timeExample() << "txtvrijeme";
        QTest::newRow("minutes 60") << "12" << "02:60:00" << tx::timeExample() << "txtvrijeme";
        QTest::newRow("empty time") << "12" << "" << tx::timeExample() << "txtvrijeme";
        QTest::newRow("time before start number") << "" << "2:12:58" << tx::timeExample() << "txtvrijeme";
        QTest::newRow("empty start number") << "" << "02:12:58" << tx::enterStartNumber() << "txtsbrojr";
        QTest::newRow("blank start number") << "  " << "02:12:58" << tx::enterStartNumber() << "txtsbrojr";
        QTest::newRow("7 is not 07") << "7" << "02:12:58" << tx::startNumberNotOnList() << "";
        QTest::newRow("unknown") << "999" << "02:12:58" << tx::startNumberNotOnList() << "";
    }

    void refusals()
    {
        QFETCH(QString, number);
        QFETCH(QString, time);
        QFETCH(QString, message);
        QFETCH(QString, focus);
        RaceWindow r;
        r.showActive();
        r.w.selectPage(frmkelvora::PageResults);
        r.enter("5", "01:00:00");
        MessageBox::clearShown();
        r.unos->setFocus();

        r.enter(number, time);
        QCOMPARE(MessageBox::shown().size(), 1);
        QCOMPARE(MessageBox::last().text, message);
        QCOMPARE(MessageBox::last().buttons, QMessageBox::StandardButtons(QMessageBox::Ok));
        QCOMPARE(r.sbroj->text(), number);
        QCOMPARE(r.time->text(), time);
        QCOMPARE(r.stored().size(), 1);
        QCOMPARE(r.lsv2->model()->rowCount(), 1);
        QWidget* expected = focus.isEmpty() ? static_cast<QWidget*>(r.unos) : testutil::find<QLineEdit>(&r.w, focus);
        QCOMPARE(QApplication::focusWidget(), expected);
        if (auto* field = qobject_cast<QLineEdit*>(expected))
            QCOMPARE(field->selectedText(), field->text());
    }

    void secondFinishRefusedUntilRemoved()
    {
        RaceWindow r;
        r.showActive();
        r.w.selectPage(frmkelvora::PageResults);
        r.enter("07", "02:00:00");
        r.enter("07", "01:00:00");
        QCOMPARE(MessageBox::last().text, tx::finisherAlreadyEntered());
        QCOMPARE(r.stored().size(), 1);
        QCOMPARE(r.time->text(), QStringLiteral("01:00:00"));
        QCOMPARE(QApplication::focusWidget(), r.sbroj);
        QCOMPARE(r.sbroj->selectedText(), QStringLiteral("07"));

        r.selectRow(0);
        MessageBox::setNextAnswer(QMessageBox::Yes);
        testutil::trigger(&r.w, "mnubrisanjeciljna");
        QCOMPARE(r.stored().size(), 0);
        QCOMPARE(r.lsv3->model()->rowCount(), 0);
        QVERIFY(!r.finishMenuVisible());
        QVERIFY(!r.startMenuVisible());

        MessageBox::clearShown();
        r.enter("07", "01:00:00");
        QVERIFY(MessageBox::shown().isEmpty());
        QCOMPARE(testutil::columnTexts(r.lsv2, 2), QStringList{"01:00:00"});
    }

    void equalTimesKeepEntryOrder()
    {
        RaceWindow r;
        r.w.selectPage(frmkelvora::PageResults);
        r.enter("12", "01:10:00");
        r.enter("5", "01:10:00");
        r.enter("07", "01:10:00");
        QCOMPARE(testutil::columnTexts(r.lsv2, 0), (QStringList{"1", "2", "3"}));
        QCOMPARE(testutil::columnTexts(r.lsv2, 1), (QStringList{"12", "5", "07"}));
        QCOMPARE(testutil::columnTexts(r.lsv3, 0), (QStringList{"1", "2", "3"}));
        QCOMPARE(testutil::columnTexts(r.lsv3, 1), (QStringList{"12", "5", "07"}));
    }

    void enterKeysAtTheJudgesPace()
    {
        RaceWindow r;
        r.showActive();
        r.w.selectPage(frmkelvora::PageResults);
        r.sbroj->setFocus();
        QTest::keyClicks(r.sbroj, "12");
        QTest::keyClick(r.sbroj, Qt::Key_Return);
        QCOMPARE(QApplication::focusWidget(), r.time);
        QTest::keyClicks(r.time, "02:12:58");
        QTest::keyClick(r.time, Qt::Key_Return);
        QTRY_COMPARE(testutil::columnTexts(r.lsv2, 1), QStringList{"12"});
        QTRY_COMPARE(QApplication::focusWidget(), r.sbroj);
        QVERIFY(r.time->text().isEmpty());
    }

    void failedStoreKeepsTheFields()
    {
        RaceWindow r;
        r.w.selectPage(frmkelvora::PageResults);
        testutil::refuseWrites(r.tmp.path(), "rezultati", "insert", "upis odbijen");

        r.enter("12", "02:12:58");
        QCOMPARE(MessageBox::shown().size(), 1);
        QVERIFY(testutil::lastMessageIsDbError("upis odbijen"));
        QCOMPARE(r.sbroj->text(), QStringLiteral("12"));
        QCOMPARE(r.time->text(), QStringLiteral("02:12:58"));
        QCOMPARE(r.lsv2->model()->rowCount(), 0);
        QVERIFY(!r.finishMenuVisible());
    }

    // Another program holds the file locked as the judge enters a time, or
    // a runner is registered or deleted: the window answers at once, the
    // fields wait with what was typed; a lock gone within the 2 s a store
    // waits lets the change in, a longer one has it refused in words, the
    // fields kept and the lists as they were.
    void lockedFileNeverFreezesTheWindow_data()
    {
        QTest::addColumn<QString>("action");
        QTest::addColumn<int>("lockMs");
        QTest::addColumn<bool>("stored");
        for (const char* action : {"finish", "add", "delete"}) {
            QTest::addRow("%s, lock of 1.5 s", action) << action << 1500 << true;
            QTest::addRow("%s, lock of 4 s", action) << action << 4000 << false;
        }
    }

    void lockedFileNeverFreezesTheWindow()
    {
        QFETCH(QString, action);
        QFETCH(int, lockMs);
        QFETCH(bool, stored);
        RaceWindow r;
        auto* name = testutil::find<QLineEdit>(&r.w, "txtime");
        auto* lsv1 = testutil::find<QTreeView>(&r.w, "lsv1");
        QPushButton* button = r.unos;
        if (action == QLatin1String("finish")) {
            r.w.selectPage(frmkelvora::PageResults);
            r.sbroj->setText(QStringLiteral("12"));
            r.time->setText(QStringLiteral("02:12:58"));
        } else if (action == QLatin1String("add")) {
            button = testutil::find<QPushButton>(&r.w, "cmddodaj");
            name->setText(QStringLiteral("Iva Ivić"));
            for (const char* field : {"txtdrzava", "txtklub"})
                testutil::find<QLineEdit>(&r.w, field)->setText(QStringLiteral("HRV"));
            testutil::find<QLineEdit>(&r.w, "txtdatumrod")->setText(QStringLiteral("1.2.1980"));
        } else {
            testutil::selectRow(lsv1, 1);
            MessageBox::setNextAnswer(QMessageBox::Yes);
        }
        const QString lockName = QStringLiteral("locker");
        {
            QSqlDatabase locker = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), lockName);
            locker.setDatabaseName(r.tmp.path());
            QVERIFY(locker.open());
            QVERIFY(QSqlQuery(locker).exec(QStringLiteral("begin exclusive")));
            QElapsedTimer clock;
            clock.start();
            if (action == QLatin1String("delete"))
                testutil::trigger(&r.w, "mnubrisanjetakmicara");
            else
                button->click();
            QVERIFY2(clock.elapsed() < 500, qPrintable(QString::number(clock.elapsed())));
            QVERIFY(r.w.session().storing());
            QVERIFY(!button->isEnabled() || action == QLatin1String("delete"));
            // A lock that lasts is told in the status bar, with the next look.
            const auto lockTold = [&] { return r.label("lblbaza").contains(tx::dbBusy()); };
            if (!stored)
                QTRY_VERIFY_WITH_TIMEOUT(lockTold(), 2500);
            QTest::qWait(lockMs - int(clock.elapsed()));
            // Nothing in the window waited for the lock meanwhile.
            QVERIFY2(clock.elapsed() < lockMs + 500, qPrintable(QString::number(clock.elapsed())));
            QVERIFY(QSqlQuery(locker).exec(QStringLiteral("rollback")));
            testutil::settle(r.w);
            QTRY_VERIFY(button->isEnabled());
            QTRY_VERIFY(!lockTold());
        }
        QSqlDatabase::removeDatabase(lockName);
        const QList<Competitor> runners = r.w.database().startList(r.raceId).value();
        if (action == QLatin1String("finish")) {
            QCOMPARE(r.lsv2->model()->rowCount(), stored ? 1 : 0);
            QCOMPARE(r.stored().size(), stored ? 1 : 0);
            QCOMPARE(r.sbroj->text(), stored ? QString() : QStringLiteral("12"));
        } else {
            const int expected = 4 + (action == QLatin1String("add") ? 1 : -1) * int(stored);
            QCOMPARE(runners.size(), expected);
            QCOMPARE(lsv1->model()->rowCount(), expected);
            if (action == QLatin1String("add"))
                QCOMPARE(name->text(), stored ? QString() : QStringLiteral("Iva Ivić"));
        }
        const int questions = action == QLatin1String("delete") ? 1 : 0;
        QCOMPARE(MessageBox::shown().size(), questions + int(!stored));
        if (!stored)
            QCOMPARE(MessageBox::last().text, tx::dbError(QString()) + tx::dbBusy());
    }

    // ---- Removal -------------------------------------------------------------

    void removalAnsweredNoOrWithoutSelectionKeepsAll()
    {
        RaceWindow r;
        r.w.selectPage(frmkelvora::PageResults);
        r.enter("12", "01:00:00");
        r.enter("5", "01:05:00");

        r.selectRow(1);
        MessageBox::clearShown();
        testutil::trigger(&r.w, "mnubrisanjeciljna"); // no answer queued: No
        QCOMPARE(MessageBox::shown().size(), 1);
        QCOMPARE(r.stored().size(), 2);

        r.lsv2->clearSelection();
        MessageBox::setNextAnswer(QMessageBox::Yes);
        testutil::trigger(&r.w, "mnubrisanjeciljna");
        QCOMPARE(MessageBox::last().text, QStringLiteral("Želite li zaista obrisati takmičara sa startnim brojem: ?"));
        QCOMPARE(r.stored().size(), 2);
        QCOMPARE(testutil::columnTexts(r.lsv2, 1), (QStringList{"12", "5"}));
    }

    void rightClickOpensThePopupEvenOnAnEmptyList()
    {
        RaceWindow r;
        r.showActive();
        r.w.selectPage(frmkelvora::PageResults);
        auto* menu = testutil::find<QMenu>(&r.w, "mnuciljnalista");
        const QPoint at(10, 5);
        QTest::mouseClick(r.w.windowHandle(), Qt::RightButton, {}, r.lsv2->viewport()->mapTo(&r.w, at));
        QTRY_VERIFY(menu->isVisible());
        // Its item then does nothing, not even ask.
        testutil::find<QAction>(&r.w, "mnubrisanjeciljna")->trigger();
        menu->hide();
        QVERIFY(MessageBox::shown().isEmpty());
    }

    // A right click selects the row under the pointer; removing place 1
    // moves every other finisher up one place.
    void rightClickRemovalClosesUpThePlaces()
    {
        RaceWindow r;
        r.showActive();
        r.w.selectPage(frmkelvora::PageResults);
        r.enter("12", "01:00:00");
        r.enter("5", "01:05:00");
        r.enter("07", "01:10:00");
        auto* menu = testutil::find<QMenu>(&r.w, "mnuciljnalista");
        const QPoint at = testutil::rowRect(r.lsv2, 0).center();
        QTest::mouseClick(r.w.windowHandle(), Qt::RightButton, {}, r.lsv2->viewport()->mapTo(&r.w, at));
        QTRY_VERIFY(menu->isVisible());
        MessageBox::clearShown();
        MessageBox::setNextAnswer(QMessageBox::Yes);
        testutil::find<QAction>(&r.w, "mnubrisanjeciljna")->trigger();
        menu->hide();

        QCOMPARE(MessageBox::shown().size(), 1);
        QCOMPARE(MessageBox::last().title, QStringLiteral("Brisanje takmičara!"));
        QCOMPARE(MessageBox::last().text, QStringLiteral("Želite li zaista obrisati takmičara sa startnim brojem: 12?"));
        QCOMPARE(MessageBox::last().icon, QMessageBox::Question);
        QCOMPARE(testutil::columnTexts(r.lsv2, 0), (QStringList{"1", "2"}));
        QCOMPARE(testutil::columnTexts(r.lsv2, 1), (QStringList{"5", "07"}));
        QCOMPARE(testutil::columnTexts(r.lsv3, 0), (QStringList{"1", "2"}));
        QCOMPARE(r.label("lbliz6"), QStringLiteral("2"));
        QVERIFY(r.finishMenuVisible());
        QVERIFY(!r.startMenuVisible());
        QCOMPARE(r.tabs->currentIndex(), int(frmkelvora::PageResults));
        QCOMPARE(r.w.session().startList().size(), 4); // the start list entry stays
    }

    // ---- Results page --------------------------------------------------------

    void resultsPageDetailsAndCounters()
    {
        RaceWindow r;
        testutil::addFinish(r.w, r.marko, "12", "01:30:00");
        testutil::addFinish(r.w, r.ana, "07", "01:20:00");
        testutil::addFinish(r.w, r.ivo, "5", "01:40:00");
        // A finisher deleted from the start list afterwards, by a program
        // that leaves the record behind.
        testutil::withoutRunnerLinks(r.w.database().path());
        testutil::execOnFile(r.w.database().path(), QStringLiteral("delete from startna where id = %1").arg(r.ivo));
        r.w.session().reload();

        r.w.selectPage(frmkelvora::PageResults);
        QVERIFY(MessageBox::shown().isEmpty());
        QCOMPARE(r.w.windowTitle(), QStringLiteral("Ime utrke: Polumaraton"));
        QCOMPARE(r.label("lbliz4"), QStringLiteral("3"));
        QCOMPARE(r.label("lbliz5"), QStringLiteral("2"));
        QCOMPARE(r.label("lbliz6"), QStringLiteral("3"));
        const QList<QStringList> expected{
            {"1", "07", QStringLiteral("Ana Anić"), "1980", "HRV", QStringLiteral("Ž"), "30-34", "01:20:00"},
            {"2", "12", QStringLiteral("Marko Marić"), "1992", "BIH", "M", "do 18", "01:30:00"},
            {"3", "5", "", "", "", "", "", "01:40:00"},
        };
        QCOMPARE(r.lsv3->model()->rowCount(), expected.size());
        for (int row = 0; row < expected.size(); ++row) {
            for (int col = 0; col < 8; ++col)
                QCOMPARE(testutil::cell(r.lsv3, row, col), expected.at(row).at(col));
        }
        QVERIFY(r.finishMenuVisible());
        QVERIFY(!r.startMenuVisible());

        // Back to the start list page: the finish menu goes, the start list menu comes.
        r.w.selectPage(frmkelvora::PageStartList);
        QVERIFY(!r.finishMenuVisible());
        QVERIFY(r.startMenuVisible());
    }

    void resultsPageRefusesWithoutStartList()
    {
        RaceWindow r(false);
        r.w.selectPage(frmkelvora::PageResults);
        QCOMPARE(MessageBox::shown().size(), 1);
        QCOMPARE(MessageBox::last().text, tx::startListEmpty());
        QCOMPARE(r.tabs->currentIndex(), int(frmkelvora::PageStartList));
    }

    void resultsPageRefusesWithoutRace()
    {
        // A race forgotten takes its lists with it: the page finds no start list.
        RaceWindow r;
        r.w.session().closeRace();
        r.w.selectPage(frmkelvora::PageResults);
        QCOMPARE(MessageBox::shown().size(), 1);
        QCOMPARE(MessageBox::last().text, tx::startListEmpty());
        QCOMPARE(r.w.windowTitle(), QStringLiteral("Kelvora"));
        QCOMPARE(r.lsv2->model()->rowCount(), 0);
        QVERIFY(!r.startMenuVisible());
    }
};

KVR_TEST_MAIN(TestFinish)
#include "test_finish.moc"
