// The race session without any window: built from core and app alone.

#include "app/racesession.h"
#include "core/texts.h"
#include "data/database.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QRandomGenerator>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QtTest>
#include <memory>

namespace {

const QDate kRaceDate(2010, 6, 1);

rules::CompetitorEntry entry(const QString& number, const QString& name, const QString& sex = QStringLiteral("M"))
{
    return {name, number, QStringLiteral("HRV"), QStringLiteral("AK Split"), sex, QStringLiteral("1.2.1980")};
}

// Every cell of a model, row by row.
QList<QStringList> cells(const ListModel* model)
{
    QList<QStringList> rows;
    for (int row = 0; row < model->rowCount(); ++row)
        rows.append(model->rowTexts(row));
    return rows;
}

} // namespace

class TestSession : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;
    QString path() const { return m_dir.filePath(QStringLiteral("kvr.mdb")); }

    std::unique_ptr<RaceSession> openSession(qint64 raceId = 0)
    {
        auto session = std::make_unique<RaceSession>(path());
        if (!session->database().open())
            return nullptr;
        if (raceId != 0 && !session->openRace(raceId))
            return nullptr;
        return session;
    }

    // The lists a session holds, as its four models show them.
    static QList<QList<QStringList>> shown(RaceSession& s)
    {
        return {cells(s.startListModel()), cells(s.finishListModel()), cells(s.finishDetailModel())};
    }

private slots:
    void init()
    {
        QFile::remove(path());
    }

    // Whatever the order of changes, the lists the session keeps row by row
    // are those a fresh load of the database gives.
    void listsEqualAFreshLoadAfterRandomOperations_data()
    {
        QTest::addColumn<quint32>("seed");
        for (quint32 seed : {1u, 42u, 1234u})
            QTest::newRow(qPrintable(QString::number(seed))) << seed;
    }

    void listsEqualAFreshLoadAfterRandomOperations()
    {
        QFETCH(quint32, seed);
        auto s = openSession();
        QVERIFY(s);
        const auto race = s->createRace(QStringLiteral("Utrka"), QStringLiteral("AK"), QStringLiteral("1.6.2010"));
        QVERIFY(race.ok());
        QRandomGenerator rng(seed);
        const auto number = [&] { return QString::number(rng.bounded(1, 40)); };
        const auto time = [&] {
            return QTime(0, 0).addSecs(3000 + rng.bounded(600)).toString(QStringLiteral("hh:mm:ss"));
        };
        const auto someone = [&]() -> qint64 {
            const auto& list = s->startList();
            return list.isEmpty() ? 0 : list.at(rng.bounded(int(list.size()))).id;
        };
        for (int step = 0; step < 200; ++step) {
            switch (rng.bounded(6)) {
            case 0:
            case 1:
                s->addCompetitor(entry(rng.bounded(5) ? number() : QString(), QStringLiteral("T%1").arg(step),
                                       rng.bounded(2) ? QStringLiteral("M") : QStringLiteral("Ž")));
                break;
            case 2:
                if (const qint64 id = someone())
                    s->editCompetitor(id, entry(number(), QStringLiteral("E%1").arg(step)));
                break;
            case 3:
                if (const qint64 id = someone()) {
                    const auto finished = s->hasFinishRecord(id);
                    QVERIFY(finished.ok());
                    QVERIFY(s->deleteCompetitor(id, finished.value()).ok());
                }
                break;
            case 4:
                s->enterFinish(number(), time());
                break;
            default:
                if (!s->finishList().isEmpty())
                    QVERIFY(s->removeFinish(s->finishList().at(rng.bounded(int(s->finishList().size()))).idtakmicara).ok());
                break;
            }
            if (step % 25 == 24) {
                auto fresh = openSession(race.value().id);
                QVERIFY(fresh);
                QCOMPARE(shown(*s), shown(*fresh));
                QCOMPARE(s->startedCount(), fresh->startedCount());
            }
        }
    }

    // A change made from the window is stored in the background: it comes
    // into its race's lists when stored, once (the change feed bringing it
    // too), and into no other race's when the user opened another meanwhile.
    void backgroundChangeKeptToItsRace_data()
    {
        QTest::addColumn<QString>("change");
        QTest::addColumn<bool>("raceChanged");
        for (const char* change : {"finish", "add", "edit", "delete"}) {
            QTest::addRow("%s, same race", change) << change << false;
            QTest::addRow("%s, another race opened meanwhile", change) << change << true;
        }
    }

    void backgroundChangeKeptToItsRace()
    {
        QFETCH(QString, change);
        QFETCH(bool, raceChanged);
        auto s = openSession();
        QVERIFY(s);
        const qint64 other = s->createRace(QStringLiteral("Druga"), QStringLiteral("AK"), QStringLiteral("2.6.2010")).value().id;
        QVERIFY(s->addCompetitor(entry(QStringLiteral("1"), QStringLiteral("Ana"), QStringLiteral("Ž"))).ok());
        const qint64 first = s->createRace(QStringLiteral("Prva"), QStringLiteral("AK"), QStringLiteral("1.6.2010")).value().id;
        const qint64 ivo = s->addCompetitor(entry(QStringLiteral("1"), QStringLiteral("Ivo"))).value().id;
        QVERIFY(s->enterFinish(QStringLiteral("1"), QStringLiteral("00:40:00")).ok());
        const QList<QList<QStringList>> before = shown(*s);
        s->watch(50);
        std::optional<bool> done;
        const auto told = [&](const auto& outcome) { done = outcome.ok(); };
        if (change == QLatin1String("finish")) {
            QVERIFY(s->removeFinish(ivo).ok());
            QVERIFY(s->enterFinishInBackground(QStringLiteral("1"), QStringLiteral("00:41:00"), told).ok());
        } else if (change == QLatin1String("add")) {
            QVERIFY(s->addCompetitorInBackground(entry(QStringLiteral("2"), QStringLiteral("Eva"), QStringLiteral("Ž")), told).ok());
        } else if (change == QLatin1String("edit")) {
            QVERIFY(s->editCompetitorInBackground(ivo, entry(QStringLiteral("3"), QStringLiteral("Ivo B.")), told).ok());
        } else {
            QVERIFY(s->deleteCompetitorInBackground(ivo, true, told).ok());
        }
        if (raceChanged)
            QVERIFY(s->openRace(other).ok());
        QTRY_VERIFY(done.has_value());
        QVERIFY(*done);
        QTest::qWait(200); // the watch's looks read the change again
        QCOMPARE(s->startList().size(), raceChanged ? 1 : s->database().startList(first).value().size());
        if (raceChanged) {
            QCOMPARE(s->startList().first().ime, QStringLiteral("Ana"));
            QVERIFY(s->openRace(first).ok());
        }
        auto fresh = openSession(first);
        QVERIFY(fresh);
        QCOMPARE(shown(*s), shown(*fresh));
        QVERIFY(shown(*s) != before);
    }

    // Another program changes the file: the next refresh shows it, a finish
    // record whose competitor is gone included, with its place, number and
    // time and empty details.
    void anotherWritersChangesShowAtTheNextRefresh()
    {
        auto s = openSession();
        QVERIFY(s);
        const auto race = s->createRace(QStringLiteral("Utrka"), QStringLiteral("AK"), QStringLiteral("1.6.2010"));
        const auto ana = s->addCompetitor(entry(QStringLiteral("1"), QStringLiteral("Ana"), QStringLiteral("Ž")));
        const auto ivo = s->addCompetitor(entry(QStringLiteral("2"), QStringLiteral("Ivo")));
        QVERIFY(s->enterFinish(QStringLiteral("1"), QStringLiteral("00:40:00")).ok());
        QVERIFY(s->enterFinish(QStringLiteral("2"), QStringLiteral("00:41:00")).ok());

        auto other = openSession(race.value().id);
        QVERIFY(other);
        {
            // Removed by a program that leaves its finish record behind.
            QSqlDatabase raw = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("raw"));
            raw.setDatabaseName(path());
            QVERIFY(raw.open());
            QVERIFY(QSqlQuery(raw).exec(QStringLiteral("drop trigger startna_s_rezultatom")));
            QVERIFY(QSqlQuery(raw).exec(QStringLiteral("delete from startna where id = %1").arg(ana.value().id)));
        }
        QSqlDatabase::removeDatabase(QStringLiteral("raw"));
        QVERIFY(other->addCompetitor(entry(QStringLiteral("3"), QStringLiteral("Eva"), QStringLiteral("Ž"))).ok());

        QCOMPARE(s->startList().size(), 2); // not yet looked
        QVERIFY(s->refresh().ok());
        QCOMPARE(s->startList().size(), 2);
        QCOMPARE(s->startList().at(0).ime, QStringLiteral("Ivo"));
        QCOMPARE(s->startList().at(1).ime, QStringLiteral("Eva"));
        QCOMPARE(cells(s->finishDetailModel()),
                 (QList<QStringList>{{"1", "1", "", "", "", "", "", "00:40:00"},
                                     {"2", "2", "Ivo", "1980", "HRV", "M", "30-34", "00:41:00"}}));
        // The use cases check against the other station's entries too.
        const auto taken = s->addCompetitor(entry(QStringLiteral("3"), QStringLiteral("Dora"), QStringLiteral("Ž")));
        QCOMPARE(taken.refusal().message, tx::startNumberTaken());
        Q_UNUSED(ivo);
    }

    // A finish entry is refused with the field it is about, and nothing is stored.
    void finishEntryRefusals_data()
    {
        QTest::addColumn<QString>("number");
        QTest::addColumn<QString>("time");
        QTest::addColumn<int>("field");
        QTest::addColumn<QString>("message");
        QTest::newRow("time shape") << "1" << "0:40:00" << int(Field::FinishTime) << tx::timeExample();
        QTest::newRow("no number") << " " << "00:40:00" << int(Field::FinishStartNumber) << tx::enterStartNumber();
        QTest::newRow("not on the list") << "07" << "00:40:00" << int(Field::None) << tx::startNumberNotOnList();
        QTest::newRow("entered before") << "1" << "00:41:00" << int(Field::FinishStartNumber)
                                        << tx::finisherAlreadyEntered();
    }

    void finishEntryRefusals()
    {
        QFETCH(QString, number);
        QFETCH(QString, time);
        QFETCH(int, field);
        QFETCH(QString, message);
        auto s = openSession();
        QVERIFY(s->createRace(QStringLiteral("Utrka"), QStringLiteral("AK"), QStringLiteral("1.6.2010")).ok());
        QVERIFY(s->addCompetitor(entry(QStringLiteral("7"), QStringLiteral("Ivo"))).ok());
        QVERIFY(s->addCompetitor(entry(QStringLiteral("1"), QStringLiteral("Ana"))).ok());
        QVERIFY(s->enterFinish(QStringLiteral("1"), QStringLiteral("00:39:00")).ok());
        const auto entered = s->enterFinish(number, time);
        QCOMPARE(int(entered.kind()), int(Outcome<FinishRecord>::Kind::Refused));
        QCOMPARE(int(entered.refusal().field), field);
        QCOMPARE(entered.refusal().message, message);
        QCOMPARE(s->database().finishList(s->race().id).value().size(), 1);
    }

    // Another station removes a competitor or enters its finish while this
    // one edits or deletes it: nothing passes for done that was not.
    void changesOfAnotherStationMeanwhile()
    {
        auto s = openSession();
        const auto race = s->createRace(QStringLiteral("Utrka"), QStringLiteral("AK"), QStringLiteral("1.6.2010"));
        const auto ana = s->addCompetitor(entry(QStringLiteral("1"), QStringLiteral("Ana"), QStringLiteral("Ž")));
        const auto ivo = s->addCompetitor(entry(QStringLiteral("2"), QStringLiteral("Ivo")));
        auto other = openSession(race.value().id);
        QVERIFY(other->deleteCompetitor(ana.value().id, false).ok());
        QVERIFY(other->enterFinish(QStringLiteral("2"), QStringLiteral("00:40:00")).ok());

        const auto edited = s->editCompetitor(ana.value().id, entry(QStringLiteral("1"), QStringLiteral("Ana B.")));
        QCOMPARE(edited.refusal().message, tx::competitorGone());
        QCOMPARE(s->startList().size(), 1);
        // Asked before the finish was entered elsewhere: the competitor stays.
        const auto deleted = s->deleteCompetitor(ivo.value().id, false);
        QCOMPARE(deleted.refusal().message, tx::finisherMeanwhile());
        QCOMPARE(other->database().startList(race.value().id).value().size(), 1);
        QCOMPARE(s->finishList().size(), 1);
    }

    // Another program holds the file in a write transaction that keeps
    // readers out: the background look never waits the busy timeout for it,
    // and picks up the change at a tick after the lock is gone.
    void backgroundLookNeverWaitsForABusyFile()
    {
        auto s = openSession();
        QVERIFY(s->createRace(QStringLiteral("Utrka"), QStringLiteral("AK"), QStringLiteral("1.6.2010")).ok());
        s->watch(20);
        QSqlDatabase raw = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("holder"));
        raw.setDatabaseName(path());
        QVERIFY(raw.open() && QSqlQuery(raw).exec(QStringLiteral("begin exclusive")));
        QVERIFY(QSqlQuery(raw).exec(QStringLiteral("insert into startna (idutrke, ime) values (%1, 'Eva')").arg(s->race().id)));
        QElapsedTimer clock;
        clock.start();
        QTest::qWait(300);
        QVERIFY2(clock.elapsed() < 1500, qPrintable(QString::number(clock.elapsed())));
        QVERIFY(QSqlQuery(raw).exec(QStringLiteral("commit")));
        raw.close();
        QTRY_COMPARE_WITH_TIMEOUT(s->startList().size(), qsizetype(1), 1000);
    }
};

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    TestSession tc;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&tc, argc, argv);
}

#include "test_session.moc"
