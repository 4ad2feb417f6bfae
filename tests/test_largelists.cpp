// What keeps large races small in memory: the start-number index that holds
// a list only for numbers taken twice, and exports whose rows are made as
// they are written, from the lists as they were when the export was built.

#include "testutil.h"

#include "app/exports.h"
#include "app/racesession.h"
#include "core/competitorrules.h"
#include "core/csv.h"
#include "core/htmlexport.h"

#include <QBuffer>

using exports::ExportList;
using exports::Format;

Q_DECLARE_METATYPE(exports::ExportList)

namespace {

// Ten entries, every second one finished, one of them marked DNF.
struct RaceFixture {
    testutil::TempDb tmp;
    RaceSession session{tmp.path()};

    RaceFixture()
    {
        QVERIFY(session.database().open());
        QVERIFY(session.createRace(QStringLiteral("Jesenska utrka"), QStringLiteral("AK"), QStringLiteral("1.10.2025")));
        for (int i = 1; i <= 10; ++i) {
            QVERIFY(session.addCompetitor({QStringLiteral("Trkač %1").arg(i), QString::number(i), QStringLiteral("HRV"),
                                           QStringLiteral("AK"), i % 3 ? QStringLiteral("M") : QStringLiteral("Ž"),
                                           QStringLiteral("1.1.%1").arg(1950 + 4 * i)}));
            if (i % 2)
                QVERIFY(session.enterFinish(QString::number(i), QStringLiteral("01:0%1:00").arg(9 - i / 2)));
        }
        QVERIFY(session.setRunState(session.startList().at(2).id, RunState::Dnf));
    }

    exports::ExportData build(ExportList list)
    {
        const auto data = exports::buildExport(session, list, {QStringLiteral("Svi"), standings::Sex::All});
        if (!data)
            qFatal("%s", qPrintable(data.refusal().message + data.dbError()));
        return data.value();
    }
};

// A device that takes its first bytes and refuses the rest, as a disk that fills up.
class FillingDevice : public QIODevice {
public:
    explicit FillingDevice(qint64 room) : m_room(room) { open(QIODevice::WriteOnly); }

protected:
    qint64 readData(char*, qint64) override { return -1; }
    qint64 writeData(const char*, qint64 size) override
    {
        if (size > m_room)
            return -1;
        m_room -= size;
        return size;
    }

private:
    qint64 m_room;
};

void listKinds()
{
    QTest::addColumn<ExportList>("list");
    QTest::newRow("start list") << ExportList::StartList;
    QTest::newRow("registered") << ExportList::Registered;
    QTest::newRow("finish list") << ExportList::Finish;
    QTest::newRow("standings") << ExportList::Standings;
    QTest::newRow("all standings") << ExportList::AllStandings;
}

} // namespace

class TestLargeLists : public QObject {
    Q_OBJECT

private slots:
    // Number "5" held by keys 3 and 8 (a file of an earlier version allows
    // it), then keys removed and added.
    void numberIndexFollowsChanges_data()
    {
        QTest::addColumn<QString>("storedOf8");
        QTest::addColumn<QList<qint64>>("removed");
        QTest::addColumn<QList<qint64>>("added");
        QTest::addColumn<qint64>("first");
        QTest::addColumn<qint64>("ownId");
        QTest::addColumn<bool>("takenByOther");
        using L = QList<qint64>;
        QTest::newRow("first of two removed") << "5" << L{3} << L{} << qint64(8) << qint64(8) << false;
        QTest::newRow("later of two removed") << "5" << L{8} << L{} << qint64(3) << qint64(3) << false;
        QTest::newRow("both removed") << "5" << L{3, 8} << L{} << qint64(0) << qint64(0) << false;
        QTest::newRow("a lower key added comes first") << "5" << L{} << L{1} << qint64(1) << qint64(1) << true;
        QTest::newRow("a key not holding it removed") << "5" << L{4} << L{} << qint64(3) << qint64(3) << true;
        QTest::newRow("stored with blanks, same number") << " 5 " << L{3} << L{} << qint64(8) << qint64(3) << true;
        QTest::newRow("removed and added back") << "5" << L{3} << L{3} << qint64(3) << qint64(8) << true;
    }

    void numberIndexFollowsChanges()
    {
        QFETCH(QString, storedOf8);
        QFETCH(QList<qint64>, removed);
        QFETCH(QList<qint64>, added);
        QFETCH(qint64, first);
        QFETCH(qint64, ownId);
        QFETCH(bool, takenByOther);
        Competitor a;
        a.id = 3;
        a.sbroj = QStringLiteral("5");
        Competitor b;
        b.id = 8;
        b.sbroj = storedOf8;
        rules::StartNumberIndex index({a, b});
        for (qint64 id : removed)
            index.remove(id == 8 ? storedOf8 : QStringLiteral("5"), id);
        for (qint64 id : added)
            index.add(QStringLiteral("5"), id);
        QCOMPARE(index.first(QStringLiteral(" 5")), first);
        QCOMPARE(index.takenByOther(QStringLiteral("5"), ownId), takenByOther);
    }

    // Three men finished, the second marked DNF: the standings of the men
    // list him after the ranked, without a place, unless the race leaves
    // such entries out.
    void picksOfTheMen_data()
    {
        QTest::addColumn<bool>("listUnranked");
        QTest::addColumn<QList<int>>("rows");
        QTest::addColumn<QList<int>>("places");
        QTest::newRow("listed") << true << QList<int>{0, 1, 2} << QList<int>{1, 2, 0};
        QTest::newRow("left out") << false << QList<int>{0, 1} << QList<int>{1, 2};
    }

    void picksOfTheMen()
    {
        QFETCH(bool, listUnranked);
        QFETCH(QList<int>, rows);
        QFETCH(QList<int>, places);
        QList<Competitor> entries;
        QList<FinishRecord> finishes;
        for (int id = 1; id <= 3; ++id) {
            Competitor c;
            c.id = id;
            c.sbroj = QString::number(id);
            c.spol = QStringLiteral("M");
            c.datum = QDate(1980, 1, 1);
            entries.append(c);
            FinishRecord r;
            r.id = id;
            r.idtakmicara = id;
            r.sbroj = c.sbroj;
            r.vrijeme = QStringLiteral("01:00:0%1").arg(id);
            finishes.append(r);
        }
        const RunStates states{{2, RunStateEntry{RunState::Dnf, {}}}};
        const auto overall = standings::overallStandings(finishes, entries, QDate(2025, 1, 1), states);
        QList<int> gotRows;
        QList<int> gotPlaces;
        for (const standings::Pick& p :
             standings::picks({QStringLiteral("Svi"), standings::Sex::Men}, overall, listUnranked)) {
            gotRows.append(p.row);
            gotPlaces.append(p.place);
        }
        QCOMPARE(gotRows, rows);
        QCOMPARE(gotPlaces, places);
    }

    // The lists may change between the choice of an export and its writing
    // (the save dialog runs the event loop): the file holds what was chosen,
    // written row by row with the bytes the export gives in memory.
    void exportKeepsTheListsAsBuilt_data() { listKinds(); }

    void exportKeepsTheListsAsBuilt()
    {
        QFETCH(ExportList, list);
        RaceFixture race;
        const exports::ExportData data = race.build(list);
        const QByteArray before = exports::exportCsv(data);
        const QByteArray page = exports::exportHtml(data);
        QVERIFY(race.session.addCompetitor({QStringLiteral("Kasni Trkač"), QStringLiteral("11"), QStringLiteral("HRV"),
                                            QStringLiteral("AK"), QStringLiteral("M"), QStringLiteral("1.1.1980")}));
        QVERIFY(race.session.enterFinish(QStringLiteral("11"), QStringLiteral("00:59:00")));
        QVERIFY(race.session.deleteCompetitor(race.session.startList().first().id, true));
        QCOMPARE(exports::exportCsv(data), before);
        QVERIFY(exports::exportCsv(race.build(list)) != before);
        const QString path = race.tmp.dir() + QStringLiteral("/izvoz");
        for (const auto& [format, bytes] : {std::pair{Format::Html, page}, std::pair{Format::Csv, before}}) {
            QCOMPARE(exports::saveExport(path, data, format, io::Separator::Semicolon), QString());
            QFile file(path);
            QVERIFY(file.open(QIODevice::ReadOnly));
            QCOMPARE(file.readAll(), bytes);
        }
    }

    // A device that takes nothing: the writers say so, and a file that
    // cannot be made leaves what was there.
    void failedWritesAreReported()
    {
        RaceFixture race;
        const exports::ExportData data = race.build(ExportList::Registered);
        // The byte-order mark goes in, the rows do not.
        FillingDevice csv(3);
        QVERIFY(!exports::writeCsv(data, csv));
        FillingDevice html(0);
        QVERIFY(!exports::writeHtml(data, html));
        const QString blocked = race.tmp.dir() + QStringLiteral("/mapa");
        QVERIFY(QDir(race.tmp.dir()).mkdir(QStringLiteral("mapa")));
        QVERIFY(!exports::saveExport(blocked, data, Format::Csv).isEmpty());
        QVERIFY(QFileInfo(blocked).isDir());
    }
};

KVR_TEST_MAIN(TestLargeLists)
#include "test_largelists.moc"
