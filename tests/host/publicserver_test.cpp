// gorse-host as a public server: several tables in one process, each its
// own port and game, reached by desktop players over TCP and by browsers on
// the web port; stopped by a signal after telling every player.
#include "game/carddeck.h"
#include "host/tserver.h"
#include "net/messages.h"
#include "support/hostprocess.h"
#include "support/rawclient.h"
#include "support/testutil.h"

#include <QElapsedTimer>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QWebSocket>
#include <algorithm>
#include <gtest/gtest.h>

using namespace gorse;
using namespace gorse::test;

namespace {

const QByteArray kRestart = "CMD_chat+0+The server is restarting.|clBlue";

quint16 logged(HostProcess& host, const QString& pattern)
{
    const QRegularExpression re(pattern);
    return quint16(re.match(QString::fromLocal8Bit(host.log)).captured(1).toUInt());
}

// A GET on the web port: the status line's code and the body.
std::pair<int, QByteArray> get(quint16 port, const QByteArray& path)
{
    QTcpSocket s;
    s.connectToHost(QHostAddress::LocalHost, port);
    s.write("GET " + path + " HTTP/1.1\r\nHost: 127.0.0.1\r\nConnection: close\r\n\r\n");
    QByteArray answer;
    waitUntil([&] {
        answer += s.readAll();
        return s.state() == QAbstractSocket::UnconnectedState ||
               (answer.contains("\r\n\r\n") &&
                answer.size() - answer.indexOf("\r\n\r\n") - 4 >=
                    answer.mid(answer.indexOf("Content-Length: ") + 16)
                        .split('\r')
                        .first()
                        .toInt());
    });
    return {answer.mid(9, 3).toInt(), answer.mid(answer.indexOf("\r\n\r\n") + 4)};
}

// A browser's game connection to /play with the query given.
struct WebClient
{
    explicit WebClient(quint16 port, const QString& query)
    {
        QObject::connect(&socket, &QWebSocket::binaryMessageReceived,
                         [this](const QByteArray& m) { messages.append(m); });
        QObject::connect(&socket, &QWebSocket::disconnected, [this] { closed = true; });
        QObject::connect(&socket, qOverload<QAbstractSocket::SocketError>(&QWebSocket::error),
                         [this] { closed = true; });
        socket.open(QUrl(QStringLiteral("ws://127.0.0.1:%1/play%2").arg(port).arg(query)));
        waitUntil([this] { return socket.state() == QAbstractSocket::ConnectedState || closed; });
    }
    bool waitFor(const QByteArray& message)
    {
        return waitUntil([&] { return messages.contains(message) || closed; }) &&
               messages.contains(message);
    }
    QList<QByteArray> messages;
    bool closed = false;
    QWebSocket socket;
};

// The value of one sample in the Prometheus text, or -1 when it is missing.
double metric(const QByteArray& text, const QByteArray& sample)
{
    for (const QByteArray& line : text.split('\n')) {
        if (line.startsWith(sample + ' '))
            return line.mid(sample.size() + 1).toDouble();
    }
    return -1;
}

void login(RawClient& c, quint16 port, const QByteArray& name)
{
    ASSERT_TRUE(c.connectTo(port));
    c.send(msg::logininfo(1, kVersionText, name));
    EXPECT_FALSE(c.waitForPrefix(msg::newplayerinfo(1, name)).isEmpty()) << name.data();
}

} // namespace

TEST(PublicServer, ThreeTablesAreSeparateGamesOnTheirOwnPortsAndOnTheWebPort)
{
    // Table 2 deals from seed 6; the word list holds the word of its first
    // deck's first two cards.
    CardDeck deck(6);
    deck.draw();
    const QByteArray word = converttoletter(deck.card(1, 1)) + converttoletter(deck.card(2, 1));
    QTemporaryDir dir;
    const QString words = dir.filePath(QStringLiteral("words.dic"));
    {
        QFile file(words);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly) &&
                    file.write('\x1e' + word.leftJustified(14, ' ')) == 15);
    }
    HostProcess host({QStringLiteral("--port"), QStringLiteral("0"), QStringLiteral("--tables"),
                      QStringLiteral("3"), QStringLiteral("--web"), QStringLiteral("0"),
                      QStringLiteral("--seed"), QStringLiteral("5"), QStringLiteral("--words"),
                      words});
    ASSERT_TRUE(host.says("event=web_listen port=")) << host.log.constData();
    const quint16 web = logged(host, QStringLiteral("event=web_listen port=(\\d+)"));
    quint16 ports[4] = {};
    for (int k = 1; k <= 3; ++k) {
        ports[k] = logged(
            host, QStringLiteral("table=%1 event=listen port=(\\d+) seed=%2").arg(k).arg(4 + k));
        ASSERT_NE(ports[k], 0) << k << host.log.constData();
    }
    EXPECT_EQ(host.port(), ports[1]);
    EXPECT_NE(ports[1], ports[2]);
    EXPECT_NE(ports[2], ports[3]);

    // Each table numbers its own connections: everybody is number 1.
    RawClient ann, bob;
    login(ann, ports[1], "Ann");
    login(bob, ports[2], "Bob");
    WebClient cy(web, QStringLiteral("?table=3"));
    ASSERT_TRUE(cy.waitFor("CMD_sendlogininfo+1"));
    cy.socket.sendBinaryMessage(msg::logininfo(1, kVersionText, "Cy"));
    ASSERT_TRUE(cy.waitFor(msg::newplayerinfo(1, "Cy")));
    WebClient spyless(web, QString()); // /play alone: table 1
    ASSERT_TRUE(spyless.waitFor("CMD_sendlogininfo+2"));

    for (const char* query : {"?table=4", "?table=0", "?table=two", "?table="}) {
        WebClient refused(web, QLatin1String(query));
        EXPECT_TRUE(waitUntil([&] { return refused.closed; })) << query;
        EXPECT_TRUE(refused.messages.isEmpty()) << query;
    }

    const auto [status, body] = get(web, "/tables");
    EXPECT_EQ(status, 200);
    const QJsonArray list = QJsonDocument::fromJson(body).array();
    ASSERT_EQ(list.size(), 3) << body.constData();
    const char* names[] = {"Ann", "Bob", "Cy"};
    for (int k = 1; k <= 3; ++k) {
        const QJsonObject t = list[k - 1].toObject();
        EXPECT_EQ(t[QStringLiteral("number")].toInt(), k);
        EXPECT_EQ(t[QStringLiteral("port")].toInt(), ports[k]);
        // The second browser holds number 2 at table 1 without a name yet.
        const QJsonArray players = t[QStringLiteral("players")].toArray();
        ASSERT_FALSE(players.isEmpty());
        EXPECT_EQ(players[0].toString(), QLatin1String(names[k - 1]));
        EXPECT_EQ(t[QStringLiteral("freeSeats")].toInt(), 6 - players.size());
        EXPECT_EQ(t[QStringLiteral("spies")].toInt(), 0);
        EXPECT_EQ(t[QStringLiteral("state")].toString(), QStringLiteral("waiting"));
        EXPECT_EQ(t[QStringLiteral("round")].toInt(), 0);
    }

    // A game at table 2 is table 2's alone; a connection at table 1 that
    // floods the host is dropped without the other tables noticing.
    bob.send(msg::startgame("Bob", 300, 60));
    EXPECT_FALSE(bob.waitForPrefix("CMD_thecards+").isEmpty());
    bob.send(msg::sendword(1, {1, 2}));
    EXPECT_FALSE(bob.waitForPrefix("CMD_theword+1+" + word + "+").isEmpty());
    bob.send(msg::sendword(1, {1, 2}));
    EXPECT_FALSE(bob.waitForPrefix("CMD_rejected+1+").isEmpty());
    ann.sendRaw(QByteArray(TServer::kMaxWaiting + 1024, 'x'));
    EXPECT_TRUE(ann.waitClosed());
    bob.send(msg::chat(1, "still here|clBlack"));
    EXPECT_FALSE(bob.waitForPrefix("CMD_chat+1+Bob chats: still here").isEmpty());
    EXPECT_TRUE(host.says("table=1 event=drop conn=1")) << host.log.constData();
    const QJsonArray after = QJsonDocument::fromJson(get(web, "/tables").second).array();
    EXPECT_EQ(after[1].toObject()[QStringLiteral("state")].toString(), QStringLiteral("playing"));
    EXPECT_EQ(after[1].toObject()[QStringLiteral("round")].toInt(), 1);
    EXPECT_EQ(after[2].toObject()[QStringLiteral("state")].toString(), QStringLiteral("waiting"));
    const auto [health, ok] = get(web, "/healthz");
    EXPECT_EQ(health, 200);
    const QByteArray metrics = get(web, "/metrics").second;
    const std::pair<const char*, double> expected[] = {
        {"gorse_tables", 3},
        {"gorse_tables_playing", 1},
        {"gorse_connections{kind=\"tcp\"}", 1}, // Bob; Ann was dropped
        {"gorse_connections{kind=\"web\"}", 2},
        {"gorse_players{place=\"seat\"}", 2}, // the second browser has not logged in
        {"gorse_connections_accepted_total", 4},
        {"gorse_connections_dropped_total{reason=\"too_much_waiting\"}", 0},
        {"gorse_connections_dropped_total{reason=\"line_too_long\"}", 1},
        {"gorse_games_started_total", 1},
        {"gorse_games_finished_total", 0},
        {"gorse_words_total{result=\"accepted\"}", 1},
        {"gorse_words_total{result=\"rejected\"}", 1},
    };
    for (const auto& [sample, value] : expected)
        EXPECT_EQ(metric(metrics, sample), value) << sample << "\n" << metrics.constData();
    EXPECT_GT(metric(metrics, "gorse_received_bytes_total"), kMaxLineLength);
    EXPECT_GT(metric(metrics, "gorse_sent_bytes_total"), 100);
    const double turns = metric(metrics, "gorse_dispatch_turn_seconds_count");
    EXPECT_GE(turns, 5);
    EXPECT_EQ(metric(metrics, "gorse_dispatch_turn_seconds_bucket{le=\"+Inf\"}"), turns);
    EXPECT_GT(metric(metrics, "gorse_dispatch_turn_seconds_sum"), 0);

    for (const QByteArray& m : cy.messages)
        EXPECT_FALSE(m.startsWith("CMD_thecards") || m.startsWith("CMD_chat")) << m.constData();

    // Stopping: every player at every table reads the notice first.
    QElapsedTimer clock;
    clock.start();
    ASSERT_TRUE(host.stop(SIGTERM)) << host.log.constData();
    EXPECT_LT(clock.elapsed(), 2000);
    EXPECT_FALSE(bob.waitForPrefix(kRestart).isEmpty());
    EXPECT_TRUE(cy.waitFor(kRestart));
    EXPECT_TRUE(spyless.waitFor(kRestart));
}

TEST(PublicServer, OneTableIsTheDefaultAndHearsOfTheRestartOnSigint)
{
    HostProcess host({QStringLiteral("--port"), QStringLiteral("0")});
    const quint16 port = host.port();
    ASSERT_NE(port, 0) << host.log.constData();
    RawClient ann;
    login(ann, port, "Ann");
    ASSERT_TRUE(host.stop(SIGINT)) << host.log.constData();
    EXPECT_FALSE(ann.waitForPrefix(kRestart).isEmpty());
    EXPECT_EQ(ann.messages.last(), kRestart);
    EXPECT_FALSE(host.log.contains("table=")) << host.log.constData();
}

TEST(PublicServer, GamesStartThemselvesWhenTwoPeopleSitAtATable)
{
    HostProcess host({QStringLiteral("--port"), QStringLiteral("0"), QStringLiteral("--tables"),
                      QStringLiteral("2"), QStringLiteral("--autostart"), QStringLiteral("1"),
                      QStringLiteral("--any-game"), QStringLiteral("--target"),
                      QStringLiteral("50"), QStringLiteral("--round-seconds"),
                      QStringLiteral("10")});
    ASSERT_TRUE(host.says("table=2 event=listen port=")) << host.log.constData();
    const quint16 one = logged(host, QStringLiteral("table=1 event=listen port=(\\d+)"));
    const quint16 two = logged(host, QStringLiteral("table=2 event=listen port=(\\d+)"));
    const QByteArray notice = "CMD_chat+0+A game starts in 1 seconds.|clBlue";

    // Alone at table 1, Ann waits; Bob's arrival starts the count.
    RawClient ann, bob, cy, dee;
    login(ann, one, "Ann");
    settle(200);
    EXPECT_FALSE(ann.messages.contains(notice));
    ASSERT_TRUE(bob.connectTo(one));
    bob.send(msg::logininfo(2, kVersionText, "Bob"));
    EXPECT_FALSE(bob.waitForPrefix(notice).isEmpty());
    EXPECT_FALSE(ann.waitForPrefix(notice).isEmpty());
    // Started in the name of the first person seated, with the options' values.
    EXPECT_FALSE(bob.waitForPrefix("CMD_startgame+Ann+50+10+").isEmpty());
    EXPECT_FALSE(ann.waitForPrefix("CMD_thecards+").isEmpty());

    // At table 2, a count stops when the second person leaves before its end;
    // a game that connection 1 starts first is the only one.
    login(cy, two, "Cy");
    ASSERT_TRUE(dee.connectTo(two));
    dee.send(msg::logininfo(2, kVersionText, "Dee"));
    EXPECT_FALSE(dee.waitForPrefix(notice).isEmpty());
    dee.close();
    EXPECT_FALSE(cy.waitForPrefix("CMD_playerdisconnected+2+Dee").isEmpty());
    settle(1500);
    EXPECT_TRUE(cy.waitForPrefix("CMD_startgame+", 1).isEmpty());
    RawClient eve;
    ASSERT_TRUE(eve.connectTo(two));
    eve.send(msg::logininfo(2, kVersionText, "Eve"));
    EXPECT_FALSE(eve.waitForPrefix(notice).isEmpty());
    cy.send(msg::startgame("Cy", 300, 60));
    EXPECT_FALSE(eve.waitForPrefix("CMD_startgame+Cy+300+60+").isEmpty());
    settle(1500);
    EXPECT_EQ(std::count_if(eve.messages.begin(), eve.messages.end(),
                            [](const QByteArray& m) { return m.startsWith("CMD_startgame+"); }),
              1);
    ASSERT_TRUE(host.stop(SIGTERM)) << host.log.constData();
}

TEST(PublicServer, ComputerPlayersComeWithPeopleAndMakeRoomForThem)
{
    HostProcess host({QStringLiteral("--port"), QStringLiteral("0"), QStringLiteral("--tables"),
                      QStringLiteral("2"), QStringLiteral("--bots"), QStringLiteral("3"),
                      QStringLiteral("--autostart"), QStringLiteral("600")});
    ASSERT_TRUE(host.says("table=2 event=listen port=")) << host.log.constData();
    const quint16 two = logged(host, QStringLiteral("table=2 event=listen port=(\\d+)"));
    // Three join Ann at table 2; when Bob arrives before the game, one goes.
    RawClient ann, bob;
    login(ann, two, "Ann");
    EXPECT_FALSE(ann.waitForPrefix(msg::newplayerinfo(4, "Kling")).isEmpty());
    ASSERT_TRUE(bob.connectTo(two));
    bob.send(msg::logininfo(5, kVersionText, "Bob"));
    EXPECT_FALSE(ann.waitForPrefix("CMD_playerdisconnected+4+Kling").isEmpty());
    EXPECT_TRUE(host.says("table=2 event=bots_leave count=1")) << host.log.constData();
    EXPECT_FALSE(host.log.contains("table=1 connection")) << host.log.constData();
}

TEST(PublicServer, RefusesTablesItCannotServe)
{
    const QStringList bad[] = {
        {QStringLiteral("--tables"), QStringLiteral("0")},
        {QStringLiteral("--tables"), QStringLiteral("three")},
        {QStringLiteral("--tables"), QStringLiteral("1001")},
        {QStringLiteral("--tables"), QStringLiteral("2"), QStringLiteral("--port"),
         QStringLiteral("65535")},
        {QStringLiteral("--autostart"), QStringLiteral("0")},
        {QStringLiteral("--target"), QStringLiteral("500")},
        {QStringLiteral("--autostart"), QStringLiteral("5"), QStringLiteral("--target"),
         QStringLiteral("50")},
        {QStringLiteral("--autostart"), QStringLiteral("5"), QStringLiteral("--round-seconds"),
         QStringLiteral("500")},
    };
    for (const QStringList& args : bad) {
        HostProcess refused(args);
        EXPECT_TRUE(refused.waitForFinished(10000)) << args.join(u' ').toStdString();
        EXPECT_EQ(refused.exitCode(), 2) << args.join(u' ').toStdString();
        EXPECT_TRUE(refused.readAllStandardError().contains("--")) << args.join(u' ').toStdString();
    }
}
