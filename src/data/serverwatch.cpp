#include "data/serverwatch.h"

#include "data/stallguard.h"

#include <QElapsedTimer>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QUuid>
#include <QVariant>

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>

struct ServerWatch::State {
    DbLocation location;
    int intervalMs = 1000;
    std::mutex mutex;
    std::condition_variable wake;
    bool stop = false;
    bool done = false;
    // Guarded by mutex: the outcome of the last look and when the pending
    // one began (-1: none pending), on clock.
    QElapsedTimer clock;
    bool lastAnswered = true;
    qint64 pendingSince = -1;
    QString snapshot;
    // The holder's connection, cut when a look goes unanswered.
    int guardedSocket = -1;
    std::shared_ptr<std::atomic<bool>> guardedCut;
    int lookLimitMs = 1000;
};

namespace {

// One look: connects when there is no connection, asks for the snapshot,
// and drops a connection that failed so that the next look makes a new one.
bool lookOnce(ServerWatch::State& state, const QString& connection, QString& snapshot)
{
    QSqlDatabase db = QSqlDatabase::database(connection, false);
    if (!db.isOpen()) {
        db.setHostName(state.location.host);
        db.setPort(state.location.port);
        db.setUserName(state.location.user);
        db.setPassword(state.location.password);
        db.setDatabaseName(state.location.dbname);
        db.setConnectOptions(state.location.connectOptions());
        if (!db.open())
            return false;
    }
    QSqlQuery q(db);
    if (q.exec(QStringLiteral("select txid_current_snapshot()::text")) && q.next()) {
        snapshot = q.value(0).toString();
        return true;
    }
    q.finish();
    db.close();
    return false;
}

void run(const std::shared_ptr<ServerWatch::State>& state)
{
    const QString connection = QStringLiteral("kvr-watch-") + QUuid::createUuid().toString(QUuid::WithoutBraces);
    QSqlDatabase::addDatabase(QStringLiteral("QPSQL"), connection);
    std::unique_lock lock(state->mutex);
    while (!state->stop) {
        state->pendingSince = state->clock.elapsed();
        // Copies: the holder may change them, or be gone, while this look waits.
        const int holderSocket = state->guardedSocket;
        const std::shared_ptr<std::atomic<bool>> holderCut = state->guardedCut;
        const int limitMs = state->lookLimitMs;
        lock.unlock();
        QString snapshot;
        bool answered = false;
        {
            // A look left unanswered cuts both connections: the holder's
            // call returns, and this thread's next look connects anew.
            std::atomic<bool> ownCut{false};
            const StallGuard::Scope holder(holderCut ? holderSocket : -1, limitMs, holderCut.get());
            const StallGuard::Scope own(StallGuard::socketOf(QSqlDatabase::database(connection, false)), limitMs,
                                        &ownCut);
            answered = lookOnce(*state, connection, snapshot);
        }
        lock.lock();
        state->pendingSince = -1;
        state->lastAnswered = answered;
        if (answered)
            state->snapshot = snapshot;
        state->wake.wait_for(lock, std::chrono::milliseconds(state->intervalMs), [&] { return state->stop; });
    }
    lock.unlock();
    {
        QSqlDatabase db = QSqlDatabase::database(connection, false);
        db.close();
    }
    QSqlDatabase::removeDatabase(connection);
    lock.lock();
    state->done = true;
    state->wake.notify_all();
}

} // namespace

ServerWatch::ServerWatch(const DbLocation& location, int intervalMs)
    : m_state(std::make_shared<State>())
{
    m_state->location = location;
    m_state->intervalMs = intervalMs;
    // A stall starting just after a look is found by the next one: the two
    // together within two seconds, never less than one for a look.
    m_state->lookLimitMs = std::max(1000, 2000 - intervalMs);
    m_state->clock.start();
    std::thread(run, m_state).detach();
}

ServerWatch::~ServerWatch()
{
    std::unique_lock lock(m_state->mutex);
    m_state->stop = true;
    m_state->wake.notify_all();
    m_state->wake.wait_for(lock, std::chrono::seconds(2), [&] { return m_state->done; });
}

void ServerWatch::guard(int socket, std::shared_ptr<std::atomic<bool>> cut)
{
    std::lock_guard lock(m_state->mutex);
    m_state->guardedSocket = socket;
    m_state->guardedCut = std::move(cut);
}

int ServerWatch::lookLimitMs() const
{
    return m_state->lookLimitMs;
}

ServerWatch::Look ServerWatch::look() const
{
    std::lock_guard lock(m_state->mutex);
    Look look;
    const bool waitedTooLong =
        m_state->pendingSince >= 0 && m_state->clock.elapsed() - m_state->pendingSince > kStallMs;
    look.answering = m_state->lastAnswered && !waitedTooLong;
    look.snapshot = m_state->snapshot;
    return look;
}
