// Series of races: one row per series in kupovi, its races, prize
// categories and matching choices in rows of their own, in order. A file
// that never had a series has none of the tables and reads as no series.

#include "data/database.h"

#include <QHash>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QVariant>

namespace {

const char* const kSeriesTables[] = {"kupovi", "kupoviutrke", "kupovinagrade", "kupovispojevi"};

QString placeCode(series::PlaceScope scope)
{
    switch (scope) {
    case series::PlaceScope::Overall:
        return QStringLiteral("ukupno");
    case series::PlaceScope::Category:
        return QStringLiteral("kategorija");
    case series::PlaceScope::Sex:
        break;
    }
    return QStringLiteral("spol");
}

series::PlaceScope placeOfCode(const QString& code)
{
    return code == QLatin1String("ukupno")       ? series::PlaceScope::Overall
        : code == QLatin1String("kategorija") ? series::PlaceScope::Category
                                               : series::PlaceScope::Sex;
}

QString pointsListText(const QList<int>& list)
{
    QStringList parts;
    for (int p : list)
        parts.append(QString::number(p));
    return parts.join(QLatin1Char(','));
}

} // namespace

DbResult<QList<series::Definition>> Database::seriesList()
{
    using Result = DbResult<QList<series::Definition>>;
    QList<series::Definition> list;
    for (const char* table : kSeriesTables) {
        const auto made = ownTable(table, false);
        if (!made)
            return Result::failure(made.error());
        if (!made.value())
            return Result::success(list);
    }
    QHash<qint64, int> at;
    QSqlQuery q(connection());
    q.setForwardOnly(true);
    q.prepare(QStringLiteral("select id, ime, planirano, bodovi, bodovipopis, mjesto, najbolji, najmanje, bezkluba "
                             "from kupovi order by id"));
    if (const DbStatus s = run(q); !s)
        return Result::failure(s.error());
    while (q.next()) {
        series::Definition d;
        d.id = q.value(0).toLongLong();
        d.name = q.value(1).toString();
        series::Rules& r = d.rules;
        r.planned = q.value(2).toInt();
        r.firstPoints = q.value(3).toInt();
        const QString points = q.value(4).toString();
        r.points = points.isEmpty() ? series::PointsKind::Countdown : series::PointsKind::List;
        r.pointsList = series::readPointsList(points).value_or(QList<int>());
        if (points.isEmpty())
            r.pointsList.clear();
        r.place = placeOfCode(q.value(5).toString());
        r.best = q.value(6).toInt();
        r.minimum = q.value(7).toInt();
        const QString noClub = q.value(8).toString();
        r.noClub = noClub.isEmpty() ? QStringList() : noClub.split(QLatin1Char('\n'));
        at.insert(d.id, int(list.size()));
        list.append(std::move(d));
    }
    q.finish();

    q.prepare(QStringLiteral("select idkupa, idutrke from kupoviutrke order by idkupa, redoslijed"));
    if (const DbStatus s = run(q); !s)
        return Result::failure(s.error());
    while (q.next()) {
        if (const auto it = at.constFind(q.value(0).toLongLong()); it != at.cend())
            list[*it].races.append(q.value(1).toLongLong());
    }
    q.finish();

    QHash<qint64, QList<PrizeRow>> prizes;
    q.prepare(QStringLiteral("select idkupa, naziv, spol, dobod, dobdo, nagrade from kupovinagrade "
                             "order by idkupa, redoslijed"));
    if (const DbStatus s = run(q); !s)
        return Result::failure(s.error());
    while (q.next()) {
        prizes[q.value(0).toLongLong()].append({q.value(1).toString(),
                                                schemes::readSex(q.value(2).toString()).value_or(RuleSex::Both),
                                                q.value(3).toInt(), q.value(4).toInt(), q.value(5).toInt()});
    }
    q.finish();
    // A series without rows of its own has the standard prizes.
    for (auto it = prizes.cbegin(); it != prizes.cend(); ++it) {
        if (const auto i = at.constFind(it.key()); i != at.cend())
            list[*i].rules.prizes = PrizeScheme(it.value());
    }

    q.prepare(QStringLiteral("select idkupa, vrsta, idutrke, idtakmicara, idutrke2, idtakmicara2 from kupovispojevi "
                             "order by idkupa, redoslijed"));
    if (const DbStatus s = run(q); !s)
        return Result::failure(s.error());
    while (q.next()) {
        const auto it = at.constFind(q.value(0).toLongLong());
        if (it == at.cend())
            continue;
        series::Choice c;
        c.kind = q.value(1).toString() == QLatin1String("j") ? series::Choice::Kind::Join : series::Choice::Kind::Split;
        c.entry = {q.value(2).toLongLong(), q.value(3).toLongLong()};
        c.other = {q.value(4).toLongLong(), q.value(5).toLongLong()};
        list[*it].choices.append(c);
    }
    return Result::success(list);
}

DbResult<qint64> Database::storeSeries(const series::Definition& d)
{
    for (const char* table : kSeriesTables) {
        if (const auto made = ownTable(table, true); !made)
            return DbResult<qint64>::failure(made.error());
    }
    qint64 id = d.id;
    const DbStatus stored = inTransactionCall([&](QSqlDatabase& db) {
        // A retry after a deadlock starts again: an id taken by the rolled-back
        // insert is no series.
        id = d.id;
        QSqlQuery q(db);
        const series::Rules& r = d.rules;
        const QString points = r.points == series::PointsKind::List ? pointsListText(r.pointsList) : QString();
        const QVariantList values{d.name,         r.planned, r.firstPoints, points, placeCode(r.place),
                                  r.best,         r.minimum, r.noClub.join(QLatin1Char('\n'))};
        if (id == 0) {
            q.prepare(QStringLiteral("insert into kupovi (ime, planirano, bodovi, bodovipopis, mjesto, najbolji, najmanje, "
                                     "bezkluba) values (?, ?, ?, ?, ?, ?, ?, ?)")
                      + returningKey());
        } else {
            q.prepare(QStringLiteral("update kupovi set ime = ?, planirano = ?, bodovi = ?, bodovipopis = ?, mjesto = ?, "
                                     "najbolji = ?, najmanje = ?, bezkluba = ? where id = ?"));
        }
        for (const QVariant& v : values)
            q.addBindValue(v);
        if (id != 0)
            q.addBindValue(id);
        if (const DbStatus s = run(q); !s)
            return s;
        if (id == 0) {
            const auto made = insertedId(q);
            if (!made)
                return DbStatus::failure(made.error());
            id = made.value();
        } else if (q.numRowsAffected() == 0) {
            return DbStatus::failure(DbError(QStringLiteral("series gone"), DbError::Kind::Gone));
        }
        for (const char* sql : {"delete from kupoviutrke where idkupa = ?", "delete from kupovinagrade where idkupa = ?",
                                "delete from kupovispojevi where idkupa = ?"}) {
            q.prepare(QLatin1String(sql));
            q.addBindValue(id);
            if (const DbStatus s = run(q); !s)
                return s;
        }
        q.prepare(QStringLiteral("insert into kupoviutrke (idkupa, redoslijed, idutrke) values (?, ?, ?)"));
        for (int i = 0; i < d.races.size(); ++i) {
            q.bindValue(0, id);
            q.bindValue(1, i + 1);
            q.bindValue(2, d.races.at(i));
            if (const DbStatus s = run(q); !s)
                return s;
        }
        if (!(r.prizes == PrizeScheme::standard())) {
            q.prepare(QStringLiteral("insert into kupovinagrade (idkupa, redoslijed, naziv, spol, dobod, dobdo, nagrade) "
                                     "values (?, ?, ?, ?, ?, ?, ?)"));
            int order = 0;
            for (const PrizeRow& p : r.prizes.rows()) {
                q.bindValue(0, id);
                q.bindValue(1, ++order);
                q.bindValue(2, p.name);
                q.bindValue(3, schemes::sexText(p.sex));
                q.bindValue(4, p.from);
                q.bindValue(5, p.to);
                q.bindValue(6, p.count);
                if (const DbStatus s = run(q); !s)
                    return s;
            }
        }
        q.prepare(QStringLiteral("insert into kupovispojevi (idkupa, redoslijed, vrsta, idutrke, idtakmicara, idutrke2, "
                                 "idtakmicara2) values (?, ?, ?, ?, ?, ?, ?)"));
        for (int i = 0; i < d.choices.size(); ++i) {
            const series::Choice& c = d.choices.at(i);
            q.bindValue(0, id);
            q.bindValue(1, i + 1);
            q.bindValue(2, c.kind == series::Choice::Kind::Join ? QStringLiteral("j") : QStringLiteral("s"));
            q.bindValue(3, c.entry.race);
            q.bindValue(4, c.entry.competitor);
            q.bindValue(5, c.other.race);
            q.bindValue(6, c.other.competitor);
            if (const DbStatus s = run(q); !s)
                return s;
        }
        return DbStatus::success();
    });
    if (!stored)
        return DbResult<qint64>::failure(stored.error());
    return DbResult<qint64>::success(id);
}

DbStatus Database::deleteSeries(qint64 id)
{
    const auto made = ownTable("kupovi", false);
    if (!made)
        return DbStatus::failure(made.error());
    if (!made.value())
        return DbStatus::success();
    return inTransactionCall([&](QSqlDatabase& db) {
        QSqlQuery q(db);
        for (const char* sql : {"delete from kupoviutrke where idkupa = ?", "delete from kupovinagrade where idkupa = ?",
                                "delete from kupovispojevi where idkupa = ?", "delete from kupovi where id = ?"}) {
            q.prepare(QLatin1String(sql));
            q.addBindValue(id);
            if (const DbStatus s = run(q); !s)
                return s;
        }
        return DbStatus::success();
    });
}
