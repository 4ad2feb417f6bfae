// Imports of entries and finish times: the checks of every row against the
// checks of a hand entry, the store in one transaction, the preview dialog,
// and five real races imported from their published files.

#include "app/imports.h"
#include "app/racerules.h"
#include "app/racesession.h"
#include "core/csv.h"
#include "core/iotexts.h"
#include "core/texts.h"
#include "core/timerules.h"
#include "core/timefile.h"
#include "data/database.h"
#include "testutil.h"
#include "ui/filechooser.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QPushButton>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTreeView>

using namespace testutil;

namespace {

const QStringList kEntryHeader = {QStringLiteral("startni broj"), QStringLiteral("ime i prezime"),
                                  QStringLiteral("država"), QStringLiteral("klub"), QStringLiteral("spol"),
                                  QStringLiteral("datum rođenja")};

// An entry file of these rows (start number, name, country, club, sex, birth date).
QByteArray entryFile(const QList<QStringList>& rows)
{
    return io::writeCsv(kEntryHeader, rows);
}

QStringList entryRow(const QString& number, const QString& name = QStringLiteral("Ana Horvat"))
{
    return {number, name, QStringLiteral("HRV"), QStringLiteral("AK Split"), QStringLiteral("Ž"),
            QStringLiteral("3.4.1990")};
}

// A session on a new database with a current race.
struct RaceFixture {
    TempDb db;
    std::unique_ptr<RaceSession> session;

    explicit RaceFixture(const QString& date = QStringLiteral("15.6.2025"))
        : session(std::make_unique<RaceSession>(db.path()))
    {
        if (!session->database().open())
            qFatal("database not opened");
        if (!session->createRace(QStringLiteral("Utrka"), QStringLiteral("AK Kelvora"), date))
            qFatal("race not created");
    }
    RaceSession& operator*() { return *session; }
    void add(const QString& number)
    {
        if (!session->addCompetitor({QStringLiteral("Ivo Babić"), number, QStringLiteral("HRV"),
                                     QStringLiteral("AK Split"), QStringLiteral("M"), QStringLiteral("1.1.1980")}))
            qFatal("competitor not added");
    }
    // The start numbers as the database holds them, read by a new session.
    QStringList storedNumbers()
    {
        RaceSession other(db.path());
        if (!other.database().open() || !other.openRace(session->race().id))
            qFatal("race not read");
        QStringList numbers;
        for (const Competitor& c : other.startList())
            numbers.append(c.sbroj);
        for (const FinishRecord& r : other.finishList())
            numbers.append(QStringLiteral("cilj ") + r.sbroj);
        return numbers;
    }
};

// Refuses inserts into a table whose column holds the value, through a
// connection of its own: a store fails part-way through its rows.
void refuseInsertOf(const QString& path, const char* table, const char* column, const char* value)
{
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("trigger"));
        db.setDatabaseName(path);
        QVERIFY(db.open());
        QSqlQuery q(db);
        QVERIFY(q.exec(QStringLiteral("create trigger refuse_%1 before insert on %1 when new.%2 = '%3' "
                                      "begin select raise(abort, 'disk I/O error'); end")
                           .arg(QLatin1String(table), QLatin1String(column), QLatin1String(value))));
    }
    QSqlDatabase::removeDatabase(QStringLiteral("trigger"));
}

// The folder of the real race files: shared/data/real-races beside the
// source tree or beside one of the folders above it, wherever it is cloned.
QString realRacesDir()
{
    for (QDir dir(QStringLiteral(KVR_SOURCE_DIR)); ; ) {
        const QString candidate = dir.filePath(QStringLiteral("../shared/data/real-races"));
        if (QFileInfo(candidate).isDir())
            return QDir::cleanPath(candidate);
        if (!dir.cdUp())
            return {};
    }
}

QByteArray readAll(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

} // namespace

class TestImports : public QObject {
    Q_OBJECT

private slots:
    void cleanup()
    {
        MessageBox::clearShown();
        ui::FileChooser::setTestChooser({});
    }

    // ---- Entries ---------------------------------------------------------------

    // "form": refused exactly as adding the same values by hand refuses them
    // (the same first refusal of the same checks); "novi": accepted, as by
    // hand; any other text: refused with a message holding that text.
    void entryRowChecks_data()
    {
        // The row 12, Ana Horvat, HRV, AK Split, Ž, 3.4.1990 with one field
        // (0 number ... 5 birth date) set to value, and number in place of 12.
        QTest::addColumn<QString>("number");
        QTest::addColumn<int>("field");
        QTest::addColumn<QString>("value");
        QTest::addColumn<QString>("expected");
        const QString form = QStringLiteral("form"), novi = QStringLiteral("novi"), n12 = QStringLiteral("12");
        const QString wide = QStringLiteral("𝒜"); // outside the basic plane: two UTF-16 units, one character
        const auto add = [](const char* name, const QString& number, int field, const QString& value, const QString& e) {
            QTest::newRow(name) << number << field << value << e;
        };
        add("accepted", n12, 1, QStringLiteral("Ana Horvat"), novi);
        add("no start number", QString(), 1, QStringLiteral("Ana Horvat"), novi);
        add("07 is not 7", QStringLiteral("07"), 1, QStringLiteral("Ana Horvat"), novi);
        add("sex f read as Ž", n12, 4, QStringLiteral("f"), novi);
        add("iso date", n12, 5, QStringLiteral("1990-04-03"), novi);
        add("no name", n12, 1, QString(), form);
        add("no country", n12, 2, QString(), form);
        add("no club", n12, 3, QString(), form);
        add("no birth date", n12, 5, QString(), form);
        add("date too short", n12, 5, QStringLiteral("1.19"), form);
        add("date three dots", n12, 5, QStringLiteral("1.1.19.90"), form);
        add("born in race year", n12, 5, QStringLiteral("1.1.2025"), form);
        add("born before 1800", n12, 5, QStringLiteral("1.1.1799"), form);
        add("number taken in race", QStringLiteral("7"), 1, QStringLiteral("Ana Horvat"), form);
        add("birth year before number", QStringLiteral("7"), 5, QStringLiteral("1.1.2025"), form);
        add("form checks before length", QStringLiteral("7"), 2, QString(16, QLatin1Char('h')), form);
        add("name 25", n12, 1, QString(25, QLatin1Char('a')), novi);
        add("name 26", n12, 1, QString(26, QLatin1Char('a')), QStringLiteral("Ime i prezime"));
        add("name 25 wide", n12, 1, wide.repeated(25), novi);
        add("name 26 wide", n12, 1, wide.repeated(26), QStringLiteral("Ime i prezime"));
        add("number 6", QStringLiteral("123456"), 1, QStringLiteral("Ana Horvat"), novi);
        add("number 7", QStringLiteral("1234567"), 1, QStringLiteral("Ana Horvat"), QStringLiteral("Startni broj"));
        add("club 15 with č", n12, 3, QStringLiteral("č").repeated(15), novi);
        add("club 16", n12, 3, QString(16, QLatin1Char('k')), QStringLiteral("Klub"));
        add("sex X", n12, 4, QStringLiteral("X"), QStringLiteral("„X”"));
        add("no sex", n12, 4, QString(), QStringLiteral("M ili Ž"));
        // What no entry field holds, before any check of the form.
        add("NUL in a name", n12, 1, QStringLiteral("Ana\u0000Horvat"),
            tx::ioControlCharacter(tx::ioFieldName(), 0, QStringLiteral("Ana\u0000Horvat")));
        add("full-width start number", QStringLiteral("\uFF11\uFF12"), 1, QStringLiteral("Ana Horvat"),
            tx::ioForeignDigit(tx::ioFieldStartNumber(), QStringLiteral("\uFF11\uFF12")));
        add("control before a missing club", n12, 1, QStringLiteral("\u0001"), QStringLiteral("(U+0001)"));
    }

    // "form": refused exactly as adding the same values by hand refuses
    // them (the same first refusal of the same checks); "novi": accepted, as
    // by hand; any other text: refused with a message holding that text.
    void entryRowChecks()
    {
        QFETCH(QString, number);
        QFETCH(int, field);
        QFETCH(QString, value);
        QFETCH(QString, expected);
        RaceFixture race;
        race.add(QStringLiteral("7"));
        QStringList row = entryRow(number);
        row[field] = value;

        const imports::EntryPreview preview = imports::previewEntries(*race, entryFile({row}));
        QCOMPARE(preview.rows.size(), 1);
        const imports::EntryPreviewRow& r = preview.rows.front();
        QCOMPARE(r.lineNumber, 2);
        QCOMPARE(preview.anyRefused(), !r.accepted());
        QCOMPARE(preview.refusedCount, int(!r.accepted()));
        QCOMPARE(race.session->registeredCount(), 1); // the preview stored nothing

        if (expected != QStringLiteral("novi") && expected != QStringLiteral("form")) {
            QVERIFY2(!r.accepted() && r.refusal.contains(expected), qPrintable(r.refusal));
            return;
        }
        // The same values, as read from the file, added by hand.
        const auto byHand = race.session->addCompetitor({r.competitor.ime, r.competitor.sbroj, r.competitor.drzava,
                                                         r.competitor.klub, r.competitor.spol, r.birthDateText});
        QCOMPARE(r.accepted(), expected == QStringLiteral("novi"));
        QCOMPARE(byHand.ok(), r.accepted());
        QCOMPARE(r.refusal, byHand.refusal().message);
        if (r.accepted())
            QCOMPARE(r.competitor.datum, byHand.value().datum);
    }

    // A number is taken by an earlier accepted row of the file as by the
    // race; a refused row takes no number.
    void earlierRowOfFile()
    {
        RaceFixture race;
        QStringList badDate = entryRow(QStringLiteral("13"));
        badDate[5] = QStringLiteral("1.1.2025");
        const auto preview = imports::previewEntries(
            *race, entryFile({entryRow(QStringLiteral("12")), entryRow(QStringLiteral("12"), QStringLiteral("Iva Kos")),
                              badDate, entryRow(QStringLiteral("13")), entryRow(QString()), entryRow(QString())}));
        QStringList states;
        for (const auto& r : preview.rows)
            states.append(r.accepted() ? QStringLiteral("novi") : r.refusal);
        QCOMPARE(states, (QStringList{QStringLiteral("novi"), tx::startNumberTaken(), tx::tooYoung(tx::exampleBirthDate()),
                                      QStringLiteral("novi"), QStringLiteral("novi"), QStringLiteral("novi")}));
        QCOMPARE(preview.acceptedCount, 4);
        QCOMPARE(preview.refusedCount, 2);
    }

    // A file without a required column is refused whole and stores nothing.
    void refusedFile()
    {
        RaceFixture race;
        const auto preview = imports::previewEntries(*race, "ime i prezime,država,klub\nAna,HRV,AK\n");
        QVERIFY(preview.anyRefused() && preview.rows.isEmpty());
        QVERIFY2(preview.fileRefusal.contains(QStringLiteral("„klub”")), qPrintable(preview.fileRefusal));
        QVERIFY(!imports::importEntries(*race, preview).ok());
        QCOMPARE(race.storedNumbers(), QStringList());
    }

    void importStoresAcceptedRowsOnce()
    {
        RaceFixture race;
        race.add(QStringLiteral("7"));
        const auto preview = imports::previewEntries(
            *race, entryFile({entryRow(QStringLiteral("12")), entryRow(QStringLiteral("7")), entryRow(QString())}));
        QVERIFY(preview.anyRefused());
        QVERIFY(imports::importEntries(*race, preview).ok());
        QCOMPARE(race.storedNumbers(), (QStringList{QStringLiteral("7"), QStringLiteral("12"), QString()}));
        // The session's lists show them.
        QCOMPARE(race.session->registeredCount(), 3);
        QCOMPARE(race.session->startedCount(), 2);

        // The same preview again would store the rows twice.
        const Status again = imports::importEntries(*race, preview);
        QCOMPARE(again.kind(), Status::Kind::Refused);
        QCOMPARE(race.storedNumbers().size(), 3);
    }

    // Any failure part-way leaves the lists as they were, in the database
    // and in the session, and returns the database's error.
    void storeFailureStoresNothing_data()
    {
        QTest::addColumn<bool>("times");
        QTest::newRow("entries") << false;
        QTest::newRow("times") << true;
    }

    void storeFailureStoresNothing()
    {
        QFETCH(bool, times);
        RaceFixture race;
        for (const char* n : {"1", "2", "3"})
            race.add(QString::fromLatin1(n));
        const QStringList before = race.storedNumbers();
        const auto entries = imports::previewEntries(*race, entryFile({entryRow("4"), entryRow("5"), entryRow("6")}));
        const auto finishes = imports::previewTimes(*race, "1,20:00\n2,21:00\n3,22:00\n");
        QCOMPARE(entries.acceptedCount + finishes.acceptedCount, 6);
        // The second row of either file is refused by the database.
        refuseInsertOf(race.db.path(), times ? "rezultati" : "startna", "sbroj", times ? "2" : "5");
        const Status stored = times ? imports::importTimes(*race, finishes) : imports::importEntries(*race, entries);
        QCOMPARE(stored.kind(), Status::Kind::DbFailed);
        QVERIFY2(stored.dbError().contains(QStringLiteral("disk I/O error")), qPrintable(stored.dbError()));
        QCOMPARE(race.storedNumbers(), before);
        QCOMPARE(race.session->registeredCount(), 3);
        QVERIFY(race.session->finishList().isEmpty());
    }

    // ---- Finish times --------------------------------------------------------------

    // Per line: "novi", "list" / "entered" (refused as entering the number
    // by hand refuses it), "line N" (named earlier in the file), or "io"
    // (the time could not be read).
    void timeLineChecks_data()
    {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<QStringList>("expected");
        QTest::newRow("accepted") << QByteArray("1,20:00\n2;1:02:03.4\n3\t64:04\n")
                                  << QStringList{"novi", "novi", "novi"};
        QTest::newRow("not on the list") << QByteArray("9,20:00\n01,20:00\n") << QStringList{"list", "list"};
        QTest::newRow("already entered") << QByteArray("5,20:00\n") << QStringList{"entered"};
        QTest::newRow("unreadable time") << QByteArray("1,20:61\n2,x\n3,\n") << QStringList{"io", "io", "io"};
        QTest::newRow("named twice") << QByteArray("1,20:00\n2,21:00\n1,22:00\n") << QStringList{"novi", "novi", "line 1"};
        QTest::newRow("first of two unreadable") << QByteArray("1,2o:00\n1,22:00\n") << QStringList{"io", "line 1"};
        QTest::newRow("list before twice") << QByteArray("9,20:00\n9,21:00\n") << QStringList{"list", "list"};
        QTest::newRow("full-width number, control in a time")
            << QByteArray("\xEF\xBC\x91,20:00\n2,20:00\x01\n") << QStringList{"digit", "control"};
    }

    void timeLineChecks()
    {
        QFETCH(QByteArray, file);
        QFETCH(QStringList, expected);
        RaceFixture race;
        for (const char* n : {"1", "2", "3", "4", "5"})
            race.add(QString::fromLatin1(n));
        QVERIFY(race.session->enterFinish(QStringLiteral("5"), QStringLiteral("00:19:00")).ok());

        const auto preview = imports::previewTimes(*race, file);
        QVERIFY2(!preview.fileRefused(), qPrintable(preview.fileRefusal));
        QCOMPARE(preview.rows.size(), expected.size());
        QCOMPARE(preview.refusedCount, int(expected.size() - expected.count(QStringLiteral("novi"))));
        QCOMPARE(race.session->finishList().size(), 1);
        for (int i = 0; i < expected.size(); ++i) {
            const imports::TimePreviewRow& r = preview.rows.at(i);
            const QString& e = expected.at(i);
            QCOMPARE(r.lineNumber, i + 1);
            if (e == QStringLiteral("novi")) {
                QVERIFY2(r.accepted(), qPrintable(r.refusal));
                QVERIFY(rules::isFinishTime(r.time));
            } else if (e == QStringLiteral("list") || e == QStringLiteral("entered")) {
                const auto byHand = race.session->enterFinish(r.sbroj, QStringLiteral("00:30:00"));
                QVERIFY(!byHand.ok());
                QCOMPARE(r.refusal, byHand.refusal().message);
            } else if (e == QStringLiteral("digit")) {
                QCOMPARE(r.refusal, tx::ioForeignDigit(tx::ioFieldStartNumber(), r.sbroj));
            } else if (e == QStringLiteral("control")) {
                QCOMPARE(r.refusal, tx::ioControlCharacter(tx::ioFieldTime(), 1, QStringLiteral("20:00\u0001")));
            } else if (e == QStringLiteral("io")) {
                QVERIFY(!r.accepted());
                QVERIFY(r.time.isEmpty());
            } else {
                QCOMPARE(r.refusal, tx::ioStartNumberEarlierInFile(e.mid(5).toInt()));
            }
        }
    }

    void importTimesStoresInFileOrder()
    {
        RaceFixture race;
        for (const char* n : {"1", "2", "3"})
            race.add(QString::fromLatin1(n));
        // Equal times keep the order of the file.
        const auto preview = imports::previewTimes(*race, "3,20:00\n9,20:00\n1,20:00\n2,19:59\n");
        QCOMPARE(preview.acceptedCount, 3);
        QVERIFY(preview.anyRefused());
        QVERIFY(imports::importTimes(*race, preview).ok());
        QStringList order;
        for (const FinishRecord& r : race.session->finishList())
            order.append(r.sbroj + QLatin1Char(' ') + r.vrijeme);
        QCOMPARE(order, (QStringList{"2 00:19:59", "3 00:20:00", "1 00:20:00"}));
        QCOMPARE(imports::importTimes(*race, preview).kind(), Status::Kind::Refused);
        QCOMPARE(race.session->finishList().size(), 3);
    }

    // A start number given to another runner between the preview and the
    // store: the time never goes to the runner who holds the number now.
    void timesStoreRefusesANumberMovedMeanwhile()
    {
        RaceFixture race;
        race.add(QStringLiteral("1"));
        race.add(QStringLiteral("2"));
        const auto preview = imports::previewTimes(*race, "1,20:00\n");
        QCOMPARE(preview.acceptedCount, 1);
        const QList<Competitor> entries = race.session->startList();
        const auto renumber = [&](const Competitor& c, const QString& number) {
            return race.session->editCompetitor(c.id, {c.ime, number, c.drzava, c.klub, c.spol, QStringLiteral("1.1.1980")});
        };
        QVERIFY(renumber(entries.at(0), QStringLiteral("9")));
        QVERIFY(renumber(entries.at(1), QStringLiteral("1")));
        QCOMPARE(imports::importTimes(*race, preview).kind(), Status::Kind::Refused);
        QVERIFY(race.session->finishList().isEmpty());
    }


    void previewDialog_data()
    {
        QTest::addColumn<QString>("button");
        QTest::addColumn<bool>("storeFails");
        QTest::addColumn<int>("expectedRows");
        QTest::newRow("Uvezi") << QStringLiteral("cmduvezi") << false << 3;
        QTest::newRow("Odustani") << QStringLiteral("cmdodustani") << false << 1;
        QTest::newRow("Uvezi fails") << QStringLiteral("cmduvezi") << true << 1;
    }

    void previewDialog()
    {
        QFETCH(QString, button);
        QFETCH(bool, storeFails);
        QFETCH(int, expectedRows);
        TempDb db;
        frmkelvora window(db.path());
        makeCurrentRace(window, QStringLiteral("Utrka"), QDate(2025, 6, 15));
        addCompetitor(window, QStringLiteral("7"), QStringLiteral("Ivo Babić"), QStringLiteral("M"), QDate(1980, 1, 1));
        window.session().reload();
        const QString path = db.dir() + QStringLiteral("/prijave.csv");
        {
            QFile f(path);
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write(entryFile({entryRow(QStringLiteral("12")), entryRow(QStringLiteral("7")), entryRow(QString())}));
        }
        ui::FileChooser::setTestChooser([&](QWidget*, const QString&, const QString& filter) {
            return filter.contains(QStringLiteral("*.csv")) ? path : QString();
        });
        if (storeFails)
            refuseWrites(db.path(), QStringLiteral("startna"), QStringLiteral("insert"), QStringLiteral("disk full"));

        QStringList states;
        QString counts;
        bool importEnabled = false;
        onNextDialog([&](QDialog* dialog) {
            QCOMPARE(dialog->objectName(), QStringLiteral("frmuvoz"));
            auto* list = dialog->findChild<QTreeView*>();
            states = columnTexts(list, 7);
            const QStringList lines = columnTexts(list, 0);
            QCOMPARE(lines, (QStringList{"2", "3", "4"}));
            counts = find<QLabel>(dialog, QStringLiteral("lblbroj"))->text();
            auto* press = find<QPushButton>(dialog, button);
            importEnabled = find<QPushButton>(dialog, QStringLiteral("cmduvezi"))->isEnabled();
            press->click();
            // A failed store keeps the dialog open for another try or Odustani.
            if (dialog->isVisible())
                find<QPushButton>(dialog, QStringLiteral("cmdodustani"))->click();
        });
        trigger(&window, QStringLiteral("mnuuvozprijava"));

        QCOMPARE(states, (QStringList{QStringLiteral("novi"), tx::startNumberTaken(), QStringLiteral("novi")}));
        QCOMPARE(counts, tx::importCounts(2, 1));
        QVERIFY(importEnabled);
        QCOMPARE(window.session().registeredCount(), expectedRows);
        // The start list shows what is stored.
        QCOMPARE(columnTexts(find<QTreeView>(&window, QStringLiteral("lsv1")), 1).size(), expectedRows);
        if (storeFails)
            QVERIFY(lastMessageIsDbError(QStringLiteral("disk full")));
        else
            QVERIFY(MessageBox::shown().isEmpty());
    }

    // ---- Real races -----------------------------------------------------------------------

    // Five real races of 2025 with their published overall results: each
    // entries file is imported as it is, its columns named, the country and
    // club given as defaults, long names and clubs cut, and the race's
    // categories by code; the runners' sex and category come from the code,
    // their birth date stays empty. Then the judges' raw times: every
    // published finisher must be on the start list and the overall
    // standings must list the same start numbers with the same times.
    void realRaces_data()
    {
        QTest::addColumn<QString>("race");
        for (const char* race : {"balmullo", "cupar_5", "giffordtown", "hill_of_tarvit", "st_andrews"})
            QTest::newRow(race) << QString::fromLatin1(race);
    }

    void realRaces()
    {
        QFETCH(QString, race);
        const QString dir = realRacesDir();
        if (dir.isEmpty()) {
            // A CI run that cannot find them tests nothing: that is a failure there.
            if (qEnvironmentVariableIsSet("CI"))
                QFAIL("shared/data/real-races is not beside the source tree");
            QSKIP("the real race files are not on this machine");
        }
        const QString base = dir + QLatin1Char('/') + race + QStringLiteral("_2025");
        const QByteArray entriesTsv = readAll(base + QStringLiteral("_entries.tsv"));
        const QByteArray rawTimes = readAll(base + QStringLiteral("_rawtimes.tsv"));
        const QByteArray overallCsv = readAll(base + QStringLiteral("_overall.csv"));
        QVERIFY2(!entriesTsv.isEmpty() && !rawTimes.isEmpty() && !overallCsv.isEmpty(), qPrintable(base));

        RaceFixture session(QStringLiteral("1.6.2025"));
        const QByteArray categories = readAll(QStringLiteral(KVR_SOURCE_DIR "/tests/data/realrace_categories.csv"));
        QVERIFY(racerules::setFromFiles(*session, categories, std::nullopt).ok());
        imports::EntryImportOptions options;
        options.layout = io::EntryLayout{io::parseColumnList(race == QStringLiteral("cupar_5")
                                                                 ? QStringLiteral("startni_broj,ime,prezime,klub,kategorija")
                                                                 : QStringLiteral("startni_broj,ime_i_prezime,klub,kategorija"))
                                             .columns,
                                         false};
        for (const char* d : {"drzava=GBR", "klub=Unattached"})
            QCOMPARE(io::addDefault(QString::fromLatin1(d), options.defaults), QString());
        options.cutLong = true;
        const auto entryPreview = imports::previewEntries(*session, io::readCsv(entriesTsv), options);
        QVERIFY2(!entryPreview.fileRefused(), qPrintable(entryPreview.fileRefusal));
        for (const auto& r : entryPreview.rows)
            QVERIFY2(r.accepted(), qPrintable(QStringLiteral("line %1: %2").arg(r.lineNumber).arg(r.refusal)));
        QVERIFY(imports::importEntries(*session, entryPreview).ok());
        QCOMPARE(session.session->registeredCount(), int(entryPreview.rows.size()));
        for (const Competitor& c : session.session->startList())
            QVERIFY(!c.datum.isValid() && !c.kategorija.isEmpty() && !c.spol.isEmpty());

        const auto timePreview = imports::previewTimes(*session, rawTimes);
        for (const auto& r : timePreview.rows)
            QVERIFY2(r.accepted(), qPrintable(QStringLiteral("line %1: %2").arg(r.lineNumber).arg(r.refusal)));
        QVERIFY(imports::importTimes(*session, timePreview).ok());

        const auto standings = session.session->standings({QStringLiteral("Svi"), standings::Sex::All});
        QVERIFY(standings.ok());
        QStringList got;
        for (const auto& r : standings.value().rows)
            got.append(r.sbroj + QLatin1Char(' ') + r.vrijeme);
        QStringList published;
        const io::CsvResult overall = io::readCsv(overallCsv);
        for (qsizetype i = 1; i < overall.rows.size(); ++i) {
            const QStringList& f = overall.rows[i].fields;
            published.append(f.at(1).trimmed() + QLatin1Char(' ') + f.at(5).trimmed());
        }
        QVERIFY(!published.isEmpty());
        QCOMPARE(got, published);
        if (race == QStringLiteral("balmullo"))
            QVERIFY(got.contains(QStringLiteral("18 01:04:04")));
    }
};

KVR_TEST_MAIN(TestImports)
#include "test_imports.moc"
