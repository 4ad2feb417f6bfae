// A race's own categories and prize categories: one row per table row, in
// order, keyed by the race. No row of a race means the standard rules, so
// files of earlier versions (which have neither table) and races never
// given rules read as they always did.

#include "data/database.h"

#include "core/changelog.h"

#include <QSqlDatabase>
#include <QSqlQuery>
#include <QVariant>

namespace {

QString sexCode(RuleSex sex)
{
    return schemes::sexText(sex);
}

RuleSex sexOfCode(const QString& code)
{
    return schemes::readSex(code).value_or(RuleSex::Both);
}

// How a team rule ranks: "spol" or "svi", then "mjesta" or "vremena".
QString teamWay(const TeamRules& t)
{
    return QString::fromLatin1(t.together ? "svi-" : "spol-") + QString::fromLatin1(t.byTimes ? "vremena" : "mjesta");
}

} // namespace

DbResult<RaceRules> Database::raceRules(qint64 raceId)
{
    RaceRules rules;
    const auto categoriesMade = ownTable("kategorijeutrke", false);
    if (!categoriesMade)
        return DbResult<RaceRules>::failure(categoriesMade.error());
    if (categoriesMade.value()) {
        QSqlQuery q(connection());
        q.setForwardOnly(true);
        q.prepare(QStringLiteral("select oznaka, spol, dobod, dobdo from kategorijeutrke where idutrke = ? "
                                 "order by redoslijed"));
        q.addBindValue(raceId);
        if (const DbStatus s = run(q); !s)
            return DbResult<RaceRules>::failure(s.error());
        QList<CategoryRow> rows;
        while (q.next())
            rows.append({q.value(0).toString(), sexOfCode(q.value(1).toString()), q.value(2).toInt(), q.value(3).toInt()});
        if (!rows.isEmpty())
            rules.categories = CategoryScheme(rows);
    }
    const auto prizesMade = ownTable("nagradeutrke", false);
    if (!prizesMade)
        return DbResult<RaceRules>::failure(prizesMade.error());
    if (prizesMade.value()) {
        QSqlQuery q(connection());
        q.setForwardOnly(true);
        q.prepare(QStringLiteral("select naziv, spol, dobod, dobdo, nagrade from nagradeutrke where idutrke = ? "
                                 "order by redoslijed"));
        q.addBindValue(raceId);
        if (const DbStatus s = run(q); !s)
            return DbResult<RaceRules>::failure(s.error());
        QList<PrizeRow> rows;
        while (q.next())
            rows.append({q.value(0).toString(), sexOfCode(q.value(1).toString()), q.value(2).toInt(),
                         q.value(3).toInt(), q.value(4).toInt()});
        if (!rows.isEmpty())
            rules.prizes = PrizeScheme(rows);
    }
    const auto teamsMade = ownTable("ekipeutrke", false);
    if (!teamsMade)
        return DbResult<RaceRules>::failure(teamsMade.error());
    if (teamsMade.value()) {
        QSqlQuery q(connection());
        q.setForwardOnly(true);
        q.prepare(QStringLiteral("select bezkluba, nacin, velicina, dodatni, nagrade from ekipeutrke where idutrke = ? "
                                 "order by redoslijed"));
        q.addBindValue(raceId);
        if (const DbStatus s = run(q); !s)
            return DbResult<RaceRules>::failure(s.error());
        if (q.next()) {
            TeamRules& t = rules.teams;
            const QString noClub = q.value(0).toString();
            t.noClub = noClub.isEmpty() ? QStringList() : noClub.split(QLatin1Char('\n'));
            const QString way = q.value(1).toString();
            t.together = way.startsWith(QLatin1String("svi"));
            t.byTimes = way.endsWith(QLatin1String("vremena"));
            t.size = q.value(2).toInt();
            t.extra = q.value(3).toInt();
            t.prizes = q.value(4).toInt();
        }
    }
    return DbResult<RaceRules>::success(rules);
}

DbStatus Database::setRaceRules(qint64 raceId, const RaceRules& rules)
{
    if (const DbStatus made = rulesTables(); !made)
        return made;
    return inTransactionCall([&](QSqlDatabase& db) { return writeRaceRules(db, raceId, rules); });
}

DbStatus Database::rulesTables()
{
    for (const char* table : {"kategorijeutrke", "nagradeutrke", "ekipeutrke"}) {
        if (const auto made = ownTable(table, true); !made)
            return DbStatus::failure(made.error());
    }
    return DbStatus::success();
}

DbStatus Database::writeRaceRules(QSqlDatabase& db, qint64 raceId, const RaceRules& rules)
{
    const bool standardCategories = rules.categories == CategoryScheme::standard();
    const bool standardPrizes = rules.prizes == PrizeScheme::standard();
    // Both tables are one logged row of the race: one entry per store.
    logChange(changes::kRules, raceId, raceId);
    QSqlQuery q(db);
    for (const char* sql : {"delete from kategorijeutrke where idutrke = ?", "delete from nagradeutrke where idutrke = ?",
                            "delete from ekipeutrke where idutrke = ?"}) {
        q.prepare(QLatin1String(sql));
        q.addBindValue(raceId);
        if (const DbStatus s = run(q); !s)
            return s;
    }
    if (!standardCategories) {
        q.prepare(QStringLiteral("insert into kategorijeutrke (idutrke, redoslijed, oznaka, spol, dobod, dobdo) "
                                 "values (?, ?, ?, ?, ?, ?)"));
        int order = 0;
        for (const CategoryRow& row : rules.categories.rows()) {
            q.bindValue(0, raceId);
            q.bindValue(1, ++order);
            q.bindValue(2, row.label);
            q.bindValue(3, sexCode(row.sex));
            q.bindValue(4, row.from);
            q.bindValue(5, row.to);
            if (const DbStatus s = run(q); !s)
                return s;
        }
    }
    if (!standardPrizes) {
        q.prepare(QStringLiteral("insert into nagradeutrke (idutrke, redoslijed, naziv, spol, dobod, dobdo, nagrade) "
                                 "values (?, ?, ?, ?, ?, ?, ?)"));
        int order = 0;
        for (const PrizeRow& row : rules.prizes.rows()) {
            q.bindValue(0, raceId);
            q.bindValue(1, ++order);
            q.bindValue(2, row.name);
            q.bindValue(3, sexCode(row.sex));
            q.bindValue(4, row.from);
            q.bindValue(5, row.to);
            q.bindValue(6, row.count);
            if (const DbStatus s = run(q); !s)
                return s;
        }
    }
    if (!(rules.teams == TeamRules{})) {
        const TeamRules& t = rules.teams;
        QStringList noClub = t.noClub;
        noClub.removeAll(QString()); // an empty club is never a team
        q.prepare(QStringLiteral("insert into ekipeutrke (idutrke, redoslijed, bezkluba, nacin, velicina, dodatni, nagrade) "
                                 "values (?, 1, ?, ?, ?, ?, ?)"));
        q.addBindValue(raceId);
        q.addBindValue(noClub.join(QLatin1Char('\n')));
        q.addBindValue(teamWay(t));
        q.addBindValue(t.size);
        q.addBindValue(t.extra);
        q.addBindValue(t.prizes);
        if (const DbStatus s = run(q); !s)
            return s;
    }
    return DbStatus::success();
}
