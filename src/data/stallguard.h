#pragma once

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <map>
#include <mutex>
#include <thread>

class QSqlDatabase;

// Cuts a connection to a server that stops answering. A call into the
// database driver waits on the server's socket for as long as the server
// keeps it open: a stalled server would hold the caller (the window) for
// good. Before each call the caller arms the guard with the socket and a
// limit; if the call has not returned by then, the guard shuts the socket
// down from its own thread, the driver's wait ends with a failure, and the
// caller finds `cut` set: the connection is gone and is made again later.
class StallGuard {
public:
    static StallGuard& instance();
    ~StallGuard();

    // A token for disarm(); 0 (nothing armed) for a socket below 0.
    std::uint64_t arm(int socket, int limitMs, std::atomic<bool>* cut);
    void disarm(std::uint64_t token);
    // Disarms everything armed with cut: its connection is closed (its
    // socket number may soon be another's).
    void forget(const std::atomic<bool>* cut);

    // The socket of a PostgreSQL connection Qt's driver holds; -1 for any
    // other connection or none.
    static int socketOf(const QSqlDatabase& db);

    // Armed for the life of the object.
    class Scope {
    public:
        // Nothing (and no guard thread) for a file's connection, which has no socket.
        Scope(int socket, int limitMs, std::atomic<bool>* cut)
            : m_token(socket < 0 ? 0 : StallGuard::instance().arm(socket, limitMs, cut))
        {
        }
        ~Scope()
        {
            if (m_token)
                StallGuard::instance().disarm(m_token);
        }
        Scope(const Scope&) = delete;
        Scope& operator=(const Scope&) = delete;

    private:
        std::uint64_t m_token;
    };

private:
    StallGuard();
    void watch();

    struct Armed {
        int socket;
        std::chrono::steady_clock::time_point deadline;
        std::atomic<bool>* cut;
    };
    std::mutex m_mutex;
    std::condition_variable m_wake;
    std::map<std::uint64_t, Armed> m_armed;
    std::uint64_t m_next = 1;
    bool m_stop = false;
    std::thread m_thread;
};
