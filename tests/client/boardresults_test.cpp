// Round results and the game's end: accepted and rejected words, score
// changes, discards, the played-words lists, the winner, a tie, and joining
// a running game.
#include "boardfakes.h"

#include <gtest/gtest.h>

using namespace gorse;
using namespace gorse::test;
using namespace Qt::StringLiterals;

namespace gorse::test {
static void PrintTo(const RecordingTally::Offer& o, std::ostream* os)
{
    *os << "{" << o.text.toStdString() << ", " << o.number << ", " << o.column << "}";
}
} // namespace gorse::test

namespace {

// C, A, T on piles 1..3; QU, I, Z on 4..6; X, Y on 7 and 8.
constexpr std::array<int, 8> kCards{3, 1, 20, 17, 9, 26, 24, 25};

using Offer = RecordingTally::Offer;

} // namespace

TEST(BoardResults, AcceptedWordWithoutAndWithBonus)
{
    BoardFixture f;
    ASSERT_TRUE(f.connect(2));
    f.startRound(kCards);
    for (int pile : {1, 2, 3})
        f.board.pileClicked(pile, Qt::LeftButton);
    f.board.button_doneClick();
    f.sound.cues.clear();

    f.hostSays("CMD_theword+2+CAT+10+0+1+14+t+2+5+t+3+19+t");
    EXPECT_EQ(f.board.theWordText(), u"You made: CAT for 10 points."_s);
    EXPECT_EQ(f.board.card(1), 14);
    EXPECT_EQ(f.board.picture(2), 5);
    EXPECT_FALSE(f.board.inWord(3));
    EXPECT_TRUE(f.board.discardShown(3));
    EXPECT_EQ(f.board.wordGate(), 1);
    EXPECT_EQ(f.sound.cues, QStringList{u"goodword"_s});
    EXPECT_EQ(f.tally.offers, (QList<Offer>{{u"CAT"_s, 3, 3}, {u"CAT"_s, 10, 5}}));
    EXPECT_EQ(f.tally.wordCounts, QList<int>{7});

    // Records are offered only when strictly beaten.
    f.tally.offers.clear();
    f.tally.records = {{3, 4}, {5, 65}};
    for (int pile : {4, 5, 6})
        f.board.pileClicked(pile, Qt::LeftButton);
    EXPECT_EQ(f.board.wordText(), u"QuIZ"_s);
    f.board.button_doneClick();
    f.hostSays("CMD_theword+2+QUIZ+65+50+4+8+t+5+9+t+6+1+f");
    EXPECT_EQ(f.board.theWordText(), u"BONUS! You made: QUIZ for 65 points. BONUS!"_s);
    EXPECT_TRUE(f.tally.offers.isEmpty());
    EXPECT_EQ(f.tally.wordCounts, (QList<int>{7, 7}));

    f.tally.records = {{3, 3}, {5, 64}};
    f.hostSays("CMD_theword+2+QUIZ+65+50+4+8+t");
    EXPECT_EQ(f.tally.offers, (QList<Offer>{{u"QUIZ"_s, 4, 3}, {u"QUIZ"_s, 65, 5}}));
}

TEST(BoardResults, ResultsForAnotherConnectionAreIgnored)
{
    BoardFixture f;
    ASSERT_TRUE(f.connect(2));
    f.startRound(kCards);
    f.hostSays("CMD_theword+3+CAT+10+0+1+14+t");
    f.hostSays("CMD_rejected+3+CAT+1+3+t");
    f.hostSays("CMD_discard+3+-5+-5+1+14+t");
    f.hostSays("CMD_gamestats+3+500+90+40+1+0+2+0+3+0+4+0+5+0+6+0");
    EXPECT_EQ(f.board.theWordText(), u"Find a word!"_s);
    EXPECT_EQ(f.board.card(1), 3);
    EXPECT_TRUE(f.tally.offers.isEmpty());
    EXPECT_TRUE(f.tally.wordCounts.isEmpty());
    EXPECT_EQ(f.session.seat(3).score, u"0"_s);
    EXPECT_EQ(f.sound.cues, QStringList{u"turn"_s});
}

TEST(BoardResults, RejectedWordGivesTheCardsBack)
{
    BoardFixture f;
    ASSERT_TRUE(f.connect(2));
    f.startRound(kCards);
    for (int pile : {7, 8, 6})
        f.board.pileClicked(pile, Qt::LeftButton);
    f.board.button_doneClick();
    ASSERT_EQ(f.board.picture(7), Board::kEmptied);
    f.sound.cues.clear();
    f.hostSays("CMD_rejected+2+xyzzy+7+24+t+8+25+t+6+26+t");
    EXPECT_EQ(f.board.theWordText(), u"XYZZY in not a valid word."_s);
    for (int pile : {6, 7, 8}) {
        EXPECT_EQ(f.board.picture(pile), kCards[pile - 1]);
        EXPECT_FALSE(f.board.inWord(pile));
        EXPECT_TRUE(f.board.discardShown(pile));
    }
    EXPECT_EQ(f.board.wordGate(), 1);
    EXPECT_EQ(f.sound.cues, QStringList{u"badword"_s});
    EXPECT_TRUE(f.tally.wordCounts.isEmpty());
}

TEST(BoardResults, ScoreChangesAndTheOwnDiscard)
{
    BoardFixture f;
    ASSERT_TRUE(f.connect(2));
    f.startRound(kCards);
    f.hostSays("CMD_pscore+5+140+25+25+");
    EXPECT_EQ(f.session.seat(5).score, u"140"_s);
    EXPECT_EQ(f.session.seat(5).thisturn, u"25"_s);
    EXPECT_EQ(f.session.seat(5).bonus, u"+25"_s);
    f.hostSays("CMD_pscore+9+1+1+1+"); // no such seat: nothing happens

    f.sound.cues.clear();
    f.hostSays("CMD_discard+2+-5+-5+7+11+t");
    EXPECT_EQ(f.session.seat(2).score, u"-5"_s);
    EXPECT_EQ(f.session.seat(2).thisturn, u"-5"_s);
    EXPECT_EQ(f.session.seat(2).bonus, u"-5"_s);
    EXPECT_EQ(f.board.theWordText(), u"You discarded a card and lost 5 points."_s);
    EXPECT_EQ(f.board.card(7), 11);
    EXPECT_EQ(f.board.picture(7), 11);
    EXPECT_EQ(f.sound.cues, QStringList{u"shift"_s});
}

TEST(BoardRoundEnd, PlayedWordsListsHeadingsAndTheTurnRecord)
{
    BoardFixture f;
    ASSERT_TRUE(f.connect(2));
    f.hostSays(msg::existingplayers(1, "Ann"));
    f.hostSays(msg::existingplayers(3, "Cat"));
    f.startRound(kCards, 90);
    f.board.pileClicked(1, Qt::LeftButton);
    f.sound.cues.clear();
    f.tally.records = {{8, 99}};

    QList<SeatSummary> seats;
    seats.append({1, 60, 25, 2, "/25-STRING/10-ANT"});
    seats.append({2, 100, 40, 0, "/10-CAT/15-QUIT/10-DOG/5-AN"});
    seats.append({3, -10, -10, 2, ""});
    for (int n = 4; n <= 6; ++n)
        seats.append({n, 0, 0, 0, ""});
    f.hostSays(msg::endround(40, seats));

    EXPECT_EQ(f.board.playedWords(1), (QStringList{u"This Turn: 25"_s, u" -10 for discards"_s,
                                                   u"25: STRING"_s, u"10: ANT"_s}));
    EXPECT_EQ(f.session.seat(1).pwords, u" [2] Ann"_s);
    EXPECT_EQ(f.session.seat(1).score, u"60"_s);
    // Equal points keep the order in which the words were made.
    EXPECT_EQ(f.board.playedWords(2),
              (QStringList{u"This Turn: 40"_s, u" -0 for discards"_s, u"15: QUIT"_s, u"10: CAT"_s,
                           u"10: DOG"_s, u"5: AN"_s}));
    EXPECT_EQ(f.session.seat(2).pwords, u" [4] Bob"_s);
    // No words: only the round's line, the heading as it was.
    EXPECT_EQ(f.board.playedWords(3), QStringList{u"This Turn: -10"_s});
    EXPECT_EQ(f.session.seat(3).pwords, u"Cat [0]"_s);
    EXPECT_EQ(f.session.seat(3).score, u"-10"_s);
    EXPECT_EQ(f.board.playedWords(6), QStringList{u"This Turn: 0"_s});
    EXPECT_EQ(f.session.seat(6).pwords, u"[0] <WAITING>"_s);

    EXPECT_EQ(f.board.theWordText(), u"You Scored 40 points this round."_s);
    EXPECT_EQ(f.board.statusText(), u"The Round is Over. One Moment Please.."_s);
    EXPECT_FALSE(f.board.wordButtonsShown());
    EXPECT_EQ(f.board.wordGate(), 0);
    EXPECT_TRUE(f.board.wordText().isEmpty());
    for (int pile = 1; pile <= 8; ++pile) {
        EXPECT_EQ(f.board.picture(pile), Board::kEmptied);
        EXPECT_FALSE(f.board.discardShown(pile));
    }
    EXPECT_TRUE(f.board.playedWordsShown());
    EXPECT_EQ(f.sound.cues, QStringList{u"roundover"_s});
    // The own seat's total 100 beats 99; six lines in its list.
    EXPECT_EQ(f.tally.offers, (QList<Offer>{{u"90 secs-6 Words"_s, 100, 8}}));

    f.board.closePlayedWords();
    EXPECT_FALSE(f.board.playedWordsShown());
    f.hostSays(msg::endround(40, seats));
    EXPECT_TRUE(f.board.playedWordsShown());
    // The next round hides the lists.
    f.hostSays(msg::startround(2));
    EXPECT_FALSE(f.board.playedWordsShown());
}

TEST(BoardRoundEnd, ASpyAndAnEqualTurnScoreOfferNothing)
{
    BoardFixture spy;
    ASSERT_TRUE(spy.connect(8, "Eve"));
    spy.startRound(kCards);
    spy.hostSays(msg::endround(0, {{1, 50, 50, 0, "/50-QUACK"}}));
    EXPECT_EQ(spy.board.theWordText(), QString());
    EXPECT_EQ(spy.board.playedWords(1),
              (QStringList{u"This Turn: 50"_s, u" -0 for discards"_s, u"50: QUACK"_s}));
    EXPECT_TRUE(spy.tally.offers.isEmpty());

    BoardFixture f;
    ASSERT_TRUE(f.connect(1, "Ann"));
    f.startRound(kCards);
    f.tally.records = {{8, 50}};
    f.hostSays(msg::endround(50, {{1, 50, 50, 0, "/50-QUACK"}}));
    EXPECT_TRUE(f.tally.offers.isEmpty());
}

TEST(BoardRoundEnd, AddToListOrdersByPoints)
{
    QStringList list;
    Board::addtolist(list, u"ANT"_s, 10);
    Board::addtolist(list, u"STRING"_s, 25);
    Board::addtolist(list, u"BEE"_s, 10);
    Board::addtolist(list, u"QUIXOTIC"_s, 90);
    Board::addtolist(list, u"AN"_s, 5);
    EXPECT_EQ(list, (QStringList{u"90: QUIXOTIC"_s, u"25: STRING"_s, u"10: ANT"_s, u"10: BEE"_s,
                                 u"5: AN"_s}));
    // A line without a leading number counts as 100.
    QStringList odd{u"This Turn: 5"_s};
    Board::addtolist(odd, u"BIG"_s, 150);
    Board::addtolist(odd, u"SMALL"_s, 20);
    Board::addtolist(odd, u"EVEN"_s, 100);
    EXPECT_EQ(odd, (QStringList{u"150: BIG"_s, u"This Turn: 5"_s, u"100: EVEN"_s, u"20: SMALL"_s}));
}

TEST(BoardRoundEnd, ADamagedWordLogStopsOnlyThatSeat)
{
    BoardFixture f;
    ASSERT_TRUE(f.connect(2));
    f.hostSays(msg::existingplayers(1, "Ann"));
    f.startRound(kCards);
    f.hostSays("CMD_endround+0+1+20+20+1+/10-CAT/xx-DOG/10-ANT+2+5+5+0+/"
               "5-AN+3+0+0+0++4+0+0+0++5+0+0+0++6+0+0+0+");
    EXPECT_EQ(f.board.playedWords(1), (QStringList{u"This Turn: 20"_s, u"10: CAT"_s}));
    EXPECT_EQ(f.session.seat(1).pwords, u"Ann [0]"_s);
    EXPECT_EQ(f.board.playedWords(2),
              (QStringList{u"This Turn: 5"_s, u" -0 for discards"_s, u"5: AN"_s}));
    EXPECT_EQ(f.session.seat(2).pwords, u" [1] Bob"_s);
    EXPECT_TRUE(f.board.playedWordsShown());
}

TEST(BoardGameEnd, WinningOnTheHostingCopy)
{
    BoardFixture f;
    ASSERT_TRUE(f.connect(1, "Ann"));
    f.session.setHosting(true);
    f.startRound(kCards);
    f.board.pileClicked(1, Qt::LeftButton);
    f.sound.cues.clear();
    f.hostSays("CMD_winner+Ann+");
    EXPECT_EQ(f.board.winnerText(), u"You have Won the Game!"_s);
    EXPECT_TRUE(f.board.winnerShown());
    EXPECT_EQ(f.board.statusText(), u"Game Over!"_s);
    EXPECT_EQ(chatLines(f.chat).last(), u"You have Won the Game!"_s);
    EXPECT_FALSE(f.board.wordButtonsShown());
    EXPECT_EQ(f.board.wordGate(), 0);
    EXPECT_TRUE(f.board.startButtonsShown());
    EXPECT_EQ(f.tally.games, QStringList{u"addtomine"_s});
    EXPECT_EQ(f.sound.cues, (QStringList{u"winner"_s, u"gameover"_s}));

    // The next game hides the panel and the buttons again.
    f.hostSays("CMD_startgame+Ann+500+90+");
    EXPECT_FALSE(f.board.winnerShown());
    EXPECT_FALSE(f.board.startButtonsShown());
}

TEST(BoardGameEnd, LosingAndWatching)
{
    BoardFixture f;
    ASSERT_TRUE(f.connect(2));
    f.hostSays(msg::existingplayers(1, "Ann"));
    f.startRound(kCards);
    f.sound.cues.clear();
    f.hostSays("CMD_winner+Ann+");
    EXPECT_EQ(f.board.winnerText(), u"Ann has Won the Game!"_s);
    EXPECT_FALSE(f.board.startButtonsShown()); // not the hosting copy
    EXPECT_EQ(f.tally.games, QStringList{u"Ann"_s});
    EXPECT_EQ(f.sound.cues, (QStringList{u"winner"_s, u"gameover"_s}));

    BoardFixture spy;
    ASSERT_TRUE(spy.connect(7, "Ann")); // a spy named like the winner
    spy.startRound(kCards);
    spy.sound.cues.clear();
    spy.hostSays("CMD_winner+Ann+");
    EXPECT_EQ(spy.board.winnerText(), u"Ann has Won the Game!"_s);
    EXPECT_TRUE(spy.board.winnerShown());
    EXPECT_EQ(chatLines(spy.chat).last(), u"Ann has Won the Game!"_s);
    EXPECT_TRUE(spy.tally.games.isEmpty());
    EXPECT_EQ(spy.sound.cues, QStringList{u"winner"_s});
}

TEST(BoardGameEnd, TieGameAddsALine)
{
    BoardFixture f;
    ASSERT_TRUE(f.connect(2));
    f.startRound(kCards);
    f.hostSays("CMD_tiegame+");
    EXPECT_EQ(chatLines(f.chat).last(), u"Tie Game so playing another round."_s);
    EXPECT_FALSE(f.board.winnerShown());
    EXPECT_TRUE(f.board.live());
}

TEST(BoardJoining, TwentySecondsLeftGivesSixteenToPlay)
{
    BoardFixture f;
    ASSERT_TRUE(f.connect(4, "Dan"));
    f.hostSays("CMD_gamestats+4+500+45+20+1+120+2+35+3+0+4+0+5+0+6+0");
    EXPECT_EQ(f.board.playToScoreText(), u"Play to Score: 500"_s);
    EXPECT_EQ(f.board.timePerTurnText(), u"Time Per Turn: 45"_s);
    EXPECT_EQ(f.board.timePerTurn(), 45);
    EXPECT_EQ(f.board.timerScale(), 8);
    EXPECT_EQ(f.board.timeLeft(), 16);
    EXPECT_EQ(f.session.seat(1).score, u"120"_s);
    EXPECT_EQ(f.session.seat(2).score, u"35"_s);
    EXPECT_EQ(f.board.playingSeat(), 4);
    EXPECT_TRUE(f.board.turnClockOn());
    EXPECT_EQ(f.board.wordGate(), 1);
    EXPECT_TRUE(f.board.wordText().isEmpty());
    EXPECT_TRUE(f.board.theWordText().isEmpty());
    EXPECT_EQ(f.board.statusText(), u"Welcome to Gorse by Velmar Software"_s);
    EXPECT_TRUE(f.sound.cues.isEmpty());

    // The seat's cards follow; the player plays the rest of the round.
    f.hostSays("CMD_thecards+1+3+t+2+1+t+3+20+t+5+9+t");
    f.board.pileClicked(1, Qt::LeftButton);
    f.board.pileClicked(2, Qt::LeftButton);
    f.board.pileClicked(3, Qt::LeftButton);
    f.board.button_doneClick();
    EXPECT_EQ(f.sent(), QList<QByteArray>{"CMD_sendword+4+1+2+3"});
}

TEST(BoardJoining, NineSecondsLeftWaitsForTheNextRound)
{
    BoardFixture f;
    ASSERT_TRUE(f.connect(4, "Dan"));
    f.hostSays("CMD_gamestats+4+500+45+9+1+0+2+0+3+0+4+0+5+0+6+0");
    EXPECT_EQ(f.board.timeLeft(), 5);
    EXPECT_EQ(f.board.playingSeat(), 0);
    EXPECT_FALSE(f.board.turnClockOn());
    EXPECT_EQ(f.board.wordGate(), 0);
    EXPECT_EQ(f.board.wordText(), u"GORSE"_s);
    f.hostSays("CMD_thecards+1+3+t");
    f.board.pileClicked(1, Qt::LeftButton);
    EXPECT_FALSE(f.board.inWord(1));

    // A spy joining with time left does not play either.
    BoardFixture spy;
    ASSERT_TRUE(spy.connect(9, "Eve"));
    spy.hostSays("CMD_gamestats+9+500+45+40+1+0+2+0+3+0+4+0+5+0+6+0");
    EXPECT_EQ(spy.board.timeLeft(), 36);
    EXPECT_EQ(spy.board.playingSeat(), 0);
    EXPECT_FALSE(spy.board.turnClockOn());
}
