// The team standings of both sexes for a race of 20,000 finishers of 600
// clubs, from the overall standings as the session holds them; the overall
// standings built from the same lists are measured in the same run.
//
//   bench_teams [iterations]

#include "core/standings.h"
#include "core/teams.h"
#include "measure.h"

#include <QCoreApplication>

#include <cstdio>

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const int iterations = argc > 1 ? std::max(1, atoi(argv[1])) : 7;
    QRandomGenerator rng(11);
    QList<Competitor> startList;
    QList<FinishRecord> finishList;
    QStringList clubs;
    for (int c = 0; c < 600; ++c)
        clubs.append(QStringLiteral("AK ") + kvrbench::syllables(rng, 3));
    for (int i = 1; i <= 20000; ++i) {
        Competitor c;
        c.id = i;
        c.sbroj = QString::number(i);
        c.ime = kvrbench::benchName(rng);
        c.klub = i % 10 == 0 ? QStringLiteral("neovisni") : clubs.at(rng.bounded(600));
        c.spol = rng.bounded(2) ? QStringLiteral("M") : QStringLiteral("Ž");
        c.datum = QDate(1950, 1, 1).addDays(rng.bounded(20000));
        startList.append(c);
        finishList.append({i, i, 1, c.sbroj, QTime(0, 0).addSecs(1800 + rng.bounded(9000)).toString(QStringLiteral("hh:mm:ss"))});
    }
    TeamRules rules;
    rules.size = 3;
    QList<double> overallMs;
    QList<double> teamsMs;
    qsizetype ranked = 0;
    for (int run = 0; run < iterations; ++run) {
        double start = kvrbench::cpuMs();
        const auto overall = standings::overallStandings(finishList, startList, QDate(2025, 6, 1));
        overallMs.append(kvrbench::cpuMs() - start);
        start = kvrbench::cpuMs();
        ranked = teams::standings(overall, rules, standings::Sex::All).size();
        teamsMs.append(kvrbench::cpuMs() - start);
    }
    const double o = kvrbench::median(overallMs);
    const double t = kvrbench::median(teamsMs);
    std::printf("20,000 finishers of 600 clubs, teams of 3 per sex (%lld teams listed)\n", static_cast<long long>(ranked));
    std::printf("  overall standings: %.1f ms CPU\n", o);
    std::printf("  team standings of both sexes: %.1f ms CPU (%.2fx the overall standings; goal: under 20 ms)\n", t, t / o);
    return t < 20 ? 0 : 1;
}
