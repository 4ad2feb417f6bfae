// Builds the finish list and its detailed rows for a large race and fills
// two list views with them, as every refresh of the results page does.

#include "core/finishlist.h"
#include "core/competitorrules.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QTreeWidget>
#include <cstdio>

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);

    constexpr int kCompetitors = 20000;
    QList<Competitor> startList;
    startList.reserve(kCompetitors);
    for (int i = 0; i < kCompetitors; ++i) {
        Competitor c;
        c.id = i + 1;
        c.sbroj = QString::number(i + 1);
        c.ime = QStringLiteral("Takmičar %1").arg(i + 1);
        c.drzava = QStringLiteral("HRV");
        c.spol = i % 2 ? QStringLiteral("M") : QStringLiteral("Ž");
        c.datum = QDate(1940 + i % 60, 1 + i % 12, 1 + i % 28);
        startList.append(c);
    }
    // Every competitor finishes, in reverse order of the start list.
    QList<FinishRecord> finishes;
    finishes.reserve(kCompetitors);
    for (int i = 0; i < kCompetitors; ++i) {
        const qint64 id = kCompetitors - i;
        finishes.append({i + 1, id, 1, QString::number(id),
                         QStringLiteral("%1:%2:%3").arg(1 + i / 3600, 2, 10, QLatin1Char('0'))
                             .arg(i / 60 % 60, 2, 10, QLatin1Char('0')).arg(i % 60, 2, 10, QLatin1Char('0'))});
    }

    QElapsedTimer timer;
    timer.start();
    const auto rows = standings::finishListRows(finishes);
    const auto details = standings::finishDetailRows(finishes, startList, QDate(2010, 6, 15));
    const qint64 buildMs = timer.elapsed();

    QTreeWidget lsv2;
    lsv2.setColumnCount(4);
    QTreeWidget lsv3;
    lsv3.setColumnCount(8);
    timer.restart();
    for (auto [list, source] : {std::pair{&lsv2, &rows}, std::pair{&lsv3, &details}}) {
        list->clear();
        QList<QTreeWidgetItem*> items;
        items.reserve(source->size());
        for (const QStringList& row : *source)
            items.append(new QTreeWidgetItem(row));
        list->addTopLevelItems(items);
    }
    const qint64 fillMs = timer.elapsed();

    timer.restart();
    int found = 0;
    const rules::StartNumberIndex numbers(startList);
    const qint64 indexMs = timer.elapsed();
    for (int i = 0; i < 1000; ++i)
        found += numbers.first(QString::number(kCompetitors - i)) >= 0;
    const qint64 lookupMs = timer.elapsed();

    std::printf("%d competitors, %d finishers\n", kCompetitors, int(finishes.size()));
    std::printf("finish rows and detail rows: %lld ms\n", buildMs);
    std::printf("two list views filled:       %lld ms\n", fillMs);
    std::printf("start-number index built:    %lld ms\n", indexMs);
    std::printf("1000 start-number look-ups:  %lld ms (%d found)\n", lookupMs - indexMs, found);
    return 0;
}
