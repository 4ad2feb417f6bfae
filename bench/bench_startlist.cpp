// Fill and sort of the start list view with 20,000 competitors: the refill
// after every change, and the sort by a header click on each kind of column.

#include "data/database.h"
#include "ui/frmkelvora.h"
#include "ui/messagebox.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QHeaderView>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTreeView>
#include <cstdio>

namespace {

constexpr int kRows = 20000;

const char* const kFirst[] = {"Ana", "Čedo", "Ćiro", "Đuro", "Šime", "Žana", "Ivan", "Marija", "Luka", "Dženan",
                              "Ljubica", "Nikola", "Zoran", "Iva", "Petar", "Šimun"};
const char* const kLast[] = {"Horvat", "Kovačević", "Babić", "Marić", "Jurić", "Novak", "Šarić", "Čović",
                             "Ćosić", "Đurić", "Žagar", "Zec", "Lončar", "Perić", "Vuković", "Knežević"};
const char* const kClubs[] = {"AK Split", "AK Zagreb", "AK Šibenik", "AK Čakovec", "AK Osijek", "AK Đakovo"};

double elapsedMs(const QElapsedTimer& t)
{
    return double(t.nsecsElapsed()) / 1e6;
}

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    MessageBox::setTestMode(true);

    // A memory-backed directory keeps the 20,000 single inserts of the set-up quick.
    const QString base = QDir(QStringLiteral("/dev/shm")).exists() ? QStringLiteral("/dev/shm") : QDir::tempPath();
    QTemporaryDir dir(base + QStringLiteral("/kvr-bench-XXXXXX"));
    frmkelvora w(dir.filePath(QStringLiteral("kvr.mdb")));
    if (!w.databaseReady())
        return 1;

    const auto raceId = w.database().insertRace(QStringLiteral("Bench"), QStringLiteral("AK"), QDate(2010, 6, 1));
    QRandomGenerator rng(42);
    for (int i = 0; i < kRows; ++i) {
        Competitor c;
        c.idutrke = raceId.value();
        // Distinct numbers in scattered order (7919 is prime to 30000).
        c.sbroj = i % 10 == 0 ? QString() : QString::number(qint64(i) * 7919 % 30000 + 1);
        c.ime = QString::fromUtf8(kLast[rng.bounded(16)]) + QLatin1Char(' ') + QString::fromUtf8(kFirst[rng.bounded(16)]);
        c.drzava = QStringLiteral("HRV");
        c.klub = QString::fromUtf8(kClubs[rng.bounded(6)]);
        c.spol = rng.bounded(2) ? QStringLiteral("M") : QStringLiteral("Ž");
        c.datum = QDate(1930, 1, 1).addDays(rng.bounded(28000));
        if (!w.database().insertCompetitor(c))
            return 1;
    }
    auto* lsv1 = w.findChild<QTreeView*>(QStringLiteral("lsv1"));

    auto clickHeader = [&](int column) { emit lsv1->header()->sectionClicked(column); };

    std::printf("start list of %d rows\n", kRows);
    QElapsedTimer t;
    t.start();
    w.openRaceById(raceId.value());
    std::printf("  refill, fill order:              %8.1f ms\n", elapsedMs(t));

    const struct {
        int column;
        const char* name;
    } columns[] = {{0, "R.br. (number)"}, {1, "St. br. (natural)"}, {6, "Datum rod. (date)"}, {2, "Ime i prezime (text)"},
                   {4, "Klub (text)"}};
    for (const auto& col : columns) {
        t.restart();
        clickHeader(col.column);
        const double ascending = elapsedMs(t);
        t.restart();
        clickHeader(col.column);
        const double descending = elapsedMs(t);
        std::printf("  sort %-22s asc %8.1f ms, desc %8.1f ms\n", col.name, ascending, descending);
    }

    clickHeader(2);
    t.restart();
    w.session().reload();
    std::printf("  refill, sorted by name:          %8.1f ms\n", elapsedMs(t));
    return lsv1->model()->rowCount() == kRows ? 0 : 1;
}
