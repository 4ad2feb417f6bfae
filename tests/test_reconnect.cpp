// A shared PostgreSQL database that goes away in the middle of the work and
// comes back: what was acknowledged stays, what failed is not there, and the
// session goes on by itself.

#include "app/racesession.h"
#include "core/texts.h"
#include "data/database.h"
#include "pgserver.h"
#include "testutil.h"

#include <QSet>
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

        QVERIFY(!a.refresh().ok());     // the call that finds the connection gone fails
        QVERIFY(a.refresh().ok());      // the next one connects again
        QCOMPARE(numbersOf(a.finishList()), (QSet<QString>{"1", "2", "3", "4"}));
        QCOMPARE(a.enterFinish(QStringLiteral("1"), timeOf(1)).refusal().message, tx::finisherAlreadyEntered());
    }
};

KVR_TEST_MAIN(TestReconnect)
#include "test_reconnect.moc"
