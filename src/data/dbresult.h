#pragma once

#include <QString>
#include <utility>
#include <variant>

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
    static DbResult failure(QString error)
    {
        DbResult r;
        r.m_error = std::move(error);
        return r;
    }

    bool ok() const { return m_ok; }
    explicit operator bool() const { return m_ok; }
    const T& value() const { return m_value; }
    T& value() { return m_value; }
    const QString& error() const { return m_error; }

private:
    bool m_ok = false;
    T m_value{};
    QString m_error;
};

using DbStatus = DbResult<std::monostate>;
