#include "testutil.h"
#include "core/texts.h"

#include <QAction>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTreeView>
#include <QTreeWidget>

using testutil::TempDb;
using testutil::find;

namespace {

// What a race dialog looked like after its store button was pressed.
struct DialogOutcome {
    QString dialog;        // object name and caption
    bool closed = false;   // the dialog closed itself: the store was done
    QStringList prefilled; // name, organiser, date as the dialog opened
    QStringList texts;     // name, organiser, date after the press
    QString focused;       // object name of the field with the focus
    QString selected;      // selected text of that field
};

const char* const kRaceFields[] = {"txtime", "txtorg", "txtdatum"};

// Opens a race dialog through its menu item, types the three fields, presses
// the store button and, if the dialog stays open, leaves it by "&Izlaz".
DialogOutcome submitRace(frmkelvora& w, const char* menuItem, const char* storeButton, const QStringList& typed)
{
    DialogOutcome outcome;
    testutil::onNextDialog([&](QDialog* d) {
        outcome.dialog = d->objectName() + QLatin1Char(' ') + d->windowTitle();
        for (int i = 0; i < 3; ++i) {
            auto* field = find<QLineEdit>(d, kRaceFields[i]);
            outcome.prefilled << field->text();
            field->setText(typed.at(i));
        }
        find<QPushButton>(d, storeButton)->click();
        outcome.closed = !d->isVisible();
        for (const char* name : kRaceFields)
            outcome.texts << find<QLineEdit>(d, name)->text();
        if (auto* focused = qobject_cast<QLineEdit*>(d->focusWidget())) {
            outcome.focused = focused->objectName();
            outcome.selected = focused->selectedText();
        }
        if (!outcome.closed)
            find<QPushButton>(d, "cmdizlaz")->click();
    });
    testutil::trigger(&w, menuItem);
    return outcome;
}

DialogOutcome newRace(frmkelvora& w, const QString& name, const QString& organiser, const QString& date)
{
    return submitRace(w, "mnunova", "cmdupis", {name, organiser, date});
}

DialogOutcome editRace(frmkelvora& w, const QString& name, const QString& organiser, const QString& date)
{
    return submitRace(w, "mnuizmjenautrke", "cmizmjena", {name, organiser, date});
}

// Opens the open-race dialog, selects the rows whose race names are given
// and presses "&Otvori". Returns the names listed, in list order, with their keys.
QStringList openRace(frmkelvora& w, const QStringList& select)
{
    QStringList listed;
    testutil::onNextDialog([&](QDialog* d) {
        auto* list = find<QTreeWidget>(d, "lstotvori");
        for (int i = 0; i < list->model()->rowCount(); ++i) {
            QTreeWidgetItem* item = list->topLevelItem(i);
            listed << item->text(0) + QLatin1Char('/') + item->text(1);
            item->setSelected(select.contains(item->text(0)));
        }
        find<QPushButton>(d, "cmdotvori")->click();
        if (d->isVisible())
            find<QPushButton>(d, "cmdizlaz")->click();
    });
    testutil::trigger(&w, "mnuotvori");
    return listed;
}

QString label(frmkelvora& w, const char* name)
{
    return find<QLabel>(&w, name)->text();
}

QStringList header(frmkelvora& w)
{
    return {label(w, "lblimeutrke"), label(w, "lblorgutrke"), label(w, "lbldatumutrke"), label(w, "lblid")};
}

bool enabled(frmkelvora& w, const char* action)
{
    return find<QAction>(&w, action)->isEnabled();
}

bool menuShown(frmkelvora& w, const char* menu)
{
    return find<QMenu>(&w, menu)->menuAction()->isVisible();
}

int currentPage(frmkelvora& w)
{
    return find<QTabWidget>(&w, "SSTab1")->currentIndex();
}

// From now on the database refuses every insert and update of the table,
// as a full disk would.
void refuseChanges(const QString& path, const QString& table)
{
    testutil::refuseWrites(path, table, QStringLiteral("insert"), QStringLiteral("disk full"));
    testutil::refuseWrites(path, table, QStringLiteral("update"), QStringLiteral("disk full"));
}

bool shownDbError()
{
    return testutil::lastMessageIsDbError(QStringLiteral("disk full"));
}

} // namespace

class TestRaces : public QObject {
    Q_OBJECT

private slots:
    void init() { MessageBox::clearShown(); }

    void newRaceBecomesCurrent()
    {
        TempDb tmp;
        frmkelvora w(tmp.path());
        w.selectPage(frmkelvora::PageHelp);

        const DialogOutcome done = newRace(w, "Maraton", "AK Kelvora", "1.1.2008");
        QCOMPARE(done.dialog, QStringLiteral("frmnovautrka Upis nove utrke"));
        QVERIFY(done.closed);
        const auto races = w.database().listedRaces().value();
        QCOMPARE(races.size(), 1);
        const Race& race = races.first();
        QCOMPARE(race.ime, QStringLiteral("Maraton"));
        QCOMPARE(race.org, QStringLiteral("AK Kelvora"));
        QCOMPARE(race.datum, QDate(2008, 1, 1));
        QCOMPARE(race.da, QStringLiteral("y"));
        // The header shows the date exactly as typed.
        QCOMPARE(header(w), (QStringList{"Maraton", "AK Kelvora", "1.1.2008", QString::number(race.id)}));
        QCOMPARE(currentPage(w), int(frmkelvora::PageStartList));
        QCOMPARE(w.windowTitle(), QStringLiteral("Ime utrke: Maraton"));
        for (const char* item : {"mnunagrade", "mnukategorije", "mnuizmjenautrke", "mnubrisanjeutrke",
                                 "mnuispisprijavljenih", "mnuispisstartne"})
            QVERIFY2(enabled(w, item), item);

        // A second new race empties the start list of the first; a two-digit
        // year is stored by the program's one rule.
        testutil::addCompetitor(w, "1", "Ana", "Ž", QDate(1980, 1, 1));
        QVERIFY(newRace(w, "Polumaraton", "AK Split", "1.1.08").closed);
        QCOMPARE(label(w, "lbldatumutrke"), QStringLiteral("1.1.08"));
        QCOMPARE(w.database().race(label(w, "lblid").toLongLong()).value().datum, QDate(2008, 1, 1));
        QCOMPARE(find<QTreeView>(&w, "lsv1")->model()->rowCount(), 0);
        QVERIFY(w.session().startList().isEmpty());
    }

    void refusals_data()
    {
        QTest::addColumn<bool>("editing");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("organiser");
        QTest::addColumn<QString>("date");
        QTest::addColumn<QString>("message");
        QTest::addColumn<QString>("focused");
        const QString required = tx::allRaceFieldsRequired();
        const QString longForm = tx::dateMessageLong(tx::exampleRaceDate());
        const QString shortForm = tx::dateMessageShort(tx::exampleRaceDate());
        for (const bool editing : {false, true}) {
            const char* dialog = editing ? "race details: " : "new race: ";
            auto row = [&](const char* name) -> QTestData& {
                return QTest::newRow(qPrintable(dialog + QString::fromLatin1(name))) << editing;
            };
            row("no name") << "" << "AK" << "1.1.2008" << required << "txtime";
            row("no organiser") << "Utrka" << "" << "1.1.2008" << required << "txtorg";
            row("no date") << "Utrka" << "AK" << "" << required << "txtdatum";
            // Only the details dialog counts a short date as missing.
            row("five characters") << "Utrka" << "AK" << "1.2.5" << (editing ? required : longForm) << "txtdatum";
            row("leading dot") << "Utrka" << "AK" << ".1.1958" << longForm << "txtdatum";
            row("trailing dot") << "Utrka" << "AK" << "1.1.1958." << longForm << "txtdatum";
            row("eight digits") << "Utrka" << "AK" << "01011958" << shortForm << "txtdatum";
            row("one dot") << "Utrka" << "AK" << "1.11958" << shortForm << "txtdatum";
            row("day and month out of range") << "Utrka" << "AK" << "45.45.2010" << longForm << "txtdatum";
            row("no such day") << "Utrka" << "AK" << "31.2.2010" << longForm << "txtdatum";
            row("dots side by side") << "Utrka" << "AK" << "1..2010" << longForm << "txtdatum";
        }
    }

    // A refusal shows its one message, keeps every typed text, marks the
    // field at fault, stores nothing and leaves the current race as it was.
    void refusals()
    {
        QFETCH(bool, editing);
        QFETCH(QString, name);
        QFETCH(QString, organiser);
        QFETCH(QString, date);
        QFETCH(QString, message);
        QFETCH(QString, focused);
        TempDb tmp;
        frmkelvora w(tmp.path());
        testutil::makeCurrentRace(w, "Maraton", QDate(2010, 6, 5));
        const QStringList before = header(w);

        const DialogOutcome refused = editing ? editRace(w, name, organiser, date) : newRace(w, name, organiser, date);
        QVERIFY(!refused.closed);
        QCOMPARE(MessageBox::shown().size(), 1);
        QCOMPARE(MessageBox::last().text, message);
        QCOMPARE(MessageBox::last().title, QStringLiteral("Kelvora"));
        QCOMPARE(refused.texts, (QStringList{name, organiser, date}));
        QCOMPARE(refused.focused, focused);
        if (focused == QLatin1String("txtdatum"))
            QCOMPARE(refused.selected, date);
        QCOMPARE(header(w), before);
        const auto races = w.database().listedRaces().value();
        QCOMPARE(races.size(), 1);
        QCOMPARE(races.first().ime, QStringLiteral("Maraton"));
        QCOMPARE(races.first().datum, QDate(2010, 6, 5));
    }

    void storeFailure_data()
    {
        QTest::addColumn<bool>("editing");
        QTest::newRow("new race") << false;
        QTest::newRow("race details") << true;
    }

    // A failed store keeps the dialog with what was typed and changes
    // neither the current race nor its header.
    void storeFailure()
    {
        QFETCH(bool, editing);
        TempDb tmp;
        frmkelvora w(tmp.path());
        const qint64 id = testutil::makeCurrentRace(w, "Maraton", QDate(2010, 6, 5));
        const QStringList before = header(w);
        refuseChanges(tmp.path(), "utrke");

        const QStringList typed{"Nova", "AK", "2.2.2011"};
        const DialogOutcome failed = editing ? editRace(w, typed[0], typed[1], typed[2])
                                       : newRace(w, typed[0], typed[1], typed[2]);
        QVERIFY(!failed.closed);
        QVERIFY(shownDbError());
        QCOMPARE(failed.texts, typed);
        QCOMPARE(header(w), before);
        QCOMPARE(w.currentRaceId(), id);
        QCOMPARE(w.database().race(id).value().ime, QStringLiteral("Maraton"));
    }

    void duplicateName_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("refused");
        QTest::newRow("same name, withdrawn race") << "Maraton" << true;
        QTest::newRow("same name, listed race") << "Polumaraton" << true;
        QTest::newRow("differs in case") << "maraton" << false;
        QTest::newRow("differs by a blank") << "Maraton " << false;
    }

    void duplicateName()
    {
        QFETCH(QString, name);
        QFETCH(bool, refused);
        TempDb tmp;
        frmkelvora w(tmp.path());
        const auto withdrawn = w.database().insertRace("Maraton", "AK", QDate(2009, 5, 1));
        QVERIFY(w.database().withdrawRace(withdrawn.value()));
        QVERIFY(w.database().insertRace("Polumaraton", "AK", QDate(2009, 6, 1)));

        const DialogOutcome outcome = newRace(w, name, "AK Kelvora", "1.6.2010");
        QCOMPARE(outcome.closed, !refused);
        QCOMPARE(w.database().raceNameExists(name).value(), true);
        if (refused) {
            QCOMPARE(MessageBox::last().text, tx::raceNameExists());
            QCOMPARE(outcome.focused, QStringLiteral("txtime"));
            QCOMPARE(outcome.texts, (QStringList{name, "AK Kelvora", "1.6.2010"}));
            QCOMPARE(w.database().listedRaces().value().size(), 1);
        } else {
            QCOMPARE(label(w, "lblimeutrke"), name);
            QCOMPARE(w.database().listedRaces().value().size(), 2);
        }
    }

    void openListsOnlyListedRacesInKeyOrder()
    {
        TempDb tmp;
        frmkelvora w(tmp.path());
        Database& db = w.database();
        const qint64 a = db.insertRace("Alfa", "AK", QDate(2010, 1, 1)).value();
        const qint64 b = db.insertRace("Beta", "AK", QDate(2010, 2, 1)).value();
        const qint64 c = db.insertRace("Cres", "AK Cres", QDate(2010, 6, 5)).value();
        QVERIFY(db.withdrawRace(b));
        for (const char* name : {"Zec Ivo", "Ana Babić", "Luka Šimić"}) {
            Competitor comp;
            comp.idutrke = c;
            comp.ime = QString::fromUtf8(name);
            comp.spol = "M";
            comp.datum = QDate(1980, 1, 1);
            QVERIFY(db.insertCompetitor(comp));
        }
        w.selectPage(frmkelvora::PageHelp); // hides the start-list menu

        // "&Otvori" with nothing selected keeps the dialog open; the first
        // race is selected as the dialog opens.
        bool stayedOpen = false;
        bool firstSelected = false;
        QString dialog;
        testutil::onNextDialog([&](QDialog* d) {
            dialog = d->objectName() + QLatin1Char(' ') + d->windowTitle();
            auto* races = find<QTreeWidget>(d, "lstotvori");
            firstSelected = races->topLevelItem(0)->isSelected() && races->selectedItems().size() == 1;
            races->clearSelection();
            find<QPushButton>(d, "cmdotvori")->click();
            stayedOpen = d->isVisible();
            find<QPushButton>(d, "cmdizlaz")->click();
        });
        testutil::trigger(&w, "mnuotvori");
        QCOMPARE(dialog, QStringLiteral("frmotvoriutrku Otvori utrku"));
        QVERIFY(stayedOpen);
        QVERIFY(firstSelected);
        QCOMPARE(MessageBox::last().text, tx::selectRaceToOpen());
        QVERIFY(label(w, "lblid").isEmpty());

        const QStringList listed = openRace(w, {"Cres"});
        QCOMPARE(listed, (QStringList{QStringLiteral("Alfa/%1").arg(a), QStringLiteral("Cres/%1").arg(c)}));
        QCOMPARE(header(w), (QStringList{"Cres", "AK Cres", "05.06.2010", QString::number(c)}));
        QCOMPARE(w.windowTitle(), QStringLiteral("Ime utrke: Cres"));
        auto* lsv1 = find<QTreeView>(&w, "lsv1");
        QCOMPARE(testutil::columnTexts(lsv1, 0), (QStringList{"1", "2", "3"}));
        QCOMPARE(testutil::columnTexts(lsv1, 2), (QStringList{"Zec Ivo", "Ana Babić", "Luka Šimić"}));
        QCOMPARE(currentPage(w), int(frmkelvora::PageStartList));
        QVERIFY(menuShown(w, "mnustartnalista"));
        QVERIFY(!menuShown(w, "mnuciljnalista"));
        for (const char* item : {"mnunagrade", "mnukategorije", "mnuizmjenautrke", "mnubrisanjeutrke",
                                 "mnuispisprijavljenih", "mnuispisstartne"})
            QVERIFY2(enabled(w, item), item);

        // Opening a race without competitors replaces the list and leaves
        // the menus as they were; with several rows selected the last opens.
        openRace(w, {"Alfa", "Cres"});
        QCOMPARE(label(w, "lblid"), QString::number(c));
        w.selectPage(frmkelvora::PageHelp);
        openRace(w, {"Alfa"});
        QCOMPARE(label(w, "lblimeutrke"), QStringLiteral("Alfa"));
        QCOMPARE(lsv1->model()->rowCount(), 0);
        QVERIFY(!menuShown(w, "mnustartnalista"));
    }

    void editRaceStoresAllThree()
    {
        TempDb tmp;
        frmkelvora w(tmp.path());
        w.database().insertRace("Druga utrka", "AK", QDate(2011, 1, 1));
        QVERIFY(newRace(w, "Maraton", "AK Kelvora", "1.6.10").closed);
        const qint64 id = w.currentRaceId();
        testutil::addCompetitor(w, "1", "Ana", "Ž", QDate(1980, 1, 1));
        w.selectPage(frmkelvora::PageHelp); // hides the start-list menu

        // Another race's name is accepted here.
        const DialogOutcome done = editRace(w, "Druga utrka", "AK Split", "5.6.2010");
        QCOMPARE(done.dialog, QStringLiteral("frmizmjenautrke Izmjena podataka o utrci"));
        QCOMPARE(done.prefilled, (QStringList{"Maraton", "AK Kelvora", "1.6.10"}));
        QVERIFY(done.closed);
        const Race stored = w.database().race(id).value();
        QCOMPARE(stored.ime, QStringLiteral("Druga utrka"));
        QCOMPARE(stored.org, QStringLiteral("AK Split"));
        QCOMPARE(stored.datum, QDate(2010, 6, 5));
        QCOMPARE(header(w), (QStringList{"Druga utrka", "AK Split", "05.06.2010", QString::number(id)}));
        QCOMPARE(w.windowTitle(), tx::raceCaption(QStringLiteral("Druga utrka")));
        QVERIFY(menuShown(w, "mnustartnalista"));
        QVERIFY(!menuShown(w, "mnuciljnalista"));
    }

    void commandsNeedACurrentRace_data()
    {
        QTest::addColumn<QString>("menuItem");
        QTest::newRow("race details") << "mnuizmjenautrke";
        QTest::newRow("withdrawal") << "mnubrisanjeutrke";
        QTest::newRow("prize fund") << "mnunagrade";
    }

    void commandsNeedACurrentRace()
    {
        QFETCH(QString, menuItem);
        TempDb tmp;
        frmkelvora w(tmp.path());
        find<QAction>(&w, menuItem)->setEnabled(true); // as after a withdrawal
        testutil::trigger(&w, menuItem);
        QCOMPARE(MessageBox::shown().size(), 1);
        QCOMPARE(MessageBox::last().text, tx::noOpenRace());
        QVERIFY(!QApplication::activeModalWidget());
    }

    void withdrawal()
    {
        TempDb tmp;
        frmkelvora w(tmp.path());
        const qint64 id = testutil::makeCurrentRace(w, "Maraton", QDate(2010, 6, 5));
        const qint64 runner = testutil::addCompetitor(w, "7", "Ana", "Ž", QDate(1980, 1, 1));
        testutil::addFinish(w, runner, "7", "01:02:03");

        // No keeps everything.
        testutil::trigger(&w, "mnubrisanjeutrke");
        const MessageBox::Shown question = MessageBox::last();
        QCOMPARE(question.title, QStringLiteral("Brisanje utrke"));
        QCOMPARE(question.text, QStringLiteral("Ovim nepovratno brišete cijelu utrku i sve podatke vezane uz nju!!! "
                                               "Želite li zaista obrisati utrku: Maraton"));
        QCOMPARE(question.icon, QMessageBox::Critical);
        QCOMPARE(question.buttons, QMessageBox::Yes | QMessageBox::No);
        QCOMPARE(w.currentRaceId(), id);
        QCOMPARE(w.database().race(id).value().da, QStringLiteral("y"));

        MessageBox::setNextAnswer(QMessageBox::Yes);
        testutil::trigger(&w, "mnubrisanjeutrke");
        QCOMPARE(MessageBox::last().text, tx::raceWithdrawn());
        QCOMPARE(header(w), (QStringList{"", "", "", ""}));
        QCOMPARE(find<QTreeView>(&w, "lsv1")->model()->rowCount(), 0);
        for (const char* item : {"mnunagrade", "mnukategorije", "mnuizmjenautrke", "mnubrisanjeutrke"})
            QVERIFY2(enabled(w, item), item);
        QVERIFY(!enabled(w, "mnuispisprijavljenih"));
        QVERIFY(!enabled(w, "mnuispisstartne"));
        // The race is hidden from opening; its rows stay.
        QCOMPARE(w.database().race(id).value().da, QStringLiteral("n"));
        QVERIFY(w.database().listedRaces().value().isEmpty());
        QCOMPARE(w.database().startList(id).value().size(), 1);
        QCOMPARE(w.database().finishList(id).value().size(), 1);
    }

    // Names are shown exactly as typed, even when they look like markup.
    void userTextShownAsTyped()
    {
        TempDb tmp;
        frmkelvora w(tmp.path());
        const QString name = QStringLiteral("<i>Noćna</i> utrka");
        const QString organiser = QStringLiteral("<b>AK</b> &amp; Kelvora");
        QVERIFY(w.database().insertRace(name, organiser, QDate(2010, 6, 5)));
        openRace(w, {name});
        QCOMPARE(header(w).mid(0, 3), (QStringList{name, organiser, QStringLiteral("05.06.2010")}));
        for (const char* name : {"lblimeutrke", "lblorgutrke", "lbldatumutrke", "lblizvjestaj"})
            QVERIFY2(find<QLabel>(&w, name)->textFormat() == Qt::PlainText, name);
        for (const QLabel* l : w.findChildren<QLabel*>())
            QVERIFY2(l->textFormat() == Qt::PlainText, qPrintable(l->text()));

        testutil::trigger(&w, "mnubrisanjeutrke");
        QVERIFY(MessageBox::last().text.endsWith(name));
        QCOMPARE(MessageBox::last().textFormat, Qt::PlainText);
    }

    void withdrawalFailureKeepsTheRace()
    {
        TempDb tmp;
        frmkelvora w(tmp.path());
        const qint64 id = testutil::makeCurrentRace(w, "Maraton", QDate(2010, 6, 5));
        testutil::addCompetitor(w, "7", "Ana", "Ž", QDate(1980, 1, 1));
        refuseChanges(tmp.path(), "utrke");

        MessageBox::setNextAnswer(QMessageBox::Yes);
        testutil::trigger(&w, "mnubrisanjeutrke");
        QVERIFY(shownDbError());
        for (const MessageBox::Shown& shown : MessageBox::shown())
            QVERIFY(shown.text != tx::raceWithdrawn());
        QCOMPARE(w.currentRaceId(), id);
        QCOMPARE(find<QTreeView>(&w, "lsv1")->model()->rowCount(), 1);
        QVERIFY(enabled(w, "mnuispisstartne"));
        QCOMPARE(w.database().race(id).value().da, QStringLiteral("y"));
    }

    void prizeFundCycle()
    {
        TempDb tmp;
        frmkelvora w(tmp.path());
        const qint64 id = testutil::makeCurrentRace(w, "Maraton", QDate(2010, 6, 5));
        const QString text = QStringLiteral("1. mjesto: \"Zlatna\" medalja\n2. mjesto: 'srebrna'\n\nŠpek; -- 500 kn");

        // Opens the dialog, reports its caption, text and button, and types
        // and stores a new text when one is given.
        auto visit = [&](const std::optional<QString>& store) {
            QStringList seen;
            testutil::onNextDialog([&](QDialog* d) {
                auto* box = find<QPlainTextEdit>(d, "txtnagrade");
                auto* button = find<QPushButton>(d, "cmdnagrade");
                seen << d->objectName() << d->windowTitle() << find<QLabel>(d, "lblnagrade")->text()
                     << box->toPlainText() << button->text();
                if (store) {
                    box->setPlainText(*store);
                    button->click();
                } else {
                    find<QPushButton>(d, "cmdizlaznagrade")->click();
                }
            });
            testutil::trigger(&w, "mnunagrade");
            return seen;
        };

        QCOMPARE(visit(text), (QStringList{"frmnagrade", "Nagrade", "Kratak opis nagradnog fonda", "", "Upis"}));
        QCOMPARE(w.database().race(id).value().nagrade, text);
        QCOMPARE(visit(std::nullopt), (QStringList{"frmnagrade", "Nagrade", "Kratak opis nagradnog fonda", text,
                                                   "Izmjena"}));
        QCOMPARE(visit(QString()).last(), QStringLiteral("Izmjena"));
        QCOMPARE(w.database().race(id).value().nagrade, QString());
        QCOMPARE(visit(std::nullopt).last(), QStringLiteral("Upis"));
        QVERIFY(MessageBox::shown().isEmpty());
    }

    void prizeFundStoreFailureKeepsTheText()
    {
        TempDb tmp;
        frmkelvora w(tmp.path());
        const qint64 id = testutil::makeCurrentRace(w, "Maraton", QDate(2010, 6, 5));
        refuseChanges(tmp.path(), "utrke");

        bool stayedOpen = false;
        QString kept;
        testutil::onNextDialog([&](QDialog* d) {
            auto* box = find<QPlainTextEdit>(d, "txtnagrade");
            box->setPlainText(QStringLiteral("Pehari"));
            find<QPushButton>(d, "cmdnagrade")->click();
            stayedOpen = d->isVisible();
            kept = box->toPlainText();
            find<QPushButton>(d, "cmdizlaznagrade")->click();
        });
        testutil::trigger(&w, "mnunagrade");
        QVERIFY(stayedOpen);
        QCOMPARE(kept, QStringLiteral("Pehari"));
        QVERIFY(shownDbError());
        QCOMPARE(w.database().race(id).value().nagrade, QString());
    }

    void categoryView()
    {
        TempDb tmp;
        frmkelvora w(tmp.path());
        testutil::makeCurrentRace(w, "Maraton", QDate(2010, 6, 5));
        QStringList labels;
        testutil::onNextDialog([&](QDialog* d) {
            auto* list = find<QListWidget>(d, "List1");
            for (int i = 0; i < list->count(); ++i)
                labels << list->item(i)->text();
            labels << d->objectName() + QLatin1Char(' ') + d->windowTitle();
            find<QPushButton>(d, "cmdizlazk")->click();
        });
        testutil::trigger(&w, "mnukategorije");
        QCOMPARE(labels.takeLast(), QStringLiteral("frmkategorije Kategorije"));
        QCOMPARE(labels, tx::categoryLabels());
        QCOMPARE(labels.first(), QStringLiteral("do 18"));
        QCOMPARE(labels.last(), QStringLiteral("70 i više"));
    }

    // Create A, create B, open A, rename A, open and withdraw B, open the
    // open-race dialog again.
    void raceDayScenario()
    {
        TempDb tmp;
        frmkelvora w(tmp.path());
        QVERIFY(newRace(w, "Utrka A", "AK Kelvora", "12.6.2010").closed);
        const qint64 a = w.currentRaceId();
        testutil::addCompetitor(w, "1", "Ana Babić", "Ž", QDate(1980, 1, 1));
        testutil::addCompetitor(w, "2", "Ivo Zec", "M", QDate(1975, 5, 5));
        QVERIFY(newRace(w, "Utrka B", "AK Split", "19.6.2010").closed);
        const qint64 b = w.currentRaceId();
        QVERIFY(b > a);
        testutil::addCompetitor(w, "9", "Luka Šimić", "M", QDate(1990, 2, 2));

        openRace(w, {"Utrka A"});
        QCOMPARE(header(w), (QStringList{"Utrka A", "AK Kelvora", "12.06.2010", QString::number(a)}));
        QCOMPARE(testutil::columnTexts(find<QTreeView>(&w, "lsv1"), 2), (QStringList{"Ana Babić", "Ivo Zec"}));

        QVERIFY(editRace(w, "Utrka A (ljeto)", "AK Kelvora", "12.06.2010").closed);
        QCOMPARE(header(w), (QStringList{"Utrka A (ljeto)", "AK Kelvora", "12.06.2010", QString::number(a)}));

        openRace(w, {"Utrka B"});
        QCOMPARE(label(w, "lblid"), QString::number(b));
        MessageBox::setNextAnswer(QMessageBox::Yes);
        testutil::trigger(&w, "mnubrisanjeutrke");
        QCOMPARE(MessageBox::last().text, tx::raceWithdrawn());

        const QStringList listed = openRace(w, {});
        QCOMPARE(listed, (QStringList{QStringLiteral("Utrka A (ljeto)/%1").arg(a)}));
        QCOMPARE(MessageBox::last().text, tx::selectRaceToOpen());

        // The window: no race current, empty list, race items as after a withdrawal.
        QCOMPARE(header(w), (QStringList{"", "", "", ""}));
        QCOMPARE(find<QTreeView>(&w, "lsv1")->model()->rowCount(), 0);
        QVERIFY(enabled(w, "mnuizmjenautrke"));
        QVERIFY(!enabled(w, "mnuispisstartne"));
        // The database: A renamed and listed, B withdrawn with its start list kept.
        const Race raceA = w.database().race(a).value();
        QCOMPARE(raceA.ime, QStringLiteral("Utrka A (ljeto)"));
        QCOMPARE(raceA.datum, QDate(2010, 6, 12));
        QCOMPARE(raceA.da, QStringLiteral("y"));
        const Race raceB = w.database().race(b).value();
        QCOMPARE(raceB.ime, QStringLiteral("Utrka B"));
        QCOMPARE(raceB.da, QStringLiteral("n"));
        QCOMPARE(w.database().startList(a).value().size(), 2);
        QCOMPARE(w.database().startList(b).value().size(), 1);
        // B's name stays taken.
        QVERIFY(!newRace(w, "Utrka B", "AK", "1.1.2011").closed);
        QCOMPARE(MessageBox::last().text, tx::raceNameExists());
    }
};

KVR_TEST_MAIN(TestRaces)
#include "test_races.moc"
