// The hosting player's computer players: they sit down before his game
// starts, stay for the next one, and change when he asks for others.
#include "app/computeropponents.h"
#include "bots/bottable.h"
#include "bots/wordfinder.h"
#include "chat/chatlog.h"
#include "client/clientsession.h"
#include "host/tserver.h"
#include "settings/gameoptions.h"
#include "support/testutil.h"

#include <gtest/gtest.h>

using namespace gorse;
using gorse::test::waitUntil;

namespace {

struct HostingPlayer
{
    TServer server{nullptr, 5};
    GameOptions options;
    ChatLog chat{&options};
    ClientSession session{&chat, nullptr, &options};
    int finders = 0;
    ComputerOpponents opponents{&session, &options, [this] {
                                    ++finders;
                                    static const auto finder = WordFinder::builtIn();
                                    return finder;
                                }};

    HostingPlayer()
    {
        server.setRealTimeClock(false);
        server.startListening(0);
        session.setHosting(true);
        opponents.setHostPort(server.listeningPort());
        session.connectTo(QStringLiteral("127.0.0.1"), server.listeningPort(),
                          QStringLiteral("Ann"));
    }
    QStringList seated() const
    {
        QStringList names;
        for (int n = 1; n <= kSeatCount; ++n) {
            if (server.table().player(n).connected)
                names.append(QString::fromUtf8(server.table().player(n).name));
        }
        return names;
    }
};

} // namespace

TEST(ComputerOpponents, TheyTakeTheirSeatsBeforeTheGameStartsAndStayForTheNext)
{
    HostingPlayer p;
    ASSERT_TRUE(waitUntil([&] { return p.session.loggedIn() && p.seated().size() == 1; }));
    p.options.setComputerPlayers(2);
    p.options.setComputerLevel(0);
    p.opponents.startGame(300, 45);
    EXPECT_FALSE(p.server.table().gameStarted()); // not before they sit
    ASSERT_TRUE(waitUntil([&] { return p.server.table().gameStarted(); }));
    EXPECT_EQ(p.seated(), (QStringList{QStringLiteral("Ann"), QStringLiteral("Klot"),
                                       QStringLiteral("Klock")}));
    EXPECT_EQ(p.server.table().targetScore(), 300);

    // The same choice again: the same players, no new connections.
    const int connections = p.server.highWaterMark();
    p.opponents.startGame(500, 60);
    ASSERT_TRUE(waitUntil([&] { return p.server.table().targetScore() == 500; }));
    EXPECT_EQ(p.server.highWaterMark(), connections);
    EXPECT_EQ(p.seated().size(), 3);

    // One fewer: the table is seated anew; none at all: they all leave.
    p.options.setComputerPlayers(1);
    p.opponents.startGame(600, 60);
    ASSERT_TRUE(waitUntil([&] { return p.server.table().targetScore() == 600; }));
    ASSERT_TRUE(waitUntil([&] { return p.seated().size() == 2; }));
    p.options.setComputerPlayers(0);
    p.opponents.startGame(700, 60);
    ASSERT_TRUE(waitUntil([&] { return p.server.table().targetScore() == 700; }));
    ASSERT_TRUE(waitUntil([&] { return p.seated() == QStringList{QStringLiteral("Ann")}; }));
    EXPECT_EQ(p.finders, 1);
}

TEST(ComputerOpponents, AJoiningPlayerStartsAtOnceAndNeedsNoFinder)
{
    HostingPlayer p;
    p.session.setHosting(false);
    p.options.setComputerPlayers(3);
    ASSERT_TRUE(waitUntil([&] { return p.session.loggedIn(); }));
    p.opponents.startGame(300, 45);
    ASSERT_TRUE(waitUntil([&] { return p.server.table().gameStarted(); }));
    EXPECT_EQ(p.seated(), QStringList{QStringLiteral("Ann")});
    EXPECT_EQ(p.finders, 0);
    EXPECT_EQ(p.opponents.table(), nullptr);
}
