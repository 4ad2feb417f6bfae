// The start list's sorted order through its sort model: the order of the
// column's kind, ties in registration order whichever the direction, kept
// as competitors are added and edited after the sort.

#include "app/listmodels.h"
#include "app/racesession.h"
#include "data/database.h"

#include <QSignalSpy>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QtTest>
#include <algorithm>
#include <memory>
#include <numeric>

namespace {

rules::CompetitorEntry entry(const QString& number, const QString& name, const QString& club, const QString& born)
{
    return {name, number, QStringLiteral("HRV"), club, QStringLiteral("M"), born};
}

// Source rows as the comparison of the column's kind orders them.
QList<int> expectedOrder(const StartListModel& list, int column, Qt::SortOrder order)
{
    QList<int> rows(list.rowCount());
    std::iota(rows.begin(), rows.end(), 0);
    const listsort::Kind kind = list.columns().at(column).kind;
    std::stable_sort(rows.begin(), rows.end(), [&](int a, int b) {
        const int c = listsort::compare(kind, list.cell(a, column), list.cell(b, column));
        return order == Qt::AscendingOrder ? c < 0 : c > 0;
    });
    return rows;
}

QList<int> shownOrder(const StartListSortModel& sorted)
{
    QList<int> rows;
    for (int row = 0; row < sorted.rowCount(); ++row)
        rows.append(sorted.mapToSource(sorted.index(row, 0)).row());
    return rows;
}

QStringList texts(const StartListModel& list, const QList<int>& rows, int column)
{
    QStringList cells;
    for (const int row : rows)
        cells.append(list.cell(row, column));
    return cells;
}

} // namespace

class TestListOrder : public QObject {
    Q_OBJECT

private slots:
    void sortedAndKeptSorted_data()
    {
        QTest::addColumn<int>("column");
        QTest::addColumn<int>("order");
        for (const int column : {int(lists::StartName), int(lists::StartClub), int(lists::StartBirthDate),
                                 int(lists::StartNumber)}) {
            for (const int order : {int(Qt::AscendingOrder), int(Qt::DescendingOrder)}) {
                const QString name = lists::startColumns().at(column).heading
                    + (order == Qt::AscendingOrder ? QStringLiteral(" up") : QStringLiteral(" down"));
                QTest::newRow(qPrintable(name)) << column << order;
            }
        }
    }

    void sortedAndKeptSorted()
    {
        QFETCH(int, column);
        QFETCH(int, order);
        QTemporaryDir dir;
        RaceSession session(dir.filePath(QStringLiteral("kvr.mdb")));
        QVERIFY(session.database().open().ok());
        QVERIFY(session.createRace(QStringLiteral("Utrka"), QStringLiteral("AK"), QStringLiteral("1.6.2010")).ok());
        // Equal names, clubs and dates in several places, Croatian letters.
        const QStringList names{"Žagar Ivo", "Čović Ana", "Ćosić Ana", "Babić Ivo", "Čović Ana", "Đurić Eva", "Babić Ivo"};
        const QStringList clubs{"AK Šibenik", "AK Split", "AK Čakovec", "AK Split", "AK Šibenik", "AK Split", "AK Zadar"};
        const QStringList dates{"1.2.1980", "3.4.1975", "1.2.1980", "5.6.1990", "3.4.1975", "1.2.1980", "7.8.1985"};
        for (int i = 0; i < names.size(); ++i)
            QVERIFY(session.addCompetitor(entry(QString::number(10 - i), names[i], clubs[i], dates[i])).ok());

        StartListModel* list = session.startListModel();
        StartListSortModel sorted(list);
        sorted.sort(column, Qt::SortOrder(order));
        QCOMPARE(shownOrder(sorted), expectedOrder(*list, column, Qt::SortOrder(order)));

        // Edited right after the sort: moves among the rows of its new text
        // (the proxy places a moved row at an end of its equals).
        const qint64 first = session.startList().first().id;
        QVERIFY(session.editCompetitor(first, entry(QStringLiteral("3"), QStringLiteral("Čović Ana"),
                                                    QStringLiteral("AK Čakovec"), QStringLiteral("3.4.1975")))
                    .ok());
        const QList<int> expected = expectedOrder(*list, column, Qt::SortOrder(order));
        QCOMPARE(texts(*list, shownOrder(sorted), column), texts(*list, expected, column));

        // Added: placed among the sorted rows.
        QVERIFY(session.addCompetitor(entry(QStringLiteral("20"), QStringLiteral("Babić Ivo"),
                                            QStringLiteral("AK Split"), QStringLiteral("1.2.1980")))
                    .ok());
        QCOMPARE(texts(*list, shownOrder(sorted), column),
                 texts(*list, expectedOrder(*list, column, Qt::SortOrder(order)), column));
    }

    // A file of an earlier version may hold two finishes of one competitor:
    // deleting the competitor removes the first, the second stays without
    // details and, the competitor's run state gone with them, is ranked
    // again, so every place from it on is announced as changed.
    void detailsAnnouncedAfterDelete_data()
    {
        QTest::addColumn<bool>("withState");
        QTest::addColumn<int>("toRow");
        QTest::newRow("no run state: its own row") << false << 2;
        QTest::newRow("run state: its row to the end") << true << 3;
    }

    void detailsAnnouncedAfterDelete()
    {
        QFETCH(bool, withState);
        QFETCH(int, toRow);
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("kvr.mdb"));
        qint64 raceId = 0;
        QList<qint64> ids;
        {
            RaceSession session(path);
            QVERIFY(session.database().open().ok());
            const auto race = session.createRace(QStringLiteral("Utrka"), QStringLiteral("AK"), QStringLiteral("1.6.2010"));
            QVERIFY(race.ok());
            raceId = race.value().id;
            for (const char* number : {"1", "2", "3", "4"}) {
                const auto added = session.addCompetitor(entry(QString::fromLatin1(number), QStringLiteral("Ana"),
                                                               QStringLiteral("AK"), QStringLiteral("1.2.1980")));
                QVERIFY(added.ok());
                ids.append(added.value().id);
                QVERIFY(session.enterFinish(QString::fromLatin1(number), QStringLiteral("01:0%1:00").arg(number)).ok());
            }
            if (withState)
                QVERIFY(session.setRunState(ids[1], RunState::Dsq, QStringLiteral("x")).ok());
        }
        {
            QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("older"));
            db.setDatabaseName(path);
            QVERIFY(db.open());
            QSqlQuery q(db);
            QVERIFY(q.exec(QStringLiteral("drop index if exists rezultati_takmicar")));
            QVERIFY(q.exec(QStringLiteral("insert into rezultati (idtakmicara, idutrke, sbroj, vrijeme) "
                                          "values (%1, %2, '2', '01:03:30')").arg(ids[1]).arg(raceId)));
            db.close();
        }
        QSqlDatabase::removeDatabase(QStringLiteral("older"));
        RaceSession session(path);
        QVERIFY(session.database().open().ok());
        QVERIFY(session.openRace(raceId));
        QSignalSpy changed(session.finishDetailModel(), &QAbstractItemModel::dataChanged);
        QVERIFY(session.deleteCompetitor(ids[1], true).ok());
        // Left: 1, 3, the second finish of 2 at 01:03:30, 4.
        QCOMPARE(changed.size(), 1);
        QCOMPARE(changed.first().at(0).value<QModelIndex>().row(), 2);
        QCOMPARE(changed.first().at(1).value<QModelIndex>().row(), toRow);
    }
};

QTEST_GUILESS_MAIN(TestListOrder)
#include "test_listorder.moc"
