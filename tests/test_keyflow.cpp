// Race-day flow: the search rule, the finish-entry note and column widths in
// tables; then the wiring of each page, the open-race dialog and the folder.

#include "testutil.h"

#include "core/columnfit.h"
#include "core/lists.h"
#include "core/search.h"
#include "core/texts.h"
#include "recordingsurface.h"
#include "ui/filechooser.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTreeView>
#include <QTreeWidget>

using testutil::find;
using testutil::TempDb;

namespace {

// A shown, active window with a race of 150 numbered competitors and the
// first 50 at the finish.
struct Window {
    TempDb tmp;
    frmkelvora w{tmp.path()};
    Window()
    {
        testutil::makeCurrentRace(w, QStringLiteral("Utrka"), QDate(2010, 6, 1));
        QList<Competitor> list;
        for (int i = 1; i <= 150; ++i)
            list.append(Competitor{0, QString::number(1000 + i), 0, QStringLiteral("N%1").arg(i), "", "AK", "M",
                                   QDate(1980, 1, 1)});
        w.session().addCompetitors(list);
        for (int i = 1; i <= 50; ++i)
            w.session().enterFinish(QString::number(1000 + i), QStringLiteral("00:30:%1").arg(i, 2, 10, QLatin1Char('0')));
        w.resize(900, 600);
        w.show();
        QApplication::setActiveWindow(&w);
        QVERIFY(QTest::qWaitForWindowActive(&w));
    }
    template <typename T = QWidget> T* at(const char* name) { return find<T>(&w, name); }
    void type(const char* field, const QString& text) { at<QLineEdit>(field)->setText(text); }
    void enter(const char* name, bool keypad = false)
    {
        at(name)->setFocus();
        QTest::keyClick(at(name), keypad ? Qt::Key_Enter : Qt::Key_Return, keypad ? Qt::KeypadModifier : Qt::NoModifier);
    }
    bool inSight(const char* list, int row) { return at<QTreeView>(list)->viewport()->rect().contains(testutil::rowRect(at<QTreeView>(list), row)); }
};

} // namespace

class TestKeyFlow : public QObject {
    Q_OBJECT

private slots:
    void init() { MessageBox::clearShown(); }

    void matches_data()
    {
        QTest::addColumn<QString>("query");
        QTest::addColumn<bool>("found");
        // The runner: " 12", "Luka Šimić-Đurđić", "AK Split".
        QTest::newRow("blanks find everybody") << "   " << true;
        QTest::newRow("number exact, blanks aside") << " 12 " << true;
        QTest::newRow("part of a number") << "1" << false;
        QTest::newRow("name without marks") << "simic" << true;
        QTest::newRow("d stroke, both cases") << "DURDIC" << true;
        QTest::newRow("marks and case typed") << QStringLiteral("ŠIMIĆ") << true;
        QTest::newRow("part of the club") << "split" << true;
        QTest::newRow("across name and club") << "dicak" << false;
    }
    void matches()
    {
        QFETCH(QString, query);
        QFETCH(bool, found);
        const Competitor c{1, " 12", 1, QStringLiteral("Luka Šimić-Đurđić"), "HRV", "AK Split", "M", {}};
        QCOMPARE(search::matches(search::Query(query), c), found);
    }

    void finishNumberNote_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("finish");
        QTest::addColumn<QStringList>("parts");
        QTest::newRow("blanks typed") << " " << "" << QStringList();
        QTest::newRow("named") << "12" << "" << QStringList{"12", "Ivan Horvat", "AK Split", "M 40-44"};
        QTest::newRow("finished") << "12" << "00:41:12"
                                  << QStringList{"12", "Ivan Horvat", "AK Split", "M 40-44", tx::noteAlreadyFinished("00:41:12")};
    }
    void finishNumberNote()
    {
        QFETCH(QString, typed);
        QFETCH(QString, finish);
        QFETCH(QStringList, parts);
        const Competitor c{1, "12", 1, QStringLiteral("Ivan Horvat"), "HRV", "AK Split", "M", QDate(1968, 3, 1)};
        const FinishRecord record{1, 1, 1, "12", finish};
        QCOMPARE(search::finishNumberNote(typed, &c, finish.isEmpty() ? nullptr : &record, QDate(2010, 6, 1)),
                 parts.join(tx::noteSeparator()));
    }

    void fitWidths_data()
    {
        using L = QList<int>;
        QTest::addColumn<L>("preset");
        QTest::addColumn<L>("needed");
        QTest::addColumn<int>("available");
        QTest::addColumn<L>("widths");
        QTest::newRow("presets fit") << L{60, 60, 70} << L{40, 40, 50} << 190 << L{60, 60, 70};
        QTest::newRow("slack given up in proportion") << L{60, 60, 70} << L{40, 40, 70} << 170 << L{50, 50, 70};
        QTest::newRow("never below content") << L{60, 60, 70} << L{60, 40, 70} << 180 << L{60, 50, 70};
        QTest::newRow("content alone too wide") << L{60, 60, 70} << L{80, 80, 80} << 200 << L{80, 80, 80};
    }
    void fitWidths()
    {
        QFETCH(QList<int>, preset);
        QFETCH(QList<int>, needed);
        QFETCH(int, available);
        QFETCH(QList<int>, widths);
        QCOMPARE(lists::fitWidths(preset, needed, available), widths);
    }

    void startListPage_data()
    {
        QTest::addColumn<QString>("target");
        QTest::addColumn<bool>("keypad");
        QTest::newRow("Enter on Dodaj takmičara") << "cmddodaj" << false;
        QTest::newRow("keypad Enter on Dodaj takmičara") << "cmddodaj" << true;
        QTest::newRow("Enter in Datum rođ.") << "txtdatumrod" << false;
    }
    void startListPage()
    {
        QFETCH(QString, target);
        QFETCH(bool, keypad);
        Window f;
        const qint64 luka = testutil::addCompetitor(f.w, "12", QStringLiteral("Luka Šimić"), "M", QDate(1980, 1, 1));
        testutil::addCompetitor(f.w, "13", QStringLiteral("Ana Simić"), QStringLiteral("Ž"), QDate(1981, 1, 1));
        auto* lsv1 = f.at<QTreeView>("lsv1");
        QTest::keyClick(&f.w, Qt::Key_F, Qt::ControlModifier);
        QTest::keyClicks(f.at("txttrazi"), QStringLiteral("simic"));
        QCOMPARE(testutil::columnTexts(lsv1, lists::StartRunning), (QStringList{"151", "152"}));
        testutil::selectRow(lsv1, 0);
        MessageBox::setNextAnswer(QMessageBox::Yes);
        testutil::trigger(&f.w, "mnubrisanjetakmicara");
        testutil::settle(f.w);
        QVERIFY(!f.w.session().competitor(luka));
        QTest::keyClick(f.at("txttrazi"), Qt::Key_Escape);
        QCOMPARE(lsv1->model()->rowCount(), 151);

        lsv1->scrollToTop();
        for (const char* field : {"txtime", "txtdrzava", "txtklub"})
            f.type(field, QStringLiteral("Iva"));
        f.type("txtdatumrod", QStringLiteral("1.2.1980"));
        f.enter(qPrintable(target), keypad);
        testutil::settle(f.w);
        QCOMPARE(f.w.session().registeredCount(), 152);
        QVERIFY(f.at("txtime")->hasFocus());
        QVERIFY(f.inSight("lsv1", 151));

        // A longer club edited into a row in sight widens its column.
        lsv1->scrollToTop();
        QApplication::processEvents();
        const Competitor first = f.w.session().startList().first();
        QVERIFY(f.w.session().editCompetitor(first.id, {first.ime, first.sbroj, QStringLiteral("HRV"),
                                                        QStringLiteral("AK Šibenik-Knin"), first.spol, "1.1.1980"}));
        const QModelIndex club = lsv1->model()->index(0, lists::StartClub);
        QCOMPARE(club.data().toString(), QStringLiteral("AK Šibenik-Knin"));
        QTRY_VERIFY(lsv1->columnWidth(lists::StartClub) >= lsv1->sizeHintForIndex(club).width());
    }

    void resultsPage()
    {
        Window f;
        f.w.selectPage(frmkelvora::PageResults);
        QTest::keyClicks(f.at("txtsbrojr"), QStringLiteral("1001"));
        QVERIFY(f.at<QLabel>("lblbrojr")->text().endsWith(tx::noteAlreadyFinished(QStringLiteral("00:30:01"))));
        f.at<QTreeView>("lsv2")->scrollToTop();
        f.type("txtsbrojr", QStringLiteral("1055"));
        f.type("txtvrijeme", QStringLiteral("01:00:00"));
        f.enter("cmdunos");
        QTRY_COMPARE(f.w.session().finishList().size(), qsizetype(51));
        QVERIFY(f.at("txtsbrojr")->hasFocus() && f.inSight("lsv2", 50) && f.inSight("lsv3", 50));
        auto* lsv2 = f.at<QTreeView>("lsv2");
        QTRY_VERIFY(lsv2->columnViewportPosition(lists::FinishTime) + lsv2->columnWidth(lists::FinishTime)
                    <= lsv2->viewport()->width());
    }

    // Standings follow the lists with the same choice, the selection kept.
    void reportsPage()
    {
        Window f;
        auto recorder = std::make_shared<print::RecordingSurface>();
        f.w.setPrintSurfaceFactory([&](const QString&) { return recorder; });
        f.w.selectPage(frmkelvora::PageReports);
        f.at<QRadioButton>("optmuski")->setChecked(true);
        f.enter("cmdobrada", true);
        auto* lsv4 = f.at<QTreeView>("lsv4");
        testutil::selectRow(lsv4, 1);
        const Competitor first = f.w.session().startList().first();
        QVERIFY(f.w.session().editCompetitor(first.id, {first.ime, first.sbroj, "HRV", "Fife AC", "M", "1.1.1980"}));
        QTRY_COMPARE(testutil::cell(lsv4, 0, lists::StandClub), QStringLiteral("Fife AC"));
        QCOMPARE(testutil::selectedRows(lsv4), QList<int>{1});
        QVERIFY(f.w.session().removeFinish(first.id));
        QTRY_COMPARE(lsv4->model()->rowCount(), 49);
            // Another station's change, not yet read in, is printed.
        f.w.selectPage(frmkelvora::PageHelp);
        testutil::execOnFile(f.tmp.path(), QStringLiteral("update rezultati set vrijeme = '00:01:00' where sbroj = '1050'"));
        MessageBox::setNextAnswer(QMessageBox::Yes);
        f.w.printStandings();
        QVERIFY(recorder->pages().value(0).value(10).text.contains(QStringLiteral("N50")));
    }

    // Enter opens the race selected at the start, a double click the other.
    void openRaceDialog()
    {
        TempDb tmp;
        frmkelvora w(tmp.path());
        const qint64 alfa = w.database().insertRace("Alfa", "AK", QDate(2010, 1, 1)).value();
        const qint64 beta = w.database().insertRace("Beta", "AK", QDate(2010, 2, 1)).value();
        for (const qint64 race : {alfa, beta}) {
            testutil::onNextDialog([&](QDialog* d) {
                auto* races = find<QTreeWidget>(d, "lstotvori");
                const QPoint second = races->visualItemRect(races->topLevelItem(1)).center();
                if (race == alfa)
                    return QTest::keyClick(races, Qt::Key_Return);
                QTest::mouseClick(races->viewport(), Qt::LeftButton, {}, second);
                QTest::mouseDClick(races->viewport(), Qt::LeftButton, {}, second);
            });
            testutil::trigger(&w, "mnuotvori");
            QCOMPARE(w.currentRaceId(), race);
        }
        QVERIFY(MessageBox::shown().isEmpty());
    }

    // The folder of the file chosen last is offered by the next dialog.
    void fileDialogs()
    {
        Window f;
        QTemporaryDir chosen;
        ui::FileChooser::setTestChooser([&](QWidget*, const QString&, const QString&) { return chosen.filePath("a.csv"); });
        ui::FileChooser::openFile(nullptr, QString(), QString());
        ui::FileChooser::setTestChooser({});
        QString suggested;
        f.w.setSaveFileNameProvider([&](const QString& offered, const QString&) {
            suggested = offered;
            return f.tmp.dir() + QStringLiteral("/izvoz.csv");
        });
        testutil::onNextDialog([](QDialog* d) { find<QPushButton>(d, "cmdizvezi")->click(); });
        testutil::trigger(&f.w, QStringLiteral("mnuizvoz"));
        QCOMPARE(QFileInfo(suggested).absolutePath(), chosen.path());
        QCOMPARE(ui::FileChooser::lastFolder(), f.tmp.dir());
    }
};

KVR_TEST_MAIN(TestKeyFlow)

#include "test_keyflow.moc"
