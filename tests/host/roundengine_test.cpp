// The round engine against a real TServer: scoring, discards, used-up
// piles, the round clock (driven by calling timer1Timer), ties, winners,
// fallback names and newcomers during a game. Decks are stacked so that the
// exposed cards are known.
#include "hostfixture.h"
#include "support/testutil.h"

#include <gtest/gtest.h>

using namespace gorse;
using namespace gorse::test;

using Lines = QList<QByteArray>;

namespace {

void tick(HostFixture& f, int times)
{
    for (int i = 0; i < times; ++i)
        f.server->timer1Timer();
}

// Every pile shows the given card throughout, except the ones set.
CardDeck::Cards deckwith(int fill, const QList<QPair<int, QByteArray>>& firstcards)
{
    CardDeck::Cards cards = filleddeck(fill);
    for (const auto& [pile, face] : firstcards)
        cards[pile - 1][0] = cardof(face);
    return cards;
}

// Piles 4, 5, 6 spell QUIZ again and again; pile 1 is all A's to discard.
CardDeck::Cards quizdeck()
{
    CardDeck::Cards cards = filleddeck(cardof("A"));
    cards[3].fill(cardof("QU"));
    cards[4].fill(cardof("I"));
    cards[5].fill(cardof("Z"));
    return cards;
}

void quizzes(HostFixture& f, int seat, int words, int discards)
{
    for (int i = 0; i < words; ++i)
        f.act(f.client(seat), msg::sendword(seat, {4, 5, 6}));
    for (int i = 0; i < discards; ++i)
        f.act(f.client(seat), msg::discard(seat, 1));
}

} // namespace

TEST(RoundEngine, WordsScoreByLettersWithTheQuBonus)
{
    HostFixture f({"STRING", "QUIZ", "CHEERLEADING", "AT"});
    RawClient& ann = f.join("Ann");
    RawClient& bob = f.join("Bob");
    RawClient& cy = f.join("Cy");
    f.clear();
    f.server->deck().stack(
        deckwith(cardof("E"), {{1, "ST"}, {2, "R"}, {3, "ING"}, {4, "QU"}, {5, "I"}, {6, "Z"}}));
    f.act(ann, "CMD_startgame+Ann+0500+60+");
    EXPECT_EQ(f.server->targetscore(), 500);
    f.act(ann, "CMD_sendword+1+1+2+3"); // ST R ING: six letters
    f.act(bob, "CMD_sendword+2+4+5+6"); // QU I Z: four letters and the bonus
    f.act(cy, "CMD_sendword+3+3+1+2");  // ING ST R: no word
    f.sync();
    const Lines everybody = {"CMD_startgame+Ann+0500+60+",
                             "CMD_thecards+1+33+t+2+18+t+3+46+t+4+17+t+5+9+t+6+26+t+7+5+t+8+5+t",
                             "CMD_startround+1+"};
    EXPECT_EQ(ann.messages,
              everybody + Lines({"CMD_theword+1+STRING+25+0+1+5+t+2+5+t+3+5+t",
                                 "CMD_pscore+1+25+25+25+", "CMD_pscore+2+65+65+65+"}));
    EXPECT_EQ(bob.messages, everybody + Lines({"CMD_pscore+1+25+25+25+",
                                               "CMD_theword+2+QUIZ+65+50+4+5+t+5+5+t+6+5+t",
                                               "CMD_pscore+2+65+65+65+"}));
    EXPECT_EQ(cy.messages, everybody + Lines({"CMD_pscore+1+25+25+25+", "CMD_pscore+2+65+65+65+",
                                              "CMD_rejected+3+INGSTR+3+46+t+1+33+t+2+18+t"}));
    EXPECT_EQ(f.server->player(3).total, 0);
    EXPECT_EQ(f.server->player(3).piles[0].position, 1);

    // A new start resets the totals and deals the next deck: a 12-letter
    // word from seven cards scores 100.
    f.server->deck().stack(deckwith(
        cardof("E"), {{1, "CH"}, {2, "EE"}, {3, "R"}, {4, "LE"}, {5, "A"}, {6, "D"}, {7, "ING"}}));
    f.act(ann, msg::startgame("Ann", 500, 60));
    EXPECT_EQ(f.server->player(2).total, 0);
    f.clear();
    f.act(cy, msg::sendword(3, {1, 2, 3, 4, 5, 6, 7}));
    EXPECT_EQ(cy.waitForPrefix("CMD_theword+"),
              "CMD_theword+3+CHEERLEADING+100+0+1+5+t+2+5+t+3+5+t+4+5+t+5+5+t+6+5+t+7+5+t");
    tick(f, 64);
    f.sync();
    EXPECT_EQ(cy.messages,
              (Lines{"CMD_theword+3+CHEERLEADING+100+0+1+5+t+2+5+t+3+5+t+4+5+t+5+5+t+6+5+t+7+5+t",
                     "CMD_pscore+3+100+100+100+",
                     "CMD_endround+100+1+0+0+0++2+0+0+0++3+100+100+0+/"
                     "100-CHEERLEADING+4+0+0+0++5+0+0+0++6+0+0+0+"}));
    EXPECT_EQ(HostFixture::withPrefix(ann, "CMD_endround+").value(0),
              "CMD_endround+0+1+0+0+0++2+0+0+0++3+100+100+0+/"
              "100-CHEERLEADING+4+0+0+0++5+0+0+0++6+0+0+0+");
}

TEST(RoundEngine, DiscardsCostFiveAndPilesGetUsedUp)
{
    HostFixture f({"AT"});
    RawClient& ann = f.join("Ann");
    RawClient& bob = f.join("Bob");
    CardDeck::Cards cards = filleddeck(cardof("A"));
    cards[1].fill(cardof("T"));
    f.server->deck().stack(cards);
    f.act(ann, msg::startgame("Ann", 500, 60));
    f.clear();
    for (int i = 0; i < 31; ++i)
        f.act(ann, msg::discard(1, 1));
    f.sync();
    ASSERT_EQ(ann.messages.size(), 31);
    EXPECT_EQ(ann.messages.first(), "CMD_discard+1+-5+-5+1+1+t");
    EXPECT_EQ(ann.messages.last(), "CMD_discard+1+-155+-155+1+1+t"); // now on the 32nd card
    EXPECT_TRUE(bob.messages.isEmpty());                             // the others are not told
    f.clear();
    f.act(ann, msg::sendword(1, {2, 1})); // TA: the last card is flagged
    f.act(ann, msg::sendword(1, {1, 2})); // AT takes the 32nd card
    f.act(ann, msg::discard(1, 1));       // nothing left to discard
    f.act(ann, msg::sendword(1, {1, 2})); // the used-up pile spells nothing
    f.sync();
    EXPECT_EQ(ann.messages,
              (Lines{"CMD_rejected+1+TA+2+20+t+1+1+f", "CMD_theword+1+AT+5+0+1+0+f+2+20+t",
                     "CMD_pscore+1+-150+-150+5+", "CMD_rejected+1+T+1+0+f+2+20+t"}));
    EXPECT_EQ(f.server->player(1).discards, 31);
    EXPECT_EQ(f.server->player(1).total, -150);
    EXPECT_EQ(f.server->player(1).piles[0].card, 0);

    // Discarding the 32nd card itself leaves the pile used up at once.
    f.clear();
    for (int i = 0; i < 33; ++i)
        f.act(bob, msg::discard(2, 3));
    f.sync();
    ASSERT_EQ(bob.messages.size(), 32);
    EXPECT_EQ(bob.messages.last(), "CMD_discard+2+-160+-160+3+0+f");
    EXPECT_EQ(f.server->player(2).discards, 32);
}

TEST(RoundEngine, TheRoundClockAllowsFourSecondsMoreThenPausesFifteen)
{
    HostFixture f({"AA"});
    RawClient& ann = f.join("Ann");
    RawClient& bob = f.join("Bob");
    for (int k = 3; k <= 6; ++k)
        f.connect();
    RawClient& spy = f.join("Spy");
    ASSERT_EQ(f.number(spy), 7);
    f.server->deck().stack(filleddeck(cardof("A")));
    f.act(ann, msg::startgame("Ann", 500, 10));
    EXPECT_EQ(f.server->countdown(), 14);
    EXPECT_EQ(f.server->timerpurpose(), 1);
    EXPECT_TRUE(f.server->timer1enabled());
    f.clear();
    tick(f, 10); // the clients' time is up
    f.act(ann, msg::sendword(1, {1, 2}));
    tick(f, 3);
    EXPECT_TRUE(f.server->roundopen());
    f.act(bob, msg::sendword(2, {3, 4}));
    f.act(spy, msg::sendword(7, {1, 2})); // spies do not play
    f.act(spy, msg::discard(7, 1));
    tick(f, 1);
    EXPECT_FALSE(f.server->roundopen());
    EXPECT_EQ(f.server->countdown(), 15);
    EXPECT_EQ(f.server->timerpurpose(), 2);
    f.act(ann, msg::sendword(1, {3, 4})); // after the end: ignored
    f.act(bob, msg::discard(2, 1));
    f.sync();
    const QByteArray summary = "+1+5+5+0+/5-AA+2+5+5+0+/5-AA+3+0+0+0++4+0+0+0++5+0+0+0++6+0+0+0+";
    EXPECT_EQ(HostFixture::withPrefix(ann, "CMD_endround+"), Lines{"CMD_endround+5" + summary});
    EXPECT_EQ(HostFixture::withPrefix(f.client(4), "CMD_endround+"),
              Lines{"CMD_endround+0" + summary});
    EXPECT_EQ(spy.messages,
              (Lines{"CMD_pscore+1+5+5+5+", "CMD_pscore+2+5+5+5+", "CMD_endround+0" + summary}));
    EXPECT_EQ(ann.messages.size(), 4); // theword, two pscores, endround
    EXPECT_EQ(f.server->player(2).discards, 0);

    f.clear();
    tick(f, 14);
    f.sync();
    EXPECT_TRUE(spy.messages.isEmpty());
    tick(f, 1);
    f.sync();
    ASSERT_EQ(spy.messages.size(), 2);
    EXPECT_TRUE(spy.messages[0].startsWith("CMD_thecards+1+"));
    EXPECT_EQ(spy.messages[1], "CMD_startround+2+");
    EXPECT_EQ(f.server->roundnumber(), 2);
    EXPECT_EQ(f.server->player(1).total, 5);
    EXPECT_EQ(f.server->player(1).roundpoints, 0);
    EXPECT_TRUE(f.server->player(1).wordlog.isEmpty());
    EXPECT_EQ(f.server->countdown(), 14);
}

TEST(RoundEngine, ASharedTopTotalPlaysAnotherRoundAtOnce)
{
    HostFixture f({"QUIZ"});
    for (const char* name : {"Ann", "Bob", "Cy", "Dee"})
        f.join(name);
    f.server->deck().stack(quizdeck());
    f.act(f.client(1), msg::startgame("Ann", 500, 60));
    quizzes(f, 2, 8, 0);
    quizzes(f, 4, 8, 0);
    quizzes(f, 3, 7, 0);
    tick(f, 64);
    f.sync();
    f.clear();
    tick(f, 15);
    f.sync();
    for (int k = 1; k <= 4; ++k) {
        const Lines& got = f.client(k).messages;
        ASSERT_EQ(got.size(), 3) << k;
        EXPECT_EQ(got[0], "CMD_tiegame+");
        EXPECT_TRUE(got[1].startsWith("CMD_thecards+1+"));
        EXPECT_EQ(got[2], "CMD_startround+2+");
    }
    EXPECT_EQ(f.server->player(2).total, 520);
    EXPECT_EQ(f.server->player(4).total, 520);
    EXPECT_TRUE(f.server->roundopen());
    EXPECT_EQ(f.server->timerpurpose(), 1);
}

TEST(RoundEngine, TheTopTotalAloneWinsWithTheFallbackNameForAnEmptySeat)
{
    HostFixture f({"QUIZ"});
    for (const char* name : {"Ann", "Bob", "Cy", "Dee", "Eve"})
        f.join(name);
    f.server->deck().stack(quizdeck());
    f.act(f.client(1), msg::startgame("Ann", 500, 60));
    quizzes(f, 3, 8, 2);  // 510
    quizzes(f, 5, 10, 2); // 640
    tick(f, 64);
    f.sync();
    f.clear();
    tick(f, 14);
    f.sync();
    EXPECT_TRUE(f.client(1).messages.isEmpty());
    tick(f, 1);
    f.sync();
    for (int k = 1; k <= 5; ++k)
        EXPECT_EQ(f.client(k).messages, Lines{"CMD_winner+Eve+"}) << k;
    EXPECT_FALSE(f.server->timer1enabled());
    EXPECT_FALSE(f.server->roundopen());
    EXPECT_EQ(f.server->roundnumber(), 1);
    // Later logins still learn the final totals.
    RawClient& fay = f.join("Fay");
    EXPECT_EQ(fay.waitForPrefix("CMD_gamestats+"),
              "CMD_gamestats+6+500+60+0+1+0+2+0+3+510+4+0+5+640+6+0");
    f.clear();

    // The winner has left: seat 2 is announced as "Klot".
    f.server->deck().stack(quizdeck());
    f.act(f.client(1), msg::startgame("Ann", 60, 60));
    quizzes(f, 2, 1, 0);
    f.leave(f.client(2));
    tick(f, 64 + 15);
    f.sync();
    EXPECT_EQ(HostFixture::withPrefix(f.client(3), "CMD_winner+"), Lines{"CMD_winner+Klot+"});

    // Seat 1 has no fallback name.
    f.server->deck().stack(quizdeck());
    f.act(f.client(1), msg::startgame("Ann", 60, 60));
    quizzes(f, 1, 1, 0);
    f.leave(f.client(1));
    f.clear();
    tick(f, 64 + 15);
    f.sync();
    EXPECT_EQ(HostFixture::withPrefix(f.client(3), "CMD_winner+"), Lines{"CMD_winner++"});
}

TEST(RoundEngine, NewcomersDuringAGameTakeOverTheSeat)
{
    HostFixture f({"AA"});
    for (const char* name : {"Ann", "Bob", "Cy", "Dee", "Eve", "Fay", "Spy"})
        f.join(name);
    f.server->deck().stack(filleddeck(cardof("A")));
    f.act(f.client(1), msg::startgame("Ann", 500, 60));
    for (int i = 0; i < 32; ++i)
        f.act(f.client(2), msg::discard(2, 3)); // pile 3 used up
    for (int i = 0; i < 31; ++i)
        f.act(f.client(2), msg::discard(2, 8)); // pile 8 on its last card
    f.act(f.client(2), msg::sendword(2, {1, 2}));
    f.leave(f.client(2));
    f.leave(f.client(7));
    tick(f, 5);

    RawClient& gus = f.join("Gus");
    RawClient& ivy = f.join("Ivy");
    ASSERT_EQ(f.number(gus), 2);
    ASSERT_EQ(f.number(ivy), 7);
    f.sync();
    EXPECT_EQ(gus.messages.mid(2), (Lines{"CMD_existingplayers+1+Ann", "CMD_existingplayers+3+Cy",
                                          "CMD_existingplayers+4+Dee", "CMD_existingplayers+5+Eve",
                                          "CMD_existingplayers+6+Fay",
                                          "CMD_gamestats+2+500+60+59+1+0+2+-310+3+0+4+0+5+0+6+0",
                                          "CMD_thecards+1+1+t+2+1+t+4+1+t+5+1+t+6+1+t+7+1+t+8+1+f",
                                          "CMD_newplayerinfo+7+Ivy"}));
    // A spy learns the game's state but gets no cards.
    EXPECT_EQ(HostFixture::withPrefix(ivy, "CMD_gamestats+"),
              Lines{"CMD_gamestats+7+500+60+59+1+0+2+-310+3+0+4+0+5+0+6+0"});
    EXPECT_TRUE(HostFixture::withPrefix(ivy, "CMD_thecards").isEmpty());
    // The seat's state went to the newcomer, who plays on from it.
    f.clear();
    f.act(gus, msg::sendword(2, {1, 2}));
    EXPECT_EQ(gus.waitForPrefix("CMD_theword+"), "CMD_theword+2+AA+5+0+1+1+t+2+1+t");
    EXPECT_EQ(f.server->player(2).total, -305);
}
