// The serve command: the live results server without a window.

#include "cli/cmd_serve.h"

#include "app/racesession.h"
#include "core/clitexts.h"
#include "core/texts_live.h"
#include "web/liveaddress.h"
#include "web/liveresultsserver.h"

#include <QEventLoop>
#include <QSocketNotifier>
#include <QTextStream>
#include <csignal>
#include <sys/socket.h>
#include <unistd.h>

namespace cli {

namespace {

// A signal only writes a byte to this pair; the event loop reads it and
// stops, so that nothing but the write runs inside the signal handler.
int g_signalPipe[2] = {-1, -1};

void onSignal(int)
{
    const char byte = 1;
    [[maybe_unused]] const auto written = ::write(g_signalPipe[0], &byte, 1);
}

// An integer within the bounds, or nothing.
std::optional<int> boundedNumber(const QString& text, int low, int high)
{
    bool ok = false;
    const int value = text.trimmed().toInt(&ok);
    return ok && value >= low && value <= high ? std::optional<int>(value) : std::nullopt;
}

} // namespace

int serveRace(RaceSession& session, const QString& addressText, const QString& portText, const QString& refreshText,
              QTextStream& out, QTextStream& err)
{
    const auto port = portText.isEmpty() ? std::optional<int>(live::kDefaultPort) : boundedNumber(portText, 1, 65535);
    if (!port) {
        err << tx::cliBadValue(QStringLiteral("--port"), portText) << Qt::endl;
        return 2;
    }
    const auto refresh = refreshText.isEmpty() ? std::optional<int>(20) : boundedNumber(refreshText, 1, 3600);
    if (!refresh) {
        err << tx::cliBadValue(QStringLiteral("--refresh"), refreshText) << Qt::endl;
        return 2;
    }
    const auto address = live::listenAddress(addressText);
    if (!address) {
        err << tx::cliBadValue(QStringLiteral("--address"), addressText) << Qt::endl;
        return 2;
    }

    LiveResultsServer server(session);
    server.setPageOptions({*refresh});
    const auto started = server.start(*address, quint16(*port));
    if (!started) {
        err << started.refusal().message << Qt::endl;
        return 1;
    }
    // Other stations' changes reach the pages as they reach a window.
    session.watch();
    for (const QString& url : live::addressesToOpen(*address, started.value()))
        out << tx::cliServing(url) << Qt::endl;

    if (::socketpair(AF_UNIX, SOCK_STREAM, 0, g_signalPipe) != 0) {
        err << tx::liveCannotListen(addressText, *port, QString::fromLocal8Bit(std::strerror(errno))) << Qt::endl;
        return 1;
    }
    QEventLoop loop;
    QSocketNotifier notifier(g_signalPipe[1], QSocketNotifier::Read);
    QObject::connect(&notifier, &QSocketNotifier::activated, &loop, &QEventLoop::quit);
    struct sigaction action = {};
    action.sa_handler = onSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    struct sigaction oldInt = {};
    struct sigaction oldTerm = {};
    sigaction(SIGINT, &action, &oldInt);
    sigaction(SIGTERM, &action, &oldTerm);
    loop.exec();
    sigaction(SIGINT, &oldInt, nullptr);
    sigaction(SIGTERM, &oldTerm, nullptr);
    notifier.setEnabled(false);
    ::close(g_signalPipe[0]);
    ::close(g_signalPipe[1]);
    g_signalPipe[0] = g_signalPipe[1] = -1;

    server.stop();
    out << tx::cliServeStopped() << Qt::endl;
    return 0;
}

} // namespace cli
