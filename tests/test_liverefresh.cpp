// Another station's entry shows in the window within a second, without the
// user doing anything and without disturbing what the user is doing.

#include "pgserver.h"
#include "testutil.h"

#include "core/texts.h"

#include <QLabel>
#include <QLineEdit>
#include <QProcess>
#include <QTabWidget>
#include <QTreeView>

class TestLiveRefresh : public QObject {
    Q_OBJECT

private slots:
    void otherStationsFinishShowsWithinASecond_data()
    {
        QTest::addColumn<QString>("engine");
        QTest::newRow("sqlite") << QStringLiteral("sqlite");
        QTest::newRow("postgresql") << QStringLiteral("postgresql");
    }

    void otherStationsFinishShowsWithinASecond()
    {
        QFETCH(QString, engine);
        testutil::TempDb tmp;
        DbLocation location = DbLocation::sqliteFile(tmp.path());
        QString db = tmp.path();
        if (engine == QLatin1String("postgresql")) {
            testutil::PgServer* server = testutil::PgServer::instance();
            if (!server)
                QSKIP(qPrintable(testutil::PgServer::unavailableReason()));
            location = server->newDatabase();
            db = QStringLiteral("postgresql://%1@/%2?host=%3").arg(location.user, location.dbname, location.host);
        }
        frmkelvora w(location);
        QVERIFY(w.databaseReady());
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        const qint64 race = testutil::makeCurrentRace(w, QStringLiteral("Utrka"), QDate(2010, 6, 1));
        testutil::addCompetitor(w, QStringLiteral("7"), QStringLiteral("Ana"), QStringLiteral("Ž"), QDate(1980, 1, 1));
        testutil::addCompetitor(w, QStringLiteral("12"), QStringLiteral("Ivo"), QStringLiteral("M"), QDate(1975, 1, 1));
        auto* lsv1 = testutil::find<QTreeView>(&w, QStringLiteral("lsv1"));
        testutil::selectRow(lsv1, 1);
        w.selectPage(frmkelvora::PageResults);
        auto* lsv2 = testutil::find<QTreeView>(&w, QStringLiteral("lsv2"));
        auto* typed = testutil::find<QLineEdit>(&w, QStringLiteral("txtsbrojr"));
        QApplication::setActiveWindow(&w);
        typed->setFocus();
        QTest::keyClicks(typed, QStringLiteral("12"));
        typed->setCursorPosition(1);
        MessageBox::clearShown();
        QCOMPARE(lsv2->model()->rowCount(), 0);

        // The other station: the command line, a program of its own.
        const QString times = tmp.dir() + QStringLiteral("/t.txt");
        QFile file(times);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("7 40:00\n");
        file.close();
        QProcess other;
        other.start(QStringLiteral(KVR_PROGRAM),
                    {"import-times", "--db", db, "--race", QString::number(race), times});
        QVERIFY(other.waitForFinished(30000));
        QCOMPARE(other.exitCode(), 0);

        QTRY_COMPARE_WITH_TIMEOUT(lsv2->model()->rowCount(), 1, 1200);
        QCOMPARE(testutil::cell(lsv2, 0, 1), QStringLiteral("7"));
        QCOMPARE(testutil::find<QLabel>(&w, QStringLiteral("lbliz6"))->text(), QStringLiteral("1"));
        // What the user was doing is as it was.
        QCOMPARE(typed->text(), QStringLiteral("12"));
        QCOMPARE(typed->cursorPosition(), 1);
        QVERIFY(typed->hasFocus());
        QCOMPARE(testutil::selectedRows(lsv1), (QList<int>{1}));
        QCOMPARE(testutil::find<QTabWidget>(&w, QStringLiteral("SSTab1"))->currentIndex(),
                 int(frmkelvora::PageResults));
        QVERIFY(MessageBox::shown().isEmpty());
    }

    // The status bar names a file by its full path and tells when it is gone.
    void statusBarTellsAFileGone()
    {
        testutil::TempDb tmp;
        frmkelvora w(tmp.path());
        auto* status = testutil::find<QLabel>(&w, QStringLiteral("lblbaza"));
        const QString path = QDir::toNativeSeparators(QFileInfo(tmp.path()).absoluteFilePath());
        QCOMPARE(status->text(), tx::statusDatabase(path, true));
        QVERIFY(QFile::remove(tmp.path()));
        QTRY_COMPARE_WITH_TIMEOUT(status->text(), tx::statusFileUnreachable(path), 2500);
    }
};

KVR_TEST_MAIN(TestLiveRefresh)
#include "test_liverefresh.moc"
