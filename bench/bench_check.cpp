// The results check of a race of 20,000 runners (target: under 100 ms).
//
//   bench_check [iterations]
//
// checks::findProblems on values: 20,000 entries, 19,000 finish records,
// statuses on a few hundred, a course length set; many equal times and a
// few slips of every kind, so every branch runs.

#include "core/checks.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTime>

#include <algorithm>
#include <cstdio>
#include <random>

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const int iterations = argc > 1 ? std::max(1, atoi(argv[1])) : 10;
    constexpr int kRunners = 20000;
    const QDate raceDate(2010, 6, 1);
    std::mt19937 random(20100601);
    std::uniform_int_distribution<int> birthYear(1915, 2008);
    std::uniform_int_distribution<int> seconds(30 * 60, 150 * 60);

    QList<Competitor> startList;
    QList<FinishRecord> finishList;
    RunStates states;
    startList.reserve(kRunners);
    for (int i = 1; i <= kRunners; ++i) {
        Competitor c{i, QString::number(i % 997 == 0 ? i - 1 : i), 1, QStringLiteral("Takmičar %1").arg(i % 19000),
                     QStringLiteral("HRV"), QStringLiteral("AK"), i % 500 == 0 ? QStringLiteral("X") : QStringLiteral("M"),
                     QDate(birthYear(random), 3, 15)};
        startList.append(c);
        if (i % 20 == 0)
            states.insert(i, {i % 40 == 0 ? RunState::Dns : RunState::Dnf, {}});
        if (i <= 19000)
            finishList.append({i, i, 1, c.sbroj, QTime(0, 0).addSecs(seconds(random)).toString(QStringLiteral("hh:mm:ss"))});
    }
    std::sort(finishList.begin(), finishList.end(),
              [](const FinishRecord& a, const FinishRecord& b) { return a.vrijeme < b.vrijeme; });

    qint64 best = -1;
    qsizetype found = 0;
    for (int run = 0; run < iterations; ++run) {
        QElapsedTimer timer;
        timer.start();
        found = checks::findProblems(finishList, startList, raceDate, states, 21.1).size();
        const qint64 ms = timer.elapsed();
        best = best < 0 ? ms : std::min(best, ms);
    }
    std::printf("findProblems, %d runners, %d finish records: best of %d runs %lld ms (%lld findings)\n", kRunners,
                int(finishList.size()), iterations, static_cast<long long>(best), static_cast<long long>(found));
    return 0;
}
