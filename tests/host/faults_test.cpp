// Processes that die without a goodbye: a player killed while it sends a
// word, and the host killed in the middle of a round.
#include "bots/bot.h"
#include "bots/botclock.h"
#include "bots/wordfinder.h"
#include "chat/chatlog.h"
#include "client/clientsession.h"
#include "hostfixture.h"
#include "support/fakes.h"
#include "support/testutil.h"

#include <QElapsedTimer>
#include <QProcess>
#include <QRegularExpression>
#include <gtest/gtest.h>

using namespace gorse;
using namespace gorse::test;

namespace {

// A program of this build run as a process; out and err collect what it
// writes.
struct Program : QProcess
{
    QByteArray out;
    QByteArray err;

    Program(const QString& name, const QStringList& arguments)
    {
        start(binDir() + u'/' + name, arguments);
    }
    ~Program() override
    {
        kill();
        waitForFinished();
    }
    // Waits until the program wrote text on standard output or standard
    // error; false if it ended first.
    bool says(const QByteArray& text)
    {
        auto seen = [&] { return out.contains(text) || err.contains(text); };
        waitUntil([&] {
            out += readAllStandardOutput();
            err += readAllStandardError();
            return seen() || state() == NotRunning;
        });
        return seen();
    }
    // SIGKILL: no clean-up of any kind, the kernel closes its sockets.
    bool killHard()
    {
        kill();
        return waitForFinished(10000) && exitStatus() == CrashExit;
    }
};

quint16 listeningPort(Program& host)
{
    static const QRegularExpression re(QStringLiteral("event=listen port=(\\d+) "));
    host.says(" seed=");
    return quint16(re.match(QString::fromLocal8Bit(host.err)).captured(1).toUInt());
}

QByteArray fieldsOf(const QByteArray& message)
{
    return message.mid(message.indexOf('+') + 1);
}

} // namespace

TEST(HostFaults, APlayerKilledMidWordLeavesAndTheRoundAndTheGameGoOn)
{
    HostFixture f({"AB"}, {"Ann"});
    RawClient& ann = f.client(1);
    // Kim, a process of its own: it logs in, plays the word of piles 1 and
    // 2, sends the start of its next word and waits to be killed.
    Program kim(QStringLiteral("midwordclient"), {QString::number(f.port), QStringLiteral("Kim")});
    ASSERT_FALSE(ann.waitForPrefix(msg::newplayerinfo(2, "Kim")).isEmpty()) << kim.err.data();
    RawClient& cy = f.join("Cy");
    ASSERT_EQ(f.number(cy), 3);
    f.start(deckof({"A", "B"}), 1000, 60);

    // Kim's first word counts; then the host holds the start of the next.
    ASSERT_TRUE(kim.says("mid-word")) << kim.err.data();
    ASSERT_TRUE(waitUntil([&] { return f.server->connection(2).frames.pending() > 0; }));
    EXPECT_EQ(f.server->table().player(2).total, 5);
    // A chat that reaches Kim and is never read: the kernel of the killed
    // process resets the connection instead of ending it in order.
    f.act(ann, msg::chat(1, "your turn, Kim|clBlack"));
    f.clear();
    ASSERT_TRUE(kim.killHard());

    for (RawClient* c : {&ann, &cy})
        EXPECT_FALSE(c->waitForPrefix(msg::playerdisconnected(2, "Kim")).isEmpty());
    EXPECT_TRUE(waitUntil([&] {
        return f.logged(QStringLiteral("event=leave conn=2 name=Kim")) == 1;
    })) << f.log.join(u'\n').toStdString();
    const tplayer& seat2 = f.server->table().player(2);
    EXPECT_FALSE(seat2.connected);
    EXPECT_EQ(f.server->connection(2).frames.pending(), 0);
    // The unfinished word was neither handled nor counted.
    EXPECT_EQ(f.logged(QStringLiteral("malformed")), 0);
    EXPECT_EQ(seat2.total, 5);
    EXPECT_TRUE(f.server->table().roundOpen());

    // The others play on: Cy's next word is scored and all hear of it.
    f.act(cy, msg::sendword(3, {1, 2}));
    EXPECT_EQ(cy.waitForPrefix("CMD_theword+"),
              msg::theword(3, "AB", 5, 0, {{1, 1, true}, {2, 2, true}}));
    EXPECT_FALSE(ann.waitForPrefix(msg::pscore(3, 5, 5, 5)).isEmpty());

    // The round ends on time, its 60 seconds and the host's 4 more after
    // the start, and its summary keeps what Kim's seat made.
    f.tick(60 + kRoundExtraSeconds - 1);
    f.sync();
    EXPECT_TRUE(withPrefix(ann, "CMD_endround+").isEmpty());
    f.tick(1);
    for (RawClient* c : {&ann, &cy}) {
        const QByteArray end = c->waitForPrefix("CMD_endround+");
        ASSERT_FALSE(end.isEmpty());
        const auto summary = msg::EndRound::parse(fieldsOf(end));
        ASSERT_EQ(summary.seats.size(), kSeatCount);
        EXPECT_EQ(summary.seats[1].total, 5);
        EXPECT_EQ(summary.seats[1].wordLog, "/5-AB");
        EXPECT_EQ(summary.seats[2].total, 5);
        EXPECT_EQ(summary.seats[2].wordLog, "/5-AB");
    }

    // The game goes on. Somebody new takes the seat, the number comes with
    // nothing left of Kim's unfinished message, and plays the next round on
    // the seat's total.
    RawClient& dee = f.join("Dee");
    EXPECT_EQ(f.number(dee), 2);
    EXPECT_FALSE(dee.waitForPrefix("CMD_gamestats+2+").isEmpty());
    f.server->table().deck().stack(deckof({"A", "B"}));
    f.tick(kRoundPauseSeconds);
    for (RawClient* c : {&ann, &cy, &dee})
        EXPECT_FALSE(c->waitForPrefix(msg::startround(2)).isEmpty());
    f.act(dee, msg::sendword(2, {1, 2}));
    EXPECT_FALSE(ann.waitForPrefix(msg::pscore(2, 10, 5, 5)).isEmpty());
    EXPECT_EQ(f.logged(QStringLiteral("malformed")), 0);
}

TEST(HostFaults, AHostKilledMidRoundClosesEveryConnectionPromptly)
{
    Program host(QStringLiteral("gorse-host"),
                 {QStringLiteral("--port"), QStringLiteral("0"), QStringLiteral("--no-announce"),
                  QStringLiteral("--any-game")});
    const quint16 port = listeningPort(host);
    ASSERT_NE(port, 0) << host.err.data();

    // Ann in the game's own client session, a computer player, and Cy on a
    // bare connection.
    RecordingOptions options;
    ChatLog chat(&options);
    ClientSession ann(&chat, nullptr, &options);
    int annClosed = 0;
    int annRound = 0;
    QObject::connect(&ann, &ClientSession::connectionClosed, [&] { ++annClosed; });
    ann.setHandler(msg::name::startround, [&](const QByteArray& fields) {
        annRound = msg::StartRound::parse(fields).round;
    });
    ann.connectTo(QStringLiteral("127.0.0.1"), port, QStringLiteral("Ann"));
    ASSERT_TRUE(waitUntil([&] { return ann.seat(1).name == QStringLiteral("Ann"); }));

    SystemBotClock clock;
    const TDictn words(wordrecords({"AB"}));
    Bot bot(std::make_shared<WordFinder>(words), BotLevel::Expert, &clock, 1);
    int botGone = 0;
    QObject::connect(&bot, &Bot::disconnected, [&] { ++botGone; });
    bot.connectTo(QStringLiteral("127.0.0.1"), port);
    ASSERT_TRUE(waitUntil([&] { return bot.isSeated(); }));

    RawClient cy;
    ASSERT_TRUE(cy.connectTo(port));
    ASSERT_FALSE(cy.waitForPrefix(msg::sendlogininfo(3)).isEmpty());
    cy.send(msg::logininfo(3, kVersionText, "Cy"));
    ASSERT_FALSE(cy.waitForPrefix(msg::newplayerinfo(3, "Cy")).isEmpty());

    // Mid-round, and the host answers words.
    ann.startGame(100, 10);
    ASSERT_TRUE(waitUntil([&] { return annRound == 1 && bot.isPlaying(); }));
    cy.send(msg::sendword(3, {1, 2}));
    ASSERT_TRUE(waitUntil([&] {
        return !withPrefix(cy, "CMD_theword+3+").isEmpty() ||
               !withPrefix(cy, "CMD_rejected+3+").isEmpty();
    }));
    ASSERT_EQ(annClosed + botGone, 0);
    ASSERT_FALSE(cy.isClosed());

    ASSERT_TRUE(host.killHard());
    // Each of them sees its connection end at once; none waits for a round
    // clock, an answer or a time-out.
    QElapsedTimer since;
    since.start();
    EXPECT_TRUE(waitUntil([&] { return annClosed > 0 && botGone > 0 && cy.isClosed(); }, 5000))
        << "session " << annClosed << ", computer player " << botGone << ", raw client "
        << cy.isClosed() << " after " << since.elapsed() << " ms";
    EXPECT_FALSE(bot.isConnected());
    EXPECT_FALSE(bot.isPlaying());
    EXPECT_FALSE(bot.isAwaitingAnswer());

    // Nothing is sent any more, and nothing is reported twice.
    EXPECT_FALSE(ann.send(msg::chat(1, "anybody there?|clBlack")));
    const qsizetype cyHeard = cy.messages.size();
    const int botSent = bot.counts().sent;
    settle(300);
    EXPECT_EQ(annClosed, 1);
    EXPECT_EQ(botGone, 1);
    EXPECT_EQ(cy.messages.size(), cyHeard);
    EXPECT_EQ(bot.counts().sent, botSent);
}
