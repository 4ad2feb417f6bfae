#pragma once

#include "data/dblocation.h"

#include <QString>
#include <atomic>
#include <memory>

// A look at a PostgreSQL server that never holds up the thread that asks:
// a thread of its own with a connection of its own asks the server, every
// interval, for its snapshot of transactions. The window's thread only reads
// what the last look found, so a network that stops answering (packets
// dropped, a server frozen) is noticed without waiting on it, and the
// window's connection is asked only when the server has just answered.
class ServerWatch {
public:
    // How long a look may go unanswered before the server counts as not
    // answering.
    static constexpr int kStallMs = 5000;

    ServerWatch(const DbLocation& location, int intervalMs);
    // Waits briefly for the thread; one caught in a stall is left to end by
    // itself.
    ~ServerWatch();
    ServerWatch(const ServerWatch&) = delete;
    ServerWatch& operator=(const ServerWatch&) = delete;

    struct Look {
        // The last look was answered, and none has been waiting longer than
        // kStallMs since.
        bool answering = true;
        // The server's snapshot at the last answered look: it changes
        // whenever a transaction anywhere ended.
        QString snapshot;
    };
    Look look() const;

    // The socket of the holder's own connection to the server, and the flag
    // set when it is cut: a look unanswered for lookLimitMs() means the
    // server stalls, and the holder's call waiting on it is cut short (see
    // StallGuard) rather than wait for the stall's end. -1: none.
    void guard(int socket, std::shared_ptr<std::atomic<bool>> cut);
    // Two seconds from the start of a stall at most, looks included.
    int lookLimitMs() const;

    struct State;

private:
    std::shared_ptr<State> m_state;
};
