// Lays out and writes a 20,000-row start list and standings list: to the
// recorder (layout and surface calls only) and to a PDF file through Qt's
// printer. Prints the times. An optional argument names a directory where
// the PDF files are kept.

#include "core/listlayout.h"
#include "print/qtprintsurface.h"
#include "recordingsurface.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QTemporaryDir>
#include <cstdio>

namespace {

constexpr int rowCount = 20000;

QList<QStringList> startListRows()
{
    QList<QStringList> rows;
    rows.reserve(rowCount);
    for (int i = 0; i < rowCount; ++i) {
        rows.append({QString::number(i + 1), QString::number(100000 + i), QStringLiteral("Šimić Đurđica %1").arg(i),
                     QStringLiteral("Hrvatska"), QStringLiteral("AK Čakovec"), i % 2 ? QStringLiteral("M") : QStringLiteral("Ž"),
                     QStringLiteral("01.02.1980"), QString::number(i + 1)});
    }
    return rows;
}

QList<QStringList> standingsRows()
{
    QList<QStringList> rows;
    rows.reserve(rowCount);
    for (int i = 0; i < rowCount; ++i) {
        rows.append({QString::number(i + 1), QString::number(100000 + i), QStringLiteral("Šimić Đurđica %1").arg(i),
                     QStringLiteral("Hrvatska"), QStringLiteral("AK Čakovec"), QStringLiteral("M"),
                     QStringLiteral("70 i više"), QStringLiteral("1950"), QStringLiteral("02:%1:%2")
                         .arg((i / 60) % 60, 2, 10, QLatin1Char('0')).arg(i % 60, 2, 10, QLatin1Char('0'))});
    }
    return rows;
}

void run(const char* name, const QList<QStringList>& rows, const print::ListFormat& format, const QDir& dir)
{
    const print::RaceHeader header{QStringLiteral("Zagrebački maraton"), QStringLiteral("AK Kelvora"),
                                   QStringLiteral("12.10.2025")};
    QElapsedTimer timer;

    timer.start();
    const print::Document doc = print::layoutList(rows, header, format);
    const qint64 layoutMs = timer.elapsed();

    timer.restart();
    print::RecordingSurface recorder;
    print::printDocument(recorder, doc);
    const qint64 recordMs = timer.elapsed();

    const QString path = dir.filePath(QString::fromLatin1(name) + QStringLiteral(".pdf"));
    timer.restart();
    print::QtPrintSurface pdf(path, QString::fromLatin1(name), QPageSize(QPageSize::A4));
    print::printDocument(pdf, doc);
    const qint64 pdfMs = timer.elapsed();

    std::printf("%-12s %d rows, %lld pages: layout %lld ms, recorder %lld ms, PDF %lld ms (%.1f MB)%s%s\n", name,
                rowCount, qlonglong(doc.pages.size()), layoutMs, recordMs, pdfMs,
                QFileInfo(path).size() / 1e6, pdf.lastError().isEmpty() ? "" : " failed: ",
                qPrintable(pdf.lastError()));
}

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QTemporaryDir temp;
    const QDir dir(argc > 1 ? QString::fromLocal8Bit(argv[1]) : temp.path());

    run("startna", startListRows(), print::startListFormat(), dir);
    run("poredak", standingsRows(), print::standingsFormat(QStringLiteral("Ukupni poredak")), dir);
    return 0;
}
