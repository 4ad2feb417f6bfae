// Database: timing at the finish line (tables cilj_start, cilj_vremena, cilj_dnevnik, cilj_oznake).

#include "data/database.h"

#include "core/changelog.h"

#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QVariant>

namespace {

const char* const kRowColumns = "id, idutrke, redni, postaja, vrijeme, sbroj, obrisan, izvor, idrezultata";

timing::CapturedRow rowOf(const QSqlQuery& q)
{
    timing::CapturedRow r;
    r.id = q.value(0).toLongLong();
    r.idutrke = q.value(1).toLongLong();
    r.seq = q.value(2).toInt();
    r.station = q.value(3).toString();
    if (!q.value(4).isNull())
        r.timeMs = q.value(4).toLongLong();
    r.number = q.value(5).toString();
    r.deleted = q.value(6).toInt() != 0;
    r.source = q.value(7).toString();
    r.recordId = q.value(8).toLongLong();
    return r;
}

QVariant nullText(const QString& text)
{
    return text.isEmpty() ? QVariant(QMetaType(QMetaType::QString)) : QVariant(text);
}

QString rowSelect(const char* where)
{
    return QStringLiteral("select %1 from cilj_vremena where %2").arg(QLatin1String(kRowColumns), QLatin1String(where));
}

} // namespace

DbResult<std::optional<qint64>> Database::captureStart(qint64 raceId)
{
    using Result = DbResult<std::optional<qint64>>;
    const auto exists = ownTable("cilj_start", false);
    if (!exists)
        return Result::failure(exists.error());
    if (!exists.value())
        return Result::success(std::nullopt);
    QSqlQuery q(connection());
    q.prepare(QStringLiteral("select vrijeme from cilj_start where idutrke = ?"));
    q.addBindValue(raceId);
    if (const DbStatus s = run(q); !s)
        return Result::failure(s.error());
    if (q.next() && !q.value(0).isNull())
        return Result::success(q.value(0).toLongLong());
    return Result::success(std::nullopt);
}

DbStatus Database::setCaptureStart(qint64 raceId, std::optional<qint64> startMs, const QString& station)
{
    if (const auto made = ownTable("cilj_start", true); !made)
        return DbStatus::failure(made.error());
    return writeTransaction("cilj_start", [&](QSqlDatabase& db) {
        QSqlQuery q(db);
        logChange(changes::kCaptureStart, raceId, raceId);
        if (!startMs) {
            q.prepare(QStringLiteral("delete from cilj_start where idutrke = ?"));
            q.addBindValue(raceId);
            return run(q);
        }
        q.prepare(QStringLiteral("insert into cilj_start (idutrke, vrijeme, postaja) values (?, ?, ?) on conflict "
                                 "(idutrke) do update set vrijeme = excluded.vrijeme, postaja = excluded.postaja"));
        q.addBindValue(raceId);
        q.addBindValue(*startMs);
        q.addBindValue(station);
        return run(q);
    });
}

DbResult<bool> Database::hasCapturedRows(qint64 raceId)
{
    const auto exists = ownTable("cilj_vremena", false);
    if (!exists || !exists.value())
        return exists;
    QSqlQuery q(connection());
    q.prepare(QStringLiteral("select 1 from cilj_vremena where idutrke = ? limit 1"));
    q.addBindValue(raceId);
    if (const DbStatus s = run(q); !s)
        return DbResult<bool>::failure(s.error());
    return DbResult<bool>::success(q.next());
}

DbResult<QList<timing::CapturedRow>> Database::capturedRows(qint64 raceId)
{
    return readCapturedRows(raceId, {});
}

DbResult<QList<timing::CapturedRow>> Database::capturedRowsOf(qint64 raceId, const QList<qint64>& keys)
{
    if (keys.isEmpty())
        return DbResult<QList<timing::CapturedRow>>::success({});
    // Keys are numbers the feed gave, written as numbers.
    QStringList list;
    list.reserve(keys.size());
    for (const qint64 key : keys)
        list.append(QString::number(key));
    return readCapturedRows(raceId, QStringLiteral(" and id in (%1)").arg(list.join(QLatin1Char(','))));
}

DbResult<QList<timing::CapturedRow>> Database::readCapturedRows(qint64 raceId, const QString& alsoWhere)
{
    using Result = DbResult<QList<timing::CapturedRow>>;
    QList<timing::CapturedRow> rows;
    const auto exists = ownTable("cilj_vremena", false);
    if (!exists)
        return Result::failure(exists.error());
    if (!exists.value())
        return Result::success(rows);
    QSqlQuery q(connection());
    q.setForwardOnly(true);
    q.prepare(rowSelect("idutrke = ?") + alsoWhere + QStringLiteral(" order by id"));
    q.addBindValue(raceId);
    if (const DbStatus s = run(q); !s)
        return Result::failure(s.error());
    while (q.next())
        rows.append(rowOf(q));
    return Result::success(rows);
}

DbResult<timing::CapturedRow> Database::capturedRow(QSqlDatabase& db, qint64 rowId)
{
    QSqlQuery q(db);
    q.prepare(rowSelect("id = ?"));
    q.addBindValue(rowId);
    if (const DbStatus s = run(q); !s)
        return DbResult<timing::CapturedRow>::failure(s.error());
    if (!q.next())
        return DbResult<timing::CapturedRow>::failure(DbError(QStringLiteral("cilj_vremena %1").arg(rowId), DbError::Kind::Gone));
    return DbResult<timing::CapturedRow>::success(rowOf(q));
}

DbStatus Database::noteToken(QSqlDatabase& db, const QString& token)
{
    if (token.isEmpty())
        return DbStatus::success();
    QSqlQuery q(db);
    q.prepare(QStringLiteral("insert into cilj_dnevnik (oznaka) values (?)"));
    q.addBindValue(token);
    return run(q);
}

DbResult<timing::CapturedRow> Database::storePress(qint64 raceId, qint64 timeMs, const QString& number,
                                                   const QString& station, const QString& source, const QString& token)
{
    using Result = DbResult<timing::CapturedRow>;
    for (const char* table : {"cilj_vremena", "cilj_dnevnik"})
        if (const auto made = ownTable(table, true); !made)
            return Result::failure(made.error());
    qint64 rowId = 0;
    Result stored;
    const DbStatus status = writeTransaction("cilj_vremena", [&](QSqlDatabase& db) {
        if (const DbStatus noted = noteToken(db, token); !noted)
            return noted;
        QSqlQuery q(db);
        q.prepare(QStringLiteral("select coalesce(max(redni), 0) + 1 from cilj_vremena where idutrke = ?"));
        q.addBindValue(raceId);
        if (const DbStatus s = run(q); !s)
            return s;
        const int seq = q.next() ? q.value(0).toInt() : 1;
        q.finish();
        if (number.isEmpty() && source.isEmpty()) {
            // The number waiting longest gets this press.
            q.prepare(QStringLiteral("select min(id) from cilj_vremena where idutrke = ? and vrijeme is null "
                                     "and obrisan = 0"));
            q.addBindValue(raceId);
            if (const DbStatus s = run(q); !s)
                return s;
            const qint64 waiting = q.next() ? q.value(0).toLongLong() : 0;
            q.finish();
            if (waiting != 0) {
                logChange(changes::kCapturePressWaiting, raceId, waiting);
                q.prepare(QStringLiteral("update cilj_vremena set redni = ?, vrijeme = ?, postaja = ? where id = ?"));
                q.addBindValue(seq);
                q.addBindValue(timeMs);
                q.addBindValue(station);
                q.addBindValue(waiting);
                if (const DbStatus s = run(q); !s)
                    return s;
                rowId = waiting;
            }
        }
        if (rowId == 0) {
            q.prepare(QStringLiteral("insert into cilj_vremena (idutrke, redni, postaja, vrijeme, sbroj, obrisan, izvor) "
                                     "values (?, ?, ?, ?, ?, 0, ?)")
                      + returningKey());
            q.addBindValue(raceId);
            q.addBindValue(seq);
            q.addBindValue(station);
            q.addBindValue(timeMs);
            q.addBindValue(nullText(number));
            q.addBindValue(nullText(source));
            if (const DbStatus s = run(q); !s)
                return s;
            const auto id = insertedId(q);
            if (!id)
                return DbStatus::failure(id.error());
            rowId = id.value();
            logChange(source.isEmpty() ? changes::kCapturePress : changes::kCaptureInserted, raceId, rowId);
        }
        stored = capturedRow(db, rowId);
        return stored ? DbStatus::success() : DbStatus::failure(stored.error());
    });
    return status ? stored : Result::failure(status.error());
}

DbResult<timing::CapturedRow> Database::storeNumber(qint64 raceId, const QString& number, const QString& station,
                                                    const QString& token, std::optional<qint64> typedAtMs)
{
    using Result = DbResult<timing::CapturedRow>;
    for (const char* table : {"cilj_vremena", "cilj_dnevnik", "cilj_oznake"})
        if (const auto made = ownTable(table, true); !made)
            return Result::failure(made.error());
    Result stored;
    const DbStatus status = writeTransaction("cilj_vremena", [&](QSqlDatabase& db) {
        if (const DbStatus noted = noteToken(db, token); !noted)
            return noted;
        // The oldest time without a number, in crossing order.
        QSqlQuery q(db);
        q.prepare(QStringLiteral("select id from cilj_vremena where idutrke = ? and vrijeme is not null "
                                 "and sbroj is null and obrisan = 0 order by vrijeme, redni, id limit 1"));
        q.addBindValue(raceId);
        if (const DbStatus s = run(q); !s)
            return s;
        qint64 rowId = q.next() ? q.value(0).toLongLong() : 0;
        q.finish();
        if (rowId != 0) {
            logChange(changes::kCaptureNumber, raceId, rowId);
            q.prepare(QStringLiteral("update cilj_vremena set sbroj = ? where id = ?"));
            q.addBindValue(number);
            q.addBindValue(rowId);
            if (const DbStatus s = run(q); !s)
                return s;
        } else {
            const auto id = insertWaitingNumber(db, raceId, station, number);
            if (!id)
                return DbStatus::failure(id.error());
            rowId = id.value();
        }
        if (typedAtMs) {
            q.prepare(QStringLiteral("insert into cilj_oznake (idutrke, idvremena, upisano, potvrdeno) values (?, ?, ?, 0) "
                                     "on conflict (idvremena) do update set upisano = excluded.upisano, potvrdeno = 0"));
            q.addBindValue(raceId);
            q.addBindValue(rowId);
            q.addBindValue(*typedAtMs);
            if (const DbStatus s = run(q); !s)
                return s;
        }
        stored = capturedRow(db, rowId);
        return stored ? DbStatus::success() : DbStatus::failure(stored.error());
    });
    return status ? stored : Result::failure(status.error());
}

DbResult<QHash<qint64, timing::RowNote>> Database::captureNotes(qint64 raceId)
{
    using Result = DbResult<QHash<qint64, timing::RowNote>>;
    QHash<qint64, timing::RowNote> notes;
    const auto exists = ownTable("cilj_oznake", false);
    if (!exists)
        return Result::failure(exists.error());
    if (!exists.value())
        return Result::success(notes);
    QSqlQuery q(connection());
    q.setForwardOnly(true);
    q.prepare(QStringLiteral("select idvremena, upisano, potvrdeno from cilj_oznake where idutrke = ?"));
    q.addBindValue(raceId);
    if (const DbStatus s = run(q); !s)
        return Result::failure(s.error());
    while (q.next()) {
        timing::RowNote& n = notes[q.value(0).toLongLong()];
        if (!q.value(1).isNull())
            n.typedAtMs = q.value(1).toLongLong();
        n.confirmed = q.value(2).toInt() != 0;
    }
    return Result::success(notes);
}

DbStatus Database::confirmCaptured(qint64 raceId, const QList<qint64>& rowIds)
{
    if (const auto made = ownTable("cilj_oznake", true); !made)
        return DbStatus::failure(made.error());
    return writeTransaction("cilj_oznake", [&](QSqlDatabase& db) {
        QSqlQuery q(db);
        q.prepare(QStringLiteral("insert into cilj_oznake (idutrke, idvremena, potvrdeno) values (?, ?, 1) "
                                 "on conflict (idvremena) do update set potvrdeno = 1"));
        for (const qint64 id : rowIds) {
            q.bindValue(0, raceId);
            q.bindValue(1, id);
            if (const DbStatus s = run(q); !s)
                return s;
        }
        return DbStatus::success();
    });
}

DbStatus Database::setCapturedNumbers(qint64 raceId, const QList<std::pair<qint64, QString>>& numbers,
                                      qint64 takeWaiting, const QString& keepWaiting, const QString& station)
{
    // One row's number given, changed or cleared; several at once are a shift.
    const bool shift = numbers.size() > 1 || takeWaiting != 0 || !keepWaiting.isEmpty();
    const char* kind = shift ? changes::kCaptureShift : changes::kCaptureNumber;
    if (const auto made = ownTable("cilj_vremena", true); !made)
        return DbStatus::failure(made.error());
    return writeTransaction("cilj_vremena", [&](QSqlDatabase& db) {
        QSqlQuery q(db);
        q.prepare(QStringLiteral("update cilj_vremena set sbroj = ? where id = ? and idutrke = ?"));
        for (const auto& [id, number] : numbers) {
            logChange(kind, raceId, id);
            q.bindValue(0, nullText(number));
            q.bindValue(1, id);
            q.bindValue(2, raceId);
            if (const DbStatus s = run(q); !s)
                return s;
            if (q.numRowsAffected() != 1)
                return DbStatus::failure(DbError(QStringLiteral("cilj_vremena %1").arg(id), DbError::Kind::Gone));
        }
        if (takeWaiting != 0) {
            logChange(kind, raceId, takeWaiting);
            QSqlQuery w(db);
            w.prepare(QStringLiteral("delete from cilj_vremena where id = ? and idutrke = ? and vrijeme is null"));
            w.addBindValue(takeWaiting);
            w.addBindValue(raceId);
            if (const DbStatus s = run(w); !s)
                return s;
            if (w.numRowsAffected() != 1)
                return DbStatus::failure(DbError(QStringLiteral("cilj_vremena %1").arg(takeWaiting), DbError::Kind::Gone));
        }
        if (!keepWaiting.isEmpty()) {
            if (const auto id = insertWaitingNumber(db, raceId, station, keepWaiting); !id)
                return DbStatus::failure(id.error());
        }
        return DbStatus::success();
    });
}

DbStatus Database::setCapturedDeleted(qint64 raceId, qint64 rowId, bool deleted)
{
    if (const auto made = ownTable("cilj_vremena", true); !made)
        return DbStatus::failure(made.error());
    return writeTransaction("cilj_vremena", [&](QSqlDatabase& db) {
        QSqlQuery q(db);
        logChange(deleted ? changes::kCaptureDeleted : changes::kCaptureRestored, raceId, rowId);
        q.prepare(QStringLiteral("update cilj_vremena set obrisan = ? where id = ? and idutrke = ?"));
        q.addBindValue(deleted ? 1 : 0);
        q.addBindValue(rowId);
        q.addBindValue(raceId);
        if (const DbStatus s = run(q); !s)
            return s;
        if (q.numRowsAffected() != 1)
            return DbStatus::failure(DbError(QStringLiteral("cilj_vremena %1").arg(rowId), DbError::Kind::Gone));
        return DbStatus::success();
    });
}

DbResult<Database::CaptureRecordsStored> Database::applyCaptureRecords(qint64 raceId,
                                                                       const timing::RecordChanges& changes)
{
    using Result = DbResult<CaptureRecordsStored>;
    if (const auto made = ownTable("cilj_vremena", true); !made)
        return Result::failure(made.error());
    CaptureRecordsStored done;
    const DbStatus status = writeTransaction("rezultati", [&](QSqlDatabase& db) {
        QSqlQuery del(db);
        // Only a record a captured row made: a typed one is never removed.
        del.prepare(QStringLiteral("delete from rezultati where id = ? and idutrke = ? and exists "
                                   "(select 1 from cilj_vremena c where c.idrezultata = rezultati.id)"));
        QSqlQuery unlink(db);
        unlink.prepare(QStringLiteral("update cilj_vremena set idrezultata = null where idrezultata = ?"));
        for (const qint64 id : changes.remove) {
            logChange(changes::kCaptureRecordRemoved, raceId, id);
            del.bindValue(0, id);
            del.bindValue(1, raceId);
            if (const DbStatus s = run(del); !s)
                return s;
            if (del.numRowsAffected() == 1)
                done.removed.append(id);
            unlink.bindValue(0, id);
            if (const DbStatus s = run(unlink); !s)
                return s;
        }
        QSqlQuery link(db);
        link.prepare(QStringLiteral("update cilj_vremena set idrezultata = ? where id = ? and idutrke = ?"));
        for (const timing::MadeRecord& m : changes.add) {
            // A runner with a typed record, or one another station removed
            // meanwhile: no record, and the lists are read again.
            const auto finished = hasFinishRecord(raceId, m.competitorId);
            if (!finished)
                return DbStatus::failure(finished.error());
            const auto here = competitorStored(raceId, m.competitorId);
            if (!here)
                return DbStatus::failure(here.error());
            if (finished.value() || !here.value()) {
                done.refusedRows.append(m.rowId);
                continue;
            }
            FinishRecord r;
            r.idutrke = raceId;
            r.idtakmicara = m.competitorId;
            r.sbroj = m.number;
            r.vrijeme = m.time;
            const auto id = insertFinishRecord(r);
            if (!id)
                return DbStatus::failure(id.error());
            r.id = id.value();
            logChange(changes::kCaptureRecord, raceId, r.id);
            link.bindValue(0, r.id);
            link.bindValue(1, m.rowId);
            link.bindValue(2, raceId);
            if (const DbStatus s = run(link); !s)
                return s;
            done.added.append(r);
        }
        return DbStatus::success();
    });
    return status ? Result::success(done) : Result::failure(status.error());
}

DbStatus Database::storeCaptureImport(qint64 raceId, const QList<std::pair<qint64, QString>>& fills,
                                      const QList<std::pair<qint64, QString>>& added, const QString& station,
                                      const QString& source)
{
    if (const auto made = ownTable("cilj_vremena", true); !made)
        return DbStatus::failure(made.error());
    return writeTransaction("cilj_vremena", [&](QSqlDatabase& db) {
        QSqlQuery q(db);
        q.prepare(QStringLiteral("update cilj_vremena set sbroj = ? where id = ? and idutrke = ? and sbroj is null"));
        for (const auto& [id, number] : fills) {
            logChange(changes::kCaptureNumber, raceId, id);
            q.bindValue(0, number);
            q.bindValue(1, id);
            q.bindValue(2, raceId);
            if (const DbStatus s = run(q); !s)
                return s;
        }
        QSqlQuery next(db);
        next.prepare(QStringLiteral("select coalesce(max(redni), 0) + 1 from cilj_vremena where idutrke = ?"));
        next.addBindValue(raceId);
        if (const DbStatus s = run(next); !s)
            return s;
        int seq = next.next() ? next.value(0).toInt() : 1;
        next.finish();
        QSqlQuery ins(db);
        ins.prepare(QStringLiteral("insert into cilj_vremena (idutrke, redni, postaja, vrijeme, sbroj, obrisan, izvor) "
                                   "values (?, ?, ?, ?, ?, 0, ?)")
                    + returningKey());
        for (const auto& [timeMs, number] : added) {
            ins.bindValue(0, raceId);
            ins.bindValue(1, seq++);
            ins.bindValue(2, station);
            ins.bindValue(3, timeMs);
            ins.bindValue(4, nullText(number));
            ins.bindValue(5, nullText(source));
            if (const DbStatus s = run(ins); !s)
                return s;
            const auto id = insertedId(ins);
            if (!id)
                return DbStatus::failure(id.error());
            logChange(changes::kCaptureImport, raceId, id.value());
        }
        return DbStatus::success();
    });
}

DbResult<qint64> Database::insertWaitingNumber(QSqlDatabase& db, qint64 raceId, const QString& station,
                                               const QString& number)
{
    QSqlQuery q(db);
    q.prepare(QStringLiteral("insert into cilj_vremena (idutrke, postaja, sbroj, obrisan) values (?, ?, ?, 0)")
              + returningKey());
    q.addBindValue(raceId);
    q.addBindValue(station);
    q.addBindValue(number);
    if (const DbStatus s = run(q); !s)
        return DbResult<qint64>::failure(s.error());
    const auto id = insertedId(q);
    if (id)
        logChange(changes::kCaptureNumberWaiting, raceId, id.value());
    return id;
}
