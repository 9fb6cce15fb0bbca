// Rounds against a real TServer: scoring, discards, used-up
// piles, the round clock (driven by calling timer1Timer), ties, winners,
// fallback names and newcomers during a game. Decks are stacked so that the
// exposed cards are known.
#include "hostfixture.h"
#include "support/testutil.h"

#include <gtest/gtest.h>

using namespace gorse;
using namespace gorse::test;

TEST(Rounds, WordsScoreByLettersWithTheQuBonus)
{
    HostFixture f({"STRING", "QUIZ", "CHEERLEADING"}, {"Ann", "Bob"});
    struct Case
    {
        Lines piles;
        QList<int> played;
        QByteArray answer;
        int points;
    };
    const Case cases[] = {
        {{"ST", "R", "ING"}, {1, 2, 3}, "CMD_theword+1+STRING+25+0+1+33+t+2+18+t+3+46+t", 25},
        {{"QU", "I", "Z"}, {1, 2, 3}, "CMD_theword+1+QUIZ+65+50+1+17+t+2+9+t+3+26+t", 65},
        {{"CH", "EE", "R", "LE", "A", "D", "ING"},
         {1, 2, 3, 4, 5, 6, 7},
         "CMD_theword+1+CHEERLEADING+100+0+1+27+t+2+38+t+3+18+t+4+41+t+5+1+t+6+4+t+7+46+t",
         100},
        {{"ST", "R", "ING"}, {3, 1, 2}, "CMD_rejected+1+INGSTR+3+46+t+1+33+t+2+18+t", 0},
    };
    for (const Case& c : cases) {
        f.start(deckof(c.piles)); // a new start also resets the totals
        f.clear();
        f.act(1, msg::sendword(1, c.played));
        f.sync();
        const QByteArray p = QByteArray::number(c.points);
        const Lines score =
            c.points ? Lines{"CMD_pscore+1+" + p + '+' + p + '+' + p + '+'} : Lines{};
        EXPECT_EQ(f.client(1).messages, Lines{c.answer} + score);
        EXPECT_EQ(f.client(2).messages, score);
        EXPECT_EQ(f.server->table().player(1).piles[0].position, c.points ? 2 : 1);
    }
}

TEST(Rounds, TheRoundClockAllowsFourSecondsMore)
{
    HostFixture f({"AA"}, {"Ann", "Bob"});
    for (int k = 3; k <= 6; ++k)
        f.connect();
    RawClient& spy = f.join("Spy");
    f.start(deckof({}), 500, 45);
    f.clear();
    f.tick(45); // the clients' time is up
    f.act(1, msg::sendword(1, {1, 2}));
    f.tick(3);
    f.act(2, msg::sendword(2, {3, 4}));
    f.act(spy, msg::sendword(7, {1, 2})); // spies do not play
    f.act(spy, msg::discard(7, 1));
    f.tick(1);
    f.act(1, msg::sendword(1, {3, 4})); // after the end: ignored
    f.act(2, msg::discard(2, 1));
    f.sync();
    const QByteArray summary = "+1+5+5+0+/5-AA+2+5+5+0+/5-AA+3+0+0+0++4+0+0+0++5+0+0+0++6+0+0+0+";
    EXPECT_EQ(f.client(1).messages.size(), 4); // theword, two pscores, endround
    EXPECT_EQ(f.client(1).messages.last(), "CMD_endround+5" + summary);
    EXPECT_EQ(withPrefix(f.client(4), "CMD_endround+"), Lines{"CMD_endround+0" + summary});
    EXPECT_EQ(spy.messages,
              (Lines{"CMD_pscore+1+5+5+5+", "CMD_pscore+2+5+5+5+", "CMD_endround+0" + summary}));
    EXPECT_EQ(f.server->table().player(2).discards, 0);
}

TEST(Rounds, TheTopTotalAloneWinsATiePlaysAnotherRoundAtOnce)
{
    HostFixture f({"QUIZ"}, {"Ann", "Bob", "Cy", "Dee", "Eve"});
    const CardDeck::Cards quiz = deckof({"QU", "I", "Z"});
    struct Case
    {
        int target;
        QList<int> totals; // of seats 1 to 6, from QUIZ for 65 and discards
        int leaver;
        Lines outcome;
    };
    const Case cases[] = {
        {500,
         {0, 520, 455, 520, 0, 0},
         0,
         {"CMD_tiegame+", "CMD_thecards+1+17+t+2+9+t+3+26+t+4+1+t+5+1+t+6+1+t+7+1+t+8+1+t",
          "CMD_startround+2+"}},
        {500, {0, 0, 640, 0, 510, 0}, 0, {"CMD_winner+Cy+"}}, // 640 over 510
        // The winner has left: seat 2 is announced as "Klot", seat 1 has no
        // fallback name.
        {60, {0, 65, 0, 0, 0, 0}, 2, {"CMD_winner+Klot+"}},
        {60, {65, 0, 0, 0, 0, 0}, 1, {"CMD_winner++"}},
    };
    // Targets below the options dialog's range make a game of one word.
    f.server->setStartRanges({0, kPlayToScoreRange.maximum, 1, 0}, kTimePerTurnRange);
    for (const Case& c : cases) {
        f.start(quiz, c.target);
        f.server->table().deck().stack(quiz); // for the next round too
        for (int seat = 1; seat <= kSeatCount; ++seat) {
            const int words = (c.totals[seat - 1] + 64) / 65;
            for (int i = 0; i < words; ++i)
                f.act(seat, msg::sendword(seat, {1, 2, 3}));
            for (int i = 0; i < (words * 65 - c.totals[seat - 1]) / 5; ++i)
                f.act(seat, msg::discard(seat, 8));
            EXPECT_EQ(f.server->table().player(seat).total, c.totals[seat - 1]) << seat;
        }
        if (c.leaver)
            f.leave(f.client(c.leaver));
        f.tick(64);
        f.clear();
        f.tick(14);
        f.sync();
        EXPECT_TRUE(f.client(3).messages.isEmpty());
        f.tick(1);
        f.sync();
        for (const auto& client : f.clients) {
            EXPECT_TRUE(client->isClosed() || client->messages == c.outcome)
                << client->messages.join(' ').constData();
        }
        EXPECT_EQ(f.server->table().roundOpen(), c.outcome.size() == 3); // a tie
        EXPECT_EQ(f.server->table().timer1Enabled(), c.outcome.size() == 3);
    }
}

TEST(Rounds, DiscardsCostFiveAndUsedUpPilesCarryOverToANewcomer)
{
    HostFixture f({"AT"}, {"Ann", "Bob", "Cy", "Dee", "Eve", "Fay", "Spy"});
    RawClient& ann = f.client(1);
    f.start(deckof({"A", "T"}));
    f.clear();
    for (int i = 0; i < 31; ++i)
        f.act(ann, msg::discard(1, 1));
    f.act(ann, msg::sendword(1, {2, 1})); // TA: the last card is flagged
    f.act(ann, msg::sendword(1, {1, 2})); // AT takes the 32nd card
    f.act(ann, msg::discard(1, 1));       // nothing left to discard
    f.act(ann, msg::sendword(1, {1, 2})); // the used-up pile spells nothing
    f.sync();
    ASSERT_EQ(ann.messages.size(), 35);
    EXPECT_EQ(ann.messages.first(), "CMD_discard+1+-5+-5+1+1+t");
    EXPECT_EQ(ann.messages.mid(30),
              (Lines{"CMD_discard+1+-155+-155+1+1+t", // now on the 32nd card
                     "CMD_rejected+1+TA+2+20+t+1+1+f", "CMD_theword+1+AT+5+0+1+0+f+2+20+t",
                     "CMD_pscore+1+-150+-150+5+", "CMD_rejected+1+T+1+0+f+2+20+t"}));
    EXPECT_EQ(f.client(2).messages, Lines{"CMD_pscore+1+-150+-150+5+"}); // not told of discards

    // Discarding the 32nd card itself leaves the pile used up at once.
    f.clear();
    for (int i = 0; i < 33; ++i)
        f.act(2, msg::discard(2, 3));
    for (int i = 0; i < 31; ++i)
        f.act(2, msg::discard(2, 8)); // pile 8 on its last card
    f.act(2, msg::sendword(2, {1, 2}));
    f.sync();
    EXPECT_EQ(f.client(2).messages.size(), 32 + 31 + 2);
    EXPECT_EQ(f.client(2).messages.value(31), "CMD_discard+2+-160+-160+3+0+f");

    // A newcomer takes over the seat, used-up pile and all; a spy learns the
    // game's state but gets no cards.
    f.leave(f.client(2));
    f.leave(f.client(7));
    f.tick(5);
    RawClient& gus = f.join("Gus");
    RawClient& ivy = f.join("Ivy");
    f.sync();
    const QByteArray stats = "+500+60+59+1+-150+2+-310+3+0+4+0+5+0+6+0";
    EXPECT_EQ(gus.messages.mid(2), (Lines{"CMD_existingplayers+1+Ann", "CMD_existingplayers+3+Cy",
                                          "CMD_existingplayers+4+Dee", "CMD_existingplayers+5+Eve",
                                          "CMD_existingplayers+6+Fay", "CMD_gamestats+2" + stats,
                                          "CMD_thecards+1+1+t+2+20+t+4+1+t+5+1+t+6+1+t+7+1+t+8+1+f",
                                          "CMD_newplayerinfo+7+Ivy"}));
    EXPECT_EQ(withPrefix(ivy, "CMD_gamestats+"), Lines{"CMD_gamestats+7" + stats});
    EXPECT_TRUE(withPrefix(ivy, "CMD_thecards").isEmpty());
    f.clear();
    f.act(gus, msg::sendword(2, {1, 2}));
    EXPECT_EQ(gus.waitForPrefix("CMD_theword+"), "CMD_theword+2+AT+5+0+1+1+t+2+20+t");
    EXPECT_EQ(f.server->table().player(2).total, -305);
}
