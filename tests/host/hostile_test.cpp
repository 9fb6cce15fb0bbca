// A host under hostile input and heavy load: floods leave nothing behind
// for the next connection of their number, what a connection may hold
// waiting is bounded in bytes, logging under attack is bounded, games start
// only with values the options allow, names are cut, a solo game listens on
// loopback only, and a burst is worked off in few turns and few writes.
#include "hostfixture.h"
#include "support/testutil.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QTcpSocket>
#include <gtest/gtest.h>
#include <optional>

using namespace gorse;
using namespace gorse::test;

TEST(HostHostile, TheNextConnectionOfAFloodersNumberStartsFresh)
{
    // Empty lines, and chats that pile up faster than they are relayed.
    QByteArray chats;
    for (int i = 0; i < 20000; ++i)
        chats += frame(msg::chat(1, "flood|clBlack"));
    const QByteArray floods[] = {QByteArray(2000000, '\xFF'), chats};
    for (const QByteArray& flood : floods) {
        HostFixture f({}, {"Cy"});
        f.leave(f.client(1));
        RawClient& flooder = f.join("Ann");
        ASSERT_EQ(f.number(flooder), 1);
        flooder.sendRaw(flood);
        flooder.close();
        ASSERT_TRUE(waitUntil([&] { return !f.server->table().player(1).connected; }));
        // What it left is gone at once, not when its turn would have come.
        EXPECT_EQ(f.server->messagesQueued(), 0);

        RawClient& next = f.join("Bob");
        ASSERT_EQ(f.number(next), 1);
        f.act(next, msg::chat(1, "hello|clBlack"));
        EXPECT_EQ(next.waitForPrefix("CMD_chat+1+Bob"), "CMD_chat+1+Bob chats: hello|clBlack");
        EXPECT_TRUE(f.server->table().player(1).connected);
        EXPECT_FALSE(next.isClosed());
    }
}

TEST(HostHostile, WhatAConnectionHoldsWaitingIsBoundedInBytes)
{
    HostFixture f({}, {"Ann", "Bob"});
    // Messages arriving faster than a dispatch turn works them off.
    QByteArray flood;
    for (int i = 0; i < 40000; ++i)
        flood += frame(msg::chat(2, "flood|clBlack"));
    RawClient& bob = f.client(2);
    bob.sendRaw(flood);
    qint64 peak = 0;
    waitUntil([&] {
        const TServer::Connection& p = f.server->connection(2);
        peak = std::max(peak, p.waiting + p.frames.pending());
        return !f.server->table().player(2).connected;
    });
    // At most the bound and what one read brings.
    EXPECT_LE(peak, TServer::kMaxWaiting + TSock::kReadChunk / 20 * TServer::kMessageOverhead +
                        TSock::kReadChunk);
    EXPECT_FALSE(f.server->table().player(2).connected);
    EXPECT_EQ(f.logged(QStringLiteral("bytes waiting")), 1);
    // Its memory went with it.
    EXPECT_EQ(f.server->messagesQueued(), 0);
    f.act(1, msg::chat(1, "still here|clBlack"));
    EXPECT_FALSE(f.client(1).waitForPrefix("CMD_chat+1+Ann chats: still here").isEmpty());
}

TEST(HostHostile, AnUnfinishedLineCountsTowardsWhatAConnectionHoldsWaiting)
{
    HostFixture f({}, {"Ann", "Bob"});
    // Complete lines just under the bound, then an unfinished line: the two
    // together are over it, and the connection goes.
    constexpr int kLineBytes = 65000;
    constexpr int kLines = 4;
    constexpr qint64 kComplete = kLines * (kLineBytes + TServer::kMessageOverhead);
    static_assert(kComplete < TServer::kMaxWaiting && kLineBytes <= kMaxLineLength);
    const QByteArray line = msg::chat(2, QByteArray(kLineBytes - 11, 'x'));
    ASSERT_EQ(line.size(), kLineBytes);
    QByteArray bytes;
    for (int i = 0; i < kLines; ++i)
        bytes += frame(line);
    const QByteArray unfinished = "CMD_chat+2+" + QByteArray(60 * 1024, 'y');
    bytes += unfinished;
    // What the connection holds when the host drops it.
    const TServer::Connection& bob = f.server->connection(2);
    std::optional<qint64> heldWaiting, heldUnfinished;
    f.server->setLog([&](const QString& text) {
        f.log.append(text);
        if (text.contains(QStringLiteral("bytes waiting")) && !heldWaiting) {
            heldWaiting = bob.waiting;
            heldUnfinished = bob.frames.pending();
        }
    });
    f.client(2).sendRaw(bytes);

    // The host reads everything before a dispatch turn could take a line
    // off the queue (timers are held back), as on a host busy elsewhere.
    QDeadlineTimer deadline(20000);
    while (!heldWaiting && bob.frames.pending() < unfinished.size() && !deadline.hasExpired())
        QCoreApplication::processEvents(QEventLoop::X11ExcludeTimers, 10);
    ASSERT_TRUE(heldWaiting.has_value())
        << "not dropped, holding " << bob.waiting << " + " << bob.frames.pending();
    EXPECT_EQ(*heldWaiting, kComplete); // every complete line still waited
    EXPECT_GT(*heldUnfinished, 0);
    EXPECT_GT(*heldWaiting + *heldUnfinished, TServer::kMaxWaiting);
    EXPECT_EQ(f.logged(QStringLiteral("event=drop conn=2 reason=too_much_waiting detail=\"has more "
                                      "than %1 bytes waiting\"")
                           .arg(TServer::kMaxWaiting)),
              1);

    ASSERT_TRUE(waitUntil([&] { return !f.server->table().player(2).connected; }));
    EXPECT_EQ(f.server->messagesQueued(), 0);
    EXPECT_EQ(bob.frames.pending(), 0);
    f.act(1, msg::chat(1, "still here|clBlack"));
    EXPECT_FALSE(f.client(1).waitForPrefix("CMD_chat+1+Ann chats: still here").isEmpty());
}

TEST(HostHostile, LinesLoggedAboutOneConnectionAreFewThenCounted)
{
    HostFixture f({}, {"Ann", "Bob"});
    const qsizetype before = f.log.size();
    QByteArray junk;
    // Fewer than would fill what a connection may hold waiting.
    const int junkCount = 2000;
    for (int i = 0; i < junkCount; ++i)
        junk += frame("CMD_discard+2+x+");
    const quint64 handled = f.server->messagesHandled();
    f.client(2).sendRaw(junk);
    ASSERT_TRUE(waitUntil([&] { return f.server->messagesHandled() >= handled + junkCount; }));
    // Bob's login took one line of the connection's budget.
    const int logged = f.logged(QStringLiteral("event=malformed command=CMD_discard conn=2 "));
    EXPECT_EQ(logged, TServer::kLogBurst - 1);
    EXPECT_EQ(f.log.size() - before, logged);
    f.leave(f.client(2));
    EXPECT_EQ(
        f.logged(QStringLiteral("event=log_held_back conn=2 lines=%1").arg(junkCount - logged)), 1);
    // Another connection has its own budget.
    f.act(1, "CMD_discard+1+x+");
    EXPECT_TRUE(
        f.log.last().contains(QStringLiteral("event=malformed command=CMD_discard conn=1 ")));
}

TEST(HostHostile, AGameStartsOnlyWithValuesTheOptionsAllow)
{
    HostFixture f({}, {"Ann", "Bob"});
    f.clear();
    const struct
    {
        int target, seconds;
        bool starts;
    } cases[] = {
        {299, 60, false},
        {20001, 60, false},
        {500, 44, false},
        {500, 121, false},
        {1000, -2147483647 - 1, false},
        {-2147483647 - 1, 60, false},
        {300, 45, true},
        {20000, 120, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::to_string(c.target) + " " + std::to_string(c.seconds));
        const qsizetype refusals = f.logged(QStringLiteral("outside"));
        f.act(1, msg::startgame("Ann", c.target, c.seconds));
        f.sync();
        EXPECT_EQ(withPrefix(f.client(2), "CMD_startgame+").size(), c.starts ? 1 : 0);
        EXPECT_EQ(f.logged(QStringLiteral("outside")), refusals + (c.starts ? 0 : 1));
        EXPECT_EQ(f.server->table().roundSeconds(),
                  c.starts ? c.seconds : f.server->table().roundSeconds());
        f.clear();
    }
    EXPECT_TRUE(f.server->table().gameStarted());
}

TEST(HostHostile, ALongNameIsCutWithoutSplittingACharacter)
{
    HostFixture f({}, {"Ann"});
    RawClient& bob = f.connect();
    // "é" takes two bytes: the cut falls inside the 50th.
    const QByteArray name = QByteArray("B") + QString(200, QChar(0xE9)).toUtf8();
    bob.send(msg::logininfo(2, kVersionText, name));
    const QByteArray announced = bob.waitForPrefix("CMD_newplayerinfo+2+");
    const QByteArray kept = announced.mid(20);
    EXPECT_EQ(kept.size(), kMaxNameBytes - 1);
    EXPECT_EQ(QString::fromUtf8(kept), QStringLiteral("B") + QString(49, QChar(0xE9)));
    EXPECT_EQ(f.server->table().player(2).name, kept);
    EXPECT_EQ(f.logged(QStringLiteral("event=name_cut ")), 1);
}

TEST(HostHostile, ASoloHostListensOnLoopbackOnly)
{
    TServer solo(std::make_unique<TDictn>(QByteArray()), 1);
    solo.startListening(0, QHostAddress(QHostAddress::LocalHost));
    EXPECT_EQ(solo.listeningAddress(), QHostAddress(QHostAddress::LocalHost));
    TServer open(std::make_unique<TDictn>(QByteArray()), 1);
    open.startListening(0);
    EXPECT_EQ(open.listeningAddress(), QHostAddress(QHostAddress::AnyIPv4));

    // 127.0.0.2 is this machine too, but not the address the solo host took.
    RawClient other;
    EXPECT_FALSE(other.connectTo(solo.listeningPort(), QStringLiteral("127.0.0.2"), 2000));
    RawClient toOpen;
    EXPECT_TRUE(toOpen.connectTo(open.listeningPort(), QStringLiteral("127.0.0.2")));
    RawClient own;
    EXPECT_TRUE(own.connectTo(solo.listeningPort()));
}

TEST(HostHostile, ABurstIsWorkedOffInFewTurnsAndArrivesInOrder)
{
    HostFixture f({}, {"Ann", "Bob"});
    f.clear();
    QByteArray burst;
    for (int i = 0; i < 500; ++i)
        burst += frame(msg::chat(2, QByteArray::number(i) + "|clBlack"));
    const quint64 turns = f.server->dispatchTurns();
    const quint64 handled = f.server->messagesHandled();
    f.client(2).sendRaw(burst);
    ASSERT_TRUE(waitUntil([&] { return f.server->messagesHandled() >= handled + 500; }));
    // The bytes come in a few reads; each read's messages take one turn.
    EXPECT_LE(f.server->dispatchTurns() - turns, 20u);
    ASSERT_TRUE(f.client(1).waitFor(500));
    for (int i = 0; i < 500; ++i)
        ASSERT_EQ(f.client(1).messages[i],
                  "CMD_chat+2+Bob chats: " + QByteArray::number(i) + "|clBlack");
}
