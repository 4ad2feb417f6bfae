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

// A word of count syllables, capitalised: 16 to the power of count of them.
inline QString syllables(QRandomGenerator& rng, int count)
{
    static const char* const kSyllables[] = {"ko", "ba", "ma", "ju", "no", "ša", "čo", "ću",
                                             "đu", "ža", "ho", "pe", "ra", "vu", "lu", "mi"};
    QString word;
    for (int i = 0; i < count; ++i)
        word += QString::fromUtf8(kSyllables[rng.bounded(16)]);
    word[0] = word[0].toUpper();
    return word;
}

// A name as a big race has them: nearly every one different (a surname of
// three syllables and an ending, a first name; 524,288 of them).
inline QString benchName(QRandomGenerator& rng)
{
    static const char* const kEndings[] = {"ć", "čević", "ić", "ar", "ović", "ak", "ec", "in"};
    return syllables(rng, 3) + QString::fromUtf8(kEndings[rng.bounded(8)]) + QLatin1Char(' ')
        + QString::fromUtf8(kFirst[rng.bounded(8)]);
}

// A race of n competitors, every second one finished, in one transaction.
// Names nearly all different, clubs from 256 (or all the club given).
inline qint64 fillRace(QSqlDatabase& db, int n, const QString& club = QString())
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
        c.addBindValue(benchName(rng));
        c.addBindValue(club.isEmpty() ? QStringLiteral("AK ") + syllables(rng, 2) : club);
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
inline qint64 fillRace(const QString& path, int n, const QString& club = QString())
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
