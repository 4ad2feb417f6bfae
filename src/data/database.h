#pragma once

#include "core/dbresult.h"
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

    // Opens the file. A missing file, or one that holds nothing (zero bytes,
    // as a killed first start of an earlier version could leave), is made
    // new with its four tables and the twelve category labels: it is built
    // under a temporary name beside it and takes its own name only when
    // complete. An existing file is only checked, never changed: a file this
    // program cannot use (or cannot store a row in) is reported and left as
    // it is. A file locked by another program fails at once with a busy
    // error (DbError::isBusy()); open() may then be called again.
    DbStatus open();
    bool isOpen() const;
    QString path() const { return m_path; }
    // The name of the rollback journal (or write-ahead log) that lay beside
    // the file when open() last looked, empty if none. SQLite applies such
    // a journal to the file while opening it.
    QString journalFound() const { return m_journalFound; }

    // How long a statement waits for another program's lock: briefly while
    // the file is opened at start, so that the window comes up at once, and
    // a few seconds for every change afterwards.
    static constexpr int kOpenBusyTimeoutMs = 500;
    static constexpr int kBusyTimeoutMs = 5000;

    // A number that changes whenever another writer has changed the
    // database since this connection last looked.
    DbResult<qint64> dataVersion();
    // How many changing statements this object has run: whoever holds the
    // lists can tell that somebody else changed them through this object.
    quint64 writeCount() const { return m_writes; }

    // Races
    DbResult<qint64> insertRace(const QString& ime, const QString& org, const QDate& datum);
    DbResult<bool> raceNameExists(const QString& ime);
    DbResult<QList<Race>> listedRaces();
    // Every race, withdrawn ones too, in key order.
    DbResult<QList<Race>> allRaces();
    DbResult<Race> race(qint64 id);
    DbStatus updateRaceDetails(qint64 id, const QString& ime, const QString& org, const QDate& datum);
    DbStatus withdrawRace(qint64 id);
    DbStatus setPrizeFund(qint64 id, const QString& text);
    DbResult<QStringList> categories();

    // Start list
    DbResult<QList<Competitor>> startList(qint64 raceId);
    DbResult<qint64> insertCompetitor(const Competitor& c);
    // Stores the competitors in one transaction: all of them or, when one
    // fails, none (the database's error is returned).
    DbStatus insertCompetitors(const QList<Competitor>& competitors);
    DbStatus updateCompetitor(const Competitor& c);
    DbResult<bool> hasFinishRecord(qint64 raceId, qint64 competitorId);
    // Removes the competitor and, with withFinishRecord, its first finish
    // record of the race, in one transaction.
    DbStatus deleteCompetitor(qint64 raceId, qint64 competitorId, bool withFinishRecord);

    // Finish list, in time order; equal times keep the order of entry.
    DbResult<QList<FinishRecord>> finishList(qint64 raceId);
    DbResult<qint64> insertFinishRecord(const FinishRecord& r);
    // Stores the records in one transaction: all of them or none.
    DbStatus insertFinishRecords(const QList<FinishRecord>& records);
    // Removes the race's first finish record of the competitor, if any.
    DbStatus deleteFinishRecord(qint64 raceId, qint64 competitorId);

private:
    DbResult<bool> openExisting();
    DbStatus createFile();
    DbStatus publish(const QString& temporary);
    void closeConnection();
    DbStatus createSchema();
    DbStatus checkSchema();
    DbResult<QList<Race>> races(bool listedOnly);
    DbStatus checkWrites();
    DbStatus run(QSqlQuery& query);
    template <typename Fn>
    DbStatus inTransaction(Fn&& work);
    QString connectionName() const { return m_connection; }

    QString m_path;
    QString m_connection;
    QString m_journalFound;
    quint64 m_writes = 0;
};

namespace kvr {
// Lets a write over the process's file-size limit fail with an error the
// program reports, instead of the signal that would kill it (POSIX).
void ignoreFileSizeLimitSignal();
}
