// Presses held at 20 a second on the shown timing window, on a race already
// holding 20,000 captured rows: a Space key event posted to the window every
// 50 ms (stamped as the platform stamps it), and for each press the delay
// from the key event to the end of the repaint that shows its row. On
// PostgreSQL a second run stops the server for a while in the middle of the
// presses (they wait in the journal) and starts it again; on SQLite a second
// run holds the file locked from another connection for LOCK_SECONDS, five
// seconds into the presses.
//
// bench_finishline_burst [SECONDS [OUTAGE_SECONDS [LOCK_SECONDS]]]   (defaults 60, 20 and 5)

#include "app/finishline.h"
#include "app/racesession.h"
#include "data/database.h"
#include "pgserver.h"
#include "ui/frmcilj.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QKeyEvent>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QSet>
#include <QTemporaryDir>
#include <QTime>
#include <QTreeView>
#include <QWindow>
#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstdio>
#include <functional>
#include <thread>

namespace {

constexpr int kRows = 20000;
constexpr qint64 kIntervalNs = 50'000'000;
constexpr double kFrameMs = 1000.0 / 60;

// Notes when the list's viewport paints and how many rows its model then
// holds; a row counts as shown when the outermost event that painted it is
// done (its window flushed).
class Probe : public QApplication {
public:
    using QApplication::QApplication;

    QWidget* viewport = nullptr;
    const QAbstractItemModel* model = nullptr;
    QElapsedTimer clock;
    QList<qint64> sentNs;  // when each key event was posted
    QList<qint64> shownNs; // when its row was shown
    int base = 0;          // rows in the list before the first press
    int painted = 0;       // rows (after base) the last paint of the list held

    bool notify(QObject* receiver, QEvent* event) override
    {
        if (viewport && receiver == viewport && event->type() == QEvent::Paint)
            painted = std::max(painted, model->rowCount() - base);
        ++m_depth;
        const bool done = QApplication::notify(receiver, event);
        if (--m_depth == 0) {
            const qint64 now = clock.nsecsElapsed();
            while (shownNs.size() < painted)
                shownNs.append(now);
        }
        return done;
    }

private:
    int m_depth = 0;
};

struct Figures {
    int sent = 0;
    int shown = 0;
    QList<double> delays; // ms
    int maxWaiting = 0;   // most entries seen waiting in the journal
};

void report(const char* engine, const char* what, const Figures& f, int stored, int doubles, double spacingMs)
{
    QList<double> d = f.delays;
    std::sort(d.begin(), d.end());
    const auto at = [&](double q) { return d.isEmpty() ? 0.0 : d.at(std::min<qsizetype>(d.size() - 1, q * d.size())); };
    const auto late = std::count_if(d.cbegin(), d.cend(), [](double ms) { return ms > kFrameMs; });
    std::printf("%s %s: %d presses sent, %d rows stored, %d doubles, %d shown; key to row shown: median %.2f ms, "
                "99%% %.2f ms, max %.2f ms, %lld over one frame (16.7 ms); recorded spacing off by at most %.1f ms",
                engine, what, f.sent, stored, doubles, f.shown, at(0.5), at(0.99), d.isEmpty() ? 0.0 : d.last(),
                static_cast<long long>(late), spacingMs);
    if (f.maxWaiting)
        std::printf("; up to %d presses waited in the journal", f.maxWaiting);
    std::printf("\n");
    std::fflush(stdout);
}

// Posts Space every 50 ms for the given time from a thread of its own, as
// the platform queues key events while the window's thread is busy; the
// outage (stop at its first moment, start again at its last) runs on another,
// as a server elsewhere would go away.
Figures burst(Probe& app, frmcilj& window, int seconds, std::function<void()> disturb)
{
    auto* list = window.findChild<QTreeView*>(QStringLiteral("lsvcilj"));
    app.model = list->model();
    app.viewport = list->viewport();
    app.base = list->model()->rowCount();
    app.painted = 0;
    app.shownNs.clear();
    Figures f;
    const int presses = seconds * 20;
    app.sentNs = QList<qint64>(presses, 0);
    std::atomic<int> sent = 0;
    std::thread outage;
    if (disturb)
        outage = std::thread(disturb);
    QWindow* target = window.windowHandle();
    std::thread keys([&] {
        const auto begin = std::chrono::steady_clock::now();
        for (int i = 0; i < presses; ++i) {
            std::this_thread::sleep_until(begin + std::chrono::nanoseconds(i * kIntervalNs));
            const qint64 now = app.clock.nsecsElapsed();
            for (const QEvent::Type type : {QEvent::KeyPress, QEvent::KeyRelease}) {
                auto* key = new QKeyEvent(type, Qt::Key_Space, Qt::NoModifier, QStringLiteral(" "));
                key->setTimestamp(quint64(now / 1'000'000));
                QCoreApplication::postEvent(target, key);
            }
            app.sentNs[i] = now;
            sent.store(i + 1);
        }
    });
    QElapsedTimer run;
    run.start();
    while (run.elapsed() < (seconds + 30) * 1000LL) { // else given up: the figures show what is missing
        QApplication::processEvents(QEventLoop::WaitForMoreEvents, 20);
        f.maxWaiting = std::max(f.maxWaiting, int(window.line().pending().size()));
        if (sent.load() == presses && app.shownNs.size() >= presses && window.line().pending().isEmpty())
            break;
    }
    keys.join();
    if (outage.joinable())
        outage.join();
    f.sent = sent.load();
    f.shown = int(app.shownNs.size());
    for (qsizetype i = 0; i < app.shownNs.size(); ++i)
        f.delays.append((app.shownNs.at(i) - app.sentNs.at(i)) / 1e6);
    if (qEnvironmentVariableIsSet("KVR_DEBUG"))
        for (qsizetype i = 0; i < f.delays.size(); ++i)
            if (f.delays.at(i) > kFrameMs)
                std::printf("press %lld at %.2f s: %.1f ms\n", static_cast<long long>(i), i * 0.05, f.delays.at(i));
    app.viewport = nullptr;
    return f;
}

// Another program holding the file locked (an exclusive transaction of a
// connection of its own) for the given time, from the given moment on.
std::function<void()> lockFile(const QString& path, int afterSeconds, int seconds)
{
    return [path, afterSeconds, seconds] {
        std::this_thread::sleep_for(std::chrono::seconds(afterSeconds));
        {
            QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("locker"));
            db.setDatabaseName(path);
            if (db.open()) {
                QSqlQuery q(db);
                q.exec(QStringLiteral("begin exclusive"));
                std::this_thread::sleep_for(std::chrono::seconds(seconds));
                q.exec(QStringLiteral("commit"));
            }
            db.close();
        }
        QSqlDatabase::removeDatabase(QStringLiteral("locker"));
    };
}

void measure(Probe& app, const char* engine, RaceSession& session, int seconds, testutil::PgServer* server,
             int outageSeconds, int lockSeconds)
{
    if (!session.database().open() || !session.createRace(QStringLiteral("Utrka"), QStringLiteral("AK"),
                                                           QStringLiteral("1.6.2010"))) {
        std::printf("%s: no database\n", engine);
        return;
    }
    const qint64 race = session.race().id;
    // The earlier crossings end a second before the presses begin, as on
    // race day: a press before the last crossing lays the list out anew.
    const qint64 first = std::max<qint64>(0, QTime::currentTime().msecsSinceStartOfDay() - kRows * 100 - 1000);
    QList<std::pair<qint64, QString>> rows;
    for (int i = 0; i < kRows; ++i)
        rows.append({first + i * 100, QString()});
    session.database().storeCaptureImport(race, {}, rows, QStringLiteral("bench"), QStringLiteral("bench"));

    frmcilj window(session);
    window.show();
    window.activateWindow();
    QApplication::processEvents();
    const auto check = [&](const char* what, const Figures& f, int before) {
        const auto stored = session.database().capturedRows(race);
        QList<timing::CapturedRow> pressed;
        for (const timing::CapturedRow& r : stored.value())
            if (r.source.isEmpty())
                pressed.append(r);
        std::sort(pressed.begin(), pressed.end(),
                  [](const timing::CapturedRow& a, const timing::CapturedRow& b) { return a.seq < b.seq; });
        QSet<qint64> times;
        double spacing = 0;
        for (qsizetype i = before; i < pressed.size(); ++i) {
            if (times.contains(*pressed.at(i).timeMs) && qEnvironmentVariableIsSet("KVR_DEBUG"))
                std::printf("double %lld seq %d id %lld\n", *pressed.at(i).timeMs, pressed.at(i).seq, pressed.at(i).id);
            times.insert(*pressed.at(i).timeMs);
            if (i > before) {
                const double got = double(*pressed.at(i).timeMs - *pressed.at(i - 1).timeMs);
                const double sent = (app.sentNs.value(i - before) - app.sentNs.value(i - before - 1)) / 1e6;
                spacing = std::max(spacing, std::abs(got - sent));
            }
        }
        const int stored_ = int(pressed.size()) - before;
        report(engine, what, f, stored_, stored_ - int(times.size()), spacing);
        return int(pressed.size());
    };
    const int afterFirst = check("steady", burst(app, window, seconds, {}), 0);
    if (server && outageSeconds > 0)
        check("server stopped",
              burst(app, window, seconds,
                    [server, outageSeconds] {
                        server->stop();
                        std::this_thread::sleep_for(std::chrono::seconds(outageSeconds));
                        server->restart();
                    }),
              afterFirst);
    if (!server && lockSeconds > 0)
        check("file locked", burst(app, window, seconds, lockFile(session.database().path(), 5, lockSeconds)),
              afterFirst);
}

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    Probe app(argc, argv);
    app.clock.start();
    const int seconds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 60;
    const int outage = argc > 2 ? std::max(0, std::atoi(argv[2])) : 20;
    const int lock = argc > 3 ? std::max(0, std::atoi(argv[3])) : 5;
    {
        // KVR_BENCH_DIR puts the file elsewhere (a RAM disk shows the program's own share).
        QTemporaryDir dir(qEnvironmentVariable("KVR_BENCH_DIR", QDir::tempPath()) + QStringLiteral("/kvr-XXXXXX"));
        RaceSession session(dir.filePath(QStringLiteral("kvr.mdb")));
        measure(app, "SQLite", session, seconds, nullptr, 0, lock);
    }
    if (testutil::PgServer* server = testutil::PgServer::instance()) {
        RaceSession session(server->newDatabase());
        measure(app, "PostgreSQL", session, seconds, server, outage, 0);
    } else {
        std::printf("PostgreSQL: %s\n", qPrintable(testutil::PgServer::unavailableReason()));
    }
    return 0;
}
