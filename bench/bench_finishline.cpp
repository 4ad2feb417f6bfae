// A press at the finish line stored and shown with 20,000 captured rows:
// the timing window's Space handler through to the row in lsvcilj, on SQLite
// and, when a private server can run, PostgreSQL.

#include "app/finishline.h"
#include "app/racesession.h"
#include "data/database.h"
#include "pgserver.h"
#include "ui/frmcilj.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QTime>
#include <QTreeView>
#include <algorithm>
#include <cstdio>

namespace {

constexpr int kRows = 20000;
constexpr int kPresses = 300;

void measure(const char* engine, RaceSession& session)
{
    if (!session.database().open() || !session.createRace(QStringLiteral("Utrka"), QStringLiteral("AK"),
                                                           QStringLiteral("1.6.2010"))) {
        std::printf("%s: no database\n", engine);
        return;
    }
    // The earlier crossings end a second before the presses begin, as on
    // race day: a press before the last crossing lays the list out anew.
    const qint64 first = std::max<qint64>(0, QTime::currentTime().msecsSinceStartOfDay() - kRows * 100 - 1000);
    QList<std::pair<qint64, QString>> rows;
    for (int i = 0; i < kRows; ++i)
        rows.append({first + i * 100, QString()});
    session.database().storeCaptureImport(session.race().id, {}, rows, QStringLiteral("bench"), QStringLiteral("bench"));

    {
        finishline::FinishLine line(session);
        QElapsedTimer s;
        s.start();
        for (int i = 0; i < 50; ++i)
            line.press();
        std::printf("%s: use case alone %.2f ms a press\n", engine, s.nsecsElapsed() / 1e6 / 50);
        s.start();
        for (int i = 0; i < 50; ++i)
            session.database().storePress(session.race().id, 1000 + i, QString(), QStringLiteral("b"), QString());
        std::printf("%s: database alone %.2f ms a press\n", engine, s.nsecsElapsed() / 1e6 / 50);
    }
    frmcilj window(session);
    window.show();
    QApplication::processEvents();
    auto* list = window.findChild<QTreeView*>(QStringLiteral("lsvcilj"));
    QList<double> ms;
    QElapsedTimer t;
    for (int i = 0; i < kPresses; ++i) {
        t.start();
        window.recordTime();
        QApplication::processEvents();
        list->viewport()->repaint();
        ms.append(t.nsecsElapsed() / 1e6);
    }
    std::sort(ms.begin(), ms.end());
    std::printf("%s: %d rows, press stored and shown: median %.2f ms, 95%% %.2f ms, max %.2f ms (%d rows shown)\n",
                engine, kRows, ms.at(ms.size() / 2), ms.at(ms.size() * 95 / 100), ms.last(),
                list->model()->rowCount());
}

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    {
        QTemporaryDir dir;
        RaceSession session(dir.filePath(QStringLiteral("kvr.mdb")));
        measure("SQLite", session);
    }
    if (testutil::PgServer* server = testutil::PgServer::instance()) {
        RaceSession session(server->newDatabase());
        measure("PostgreSQL", session);
    } else {
        std::printf("PostgreSQL: %s\n", qPrintable(testutil::PgServer::unavailableReason()));
    }
    return 0;
}
