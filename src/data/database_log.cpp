// The change log: every change the program makes, written by the transaction
// that makes it, and undo and redo as changes of their own.

#include "data/database.h"

#include "core/changelog.h"
#include "core/texts.h"
#include "core/texts_editlog.h"

#include <QDate>
#include <QJsonDocument>
#include <QJsonArray>
#include <QJsonObject>
#include <QRegularExpression>
#include <QSqlDatabase>
#include <QSqlDriver>
#include <QSqlError>
#include <QSqlQuery>
#include <QVariant>

#include <algorithm>
#include <utility>

#include <sqlite3.h>

namespace {

// A column the log keeps of a row: i integer, t text, d date, m a time of
// day in milliseconds (kept as "hh:mm:ss.zzz", so the log reads as a time).
struct LoggedColumn {
    const char* name;
    char type;
};

// A table whose rows the log keeps. key: the column the log's key names;
// inRace: whether the row is also found by its race (idutrke), as a status
// is by race and competitor. A feature with rows of its own adds its table
// here.
struct LoggedTable {
    const char* name;
    const char* key;
    bool inRace;
    QList<LoggedColumn> columns;
};

const QList<LoggedTable>& loggedTables()
{
    static const QList<LoggedTable> tables{
        {"utrke", "id", false, {{"ime", 't'}, {"org", 't'}, {"datum", 'd'}, {"da", 't'}, {"nagrade", 't'}}},
        {"startna",
         "id",
         true,
         {{"sbroj", 't'},
          {"idutrke", 'i'},
          {"ime", 't'},
          {"drzava", 't'},
          {"klub", 't'},
          {"spol", 't'},
          {"datum", 'd'},
          {"kategorija", 't'}}},
        {"rezultati", "id", true, {{"idtakmicara", 'i'}, {"idutrke", 'i'}, {"sbroj", 't'}, {"vrijeme", 't'}}},
        {"statusi", "idtakmicara", true, {{"status", 't'}, {"razlog", 't'}}},
        {"cilj_start", "idutrke", false, {{"vrijeme", 'm'}, {"postaja", 't'}}},
        {"cilj_vremena",
         "id",
         true,
         {{"idutrke", 'i'},
          {"redni", 'i'},
          {"postaja", 't'},
          {"vrijeme", 'm'},
          {"sbroj", 't'},
          {"obrisan", 'i'},
          {"izvor", 't'}}},
    };
    return tables;
}

const LoggedTable* loggedTable(const QString& name)
{
    for (const LoggedTable& t : loggedTables()) {
        if (name == QLatin1String(t.name))
            return &t;
    }
    return nullptr;
}

// The race's settings are rows of key and value; the log keeps them as one
// row of the race.
const char* const kSettingsTable = "postavke";
// The race's own categories and prizes: both tables, in order, as one row
// of the race, each as its rows (for undo) and in words (for the log).
const char* const kRulesTable = "pravila";

struct RulesTable {
    const char* table;
    const char* rows;  // the rows' values, in order
    const char* words; // the rows in words
    QList<const char*> columns;
};

const RulesTable kRulesTables[] = {
    {"kategorijeutrke", "k", "kategorije", {"redoslijed", "oznaka", "spol", "dobod", "dobdo"}},
    {"nagradeutrke", "n", "nagrade", {"redoslijed", "naziv", "spol", "dobod", "dobdo", "nagrade"}},
    // The team rule: one row, its texts first as the tables above have them.
    {"ekipeutrke", "e", "ekipe", {"redoslijed", "bezkluba", "nacin", "velicina", "dodatni", "nagrade"}},
};

// A time of day in milliseconds as the log keeps it, and back.
QString timeOfDayText(qint64 ms)
{
    const QChar zero(u'0');
    const qint64 a = ms < 0 ? -ms : ms;
    return QStringLiteral("%1%2:%3:%4.%5")
        .arg(ms < 0 ? QStringLiteral("-") : QString())
        .arg(a / 3600000, 2, 10, zero)
        .arg(a / 60000 % 60, 2, 10, zero)
        .arg(a / 1000 % 60, 2, 10, zero)
        .arg(a % 1000, 3, 10, zero);
}

qint64 timeOfDayMs(const QString& text)
{
    const bool negative = text.startsWith(u'-');
    const QStringList parts = text.mid(negative ? 1 : 0).split(QRegularExpression(QStringLiteral("[:.]")));
    if (parts.size() != 4)
        return 0;
    const qint64 ms = ((parts[0].toLongLong() * 60 + parts[1].toLongLong()) * 60 + parts[2].toLongLong()) * 1000
        + parts[3].toLongLong();
    return negative ? -ms : ms;
}

QJsonValue jsonOf(const QVariant& v, char type)
{
    if (v.isNull())
        return QJsonValue::Null;
    if (type == 'i')
        return QJsonValue(v.toLongLong());
    if (type == 'm')
        return QJsonValue(timeOfDayText(v.toLongLong()));
    if (type == 'd' && v.typeId() == QMetaType::QDate)
        return QJsonValue(v.toDate().toString(Qt::ISODate));
    return QJsonValue(v.toString());
}

QVariant boundOf(const QJsonValue& v, char type)
{
    if (v.isNull() || v.isUndefined())
        return type == 'i' || type == 'm' ? QVariant(QMetaType(QMetaType::LongLong))
                                          : QVariant(QMetaType(QMetaType::QString));
    if (type == 'm')
        return QVariant(timeOfDayMs(v.toString()));
    if (type == 'i')
        return QVariant(qint64(v.toDouble()));
    return QVariant(v.toString());
}

QString compact(const QJsonObject& o)
{
    return QString::fromUtf8(QJsonDocument(o).toJson(QJsonDocument::Compact));
}

QJsonObject objectOf(const QString& json)
{
    return QJsonDocument::fromJson(json.toUtf8()).object();
}

const char* const kEntryColumns = "id, vrijeme, stanica, korisnik, vrsta, idutrke, tablica, kljuc, prije, poslije, "
                                  "coalesce(serija, id), coalesce(ponistava, 0), coalesce(ponavlja, 0)";

ChangeEntry readEntry(const QSqlQuery& q)
{
    ChangeEntry e;
    e.seq = q.value(0).toLongLong();
    e.time = q.value(1).toString();
    e.station = q.value(2).toString();
    e.user = q.value(3).toString();
    e.kind = q.value(4).toString();
    e.raceId = q.value(5).toLongLong();
    e.table = q.value(6).toString();
    e.key = q.value(7).toLongLong();
    e.before = q.value(8).toString();
    e.after = q.value(9).toString();
    e.batch = q.value(10).toLongLong();
    e.undoes = q.value(11).toLongLong();
    e.redoes = q.value(12).toLongLong();
    return e;
}

// The SQLite handle under Qt's connection, or null on another engine.
sqlite3* sqliteOf(const QSqlDatabase& db)
{
    const QVariant handle = db.driver()->handle();
    if (!handle.isValid() || qstrcmp(handle.typeName(), "sqlite3*") != 0)
        return nullptr;
    return *static_cast<sqlite3* const*>(handle.constData());
}

} // namespace

void Database::setStation(const QString& name, const QString& osUser)
{
    m_station = name;
    m_osUser = osUser;
}

void Database::logChange(const char* kind, qint64 raceId, qint64 key)
{
    if (!m_inTransaction) {
        qWarning("Kelvora: a change noted for the log outside a transaction (%s)", kind);
        return;
    }
    if (m_noteFailed || key == 0)
        return;
    const changes::Kind* k = changes::kind(QLatin1String(kind));
    const QString table = k ? QLatin1String(k->table) : QString();
    NotedChange noted{QLatin1String(kind), table, raceId, key, QString()};
    if (!k || !k->adds) {
        const auto before = rowValues(table, raceId, key);
        if (!before) {
            m_noteFailed = true;
            m_noteFailure = before.error();
            return;
        }
        noted.before = before.value();
    }
    m_noted.append(std::move(noted));
}

qint64 Database::firstFinishKey(qint64 raceId, qint64 competitorId)
{
    QSqlQuery q(connection());
    q.prepare(QStringLiteral("select min(id) from rezultati where idutrke = ? and idtakmicara = ?"));
    q.addBindValue(raceId);
    q.addBindValue(competitorId);
    if (!run(q) || !q.next())
        return 0;
    return q.value(0).toLongLong();
}

DbResult<QString> Database::rowValues(const QString& table, qint64 raceId, qint64 key)
{
    QSqlQuery q(connection());
    q.setForwardOnly(true);
    QJsonObject values;
    if (table == QLatin1String(kSettingsTable)) {
        q.prepare(QStringLiteral("select kljuc, vrijednost from postavke where idutrke = ?"));
        q.addBindValue(key);
        if (const DbStatus s = run(q); !s)
            return DbResult<QString>::failure(s.error());
        while (q.next())
            values.insert(q.value(0).toString(), jsonOf(q.value(1), 't'));
        return DbResult<QString>::success(values.isEmpty() ? QString() : compact(values));
    }
    if (table == QLatin1String(kRulesTable))
        return rulesValues(key);
    const LoggedTable* t = loggedTable(table);
    if (!t)
        return DbResult<QString>::failure(DbError(QStringLiteral("dnevnik: ") + table));
    QStringList names;
    QList<LoggedColumn> columns;
    for (const LoggedColumn& c : t->columns) {
        if (loggedColumnStored(t->name, c.name))
            columns.append(c);
    }
    for (const LoggedColumn& c : columns)
        names.append(QLatin1String(c.name));
    q.prepare(QStringLiteral("select %1 from %2 where %3 = ?%4")
                  .arg(names.join(QStringLiteral(", ")), QLatin1String(t->name), QLatin1String(t->key),
                       t->inRace ? QStringLiteral(" and idutrke = ?") : QString()));
    q.addBindValue(key);
    if (t->inRace)
        q.addBindValue(raceId);
    if (const DbStatus s = run(q); !s)
        return DbResult<QString>::failure(s.error());
    if (!q.next())
        return DbResult<QString>::success(QString());
    for (int i = 0; i < columns.size(); ++i)
        values.insert(QLatin1String(columns[i].name), jsonOf(q.value(i), columns[i].type));
    return DbResult<QString>::success(compact(values));
}

DbResult<QString> Database::rulesValues(qint64 raceId)
{
    QJsonObject values;
    for (const RulesTable& t : kRulesTables) {
        QJsonArray rows;
        QStringList words;
        const auto exists = ownTable(t.table, false);
        if (!exists)
            return DbResult<QString>::failure(exists.error());
        if (exists.value()) {
            QStringList names;
            for (const char* c : t.columns)
                names.append(QLatin1String(c));
            QSqlQuery q(connection());
            q.setForwardOnly(true);
            q.prepare(QStringLiteral("select %1 from %2 where idutrke = ? order by redoslijed")
                          .arg(names.join(QStringLiteral(", ")), QLatin1String(t.table)));
            q.addBindValue(raceId);
            if (const DbStatus s = run(q); !s)
                return DbResult<QString>::failure(s.error());
            while (q.next()) {
                // Order, label, sex, from, to (and the prizes): "M40 (M 40-49)", "Ukupno (5, 0-150)".
                QJsonArray row;
                for (int i = 0; i < t.columns.size(); ++i)
                    row.append(jsonOf(q.value(i), i == 1 || i == 2 ? 't' : 'i'));
                rows.append(row);
                if (QLatin1String(t.table) == QLatin1String("ekipeutrke")) {
                    words.append(tx::logTeams(q.value(3).toInt(), q.value(2).toString()));
                    continue;
                }
                const QString sex = q.value(2).toString();
                words.append(QStringLiteral("%1 (%2%3-%4%5)")
                                 .arg(q.value(1).toString(), sex.isEmpty() ? QString() : sex + QLatin1Char(' '),
                                      q.value(3).toString(), q.value(4).toString(),
                                      t.columns.size() > 5 ? QStringLiteral(", ") + q.value(5).toString() : QString()));
            }
        }
        values.insert(QLatin1String(t.rows), rows);
        const bool teams = QLatin1String(t.table) == QLatin1String("ekipeutrke");
        values.insert(QLatin1String(t.words), words.isEmpty() ? (teams ? tx::logNoTeams() : tx::logStandardRules())
                                                              : words.join(QStringLiteral(", ")));
    }
    return DbResult<QString>::success(compact(values));
}

DbStatus Database::writeRules(qint64 raceId, const QString& values)
{
    const QJsonObject row = objectOf(values);
    QSqlQuery q(connection());
    for (const RulesTable& t : kRulesTables) {
        // An entry of a version that had no such table leaves it as it is.
        if (!row.contains(QLatin1String(t.rows)))
            continue;
        if (const auto made = ownTable(t.table, true); !made)
            return DbStatus::failure(made.error());
        q.prepare(QStringLiteral("delete from %1 where idutrke = ?").arg(QLatin1String(t.table)));
        q.addBindValue(raceId);
        if (const DbStatus s = run(q); !s)
            return s;
        QStringList names{QStringLiteral("idutrke")};
        for (const char* c : t.columns)
            names.append(QLatin1String(c));
        q.prepare(QStringLiteral("insert into %1 (%2) values (?%3)")
                      .arg(QLatin1String(t.table), names.join(QStringLiteral(", ")),
                           QStringLiteral(", ?").repeated(t.columns.size())));
        const QJsonArray rows = row.value(QLatin1String(t.rows)).toArray();
        for (const QJsonValue& r : rows) {
            const QJsonArray cells = r.toArray();
            q.bindValue(0, raceId);
            for (int i = 0; i < t.columns.size(); ++i)
                q.bindValue(i + 1, boundOf(cells.at(i), i == 1 || i == 2 ? 't' : 'i'));
            if (const DbStatus s = run(q); !s)
                return s;
        }
    }
    return DbStatus::success();
}

DbStatus Database::makeLogTable()
{
    const auto exists = ownTable("dnevnik", false);
    if (!exists)
        return DbStatus::failure(exists.error());
    if (exists.value())
        return DbStatus::success();
    // Made inside the first logged change's transaction, so it goes or stays
    // with that change; two stations making it at once: the second waits.
    QSqlQuery q(connection());
    if (isPostgres() && !q.exec(QStringLiteral("select pg_advisory_xact_lock(4244)")))
        return DbStatus::failure(sqlError(q.lastError()));
    const QString key = isPostgres() ? QStringLiteral("integer generated by default as identity primary key")
                                     : QStringLiteral("integer primary key");
    const QStringList statements{
        QStringLiteral("create table if not exists dnevnik (id %1, vrijeme text, stanica text, korisnik text, "
                       "vrsta text, idutrke integer, tablica text, kljuc integer, prije text, poslije text, "
                       "serija integer, ponistava integer, ponavlja integer)")
            .arg(key),
        // One index: every entry costs its pages in the commit. A station's
        // batches and a batch's entries are read from a key onwards, the
        // later changes of a row among its race's.
        QStringLiteral("create index if not exists dnevnik_utrka on dnevnik (idutrke, id)"),
    };
    for (const QString& sql : statements) {
        if (!q.exec(sql))
            return DbStatus::failure(sqlError(q.lastError()));
    }
    return DbStatus::success();
}

DbStatus Database::closeLog(const DbStatus& status)
{
    const QList<NotedChange> noted = std::exchange(m_noted, {});
    const bool noteFailed = std::exchange(m_noteFailed, false);
    const qint64 undoes = std::exchange(m_logUndoes, 0);
    const qint64 redoes = std::exchange(m_logRedoes, 0);
    m_loggedBatch = 0;
    if (!status)
        return status;
    if (noteFailed)
        return DbStatus::failure(m_noteFailure);
    if (noted.isEmpty())
        return status;
    if (const DbStatus made = makeLogTable(); !made)
        return made;
    QSqlQuery q(connection());
    const QString now = isPostgres()
        ? QStringLiteral("to_char(clock_timestamp() at time zone 'UTC', 'YYYY-MM-DD HH24:MI:SS.MS')")
        : QStringLiteral("strftime('%Y-%m-%d %H:%M:%f', 'now')");
    if (!q.prepare(QStringLiteral("insert into dnevnik (vrijeme, stanica, korisnik, vrsta, idutrke, tablica, kljuc, "
                                  "prije, poslije, serija, ponistava, ponavlja) "
                                  "values (%1, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)")
                       .arg(now)
                   + returningKey()))
        return DbStatus::failure(sqlError(q.lastError()));
    const auto orNull = [](qint64 v) { return v ? QVariant(v) : QVariant(QMetaType(QMetaType::LongLong)); };
    const auto textOrNull = [](const QString& v) {
        return v.isEmpty() ? QVariant(QMetaType(QMetaType::QString)) : QVariant(v);
    };
    qint64 first = 0;
    int written = 0;
    for (const NotedChange& n : noted) {
        const auto after = rowValues(n.table, n.raceId, n.key);
        if (!after)
            return DbStatus::failure(after.error());
        if (after.value() == n.before)
            continue;
        const QVariantList values{m_station, m_osUser, n.kind, n.raceId, n.table, n.key, textOrNull(n.before),
                                  textOrNull(after.value()), orNull(first), orNull(undoes), orNull(redoes)};
        for (int i = 0; i < values.size(); ++i)
            q.bindValue(i, values[i]);
        if (const DbStatus s = run(q); !s)
            return s;
        const auto id = insertedId(q);
        if (!id)
            return DbStatus::failure(id.error());
        if (++written == 2) {
            // The first entry of a batch of several names the batch too; one
            // entry alone is a batch of its own key.
            QSqlQuery mark(connection());
            mark.prepare(QStringLiteral("update dnevnik set serija = id where id = ?"));
            mark.addBindValue(first);
            if (const DbStatus s = run(mark); !s)
                return s;
        }
        if (!first)
            first = id.value();
    }
    m_loggedBatch = first;
    if (first && m_logListener)
        m_logListener();
    return status;
}

DbResult<QList<ChangeEntry>> Database::changeLog(qint64 raceId)
{
    QList<ChangeEntry> entries;
    const auto exists = ownTable("dnevnik", false);
    if (!exists)
        return DbResult<QList<ChangeEntry>>::failure(exists.error());
    if (!exists.value())
        return DbResult<QList<ChangeEntry>>::success(entries);
    const QString sql = QStringLiteral("select %1 from dnevnik where idutrke = ? order by id").arg(QLatin1String(kEntryColumns));
    QSqlDatabase db = connection();
    if (sqlite3* handle = db.isOpen() ? sqliteOf(db) : nullptr) {
        // A long log is read straight from SQLite, as the lists are: Qt's
        // driver would first copy every cell into a variant.
        sqlite3_stmt* statement = nullptr;
        int rc = sqlite3_prepare_v2(handle, sql.toUtf8().constData(), -1, &statement, nullptr);
        if (rc == SQLITE_OK)
            rc = sqlite3_bind_int64(statement, 1, raceId);
        const auto text = [&](int i) {
            const auto* utf8 = reinterpret_cast<const char*>(sqlite3_column_text(statement, i));
            return utf8 ? QString::fromUtf8(utf8, sqlite3_column_bytes(statement, i)) : QString();
        };
        // Station, user, kind and table repeat from entry to entry: one string each while they do.
        struct Shared {
            QByteArray bytes;
            QString text;
        } station, user, kind, table;
        const auto shared = [&](Shared& last, int i) {
            const auto* utf8 = reinterpret_cast<const char*>(sqlite3_column_text(statement, i));
            const int size = sqlite3_column_bytes(statement, i);
            if (!utf8)
                return QString();
            if (QByteArrayView(utf8, size) != QByteArrayView(last.bytes)) {
                last.bytes = QByteArray(utf8, size);
                last.text = QString::fromUtf8(last.bytes);
            }
            return last.text;
        };
        while (rc == SQLITE_OK || rc == SQLITE_ROW) {
            rc = sqlite3_step(statement);
            if (rc != SQLITE_ROW)
                break;
            ChangeEntry e;
            e.seq = sqlite3_column_int64(statement, 0);
            e.time = text(1);
            e.station = shared(station, 2);
            e.user = shared(user, 3);
            e.kind = shared(kind, 4);
            e.raceId = sqlite3_column_int64(statement, 5);
            e.table = shared(table, 6);
            e.key = sqlite3_column_int64(statement, 7);
            e.before = text(8);
            e.after = text(9);
            e.batch = sqlite3_column_int64(statement, 10);
            e.undoes = sqlite3_column_int64(statement, 11);
            e.redoes = sqlite3_column_int64(statement, 12);
            entries.append(std::move(e));
        }
        const DbError error(QString::fromUtf8(sqlite3_errmsg(handle)),
                            DbError::kindOfSqliteCode(sqlite3_extended_errcode(handle)));
        sqlite3_finalize(statement);
        if (rc != SQLITE_DONE)
            return DbResult<QList<ChangeEntry>>::failure(error);
        return DbResult<QList<ChangeEntry>>::success(entries);
    }
    QSqlQuery q(db);
    q.setForwardOnly(true);
    q.prepare(sql);
    q.addBindValue(raceId);
    if (const DbStatus s = run(q); !s)
        return DbResult<QList<ChangeEntry>>::failure(s.error());
    while (q.next())
        entries.append(readEntry(q));
    return DbResult<QList<ChangeEntry>>::success(entries);
}

DbResult<QList<ChangeEntry>> Database::changeBatch(qint64 batch)
{
    QList<ChangeEntry> entries;
    const auto exists = ownTable("dnevnik", false);
    if (!exists)
        return DbResult<QList<ChangeEntry>>::failure(exists.error());
    if (!exists.value())
        return DbResult<QList<ChangeEntry>>::success(entries);
    QSqlQuery q(connection());
    q.setForwardOnly(true);
    // A batch starts at its own key.
    q.prepare(QStringLiteral("select %1 from dnevnik where id >= ? and (serija = ? or (id = ? and serija is null)) "
                             "order by id")
                  .arg(QLatin1String(kEntryColumns)));
    q.addBindValue(batch);
    q.addBindValue(batch);
    q.addBindValue(batch);
    if (const DbStatus s = run(q); !s)
        return DbResult<QList<ChangeEntry>>::failure(s.error());
    while (q.next())
        entries.append(readEntry(q));
    return DbResult<QList<ChangeEntry>>::success(entries);
}

DbResult<QList<Database::LoggedBatch>> Database::stationBatches(const QString& station, qint64 afterSeq)
{
    QList<LoggedBatch> batches;
    const auto exists = ownTable("dnevnik", false);
    if (!exists)
        return DbResult<QList<LoggedBatch>>::failure(exists.error());
    if (!exists.value())
        return DbResult<QList<LoggedBatch>>::success(batches);
    QSqlQuery q(connection());
    q.setForwardOnly(true);
    q.prepare(QStringLiteral("select coalesce(serija, id), max(coalesce(ponistava, 0)), max(coalesce(ponavlja, 0)), "
                             "max(idutrke), max(id), min(case when vrsta in (?, ?) then 1 else 0 end) "
                             "from dnevnik where stanica = ? and id > ? "
                             "group by coalesce(serija, id) order by min(id)"));
    q.addBindValue(QLatin1String(changes::kCaptureRecord));
    q.addBindValue(QLatin1String(changes::kCaptureRecordRemoved));
    q.addBindValue(station);
    q.addBindValue(afterSeq);
    if (const DbStatus s = run(q); !s)
        return DbResult<QList<LoggedBatch>>::failure(s.error());
    while (q.next())
        batches.append({q.value(0).toLongLong(), q.value(1).toLongLong(), q.value(2).toLongLong(),
                        q.value(3).toLongLong(), q.value(4).toLongLong(), q.value(5).toInt() == 1});
    return DbResult<QList<LoggedBatch>>::success(batches);
}

DbStatus Database::writeRow(const QString& table, qint64 raceId, qint64 key, const QString& values, bool exists)
{
    const auto refused = [](const QString& message) { return DbStatus::failure(DbError(message, DbError::Kind::Gone)); };
    // Refused with the message when the competitor has a finish record.
    const auto notFinished = [&](qint64 competitor, const QString& message) {
        const auto finished = hasFinishRecord(raceId, competitor);
        if (!finished)
            return DbStatus::failure(finished.error());
        return finished.value() ? refused(message) : DbStatus::success();
    };
    const QJsonObject row = objectOf(values);
    QSqlQuery q(connection());
    if (table == QLatin1String(kSettingsTable)) {
        q.prepare(QStringLiteral("delete from postavke where idutrke = ?"));
        q.addBindValue(key);
        if (const DbStatus s = run(q); !s)
            return s;
        q.prepare(QStringLiteral("insert into postavke (idutrke, kljuc, vrijednost) values (?, ?, ?)"));
        for (auto it = row.begin(); it != row.end(); ++it) {
            q.bindValue(0, key);
            q.bindValue(1, it.key());
            q.bindValue(2, boundOf(it.value(), 't'));
            if (const DbStatus s = run(q); !s)
                return s;
        }
        return DbStatus::success();
    }
    if (table == QLatin1String(kRulesTable))
        return writeRules(key, values);
    const LoggedTable* t = loggedTable(table);
    if (!t)
        return refused(tx::logUnknownBatch());
    const QString where = QStringLiteral(" where %1 = ?%2").arg(QLatin1String(t->key),
                                                               t->inRace ? QStringLiteral(" and idutrke = ?") : QString());
    if (values.isEmpty()) {
        if (table == QLatin1String("utrke")) {
            // A race goes only while nothing of it is stored.
            q.prepare(QStringLiteral("select 1 from startna where idutrke = ? union all "
                                     "select 1 from rezultati where idutrke = ?"));
            q.addBindValue(key);
            q.addBindValue(key);
            if (const DbStatus s = run(q); !s)
                return s;
            if (q.next())
                return refused(tx::undoRaceNotEmpty());
        }
        if (table == QLatin1String("startna")) {
            // A competitor goes only without a finish record: one another
            // station entered since would be left without its runner.
            if (const DbStatus free = notFinished(key, tx::undoFinisherMeanwhile()); !free)
                return free;
        }
        q.prepare(QStringLiteral("delete from %1").arg(QLatin1String(t->name)) + where);
        q.addBindValue(key);
        if (t->inRace)
            q.addBindValue(raceId);
        return run(q);
    }
    if (table == QLatin1String("startna")) {
        Competitor c;
        c.id = key;
        c.idutrke = raceId;
        c.sbroj = row.value(QLatin1String("sbroj")).toString();
        if (const DbStatus free = numberFree(c); !free)
            return free;
    }
    if (!exists && (table == QLatin1String("rezultati") || table == QLatin1String("statusi"))) {
        const qint64 competitor =
            table == QLatin1String("statusi") ? key : qint64(row.value(QLatin1String("idtakmicara")).toDouble());
        q.prepare(QStringLiteral("select 1 from startna where idutrke = ? and id = ?"));
        q.addBindValue(raceId);
        q.addBindValue(competitor);
        if (const DbStatus s = run(q); !s)
            return s;
        if (!q.next())
            return refused(tx::competitorGone());
        q.finish();
        if (table == QLatin1String("rezultati")) {
            if (const DbStatus free = notFinished(competitor, tx::finisherAlreadyEntered()); !free)
                return free;
        }
    }
    QStringList names;
    QList<LoggedColumn> stored;
    for (const LoggedColumn& c : t->columns) {
        if (loggedColumnStored(t->name, c.name))
            stored.append(c);
    }
    for (const LoggedColumn& c : stored)
        names.append(QLatin1String(c.name));
    if (exists) {
        q.prepare(QStringLiteral("update %1 set %2 = ?").arg(QLatin1String(t->name), names.join(QStringLiteral(" = ?, ")))
                  + where);
    } else {
        QStringList columns{QLatin1String(t->key)};
        if (t->inRace && !names.contains(QLatin1String("idutrke")))
            columns.append(QStringLiteral("idutrke"));
        columns += names;
        q.prepare(QStringLiteral("insert into %1 (%2) values (?%3)")
                      .arg(QLatin1String(t->name), columns.join(QStringLiteral(", ")),
                           QStringLiteral(", ?").repeated(columns.size() - 1)));
        q.addBindValue(key);
        if (t->inRace && !names.contains(QLatin1String("idutrke")))
            q.addBindValue(raceId);
    }
    for (const LoggedColumn& c : stored)
        q.addBindValue(boundOf(row.value(QLatin1String(c.name)), c.type));
    if (exists) {
        q.addBindValue(key);
        if (t->inRace)
            q.addBindValue(raceId);
    }
    const DbStatus written = run(q);
    if (!written && written.error().isDuplicate())
        return refused(table == QLatin1String("rezultati") ? tx::finisherAlreadyEntered() : tx::startNumberTaken());
    return written;
}

DbStatus Database::dropCaptureRecord(qint64 raceId, qint64 rowId)
{
    // A captured row that goes takes the finish record it made with it; a
    // record left behind would read as typed.
    QSqlQuery q(connection());
    q.prepare(QStringLiteral("select idrezultata from cilj_vremena where id = ? and idutrke = ?"));
    q.addBindValue(rowId);
    q.addBindValue(raceId);
    if (const DbStatus s = run(q); !s)
        return s;
    const qint64 record = q.next() ? q.value(0).toLongLong() : 0;
    q.finish();
    if (record == 0)
        return DbStatus::success();
    logChange(changes::kCaptureRecordRemoved, raceId, record);
    q.prepare(QStringLiteral("delete from rezultati where id = ? and idutrke = ?"));
    q.addBindValue(record);
    q.addBindValue(raceId);
    return run(q);
}

DbResult<qint64> Database::reverseBatch(const QList<ChangeEntry>& batch, qint64 undoes, qint64 redoes)
{
    if (batch.isEmpty())
        return DbResult<qint64>::failure(DbError(tx::logUnknownBatch(), DbError::Kind::Gone));
    qint64 logged = 0;
    // Every table it may write, locked against other writers for the checks
    // and the writes, in the order every station writes them (a race, its
    // runners, their times): two stations never wait on each other.
    const DbStatus status = inWriteTransactionFn("utrke, startna, rezultati", [&](QSqlDatabase& db) {
        QSqlQuery q(db);
        const auto refused = [](const QString& message) {
            return DbStatus::failure(DbError(message, DbError::Kind::Gone));
        };
        q.prepare(QStringLiteral("select stanica, vrijeme from dnevnik where idutrke = ? and id > ? and tablica = ? "
                                 "and kljuc = ? and stanica <> ? order by id limit 1"));
        for (auto e = batch.crbegin(); e != batch.crend(); ++e) {
            // A record that follows a captured row is made again from the row, not written back.
            if (changes::follows(e->kind))
                continue;
            // The row must be as this batch left it. When it is not, a later
            // change by another station is named; when that station took its
            // change back, the row is as this batch left it and the undo goes on.
            const auto current = rowValues(e->table, e->raceId, e->key);
            if (!current)
                return DbStatus::failure(current.error());
            if (current.value() != e->after) {
                q.bindValue(0, e->raceId);
                q.bindValue(1, e->seq);
                q.bindValue(2, e->table);
                q.bindValue(3, e->key);
                q.bindValue(4, m_station);
                if (const DbStatus s = run(q); !s)
                    return s;
                if (q.next())
                    return refused(
                        tx::undoOvertaken(q.value(0).toString(), changes::localTime(q.value(1).toString())));
                return refused(tx::undoRowDiffers());
            }
            m_noted.append({changes::kindOfWrite(e->table, !e->after.isEmpty(), !e->before.isEmpty()), e->table,
                            e->raceId, e->key, current.value()});
            if (e->before.isEmpty() && e->table == QLatin1String("cilj_vremena")) {
                if (const DbStatus s = dropCaptureRecord(e->raceId, e->key); !s)
                    return s;
            }
            if (const DbStatus s = writeRow(e->table, e->raceId, e->key, e->before, !e->after.isEmpty()); !s)
                return s;
        }
        m_logUndoes = undoes;
        m_logRedoes = redoes;
        return DbStatus::success();
    });
    logged = m_loggedBatch;
    if (!status)
        return DbResult<qint64>::failure(status.error());
    return DbResult<qint64>::success(logged);
}
