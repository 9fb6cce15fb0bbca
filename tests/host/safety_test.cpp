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
    const char* const malformed = "event=malformed ";
    // Before a game: a start from a guest or with a bad number does not even
    // set the flag.
    attack(bob, guestStart, onlyOne);
    attack(ann,
           {"CMD_startgame+Ann+abc+60+", "CMD_startgame+Ann+100+", "CMD_startgame+Ann+100+6x0+",
            "CMD_startgame+Ann+99999999999+60+"},
           malformed);
    EXPECT_FALSE(f.server->table().gameStarted());
    // Connection 1's start is obeyed and relayed as it was sent.
    f.server->table().deck().stack(deckof({}));
    f.act(ann, "CMD_startgame+Ann+0500+60+");
    EXPECT_EQ(bob.waitForPrefix("CMD_startgame+"), "CMD_startgame+Ann+0500+60+");
    f.clear();

    attack(bob, guestStart, onlyOne);
    attack(bob,
           {"CMD_chat+3+I am Cy|clBlack", "CMD_action+3+leaves|clBlack", "CMD_playasound+3+wave1+",
            "CMD_logininfo+3+1.2.0+Mallory", "CMD_kickhim+1+3+", "CMD_kickhim+3+3+",
            "CMD_sendword+3+1+2", "CMD_discard+3+1+"},
           "conn=2 for=");
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
        const tplayer& p = f.server->table().player(seat);
        EXPECT_TRUE(p.total == 0 && p.discards == 0 && p.connected) << seat;
        for (const tpile& pile : p.piles)
            EXPECT_EQ(pile.position, 1) << seat;
    }
    // Acting for itself still works.
    f.act(bob, "CMD_sendword+2+1+2");
    EXPECT_EQ(bob.waitForPrefix("CMD_theword+"), "CMD_theword+2+AA+5+0+1+1+t+2+1+t");
    expectStillServing(f, {1, 2, 3});
}

// The same bytes, written whole or in the 1,400-byte pieces a network
// delivers, must meet the same rules.
void sendWholeOrInPieces(RawClient& c, const QByteArray& bytes, bool pieces)
{
    if (!pieces) {
        c.sendRaw(bytes);
        return;
    }
    for (qsizetype at = 0; at < bytes.size(); at += 1400) {
        c.sendRaw(bytes.mid(at, 1400));
        c.socket.flush();
        settle(1);
    }
}

TEST(HostSafety, AnOverlongLineClosesOnlyItsConnectionWholeOrInPieces)
{
    for (const bool pieces : {false, true}) {
        SCOPED_TRACE(pieces ? "in pieces" : "whole");
        HostFixture f({}, {"Ann", "Bob", "Cy"});
        RawClient& bob = f.client(2);
        f.clear();
        // Ended, but longer than any line may be.
        sendWholeOrInPieces(bob, frame("CMD_chat+2+" + QByteArray(90000, 'b') + "|clBlack"),
                            pieces);
        EXPECT_TRUE(bob.waitClosed());
        EXPECT_EQ(f.logged(QStringLiteral("longer than")), 1);
        EXPECT_FALSE(f.client(1).waitForPrefix("CMD_playerdisconnected+2+Bob").isEmpty());
        EXPECT_TRUE(withPrefix(f.client(1), "CMD_chat+").isEmpty());
        // The number comes back with an empty input buffer.
        EXPECT_EQ(f.number(f.join("Dee")), 2);
        expectStillServing(f, {1, 2, 3});
    }
}

TEST(HostSafety, AnEndlessLineClosesOnlyItsConnection)
{
    HostFixture f({}, {"Ann", "Bob", "Cy"});
    RawClient& bob = f.client(2);
    f.clear();
    bob.sendRaw("CMD_chat+2+" + QByteArray(70 * 1024, 'b'));
    EXPECT_TRUE(bob.waitClosed());
    EXPECT_EQ(f.logged(QStringLiteral("longer than")), 1);
    EXPECT_FALSE(f.client(1).waitForPrefix("CMD_playerdisconnected+2+Bob").isEmpty());
    EXPECT_EQ(f.number(f.join("Dee")), 2);
    expectStillServing(f, {1, 2, 3});
}

TEST(HostSafety, ChatsActionsAndSoundsOverTheLimitAreDroppedAndTheSenderStays)
{
    const QByteArray longest(kMaxChatText, 'a');
    struct Case
    {
        QByteArray message;
        QByteArray relay; // empty: not relayed
    };
    const Case cases[] = {
        {"CMD_chat+2+" + longest + "|clFuchsia", "CMD_chat+2+Bob chats: " + longest + "|clFuchsia"},
        {"CMD_action+2+" + longest + "|$00123456", "CMD_action+2+Bob " + longest + "|$00123456"},
        {"CMD_chat+2+" + longest + "a|clFuchsia", {}},
        {"CMD_chat+2+" + QByteArray(30000, 'c') + "|clBlack", {}},
        {"CMD_action+2+" + QByteArray(5000, 'd') + "|clBlack", {}},
        {"CMD_playasound+2+wave3+" + QByteArray(2000, 'e'), {}},
    };
    for (const bool pieces : {false, true}) {
        for (const Case& c : cases) {
            SCOPED_TRACE((pieces ? "in pieces: " : "whole: ") + c.message.left(40).toStdString());
            HostFixture f({}, {"Ann", "Bob", "Cy"});
            f.clear();
            const quint64 before = f.server->messagesHandled();
            sendWholeOrInPieces(f.client(2), frame(c.message), pieces);
            ASSERT_TRUE(waitUntil([&] { return f.server->messagesHandled() > before; }));
            f.sync();
            EXPECT_EQ(f.client(3).messages, c.relay.isEmpty() ? Lines{} : Lines{c.relay});
            EXPECT_EQ(f.logged(QStringLiteral("event=not_relayed ")), c.relay.isEmpty() ? 1 : 0);
            EXPECT_TRUE(f.server->table().player(2).connected);
            expectStillServing(f, {1, 2, 3});
        }
    }
}

TEST(HostSafety, AClientThatStopsReadingIsDropped)
{
    HostFixture f({}, {"Ann"});
    // A client that takes nothing off its socket: tiny buffers on its side,
    // so what the host sends piles up in the host's outgoing queue.
    RawClient& bob = *f.clients.emplace_back(std::make_unique<RawClient>());
    bob.socket.setReadBufferSize(4096);
    ASSERT_TRUE(bob.connectTo(f.port));
    // Set on the connected socket, so that the network's own buffer for it
    // does not grow either.
    bob.socket.setSocketOption(QAbstractSocket::ReceiveBufferSizeSocketOption, 4096);
    ASSERT_TRUE(waitUntil([&] { return f.server->table().player(2).connected; }));
    QObject::disconnect(&bob.socket, &QTcpSocket::readyRead, nullptr, nullptr);
    RawClient& cy = f.join("Cy");

    QByteArray chats;
    for (int i = 0; i < 50; ++i)
        chats += frame(msg::chat(1, QByteArray(kMaxChatText, 'x') + "|clBlack"));
    for (int i = 0; i < 400 && f.server->table().player(2).connected; ++i) {
        f.client(1).sendRaw(chats);
        waitUntil([&] {
            return f.client(1).socket.bytesToWrite() == 0 && f.server->messagesQueued() < 20;
        });
    }
    EXPECT_TRUE(waitUntil([&] { return !f.server->table().player(2).connected; }));
    EXPECT_EQ(f.logged(QStringLiteral("event=drop conn=2 reason=stopped_reading")), 1);
    EXPECT_FALSE(cy.waitForPrefix("CMD_playerdisconnected+2+").isEmpty());
    EXPECT_TRUE(waitUntil([&] { return f.server->messagesQueued() == 0; }));
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
    ASSERT_TRUE(waitUntil([&] { return !f.server->table().player(3).connected; }));
    EXPECT_EQ(f.number(f.join("Dee")), 3);
    ASSERT_TRUE(waitUntil([&] { return f.server->messagesQueued() == 0; }));
    f.sync();
    // Whatever of the burst was handled before the close was noticed came
    // from Cy; nothing was handled as Dee's: after Cy's departure only Dee
    // speaks for number 3.
    const Lines& heard = f.client(1).messages;
    qsizetype left = 0;
    while (left < heard.size() && !heard[left].startsWith("CMD_playerdisconnected+3+"))
        ++left;
    ASSERT_LT(left, heard.size());
    for (const QByteArray& m : heard.mid(left))
        EXPECT_FALSE(m.startsWith("CMD_chat+3+") || m.startsWith("CMD_newplayerinfo+3+Ghost"))
            << m.constData();
    EXPECT_TRUE(withPrefix(f.client(1), "CMD_chat+3+Dee").isEmpty());
    EXPECT_EQ(f.server->table().player(3).name, "Dee");
    expectStillServing(f, {1, 3});
}
