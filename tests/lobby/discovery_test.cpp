// Announcing a table and finding it, over loopback UDP: a real TServer with
// raw clients, its announcer, and a lobby's table finder. Every socket is
// bound to 127.0.0.1 on a free port and every datagram goes to 127.0.0.1.
#include "host/hostfixture.h"
#include "host/tableannouncer.h"
#include "lobby/tablefinder.h"
#include "net/discoverysocket.h"
#include "support/testutil.h"

#include <QNetworkDatagram>
#include <QNetworkProxy>
#include <QScopeGuard>
#include <QTcpServer>
#include <QUdpSocket>
#include <gtest/gtest.h>

using namespace gorse;
using namespace gorse::test;

namespace {

const QHostAddress kLoopback(QHostAddress::LocalHost);

// A loopback UDP socket that collects what reaches it.
struct Sink
{
    QUdpSocket socket;
    QList<QNetworkDatagram> received;

    Sink()
    {
        EXPECT_TRUE(socket.bind(kLoopback, 0));
        QObject::connect(&socket, &QUdpSocket::readyRead, [this] {
            while (socket.hasPendingDatagrams())
                received.append(socket.receiveDatagram());
        });
    }
    quint16 port() const { return socket.localPort(); }
};

DiscoveryEndpoints loopbackTo(quint16 port)
{
    DiscoveryEndpoints e;
    e.bindAddress = kLoopback;
    e.bindPort = 0;
    e.targets = {kLoopback};
    e.targetPort = port;
    return e;
}

// Long enough never to come during a test.
constexpr int kNever = 3600 * 1000;

// The one table listed; an empty one while there is none.
TableAnnouncement onlyTable(const TableFinder& finder)
{
    return finder.tables()->size() == 1 ? finder.tables()->at(0).table : TableAnnouncement{};
}

} // namespace

TEST(DiscoverySocket, ReportsWellFormedDatagramsAndDropsTheRest)
{
    DiscoverySocket socket;
    ASSERT_EQ(socket.bind(kLoopback, 0), QString());
    int queries = 0;
    QObject::connect(&socket, &DiscoverySocket::received,
                     [&](const Datagram& d, const QHostAddress& from, quint16 port) {
                         queries += d.kind == Datagram::Kind::Query ? 1 : 0;
                         EXPECT_EQ(from, kLoopback);
                         EXPECT_NE(port, 0);
                     });
    QUdpSocket sender;
    ASSERT_TRUE(sender.bind(kLoopback, 0));
    sender.writeDatagram("CMD_full+\xFF", kLoopback, socket.localPort());
    sender.writeDatagram(QByteArray(4000, '{'), kLoopback, socket.localPort());
    sender.writeDatagram(encodeQuery().leftJustified(2000, ' '), kLoopback, socket.localPort());
    sender.writeDatagram(encodeQuery(), kLoopback, socket.localPort());
    ASSERT_TRUE(waitUntil([&] { return queries == 1 && socket.refused() == 3; }));
    EXPECT_EQ(socket.lastRefusal(), QStringLiteral("longer than 1024 bytes"));
    // Nothing is sent that is too long, or to no port.
    EXPECT_FALSE(socket.sendTo(QByteArray(kMaxDatagramSize + 1, ' '), kLoopback, 9));
    EXPECT_FALSE(socket.sendTo(encodeQuery(), kLoopback, 0));
}

// Announcements and queries stay on the local network: a proxy the
// application or the system names (here one that is not there) is not used,
// and not even asked for.
TEST(DiscoverySocket, GoesByNoProxy)
{
    quint16 deadPort = 0;
    {
        QTcpServer probe;
        ASSERT_TRUE(probe.listen(kLoopback, 0));
        deadPort = probe.serverPort();
    }
    QNetworkProxy::setApplicationProxy(
        QNetworkProxy(QNetworkProxy::Socks5Proxy, kLoopback.toString(), deadPort));
    const auto restore = qScopeGuard([] { QNetworkProxy::setApplicationProxy(QNetworkProxy()); });
    DiscoverySocket socket;
    ASSERT_EQ(socket.bind(QHostAddress(QHostAddress::AnyIPv4), 0), QString());
    int queries = 0;
    QObject::connect(&socket, &DiscoverySocket::received, [&] { ++queries; });
    QUdpSocket sender;
    sender.setProxy(QNetworkProxy::NoProxy);
    ASSERT_TRUE(sender.bind(kLoopback, 0));
    sender.writeDatagram(encodeQuery(), kLoopback, socket.localPort());
    ASSERT_TRUE(waitUntil([&] { return queries == 1; }));
    EXPECT_TRUE(socket.sendTo(encodeQuery(), kLoopback, sender.localPort()));
}

TEST(Discovery, ALobbysQueryIsAnsweredAtOnce)
{
    HostFixture fx({}, {"Ann"});
    Sink elsewhere; // the announcements go here, not to the lobby
    TableAnnouncer announcer(fx.server.get(), QStringLiteral("Ann"), loopbackTo(elsewhere.port()));
    announcer.setInterval(kNever);
    ASSERT_EQ(announcer.start(), QString());
    ASSERT_TRUE(waitUntil([&] { return !elsewhere.received.isEmpty(); }));

    TableFinder finder(loopbackTo(announcer.queryPort()));
    ASSERT_EQ(finder.start(), QString());
    EXPECT_TRUE(finder.searching());
    EXPECT_EQ(finder.statusText(), QStringLiteral("Looking for tables on your network..."));
    // Only the answer to the query can bring the table.
    ASSERT_TRUE(waitUntil([&] { return finder.tables()->size() == 1; }));
    EXPECT_EQ(announcer.queriesAnswered(), 1u);
    const FoundTable& found = finder.tables()->at(0);
    EXPECT_EQ(found.address, kLoopback);
    EXPECT_EQ(found.table.port, fx.port);
    EXPECT_EQ(found.table.name, QStringLiteral("Ann"));
    EXPECT_EQ(found.table.seatedNames(), QStringList{QStringLiteral("Ann")});
    EXPECT_EQ(finder.statusText(), QStringLiteral("1 table found on your network."));
}

TEST(Discovery, TheListFollowsLoginsGamesAndDeparturesAndForgetsASilentTable)
{
    HostFixture fx({}, {"Ann"});
    Sink nobody; // the lobby's query goes unanswered here
    TableFinder finder(loopbackTo(nobody.port()));
    finder.setTimeout(kNever);
    ASSERT_EQ(finder.start(), QString());
    auto announcer = std::make_unique<TableAnnouncer>(fx.server.get(), QStringLiteral("Ann"),
                                                      loopbackTo(finder.listenPort()));
    // No regular announcements: what the lobby learns comes from the
    // announcements sent at once on each change.
    announcer->setInterval(kNever);
    announcer->start();
    ASSERT_TRUE(waitUntil([&] { return finder.tables()->size() == 1; }));
    EXPECT_EQ(onlyTable(finder).freeSeats(), 5);

    RawClient& bob = fx.join("Bob");
    ASSERT_TRUE(waitUntil([&] { return onlyTable(finder).seatedNames().size() == 2; }));
    EXPECT_EQ(onlyTable(finder).seats[1], QStringLiteral("Bob"));

    // A game starts; newcomers past six seats are spies.
    fx.start(deckof({}));
    ASSERT_TRUE(waitUntil([&] { return onlyTable(finder).running; }));
    EXPECT_EQ(onlyTable(finder).round, 1);
    for (const char* name : {"Cy", "Di", "Ed", "Flo", "Gus"})
        fx.join(name);
    ASSERT_TRUE(waitUntil([&] { return onlyTable(finder).spies == 1; }));
    EXPECT_EQ(onlyTable(finder).freeSeats(), 0);

    fx.leave(bob);
    ASSERT_TRUE(waitUntil([&] { return !onlyTable(finder).seats[1].has_value(); }));
    EXPECT_FALSE(onlyTable(finder).seatedNames().contains(QStringLiteral("Bob")));

    // Silence: the host stops announcing and the lobby lets the table go
    // (the exact six seconds are the table list's test).
    announcer.reset();
    finder.setTimeout(300);
    ASSERT_TRUE(waitUntil([&] { return finder.tables()->size() == 0; }));
    EXPECT_TRUE(finder.statusText().startsWith(QStringLiteral("No tables found")));
}

TEST(Discovery, TheAnnouncementHoldsOnlyWhatThePlayersSee)
{
    HostFixture fx({}, {"Ann", "Bob"});
    TableAnnouncer announcer(fx.server.get(), QStringLiteral("Ann"), loopbackTo(0));
    const TableAnnouncement t = announcer.announcement();
    EXPECT_EQ(t.port, fx.port);
    EXPECT_EQ(t.seatedNames(), (QStringList{QStringLiteral("Ann"), QStringLiteral("Bob")}));
    EXPECT_FALSE(t.running);
    EXPECT_EQ(t.round, 0);
    EXPECT_EQ(t.version, QLatin1String(kVersionText));
    // The players connect from 127.0.0.1: no address appears anywhere.
    EXPECT_FALSE(encodeAnnouncement(t).contains("127.0.0.1"));

    // A connection that has not logged in yet holds its seat without a name.
    fx.connect();
    EXPECT_EQ(announcer.announcement().seats[2], QString());
}

TEST(Discovery, QueriesAreAnsweredOnlyUpToARate)
{
    HostFixture fx({}, {"Ann"});
    Sink elsewhere;
    TableAnnouncer announcer(fx.server.get(), QStringLiteral("Ann"), loopbackTo(elsewhere.port()));
    ASSERT_EQ(announcer.start(), QString());
    Sink asker;
    for (int i = 0; i < 50; ++i)
        asker.socket.writeDatagram(encodeQuery(), kLoopback, announcer.queryPort());
    waitUntil([&] { return asker.received.size() >= TableAnnouncer::kAnswersPerSecond; });
    settle(200);
    // Within one second's window at most the rate is answered; a loaded
    // machine may spread the fifty over two windows.
    EXPECT_GE(asker.received.size(), TableAnnouncer::kAnswersPerSecond);
    EXPECT_LE(asker.received.size(), 2 * TableAnnouncer::kAnswersPerSecond);
    EXPECT_EQ(announcer.queriesAnswered(), quint64(asker.received.size()));
}
