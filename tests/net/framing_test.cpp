// Cutting byte streams into messages, the queue and dispatch by name.
#include "net/messagequeue.h"
#include "net/messages.h"
#include "support/testutil.h"

#include <QThread>
#include <gtest/gtest.h>

using namespace gorse;
using gorse::test::waitUntil;

TEST(FrameBuffer, CutsAtTerminatorAndKeepsTheRestForTheNextRead)
{
    FrameBuffer fb;
    QList<QByteArray> out;
    ASSERT_TRUE(fb.append("CMD_a+1\xFF\xFF"
                          "CMD_b+",
                          out));
    ASSERT_EQ(out.size(), 2);
    EXPECT_EQ(out[0], "CMD_a+1");
    EXPECT_EQ(out[1], ""); // two terminators in a row: an empty line
    EXPECT_EQ(fb.pending(), 6);
    ASSERT_TRUE(fb.append("2\xFF", out));
    ASSERT_EQ(out.size(), 3);
    EXPECT_EQ(out[2], "CMD_b+2"); // a message split over two reads survives
    EXPECT_EQ(fb.pending(), 0);
}

TEST(FrameBuffer, LongUnterminatedLineIsRefused)
{
    FrameBuffer fb;
    QList<QByteArray> out;
    // A 64 KiB message with its terminator is fine.
    QByteArray big(kMaxLineLength, 'x');
    ASSERT_TRUE(fb.append(big.left(40000), out));
    ASSERT_TRUE(fb.append(big.mid(40000) + '\xFF', out));
    ASSERT_EQ(out.size(), 1);
    EXPECT_EQ(out[0].size(), kMaxLineLength);
    // One byte more without a terminator is not.
    out.clear();
    ASSERT_TRUE(fb.append(big, out));
    EXPECT_FALSE(fb.append("y", out));
    EXPECT_EQ(fb.pending(), 0);
    EXPECT_TRUE(out.isEmpty());
}

TEST(FrameBuffer, AnOverlongLineIsRefusedWholeOrInPieces)
{
    const QByteArray overlong = "CMD_chat+2+" + QByteArray(90000, 'b') + '\xFF';
    const QByteArray before = frame("CMD_chat+2+before");
    for (const qsizetype piece : {qsizetype(1400), overlong.size() + before.size()}) {
        SCOPED_TRACE(piece);
        FrameBuffer fb;
        QList<QByteArray> out;
        const QByteArray bytes = before + overlong + frame("CMD_chat+2+after");
        bool ok = true;
        for (qsizetype at = 0; at < bytes.size() && ok; at += piece)
            ok = fb.append(bytes.mid(at, piece), out);
        EXPECT_FALSE(ok);
        // What came before it is kept; nothing of it or after it.
        EXPECT_EQ(out, QList<QByteArray>{"CMD_chat+2+before"});
        EXPECT_EQ(fb.pending(), 0);
    }
    // The longest line allowed passes both ways.
    const QByteArray longest = QByteArray(kMaxLineLength, 'x') + '\xFF';
    for (const qsizetype piece : {qsizetype(1400), longest.size()}) {
        FrameBuffer fb;
        QList<QByteArray> out;
        for (qsizetype at = 0; at < longest.size(); at += piece)
            ASSERT_TRUE(fb.append(longest.mid(at, piece), out));
        ASSERT_EQ(out.size(), 1);
        EXPECT_EQ(out[0].size(), kMaxLineLength);
    }
}

TEST(MessageQueue, ATurnWorksOffABurstUpToItsBoundAndEndsWithTheHook)
{
    MessageQueue queue;
    int handled = 0;
    QList<int> turnEnds;
    queue.setHandler([&](const QueuedMessage&) { ++handled; });
    queue.setTurnEnd([&] { turnEnds.append(handled); });
    for (int i = 0; i < 2500; ++i)
        queue.push(QByteArray("CMD_x+"), 1);
    EXPECT_EQ(queue.dispatchTurn(), MessageQueue::kTurnMessages);
    EXPECT_EQ(turnEnds, QList<int>{MessageQueue::kTurnMessages});
    // The rest follows in later turns of the event loop, by itself.
    ASSERT_TRUE(waitUntil([&] { return handled == 2500; }));
    EXPECT_EQ(turnEnds, (QList<int>{1000, 2000, 2500}));
    EXPECT_EQ(queue.turns(), 3u);

    // A slow handler: the turn yields after about 2 ms.
    queue.setHandler([&](const QueuedMessage&) {
        ++handled;
        QThread::usleep(300);
    });
    for (int i = 0; i < 200; ++i)
        queue.push(QByteArray("CMD_x+"), 1);
    const int first = queue.dispatchTurn();
    EXPECT_GE(first, 1);
    EXPECT_LE(first, 32);
    ASSERT_TRUE(waitUntil([&] { return queue.isEmpty(); }));
}

TEST(MessageQueue, AHandlerInsideATurnDoesNotStartAnotherAndOriginsCanBeDropped)
{
    MessageQueue queue;
    QList<QByteArray> handled;
    queue.setHandler([&](const QueuedMessage& m) {
        handled.append(m.line);
        if (m.line == "nested") {
            EXPECT_EQ(queue.dispatchTurn(), 0); // as an event loop run by a handler would
        }
    });
    queue.push("nested", 1);
    queue.push("a", 2);
    queue.push("b", 3);
    queue.push("c", 2);
    EXPECT_EQ(queue.dropOrigin(2), 2);
    queue.drain();
    EXPECT_EQ(handled, (QList<QByteArray>{"nested", "b"}));
}

TEST(MessageQueue, DispatchesInOrderAndNeverInsidePush)
{
    MessageQueue queue;
    QList<QByteArray> handled;
    queue.setHandler([&](const QueuedMessage& m) { handled.append(m.line); });
    for (int i = 0; i < 500; ++i)
        queue.push(QByteArray("CMD_x+") + QByteArray::number(i), 3);
    EXPECT_TRUE(handled.isEmpty()); // nothing runs in the pushing code
    ASSERT_TRUE(waitUntil([&] { return handled.size() == 500; }));
    for (int i = 0; i < 500; ++i)
        ASSERT_EQ(handled[i], QByteArray("CMD_x+") + QByteArray::number(i));
    EXPECT_TRUE(queue.isEmpty());
    EXPECT_EQ(queue.handled(), 500u);
}

TEST(MessageQueue, HandlerSeesOriginAndCanPushMore)
{
    MessageQueue queue;
    QList<int> origins;
    queue.setHandler([&](const QueuedMessage& m) {
        origins.append(m.origin);
        if (m.origin == 1)
            queue.push("again", 2);
    });
    queue.push("first", 1);
    ASSERT_TRUE(waitUntil([&] { return origins.size() == 2; }));
    EXPECT_EQ(origins, (QList<int>{1, 2}));
}

TEST(CommandTable, MatchesExactNamesInOrderAndDropsTheRest)
{
    CommandTable table;
    QList<QByteArray> calls;
    table.add("CMD_chat", [&](const QByteArray& rest, int) { calls.append("chat:" + rest); });
    table.add("CMD_action", [&](const QByteArray& rest, int) { calls.append("action:" + rest); });
    table.add("CMD_chat", [&](const QByteArray& rest, int) { calls.append("chat2:" + rest); });
    EXPECT_EQ(table.dispatch({"CMD_chat+3+Ann chats: Hi+there|clBlack", 3}), 2);
    EXPECT_EQ(calls, (QList<QByteArray>{"chat:3+Ann chats: Hi+there|clBlack",
                                        "chat2:3+Ann chats: Hi+there|clBlack"}));
    calls.clear();
    EXPECT_EQ(table.dispatch({"", 0}), 0);             // empty line
    EXPECT_EQ(table.dispatch({"CMD_chat", 0}), 0);     // no "+": no name
    EXPECT_EQ(table.dispatch({"CMD_Chat+1+x", 0}), 0); // case counts
    EXPECT_EQ(table.dispatch({"+CMD_chat", 0}), 0);
    EXPECT_TRUE(calls.isEmpty());
}

TEST(CommandTable, MalformedFieldStopsOnlyThatMessage)
{
    CommandTable table;
    QStringList log;
    table.setLog([&](const QString& line) { log.append(line); });
    int kicks = 0;
    table.add("CMD_kickhim", [&](const QByteArray& rest, int) {
        msg::KickHim::parse(rest);
        ++kicks;
    });
    EXPECT_EQ(table.dispatch({"CMD_kickhim+one+2+", 4}), 1);
    EXPECT_EQ(kicks, 0);
    ASSERT_EQ(log.size(), 1);
    EXPECT_TRUE(log[0].contains(QStringLiteral("CMD_kickhim")));
    EXPECT_TRUE(log[0].contains(QStringLiteral(" conn=4 ")));
    table.dispatch({"CMD_kickhim+1+2+", 1});
    EXPECT_EQ(kicks, 1);
}

TEST(FrameBuffer, BurstOfManyMessagesInOneRead)
{
    FrameBuffer fb;
    QByteArray burst;
    for (int i = 0; i < 1000; ++i)
        burst += frame(msg::chat(2, "line " + QByteArray::number(i) + "|clRed"));
    QList<QByteArray> out;
    // Delivered in odd-sized pieces, as TCP may.
    for (qsizetype at = 0; at < burst.size(); at += 777)
        ASSERT_TRUE(fb.append(burst.mid(at, 777), out));
    ASSERT_EQ(out.size(), 1000);
    EXPECT_EQ(out[999], "CMD_chat+2+line 999|clRed");
    EXPECT_EQ(fb.pending(), 0);
}
