// A shared PostgreSQL database that goes away in the middle of the work and
// comes back: what was acknowledged stays, what failed is not there, and the
// session goes on by itself.

#include "app/racesession.h"
#include "core/texts.h"
#include "data/database.h"
#include "pgserver.h"
#include "testutil.h"

#include <QElapsedTimer>
#include <QProcess>
#include <QSet>
#include <QThread>
#include <cstdio>
#include <csignal>
#include <memory>

using testutil::PgServer;

namespace {

const QString kPassword = QStringLiteral("Tajna-lozinka-77");

rules::CompetitorEntry entry(int number)
{
    return {QStringLiteral("Trkač %1").arg(number), QString::number(number), QStringLiteral("HRV"),
            QStringLiteral("AK Split"), number % 2 ? QStringLiteral("M") : QStringLiteral("Ž"),
            QStringLiteral("1.2.1980")};
}

// Distinct times in finishing order.
QString timeOf(int number)
{
    return QTime(0, 30).addSecs(number * 7).toString(QStringLiteral("hh:mm:ss"));
}

QSet<QString> numbersOf(const QList<FinishRecord>& list)
{
    QSet<QString> numbers;
    for (const FinishRecord& r : list)
        numbers.insert(r.sbroj);
    return numbers;
}

// Whether the process runs (a zombie waiting for its parent does not).
bool running(qint64 pid)
{
    QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
    if (!stat.open(QIODevice::ReadOnly))
        return false;
    const QByteArray line = stat.readAll();
    return line.mid(line.lastIndexOf(')') + 2, 1) != "Z";
}

} // namespace

class TestReconnect : public QObject {
    Q_OBJECT

private slots:
    void cleanup()
    {
        // A failed case must not leave the server down for the next one.
        if (PgServer* server = PgServer::instance())
            server->restart();
    }

    void serverStoppedInTheMiddleOfARunOfEntries_data()
    {
        QTest::addColumn<int>("before"); // entries acknowledged before the server stops
        QTest::addColumn<int>("during"); // entries tried while it is down
        QTest::newRow("after 30 entries") << 30 << 20;
        QTest::newRow("before the first entry") << 0 << 5;
    }

    void serverStoppedInTheMiddleOfARunOfEntries()
    {
        QFETCH(int, before);
        QFETCH(int, during);
        PgServer* server = PgServer::instance();
        if (!server)
            QSKIP(qPrintable(PgServer::unavailableReason()));
        // The test server trusts every local connection and never asks for
        // the password, so a location may carry one: no message may show it.
        DbLocation where = server->newDatabase();
        where.password = kPassword;

        RaceSession session(where);
        QVERIFY(session.database().open().ok());
        QVERIFY(session.createRace(QStringLiteral("Utrka"), QStringLiteral("AK"), QStringLiteral("1.6.2010")).ok());
        const qint64 raceId = session.race().id;
        for (int n = 1; n <= 100; ++n)
            QVERIFY(session.addCompetitor(entry(n)).ok());

        QSet<QString> acknowledged;
        for (int n = 1; n <= before; ++n) {
            if (session.enterFinish(QString::number(n), timeOf(n)).ok())
                acknowledged.insert(QString::number(n));
        }
        QCOMPARE(acknowledged.size(), before);

        QVERIFY(server->stop());
        QSet<QString> failed;
        for (int n = before + 1; n <= before + during; ++n) {
            const auto outcome = session.enterFinish(QString::number(n), timeOf(n));
            if (outcome.ok()) {
                acknowledged.insert(QString::number(n));
                continue;
            }
            failed.insert(QString::number(n));
            QCOMPARE(outcome.kind(), Outcome<FinishRecord>::Kind::DbFailed);
            QVERIFY2(!outcome.dbError().isEmpty(), "the database's own text");
            QVERIFY2(!outcome.dbError().contains(kPassword), qPrintable(outcome.dbError()));
        }
        QCOMPARE(failed.size(), during);
        // The session's own list holds only what was stored.
        QCOMPARE(numbersOf(session.finishList()), acknowledged);

        QVERIFY(server->restart());

        {
            RaceSession fresh(where);
            QVERIFY(fresh.database().open().ok());
            QVERIFY(fresh.openRace(raceId).ok());
            QCOMPARE(numbersOf(fresh.finishList()), acknowledged);
            QVERIFY(!numbersOf(fresh.finishList()).intersects(failed));
        }

        // The old session connects again at its next action.
        const auto next = session.enterFinish(QStringLiteral("100"), timeOf(100));
        // The session connects again by itself.
        QVERIFY2(next.ok(), qPrintable(next.dbError()));
    }

    // One station's connection drops while another goes on entering: once
    // it connects again, its lists hold what the other stored meanwhile.
    void droppedStationReadsWhatOthersStoredMeanwhile()
    {
        PgServer* server = PgServer::instance();
        if (!server)
            QSKIP(qPrintable(PgServer::unavailableReason()));
        const DbLocation location = server->newDatabase();
        RaceSession a(location);
        QVERIFY(a.database().open().ok());
        QVERIFY(a.createRace(QStringLiteral("Utrka"), QStringLiteral("AK"), QStringLiteral("1.6.2010")).ok());
        for (int n = 1; n <= 10; ++n)
            QVERIFY(a.addCompetitor(entry(n)).ok());
        RaceSession b(location);
        QVERIFY(b.database().open().ok());
        QVERIFY(b.openRace(a.race().id).ok());

        // A's connection is cut by the server, as a dropped network would.
        QVERIFY(PgServer::exec(location, {QStringLiteral("select pg_terminate_backend(pid) from pg_stat_activity "
                                                         "where datname = current_database() and pid <> pg_backend_pid()")}));
        QVERIFY(b.database().open().ok()); // b was cut too; it starts again
        QVERIFY(b.openRace(a.race().id).ok());
        for (int n = 1; n <= 4; ++n)
            QVERIFY(b.enterFinish(QString::number(n), timeOf(n)).ok());

        // The read that finds the connection gone reads again on a new one.
        QVERIFY(a.refresh().ok());
        QCOMPARE(numbersOf(a.finishList()), (QSet<QString>{"1", "2", "3", "4"}));
        QCOMPARE(a.enterFinish(QStringLiteral("1"), timeOf(1)).refusal().message, tx::finisherAlreadyEntered());
    }

    // The server restarts while the station waits for the next runner: it
    // connects again by itself, reads what another station stored meanwhile,
    // and the first entry after the restart is stored. Unwatched, the first
    // entry finds the connection dead and is stored on a new one.
    void serverRestartWhileIdle_data()
    {
        QTest::addColumn<bool>("watching");
        QTest::newRow("window watching") << true;
        QTest::newRow("nobody looking") << false;
    }

    void serverRestartWhileIdle()
    {
        QFETCH(bool, watching);
        PgServer* server = PgServer::instance();
        if (!server)
            QSKIP(qPrintable(PgServer::unavailableReason()));
        const DbLocation location = server->newDatabase();
        RaceSession a(location);
        QVERIFY(a.database().open().ok());
        QVERIFY(a.createRace(QStringLiteral("Utrka"), QStringLiteral("AK"), QStringLiteral("1.6.2010")).ok());
        for (int n = 1; n <= 5; ++n)
            QVERIFY(a.addCompetitor(entry(n)).ok());
        if (watching)
            a.watch(50);
        QTest::qWait(100);

        QVERIFY(server->stop());
        if (watching)
            QTest::qWait(300); // the driver sees its socket closed
        QVERIFY(server->restart());
        {
            RaceSession b(location);
            QVERIFY(b.database().open().ok());
            QVERIFY(b.openRace(a.race().id).ok());
            QVERIFY(b.enterFinish(QStringLiteral("1"), timeOf(1)).ok());
        }
        if (watching) {
            QTRY_COMPARE_WITH_TIMEOUT(numbersOf(a.finishList()), QSet<QString>{QStringLiteral("1")}, 5000);
            QVERIFY(a.connected());
        }
        const auto first = a.enterFinish(QStringLiteral("2"), timeOf(2));
        QVERIFY2(first.ok(), qPrintable(first.dbError()));
        QCOMPARE(numbersOf(a.finishList()), (QSet<QString>{"1", "2"}));
    }

    // The server stops answering (its processes frozen, as packets dropped
    // by a network would leave it): the window's thread goes on, the session
    // says the connection is lost within 10 s, a user action fails after at
    // most the connect timeout with nothing stored, and once the server
    // answers again the session connects by itself.
    void stalledServerNeverFreezesTheWindow()
    {
        PgServer* server = PgServer::instance();
        if (!server)
            QSKIP(qPrintable(PgServer::unavailableReason()));
        const DbLocation location = server->newDatabase();
        RaceSession s(location);
        QVERIFY(s.database().open().ok());
        QVERIFY(s.createRace(QStringLiteral("Utrka"), QStringLiteral("AK"), QStringLiteral("1.6.2010")).ok());
        for (int n = 1; n <= 3; ++n)
            QVERIFY(s.addCompetitor(entry(n)).ok());
        s.watch(200);
        QTest::qWait(600); // the background look has its connection

        QFile pidFile(server->socketDir() + QStringLiteral("/data/postmaster.pid"));
        QVERIFY(pidFile.open(QIODevice::ReadOnly));
        QList<qint64> frozen{pidFile.readLine().trimmed().toLongLong()};
        for (const QString& pid : PgServer::query(location, QStringLiteral("select pid from pg_stat_activity where "
                                                                           "datname = current_database() and "
                                                                           "pid <> pg_backend_pid()"))
                                      .split(QLatin1Char('|'), Qt::SkipEmptyParts))
            frozen.append(pid.toLongLong());
        QVERIFY(frozen.size() >= 3); // the postmaster, the session's and the look's connections
        struct Thaw {
            QList<qint64> pids;
            ~Thaw()
            {
                for (qint64 pid : pids)
                    ::kill(pid_t(pid), SIGCONT);
            }
        } thaw{frozen};
        for (qint64 pid : frozen)
            QCOMPARE(::kill(pid_t(pid), SIGSTOP), 0);

        QElapsedTimer clock;
        clock.start();
        while (s.connected() && clock.elapsed() < 12000) {
            QElapsedTimer step;
            step.start();
            QTest::qWait(100);
            QVERIFY2(step.elapsed() < 1000, "the thread waited on the server");
        }
        QVERIFY(!s.connected());
        QVERIFY2(clock.elapsed() < 10000, qPrintable(QString::number(clock.elapsed())));

        clock.restart();
        const auto refused = s.enterFinish(QStringLiteral("1"), timeOf(1));
        QCOMPARE(refused.kind(), Outcome<FinishRecord>::Kind::DbFailed);
        QVERIFY2(clock.elapsed() < 12000, qPrintable(QString::number(clock.elapsed())));
        QVERIFY(s.finishList().isEmpty());

        for (qint64 pid : frozen)
            ::kill(pid_t(pid), SIGCONT);
        QTRY_VERIFY_WITH_TIMEOUT(s.connected(), 5000);
        const auto stored = s.enterFinish(QStringLiteral("1"), timeOf(1));
        QVERIFY2(stored.ok(), qPrintable(stored.dbError()));
    }

    // The server wants a password the address lacks: the window asks for it,
    // masked, again after a wrong one; a cancel ends with the usual message.
    void windowAsksForAMissingPassword_data()
    {
        QTest::addColumn<QStringList>("typed");
        QTest::addColumn<bool>("ready");
        QTest::newRow("right at once") << QStringList{"Tajna-88"} << true;
        QTest::newRow("wrong, then right") << QStringList{"kriva", "Tajna-88"} << true;
        QTest::newRow("cancelled") << QStringList{} << false;
    }

    void windowAsksForAMissingPassword()
    {
        QFETCH(QStringList, typed);
        QFETCH(bool, ready);
        PgServer* server = PgServer::instance();
        if (!server)
            QSKIP(qPrintable(PgServer::unavailableReason()));
        const DbLocation where = server->newDatabaseWithPassword(QStringLiteral("sudac"), QStringLiteral("Tajna-88"));
        MessageBox::clearShown();
        for (const QString& password : typed)
            MessageBox::setNextPassword(password);
        frmkelvora window(where);
        QCOMPARE(window.databaseReady(), ready);
        const QList<MessageBox::Shown> shown = MessageBox::shown();
        QCOMPARE(shown.size(), ready ? typed.size() : 2); // a cancel: the question, then the notice
        for (qsizetype i = 0; i < typed.size() || (i == 0 && !ready); ++i) {
            QCOMPARE(shown.at(i).title, tx::dbPasswordTitle());
            QCOMPARE(shown.at(i).text, tx::dbPasswordPrompt(where.displayName()));
            QVERIFY(shown.at(i).masked);
        }
        for (const MessageBox::Shown& box : shown)
            QVERIFY(!box.text.contains(QStringLiteral("Tajna-88")) && !box.text.contains(QStringLiteral("kriva")));
    }

    // Run only as the child of leftOverServerOfAKilledRunIsStopped: starts
    // its server, tells its folder and waits to be killed.
    void holdServerUntilKilled()
    {
        if (qEnvironmentVariableIsEmpty("KVR_HOLD_SERVER"))
            QSKIP("runs only as a child of leftOverServerOfAKilledRunIsStopped");
        PgServer* server = PgServer::instance();
        QVERIFY(server);
        std::printf("KVR_SERVER_DIR=%s\n", qPrintable(server->socketDir()));
        std::fflush(stdout);
        QThread::sleep(120);
    }

    // A test program killed half-way leaves its server running: the next
    // test program stops it and removes its folder, and leaves its own and
    // those of programs still running alone.
    void leftOverServerOfAKilledRunIsStopped()
    {
        PgServer* server = PgServer::instance();
        if (!server)
            QSKIP(qPrintable(PgServer::unavailableReason()));
        QProcess child;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("KVR_HOLD_SERVER"), QStringLiteral("1"));
        child.setProcessEnvironment(environment);
        child.start(QCoreApplication::applicationFilePath(), {QStringLiteral("holdServerUntilKilled")});
        QString folder;
        QElapsedTimer clock;
        clock.start();
        QByteArray output;
        while (folder.isEmpty() && !clock.hasExpired(60000) && child.state() != QProcess::NotRunning) {
            child.waitForReadyRead(500);
            output += child.readAllStandardOutput();
            const qsizetype at = output.indexOf("KVR_SERVER_DIR=");
            if (at >= 0 && output.indexOf('\n', at) > at)
                folder = QString::fromLocal8Bit(output.mid(at + 15, output.indexOf('\n', at) - at - 15));
        }
        QVERIFY2(!folder.isEmpty(), output.constData());
        QFile pidFile(folder + QStringLiteral("/data/postmaster.pid"));
        QVERIFY(pidFile.open(QIODevice::ReadOnly));
        const qint64 postmaster = pidFile.readLine().trimmed().toLongLong();
        pidFile.close();
        QVERIFY(running(postmaster));
        QCOMPARE(PgServer::stopLeftOvers(), 0); // its program still runs

        child.kill();
        QVERIFY(child.waitForFinished());
        QVERIFY(running(postmaster));
        QCOMPARE(PgServer::stopLeftOvers(), 1);
        QVERIFY(!QFileInfo::exists(folder));
        QTRY_VERIFY(!running(postmaster));
        // This program's own server goes on.
        QVERIFY(PgServer::exec(server->location(QStringLiteral("postgres")), {QStringLiteral("select 1")}));
    }
};

KVR_TEST_MAIN(TestReconnect)
#include "test_reconnect.moc"
