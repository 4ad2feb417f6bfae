// Exports of a race of 20,000 competitors (every second one finished):
//
//   bench_export [iterations] [competitors]
//
// builds the registered list, the finish list, the overall standings and
// all standings from the race session, and writes them as CSV, as a web
// page and (the registered list) as the PDF pages of its printout; then
// writes every list as the export window and "kelvora export" do (built,
// then streamed to the file), with the process's peak memory during each
// (reset before each step). The steps that hold a whole file in memory run
// up to 100,000 competitors.

#include "measure.h"
#include "app/exports.h"
#include "app/racesession.h"
#include "data/database.h"
#include "print/pagepainter.h"

#include <QApplication>
#include <QDate>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QTime>
#include <QUuid>
#include <algorithm>
#include <cstdio>
#include <functional>

using kvrbench::peakMiB;

namespace {

int kCompetitors = 20000;


// Starts the peak anew at the memory in use now.
void resetPeak()
{
    QFile refs(QStringLiteral("/proc/self/clear_refs"));
    if (refs.open(QIODevice::WriteOnly))
        refs.write("5");
}

// Runs fn `iterations` times and prints the fastest and the median run.
void measure(const char* name, int iterations, const std::function<qsizetype()>& fn)
{
    QList<double> ms;
    qsizetype size = 0;
    for (int i = 0; i < iterations; ++i) {
        QElapsedTimer timer;
        timer.start();
        size = fn();
        ms.append(double(timer.nsecsElapsed()) / 1e6);
    }
    std::sort(ms.begin(), ms.end());
    std::printf("  %-40s %10lld  min %8.2f ms  median %8.2f ms\n", name, static_cast<long long>(size), ms.first(),
                ms.at(ms.size() / 2));
}

} // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    const int iterations = argc > 1 ? std::max(1, atoi(argv[1])) : 5;
    if (argc > 2)
        kCompetitors = std::max(2, atoi(argv[2]));

    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("bench.mdb"));
    {
        RaceSession create(path);
        create.database().open();
    }
    const qint64 raceId = kvrbench::fillRace(path, kCompetitors, QStringLiteral("AK \"Brzi\", Split"));
    resetPeak();
    RaceSession session(path);
    if (!session.database().open() || !session.openRace(raceId)) {
        std::fprintf(stderr, "the race could not be opened\n");
        return 1;
    }

    std::printf("peak memory with the race open: %.0f MiB\n", peakMiB());

    // Every list of the race, as the export window and the command line write it.
    using exports::ExportList;
    using exports::Format;
    const QList<std::pair<const char*, ExportList>> everyList{
        {"start list", ExportList::StartList}, {"registered", ExportList::Registered}, {"finish", ExportList::Finish},
        {"all standings", ExportList::AllStandings}, {"prizes", ExportList::Prizes}};
    double worst = 0;
    for (const auto& [name, list] : everyList) {
        for (const Format format : {Format::Csv, Format::Html}) {
            resetPeak();
            QElapsedTimer timer;
            timer.start();
            const auto data = exports::buildExport(session, list, {QStringLiteral("Svi"), standings::Sex::All});
            const QString path = dir.filePath(QStringLiteral("svi"));
            const QString error = data ? exports::saveExport(path, data.value(), format) : QStringLiteral("refused");
            const double peak = peakMiB();
            worst = std::max(worst, peak);
            std::printf("  export %-14s %-4s %10lld bytes %9.0f ms  peak %6.0f MiB%s\n", name,
                        format == Format::Csv ? "CSV" : "HTML", static_cast<long long>(QFileInfo(path).size()),
                        double(timer.nsecsElapsed()) / 1e6, peak, qPrintable(error));
        }
    }
    std::printf("peak memory while exporting every list: %.0f MiB\n", worst);
    if (kCompetitors > 100000)
        return 0;

    std::printf("bench_export: %d competitors, %d finishers, %d iterations (size: rows or bytes)\n", kCompetitors,
                kCompetitors / 2, iterations);
    const standings::Selection overall{QStringLiteral("Svi"), standings::Sex::All};
    for (auto [name, list] : {std::pair{"registered", ExportList::Registered}, std::pair{"finish", ExportList::Finish},
                              std::pair{"standings", ExportList::Standings},
                              std::pair{"all standings", ExportList::AllStandings}}) {
        const auto data = exports::buildExport(session, list, overall);
        qsizetype rows = 0;
        for (const auto& l : data.value().lists)
            rows += l.rowCount;
        std::printf(" %s: %lld rows in %lld lists\n", name, static_cast<long long>(rows),
                    static_cast<long long>(data.value().lists.size()));
        measure("build", iterations, [&] {
            return exports::buildExport(session, list, overall).value().lists.first().rowCount;
        });
        measure("CSV", iterations, [&] { return exports::exportCsv(data.value()).size(); });
        measure("HTML", iterations, [&] { return exports::exportHtml(data.value()).size(); });
        measure("build + CSV + save", iterations, [&] {
            const QByteArray bytes = exports::exportCsv(exports::buildExport(session, list, overall).value());
            exports::saveFile(dir.filePath(QStringLiteral("izvoz.csv")), bytes);
            return bytes.size();
        });
        if (list == ExportList::Registered) {
            measure("PDF (334 pages)", 1, [&] {
                print::writePdf(exports::exportDocuments(data.value()), dir.filePath(QStringLiteral("izvoz.pdf")),
                                QStringLiteral("Bench"));
                return QFileInfo(dir.filePath(QStringLiteral("izvoz.pdf"))).size();
            });
        }
    }
    return 0;
}
