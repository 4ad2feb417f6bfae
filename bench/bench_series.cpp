// A season of 10 races of 20,000 finishers each (the same runners, their
// times differing race to race): the series' standings scored from the
// database, and the series window showing them, as a user opens it. The
// bare SQLite read of the same rows is measured in the same run as the floor.
//
//   bench_series [iterations]

#include "app/seriessession.h"
#include "data/database.h"
#include "measure.h"
#include "ui/frmkelvora.h"
#include "ui/frmkup.h"

#include <QApplication>
#include <QComboBox>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QTreeView>

#include <cstdio>

namespace {

constexpr int kRaces = 10;
constexpr int kRunners = 20000;

void fillSeason(const QString& path)
{
    const QString name = QStringLiteral("kvrbench-season");
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
        db.setDatabaseName(path);
        db.open();
        QRandomGenerator people(7);
        QStringList names;
        QStringList clubs;
        QStringList sexes;
        QStringList births;
        for (int i = 0; i < kRunners; ++i) {
            names.append(kvrbench::benchName(people));
            clubs.append(QStringLiteral("AK ") + kvrbench::syllables(people, 2));
            sexes.append(people.bounded(2) ? QStringLiteral("M") : QStringLiteral("Ž"));
            births.append(QDate(1940, 1, 1).addDays(people.bounded(25000)).toString(Qt::ISODate));
        }
        for (int r = 0; r < kRaces; ++r) {
            db.transaction();
            QSqlQuery q(db);
            q.exec(QStringLiteral("insert into utrke (ime, org, datum, da) values ('Kolo %1', 'AK', '2025-0%2-01', 'y')")
                       .arg(r + 1)
                       .arg(r % 9 + 1));
            const qint64 raceId = q.lastInsertId().toLongLong();
            QSqlQuery c(db);
            c.prepare(QStringLiteral("insert into startna (sbroj, idutrke, ime, drzava, klub, spol, datum) "
                                     "values (?, ?, ?, 'HRV', ?, ?, ?)"));
            QSqlQuery f(db);
            f.prepare(QStringLiteral("insert into rezultati (idtakmicara, idutrke, sbroj, vrijeme) values (?, ?, ?, ?)"));
            QRandomGenerator times(100 + r);
            for (int i = 0; i < kRunners; ++i) {
                c.addBindValue(QString::number(i + 1));
                c.addBindValue(raceId);
                c.addBindValue(names.at(i));
                c.addBindValue(clubs.at(i));
                c.addBindValue(sexes.at(i));
                c.addBindValue(births.at(i));
                c.exec();
                f.addBindValue(c.lastInsertId());
                f.addBindValue(raceId);
                f.addBindValue(QString::number(i + 1));
                f.addBindValue(QTime(0, 0).addSecs(3600 + times.bounded(10000)).toString(QStringLiteral("hh:mm:ss")));
                f.exec();
            }
            db.commit();
        }
        db.close();
    }
    QSqlDatabase::removeDatabase(name);
}

// The floor: every finisher of the ten races with its runner, read by SQLite
// through Qt and nothing more.
double bareReadMs(const QString& path)
{
    const QString name = QStringLiteral("kvrbench-bare");
    double ms = 0;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
        db.setDatabaseName(path);
        db.open();
        const double start = kvrbench::cpuMs();
        QSqlQuery q(db);
        q.setForwardOnly(true);
        q.exec(QStringLiteral("select s.ime, s.klub, s.spol, s.datum, r.vrijeme from rezultati r "
                              "join startna s on s.id = r.idtakmicara"));
        qsizetype rows = 0;
        while (q.next())
            rows += q.value(0).toString().size() > 0 ? 1 : 0;
        ms = kvrbench::cpuMs() - start;
        std::printf("  (bare read: %lld rows)\n", static_cast<long long>(rows));
    }
    QSqlDatabase::removeDatabase(name);
    return ms;
}

} // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    const int iterations = argc > 1 ? std::max(1, atoi(argv[1])) : 3;
    QTemporaryDir tmp;
    const QString path = tmp.filePath(QStringLiteral("kvr.mdb"));
    {
        Database made(path);
        made.open();
    }
    fillSeason(path);
    qint64 seriesId = 0;
    {
        Database db(path);
        db.open();
        SeriesSession seasons(db);
        series::Definition d;
        d.name = QStringLiteral("Kup");
        for (int r = 1; r <= kRaces; ++r)
            d.races.append(r);
        d.rules.best = 8;
        d.rules.minimum = 6;
        seriesId = seasons.store(d).value();
    }

    QList<double> bare;
    QList<double> cold;
    QList<double> warm;
    QList<double> opened;
    QList<double> shown;
    for (int run = 0; run < iterations; ++run) {
        bare.append(bareReadMs(path));
        {
            Database db(path);
            db.open();
            SeriesSession seasons(db);
            double start = kvrbench::cpuMs();
            const auto result = seasons.standings(seriesId);
            cold.append(kvrbench::cpuMs() - start);
            if (!result || result.value().standings.rows.size() != kRunners) {
                std::printf("wrong standings: %lld rows\n",
                            static_cast<long long>(result ? result.value().standings.rows.size() : -1));
                return 1;
            }
            // Scored again from the races already read: a rule or a match changed.
            start = kvrbench::cpuMs();
            seasons.standings(seriesId);
            warm.append(kvrbench::cpuMs() - start);
        }
        // The window as a user opens it: the series' standings read, scored,
        // listed and painted; then the list of one sex and of all again.
        frmkelvora window(path);
        window.show();
        QApplication::processEvents();
        double start = kvrbench::cpuMs();
        frmkup dialog(window, &window);
        dialog.show();
        auto* list = dialog.findChild<QTreeView*>(QStringLiteral("lsvkup"));
        list->viewport()->repaint();
        QApplication::processEvents();
        opened.append(kvrbench::cpuMs() - start);
        auto* sex = dialog.findChild<QComboBox*>(QStringLiteral("cbospol"));
        sex->setCurrentIndex(1);
        QApplication::processEvents();
        start = kvrbench::cpuMs();
        sex->setCurrentIndex(0);
        list->viewport()->repaint();
        QApplication::processEvents();
        shown.append(kvrbench::cpuMs() - start);
        if (list->model()->rowCount() != kRunners)
            return 1;
    }
    const double b = kvrbench::median(bare);
    const double c = kvrbench::median(cold);
    const double s = kvrbench::median(warm);
    const double o = kvrbench::median(opened);
    const double w = kvrbench::median(shown);
    std::printf("series of %d races x %d finishers\n", kRaces, kRunners);
    std::printf("  bare SQLite read of the rows: %.1f ms CPU\n", b);
    std::printf("  standings read and scored: %.1f ms CPU (%.2fx the bare read)\n", c, c / b);
    std::printf("  standings scored from the races read: %.1f ms CPU (%.2fx the bare read; goal: under 300 ms)\n", s, s / b);
    std::printf("  window opened on the series, list painted: %.1f ms CPU\n", o);
    std::printf("  window list of all shown again: %.1f ms CPU (goal: under 100 ms)\n", w);
    return s < 300 && w < 100 ? 0 : 1;
}
