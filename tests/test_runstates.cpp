// Statuses of entries (DNS, DNF, DSQ): their effect on places, prizes and
// counts, their rule, their storage on both engines and another station
// seeing them.

#include "app/racesession.h"
#include "core/age.h"
#include "core/lists.h"
#include "core/runstates.h"
#include "core/standings.h"
#include "core/texts.h"
#include "pgserver.h"
#include "testutil.h"

using standings::Sex;
using testutil::PgServer;
using testutil::TempDb;

Q_DECLARE_METATYPE(standings::Sex)
Q_DECLARE_METATYPE(RunStates)

namespace {

const QDate kRaceDate(2010, 6, 1);

Competitor entry(qint64 id, const QString& spol, int born)
{
    Competitor c;
    c.id = id;
    c.sbroj = QString::number(100 + id);
    c.idutrke = 1;
    c.ime = QStringLiteral("Takmičar %1").arg(id);
    c.spol = spol;
    c.datum = QDate(born, 3, 15);
    return c;
}

// A race on 01.06.2010. Keys in time order, one a minute from 00:30:00:
//  1 M 35-39   2 M 19-24   3 M 35-39   4 Ž 19-24   5 M 45-49   6 M 35-39
//  7 M 35-39   8 Ž 19-24;  9 M 35-39 has a start number and no finish record.
QList<Competitor> startList()
{
    return {entry(1, "M", 1972), entry(2, "M", 1990), entry(3, "M", 1975), entry(4, "Ž", 1988), entry(5, "M", 1963),
            entry(6, "M", 1971), entry(7, "M", 1974), entry(8, "Ž", 1986), entry(9, "M", 1973)};
}

QList<FinishRecord> finishList()
{
    QList<FinishRecord> list;
    for (qint64 id = 8; id >= 1; --id)
        list.append({id, id, 1, QString::number(100 + id), QStringLiteral("00:3%1:00").arg(id - 1)});
    return list;
}

RunStates states(std::initializer_list<std::tuple<qint64, RunState, const char*>> entries)
{
    RunStates s;
    for (const auto& [id, state, reason] : entries)
        s.insert(id, {state, QString::fromUtf8(reason)});
    return s;
}

std::optional<DbLocation> newDatabase(bool postgres, const TempDb& tmp)
{
    if (!postgres)
        return DbLocation::sqliteFile(tmp.path());
    PgServer* server = PgServer::instance();
    if (!server)
        return std::nullopt;
    return server->newDatabase();
}

} // namespace

class TestRunStates : public QObject {
    Q_OBJECT

private slots:
    void standingsWithStates_data()
    {
        const QString m3539 = standings::categoryFor(QDate(1972, 3, 15), kRaceDate);
        const QString all = tx::categoryAll();
        const QString dsq = tx::runStateDsq(), dnf = tx::runStateDnf(), dns = tx::runStateDns();
        QTest::addColumn<QString>("category");
        QTest::addColumn<Sex>("sex");
        QTest::addColumn<RunStates>("given");
        QTest::addColumn<bool>("listUnranked");
        QTest::addColumn<QList<qint64>>("keys");
        QTest::addColumn<QStringList>("places");
        QTest::addColumn<int>("finished");
        QTest::newRow("no statuses") << all << Sex::All << RunStates{} << true << QList<qint64>{1, 2, 3, 4, 5, 6, 7, 8}
                                     << QStringList{"1", "2", "3", "4", "5", "6", "7", "8"} << 8;
        QTest::newRow("DSQ keeps the time out, takes no place")
            << all << Sex::All << states({{3, RunState::Dsq, "skratio stazu"}}) << true
            << QList<qint64>{1, 2, 4, 5, 6, 7, 8, 3} << QStringList{"1", "2", "3", "4", "5", "6", "7", dsq} << 8;
        QTest::newRow("order DNF, DSQ, DNS after the ranked")
            << all << Sex::All
            << states({{9, RunState::Dns, ""}, {3, RunState::Dsq, "x"}, {2, RunState::Dnf, ""}}) << true
            << QList<qint64>{1, 4, 5, 6, 7, 8, 2, 3, 9} << QStringList{"1", "2", "3", "4", "5", "6", dnf, dsq, dns} << 8;
        QTest::newRow("category without statuses: first five overall out")
            << m3539 << Sex::Men << RunStates{} << true << QList<qint64>{6, 7} << QStringList{"1", "2"} << 4;
        QTest::newRow("DSQ among the first five moves the sixth into the prizes")
            << m3539 << Sex::Men << states({{3, RunState::Dsq, "x"}}) << true << QList<qint64>{7, 3}
            << QStringList{"1", dsq} << 4;
        QTest::newRow("fewer than five ranked: every status row of the category listed")
            << m3539 << Sex::Men
            << states({{3, RunState::Dnf, ""}, {5, RunState::Dnf, ""}, {6, RunState::Dnf, ""}, {8, RunState::Dnf, ""}})
            << true << QList<qint64>{3, 6} << QStringList{dnf, dnf} << 4;
        QTest::newRow("DNS of the category listed after it")
            << m3539 << Sex::Men << states({{9, RunState::Dns, ""}}) << true << QList<qint64>{6, 7, 9}
            << QStringList{"1", "2", dns} << 4;
        QTest::newRow("women: DNF after the ranked") << all << Sex::Women << states({{4, RunState::Dnf, ""}}) << true
                                                     << QList<qint64>{8, 4} << QStringList{"1", dnf} << 2;
        QTest::newRow("setting off leaves them out")
            << all << Sex::All << states({{3, RunState::Dsq, "x"}, {9, RunState::Dns, ""}}) << false
            << QList<qint64>{1, 2, 4, 5, 6, 7, 8} << QStringList{"1", "2", "3", "4", "5", "6", "7"} << 8;
        QTest::newRow("status of a key not on the start list ignored")
            << all << Sex::All << states({{42, RunState::Dnf, ""}}) << true << QList<qint64>{1, 2, 3, 4, 5, 6, 7, 8}
            << QStringList{"1", "2", "3", "4", "5", "6", "7", "8"} << 8;
    }

    void standingsWithStates()
    {
        QFETCH(QString, category);
        QFETCH(Sex, sex);
        QFETCH(RunStates, given);
        QFETCH(bool, listUnranked);
        QFETCH(QList<qint64>, keys);
        QFETCH(QStringList, places);
        QFETCH(int, finished);
        const auto overall = standings::overallStandings(finishList(), startList(), kRaceDate, given);
        const standings::Standings result =
            standings::process({category, sex}, overall, startList(), kRaceDate, listUnranked);
        QList<qint64> gotKeys;
        QStringList gotPlaces;
        for (const standings::StandingsRow& row : result.rows) {
            gotKeys.append(row.idtakmicara);
            gotPlaces.append(lists::standingsCell(row, lists::StandPlace));
            // No time for an entry with a status; its status in the status column.
            QCOMPARE(row.vrijeme.isEmpty(), row.state != RunState::None);
            QCOMPARE(lists::standingsCell(row, lists::StandStatus), lists::stateText({row.state, row.reason}));
        }
        QCOMPARE(gotKeys, keys);
        QCOMPARE(gotPlaces, places);
        // "U cilju:" counts finish records, whatever their status.
        QCOMPARE(result.counts.finished, finished);
    }

    void stateRule_data()
    {
        QTest::addColumn<int>("state");
        QTest::addColumn<QString>("reason");
        QTest::addColumn<QString>("refusal");
        QTest::addColumn<QString>("stored");
        QTest::newRow("DSQ without reason") << int(RunState::Dsq) << "  " << tx::runStateReasonMissing() << "";
        QTest::newRow("DSQ reason of 60") << int(RunState::Dsq) << QString(60, 'r') << "" << QString(60, 'r');
        QTest::newRow("DSQ reason of 61") << int(RunState::Dsq) << QString(61, 'r')
                                          << tx::runStateReasonTooLong(runstates::kReasonMaxLength) << "";
        QTest::newRow("DSQ reason trimmed") << int(RunState::Dsq) << " skratio " << "" << "skratio";
        QTest::newRow("DNF carries no reason") << int(RunState::Dnf) << "x" << "" << "";
        QTest::newRow("none") << int(RunState::None) << "" << "" << "";
    }

    void stateRule()
    {
        QFETCH(int, state);
        QFETCH(QString, reason);
        QFETCH(QString, refusal);
        QFETCH(QString, stored);
        const auto checked = runstates::check(RunState(state), reason);
        QCOMPARE(checked.ok(), refusal.isEmpty());
        QCOMPARE(checked.refusal().message, refusal);
        QCOMPARE(checked.value().reason, stored);
    }

    void engines_data()
    {
        QTest::addColumn<bool>("postgres");
        QTest::newRow("sqlite") << false;
        QTest::newRow("postgresql") << true;
    }

    // Set, seen by another station at its refresh, taken back: the time
    // stays stored throughout and the place comes back.
    void storedAndSeenByAnotherStation_data() { engines_data(); }
    void storedAndSeenByAnotherStation()
    {
        QFETCH(bool, postgres);
        TempDb tmp;
        const auto where = newDatabase(postgres, tmp);
        if (!where)
            QSKIP(qPrintable(PgServer::unavailableReason()));
        RaceSession a(*where), b(*where);
        QVERIFY(a.database().open().ok());
        QVERIFY(b.database().open().ok());
        QVERIFY(a.createRace(QStringLiteral("Utrka"), QStringLiteral("AK"), QStringLiteral("1.6.2010")).ok());
        const qint64 first = a.addCompetitor({"Prvi", "1", "HRV", "AK", "M", "1.1.1980"}).value().id;
        const qint64 second = a.addCompetitor({"Drugi", "2", "HRV", "AK", "M", "1.1.1980"}).value().id;
        QVERIFY(a.enterFinish(QStringLiteral("1"), QStringLiteral("00:30:00")).ok());
        QVERIFY(a.enterFinish(QStringLiteral("2"), QStringLiteral("00:31:00")).ok());
        QVERIFY(b.openRace(a.race().id).ok());
        QVERIFY(b.runStates().isEmpty());

        QVERIFY(a.setRunState(first, RunState::Dsq, QStringLiteral("skratio stazu")).ok());
        QCOMPARE(a.finishPlaceText(0), tx::runStateDsq());
        QCOMPARE(a.finishPlaceText(1), QStringLiteral("1"));
        QVERIFY(b.refresh().ok());
        QCOMPARE(b.runState(first), (RunStateEntry{RunState::Dsq, QStringLiteral("skratio stazu")}));
        QCOMPARE(b.finishList().size(), 2);
        QCOMPARE(b.overall().first().idtakmicara, second);

        QVERIFY(b.setRunState(first, RunState::None).ok());
        QVERIFY(a.refresh().ok());
        QVERIFY(a.runStates().isEmpty());
        QCOMPARE(a.overall().first().idtakmicara, first);
        QCOMPARE(a.overall().first().place, 1);

        // Removed by the other station meanwhile: refused, nothing stored.
        QVERIFY(b.deleteCompetitor(second, true).ok());
        const auto gone = a.setRunState(second, RunState::Dnf);
        QCOMPARE(gone.kind(), Outcome<RunStateEntry>::Kind::Refused);
        QCOMPARE(gone.refusal().message, tx::competitorGone());
        QVERIFY(a.runStates().isEmpty());
    }

    // "Označi DNS": entries with a number, no finish record, no status.
    void markDns_data() { engines_data(); }
    void markDns()
    {
        QFETCH(bool, postgres);
        TempDb tmp;
        const auto where = newDatabase(postgres, tmp);
        if (!where)
            QSKIP(qPrintable(PgServer::unavailableReason()));
        RaceSession s(*where);
        QVERIFY(s.database().open().ok());
        QVERIFY(s.createRace(QStringLiteral("Utrka"), QStringLiteral("AK"), QStringLiteral("1.6.2010")).ok());
        s.addCompetitor({"Na cilju", "1", "HRV", "AK", "M", "1.1.1980"});
        const qint64 dnf = s.addCompetitor({"Odustao", "2", "HRV", "AK", "M", "1.1.1980"}).value().id;
        const qint64 absent = s.addCompetitor({"Nije došao", "3", "HRV", "AK", "M", "1.1.1980"}).value().id;
        s.addCompetitor({"Bez broja", "", "HRV", "AK", "M", "1.1.1980"});
        QVERIFY(s.enterFinish(QStringLiteral("1"), QStringLiteral("00:30:00")).ok());
        QVERIFY(s.setRunState(dnf, RunState::Dnf).ok());
        QCOMPARE(s.dnsCandidates(), QList<qint64>{absent});
        QCOMPARE(s.markDns().value(), 1);
        QCOMPARE(s.runState(absent).state, RunState::Dns);
        QCOMPARE(s.runState(dnf).state, RunState::Dnf);
        QCOMPARE(s.markDns().value(), 0);
    }

    // A file of an earlier version opens unchanged; its statuses table is
    // made by the first status stored.
    void olderFileGetsTableOnFirstUse()
    {
        TempDb tmp;
        qint64 raceId = 0, id = 0;
        {
            RaceSession s(tmp.path());
            QVERIFY(s.database().open().ok());
            raceId = s.createRace(QStringLiteral("Utrka"), QStringLiteral("AK"), QStringLiteral("1.6.2010")).value().id;
            id = s.addCompetitor({"Prvi", "1", "HRV", "AK", "M", "1.1.1980"}).value().id;
        }
        QFile file(tmp.path());
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QByteArray before = file.readAll();
        file.close();
        RaceSession s(tmp.path());
        QVERIFY(s.database().open().ok());
        QVERIFY(s.openRace(raceId).ok());
        QCOMPARE(s.settings(), RaceSettings{});
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), before);
        file.close();
        QVERIFY(s.setRunState(id, RunState::Dns).ok());
        RaceSession again(tmp.path());
        QVERIFY(again.database().open().ok());
        QVERIFY(again.openRace(raceId).ok());
        QCOMPARE(again.runState(id).state, RunState::Dns);
    }
};

KVR_TEST_MAIN(TestRunStates)
#include "test_runstates.moc"
