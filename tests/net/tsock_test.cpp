// TSock over real loopback connections.
#include "net/tsock.h"
#include "support/testutil.h"

#include <QTcpServer>
#include <QTcpSocket>
#include <gtest/gtest.h>
#include <memory>

using namespace gorse;
using gorse::test::settle;
using gorse::test::waitUntil;

namespace {

struct InfoLog
{
    QList<QPair<TSocketInfo, QString>> entries;
    void watch(TSock* sock)
    {
        QObject::connect(sock, &TSock::OnInfo,
                         [this](TSock*, TSocketInfo code, const QString& msg) {
                             entries.append({code, msg});
                         });
    }
    int count(const QString& msg) const
    {
        int n = 0;
        for (const auto& e : entries)
            n += e.second == msg;
        return n;
    }
};

// A listener on an ephemeral loopback port and one client connected to it.
struct Pair
{
    TSock listener;
    TSock client;
    TSock* accepted = nullptr;

    Pair()
    {
        listener.setPortName(QStringLiteral("0"));
        listener.setListen(true);
        QObject::connect(&listener, &TSock::OnAccept, [this](TSock* l) {
            TSock* s = nullptr;
            if (l->Accept(s))
                accepted = s;
        });
        client.setHostName(QStringLiteral("127.0.0.1"));
        client.setPortName(QString::number(listener.listeningPort()));
    }
    bool open()
    {
        client.Open();
        return waitUntil([this] { return accepted && client.Connected(); });
    }
};

} // namespace

TEST(TSock, SegmentsArriveAsSentAndSplitMessagesComeInPieces)
{
    Pair p;
    ASSERT_TRUE(p.open());
    QByteArray got;
    int reads = 0;
    QObject::connect(p.accepted, &TSock::OnRead, [&](TSock* s, int count) {
        EXPECT_EQ(count, s->pendingIncoming());
        got += s->Receive();
        ++reads;
    });
    // Two messages in one segment come out of one Receive together.
    p.client.Send(QByteArray("CMD_a+1\xFF"
                             "CMD_b+2\xFF"));
    ASSERT_TRUE(waitUntil([&] { return got.size() == 16; }));
    EXPECT_EQ(got, QByteArray("CMD_a+1\xFF"
                              "CMD_b+2\xFF"));
    EXPECT_EQ(reads, 1);

    // One message in two segments: the first piece is handed over on its own.
    got.clear();
    p.client.Send("CMD_chat+1+He");
    ASSERT_TRUE(waitUntil([&] { return got == "CMD_chat+1+He"; }));
    p.client.Send("llo\xFF");
    ASSERT_TRUE(waitUntil([&] { return got == "CMD_chat+1+Hello\xFF"; }));
}

TEST(TSock, SendBeforeConnectIsDeliveredOnceConnected)
{
    Pair p;
    bool connectedBeforeSend = true;
    EXPECT_FALSE(p.client.Open()); // not yet connected when Open returns
    connectedBeforeSend = p.client.Connected();
    EXPECT_FALSE(connectedBeforeSend);
    EXPECT_TRUE(p.client.Send("first\xFF"));
    EXPECT_TRUE(p.client.Send("second\xFF"));
    ASSERT_TRUE(waitUntil([&] { return p.accepted && p.accepted->pendingIncoming() == 13; }));
    EXPECT_EQ(p.accepted->Receive(), QByteArray("first\xFF"
                                                "second\xFF"));
}

TEST(TSock, PeerCloseDisconnectsThenReportsClosedAndKeepsBufferedBytes)
{
    Pair p;
    ASSERT_TRUE(p.open());
    InfoLog log;
    log.watch(p.accepted);
    int disconnects = 0;
    // As the host does: its disconnect handler closes the connection itself.
    QObject::connect(p.accepted, &TSock::OnDisconnect, [&](TSock* s) {
        ++disconnects;
        EXPECT_TRUE(s->Close());
    });
    p.client.Send("last words\xFF");
    p.client.Close();
    ASSERT_TRUE(waitUntil([&] { return log.count(QStringLiteral("Socket Closed")) == 2; }));
    EXPECT_EQ(disconnects, 1);
    EXPECT_FALSE(p.accepted->Connected());
    // What arrived before the close can still be taken, once.
    EXPECT_EQ(p.accepted->Receive(), QByteArray("last words\xFF"));
    try {
        p.accepted->Receive();
        FAIL() << "Receive on a closed, empty socket must raise";
    } catch (const ESockException& e) {
        EXPECT_STREQ(e.what(), "Receive - Socket Not Connected");
    }
}

TEST(TSock, CloseTwiceReportsClosedTwiceAndSecondReturnsFalse)
{
    Pair p;
    ASSERT_TRUE(p.open());
    InfoLog log;
    log.watch(&p.client);
    EXPECT_TRUE(p.client.Close());
    EXPECT_FALSE(p.client.Close());
    EXPECT_EQ(log.count(QStringLiteral("Socket Closed")), 2);
    // The listener's own close is silent.
    InfoLog listenerLog;
    listenerLog.watch(&p.listener);
    p.listener.Close();
    EXPECT_EQ(listenerLog.count(QStringLiteral("Socket Closed")), 0);
}

TEST(TSock, ClosingDeliversWhatWasQueued)
{
    Pair p;
    ASSERT_TRUE(p.open());
    QByteArray got;
    QObject::connect(&p.client, &TSock::OnRead, [&](TSock* s, int) { got += s->Receive(); });
    bool closed = false;
    QObject::connect(&p.client, &TSock::OnInfo, [&](TSock*, TSocketInfo, const QString& m) {
        closed |= m == QStringLiteral("Socket Closed");
    });
    // As the host refuses a tenth connection: send, then close at once.
    p.accepted->Send("CMD_full+\xFF");
    p.accepted->Close();
    ASSERT_TRUE(waitUntil([&] { return closed; }));
    EXPECT_EQ(got, QByteArray("CMD_full+\xFF"));
}

TEST(TSock, ListenTwiceAndPortAlreadyBound)
{
    TSock a;
    InfoLog log;
    log.watch(&a);
    a.setPortName(QStringLiteral("0"));
    a.setListen(true);
    a.setListen(true);
    EXPECT_EQ(log.count(QStringLiteral("Listening Started")), 1);
    EXPECT_EQ(log.count(QStringLiteral("Listening Already Running")), 1);
    EXPECT_TRUE(a.Listen());
    const quint16 port = a.listeningPort();
    ASSERT_NE(port, 0);

    TSock b;
    b.setPortName(QString::number(port));
    try {
        b.setListen(true);
        FAIL() << "binding a taken port must raise";
    } catch (const ESockException& e) {
        EXPECT_STREQ(e.what(), "Listen - Error Binding Socket");
    }
    EXPECT_FALSE(b.Listen());
    // The first listener still accepts.
    QTcpSocket probe;
    probe.connectToHost(QStringLiteral("127.0.0.1"), port);
    bool offered = false;
    QObject::connect(&a, &TSock::OnAccept, [&](TSock*) { offered = true; });
    EXPECT_TRUE(waitUntil([&] { return offered; }));
    a.setListen(false);
    EXPECT_EQ(log.count(QStringLiteral("Listening Stopped")), 1);
    EXPECT_FALSE(a.Listen());
}

TEST(TSock, RefusedConnectionReportsWinsockError)
{
    // Find a port nobody listens on: bind one, note it, let it go.
    quint16 port;
    {
        QTcpServer s;
        ASSERT_TRUE(s.listen(QHostAddress::LocalHost, 0));
        port = s.serverPort();
    }
    TSock c;
    InfoLog log;
    log.watch(&c);
    c.setHostName(QStringLiteral("127.0.0.1"));
    c.setPortName(QString::number(port));
    c.Open();
    ASSERT_TRUE(waitUntil(
        [&] { return log.count(QStringLiteral("Error #10061 (WSAECONNREFUSED)")) == 1; }));
    EXPECT_FALSE(c.Connected());
    EXPECT_EQ(log.count(QStringLiteral("Socket Closed")), 0);
    EXPECT_EQ(log.entries.first().second,
              QStringLiteral("Lookup Of Port ") + QString::number(port));
    EXPECT_EQ(log.entries.at(1).second, QStringLiteral("Lookup Of Host 127.0.0.1"));
}

TEST(TSock, MisuseRaisesTheFixedMessages)
{
    TSock s;
    auto message = [](const std::function<void()>& f) -> std::string {
        try {
            f();
        } catch (const ESockException& e) {
            return e.what();
        }
        return "no exception";
    };
    EXPECT_EQ(message([&] { s.Send("x"); }), "Send - Socket Not Connected");
    EXPECT_EQ(message([&] { s.Receive(); }), "Receive - Socket Not Connected");
    TSock* out = nullptr;
    EXPECT_EQ(message([&] { s.Accept(out); }), "Accept - Socket Not In Listening Mode");
    s.setPortName(QStringLiteral("0"));
    s.setListen(true);
    EXPECT_EQ(message([&] { s.Send("x"); }), "Send - Cannot Send On A Listener Socket");
    EXPECT_EQ(message([&] { s.Receive(); }), "Receive - Cannot Receive On A Listener Socket");
    TSock p;
    p.setPortName(QStringLiteral("no-such-service-here"));
    EXPECT_EQ(message([&] { p.Open(); }), "Port Lookup - Could Not Find Service Entry");
    TSock q; // a number that is no port is not taken as "any port"
    q.setPortName(QStringLiteral("77x"));
    EXPECT_EQ(message([&] { q.setListen(true); }), "Port Lookup - Could Not Find Service Entry");
    EXPECT_FALSE(q.Listen());
    TSock client;
    client.setHostName(QStringLiteral("127.0.0.1"));
    client.setPortName(QString::number(s.listeningPort()));
    client.Open();
    EXPECT_EQ(message([&] { client.setListen(true); }), "Listen - Socket Already In Use");
}

TEST(TSock, ErrorNames)
{
    EXPECT_EQ(sockErrorText(10061), QStringLiteral("Error #10061 (WSAECONNREFUSED)"));
    EXPECT_EQ(sockErrorText(10035), QStringLiteral("Error #10035 (WSAEWOULDBLOCK)"));
    EXPECT_EQ(sockErrorText(10071), QStringLiteral("Error #10071 (WSAEREMOTE)"));
    EXPECT_EQ(sockErrorText(11004), QStringLiteral("Error #11004 (WSANO_DATA)"));
    EXPECT_EQ(sockErrorText(10072), QStringLiteral("Error #10072 (UNKNOWN ERROR)"));
    EXPECT_EQ(sockErrorText(10090), QStringLiteral("Error #10090 (UNKNOWN ERROR)"));
}

TEST(TSock, HostNamesAreResolvedWithoutRegardToCase)
{
    TSock listener;
    listener.setPortName(QStringLiteral("0"));
    listener.setListen(true);
    int accepted = 0;
    QObject::connect(&listener, &TSock::OnAccept, [&](TSock* l) {
        TSock* s = nullptr;
        accepted += l->Accept(s);
    });
    for (int i = 0; i < 2; ++i) {
        TSock c;
        c.setHostName(QStringLiteral("LocalHost"));
        c.setPortName(QString::number(listener.listeningPort()));
        c.Open();
        ASSERT_TRUE(waitUntil([&] { return c.Connected(); }));
    }
    EXPECT_TRUE(waitUntil([&] { return accepted == 2; }));
}

TEST(TSock, ANameIsLookedUpWithoutWaitingAndAnUnknownOneIsReported)
{
    TSock listener;
    listener.setPortName(QStringLiteral("0"));
    listener.setListen(true);
    QByteArray received;
    QObject::connect(&listener, &TSock::OnAccept, [&](TSock* l) {
        TSock* s = nullptr;
        if (l->Accept(s))
            QObject::connect(s, &TSock::OnRead, [&](TSock* r) { received += r->Receive(); });
    });
    // Open returns at once, looked up or not; text sent meanwhile follows
    // the connection.
    TSock c;
    c.setHostName(QStringLiteral("localhost"));
    c.setPortName(QString::number(listener.listeningPort()));
    EXPECT_FALSE(c.Open());
    EXPECT_TRUE(c.Send("early"));
    ASSERT_TRUE(waitUntil([&] { return received == "early"; }));

    // A name that is no host name fails without a word to any resolver.
    TSock bad;
    InfoLog log;
    log.watch(&bad);
    bad.setHostName(QStringLiteral("not a host"));
    bad.setPortName(QString::number(listener.listeningPort()));
    EXPECT_FALSE(bad.Open());
    ASSERT_TRUE(waitUntil(
        [&] { return log.count(QStringLiteral("Host Lookup - Could Not Find Host Entry")) == 1; }));
    EXPECT_FALSE(bad.Connected());
    EXPECT_EQ(log.count(QStringLiteral("Socket Closed")), 0);
    // It may be opened again.
    bad.setHostName(QStringLiteral("127.0.0.1"));
    bad.Open();
    EXPECT_TRUE(waitUntil([&] { return bad.Connected(); }));
}
