// The host's web port: players over WebSocket sit at the same table as
// players over TCP and receive the same bytes; pages of other sites cannot
// connect; a broken message closes only its connection; files are served
// with the headers that keep the page safe.
#include "goldengame.h"
#include "host/webserver.h"
#include "hostfixture.h"
#include "support/hostprocess.h"
#include "support/testutil.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTime>
#include <QWebSocket>
#include <gtest/gtest.h>

using namespace gorse;
using namespace gorse::test;

namespace {

// A player's connection, over the game's TCP port or the web port.
class Peer
{
public:
    virtual ~Peer() = default;
    virtual void send(const QByteArray& message) = 0;
    virtual void close() = 0;
    virtual bool closed() const = 0;
    virtual Lines& received() = 0;
    QByteArray waitForPrefix(const QByteArray& prefix)
    {
        QByteArray found;
        waitUntil([&] {
            for (const QByteArray& m : received()) {
                if (m.startsWith(prefix))
                    found = m;
            }
            return !found.isEmpty() || closed();
        });
        return found;
    }
};

class TcpPeer : public Peer
{
public:
    explicit TcpPeer(quint16 port)
    {
        client.socket.connectToHost(QHostAddress::LocalHost, port);
        waitUntil([this] {
            return client.socket.state() == QAbstractSocket::ConnectedState || client.isClosed();
        });
    }
    void send(const QByteArray& message) override { client.send(message); }
    void close() override { client.close(); }
    bool closed() const override { return client.isClosed(); }
    Lines& received() override { return client.messages; }
    RawClient client;
};

class WebPeer : public Peer
{
public:
    WebPeer(quint16 port, const QString& origin = {}, const QString& path = QStringLiteral("/play"))
        : socket(origin)
    {
        QObject::connect(&socket, &QWebSocket::binaryMessageReceived,
                         [this](const QByteArray& m) { messages.append(m); });
        QObject::connect(&socket, &QWebSocket::textMessageReceived,
                         [this](const QString& m) { messages.append("text: " + m.toUtf8()); });
        QObject::connect(&socket, &QWebSocket::disconnected, [this] { m_closed = true; });
        QObject::connect(&socket, qOverload<QAbstractSocket::SocketError>(&QWebSocket::error),
                         [this] { m_closed = true; });
        socket.open(QUrl(QStringLiteral("ws://127.0.0.1:%1%2").arg(port).arg(path)));
        waitUntil([this] { return socket.state() == QAbstractSocket::ConnectedState || m_closed; });
    }
    void send(const QByteArray& message) override { socket.sendBinaryMessage(message); }
    void close() override { socket.close(); }
    bool closed() const override { return m_closed; }
    Lines& received() override { return messages; }
    // Declared before the socket, which may still report while it goes.
    Lines messages;
    bool m_closed = false;
    QWebSocket socket;
};

// A host with both ports open on loopback and players of either kind.
class WebTable
{
public:
    explicit WebTable(const Lines& words = {}, quint64 seed = 1)
    {
        server = std::make_unique<TServer>(std::make_unique<TDictn>(wordrecords(words)), seed);
        server->setRealTimeClock(false);
        server->setLog([this](const QString& line) { log.append(line); });
        server->startListening(0, QHostAddress(QHostAddress::LocalHost));
        web = std::make_unique<WebServer>(server.get());
        web->setLog([this](const QString& line) { log.append(line); });
        web->setRoot(files.path());
        EXPECT_EQ(web->startListening(0, QHostAddress(QHostAddress::LocalHost)), QString());
    }

    Peer& connect(bool overWeb)
    {
        Peer& p = overWeb ? add(std::make_unique<WebPeer>(web->listeningPort()))
                          : add(std::make_unique<TcpPeer>(server->listeningPort()));
        numbers[&p] = p.waitForPrefix("CMD_sendlogininfo+").mid(18).toInt();
        return p;
    }
    Peer& add(std::unique_ptr<Peer> p) { return *peers.emplace_back(std::move(p)); }
    Peer& join(const QByteArray& name, const QByteArray& version, bool overWeb)
    {
        Peer& p = connect(overWeb);
        p.send(msg::logininfo(numbers[&p], version, name));
        EXPECT_FALSE(p.waitForPrefix(msg::newplayerinfo(numbers[&p], name)).isEmpty())
            << name.data();
        waitUntil([&] { return server->messagesQueued() == 0; });
        return p;
    }
    Peer& peer(int k)
    {
        for (const auto& p : peers) {
            if (numbers[p.get()] == k && !p->closed())
                return *p;
        }
        ADD_FAILURE() << "nobody holds " << k;
        return *peers.front();
    }
    void act(int k, const QByteArray& message)
    {
        const quint64 before = server->messagesHandled();
        peer(k).send(message);
        EXPECT_TRUE(waitUntil([&] {
            return server->messagesHandled() > before && server->messagesQueued() == 0;
        })) << message.constData();
    }
    // Waits until what the host sent so far reached every player it serves.
    void sync()
    {
        std::vector<Peer*> served;
        for (const auto& p : peers) {
            if (!p->closed() && server->table().player(numbers[p.get()]).connected)
                served.push_back(p.get());
        }
        act(numbers[served.front()], msg::chat(numbers[served.front()], "\x01sync"));
        for (Peer* p : served) {
            EXPECT_TRUE(waitUntil([&] {
                return p->received().removeIf(
                           [](const QByteArray& m) { return m.endsWith("\x01sync"); }) > 0;
            }));
        }
    }
    void leave(int k)
    {
        sync();
        peer(k).close();
        EXPECT_TRUE(waitUntil([&] { return !server->table().player(k).connected; }));
    }

    QTemporaryDir files;
    QStringList log;
    std::unique_ptr<TServer> server;
    std::unique_ptr<WebServer> web;
    std::vector<std::unique_ptr<Peer>> peers;
    QHash<Peer*, int> numbers;
};

// The recorded game, its players coming in over the web port when overWeb
// says so for their turn of joining.
class MixedPlayers : public GoldenPlayers
{
public:
    explicit MixedPlayers(std::function<bool(int)> overWeb) : m_overWeb(std::move(overWeb)) {}
    GameTable& table() override { return t.server->table(); }
    void join(const QByteArray& name, const QByteArray& version) override
    {
        t.join(name, version, m_overWeb(m_joined++));
    }
    void act(int k, const QByteArray& message) override { t.act(k, message); }
    void leave(int k) override { t.leave(k); }
    void tick(int times) override
    {
        while (times-- > 0)
            t.server->timer1Timer();
    }
    QList<Lines> received() override
    {
        t.sync();
        QList<Lines> all;
        for (const auto& p : t.peers)
            all.append(p->received());
        return all;
    }
    QStringList log() const override { return t.log; }

private:
    WebTable t{goldenWords(), kGoldenSeed};
    std::function<bool(int)> m_overWeb;
    int m_joined = 0;
};

} // namespace

TEST(WebHost, TheRecordedGameOverWebSocketsGivesTheSameBytesAsOverTcp)
{
    const std::pair<const char*, std::function<bool(int)>> tables[] = {
        {"every player over the web", [](int) { return true; }},
        {"every other player over the web", [](int i) { return i % 2 == 0; }},
    };
    for (const auto& [name, overWeb] : tables) {
        SCOPED_TRACE(name);
        MixedPlayers players(overWeb);
        playGoldenGame(players);
    }
}

TEST(WebHost, AMixedTableSeatsSpiesRefusesAndDropsBothKindsAlike)
{
    WebTable t;
    for (int k = 1; k <= 9; ++k) {
        Peer& p = t.join("P" + QByteArray::number(k), kVersionText, k % 2 == 1);
        EXPECT_EQ(t.numbers[&p], k);
    }
    // A tenth of either kind is told the table is full and closed.
    for (bool overWeb : {true, false}) {
        Peer& tenth = overWeb ? t.add(std::make_unique<WebPeer>(t.web->listeningPort()))
                              : t.add(std::make_unique<TcpPeer>(t.server->listeningPort()));
        EXPECT_TRUE(waitUntil([&] { return tenth.closed(); })) << overWeb;
        EXPECT_EQ(tenth.received(), Lines{"CMD_full+"}) << overWeb;
    }
    // Connection 1 removes a web seat and a TCP spy; the others hear of it,
    // and the numbers go to the next ones, whatever their kind.
    for (int k : {3, 8}) {
        t.sync();
        t.act(1, msg::kickhim(1, k));
        EXPECT_TRUE(waitUntil([&] { return !t.server->table().player(k).connected; })) << k;
        EXPECT_FALSE(
            t.peer(1).waitForPrefix("CMD_playerdisconnected+" + QByteArray::number(k)).isEmpty());
    }
    EXPECT_EQ(t.numbers[&t.join("Tcp", kVersionText, false)], 3);
    EXPECT_EQ(t.numbers[&t.join("Web", kVersionText, true)], 8);
}

TEST(WebHost, AWebClientThatStopsReadingIsDropped)
{
    WebTable t;
    t.join("Ann", kVersionText, false);
    auto& bob = static_cast<WebPeer&>(t.add(std::make_unique<WebPeer>(t.web->listeningPort())));
    ASSERT_TRUE(waitUntil([&] { return t.server->table().player(2).connected; }));
    // The socket under the WebSocket takes no more than a little.
    bob.socket.setReadBufferSize(4096);
    QByteArray chats;
    for (int i = 0; i < 50; ++i)
        chats += frame(msg::chat(1, QByteArray(kMaxChatText, 'x') + "|clBlack"));
    auto& ann = static_cast<TcpPeer&>(t.peer(1)).client;
    for (int i = 0; i < 400 && t.server->table().player(2).connected; ++i) {
        ann.sendRaw(chats);
        waitUntil(
            [&] { return ann.socket.bytesToWrite() == 0 && t.server->messagesQueued() < 20; });
    }
    EXPECT_TRUE(waitUntil([&] { return !t.server->table().player(2).connected; }));
    EXPECT_EQ(t.log.filter(QStringLiteral("event=drop conn=2 reason=stopped_reading")).size(), 1);
}

TEST(WebHost, OnlyTheOwnOriginAndTheAllowedOnesMayConnect)
{
    struct Case
    {
        const char* name;
        QString origin; // %1: the web port
        QString path = QStringLiteral("/play");
        bool accepted;
    };
    const Case cases[] = {
        {"a program that is not a browser", {}, {}, true},
        {"the page's own origin", QStringLiteral("http://127.0.0.1:%1"), {}, true},
        {"its own host behind a proxy that ends TLS",
         QStringLiteral("https://127.0.0.1:%1"),
         {},
         true},
        {"an origin added by --web-origin", QStringLiteral("https://Games.Example.org"), {}, true},
        {"another port of the same host", QStringLiteral("http://127.0.0.1:1"), {}, false},
        {"the same machine by another name", QStringLiteral("http://localhost:%1"), {}, false},
        {"another site", QStringLiteral("http://evil.example"), {}, false},
        {"an opaque origin", QStringLiteral("null"), {}, false},
        {"the own origin on another path", QStringLiteral("http://127.0.0.1:%1"),
         QStringLiteral("/chat"), false},
    };
    WebTable t;
    ASSERT_TRUE(t.web->addAllowedOrigin(QStringLiteral("https://games.example.org/")));
    for (const char* bad : {"games.example.org", "ftp://games.example.org",
                            "https://games.example.org/page", "https://user@games.example.org"})
        EXPECT_FALSE(t.web->addAllowedOrigin(QString::fromLatin1(bad))) << bad;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const qsizetype logged = t.log.size();
        const QString origin =
            c.origin.contains(u'%') ? c.origin.arg(t.web->listeningPort()) : c.origin;
        WebPeer p(t.web->listeningPort(), origin,
                  c.path.isEmpty() ? QStringLiteral("/play") : c.path);
        const QByteArray welcome = p.waitForPrefix("CMD_sendlogininfo+");
        if (c.accepted) {
            EXPECT_EQ(welcome, "CMD_sendlogininfo+1");
            p.close();
            EXPECT_TRUE(waitUntil([&] { return !t.server->table().player(1).connected; }));
        } else {
            EXPECT_EQ(welcome, QByteArray());
            EXPECT_TRUE(p.closed());
            ASSERT_EQ(t.log.size(), logged + 1);
            EXPECT_TRUE(t.log.last().startsWith(QLatin1String("event=web_refused ")));
        }
    }
    EXPECT_EQ(t.server->highWaterMark(), 1); // nobody refused ever held a number
}

TEST(WebHost, ABrokenMessageClosesOnlyItsConnection)
{
    struct Case
    {
        const char* name;
        std::function<void(WebPeer&)> send;
        const char* logged;
    };
    const Case cases[] = {
        {"a text message",
         [](WebPeer& p) { p.socket.sendTextMessage(QStringLiteral("CMD_chat+3+hi")); },
         "sent a text message"},
        {"the terminator inside",
         [](WebPeer& p) { p.send(frame(msg::chat(3, "hi")) + "CMD_chat"); },
         "holding the byte 0xFF"},
        {"one byte longer than a line",
         [](WebPeer& p) { p.send(QByteArray(kMaxLineLength + 1, 'x')); }, "longer than"},
        {"a megabyte", [](WebPeer& p) { p.send(QByteArray(1 << 20, 'x')); }, "longer than"},
    };
    WebTable t;
    t.join("Ann", kVersionText, false);
    t.join("Bob", kVersionText, true);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        auto& p = static_cast<WebPeer&>(t.join("Cy", kVersionText, true));
        const qsizetype logged = t.log.size();
        c.send(p);
        p.send(msg::chat(3, "hi"));
        EXPECT_TRUE(
            waitUntil([&] { return p.closed() && !t.server->table().player(3).connected; }));
        EXPECT_EQ(t.log.mid(logged).filter(QLatin1String(c.logged)).size(), 1)
            << t.log.join(u'\n').toStdString();
        // Neither it nor what followed was heard; the others are still served.
        t.sync();
        for (int k : {1, 2}) {
            EXPECT_FALSE(t.peer(k).received().contains("CMD_chat+3+Cy chats: hi"));
            t.peer(k).received().clear();
        }
    }
}

// One HTTP answer from the web port, read whole.
struct Answer
{
    int status = 0;
    QHash<QByteArray, QByteArray> headers; // names in lower case
    QByteArray body;
};
Answer httpGet(quint16 port, const QByteArray& path, const QByteArray& extraHeaders = {})
{
    Answer a;
    QTcpSocket s;
    s.connectToHost(QHostAddress::LocalHost, port);
    s.write("GET " + path + " HTTP/1.1\r\nHost: 127.0.0.1\r\n" + extraHeaders + "\r\n");
    QByteArray answer;
    qsizetype end = -1;
    const bool whole = waitUntil([&] {
        answer += s.readAll();
        end = answer.indexOf("\r\n\r\n");
        if (end < 0)
            return false;
        const qsizetype at = answer.left(end).toLower().indexOf("content-length: ");
        // An answer without a length (not modified) has no body.
        return at < 0 ||
               answer.size() >= end + 4 + answer.mid(at + 16, end - at).split('\r')[0].toInt();
    });
    EXPECT_TRUE(whole) << answer.constData();
    if (!whole)
        return a;
    const QList<QByteArray> lines = answer.left(end).split('\n');
    for (const QByteArray& line : lines.mid(1))
        a.headers[line.left(line.indexOf(':')).toLower()] =
            line.mid(line.indexOf(':') + 1).trimmed();
    a.status = lines.value(0).split(' ').value(1).toInt();
    a.body = answer.mid(end + 4);
    return a;
}

TEST(WebHost, FilesAreServedWithTheirTypeAndTheSafetyHeaders)
{
    struct Case
    {
        QByteArray path;
        int status;
        QByteArray type;
        QByteArray body;
    };
    WebTable t;
    auto check = [&](const Case& c) {
        SCOPED_TRACE(c.path.constData());
        Answer a = httpGet(t.web->listeningPort(), c.path);
        auto& headers = a.headers;
        EXPECT_EQ(a.status, c.status);
        EXPECT_EQ(headers["content-type"], c.type);
        EXPECT_EQ(a.body, c.body);
        EXPECT_TRUE(headers["content-security-policy"].startsWith("default-src 'self';"));
        EXPECT_FALSE(headers["content-security-policy"].contains("unsafe"));
        EXPECT_EQ(headers["x-content-type-options"], "nosniff");
        EXPECT_EQ(headers["referrer-policy"], "no-referrer");
    };
    const QByteArray text = "text/plain; charset=utf-8";
    // Nothing in the folder yet: the front page says so.
    check({"/", 404, text, "This Gorse host was built without its web client.\n"});

    const QDir root(t.files.path());
    auto put = [&](const QString& name, const QByteArray& bytes) {
        root.mkpath(QFileInfo(root.filePath(name)).path());
        QFile f(root.filePath(name));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes);
    };
    put(QStringLiteral("../secret.txt"), "secret");
    put(QStringLiteral("index.html"), "<!doctype html>");
    put(QStringLiteral("app.js"), "main();");
    put(QStringLiteral("sounds/turn.wav"), "RIFF");
    put(QStringLiteral(".hidden"), "hidden");
    const Case cases[] = {
        {"/", 200, "text/html; charset=utf-8", "<!doctype html>"},
        {"/index.html", 200, "text/html; charset=utf-8", "<!doctype html>"},
        {"/app.js", 200, "text/javascript; charset=utf-8", "main();"},
        {"/sounds/turn.wav", 200, "audio/wav", "RIFF"},
        {"/missing.css", 404, text, "Not found.\n"},
        {"/sounds", 404, text, "Not found.\n"},
        {"/.hidden", 404, text, "Not found.\n"},
        {"/%2E%2E/secret.txt", 404, text, "Not found.\n"},
        {"/sounds/..%2F..%2Fsecret.txt", 404, text, "Not found.\n"},
    };
    for (const Case& c : cases)
        check(c);

    // A request without end is cut off before it takes the host's memory.
    QTcpSocket endless;
    endless.connectToHost(QHostAddress::LocalHost, t.web->listeningPort());
    endless.write("GET / HTTP/1.1\r\nHost: 127.0.0.1\r\nX-Endless: ");
    endless.write(QByteArray(3 * WebServer::kMaxHttpBytes, 'x'));
    EXPECT_TRUE(waitUntil([&] { return endless.state() == QAbstractSocket::UnconnectedState; }));
    check(cases[0]);
}

// A browser that has a file already asks whether it is still the same, and
// is answered in a few bytes until it changes.
TEST(WebHost, AFileTheBrowserHasIsNotSentAgainUntilItChanges)
{
    WebTable t;
    const quint16 port = t.web->listeningPort();
    QFile f(QDir(t.files.path()).filePath(QStringLiteral("app.js")));
    auto put = [&](const QByteArray& bytes) {
        ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(bytes);
        f.close();
    };
    put("main();");
    const Answer first = httpGet(port, "/app.js");
    const QByteArray tag = first.headers.value("etag");
    ASSERT_EQ(first.status, 200);
    ASSERT_TRUE(tag.startsWith('"') && tag.endsWith('"') && tag.size() > 2) << tag.constData();
    EXPECT_EQ(first.headers.value("cache-control"), "no-cache");

    struct Case
    {
        const char* what;
        QByteArray ifNoneMatch;
        int status;
    };
    const Case cases[] = {
        {"its tag", tag, 304},
        {"its tag among others", "\"other\", " + tag, 304},
        {"its tag, weak", "W/" + tag, 304},
        {"any tag", "*", 304},
        {"another tag", "\"other\"", 200},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const Answer a = httpGet(port, "/app.js", "If-None-Match: " + c.ifNoneMatch + "\r\n");
        EXPECT_EQ(a.status, c.status);
        EXPECT_EQ(a.body, c.status == 200 ? QByteArray("main();") : QByteArray());
        EXPECT_EQ(a.headers.value("etag"), tag);
        EXPECT_TRUE(a.headers.value("content-security-policy").startsWith("default-src 'self';"));
    }

    // Changed, to as many bytes: sent again, with a new tag.
    put("main(1)");
    const Answer changed = httpGet(port, "/app.js", "If-None-Match: " + tag + "\r\n");
    EXPECT_EQ(changed.status, 200);
    EXPECT_EQ(changed.body, "main(1)");
    EXPECT_NE(changed.headers.value("etag"), tag);
}

TEST(WebHost, GorseHostOpensItsWebPortOnlyWhenAskedAndChecksTheOptions)
{
    HostProcess host({QStringLiteral("--port"), QStringLiteral("0"), QStringLiteral("--web"),
                      QStringLiteral("0")});
    ASSERT_TRUE(host.says("event=web_listen port="));
    static const QRegularExpression re(QStringLiteral("event=web_listen port=(\\d+)"));
    WebPeer p(quint16(re.match(QString::fromLocal8Bit(host.log)).captured(1).toUInt()));
    EXPECT_EQ(p.waitForPrefix("CMD_sendlogininfo+"), "CMD_sendlogininfo+1");

    const QStringList bad[] = {
        {QStringLiteral("--web"), QStringLiteral("http")},
        {QStringLiteral("--web-origin"), QStringLiteral("https://games.example.org")},
        {QStringLiteral("--web"), QStringLiteral("0"), QStringLiteral("--web-origin"),
         QStringLiteral("games.example.org")},
    };
    for (const QStringList& args : bad) {
        HostProcess refused(QStringList{QStringLiteral("--port"), QStringLiteral("0")} + args);
        EXPECT_TRUE(refused.waitForFinished(10000)) << args.join(u' ').toStdString();
        EXPECT_EQ(refused.exitCode(), 2) << args.join(u' ').toStdString();
    }
}
