// The change log of a race of 100,000 changes opened as the log's window
// opens it, and what logging adds to one finish entry.

#include "app/editlog.h"
#include "app/racesession.h"
#include "data/database.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <cstdio>

namespace {

Competitor runner(int i)
{
    Competitor c;
    c.sbroj = QString::number(i + 1);
    c.ime = QStringLiteral("Takmičar %1").arg(i + 1);
    c.drzava = QStringLiteral("HRV");
    c.klub = QStringLiteral("AK %1").arg(i % 40);
    c.spol = i % 2 ? QStringLiteral("M") : QStringLiteral("Ž");
    c.datum = QDate(1940 + i % 60, 1 + i % 12, 1 + i % 28);
    return c;
}

QString timeOf(int i)
{
    return QStringLiteral("%1:%2:%3").arg(1 + i / 3600, 2, 10, QLatin1Char('0')).arg(i / 60 % 60, 2, 10, QLatin1Char('0'))
        .arg(i % 60, 2, 10, QLatin1Char('0'));
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    // A folder may be given (one on tmpfs tells the work apart from the disk's waits).
    QTemporaryDir dir(argc > 1 ? QString::fromLocal8Bit(argv[1]) + QStringLiteral("/kvrbench-XXXXXX") : QString());
    RaceSession session(dir.filePath(QStringLiteral("kvr.mdb")));
    if (!session.database().open() || !session.createRace(QStringLiteral("Velika"), QStringLiteral("AK"), QStringLiteral("1.6.2010")))
        return 1;

    // 20,000 entries, their 20,000 finishes and three more imports of
    // 20,000 unnumbered entries: 100,000 changes of one race.
    QElapsedTimer timer;
    timer.start();
    QList<Competitor> entries;
    for (int i = 0; i < 20000; ++i)
        entries.append(runner(i));
    if (!session.addCompetitors(entries))
        return 1;
    const qint64 importMs = timer.elapsed();
    QList<FinishRecord> finishes;
    for (const Competitor& c : session.startList())
        finishes.append({0, c.id, 0, c.sbroj, timeOf(int(finishes.size()))});
    if (!session.addFinishRecords(finishes))
        return 1;
    for (int round = 0; round < 3; ++round) {
        for (Competitor& c : entries)
            c.sbroj.clear();
        if (!session.addCompetitors(entries))
            return 1;
    }

    timer.restart();
    const auto log = editlog::raceLog(session, session.race().id);
    const qint64 readMs = timer.elapsed();
    ChangeLogModel model;
    model.setLog(log.value(), editlog::whoOf(log.value(), session.startList()));
    const qint64 openMs = timer.elapsed();
    model.setFilter({}, {}, QStringLiteral("12345"));
    const qint64 filterMs = timer.elapsed() - openMs;

    // One finish entry with its log entry, against the same statements
    // without it (the check and the insert in a write transaction).
    const qint64 race2 = session.createRace(QStringLiteral("Mala"), QStringLiteral("AK"), QStringLiteral("2.6.2010")).value().id;
    entries = entries.mid(0, 1000);
    for (int i = 0; i < entries.size(); ++i)
        entries[i].sbroj = QString::number(i + 1);
    session.addCompetitors(entries);
    // Alternately, so that the disk's moods fall on both alike.
    constexpr int kEntries = 300;
    qint64 loggedNs = 0;
    qint64 plainNs = 0;
    {
        // A copy of the file on the same disk: writes to the session's own
        // file would make it read its lists again before every entry.
        QFile::copy(dir.filePath(QStringLiteral("kvr.mdb")), dir.filePath(QStringLiteral("kopija.mdb")));
        QSqlDatabase raw = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("raw"));
        raw.setDatabaseName(dir.filePath(QStringLiteral("kopija.mdb")));
        raw.open();
        QSqlQuery q(raw);
        q.exec(QStringLiteral("pragma synchronous = full"));
        const QList<Competitor> list = session.startList();
        for (int i = 0; i < kEntries; ++i) {
            timer.restart();
            session.enterFinish(QString::number(i + 1), timeOf(i));
            loggedNs += timer.nsecsElapsed();
            const Competitor& c = list.at(kEntries + i);
            timer.restart();
            q.exec(QStringLiteral("begin immediate"));
            q.prepare(QStringLiteral("select 1 from rezultati where idutrke = ? and idtakmicara = ? limit 1"));
            q.addBindValue(race2);
            q.addBindValue(c.id);
            q.exec();
            q.prepare(QStringLiteral("insert into rezultati (idutrke, sbroj, idtakmicara, vrijeme) values (?, ?, ?, ?)"));
            q.addBindValue(race2);
            q.addBindValue(c.sbroj);
            q.addBindValue(c.id);
            q.addBindValue(timeOf(i));
            q.exec();
            q.exec(QStringLiteral("commit"));
            plainNs += timer.nsecsElapsed();
        }
    }
    const double loggedMs = double(loggedNs) / 1e6 / kEntries;
    const double plainMs = double(plainNs) / 1e6 / kEntries;
    QSqlDatabase::removeDatabase(QStringLiteral("raw"));

    std::printf("log of one race: %d changes (first import of 20,000 took %lld ms)\n", int(log.value().size()), importMs);
    std::printf("log read:                      %lld ms\n", readMs);
    std::printf("log opened (read, names, list): %lld ms (goal: under 300)\n", openMs);
    std::printf("filtered by a start number:    %lld ms\n", filterMs);
    std::printf("finish entry with its log:     %.3f ms\n", loggedMs);
    std::printf("the same statements, no log:   %.3f ms\n", plainMs);
    std::printf("logging adds:                  %.3f ms (goal: under 1)\n", loggedMs - plainMs);
    return 0;
}
