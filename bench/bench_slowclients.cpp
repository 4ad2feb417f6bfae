// The live results under slow clients: SLOW connections from the loopback
// address each send half a request and then one byte of a header now and
// then, never finishing it, and connect again whenever the server closes
// them; meanwhile a normal client asks for the standings every 100 ms
// (HTTP/1.0: the answer ends with the connection). Reported: the normal
// requests answered within 1 s, the latencies, and how many slow
// connections the server held at the end.
//
//   bench_slowclients [SLOW [SECONDS]]   (default 500 slow, 25 s)

#include "app/racesession.h"
#include "data/database.h"
#include "web/liveresultsserver.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QTimer>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <thread>
#include <vector>

namespace {

int connectTo(quint16 port)
{
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in to{};
    to.sin_family = AF_INET;
    to.sin_port = htons(port);
    to.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (fd >= 0 && ::connect(fd, reinterpret_cast<sockaddr*>(&to), sizeof to) != 0) {
        ::close(fd);
        return -1;
    }
    return fd;
}

bool sendAll(int fd, const char* text)
{
    return ::send(fd, text, std::strlen(text), MSG_NOSIGNAL) == ssize_t(std::strlen(text));
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const int slowCount = argc > 1 ? std::atoi(argv[1]) : 500;
    const int seconds = argc > 2 ? std::atoi(argv[2]) : 25;

    QTemporaryDir dir;
    RaceSession session(dir.filePath(QStringLiteral("kvr.mdb")));
    if (!session.database().open() ||
        !session.createRace(QStringLiteral("Utrka"), QStringLiteral("AK"), QStringLiteral("1.6.2010")))
        qFatal("race not made");
    for (int i = 1; i <= 200; ++i)
        session.addCompetitor({QStringLiteral("Trkač %1").arg(i), QString::number(i), QStringLiteral("HRV"),
                               QStringLiteral("AK"), i % 2 ? QStringLiteral("M") : QStringLiteral("Ž"),
                               QStringLiteral("1.2.1980")});
    LiveResultsServer server(session);
    const auto started = server.start(QHostAddress::LocalHost, 0);
    if (!started)
        qFatal("server not started");
    const quint16 port = started.value();

    std::atomic<bool> done = false;
    std::atomic<int> slowHeld = 0;
    std::atomic<int> reconnects = 0;
    std::atomic<bool> slowEnded = false;
    std::thread slow([&] {
        std::vector<int> fds(size_t(slowCount), -1);
        while (!done) {
            int held = 0;
            for (int& fd : fds) {
                // One byte of a header that never ends; a closed one connects again.
                if (fd >= 0 && !sendAll(fd, "X")) {
                    ::close(fd);
                    fd = -1;
                }
                if (fd < 0) {
                    fd = connectTo(port);
                    if (fd >= 0 && !sendAll(fd, "GET / HTTP/1.1\r\nHost: x\r\n")) {
                        ::close(fd);
                        fd = -1;
                    }
                    ++reconnects;
                }
                held += fd >= 0;
            }
            slowHeld = held;
            for (int i = 0; i < 10 && !done; ++i)
                std::this_thread::sleep_for(std::chrono::milliseconds(100));
        }
        for (const int fd : fds)
            if (fd >= 0)
                ::close(fd);
        slowEnded = true;
    });

    std::vector<double> latencies;
    std::atomic<int> asked = 0;
    std::thread normal([&] {
        std::this_thread::sleep_for(std::chrono::seconds(2)); // the slow ones are in
        QElapsedTimer total;
        total.start();
        while (total.elapsed() < qint64(seconds) * 1000) {
            QElapsedTimer t;
            t.start();
            ++asked;
            const int fd = connectTo(port);
            bool answered = false;
            if (fd >= 0 && sendAll(fd, "GET /poredak HTTP/1.0\r\nHost: x\r\n\r\n")) {
                timeval limit{1, 0};
                ::setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &limit, sizeof limit);
                char buffer[65536];
                std::string got;
                ssize_t n = 0;
                while ((n = ::recv(fd, buffer, sizeof buffer, 0)) > 0)
                    got.append(buffer, size_t(n));
                answered = n == 0 && got.rfind("HTTP/1.1 200", 0) == 0;
            }
            if (fd >= 0)
                ::close(fd);
            if (answered)
                latencies.push_back(t.nsecsElapsed() / 1e6);
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
        }
        done = true;
    });

    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        // The server answers until the slow clients are gone: a connect of
        // theirs waits for it.
        if (done && slowEnded)
            QCoreApplication::quit();
    });
    poll.start(50);
    QCoreApplication::exec();
    normal.join();
    slow.join();

    std::sort(latencies.begin(), latencies.end());
    const auto at = [&](double q) { return latencies.empty() ? 0.0 : latencies.at(size_t(q * double(latencies.size() - 1))); };
    const int within = int(std::count_if(latencies.cbegin(), latencies.cend(), [](double ms) { return ms < 1000; }));
    std::printf("%d slow clients, %d s: normal requests answered within 1 s %d of %d; latency p50 %.1f ms, p99 %.1f ms, "
                "max %.1f ms; slow connections held at the end %d (reconnects %d), server refused %d\n",
                slowCount, seconds, within, int(asked), at(0.5), at(0.99), latencies.empty() ? 0.0 : latencies.back(),
                int(slowHeld), int(reconnects), server.refused());
    return within == asked ? 0 : 1;
}
