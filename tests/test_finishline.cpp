// Timing at the finish line: the rules of the race clock and of pairing
// numbers with presses, and the use cases below the window with an
// injected clock; one window test for the wiring.

#include "app/finishline.h"
#include "app/racesession.h"
#include "app/resultscheck.h"
#include "core/texts_finishline.h"
#include "core/timing.h"
#include "data/database.h"
#include "pgserver.h"
#include "testutil.h"
#include "ui/frmcilj.h"

#include <QInputDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTreeView>

#include <QFile>
#include <QProcess>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QtTest>

using timing::CapturedRow;
using timing::RowState;

namespace {

constexpr qint64 kTen = 10LL * 3600 * 1000; // 10:00:00

class TestClock : public finishline::Clock {
public:
    mutable qint64 mono = 0;
    qint64 tick = 0; // ms the clock moves at each reading
    qint64 monotonicMs() const override { return mono += tick; }
    qint64 wallTimeOfDayMs() const override { return kTen + mono; }
};

// Rows from a short text: "t<ms>[=number][x]" a press (x: deleted), "w=<number>" a waiting number.
QList<CapturedRow> rowsOf(const QString& written)
{
    QList<CapturedRow> rows;
    int seq = 0;
    for (QString token : written.split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
        CapturedRow r;
        r.id = rows.size() + 1;
        r.deleted = token.endsWith(QLatin1Char('x'));
        if (r.deleted)
            token.chop(1);
        const QStringList parts = token.mid(1).split(QLatin1Char('='));
        if (token.startsWith(QLatin1Char('t'))) {
            r.timeMs = parts.at(0).toLongLong();
            r.seq = ++seq;
        }
        r.number = parts.value(1);
        rows.append(r);
    }
    return rows;
}

QList<Competitor> startListOf(const QStringList& numbers)
{
    QList<Competitor> list;
    for (const QString& n : numbers) {
        Competitor c;
        c.id = list.size() + 1;
        c.sbroj = n;
        list.append(c);
    }
    return list;
}

} // namespace

class TestFinishLine : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;
    QString path() const { return m_dir.filePath(QStringLiteral("kvr.mdb")); }
    // Captured presses and numbers written (true) or refused as by a full disk.
    void captureWrites(bool allowed) const
    {
        for (const char* what : {"insert", "update"}) {
            if (allowed)
                testutil::allowWrites(path(), QStringLiteral("cilj_vremena"), QString::fromLatin1(what));
            else
                testutil::refuseWrites(path(), QStringLiteral("cilj_vremena"), QString::fromLatin1(what),
                                       QStringLiteral("disk"));
        }
    }

    std::unique_ptr<RaceSession> raceWith(int runners)
    {
        QFile::remove(path());
        QFile::remove(path() + QStringLiteral(".cilj"));
        auto s = std::make_unique<RaceSession>(path());
        if (!s->database().open())
            return nullptr;
        if (!s->createRace(QStringLiteral("Utrka"), QStringLiteral("AK"), QStringLiteral("1.6.2010")))
            return nullptr;
        QList<Competitor> list;
        for (int i = 1; i <= runners; ++i) {
            Competitor c;
            c.idutrke = s->race().id;
            c.sbroj = QString::number(i);
            c.ime = QStringLiteral("Trkač %1").arg(i);
            c.drzava = QStringLiteral("HRV");
            c.klub = QStringLiteral("AK");
            c.spol = QStringLiteral("M");
            c.datum = QDate(1980, 1, 1);
            list.append(c);
        }
        if (!list.isEmpty() && !s->addCompetitors(list))
            return nullptr;
        return s;
    }

    // The finish list as number and time, in its order.
    static QStringList finishes(const RaceSession& s)
    {
        QStringList out;
        for (const FinishRecord& r : s.finishList())
            out.append(r.sbroj + QLatin1Char('@') + r.vrijeme);
        return out;
    }

private slots:
    // ---- Rules ----

    void finishTimeRoundsUp_data()
    {
        QTest::addColumn<qint64>("elapsed");
        QTest::addColumn<QString>("expected");
        QTest::newRow("whole second stays") << 3723000LL << "01:02:03";
        QTest::newRow("1 ms past rounds up") << 3723001LL << "01:02:04";
        QTest::newRow("999 ms past rounds up") << 3723999LL << "01:02:04";
        QTest::newRow("first millisecond is second 1") << 1LL << "00:00:01";
        QTest::newRow("at the start no time") << 0LL << "";
        QTest::newRow("before the start no time") << -500LL << "";
        QTest::newRow("59:59:59.5 -> 60 h none") << (60LL * 3600 - 1) * 1000 + 500 << "";
    }
    void finishTimeRoundsUp()
    {
        QFETCH(qint64, elapsed);
        QFETCH(QString, expected);
        QCOMPARE(timing::finishTime(elapsed).value_or(QString()), expected);
    }

    void timeOfDayShapes_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<qint64>("ms"); // -1: refused
        QTest::newRow("hh:mm:ss") << "10:00:00" << kTen;
        QTest::newRow("h:mm:ss") << "9:05:07" << (9 * 3600 + 5 * 60 + 7) * 1000LL;
        QTest::newRow("tenths") << "10:00:00.3" << kTen + 300;
        QTest::newRow("ms") << "10:00:00.123" << kTen + 123;
        QTest::newRow("digits past ms cut") << "10:00:00.1239" << kTen + 123;
        QTest::newRow("decimal comma") << "10:00:00,5" << kTen + 500;
        QTest::newRow("24 h refused") << "24:00:00" << -1LL;
        QTest::newRow("minutes 60 refused") << "10:60:00" << -1LL;
        QTest::newRow("no seconds refused") << "10:00" << -1LL;
        QTest::newRow("empty fraction refused") << "10:00:00." << -1LL;
    }
    void timeOfDayShapes()
    {
        QFETCH(QString, text);
        QFETCH(qint64, ms);
        QCOMPARE(timing::readTimeOfDay(text).value_or(-1), ms);
    }

    void elapsedShown_data()
    {
        QTest::addColumn<qint64>("time");
        QTest::addColumn<qint64>("start");
        QTest::addColumn<QString>("expected");
        QTest::newRow("tenths cut") << kTen + 3723990 << kTen << "01:02:03.9";
        QTest::newRow("before start") << kTen - 1500 << kTen << "-00:00:01.5";
        QTest::newRow("past midnight") << 600000LL << 23LL * 3600 * 1000 << "01:10:00.0";
    }
    void elapsedShown()
    {
        QFETCH(qint64, time);
        QFETCH(qint64, start);
        QFETCH(QString, expected);
        QCOMPARE(timing::elapsedText(timing::elapsedMs(time, start)), expected);
    }

    // Where a typed number goes, and which waiting number a press takes.
    void pairing_data()
    {
        QTest::addColumn<QString>("rows");
        QTest::addColumn<int>("target");
        QTest::addColumn<int>("waiting");
        QTest::newRow("no rows: the number waits") << "" << -1 << -1;
        QTest::newRow("oldest time without number") << "t100=1 t200 t300" << 1 << -1;
        QTest::newRow("all numbered: waits") << "t100=1 t200=2" << -1 << -1;
        QTest::newRow("deleted row skipped") << "t100=1 t200x t300" << 2 << -1;
        QTest::newRow("inserted earlier time first") << "t300 t100" << 1 << -1;
        QTest::newRow("first waiting number") << "t100=1 w=7 w=8" << -1 << 1;
        QTest::newRow("deleted waiting number skipped") << "w=7x w=8" << -1 << 1;
    }
    void pairing()
    {
        QFETCH(QString, rows);
        QFETCH(int, target);
        QFETCH(int, waiting);
        const QList<CapturedRow> r = rowsOf(rows);
        QCOMPARE(timing::pairTarget(r), target);
        QCOMPARE(timing::waitingNumber(r), waiting);
    }

    // States against a start list of 1, 2, 3; competitor 3 has a typed record.
    void states_data()
    {
        QTest::addColumn<QString>("rows");
        QTest::addColumn<QList<int>>("states");
        QTest::addColumn<QStringList>("records");
        using S = RowState;
        QTest::newRow("matched") << "t1500=1" << QList<int>{int(S::Matched)} << QStringList{"1@00:00:02"};
        QTest::newRow("not on list, kept") << "t1000=9" << QList<int>{int(S::NotOnList)} << QStringList{};
        QTest::newRow("no number") << "t1000" << QList<int>{int(S::NoNumber)} << QStringList{};
        QTest::newRow("second row of a number")
            << "t1000=1 t2000=1" << QList<int>{int(S::Matched), int(S::NumberUsed)} << QStringList{"1@00:00:01"};
        QTest::newRow("earlier crossing wins whatever the key")
            << "t2000=1 t1000=1" << QList<int>{int(S::NumberUsed), int(S::Matched)} << QStringList{"1@00:00:01"};
        QTest::newRow("typed record: conflict") << "t1000=3" << QList<int>{int(S::Conflict)} << QStringList{};
        QTest::newRow("deleted makes nothing") << "t1000=1x" << QList<int>{int(S::Deleted)} << QStringList{};
        QTest::newRow("waiting number") << "w=2" << QList<int>{int(S::Waiting)} << QStringList{};
        QTest::newRow("equal seconds keep crossing order")
            << "t1200=2 t1100=1" << QList<int>{int(S::Matched), int(S::Matched)}
            << QStringList{"1@00:00:02", "2@00:00:02"};
    }
    void states()
    {
        QFETCH(QString, rows);
        QFETCH(QList<int>, states);
        QFETCH(QStringList, records);
        const rules::StartNumberIndex index(startListOf({"1", "2", "3"}));
        const timing::Evaluation e = timing::evaluate(rowsOf(rows), 0, index, {3});
        QList<int> got;
        for (const RowState s : e.states)
            got.append(int(s));
        QCOMPARE(got, states);
        QStringList made;
        for (const timing::MadeRecord& m : e.records)
            made.append(m.number + QLatin1Char('@') + m.time);
        QCOMPARE(made, records);
    }

    void shift_data()
    {
        QTest::addColumn<QString>("block");
        QTest::addColumn<bool>("up");
        QTest::addColumn<QString>("waiting");
        QTest::addColumn<QStringList>("numbers");
        QTest::addColumn<QString>("pushedOff");
        QTest::newRow("down after an extra press") << "t1=5 t2=6 t3" << false << "" << QStringList{"", "5", "6"} << "";
        QTest::newRow("down keeps the last number waiting") << "t1=5 t2=6" << false << "" << QStringList{"", "5"} << "6";
        QTest::newRow("up after a missed press") << "t1 t2=6 t3=7" << true << "" << QStringList{"6", "7", ""} << "";
        QTest::newRow("up takes the waiting number") << "t1 t2=6" << true << "8" << QStringList{"6", "8"} << "";
        QTest::newRow("up keeps the first number waiting") << "t1=5 t2=6" << true << "" << QStringList{"6", ""} << "5";
    }
    void shift()
    {
        QFETCH(QString, block);
        QFETCH(bool, up);
        QFETCH(QString, waiting);
        QFETCH(QStringList, numbers);
        QFETCH(QString, pushedOff);
        CapturedRow w;
        w.id = 99;
        w.number = waiting;
        const auto s = timing::shiftNumbers(rowsOf(block), up, waiting.isEmpty() ? nullptr : &w);
        QVERIFY(s);
        QCOMPARE(s->pushedOff, pushedOff);
        QStringList got;
        for (const auto& [id, n] : s->numbers)
            got.append(n);
        QCOMPARE(got, numbers);
        QCOMPARE(s->consumedWaiting, waiting.isEmpty() ? 0 : 99);
    }

    // An added record takes the later records of its second with it, so the
    // list's order of entry stays the crossing order.
    void recordChangesKeepCrossingOrder()
    {
        const QList<timing::MadeRecord> planned{{1, 11, "1", "00:00:02", 0}, {2, 12, "2", "00:00:02", 1},
                                                {3, 13, "3", "00:00:05", 2}};
        QHash<qint64, FinishRecord> made;
        made.insert(2, FinishRecord{102, 12, 0, "2", "00:00:02"});
        made.insert(3, FinishRecord{103, 13, 0, "3", "00:00:05"});
        made.insert(4, FinishRecord{104, 14, 0, "4", "00:00:09"});
        const timing::RecordChanges c = timing::recordChanges(planned, made);
        QCOMPARE(QSet<qint64>(c.remove.cbegin(), c.remove.cend()), (QSet<qint64>{102, 104}));
        QCOMPARE(c.add.size(), 2);
        QCOMPARE(c.add.at(0).rowId, 1);
        QCOMPARE(c.add.at(1).rowId, 2);
    }

    void timesFile_data()
    {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<QStringList>("lines"); // "ms number"; "refused" when the file is
        QTest::newRow("blanks and a header") << QByteArray("vrijeme broj\n10:00:01 12\n9:59:59.5\n")
                                             << QStringList{"36001000 12", "35999500 "};
        QTest::newRow("comma apart") << QByteArray("10:00:01,12\n") << QStringList{"36001000 12"};
        QTest::newRow("semicolon, decimal comma") << QByteArray("10:00:01,5;12\r\n") << QStringList{"36001500 12"};
        QTest::newRow("tab") << QByteArray("10:00:01.25\t7\n") << QStringList{"36001250 7"};
        QTest::newRow("nine digits of a second") << QByteArray("10:00:01.123456789 5\n") << QStringList{"36001123 5"};
        // Refused whole, naming the line: "refused", its number, its text.
        QTest::newRow("a bad line refuses all") << QByteArray("10:00:01 1\n10:61:00 2\n")
                                                << QStringList{"refused", "2", "10:61:00 2"};
        QTest::newRow("a bad number refuses all") << QByteArray("10:00:01 A1\n") << QStringList{"refused", "1", "10:00:01 A1"};
        QTest::newRow("a bad first line is no header") << QByteArray("10:00:60,7\n10:00:02,2\n")
                                                       << QStringList{"refused", "1", "10:00:60,7"};
        QTest::newRow("an impossible time alone") << QByteArray("25:61:61.000,1\n")
                                                  << QStringList{"refused", "1", "25:61:61.000,1"};
        QTest::newRow("a fraction run into the number") << QByteArray("10:00:01.1234567891234\n")
                                                        << QStringList{"refused", "1", "10:00:01.1234567891234"};
    }
    void timesFile()
    {
        QFETCH(QByteArray, file);
        QFETCH(QStringList, lines);
        const auto read = finishline::readTimesFile(file);
        if (lines.value(0) == QLatin1String("refused")) {
            QVERIFY(!read);
            QCOMPARE(read.refusal().message, tx::flFileLine(lines.at(1).toInt(), lines.at(2)));
            return;
        }
        QVERIFY(read);
        QStringList got;
        for (const finishline::ImportLine& l : read.value())
            got.append(QStringLiteral("%1 %2").arg(l.timeMs).arg(l.number));
        QCOMPARE(got, lines);
    }

    // A times file merged with captured rows at 1000, 2000 (number 5) and 4000 ms.
    void importPairing_data()
    {
        QTest::addColumn<QString>("file"); // "ms[=number]" apart by blanks
        QTest::addColumn<qint64>("offset");
        QTest::addColumn<qint64>("tolerance");
        QTest::addColumn<QString>("fills");  // "row=number"
        QTest::addColumn<QString>("added");  // times of the new rows
        QTest::newRow("within tolerance fills the number") << "1400=7" << 0LL << 1000LL << "1=7" << "";
        QTest::newRow("a number is never overwritten") << "2100=9" << 0LL << 1000LL << "" << "";
        QTest::newRow("beyond tolerance a new row") << "3000=8" << 0LL << 500LL << "" << "3000";
        QTest::newRow("at the tolerance pairs") << "4500=8" << 0LL << 500LL << "3=8" << "";
        QTest::newRow("nearest row wins") << "1900=6" << 0LL << 1000LL << "" << "";
        QTest::newRow("one file time per row") << "1000=1 1100=2" << 0LL << 500LL << "1=1" << "1100";
        QTest::newRow("offset applied first") << "11000=4" << -7000LL << 100LL << "3=4" << "";
    }
    void importPairing()
    {
        QFETCH(QString, file);
        QFETCH(qint64, offset);
        QFETCH(qint64, tolerance);
        QFETCH(QString, fills);
        QFETCH(QString, added);
        QList<finishline::ImportLine> lines;
        for (const QString& t : file.split(QLatin1Char(' ')))
            lines.append({0, t.section(QLatin1Char('='), 0, 0).toLongLong(), t.section(QLatin1Char('='), 1)});
        const auto plan = finishline::planImport(rowsOf("t1000 t2000=5 t4000"), lines, offset, tolerance);
        QStringList gotFills, gotAdded;
        for (const auto& [id, n] : plan.fills)
            gotFills.append(QStringLiteral("%1=%2").arg(id).arg(n));
        for (const finishline::ImportLine& l : plan.added)
            gotAdded.append(QString::number(l.timeMs));
        QCOMPARE(gotFills.join(QLatin1Char(' ')), fills);
        QCOMPARE(gotAdded.join(QLatin1Char(' ')), added);
    }

    // The moment of a key event: spacing between events kept, never later
    // than now; a platform clock that jumps sets the base again.
    void eventMoments()
    {
        auto s = raceWith(0);
        QVERIFY(s);
        auto clock = std::make_shared<TestClock>();
        finishline::FinishLine line(*s, clock);
        clock->mono = 1000;
        QCOMPARE(line.momentOfEvent(500000), 1000);  // first: now
        clock->mono = 1100;                          // handled 50 ms late
        QCOMPARE(line.momentOfEvent(500050), 1050);  // two presses 50 ms apart
        clock->mono = 1200;
        QCOMPARE(line.momentOfEvent(500120), 1120);
        clock->mono = 1300;
        QCOMPARE(line.momentOfEvent(500400), 1300);  // would be later than now: now
        clock->mono = 9000;
        QCOMPARE(line.momentOfEvent(100), 9000);     // the platform's clock jumped
        QCOMPARE(line.momentOfEvent(0), 9000);       // no timestamp: now
        QCOMPARE(line.timeOfDay(1500), kTen + 1500);
    }

    // The same race on PostgreSQL: presses, a number typed ahead, a record
    // made and a second station's number, through the server's own SQL.
    void onPostgres()
    {
        testutil::PgServer* server = testutil::PgServer::instance();
        if (!server)
            QSKIP(qPrintable(testutil::PgServer::unavailableReason()));
        const DbLocation where = server->newDatabase();
        RaceSession s(where);
        QVERIFY(s.database().open().ok());
        QVERIFY(s.createRace(QStringLiteral("Utrka"), QStringLiteral("AK"), QStringLiteral("1.6.2010")).ok());
        for (const char* n : {"1", "2"})
            QVERIFY(s.addCompetitor({QStringLiteral("T") + QLatin1String(n), QLatin1String(n), QStringLiteral("HRV"),
                                     QStringLiteral("AK"), QStringLiteral("M"), QStringLiteral("1.1.1980")})
                        .ok());
        auto clock = std::make_shared<TestClock>();
        finishline::FinishLine line(s, clock);
        QVERIFY(line.start().ok());
        QVERIFY(line.number(QStringLiteral("2")).ok());
        QVERIFY(line.press(1500).ok()); // takes the waiting 2
        QVERIFY(line.press(2500).ok());
        RaceSession other(where);
        QVERIFY(other.database().open().ok());
        QVERIFY(other.openRace(s.race().id).ok());
        finishline::FinishLine second(other, clock);
        QVERIFY(second.number(QStringLiteral("1")).ok());
        QVERIFY(line.refresh().ok());
        QCOMPARE(finishes(s), (QStringList{"2@00:00:02", "1@00:00:03"}));
        QVERIFY(line.setDeleted(line.rows().at(line.rowIndex(line.rows().first().id)).id, true).ok());
        QCOMPARE(finishes(s), QStringList{"1@00:00:03"});
        QCOMPARE(line.undoStart().ok(), true);
        QVERIFY(finishes(s).isEmpty());
    }

    // ---- Below the window ----

    // Captured rows make the same finish list as the same times typed.
    void twoRoadsAgree()
    {
        QList<qint64> elapsed;
        QRandomGenerator rng(7);
        for (int i = 0; i < 40; ++i)
            elapsed.append(1800000 + rng.bounded(60000)); // many share a second
        std::sort(elapsed.begin(), elapsed.end());
        QStringList typed;
        {
            auto s = raceWith(40);
            QVERIFY(s);
            for (int i = 0; i < elapsed.size(); ++i)
                QVERIFY(s->enterFinish(QString::number(i + 1), *timing::finishTime(elapsed.at(i))).ok());
            typed = finishes(*s);
        }
        auto s = raceWith(40);
        QVERIFY(s);
        auto clock = std::make_shared<TestClock>();
        finishline::FinishLine line(*s, clock);
        QVERIFY(line.start().ok());
        for (int i = 0; i < elapsed.size(); ++i)
            QVERIFY(line.press(elapsed.at(i)).ok());
        for (int i = 0; i < elapsed.size(); ++i)
            QVERIFY(line.number(QString::number(i + 1)).ok());
        QCOMPARE(finishes(*s), typed);
        RaceSession fresh(path());
        QVERIFY(fresh.database().open().ok());
        QVERIFY(fresh.openRace(s->race().id).ok());
        QCOMPARE(finishes(fresh), typed);
    }

    // A new user's race: 100 finishers, a wrong number, an extra press, a
    // missed press filled from a second station's file, all corrected: the
    // finish list is the runners' real order and times.
    void hundredFinishersCorrected()
    {
        auto s = raceWith(100);
        QVERIFY(s);
        auto clock = std::make_shared<TestClock>();
        finishline::FinishLine line(*s, clock);
        QVERIFY(line.start().ok());
        QList<qint64> real; // elapsed of runner i+1
        for (int i = 0; i < 100; ++i)
            real.append(1500000 + i * 1700 + (i % 3) * 100);
        QStringList expected;
        for (int i = 0; i < 100; ++i)
            expected.append(QStringLiteral("%1@%2").arg(i + 1).arg(*timing::finishTime(real.at(i))));
        qint64 extraAt = 0, missedAt = 0;
        for (int i = 0; i < 100; ++i) {
            if (i == 60) { // missed
                missedAt = real.at(i);
                continue;
            }
            QVERIFY(line.press(real.at(i)).ok());
            if (i == 30) { // an extra press a moment later
                extraAt = real.at(i) + 300;
                QVERIFY(line.press(extraAt).ok());
            }
        }
        for (int i = 0; i < 100; ++i)
            QVERIFY(line.number(QString::number(i == 10 ? 1010 : i + 1)).ok()); // 11 typed wrong
        QCOMPARE(line.counts().times, 100);
        QCOMPARE(line.pending().size(), 0);

        const auto idAt = [&](qint64 elapsedMs) {
            for (const CapturedRow& r : line.rows())
                if (r.timeMs == kTen + elapsedMs)
                    return r.id;
            return qint64(0);
        };
        const auto rowIdsFrom = [&](qint64 fromElapsed) {
            QList<qint64> ids;
            for (const int i : timing::crossingOrder(line.rows()))
                if (*line.rows().at(i).timeMs >= kTen + fromElapsed)
                    ids.append(line.rows().at(i).id);
            return ids;
        };
        // The wrong number: shown as not on the start list, then corrected.
        QCOMPARE(line.evaluation().states.at(line.rowIndex(idAt(real.at(10)))), RowState::NotOnList);
        QVERIFY(line.setNumber(idAt(real.at(10)), QStringLiteral("11")).ok());
        // A second station's file brings the missed time with its number
        // (and a time that pairs with a row already captured).
        const QByteArray file = QStringLiteral("%1 61\n%2\n")
                                    .arg(timing::timeOfDayText(kTen + missedAt, 3),
                                         timing::timeOfDayText(kTen + real.at(5) + 200, 3))
                                    .toUtf8();
        const auto imported = line.importTimes(file, QStringLiteral("postaja2"));
        QVERIFY(imported.ok());
        QCOMPARE(imported.value().paired, 1);
        QCOMPARE(imported.value().added.size(), 1);
        // The extra press: the numbers from it to the missed one move one row
        // down; the one pushed off waits, a copy of the file's, and is deleted.
        QList<qint64> block;
        for (const qint64 id : rowIdsFrom(extraAt))
            if (*line.row(id)->timeMs < kTen + missedAt)
                block.append(id);
        QVERIFY(line.shiftNumbers(block, false).ok());
        QVERIFY(line.setDeleted(idAt(extraAt), true).ok());
        const int waiting = timing::waitingNumber(line.rows());
        QVERIFY(waiting >= 0);
        QCOMPARE(line.rows().at(waiting).number, QStringLiteral("61"));
        QVERIFY(line.setDeleted(line.rows().at(waiting).id, true).ok());
        QCOMPARE(finishes(*s), expected);
        QVERIFY(line.setDeleted(idAt(extraAt), false).ok()); // restorable; no number, no record
        QCOMPARE(finishes(*s), expected);
    }

    // Correcting the start moves every record made; a typed record stays.
    void startCorrectionMovesRecords()
    {
        auto s = raceWith(3);
        QVERIFY(s);
        QVERIFY(s->enterFinish(QStringLiteral("3"), QStringLiteral("00:50:00")).ok());
        auto clock = std::make_shared<TestClock>();
        finishline::FinishLine line(*s, clock);
        QVERIFY(line.start().ok());
        QVERIFY(line.press(600500).ok());
        QVERIFY(line.press(700000).ok());
        QVERIFY(line.number(QStringLiteral("1")).ok());
        QVERIFY(line.number(QStringLiteral("3")).ok());
        QCOMPARE(line.evaluation().states.at(1), RowState::Conflict);
        QCOMPARE(finishes(*s), (QStringList{"1@00:10:01", "3@00:50:00"}));
        QVERIFY(line.setStart(QStringLiteral("09:59:00")).ok());
        QCOMPARE(finishes(*s), (QStringList{"1@00:11:01", "3@00:50:00"}));
        QCOMPARE(line.setStart(QStringLiteral("9:59")).refusal().message, tx::flStartShape());
        // Taken back only within a minute of the press.
        QCOMPARE(line.undoStart().refusal().message, tx::flUndoTooLate());
    }

    void undoStartWithinAMinute()
    {
        auto s = raceWith(1);
        QVERIFY(s);
        auto clock = std::make_shared<TestClock>();
        finishline::FinishLine line(*s, clock);
        QVERIFY(line.start().ok());
        QCOMPARE(line.start().refusal().message, tx::flStartAlready());
        clock->mono = 59000;
        QVERIFY(line.undoStart().ok());
        QVERIFY(!line.startMs());
        QVERIFY(line.start().ok());
        clock->mono = 120000;
        QVERIFY(!line.undoStart().ok());
        QVERIFY(s->database().captureStart(s->race().id).value().has_value());
    }

    // A second station types the numbers while the first presses.
    void secondStationTypesNumbers()
    {
        auto first = raceWith(5);
        QVERIFY(first);
        auto clock = std::make_shared<TestClock>();
        finishline::FinishLine presses(*first, clock);
        QVERIFY(presses.start().ok());
        RaceSession other(path());
        QVERIFY(other.database().open().ok());
        QVERIFY(other.openRace(first->race().id).ok());
        finishline::FinishLine numbers(other, clock);
        QVERIFY(numbers.number(QStringLiteral("2")).ok()); // before any time: it waits
        QVERIFY(presses.press(61000).ok());                // takes the waiting 2
        QVERIFY(presses.press(62000).ok());
        QVERIFY(numbers.number(QStringLiteral("4")).ok());
        QVERIFY(presses.refresh().ok());
        QCOMPARE(presses.counts().numbered, 2);
        QVERIFY(first->refresh().ok());
        QCOMPARE(finishes(*first), (QStringList{"2@00:01:01", "4@00:01:02"}));
    }

    // Writes refused: presses and numbers wait in the journal, in order, and
    // are stored as soon as writes pass; nothing is lost across a restart.
    void journalWhenWritesFail()
    {
        auto s = raceWith(3);
        QVERIFY(s);
        auto clock = std::make_shared<TestClock>();
        {
            finishline::FinishLine line(*s, clock);
            QVERIFY(line.start().ok());
            QVERIFY(line.press(10000).ok());
            captureWrites(false);
            QVERIFY(line.number(QStringLiteral("1")).ok());
            QVERIFY(line.press(20000).ok());
            QVERIFY(line.number(QStringLiteral("2")).ok());
            QCOMPARE(line.pending().size(), 3);
            QVERIFY(QFile::exists(path() + QStringLiteral(".cilj")));
            QCOMPARE(s->database().capturedRows(s->race().id).value().size(), 1);
        } // the program ends while the journal waits
        captureWrites(true);
        finishline::FinishLine again(*s, clock);
        QCOMPARE(again.pending().size(), 0);
        QFile journal(path() + QStringLiteral(".cilj"));
        QVERIFY(!journal.open(QIODevice::ReadOnly) || journal.size() == 0); // nothing left to store
        QCOMPARE(again.counts().numbered, 2);
        QCOMPARE(finishes(*s), (QStringList{"1@00:00:10", "2@00:00:20"}));
    }

    void doubtfulRows_data()
    {
        // "t<ms>[=number[@typed ms]][x|c]": x deleted, c confirmed; "w=<number>@<typed>" a waiting number.
        QTest::addColumn<QString>("rows");
        QTest::addColumn<int>("gapMs");
        QTest::addColumn<QString>("doubtful"); // row keys
        QTest::newRow("a press made twice") << "t1000=1@1500 t1100=2@1600 t5000=3@5500" << 200 << "2";
        QTest::newRow("a gap of exactly the least") << "t1000 t1200" << 200 << "";
        QTest::newRow("a deleted press between") << "t1000 t1100x t1250" << 200 << "";
        QTest::newRow("no least gap set") << "t1000 t1100" << 0 << "";
        QTest::newRow("a number waiting for its time") << "t1000=1@1500 w=2@2000" << 200 << "2";
        QTest::newRow("a number typed before its time") << "t1000=1@1500 t3000=2@2000 t4000=3@3500" << 200 << "2 3";
        QTest::newRow("a number typed after its time") << "t3000=2@3000" << 200 << "";
        QTest::newRow("a long wait while newer times waited") << "t1000=7@100000 t90000=8@100500" << 200 << "1 2";
        QTest::newRow("a long wait, no newer time") << "t1000=7@100000" << 200 << "";
        QTest::newRow("a wait of exactly the longest") << "t40000=7@100000 t90000=8@100500" << 200 << "";
        QTest::newRow("the newer time numbered first") << "t1000=7@100000 t90000=8@95000" << 200 << "";
        QTest::newRow("the block starts at the long wait")
            << "t500=6@900 t1000=7@100000 t90000=8@100500 t99000@0" << 200 << "2 3";
        QTest::newRow("the block confirmed") << "t1000=7@100000c t90000=8@100500c" << 200 << "";
        QTest::newRow("a confirmed long wait starts no block") << "t1000=7@100000c t90000=8@100500" << 200 << "";
        QTest::newRow("a confirmed double press") << "t1000 t1100c" << 200 << "";
    }

    // Which rows are marked "provjeri".
    void doubtfulRows()
    {
        QFETCH(QString, rows);
        QFETCH(int, gapMs);
        QHash<qint64, timing::RowNote> notes;
        QStringList plain;
        for (QString token : rows.split(' ')) {
            const qint64 id = plain.size() + 1;
            if (token.endsWith('c')) {
                notes[id].confirmed = true;
                token.chop(1);
            }
            if (const qsizetype at = token.indexOf('@'); at > 0) {
                if (const qint64 typed = token.mid(at + 1).toLongLong(); typed > 0)
                    notes[id].typedAtMs = typed;
                token.truncate(at);
            }
            plain.append(token);
        }
        DoubtLimits limits;
        limits.leastGapMs = gapMs;
        const QList<bool> doubt = timing::doubtful(rowsOf(plain.join(' ')), notes, limits);
        QStringList marked;
        for (qsizetype i = 0; i < doubt.size(); ++i)
            if (doubt.at(i))
                marked.append(QString::number(i + 1));
        QTEST(marked.join(' '), "doubtful");
    }

    void doubtLimitsTyped_data()
    {
        QTest::addColumn<QString>("gap");
        QTest::addColumn<QString>("wait");
        QTest::addColumn<QString>("expected"); // "gap/wait" in ms, or the refusal
        QTest::newRow("decimal comma") << "0,2" << "60" << "200/60000";
        QTest::newRow("empty keeps the held ones") << "" << "" << "300/90000";
        QTest::newRow("no least gap") << "0" << "1" << "0/1000";
        QTest::newRow("gap over ten seconds") << "10,001" << "" << tx::flSettingsGapShape();
        QTest::newRow("gap not a number") << "pola" << "" << tx::flSettingsGapShape();
        QTest::newRow("wait under a second") << "" << "0,999" << tx::flSettingsWaitShape();
        QTest::newRow("wait over an hour") << "" << "3601" << tx::flSettingsWaitShape();
    }

    void doubtLimitsTyped()
    {
        QFETCH(QString, gap);
        QFETCH(QString, wait);
        const auto read = timing::readDoubtLimits(gap, wait, DoubtLimits{300, 90000});
        QTEST(read ? QStringLiteral("%1/%2").arg(read.value().leastGapMs).arg(read.value().longestWaitMs)
                   : read.refusal().message,
              "expected");
    }

    void pressMadeTwiceMarkedAtOnce_data()
    {
        QTest::addColumn<bool>("threaded");
        QTest::newRow("direct") << false;
        QTest::newRow("threaded") << true;
    }

    // A second press 0.1 s after the first shows marked as it is stored,
    // without the list laid out again; the first stays unmarked.
    void pressMadeTwiceMarkedAtOnce()
    {
        QFETCH(bool, threaded);
        auto s = raceWith(1);
        QVERIFY(s);
        finishline::FinishLine line(*s, std::make_shared<TestClock>(), {},
                                    threaded ? finishline::CaptureWriter::Mode::Threaded
                                             : finishline::CaptureWriter::Mode::Direct);
        QVERIFY(line.start().ok());
        QVERIFY(line.waitStored(5000));
        QSignalSpy resets(&line, &finishline::FinishLine::rowsReset);
        QVERIFY(line.press(1000).ok());
        QVERIFY(line.press(1100).ok());
        QVERIFY(line.waitStored(5000));
        QCOMPARE(resets.count(), 0);
        QCOMPARE(line.rows().size(), 2);
        QVERIFY(!line.isDoubtful(0));
        QVERIFY(line.isDoubtful(1));
        QVERIFY(finishline::CaptureModel(line).index(1, 5).data().toString().startsWith(tx::flStateDoubtful()));
    }

    void numberPreview_data()
    {
        QTest::addColumn<QString>("pending"); // numbers typed while writes fail
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("expected");
        QTest::newRow("the oldest free time") << "" << "2" << tx::flPreview("00:00:10.0", "2", "Trkač 2");
        QTest::newRow("after a number being stored") << "1" << "2" << tx::flPreview("00:00:20.0", "2", "Trkač 2");
        QTest::newRow("no time left") << "1 2" << "3" << tx::flPreviewWaits() + " · 3 Trkač 3";
        QTest::newRow("given while being stored") << "1" << "1" << tx::flPreviewUsed();
        QTest::newRow("not on the start list") << "" << "9" << tx::flPreviewNotOnList();
        QTest::newRow("no number") << "" << "" << QString();
    }

    // What Enter will do with the typed number, the entries still being
    // stored counted as the database will pair them.
    void numberPreview()
    {
        QFETCH(QString, pending);
        QFETCH(QString, typed);
        auto s = raceWith(3);
        QVERIFY(s);
        finishline::FinishLine line(*s, std::make_shared<TestClock>());
        QVERIFY(line.start().ok());
        QVERIFY(line.press(10000).ok());
        QVERIFY(line.press(20000).ok());
        captureWrites(false);
        for (const QString& n : pending.split(' ', Qt::SkipEmptyParts))
            QVERIFY(line.number(n).ok());
        QCOMPARE(line.pending().size(), pending.split(' ', Qt::SkipEmptyParts).size());
        QTEST(line.numberPreview(typed), "expected");
        captureWrites(true);
    }

    void journalStoredWhenWritesPass_data()
    {
        QTest::addColumn<QString>("before");  // numbers typed before writes fail; i<ms>: a time inserted
        QTest::addColumn<QString>("journal"); // p: a press, t<ms>: a press at 10:00:00 + ms, else a number
        QTest::addColumn<bool>("laidOutAgain");
        QTest::addColumn<bool>("threaded");
        for (const bool threaded : {false, true}) {
            const char* w = threaded ? "threaded: " : "direct: ";
            QTest::newRow(qPrintable(w + QStringLiteral("presses"))) << "1" << "p p p p p p p p p p" << false << threaded;
            QTest::newRow(qPrintable(w + QStringLiteral("a number waiting for the first")))
                << "1 2" << "p p p p p p p p" << true << threaded;
            QTest::newRow(qPrintable(w + QStringLiteral("numbers among the presses")))
                << "" << "p p 3 p p p 1 p p" << true << threaded;
            QTest::newRow(qPrintable(w + QStringLiteral("a press before the last crossing")))
                << "i500" << "t700 p p p p p p p" << true << threaded;
        }
    }

    // Entries that waited while writes failed are stored in order once they
    // pass: the list then shows what a list made afresh shows, and plain
    // presses take their places without the list laid out again.
    void journalStoredWhenWritesPass()
    {
        QFETCH(QString, before);
        QFETCH(QString, journal);
        QFETCH(bool, threaded);
        auto s = raceWith(3);
        QVERIFY(s);
        auto clock = std::make_shared<TestClock>();
        finishline::FinishLine line(*s, clock, {},
                                    threaded ? finishline::CaptureWriter::Mode::Threaded
                                             : finishline::CaptureWriter::Mode::Direct);
        QVERIFY(line.start().ok());
        QVERIFY(line.press(1000).ok());
        for (const QString& b : before.split(' ', Qt::SkipEmptyParts))
            QVERIFY(b.startsWith('i') ? line.insertTime(timing::timeOfDayText(kTen + b.mid(1).toLongLong(), 3), {}).ok()
                                      : line.number(b).ok());
        QVERIFY(line.waitStored(5000));
        captureWrites(false);
        finishline::CaptureModel shown(line);
        const auto texts = [](const QAbstractItemModel& m) {
            QStringList all;
            for (int row = 0; row < m.rowCount(); ++row)
                for (int column = 0; column < m.columnCount(); ++column)
                    all.append(m.index(row, column).data().toString());
            return all;
        };
        qint64 at = 1000;
        const QStringList entries = journal.split(' ');
        for (const QString& e : entries)
            QVERIFY(e == "p"             ? line.press(at += 1000).ok()
                    : e.startsWith('t') ? line.pressAt(kTen + e.mid(1).toLongLong()).ok()
                                        : line.number(e).ok());
        QCOMPARE(line.pending().size(), entries.size());
        QCOMPARE(texts(shown), texts(finishline::CaptureModel(line))); // the waiting entries shown as they came
        for (int row = int(line.rows().size()); row < shown.rowCount(); ++row)
            QCOMPARE(shown.index(row, 5).data().toString(), tx::flStatePending());
        QSignalSpy resets(&shown, &QAbstractItemModel::modelReset);
        captureWrites(true);
        QVERIFY(line.waitStored(10000));
        QTEST(resets.count() > 0, "laidOutAgain");
        QCOMPARE(texts(shown), texts(finishline::CaptureModel(line)));
        finishline::FinishLine reader(*s, clock, m_dir.filePath(QStringLiteral("reader.cilj")));
        QCOMPARE(texts(shown), texts(finishline::CaptureModel(reader))); // as another station reads them
        QCOMPARE(line.rows().size(), 1 + before.count('i') + journal.count('p') + journal.count('t'));
    }

    // The results check lists, in crossing order, a time before the start, a
    // number not on the start list, a captured time of a competitor with a
    // typed record, a number given twice and a time without a number;
    // without a start, one finding tells that the matched times make no record.
    void checkListsCapturedProblems_data()
    {
        QTest::addColumn<bool>("started");
        QTest::addColumn<QStringList>("expected");
        QTest::newRow("started") << true
                                 << QStringList{tx::checkTimeBeforeStart("2", 1, "-00:00:05.0"),
                                                tx::checkNumberNotOnList("99", 3),
                                                tx::checkCaptureConflict("3", "Trkač 3", "00:50:00", "00:00:30"),
                                                tx::checkNumberUsedTwice("1", 5, "00:00:40.0"),
                                                tx::checkTimeWithoutNumber(6, "00:00:50.0")};
        QTest::newRow("no start") << false
                                  << QStringList{tx::checkNoStart(2), tx::checkNumberNotOnList("99", 3),
                                                 tx::checkCaptureConflict("3", "Trkač 3", "00:50:00", "10:00:30.0"),
                                                 tx::checkNumberUsedTwice("1", 5, "10:00:40.0"),
                                                 tx::checkTimeWithoutNumber(6, "10:00:50.0")};
    }

    void checkListsCapturedProblems()
    {
        QFETCH(bool, started);
        QFETCH(QStringList, expected);
        auto s = raceWith(3);
        QVERIFY(s);
        QVERIFY(s->enterFinish(QStringLiteral("3"), QStringLiteral("00:50:00")).ok());
        auto clock = std::make_shared<TestClock>();
        finishline::FinishLine line(*s, clock);
        if (started)
            QVERIFY(line.start().ok());
        for (const qint64 at : {-5000LL, 10000LL, 20000LL, 30000LL, 40000LL, 50000LL})
            QVERIFY(line.press(at).ok());
        clock->mono = 51000; // the numbers typed after their presses, none waited a minute
        for (const char* n : {"2", "1", "99", "3", "1"})
            QVERIFY(line.number(QString::fromLatin1(n)).ok());
        const auto messagesOf = [&] {
            const auto found = resultscheck::findings(*s);
            QStringList messages;
            for (const checks::Finding& f : found.value())
                if (f.kind >= checks::Kind::TimeWithoutNumber)
                    messages.append(f.message);
            return std::pair(found.ok() && resultscheck::anyError(found.value()), messages);
        };
        QCOMPARE(messagesOf(), std::pair(true, expected));
        // A press made twice is listed after the errors, as a row to look at.
        QVERIFY(line.press(50100).ok());
        QCOMPARE(messagesOf().second.last(),
                 tx::checkCaptureDoubtful(7, started ? "00:00:50.1" : "10:00:50.1", QString()));
    }

    // The window's wiring: the menu item follows the race, Space records one
    // time however long it is held, Enter gives the typed number, and a
    // refusal shows in the status line, not in a message box.
    void windowWiring()
    {
        testutil::TempDb tmp;
        frmkelvora w(tmp.path());
        QAction* mnucilj = testutil::find<QAction>(&w, QStringLiteral("mnucilj"));
        QVERIFY(mnucilj);
        QVERIFY(!mnucilj->isEnabled());
        testutil::makeCurrentRace(w, QStringLiteral("Utrka"), QDate(2010, 6, 1));
        testutil::addCompetitor(w, QStringLiteral("5"), QStringLiteral("Ana"), QStringLiteral("Ž"), QDate(1990, 1, 1));
        QVERIFY(mnucilj->isEnabled());

        auto clock = std::make_shared<TestClock>();
        frmcilj window(w.session(), clock);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        auto* txtcilj = testutil::find<QLineEdit>(&window, QStringLiteral("txtcilj"));
        testutil::find<QPushButton>(&window, QStringLiteral("cmdstart"))->click();
        QVERIFY(window.line().startMs());
        clock->mono = 65000;
        MessageBox::clearShown();
        QTest::keyClick(txtcilj, Qt::Key_Space);
        QKeyEvent held(QEvent::KeyPress, Qt::Key_Space, Qt::NoModifier, QStringLiteral(" "), true);
        QApplication::sendEvent(txtcilj, &held);
        QCOMPARE(window.line().counts().times, 1);
        QTest::keyClicks(txtcilj, QStringLiteral("5"));
        QTest::keyClick(txtcilj, Qt::Key_Enter, Qt::KeypadModifier);
        QCOMPARE(window.line().counts().numbered, 1);
        QVERIFY(txtcilj->text().isEmpty());
        QVERIFY(window.line().waitStored(5000));
        auto* lsvcilj = testutil::find<QTreeView>(&window, QStringLiteral("lsvcilj"));
        QCOMPARE(testutil::cell(lsvcilj, 0, 4), QStringLiteral("Ana"));
        QCOMPARE(testutil::cell(lsvcilj, 0, 5), tx::flStateMatched());
        QCOMPARE(w.session().finishList().size(), 1);
        // The "Rezultati" page: its finisher count follows a deleted row at
        // once, and its empty number field passes Ctrl+Z to the program's undo.
        w.selectPage(frmkelvora::PageResults);
        auto* lbliz6 = testutil::find<QLabel>(&w, QStringLiteral("lbliz6"));
        QCOMPARE(lbliz6->text(), QStringLiteral("1"));
        QVERIFY(window.line().setDeleted(window.line().rows().first().id, true).ok());
        QVERIFY(window.line().waitStored(5000));
        QCOMPARE(lbliz6->text(), QStringLiteral("0"));
        w.show();
        w.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&w));
        auto* txtsbrojr = testutil::find<QLineEdit>(&w, QStringLiteral("txtsbrojr"));
        txtsbrojr->setFocus();
        QSignalSpy undone(testutil::find<QAction>(&w, QStringLiteral("mnuponisti")), &QAction::triggered);
        QTest::keyClicks(txtsbrojr, QStringLiteral("12"));
        QTest::keyClick(txtsbrojr, Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(undone.count(), 0); // the field's own undo: its text
        QVERIFY(txtsbrojr->text().isEmpty());
        QTest::keyClick(txtsbrojr, Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(undone.count(), 1);
        window.activateWindow();
        testutil::find<QPushButton>(&window, QStringLiteral("cmdstart"))->click(); // disabled: nothing
        QTest::keyClicks(txtcilj, QStringLiteral("1234567"));
        QCOMPARE(txtcilj->text(), QStringLiteral("123456"));
        QVERIFY(MessageBox::shown().isEmpty());
    }

    // The keys of a volunteer under pressure: Esc clears the number and
    // never closes, closing while the clock runs asks first, Space records
    // from the list too, lblcilj tells what Enter will do, Delete takes the
    // selected row out, and Ctrl+Z / Ctrl+Shift+Z in the number field undo
    // and redo the last change through the change log.
    void windowKeys()
    {
        auto s = raceWith(3);
        QVERIFY(s);
        auto clock = std::make_shared<TestClock>();
        frmcilj window(*s, clock);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        auto* txtcilj = testutil::find<QLineEdit>(&window, QStringLiteral("txtcilj"));
        auto* lsvcilj = testutil::find<QTreeView>(&window, QStringLiteral("lsvcilj"));
        auto* lblcilj = testutil::find<QLabel>(&window, QStringLiteral("lblcilj"));
        QVERIFY(window.line().start().ok());
        QTest::keyClick(lsvcilj, Qt::Key_Space);
        QTest::keyClick(txtcilj, Qt::Key_Space);
        QVERIFY(window.line().waitStored(5000));
        QCOMPARE(window.line().counts().times, 2);
        QTest::keyClicks(txtcilj, QStringLiteral("2"));
        QVERIFY(lblcilj->text().contains(QStringLiteral("Trkač 2")));
        QTest::keyClick(txtcilj, Qt::Key_Escape);
        QVERIFY(txtcilj->text().isEmpty());
        QVERIFY(window.isVisible());
        MessageBox::clearShown();
        MessageBox::setNextAnswer(QMessageBox::No);
        QVERIFY(!window.close());
        QVERIFY(window.isVisible());
        QCOMPARE(MessageBox::last().text, tx::flCloseQuestion());
        QTest::keyClicks(txtcilj, QStringLiteral("9"));
        QCOMPARE(lblcilj->text(), tx::flPreviewNotOnList());
        QTest::keyClick(txtcilj, Qt::Key_Backspace);
        QTest::keyClicks(txtcilj, QStringLiteral("1"));
        QTest::keyClick(txtcilj, Qt::Key_Return);
        QVERIFY(window.line().waitStored(5000));
        QCOMPARE(window.line().counts().numbered, 1);
        QTest::keyClick(txtcilj, Qt::Key_Z, Qt::ControlModifier);
        QVERIFY(window.line().waitStored(5000));
        QCOMPARE(window.line().counts().numbered, 0);
        QTest::keyClick(txtcilj, Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
        QCOMPARE(window.line().counts().numbered, 1);
        lsvcilj->selectionModel()->select(lsvcilj->model()->index(1, 0),
                                          QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
        QTest::keyClick(txtcilj, Qt::Key_Delete);
        QVERIFY(window.line().waitStored(5000));
        QCOMPARE(window.line().counts().times, 1);
        QCOMPARE(lsvcilj->selectionModel()->selectedRows().value(0).row(), 1); // kept in place
        // "Umetni vrijeme...": a refused time comes back with what was typed and why.
        QString typedBack;
        QString why;
        QTimer::singleShot(0, [&] {
            auto* d = static_cast<QDialog*>(QApplication::activeModalWidget());
            d->findChild<QLineEdit*>(QStringLiteral("txtumetnivrijeme"))->setText(QStringLiteral("25:00:00"));
            QTimer::singleShot(0, [&] {
                auto* again = static_cast<QDialog*>(QApplication::activeModalWidget());
                auto* time = again->findChild<QLineEdit*>(QStringLiteral("txtumetnivrijeme"));
                typedBack = time->text();
                const QList<QLabel*> labels = again->findChildren<QLabel*>();
                for (QLabel* l : labels)
                    why += l->text();
                time->setText(QStringLiteral("10:00:00.5"));
                again->accept();
            });
            d->accept();
        });
        QTest::keyClick(txtcilj, Qt::Key_Insert);
        QCOMPARE(typedBack, QStringLiteral("25:00:00"));
        QVERIFY(why.contains(tx::flTimeShape()));
        QVERIFY(window.line().waitStored(5000));
        QCOMPARE(window.line().rows().last().source, tx::flSourceTyped());
        QCOMPARE(lsvcilj->selectionModel()->selectedRows().value(0).data(finishline::CaptureModel::RowIdRole).toLongLong(),
                 window.line().rows().last().id); // the inserted row, selected
        MessageBox::setNextAnswer(QMessageBox::Yes);
        QVERIFY(window.close());
    }

    // A real race's 72 finishers captured as a volunteer would, pressing at
    // each crossing and typing the number right after, with two mistakes (a
    // press made twice is pressMadeTwiceMarkedAtOnce): a wrong number, and a
    // missed press, which leaves every row from there on marked "provjeri"
    // and one number waiting. Mended with the buttons, the finish list is
    // the real finishing order.
    void raceDayWalkWithMistakes()
    {
        QString dir;
        for (QDir d(QStringLiteral(KVR_SOURCE_DIR)); dir.isEmpty(); d.cdUp()) {
            if (QFileInfo(d.filePath(QStringLiteral("../shared/data/real-races"))).isDir())
                dir = d.filePath(QStringLiteral("../shared/data/real-races"));
            else if (d.isRoot())
                QSKIP("shared/data/real-races is not beside the source tree");
        }
        QFile entries(dir + QStringLiteral("/balmullo_2025_entries.tsv"));
        QFile times(dir + QStringLiteral("/balmullo_2025_rawtimes.tsv"));
        QVERIFY(entries.open(QIODevice::ReadOnly) && times.open(QIODevice::ReadOnly));
        auto s = raceWith(0);
        QVERIFY(s);
        QList<Competitor> runners;
        for (const QByteArray& line : entries.readAll().split('\n')) {
            const QStringList f = QString::fromUtf8(line).split('\t');
            if (f.size() < 3)
                continue;
            Competitor c;
            c.idutrke = s->race().id;
            c.sbroj = f.at(0).trimmed();
            c.ime = f.at(1).simplified();
            c.klub = f.at(2).simplified();
            c.spol = QStringLiteral("M");
            runners.append(c);
        }
        QVERIFY(s->addCompetitors(runners));
        QList<std::pair<QString, qint64>> crossings; // number, ms after the start
        for (const QByteArray& line : times.readAll().split('\n')) {
            const QStringList f = QString::fromUtf8(line).trimmed().split('\t');
            if (f.size() < 2)
                continue;
            qint64 seconds = 0;
            for (const QString& part : f.at(1).split(':'))
                seconds = seconds * 60 + part.toLongLong();
            qint64 at = seconds * 1000;
            if (!crossings.isEmpty() && at <= crossings.last().second)
                at = crossings.last().second + 250; // the same second: a quarter apart
            crossings.append({f.at(0).trimmed(), at});
        }
        QCOMPARE(crossings.size(), 72);
        constexpr int kWrong = 25, kMissed = 40;

        auto clock = std::make_shared<TestClock>();
        frmcilj window(*s, clock);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        finishline::FinishLine& line = window.line();
        auto* txtcilj = testutil::find<QLineEdit>(&window, QStringLiteral("txtcilj"));
        auto* lsvcilj = testutil::find<QTreeView>(&window, QStringLiteral("lsvcilj"));
        const auto click = [&](const char* name) { testutil::find<QPushButton>(&window, QLatin1String(name))->click(); };
        const auto listRowOf = [&](qint64 id) {
            for (int r = 0; r < lsvcilj->model()->rowCount(); ++r)
                if (lsvcilj->model()->index(r, 0).data(finishline::CaptureModel::RowIdRole).toLongLong() == id)
                    return r;
            return -1;
        };
        const auto select = [&](const QList<qint64>& ids) {
            QItemSelection chosen;
            for (const qint64 id : ids)
                chosen.select(lsvcilj->model()->index(listRowOf(id), 0), lsvcilj->model()->index(listRowOf(id), 5));
            lsvcilj->selectionModel()->select(chosen, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
        };
        // The dialog a button opens, answered when it shows.
        const auto answer = [](std::function<void(QWidget*)> fill) {
            QTimer::singleShot(0, [fill] {
                QWidget* dialog = QApplication::activeModalWidget();
                QVERIFY(dialog);
                fill(dialog);
                static_cast<QDialog*>(dialog)->accept();
            });
        };
        const auto rowWith = [&](const QString& number) -> const CapturedRow* {
            for (const CapturedRow& r : line.rows())
                if (r.number == number && !r.deleted)
                    return &r;
            return nullptr;
        };

        click("cmdstart");
        for (int i = 0; i < crossings.size(); ++i) {
            const auto& [number, at] = crossings.at(i);
            clock->mono = at;
            if (i != kMissed)
                QTest::keyClick(txtcilj, Qt::Key_Space);
            clock->mono = at + 150;
            QTest::keyClicks(txtcilj, i == kWrong ? QStringLiteral("999") : number);
            QTest::keyClick(txtcilj, Qt::Key_Return);
        }
        QVERIFY(line.waitStored(10000));
        // From the missed press on every row is marked, and one number waits.
        const qint64 missedAt = kTen + crossings.at(kMissed).second;
        for (int i = 0; i < line.rows().size(); ++i) {
            const CapturedRow& r = line.rows().at(i);
            if (!r.deleted)
                QCOMPARE(line.isDoubtful(i), !r.timeMs || *r.timeMs > missedAt);
        }
        QCOMPARE(line.counts().numbersWaiting, 1);

        // The wrong number, given again (F2).
        answer([&](QWidget* d) { static_cast<QInputDialog*>(d)->setTextValue(crossings.at(kWrong).first); });
        select({rowWith(QStringLiteral("999"))->id});
        QTest::keyClick(txtcilj, Qt::Key_F2);
        QVERIFY(line.waitStored(5000));
        QVERIFY(!rowWith(QStringLiteral("999")));
        // The numbers from the missed runner's on move up a row; his goes back to waiting.
        QList<qint64> block;
        for (int i = kMissed; i < crossings.size() - 1; ++i)
            block.append(rowWith(crossings.at(i).first)->id);
        select(block);
        click("cmdpomakgore");
        QVERIFY(line.waitStored(5000));
        const CapturedRow waiting = *rowWith(crossings.at(kMissed).first);
        QVERIFY(!waiting.timeMs);
        // The missed time inserted after the runner before him, with his number; the waiting number deleted.
        answer([&](QWidget* d) { d->findChild<QLineEdit*>(QStringLiteral("txtumetnibroj"))->setText(crossings.at(kMissed).first); });
        select({rowWith(crossings.at(kMissed - 1).first)->id});
        click("cmdumetni");
        QVERIFY(line.waitStored(5000));
        select({waiting.id});
        click("cmdobrisi");
        QVERIFY(line.waitStored(5000));
        QCOMPARE(line.counts().numbersWaiting, 0);
        // Every row looked at: confirmed.
        QList<qint64> doubtful;
        for (int i = 0; i < line.rows().size(); ++i)
            if (line.isDoubtful(i))
                doubtful.append(line.rows().at(i).id);
        QVERIFY(!doubtful.isEmpty());
        select(doubtful);
        click("cmdpotvrdi");
        QVERIFY(line.waitStored(5000));
        for (int i = 0; i < line.rows().size(); ++i)
            QVERIFY(!line.isDoubtful(i));

        QStringList real;
        for (const auto& [number, at] : crossings)
            real.append(number);
        QStringList listed;
        for (const FinishRecord& r : s->finishList())
            listed.append(r.sbroj);
        QCOMPARE(listed, real);
        MessageBox::setNextAnswer(QMessageBox::Yes);
        window.close();
    }

    // The same from a script: start, presses and numbers on standard input
    // (a wrong number corrected by a deleted row), and a second station's
    // file filling a missed press.
    void commandLineScript()
    {
        qint64 race = 0;
        {
            auto s = raceWith(3);
            QVERIFY(s);
            race = s->race().id;
        }
        const auto run = [&](const QStringList& args, const QByteArray& input = {}) {
            QProcess p;
            p.start(QStringLiteral(KVR_PROGRAM),
                    QStringList{args.first(), "--db", path(), "--race", QString::number(race)} + args.mid(1));
            p.write(input);
            p.closeWriteChannel();
            p.waitForFinished(30000);
            return std::pair(p.exitCode(), QString::fromUtf8(p.readAllStandardOutput()));
        };
        QCOMPARE(run({"start", "--at", "10:00:00.5"}).first, 0);
        const auto captured = run({"capture"}, "t 10:20:00.5\nt 10:20:00.9\nt 10:25:00\n1\n9\n2\nx 3\n");
        QCOMPARE(captured.first, 0);
        QCOMPARE(captured.second.count(QLatin1Char('\n')), 7);
        QVERIFY(captured.second.contains(tx::flStateNotOnList()));
        QFile file(m_dir.filePath(QStringLiteral("druga.txt")));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("10:20:01.4;9\n10:30:00.5;3\n");
        file.close();
        QCOMPARE(run({"import-capture", file.fileName(), "--offset", "-0.5"}).first, 0);
        RaceSession s(path());
        QVERIFY(s.database().open().ok());
        QVERIFY(s.openRace(race).ok());
        finishline::FinishLine line(s); // a registration or a stored file's rows come in
        QCOMPARE(finishes(s), (QStringList{"1@00:20:00", "3@00:30:00"}));
        QCOMPARE(line.counts().times, 3);
    }

    // The program killed in the middle of a burst of presses read from a
    // script: every row it printed is stored; presses that waited in the
    // journal are taken in by the next run, each once.
    void killedMidBurst_data()
    {
        QTest::addColumn<bool>("refused"); // writes refused: the presses wait in the journal
        QTest::newRow("stored at once") << false;
        QTest::newRow("waiting in the journal") << true;
    }

    void killedMidBurst()
    {
        QFETCH(bool, refused);
        auto s = raceWith(0);
        QVERIFY(s);
        const QString race = QString::number(s->race().id);
        QVERIFY(s->database().storePress(s->race().id, kTen, {}, QStringLiteral("A"), {}));
        s.reset();
        if (refused)
            testutil::refuseWrites(path(), QStringLiteral("cilj_vremena"), QStringLiteral("insert"),
                                   QStringLiteral("disk"));
        QProcess p;
        p.start(QStringLiteral(KVR_PROGRAM), {"capture", "--db", path(), "--race", race});
        QVERIFY(p.waitForStarted());
        p.write(QByteArray(3000, '\n'));
        QByteArray printed;
        while (printed.count('\n') < 40 && p.waitForReadyRead(20000))
            printed += p.readAllStandardOutput();
        p.kill();
        p.waitForFinished();
        printed += p.readAllStandardOutput();
        printed.truncate(printed.lastIndexOf('\n') + 1); // a line cut short was never shown
        const QStringList shown = QString::fromUtf8(printed).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
        QVERIFY(shown.size() >= 40 && shown.size() < 3000); // killed in the middle of the burst
        QFile file(path() + QStringLiteral(".cilj"));
        const int journaled = file.open(QIODevice::ReadOnly) ? int(file.readAll().count('\n')) : 0;
        QVERIFY(!refused || journaled >= shown.size());
        if (refused)
            testutil::allowWrites(path(), QStringLiteral("cilj_vremena"), QStringLiteral("insert"));
        RaceSession again(path());
        QVERIFY(again.database().open().ok());
        QVERIFY(again.openRace(race.toLongLong()).ok());
        finishline::FinishLine line(again);
        QVERIFY(line.pending().isEmpty());
        QMultiHash<QString, qint64> stored; // time of day -> sequence
        QSet<qint64> seqs;
        for (const CapturedRow& r : line.rows()) {
            stored.insert(timing::timeOfDayText(*r.timeMs, 3), r.seq);
            seqs.insert(r.seq);
        }
        QCOMPARE(seqs.size(), line.rows().size());
        if (refused)
            QCOMPARE(line.rows().size(), journaled + 1); // each journaled press once
        QVERIFY(line.rows().size() > shown.size());
        // A row printed as stored is there with its sequence; one printed as
        // waiting in the journal is there too.
        for (const QString& row : shown) {
            const QStringList f = row.split(QLatin1Char('\t'));
            QVERIFY2(f.at(0).isEmpty() ? stored.contains(f.at(1)) : stored.values(f.at(1)).contains(f.at(0).toLongLong()),
                     qPrintable(row));
        }
    }

    // Another program holds the file locked for three seconds while presses
    // come in: reading goes on, each press is stamped as its line arrives
    // (not when the lock is gone), printed once as waiting, and stored after.
    void captureReadsOnWhileTheFileIsLocked()
    {
        auto s = raceWith(0);
        QVERIFY(s);
        const QString race = QString::number(s->race().id);
        s.reset();
        const QString lockName = QStringLiteral("locker");
        {
            QSqlDatabase locker = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), lockName);
            locker.setDatabaseName(path());
            QVERIFY(locker.open());
            QProcess p;
            p.start(QStringLiteral(KVR_PROGRAM), {"capture", "--db", path(), "--race", race});
            QVERIFY(p.waitForStarted());
            QTest::qWait(1000); // the race is read before the lock is taken
            QVERIFY(QSqlQuery(locker).exec(QStringLiteral("begin exclusive")));
            p.write("\n");
            QTest::qWait(300);
            p.write("\n");
            QTest::qWait(3000);
            QVERIFY(QSqlQuery(locker).exec(QStringLiteral("rollback")));
            locker.close();
            p.closeWriteChannel();
            QVERIFY(p.waitForFinished(20000));
            QCOMPARE(p.exitCode(), 0);
            const QStringList shown = QString::fromUtf8(p.readAllStandardOutput()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
            QCOMPARE(shown.size(), 2);
        }
        QSqlDatabase::removeDatabase(lockName);
        RaceSession again(path());
        QVERIFY(again.database().open().ok());
        QVERIFY(again.openRace(race.toLongLong()).ok());
        finishline::FinishLine line(again);
        QCOMPARE(line.rows().size(), 2);
        const qint64 gap = *line.rows().at(1).timeMs - *line.rows().at(0).timeMs;
        QVERIFY2(gap > 150 && gap < 800, qPrintable(QString::number(gap)));
    }

    // A PostgreSQL server stopped during capture: presses and numbers wait in
    // the journal with their count shown, and are stored once, in order, when
    // it answers again.
    void serverStoppedDuringCapture()
    {
        testutil::PgServer* server = testutil::PgServer::instance();
        if (!server)
            QSKIP(qPrintable(testutil::PgServer::unavailableReason()));
        RaceSession s(server->newDatabase());
        QVERIFY(s.database().open().ok());
        QVERIFY(s.createRace(QStringLiteral("Utrka"), QStringLiteral("AK"), QStringLiteral("1.6.2010")).ok());
        auto clock = std::make_shared<TestClock>();
        frmcilj window(s, clock);
        finishline::FinishLine& line = window.line();
        QVERIFY(line.start().ok());
        QVERIFY(line.press(1000).ok());
        QVERIFY(line.press(2000).ok());
        QVERIFY(line.number(QStringLiteral("1")).ok());
        QVERIFY(line.waitStored(5000));
        QVERIFY(server->stop());
        const auto restart = qScopeGuard([server] { server->restart(); });
        QVERIFY(line.press(3000).ok());
        for (const char* n : {"2", "3", "4"}) // 4 waits for the next press
            QVERIFY(line.number(QLatin1String(n)).ok());
        QVERIFY(line.press(4000).ok());
        QVERIFY(line.press(5000).ok());
        QCOMPARE(line.pending().size(), 6);
        auto* lblcekanje = window.findChild<QLabel*>(QStringLiteral("lblcekanje"));
        clock->mono += 2000; // the oldest has waited for two seconds
        QTest::qWait(300);
        QCOMPARE(lblcekanje->text(), tx::flPendingCount(6));
        QTest::qWait(1500);
        QSignalSpy resets(&line, &finishline::FinishLine::rowsReset);
        QVERIFY(server->restart());
        QVERIFY(line.waitStored(20000));
        QVERIFY(resets.count() < 6); // the rows laid out again once for the flush, not once per entry
        QVERIFY(lblcekanje->text().isEmpty());
        QStringList rows;
        const auto stored = s.database().capturedRows(s.race().id); // as stored
        for (const CapturedRow& r : stored.value())
            rows.append(QStringLiteral("%1:%2=%3").arg(r.seq).arg(*r.timeMs - kTen).arg(r.number));
        rows.sort();
        QCOMPARE(rows, (QStringList{"1:1000=1", "2:2000=2", "3:3000=3", "4:4000=4", "5:5000="}));
    }

    // A number typed for a runner not yet registered is kept; registering
    // the runner makes the record, with the timing window open or not, and
    // a number changed away takes it back. A runner another program
    // registered gets the record at the results check.
    void laterRegistrationMatches_data()
    {
        QTest::addColumn<QString>("how");
        QTest::newRow("window open") << QStringLiteral("open");
        QTest::newRow("window closed") << QStringLiteral("closed");
        QTest::newRow("another program, then the check") << QStringLiteral("program");
    }

    void laterRegistrationMatches()
    {
        QFETCH(QString, how);
        auto s = raceWith(1);
        QVERIFY(s);
        auto line = std::make_unique<finishline::FinishLine>(*s, std::make_shared<TestClock>());
        QVERIFY(line->start().ok());
        QVERIFY(line->press(30000).ok());
        QVERIFY(line->number(QStringLiteral("77")).ok());
        QCOMPARE(line->evaluation().states.at(0), RowState::NotOnList);
        if (how != QLatin1String("open"))
            line.reset();
        const auto runner = [](const char* number) {
            return rules::CompetitorEntry{QStringLiteral("Novi"), QLatin1String(number), QStringLiteral("HRV"),
                                          QStringLiteral("AK"), QStringLiteral("M"), QStringLiteral("1.1.1980")};
        };
        if (how == QLatin1String("program")) {
            testutil::execOnFile(path(), QStringLiteral("insert into startna (idutrke, sbroj, ime, spol) values (%1, '77', 'Novi', 'M')")
                                             .arg(s->race().id));
            QVERIFY(resultscheck::findings(*s).ok());
            QCOMPARE(finishes(*s), QStringList{"77@00:00:30"});
            return;
        }
        const auto added = s->addCompetitor(runner("77"));
        QVERIFY(added.ok());
        if (line)
            QCOMPARE(line->evaluation().states.at(0), RowState::Matched);
        QCOMPARE(finishes(*s), QStringList{"77@00:00:30"});
        QVERIFY(s->editCompetitor(added.value().id, runner("78")).ok());
        QCOMPARE(finishes(*s), QStringList());
    }
};

KVR_TEST_MAIN(TestFinishLine)
#include "test_finishline.moc"
