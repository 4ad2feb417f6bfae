#include "data/stallguard.h"

#include <QSqlDatabase>
#include <QSqlDriver>
#include <QVariant>

#include <libpq-fe.h>
#include <sys/socket.h>

StallGuard& StallGuard::instance()
{
    static StallGuard guard;
    return guard;
}

StallGuard::StallGuard()
    : m_thread([this] { watch(); })
{
}

StallGuard::~StallGuard()
{
    {
        const std::lock_guard lock(m_mutex);
        m_stop = true;
    }
    m_wake.notify_all();
    m_thread.join();
}

std::uint64_t StallGuard::arm(int socket, int limitMs, std::atomic<bool>* cut)
{
    if (socket < 0)
        return 0;
    std::uint64_t token = 0;
    {
        const std::lock_guard lock(m_mutex);
        token = m_next++;
        m_armed.emplace(token, Armed{socket, std::chrono::steady_clock::now() + std::chrono::milliseconds(limitMs), cut});
    }
    m_wake.notify_all();
    return token;
}

void StallGuard::disarm(std::uint64_t token)
{
    if (token == 0)
        return;
    // Under the lock: once disarmed, the socket is never shut down by a
    // guard that fires late (the caller may close it and its number be reused).
    const std::lock_guard lock(m_mutex);
    m_armed.erase(token);
}

void StallGuard::forget(const std::atomic<bool>* cut)
{
    const std::lock_guard lock(m_mutex);
    std::erase_if(m_armed, [cut](const auto& armed) { return armed.second.cut == cut; });
}

int StallGuard::socketOf(const QSqlDatabase& db)
{
    if (!db.isOpen() || !db.driver())
        return -1;
    const QVariant handle = db.driver()->handle();
    // Qt names the type after libpq's struct, PGconn being its typedef.
    if (!handle.isValid()
        || (qstrcmp(handle.typeName(), "PGconn*") != 0 && qstrcmp(handle.typeName(), "pg_conn*") != 0))
        return -1;
    PGconn* const conn = *static_cast<PGconn* const*>(handle.constData());
    return conn ? PQsocket(conn) : -1;
}

void StallGuard::watch()
{
    std::unique_lock lock(m_mutex);
    while (!m_stop) {
        if (m_armed.empty()) {
            m_wake.wait(lock);
            continue;
        }
        auto first = m_armed.begin();
        for (auto it = m_armed.begin(); it != m_armed.end(); ++it)
            if (it->second.deadline < first->second.deadline)
                first = it;
        if (std::chrono::steady_clock::now() < first->second.deadline) {
            m_wake.wait_until(lock, first->second.deadline);
            continue;
        }
        first->second.cut->store(true);
        ::shutdown(first->second.socket, SHUT_RDWR);
        m_armed.erase(first);
    }
}
