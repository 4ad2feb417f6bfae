// The window as a judge or a registration desk uses it from the keyboard:
// Enter on buttons and in the last field, the search over the start list,
// the note under the finish entry's start number, standings that follow the
// lists, the open-race dialog, and file dialogs that remember their folder.
// One test per page for the wiring; the rules are in test_search.

#include "testutil.h"

#include "app/lookup.h"
#include "core/lists.h"
#include "core/texts.h"
#include "recordingsurface.h"
#include "ui/filechooser.h"

#include <QComboBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QTabWidget>
#include <QTreeView>
#include <QTreeWidget>

using testutil::find;
using testutil::TempDb;

namespace {

void showActive(frmkelvora& w)
{
    w.resize(900, 600);
    w.show();
    QApplication::setActiveWindow(&w);
    QVERIFY(QTest::qWaitForWindowActive(&w));
}

// Whether a row of a list is drawn inside its viewport.
bool inSight(const QTreeView* list, int row)
{
    const QRect rect = testutil::rowRect(list, row);
    return rect.isValid() && list->viewport()->rect().contains(rect);
}

void fillEntry(frmkelvora& w, const QString& name, const QString& number)
{
    find<QLineEdit>(&w, "txtime")->setText(name);
    find<QLineEdit>(&w, "txtsbroj")->setText(number);
    find<QLineEdit>(&w, "txtdrzava")->setText(QStringLiteral("HRV"));
    find<QLineEdit>(&w, "txtklub")->setText(QStringLiteral("AK Split"));
    find<QLineEdit>(&w, "txtdatumrod")->setText(QStringLiteral("1.2.1980"));
}

// Many competitors at once, as an import stores them.
void manyCompetitors(frmkelvora& w, int count)
{
    QList<Competitor> list;
    for (int i = 1; i <= count; ++i) {
        Competitor c;
        c.sbroj = QString::number(1000 + i);
        c.ime = QStringLiteral("Natjecatelj %1").arg(i);
        c.klub = QStringLiteral("AK");
        c.spol = QStringLiteral("M");
        c.datum = QDate(1980, 1, 1);
        list.append(c);
    }
    QVERIFY(w.session().addCompetitors(list));
}

} // namespace

class TestKeyFlow : public QObject {
    Q_OBJECT

private slots:
    void init() { MessageBox::clearShown(); }

    // ---- Start list ------------------------------------------------------------

    void startListEnterAdds_data()
    {
        QTest::addColumn<QString>("widget");
        QTest::addColumn<int>("key");
        QTest::addColumn<int>("modifiers");
        QTest::newRow("Enter on Dodaj takmičara") << "cmddodaj" << int(Qt::Key_Return) << int(Qt::NoModifier);
        QTest::newRow("keypad Enter on Dodaj takmičara") << "cmddodaj" << int(Qt::Key_Enter) << int(Qt::KeypadModifier);
        QTest::newRow("Enter in Datum rođ.") << "txtdatumrod" << int(Qt::Key_Return) << int(Qt::NoModifier);
        QTest::newRow("keypad Enter in Datum rođ.") << "txtdatumrod" << int(Qt::Key_Enter) << int(Qt::KeypadModifier);
    }
    void startListEnterAdds()
    {
        QFETCH(QString, widget);
        QFETCH(int, key);
        QFETCH(int, modifiers);
        TempDb tmp;
        frmkelvora w(tmp.path());
        testutil::makeCurrentRace(w, QStringLiteral("Utrka"), QDate(2010, 6, 1));
        showActive(w);
        fillEntry(w, QStringLiteral("Ana Anić"), QStringLiteral("7"));
        QWidget* target = w.findChild<QWidget*>(widget);
        target->setFocus();
        QTest::keyClick(target, Qt::Key(key), Qt::KeyboardModifiers(modifiers));
        QCOMPARE(w.session().startList().size(), qsizetype(1));
        QCOMPARE(w.session().startList().first().ime, QStringLiteral("Ana Anić"));
        QVERIFY(find<QLineEdit>(&w, "txtime")->hasFocus());
    }

    // The search narrows the list as one types; commands act on the rows shown
    // with the competitors' own running numbers; Esc and Ctrl+F; a new entry
    // comes into sight with the focus kept in the fields.
    void startListSearchAndScroll()
    {
        TempDb tmp;
        frmkelvora w(tmp.path());
        testutil::makeCurrentRace(w, QStringLiteral("Utrka"), QDate(2010, 6, 1));
        manyCompetitors(w, 150);
        const qint64 luka = testutil::addCompetitor(w, "12", QStringLiteral("Luka Šimić"), "M", QDate(1980, 1, 1));
        testutil::addCompetitor(w, "13", QStringLiteral("Ana Simić"), QStringLiteral("Ž"), QDate(1981, 1, 1));
        showActive(w);
        auto* lsv1 = find<QTreeView>(&w, "lsv1");
        auto* search = find<QLineEdit>(&w, "txttrazi");

        find<QLineEdit>(&w, "txtime")->setFocus();
        QTest::keyClick(&w, Qt::Key_F, Qt::ControlModifier);
        QVERIFY(search->hasFocus());
        QTest::keyClicks(search, QStringLiteral("simic"));
        QCOMPARE(testutil::columnTexts(lsv1, lists::StartRunning), (QStringList{"151", "152"}));

        // Deleting the first row shown deletes Luka.
        testutil::selectRow(lsv1, 0);
        MessageBox::setNextAnswer(QMessageBox::Yes);
        testutil::trigger(&w, "mnubrisanjetakmicara");
        QVERIFY(!w.session().competitor(luka));
        QCOMPARE(testutil::columnTexts(lsv1, lists::StartName), (QStringList{QStringLiteral("Ana Simić")}));

        QTest::keyClick(search, Qt::Key_Escape);
        QVERIFY(search->text().isEmpty());
        QCOMPARE(lsv1->model()->rowCount(), 151);

        // Added at the bottom of a long list: in sight, the focus in the fields.
        lsv1->scrollToTop();
        fillEntry(w, QStringLiteral("Iva Ivić"), QStringLiteral("99"));
        find<QPushButton>(&w, "cmddodaj")->click();
        QVERIFY(find<QLineEdit>(&w, "txtime")->hasFocus());
        QVERIFY(inSight(lsv1, 151));
        // The club column shows clubs whole while the list has room.
        QVERIFY(lsv1->columnWidth(lists::StartClub) >= lsv1->fontMetrics().horizontalAdvance(QStringLiteral("AK Split")));
    }

    // ---- Results ---------------------------------------------------------------

    void resultsNoteEnterAndScroll()
    {
        TempDb tmp;
        frmkelvora w(tmp.path());
        testutil::makeCurrentRace(w, QStringLiteral("Utrka"), QDate(2010, 6, 1));
        manyCompetitors(w, 60);
        for (int i = 1; i <= 50; ++i)
            QVERIFY(w.session().enterFinish(QString::number(1000 + i), QStringLiteral("00:30:%1").arg(i, 2, 10, QLatin1Char('0'))));
        showActive(w);
        w.selectPage(frmkelvora::PageResults);
        auto* number = find<QLineEdit>(&w, "txtsbrojr");
        auto* note = find<QLabel>(&w, "lblbrojr");
        auto* lsv2 = find<QTreeView>(&w, "lsv2");

        number->setFocus();
        QTest::keyClicks(number, QStringLiteral("1001"));
        QCOMPARE(note->text(), lookup::finishNumberNote(w.session(), QStringLiteral("1001")));
        QVERIFY(note->text().contains(tx::noteAlreadyFinished(QStringLiteral("00:30:01"))));
        QTest::keyClick(number, Qt::Key_Backspace);
        QCOMPARE(note->text(), tx::noteNotOnStartList());

        // Enter on the focused "Upiši" stores; the last finisher comes into sight.
        lsv2->scrollToTop();
        number->setText(QStringLiteral("1055"));
        find<QLineEdit>(&w, "txtvrijeme")->setText(QStringLiteral("01:00:00"));
        find<QPushButton>(&w, "cmdunos")->setFocus();
        QTest::keyClick(find<QPushButton>(&w, "cmdunos"), Qt::Key_Return);
        QCOMPARE(w.session().finishList().size(), qsizetype(51));
        QVERIFY(number->hasFocus());
        QVERIFY(note->text().isEmpty());
        QVERIFY(inSight(lsv2, 50));
        QVERIFY(inSight(find<QTreeView>(&w, "lsv3"), 50));
        // The time column ends inside the list, beside its scroll bar.
        QTRY_VERIFY(lsv2->header()->sectionViewportPosition(lists::FinishTime) + lsv2->columnWidth(lists::FinishTime)
                    <= lsv2->viewport()->width());
        QVERIFY(lsv2->columnWidth(lists::FinishTime) > lsv2->fontMetrics().horizontalAdvance(QStringLiteral("01:00:00")));
    }

    // ---- Reports ---------------------------------------------------------------

    void reportsFollowTheLists()
    {
        TempDb tmp;
        frmkelvora w(tmp.path());
        auto recorder = std::make_shared<print::RecordingSurface>();
        w.setPrintSurfaceFactory([&](const QString&) { return recorder; });
        testutil::makeCurrentRace(w, QStringLiteral("Utrka"), QDate(2010, 6, 1));
        const qint64 ana = testutil::addCompetitor(w, "1", QStringLiteral("Ana Anić"), QStringLiteral("Ž"),
                                                   QDate(1980, 1, 1), "HRV", "?");
        const qint64 ivo = testutil::addCompetitor(w, "2", QStringLiteral("Ivo Ivić"), "M", QDate(1980, 1, 1));
        const qint64 eva = testutil::addCompetitor(w, "3", QStringLiteral("Eva Ević"), QStringLiteral("Ž"),
                                                   QDate(1980, 1, 1));
        testutil::addFinish(w, ana, "1", "00:40:00");
        testutil::addFinish(w, ivo, "2", "00:41:00");
        showActive(w);
        w.selectPage(frmkelvora::PageReports);
        find<QRadioButton>(&w, "optzene")->setChecked(true);
        auto* process = find<QPushButton>(&w, "cmdobrada");
        process->setFocus();
        QTest::keyClick(process, Qt::Key_Enter, Qt::KeypadModifier);
        auto* lsv4 = find<QTreeView>(&w, "lsv4");
        QCOMPARE(testutil::columnTexts(lsv4, lists::StandClub), (QStringList{"?"}));
        testutil::selectRow(lsv4, 0);

        // This station's edit, while the page shows: built again, same choice, selection kept.
        QVERIFY(w.session().editCompetitor(ana, {QStringLiteral("Ana Anić"), "1", "HRV", "Fife AC", QStringLiteral("Ž"),
                                                  "1.1.1980"}));
        QTRY_COMPARE(testutil::columnTexts(lsv4, lists::StandClub), (QStringList{"Fife AC"}));
        QCOMPARE(testutil::selectedRows(lsv4), (QList<int>{0}));

        // Another station's finish, not yet read in: the printout shows it.
        w.selectPage(frmkelvora::PageHelp);
        testutil::execOnFile(tmp.path(),
                             QStringLiteral("insert into rezultati (idtakmicara, idutrke, sbroj, vrijeme) values (%1, %2, '3', '00:39:00')")
                                 .arg(eva)
                                 .arg(w.currentRaceId()));
        MessageBox::setNextAnswer(QMessageBox::Yes);
        w.printStandings();
        QString printed;
        for (const print::Page& page : recorder->pages())
            for (const auto& line : page)
                printed += line.text + QLatin1Char('\n');
        QVERIFY2(printed.contains(QStringLiteral("Eva Ević")) && printed.contains(QStringLiteral("Fife AC")),
                 qPrintable(printed));
    }

    // ---- Open race ---------------------------------------------------------------

    void openRaceByKeyboardAndDoubleClick_data()
    {
        QTest::addColumn<bool>("doubleClick");
        QTest::newRow("Enter opens the first race") << false;
        QTest::newRow("double click opens the race") << true;
    }
    void openRaceByKeyboardAndDoubleClick()
    {
        QFETCH(bool, doubleClick);
        TempDb tmp;
        frmkelvora w(tmp.path());
        const qint64 alfa = w.database().insertRace("Alfa", "AK", QDate(2010, 1, 1)).value();
        const qint64 beta = w.database().insertRace("Beta", "AK", QDate(2010, 2, 1)).value();
        testutil::onNextDialog([&](QDialog* d) {
            auto* races = find<QTreeWidget>(d, "lstotvori");
            races->setFocus();
            if (doubleClick) {
                const QRect second = races->visualItemRect(races->topLevelItem(1));
                QTest::mouseClick(races->viewport(), Qt::LeftButton, {}, second.center());
                QTest::mouseDClick(races->viewport(), Qt::LeftButton, {}, second.center());
            } else {
                QTest::keyClick(races, Qt::Key_Return);
            }
        });
        testutil::trigger(&w, "mnuotvori");
        QCOMPARE(w.currentRaceId(), doubleClick ? beta : alfa);
        QVERIFY(MessageBox::shown().isEmpty());
    }

    // ---- File dialogs ------------------------------------------------------------

    void fileDialogsRememberTheFolder()
    {
        TempDb tmp;
        QTemporaryDir chosen;
        ui::FileChooser::rememberFolderOf(QString());
        QVERIFY(ui::FileChooser::lastFolder().isEmpty());
        ui::FileChooser::setTestChooser([&](QWidget*, const QString&, const QString&) {
            return chosen.filePath(QStringLiteral("prijave.csv"));
        });
        ui::FileChooser::openFile(nullptr, QString(), QString());
        ui::FileChooser::setTestChooser({});
        QCOMPARE(ui::FileChooser::lastFolder(), chosen.path());

        // An export then offers that folder, and remembers its own.
        frmkelvora w(tmp.path());
        testutil::makeCurrentRace(w, QStringLiteral("Utrka"), QDate(2010, 6, 1));
        testutil::addCompetitor(w, "1", QStringLiteral("Ana Anić"), QStringLiteral("Ž"), QDate(1980, 1, 1));
        QString suggested;
        const QString target = tmp.dir() + QStringLiteral("/izvoz.csv");
        w.setSaveFileNameProvider([&](const QString& offered, const QString&) {
            suggested = offered;
            return target;
        });
        testutil::onNextDialog([](QDialog* d) { find<QPushButton>(d, "cmdizvezi")->click(); });
        testutil::trigger(&w, QStringLiteral("mnuizvoz"));
        QCOMPARE(QFileInfo(suggested).absolutePath(), chosen.path());
        QCOMPARE(ui::FileChooser::lastFolder(), QFileInfo(target).absolutePath());
        ui::FileChooser::rememberFolderOf(QString());
    }
};

KVR_TEST_MAIN(TestKeyFlow)

#include "test_keyflow.moc"
