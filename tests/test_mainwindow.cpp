#include "testutil.h"
#include "app/racesession.h"
#include "ui/fieldrules.h"
#include "ui/frmizmjena.h"
#include "ui/frmizmjenautrke.h"
#include "ui/frmnovautrka.h"
#include "core/lists.h"
#include "core/texts.h"

#include <QAction>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QRadioButton>
#include <QTabWidget>
#include <QTreeView>
#include <QTreeWidget>

using testutil::TempDb;

class TestMainWindow : public QObject {
    Q_OBJECT

private slots:
    void startState()
    {
        TempDb tmp;
        frmkelvora w(tmp.path());
        QVERIFY(w.databaseReady());
        QCOMPARE(w.windowTitle(), QStringLiteral("Kelvora"));
        auto* tabs = testutil::find<QTabWidget>(&w, "SSTab1");
        QVERIFY(tabs);
        QCOMPARE(tabs->currentIndex(), 0);
        QCOMPARE(tabs->count(), 4);
        const QStringList captions{"Startna lista", "Rezultati", "Izvještaji", "Pomoć"};
        for (int i = 0; i < 4; ++i)
            QCOMPARE(tabs->tabText(i), captions.at(i));
        for (const char* name : {"lblid", "lblimeutrke", "lblorgutrke", "lbldatumutrke"})
            QVERIFY(testutil::find<QLabel>(&w, name)->text().isEmpty());
        QCOMPARE(testutil::find<QTreeView>(&w, "lsv1")->model()->rowCount(), 0);
        QCOMPARE(testutil::find<QComboBox>(&w, "cbospol")->currentText(), QStringLiteral("Ž"));
        QVERIFY(testutil::find<QRadioButton>(&w, "optsvi")->isChecked());
    }

    void menusAtStart_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("caption");
        QTest::addColumn<QString>("shortcut");
        QTest::addColumn<bool>("enabled");
        QTest::newRow("new") << "mnunova" << "Nova utrka..." << "Ctrl+N" << true;
        QTest::newRow("open") << "mnuotvori" << "Otvori utrku..." << "Ctrl+O" << true;
        QTest::newRow("print registered") << "mnuispisprijavljenih" << "Ispis liste prijavljenih..." << "" << false;
        QTest::newRow("print start list") << "mnuispisstartne" << "Ispis startne liste..." << "" << false;
        QTest::newRow("exit") << "mnuizlaz" << "Izlaz" << "Ctrl+I" << true;
        QTest::newRow("edit race") << "mnuizmjenautrke" << "Izmjena podataka o utrci" << "" << false;
        QTest::newRow("withdraw") << "mnubrisanjeutrke" << "Brisanje utrke..." << "" << false;
        QTest::newRow("prizes") << "mnunagrade" << "Pogled na nagrade" << "" << false;
        QTest::newRow("categories") << "mnukategorije" << "Pogled na kategorije" << "" << false;
        QTest::newRow("edit competitor") << "mnuizmjenatakmicara" << "Izmjena podataka o takmičaru" << "" << true;
        QTest::newRow("delete competitor") << "mnubrisanjetakmicara" << "Brisanje takmičara" << "" << true;
        QTest::newRow("delete finish") << "mnubrisanjeciljna" << "Brisanje takmičara sa ciljne liste" << "" << true;
    }

    void menusAtStart()
    {
        QFETCH(QString, name);
        QFETCH(QString, caption);
        QFETCH(QString, shortcut);
        QFETCH(bool, enabled);
        TempDb tmp;
        frmkelvora w(tmp.path());
        auto* action = testutil::find<QAction>(&w, name);
        QVERIFY(action);
        QCOMPARE(action->text(), caption);
        QCOMPARE(action->shortcut().toString(), shortcut);
        QCOMPARE(action->isEnabled(), enabled);
    }

    void menuBarMenus()
    {
        TempDb tmp;
        frmkelvora w(tmp.path());
        auto* startMenu = testutil::find<QMenu>(&w, "mnustartnalista");
        auto* finishMenu = testutil::find<QMenu>(&w, "mnuciljnalista");
        QCOMPARE(testutil::find<QMenu>(&w, "mnumeni")->title(), QStringLiteral("&Meni"));
        QCOMPARE(testutil::find<QMenu>(&w, "mnuedit")->title(), QStringLiteral("&Edit"));
        QCOMPARE(startMenu->title(), QStringLiteral("Startnalista"));
        QCOMPARE(finishMenu->title(), QStringLiteral("Ciljna lista"));
        QVERIFY(startMenu->menuAction()->isVisible());
        QVERIFY(!finishMenu->menuAction()->isVisible());
        for (const char* sep : {"mnucrta", "mnucrtaneka", "mnucrta1"})
            QVERIFY(testutil::find<QAction>(&w, sep)->isSeparator());
    }

    void listColumns_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QStringList>("headers");
        QTest::addColumn<int>("hidden");
        QTest::addColumn<int>("status"); // shown only while an entry has a status
        // The status column follows the hidden key.
        QTest::newRow("lsv1") << "lsv1" << tx::columnsStartList() + QStringList{tx::columnStatus(), tx::columnImportedCategory()}
                              << 7 << 8;
        QTest::newRow("lsv2") << "lsv2" << tx::columnsFinishList() << 3 << -1;
        QTest::newRow("lsv3") << "lsv3" << tx::columnsFinishDetails() << -1 << -1;
        QTest::newRow("lsv4") << "lsv4" << tx::columnsStandings() + QStringList{tx::columnStatus()} << 9 << 10;
    }

    void listColumns()
    {
        QFETCH(QString, name);
        QFETCH(QStringList, headers);
        QFETCH(int, hidden);
        QFETCH(int, status);
        TempDb tmp;
        frmkelvora w(tmp.path());
        auto* list = testutil::find<QTreeView>(&w, name);
        QVERIFY(list);
        QCOMPARE(list->model()->columnCount(), headers.size());
        for (int c = 0; c < headers.size(); ++c) {
            QCOMPARE(list->model()->headerData(c, Qt::Horizontal).toString(), headers.at(c));
            // The imported category shows only once an entry has one.
            QCOMPARE(list->isColumnHidden(c), c == hidden || c == status || (name == "lsv1" && c == lists::StartCategory));
        }
        if (status < 0)
            return;
        testutil::makeCurrentRace(w, QStringLiteral("Utrka"), QDate(2025, 6, 15));
        const qint64 ivo = testutil::addCompetitor(w, "1", "Ivo", "M", QDate(1980, 1, 1));
        QVERIFY(w.session().setRunState(ivo, RunState::Dns).ok());
        QVERIFY(!list->isColumnHidden(status));
        QVERIFY(w.session().setRunState(ivo, RunState::None).ok());
        QVERIFY(list->isColumnHidden(status));
        if (name != "lsv1")
            return;
        Competitor placed;
        placed.ime = QStringLiteral("Ana");
        placed.spol = QStringLiteral("Ž");
        placed.kategorija = QStringLiteral("F40");
        QVERIFY(w.session().addCompetitors({placed}).ok());
        QVERIFY(!list->isColumnHidden(lists::StartCategory));
        QVERIFY(testutil::columnTexts(list, lists::StartCategory).contains(QStringLiteral("F40")));
    }

    void fieldLimits_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("maxLength");
        QTest::newRow("txtime") << "txtime" << 25;
        QTest::newRow("txtsbroj") << "txtsbroj" << 6;
        QTest::newRow("txtdrzava") << "txtdrzava" << 15;
        QTest::newRow("txtklub") << "txtklub" << 15;
        QTest::newRow("txtdatumrod") << "txtdatumrod" << 10;
        QTest::newRow("txtsbrojr") << "txtsbrojr" << 6;
        QTest::newRow("txtvrijeme") << "txtvrijeme" << 8;
    }

    void fieldLimits()
    {
        QFETCH(QString, name);
        QFETCH(int, maxLength);
        TempDb tmp;
        frmkelvora w(tmp.path());
        QCOMPARE(rules::maxLength(testutil::find<QLineEdit>(&w, name)), maxLength);
    }

    void everyFieldCutsAtWholeCharacters()
    {
        // Emoji well beyond every limit: whatever a field keeps ends on a
        // whole character, never on the first half of a pair.
        TempDb tmp;
        frmkelvora w(tmp.path());
        frmizmjena edit(w.session(), Competitor{}, &w);
        frmnovautrka newRace(w.session(), &w);
        frmizmjenautrke editRace(w.session(), QString(), QString(), QString(), &w);
        const QString emoji = QStringLiteral("\U0001F600");
        const auto endsOnHalf = [](const QString& text) { return !text.isEmpty() && text.back().isHighSurrogate(); };
        int fields = 0;
        for (QWidget* window : std::initializer_list<QWidget*>{&w, &edit, &newRace, &editRace}) {
            for (QLineEdit* field : window->findChildren<QLineEdit*>()) {
                field->setText(QStringLiteral("a") + emoji.repeated(60));
                QVERIFY2(!endsOnHalf(field->text()), qPrintable(field->objectName()));
                field->setText(QStringLiteral("a"));
                field->end(false);
                field->insert(emoji.repeated(60));
                QVERIFY2(!endsOnHalf(field->text()), qPrintable(field->objectName()));
                QVERIFY2(rules::characterCount(field->text()) <= rules::maxLength(field),
                         qPrintable(field->objectName()));
                ++fields;
            }
        }
        QVERIFY(fields >= 7 + 6 + 3 + 3);
    }

    void sexBoxOffersOnlyTwoLetters()
    {
        TempDb tmp;
        frmkelvora w(tmp.path());
        auto* sex = testutil::find<QComboBox>(&w, "cbospol");
        QVERIFY(!sex->isEditable());
        QCOMPARE(sex->count(), 2);
        QCOMPARE(sex->itemText(0), QStringLiteral("M"));
        QCOMPARE(sex->itemText(1), QStringLiteral("Ž"));
    }

    // Qt's own captions (standard buttons, the edit menu of a text field)
    // are Croatian, not Qt's English defaults.
    void qtOwnTextsAreCroatian()
    {
        TempDb tmp;
        frmkelvora w(tmp.path());
        MessageBox::clearShown();
        MessageBox::ask(&w, tx::appTitle(), QStringLiteral("?"), QMessageBox::Question);
        MessageBox::notice(&w, QStringLiteral("!"));
        QStringList captions = MessageBox::shown().at(0).buttonTexts + MessageBox::shown().at(1).buttonTexts;
        QCOMPARE(captions.size(), 3);

        std::unique_ptr<QMenu> menu(testutil::find<QLineEdit>(&w, "txtime")->createStandardContextMenu());
        for (const QAction* action : menu->actions()) {
            if (!action->isSeparator())
                captions << action->text().section(QLatin1Char('\t'), 0, 0);
        }
        const QStringList english{"&Yes", "&No", "&OK", "OK", "&Undo", "&Redo", "Cu&t", "&Copy", "&Paste",
                                  "Delete", "Select All"};
        for (const QString& caption : captions) {
            QVERIFY2(!caption.isEmpty(), "empty caption");
            QVERIFY2(!english.contains(caption), qPrintable(caption));
        }
    }

    void helpPageText()
    {
        TempDb tmp;
        frmkelvora w(tmp.path());
        const QStringList lines = testutil::find<QLabel>(&w, "lblpomoc")->text().split('\n');
        QCOMPARE(lines.first(), QStringLiteral("Pomoć!"));
        QVERIFY(lines.contains(QString(102, '_')));
        QVERIFY(lines.contains(QStringLiteral(
            "Odaberete kategoriju ili svi, odaberete spol ili svi i kliknete na dugme \"Obrada\"")));
        QCOMPARE(lines.last(), QStringLiteral("3. Ispis svih izvještaja na zaslon i na pisač"));
        // Below it, the race day; the prize rule of a race with prizes of its own.
        auto* day = testutil::find<QLabel>(&w, "lblpomocdan");
        QVERIFY(day->text().contains(QStringLiteral("Dan utrke")));
        testutil::makeCurrentRace(w, QStringLiteral("Utrka"), QDate(2025, 6, 15));
        RaceRules rules = w.session().rules();
        rules.prizes = PrizeScheme({{QStringLiteral("Veterani"), RuleSex::Men, 40, 150, 3}});
        QVERIFY(!day->text().contains(QStringLiteral("Veterani")));
        QVERIFY(w.session().setRules(rules).ok());
        QVERIFY(day->text().contains(tx::helpPrizeRow(QStringLiteral("Veterani"), 3, QStringLiteral("M"), 40, 150)));
    }

    void helpPageDisablesPrintItems()
    {
        TempDb tmp;
        frmkelvora w(tmp.path());
        testutil::makeCurrentRace(w, QStringLiteral("Utrka"), QDate(2010, 6, 15));
        QVERIFY(testutil::find<QAction>(&w, "mnuispisstartne")->isEnabled());
        w.selectPage(frmkelvora::PageHelp);
        QCOMPARE(w.windowTitle(), QStringLiteral("Ime utrke: Utrka"));
        QVERIFY(!testutil::find<QAction>(&w, "mnuispisstartne")->isEnabled());
        QVERIFY(!testutil::find<QAction>(&w, "mnuispisprijavljenih")->isEnabled());
        QVERIFY(!testutil::find<QMenu>(&w, "mnustartnalista")->menuAction()->isVisible());
    }

    void shortcutsOpenTheRaceDialogs_data()
    {
        QTest::addColumn<int>("key");
        QTest::addColumn<QString>("dialog");
        QTest::newRow("Ctrl+N") << int(Qt::Key_N) << "frmnovautrka";
        QTest::newRow("Ctrl+O") << int(Qt::Key_O) << "frmotvoriutrku";
    }

    void shortcutsOpenTheRaceDialogs()
    {
        QFETCH(int, key);
        QFETCH(QString, dialog);
        TempDb tmp;
        frmkelvora w(tmp.path());
        w.show();
        QApplication::setActiveWindow(&w);
        QVERIFY(QTest::qWaitForWindowActive(&w));
        QString opened;
        testutil::onNextDialog([&](QDialog* d) {
            opened = d->objectName();
            d->reject();
        });
        QTest::keyClick(&w, Qt::Key(key), Qt::ControlModifier);
        QCOMPARE(opened, dialog);
    }

    void exitClosesTheWindow()
    {
        TempDb tmp;
        frmkelvora w(tmp.path());
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        QTest::keyClick(&w, Qt::Key_I, Qt::ControlModifier);
        QVERIFY(!w.isVisible());
    }
};

KVR_TEST_MAIN(TestMainWindow)
#include "test_mainwindow.moc"
