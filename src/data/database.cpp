#include "data/database.h"

#include "core/texts.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QUuid>
#include <QRandomGenerator>
#include <QVariant>

#include <csignal>
#include <filesystem>
#include <system_error>

#ifdef Q_OS_UNIX
#include <fcntl.h>
#include <unistd.h>
#endif

namespace {

const char* const kSchema[] = {
    "create table utrke (id integer primary key autoincrement, ime varchar(40), "
    "org varchar(40), datum date, da varchar(1), nagrade text)",
    "create table startna (id integer primary key autoincrement, sbroj varchar(6), "
    "idutrke integer, ime varchar(25), drzava varchar(15), klub varchar(15), "
    "spol varchar(1), datum date)",
    "create table rezultati (id integer primary key autoincrement, idtakmicara integer, "
    "idutrke integer, sbroj varchar(6), vrijeme varchar(8))",
    "create table kategorije (id integer primary key autoincrement, kateg varchar(9))",
    "create index startna_utrka on startna (idutrke)",
    "create index rezultati_utrka on rezultati (idutrke, vrijeme)",
    "create index rezultati_takmicar on rezultati (idutrke, idtakmicara)",
};

// Rows of the forms the program stores, written in a transaction that is
// rolled back: a file whose tables refuse them (an extra NOT NULL column,
// say) would refuse every entry later.
const char* const kWriteCheck[] = {
    "insert into utrke (ime, org, da, datum) values ('Kelvora', 'Kelvora', 'y', '2000-01-01')",
    "insert into startna (idutrke, sbroj, ime, drzava, klub, spol, datum) values "
    "(last_insert_rowid(), '1', 'Kelvora', 'HRV', 'Kelvora', 'M', '2000-01-01')",
    "insert into rezultati (idutrke, sbroj, idtakmicara, vrijeme) values "
    "((select max(id) from utrke), '1', last_insert_rowid(), '00:00:00')",
};

// The columns every table must have for the program to use a file.
const char* const kSchemaCheck[] = {
    "select id, ime, org, datum, da, nagrade from utrke limit 0",
    "select id, sbroj, idutrke, ime, drzava, klub, spol, datum from startna limit 0",
    "select id, idtakmicara, idutrke, sbroj, vrijeme from rezultati limit 0",
    "select id, kateg from kategorije limit 0",
};

QVariant dateValue(const QDate& d)
{
    return d.isValid() ? QVariant(d.toString(Qt::ISODate)) : QVariant(QMetaType(QMetaType::QString));
}

QDate readDate(const QVariant& v)
{
    return QDate::fromString(v.toString().left(10), Qt::ISODate);
}

Race readRace(const QSqlQuery& q)
{
    Race r;
    r.id = q.value(0).toLongLong();
    r.ime = q.value(1).toString();
    r.org = q.value(2).toString();
    r.datum = readDate(q.value(3));
    r.da = q.value(4).toString();
    r.nagrade = q.value(5).toString();
    return r;
}

Competitor readCompetitor(const QSqlQuery& q)
{
    Competitor c;
    c.id = q.value(0).toLongLong();
    c.sbroj = q.value(1).toString();
    c.idutrke = q.value(2).toLongLong();
    c.ime = q.value(3).toString();
    c.drzava = q.value(4).toString();
    c.klub = q.value(5).toString();
    c.spol = q.value(6).toString();
    c.datum = readDate(q.value(7));
    return c;
}

DbError sqlError(const QSqlError& error)
{
    bool isNumber = false;
    const int code = error.nativeErrorCode().toInt(&isNumber);
    return DbError(error.text(), isNumber ? DbError::kindOfSqliteCode(code) : DbError::Kind::Other);
}

// A name beside the file, not in use, for building a new file.
QString temporaryName(const QString& path)
{
    static const char alphabet[] = "abcdefghijklmnopqrstuvwxyz0123456789";
    QString name;
    do {
        QString tag;
        for (int i = 0; i < 6; ++i)
            tag.append(QLatin1Char(alphabet[QRandomGenerator::global()->bounded(int(sizeof alphabet - 1))]));
        name = path + QLatin1Char('.') + tag + QStringLiteral(".tmp");
    } while (QFileInfo::exists(name) || QFileInfo::exists(name + QStringLiteral("-journal")));
    return name;
}

// Makes a rename in the folder durable.
void syncDirectory(const QString& dir)
{
#ifdef Q_OS_UNIX
    const int fd = ::open(QFile::encodeName(dir).constData(), O_RDONLY | O_DIRECTORY);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
#else
    Q_UNUSED(dir);
#endif
}

} // namespace

void kvr::ignoreFileSizeLimitSignal()
{
#ifdef SIGXFSZ
    std::signal(SIGXFSZ, SIG_IGN);
#endif
}

Database::Database(const QString& path)
    : m_path(path)
    , m_connection(QStringLiteral("kvr-") + QUuid::createUuid().toString(QUuid::WithoutBraces))
{
}

Database::~Database()
{
    closeConnection();
}

void Database::closeConnection()
{
    if (!QSqlDatabase::contains(m_connection))
        return;
    {
        QSqlDatabase db = QSqlDatabase::database(m_connection, false);
        db.close();
    }
    QSqlDatabase::removeDatabase(m_connection);
}

bool Database::isOpen() const
{
    return QSqlDatabase::contains(m_connection) && QSqlDatabase::database(m_connection, false).isOpen();
}

DbStatus Database::open()
{
    closeConnection();
    m_journalFound.clear();

    const QFileInfo file(m_path);
    const QFileInfo dir(file.absolutePath());
    const bool existed = file.exists();

    if (existed && !file.isFile())
        return DbStatus::failure(tx::dbNotAFile());
    if (existed && !file.isReadable())
        return DbStatus::failure(tx::dbNotReadable());
    if (existed && !file.isWritable())
        return DbStatus::failure(tx::dbNotWritable());
    if (!dir.isDir() || !dir.isWritable())
        return DbStatus::failure(tx::dbDirNotWritable());

    for (const char* suffix : {"-journal", "-wal"}) {
        if (QFileInfo::exists(m_path + QLatin1String(suffix))) {
            m_journalFound = file.fileName() + QLatin1String(suffix);
            break;
        }
    }

    // An existing file goes through SQLite first, which applies a journal
    // lying beside it; only a file that then holds no pages is made new
    // (SQLite itself drops the journal of such a file).
    if ((existed && file.size() > 0) || !m_journalFound.isEmpty()) {
        const DbResult<bool> stored = openExisting();
        if (!stored || stored.value())
            return stored ? DbStatus::success() : DbStatus::failure(stored.error());
    }
    m_journalFound.clear();
    if (const DbStatus created = createFile(); !created)
        return created;
    const DbResult<bool> stored = openExisting();
    if (stored && !stored.value())
        return DbStatus::failure(tx::dbNotCreated());
    return stored ? DbStatus::success() : DbStatus::failure(stored.error());
}

DbResult<bool> Database::openExisting()
{
    DbResult<bool> result = DbResult<bool>::success(true);
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), m_connection);
        db.setDatabaseName(m_path);
        db.setConnectOptions(QStringLiteral("QSQLITE_BUSY_TIMEOUT=%1").arg(kOpenBusyTimeoutMs));
        QSqlQuery q(db);
        if (!db.open()) {
            result = DbResult<bool>::failure(sqlError(db.lastError()));
        } else if (!q.exec(QStringLiteral("pragma page_count")) || !q.next()) {
            // The first read: a hot journal is rolled back here.
            result = DbResult<bool>::failure(sqlError(q.lastError()));
        } else if (q.value(0).toLongLong() == 0) {
            result = DbResult<bool>::success(false);
        } else {
            // A rollback journal (not WAL) keeps the file one file at rest;
            // FULL synchronisation makes every committed change durable.
            q.exec(QStringLiteral("pragma synchronous = full"));
            q.exec(QStringLiteral("pragma foreign_keys = off"));
            DbStatus checked = checkSchema();
            if (checked)
                checked = checkWrites();
            if (checked)
                q.exec(QStringLiteral("pragma busy_timeout = %1").arg(kBusyTimeoutMs));
            else
                result = DbResult<bool>::failure(checked.error());
        }
    }
    if (!result || !result.value())
        closeConnection();
    return result;
}

DbStatus Database::createFile()
{
    const QString temporary = temporaryName(m_path);
    DbStatus status = DbStatus::success();
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), m_connection);
        db.setDatabaseName(temporary);
        if (db.open()) {
            QSqlQuery(db).exec(QStringLiteral("pragma synchronous = full"));
            status = createSchema();
        } else {
            status = DbStatus::failure(sqlError(db.lastError()));
        }
        db.close();
    }
    QSqlDatabase::removeDatabase(m_connection);
    if (status)
        status = publish(temporary);
    if (!status) {
        QFile::remove(temporary);
        QFile::remove(temporary + QStringLiteral("-journal"));
    }
    return status;
}

DbStatus Database::publish(const QString& temporary)
{
    const QFileInfo target(m_path);
    bool moved = false;
    if (!target.exists()) {
        // Never replaces a file: another copy of the program may have made
        // one meanwhile.
        moved = QFile::rename(temporary, m_path);
    } else if (target.isFile() && target.size() == 0) {
        std::error_code error;
        std::filesystem::rename(std::filesystem::path(temporary.toStdU16String()),
                                std::filesystem::path(m_path.toStdU16String()), error);
        moved = !error;
    }
    if (!moved) {
        if (QFileInfo(m_path).size() > 0) {
            // Someone else's new file is in place: use that one.
            QFile::remove(temporary);
            return DbStatus::success();
        }
        return DbStatus::failure(tx::dbNotCreated());
    }
    syncDirectory(target.absolutePath());
    return DbStatus::success();
}

DbStatus Database::run(QSqlQuery& query)
{
    if (!query.exec())
        return DbStatus::failure(sqlError(query.lastError()));
    if (!query.isSelect())
        ++m_writes;
    return DbStatus::success();
}

template <typename Fn>
DbStatus Database::inTransaction(Fn&& work)
{
    QSqlDatabase db = QSqlDatabase::database(m_connection, false);
    if (!db.transaction())
        return DbStatus::failure(sqlError(db.lastError()));
    DbStatus status = work(db);
    if (!status) {
        db.rollback();
        return status;
    }
    if (!db.commit()) {
        const DbError error = sqlError(db.lastError());
        db.rollback();
        return DbStatus::failure(error);
    }
    return status;
}

DbStatus Database::createSchema()
{
    return inTransaction([](QSqlDatabase& db) {
        QSqlQuery q(db);
        for (const char* sql : kSchema) {
            if (!q.exec(QString::fromLatin1(sql)))
                return DbStatus::failure(sqlError(q.lastError()));
        }
        q.prepare(QStringLiteral("insert into kategorije (kateg) values (?)"));
        for (const QString& label : tx::categoryLabels()) {
            q.addBindValue(label);
            if (!q.exec())
                return DbStatus::failure(sqlError(q.lastError()));
        }
        return DbStatus::success();
    });
}

DbStatus Database::checkWrites()
{
    QSqlDatabase db = QSqlDatabase::database(m_connection, false);
    if (!db.transaction())
        return DbStatus::failure(sqlError(db.lastError()));
    DbStatus status = DbStatus::success();
    {
        QSqlQuery q(db);
        for (const char* sql : kWriteCheck) {
            if (!q.exec(QString::fromLatin1(sql))) {
                status = DbStatus::failure(sqlError(q.lastError()));
                break;
            }
        }
    }
    if (!db.rollback() && status)
        status = DbStatus::failure(sqlError(db.lastError()));
    return status;
}

DbStatus Database::checkSchema()
{
    QSqlQuery q(QSqlDatabase::database(m_connection, false));
    for (const char* sql : kSchemaCheck) {
        if (!q.exec(QString::fromLatin1(sql)))
            return DbStatus::failure(sqlError(q.lastError()));
    }
    return DbStatus::success();
}

// ---- Races ----------------------------------------------------------------

DbResult<qint64> Database::insertRace(const QString& ime, const QString& org, const QDate& datum)
{
    QSqlQuery q(QSqlDatabase::database(m_connection, false));
    q.prepare(QStringLiteral("insert into utrke (ime, org, da, datum) values (?, ?, 'y', ?)"));
    q.addBindValue(ime);
    q.addBindValue(org);
    q.addBindValue(dateValue(datum));
    if (const DbStatus s = run(q); !s)
        return DbResult<qint64>::failure(s.error());
    return DbResult<qint64>::success(q.lastInsertId().toLongLong());
}

DbResult<qint64> Database::dataVersion()
{
    // Changes whenever another connection, in this program or another,
    // commits a change to the file; this connection's own commits leave it.
    QSqlQuery q(QSqlDatabase::database(m_connection, false));
    q.prepare(QStringLiteral("pragma data_version"));
    if (const DbStatus s = run(q); !s)
        return DbResult<qint64>::failure(s.error());
    return DbResult<qint64>::success(q.next() ? q.value(0).toLongLong() : 0);
}

DbResult<bool> Database::raceNameExists(const QString& ime)
{
    QSqlQuery q(QSqlDatabase::database(m_connection, false));
    q.prepare(QStringLiteral("select 1 from utrke where ime = ? limit 1"));
    q.addBindValue(ime);
    if (const DbStatus s = run(q); !s)
        return DbResult<bool>::failure(s.error());
    return DbResult<bool>::success(q.next());
}

DbResult<QList<Race>> Database::listedRaces()
{
    return races(true);
}

DbResult<QList<Race>> Database::allRaces()
{
    return races(false);
}

DbResult<QList<Race>> Database::races(bool listedOnly)
{
    QSqlQuery q(QSqlDatabase::database(m_connection, false));
    q.setForwardOnly(true);
    q.prepare(listedOnly ? QStringLiteral("select id, ime, org, datum, da, nagrade from utrke "
                                          "where substr(da, 1, 1) = 'y' order by id")
                         : QStringLiteral("select id, ime, org, datum, da, nagrade from utrke order by id"));
    if (const DbStatus s = run(q); !s)
        return DbResult<QList<Race>>::failure(s.error());
    QList<Race> races;
    while (q.next())
        races.append(readRace(q));
    return DbResult<QList<Race>>::success(races);
}

DbResult<Race> Database::race(qint64 id)
{
    QSqlQuery q(QSqlDatabase::database(m_connection, false));
    q.prepare(QStringLiteral("select id, ime, org, datum, da, nagrade from utrke where id = ?"));
    q.addBindValue(id);
    if (const DbStatus s = run(q); !s)
        return DbResult<Race>::failure(s.error());
    if (!q.next())
        return DbResult<Race>::failure(tx::dbNoSuchRace(id));
    return DbResult<Race>::success(readRace(q));
}

DbStatus Database::updateRaceDetails(qint64 id, const QString& ime, const QString& org, const QDate& datum)
{
    QSqlQuery q(QSqlDatabase::database(m_connection, false));
    q.prepare(QStringLiteral("update utrke set ime = ?, org = ?, datum = ? where id = ?"));
    q.addBindValue(ime);
    q.addBindValue(org);
    q.addBindValue(dateValue(datum));
    q.addBindValue(id);
    return run(q);
}

DbStatus Database::withdrawRace(qint64 id)
{
    QSqlQuery q(QSqlDatabase::database(m_connection, false));
    q.prepare(QStringLiteral("update utrke set da = 'n' where id = ?"));
    q.addBindValue(id);
    return run(q);
}

DbStatus Database::setPrizeFund(qint64 id, const QString& text)
{
    QSqlQuery q(QSqlDatabase::database(m_connection, false));
    q.prepare(QStringLiteral("update utrke set nagrade = ? where id = ?"));
    q.addBindValue(text);
    q.addBindValue(id);
    return run(q);
}

DbResult<QStringList> Database::categories()
{
    QSqlQuery q(QSqlDatabase::database(m_connection, false));
    q.prepare(QStringLiteral("select kateg from kategorije order by id"));
    if (const DbStatus s = run(q); !s)
        return DbResult<QStringList>::failure(s.error());
    QStringList labels;
    while (q.next())
        labels.append(q.value(0).toString());
    return DbResult<QStringList>::success(labels);
}

// ---- Start list -----------------------------------------------------------

DbResult<QList<Competitor>> Database::startList(qint64 raceId)
{
    QSqlQuery q(QSqlDatabase::database(m_connection, false));
    q.setForwardOnly(true);
    q.prepare(QStringLiteral("select id, sbroj, idutrke, ime, drzava, klub, spol, datum "
                             "from startna where idutrke = ? order by id"));
    q.addBindValue(raceId);
    if (const DbStatus s = run(q); !s)
        return DbResult<QList<Competitor>>::failure(s.error());
    QList<Competitor> list;
    while (q.next())
        list.append(readCompetitor(q));
    return DbResult<QList<Competitor>>::success(list);
}

DbResult<qint64> Database::insertCompetitor(const Competitor& c)
{
    QSqlQuery q(QSqlDatabase::database(m_connection, false));
    q.prepare(QStringLiteral("insert into startna (idutrke, sbroj, ime, drzava, klub, spol, datum) "
                             "values (?, ?, ?, ?, ?, ?, ?)"));
    q.addBindValue(c.idutrke);
    q.addBindValue(c.sbroj);
    q.addBindValue(c.ime);
    q.addBindValue(c.drzava);
    q.addBindValue(c.klub);
    q.addBindValue(c.spol);
    q.addBindValue(dateValue(c.datum));
    if (const DbStatus s = run(q); !s)
        return DbResult<qint64>::failure(s.error());
    return DbResult<qint64>::success(q.lastInsertId().toLongLong());
}

DbStatus Database::insertCompetitors(const QList<Competitor>& competitors)
{
    return inTransaction([&](QSqlDatabase& db) {
        // One statement prepared once, its values bound anew for every row.
        QSqlQuery q(db);
        if (!q.prepare(QStringLiteral("insert into startna (idutrke, sbroj, ime, drzava, klub, spol, datum) "
                                      "values (?, ?, ?, ?, ?, ?, ?)")))
            return DbStatus::failure(sqlError(q.lastError()));
        for (const Competitor& c : competitors) {
            q.bindValue(0, c.idutrke);
            q.bindValue(1, c.sbroj);
            q.bindValue(2, c.ime);
            q.bindValue(3, c.drzava);
            q.bindValue(4, c.klub);
            q.bindValue(5, c.spol);
            q.bindValue(6, dateValue(c.datum));
            if (const DbStatus s = run(q); !s)
                return s;
        }
        return DbStatus::success();
    });
}

DbStatus Database::updateCompetitor(const Competitor& c)
{
    // One statement updates all six columns: they are stored together or not at all.
    QSqlQuery q(QSqlDatabase::database(m_connection, false));
    q.prepare(QStringLiteral("update startna set ime = ?, sbroj = ?, drzava = ?, klub = ?, "
                             "spol = ?, datum = ? where id = ?"));
    q.addBindValue(c.ime);
    q.addBindValue(c.sbroj);
    q.addBindValue(c.drzava);
    q.addBindValue(c.klub);
    q.addBindValue(c.spol);
    q.addBindValue(dateValue(c.datum));
    q.addBindValue(c.id);
    return run(q);
}

DbResult<bool> Database::hasFinishRecord(qint64 raceId, qint64 competitorId)
{
    QSqlQuery q(QSqlDatabase::database(m_connection, false));
    q.prepare(QStringLiteral("select 1 from rezultati where idutrke = ? and idtakmicara = ? limit 1"));
    q.addBindValue(raceId);
    q.addBindValue(competitorId);
    if (const DbStatus s = run(q); !s)
        return DbResult<bool>::failure(s.error());
    return DbResult<bool>::success(q.next());
}

DbStatus Database::deleteCompetitor(qint64 raceId, qint64 competitorId, bool withFinishRecord)
{
    return inTransaction([&](QSqlDatabase& db) {
        QSqlQuery q(db);
        if (withFinishRecord) {
            q.prepare(QStringLiteral("delete from rezultati where id = (select min(id) from rezultati "
                                     "where idutrke = ? and idtakmicara = ?)"));
            q.addBindValue(raceId);
            q.addBindValue(competitorId);
            if (const DbStatus s = run(q); !s)
                return s;
        }
        q.prepare(QStringLiteral("delete from startna where idutrke = ? and id = ?"));
        q.addBindValue(raceId);
        q.addBindValue(competitorId);
        return run(q);
    });
}

// ---- Finish list ----------------------------------------------------------

DbResult<QList<FinishRecord>> Database::finishList(qint64 raceId)
{
    QSqlQuery q(QSqlDatabase::database(m_connection, false));
    q.setForwardOnly(true);
    q.prepare(QStringLiteral("select id, idtakmicara, idutrke, sbroj, vrijeme from rezultati "
                             "where idutrke = ? order by vrijeme, id"));
    q.addBindValue(raceId);
    if (const DbStatus s = run(q); !s)
        return DbResult<QList<FinishRecord>>::failure(s.error());
    QList<FinishRecord> list;
    while (q.next()) {
        FinishRecord r;
        r.id = q.value(0).toLongLong();
        r.idtakmicara = q.value(1).toLongLong();
        r.idutrke = q.value(2).toLongLong();
        r.sbroj = q.value(3).toString();
        r.vrijeme = q.value(4).toString();
        list.append(r);
    }
    return DbResult<QList<FinishRecord>>::success(list);
}

DbResult<qint64> Database::insertFinishRecord(const FinishRecord& r)
{
    QSqlQuery q(QSqlDatabase::database(m_connection, false));
    q.prepare(QStringLiteral("insert into rezultati (idutrke, sbroj, idtakmicara, vrijeme) "
                             "values (?, ?, ?, ?)"));
    q.addBindValue(r.idutrke);
    q.addBindValue(r.sbroj);
    q.addBindValue(r.idtakmicara);
    q.addBindValue(r.vrijeme);
    if (const DbStatus s = run(q); !s)
        return DbResult<qint64>::failure(s.error());
    return DbResult<qint64>::success(q.lastInsertId().toLongLong());
}

DbStatus Database::insertFinishRecords(const QList<FinishRecord>& records)
{
    return inTransaction([&](QSqlDatabase& db) {
        QSqlQuery q(db);
        if (!q.prepare(QStringLiteral("insert into rezultati (idutrke, sbroj, idtakmicara, vrijeme) "
                                      "values (?, ?, ?, ?)")))
            return DbStatus::failure(sqlError(q.lastError()));
        for (const FinishRecord& r : records) {
            q.bindValue(0, r.idutrke);
            q.bindValue(1, r.sbroj);
            q.bindValue(2, r.idtakmicara);
            q.bindValue(3, r.vrijeme);
            if (const DbStatus s = run(q); !s)
                return s;
        }
        return DbStatus::success();
    });
}

DbStatus Database::deleteFinishRecord(qint64 raceId, qint64 competitorId)
{
    QSqlQuery q(QSqlDatabase::database(m_connection, false));
    q.prepare(QStringLiteral("delete from rezultati where id = (select min(id) from rezultati "
                             "where idutrke = ? and idtakmicara = ?)"));
    q.addBindValue(raceId);
    q.addBindValue(competitorId);
    return run(q);
}
