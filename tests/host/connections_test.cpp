// Connection numbers, logins, relays, removal and departures, against a
// real TServer over loopback.
#include "hostfixture.h"
#include "support/testutil.h"

#include <gtest/gtest.h>

using namespace gorse;
using namespace gorse::test;

using Lines = QList<QByteArray>;

TEST(HostConnections, NumbersInArrivalOrderAndTheTenthIsRefused)
{
    HostFixture f;
    for (int k = 1; k <= 9; ++k) {
        RawClient& c = f.connect();
        EXPECT_EQ(c.messages.value(0), "CMD_sendlogininfo+" + QByteArray::number(k));
        EXPECT_EQ(f.server->highwatermark(), k);
    }
    RawClient tenth;
    tenth.socket.connectToHost(QStringLiteral("127.0.0.1"), f.port);
    EXPECT_TRUE(tenth.waitClosed());
    EXPECT_EQ(tenth.messages, Lines{"CMD_full+"});
    EXPECT_EQ(f.server->highwatermark(), 9);
    EXPECT_EQ(f.server->player(10).sock, nullptr);
    EXPECT_EQ(f.logged(QStringLiteral("refused")), 1);
    // The nine keep being served, spies included.
    for (int k = 1; k <= 9; ++k)
        EXPECT_TRUE(f.server->player(k).connected) << k;
    f.sync();
    for (int k = 1; k <= 9; ++k)
        EXPECT_EQ(f.client(k).messages, Lines{"CMD_sendlogininfo+" + QByteArray::number(k)});
}

TEST(HostConnections, TheLowestFreeNumberIsReusedBeforeANewOne)
{
    HostFixture f;
    for (int k = 1; k <= 4; ++k)
        f.connect();
    f.leave(f.client(2));
    EXPECT_EQ(f.number(f.connect()), 2);
    f.leave(f.client(3));
    f.leave(f.client(1));
    EXPECT_EQ(f.number(f.connect()), 1);
    EXPECT_EQ(f.number(f.connect()), 3);
    EXPECT_EQ(f.number(f.connect()), 5);
    EXPECT_EQ(f.server->highwatermark(), 5);
    // The high-water mark never goes down.
    f.leave(f.client(5));
    f.leave(f.client(4));
    EXPECT_EQ(f.server->highwatermark(), 5);
    EXPECT_EQ(f.number(f.connect()), 4);
}

TEST(HostConnections, LoginWelcomesTheNewcomerTellsEverybodyAndWarnsOfOtherVersions)
{
    HostFixture f;
    RawClient& ann = f.join("Ann");
    EXPECT_EQ(ann.messages, (Lines{"CMD_sendlogininfo+1", "CMD_newplayerinfo+1+Ann"}));
    RawClient& silent = f.connect(); // never logs in
    RawClient& cy = f.join("Cy Young", "1.2.0 beta");
    RawClient& dee = f.join("Dee", "1.2.0");
    f.sync();
    EXPECT_EQ(cy.messages, (Lines{"CMD_sendlogininfo+3", "CMD_newplayerinfo+3+Cy Young",
                                  "CMD_existingplayers+1+Ann", "CMD_existingplayers+2+",
                                  "CMD_wrongversion+", "CMD_newplayerinfo+4+Dee"}));
    EXPECT_EQ(ann.messages.mid(2),
              (Lines{"CMD_newplayerinfo+3+Cy Young", "CMD_havewrongversion+Cy Young",
                     "CMD_newplayerinfo+4+Dee"}));
    EXPECT_EQ(silent.messages, (Lines{"CMD_sendlogininfo+2", "CMD_newplayerinfo+3+Cy Young",
                                      "CMD_newplayerinfo+4+Dee"}));
    EXPECT_TRUE(HostFixture::withPrefix(dee, "CMD_wrongversion").isEmpty());
    EXPECT_EQ(f.server->player(3).name, "Cy Young"); // joined all the same
    EXPECT_FALSE(f.server->gamestarted());
}

TEST(HostConnections, RelaysReachEveryoneByteForByte)
{
    HostFixture f;
    f.join("Ann");
    f.join("Bob");
    f.join("Cy");
    for (int k = 4; k <= 7; ++k)
        f.connect(); // a spy among them
    f.clear();
    f.act(f.client(2), "CMD_chat+2+Hi+there|clBlack");
    f.act(f.client(3), "CMD_action+3+waves+grins|$00FF8800");
    f.act(f.client(7), "CMD_chat+7+from the gallery|clRed");
    f.act(f.client(1), "CMD_playasound+1+wave7+");
    f.act(f.client(2), "CMD_playasound+02+wave12+");
    f.sync();
    const Lines expected = {"CMD_chat+2+Bob chats: Hi+there|clBlack",
                            "CMD_action+3+Cy waves+grins|$00FF8800",
                            "CMD_chat+7+ chats: from the gallery|clRed", "CMD_playasound+1+wave7+",
                            "CMD_playasound+2+wave12+"};
    for (int k = 1; k <= 7; ++k)
        EXPECT_EQ(f.client(k).messages, expected) << "client " << k;
}

TEST(HostConnections, OnlyConnectionOneRemovesAndDeparturesGoToTheOthers)
{
    HostFixture f;
    RawClient& ann = f.join("Ann");
    RawClient& early = f.connect(); // closes before logging in
    RawClient& cy = f.join("Cy");
    RawClient& dee = f.join("Dee");
    f.clear();
    f.act(dee, "CMD_kickhim+4+3+");
    f.act(ann, "CMD_kickhim+1+8+"); // nobody there: nothing happens
    f.sync();
    EXPECT_TRUE(f.server->player(3).connected);
    EXPECT_EQ(f.logged(QStringLiteral("only connection 1 removes")), 1);

    f.leave(early);
    f.act(ann, "CMD_kickhim+1+3+");
    EXPECT_TRUE(cy.waitClosed());
    EXPECT_FALSE(f.server->player(3).connected);
    f.sync();
    const Lines departures = {"CMD_playerdisconnected+2+", "CMD_playerdisconnected+3+Cy"};
    EXPECT_EQ(ann.messages, departures);
    EXPECT_EQ(dee.messages, departures);
    EXPECT_TRUE(early.messages.isEmpty());
    EXPECT_TRUE(HostFixture::withPrefix(cy, "CMD_playerdisconnected+3").isEmpty());
    EXPECT_EQ(f.logged(QStringLiteral("connection 3 (Cy) left")), 1);
    // The freed numbers come back empty, socket and input buffer included.
    for (int k : {2, 3}) {
        EXPECT_TRUE(f.server->player(k).name.isEmpty());
        EXPECT_EQ(f.server->player(k).sock, nullptr);
    }
    RawClient& eve = f.join("Eve");
    EXPECT_EQ(f.number(eve), 2);
    EXPECT_EQ(eve.messages.mid(2),
              (Lines{"CMD_existingplayers+1+Ann", "CMD_existingplayers+4+Dee"}));
}
