// Imports of a large race: an entry file of 20,000 competitors (or the size
// given as the argument) read, checked and previewed, then stored; a time
// file of as many finishers the same. Each step is timed on its own.

#include "app/imports.h"
#include "app/racesession.h"
#include "core/csv.h"
#include "data/database.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <cstdio>

namespace {

const char* const kFirst[] = {"Ana", "Čedo", "Ćiro", "Đuro", "Šime", "Žana", "Ivan", "Marija"};
const char* const kLast[] = {"Horvat", "Kovačević", "Babić", "Šarić", "Čović", "Ćosić", "Đurić", "Žagar"};

QByteArray entryFile(int n)
{
    QList<QStringList> rows;
    rows.reserve(n);
    for (int i = 0; i < n; ++i) {
        rows.append({QString::number(i + 1),
                     QString::fromUtf8(kLast[i % 8]) + QLatin1Char(' ') + QString::fromUtf8(kFirst[(i / 8) % 8]),
                     QStringLiteral("HRV"), QStringLiteral("AK Split"), i % 3 ? QStringLiteral("M") : QStringLiteral("Ž"),
                     QStringLiteral("%1.%2.%3").arg(1 + i % 28).arg(1 + i % 12).arg(1940 + i % 60)});
    }
    return io::writeCsv({QStringLiteral("startni broj"), QStringLiteral("ime i prezime"), QStringLiteral("država"),
                         QStringLiteral("klub"), QStringLiteral("spol"), QStringLiteral("datum rođenja")},
                        rows);
}

QByteArray timeFile(int n)
{
    QByteArray file;
    file.reserve(n * 12);
    for (int i = 0; i < n; ++i) {
        const int seconds = 1800 + i / 3;
        file += QByteArray::number(n - i) + '\t' + QByteArray::number(seconds / 60) + ':'
            + QByteArray::number(seconds % 60).rightJustified(2, '0') + '\n';
    }
    return file;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const int n = argc > 1 ? QByteArray(argv[1]).toInt() : 20000;
    QTemporaryDir dir;
    RaceSession session(dir.filePath(QStringLiteral("kvr.mdb")));
    if (!session.database().open() || !session.createRace(QStringLiteral("Utrka"), QStringLiteral("AK"), QStringLiteral("1.6.2025"))) {
        std::fprintf(stderr, "no race\n");
        return 1;
    }

    const QByteArray entries = entryFile(n);
    QElapsedTimer t;
    t.start();
    const imports::EntryPreview entryPreview = imports::previewEntries(session, entries);
    const double entryPreviewMs = double(t.nsecsElapsed()) / 1e6;
    t.restart();
    const Status entriesStored = imports::importEntries(session, entryPreview);
    const double entryStoreMs = double(t.nsecsElapsed()) / 1e6;

    const QByteArray times = timeFile(n);
    t.restart();
    const imports::TimePreview timePreview = imports::previewTimes(session, times);
    const double timePreviewMs = double(t.nsecsElapsed()) / 1e6;
    t.restart();
    const Status timesStored = imports::importTimes(session, timePreview);
    const double timeStoreMs = double(t.nsecsElapsed()) / 1e6;

    if (!entriesStored || !timesStored || entryPreview.acceptedCount != n || timePreview.acceptedCount != n) {
        std::fprintf(stderr, "import failed: %d entries, %d times accepted\n", entryPreview.acceptedCount,
                     timePreview.acceptedCount);
        return 1;
    }
    std::printf("bench_import: %d rows (store includes reading the lists again)\n", n);
    std::printf("  entries: read, check and preview %8.1f ms   store %8.1f ms\n", entryPreviewMs, entryStoreMs);
    std::printf("  times:   read, check and preview %8.1f ms   store %8.1f ms\n", timePreviewMs, timeStoreMs);
    return 0;
}
