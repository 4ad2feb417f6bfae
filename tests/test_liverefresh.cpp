// Another station's entry shows in the window within a second, without the
// user doing anything and without disturbing what the user is doing.

#include "pgserver.h"
#include "testutil.h"

#include "app/editlog.h"
#include "app/racesession.h"
#include "core/texts.h"
#include "data/database.h"

#include <QLabel>
#include <QLineEdit>
#include <QProcess>
#include <QSignalSpy>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTabWidget>
#include <QTreeView>

namespace {

rules::CompetitorEntry entry(const QString& number, const QString& name)
{
    return {name, number, QStringLiteral("HRV"), QStringLiteral("AK Split"), QStringLiteral("M"), QStringLiteral("1.2.1980")};
}

// What a session holds of its race, keys and places included.
QStringList held(RaceSession& s)
{
    QStringList all;
    for (const Competitor& c : s.startList())
        all << QStringLiteral("c %1|%2|%3|%4|%5").arg(c.id).arg(c.sbroj, c.ime, c.klub).arg(s.startNumbers().first(c.sbroj));
    for (int row = 0; row < s.finishList().size(); ++row) {
        const FinishRecord& r = s.finishList().at(row);
        all << QStringLiteral("f %1|%2|%3|%4|%5").arg(r.id).arg(r.idtakmicara).arg(r.vrijeme, r.sbroj, s.finishPlaceText(row));
    }
    return all;
}

std::unique_ptr<RaceSession> station(const DbLocation& where, qint64 race)
{
    auto s = std::make_unique<RaceSession>(where);
    if (!s->database().open() || !s->openRace(race))
        return nullptr;
    return s;
}

using Change = std::function<bool(RaceSession& other, const DbLocation& where)>;

// The file as an earlier version left it: no change feed.
void dropFeed(const QString& path)
{
    QSqlDatabase raw = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("raw"));
    raw.setDatabaseName(path);
    raw.open();
    QSqlQuery q(raw);
    QStringList drops{QStringLiteral("drop table promjene")};
    q.exec(QStringLiteral("select name from sqlite_master where type = 'trigger'"));
    while (q.next())
        drops << QStringLiteral("drop trigger ") + q.value(0).toString();
    for (const QString& sql : drops)
        q.exec(sql);
    q = QSqlQuery();
    raw = QSqlDatabase();
    QSqlDatabase::removeDatabase(QStringLiteral("raw"));
}

QByteArray bytesOf(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

} // namespace

Q_DECLARE_METATYPE(Change)

class TestLiveRefresh : public QObject {
    Q_OBJECT

private slots:
    void otherStationsFinishShowsWithinASecond_data()
    {
        QTest::addColumn<QString>("engine");
        QTest::newRow("sqlite") << QStringLiteral("sqlite");
        QTest::newRow("postgresql") << QStringLiteral("postgresql");
    }

    void otherStationsFinishShowsWithinASecond()
    {
        QFETCH(QString, engine);
        testutil::TempDb tmp;
        DbLocation location = DbLocation::sqliteFile(tmp.path());
        QString db = tmp.path();
        if (engine == QLatin1String("postgresql")) {
            testutil::PgServer* server = testutil::PgServer::instance();
            if (!server)
                QSKIP(qPrintable(testutil::PgServer::unavailableReason()));
            location = server->newDatabase();
            db = QStringLiteral("postgresql://%1@/%2?host=%3").arg(location.user, location.dbname, location.host);
        }
        frmkelvora w(location);
        QVERIFY(w.databaseReady());
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        const qint64 race = testutil::makeCurrentRace(w, QStringLiteral("Utrka"), QDate(2010, 6, 1));
        testutil::addCompetitor(w, QStringLiteral("7"), QStringLiteral("Ana"), QStringLiteral("Ž"), QDate(1980, 1, 1));
        testutil::addCompetitor(w, QStringLiteral("12"), QStringLiteral("Ivo"), QStringLiteral("M"), QDate(1975, 1, 1));
        auto* lsv1 = testutil::find<QTreeView>(&w, QStringLiteral("lsv1"));
        testutil::selectRow(lsv1, 1);
        w.selectPage(frmkelvora::PageResults);
        auto* lsv2 = testutil::find<QTreeView>(&w, QStringLiteral("lsv2"));
        auto* typed = testutil::find<QLineEdit>(&w, QStringLiteral("txtsbrojr"));
        QApplication::setActiveWindow(&w);
        typed->setFocus();
        QTest::keyClicks(typed, QStringLiteral("12"));
        typed->setCursorPosition(1);
        MessageBox::clearShown();
        QCOMPARE(lsv2->model()->rowCount(), 0);

        // The other station: the command line, a program of its own.
        const QString times = tmp.dir() + QStringLiteral("/t.txt");
        QFile file(times);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("7 40:00\n");
        file.close();
        QProcess other;
        other.start(QStringLiteral(KVR_PROGRAM),
                    {"import-times", "--db", db, "--race", QString::number(race), times});
        QVERIFY(other.waitForFinished(30000));
        QCOMPARE(other.exitCode(), 0);

        QTRY_COMPARE_WITH_TIMEOUT(lsv2->model()->rowCount(), 1, 1200);
        QCOMPARE(testutil::cell(lsv2, 0, 1), QStringLiteral("7"));
        QCOMPARE(testutil::find<QLabel>(&w, QStringLiteral("lbliz6"))->text(), QStringLiteral("1"));
        // What the user was doing is as it was.
        QCOMPARE(typed->text(), QStringLiteral("12"));
        QCOMPARE(typed->cursorPosition(), 1);
        QVERIFY(typed->hasFocus());
        QCOMPARE(testutil::selectedRows(lsv1), (QList<int>{1}));
        QCOMPARE(testutil::find<QTabWidget>(&w, QStringLiteral("SSTab1"))->currentIndex(),
                 int(frmkelvora::PageResults));
        QVERIFY(MessageBox::shown().isEmpty());
    }

    // Another station's change is read in row by row, also one written by a
    // program that keeps no log; a change of the race's settings reads the
    // lists whole, as does the first change of a file of an earlier version
    // (which has no change feed, and opens unchanged until that write makes
    // one). Either way the lists equal a fresh read.
    void otherStationsChangeIsReadAsLogged_data()
    {
        QTest::addColumn<QString>("engine");
        QTest::addColumn<Change>("change");
        QTest::addColumn<bool>("whole");
        QTest::addColumn<bool>("earlier");
        const auto id = [](RaceSession& s, const char* number) { return s.startNumbers().first(QLatin1String(number)); };
        const QList<std::tuple<const char*, Change, bool>> changes{
            {"add", [](RaceSession& o, const DbLocation&) { return o.addCompetitor(entry("30", "Eva")).ok(); }, false},
            {"edit", [=](RaceSession& o, const DbLocation&) { return o.editCompetitor(id(o, "12"), entry("13", "Ivo")).ok(); }, false},
            {"delete a finisher", [=](RaceSession& o, const DbLocation&) { return o.deleteCompetitor(id(o, "7"), true).ok(); }, false},
            {"finish", [](RaceSession& o, const DbLocation&) { return o.enterFinish("12", "00:39:00").ok(); }, false},
            {"finish removed", [=](RaceSession& o, const DbLocation&) { return o.removeFinish(id(o, "7")).ok(); }, false},
            // The statuses table is made by a connection that wrote before.
            {"status", [=](RaceSession& o, const DbLocation&) {
                 return o.addCompetitor(entry("31", "Iva")).ok() && o.setRunState(id(o, "7"), RunState::Dsq, "x").ok();
             }, false},
            {"import", [](RaceSession& o, const DbLocation&) {
                 QList<Competitor> many;
                 for (int i = 40; i < 43; ++i) {
                     Competitor c;
                     c.sbroj = QString::number(i);
                     c.ime = QStringLiteral("Uvoz");
                     c.spol = QStringLiteral("Ž");
                     c.datum = QDate(1990, 1, 1);
                     many << c;
                 }
                 return o.addCompetitors(many).ok();
             }, false},
            {"undo", [](RaceSession& o, const DbLocation&) {
                 EditLog log(o);
                 return o.enterFinish("12", "00:38:00").ok() && log.sync().ok() && log.undo().ok();
             }, false},
            {"settings", [](RaceSession& o, const DbLocation&) { return o.setSettings(false, QString()).ok(); }, true},
            {"no log", [](RaceSession& o, const DbLocation& where) {
                 const QString sql = QStringLiteral("update startna set ime = 'Bez dnevnika' where idutrke = %1").arg(o.race().id);
                 if (where.isPostgres())
                     return testutil::PgServer::exec(where, {sql});
                 testutil::execOnFile(where.filePath, sql);
                 return true;
             }, false},
        };
        for (const char* engine : {"sqlite", "postgresql"}) {
            for (const auto& [name, change, whole] : changes)
                QTest::addRow("%s %s", engine, name) << QString::fromLatin1(engine) << change << whole << false;
        }
        QTest::newRow("sqlite earlier file") << QStringLiteral("sqlite") << std::get<1>(changes.first()) << true << true;
        // A new file that only other programs wrote to notes their changes too.
        QTest::newRow("sqlite new file filled elsewhere") << QStringLiteral("sqlite") << std::get<1>(changes.last()) << false << false;
    }

    void otherStationsChangeIsReadAsLogged()
    {
        QFETCH(QString, engine);
        QFETCH(Change, change);
        QFETCH(bool, whole);
        QFETCH(bool, earlier);
        testutil::TempDb tmp;
        DbLocation where = DbLocation::sqliteFile(tmp.path());
        if (engine == QLatin1String("postgresql")) {
            if (!testutil::PgServer::instance())
                QSKIP(qPrintable(testutil::PgServer::unavailableReason()));
            where = testutil::PgServer::instance()->newDatabase();
        }
        qint64 race = 0;
        if (QByteArray(QTest::currentDataTag()).endsWith("filled elsewhere")) {
            {
                RaceSession made(where);
                QVERIFY(made.database().open());
            }
            testutil::execOnFile(where.filePath, "insert into utrke (ime, org, datum, da) values ('Utrka', 'AK', '2010-06-01', 'y')");
            testutil::execOnFile(where.filePath, "insert into startna (idutrke, sbroj, ime, drzava, klub, spol, datum) "
                                                 "select max(id), '12', 'Ivo', 'HRV', 'AK', 'M', '1980-01-01' from utrke");
            race = 1;
        } else {
            RaceSession made(where);
            QVERIFY(made.database().open());
            race = made.createRace(QStringLiteral("Utrka"), QStringLiteral("AK"), QStringLiteral("1.6.2010")).value().id;
            QVERIFY(made.addCompetitor(entry("7", "Ana")).ok());
            QVERIFY(made.addCompetitor(entry("12", "Ivo")).ok());
            QVERIFY(made.enterFinish("7", "00:40:00").ok());
        }
        if (earlier)
            dropFeed(where.filePath);
        const QByteArray before = earlier ? bytesOf(where.filePath) : QByteArray();
        auto opened = station(where, race);
        auto other = station(where, race);
        QVERIFY(opened && other);
        RaceSession& here = *opened;
        QCOMPARE(earlier ? bytesOf(where.filePath) : QByteArray(), before);
        QVERIFY(change(*other, where));

        QSignalSpy resets(here.startListModel(), &QAbstractItemModel::modelReset);
        QSignalSpy reloaded(&here, &RaceSession::listsReloaded);
        QVERIFY(here.refresh().ok());
        QCOMPARE(reloaded.count(), 1);
        QCOMPARE(resets.count(), whole ? 1 : 0);
        // Nothing more to read: the next look changes nothing.
        QVERIFY(here.refresh().ok());
        QCOMPARE(reloaded.count(), 1);
        auto fresh = station(where, race);
        QVERIFY(fresh);
        QCOMPARE(held(here), held(*fresh));
    }

    // PostgreSQL commits changes in any order of their feed keys: a change
    // whose transaction was still open at a look is read at a later one.
    void changeCommittedLateIsReadLater()
    {
        if (!testutil::PgServer::instance())
            QSKIP(qPrintable(testutil::PgServer::unavailableReason()));
        const DbLocation where = testutil::PgServer::instance()->newDatabase();
        RaceSession here(where);
        QVERIFY(here.database().open());
        const qint64 race = here.createRace(QStringLiteral("Utrka"), QStringLiteral("AK"), QStringLiteral("1.6.2010")).value().id;
        QVERIFY(here.addCompetitor(entry("7", "Ana")).ok());
        QVERIFY(here.addCompetitor(entry("12", "Ivo")).ok());
        // A slow writer's entry takes a key in the change feed, then its
        // transaction stays open while a quick station's finish commits.
        QSqlDatabase slow = QSqlDatabase::addDatabase(QStringLiteral("QPSQL"), QStringLiteral("slow"));
        slow.setHostName(where.host);
        slow.setDatabaseName(where.dbname);
        slow.setUserName(where.user);
        if (where.port > 0)
            slow.setPort(where.port);
        QVERIFY(slow.open());
        QVERIFY(slow.transaction());
        QSqlQuery q(slow);
        QVERIFY(q.exec(QStringLiteral("insert into startna (idutrke, sbroj, ime, spol) values (%1, '30', 'Eva', 'Ž') returning id")
                           .arg(race)) && q.next());
        const qint64 late = q.value(0).toLongLong();
        auto quick = station(where, race);
        QVERIFY(quick && quick->enterFinish("12", "00:42:00").ok());
        QVERIFY(here.refresh().ok());
        QCOMPARE(here.finishList().size(), 1);
        QCOMPARE(here.startList().size(), 2);
        QVERIFY(slow.commit());
        QSignalSpy resets(here.startListModel(), &QAbstractItemModel::modelReset);
        QVERIFY(here.refresh().ok());
        QCOMPARE(resets.count(), 0);
        QCOMPARE(here.startList().size(), 3);
        QCOMPARE(here.startList().last().id, late);
        slow.close();
        slow = QSqlDatabase();
        QSqlDatabase::removeDatabase(QStringLiteral("slow"));
    }

    // The status bar names a file by its full path and tells when it is gone.
    void statusBarTellsAFileGone()
    {
        testutil::TempDb tmp;
        frmkelvora w(tmp.path());
        auto* status = testutil::find<QLabel>(&w, QStringLiteral("lblbaza"));
        const QString path = QDir::toNativeSeparators(QFileInfo(tmp.path()).absoluteFilePath());
        QCOMPARE(status->text(), tx::statusDatabase(path, true));
        QVERIFY(QFile::remove(tmp.path()));
        QTRY_COMPARE_WITH_TIMEOUT(status->text(), tx::statusFileUnreachable(path), 2500);
    }
};

KVR_TEST_MAIN(TestLiveRefresh)
#include "test_liverefresh.moc"
