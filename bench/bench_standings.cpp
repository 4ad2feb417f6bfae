// Standings of a race of 20,000 finishers.
//
//   bench_standings [iterations] [--functions-only]
//
// First the plain standings functions on values (overall, one sex, one
// category), then, unless --functions-only is given, "Obrada" through the
// main window: the finish list read from the database, the standings built
// and shown in the standings list. The database lives in /dev/shm when there
// is one, so that filling it does not wait on the disk.
//
// For callgrind: valgrind --tool=callgrind bench_standings 1 --functions-only

#include "core/standings.h"
#include "data/database.h"
#include "ui/frmkelvora.h"
#include "ui/messagebox.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QElapsedTimer>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTime>
#include <QTreeView>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <random>

namespace {

constexpr int kFinishers = 20000;
constexpr int kRegistered = 22000;
const QDate kRaceDate(2010, 6, 1);

struct BenchRace {
    QList<Competitor> startList;
    QList<FinishRecord> finishList; // in time order, as the database returns it
};

// A start list of 22,000 with 20,000 finishers; every 40th entry has no start
// number. Times fall within two hours, so many finishers share a time.
BenchRace makeRace()
{
    std::mt19937 random(20100601);
    std::uniform_int_distribution<int> birthYear(1935, 2000);
    std::uniform_int_distribution<int> seconds(30 * 60, 150 * 60);

    BenchRace race;
    race.startList.reserve(kRegistered);
    for (int i = 1; i <= kRegistered; ++i) {
        Competitor c;
        c.id = i;
        c.idutrke = 1;
        c.sbroj = i % 40 == 0 ? QString() : QString::number(i);
        c.ime = QStringLiteral("Takmičar %1").arg(i);
        c.drzava = QStringLiteral("HRV");
        c.klub = QStringLiteral("AK %1").arg(i % 300);
        c.spol = i % 5 < 3 ? QStringLiteral("M") : QStringLiteral("Ž");
        c.datum = QDate(birthYear(random), 1 + i % 12, 1 + i % 28);
        race.startList.append(c);
    }
    for (const Competitor& c : race.startList) {
        if (race.finishList.size() == kFinishers)
            break;
        if (c.sbroj.isEmpty())
            continue;
        FinishRecord r;
        r.id = race.finishList.size() + 1;
        r.idtakmicara = c.id;
        r.idutrke = 1;
        r.sbroj = c.sbroj;
        r.vrijeme = QTime(0, 0).addSecs(seconds(random)).toString(QStringLiteral("hh:mm:ss"));
        race.finishList.append(r);
    }
    std::stable_sort(race.finishList.begin(), race.finishList.end(),
                     [](const FinishRecord& a, const FinishRecord& b) { return a.vrijeme < b.vrijeme; });
    return race;
}

// Runs fn `iterations` times and prints the fastest and the median run.
void measure(const char* name, int iterations, const std::function<qsizetype()>& fn)
{
    QList<double> ms;
    qsizetype rows = 0;
    for (int i = 0; i < iterations; ++i) {
        QElapsedTimer timer;
        timer.start();
        rows = fn();
        ms.append(timer.nsecsElapsed() / 1e6);
    }
    std::sort(ms.begin(), ms.end());
    std::printf("  %-34s %6lld rows  min %8.2f ms  median %8.2f ms\n", name, static_cast<long long>(rows),
                ms.first(), ms.at(ms.size() / 2));
}

void benchFunctions(const BenchRace& race, int iterations)
{
    std::printf("Standings functions, %d finishers, %d registered, %d runs:\n", kFinishers, kRegistered,
                iterations);
    auto run = [&](const QString& category, standings::Sex sex) {
        return [&race, category, sex] {
            return standings::process({category, sex}, race.finishList, race.startList, kRaceDate).rows.size();
        };
    };
    measure("overall", iterations, run(QStringLiteral("Svi"), standings::Sex::All));
    measure("overall, women", iterations, run(QStringLiteral("Svi"), standings::Sex::Women));
    measure("category 35-39, men", iterations, run(QStringLiteral("35-39"), standings::Sex::Men));
    measure("category 35-39, both sexes", iterations, run(QStringLiteral("35-39"), standings::Sex::All));
}

int benchWindow(const BenchRace& race, int iterations)
{
    const QString shm = QStringLiteral("/dev/shm");
    QTemporaryDir dir(QDir(shm).exists() ? shm + QStringLiteral("/kvr-bench-XXXXXX") : QString());
    frmkelvora w(dir.filePath(QStringLiteral("kvr.mdb")));
    if (!w.databaseReady())
        return 1;
    Database& db = w.database();

    QElapsedTimer fill;
    fill.start();
    const auto raceId = db.insertRace(QStringLiteral("Maraton"), QStringLiteral("AK Kelvora"), kRaceDate);
    if (!raceId)
        return 1;
    QHash<qint64, qint64> keyOf; // generated key -> database key
    for (Competitor c : race.startList) {
        c.idutrke = raceId.value();
        const auto id = db.insertCompetitor(c);
        if (!id)
            return 1;
        keyOf.insert(c.id, id.value());
    }
    for (FinishRecord r : race.finishList) {
        r.idutrke = raceId.value();
        r.idtakmicara = keyOf.value(r.idtakmicara);
        if (!db.insertFinishRecord(r))
            return 1;
    }
    w.openRaceById(raceId.value());
    w.selectPage(frmkelvora::PageReports);
    std::printf("\"Obrada\" through the window (database filled in %lld ms), %d runs:\n",
                static_cast<long long>(fill.elapsed()), iterations);

    auto* cbokateg = w.findChild<QComboBox*>(QStringLiteral("cbokateg"));
    auto* cmdobrada = w.findChild<QPushButton*>(QStringLiteral("cmdobrada"));
    auto* lsv4 = w.findChild<QTreeView*>(QStringLiteral("lsv4"));
    auto click = [&](const QString& category, const char* option) {
        return [=, &w] {
            cbokateg->setCurrentIndex(cbokateg->findText(category));
            w.findChild<QRadioButton*>(QString::fromLatin1(option))->setChecked(true);
            cmdobrada->click();
            return qsizetype(lsv4->model()->rowCount());
        };
    };
    measure("overall", iterations, click(QStringLiteral("Svi"), "optsvi"));
    measure("overall, women", iterations, click(QStringLiteral("Svi"), "optzene"));
    measure("category 35-39, men", iterations, click(QStringLiteral("35-39"), "optmuski"));
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    MessageBox::setTestMode(true);

    const QStringList args = app.arguments().mid(1);
    int iterations = 20;
    bool functionsOnly = false;
    for (const QString& arg : args) {
        if (arg == QStringLiteral("--functions-only"))
            functionsOnly = true;
        else if (arg.toInt() > 0)
            iterations = arg.toInt();
    }

    const BenchRace race = makeRace();
    benchFunctions(race, iterations);
    return functionsOnly ? 0 : benchWindow(race, std::max(1, iterations / 4));
}
