#pragma once

#include "data/dbresult.h"
#include "core/records.h"

#include <QList>
#include <QString>
#include <QStringList>

class QSqlQuery;

// The race database: one SQLite file holding every race, start list and
// finish list. Every SQL statement of the program lives in this class; values
// are always bound as parameters. A change that touches several rows runs in
// one transaction. Every call reports failure with the database's own error
// text instead of carrying on.
class Database {
public:
    explicit Database(const QString& path);
    ~Database();
    Database(const Database&) = delete;
    Database& operator=(const Database&) = delete;

    // Opens the file. A missing file is created with its four tables and the
    // twelve category labels; an existing file is only checked, never
    // changed: a file this program cannot use is reported and left as it is.
    DbStatus open();
    bool isOpen() const;
    QString path() const { return m_path; }

    // Races
    DbResult<qint64> insertRace(const QString& ime, const QString& org, const QDate& datum);
    DbResult<bool> raceNameExists(const QString& ime);
    DbResult<QList<Race>> listedRaces();
    DbResult<Race> race(qint64 id);
    DbStatus updateRaceDetails(qint64 id, const QString& ime, const QString& org, const QDate& datum);
    DbStatus withdrawRace(qint64 id);
    DbStatus setPrizeFund(qint64 id, const QString& text);
    DbResult<QStringList> categories();

    // Start list
    DbResult<QList<Competitor>> startList(qint64 raceId);
    DbResult<qint64> insertCompetitor(const Competitor& c);
    DbStatus updateCompetitor(const Competitor& c);
    DbResult<bool> hasFinishRecord(qint64 raceId, qint64 competitorId);
    // Removes the competitor and, with withFinishRecord, its first finish
    // record of the race, in one transaction.
    DbStatus deleteCompetitor(qint64 raceId, qint64 competitorId, bool withFinishRecord);

    // Finish list, in time order; equal times keep the order of entry.
    DbResult<QList<FinishRecord>> finishList(qint64 raceId);
    DbResult<qint64> insertFinishRecord(const FinishRecord& r);
    // Removes the race's first finish record of the competitor, if any.
    DbStatus deleteFinishRecord(qint64 raceId, qint64 competitorId);

private:
    DbStatus createSchema();
    DbStatus checkSchema();
    DbStatus run(QSqlQuery& query);
    template <typename Fn>
    DbStatus inTransaction(Fn&& work);
    QString connectionName() const { return m_connection; }

    QString m_path;
    QString m_connection;
};
