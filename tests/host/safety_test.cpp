// Attacks on the host: acting for another connection, starting games from a
// guest, malformed fields, endless lines, a client that stops reading, and
// messages left behind by a connection that is gone. After each, the host
// must still serve everybody else.
#include "hostfixture.h"
#include "support/testutil.h"

#include <gtest/gtest.h>

using namespace gorse;
using namespace gorse::test;

using Lines = QList<QByteArray>;

namespace {

// Three players; the host still relays a chat from each of them to all.
void expectStillServing(HostFixture& f, const QList<int>& numbers)
{
    f.clear();
    for (int k : numbers)
        f.act(f.client(k), msg::chat(k, "still here|clBlack"));
    f.sync();
    for (int k : numbers) {
        EXPECT_EQ(HostFixture::withPrefix(f.client(k), "CMD_chat+").size(), numbers.size())
            << "client " << k;
    }
}

} // namespace

TEST(HostSafety, MessagesActingForAnotherConnectionAreIgnored)
{
    HostFixture f({"AA", "AAA"});
    f.join("Ann");
    RawClient& bob = f.join("Bob");
    f.join("Cy");
    f.server->deck().stack(filleddeck(cardof("A")));
    f.act(f.client(1), msg::startgame("Ann", 500, 60));
    f.clear();
    const Lines attacks = {"CMD_chat+3+I am Cy|clBlack", "CMD_action+3+leaves|clBlack",
                           "CMD_playasound+3+wave1+",    "CMD_logininfo+3+1.2.0+Mallory",
                           "CMD_kickhim+1+3+",           "CMD_kickhim+3+3+",
                           "CMD_sendword+3+1+2",         "CMD_discard+3+1+"};
    for (const QByteArray& attack : attacks)
        f.act(bob, attack);
    f.sync();
    for (int k = 1; k <= 3; ++k)
        EXPECT_EQ(f.client(k).messages, Lines{}) << "client " << k;
    EXPECT_EQ(f.logged(QStringLiteral("from connection 2 acting for connection")), attacks.size());
    const tplayer& cy = f.server->player(3);
    EXPECT_TRUE(cy.connected);
    EXPECT_EQ(cy.name, "Cy");
    EXPECT_EQ(cy.total, 0);
    EXPECT_EQ(cy.discards, 0);
    EXPECT_EQ(cy.piles[0].position, 1);
    // Acting for itself still works.
    f.act(bob, "CMD_sendword+2+1+2");
    EXPECT_EQ(bob.waitForPrefix("CMD_theword+"), "CMD_theword+2+AA+5+0+1+1+t+2+1+t");
    expectStillServing(f, {1, 2, 3});
}

TEST(HostSafety, OnlyConnectionOneStartsAGame)
{
    HostFixture f({"AT"});
    RawClient& ann = f.join("Ann");
    RawClient& bob = f.join("Bob");
    f.clear();
    f.act(bob, "CMD_startgame+Bob+100+60+");
    f.sync();
    EXPECT_FALSE(f.server->gamestarted());
    EXPECT_TRUE(ann.messages.isEmpty());
    EXPECT_TRUE(bob.messages.isEmpty());
    f.act(ann, "CMD_startgame+Ann+100+60+");
    EXPECT_TRUE(f.server->gamestarted());
    EXPECT_EQ(bob.waitForPrefix("CMD_startgame+"), "CMD_startgame+Ann+100+60+");
}

TEST(HostSafety, MalformedMessagesAreDroppedWholeWithOneLogLine)
{
    HostFixture f({"AA"});
    RawClient& ann = f.join("Ann");
    RawClient& bob = f.join("Bob");
    f.clear();
    // Before a game: a start with a bad number must not even set the flag.
    const Lines early = {"CMD_startgame+Ann+abc+60+", "CMD_startgame+Ann+100+",
                         "CMD_startgame+Ann+100+6x0+", "CMD_startgame+Ann+99999999999+60+"};
    for (const QByteArray& m : early)
        f.act(ann, m);
    EXPECT_FALSE(f.server->gamestarted());

    f.server->deck().stack(filleddeck(cardof("A")));
    f.act(ann, msg::startgame("Ann", 500, 60));
    f.clear();
    const Lines bad = {"CMD_chat+x+hi|clBlack",     "CMD_chat+99999999999+hi|clBlack",
                       "CMD_chat++hi|clBlack",      "CMD_action+-2+hi|clBlack",
                       "CMD_logininfo+12+1.2.0+X",  "CMD_logininfo+0+1.2.0+X",
                       "CMD_kickhim+1+10+",         "CMD_kickhim+1+x+",
                       "CMD_playasound+abc+wave1+", "CMD_sendword+2+9",
                       "CMD_sendword+2+1+0",        "CMD_sendword+0+1+2",
                       "CMD_sendword+2+1+2+1",      "CMD_sendword+2+1+two",
                       "CMD_discard+2+0+",          "CMD_discard+2+9+",
                       "CMD_discard+2+x+",          "CMD_discard+2147483648+1+"};
    for (const QByteArray& m : bad)
        f.act(m.startsWith("CMD_kickhim") ? ann : bob, m);
    f.sync();
    EXPECT_EQ(f.logged(QStringLiteral("dropped a malformed")), early.size() + bad.size());
    EXPECT_TRUE(ann.messages.isEmpty());
    EXPECT_TRUE(bob.messages.isEmpty());
    const tplayer& seat2 = f.server->player(2);
    EXPECT_EQ(seat2.total, 0);
    EXPECT_EQ(seat2.discards, 0);
    for (const tpile& pile : seat2.piles)
        EXPECT_EQ(pile.position, 1);
    expectStillServing(f, {1, 2});
}

TEST(HostSafety, AnEndlessLineClosesOnlyItsConnection)
{
    HostFixture f;
    RawClient& ann = f.join("Ann");
    RawClient& bob = f.join("Bob");
    RawClient& cy = f.join("Cy");
    f.clear();
    // Long but terminated, and split over several writes: relayed whole.
    const QByteArray body = QByteArray(60000, 'a') + "|clBlack";
    bob.sendRaw("CMD_chat+2+" + body.left(30000));
    settle(20);
    f.act(bob, body.mid(30000));
    EXPECT_EQ(cy.waitForPrefix("CMD_chat+2+"), "CMD_chat+2+Bob chats: " + body);

    bob.sendRaw("CMD_chat+2+" + QByteArray(70 * 1024, 'b'));
    EXPECT_TRUE(bob.waitClosed());
    EXPECT_TRUE(waitUntil([&] { return !f.server->player(2).connected; }));
    EXPECT_EQ(f.logged(QStringLiteral("longer than")), 1);
    EXPECT_EQ(ann.waitForPrefix("CMD_playerdisconnected+"), "CMD_playerdisconnected+2+Bob");
    expectStillServing(f, {1, 3});
    // The number comes back with an empty input buffer.
    RawClient& dee = f.join("Dee");
    EXPECT_EQ(f.number(dee), 2);
    expectStillServing(f, {1, 2, 3});
}

TEST(HostSafety, AClientThatStopsReadingIsDropped)
{
    HostFixture f;
    RawClient& ann = f.join("Ann");
    // A client that takes nothing off its socket: tiny buffers on its side,
    // so what the host sends piles up in the host's outgoing queue.
    auto stuck = std::make_unique<RawClient>();
    stuck->socket.setSocketOption(QAbstractSocket::ReceiveBufferSizeSocketOption, 4096);
    stuck->socket.setReadBufferSize(4096);
    f.clients.push_back(std::move(stuck));
    RawClient& bob = *f.clients.back();
    ASSERT_TRUE(bob.connectTo(f.port));
    ASSERT_TRUE(waitUntil([&] { return f.server->player(2).connected; }));
    QObject::disconnect(&bob.socket, &QTcpSocket::readyRead, nullptr, nullptr);
    RawClient& cy = f.join("Cy");
    EXPECT_EQ(f.number(cy), 3);

    const QByteArray chat = msg::chat(1, QByteArray(60000, 'x') + "|clBlack");
    for (int i = 0; i < 400 && f.server->player(2).connected; ++i) {
        ann.send(chat);
        waitUntil([&] { return f.server->messagesqueued() < 20; });
    }
    EXPECT_TRUE(waitUntil([&] { return !f.server->player(2).connected; }));
    EXPECT_EQ(f.logged(QStringLiteral("dropping connection 2: it stopped reading")), 1);
    EXPECT_FALSE(cy.waitForPrefix("CMD_playerdisconnected+2+").isEmpty());
    EXPECT_TRUE(waitUntil([&] { return f.server->messagesqueued() == 0; }));
    cy.messages.clear();
    ann.messages.clear();
    expectStillServing(f, {1, 3});
}

TEST(HostSafety, MessagesOfAConnectionThatLeftDoNotActForTheNextOne)
{
    HostFixture f;
    RawClient& ann = f.join("Ann");
    f.connect();
    RawClient& leaver = f.join("Cy");
    f.clear();
    // Many messages and then the close, in one go: the host sees the close
    // long before it has worked through the messages.
    QByteArray burst;
    for (int i = 0; i < 300; ++i)
        burst += msg::chat(3, "left behind|clBlack") + '\xFF';
    burst += msg::logininfo(3, kVersionText, "Ghost") + '\xFF';
    leaver.sendRaw(burst);
    leaver.close();
    ASSERT_TRUE(waitUntil([&] { return !f.server->player(3).connected; }));
    RawClient& dee = f.join("Dee");
    EXPECT_EQ(f.number(dee), 3);
    ASSERT_TRUE(waitUntil([&] { return f.server->messagesqueued() == 0; }));
    f.sync();
    // Whatever of the burst was handled before the close was noticed came
    // from Cy; nothing was handled as Dee's, and the login did not bring Cy
    // (or a ghost) back.
    EXPECT_LT(HostFixture::withPrefix(ann, "CMD_chat+3+Cy chats: left behind").size(), 300);
    EXPECT_TRUE(HostFixture::withPrefix(ann, "CMD_chat+3+Dee").isEmpty());
    EXPECT_TRUE(HostFixture::withPrefix(ann, "CMD_newplayerinfo+3+Ghost").isEmpty());
    EXPECT_EQ(f.server->player(3).name, "Dee");
    EXPECT_GE(f.logged(QStringLiteral("unhandled messages; they are dropped")), 1);
    expectStillServing(f, {1, 3});
}
