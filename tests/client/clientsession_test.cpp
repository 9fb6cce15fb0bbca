// The client's side of the connection: login, seats, spies, departures.
#include "net/messages.h"
#include "support/clientcore.h"
#include "support/qtprint.h"
#include "support/rawclient.h"
#include "support/testutil.h"

#include <QTcpServer>
#include <QTcpSocket>
#include <gtest/gtest.h>

using namespace gorse;
using gorse::test::chatLines;
using gorse::test::waitUntil;

namespace {

// A session and its stand-in host.
struct Fixture : test::ClientCore
{
    void connect(const QString& name = QStringLiteral("Cat"))
    {
        ASSERT_TRUE(ClientCore::connect(name));
    }
};

} // namespace

TEST(ClientSession, LoggingInAsThreeIntoATableOfTwo)
{
    Fixture f;
    f.connect();
    f.hostSays("CMD_sendlogininfo+3");
    EXPECT_EQ(f.session.ownNumber(), 3);
    EXPECT_TRUE(f.session.loggedIn());
    // The login name ends in 0xFF, so the answer carries two terminators.
    ASSERT_TRUE(waitUntil([&] { return f.fromClient.size() >= 27; }));
    EXPECT_EQ(f.fromClient, QByteArray("CMD_logininfo+3+1.2.0+Cat\xFF\xFF"));

    f.hostSays(msg::newplayerinfo(3, "Cat"));
    f.hostSays(msg::existingplayers(1, "Ann"));
    f.hostSays(msg::existingplayers(2, "Bob"));
    EXPECT_EQ(chatLines(f.chat), (QStringList{QStringLiteral("You are Connected."),
                                              QStringLiteral("Ann is Connected."),
                                              QStringLiteral("Bob is Connected.")}));
    EXPECT_EQ(f.options.loads, 1); // read once, at the own login
    EXPECT_EQ(f.sound.cues, (QStringList{QStringLiteral("entered"), QStringLiteral("entered"),
                                         QStringLiteral("entered")}));
    EXPECT_EQ(f.session.seat(1).name, QStringLiteral("Ann"));
    EXPECT_EQ(f.session.seat(2).name, QStringLiteral("Bob"));
    EXPECT_EQ(f.session.seat(3).name, QStringLiteral("Cat"));
    EXPECT_EQ(f.session.seat(3).heading, QStringLiteral("Cat [0]"));
    EXPECT_FALSE(f.session.seat(4).taken);
    EXPECT_EQ(f.session.seat(4).shownName(), QStringLiteral("<Waiting>"));
    EXPECT_EQ(f.session.seat(4).heading, QStringLiteral("[0] <WAITING>"));
    EXPECT_EQ(f.session.loadchecklist(),
              (QStringList{QStringLiteral("Ann"), QStringLiteral("Bob")}));
    EXPECT_TRUE(f.session.table()->spies().isEmpty());
}

TEST(ClientSession, SpiesAreListedAndLeaveByExactEntry)
{
    Fixture f;
    f.connect(QStringLiteral("Eve"));
    f.hostSays("CMD_sendlogininfo+7");
    f.hostSays(msg::newplayerinfo(7, "Eve"));
    f.hostSays(msg::newplayerinfo(8, "Mallory"));
    EXPECT_EQ(test::spyItems(*f.session.table()),
              (QStringList{QStringLiteral("7: Eve"), QStringLiteral("8: Mallory")}));
    for (int n = 1; n <= 6; ++n)
        EXPECT_FALSE(f.session.seat(n).taken);
    // A departure whose name does not match the entry shows nothing.
    f.hostSays(msg::playerdisconnected(8, "Mal"));
    EXPECT_EQ(f.session.table()->spies().size(), 2);
    f.hostSays(msg::playerdisconnected(8, "Mallory"));
    EXPECT_EQ(test::spyItems(*f.session.table()), QStringList{QStringLiteral("7: Eve")});
    f.hostSays(msg::playerdisconnected(9, "Nobody"));
    EXPECT_EQ(
        chatLines(f.chat),
        (QStringList{QStringLiteral("You are Connected."), QStringLiteral("You are spying."),
                     QStringLiteral("Mallory is Connected."), QStringLiteral("Mallory is spying."),
                     QStringLiteral("Mallory has left.")}));
}

TEST(ClientSession, SeatedPlayerLeavingTwiceAndEmptyNames)
{
    Fixture f;
    f.hostSays("CMD_sendlogininfo+1");
    f.hostSays(msg::newplayerinfo(1, "Ann"));
    f.hostSays(msg::newplayerinfo(2, "Bob"));
    f.session.table()->setTotal(2, 40);
    f.hostSays(msg::playerdisconnected(2, "Bob"));
    f.hostSays(msg::playerdisconnected(2, "Bob"));
    EXPECT_FALSE(f.session.seat(2).taken);
    EXPECT_EQ(f.session.seat(2).heading, QStringLiteral("<Waiting> [0]"));
    EXPECT_EQ(f.session.seat(2).total, 40); // scores stay
    EXPECT_EQ(chatLines(f.chat).count(QStringLiteral("Bob disconnected.")), 1);

    // A connection that has not logged in yet is announced without a name.
    f.hostSays(msg::existingplayers(3, ""));
    EXPECT_EQ(f.session.seat(3).name, QString());
    EXPECT_TRUE(f.session.seat(3).taken);
    EXPECT_EQ(chatLines(f.chat).last(), QStringLiteral("is Connected."));
    EXPECT_EQ(f.session.loadchecklist(), QStringList{QString()});
}

TEST(ClientSession, VersionNoticesFullAndClose)
{
    Fixture f;
    f.connect();
    int full = 0, closed = 0;
    QObject::connect(&f.session, &ClientSession::gameFull, [&] { ++full; });
    QObject::connect(&f.session, &ClientSession::connectionClosed, [&] { ++closed; });
    f.hostSays("CMD_havewrongversion+Bob");
    f.hostSays("CMD_wrongversion+");
    EXPECT_EQ(
        chatLines(f.chat),
        (QStringList{QStringLiteral("Bob has a different version of the game then you."),
                     QStringLiteral("You have a differnt version of the game then the host.")}));
    f.hostSays("CMD_full+");
    EXPECT_EQ(full, 1);
    f.peer->close();
    // The notice is up: the program waits for it, then ends.
    test::settle(50);
    EXPECT_EQ(closed, 0);
    f.session.noticeDismissed();
    EXPECT_EQ(closed, 1);
}

TEST(ClientSession, TheGameIsFullNoticeNeitherBlocksTheQueueNorKeepsTheProgram)
{
    Fixture f;
    f.connect();
    f.session.setNoticeTimeoutMs(300);
    QStringList events;
    QObject::connect(&f.session, &ClientSession::gameFull,
                     [&] { events.append(QStringLiteral("full")); });
    QObject::connect(&f.session, &ClientSession::connectionClosed,
                     [&] { events.append(QStringLiteral("closed")); });
    // Two refusals and a chat in one read, then the host closes at once.
    f.peer->write(frame(msg::full()) + frame(msg::full()) +
                  frame(msg::chatRelay(2, "Bob", "still|clBlack")));
    f.peer->disconnectFromHost();
    // Everything is handled without waiting for the notice...
    ASSERT_TRUE(
        waitUntil([&] { return chatLines(f.chat).contains(QStringLiteral("Bob chats:  still")); }));
    EXPECT_EQ(events, QStringList{QStringLiteral("full")});
    // ...and nobody answering it does not keep the program alive.
    ASSERT_TRUE(waitUntil([&] { return events.size() == 2; }));
    EXPECT_EQ(events, (QStringList{QStringLiteral("full"), QStringLiteral("closed")}));
    test::settle(50);
    EXPECT_EQ(events.size(), 2);
    f.session.noticeDismissed(); // answered late: nothing more happens
    EXPECT_EQ(events.size(), 2);
}

TEST(ClientSession, WithoutANoticeTheClosedConnectionEndsAtOnce)
{
    Fixture f;
    f.connect();
    int closed = 0;
    QObject::connect(&f.session, &ClientSession::connectionClosed, [&] { ++closed; });
    f.peer->write(frame(msg::chatRelay(2, "Bob", "bye|clBlack")));
    f.peer->disconnectFromHost();
    ASSERT_TRUE(waitUntil([&] { return closed == 1; }, 1000));
    EXPECT_TRUE(chatLines(f.chat).contains(QStringLiteral("Bob chats:  bye")));
}

TEST(ClientSession, AnOverlongLineFromTheHostEndsTheConnectionWholeOrInPieces)
{
    for (const bool pieces : {false, true}) {
        SCOPED_TRACE(pieces ? "in pieces" : "whole");
        Fixture f;
        f.connect();
        int closed = 0;
        QObject::connect(&f.session, &ClientSession::connectionClosed, [&] { ++closed; });
        const QByteArray ok = frame(msg::chatRelay(2, "Bob", QByteArray(5000, 'a') + "|clBlack"));
        const QByteArray overlong =
            frame(msg::chatRelay(2, "Bob", QByteArray(90000, 'b') + "|clBlack"));
        const QByteArray bytes = ok + overlong;
        for (qsizetype at = 0; at < bytes.size(); at += pieces ? 1400 : bytes.size())
            f.session.receiveBytes(bytes.mid(at, pieces ? 1400 : bytes.size()));
        f.session.processQueued();
        // The line before it is shown; the overlong one is not, and the
        // connection goes, however the bytes were cut.
        EXPECT_EQ(chatLines(f.chat).size(), 1);
        EXPECT_FALSE(f.session.sock().Connected());
        ASSERT_TRUE(waitUntil([&] { return closed == 1; }));
    }
}

TEST(ClientSession, RemovalOnlyFromTheHostingPlayerAndOnlyLoggedIn)
{
    Fixture f;
    f.connect(QStringLiteral("Ann"));
    f.session.kicking(2); // hosting flag clear, not logged in
    f.session.setHosting(true);
    f.session.kicking(2); // not logged in yet
    f.hostSays("CMD_sendlogininfo+1");
    f.hostSays(msg::newplayerinfo(1, "Ann"));
    f.hostSays(msg::newplayerinfo(2, "Bob"));
    EXPECT_FALSE(f.session.canRemoveSeat(1));
    EXPECT_TRUE(f.session.canRemoveSeat(2));
    EXPECT_FALSE(f.session.canRemoveSeat(3)); // an empty seat
    f.session.kicking(2);
    ASSERT_TRUE(waitUntil([&] { return f.fromClient.contains("CMD_kickhim"); }));
    EXPECT_TRUE(f.fromClient.endsWith(QByteArray("\xFF\xFF"
                                                 "CMD_kickhim+1+2+\xFF")));
    EXPECT_EQ(f.fromClient.count("CMD_kickhim"), 1);
}

TEST(ClientSession, ChatEntrySendsChatAndActionsOnlyWhenLoggedIn)
{
    Fixture f;
    f.connect(QStringLiteral("Ann"));
    EXPECT_FALSE(f.session.sendit(QStringLiteral("too early"), 0));
    f.hostSays("CMD_sendlogininfo+4");
    ASSERT_TRUE(waitUntil([&] { return f.fromClient.endsWith("\xFF\xFF"); }));
    f.fromClient.clear();
    EXPECT_TRUE(f.session.sendit(QStringLiteral("Hi+there|x"), 0x000000));
    EXPECT_TRUE(f.session.sendit(QStringLiteral("/me waves"), 0x123456));
    EXPECT_TRUE(f.session.sendit(QStringLiteral("/me"), 0x0000FF));
    EXPECT_TRUE(f.session.sendit(QStringLiteral("/ME shouts"), 0)); // case differs: nothing
    EXPECT_TRUE(f.session.sendit(QStringLiteral("/quit"), 0));      // nothing
    EXPECT_TRUE(f.session.sendit(QString(), 0));                    // nothing
    const QByteArray expected = "CMD_chat+4+Hi+there|x|clBlack\xFF"
                                "CMD_action+4+waves|$00123456\xFF"
                                "CMD_action+4+|clRed\xFF";
    ASSERT_TRUE(waitUntil([&] { return f.fromClient.size() >= expected.size(); }));
    test::settle(20);
    EXPECT_EQ(f.fromClient, expected);
}

TEST(ClientSession, SplitAndMalformedMessages)
{
    Fixture f;
    QStringList log;
    QObject::connect(&f.session, &ClientSession::logLine, [&](const QString& l) { log.append(l); });
    // A message split over two reads is still one message.
    f.session.receiveBytes("CMD_newplayer");
    f.session.receiveBytes("info+2+Bob\xFF");
    f.session.processQueued();
    EXPECT_EQ(f.session.seat(2).name, QStringLiteral("Bob"));
    f.hostSays("CMD_newplayerinfo+two+Bob");
    EXPECT_EQ(log.size(), 1);
    EXPECT_EQ(f.session.seat(2).name, QStringLiteral("Bob"));
}

TEST(ClientSession, ChatterSoundsGoToTheSoundWithTheSendersSeatName)
{
    Fixture f;
    f.hostSays("CMD_sendlogininfo+1");
    f.hostSays(msg::newplayerinfo(2, "Bob"));
    f.hostSays("CMD_playasound+2+wave1+");
    f.hostSays("CMD_playasound+4+WAVE7+"); // an empty seat still has its label
    f.hostSays("CMD_playasound+8+wave3+"); // a spy has none
    f.hostSays("CMD_playasound+x+wave3+"); // malformed: dropped
    using Chatter = std::pair<QString, std::optional<QString>>;
    EXPECT_EQ(f.sound.chatters,
              (QList<Chatter>{{QStringLiteral("wave1"), QStringLiteral("Bob")},
                              {QStringLiteral("WAVE7"), QStringLiteral("<Waiting>")},
                              {QStringLiteral("wave3"), std::nullopt}}));
}

TEST(ClientSession, StartingAGameAndTheHostingFlag)
{
    Fixture f;
    f.connect(QStringLiteral("Ann"));
    int hostingChanges = 0;
    QObject::connect(&f.session, &ClientSession::hostingChanged, [&] { ++hostingChanges; });
    f.session.setHosting(true);
    f.session.setHosting(true);
    EXPECT_EQ(hostingChanges, 1);
    EXPECT_TRUE(f.session.canRemoveSpies());
    f.hostSays("CMD_sendlogininfo+1");
    ASSERT_TRUE(waitUntil([&] { return f.fromClient.endsWith("\xFF\xFF"); }));
    f.fromClient.clear();
    f.session.startGame(20000, 45);
    ASSERT_TRUE(waitUntil([&] { return f.fromClient.endsWith('\xFF'); }));
    EXPECT_EQ(f.fromClient, QByteArray("CMD_startgame+Ann+20000+45+\xFF"));
}
