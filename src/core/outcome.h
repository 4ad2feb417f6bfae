#pragma once

#include "core/dbresult.h"

#include <QString>
#include <utility>
#include <variant>

// The entry field a refusal is about, so that the window can select its
// text and give it the focus. None: the refusal names no single field.
enum class Field {
    None,
    Name,
    StartNumber,
    Country,
    Club,
    Sex,
    BirthDate,
    FinishStartNumber,
    FinishTime,
    RaceName,
    RaceOrganiser,
    RaceDate,
};

// An entry the rules do not take: the field at fault and the message.
struct Refusal {
    Field field = Field::None;
    QString message;
};

// The outcome of a use case: its value, a refusal of the input, or the
// database's own error (text and kind) when a read or a store failed.
template <typename T = std::monostate>
class Outcome {
public:
    enum class Kind { Done, Refused, DbFailed };

    static Outcome done(T value = T{}) { return Outcome(Kind::Done, std::move(value), {}, {}); }
    static Outcome refused(Field field, QString message)
    {
        return Outcome(Kind::Refused, T{}, Refusal{field, std::move(message)}, {});
    }
    static Outcome refused(Refusal refusal) { return Outcome(Kind::Refused, T{}, std::move(refusal), {}); }
    static Outcome dbFailed(DbError error) { return Outcome(Kind::DbFailed, T{}, {}, std::move(error)); }

    Kind kind() const { return m_kind; }
    bool ok() const { return m_kind == Kind::Done; }
    explicit operator bool() const { return ok(); }
    const T& value() const { return m_value; }
    const Refusal& refusal() const { return m_refusal; }
    const DbError& dbError() const { return m_dbError; }

    // The same failure carried by an outcome of another type.
    template <typename U>
    Outcome<U> failure() const
    {
        return m_kind == Kind::Refused ? Outcome<U>::refused(m_refusal) : Outcome<U>::dbFailed(m_dbError);
    }

private:
    Outcome(Kind kind, T value, Refusal refusal, DbError dbError)
        : m_kind(kind)
        , m_value(std::move(value))
        , m_refusal(std::move(refusal))
        , m_dbError(std::move(dbError))
    {
    }

    Kind m_kind;
    T m_value;
    Refusal m_refusal;
    DbError m_dbError;
};

using Status = Outcome<>;
