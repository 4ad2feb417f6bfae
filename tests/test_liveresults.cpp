// The live results server: what it answers to every kind of request, that
// the pages show what the window builds, the search, and a real browser.

#include "app/racesession.h"
#include "app/seriessession.h"
#include "core/lists.h"
#include "core/runstates.h"
#include "core/texts.h"
#include "core/texts_live.h"
#include "core/texts_rules.h"
#include "testutil.h"
#include "web/livepages.h"
#include "web/liveresultsserver.h"
#include "ui/frmuzivo.h"
#include "web/qrcode.h"

#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QSettings>
#include <QSpinBox>
#include <QTcpServer>

#include <QJsonArray>
#include <QTemporaryDir>
#include <memory>
#include <vector>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QStandardPaths>
#include <QTcpSocket>
#include <QtTest>

using testutil::TempDb;

namespace {

const QString kScript = QStringLiteral("<script>alert(1)</script>");

// A race of ten entries: eight finishers (one of them disqualified, so that
// seven are ranked), one at the start only, one registered without a number.
struct LiveRace {
    TempDb tmp;
    RaceSession session{tmp.path()};
    LiveResultsServer server{session};
    quint16 port = 0;

    explicit LiveRace(const LiveResultsServer::Limits& limits = {})
    {
        QVERIFY(session.database().open());
        QVERIFY(session.createRace(QStringLiteral("Splitski polumaraton"), QStringLiteral("AK Kelvora"),
                                   QStringLiteral("12.10.2025")));
        add(QStringLiteral("Ivana Šimić"), QStringLiteral("7"), QStringLiteral("Ž"), QStringLiteral("01.02.1990"),
            QStringLiteral("AK Split"));
        add(QStringLiteral("Željko Đorđević"), QStringLiteral("17"), QStringLiteral("M"), QStringLiteral("03.04.1985"),
            QStringLiteral("AK Čakovec"));
        add(kScript, QStringLiteral("3"), QStringLiteral("M"), QStringLiteral("03.04.1984"), QStringLiteral("AK <b>"));
        add(QStringLiteral("Marko Marić"), QStringLiteral("4"), QStringLiteral("M"), QStringLiteral("05.06.1986"),
            QStringLiteral("AK Zadar"));
        add(QStringLiteral("Ana Anić"), QStringLiteral("5"), QStringLiteral("Ž"), QStringLiteral("05.06.1991"),
            QStringLiteral("AK Split"));
        add(QStringLiteral("Petra Perić"), QStringLiteral("6"), QStringLiteral("Ž"), QStringLiteral("05.06.1992"),
            QStringLiteral("AK Osijek"));
        add(QStringLiteral("Nino Ninić"), QString(), QStringLiteral("M"), QStringLiteral("05.06.1970"),
            QStringLiteral("AK Pula"));
        add(QStringLiteral("Lucija Lukić"), QStringLiteral("8"), QStringLiteral("Ž"), QStringLiteral("01.01.1988"),
            QStringLiteral("AK Rijeka"));
        add(QStringLiteral("Tomo Tomić"), QStringLiteral("9"), QStringLiteral("M"), QStringLiteral("01.01.1987"),
            QStringLiteral("AK Rijeka"));
        add(QStringLiteral("Iva Ivić"), QStringLiteral("10"), QStringLiteral("Ž"), QStringLiteral("01.01.1990"),
            QStringLiteral("AK Rijeka"));
        for (const auto& [number, time] : {std::pair{"17", "01:20:00"}, {"7", "01:21:30"}, {"3", "01:22:10"},
                                           {"4", "01:22:40"}, {"5", "01:40:00"}, {"8", "01:41:00"},
                                           {"9", "01:42:00"}, {"10", "01:43:00"}})
            QVERIFY(session.enterFinish(QLatin1String(number), QLatin1String(time)));
        QVERIFY(session.setRunState(session.finishList().at(3).idtakmicara, RunState::Dsq, QStringLiteral("skratio")));
        server.setLimits(limits);
        const auto started = server.start(QHostAddress::LocalHost, 0);
        QVERIFY(started);
        port = started.value();
    }
    void add(const QString& name, const QString& number, const QString& sex, const QString& born, const QString& club)
    {
        QVERIFY(session.addCompetitor({name, number, QStringLiteral("HRV"), club, sex, born}));
    }
};

// One exchange on a connection of its own: the request sent at once, the
// answer read until the server closes or the answer is whole.
struct Answer {
    int status = 0;
    QByteArray head;
    QByteArray body;
    QByteArray header(const QByteArray& name) const
    {
        for (const QByteArray& line : head.split('\n')) {
            if (line.toLower().startsWith(name.toLower() + ':'))
                return line.mid(name.size() + 1).trimmed();
        }
        return {};
    }
};

Answer parseAnswer(const QByteArray& raw)
{
    Answer a;
    const qsizetype end = raw.indexOf("\r\n\r\n");
    a.head = end < 0 ? raw : raw.left(end);
    a.body = end < 0 ? QByteArray() : raw.mid(end + 4);
    const QList<QByteArray> first = a.head.left(a.head.indexOf('\r')).split(' ');
    a.status = first.size() > 1 ? first.at(1).toInt() : 0;
    return a;
}

bool complete(const QByteArray& raw, bool head)
{
    const Answer a = parseAnswer(raw);
    if (a.status == 0 || !raw.contains("\r\n\r\n"))
        return false;
    if (head || a.status == 304)
        return true;
    return a.body.size() >= a.header("Content-Length").toLongLong();
}

Answer exchange(quint16 port, const QByteArray& request, int waitMs = 5000)
{
    QTcpSocket socket;
    socket.connectToHost(QHostAddress::LocalHost, port);
    if (!socket.waitForConnected(2000))
        return {};
    // "{pause}" splits the request into pieces sent apart, as a slow network does.
    const QList<QByteArray> pieces = request.split('{');
    for (const QByteArray& piece : pieces) {
        socket.write(piece.startsWith("pause}") ? piece.mid(6) : piece);
        socket.flush();
        if (pieces.size() > 1)
            QTest::qWait(30);
    }
    QByteArray raw;
    const bool head = request.startsWith("HEAD");
    (void)QTest::qWaitFor(
        [&] {
            raw += socket.readAll();
            return complete(raw, head) || socket.state() == QAbstractSocket::UnconnectedState;
        },
        waitMs);
    raw += socket.readAll();
    return parseAnswer(raw);
}

QByteArray get(const QByteArray& target, const QByteArray& extra = {})
{
    return "GET " + target + " HTTP/1.1\r\nHost: localhost\r\n" + extra + "\r\n";
}

QList<QJsonObject> jsonRows(const Answer& a)
{
    QList<QJsonObject> rows;
    for (const QJsonValue& v : QJsonDocument::fromJson(a.body).object().value(QStringLiteral("poredak")).toArray())
        rows.append(v.toObject());
    return rows;
}

} // namespace

class TestLiveResults : public QObject {
    Q_OBJECT

    // The race the cases that change nothing share, with a short time limit.
    std::unique_ptr<LiveRace> m_shared;

private slots:
    void initTestCase() { m_shared = std::make_unique<LiveRace>(LiveResultsServer::Limits{8 * 1024, 400, 500}); }
    void cleanupTestCase() { m_shared.reset(); }

    // A series made while the race's lists stay as they are: served, and
    // linked from the home page, once the series are read again.
    void seriesReadAgain()
    {
        LiveResultsServer::Limits limits;
        limits.seriesKeptMs = 0;
        LiveRace race(limits);
        QCOMPARE(exchange(race.port, get("/kup?id=1")).status, 404);
        series::Definition season;
        season.name = QStringLiteral("Proljetni kup");
        season.races = {race.session.race().id};
        SeriesSession seasons(race.session.database());
        QCOMPARE(seasons.store(season).value(), 1);
        QCOMPARE(exchange(race.port, get("/kup?id=1")).status, 200);
        QVERIFY(exchange(race.port, get("/")).body.contains("/kup?id=1"));
    }

    // Every kind of request, on a server with a short time limit; {etag} is
    // the home page's tag as first served.
    void requests_data()
    {
        QTest::addColumn<QByteArray>("request");
        QTest::addColumn<int>("status");
        QTest::addColumn<QByteArray>("present");
        QTest::addColumn<QByteArray>("absent");
        const QByteArray big(9000, 'a');
        QTest::newRow("home") << get("/") << 200 << tx::liveOverall().toUtf8() << QByteArray("<script>alert");
        QTest::newRow("home: no women in 40-44, no Žene") << get("/") << 200
                                                        << QByteArray("spol=m&amp;kategorija=40-44")
                                                        << QByteArray("spol=z&amp;kategorija=40-44");
        QTest::newRow("kiosk: the next list follows") << get("/?kiosk=1") << 200
                                                     << QByteArray("content=\"20;url=/?kiosk=2\"")
                                                     << QByteArray("<form");
        QTest::newRow("head: no body") << QByteArray("HEAD / HTTP/1.1\r\nHost: x\r\n\r\n") << 200 << QByteArray()
                                       << QByteArray("<html");
        QTest::newRow("unchanged: 304") << get("/", "If-None-Match: {etag}\r\n") << 304 << QByteArray()
                                        << QByteArray("<html");
        QTest::newRow("gzip when accepted") << get("/poredak", "Accept-Encoding: gzip, br\r\n") << 200
                                            << QByteArray("\x1f\x8b\x08") << QByteArray("<html");
        QTest::newRow("other tag: 200") << get("/", "If-None-Match: \"x\"\r\n") << 200 << QByteArray("<html")
                                        << QByteArray();
        QTest::newRow("name escaped") << get("/poredak?spol=svi") << 200
                                      << QByteArray("&lt;script&gt;alert(1)&lt;/script&gt;")
                                      << QByteArray("<script>alert");
        QTest::newRow("club escaped") << get("/poredak?spol=m") << 200 << QByteArray("AK &lt;b&gt;")
                                      << QByteArray("AK <b>");
        QTest::newRow("json escaped as JSON") << get("/api/poredak.json") << 200
                                              << QByteArray("\"<script>alert(1)</script>\"") << QByteArray();
        QTest::newRow("search folded") << get("/trazi?q=simic") << 200 << QStringLiteral("Šimić").toUtf8()
                                       << QByteArray();
        QTest::newRow("search form blank") << get("/trazi?q=ivana+simic") << 200 << QStringLiteral("Šimić").toUtf8()
                                           << QByteArray();
        QTest::newRow("search escaped") << get("/trazi?q=%3Cscript%3E") << 200 << QByteArray("&lt;script&gt;")
                                        << QByteArray("<script>alert");
        QTest::newRow("category: first five left out") << get("/poredak?spol=z&kategorija=35-39") << 200
                                                       << QStringLiteral("Iva Ivić").toUtf8()
                                                       << QStringLiteral("Ivana").toUtf8();
        QTest::newRow("unknown category") << get("/poredak?kategorija=99-100") << 404 << QByteArray() << QByteArray();
        QTest::newRow("unknown sex") << get("/poredak?spol=x") << 404 << QByteArray() << QByteArray();
        QTest::newRow("unknown path") << get("/nema") << 404 << QByteArray() << QByteArray();
        QTest::newRow("file of the disk") << get("/../../../etc/passwd") << 404 << QByteArray()
                                          << QByteArray("root:");
        QTest::newRow("encoded dots") << get("/%2e%2e/%2e%2e/etc/passwd") << 404 << QByteArray()
                                      << QByteArray("root:");
        QTest::newRow("POST 405") << QByteArray("POST /poredak HTTP/1.1\r\nHost: x\r\nContent-Length: 3\r\n\r\nabc")
                                  << 405 << QByteArray() << QByteArray("<html");
        QTest::newRow("PUT 405") << QByteArray("PUT / HTTP/1.1\r\nHost: x\r\nContent-Length: 0\r\n\r\n") << 405
                                 << QByteArray() << QByteArray();
        QTest::newRow("DELETE 405") << QByteArray("DELETE / HTTP/1.1\r\nHost: x\r\n\r\n") << 405 << QByteArray()
                                    << QByteArray();
        QTest::newRow("OPTIONS 405") << QByteArray("OPTIONS * HTTP/1.1\r\nHost: x\r\n\r\n") << 405 << QByteArray()
                                     << QByteArray();
        QTest::newRow("header over 8 KB") << get("/", "X-Big: " + big + "\r\n") << 413 << QByteArray()
                                          << QByteArray("<html");
        QTest::newRow("over 8 KB in pieces")
            << get("/", "X-A: " + QByteArray(3000, 'a') + "{pause}" + QByteArray(3000, 'a') + "{pause}" +
                            QByteArray(3000, 'a') + "\r\n")
            << 413 << QByteArray() << QByteArray("<html");
        QTest::newRow("body over 8 KB") << "POST / HTTP/1.1\r\nHost: x\r\nContent-Length: 9000\r\n\r\n" + big << 413
                                        << QByteArray() << QByteArray();
        QTest::newRow("just under 8 KB") << get("/", "X-Big: " + QByteArray(7900, 'a') + "\r\n") << 200
                                         << QByteArray("<html") << QByteArray();
        QTest::newRow("slow: never completed") << QByteArray("GET / HTTP/1.1\r\nHost: x\r\n") << 408 << QByteArray()
                                               << QByteArray("<html");
    }
    void requests()
    {
        QFETCH(QByteArray, request);
        QFETCH(int, status);
        QFETCH(QByteArray, present);
        QFETCH(QByteArray, absent);
        LiveRace& race = *m_shared;
        const Answer first = exchange(race.port, get("/"));
        request.replace("{etag}", first.header("ETag"));

        const Answer a = exchange(race.port, request);
        QCOMPARE(a.status, status);
        if (!present.isEmpty())
            QVERIFY2(a.body.contains(present), a.body.left(400).constData());
        if (!absent.isEmpty())
            QVERIFY(!a.body.contains(absent));
        // Every answer, a refusal too, carries the same policy.
        QVERIFY(a.header("Content-Security-Policy").contains("frame-ancestors 'none'"));
        QVERIFY(a.header("Content-Security-Policy").contains("default-src 'none'"));
        QCOMPARE(a.header("X-Content-Type-Options"), QByteArray("nosniff"));
        if (request.startsWith("HEAD"))
            QCOMPARE(a.header("Content-Length"), first.header("Content-Length"));
        // A refused client harms nobody: the next one is served.
        QCOMPARE(exchange(race.port, get("/")).status, 200);
    }

    void tooManyConnectionsTurnedAwayOthersServed()
    {
        LiveRace race({8 * 1024, 5000, 3});
        QList<QTcpSocket*> open;
        for (int i = 0; i < 3; ++i) {
            open.append(new QTcpSocket(this));
            open.last()->connectToHost(QHostAddress::LocalHost, race.port);
            QVERIFY(open.last()->waitForConnected(2000));
        }
        QTRY_COMPARE(race.server.openConnections(), 3);
        QCOMPARE(exchange(race.port, get("/")).status, 503);
        // The three held keep being served.
        open.first()->write(get("/"));
        QByteArray raw;
        QVERIFY(QTest::qWaitFor([&] { return complete(raw += open.first()->readAll(), false); }, 3000));
        QCOMPARE(parseAnswer(raw).status, 200);
        qDeleteAll(open);
        QTRY_COMPARE(race.server.openConnections(), 0);
        QCOMPARE(exchange(race.port, get("/")).status, 200);
    }

    // A client that asks for the connection to close has it closed after
    // the answer; one that does not keeps it for its next request.
    void connectionClosedWhenAsked_data()
    {
        QTest::addColumn<QByteArray>("request");
        QTest::addColumn<bool>("closed");
        QTest::newRow("HTTP/1.1") << get("/") << false;
        QTest::newRow("Connection: close") << get("/", "Connection: close\r\n") << true;
        QTest::newRow("HTTP/1.0") << QByteArray("GET / HTTP/1.0\r\nHost: x\r\n\r\n") << true;
        QTest::newRow("HTTP/1.0 keep-alive")
            << QByteArray("GET / HTTP/1.0\r\nHost: x\r\nConnection: keep-alive\r\n\r\n") << false;
        QTest::newRow("second request closes") << get("/") + get("/", "Connection: Close\r\n") << true;
    }

    void connectionClosedWhenAsked()
    {
        QFETCH(QByteArray, request);
        QFETCH(bool, closed);
        QTcpSocket socket;
        socket.connectToHost(QHostAddress::LocalHost, m_shared->port);
        QVERIFY(socket.waitForConnected(2000));
        socket.write(request);
        QByteArray raw;
        QVERIFY(QTest::qWaitFor([&] { return (raw += socket.readAll()).count("HTTP/1.1 200") == request.count("GET "); }, 3000));
        // Well within the idle time the shared race allows (twice 400 ms).
        QTest::qWait(300);
        QCOMPARE(socket.state() == QAbstractSocket::UnconnectedState, closed);
    }

    // Slow clients from one address hold no more than their share: each
    // newcomer over it closes the oldest still sending, and is served.
    void slowClientsHoldOnlyTheirShare()
    {
        LiveRace race({8 * 1024, 5000, 500, 4});
        QList<QTcpSocket*> slow;
        for (int i = 0; i < 10; ++i) {
            slow.append(new QTcpSocket(this));
            slow.last()->connectToHost(QHostAddress::LocalHost, race.port);
            QVERIFY(slow.last()->waitForConnected(2000));
            slow.last()->write("GET / HTTP/1.1\r\n");
            slow.last()->flush();
            QTRY_VERIFY(race.server.openConnections() <= 4);
        }
        QElapsedTimer clock;
        clock.start();
        QCOMPARE(exchange(race.port, get("/poredak")).status, 200);
        QVERIFY(clock.elapsed() < 1000);
        // The oldest were told they were too slow; the newest still wait.
        QTRY_COMPARE(slow.first()->state(), QAbstractSocket::UnconnectedState);
        QVERIFY(slow.first()->readAll().startsWith("HTTP/1.1 408"));
        QCOMPARE(slow.last()->state(), QAbstractSocket::ConnectedState);
        qDeleteAll(slow);
    }

    void slowClientDoesNotHoldOthers()
    {
        LiveRace race({8 * 1024, 600, 500});
        QTcpSocket slow;
        slow.connectToHost(QHostAddress::LocalHost, race.port);
        QVERIFY(slow.waitForConnected(2000));
        slow.write("GET / HTTP/1.1\r\n");
        QElapsedTimer clock;
        clock.start();
        QCOMPARE(exchange(race.port, get("/poredak")).status, 200);
        QVERIFY(clock.elapsed() < 500);
        QTRY_COMPARE(slow.state(), QAbstractSocket::UnconnectedState);
        QVERIFY(slow.readAll().startsWith("HTTP/1.1 408"));
    }

    void portInUseNamedInCroatian()
    {
        LiveRace race;
        LiveResultsServer second(race.session);
        const auto refused = second.start(QHostAddress::LocalHost, race.port);
        QVERIFY(!refused);
        QCOMPARE(refused.refusal().message, tx::livePortInUse(race.port));
        QVERIFY(!second.isRunning());
        race.server.stop();
        QVERIFY(!race.server.isRunning());
        QCOMPARE(exchange(race.port, get("/"), 500).status, 0);
    }

    // A disqualification's reason is public only when the race says so;
    // the setting is stored with the race.
    void dsqReasonPublishedWhenChosen()
    {
        LiveRace race;
        for (const bool publish : {false, true, false}) {
            QVERIFY(race.session.setSettings(true, QString(), std::nullopt, {}, {}, publish).ok());
            QCOMPARE(race.session.database().raceSettings(race.session.race().id).value().publishDsqReason, publish);
            for (const char* path : {"/poredak", "/trazi?q=marko", "/?kiosk=1"}) {
                const Answer a = exchange(race.port, get(path));
                QVERIFY2(a.body.contains("DSQ"), path);
                QVERIFY2(a.body.contains("skratio") == publish, path);
            }
        }
    }

    // The kiosk leaves out a column empty in every row (runners entered by
    // category have no birth year); the other pages keep it for the phones'
    // styles.
    void kioskWithoutEmptyColumns()
    {
        TempDb tmp;
        RaceSession session{tmp.path()};
        LiveResultsServer server{session};
        QVERIFY(session.database().open());
        QVERIFY(session.createRace(QStringLiteral("Kup"), QStringLiteral("AK"), QStringLiteral("12.10.2025")));
        const CategoryRow veterans{QStringLiteral("M40"), RuleSex::Men, 40, 150};
        RaceRules rules = session.rules();
        rules.categories = CategoryScheme({veterans});
        Competitor c;
        c.sbroj = QStringLiteral("1");
        c.ime = QStringLiteral("Ivo Ivić");
        c.spol = QStringLiteral("M");
        c.drzava = QStringLiteral("HRV");
        c.klub = QStringLiteral("AK");
        c.kategorija = QStringLiteral("M40");
        QVERIFY(session.addCompetitors({c}, &rules).ok());
        QVERIFY(session.enterFinish(QStringLiteral("1"), QStringLiteral("00:40:00")).ok());
        const auto started = server.start(QHostAddress::LocalHost, 0);
        QVERIFY(started);
        const QByteArray year = QStringLiteral("<th>God. rođ.</th>").toUtf8();
        QVERIFY(!exchange(started.value(), get("/?kiosk=1")).body.contains(year));
        QVERIFY(exchange(started.value(), get("/poredak")).body.contains(year));
    }

    void newFinishChangesThePage()
    {
        LiveRace race;
        const Answer before = exchange(race.port, get("/poredak"));
        QVERIFY(!before.body.contains("Petra"));
        QVERIFY(race.session.enterFinish(QStringLiteral("6"), QStringLiteral("01:50:00")));
        const Answer after = exchange(race.port, get("/poredak", "If-None-Match: " + before.header("ETag") + "\r\n"));
        QCOMPARE(after.status, 200);
        QVERIFY(after.body.contains("Petra"));
        QCOMPARE(race.server.pagesServed(), 2);
    }

    void bannerUntilOfficial()
    {
        LiveRace race;
        const QByteArray banner = tx::liveUnofficial().toUtf8();
        QVERIFY(exchange(race.port, get("/")).body.contains(banner));
        QVERIFY(race.session.setSettings(true, QString(), true));
        QVERIFY(!exchange(race.port, get("/")).body.contains(banner));
        RaceSession other(race.tmp.path());
        QVERIFY(other.database().open());
        QVERIFY(other.openRace(race.session.race().id));
        QVERIFY(other.settings().official);
    }

    // What the server shows is what the window builds: the same rows, in the
    // same order, with the same places and statuses.
    void twoRoadsAgree_data()
    {
        QTest::addColumn<QString>("category");
        QTest::addColumn<int>("sex");
        QTest::addColumn<QByteArray>("query");
        QTest::newRow("overall") << tx::categoryAll() << int(standings::Sex::All) << QByteArray("spol=svi");
        QTest::newRow("women") << tx::categoryAll() << int(standings::Sex::Women) << QByteArray("spol=z");
        QTest::newRow("men") << tx::categoryAll() << int(standings::Sex::Men) << QByteArray("spol=m");
        QTest::newRow("35-39 all") << QStringLiteral("35-39") << int(standings::Sex::All)
                                   << QByteArray("kategorija=35-39");
        QTest::newRow("35-39 men") << QStringLiteral("35-39") << int(standings::Sex::Men)
                                   << QByteArray("spol=m&kategorija=35-39");
        QTest::newRow("55-59 men: none finished") << QStringLiteral("55-59") << int(standings::Sex::Men)
                                           << QByteArray("spol=m&kategorija=55-59");
    }
    void twoRoadsAgree()
    {
        QFETCH(QString, category);
        QFETCH(int, sex);
        QFETCH(QByteArray, query);
        LiveRace& race = *m_shared;
        const auto built = race.session.standings({category, standings::Sex(sex)});
        QVERIFY(built);
        const QList<QJsonObject> served = jsonRows(exchange(race.port, get("/api/poredak.json?" + query)));
        QCOMPARE(served.size(), built.value().rows.size());
        const QByteArray page = exchange(race.port, get("/poredak?" + query)).body;
        qsizetype at = 0;
        for (qsizetype i = 0; i < served.size(); ++i) {
            const standings::StandingsRow& row = built.value().rows.at(i);
            const QJsonObject& json = served.at(i);
            QCOMPARE(json.value(QStringLiteral("startniBroj")).toString(), row.sbroj);
            QCOMPARE(json.value(QStringLiteral("ime")).toString(), row.ime);
            QCOMPARE(json.value(QStringLiteral("vrijeme")).toString(), row.vrijeme);
            QCOMPARE(json.value(QStringLiteral("status")).toString(), runstates::code(row.state));
            QCOMPARE(json.value(QStringLiteral("mjesto")).toInt(), row.place);
            // The page lists the same rows in the same order.
            const QByteArray cells = "<td>" + lists::standingsCell(row, lists::StandPlace).toUtf8() + "</td><td>" +
                                     row.sbroj.toUtf8() + "</td>";
            const qsizetype found = page.indexOf(cells, at);
            QVERIFY2(found > at, cells.constData());
            at = found;
        }
    }

    // A race with rules of its own: its categories are the lists offered and
    // served as the window builds them, and its prize list is a page.
    void ownRulesServed()
    {
        LiveRace race;
        const QByteArray before = exchange(race.port, get("/")).body;
        QVERIFY(before.contains("kategorija=35-39"));
        RaceRules rules;
        rules.categories = CategoryScheme({{QStringLiteral("Ž|F"), RuleSex::Women, 0, 150},
                                           {QStringLiteral("M"), RuleSex::Men, 0, 150}});
        rules.prizes = PrizeScheme({{QStringLiteral("Žene"), RuleSex::Women, 0, 150, 1},
                                    {QStringLiteral("Muškarci"), RuleSex::Men, 0, 150, 1},
                                    {QStringLiteral("Veterani"), RuleSex::Men, 60, 150, 1}});
        QVERIFY(race.session.setRules(rules));
        const QByteArray home = exchange(race.port, get("/")).body;
        QVERIFY(!home.contains("kategorija=35-39"));
        QVERIFY(home.contains("/poredak?spol=z&amp;kategorija=%C5%BD") && home.contains("/nagrade"));
        for (const auto& [label, sex, query] : {std::tuple{"Ž", standings::Sex::Women, "spol=z&kategorija=%C5%BD"},
                                                {"M", standings::Sex::Men, "spol=m&kategorija=M"}}) {
            const auto built = race.session.standings({QString::fromUtf8(label), sex});
            QVERIFY(built);
            QStringList numbers;
            for (const QJsonObject& row : jsonRows(exchange(race.port, get(QByteArray("/api/poredak.json?") + query))))
                numbers.append(row.value(QStringLiteral("startniBroj")).toString());
            QStringList expected;
            for (const standings::StandingsRow& row : built.value().rows)
                expected.append(row.sbroj);
            // The winner of the sex's prize has left the category.
            QCOMPARE(numbers, expected);
            QVERIFY(!numbers.contains(QStringLiteral("7")) && !numbers.contains(QStringLiteral("17")));
        }
        const QByteArray prizes = exchange(race.port, get("/nagrade")).body;
        const qsizetype women = prizes.indexOf("Žene"), men = prizes.indexOf("Muškarci"),
                        veterans = prizes.indexOf("Veterani");
        QVERIFY(women > 0 && men > women && veterans > men);
        QVERIFY(prizes.indexOf("<td>7</td>", women) < men && prizes.indexOf("<td>17</td>", men) < veterans);
        QVERIFY(prizes.indexOf(tx::prizeListNone().toUtf8(), veterans) > veterans);
    }

    void searchFolds_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QStringList>("found");
        QTest::newRow("no marks finds marks") << "simic" << QStringList{QStringLiteral("Ivana Šimić")};
        QTest::newRow("capitals") << "ŠIMIĆ" << QStringList{QStringLiteral("Ivana Šimić")};
        QTest::newRow("đ as d") << "dordevic" << QStringList{QStringLiteral("Željko Đorđević")};
        QTest::newRow("ž as z") << "zeljko" << QStringList{QStringLiteral("Željko Đorđević")};
        QTest::newRow("club č") << "cakovec" << QStringList{QStringLiteral("Željko Đorđević")};
        QTest::newRow("number equals, not contains") << "7" << QStringList{QStringLiteral("Ivana Šimić")};
        QTest::newRow("number with blanks") << " 17 " << QStringList{QStringLiteral("Željko Đorđević")};
        QTest::newRow("club: finishers first") << "split"
                                               << QStringList{QStringLiteral("Ivana Šimić"), QStringLiteral("Ana Anić")};
        QTest::newRow("not finished") << "ninic" << QStringList{QStringLiteral("Nino Ninić")};
        QTest::newRow("empty") << "" << QStringList{};
        QTest::newRow("nobody") << "xyz" << QStringList{};
    }
    void searchFolds()
    {
        QFETCH(QString, text);
        QFETCH(QStringList, found);
        LiveRace& race = *m_shared;
        QStringList names;
        for (const live::Found& f : live::search(live::snapshotOf(race.session), text))
            names.append(f.competitor ? f.competitor->ime : f.row->ime);
        QCOMPARE(names, found);
    }

    // Places on the search page: overall, by sex, in the category of the
    // runner's sex, where the first five overall are not listed.
    void searchPlaces()
    {
        LiveRace& race = *m_shared;
        const live::Snapshot snapshot = live::snapshotOf(race.session);
        const auto& places = snapshot.places();
        const qint64 ana = race.session.finishList().at(4).idtakmicara;
        QCOMPARE(places.value(ana).overall, 4);
        QCOMPARE(places.value(ana).sex, 2);
        QCOMPARE(places.value(ana).category, 0);
        // Iva is first among the women of 35-39; Tomo, a man of 35-39, came before her.
        const qint64 iva = race.session.finishList().at(7).idtakmicara;
        QCOMPARE(places.value(iva).category, 1);
        QCOMPARE(places.value(race.session.finishList().at(6).idtakmicara).category, 1);
        const Answer a = exchange(race.port, get("/trazi?q=anic"));
        QVERIFY(a.body.contains(QStringLiteral("<td class=\"t\">01:40:00</td><td>4</td><td>2</td><td>–</td>").toUtf8()));
    }

    // The window starts and stops the main window's server; the main window
    // stops it when it goes.
    void windowStartsAndStops()
    {
        QTemporaryDir settings;
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, settings.path());
        TempDb tmp;
        quint16 port = 0;
        {
            QTcpServer probe; // a free port
            QVERIFY(probe.listen(QHostAddress::LocalHost, 0));
            port = probe.serverPort();
        }
        auto w = std::make_unique<frmkelvora>(tmp.path());
        testutil::makeCurrentRace(*w, QStringLiteral("Utrka"), QDate(2025, 6, 1));
        testutil::trigger(w.get(), QStringLiteral("mnuuzivo"));
        auto* dialog = testutil::find<QDialog>(w.get(), QStringLiteral("frmuzivo"));
        QVERIFY(dialog && dialog->isVisible());
        QCOMPARE(testutil::find<QSpinBox>(dialog, QStringLiteral("spnport"))->value(), 8080);
        testutil::find<QSpinBox>(dialog, QStringLiteral("spnport"))->setValue(port);
        auto* address = testutil::find<QComboBox>(dialog, QStringLiteral("cboadresa"));
        address->setCurrentIndex(address->findData(QStringLiteral("127.0.0.1")));
        testutil::find<QPushButton>(dialog, QStringLiteral("cmdpokreni"))->click();
        QVERIFY(w->liveServer().isRunning());
        const QString url = QStringLiteral("http://127.0.0.1:%1/").arg(port);
        QCOMPARE(testutil::find<QLabel>(dialog, QStringLiteral("lbladresa"))->text(), url);
        QCOMPARE(testutil::find<QrCodeView>(dialog, QStringLiteral("picqr"))->text(), url);
        QCOMPARE(exchange(port, get("/")).status, 200);
        QTRY_COMPARE(testutil::find<QLabel>(dialog, QStringLiteral("lblposluzeno"))->text(), tx::liveServedCount(1));
        testutil::find<QPushButton>(dialog, QStringLiteral("cmdzaustavi"))->click();
        QVERIFY(!w->liveServer().isRunning());
        testutil::find<QPushButton>(dialog, QStringLiteral("cmdpokreni"))->click();
        QVERIFY(w->liveServer().isRunning());
        w.reset();
        QCOMPARE(exchange(port, get("/"), 500).status, 0);
    }

    // kelvora serve answers until SIGTERM, then stops cleanly.
    void serveCommandUntilTerminated()
    {
        TempDb tmp;
        qint64 raceId = 0;
        {
            RaceSession session(tmp.path());
            QVERIFY(session.database().open());
            QVERIFY(session.createRace(QStringLiteral("Utrka"), QStringLiteral("AK"), QStringLiteral("1.6.2025")));
            raceId = session.race().id;
        }
        quint16 port = 0;
        {
            QTcpServer probe;
            QVERIFY(probe.listen(QHostAddress::LocalHost, 0));
            port = probe.serverPort();
        }
        QProcess serve;
        serve.start(QStringLiteral(KVR_PROGRAM),
                    {QStringLiteral("serve"), QStringLiteral("--db"), tmp.path(), QStringLiteral("--race"),
                     QString::number(raceId), QStringLiteral("--port"), QString::number(port),
                     QStringLiteral("--address"), QStringLiteral("127.0.0.1")});
        const QString url = QStringLiteral("http://127.0.0.1:%1/").arg(port);
        QString printed;
        QVERIFY(QTest::qWaitFor([&] { return (printed += QString::fromUtf8(serve.readAllStandardOutput())).contains(url); },
                                10000));
        QCOMPARE(printed.trimmed(), tx::cliServing(url));
        QVERIFY(exchange(port, get("/")).body.contains("Utrka"));
        serve.terminate();
        QVERIFY(serve.waitForFinished(5000));
        QCOMPARE(serve.exitStatus(), QProcess::NormalExit);
        QCOMPARE(serve.exitCode(), 0);
        QVERIFY(QString::fromUtf8(serve.readAllStandardOutput()).contains(tx::cliServeStopped()));

        // A port in use is named.
        QTcpServer taken;
        QVERIFY(taken.listen(QHostAddress::LocalHost, 0));
        serve.start(QStringLiteral(KVR_PROGRAM),
                    {QStringLiteral("serve"), QStringLiteral("--db"), tmp.path(), QStringLiteral("--race"),
                     QString::number(raceId), QStringLiteral("--port"), QString::number(taken.serverPort()),
                     QStringLiteral("--address"), QStringLiteral("127.0.0.1")});
        QVERIFY(serve.waitForFinished(10000));
        QCOMPARE(serve.exitCode(), 1);
        QCOMPARE(QString::fromUtf8(serve.readAllStandardError()).trimmed(), tx::livePortInUse(taken.serverPort()));
    }

    void qrCodeOfAnAddress()
    {
        const live::QrCode code = live::qrCode(QStringLiteral("http://192.168.1.20:8080/"));
        QVERIFY(code.size >= 21);
        // The three finder patterns: dark corners, a light ring inside.
        for (const auto& [x, y] : {std::pair{0, 0}, {code.size - 1, 0}, {0, code.size - 1}})
            QVERIFY(code.isDark(x, y));
        QVERIFY(!code.isDark(1, 1));
        QVERIFY(code.isDark(3, 3));
    }

    // A real browser at a phone's and a big screen's size loads the home
    // page, a standings list and a search; the page's own refresh (a new
    // load of the same address) shows a finish entered meanwhile.
    void browserSeesNewFinish()
    {
        const QString chromium = QStandardPaths::findExecutable(QStringLiteral("chromium"));
        if (chromium.isEmpty()) {
            if (qEnvironmentVariableIsSet("CI"))
                QFAIL("chromium is not installed (scripts/install-deps.sh installs it)");
            QSKIP("chromium is not installed: the browser cases are skipped");
        }
        LiveRace race;
        race.server.setPageOptions({1});
        QTemporaryDir profiles;
        int made = 0;
        // The pages at both sizes at once, each in a browser of its own; their DOMs as rendered.
        const auto load = [&](const QStringList& paths) {
            std::vector<std::unique_ptr<QProcess>> browsers;
            for (const char* size : {"390,844", "1920,1080"}) {
                for (const QString& path : paths) {
                    auto& b = browsers.emplace_back(std::make_unique<QProcess>());
                    b->start(chromium, {QStringLiteral("--headless"), QStringLiteral("--no-sandbox"),
                                        QStringLiteral("--disable-gpu"), QStringLiteral("--no-first-run"),
                                        QStringLiteral("--user-data-dir=%1/%2").arg(profiles.path()).arg(++made),
                                        QStringLiteral("--window-size=") + QLatin1String(size),
                                        QStringLiteral("--timeout=5000"), QStringLiteral("--dump-dom"),
                                        QStringLiteral("http://127.0.0.1:%1%2").arg(race.port).arg(path)});
                }
            }
            QStringList doms;
            for (auto& b : browsers) {
                if (!QTest::qWaitFor([&] { return b->state() == QProcess::NotRunning; }, 30000)) {
                    b->kill();
                    b->waitForFinished(2000);
                }
                const QString dom = QString::fromUtf8(b->readAllStandardOutput());
                if (b->exitCode() != 0 || !dom.contains(QLatin1String("</html>")))
                    return QStringList{QString(), QString::fromUtf8(b->readAllStandardError()).right(300)};
                doms.append(dom);
            }
            return doms;
        };
        const QStringList before = load({QStringLiteral("/poredak?spol=z")});
        if (before.first().isEmpty()) {
            if (qEnvironmentVariableIsSet("CI"))
                QFAIL(qPrintable(QStringLiteral("chromium could not run: ") + before.last()));
            QSKIP(qPrintable(QStringLiteral("chromium cannot run here: ") + before.last()));
        }
        for (const QString& dom : before) {
            QVERIFY(dom.contains(QStringLiteral("<meta http-equiv=\"refresh\" content=\"1\">")));
            QVERIFY(dom.contains(QStringLiteral("Ivana Šimić")));
            QVERIFY(!dom.contains(QStringLiteral("01:55:00")));
        }

        QVERIFY(race.session.enterFinish(QStringLiteral("6"), QStringLiteral("01:55:00")));
        const QStringList after =
            load({QStringLiteral("/"), QStringLiteral("/poredak?spol=z"), QStringLiteral("/trazi?q=peric")});
        QCOMPARE(after.size(), 6);
        for (const QString& dom : after) {
            QVERIFY(dom.contains(QStringLiteral("Splitski polumaraton")));
            QVERIFY(dom.contains(tx::liveUnofficial()));
            QVERIFY(!dom.contains(QStringLiteral("<script>alert")));
        }
        for (int home : {0, 3}) {
            QVERIFY(after.at(home).contains(tx::liveFinished(8)));
            QVERIFY2(after.at(home + 1).contains(QStringLiteral("01:55:00")), qPrintable(after.at(home + 1).right(400)));
            QVERIFY(after.at(home + 2).contains(QStringLiteral("01:55:00")));
        }
    }
};

QTEST_MAIN(TestLiveResults)
#include "test_liveresults.moc"
