// The file formats with a race of 20,000 competitors:
//
//   bench_fileformats [iterations]
//
// reads an entry file of 20,000 rows (semicolons, some fields in quotes, one
// with a line break), a finish-time file of 20,000 lines, and writes 20,000
// rows as CSV and as a web page. Qt Core only.

#include "core/csv.h"
#include "core/entryfile.h"
#include "core/htmlexport.h"
#include "core/timefile.h"

#include <QCoreApplication>
#include <QElapsedTimer>

#include <algorithm>
#include <cstdio>
#include <functional>

namespace {

constexpr int kRows = 20000;

QByteArray makeEntryFile()
{
    QString text = QStringLiteral("\uFEFFStartni broj;Prezime;Ime;Država;Klub;Spol;Datum rođenja\r\n");
    for (int i = 1; i <= kRows; ++i) {
        const QString club = i % 50 == 0 ? QStringLiteral("\"AK \"\"Brzi\"\";\r\nSplit\"")
                                         : QStringLiteral("AK %1").arg(i % 300);
        text += QStringLiteral("%1;Takmičarević;Ivo %1;HRV;%2;%3;%4.%5.%6\r\n")
                    .arg(i)
                    .arg(club, i % 3 ? QStringLiteral("m") : QStringLiteral("Ž"))
                    .arg(1 + i % 28)
                    .arg(1 + i % 12)
                    .arg(i % 2 ? 1935 + i % 60 : i % 100);
    }
    return text.toUtf8();
}

QByteArray makeTimeFile()
{
    QByteArray bytes("Broj,Vrijeme\n");
    for (int i = 1; i <= kRows; ++i) {
        const int s = 1800 + i / 2;
        bytes += QByteArray::number(i) + (i % 2 ? "," : "\t") + QByteArray::number(s / 60) + ':'
            + QByteArray::number(s % 60).rightJustified(2, '0') + (i % 3 ? ".47" : "") + '\n';
    }
    return bytes;
}

QList<QStringList> makeRows()
{
    QList<QStringList> rows;
    rows.reserve(kRows);
    for (int i = 1; i <= kRows; ++i) {
        rows.append({QString::number(i), QString::number(i), QStringLiteral("Takmičarević <Ivo> %1").arg(i),
                     QStringLiteral("HRV"), QStringLiteral("AK \"Brzi\", Split"), QStringLiteral("1980"),
                     QStringLiteral("M40"), QStringLiteral("01:%1:00").arg(i % 60, 2, 10, QLatin1Char('0'))});
    }
    return rows;
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
        ms.append(timer.nsecsElapsed() / 1e6);
    }
    std::sort(ms.begin(), ms.end());
    std::printf("  %-34s %9lld  min %8.2f ms  median %8.2f ms\n", name, static_cast<long long>(size), ms.first(),
                ms.at(ms.size() / 2));
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const int iterations = argc > 1 ? std::max(1, QByteArray(argv[1]).toInt()) : 5;

    const QByteArray entryFile = makeEntryFile();
    const QByteArray timeFile = makeTimeFile();
    const QList<QStringList> rows = makeRows();
    const QStringList columns = {"Mj.", "St. br.", "Ime", "Država", "Klub", "God.", "Kat.", "Vrijeme"};

    std::printf("File formats, %d rows, %d runs (size: rows read or bytes written):\n", kRows, iterations);
    measure("read CSV", iterations, [&] { return io::readCsv(entryFile).rows.size(); });
    measure("read entry file", iterations, [&] {
        const io::EntryFileResult result = io::readEntryFile(entryFile);
        return result.ok() ? result.rows.size() : qsizetype(-1);
    });
    measure("read finish-time file", iterations, [&] { return io::readTimeFile(timeFile).lines.size(); });
    measure("write CSV", iterations, [&] { return io::writeCsv(columns, rows).size(); });
    measure("write web page", iterations, [&] {
        io::HtmlDocument doc;
        doc.raceName = QStringLiteral("Kelvora maraton");
        doc.organiser = QStringLiteral("AK Kelvora");
        doc.dateText = QStringLiteral("01.06.2010");
        doc.lists.append({QStringLiteral("Muškarci"), columns, rows.mid(0, kRows / 2)});
        doc.lists.append({QStringLiteral("Žene"), columns, rows.mid(kRows / 2)});
        return io::writeHtml(doc).size();
    });
    return 0;
}
