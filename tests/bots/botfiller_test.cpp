// Computer players who keep the people at a table company: they come with
// the first person, keep a seat free, make room for people between games and
// never play on alone. A real host and players over loopback; the host's
// round clock moves by hand, the players' thinking clock not at all.
#include "bots/wordfinder.h"
#include "host/autostarter.h"
#include "host/botfiller.h"
#include "host/tserver.h"
#include "manualbotclock.h"
#include "net/messages.h"
#include "support/rawclient.h"
#include "support/testutil.h"

#include <gtest/gtest.h>

using namespace gorse;
using gorse::test::RawClient;

namespace {

struct Table
{
    TServer server{nullptr, 31};
    test::ManualBotClock clock;
    BotFiller filler;
    // An hour's countdown: the test sees it run, and starts games itself.
    AutoStarter starter{&server, 3600, 1, 45,
                        [this](int k) { return !filler.isComputerPlayer(k); }};

    Table(int count, bool seatOneForPeople)
        : filler(
              &server, count, BotLevel::Casual, [] { return WordFinder::builtIn(); }, &clock)
    {
        server.setRealTimeClock(false);
        server.setStartRanges({1, 20000, 1, 0}, kTimePerTurnRange);
        server.startListening(0, QHostAddress::LocalHost);
        filler.setSeatOneForPeople(seatOneForPeople);
    }
    // Seats 1..6 as the host has them: a person's initial, "k" for a
    // computer player, "?" for a connection not logged in yet, "-" for nobody.
    QByteArray seats() const
    {
        QByteArray s;
        for (int k = 1; k <= kSeatCount; ++k) {
            const tplayer& p = server.table().player(k);
            s += !p.connected           ? '-'
                 : p.name.isEmpty()     ? '?'
                 : p.name == botName(k) ? 'k'
                                        : p.name.at(0);
        }
        return s;
    }
    // The seats become these, and stay so for a while.
    bool seatsAre(const QByteArray& expected)
    {
        const bool become = test::waitUntil([&] { return seats() == expected; });
        test::settle(300);
        return become && seats() == expected;
    }
    void login(RawClient& c, const QByteArray& name, int number)
    {
        ASSERT_TRUE(c.connectTo(server.listeningPort()));
        ASSERT_EQ(c.waitForPrefix("CMD_sendlogininfo+"), msg::sendlogininfo(number));
        c.send(msg::logininfo(number, kVersionText, name));
        ASSERT_FALSE(c.waitForPrefix(msg::newplayerinfo(number, name)).isEmpty());
    }
};

} // namespace

TEST(BotFiller, ComputerPlayersMakeRoomBetweenGamesAndNeverPlayAlone)
{
    Table t(5, false);
    RawClient ann, bob, cy;
    // Four join the first person; a seat stays free, and a game is wanted.
    t.login(ann, "Ann", 1);
    ASSERT_TRUE(t.seatsAre("Akkkk-")) << t.seats().constData();
    EXPECT_TRUE(t.starter.counting());
    ann.send(msg::startgame("Ann", 1, 45));
    const QByteArray dealt = ann.waitForPrefix("CMD_thecards+");
    // Bob, during the game, takes the free seat; nobody leaves for him yet.
    t.login(bob, "Bob", 6);
    EXPECT_TRUE(t.seatsAre("AkkkkB")) << t.seats().constData();

    // Ann's best word wins the game; then one leaves so that a seat is free
    // again, and when Cy takes it, another.
    PileCards cards{};
    putCards(cards, msg::TheCards::parse(dealt.mid(13)).cards);
    const auto word = WordFinder::builtIn()->best(cards);
    ASSERT_TRUE(word);
    ann.send(msg::sendword(1, word->piles));
    ASSERT_FALSE(ann.waitForPrefix("CMD_theword+1+").isEmpty());
    for (int s = 0; s < 100 && AutoStarter::gameRuns(t.server.table()); ++s)
        t.server.timer1Timer();
    EXPECT_FALSE(ann.waitForPrefix("CMD_winner+Ann+").isEmpty());
    EXPECT_TRUE(t.seatsAre("Akkk-B")) << t.seats().constData();
    t.login(cy, "Cy", 5);
    EXPECT_TRUE(t.seatsAre("Akk-CB")) << t.seats().constData();
    EXPECT_TRUE(t.starter.counting());

    // When the last person goes, the countdown stops at once, though
    // computer players are still seated; then they go too.
    QByteArray seatsThen;
    bool countingThen = true;
    QObject watch;
    QObject::connect(&t.server, &TServer::tableChanged, &watch, [&] {
        const QByteArray seats = t.seats();
        if (seatsThen.isEmpty() && seats.count('k') + seats.count('-') == kSeatCount) {
            seatsThen = seats;
            countingThen = t.starter.counting();
        }
    });
    ann.close();
    bob.close();
    cy.close();
    EXPECT_TRUE(t.seatsAre("------")) << t.seats().constData();
    EXPECT_GE(seatsThen.count('k'), 2) << seatsThen.constData();
    EXPECT_FALSE(countingThen);
    EXPECT_FALSE(t.starter.counting());
}

TEST(BotFiller, OneRemovedIsNotReplacedAndSeatOneIsKeptForAPersonWhoStartsTheGames)
{
    Table t(2, true);
    RawClient ann, bob, cy, dee;
    t.login(ann, "Ann", 1);
    ASSERT_TRUE(t.seatsAre("Akk---")) << t.seats().constData();
    t.login(bob, "Bob", 4);
    ASSERT_TRUE(t.seatsAre("Ak-B--")) << t.seats().constData();
    ann.send(msg::kickhim(1, 2));
    EXPECT_TRUE(t.seatsAre("A--B--")) << t.seats().constData();
    ann.close();
    EXPECT_TRUE(t.seatsAre("---B--")) << t.seats().constData();

    // A game everybody leaves is given up: the next people get a new one.
    t.login(cy, "Cy", 1);
    cy.send(msg::startgame("Cy", 300, 45));
    ASSERT_FALSE(cy.waitForPrefix("CMD_thecards+").isEmpty());
    cy.close();
    bob.close();
    EXPECT_TRUE(t.seatsAre("------")) << t.seats().constData();
    t.login(dee, "Dee", 1);
    EXPECT_TRUE(t.seatsAre("Dkk---")) << t.seats().constData();
    EXPECT_TRUE(t.starter.counting());
}
