// SQLite and PostgreSQL side by side with a large race: one finish entry
// through the session (refresh, check and store in one write transaction,
// the list updated row by row), and a full read of the start list. The
// PostgreSQL server is the benchmark's own, started in a temporary folder as
// the tests start theirs. Size: 20,000 competitors, or the first argument.

#include "measure.h"
#include "app/racesession.h"
#include "data/database.h"
#include "pgserver.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QUuid>
#include <algorithm>
#include <cstdio>

using kvrbench::median;

namespace {

// n competitors with start numbers 1..n, written in one transaction through
// a connection of its own; returns the race's key.
qint64 fillRace(const DbLocation& l, int n)
{
    const QString name = QUuid::createUuid().toString();
    qint64 raceId = 0;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(l.isPostgres() ? QStringLiteral("QPSQL") : QStringLiteral("QSQLITE"), name);
        if (l.isPostgres()) {
            db.setHostName(l.host);
            db.setUserName(l.user);
            db.setDatabaseName(l.dbname);
        } else {
            db.setDatabaseName(l.filePath);
        }
        if (!db.open())
            qFatal("%s", qPrintable(db.lastError().text()));
        db.transaction();
        QSqlQuery q(db);
        q.exec(QStringLiteral("insert into utrke (ime, org, datum, da) values ('Bench', 'AK', '2010-06-01', 'y')"));
        q.exec(QStringLiteral("select max(id) from utrke"));
        q.next();
        raceId = q.value(0).toLongLong();
        QSqlQuery c(db);
        c.prepare(QStringLiteral("insert into startna (sbroj, idutrke, ime, drzava, klub, spol, datum) "
                                 "values (?, ?, ?, 'HRV', 'AK Split', ?, '1980-05-05')"));
        for (int i = 0; i < n; ++i) {
            c.addBindValue(QString::number(i + 1));
            c.addBindValue(raceId);
            c.addBindValue(QStringLiteral("Natjecatelj %1").arg(i + 1));
            c.addBindValue(i % 2 ? QStringLiteral("M") : QStringLiteral("Ž"));
            if (!c.exec())
                qFatal("%s", qPrintable(c.lastError().text()));
        }
        db.commit();
    }
    QSqlDatabase::removeDatabase(name);
    return raceId;
}

struct Figures {
    double finishMs = 0;
    double startListMs = 0;
    double refreshMs = 0;
};

Figures measure(const DbLocation& l, int n)
{
    Figures f;
    {
        // The tables are made at the first open.
        Database create(l);
        if (const DbStatus opened = create.open(); !opened)
            qFatal("%s", qPrintable(opened.error()));
    }
    const qint64 raceId = fillRace(l, n);
    RaceSession session(l);
    if (const DbStatus opened = session.database().open(); !opened)
        qFatal("%s", qPrintable(opened.error()));
    if (!session.openRace(raceId))
        qFatal("openRace failed");
    QList<double> finish;
    QList<double> refresh;
    QElapsedTimer t;
    for (int i = 0; i < 50; ++i) {
        const QString number = QString::number(1 + i * (n / 50));
        t.start();
        const auto entered = session.enterFinish(number, QStringLiteral("00:%1:00").arg(10 + i % 50, 2, 10, QLatin1Char('0')));
        finish.append(double(t.nsecsElapsed()) / 1e6);
        if (!entered)
            qFatal("enterFinish failed: %s", qPrintable(entered.refusal().message + entered.dbError()));
        t.start();
        session.refresh();
        refresh.append(double(t.nsecsElapsed()) / 1e6);
    }
    f.finishMs = median(finish);
    f.refreshMs = median(refresh);
    QList<double> reads;
    for (int i = 0; i < 7; ++i) {
        t.start();
        const auto list = session.database().startList(raceId);
        reads.append(double(t.nsecsElapsed()) / 1e6);
        if (!list || list.value().size() != n)
            qFatal("startList failed");
    }
    f.startListMs = median(reads);
    return f;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const int n = argc > 1 ? std::max(100, QString::fromLocal8Bit(argv[1]).toInt()) : 20000;

    QTemporaryDir dir;
    const Figures sqlite = measure(DbLocation::sqliteFile(dir.filePath(QStringLiteral("kvr.mdb"))), n);
    std::printf("bench_engines: %d competitors, medians in ms\n", n);
    std::printf("%-12s %14s %14s %18s\n", "engine", "finish entry", "refresh (none)", "start list read");
    std::printf("%-12s %14.2f %14.3f %18.1f\n", "SQLite", sqlite.finishMs, sqlite.refreshMs, sqlite.startListMs);
    testutil::PgServer* server = testutil::PgServer::instance();
    if (!server) {
        std::printf("%-12s skipped: %s\n", "PostgreSQL", qPrintable(testutil::PgServer::unavailableReason()));
        return 0;
    }
    const Figures postgres = measure(server->newDatabase(), n);
    std::printf("%-12s %14.2f %14.3f %18.1f\n", "PostgreSQL", postgres.finishMs, postgres.refreshMs,
                postgres.startListMs);
    return 0;
}
