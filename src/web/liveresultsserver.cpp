#include "web/liveresultsserver.h"

#include "core/texts_series.h"

#include "app/racesession.h"
#include "core/texts_live.h"

#include <QAbstractHttpServer>
#include <QDateTime>
#include <QHttpServerRequest>
#include <QHttpServerResponder>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>

#include <zlib.h>

#include <algorithm>

namespace live {

namespace {

// Every answer says: no script or style from elsewhere, no framing by
// another page, no guessing of the content type, no address passed on.
QByteArray securityPolicy()
{
    return QByteArrayLiteral("default-src 'none'; style-src 'unsafe-inline'; img-src 'self' data:; script-src 'sha256-") +
           scrollScriptHash() +
           QByteArrayLiteral("'; form-action 'self'; frame-ancestors 'none'; base-uri 'none'");
}

QByteArray reasonPhrase(int status)
{
    switch (status) {
    case 408:
        return QByteArrayLiteral("Request Timeout");
    case 413:
        return QByteArrayLiteral("Payload Too Large");
    case 503:
        return QByteArrayLiteral("Service Unavailable");
    default:
        return QByteArrayLiteral("Error");
    }
}

// The body in gzip form, as browsers accept it: a list of 20,000 runners
// shrinks from megabytes to a few hundred kilobytes for a phone on Wi-Fi.
// Empty when zlib fails.
QByteArray gzipped(const QByteArray& body)
{
    z_stream z{};
    if (deflateInit2(&z, 1, Z_DEFLATED, 15 + 16, 8, Z_DEFAULT_STRATEGY) != Z_OK)
        return {};
    QByteArray out(qsizetype(deflateBound(&z, uLong(body.size()))) + 32, Qt::Uninitialized);
    z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(body.constData()));
    z.avail_in = uInt(body.size());
    z.next_out = reinterpret_cast<Bytef*>(out.data());
    z.avail_out = uInt(out.size());
    const int done = deflate(&z, Z_FINISH);
    const qsizetype written = qsizetype(z.total_out);
    deflateEnd(&z);
    if (done != Z_STREAM_END)
        return {};
    out.truncate(written);
    return out;
}

} // namespace

// The listening socket, in front of Qt's HTTP server, which in 6.4 limits
// neither the size of a request, nor the time it takes, nor the number of
// connections. It counts what each connection sends before Qt's parser
// reads it (its readyRead handler is connected first), and turns away a
// connection over a limit itself: an answer, then the socket closed, its
// other handlers no longer called. Other connections are not touched.
class GuardedTcpServer : public QTcpServer {
public:
    GuardedTcpServer(LiveResultsServer& owner, QObject* parent)
        : QTcpServer(parent)
        , m_owner(owner)
    {
    }

    // Connections accepted and not yet gone.
    int openConnections() const { return m_open; }

    // A request was answered: the connection may send the next one while
    // idle no longer than twice the time for a request, or is closed. A
    // client that asked to close it (Connection: close, or HTTP/1.0 without
    // keep-alive) has it closed once the answer is sent.
    void answered(QTcpSocket* socket, const QHttpServerRequest& request)
    {
        const auto it = m_state.find(socket);
        if (it == m_state.end())
            return;
        it->pending = 0;
        it->answeredOnce = true;
        const QByteArray connection = request.value("Connection").toLower();
        if (connection.contains("close") || (it->http10 && !connection.contains("keep-alive"))) {
            it->deadline->stop();
            QObject::disconnect(socket, &QTcpSocket::readyRead, nullptr, nullptr);
            // After Qt's server is done with the request; the answer is sent first.
            QTimer::singleShot(0, socket, [socket] { socket->disconnectFromHost(); });
            return;
        }
        it->deadline->start(2 * m_owner.m_limits.requestTimeoutMs);
    }

protected:
    void incomingConnection(qintptr descriptor) override
    {
        auto* socket = new QTcpSocket(this);
        if (!socket->setSocketDescriptor(descriptor)) {
            delete socket;
            return;
        }
        // One client over its share: its oldest idle connection is closed,
        // else its oldest request still coming in is turned away, and the
        // newcomer is served: slow clients hold no more than their share.
        const QHostAddress peer = socket->peerAddress();
        if (countFrom(peer) >= m_owner.m_limits.maxPerClient)
            makeRoom(&peer);
        // All full: an idle connection makes room, or the newcomer is turned away.
        if (m_open >= m_owner.m_limits.maxConnections && !closeOldestIdle(nullptr)) {
            turnAway(socket, 503, tx::liveBusy());
            return;
        }
        ++m_open;
        auto* deadline = new QTimer(socket);
        deadline->setSingleShot(true);
        deadline->setInterval(m_owner.m_limits.requestTimeoutMs);
        m_state.insert(socket, {deadline, 0, false, false, peer, ++m_accepted});
        connect(socket, &QObject::destroyed, this, [this, socket] {
            m_state.remove(socket);
            --m_open;
        });
        connect(deadline, &QTimer::timeout, this, [this, socket] { expired(socket); });
        // Before Qt's parser, which connects when it takes the connection.
        connect(socket, &QTcpSocket::readyRead, this, [this, socket] { arrived(socket); });
        connect(socket, &QAbstractSocket::disconnected, socket, &QObject::deleteLater);
        deadline->start();
        addPendingConnection(socket);
    }

private:
    struct State {
        QTimer* deadline = nullptr;
        qint64 pending = 0; // bytes of the request not yet answered
        bool answeredOnce = false;
        bool http10 = false; // the last request began "... HTTP/1.0"
        QHostAddress peer;
        quint64 order = 0; // accepted as the order-th connection
    };

    int countFrom(const QHostAddress& peer) const
    {
        return int(std::count_if(m_state.cbegin(), m_state.cend(), [&](const State& s) { return s.peer == peer; }));
    }

    // The oldest connection (of peer, when given) that is idle, or with
    // idle false the oldest still sending its request.
    QTcpSocket* oldest(const QHostAddress* peer, bool idle) const
    {
        QTcpSocket* found = nullptr;
        quint64 order = 0;
        for (auto it = m_state.cbegin(); it != m_state.cend(); ++it) {
            const bool isIdle = it->answeredOnce && it->pending == 0;
            if ((peer && it->peer != *peer) || isIdle != idle || !it->deadline->isActive())
                continue;
            if (!found || it->order < order) {
                found = it.key();
                order = it->order;
            }
        }
        return found;
    }

    bool closeOldestIdle(const QHostAddress* peer)
    {
        QTcpSocket* idle = oldest(peer, true);
        if (!idle)
            return false;
        closeQuietly(idle);
        return true;
    }

    void makeRoom(const QHostAddress* peer)
    {
        if (closeOldestIdle(peer))
            return;
        if (QTcpSocket* slow = oldest(peer, false))
            turnAway(slow, 408, tx::liveTooSlow());
    }

    void closeQuietly(QTcpSocket* socket)
    {
        QObject::disconnect(socket, &QTcpSocket::readyRead, nullptr, nullptr);
        if (const auto it = m_state.find(socket); it != m_state.end())
            it->deadline->stop();
        socket->disconnectFromHost();
        forget(socket);
    }

    // Counted as gone at once: the room is for a newcomer.
    void forget(QTcpSocket* socket)
    {
        if (m_state.remove(socket)) {
            --m_open;
            QObject::disconnect(socket, &QObject::destroyed, this, nullptr);
        }
    }

    void arrived(QTcpSocket* socket)
    {
        const auto it = m_state.find(socket);
        if (it == m_state.end())
            return;
        // A new request: its line tells the version it speaks, and it has
        // the time for a request from now.
        if (it->pending == 0) {
            it->deadline->start(m_owner.m_limits.requestTimeoutMs);
            const QByteArray line = socket->peek(256);
            const qsizetype end = line.indexOf('\r');
            if (end > 0)
                it->http10 = line.left(end).endsWith("HTTP/1.0");
        }
        // Bytes not yet read by the parser: only those that came since it last read.
        it->pending += socket->bytesAvailable();
        if (it->pending > m_owner.m_limits.maxRequestBytes)
            turnAway(socket, 413, tx::liveTooLarge());
    }

    void expired(QTcpSocket* socket)
    {
        const auto it = m_state.find(socket);
        if (it == m_state.end())
            return;
        if (it->pending == 0 && it->answeredOnce) {
            // An idle connection kept open after its answers: closed quietly.
            closeQuietly(socket);
            return;
        }
        turnAway(socket, 408, tx::liveTooSlow());
    }

    void turnAway(QTcpSocket* socket, int status, const QString& text)
    {
        ++m_owner.m_refused;
        QObject::disconnect(socket, &QTcpSocket::readyRead, nullptr, nullptr);
        if (const auto it = m_state.find(socket); it != m_state.end())
            it->deadline->stop();
        forget(socket);
        socket->readAll();
        const QByteArray body = text.toUtf8() + '\n';
        socket->write("HTTP/1.1 " + QByteArray::number(status) + ' ' + reasonPhrase(status) +
                      "\r\nContent-Type: text/plain; charset=utf-8\r\nContent-Length: " +
                      QByteArray::number(body.size()) + "\r\nContent-Security-Policy: " + securityPolicy() +
                      "\r\nX-Content-Type-Options: nosniff\r\nX-Frame-Options: DENY\r\nReferrer-Policy: no-referrer"
                      "\r\nConnection: close\r\n\r\n" + body);
        connect(socket, &QAbstractSocket::disconnected, socket, &QObject::deleteLater, Qt::UniqueConnection);
        socket->disconnectFromHost();
        // A client that reads nothing does not keep it open.
        QTimer::singleShot(2000, socket, [socket] { socket->abort(); });
    }

    LiveResultsServer& m_owner;
    QHash<QTcpSocket*, State> m_state;
    int m_open = 0;
    quint64 m_accepted = 0;
};

// Qt's HTTP server: parses each request and hands it to the owner.
class HttpFront : public QAbstractHttpServer {
public:
    HttpFront(LiveResultsServer& owner, QObject* parent)
        : QAbstractHttpServer(parent)
        , m_owner(owner)
    {
    }
    GuardedTcpServer* tcp = nullptr;

protected:
    bool handleRequest(const QHttpServerRequest& request, QTcpSocket* socket) override
    {
        m_owner.answer(request, socket);
        if (tcp)
            tcp->answered(socket, request);
        return true;
    }
    void missingHandler(const QHttpServerRequest& request, QTcpSocket* socket) override
    {
        makeResponder(request, socket).write(QHttpServerResponder::StatusCode::NotFound);
    }

public:
    static QHttpServerResponder responder(const QHttpServerRequest& request, QTcpSocket* socket)
    {
        return makeResponder(request, socket);
    }

private:
    LiveResultsServer& m_owner;
};

} // namespace live

LiveResultsServer::LiveResultsServer(RaceSession& session, QObject* parent)
    : QObject(parent)
    , m_session(session)
{
    connect(&session, &RaceSession::listsChanged, this, &LiveResultsServer::listsChanged);
    connect(&session, &RaceSession::listsReloaded, this, &LiveResultsServer::listsChanged);
    connect(&session, &RaceSession::raceChanged, this, &LiveResultsServer::listsChanged);
}

LiveResultsServer::~LiveResultsServer()
{
    stop();
}

void LiveResultsServer::setPageOptions(const live::PageOptions& options)
{
    m_options = options;
    m_cache.clear();
}

int LiveResultsServer::openConnections() const
{
    return m_http && m_http->tcp ? m_http->tcp->openConnections() : 0;
}

bool LiveResultsServer::isRunning() const
{
    return m_http && m_http->tcp && m_http->tcp->isListening();
}

Outcome<quint16> LiveResultsServer::start(const QHostAddress& address, quint16 port)
{
    stop();
    auto* http = new live::HttpFront(*this, this);
    auto* tcp = new live::GuardedTcpServer(*this, http);
    if (!tcp->listen(address, port)) {
        const QString shown = address == QHostAddress::Any ? QStringLiteral("*") : address.toString();
        const QString message = tcp->serverError() == QAbstractSocket::AddressInUseError
                                    ? tx::livePortInUse(port)
                                : tcp->serverError() == QAbstractSocket::SocketAddressNotAvailableError
                                    ? tx::liveBadAddress(shown)
                                    : tx::liveCannotListen(shown, port, tcp->errorString());
        delete http;
        return Outcome<quint16>::refused(Field::None, message);
    }
    http->tcp = tcp;
    http->bind(tcp);
    m_http = http;
    m_address = address;
    m_port = tcp->serverPort();
    emit runningChanged(true);
    return Outcome<quint16>::done(m_port);
}

void LiveResultsServer::stop()
{
    if (!m_http)
        return;
    live::HttpFront* http = m_http;
    m_http.clear();
    if (http->tcp) {
        http->tcp->close();
        // Every open connection closed now; Qt's parser state of each goes with its socket.
        const auto sockets = http->tcp->findChildren<QTcpSocket*>(Qt::FindDirectChildrenOnly);
        for (QTcpSocket* socket : sockets) {
            QObject::disconnect(socket, &QTcpSocket::readyRead, nullptr, nullptr);
            socket->abort();
        }
    }
    // Later: stop() may be called from a handler of this very server.
    http->deleteLater();
    m_port = 0;
    emit runningChanged(false);
}

void LiveResultsServer::listsChanged()
{
    m_snapshot.reset();
    // Kept a while: a page that comes out the same keeps its compressed form.
    if (!m_cache.isEmpty())
        m_previous = std::move(m_cache);
    m_cache.clear();
}

const live::Snapshot& LiveResultsServer::snapshot()
{
    if (!m_snapshot) {
        m_snapshot = live::snapshotOf(m_session);
        for (const series::Definition& d : seriesList()) {
            if (d.races.contains(m_snapshot->raceId))
                m_snapshot->series.append({d.id, d.name});
        }
    }
    return *m_snapshot;
}

const QList<series::Definition>& LiveResultsServer::seriesList()
{
    const qint64 now = QDateTime::currentMSecsSinceEpoch();
    if (!m_session.hasRace() || (m_seriesRead != 0 && now - m_seriesRead < m_limits.seriesKeptMs))
        return m_series;
    if (!m_seasons)
        m_seasons = std::make_unique<SeriesSession>(m_session.database());
    m_seasons->setKeepFor(m_limits.seriesKeptMs);
    // A database that cannot be read now leaves the series as they were.
    if (const auto all = m_seasons->list(); all)
        m_series = all.value();
    m_seriesRead = now;
    return m_series;
}

std::optional<live::Page> LiveResultsServer::seriesPage(const QUrlQuery& query)
{
    bool ok = false;
    const qint64 id = query.queryItemValue(QStringLiteral("id")).toLongLong(&ok);
    const live::Snapshot& s = snapshot();
    if (!ok || !s.hasRace)
        return std::nullopt;
    for (const series::Definition& d : seriesList()) {
        if (d.id != id || !d.races.contains(s.raceId))
            continue;
        QHash<qint64, series::RaceEntries> given;
        given.insert(s.raceId, series::raceEntries(s.raceId, s.raceName, s.overall, s.rules.categories));
        const auto result = m_seasons->standings(d, given);
        if (!result) {
            return live::Page{503, QByteArrayLiteral("text/plain; charset=utf-8"),
                              tx::liveSeriesUnavailable().toUtf8() + '\n'};
        }
        const QList<series::Row>& rows = result.value().standings.rows;
        return live::Page{200, QByteArrayLiteral("text/html; charset=utf-8"),
                          live::seriesPage(s, m_options, d.name, result.value().raceNames, rows,
                                           series::prizeRows(rows, series::award(rows, d.rules.prizes)))};
    }
    return std::nullopt;
}

void LiveResultsServer::answer(const QHttpServerRequest& request, QTcpSocket* socket)
{
    using Code = QHttpServerResponder::StatusCode;
    ++m_answered;
    QHttpServerResponder responder = live::HttpFront::responder(request, socket);
    const QByteArray policy = live::securityPolicy();
    const auto commonHeaders = [&] {
        responder.writeHeader("Content-Security-Policy", policy);
        responder.writeHeader("X-Content-Type-Options", "nosniff");
        responder.writeHeader("X-Frame-Options", "DENY");
        responder.writeHeader("Referrer-Policy", "no-referrer");
    };
    const auto method = request.method();
    if (method != QHttpServerRequest::Method::Get && method != QHttpServerRequest::Method::Head) {
        const QByteArray body = tx::liveMethodRefused().toUtf8() + '\n';
        responder.writeStatusLine(Code::MethodNotAllowed);
        commonHeaders();
        responder.writeHeader("Allow", "GET, HEAD");
        responder.writeHeader("Content-Type", "text/plain; charset=utf-8");
        responder.writeHeader("Content-Length", QByteArray::number(body.size()));
        responder.writeBody(body);
        return;
    }
    const bool head = method == QHttpServerRequest::Method::Head;
    const QUrl url = request.url();
    const QString path = url.path(QUrl::FullyDecoded);
    const QUrlQuery query = live::queryOf(url);
    const QString key = path + QLatin1Char('?') + query.toString(QUrl::FullyEncoded);

    // The series, and the other races they count, change without this
    // race's lists changing: once the series were read long enough ago, the
    // pages (the home page's series links, /kup) are built anew from them
    // read again.
    if (m_seriesRead != 0 && QDateTime::currentMSecsSinceEpoch() - m_seriesRead >= m_limits.seriesKeptMs) {
        listsChanged();
        m_seriesRead = 0;
    }
    auto cached = m_cache.find(key);
    if (cached == m_cache.end()) {
        // A flood of different searches does not fill the memory.
        if (m_cache.size() >= 2000)
            m_cache.clear();
        const auto page = path == QLatin1String("/kup") ? seriesPage(query)
                                                        : live::build(path, query, snapshot(), m_options);
        const live::Page built = page ? *page
                                      : live::Page{404, QByteArrayLiteral("text/plain; charset=utf-8"),
                                                   tx::liveNotFound().toUtf8() + '\n'};
        const QByteArray etag = '"' + QByteArray::number(qHash(built.body, 0), 16) + '-' +
                                QByteArray::number(built.body.size(), 16) + '"';
        const auto before = m_previous.constFind(key);
        const QByteArray kept = before != m_previous.cend() && before->etag == etag && before->body == built.body
                                    ? before->gzipped
                                    : QByteArray();
        cached = m_cache.insert(key, {built.status, built.contentType, built.body, etag, kept});
    }
    Cached& page = *cached;
    // Large pages go compressed to browsers that take it, made once per page.
    const bool gzip = page.body.size() >= 1024 && request.value("Accept-Encoding").contains("gzip");
    if (gzip && page.gzipped.isEmpty())
        page.gzipped = live::gzipped(page.body);
    const bool compressed = gzip && !page.gzipped.isEmpty();
    // The compressed form is another representation: its own tag.
    const QByteArray etag = compressed ? page.etag.chopped(1) + "-gz\"" : page.etag;
    const QByteArray& body = compressed ? page.gzipped : page.body;
    const bool notModified = page.status == 200 && request.value("If-None-Match") == etag;
    responder.writeStatusLine(notModified ? Code::NotModified : Code(page.status));
    commonHeaders();
    responder.writeHeader("Cache-Control", "no-cache");
    responder.writeHeader("Vary", "Accept-Encoding");
    if (page.status == 200)
        responder.writeHeader("ETag", etag);
    if (notModified) {
        responder.writeBody(QByteArray());
    } else {
        responder.writeHeader("Content-Type", page.contentType);
        if (compressed)
            responder.writeHeader("Content-Encoding", "gzip");
        responder.writeHeader("Content-Length", QByteArray::number(body.size()));
        responder.writeBody(head ? QByteArray() : body);
    }
    if (page.status == 200) {
        ++m_pagesServed;
        emit pageServed(path, notModified ? 304 : 200);
    }
}
