// The change log and undo/redo, on SQLite and PostgreSQL alike.

#include "app/editlog.h"
#include "app/finishline.h"
#include "app/racerules.h"
#include "cli/commandline.h"
#include "app/racesession.h"
#include "core/changelog.h"
#include "core/texts.h"
#include "core/texts_editlog.h"
#include "data/database.h"
#include "pgserver.h"
#include "testutil.h"

#include <QAction>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLineEdit>
#include <QRandomGenerator>
#include <QTreeView>
#include <QSqlError>
#include <QSqlQuery>
#include <QtTest>
#include <atomic>
#include <memory>
#include <thread>
#include <optional>

using testutil::PgServer;
using testutil::TempDb;
using testutil::find;

namespace {

rules::CompetitorEntry entry(const QString& number, const QString& name, const QString& club = QStringLiteral("AK Split"))
{
    return {name, number, QStringLiteral("HRV"), club, QStringLiteral("M"), QStringLiteral("1.2.1980")};
}

Competitor imported(const QString& number, const QString& name)
{
    Competitor c;
    c.sbroj = number;
    c.ime = name;
    c.drzava = QStringLiteral("HRV");
    c.klub = QStringLiteral("AK Rijeka");
    c.spol = QStringLiteral("Ž");
    c.datum = QDate(1990, 3, 4);
    return c;
}

// Everything stored of every race: rows, keys included, as text.
QStringList stored(Database& db)
{
    QStringList all;
    const QList<Race> races = db.allRaces().value();
    for (const Race& r : races) {
        all << QStringLiteral("race %1|%2|%3|%4|%5|%6").arg(r.id).arg(r.ime, r.org, r.datum.toString(), r.da, r.nagrade);
        const QList<Competitor> starts = db.startList(r.id).value();
        for (const Competitor& c : starts)
            all << QStringLiteral("c %1|%2|%3|%4|%5").arg(c.id).arg(c.sbroj, c.ime, c.klub, c.datum.toString());
        const QList<FinishRecord> finishes = db.finishList(r.id).value();
        for (const FinishRecord& f : finishes)
            all << QStringLiteral("f %1|%2|%3|%4").arg(f.id).arg(f.idtakmicara).arg(f.sbroj, f.vrijeme);
        const RunStates states = db.runStates(r.id).value();
        for (auto it = states.cbegin(); it != states.cend(); ++it)
            all << QStringLiteral("s %1|%2|%3").arg(it.key()).arg(int(it->state)).arg(it->reason);
        const RaceSettings settings = db.raceSettings(r.id).value();
        all << QStringLiteral("p %1|%2").arg(settings.listUnranked).arg(settings.courseKm.value_or(0));
        all << QStringLiteral("r %1").arg(racerules::rulesText(db.raceRules(r.id).value()));
        all << QStringLiteral("t %1").arg(db.captureStart(r.id).value().value_or(-1));
        const QList<timing::CapturedRow> captured = db.capturedRows(r.id).value();
        for (const timing::CapturedRow& c : captured)
            all << QStringLiteral("k %1|%2|%3|%4|%5|%6").arg(c.id).arg(c.seq).arg(c.timeMs.value_or(-1)).arg(c.number)
                       .arg(c.deleted).arg(c.recordId != 0);
    }
    all.sort();
    return all;
}

enum class Op {
    RaceNew, RaceEdit, RaceWithdraw, Prizes, Add, Edit, Delete, DeleteWithFinish, Finish, RemoveFinish,
    Status, MarkDns, Settings, ImportEntries, ImportTimes, Rules,
    // The finish line (after a start and two presses, the first numbered 2, when the row says so).
    CaptureStartPressed, CaptureStart, CapturePress, CaptureNumber, CaptureShift, CaptureDelete, CaptureInsert, CaptureImport
};

constexpr qint64 kTen = 10LL * 3600 * 1000; // 10:00:00

// The stored rows with the finish records' keys left out: a record that
// follows a captured row is made anew when the row comes back.
QStringList withoutRecordKeys(QStringList rows)
{
    static const QRegularExpression key(QStringLiteral("^f \\d+\\|"));
    for (QString& r : rows)
        r.replace(key, QStringLiteral("f |"));
    rows.sort();
    return rows;
}

QStringList texts(const QList<Competitor>& list)
{
    QStringList all;
    for (const Competitor& c : list)
        all << QStringLiteral("%1|%2|%3").arg(c.id).arg(c.sbroj, c.ime);
    return all;
}

} // namespace

Q_DECLARE_METATYPE(Op)

class TestEditLog : public QObject {
    Q_OBJECT

    // A new empty database of the engine (none: PostgreSQL cannot run here).
    std::optional<DbLocation> newDatabase(bool postgres, const TempDb& tmp)
    {
        if (!postgres)
            return DbLocation::sqliteFile(tmp.path());
        PgServer* server = PgServer::instance();
        if (!server)
            return std::nullopt;
        return server->newDatabase();
    }

    static std::unique_ptr<RaceSession> station(const DbLocation& where, const QString& name, qint64 race = 0)
    {
        auto s = std::make_unique<RaceSession>(where);
        if (!s->database().open())
            return nullptr;
        s->database().setStation(name, QStringLiteral("korisnik"));
        if (race && !s->openRace(race))
            return nullptr;
        return s;
    }

    // A race with Ana (1, finished 00:41:12) and Ivo (2, no finish).
    static qint64 raceOf(RaceSession& s)
    {
        const qint64 race = s.createRace(QStringLiteral("Utrka"), QStringLiteral("AK"), QStringLiteral("1.6.2010")).value().id;
        s.addCompetitor(entry(QStringLiteral("1"), QStringLiteral("Ana")));
        s.addCompetitor(entry(QStringLiteral("2"), QStringLiteral("Ivo")));
        s.enterFinish(QStringLiteral("1"), QStringLiteral("00:41:12"));
        return race;
    }

    static qint64 idOf(RaceSession& s, const QString& number) { return s.startNumbers().first(number); }

    // Station A on a new database of the engine, with raceOf's race; null
    // (the case skipped) without a server.
    std::unique_ptr<RaceSession> stationA(bool postgres, const TempDb& tmp, DbLocation& where, qint64& race)
    {
        const auto made = newDatabase(postgres, tmp);
        if (!made)
            return nullptr;
        where = *made;
        auto a = station(where, QStringLiteral("A"));
        if (a)
            race = raceOf(*a);
        return a;
    }

    static bool run(RaceSession& s, Op op)
    {
        switch (op) {
        case Op::RaceNew:
            return s.createRace(QStringLiteral("Druga"), QStringLiteral("AK"), QStringLiteral("2.6.2010")).ok();
        case Op::RaceEdit:
            return s.editRace(QStringLiteral("Utrka"), QStringLiteral("AK Zagreb"), QStringLiteral("3.6.2010")).ok();
        case Op::RaceWithdraw:
            return s.withdrawRace().ok();
        case Op::Prizes:
            return s.setPrizeFund(QStringLiteral("100 EUR")).ok();
        case Op::Add:
            return s.addCompetitor(entry(QStringLiteral("3"), QStringLiteral("Eva"))).ok();
        case Op::Edit:
            return s.editCompetitor(idOf(s, QStringLiteral("1")), entry(QStringLiteral("1"), QStringLiteral("Ana"), QStringLiteral("AK Zagreb"))).ok();
        case Op::Delete:
            return s.deleteCompetitor(idOf(s, QStringLiteral("2")), false).ok();
        case Op::DeleteWithFinish:
            return s.deleteCompetitor(idOf(s, QStringLiteral("1")), true).ok();
        case Op::Finish:
            return s.enterFinish(QStringLiteral("2"), QStringLiteral("00:45:00")).ok();
        case Op::RemoveFinish:
            return s.removeFinish(idOf(s, QStringLiteral("1"))).ok();
        case Op::Status:
            return s.setRunState(idOf(s, QStringLiteral("1")), RunState::Dsq, QStringLiteral("skraćena staza")).ok();
        case Op::MarkDns:
            return s.addCompetitor(entry(QStringLiteral("4"), QStringLiteral("Iva"))).ok() && s.markDns().value() == 2;
        case Op::Settings:
            return s.setSettings(false, QStringLiteral("10")).ok();
        case Op::ImportEntries:
            return s.addCompetitors({imported(QStringLiteral("7"), QStringLiteral("Maja")), imported({}, QStringLiteral("Lea"))}).ok();
        case Op::Rules: {
            RaceRules rules;
            rules.categories = CategoryScheme(QList<CategoryRow>{CategoryRow{QStringLiteral("M40"), RuleSex::Men, 40, 49}});
            rules.prizes = PrizeScheme(QList<PrizeRow>{PrizeRow{QStringLiteral("Men Open"), RuleSex::Men, 13, 99, 3}});
            return s.setRules(rules).ok();
        }
        case Op::CaptureStartPressed:
            return finishline::FinishLine(s).start().ok();
        case Op::CaptureStart:
            return finishline::FinishLine(s).setStart(QStringLiteral("10:00:01")).ok();
        case Op::CapturePress:
            return finishline::FinishLine(s).pressAt(kTen + 3000000).ok();
        case Op::CaptureNumber:
            return finishline::FinishLine(s).number(QStringLiteral("2")).ok();
        case Op::CaptureShift: {
            finishline::FinishLine line(s);
            return line.shiftNumbers({line.rows().at(0).id, line.rows().at(1).id}, false).ok();
        }
        case Op::CaptureDelete: {
            finishline::FinishLine line(s);
            return line.setDeleted(line.rows().at(0).id, true).ok();
        }
        case Op::CaptureInsert:
            return finishline::FinishLine(s).insertTime(QStringLiteral("10:20:00"), QStringLiteral("2")).ok();
        case Op::CaptureImport:
            return finishline::FinishLine(s).importTimes("10:30:00.5,2\n10:50:00\n", QStringLiteral("B")).ok();
        case Op::ImportTimes: {
            FinishRecord r;
            r.idtakmicara = idOf(s, QStringLiteral("2"));
            r.sbroj = QStringLiteral("2");
            r.vrijeme = QStringLiteral("00:50:00");
            return s.addFinishRecords({r}).ok();
        }
        }
        return false;
    }

private slots:
    void kinds_data()
    {
        QTest::addColumn<bool>("postgres");
        QTest::addColumn<Op>("op");
        QTest::addColumn<int>("entries");  // the last batch's entries (MarkDns: one more change before)
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("words"); // what the last entry tells, in part
        for (bool pg : {false, true}) {
            const QString e = QLatin1String(pg ? "postgresql: " : "sqlite: ");
            const auto row = [&](const char* name, Op op, int n, const char* kind, const QString& words) {
                QTest::newRow(qPrintable(e + QLatin1String(name))) << pg << op << n << QString::fromLatin1(kind) << words;
            };
            row("race created", Op::RaceNew, 1, changes::kRaceAdded, tx::logAdded());
            row("race edited", Op::RaceEdit, 1, changes::kRaceEdited, tx::logFieldOrganiser() + QStringLiteral(": AK → AK Zagreb"));
            row("race withdrawn", Op::RaceWithdraw, 1, changes::kRaceWithdrawn, tx::logFieldOffered() + QStringLiteral(": y → n"));
            row("prize fund", Op::Prizes, 1, changes::kPrizes, tx::logFieldPrizes() + QStringLiteral(": ") + tx::logNone());
            row("competitor added", Op::Add, 1, changes::kCompetitorAdded, tx::logFieldName() + QStringLiteral(": Eva"));
            row("competitor edited", Op::Edit, 1, changes::kCompetitorEdited, QStringLiteral("Klub: AK Split → AK Zagreb"));
            row("competitor deleted", Op::Delete, 1, changes::kCompetitorDeleted, tx::logRemoved());
            row("competitor deleted with finish", Op::DeleteWithFinish, 2, changes::kCompetitorDeleted, QStringLiteral("Ana"));
            row("finish entered", Op::Finish, 1, changes::kFinishEntered, QStringLiteral("00:45:00"));
            row("finish removed", Op::RemoveFinish, 1, changes::kFinishRemoved, QStringLiteral("00:41:12"));
            row("status", Op::Status, 1, changes::kStatus, QStringLiteral("skraćena staza"));
            row("mark DNS", Op::MarkDns, 2, changes::kMarkDns, QStringLiteral("DNS"));
            row("settings", Op::Settings, 1, changes::kSettings, tx::logFieldCourseKm());
            row("import entries", Op::ImportEntries, 2, changes::kImportEntry, QStringLiteral("Lea"));
            row("import times", Op::ImportTimes, 1, changes::kImportTime, QStringLiteral("00:50:00"));
            row("race's rules", Op::Rules, 1, changes::kRules, tx::logFieldCategories() + QStringLiteral(": ")
                    + tx::logStandardRules() + tx::logArrow() + QStringLiteral("M40 (M 40-49)"));
            row("start pressed", Op::CaptureStartPressed, 1, changes::kCaptureStart, tx::logAdded() + tx::logFieldStart());
            row("start moved", Op::CaptureStart, 1, changes::kCaptureStart, QStringLiteral("10:00:00.000 → 10:00:01.000"));
            row("press", Op::CapturePress, 1, changes::kCapturePress, QStringLiteral("10:50:00.000"));
            row("number given", Op::CaptureNumber, 1, changes::kCaptureNumber, tx::logFieldNumber() + QStringLiteral(": ")
                    + tx::logNone() + tx::logArrow() + QStringLiteral("2"));
            row("numbers shifted", Op::CaptureShift, 2, changes::kCaptureShift, tx::logArrow() + QStringLiteral("2"));
            row("press deleted, record follows", Op::CaptureDelete, 1, changes::kCaptureDeleted, tx::logPressDeleted() + QStringLiteral(" (Vrijeme dana: 10:30:00.000, Broj: 2)"));
            row("time inserted, record follows", Op::CaptureInsert, 1, changes::kCaptureInserted, QStringLiteral("10:20:00.000"));
            row("times file", Op::CaptureImport, 2, changes::kCaptureImport, QStringLiteral("10:50:00.000"));
        }
    }

    // Every kind of change gives its entries, one batch, the right before
    // and after; undo restores every row exactly, redo the change exactly.
    void kinds()
    {
        QFETCH(bool, postgres);
        QFETCH(Op, op);
        QFETCH(int, entries);
        QFETCH(QString, kind);
        QFETCH(QString, words);
        TempDb tmp;
        const auto where = newDatabase(postgres, tmp);
        if (!where)
            QSKIP(qPrintable(PgServer::unavailableReason()));
        auto s = station(*where, QStringLiteral("A"));
        QVERIFY(s);
        const qint64 race = raceOf(*s);
        const bool capture = op >= Op::CaptureStartPressed;
        if (capture) {
            // Started at 10:00:00; presses at 10:30:00 and 10:35:00, the first Ivo's (2) where the row says so.
            finishline::FinishLine line(*s);
            QVERIFY(op == Op::CaptureStartPressed || line.setStart(QStringLiteral("10:00:00")).ok());
            QVERIFY(op < Op::CaptureNumber || line.pressAt(kTen + 1800000).ok());
            QVERIFY(op < Op::CaptureNumber || line.pressAt(kTen + 2100000).ok());
            QVERIFY((op != Op::CaptureShift && op != Op::CaptureDelete) || line.number(QStringLiteral("2")).ok());
        }
        const auto loose = [&](const QStringList& rows) { return capture ? withoutRecordKeys(rows) : rows; };
        EditLog log(*s);
        const QStringList before = stored(s->database());
        const int logged = int(s->database().changeLog(race).value().size());
        QVERIFY(run(*s, op));
        // The prize fund tells nobody: the log is looked at once the event loop runs.
        QCoreApplication::processEvents();
        const QStringList after = stored(s->database());

        QList<ChangeEntry> all = s->database().changeLog(op == Op::RaceNew ? s->race().id : race).value();
        if (op != Op::RaceNew)
            all = all.mid(logged);
        if (op == Op::MarkDns)
            all = all.mid(1); // the competitor added first
        // The finish records that follow the captured rows: a batch of their own, after the change.
        const qsizetype followed = std::count_if(all.cbegin(), all.cend(), [](const ChangeEntry& e) { return changes::follows(e.kind); });
        while (!all.isEmpty() && changes::follows(all.last().kind))
            all.removeLast();
        QCOMPARE(followed > 0, op >= Op::CaptureNumber);
        QCOMPARE(all.size(), entries);
        const ChangeEntry& last = all.last();
        QCOMPARE(last.kind, kind);
        QCOMPARE(last.station, QStringLiteral("A"));
        QCOMPARE(last.user, QStringLiteral("korisnik"));
        QVERIFY(!last.time.isEmpty());
        for (const ChangeEntry& e : all)
            QCOMPARE(e.batch, all.first().batch);
        QVERIFY2((changes::describe(last) + last.before + last.after).contains(words), qPrintable(changes::describe(last)));
        QVERIFY(log.canUndo());
        QCOMPARE(log.undoText(), changes::caption(s->database().changeBatch(last.batch).value()));

        // A timing window open meanwhile shows what the undo and the redo wrote.
        std::optional<finishline::FinishLine> open;
        if (capture)
            open.emplace(*s);
        const auto shownAsStored = [&] {
            return !open || (open->rows() == finishline::FinishLine(*s).rows()
                             && open->startMs() == finishline::FinishLine(*s).startMs());
        };
        QVERIFY(log.undo().ok());
        if (op == Op::MarkDns)
            QVERIFY(log.undo().ok());
        QCOMPARE(loose(stored(s->database())), loose(before));
        QVERIFY(shownAsStored());
        QVERIFY(log.canRedo());
        if (op == Op::MarkDns)
            QVERIFY(log.redo().ok());
        QVERIFY(log.redo().ok());
        QCOMPARE(loose(stored(s->database())), loose(after));
        QVERIFY(shownAsStored());
    }

    void engines_data()
    {
        QTest::addColumn<bool>("postgres");
        QTest::newRow("sqlite") << false;
        QTest::newRow("postgresql") << true;
    }

    // A change whose rows, or whose log entry, cannot be stored leaves
    // neither the change nor an entry.
    void failedChangeLogsNothing_data()
    {
        QTest::addColumn<QString>("table");
        QTest::addColumn<QString>("statement");
        QTest::addColumn<Op>("op");
        QTest::newRow("competitor added") << "startna" << "insert" << Op::Add;
        QTest::newRow("competitor edited") << "startna" << "update" << Op::Edit;
        QTest::newRow("competitor deleted") << "startna" << "delete" << Op::DeleteWithFinish;
        QTest::newRow("finish entered") << "rezultati" << "insert" << Op::Finish;
        QTest::newRow("log entry of a finish") << "dnevnik" << "insert" << Op::Finish;
        QTest::newRow("log entry of an import") << "dnevnik" << "insert" << Op::ImportEntries;
    }
    void failedChangeLogsNothing()
    {
        QFETCH(QString, table);
        QFETCH(QString, statement);
        QFETCH(Op, op);
        TempDb tmp;
        auto s = station(DbLocation::sqliteFile(tmp.path()), QStringLiteral("A"));
        QVERIFY(s);
        const qint64 race = raceOf(*s);
        const QStringList before = stored(s->database());
        const auto logged = s->database().changeLog(race).value();
        testutil::refuseWrites(tmp.path(), table, statement, QStringLiteral("disk pun"));
        QVERIFY(!run(*s, op));
        testutil::allowWrites(tmp.path(), table, statement);
        QCOMPARE(stored(s->database()), before);
        QVERIFY(s->database().changeLog(race).value() == logged);
    }

    void storeForARemovedRunner_data()
    {
        QTest::addColumn<bool>("postgres");
        QTest::addColumn<QString>("path");
        for (const bool postgres : {false, true})
            for (const char* path : {"typed", "imported", "made"})
                QTest::newRow(qPrintable(QStringLiteral("%1, %2").arg(postgres ? "postgresql" : "sqlite", path)))
                    << postgres << QString::fromLatin1(path);
    }

    // Every store of a finish record looks for its runner as stored: one
    // another station removed a moment ago gets no record, whichever path.
    void storeForARemovedRunner()
    {
        QFETCH(bool, postgres);
        QFETCH(QString, path);
        TempDb tmp;
        DbLocation where;
        qint64 race = 0;
        auto a = stationA(postgres, tmp, where, race);
        if (!a)
            QSKIP(qPrintable(PgServer::unavailableReason()));
        const qint64 ivo = idOf(*a, QStringLiteral("2"));
        auto b = station(where, QStringLiteral("B"), race);
        QVERIFY(b && b->deleteCompetitor(ivo, false).ok());
        const FinishRecord r{0, ivo, race, QStringLiteral("2"), QStringLiteral("00:50:00")};
        if (path == QLatin1String("typed")) {
            const auto id = a->database().insertFinishRecordIfNone(r);
            QVERIFY(!id && id.error().isGone());
        } else if (path == QLatin1String("imported")) {
            const auto stored = a->database().insertFinishRecords({r});
            QVERIFY(!stored && stored.error().isGone());
        } else {
            timing::RecordChanges changes;
            changes.add.append({7, ivo, QStringLiteral("2"), QStringLiteral("00:50:00"), 0});
            const auto stored = a->database().applyCaptureRecords(race, changes);
            QVERIFY(stored);
            QCOMPARE(stored.value().refusedRows, QList<qint64>{7});
            QVERIFY(stored.value().added.isEmpty());
        }
        QVERIFY(a->reload().ok());
        QCOMPARE(a->finishList().size(), 1); // Ana's only
    }

    // A new database itself refuses a finish record without its runner,
    // whatever program writes to it: a time for a runner who is not there,
    // and a finisher removed with his time left behind. A runner without a
    // time goes as before.
    void databaseItselfRefusesAnOrphan_data()
    {
        QTest::addColumn<bool>("postgres");
        QTest::addColumn<QString>("sql"); // %1 the race, %2 Ana (a finisher), %3 Ivo
        QTest::addColumn<bool>("refused");
        for (const bool postgres : {false, true}) {
            const char* engine = postgres ? "postgresql: " : "sqlite: ";
            QTest::addRow("%stime for nobody", engine)
                << postgres << QStringLiteral("insert into rezultati (idutrke, sbroj, idtakmicara, vrijeme) "
                                              "values (%1, '5', 99999, '00:50:00')") << true;
            QTest::addRow("%stime moved to nobody", engine)
                << postgres << QStringLiteral("update rezultati set idtakmicara = 99999 where idtakmicara = %2") << true;
            QTest::addRow("%sfinisher removed", engine)
                << postgres << QStringLiteral("delete from startna where id = %2") << true;
            QTest::addRow("%srunner without a time removed", engine)
                << postgres << QStringLiteral("delete from startna where id = %3") << false;
        }
    }

    void databaseItselfRefusesAnOrphan()
    {
        QFETCH(bool, postgres);
        QFETCH(QString, sql);
        QFETCH(bool, refused);
        TempDb tmp;
        DbLocation where;
        qint64 race = 0;
        auto a = stationA(postgres, tmp, where, race);
        if (!a)
            QSKIP(qPrintable(PgServer::unavailableReason()));
        sql.replace(QStringLiteral("%1"), QString::number(race));
        sql.replace(QStringLiteral("%2"), QString::number(idOf(*a, QStringLiteral("1"))));
        sql.replace(QStringLiteral("%3"), QString::number(idOf(*a, QStringLiteral("2"))));
        const QString name = QStringLiteral("raw");
        {
            QSqlDatabase raw = QSqlDatabase::addDatabase(postgres ? QStringLiteral("QPSQL") : QStringLiteral("QSQLITE"), name);
            raw.setDatabaseName(postgres ? where.dbname : where.filePath);
            raw.setHostName(where.host);
            raw.setPort(where.port);
            raw.setUserName(where.user);
            QVERIFY(raw.open());
            QSqlQuery q(raw);
            const bool done = q.exec(sql);
            QVERIFY2(done != refused, qPrintable(sql + QStringLiteral(": ") + q.lastError().text()));
        }
        QSqlDatabase::removeDatabase(name);
    }

    void noOrphanWhenStationsRace_data()
    {
        QTest::addColumn<bool>("postgres");
        QTest::addColumn<bool>("byUndo");
        for (const bool postgres : {false, true}) {
            QTest::newRow(postgres ? "postgresql, deleted" : "sqlite, deleted") << postgres << false;
            QTest::newRow(postgres ? "postgresql, undone" : "sqlite, undone") << postgres << true;
        }
    }

    // Station A adds runner 9 and deletes it again (or undoes the add) while
    // station B, from a thread of its own, enters a time for 9 as fast as it
    // can: whichever commits first, no finish record is ever left without
    // its runner, and B is told when its time was not stored.
    void noOrphanWhenStationsRace()
    {
        QFETCH(bool, postgres);
        QFETCH(bool, byUndo);
        TempDb tmp;
        DbLocation where;
        qint64 race = 0;
        if (!stationA(postgres, tmp, where, race))
            QSKIP(qPrintable(PgServer::unavailableReason()));
        std::atomic<bool> done = false;
        std::atomic<int> stored = 0;
        std::atomic<int> refusedGone = 0;
        std::thread b([&] {
            auto s = station(where, QStringLiteral("B"), race);
            while (s && !done) {
                s->refresh();
                const Competitor* nine = nullptr;
                for (const Competitor& c : s->startList())
                    if (c.sbroj == QLatin1String("9"))
                        nine = &c;
                if (!nine)
                    continue;
                // The time for the runner B sees, stored whatever A did since.
                FinishRecord r;
                r.idutrke = race;
                r.idtakmicara = nine->id;
                r.sbroj = nine->sbroj;
                r.vrijeme = QStringLiteral("00:50:00");
                const auto id = s->database().insertFinishRecordIfNone(r);
                stored += id.ok();
                refusedGone += !id.ok() && id.error().isGone();
            }
        });
        auto a = station(where, QStringLiteral("A"), race);
        QVERIFY(a);
        EditLog log(*a);
        for (int i = 0; i < 60; ++i) {
            const auto added = a->addCompetitor(entry(QStringLiteral("9"), QStringLiteral("Devet")));
            QVERIFY(added.ok());
            QThread::usleep(QRandomGenerator::global()->bounded(3000));
            const Status removed = byUndo ? (log.sync(), log.undo()) : a->deleteCompetitor(added.value().id, false);
            // B got in first: the runner is a finisher now, and goes with the record once confirmed.
            if (!removed.ok())
                QVERIFY(a->deleteCompetitor(added.value().id, true).ok());
        }
        done = true;
        b.join();
        QVERIFY(a->reload().ok());
        for (const FinishRecord& r : a->finishList())
            QVERIFY2(a->competitor(r.idtakmicara), qPrintable(r.sbroj + QStringLiteral(" without its runner")));
        QVERIFY(stored + refusedGone > 0); // the two stations did meet
    }

    // Undo of a row another station changed since is refused, naming the
    // station and the time, and changes nothing.
    void undoOvertakenByAnotherStation_data() { engines_data(); }
    void undoOvertakenByAnotherStation()
    {
        QFETCH(bool, postgres);
        TempDb tmp;
        const auto where = newDatabase(postgres, tmp);
        if (!where)
            QSKIP(qPrintable(PgServer::unavailableReason()));
        auto a = station(*where, QStringLiteral("A"));
        QVERIFY(a);
        const qint64 race = raceOf(*a);
        EditLog log(*a);
        const qint64 ivo = idOf(*a, QStringLiteral("2"));
        const QString was = a->competitor(ivo)->ime;
        QVERIFY(a->editCompetitor(ivo, entry(QStringLiteral("2"), QStringLiteral("Ivo"), QStringLiteral("AK Zagreb"))).ok());
        auto b = station(*where, QStringLiteral("B"), race);
        QVERIFY(b);
        QVERIFY(b->editCompetitor(ivo, entry(QStringLiteral("2"), QStringLiteral("Ivo Ivić"), QStringLiteral("AK Zagreb"))).ok());
        const ChangeEntry later = b->database().changeLog(race).value().last();
        const QStringList before = stored(a->database());
        const Status undone = log.undo();
        QCOMPARE(undone.kind(), Status::Kind::Refused);
        QCOMPARE(undone.refusal().message, tx::undoOvertaken(QStringLiteral("B"), changes::localTime(later.time)));
        QCOMPARE(stored(a->database()), before);
        QVERIFY(log.canUndo());
        // B takes its own change back: the row is as A left it, and A's undo goes on.
        EditLog logB(*b);
        QVERIFY(logB.undo().ok());
        QVERIFY(log.undo().ok());
        QVERIFY(a->refresh().ok());
        QCOMPARE(a->competitor(ivo)->ime, was);
    }

    // An import undone goes whole; redone, it comes back with its keys.
    // Once another station changed one of its rows or entered one of its
    // runners at the finish, none goes.
    void batchUndoRestoresTheStartList_data() { engines_data(); }
    void batchUndoRestoresTheStartList()
    {
        QFETCH(bool, postgres);
        TempDb tmp;
        const auto where = newDatabase(postgres, tmp);
        if (!where)
            QSKIP(qPrintable(PgServer::unavailableReason()));
        auto s = station(*where, QStringLiteral("A"));
        QVERIFY(s);
        raceOf(*s);
        EditLog log(*s);
        const QList<Competitor> start = s->startList();
        QList<Competitor> rows;
        for (int i = 0; i < 50; ++i)
            rows.append(imported(QString::number(100 + i), QStringLiteral("Uvezeni %1").arg(i)));
        QVERIFY(s->addCompetitors(rows).ok());
        const QList<Competitor> full = s->startList();
        QCOMPARE(log.undoText(), tx::changeCount(tx::kindImportEntries(), 50));
        QVERIFY(log.undo().ok());
        QCOMPARE(texts(s->startList()), texts(start));
        QVERIFY(log.redo().ok());
        QCOMPARE(texts(s->startList()), texts(full));

        auto b = station(*where, QStringLiteral("B"), s->race().id);
        // Nor once another station entered one of them at the finish: the
        // record would be left without its runner.
        QVERIFY(b->enterFinish(QStringLiteral("120"), QStringLiteral("00:40:00")).ok());
        const QStringList finished = stored(s->database());
        QCOMPARE(log.undo().refusal().message, tx::undoFinisherMeanwhile());
        QCOMPARE(stored(s->database()), finished);
        QVERIFY(b->editCompetitor(full.last().id, entry(QStringLiteral("149"), QStringLiteral("Zadnji"))).ok());
        const QStringList changed = stored(s->database());
        QCOMPARE(log.undo().kind(), Status::Kind::Refused);
        QCOMPARE(stored(s->database()), changed);
        QCOMPARE(s->startList().size(), full.size());
    }

    // Two stations undo their own changes, never each other's.
    void stationsUndoTheirOwn_data() { engines_data(); }
    void stationsUndoTheirOwn()
    {
        QFETCH(bool, postgres);
        TempDb tmp;
        const auto where = newDatabase(postgres, tmp);
        if (!where)
            QSKIP(qPrintable(PgServer::unavailableReason()));
        auto a = station(*where, QStringLiteral("A"));
        QVERIFY(a);
        const qint64 race = raceOf(*a);
        auto b = station(*where, QStringLiteral("B"), race);
        QVERIFY(b);
        EditLog logA(*a);
        EditLog logB(*b);
        QVERIFY(!logB.canUndo());
        QVERIFY(a->enterFinish(QStringLiteral("2"), QStringLiteral("00:50:00")).ok());
        QVERIFY(b->addCompetitor(entry(QStringLiteral("9"), QStringLiteral("Bruno"))).ok());
        QVERIFY(logA.undo().ok());
        QVERIFY(logB.sync().ok());
        QCOMPARE(logB.undoText(), tx::changeOfWhom(tx::kindCompetitorAdded(), QStringLiteral("Bruno (br. 9)")));
        QVERIFY(logB.undo().ok());
        QCOMPARE(a->finishList().size(), 1);
        QVERIFY(a->refresh().ok());
        QCOMPARE(a->startList().size(), 2);
        // A's history: the race and its three rows, no row of B.
        QCOMPARE(logA.undoText(), tx::changeFinish(tx::kindFinishEntered(), QStringLiteral("00:41:12"), QStringLiteral("1")));
        QVERIFY(!logB.canUndo());
    }

    // The undo history is read from the log: a restart keeps it. A deleted
    // finisher comes back with the same key, finish record and status.
    void undoAfterRestartBringsTheCompetitorBack_data() { engines_data(); }
    void undoAfterRestartBringsTheCompetitorBack()
    {
        QFETCH(bool, postgres);
        TempDb tmp;
        const auto where = newDatabase(postgres, tmp);
        if (!where)
            QSKIP(qPrintable(PgServer::unavailableReason()));
        qint64 race = 0;
        QStringList before;
        {
            auto s = station(*where, QStringLiteral("A"));
            QVERIFY(s);
            race = raceOf(*s);
            QVERIFY(s->setRunState(idOf(*s, QStringLiteral("1")), RunState::Dnf).ok());
            before = stored(s->database());
            QVERIFY(s->deleteCompetitor(idOf(*s, QStringLiteral("1")), true).ok());
        }
        auto s = station(*where, QStringLiteral("A"), race);
        EditLog log(*s);
        QCOMPARE(log.undoText(), tx::changeOfWhom(tx::kindCompetitorDeleted(), QStringLiteral("Ana (br. 1)")));
        QVERIFY(log.undo().ok());
        QCOMPARE(stored(s->database()), before);
        QCOMPARE(s->finishList().size(), 1);
        QCOMPARE(s->runState(s->finishList().first().idtakmicara).state, RunState::Dnf);
        const QList<ChangeEntry> all = s->database().changeLog(race).value();
        QCOMPARE(all.last().undoes, all.at(all.size() - 3).batch);
        QCOMPARE(all.last().kind, QString::fromLatin1(changes::kFinishEntered));
    }

    // A change that leaves its row as it was gives no entry, and no step to
    // undo; a new change after an undo leaves nothing to redo.
    void noStepWithoutAChange()
    {
        TempDb tmp;
        auto s = station(DbLocation::sqliteFile(tmp.path()), QStringLiteral("A"));
        QVERIFY(s);
        const qint64 race = raceOf(*s);
        EditLog log(*s);
        const qsizetype logged = s->database().changeLog(race).value().size();
        QVERIFY(s->setRunState(idOf(*s, QStringLiteral("2")), RunState::None).ok());
        QVERIFY(s->setSettings(s->settings()).ok());
        QCOMPARE(s->database().changeLog(race).value().size(), logged + 1); // the settings stored the first time
        QVERIFY(s->setSettings(s->settings()).ok());
        QCOMPARE(s->database().changeLog(race).value().size(), logged + 1);
        QVERIFY(log.undo().ok());
        QVERIFY(log.canRedo());
        QVERIFY(s->enterFinish(QStringLiteral("2"), QStringLiteral("00:50:00")).ok());
        QVERIFY(!log.canRedo());
    }

    // Random changes, then undo all = the start, redo all = the end.
    void randomChangesUndoneAndRedone_data()
    {
        QTest::addColumn<bool>("postgres");
        QTest::addColumn<quint32>("seed");
        for (quint32 seed : {3u, 77u})
            QTest::newRow(qPrintable(QStringLiteral("sqlite %1").arg(seed))) << false << seed;
        QTest::newRow("postgresql 5") << true << 5u;
    }
    void randomChangesUndoneAndRedone()
    {
        QFETCH(bool, postgres);
        QFETCH(quint32, seed);
        TempDb tmp;
        const auto where = newDatabase(postgres, tmp);
        if (!where)
            QSKIP(qPrintable(PgServer::unavailableReason()));
        auto setup = station(*where, QStringLiteral("S"));
        QVERIFY(setup);
        auto s = station(*where, QStringLiteral("A"), raceOf(*setup));
        QVERIFY(s);
        EditLog log(*s);
        const QStringList start = stored(s->database());
        QRandomGenerator rng(seed);
        const auto number = [&] { return QString::number(rng.bounded(3, 15)); };
        const auto someone = [&]() -> qint64 {
            const auto& list = s->startList();
            return list.isEmpty() ? 0 : list.at(rng.bounded(int(list.size()))).id;
        };
        for (int step = 0; step < 60; ++step) {
            const qint64 id = someone();
            switch (rng.bounded(6)) {
            case 0:
                s->addCompetitor(entry(number(), QStringLiteral("T%1").arg(step)));
                break;
            case 1:
                if (id)
                    s->editCompetitor(id, entry(number(), QStringLiteral("E%1").arg(step)));
                break;
            case 2:
                if (id)
                    s->deleteCompetitor(id, s->hasFinishRecord(id).value());
                break;
            case 3:
                s->enterFinish(number(), QStringLiteral("00:4%1:00").arg(rng.bounded(10)));
                break;
            case 4:
                if (!s->finishList().isEmpty())
                    s->removeFinish(s->finishList().first().idtakmicara);
                break;
            default:
                if (id)
                    s->setRunState(id, rng.bounded(2) ? RunState::Dnf : RunState::None);
                break;
            }
        }
        const QStringList end = stored(s->database());
        int undone = 0;
        for (; log.canUndo() && undone < 100; ++undone)
            QVERIFY2(log.undo().ok(), qPrintable(QString::number(undone)));
        QVERIFY2(undone > 10, qPrintable(QString::number(undone)));
        QCOMPARE(stored(s->database()), start);
        for (int i = 0; i < undone; ++i)
            QVERIFY(log.redo().ok());
        QCOMPARE(stored(s->database()), end);
        QVERIFY(!log.canRedo());
    }

    // A file of an earlier version is opened unchanged and gets the log
    // with its first change.
    void logTableMadeOnFirstChange()
    {
        TempDb tmp;
        {
            Database made(tmp.path());
            QVERIFY(made.open().ok());
        }
        const auto bytes = [&] {
            QFile file(tmp.path());
            return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
        };
        const QByteArray first = bytes();
        auto s = station(DbLocation::sqliteFile(tmp.path()), QStringLiteral("A"));
        QVERIFY(s->database().changeLog(1).value().isEmpty());
        QCOMPARE(bytes(), first);
        const qint64 race = raceOf(*s);
        QCOMPARE(s->database().changeLog(race).value().size(), 4);
    }

    // The number, name and competitor of an entry, read from its row
    // without a JSON reader, agree with what a JSON writer wrote.
    void subjectOfAnEntry_data()
    {
        QTest::addColumn<QString>("table");
        QTest::addColumn<QString>("number");
        QTest::addColumn<QString>("name");
        QTest::newRow("plain") << "startna" << "12" << "Ana Anić";
        QTest::newRow("quotes and backslash") << "startna" << "7" << "Ivo \"Brzi\" \\ Ivić";
        QTest::newRow("key inside a value") << "startna" << "3" << ",\"sbroj\":\"99\"";
        QTest::newRow("control character") << "startna" << "" << QStringLiteral("Tab\tovo\u0001");
        QTest::newRow("finish record") << "rezultati" << "41" << "";
        QTest::newRow("race") << "utrke" << "" << "Utrka \"Kelvora\"";
    }
    void subjectOfAnEntry()
    {
        QFETCH(QString, table);
        QFETCH(QString, number);
        QFETCH(QString, name);
        QJsonObject row{{QStringLiteral("idtakmicara"), 77}, {QStringLiteral("klub"), QStringLiteral("\"ime\":\"x\"")}};
        if (table != QLatin1String("utrke"))
            row.insert(QStringLiteral("sbroj"), number);
        if (table != QLatin1String("rezultati"))
            row.insert(QStringLiteral("ime"), name);
        ChangeEntry e;
        e.table = table;
        e.key = 5;
        e.after = QString::fromUtf8(QJsonDocument(row).toJson(QJsonDocument::Compact));
        const changes::Subject found = changes::subject(e);
        QCOMPARE(found.number, number);
        QCOMPARE(found.name, name);
        QCOMPARE(found.competitor, table == QLatin1String("rezultati") ? 77 : table == QLatin1String("utrke") ? 0 : 5);
    }

    // Poništi and Ponovi of "Edit" follow the log and name the change; the
    // log's window lists the changes newest first and finds them by number;
    // the command line prints the same rows.
    void editMenuLogWindowAndCommand()
    {
        TempDb tmp;
        qint64 race = 0;
        {
            frmkelvora w(tmp.path());
            race = testutil::makeCurrentRace(w, QStringLiteral("Utrka"), QDate(2010, 6, 1));
            QVERIFY(w.session().addCompetitor(entry(QStringLiteral("12"), QStringLiteral("Ana"))).ok());
            QVERIFY(w.session().enterFinish(QStringLiteral("12"), QStringLiteral("00:41:12")).ok());
            auto* undo = find<QAction>(&w, "mnuponisti");
            QVERIFY(undo->isEnabled());
            QCOMPARE(undo->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_Z));
            QCOMPARE(find<QAction>(&w, "mnuponovi")->shortcut(), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z));
            QCOMPARE(undo->text(), tx::menuUndoOf(tx::changeFinish(tx::kindFinishEntered(), QStringLiteral("00:41:12"), QStringLiteral("12"))));
            QVERIFY(!find<QAction>(&w, "mnuponovi")->isEnabled());
            testutil::trigger(&w, "mnuponisti");
            QVERIFY(w.session().finishList().isEmpty());
            QVERIFY(find<QAction>(&w, "mnuponovi")->isEnabled());
            testutil::trigger(&w, "mnuponovi");
            QCOMPARE(w.session().finishList().size(), 1);

            int rows = 0;
            int found = 0;
            QString top;
            testutil::onNextDialog([&](QDialog* d) {
                QCOMPARE(d->objectName(), QStringLiteral("frmdnevnik"));
                auto* list = find<QTreeView>(d, "lsvdnevnik");
                rows = list->model()->rowCount();
                top = testutil::cell(list, 0, 4);
                find<QLineEdit>(d, "txttrazi")->setText(QStringLiteral("12"));
                found = list->model()->rowCount();
                d->reject();
            });
            testutil::trigger(&w, "mnudnevnik");
            QCOMPARE(top, tx::kindFinishEntered() + tx::kindRedoMark());
            QCOMPARE(found, 4);
            QCOMPARE(rows, found + 1);
        }
        QString text;
        QString errors;
        QTextStream out(&text);
        QTextStream err(&errors);
        QCOMPARE(cli::run({QStringLiteral("kelvora"), QStringLiteral("log"), QStringLiteral("--db"), tmp.path(),
                           QStringLiteral("--race"), QString::number(race)},
                          tmp.path(), out, err),
                 0);
        out.flush();
        const QStringList lines = text.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
        QCOMPARE(lines.size(), 5);
        QCOMPARE(lines.first().split(QLatin1Char('\t')).value(4), tx::kindFinishEntered() + tx::kindRedoMark());
        QCOMPARE(lines.last().split(QLatin1Char('\t')).value(6), QStringLiteral("Utrka"));

        // Undone from a window with no race open: the race opens with its menus.
        frmkelvora w(tmp.path());
        QVERIFY(!find<QAction>(&w, "mnucilj")->isEnabled());
        QCoreApplication::processEvents(); // the history is read once the window is up
        testutil::trigger(&w, "mnuponisti");
        QCOMPARE(w.currentRaceId(), race);
        for (const char* item : {"mnuizmjenautrke", "mnucilj", "mnupostavke", "mnuispisstartne"})
            QVERIFY2(find<QAction>(&w, item)->isEnabled(), item);
    }
};

KVR_TEST_MAIN(TestEditLog)
#include "test_editlog.moc"
