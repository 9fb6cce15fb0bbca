// The gorse-host program: started as a process on a free port, played
// against over loopback, stopped by signals.
#include "hostfixture.h"
#include "support/hostprocess.h"
#include "support/testutil.h"

#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <csignal>
#include <gtest/gtest.h>

using namespace gorse;
using namespace gorse::test;

namespace {

// A raw client that logged in as number k.
void login(RawClient& c, quint16 port, int k, const QByteArray& name)
{
    EXPECT_TRUE(c.connectTo(port));
    c.send(msg::logininfo(k, kVersionText, name));
    EXPECT_FALSE(c.waitForPrefix(msg::newplayerinfo(k, name)).isEmpty());
}

} // namespace

TEST(GorseHost, PlaysOverLoopbackLogsAndEndsCleanlyOnSigterm)
{
    // The first deck of seed 7 is known; the word list holds the word of its
    // first two cards.
    CardDeck deck(7);
    deck.draw();
    const QByteArray word = converttoletter(deck.card(1, 1)) + converttoletter(deck.card(2, 1));
    QTemporaryDir dir;
    QFile wordfile(dir.filePath(QStringLiteral("words.dic")));
    ASSERT_TRUE(wordfile.open(QIODevice::WriteOnly) && wordfile.write(wordrecords({word})) == 15);
    wordfile.close();
    HostProcess host({QStringLiteral("--port"), QStringLiteral("0"), QStringLiteral("--seed"),
                      QStringLiteral("7"), QStringLiteral("--words"), wordfile.fileName()});
    const quint16 port = host.port();
    ASSERT_NE(port, 0) << host.log.constData();

    RawClient ann, bob;
    login(ann, port, 1, "Ann");
    login(bob, port, 2, "Bob");
    ann.send(msg::startgame("Ann", 300, 60));
    EXPECT_TRUE(bob.waitForPrefix("CMD_thecards+")
                    .startsWith("CMD_thecards+1+" + QByteArray::number(deck.card(1, 1)) + "+t+2+" +
                                QByteArray::number(deck.card(2, 1)) + "+t+"));
    ann.send(msg::sendword(1, {1, 2}));
    EXPECT_TRUE(ann.waitForPrefix("CMD_theword+").startsWith("CMD_theword+1+" + word + "+5+0+"));
    bob.close();
    EXPECT_FALSE(ann.waitForPrefix("CMD_playerdisconnected+2+Bob").isEmpty());

    ASSERT_TRUE(host.stop(SIGTERM)) << host.log.constData();
    EXPECT_TRUE(host.log.left(host.log.indexOf('\n'))
                    .contains("event=listen port=" + QByteArray::number(port) + " "));
    for (const char* line :
         {"event=connect conn=1 peer=127.0.0.1 kind=tcp",
          "event=login conn=1 name=Ann version=", "event=game_start by=Ann target=300",
          "event=word result=accepted seat=1 word=", "event=leave conn=2 name=Bob",
          "event=exit handled=4 "})
        EXPECT_TRUE(host.log.contains(line)) << line << "\n" << host.log.constData();
}

TEST(GorseHost, WithoutItsWordListRejectsEveryWordAndASecondOneFindsThePortInUse)
{
    HostProcess host({QStringLiteral("--port"), QStringLiteral("0"), QStringLiteral("--words"),
                      QStringLiteral("/nonexistent/gorse-words.dic")});
    const quint16 port = host.port();
    ASSERT_NE(port, 0) << host.log.constData();
    EXPECT_TRUE(host.says("English.dic dictionary not found!"));
    RawClient ann;
    login(ann, port, 1, "Ann");
    ann.send(msg::startgame("Ann", 300, 60));
    ann.send(msg::sendword(1, {1, 2}));
    EXPECT_TRUE(ann.waitForPrefix("CMD_rejected+").startsWith("CMD_rejected+1+"));

    // A second host on the same port: one line of error and exit code 1.
    HostProcess second({QStringLiteral("--port"), QString::number(port)});
    EXPECT_FALSE(second.says("listening"));
    EXPECT_EQ(second.exitCode(), 1);
    EXPECT_EQ(second.log.count('\n'), 1) << second.log.constData();
    EXPECT_TRUE(second.log.contains("Listen - Error Binding Socket")) << second.log.constData();
    // The first one is still serving.
    ann.send(msg::chat(1, "still here|clBlack"));
    EXPECT_FALSE(ann.waitForPrefix("CMD_chat+1+Ann chats: still here").isEmpty());
    ASSERT_TRUE(host.stop(SIGINT)) << host.log.constData();
}
