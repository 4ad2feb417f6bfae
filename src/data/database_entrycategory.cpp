// Database: the category an entry file gave a competitor without a birth
// date, kept in a nullable column of our own on startna (kategorija). A file
// of an earlier version gets the column on the first import that carries a
// category, never at open; until then its start list reads as before.

#include "data/database.h"

#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QVariant>

namespace {

// The name m_ownTablesSeen knows the column by once seen.
const QString& categoryColumnSeen()
{
    static const QString name = QStringLiteral("startna.kategorija");
    return name;
}

} // namespace

DbResult<bool> Database::competitorCategoryColumn(bool create)
{
    if (m_ownTablesSeen.contains(categoryColumnSeen()))
        return DbResult<bool>::success(true);
    const auto look = [this]() -> DbResult<bool> {
        QSqlQuery q(connection());
        q.prepare(m_location.isPostgres()
                      ? QStringLiteral("select 1 from information_schema.columns where table_schema = current_schema() "
                                       "and table_name = 'startna' and column_name = 'kategorija'")
                      : QStringLiteral("select 1 from pragma_table_info('startna') where name = 'kategorija'"));
        if (const DbStatus s = run(q); !s)
            return DbResult<bool>::failure(s.error());
        return DbResult<bool>::success(q.next());
    };
    auto exists = look();
    if (!exists)
        return exists;
    if (!exists.value() && create) {
        const DbStatus made = inTransactionCall([&](QSqlDatabase& db) {
            QSqlQuery c(db);
            // Two stations adding it at once: the second waits, then finds it there.
            if (m_location.isPostgres()
                && (!c.exec(QStringLiteral("select pg_advisory_xact_lock(4243)"))
                    || !c.exec(QStringLiteral("alter table startna add column if not exists kategorija text"))))
                return DbStatus::failure(sqlError(c.lastError()));
            if (!m_location.isPostgres() && !c.exec(QStringLiteral("alter table startna add column kategorija varchar(10)")))
                return DbStatus::failure(sqlError(c.lastError()));
            return DbStatus::success();
        });
        // Another program may have added it meanwhile: what counts is whether it is there now.
        exists = look();
        if (!exists)
            return exists;
        if (!exists.value())
            return DbResult<bool>::failure(made ? DbError(QStringLiteral("startna.kategorija")) : made.error());
    }
    if (exists.value())
        m_ownTablesSeen.append(categoryColumnSeen());
    return exists;
}

bool Database::loggedColumnStored(const char* table, const char* column)
{
    if (qstrcmp(table, "startna") != 0 || qstrcmp(column, "kategorija") != 0)
        return true;
    const auto exists = competitorCategoryColumn(false);
    return exists && exists.value();
}
