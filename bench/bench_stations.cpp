// Two stations racing each other on one race, as on race day: station A
// adds runner 9 and removes him again (a delete, or an undo of the add)
// while station B, on a thread of its own, stores a time for the runner 9 it
// sees as fast as it can. Each try is one add and one removal; at the end
// the finish records without their runner are counted (none may be left),
// with the times B stored and those it was told were refused.
//
// bench_stations [TRIES]   (default 1000 for each engine and removal)

#include "app/editlog.h"
#include "app/racesession.h"
#include "data/database.h"
#include "pgserver.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QThread>
#include <atomic>
#include <cstdio>
#include <thread>

namespace {

rules::CompetitorEntry entry(const QString& number, const QString& name)
{
    return {name, number, QStringLiteral("HRV"), QStringLiteral("AK"), QStringLiteral("M"), QStringLiteral("1.2.1980")};
}

std::unique_ptr<RaceSession> station(const DbLocation& where, const QString& name, qint64 race)
{
    auto s = std::make_unique<RaceSession>(where);
    if (!s->database().open())
        return nullptr;
    s->database().setStation(name, QStringLiteral("korisnik"));
    if (race && !s->openRace(race))
        return nullptr;
    return s;
}

struct Tally {
    int orphans = -1, stored = 0, refused = 0;
    qint64 ms = 0;
};

Tally race(const DbLocation& where, bool byUndo, int tries)
{
    Tally out;
    qint64 raceId = 0;
    {
        auto setup = station(where, QStringLiteral("A"), 0);
        if (!setup)
            return out;
        raceId = setup->createRace(QStringLiteral("Utrka"), QStringLiteral("AK"), QStringLiteral("1.6.2010")).value().id;
        setup->addCompetitor(entry(QStringLiteral("1"), QStringLiteral("Ana")));
    }
    std::atomic<bool> done = false;
    std::atomic<int> stored = 0, refused = 0;
    std::thread b([&] {
        auto s = station(where, QStringLiteral("B"), raceId);
        while (s && !done) {
            s->refresh();
            const Competitor* nine = nullptr;
            for (const Competitor& c : s->startList())
                if (c.sbroj == QLatin1String("9"))
                    nine = &c;
            if (!nine)
                continue;
            FinishRecord r;
            r.idutrke = raceId;
            r.idtakmicara = nine->id;
            r.sbroj = nine->sbroj;
            r.vrijeme = QStringLiteral("00:50:00");
            const auto id = s->database().insertFinishRecordIfNone(r);
            stored += id.ok();
            refused += !id.ok() && id.error().isGone();
        }
    });
    auto a = station(where, QStringLiteral("A"), raceId);
    QElapsedTimer clock;
    clock.start();
    EditLog log(*a);
    for (int i = 0; a && i < tries; ++i) {
        const auto added = a->addCompetitor(entry(QStringLiteral("9"), QStringLiteral("Devet")));
        if (!added.ok())
            continue;
        QThread::usleep(QRandomGenerator::global()->bounded(3000));
        const Status removed = byUndo ? (log.sync(), log.undo()) : a->deleteCompetitor(added.value().id, false);
        if (!removed.ok())
            a->deleteCompetitor(added.value().id, true); // B got in first: a finisher now, removed with his time
    }
    out.ms = clock.elapsed();
    done = true;
    b.join();
    if (!a || !a->reload().ok())
        return out;
    out.orphans = 0;
    for (const FinishRecord& r : a->finishList())
        out.orphans += a->competitor(r.idtakmicara) ? 0 : 1;
    out.stored = stored;
    out.refused = refused;
    return out;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const int tries = argc > 1 ? QByteArray(argv[1]).toInt() : 1000;
    std::printf("two stations, %d tries each: orphans / times stored / refused (runner gone) / seconds\n", tries);
    for (const bool postgres : {false, true}) {
        QTemporaryDir dir;
        std::optional<DbLocation> where = DbLocation::sqliteFile(dir.filePath(QStringLiteral("kvr.mdb")));
        if (postgres) {
            if (!testutil::PgServer::instance()) {
                std::printf("postgresql: %s\n", qPrintable(testutil::PgServer::unavailableReason()));
                continue;
            }
            where = testutil::PgServer::instance()->newDatabase();
        }
        for (const bool byUndo : {false, true}) {
            if (!postgres)
                where = DbLocation::sqliteFile(dir.filePath(byUndo ? QStringLiteral("u.mdb") : QStringLiteral("d.mdb")));
            else
                where = testutil::PgServer::instance()->newDatabase();
            const Tally o = race(*where, byUndo, tries);
            std::printf("%-10s %-7s %5d %6d %6d %7.1f\n", postgres ? "postgresql" : "sqlite", byUndo ? "undo" : "delete",
                        o.orphans, o.stored, o.refused, o.ms / 1000.0);
            std::fflush(stdout);
        }
    }
    return 0;
}
