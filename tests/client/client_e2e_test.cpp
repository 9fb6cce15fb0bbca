// A real game host and several clients over loopback: logging in, chatting,
// spying, removal and leaving, as seen by each client.
#include "dict/tdictn.h"
#include "host/tserver.h"
#include "net/messages.h"
#include "support/clientcore.h"
#include "support/rawclient.h"
#include "support/testutil.h"

#include <gtest/gtest.h>
#include <memory>

using namespace gorse;
using gorse::test::RawClient;
using gorse::test::waitUntil;

namespace {

struct Player : test::ClientCore
{
    bool closed = false;

    Player(quint16 port, const QString& name, bool hosting = false)
    {
        session.setHosting(hosting);
        QObject::connect(&session, &ClientSession::connectionClosed, [this] { closed = true; });
        session.connectTo(QStringLiteral("127.0.0.1"), port, name);
    }
    QString chatText() const { return chat.plainText(); }
};

} // namespace

TEST(ClientEndToEnd, LoginChatSpyRemovalAndLeaving)
{
    TServer server(std::make_unique<TDictn>(QByteArray()), 7);
    server.startListening(0);
    const quint16 port = server.listeningPort();

    Player ann(port, QStringLiteral("Ann"), true);
    ASSERT_TRUE(waitUntil([&] { return ann.session.seat(1).name == QLatin1String("Ann"); }));
    Player bob(port, QStringLiteral("Bob"));
    ASSERT_TRUE(waitUntil([&] { return bob.session.seat(2).name == QLatin1String("Bob"); }));
    Player cat(port, QStringLiteral("Cat"));
    ASSERT_TRUE(waitUntil([&] {
        return ann.session.seat(3).name == QLatin1String("Cat") &&
               cat.session.seat(1).name == QLatin1String("Ann") &&
               cat.session.seat(2).name == QLatin1String("Bob");
    }));
    EXPECT_EQ(ann.session.ownNumber(), 1);
    EXPECT_EQ(cat.session.ownNumber(), 3);
    EXPECT_TRUE(cat.chatText().contains(QStringLiteral("You are Connected.")));
    EXPECT_TRUE(ann.chatText().contains(QStringLiteral("Cat is Connected.")));

    // A chat line with a smiley and a link reaches everybody, in its colour.
    ASSERT_TRUE(bob.session.sendit(QStringLiteral("hi :)#12 see www.example.org"), 0x008000));
    for (Player* p : {&ann, &bob, &cat}) {
        ASSERT_TRUE(
            waitUntil([&] { return p->chatText().contains(QStringLiteral("Bob chats:")); }));
        const QList<ChatPiece> pieces = p->chat.pieces();
        const auto link = std::find_if(pieces.begin(), pieces.end(),
                                       [](const ChatPiece& c) { return c.link >= 0; });
        ASSERT_NE(link, pieces.end());
        EXPECT_EQ(p->chat.linkAddress(link->link), QStringLiteral("www.example.org"));
        EXPECT_TRUE(std::any_of(pieces.begin(), pieces.end(),
                                [](const ChatPiece& c) { return c.image == 2; }));
        EXPECT_EQ(p->chat.style(ChatLog::styleForOrigin(2)).colour, 0x008000u);
    }

    // Seats 4 to 6 taken by bare connections, so the next player spies.
    QList<std::shared_ptr<RawClient>> fillers;
    for (int n = 4; n <= 6; ++n) {
        auto raw = std::make_shared<RawClient>();
        ASSERT_TRUE(raw->connectTo(port));
        ASSERT_FALSE(raw->waitForPrefix("CMD_sendlogininfo+").isEmpty());
        raw->send(msg::logininfo(n, kVersionText, "Filler" + QByteArray::number(n)));
        fillers.append(raw);
    }
    Player eve(port, QStringLiteral("Eve"));
    ASSERT_TRUE(waitUntil(
        [&] { return eve.session.ownNumber() == 7 && !ann.session.table()->spies().isEmpty(); }));
    ASSERT_TRUE(waitUntil([&] {
        return test::spyItems(*cat.session.table()) == QStringList{QStringLiteral("7: Eve")};
    }));
    EXPECT_EQ(test::spyItems(*ann.session.table()), QStringList{QStringLiteral("7: Eve")});
    EXPECT_TRUE(
        waitUntil([&] { return eve.chatText().contains(QStringLiteral("You are spying.")); }));
    EXPECT_TRUE(ann.chatText().contains(QStringLiteral("Eve is spying.")));
    EXPECT_EQ(eve.session.seat(6).name, QStringLiteral("Filler6"));

    // Only the hosting player removes: Bob's request is not even sent.
    bob.session.kicking(3);
    ann.session.kicking(2);
    ASSERT_TRUE(waitUntil([&] { return bob.closed; }));
    ASSERT_TRUE(waitUntil([&] { return !cat.session.seat(2).taken; }));
    EXPECT_TRUE(cat.chatText().contains(QStringLiteral("Bob disconnected.")));
    EXPECT_FALSE(cat.closed);

    // The spy leaves.
    eve.session.sock().Close();
    ASSERT_TRUE(waitUntil([&] {
        return ann.session.table()->spies().isEmpty() && cat.session.table()->spies().isEmpty();
    }));
    EXPECT_TRUE(ann.chatText().contains(QStringLiteral("Eve has left.")));
    EXPECT_EQ(cat.session.seat(1).name, QStringLiteral("Ann"));
    EXPECT_EQ(cat.session.seat(3).name, QStringLiteral("Cat"));
}
