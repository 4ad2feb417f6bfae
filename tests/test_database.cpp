#include "data/database.h"
#include "core/dates.h"
#include "testutil.h"
#include "pgserver.h"
#include "app/racesession.h"
#include "core/texts.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <atomic>
#include <cstdlib>
#include <optional>
#include <thread>
#include <sys/resource.h>
#include <unistd.h>

using testutil::PgServer;
using testutil::TempDb;

namespace {

// The files in a database's folder, its log of driver texts left out.
QStringList filesBeside(const QString& dir)
{
    QStringList files = QDir(dir).entryList(QDir::Files);
    files.removeAll(QStringLiteral("kvr.log"));
    return files;
}

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

// Runs statements on the file through a connection of its own, as another
// program would.
void execRaw(const QString& path, const QStringList& statements)
{
    const QString name = QStringLiteral("raw");
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
        db.setDatabaseName(path);
        QVERIFY(db.open());
        QSqlQuery q(db);
        for (const QString& sql : statements)
            QVERIFY2(q.exec(sql), qPrintable(sql));
        db.close();
    }
    QSqlDatabase::removeDatabase(name);
}

// Runs this test binary as a child in one of the modes of childMain() below.
// The child's limit on file size is limit bytes; ignoreSignal makes it go on
// past the limit with a failed write instead of being killed.
struct ChildRun {
    QProcess::ExitStatus status;
    int code;
};
ChildRun runChild(const QString& mode, const QString& path, qint64 limit, bool ignoreSignal,
                  const QString& sql = QString())
{
    QProcess child;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("KVR_CHILD_MODE"), mode);
    env.insert(QStringLiteral("KVR_CHILD_PATH"), path);
    env.insert(QStringLiteral("KVR_CHILD_LIMIT"), QString::number(limit));
    env.insert(QStringLiteral("KVR_CHILD_IGNORE"), ignoreSignal ? QStringLiteral("1") : QStringLiteral("0"));
    env.insert(QStringLiteral("KVR_CHILD_SQL"), sql);
    child.setProcessEnvironment(env);
    child.start(QCoreApplication::applicationFilePath(), {});
    if (!child.waitForFinished(30000))
        return {QProcess::CrashExit, -1};
    return {child.exitStatus(), child.exitCode()};
}

// ---- Cases run on both engines --------------------------------------------

const char* engineTag(bool postgres)
{
    return postgres ? "postgresql: " : "sqlite: ";
}

// A new, empty database of the engine: a file in tmp, or a database on the
// test program's own PostgreSQL server (none when it cannot run).
std::optional<DbLocation> newDatabase(bool postgres, const TempDb& tmp)
{
    if (!postgres)
        return DbLocation::sqliteFile(tmp.path());
    PgServer* server = PgServer::instance();
    if (!server)
        return std::nullopt;
    return server->newDatabase();
}

#define KVR_NEW_DB(var, postgres, tmp)                                          \
    const std::optional<DbLocation> var##Found = newDatabase(postgres, tmp);     \
    if (!var##Found)                                                            \
        QSKIP(qPrintable(PgServer::unavailableReason()));                      \
    const DbLocation var = *var##Found

// Runs statements on the database through a connection of its own.
void execOn(const DbLocation& l, const QStringList& statements)
{
    if (l.isPostgres())
        QVERIFY(PgServer::exec(l, statements));
    else
        execRaw(l.filePath, statements);
}

// What shows that a database was left as it was: the file's bytes, or the
// server database's tables and columns.
QByteArray stateOf(const DbLocation& l)
{
    if (!l.isPostgres())
        return readAll(l.filePath);
    return PgServer::query(l, QStringLiteral("select table_name || '.' || column_name from "
                                             "information_schema.columns where table_schema = current_schema() "
                                             "order by 1"))
        .toUtf8();
}

// The tables of the program as files made before the database kept its own
// rules of uniqueness.
QStringList oldSchema()
{
    return {QStringLiteral("create table utrke (id integer primary key autoincrement, ime varchar(40), "
                           "org varchar(40), datum date, da varchar(1), nagrade text)"),
            QStringLiteral("create table startna (id integer primary key autoincrement, sbroj varchar(6), "
                           "idutrke integer, ime varchar(25), drzava varchar(15), klub varchar(15), "
                           "spol varchar(1), datum date)"),
            QStringLiteral("create table rezultati (id integer primary key autoincrement, idtakmicara integer, "
                           "idutrke integer, sbroj varchar(6), vrijeme varchar(8))"),
            QStringLiteral("create table kategorije (id integer primary key autoincrement, kateg varchar(9))"),
            QStringLiteral("create index rezultati_takmicar on rezultati (idutrke, idtakmicara)")};
}

Competitor competitor(qint64 raceId, const QString& number, const QString& name = QStringLiteral("Ana"))
{
    Competitor c;
    c.idutrke = raceId;
    c.sbroj = number;
    c.ime = name;
    c.drzava = QStringLiteral("HRV");
    c.klub = QStringLiteral("AK");
    c.spol = QStringLiteral("Ž");
    c.datum = QDate(1990, 1, 2);
    return c;
}

FinishRecord finish(qint64 raceId, qint64 competitorId, const QString& time)
{
    FinishRecord r;
    r.idutrke = raceId;
    r.idtakmicara = competitorId;
    r.sbroj = QString::number(competitorId);
    r.vrijeme = time;
    return r;
}

QStringList leftovers(const QString& dir)
{
    return QDir(dir).entryList({QStringLiteral("kvr.mdb.*.tmp*")}, QDir::Files);
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
        QCOMPARE(filesBeside(tmp.dir()), QStringList{QStringLiteral("kvr.mdb")});
    }

    void unusableFileIsReportedAndLeftAlone_data()
    {
        QTest::addColumn<QByteArray>("content");
        QTest::newRow("garbage") << QByteArray("this is not a database at all, just text\n").repeated(200);
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
        QCOMPARE(filesBeside(tmp.dir()), QStringList{QStringLiteral("kvr.mdb")});
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
        QTest::addColumn<bool>("postgres");
        QTest::addColumn<QString>("text");
        for (bool pg : {false, true}) {
            const QString tag = QLatin1String(engineTag(pg));
            QTest::newRow(qPrintable(tag + "quote")) << pg << QStringLiteral("O'Neill");
            QTest::newRow(qPrintable(tag + "croatian")) << pg << QStringLiteral("Čučić Đurđa Šćžž");
            QTest::newRow(qPrintable(tag + "statement")) << pg << QStringLiteral("x'); drop table startna; --");
            QTest::newRow(qPrintable(tag + "double quote and break")) << pg << QStringLiteral("\"Veliki\"\r\nfond");
            QTest::newRow(qPrintable(tag + "blanks kept")) << pg << QStringLiteral("  7 ");
            QTest::newRow(qPrintable(tag + "backslash and dollar")) << pg << QStringLiteral("a\\'b $1 $$");
        }
    }

    void textsRoundTripExactly()
    {
        QFETCH(bool, postgres);
        QFETCH(QString, text);
        TempDb tmp;
        KVR_NEW_DB(where, postgres, tmp);
        Database db(where);
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

    void laterRaceHasHigherKeyAndNamesMatchExactly_data()
    {
        QTest::addColumn<bool>("postgres");
        QTest::newRow("sqlite") << false;
        QTest::newRow("postgresql") << true;
    }

    void laterRaceHasHigherKeyAndNamesMatchExactly()
    {
        QFETCH(bool, postgres);
        TempDb tmp;
        KVR_NEW_DB(where, postgres, tmp);
        Database db(where);
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
        QCOMPARE(filesBeside(tmp.dir()), QStringList{QStringLiteral("kvr.mdb")});
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

    // A first start that ends while the new file is being written: killed,
    // or stopped by a write that fails. Every later start must still work.
    void interruptedFirstStartDoesNotBlockLaterStarts_data()
    {
        QTest::addColumn<bool>("killed");
        QTest::addColumn<bool>("leftoverUnderOwnName");
        QTest::newRow("killed") << true << false;
        QTest::newRow("write failed") << false << false;
        // What an earlier version left: the half-written file and its journal,
        // which rolls it back to zero bytes.
        QTest::newRow("killed, half file under its own name") << true << true;
    }

    void interruptedFirstStartDoesNotBlockLaterStarts()
    {
        QFETCH(bool, killed);
        QFETCH(bool, leftoverUnderOwnName);
        TempDb tmp;
        const ChildRun run = runChild(QStringLiteral("create"), tmp.path(), 8192, !killed);
        if (killed) {
            QCOMPARE(run.status, QProcess::CrashExit);
        } else {
            QCOMPARE(run.status, QProcess::NormalExit);
            QCOMPARE(run.code, 3); // the failed open was reported
        }
        // The file never appears under its own name unfinished.
        QVERIFY(!QFile::exists(tmp.path()));
        QVERIFY(!QFile::exists(tmp.path() + QStringLiteral("-journal")));
        if (leftoverUnderOwnName) {
            const QStringList left = leftovers(tmp.dir());
            QCOMPARE(left.size(), 2); // the file and its journal
            const QString file = QDir(tmp.dir()).filePath(left.first());
            QVERIFY(QFileInfo(file).size() > 0);
            QVERIFY(QFile::rename(file, tmp.path()));
            QVERIFY(QFile::rename(QDir(tmp.dir()).filePath(left.last()), tmp.path() + QStringLiteral("-journal")));
        }
        for (int start = 0; start < 2; ++start) {
            Database db(tmp.path());
            const DbStatus opened = db.open();
            QVERIFY2(opened.ok(), qPrintable(opened.error()));
            QCOMPARE(db.categories().value().size(), 12);
        }
    }

    // Left by a killed first start: removed at the next start; another
    // copy's file in the making and files not of our making stay.
    void leftOverTemporariesAreRemoved_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("ageSeconds");
        QTest::addColumn<bool>("removed");
        QTest::newRow("an hour old") << "kvr.mdb.a1b2c3.tmp" << 3600 << true;
        QTest::newRow("its journal") << "kvr.mdb.a1b2c3.tmp-journal" << 3600 << true;
        QTest::newRow("in the making") << "kvr.mdb.a1b2c3.tmp" << 5 << false;
        QTest::newRow("another file's") << "utrke.mdb.a1b2c3.tmp" << 3600 << false;
        QTest::newRow("not a name we make") << "kvr.mdb.rezerva.tmp" << 3600 << false;
    }

    void leftOverTemporariesAreRemoved()
    {
        QFETCH(QString, name);
        QFETCH(int, ageSeconds);
        QFETCH(bool, removed);
        TempDb tmp;
        QFile left(QDir(tmp.dir()).filePath(name));
        QVERIFY(left.open(QIODevice::WriteOnly) && left.write("SQLite") > 0 && left.flush());
        QVERIFY(left.setFileTime(QDateTime::currentDateTime().addSecs(-ageSeconds), QFileDevice::FileModificationTime));
        left.close();
        QVERIFY(Database(tmp.path()).open().ok());
        QCOMPARE(left.exists(), !removed);
    }

    // The file under an open connection is deleted, moved, replaced or made
    // read-only; a --db file's missing folder is named as such.
    void unreachableFileIsTold_data()
    {
        QTest::addColumn<QString>("what");
        for (const char* what : {"nothing", "delete", "move", "replace", "chmod"})
            QTest::newRow(what) << QString::fromLatin1(what);
    }

    void unreachableFileIsTold()
    {
        QFETCH(QString, what);
        TempDb tmp;
        Database db(tmp.path());
        QVERIFY(db.open().ok());
        const QString other = tmp.path() + QStringLiteral(".2");
        if (what == QLatin1String("delete") || what == QLatin1String("move"))
            QVERIFY(what == QLatin1String("delete") ? QFile::remove(tmp.path()) : QFile::rename(tmp.path(), other));
        if (what == QLatin1String("replace"))
            QVERIFY(QFile::copy(tmp.path(), other) && QFile::remove(tmp.path()) && QFile::rename(other, tmp.path()));
        if (what == QLatin1String("chmod"))
            QVERIFY(QFile::setPermissions(tmp.path(), QFile::ReadOwner));
        QCOMPARE(db.checkReachable(), what == QLatin1String("nothing"));
        QCOMPARE(db.connectionLost(), what != QLatin1String("nothing"));
        const QString folder = QDir::toNativeSeparators(QDir(tmp.dir()).filePath(QStringLiteral("nema")));
        QCOMPARE(QString(Database(folder + QStringLiteral("/kvr.mdb")).open().error()), tx::dbFolderNotWritable(folder));
    }

    void emptyFileIsMadeNew()
    {
        TempDb tmp;
        writeFile(tmp.path(), QByteArray());
        {
            Database db(tmp.path());
            QVERIFY(db.open().ok());
            QVERIFY(db.insertRace(QStringLiteral("Prva"), QStringLiteral("O"), QDate(2012, 1, 1)).ok());
        }
        Database db(tmp.path());
        QVERIFY(db.open().ok());
        QVERIFY(db.raceNameExists(QStringLiteral("Prva")).value());
        QCOMPARE(db.categories().value().size(), 12);
        QCOMPARE(filesBeside(tmp.dir()), QStringList{QStringLiteral("kvr.mdb")});
    }

    // A write of ours or of another program that was killed part way through
    // leaves a journal, which SQLite rolls back into the file while opening.
    void journalBesideFile_data()
    {
        QTest::addColumn<bool>("ours");
        QTest::newRow("our own interrupted write") << true;
        QTest::newRow("another program's file") << false;
    }

    void journalBesideFile()
    {
        QFETCH(bool, ours);
        TempDb tmp;
        QString grow;
        if (ours) {
            QVERIFY(Database(tmp.path()).open().ok());
            grow = QStringLiteral("insert into utrke (ime, da, nagrade) values ('Velika', 'y', randomblob(200000))");
        } else {
            execRaw(tmp.path(), {QStringLiteral("create table utrke (x integer)"),
                                 QStringLiteral("create table zapisi (x blob)"),
                                 QStringLiteral("insert into zapisi values (randomblob(30000))")});
            grow = QStringLiteral("insert into zapisi values (randomblob(200000))");
        }
        const ChildRun run = runChild(QStringLiteral("sql"), tmp.path(), QFileInfo(tmp.path()).size(), false, grow);
        QCOMPARE(run.status, QProcess::CrashExit);
        const QString journal = tmp.path() + QStringLiteral("-journal");
        QVERIFY(QFile::exists(journal));
        const QByteArray interrupted = readAll(tmp.path());

        MessageBox::clearShown();
        frmkelvora window(tmp.path());
        QVERIFY(readAll(tmp.path()) != interrupted); // opening has rolled the journal back
        QVERIFY(!QFile::exists(journal));
        if (ours) {
            QVERIFY(window.databaseReady());
            QVERIFY(MessageBox::shown().isEmpty());
            QVERIFY(!window.database().raceNameExists(QStringLiteral("Velika")).value());
        } else {
            QVERIFY(!window.databaseReady());
            QCOMPARE(MessageBox::shown().size(), 1);
            const QString text = MessageBox::last().text;
            QVERIFY(text.contains(QStringLiteral("kvr.mdb-journal")));
            QVERIFY(!text.contains(tx::dbFileUnchanged()));
        }
    }

    // Tables with the needed columns that still refuse the rows the program
    // stores: the file is refused at start instead of every entry failing.
    void fileThatRefusesRowsIsRefused_data()
    {
        QTest::addColumn<QString>("table");
        QTest::newRow("utrke") << QStringLiteral("utrke");
        QTest::newRow("startna") << QStringLiteral("startna");
        QTest::newRow("rezultati") << QStringLiteral("rezultati");
    }

    void fileThatRefusesRowsIsRefused()
    {
        QFETCH(QString, table);
        const QHash<QString, QString> columns{
            {QStringLiteral("utrke"), QStringLiteral("ime varchar(40), org varchar(40), datum date, da varchar(1), "
                                                     "nagrade text")},
            {QStringLiteral("startna"), QStringLiteral("sbroj varchar(6), idutrke integer, ime varchar(25), drzava "
                                                       "varchar(15), klub varchar(15), spol varchar(1), datum date")},
            {QStringLiteral("rezultati"), QStringLiteral("idtakmicara integer, idutrke integer, sbroj varchar(6), "
                                                         "vrijeme varchar(8)")},
            {QStringLiteral("kategorije"), QStringLiteral("kateg varchar(9)")},
        };
        QStringList schema;
        for (auto it = columns.cbegin(); it != columns.cend(); ++it) {
            schema << QStringLiteral("create table %1 (id integer primary key autoincrement, %2%3)")
                          .arg(it.key(), it.value(),
                               it.key() == table ? QStringLiteral(", dodatak integer not null") : QString());
        }
        TempDb tmp;
        execRaw(tmp.path(), schema);
        const QByteArray before = readAll(tmp.path());
        {
            Database db(tmp.path());
            const DbStatus opened = db.open();
            QVERIFY(!opened.ok());
            QVERIFY(!opened.error().isBusy());
            QVERIFY(opened.error().contains(QStringLiteral("dodatak")));
        }
        QCOMPARE(readAll(tmp.path()), before);
        QCOMPARE(filesBeside(tmp.dir()), QStringList{QStringLiteral("kvr.mdb")});
    }

    // Another program holds the file locked while the program starts: the
    // window can come up, asks whether to try again, and opens the file once
    // the lock is gone.
    void lockedFileAtStartAsksToTryAgain()
    {
        TempDb tmp;
        QVERIFY(Database(tmp.path()).open().ok());
        const QString lockName = QStringLiteral("locker");
        {
            QSqlDatabase locker = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), lockName);
            locker.setDatabaseName(tmp.path());
            QVERIFY(locker.open());
            QVERIFY(QSqlQuery(locker).exec(QStringLiteral("begin exclusive")));

            MessageBox::clearShown();
            frmkelvora window(tmp.path());
            QVERIFY(!window.databaseReady());
            QVERIFY(window.databaseBusy());
            QVERIFY(MessageBox::shown().isEmpty()); // nothing before the window is up

            // Still locked: "Yes" tries again and asks again; "No" gives up.
            MessageBox::setNextAnswer(QMessageBox::Yes);
            MessageBox::setNextAnswer(QMessageBox::No);
            QVERIFY(!window.openBusyDatabase());
            QCOMPARE(MessageBox::shown().size(), 2);
            QCOMPARE(MessageBox::last().buttons, QMessageBox::Yes | QMessageBox::No);
            QVERIFY(MessageBox::last().text.contains(tmp.path()));
            QVERIFY(!window.databaseReady());

            QVERIFY(QSqlQuery(locker).exec(QStringLiteral("rollback")));
            MessageBox::setNextAnswer(QMessageBox::Yes);
            QVERIFY(window.openBusyDatabase());
            QVERIFY(window.databaseReady());
            QVERIFY(!window.databaseBusy());
            QVERIFY(window.database().insertRace(QStringLiteral("Nakon čekanja"), QStringLiteral("O"),
                                                 QDate(2013, 5, 6)).ok());
            locker.close();
        }
        QSqlDatabase::removeDatabase(lockName);
    }

    // A change while another program holds the lock fails as busy, and the
    // message says so in Croatian before the database's own text.
    // A store, or a read of a list (which must never pass for the whole
    // list), while another program holds the file.
    void lockedFileDuringUseIsExplained_data()
    {
        QTest::addColumn<bool>("read");
        QTest::newRow("store") << false;
        QTest::newRow("read of a list") << true;
    }

    void lockedFileDuringUseIsExplained()
    {
        QFETCH(bool, read);
        TempDb tmp;
        Database db(tmp.path());
        QVERIFY(db.open().ok());
        const qint64 race = db.insertRace(QStringLiteral("A"), QStringLiteral("O"), QDate(2013, 5, 6)).value();
        QVERIFY(db.insertCompetitor(competitor(race, QStringLiteral("1"))).ok());
        db.setBusyWait(false);
        const QString lockName = QStringLiteral("locker");
        {
            QSqlDatabase locker = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), lockName);
            locker.setDatabaseName(tmp.path());
            QVERIFY(locker.open());
            QVERIFY(QSqlQuery(locker).exec(QStringLiteral("begin exclusive")));
            DbError error;
            if (read) {
                const auto list = db.startList(race);
                QVERIFY(!list.ok());
                error = list.error();
            } else {
                const auto stored = db.insertRace(QStringLiteral("Zaključana"), QStringLiteral("O"), QDate(2013, 5, 6));
                QVERIFY(!stored.ok());
                error = stored.error();
            }
            QVERIFY(error.isBusy());
            // One sentence of the program's own; the driver's words in the log beside the file.
            QCOMPARE(tx::dbError(error), tx::dbError(QString()) + tx::dbBusy());
            QFile log(QFileInfo(tmp.path()).absolutePath() + QStringLiteral("/") + QFileInfo(tmp.path()).completeBaseName()
                      + QStringLiteral(".log"));
            QVERIFY(log.open(QIODevice::ReadOnly));
            QVERIFY(log.readAll().contains(error.toUtf8()));
            QVERIFY(QSqlQuery(locker).exec(QStringLiteral("rollback")));
            locker.close();
        }
        QSqlDatabase::removeDatabase(lockName);
        QVERIFY(db.insertRace(QStringLiteral("Zaključana"), QStringLiteral("O"), QDate(2013, 5, 6)).ok());
    }

    void sqliteCodesAreClassified_data()
    {
        QTest::addColumn<int>("code");
        QTest::addColumn<DbError::Kind>("kind");
        QTest::newRow("busy") << 5 << DbError::Kind::Busy;
        QTest::newRow("busy recovery") << 261 << DbError::Kind::Busy;
        QTest::newRow("locked") << 6 << DbError::Kind::Busy;
        QTest::newRow("full") << 13 << DbError::Kind::Full;
        QTest::newRow("read-only") << 8 << DbError::Kind::ReadOnly;
        QTest::newRow("read-only, moved") << 1032 << DbError::Kind::ReadOnly;
        QTest::newRow("constraint") << 19 << DbError::Kind::Other;
        QTest::newRow("i/o error") << 266 << DbError::Kind::Other;
    }

    void sqliteCodesAreClassified()
    {
        QFETCH(int, code);
        QFETCH(DbError::Kind, kind);
        QCOMPARE(DbError::kindOfSqliteCode(code), kind);
    }

    // Over the process's file-size limit a change fails with an error the
    // program can report; the file keeps what it had.
    void fileSizeLimitGivesErrorNotDeath_data()
    {
        QTest::addColumn<bool>("ignoreSignal");
        QTest::newRow("as the program starts") << true;
        QTest::newRow("without it the signal kills") << false;
    }

    void fileSizeLimitGivesErrorNotDeath()
    {
        QFETCH(bool, ignoreSignal);
        TempDb tmp;
        {
            Database db(tmp.path());
            QVERIFY(db.open().ok());
            QVERIFY(db.insertRace(QStringLiteral("Mala"), QStringLiteral("O"), QDate(2014, 1, 1)).ok());
        }
        const ChildRun run = runChild(QStringLiteral("big"), tmp.path(), QFileInfo(tmp.path()).size(), ignoreSignal);
        if (ignoreSignal) {
            QCOMPARE(run.status, QProcess::NormalExit);
            QCOMPARE(run.code, 3);
        } else {
            QCOMPARE(run.status, QProcess::CrashExit);
        }
        Database db(tmp.path());
        QVERIFY(db.open().ok());
        QVERIFY(db.raceNameExists(QStringLiteral("Mala")).value());
        QVERIFY(!db.raceNameExists(QStringLiteral("Velika")).value());
    }

    // ---- Cases run on both engines ----------------------------------------

    void engines_data()
    {
        QTest::addColumn<bool>("postgres");
        QTest::newRow("sqlite") << false;
        QTest::newRow("postgresql") << true;
    }

    void newDatabaseGetsTablesAndCategories_data() { engines_data(); }
    void newDatabaseGetsTablesAndCategories()
    {
        QFETCH(bool, postgres);
        TempDb tmp;
        KVR_NEW_DB(where, postgres, tmp);
        for (int start = 0; start < 2; ++start) {
            Database db(where);
            const DbStatus opened = db.open();
            QVERIFY2(opened.ok(), qPrintable(opened.error()));
            QCOMPARE(db.categories().value(), tx::categoryLabels());
        }
        // The write check at open stored nothing.
        Database db(where);
        QVERIFY(db.open().ok());
        QVERIFY(db.listedRaces().value().isEmpty());
    }

    void foreignDatabaseIsRefusedAndLeftAlone_data()
    {
        QTest::addColumn<bool>("postgres");
        QTest::addColumn<QStringList>("schema");
        for (bool pg : {false, true}) {
            const QString tag = QLatin1String(engineTag(pg));
            QTest::newRow(qPrintable(tag + "other tables"))
                << pg << QStringList{QStringLiteral("create table zapisi (x integer)")};
            QTest::newRow(qPrintable(tag + "program's table without its columns"))
                << pg << QStringList{QStringLiteral("create table utrke (x integer)")};
        }
        QTest::newRow("sqlite: a table missing") << false << oldSchema().mid(0, 3);
        QTest::newRow("postgresql: keys without defaults")
            << true
            << QStringList{QStringLiteral("create table utrke (id integer primary key, ime varchar(40), "
                                          "org varchar(40), datum date, da varchar(1), nagrade text)"),
                           QStringLiteral("create table startna (id integer primary key, sbroj varchar(6), "
                                          "idutrke integer, ime varchar(25), drzava varchar(15), klub "
                                          "varchar(15), spol varchar(1), datum date)"),
                           QStringLiteral("create table rezultati (id integer primary key, idtakmicara integer, "
                                          "idutrke integer, sbroj varchar(6), vrijeme varchar(8))"),
                           QStringLiteral("create table kategorije (id integer primary key, kateg varchar(9))")};
    }

    void foreignDatabaseIsRefusedAndLeftAlone()
    {
        QFETCH(bool, postgres);
        QFETCH(QStringList, schema);
        TempDb tmp;
        KVR_NEW_DB(where, postgres, tmp);
        execOn(where, schema);
        const QByteArray before = stateOf(where);
        {
            Database db(where);
            const DbStatus opened = db.open();
            QVERIFY(!opened.ok());
            QVERIFY(!opened.error().isEmpty());
            QVERIFY(!db.isOpen());
        }
        QCOMPARE(stateOf(where), before);
    }

    // Rows come in time order; equal times keep the order of entry.
    // A series is stored whole on both engines: a name taken twice is
    // refused and leaves the first as it was; a file never given a series reads none.
    void seriesStoredWholeOnBothEngines_data() { engines_data(); }
    void seriesStoredWholeOnBothEngines()
    {
        QFETCH(bool, postgres);
        TempDb tmp;
        KVR_NEW_DB(where, postgres, tmp);
        Database db(where);
        QVERIFY(db.open().ok());
        QVERIFY(db.seriesList().value().isEmpty());
        series::Definition d;
        d.name = QStringLiteral("Kup Šibenika");
        d.races = {3, 1, 2};
        d.rules.points = series::PointsKind::List;
        d.rules.pointsList = {25, 20, 16};
        d.rules.place = series::PlaceScope::Overall;
        d.rules.best = 2;
        d.rules.minimum = 2;
        d.rules.planned = 4;
        d.rules.noClub = {QStringLiteral("neovisni"), QStringLiteral("bez kluba")};
        d.rules.prizes = PrizeScheme({{QStringLiteral("Žene"), RuleSex::Women, 0, 150, 3}});
        d.choices = {{series::Choice::Kind::Split, {1, 7}, {}}, {series::Choice::Kind::Join, {2, 9}, {3, 4}}};
        const auto stored = db.storeSeries(d);
        QVERIFY2(stored.ok(), qPrintable(stored.error()));
        d.id = stored.value();
        series::Definition other = d;
        other.id = 0;
        other.races = {1};
        const auto twice = db.storeSeries(other);
        QVERIFY(!twice.ok());
        QCOMPARE(twice.error().kind(), DbError::Kind::Duplicate);
        const auto read = Database(where).open().ok() ? db.seriesList() : DbResult<QList<series::Definition>>{};
        QVERIFY(read.ok());
        QCOMPARE(read.value().size(), 1);
        const series::Definition& back = read.value().at(0);
        QCOMPARE(back.name, d.name);
        QCOMPARE(back.races, d.races);
        QCOMPARE(back.rules, d.rules);
        QCOMPARE(back.choices, d.choices);
        QVERIFY(db.deleteSeries(d.id).ok());
        QVERIFY(db.seriesList().value().isEmpty());
    }

    void finishListInTimeOrder_data() { engines_data(); }
    void finishListInTimeOrder()
    {
        QFETCH(bool, postgres);
        TempDb tmp;
        KVR_NEW_DB(where, postgres, tmp);
        Database db(where);
        QVERIFY(db.open().ok());
        const qint64 race = db.insertRace(QStringLiteral("Utrka"), QStringLiteral("O"), QDate(2020, 5, 5)).value();
        const QStringList times{"00:40:00", "00:35:10", "00:40:00", "01:02:03", "00:35:10", "00:09:59"};
        QList<qint64> keys;
        for (int i = 0; i < times.size(); ++i) {
            const auto c = db.insertCompetitor(competitor(race, QString::number(i + 1)));
            QVERIFY(c.ok());
            const auto f = db.insertFinishRecord(finish(race, c.value(), times.at(i)));
            QVERIFY2(f.ok(), qPrintable(f.error()));
            QVERIFY(keys.isEmpty() || f.value() > keys.last());
            keys.append(f.value());
        }
        QStringList order;
        const QList<FinishRecord> list = db.finishList(race).value();
        for (const FinishRecord& r : list)
            order.append(r.vrijeme + QLatin1Char('#') + QString::number(keys.indexOf(r.id)));
        QCOMPARE(order, QStringList({"00:09:59#5", "00:35:10#1", "00:35:10#4", "00:40:00#0", "00:40:00#2",
                                     "01:02:03#3"}));
    }

    // A database this program made refuses, by itself, a second finish
    // record of a competitor and a start number taken twice in a race.
    void newDatabaseKeepsItsRulesOfUniqueness_data() { engines_data(); }
    void newDatabaseKeepsItsRulesOfUniqueness()
    {
        QFETCH(bool, postgres);
        TempDb tmp;
        KVR_NEW_DB(where, postgres, tmp);
        Database db(where);
        QVERIFY(db.open().ok());
        const qint64 race = db.insertRace(QStringLiteral("A"), QStringLiteral("O"), QDate(2020, 5, 5)).value();
        const qint64 other = db.insertRace(QStringLiteral("B"), QStringLiteral("O"), QDate(2020, 5, 5)).value();
        const qint64 seven = db.insertCompetitor(competitor(race, QStringLiteral("7"))).value();
        QVERIFY(db.insertFinishRecord(finish(race, seven, QStringLiteral("00:30:00"))).ok());

        const auto again = db.insertFinishRecord(finish(race, seven, QStringLiteral("00:31:00")));
        QVERIFY(!again.ok());
        QVERIFY2(again.error().isDuplicate(), qPrintable(again.error()));
        QCOMPARE(db.finishList(race).value().size(), 1);
        QVERIFY(db.insertFinishRecord(finish(other, seven, QStringLiteral("00:31:00"))).ok());

        for (const QString& taken : {QStringLiteral("7"), QStringLiteral(" 7"), QStringLiteral("7\t "),
                                     QStringLiteral("\r\n7"), QStringLiteral("\u00A07"),
                                     QStringLiteral("\u20037\u3000")}) {
            const auto twice = db.insertCompetitor(competitor(race, taken));
            QVERIFY2(!twice.ok() && twice.error().isDuplicate(), qPrintable(taken));
        }
        QVERIFY(db.insertCompetitor(competitor(other, QStringLiteral("7"))).ok());
        QVERIFY(db.insertCompetitor(competitor(race, QStringLiteral("77"))).ok());
        // Without a number, any number of competitors.
        const qint64 blank = db.insertCompetitor(competitor(race, QString())).value();
        QVERIFY(db.insertCompetitor(competitor(race, QStringLiteral("  "))).ok());
        Competitor edited = competitor(race, QStringLiteral(" 7 "));
        edited.id = blank;
        const DbStatus updated = db.updateCompetitor(edited);
        QVERIFY(!updated.ok() && updated.error().isDuplicate());
        QCOMPARE(db.startList(race).value().size(), 4);
    }

    // The checked stores refuse what is taken on every database, an older
    // file without the unique indexes too.
    void checkedStoresRefuseWhatIsTaken_data()
    {
        QTest::addColumn<bool>("postgres");
        QTest::addColumn<bool>("oldFile");
        QTest::newRow("sqlite") << false << false;
        QTest::newRow("sqlite, file made before") << false << true;
        QTest::newRow("postgresql") << true << false;
    }

    void checkedStoresRefuseWhatIsTaken()
    {
        QFETCH(bool, postgres);
        QFETCH(bool, oldFile);
        TempDb tmp;
        KVR_NEW_DB(where, postgres, tmp);
        if (oldFile)
            execOn(where, oldSchema());
        Database db(where);
        QVERIFY(db.open().ok());
        const qint64 race = db.insertRace(QStringLiteral("A"), QStringLiteral("O"), QDate(2020, 5, 5)).value();
        const auto seven = db.insertCompetitorIfNumberFree(competitor(race, QStringLiteral("7")));
        QVERIFY(seven.ok());
        for (const QString& number : {QStringLiteral(" 7 "), QStringLiteral("7\u00A0")}) {
            const auto taken = db.insertCompetitorIfNumberFree(competitor(race, number));
            QVERIFY(!taken.ok() && taken.error().isDuplicate());
        }
        // A bulk store names the number it met taken, and stores nothing.
        const DbStatus bulk = db.insertCompetitors({competitor(race, QStringLiteral("9")),
                                                   competitor(race, QStringLiteral("\u202F7"))});
        QVERIFY(!bulk.ok() && bulk.error().isDuplicate());
        QCOMPARE(QString(bulk.error()), tx::startNumberTakenInBulk(QStringLiteral("7")));
        const auto eight = db.insertCompetitorIfNumberFree(competitor(race, QStringLiteral("8")));
        QVERIFY(eight.ok());
        Competitor edited = competitor(race, QStringLiteral("7"));
        edited.id = eight.value();
        const DbStatus updated = db.updateCompetitorIfNumberFree(edited);
        QVERIFY(!updated.ok() && updated.error().isDuplicate());
        // Its own number is no obstacle to an edit.
        edited.sbroj = QStringLiteral("8 ");
        edited.ime = QStringLiteral("Iva");
        QVERIFY(db.updateCompetitorIfNumberFree(edited).ok());
        QVERIFY(db.insertCompetitorIfNumberFree(competitor(race, QString())).ok());
        QVERIFY(db.insertCompetitorIfNumberFree(competitor(race, QString())).ok());

        QVERIFY(db.insertFinishRecordIfNone(finish(race, seven.value(), QStringLiteral("00:30:00"))).ok());
        const auto second = db.insertFinishRecordIfNone(finish(race, seven.value(), QStringLiteral("00:29:00")));
        QVERIFY(!second.ok() && second.error().isDuplicate());
        // The same times stored in bulk again: refused, nothing stored twice.
        const DbStatus again = db.insertFinishRecords({finish(race, eight.value(), QStringLiteral("00:31:00")),
                                                       finish(race, seven.value(), QStringLiteral("00:30:00"))});
        QVERIFY(!again.ok() && again.error().isDuplicate());
        QCOMPARE(db.finishList(race).value().size(), 1);
        QCOMPARE(db.startList(race).value().size(), 4);
    }

    // Numbers an older file holds twice under the program's rule: told, nothing changed.
    void collidingNumbersAreToldAndLeftAlone_data()
    {
        QTest::addColumn<QStringList>("numbers");
        QTest::addColumn<QStringList>("told"); // race:number:count
        QTest::newRow("no-break space") << QStringList{"7", "\u00A07"} << QStringList{"1:7:2"};
        QTest::newRow("ASCII and Unicode blanks, two numbers")
            << QStringList{" 7", "9", "7\u3000", "\u20039", "7"} << QStringList{"1:7:3", "1:9:2"};
        QTest::newRow("none; blanks only are no number") << QStringList{"7", "07", " ", "\u00A0"} << QStringList{};
    }

    void collidingNumbersAreToldAndLeftAlone()
    {
        QFETCH(QStringList, numbers);
        QFETCH(QStringList, told);
        TempDb tmp;
        KVR_NEW_DB(where, false, tmp);
        QStringList statements = oldSchema();
        statements.append(QStringLiteral("insert into utrke (ime, org, da) values ('A', 'O', 'y')"));
        for (const QString& n : numbers)
            statements.append(QStringLiteral("insert into startna (idutrke, sbroj, ime) values (1, '%1', 'Ana')").arg(n));
        execOn(where, statements);
        const QByteArray before = stateOf(where);
        Database db(where);
        QVERIFY(db.open().ok());
        QStringList found;
        for (const NumberCollision& c : db.numberCollisions())
            found.append(QStringLiteral("%1:%2:%3").arg(c.raceId).arg(c.number).arg(c.count));
        QCOMPARE(found, told);
        QCOMPARE(stateOf(where), before);
    }

    // Two stations (two connections) enter the same finishers and register
    // the same start numbers at the same moment: each goes in once.
    void twoStationsAtOnceStoreEachOnce_data() { checkedStoresRefuseWhatIsTaken_data(); }
    void twoStationsAtOnceStoreEachOnce()
    {
        QFETCH(bool, postgres);
        QFETCH(bool, oldFile);
        TempDb tmp;
        KVR_NEW_DB(where, postgres, tmp);
        if (oldFile)
            execOn(where, oldSchema());
        constexpr int count = 40;
        qint64 race = 0;
        QList<qint64> runners;
        {
            Database setup(where);
            QVERIFY(setup.open().ok());
            race = setup.insertRace(QStringLiteral("A"), QStringLiteral("O"), QDate(2020, 5, 5)).value();
            for (int i = 0; i < count; ++i)
                runners.append(setup.insertCompetitor(competitor(race, QString::number(i + 1))).value());
        }
        std::atomic<int> stored{0};
        std::atomic<int> refused{0};
        std::atomic<int> failed{0};
        std::atomic<int> ready{0};
        const auto station = [&](int which) {
            Database db(where);
            if (!db.open().ok()) {
                ++failed;
                return;
            }
            ++ready;
            while (ready.load() < 2)
                std::this_thread::yield();
            for (int i = 0; i < count; ++i) {
                const auto f = db.insertFinishRecordIfNone(finish(race, runners.at(i), QStringLiteral("00:30:%1").arg(which)));
                const auto c = db.insertCompetitorIfNumberFree(competitor(race, QString::number(1000 + i)));
                for (const DbError* e : {f.ok() ? nullptr : &f.error(), c.ok() ? nullptr : &c.error()}) {
                    if (!e)
                        ++stored;
                    else if (e->isDuplicate())
                        ++refused;
                    else
                        ++failed;
                }
            }
        };
        std::thread a(station, 1);
        std::thread b(station, 2);
        a.join();
        b.join();
        QCOMPARE(failed.load(), 0);
        QCOMPARE(stored.load(), 2 * count);
        QCOMPARE(refused.load(), 2 * count);
        Database db(where);
        QVERIFY(db.open().ok());
        const QList<FinishRecord> finishes = db.finishList(race).value();
        QCOMPARE(finishes.size(), count);
        QSet<qint64> finishers;
        for (const FinishRecord& r : finishes)
            finishers.insert(r.idtakmicara);
        QCOMPARE(finishers.size(), count);
        QCOMPARE(db.startList(race).value().size(), 2 * count);
    }

    // Another station's finish entry of the same runner: the session refuses
    // its own and shows the other's.
    void sessionShowsAnotherStationsEntry_data() { engines_data(); }
    void sessionShowsAnotherStationsEntry()
    {
        QFETCH(bool, postgres);
        TempDb tmp;
        KVR_NEW_DB(where, postgres, tmp);
        RaceSession session(where);
        QVERIFY(session.database().open().ok());
        const auto race = session.createRace(QStringLiteral("A"), QStringLiteral("O"), QStringLiteral("5.5.2020"));
        QVERIFY(race.ok());
        rules::CompetitorEntry entry{QStringLiteral("Ana"), QStringLiteral("7"), QStringLiteral("HRV"),
                                     QStringLiteral("AK"), QStringLiteral("Ž"), QStringLiteral("1.1.1990")};
        const auto added = session.addCompetitor(entry);
        QVERIFY(added.ok());

        Database other(where);
        QVERIFY(other.open().ok());
        const auto theirs = other.insertFinishRecord(finish(race.value().id, added.value().id, QStringLiteral("00:41:00")));
        QVERIFY(theirs.ok());
        const auto mine = session.enterFinish(QStringLiteral("7"), QStringLiteral("00:40:00"));
        QCOMPARE(mine.kind(), Outcome<FinishRecord>::Kind::Refused);
        QCOMPARE(mine.refusal().field, Field::FinishStartNumber);
        QCOMPARE(session.finishList().size(), 1);
        QCOMPARE(session.finishList().first().id, theirs.value());

        // The other station registers number 8 meanwhile: this one is refused.
        QVERIFY(other.insertCompetitor(competitor(race.value().id, QStringLiteral("8"))).ok());
        entry.sbroj = QStringLiteral("8");
        const auto eight = session.addCompetitor(entry);
        QCOMPARE(eight.kind(), Outcome<Competitor>::Kind::Refused);
        QCOMPARE(eight.refusal().field, Field::StartNumber);
        QCOMPARE(session.startList().size(), 2);
    }

    // The number the session compares to see another writer's changes: the
    // connection's own writes leave it, another's change it.
    void dataVersionTellsAnotherWriter_data() { engines_data(); }
    void dataVersionTellsAnotherWriter()
    {
        QFETCH(bool, postgres);
        TempDb tmp;
        KVR_NEW_DB(where, postgres, tmp);
        Database mine(where);
        Database theirs(where);
        QVERIFY(mine.open().ok());
        QVERIFY(theirs.open().ok());
        const qint64 v0 = mine.dataVersion().value();
        const qint64 race = mine.insertRace(QStringLiteral("A"), QStringLiteral("O"), QDate(2020, 5, 5)).value();
        QVERIFY(mine.insertCompetitorIfNumberFree(competitor(race, QStringLiteral("1"))).ok());
        QVERIFY(mine.deleteCompetitor(race, 999, true).ok());
        QCOMPARE(mine.dataVersion().value(), v0);
        QVERIFY(theirs.insertCompetitor(competitor(race, QStringLiteral("2"))).ok());
        const qint64 v1 = mine.dataVersion().value();
        QVERIFY(v1 != v0);
        QCOMPARE(mine.dataVersion().value(), v1);
    }

    // The password of a server address shows nowhere, also when the
    // driver's text would quote it.
    void passwordNeverShown()
    {
        if (!PgServer::instance())
            QSKIP(qPrintable(PgServer::unavailableReason()));
        DbLocation where = PgServer::instance()->location(QStringLiteral("nema_baze"));
        where.password = QStringLiteral("Tajna77");
        Database db(where);
        const DbStatus opened = db.open();
        QVERIFY(!opened.ok());
        QVERIFY(!opened.error().isEmpty());
        QVERIFY2(!opened.error().contains(QStringLiteral("Tajna77")), qPrintable(opened.error()));
        QVERIFY(!db.displayName().contains(QStringLiteral("Tajna77")));
        MessageBox::clearShown();
        frmkelvora window(where);
        QVERIFY(!window.databaseReady());
        QCOMPARE(MessageBox::shown().size(), 1);
        QVERIFY(!MessageBox::last().text.contains(QStringLiteral("Tajna77")));
        QVERIFY(!window.windowTitle().contains(QStringLiteral("Tajna77")));
    }

    void sqliteUniqueRefusalIsADuplicate()
    {
        QCOMPARE(DbError::kindOfSqliteCode(2067), DbError::Kind::Duplicate);
        QCOMPARE(DbError::kindOfSqliteCode(1555), DbError::Kind::Duplicate);
        QCOMPARE(DbError::kindOfSqliteCode(275), DbError::Kind::Other); // CHECK constraint
        QCOMPARE(DbError::kindOfSqlState(QStringLiteral("23505")), DbError::Kind::Duplicate);
        QCOMPARE(DbError::kindOfSqlState(QStringLiteral("23502")), DbError::Kind::Other);
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

// The child modes run by runChild(), under a file-size limit:
//  create: opens (so creates) a new database file;
//  sql:    runs one statement on the file in a transaction, as another program;
//  big:    stores a race too large for the limit.
// Exits 0 when the database call succeeded, 3 when it reported a failure.
static void childMain(const QString& mode)
{
    const QString path = qEnvironmentVariable("KVR_CHILD_PATH");
    rlimit limit{};
    limit.rlim_cur = limit.rlim_max = rlim_t(qEnvironmentVariable("KVR_CHILD_LIMIT").toLongLong());
    std::unique_ptr<Database> db;
    if (mode == QLatin1String("big")) {
        db = std::make_unique<Database>(path);
        if (!db->open().ok())
            std::_Exit(2);
    }
    if (qEnvironmentVariable("KVR_CHILD_IGNORE") == QLatin1String("1"))
        kvr::ignoreFileSizeLimitSignal();
    if (::setrlimit(RLIMIT_FSIZE, &limit) != 0)
        std::_Exit(2);
    bool ok = false;
    if (mode == QLatin1String("create")) {
        ok = Database(path).open().ok();
    } else if (mode == QLatin1String("big")) {
        ok = db->insertRace(QStringLiteral("Velika"), QString(200000, QLatin1Char('x')), QDate(2014, 1, 1)).ok();
    } else if (mode == QLatin1String("sql")) {
        QSqlDatabase raw = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("child"));
        raw.setDatabaseName(path);
        QSqlQuery q(raw);
        ok = raw.open() && q.exec(QStringLiteral("begin")) && q.exec(qEnvironmentVariable("KVR_CHILD_SQL"))
            && q.exec(QStringLiteral("commit"));
    }
    std::_Exit(ok ? 0 : 3);
}

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    if (const QString child = qEnvironmentVariable("KVR_CHILD_WRITE"); !child.isEmpty())
        childWriteAndDie(child);
    if (const QString mode = qEnvironmentVariable("KVR_CHILD_MODE"); !mode.isEmpty())
        childMain(mode);
    MessageBox::setTestMode(true);
    TestDatabase tc;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&tc, argc, argv);
}
#include "test_database.moc"
