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
#include <csignal>
#include <cstdio>
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

} // namespace

class TestReconnect : public QObject {
    Q_OBJECT

    DbLocation m_location;
    std::unique_ptr<RaceSession> m_session;

    // A session on a new database with a race of five competitors, looking
    // for changes every watchMs (0: not at all); null without a server.
    RaceSession* startedSession(int watchMs)
    {
        if (!PgServer::instance())
            return nullptr;
        m_location = PgServer::instance()->newDatabase();
        m_session = std::make_unique<RaceSession>(m_location);
        if (!m_session->database().open() || !m_session->createRace("Utrka", "AK", "1.6.2010"))
            return nullptr;
        for (int n = 1; n <= 5; ++n)
            m_session->addCompetitor(entry(n));
        if (watchMs > 0)
            m_session->watch(watchMs);
        QTest::qWait(600); // the background look has its connection
        return m_session.get();
    }

private slots:
    void cleanup()
    {
        m_session.reset();
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

        QVERIFY(a.refresh().ok()); // a read finding the connection gone reads again on a new one
        QCOMPARE(numbersOf(a.finishList()), (QSet<QString>{"1", "2", "3", "4"}));
        QCOMPARE(a.enterFinish(QStringLiteral("1"), timeOf(1)).refusal().message, tx::finisherAlreadyEntered());
    }

    // A server restart while the station is idle: watching, it connects by
    // itself and reads what another stored meanwhile; either way the first
    // entry after the restart is stored.
    void serverRestartWhileIdle_data()
    {
        QTest::addColumn<bool>("watching");
        QTest::addColumn<bool>("storeFirst"); // the first call a store, with no read before it
        QTest::newRow("window watching") << true << false;
        QTest::newRow("nobody looking") << false << false;
        QTest::newRow("nobody looking, a store first") << false << true;
    }

    void serverRestartWhileIdle()
    {
        QFETCH(bool, watching);
        QFETCH(bool, storeFirst);
        RaceSession* a = startedSession(watching ? 50 : 0);
        if (!a)
            QSKIP(qPrintable(PgServer::unavailableReason()));
        QVERIFY(PgServer::instance()->stop());
        QTest::qWait(watching ? 300 : 0); // the driver sees its socket closed
        QVERIFY(PgServer::instance()->restart());
        if (storeFirst) {
            Competitor c;
            c.idutrke = a->race().id;
            c.sbroj = QStringLiteral("99");
            const auto stored = a->database().insertCompetitorIfNumberFree(c);
            QVERIFY2(stored.ok(), qPrintable(stored.ok() ? QString() : QString(stored.error())));
        }
        RaceSession b(m_location);
        QVERIFY(b.database().open().ok() && b.openRace(a->race().id).ok());
        QVERIFY(b.enterFinish(QStringLiteral("1"), timeOf(1)).ok());
        if (watching)
            QTRY_COMPARE_WITH_TIMEOUT(numbersOf(a->finishList()), QSet<QString>{QStringLiteral("1")}, 5000);
        const auto first = a->enterFinish(QStringLiteral("2"), timeOf(2));
        QVERIFY2(first.ok(), qPrintable(first.dbError()));
    }

    // Frozen server processes (as a network dropping packets leaves them):
    // an entry made at once, or after the background look noticed, is
    // refused within the two seconds a statement may go unanswered (never
    // the whole stall), in the program's words; the thread is never held up
    // otherwise, and the session connects again by itself.
    void stalledServerNeverFreezesTheWindow_data()
    {
        QTest::addColumn<bool>("waitForTheLook");
        QTest::newRow("entry at once") << false;
        QTest::newRow("entry after the look noticed") << true;
    }

    void stalledServerNeverFreezesTheWindow()
    {
        QFETCH(bool, waitForTheLook);
        RaceSession* s = startedSession(200);
        if (!s)
            QSKIP(qPrintable(PgServer::unavailableReason()));
        QFile pidFile(PgServer::instance()->socketDir() + QStringLiteral("/data/postmaster.pid"));
        QVERIFY(pidFile.open(QIODevice::ReadOnly));
        QStringList pids = PgServer::query(m_location, QStringLiteral("select pid from pg_stat_activity where datname "
                                                                      "= current_database() and pid <> pg_backend_pid()"))
                               .split(QLatin1Char('|')) << QString::fromLatin1(pidFile.readLine().trimmed());
        const auto signal = [&](int sig) { for (const QString& pid : pids) ::kill(pid.toInt(), sig); };
        const std::shared_ptr<void> thaw(nullptr, [&](void*) { signal(SIGCONT); });
        signal(SIGSTOP);
        QElapsedTimer clock, step;
        clock.start();
        while (waitForTheLook && s->connected() && !clock.hasExpired(10000)) {
            step.start();
            QTest::qWait(100);
            QVERIFY2(step.elapsed() < 1000, "the thread waited on the server");
        }
        QVERIFY(!waitForTheLook || !s->connected());
        clock.restart();
        const auto refused = s->enterFinish(QStringLiteral("1"), timeOf(1));
        QCOMPARE(refused.kind(), Outcome<FinishRecord>::Kind::DbFailed);
        QCOMPARE(tx::dbErrorExplained(refused.dbError()), tx::dbUnreachable());
        QVERIFY2(clock.elapsed() < 4000, qPrintable(QString::number(clock.elapsed())));
        signal(SIGCONT);
        QTRY_VERIFY_WITH_TIMEOUT(s->connected(), 5000);
        const auto stored = s->enterFinish(QStringLiteral("1"), timeOf(1));
        QVERIFY2(stored.ok(), qPrintable(tx::dbErrorExplained(stored.dbError())));
        QCOMPARE(numbersOf(s->finishList()), QSet<QString>{QStringLiteral("1")});
    }

    // The server wants a password the address lacks: the window asks, masked,
    // again after a wrong one; a cancel ends with the usual notice.
    void windowAsksForAMissingPassword_data()
    {
        QTest::addColumn<QStringList>("typed");
        QTest::addColumn<int>("shown");
        QTest::newRow("right") << QStringList{"Tajna-88"} << 1;
        QTest::newRow("wrong, then right") << QStringList{"kriva", "Tajna-88"} << 2;
        QTest::newRow("cancelled") << QStringList{} << 2;
    }

    void windowAsksForAMissingPassword()
    {
        QFETCH(QStringList, typed);
        QFETCH(int, shown);
        if (!PgServer::instance())
            QSKIP(qPrintable(PgServer::unavailableReason()));
        const DbLocation where = PgServer::instance()->newDatabaseWithPassword("sudac", "Tajna-88");
        MessageBox::clearShown();
        for (const QString& password : typed)
            MessageBox::setNextPassword(password);
        frmkelvora window(where);
        QCOMPARE(window.databaseReady(), !typed.isEmpty());
        QCOMPARE(MessageBox::shown().size(), shown);
        QCOMPARE(MessageBox::shown().first().text, tx::dbPasswordPrompt(where.displayName()));
        QVERIFY(MessageBox::shown().first().masked);
        QVERIFY(!MessageBox::last().text.contains(QStringLiteral("Tajna-88")));
    }

    // The child of leftOverServerOfAKilledRunIsStopped: starts its server,
    // tells its folder and waits to be killed.
    void holdServerUntilKilled()
    {
        if (qEnvironmentVariableIsEmpty("KVR_HOLD_SERVER") || !PgServer::instance())
            QSKIP("runs as a child of leftOverServerOfAKilledRunIsStopped");
        std::printf("\n%s\n", qPrintable(PgServer::instance()->socketDir()));
        std::fflush(stdout);
        QThread::sleep(120);
    }

    // A test program killed half-way leaves its server: the next one stops
    // it, and leaves those of programs still running alone.
    void leftOverServerOfAKilledRunIsStopped()
    {
        if (!PgServer::instance())
            QSKIP(qPrintable(PgServer::unavailableReason()));
        QProcess child;
        child.setProcessEnvironment([] { auto e = QProcessEnvironment::systemEnvironment(); e.insert("KVR_HOLD_SERVER", "1"); return e; }());
        child.start(QCoreApplication::applicationFilePath(), {QStringLiteral("holdServerUntilKilled")});
        QString folder;
        while (folder.isEmpty() && (child.canReadLine() || child.waitForReadyRead(60000))) {
            if (const QString line = QString::fromLocal8Bit(child.readLine().trimmed()); line.startsWith("/tmp/kvrpg-"))
                folder = line;
        }
        QFile pidFile(folder + QStringLiteral("/data/postmaster.pid"));
        QVERIFY2(pidFile.open(QIODevice::ReadOnly), qPrintable(folder));
        const QString postmaster = QStringLiteral("/proc/%1/stat").arg(QString::fromLatin1(pidFile.readLine().trimmed()));
        const auto running = [&] { QFile f(postmaster); return f.open(QIODevice::ReadOnly) && !f.readAll().contains(") Z "); };
        QCOMPARE(PgServer::stopLeftOvers(), 0); // its program still runs
        child.kill();
        QVERIFY(child.waitForFinished() && running());
        QCOMPARE(PgServer::stopLeftOvers(), 1);
        QVERIFY(!QFileInfo::exists(folder));
        QTRY_VERIFY(!running());
        QVERIFY(PgServer::exec(PgServer::instance()->location(QStringLiteral("postgres")), {QStringLiteral("select 1")}));
    }
};

KVR_TEST_MAIN(TestReconnect)
#include "test_reconnect.moc"
