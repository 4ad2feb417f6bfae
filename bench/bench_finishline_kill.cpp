// The timing window killed (SIGKILL) at a random moment of a burst of
// presses, again and again: a child process shows the window, presses Space
// every 50 ms and prints the time of each press as soon as its row shows;
// the parent kills it after a random while and starts the next one, which
// takes in what the last one left in the journal. At the end every press a
// child printed must be stored exactly once.
//
// bench_finishline_kill [KILLS]   (default 100)

#include "app/finishline.h"
#include "app/racesession.h"
#include "data/database.h"
#include "ui/frmcilj.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QHash>
#include <QKeyEvent>
#include <QLineEdit>
#include <QProcess>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTimer>
#include <cstdio>

namespace {

int child(const QString& path, qint64 race)
{
    RaceSession session(path);
    if (!session.database().open() || !session.openRace(race))
        return 2;
    frmcilj window(session);
    window.show();
    finishline::FinishLine& line = window.line();
    // A press shows as a waiting row the moment it is journaled.
    QObject::connect(&line, &finishline::FinishLine::pendingAppended, [&line] {
        std::printf("%lld\n", static_cast<long long>(line.pending().last().timeMs));
        std::fflush(stdout);
    });
    auto* field = window.findChild<QLineEdit*>(QStringLiteral("txtcilj"));
    QTimer presses;
    QObject::connect(&presses, &QTimer::timeout, [field] {
        for (const QEvent::Type type : {QEvent::KeyPress, QEvent::KeyRelease})
            QCoreApplication::postEvent(field, new QKeyEvent(type, Qt::Key_Space, Qt::NoModifier, QStringLiteral(" ")));
    });
    presses.start(50);
    return QApplication::exec();
}

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() == 4 && args.at(1) == QLatin1String("--child"))
        return child(args.at(2), args.at(3).toLongLong());
    const int kills = args.size() > 1 ? std::max(1, args.at(1).toInt()) : 100;

    QTemporaryDir dir(QDir::tempPath() + QStringLiteral("/kvr-XXXXXX"));
    const QString path = dir.filePath(QStringLiteral("kvr.mdb"));
    qint64 race = 0;
    {
        RaceSession session(path);
        if (!session.database().open()
            || !session.createRace(QStringLiteral("Utrka"), QStringLiteral("AK"), QStringLiteral("1.6.2010"))) {
            std::printf("no database\n");
            return 1;
        }
        race = session.race().id;
    }
    QList<qint64> shown;
    QElapsedTimer total;
    total.start();
    for (int k = 0; k < kills; ++k) {
        QProcess p;
        p.start(QCoreApplication::applicationFilePath(),
                {QStringLiteral("--child"), path, QString::number(race)});
        p.waitForStarted();
        // Killed once the presses run: at a random moment of their first two seconds.
        QByteArray printed;
        while (printed.count('\n') < 1 && p.waitForReadyRead(10000))
            printed += p.readAllStandardOutput();
        QElapsedTimer burst;
        burst.start();
        const qint64 until = QRandomGenerator::global()->bounded(50, 2000);
        while (burst.elapsed() < until) {
            p.waitForReadyRead(int(until - burst.elapsed()));
            printed += p.readAllStandardOutput();
        }
        p.kill();
        p.waitForFinished();
        printed += p.readAllStandardOutput();
        printed.truncate(printed.lastIndexOf('\n') + 1); // a line cut short was never shown
        for (const QByteArray& line : printed.split('\n'))
            if (!line.isEmpty())
                shown.append(line.toLongLong());
    }
    // What the last child left in the journal is stored when the finish line opens again.
    RaceSession session(path);
    session.database().open();
    session.openRace(race);
    finishline::FinishLine line(session);
    QHash<qint64, int> stored;
    for (const timing::CapturedRow& r : line.rows())
        ++stored[*r.timeMs];
    int lost = 0;
    for (const qint64 t : shown)
        lost += stored.value(t) == 0;
    int twice = 0;
    for (const int count : std::as_const(stored))
        twice += count > 1;
    std::printf("SQLite, killed %d times during a burst of presses (%.1f s in all): %lld presses shown, %lld rows "
                "stored, %d shown presses lost, %d presses stored twice\n",
                kills, total.elapsed() / 1000.0, static_cast<long long>(shown.size()),
                static_cast<long long>(line.rows().size()), lost, twice);
    return lost || twice ? 1 : 0;
}
