// Attacks on the host: acting for another connection, starting games from a
// guest, malformed fields, endless lines, a client that stops reading, and
// messages left behind by a connection that is gone. After each, the host
// must still serve everybody else.
#include "hostfixture.h"
#include "support/testutil.h"

#include <gtest/gtest.h>

using namespace gorse;
using namespace gorse::test;

namespace {

// The host still relays a chat from each of these connections to all of them.
void expectStillServing(HostFixture& f, const QList<int>& numbers)
{
    f.clear();
    for (int k : numbers)
        f.act(k, msg::chat(k, "still here|clBlack"));
    f.sync();
    for (int k : numbers)
        EXPECT_EQ(withPrefix(f.client(k), "CMD_chat+").size(), numbers.size()) << "client " << k;
}

} // namespace

TEST(HostSafety, ForeignGuestAndMalformedMessagesChangeNothing)
{
    HostFixture f({"AA", "AAA"}, {"Ann", "Bob", "Cy"});
    RawClient& ann = f.client(1);
    RawClient& bob = f.client(2);
    f.clear();
    // Each is ignored or dropped whole with one log line saying why, and
    // nobody hears of it.
    auto attack = [&](RawClient& from, const Lines& messages, const char* why) {
        for (const QByteArray& m : messages) {
            const qsizetype lines = f.log.size();
            f.act(from, m);
            EXPECT_EQ(f.log.size(), lines + 1) << m.constData();
            EXPECT_TRUE(f.log.last().contains(QLatin1String(why))) << m.constData();
        }
        f.sync();
        for (int k = 1; k <= 3; ++k)
            EXPECT_EQ(f.client(k).messages, Lines{}) << "client " << k;
    };
    const Lines guestStart = {"CMD_startgame+Bob+100+60+"};
    const char* const onlyOne = "only connection 1 starts games";
    const char* const malformed = "dropped a malformed";
    // Before a game: a start from a guest or with a bad number does not even
    // set the flag.
    attack(bob, guestStart, onlyOne);
    attack(ann,
           {"CMD_startgame+Ann+abc+60+", "CMD_startgame+Ann+100+", "CMD_startgame+Ann+100+6x0+",
            "CMD_startgame+Ann+99999999999+60+"},
           malformed);
    EXPECT_FALSE(f.server->gamestarted());
    // Connection 1's start is obeyed and relayed as it was sent.
    f.server->deck().stack(deckof({}));
    f.act(ann, "CMD_startgame+Ann+0500+60+");
    EXPECT_EQ(bob.waitForPrefix("CMD_startgame+"), "CMD_startgame+Ann+0500+60+");
    f.clear();

    attack(bob, guestStart, onlyOne);
    attack(bob,
           {"CMD_chat+3+I am Cy|clBlack", "CMD_action+3+leaves|clBlack", "CMD_playasound+3+wave1+",
            "CMD_logininfo+3+1.2.0+Mallory", "CMD_kickhim+1+3+", "CMD_kickhim+3+3+",
            "CMD_sendword+3+1+2", "CMD_discard+3+1+"},
           "from connection 2 acting for connection");
    attack(bob,
           {"CMD_chat+x+hi|clBlack", "CMD_chat+99999999999+hi|clBlack", "CMD_chat++hi|clBlack",
            "CMD_action+-2+hi|clBlack", "CMD_logininfo+12+1.2.0+X", "CMD_logininfo+0+1.2.0+X",
            "CMD_playasound+abc+wave1+", "CMD_sendword+2+9", "CMD_sendword+2+1+0",
            "CMD_sendword+0+1+2", "CMD_sendword+2+1+2+1", "CMD_sendword+2+1+two",
            "CMD_discard+2+0+", "CMD_discard+2+9+", "CMD_discard+2+x+",
            "CMD_discard+2147483648+1+"},
           malformed);
    attack(ann, {"CMD_kickhim+1+10+", "CMD_kickhim+1+x+"}, malformed);
    for (int seat : {2, 3}) {
        const tplayer& p = f.server->player(seat);
        EXPECT_TRUE(p.total == 0 && p.discards == 0 && p.connected) << seat;
        for (const tpile& pile : p.piles)
            EXPECT_EQ(pile.position, 1) << seat;
    }
    // Acting for itself still works.
    f.act(bob, "CMD_sendword+2+1+2");
    EXPECT_EQ(bob.waitForPrefix("CMD_theword+"), "CMD_theword+2+AA+5+0+1+1+t+2+1+t");
    expectStillServing(f, {1, 2, 3});
}

TEST(HostSafety, AnEndlessLineClosesOnlyItsConnection)
{
    HostFixture f({}, {"Ann", "Bob", "Cy"});
    RawClient& bob = f.client(2);
    f.clear();
    // Long but terminated, and split over several writes: relayed whole.
    const QByteArray body = QByteArray(60000, 'a') + "|clBlack";
    bob.sendRaw("CMD_chat+2+" + body.left(30000));
    settle(20);
    f.act(bob, body.mid(30000));
    EXPECT_EQ(f.client(3).waitForPrefix("CMD_chat+2+"), "CMD_chat+2+Bob chats: " + body);

    bob.sendRaw("CMD_chat+2+" + QByteArray(70 * 1024, 'b'));
    EXPECT_TRUE(bob.waitClosed());
    EXPECT_EQ(f.logged(QStringLiteral("longer than")), 1);
    EXPECT_FALSE(f.client(1).waitForPrefix("CMD_playerdisconnected+2+Bob").isEmpty());
    // The number comes back with an empty input buffer.
    EXPECT_EQ(f.number(f.join("Dee")), 2);
    expectStillServing(f, {1, 2, 3});
}

TEST(HostSafety, AClientThatStopsReadingIsDropped)
{
    HostFixture f({}, {"Ann"});
    // A client that takes nothing off its socket: tiny buffers on its side,
    // so what the host sends piles up in the host's outgoing queue.
    RawClient& bob = *f.clients.emplace_back(std::make_unique<RawClient>());
    bob.socket.setSocketOption(QAbstractSocket::ReceiveBufferSizeSocketOption, 4096);
    bob.socket.setReadBufferSize(4096);
    ASSERT_TRUE(bob.connectTo(f.port));
    ASSERT_TRUE(waitUntil([&] { return f.server->player(2).connected; }));
    QObject::disconnect(&bob.socket, &QTcpSocket::readyRead, nullptr, nullptr);
    RawClient& cy = f.join("Cy");

    const QByteArray chat = msg::chat(1, QByteArray(60000, 'x') + "|clBlack");
    for (int i = 0; i < 400 && f.server->player(2).connected; ++i) {
        f.client(1).send(chat);
        waitUntil([&] { return f.server->messagesqueued() < 20; });
    }
    EXPECT_TRUE(waitUntil([&] { return !f.server->player(2).connected; }));
    EXPECT_EQ(f.logged(QStringLiteral("dropping connection 2: it stopped reading")), 1);
    EXPECT_FALSE(cy.waitForPrefix("CMD_playerdisconnected+2+").isEmpty());
    EXPECT_TRUE(waitUntil([&] { return f.server->messagesqueued() == 0; }));
    expectStillServing(f, {1, 3});
}

TEST(HostSafety, MessagesOfAConnectionThatLeftDoNotActForTheNextOne)
{
    HostFixture f({}, {"Ann"});
    f.connect();
    RawClient& leaver = f.join("Cy");
    f.clear();
    // Many messages and then the close, in one go: the host sees the close
    // long before it has worked through the messages.
    QByteArray burst;
    for (int i = 0; i < 300; ++i)
        burst += msg::chat(3, "left behind|clBlack") + '\xFF';
    leaver.sendRaw(burst + msg::logininfo(3, kVersionText, "Ghost") + '\xFF');
    leaver.close();
    ASSERT_TRUE(waitUntil([&] { return !f.server->player(3).connected; }));
    EXPECT_EQ(f.number(f.join("Dee")), 3);
    ASSERT_TRUE(waitUntil([&] { return f.server->messagesqueued() == 0; }));
    f.sync();
    // Whatever of the burst was handled before the close was noticed came
    // from Cy; nothing was handled as Dee's, and no ghost logged in.
    EXPECT_LT(withPrefix(f.client(1), "CMD_chat+3+Cy chats: left behind").size(), 300);
    EXPECT_TRUE(withPrefix(f.client(1), "CMD_chat+3+Dee").isEmpty());
    EXPECT_TRUE(withPrefix(f.client(1), "CMD_newplayerinfo+3+Ghost").isEmpty());
    EXPECT_EQ(f.server->player(3).name, "Dee");
    EXPECT_GE(f.logged(QStringLiteral("unhandled messages; they are dropped")), 1);
    expectStillServing(f, {1, 3});
}
