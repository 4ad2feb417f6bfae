#pragma once

#include <QString>
#include <utility>
#include <variant>

// The database's own error text, with the kind of failure the program
// explains in its own words before that text. It is the text itself, so
// everything that shows or compares error texts keeps working unchanged.
class DbError : public QString {
public:
    enum class Kind {
        Other,
        Busy,     // another program holds the file locked
        Full,     // the disk (or the file-size limit) is full
        ReadOnly, // the file or its folder cannot be written
        Duplicate, // the row would break a rule of uniqueness (one finish
                   // record per competitor, one competitor per start number)
        Gone,      // the row to change is no longer there (another station removed it)
        NoPassword, // the server asks for a password the connection was not given
        WrongPassword, // the server refuses the user name or password given
        Unreachable,   // the server does not answer, or the connection to it is gone
        Damaged,       // the file is no database, or a damaged one
        Deadlock,      // the server ended the transaction to break a deadlock
    };

    DbError() = default;
    DbError(QString text, Kind kind = Kind::Other) // NOLINT: a plain text is an error of no known kind
        : QString(std::move(text))
        , m_kind(kind)
    {
    }

    // The database driver's own words, never shown to the user: they were
    // written to logFile, and the user is told the cause in a sentence of
    // the program's own (tx::dbErrorExplained).
    static DbError fromDriver(QString text, Kind kind, QString logFile)
    {
        DbError error(std::move(text), kind);
        error.m_driver = true;
        error.m_logFile = std::move(logFile);
        return error;
    }
    bool isDriverText() const { return m_driver; }
    const QString& logFile() const { return m_logFile; }

    // The kind of an SQLite result code; extended codes carry the primary
    // code in their low byte.
    static Kind kindOfSqliteCode(int code)
    {
        switch (code & 0xff) {
        case 5: // SQLITE_BUSY
        case 6: // SQLITE_LOCKED
            return Kind::Busy;
        case 13: // SQLITE_FULL
            return Kind::Full;
        case 8: // SQLITE_READONLY
            return Kind::ReadOnly;
        case 11: // SQLITE_CORRUPT
        case 26: // SQLITE_NOTADB
            return Kind::Damaged;
        case 19: // SQLITE_CONSTRAINT: only a unique index's refusal is a duplicate
            return code == 2067 || code == 1555 ? Kind::Duplicate : Kind::Other;
        default:
            return Kind::Other;
        }
    }

    // The kind of a PostgreSQL SQLSTATE.
    static Kind kindOfSqlState(const QString& state)
    {
        if (state == QLatin1String("23505")) // unique_violation
            return Kind::Duplicate;
        if (state == QLatin1String("23503")) // foreign_key_violation: the runner was removed meanwhile
            return Kind::Gone;
        if (state == QLatin1String("53100")) // disk_full
            return Kind::Full;
        if (state == QLatin1String("25006")) // read_only_sql_transaction
            return Kind::ReadOnly;
        if (state == QLatin1String("40P01"))
            return Kind::Deadlock;
        if (state == QLatin1String("55P03") || state == QLatin1String("40001"))
            return Kind::Busy; // lock not available, serialization failure
        if (state == QLatin1String("28P01") || state == QLatin1String("28000"))
            return Kind::WrongPassword; // invalid password, invalid authorization
        if (state.startsWith(QLatin1String("08")) || state == QLatin1String("57014")
            || state.startsWith(QLatin1String("57P")))
            return Kind::Unreachable; // connection failures, a statement cut by its timeout, a server shut down
        return Kind::Other;
    }

    Kind kind() const { return m_kind; }
    bool isBusy() const { return m_kind == Kind::Busy || m_kind == Kind::Deadlock; }
    bool isDuplicate() const { return m_kind == Kind::Duplicate; }
    bool isGone() const { return m_kind == Kind::Gone; }
    bool isPasswordMissing() const { return m_kind == Kind::NoPassword; }
    bool isPasswordWrong() const { return m_kind == Kind::WrongPassword; }

private:
    Kind m_kind = Kind::Other;
    bool m_driver = false;
    QString m_logFile;
};

// The outcome of a database call: a value, or the database's own error text.
template <typename T>
class DbResult {
public:
    static DbResult success(T value = T{})
    {
        DbResult r;
        r.m_ok = true;
        r.m_value = std::move(value);
        return r;
    }
    static DbResult failure(DbError error)
    {
        DbResult r;
        r.m_error = std::move(error);
        return r;
    }

    bool ok() const { return m_ok; }
    explicit operator bool() const { return m_ok; }
    const T& value() const { return m_value; }
    T& value() { return m_value; }
    const DbError& error() const { return m_error; }

private:
    bool m_ok = false;
    T m_value{};
    DbError m_error;
};

using DbStatus = DbResult<std::monostate>;
