#include "core/dates.h"
#include "testutil.h"
#include "core/texts.h"

#include <QAction>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QTreeView>
#include <QTreeWidget>
#include <memory>

namespace {

const QDate kRaceDate(2010, 6, 15);

// What one dialog showed while the test drove it.
struct DialogSeen {
    bool opened = false;
    QString title;
    QStringList texts; // txtsbroj, txtime, txtdrzava, txtklub, cbospol, txtdatumrod, lblide
    bool keyHidden = false;
    bool stillOpen = false;
    QString focused;
    QString selected;
};

// The six fields and the key of an editing dialog, in list column order.
QStringList dialogTexts(QDialog* d)
{
    QStringList texts;
    for (const char* name : {"txtsbroj", "txtime", "txtdrzava", "txtklub"})
        texts << testutil::find<QLineEdit>(d, name)->text();
    texts << testutil::find<QComboBox>(d, "cbospol")->currentText();
    texts << testutil::find<QLineEdit>(d, "txtdatumrod")->text();
    texts << testutil::find<QLabel>(d, "lblide")->text();
    return texts;
}

} // namespace

class TestCompetitors : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<testutil::TempDb> m_tmp;
    std::unique_ptr<frmkelvora> m_w;
    qint64 m_raceId = 0;
    QTreeView* lsv1 = nullptr;

    frmkelvora& w() { return *m_w; }
    QLineEdit* field(const char* name) { return testutil::find<QLineEdit>(m_w.get(), name); }
    QComboBox* sexBox() { return testutil::find<QComboBox>(m_w.get(), "cbospol"); }
    QPushButton* addButton() { return testutil::find<QPushButton>(m_w.get(), "cmddodaj"); }

    void fill(const QString& name, const QString& number, const QString& country, const QString& club,
              const QString& birth)
    {
        field("txtime")->setText(name);
        field("txtsbroj")->setText(number);
        field("txtdrzava")->setText(country);
        field("txtklub")->setText(club);
        field("txtdatumrod")->setText(birth);
    }
    QStringList fieldTexts()
    {
        QStringList texts;
        for (const char* name : {"txtime", "txtsbroj", "txtdrzava", "txtklub", "txtdatumrod"})
            texts << field(name)->text();
        return texts;
    }
    QList<Competitor> stored() { return w().database().startList(m_raceId).value(); }
    Competitor storedById(qint64 id)
    {
        for (const Competitor& c : stored())
            if (c.id == id)
                return c;
        return {};
    }
    // Three competitors already on the list: " 7 ", "012" and one without a number.
    void addNeighbours()
    {
        testutil::addCompetitor(w(), " 7 ", "Ivo", "M", QDate(1980, 1, 1));
        testutil::addCompetitor(w(), "012", "Eva", QStringLiteral("Ž"), QDate(1981, 1, 1));
        testutil::addCompetitor(w(), "", "Mia", QStringLiteral("Ž"), QDate(1982, 1, 1));
    }
    void select(int row)
    {
        lsv1->clearSelection();
        testutil::selectRow(lsv1, row);
    }
    int rowOf(qint64 id)
    {
        for (int i = 0; i < lsv1->model()->rowCount(); ++i)
            if (testutil::cell(lsv1, i, 7) == QString::number(id))
                return i;
        return -1;
    }

    // Opens the editing dialog on the selected row, lets fn drive it (fill,
    // press buttons) and reports what it saw. A dialog left open is closed.
    DialogSeen edit(const std::function<void(QDialog*)>& fn = {})
    {
        DialogSeen seen;
        testutil::onNextDialog([&](QDialog* d) {
            seen.opened = true;
            seen.title = d->windowTitle();
            seen.texts = dialogTexts(d);
            seen.keyHidden = testutil::find<QLabel>(d, "lblide")->isHidden();
            if (fn)
                fn(d);
            seen.stillOpen = d->isVisible();
            if (auto* focus = qobject_cast<QLineEdit*>(d->focusWidget())) {
                seen.focused = focus->objectName();
                seen.selected = focus->selectedText();
            }
            if (d->isVisible())
                testutil::find<QPushButton>(d, "cmdizlaz")->click();
        });
        testutil::trigger(m_w.get(), QStringLiteral("mnuizmjenatakmicara"));
        return seen;
    }
    static void setDialogField(QDialog* d, const char* name, const QString& text)
    {
        testutil::find<QLineEdit>(d, name)->setText(text);
    }
    // Presses "Spremi" and waits for the database's answer.
    static void pressStore(QDialog* d)
    {
        auto* store = testutil::find<QPushButton>(d, "cmdizmjena");
        store->click();
        QTRY_VERIFY(store->isEnabled() || !d->isVisible());
    }

    // Every database row of the race, in fill order, is the matching view row.
    void compareViewWithDatabase()
    {
        const QList<Competitor> rows = stored();
        QCOMPARE(lsv1->model()->rowCount(), rows.size());
        for (int i = 0; i < rows.size(); ++i) {
            const Competitor& c = rows.at(i);
            const QStringList expected{QString::number(i + 1), c.sbroj, c.ime, c.drzava, c.klub, c.spol,
                                       kvr::formatDate(c.datum), QString::number(c.id)};
            QStringList shown;
            for (int col = 0; col < 8; ++col)
                shown << testutil::cell(lsv1, i, col);
            QCOMPARE(shown, expected);
        }
    }

private slots:
    void init()
    {
        m_tmp = std::make_unique<testutil::TempDb>();
        m_w = std::make_unique<frmkelvora>(m_tmp->path());
        lsv1 = testutil::find<QTreeView>(m_w.get(), "lsv1");
        m_w->show();
        QApplication::setActiveWindow(m_w.get());
        QVERIFY(QTest::qWaitForWindowActive(m_w.get()));
        m_raceId = testutil::makeCurrentRace(w(), QStringLiteral("Polumaraton"), kRaceDate);
        MessageBox::clearShown();
    }

    void cleanup()
    {
        m_w.reset();
        m_tmp.reset();
    }

    // ---- Adding ----

    void addWithoutRace()
    {
        w().session().closeRace();
        fill("Ana", "1", "HRV", "AK Split", "01.01.1990");
        addButton()->click();
        testutil::settle(w());
        QCOMPARE(MessageBox::shown().size(), 1);
        QCOMPARE(MessageBox::last().text, tx::openRaceFirst());
        QCOMPARE(fieldTexts(), (QStringList{"Ana", "1", "HRV", "AK Split", "01.01.1990"}));
    }

    void addRefused_data()
    {
        QTest::addColumn<QStringList>("entry"); // name, number, country, club, birth date
        QTest::addColumn<QString>("message");
        QTest::addColumn<QString>("marked"); // field selected and focused; empty: focus stays
        const QString e = tx::exampleBirthDate();
        const QString required = tx::competitorFieldsRequired();
        QTest::newRow("no name") << QStringList{"", "3", "HRV", "AK", "01.01.1990"} << required << "";
        QTest::newRow("missing field before bad date")
            << QStringList{"Ana", "7", "HRV", "", "1.2.5"} << required << "";
        QTest::newRow("date too short") << QStringList{"Ana", "", "HRV", "AK", "1.2.5"} << tx::dateMessageLong(e)
                                        << "txtdatumrod";
        QTest::newRow("date with one dot")
            << QStringList{"Ana", "", "HRV", "AK", "1.11958"} << tx::dateMessageShort(e) << "txtdatumrod";
        QTest::newRow("no calendar date, before the number")
            << QStringList{"Ana", "7", "HRV", "AK", "45.45.1990"} << tx::tooYoung(e) << "txtdatumrod";
        QTest::newRow("born 1799") << QStringList{"Ana", "", "HRV", "AK", "01.01.1799"} << tx::tooOld(e)
                                   << "txtdatumrod";
        QTest::newRow("a direction mark in the club")
            << QStringList{"Ana", "", "HRV", QString::fromUtf8("AK\u202E"), "01.01.1990"} << tx::textHasControl() << "txtklub";
        QTest::newRow("a NUL in the name")
            << QStringList{QStringLiteral("An") + QChar(0) + QStringLiteral("a"), "", "HRV", "AK", "01.01.1990"}
            << tx::textHasControl() << "txtime";
        QTest::newRow("number stored with blanks")
            << QStringList{"Ana", "7", "HRV", "AK", "01.01.1990"} << tx::startNumberTaken() << "txtsbroj";
    }

    void addRefused()
    {
        QFETCH(QStringList, entry);
        QFETCH(QString, message);
        QFETCH(QString, marked);
        addNeighbours();
        fill(entry[0], entry[1], entry[2], entry[3], entry[4]);
        addButton()->setFocus();
        addButton()->click();
        testutil::settle(w());

        QCOMPARE(MessageBox::shown().size(), 1);
        QCOMPARE(MessageBox::last().text, message);
        QCOMPARE(MessageBox::last().icon, QMessageBox::NoIcon);
        QCOMPARE(fieldTexts(), entry);
        QCOMPARE(stored().size(), 3);
        QCOMPARE(lsv1->model()->rowCount(), 3);
        QWidget* focus = QApplication::focusWidget();
        if (marked.isEmpty()) {
            QCOMPARE(focus, addButton());
        } else {
            QCOMPARE(focus, field(qPrintable(marked)));
            QCOMPARE(field(qPrintable(marked))->selectedText(), field(qPrintable(marked))->text());
        }
    }

    void addAccepted_data()
    {
        QTest::addColumn<QString>("number");
        QTest::addColumn<QString>("birth");
        QTest::addColumn<QDate>("storedDate");
        QTest::newRow("two-digit year 09") << "3" << "1.1.09" << QDate(2009, 1, 1);
        QTest::newRow("12 beside 012") << "12" << "12.5.1987" << QDate(1987, 5, 12);
        QTest::newRow("no number") << "" << "12.05.1987" << QDate(1987, 5, 12);
    }

    void addAccepted()
    {
        QFETCH(QString, number);
        QFETCH(QString, birth);
        QFETCH(QDate, storedDate);
        addNeighbours();
        fill("Ana", number, "HRV", "AK", birth);
        addButton()->click();
        testutil::settle(w());
        QVERIFY(MessageBox::shown().isEmpty());
        QCOMPARE(stored().size(), 4);
        QCOMPARE(stored().last().sbroj, number);
        QCOMPARE(stored().last().datum, storedDate);
    }

    void addStoresExactlyAndClears()
    {
        auto* startMenu = testutil::find<QMenu>(m_w.get(), "mnustartnalista");
        auto* finishMenu = testutil::find<QMenu>(m_w.get(), "mnuciljnalista");
        startMenu->menuAction()->setVisible(false);
        finishMenu->menuAction()->setVisible(true);

        sexBox()->setCurrentText(QStringLiteral("M"));
        fill(QStringLiteral("Đurđa O'Brien-Čičak"), "1.5", QStringLiteral(" Hrvatska "),
             QStringLiteral("AK \"Šibenik\""), "3.4.85");
        addButton()->click();
        testutil::settle(w());

        QVERIFY(MessageBox::shown().isEmpty());
        QCOMPARE(stored().size(), 1);
        const Competitor c = stored().first();
        QCOMPARE(c.ime, QStringLiteral("Đurđa O'Brien-Čičak"));
        QCOMPARE(c.sbroj, QStringLiteral("1.5"));
        QCOMPARE(c.drzava, QStringLiteral(" Hrvatska "));
        QCOMPARE(c.klub, QStringLiteral("AK \"Šibenik\""));
        QCOMPARE(c.spol, QStringLiteral("M"));
        QCOMPARE(c.datum, QDate(1985, 4, 3));
        QCOMPARE(c.idutrke, m_raceId);

        QCOMPARE(fieldTexts(), QStringList(5));
        QCOMPARE(sexBox()->currentText(), QStringLiteral("M"));
        QCOMPARE(QApplication::focusWidget(), field("txtime"));
        compareViewWithDatabase();
        QVERIFY(startMenu->menuAction()->isVisible());
        QVERIFY(!finishMenu->menuAction()->isVisible());
    }

    void addNumberUsedInAnotherRace()
    {
        testutil::addCompetitor(w(), QStringLiteral("5"), QStringLiteral("Ivo"), QStringLiteral("M"),
                                QDate(1980, 1, 1));
        m_raceId = testutil::makeCurrentRace(w(), QStringLiteral("Maraton"), kRaceDate);
        fill("Ana", "5", "HRV", "AK", "01.01.1990");
        addButton()->click();
        testutil::settle(w());
        QVERIFY(MessageBox::shown().isEmpty());
        QCOMPARE(stored().size(), 1);
        compareViewWithDatabase();
    }

    void addFailedStoreKeepsEntry()
    {
        testutil::refuseWrites(m_tmp->path(), "startna", "insert", "disk is full");
        fill("Ana", "5", "HRV", "AK", "01.01.1990");
        addButton()->click();
        testutil::settle(w());
        QCOMPARE(MessageBox::shown().size(), 1);
        QVERIFY(testutil::lastMessageIsDbError("disk is full"));
        QCOMPARE(fieldTexts(), (QStringList{"Ana", "5", "HRV", "AK", "01.01.1990"}));
        QCOMPARE(lsv1->model()->rowCount(), 0);

        // Once the database takes it again, the kept entry is stored as typed.
        testutil::allowWrites(m_tmp->path(), "startna", "insert");
        addButton()->click();
        testutil::settle(w());
        QCOMPARE(MessageBox::shown().size(), 1);
        QCOMPARE(stored().size(), 1);
        compareViewWithDatabase();
    }

    // ---- Editing ----

    void editWithoutSelection_data()
    {
        QTest::addColumn<int>("competitors");
        QTest::newRow("empty list") << 0;
        QTest::newRow("nothing selected") << 2;
    }

    void editWithoutSelection()
    {
        QFETCH(int, competitors);
        for (int i = 0; i < competitors; ++i)
            testutil::addCompetitor(w(), QString::number(i + 1), QStringLiteral("Ivo"), QStringLiteral("M"),
                                    QDate(1980, 1, 1));
        bool opened = false;
        QTimer::singleShot(0, [&opened] {
            if (auto* d = qobject_cast<QDialog*>(QApplication::activeModalWidget())) {
                opened = true;
                d->reject();
            }
        });
        testutil::trigger(m_w.get(), QStringLiteral("mnuizmjenatakmicara"));
        QCoreApplication::processEvents();
        QVERIFY(!opened);
        QCOMPARE(MessageBox::shown().size(), 1);
        QCOMPARE(MessageBox::last().text, tx::noCompetitorSelected());
    }

    void editOpensWithRowAndCloses()
    {
        testutil::addCompetitor(w(), QStringLiteral("3"), QStringLiteral("Ivo"), QStringLiteral("M"),
                                QDate(1980, 1, 1));
        const qint64 ana = testutil::addCompetitor(w(), QString(), QStringLiteral("Ana Ković"), QStringLiteral("Ž"),
                                                   QDate(1985, 4, 3), QStringLiteral("SLO"),
                                                   QStringLiteral("AK Celje"));
        select(1);
        QStringList typed;
        const DialogSeen seen = edit([&](QDialog* d) {
            QVERIFY(d->isModal());
            // Any character goes into this start number; the date field keeps its filter.
            testutil::find<QLineEdit>(d, "txtsbroj")->setFocus();
            QTest::keyClicks(testutil::find<QLineEdit>(d, "txtsbroj"), "A-1");
            testutil::find<QLineEdit>(d, "txtdatumrod")->setFocus();
            QTest::keyClicks(testutil::find<QLineEdit>(d, "txtdatumrod"), "x/");
            typed = dialogTexts(d);
            testutil::find<QPushButton>(d, "cmdizlaz")->click();
        });
        QVERIFY(seen.opened);
        QCOMPARE(seen.title, tx::editCompetitorTitle());
        QCOMPARE(seen.texts, (QStringList{"", "Ana Ković", "SLO", "AK Celje", "Ž", "03.04.1985",
                                          QString::number(ana)}));
        QVERIFY(seen.keyHidden);
        QCOMPARE(typed.at(0), QStringLiteral("A-1"));
        QCOMPARE(typed.at(5), QStringLiteral("03.04.1985"));
        QVERIFY(!seen.stillOpen);
        QCOMPARE(storedById(ana).sbroj, QString()); // "Izlaz" stores nothing
        QVERIFY(MessageBox::shown().isEmpty());
    }

    void editTakesLastSelectedInViewOrder()
    {
        for (const char* name : {"Ana", "Bruno", "Cvita"})
            testutil::addCompetitor(w(), QString(), QString::fromUtf8(name), QStringLiteral("Ž"), QDate(1980, 1, 1));
        testutil::selectRow(lsv1, 0);
        testutil::selectRow(lsv1, 2);
        QCOMPARE(edit().texts.at(1), QStringLiteral("Cvita"));

        lsv1->model()->sort(2, Qt::DescendingOrder); // Cvita, Bruno, Ana
        QCOMPARE(edit().texts.at(1), QStringLiteral("Ana"));
    }

    void editUnchangedStoresAgain()
    {
        const qint64 id = testutil::addCompetitor(w(), QStringLiteral(" 4"), QStringLiteral("Ivo"),
                                                  QStringLiteral("M"), QDate(1980, 2, 29));
        const Competitor before = storedById(id);
        select(0);
        const DialogSeen seen = edit(pressStore);
        QVERIFY(!seen.stillOpen);
        QVERIFY(MessageBox::shown().isEmpty());
        const Competitor after = storedById(id);
        QCOMPARE(after.sbroj, before.sbroj);
        QCOMPARE(after.ime, before.ime);
        QCOMPARE(after.spol, before.spol);
        QCOMPARE(after.datum, before.datum);
    }

    // A sex stored by other means than this program survives an unchanged
    // edit; the two offered letters can still be chosen.
    void editKeepsAStoredSex_data()
    {
        QTest::addColumn<QString>("stored");
        QTest::addColumn<int>("entries");
        QTest::newRow("X") << QStringLiteral("X") << 3;
        QTest::newRow("lower-case m") << QStringLiteral("m") << 3;
        QTest::newRow("empty") << QString() << 3;
        QTest::newRow("M") << QStringLiteral("M") << 2;
    }

    void editKeepsAStoredSex()
    {
        QFETCH(QString, stored);
        QFETCH(int, entries);
        const qint64 id = testutil::addCompetitor(w(), QStringLiteral("4"), QStringLiteral("Ivo"), stored,
                                                  QDate(1980, 2, 29));
        QCOMPARE(storedById(id).spol, stored);
        select(0);
        QString shown;
        int count = 0;
        edit([&](QDialog* d) {
            auto* box = testutil::find<QComboBox>(d, "cbospol");
            shown = box->currentText();
            count = box->count();
            pressStore(d);
        });
        QCOMPARE(shown, stored);
        QCOMPARE(count, entries);
        QVERIFY(MessageBox::shown().isEmpty());
        QCOMPARE(storedById(id).spol, stored);

        // Choosing Ž stores Ž.
        select(0);
        edit([&](QDialog* d) {
            testutil::find<QComboBox>(d, "cbospol")->setCurrentText(tx::sexFemale());
            pressStore(d);
        });
        QCOMPARE(storedById(id).spol, tx::sexFemale());
    }

    void editStartNumber_data()
    {
        QTest::addColumn<QString>("competitor"); // whose row is edited
        QTest::addColumn<QString>("number");
        QTest::addColumn<bool>("accepted");
        QTest::newRow("give a taken number") << "Ana" << "9" << false;
        QTest::newRow("give a number taken with blanks") << "Ana" << "12" << false;
        QTest::newRow("give a free number") << "Ana" << "012" << true;
        QTest::newRow("give any characters") << "Ana" << "A-7" << true;
        QTest::newRow("keep no number") << "Ana" << "" << true;
        QTest::newRow("keep own number") << "Bruno" << "9" << true;
        QTest::newRow("own number with blanks") << "Bruno" << " 9 " << true;
        QTest::newRow("empty a number") << "Bruno" << "" << true;
        QTest::newRow("take another's number") << "Bruno" << " 12" << false;
    }

    void editStartNumber()
    {
        QFETCH(QString, competitor);
        QFETCH(QString, number);
        QFETCH(bool, accepted);
        QHash<QString, qint64> ids;
        ids["Ana"] = testutil::addCompetitor(w(), QString(), "Ana", "Ž", QDate(1980, 1, 1));
        ids["Bruno"] = testutil::addCompetitor(w(), "9", "Bruno", "M", QDate(1980, 1, 1));
        ids["Cvita"] = testutil::addCompetitor(w(), " 12 ", "Cvita", "Ž", QDate(1980, 1, 1));
        const qint64 id = ids.value(competitor);
        const QString before = storedById(id).sbroj;
        select(rowOf(id));

        const DialogSeen seen = edit([&](QDialog* d) {
            setDialogField(d, "txtsbroj", number);
            pressStore(d);
        });
        QCOMPARE(seen.stillOpen, !accepted);
        QCOMPARE(storedById(id).sbroj, accepted ? number : before);
        if (accepted) {
            QVERIFY(MessageBox::shown().isEmpty());
            compareViewWithDatabase();
        } else {
            QCOMPARE(MessageBox::last().text, tx::startNumberTaken());
            QCOMPARE(seen.focused, QStringLiteral("txtsbroj"));
            QCOMPARE(seen.selected, number);
        }
    }

    void editRefused_data()
    {
        QTest::addColumn<QString>("fieldName");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("message");
        QTest::addColumn<QString>("marked");
        const QString e = tx::exampleBirthDate();
        QTest::newRow("no name") << "txtime" << "" << tx::competitorFieldsRequired() << "";
        QTest::newRow("date too short") << "txtdatumrod" << "1.2.5" << tx::dateMessageLong(e) << "txtdatumrod";
        QTest::newRow("no calendar date") << "txtdatumrod" << "45.45.1990" << tx::tooYoung(e) << "txtdatumrod";
    }

    void editRefused()
    {
        QFETCH(QString, fieldName);
        QFETCH(QString, text);
        QFETCH(QString, message);
        QFETCH(QString, marked);
        const qint64 id = testutil::addCompetitor(w(), "3", "Ivo", "M", QDate(1980, 1, 1));
        select(0);
        QString kept;
        const DialogSeen seen = edit([&](QDialog* d) {
            setDialogField(d, "txtime", "Ivan");
            setDialogField(d, qPrintable(fieldName), text);
            pressStore(d);
            kept = dialogTexts(d).join('|');
        });
        QVERIFY(seen.stillOpen);
        QCOMPARE(MessageBox::shown().size(), 1);
        QCOMPARE(MessageBox::last().text, message);
        if (!marked.isEmpty()) {
            QCOMPARE(seen.focused, marked);
            QCOMPARE(seen.selected, text);
        }
        QVERIFY(kept.contains(text));
        QCOMPARE(storedById(id).ime, QStringLiteral("Ivo"));
    }

    void editStoresAllColumnsAndKeepsFinishRecord()
    {
        const qint64 id = testutil::addCompetitor(w(), "3", "Ivo", "M", QDate(1980, 1, 1));
        testutil::addFinish(w(), id, "3", "01:02:03");
        select(0);
        const DialogSeen seen = edit([](QDialog* d) {
            setDialogField(d, "txtime", QStringLiteral("Iva O'Neill-Žužić"));
            setDialogField(d, "txtsbroj", QStringLiteral("33"));
            setDialogField(d, "txtdrzava", QStringLiteral("BiH"));
            setDialogField(d, "txtklub", QStringLiteral("\"Čelik\" Zenica"));
            testutil::find<QComboBox>(d, "cbospol")->setCurrentText(QStringLiteral("Ž"));
            setDialogField(d, "txtdatumrod", QStringLiteral("5.6.88"));
            pressStore(d);
        });
        QVERIFY(!seen.stillOpen);
        const Competitor c = storedById(id);
        QCOMPARE(c.ime, QStringLiteral("Iva O'Neill-Žužić"));
        QCOMPARE(c.sbroj, QStringLiteral("33"));
        QCOMPARE(c.drzava, QStringLiteral("BiH"));
        QCOMPARE(c.klub, QStringLiteral("\"Čelik\" Zenica"));
        QCOMPARE(c.spol, QStringLiteral("Ž"));
        QCOMPARE(c.datum, QDate(1988, 6, 5));
        QCOMPARE(c.idutrke, m_raceId);
        compareViewWithDatabase();

        const QList<FinishRecord> finish = w().database().finishList(m_raceId).value();
        QCOMPARE(finish.size(), 1);
        QCOMPARE(finish.first().idtakmicara, id);
        QCOMPARE(finish.first().sbroj, QStringLiteral("3"));
    }

    void editFailedStoreKeepsDialog()
    {
        const qint64 id = testutil::addCompetitor(w(), "3", "Ivo", "M", QDate(1980, 1, 1));
        testutil::refuseWrites(m_tmp->path(), "startna", "update", "database is locked");
        select(0);
        QStringList kept;
        const DialogSeen seen = edit([&](QDialog* d) {
            setDialogField(d, "txtime", QStringLiteral("Ivan"));
            setDialogField(d, "txtsbroj", QStringLiteral("4"));
            pressStore(d);
            kept = dialogTexts(d);
        });
        QVERIFY(seen.stillOpen);
        QVERIFY(testutil::lastMessageIsDbError(QStringLiteral("database is locked")));
        QCOMPARE(kept.mid(0, 2), (QStringList{"4", "Ivan"}));
        QCOMPARE(storedById(id).ime, QStringLiteral("Ivo"));
        QCOMPARE(storedById(id).sbroj, QStringLiteral("3"));
        compareViewWithDatabase();
    }

    // ---- Deleting ----

    void deleteFromEmptyList()
    {
        testutil::trigger(m_w.get(), QStringLiteral("mnubrisanjetakmicara"));
        testutil::settle(w());
        QCOMPARE(MessageBox::shown().size(), 1);
        QCOMPARE(MessageBox::last().text, tx::noCompetitors());
    }

    void deleteOne_data()
    {
        QTest::addColumn<bool>("finished");
        QTest::addColumn<bool>("yes");
        QTest::newRow("no finish record, No") << false << false;
        QTest::newRow("no finish record, Yes") << false << true;
        QTest::newRow("finish record, No") << true << false;
        QTest::newRow("finish record, Yes") << true << true;
    }

    void deleteOne()
    {
        QFETCH(bool, finished);
        QFETCH(bool, yes);
        const qint64 ivo = testutil::addCompetitor(w(), "1", "Ivo", "M", QDate(1980, 1, 1));
        const qint64 ana = testutil::addCompetitor(w(), "2", QStringLiteral("Ana Đurić"), "Ž", QDate(1981, 1, 1));
        const qint64 eva = testutil::addCompetitor(w(), "3", "Eva", "Ž", QDate(1982, 1, 1));
        testutil::addFinish(w(), ivo, "1", "00:40:00");
        if (finished)
            testutil::addFinish(w(), ana, "2", "00:41:00");
        w().session().reload();
        const QList<Competitor> before = stored();
        select(1);
        MessageBox::setNextAnswer(yes ? QMessageBox::Yes : QMessageBox::No);
        testutil::trigger(m_w.get(), QStringLiteral("mnubrisanjetakmicara"));
        testutil::settle(w());

        QCOMPARE(MessageBox::shown().size(), 1);
        const MessageBox::Shown question = MessageBox::last();
        if (finished) {
            QCOMPARE(question.title, QStringLiteral("Brisanje takmičara"));
            QCOMPARE(question.icon, QMessageBox::Critical);
            QCOMPARE(question.text, tx::deleteFinisherQuestion(QStringLiteral("Ana Đurić")));
        } else {
            QCOMPARE(question.title, QStringLiteral("Brisanje takmičara!"));
            QCOMPARE(question.icon, QMessageBox::Question);
            QCOMPARE(question.text, QStringLiteral("Želite li zaista obrisati takmičara: Ana Đurić?"));
        }
        QCOMPARE(question.buttons, QMessageBox::Yes | QMessageBox::No);

        QList<FinishRecord> finish = w().database().finishList(m_raceId).value();
        if (!yes) {
            QCOMPARE(stored().size(), 3);
            QCOMPARE(finish.size(), finished ? 2 : 1);
            return;
        }
        const QList<Competitor> after = stored();
        QCOMPARE(after.size(), 2);
        QCOMPARE(after.at(0).id, ivo);
        QCOMPARE(after.at(0).sbroj, before.at(0).sbroj);
        QCOMPARE(after.at(1).id, eva);
        QCOMPARE(after.at(1).sbroj, before.at(2).sbroj);
        QCOMPARE(finish.size(), 1);
        QCOMPARE(finish.first().idtakmicara, ivo);
        compareViewWithDatabase();
        QCOMPARE(testutil::columnTexts(lsv1, 0), (QStringList{"1", "2"}));
    }

    void deleteWithNothingSelected()
    {
        testutil::addCompetitor(w(), "1", "Ivo", "M", QDate(1980, 1, 1));
        // Stored behind the view's back: the watch shows it after the delete.
        Competitor late;
        late.idutrke = m_raceId;
        late.ime = QStringLiteral("Ana");
        late.spol = QStringLiteral("Ž");
        late.datum = QDate(1990, 1, 1);
        QVERIFY(w().database().insertCompetitor(late));
        lsv1->clearSelection();
        MessageBox::setNextAnswer(QMessageBox::Yes);
        testutil::trigger(m_w.get(), QStringLiteral("mnubrisanjetakmicara"));
        testutil::settle(w());
        QCOMPARE(MessageBox::last().text, QStringLiteral("Želite li zaista obrisati takmičara: ?"));
        QCOMPARE(stored().size(), 2);
        // The watch brings the row stored behind the view's back within a second.
        QTRY_COMPARE(lsv1->model()->rowCount(), 2);
        compareViewWithDatabase();
    }

    // ---- A race day's start list ----

    void fewHundredTypedCorrectedPruned()
    {
        for (int i = 1; i <= 300; ++i) {
            fill(QStringLiteral("Takmičar %1").arg(i), i % 10 == 0 ? QString() : QString::number(i), "HRV",
                 QStringLiteral("Klub %1").arg(i % 7), QStringLiteral("%1.%2.19%3").arg(i % 28 + 1).arg(i % 12 + 1).arg(40 + i % 50));
            sexBox()->setCurrentIndex(i % 2);
            addButton()->click();
            testutil::settle(w());
        }
        QVERIFY(MessageBox::shown().isEmpty());
        QCOMPARE(stored().size(), 300);

        // Numbers for those who had none, one refused as taken on the way.
        for (int row = 9; row < 300; row += 30) {
            select(row);
            const DialogSeen seen = edit([row](QDialog* d) {
                setDialogField(d, "txtsbroj", QString::number(row)); // 9, 39, ...: taken
                pressStore(d);
                setDialogField(d, "txtsbroj", QString::number(1000 + row));
                pressStore(d);
            });
            QVERIFY(!seen.stillOpen);
        }
        QCOMPARE(MessageBox::shown().size(), 10);
        MessageBox::clearShown();

        for (int i = 0; i < 20; ++i) {
            select(i * 13 % lsv1->model()->rowCount());
            MessageBox::setNextAnswer(QMessageBox::Yes);
            testutil::trigger(m_w.get(), QStringLiteral("mnubrisanjetakmicara"));
            testutil::settle(w());
        }
        QCOMPARE(MessageBox::shown().size(), 20);
        QCOMPARE(stored().size(), 280);
        compareViewWithDatabase();
    }
};

KVR_TEST_MAIN(TestCompetitors)
#include "test_competitors.moc"
