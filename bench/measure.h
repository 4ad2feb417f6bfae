#pragma once

// What the benchmarks measure with: the process's CPU time, medians, and its
// memory as the kernel counts it; and a race to measure on.

#include <QByteArray>
#include <QDate>
#include <QFile>
#include <QList>
#include <QRandomGenerator>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTime>
#include <QVariant>
#include <QString>
#include <algorithm>
#include <ctime>

namespace kvrbench {

inline double cpuMs()
{
    timespec ts{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
    return double(ts.tv_sec) * 1e3 + double(ts.tv_nsec) / 1e6;
}

inline double median(QList<double> v)
{
    std::sort(v.begin(), v.end());
    return v.isEmpty() ? 0 : v.at(v.size() / 2);
}

// A line of /proc/self/status in MiB: "VmHWM:" the peak, "VmRSS:" now.
inline double statusMiB(const char* field)
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (line.startsWith(field))
            return line.mid(int(qstrlen(field))).trimmed().split(' ').first().toDouble() / 1024.0;
    }
    return 0;
}

inline double peakMiB() { return statusMiB("VmHWM:"); }
inline double rssMiB() { return statusMiB("VmRSS:"); }

inline const char* const kFirst[] = {"Ana", "Čedo", "Ćiro", "Đuro", "Šime", "Žana", "Ivan", "Marija"};
inline const char* const kLast[] = {"Horvat", "Kovačević", "Babić", "Šarić", "Čović", "Ćosić", "Đurić", "Žagar"};

// A race of n competitors, every second one finished, in one transaction.
inline qint64 fillRace(QSqlDatabase& db, int n, const QString& club = QStringLiteral("AK Split"))
{
    db.transaction();
    QSqlQuery q(db);
    q.exec(QStringLiteral("insert into utrke (ime, org, datum, da) values ('Bench', 'AK', '2010-06-01', 'y')"));
    const qint64 raceId = q.lastInsertId().toLongLong();
    QSqlQuery c(db);
    c.prepare(QStringLiteral("insert into startna (sbroj, idutrke, ime, drzava, klub, spol, datum) "
                             "values (?, ?, ?, 'HRV', ?, ?, ?)"));
    QSqlQuery f(db);
    f.prepare(QStringLiteral("insert into rezultati (idtakmicara, idutrke, sbroj, vrijeme) values (?, ?, ?, ?)"));
    QRandomGenerator rng(7);
    for (int i = 0; i < n; ++i) {
        c.addBindValue(QString::number(i + 1));
        c.addBindValue(raceId);
        c.addBindValue(QString::fromUtf8(kLast[rng.bounded(8)]) + QLatin1Char(' ') + QString::fromUtf8(kFirst[rng.bounded(8)]));
        c.addBindValue(club);
        c.addBindValue(rng.bounded(2) ? QStringLiteral("M") : QStringLiteral("Ž"));
        c.addBindValue(QDate(1940, 1, 1).addDays(rng.bounded(25000)).toString(Qt::ISODate));
        c.exec();
        if (i % 2 == 0) {
            f.addBindValue(c.lastInsertId());
            f.addBindValue(raceId);
            f.addBindValue(QString::number(i + 1));
            f.addBindValue(QTime(0, 0).addSecs(3600 + rng.bounded(10000)).toString(QStringLiteral("hh:mm:ss")));
            f.exec();
        }
    }
    db.commit();
    return raceId;
}

// The same race written to the file at path through a connection of its own.
inline qint64 fillRace(const QString& path, int n, const QString& club = QStringLiteral("AK Split"))
{
    const QString name = QStringLiteral("kvrbench-fill");
    qint64 raceId = 0;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
        db.setDatabaseName(path);
        db.open();
        raceId = fillRace(db, n, club);
        db.close();
    }
    QSqlDatabase::removeDatabase(name);
    return raceId;
}

} // namespace kvrbench
