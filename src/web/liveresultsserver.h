#pragma once

// A small read-only web server of the current race's results for the local
// network: phones and a big screen follow the race. It serves only the pages
// of livepages.h, built from the session's lists after each change and kept
// as bytes, so that no request of the race's pages reaches the database and
// no file of the disk is ever served. A series' page adds the series' other
// races, read at most once a minute.

#include "app/seriessession.h"
#include "core/outcome.h"
#include "web/livepages.h"

#include <QHash>
#include <QHostAddress>
#include <QObject>
#include <QPointer>
#include <memory>

class RaceSession;
class QHttpServerRequest;
class QTcpSocket;

namespace live {
class GuardedTcpServer;
class HttpFront;
} // namespace live

class LiveResultsServer : public QObject {
    Q_OBJECT

public:
    // What the server allows a client before it is turned away; the other
    // clients are served on.
    struct Limits {
        qint64 maxRequestBytes = 8 * 1024; // request line and headers (and any body)
        int requestTimeoutMs = 5'000;      // for a whole request; twice that for an idle open connection
        int maxConnections = 500;          // open at once
        int maxPerClient = 32;             // open at once from one address
        // The series and their other races are read again at most this often.
        qint64 seriesKeptMs = 60'000;
    };

    explicit LiveResultsServer(RaceSession& session, QObject* parent = nullptr);
    ~LiveResultsServer() override;

    // Listens on the address (QHostAddress::Any: every address of the
    // computer) and port (0: any free one); the port listened on, or a
    // Croatian refusal naming the port. A running server is stopped first.
    Outcome<quint16> start(const QHostAddress& address, quint16 port);
    // Closes every connection and stops listening; nothing when not running.
    void stop();
    bool isRunning() const;
    quint16 port() const { return m_port; }
    QHostAddress address() const { return m_address; }

    void setLimits(const Limits& limits) { m_limits = limits; }
    const Limits& limits() const { return m_limits; }
    void setPageOptions(const live::PageOptions& options);
    const live::PageOptions& pageOptions() const { return m_options; }

    // Answers given since the server was made, pages among them (200 and 304).
    int answered() const { return m_answered; }
    int pagesServed() const { return m_pagesServed; }
    // Connections turned away: too large, too slow, too many.
    int refused() const { return m_refused; }
    int openConnections() const;

signals:
    // A page was answered (status 200 or 304); path without the query.
    void pageServed(const QString& path, int status);
    void runningChanged(bool running);

private:
    friend class live::HttpFront;
    friend class live::GuardedTcpServer;

    // The pages of the session's lists now: read at the first request after a change.
    void listsChanged();
    const live::Snapshot& snapshot();
    // /kup?id=: a series the race belongs to, the race's entries from the
    // snapshot, the other races' read at most once a minute.
    std::optional<live::Page> seriesPage(const QUrlQuery& query);
    // The series of the database, read at most once a minute.
    const QList<series::Definition>& seriesList();
    void answer(const QHttpServerRequest& request, QTcpSocket* socket);

    struct Cached {
        int status = 200;
        QByteArray contentType;
        QByteArray body;
        QByteArray etag;
        QByteArray gzipped; // made at the first request that accepts it
    };

    RaceSession& m_session;
    std::unique_ptr<SeriesSession> m_seasons;
    QList<series::Definition> m_series;
    qint64 m_seriesRead = 0; // when m_series was read, ms since the epoch
    Limits m_limits;
    live::PageOptions m_options;
    QPointer<live::HttpFront> m_http;
    QHostAddress m_address;
    quint16 m_port = 0;
    std::optional<live::Snapshot> m_snapshot;
    QHash<QString, Cached> m_cache;
    QHash<QString, Cached> m_previous; // the pages before the last change
    int m_answered = 0;
    int m_pagesServed = 0;
    int m_refused = 0;
};
