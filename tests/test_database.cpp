#include "data/database.h"
#include "core/dates.h"
#include "testutil.h"
#include "core/texts.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <cstdlib>
#include <unistd.h>
#include <QSqlDatabase>
#include <QSqlQuery>

using testutil::TempDb;

namespace {

QByteArray readAll(const QString& path)
{
    QFile f(path);
    f.open(QIODevice::ReadOnly);
    return f.readAll();
}

void writeFile(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}

} // namespace

class TestDatabase : public QObject {
    Q_OBJECT

private slots:
    void firstStartCreatesTablesAndCategories()
    {
        TempDb tmp;
        {
            Database db(tmp.path());
            QVERIFY(db.open().ok());
            const auto labels = db.categories();
            QVERIFY(labels.ok());
            QCOMPARE(labels.value(), tx::categoryLabels());
        }
        QVERIFY(QFile::exists(tmp.path()));
        // Second start: the file is used as it is, no second set of labels.
        const QByteArray before = readAll(tmp.path());
        {
            Database db(tmp.path());
            QVERIFY(db.open().ok());
            QCOMPARE(db.categories().value().size(), 12);
        }
        QCOMPARE(readAll(tmp.path()), before);
        // One file at rest: no journal or WAL files left behind.
        QCOMPARE(QDir(tmp.dir()).entryList(QDir::Files), QStringList{QStringLiteral("kvr.mdb")});
    }

    void unusableFileIsReportedAndLeftAlone_data()
    {
        QTest::addColumn<QByteArray>("content");
        QTest::newRow("garbage") << QByteArray("this is not a database at all, just text\n").repeated(200);
        QTest::newRow("empty file") << QByteArray();
        QTest::newRow("access header") << QByteArray("\x00\x01\x00\x00Standard Jet DB\x00", 19).repeated(100);
    }

    void unusableFileIsReportedAndLeftAlone()
    {
        QFETCH(QByteArray, content);
        TempDb tmp;
        writeFile(tmp.path(), content);
        {
            Database db(tmp.path());
            QVERIFY(!db.open().ok());
        }
        QCOMPARE(readAll(tmp.path()), content);
        QCOMPARE(QDir(tmp.dir()).entryList(QDir::Files), QStringList{QStringLiteral("kvr.mdb")});
    }

    void otherSqliteFileIsNotChanged()
    {
        TempDb tmp;
        {
            QSqlDatabase other = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("other"));
            other.setDatabaseName(tmp.path());
            QVERIFY(other.open());
            QSqlQuery(other).exec(QStringLiteral("create table utrke (x integer)"));
            other.close();
        }
        QSqlDatabase::removeDatabase(QStringLiteral("other"));
        const QByteArray before = readAll(tmp.path());
        Database db(tmp.path());
        const DbStatus status = db.open();
        QVERIFY(!status.ok());
        QVERIFY(!status.error().isEmpty());
        QCOMPARE(readAll(tmp.path()), before);
    }

    void windowReportsUnusableFileByName()
    {
        TempDb tmp;
        writeFile(tmp.path(), "garbage");
        MessageBox::clearShown();
        frmkelvora window(tmp.path());
        QVERIFY(!window.databaseReady());
        QCOMPARE(MessageBox::shown().size(), 1);
        QVERIFY(MessageBox::last().text.contains(tmp.path()));
        QCOMPARE(readAll(tmp.path()), QByteArray("garbage"));
    }

    void missingDirectoryIsReported()
    {
        TempDb tmp;
        Database db(tmp.dir() + QStringLiteral("/no/such/dir/kvr.mdb"));
        QVERIFY(!db.open().ok());
    }

    void textsRoundTripExactly_data()
    {
        QTest::addColumn<QString>("text");
        QTest::newRow("quote") << QStringLiteral("O'Neill");
        QTest::newRow("croatian") << QStringLiteral("Čučić Đurđa Šćžž");
        QTest::newRow("statement") << QStringLiteral("x'); drop table startna; --");
        QTest::newRow("double quote and break") << QStringLiteral("\"Veliki\"\r\nfond");
        QTest::newRow("blanks kept") << QStringLiteral("  7 ");
    }

    void textsRoundTripExactly()
    {
        QFETCH(QString, text);
        TempDb tmp;
        Database db(tmp.path());
        QVERIFY(db.open().ok());
        const auto raceId = db.insertRace(text, text, QDate(2010, 6, 15));
        QVERIFY(raceId.ok());
        QVERIFY(db.setPrizeFund(raceId.value(), text).ok());
        Competitor c;
        c.idutrke = raceId.value();
        c.sbroj = text.left(6);
        c.ime = text;
        c.drzava = text;
        c.klub = text;
        c.spol = QStringLiteral("Ž");
        c.datum = QDate(1990, 1, 2);
        QVERIFY(db.insertCompetitor(c).ok());

        const auto race = db.race(raceId.value());
        QCOMPARE(race.value().ime, text);
        QCOMPARE(race.value().org, text);
        QCOMPARE(race.value().nagrade, text);
        QCOMPARE(race.value().da, QStringLiteral("y"));
        QVERIFY(db.raceNameExists(text).value());
        const auto list = db.startList(raceId.value());
        QCOMPARE(list.value().size(), 1);
        QCOMPARE(list.value().first().ime, text);
        QCOMPARE(list.value().first().sbroj, text.left(6));
        QCOMPARE(list.value().first().spol, QStringLiteral("Ž"));
        QCOMPARE(list.value().first().datum, QDate(1990, 1, 2));
        QCOMPARE(db.categories().value().size(), 12);
    }

    void laterRaceHasHigherKeyAndNamesMatchExactly()
    {
        TempDb tmp;
        Database db(tmp.path());
        QVERIFY(db.open().ok());
        const qint64 a = db.insertRace(QStringLiteral("Utrka"), QStringLiteral("O"), QDate(2010, 1, 1)).value();
        const qint64 b = db.insertRace(QStringLiteral("Druga"), QStringLiteral("O"), QDate(2010, 1, 1)).value();
        QVERIFY(b > a);
        QVERIFY(!db.raceNameExists(QStringLiteral("utrka")).value());
        QVERIFY(!db.raceNameExists(QStringLiteral("Utrka ")).value());
        QVERIFY(db.withdrawRace(a).ok());
        QVERIFY(db.raceNameExists(QStringLiteral("Utrka")).value());
        const auto listed = db.listedRaces().value();
        QCOMPARE(listed.size(), 1);
        QCOMPARE(listed.first().id, b);
    }

    void committedChangeIsInTheFile()
    {
        TempDb tmp;
        Database db(tmp.path());
        QVERIFY(db.open().ok());
        QVERIFY(db.insertRace(QStringLiteral("Zapisana"), QStringLiteral("O"), QDate(2011, 2, 3)).ok());
        // A second connection sees the change while the first is still open:
        // it is committed to the file, not held in memory.
        Database reader(tmp.path());
        QVERIFY(reader.open().ok());
        QVERIFY(reader.raceNameExists(QStringLiteral("Zapisana")).value());
    }

    void committedChangeSurvivesKill()
    {
        TempDb tmp;
        {
            Database db(tmp.path());
            QVERIFY(db.open().ok());
        }
        QProcess child;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("KVR_CHILD_WRITE"), tmp.path());
        child.setProcessEnvironment(env);
        child.start(QCoreApplication::applicationFilePath(), {});
        QVERIFY(child.waitForFinished(20000));
        QCOMPARE(child.exitStatus(), QProcess::CrashExit);
        Database db(tmp.path());
        QVERIFY(db.open().ok());
        QVERIFY(db.raceNameExists(QStringLiteral("Prije pada")).value());
        QCOMPARE(QDir(tmp.dir()).entryList(QDir::Files), QStringList{QStringLiteral("kvr.mdb")});
    }

    void unwritablePlacesAreReported()
    {
        if (::geteuid() == 0)
            QSKIP("file permissions do not bind the superuser");
        TempDb tmp;
        writeFile(tmp.path(), "x");
        QFile::setPermissions(tmp.path(), QFile::ReadOwner);
        QVERIFY(!Database(tmp.path()).open().ok());
        QFile::setPermissions(tmp.path(), QFile::WriteOwner);
        QVERIFY(!Database(tmp.path()).open().ok());
        QFile::remove(tmp.path());
        QFile::setPermissions(tmp.dir(), QFile::ReadOwner | QFile::ExeOwner);
        QVERIFY(!Database(tmp.path()).open().ok());
        QVERIFY(!QFile::exists(tmp.path()));
        QFile::setPermissions(tmp.dir(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    }

    void twoDigitYearsFollowOneRule_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QDate>("expected");
        QTest::newRow("d.m.yy 00") << "1.1.00" << QDate(2000, 1, 1);
        QTest::newRow("d.m.yy 29") << "1.1.29" << QDate(2029, 1, 1);
        QTest::newRow("d.m.yy 30") << "1.1.30" << QDate(1930, 1, 1);
        QTest::newRow("d.m.yy 99") << "31.12.99" << QDate(1999, 12, 31);
        QTest::newRow("dd.mm.yyyy") << "23.01.1958" << QDate(1958, 1, 23);
        QTest::newRow("leap day") << "29.2.2008" << QDate(2008, 2, 29);
        QTest::newRow("no leap day") << "29.2.2009" << QDate();
        QTest::newRow("month 13") << "1.13.2000" << QDate();
        QTest::newRow("day 45") << "45.45.1990" << QDate();
        QTest::newRow("empty part") << "1..1990" << QDate();
        QTest::newRow("one dot") << "1.11990" << QDate();
        QTest::newRow("letters") << "1.a.1990" << QDate();
    }

    void twoDigitYearsFollowOneRule()
    {
        QFETCH(QString, text);
        QFETCH(QDate, expected);
        QCOMPARE(kvr::parseDayMonthYear(text).value_or(QDate()), expected);
        if (expected.isValid())
            QCOMPARE(kvr::parseDayMonthYear(kvr::formatDate(expected)).value_or(QDate()), expected);
    }
};

// Run as a child by committedChangeSurvivesKill: stores a race, then dies
// without any clean-up, as a killed program would.
static void childWriteAndDie(const QString& path)
{
    Database db(path);
    if (!db.open().ok() || !db.insertRace(QStringLiteral("Prije pada"), QStringLiteral("O"), QDate(2012, 3, 4)).ok())
        std::_Exit(2);
    std::abort();
}

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    if (const QString child = qEnvironmentVariable("KVR_CHILD_WRITE"); !child.isEmpty())
        childWriteAndDie(child);
    MessageBox::setTestMode(true);
    TestDatabase tc;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&tc, argc, argv);
}
#include "test_database.moc"
