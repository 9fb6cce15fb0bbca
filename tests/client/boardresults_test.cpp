// Round results and the game's end: accepted and rejected words, score
// changes, discards, the played-words lists, the winner, a tie, and joining
// a running game.
#include "boardfakes.h"
#include "bots/wordfinderloader.h"

#include <gtest/gtest.h>

using namespace gorse;
using namespace gorse::test;
using namespace Qt::StringLiterals;

namespace {

// C, A, T on piles 1..3; QU, I, Z on 4..6; X, Y on 7 and 8.
constexpr std::array<int, 8> kCards{3, 1, 20, 17, 9, 26, 24, 25};

using Offer = RecordingTally::Offer;

QString lines(const Board& board, int seat)
{
    return board.playedWords(seat).join(u'|');
}

} // namespace

TEST(BoardResults, AcceptedWithoutAndWithBonusThenRejected)
{
    BoardFixture f;
    ASSERT_TRUE(f.connect(2));
    f.startRound(kCards);
    f.click({1, 2, 3});
    f.board.button_doneClick();
    f.sound.cues.clear();
    f.hostSays("CMD_theword+2+CAT+10+0+1+14+t+2+5+t+3+19+t");
    EXPECT_EQ(f.board.theWordText(), u"You made: CAT for 10 points."_s);
    EXPECT_EQ(wordState(f.board), u"||1|hidden"_s);
    EXPECT_EQ(piles(f.board), u"14d 5d 19d 17d 9d 26d 24d 25d"_s);
    EXPECT_EQ(f.sound.cues, QStringList{u"goodword"_s});
    EXPECT_EQ(f.tally.offers, (QList<Offer>{{u"CAT"_s, 3, 3}, {u"CAT"_s, 10, 5}}));
    EXPECT_EQ(f.tally.wordCounts, QList<int>{7});

    // Records are offered only when strictly beaten.
    f.tally.offers.clear();
    f.tally.records = {{3, 4}, {5, 65}};
    f.click({4, 5, 6});
    EXPECT_EQ(f.board.wordText(), u"QuIZ"_s);
    f.board.button_doneClick();
    f.hostSays("CMD_theword+2+QUIZ+65+50+4+8+t+5+9+t+6+1+f");
    EXPECT_EQ(f.board.theWordText(), u"BONUS! You made: QUIZ for 65 points. BONUS!"_s);
    EXPECT_TRUE(f.tally.offers.isEmpty());
    EXPECT_EQ(f.tally.wordCounts, (QList<int>{7, 7}));
    f.tally.records = {{3, 3}, {5, 64}};
    f.hostSays("CMD_theword+2+QUIZ+65+50+4+8+t");
    EXPECT_EQ(f.tally.offers, (QList<Offer>{{u"QUIZ"_s, 4, 3}, {u"QUIZ"_s, 65, 5}}));

    // A rejected word gives the cards back.
    f.click({7, 8, 6});
    f.board.button_doneClick();
    f.sound.cues.clear();
    f.hostSays("CMD_rejected+2+xyzzy+7+24+t+8+25+t+6+1+t");
    EXPECT_EQ(f.board.theWordText(), u"XYZZY in not a valid word."_s);
    EXPECT_EQ(wordState(f.board), u"||1|hidden"_s);
    EXPECT_EQ(piles(f.board), u"14d 5d 19d 8d 9d 1d 24d 25d"_s);
    EXPECT_EQ(f.sound.cues, QStringList{u"badword"_s});
    EXPECT_EQ(f.tally.wordCounts.size(), 3); // one per accepted word only
}

TEST(BoardResults, ScoresDiscardsAndOtherConnectionsResults)
{
    BoardFixture f;
    ASSERT_TRUE(f.connect(2));
    f.startRound(kCards);
    // Results meant for another connection change nothing here.
    f.hostSays("CMD_theword+3+CAT+10+0+1+14+t");
    f.hostSays("CMD_rejected+3+CAT+1+3+t");
    f.hostSays("CMD_discard+3+-5+-5+1+14+t");
    f.hostSays("CMD_gamestats+3+500+90+40+1+0+2+0+3+0+4+0+5+0+6+0");
    EXPECT_EQ(f.board.theWordText(), u"Find a word!"_s);
    EXPECT_EQ(piles(f.board), u"3d 1d 20d 17d 9d 26d 24d 25d"_s);
    EXPECT_TRUE(f.tally.offers.isEmpty() && f.tally.wordCounts.isEmpty());
    EXPECT_EQ(seatCols(f.session, 3), u"0/0/"_s);

    f.hostSays("CMD_pscore+5+140+25+25+");
    EXPECT_EQ(seatCols(f.session, 5), u"140/25/+25"_s);
    f.hostSays("CMD_pscore+9+1+1+1+"); // no such seat: nothing happens
    f.hostSays("CMD_discard+2+-5+-5+7+11+t");
    EXPECT_EQ(seatCols(f.session, 2), u"-5/-5/-5"_s);
    EXPECT_EQ(f.board.theWordText(), u"You discarded a card and lost 5 points."_s);
    EXPECT_EQ(piles(f.board), u"3d 1d 20d 17d 9d 26d 11d 25d"_s);
    EXPECT_EQ(f.sound.cues, (QStringList{u"turn"_s, u"shift"_s}));
}

TEST(BoardRoundEnd, PlayedWordsListsHeadingsAndTheTurnRecord)
{
    BoardFixture f;
    ASSERT_TRUE(f.connect(2));
    f.hostSays(msg::existingplayers(1, "Ann"));
    f.hostSays(msg::existingplayers(3, "Cat"));
    f.startRound(kCards, 90);
    f.click({1});
    f.sound.cues.clear();
    f.tally.records = {{8, 99}};
    QList<SeatSummary> seats{{1, 60, 25, 2, "/25-STRING/10-ANT"},
                             {2, 100, 40, 0, "/10-CAT/15-QUIT/10-DOG/5-AN"},
                             {3, -10, -10, 2, ""}};
    for (int n = 4; n <= 6; ++n)
        seats.append({n, 0, 0, 0, ""});
    f.hostSays(msg::endround(40, seats));

    EXPECT_EQ(lines(f.board, 1), u"This Turn: 25| -10 for discards|25: STRING|10: ANT"_s);
    EXPECT_EQ(f.session.seat(1).heading, u" [2] Ann"_s);
    // Equal points keep the order in which the words were made.
    EXPECT_EQ(lines(f.board, 2),
              u"This Turn: 40| -0 for discards|15: QUIT|10: CAT|10: DOG|5: AN"_s);
    EXPECT_EQ(f.session.seat(2).heading, u" [4] Bob"_s);
    // No words: only the round's line, the heading as it was.
    EXPECT_EQ(lines(f.board, 3), u"This Turn: -10"_s);
    EXPECT_EQ(f.session.seat(3).heading, u"Cat [0]"_s);
    EXPECT_EQ(f.session.seat(6).heading, u"[0] <WAITING>"_s);
    EXPECT_EQ(seatCols(f.session, 1) + seatCols(f.session, 3), u"60/0/-10/0/"_s);

    EXPECT_EQ(f.board.theWordText(), u"You Scored 40 points this round."_s);
    EXPECT_EQ(f.board.statusText(), u"The Round is Over. One Moment Please.."_s);
    EXPECT_TRUE(f.board.wordText().isEmpty());
    EXPECT_FALSE(f.board.wordButtonsShown());
    EXPECT_EQ(f.board.wordGate(), 0);
    for (int pile = 1; pile <= 8; ++pile) {
        EXPECT_EQ(f.board.picture(pile), Board::kEmptied);
        EXPECT_FALSE(f.board.discardShown(pile));
    }
    EXPECT_TRUE(f.board.playedWordsShown());
    EXPECT_EQ(f.sound.cues, QStringList{u"roundover"_s});
    // The own seat's total 100 beats 99; six lines in its list.
    EXPECT_EQ(f.tally.offers, (QList<Offer>{{u"90 secs-6 Words"_s, 100, 8}}));
    // The next round hides the lists.
    f.hostSays(msg::startround(2));
    EXPECT_FALSE(f.board.playedWordsShown());

    // A line without a leading number counts as 100.
    QStringList odd{u"This Turn: 5"_s};
    Board::addtolist(odd, u"BIG"_s, 150);
    Board::addtolist(odd, u"SMALL"_s, 20);
    Board::addtolist(odd, u"EVEN"_s, 100);
    EXPECT_EQ(odd.join(u'|'), u"150: BIG|This Turn: 5|100: EVEN|20: SMALL"_s);
}

TEST(BoardRoundEnd, TheBestWordOfTheFirstCardsIsSuggestedToASeatOnly)
{
    // The suggester sees the round's first cards, whatever is played later.
    QList<std::array<int, kPileCount>> asked;
    const auto suggest = [&asked](const std::array<int, kPileCount>& cards) {
        asked.append(cards);
        return std::optional<Board::Suggestion>(Board::Suggestion{u"QUIET"_s, 70});
    };
    BoardFixture f;
    ASSERT_TRUE(f.connect(2));
    f.board.setSuggester(suggest);
    f.startRound(kCards, 90);
    EXPECT_TRUE(f.board.suggestionText().isEmpty()); // not during the round
    f.click({1});
    f.board.submitWord();
    f.hostSays("CMD_theword+2+E+5+0+1+9+t");
    EXPECT_EQ(f.board.lastWord(), u"E"_s);
    QList<SeatSummary> seats;
    for (int n = 1; n <= kSeatCount; ++n)
        seats.append({n, 0, 0, 0, ""});
    f.hostSays(msg::endround(0, seats));
    EXPECT_EQ(f.board.suggestionText(),
              u"Best word these cards allowed: QUIET for 70 points (a suggestion)"_s);
    // It is no played word: the lists and the turn record do not count it.
    EXPECT_EQ(lines(f.board, 2), u"This Turn: 0"_s);
    ASSERT_EQ(asked.size(), 1);
    EXPECT_EQ(asked.first(), kCards);
    f.board.closePlayedWords();
    EXPECT_TRUE(f.board.suggestionText().isEmpty());

    BoardFixture spy;
    ASSERT_TRUE(spy.connect(7, "Eve"));
    spy.board.setSuggester(suggest);
    spy.startRound(kCards, 90);
    spy.hostSays(msg::endround(0, seats));
    EXPECT_TRUE(spy.board.suggestionText().isEmpty());
    EXPECT_EQ(asked.size(), 1);

    // The suggester is asked when the round is over: one that is still
    // getting ready when the round starts (the word finder is built once a
    // game begins) answers for the first round all the same.
    bool ready = false;
    BoardFixture late;
    ASSERT_TRUE(late.connect(2));
    late.board.setSuggester([&ready](const std::array<int, kPileCount>&) {
        return ready ? std::optional(Board::Suggestion{u"QUIET"_s, 70}) : std::nullopt;
    });
    late.startRound(kCards, 90);
    ready = true;
    late.hostSays(msg::endround(0, seats));
    EXPECT_EQ(late.board.suggestionText(),
              u"Best word these cards allowed: QUIET for 70 points (a suggestion)"_s);
}

// The program's word finder serves the suggestions. It is built once a
// seated player's game begins or a game is being set up, never for a spy,
// and the first round already ends with a suggestion.
TEST(BoardRoundEnd, TheWordFinderIsBuiltForASeatedPlayersGame)
{
    QList<SeatSummary> seats;
    for (int n = 1; n <= kSeatCount; ++n)
        seats.append({n, 0, 0, 0, ""});
    WordFinderLoader spyFinder, hostFinder, seatFinder;
    BoardFixture spy, host, seat;

    ASSERT_TRUE(spy.connect(7, "Eve"));
    spyFinder.serveSuggestions(&spy.board);
    spy.startRound(kCards, 90);
    spy.hostSays(msg::endround(0, seats));
    EXPECT_FALSE(spyFinder.started());

    ASSERT_TRUE(host.connect(1));
    hostFinder.serveSuggestions(&host.board);
    EXPECT_FALSE(hostFinder.started());
    host.board.startPressed(); // the game start dialog opens
    EXPECT_TRUE(hostFinder.started());

    ASSERT_TRUE(seat.connect(2));
    seatFinder.serveSuggestions(&seat.board);
    EXPECT_FALSE(seatFinder.started());
    seat.startRound(kCards, 90);
    EXPECT_TRUE(seatFinder.started());
    ASSERT_TRUE(waitUntil([&] { return seatFinder.ifReady() != nullptr; }));
    seat.hostSays(msg::endround(0, seats));
    EXPECT_EQ(seat.board.suggestionText(),
              u"Best word these cards allowed: ACQUIT for 75 points (a suggestion)"_s);
}

TEST(BoardRoundEnd, ASpyADamagedWordLogAndAnEqualTurnScore)
{
    // A spy gets the lists but no round score and no record; a damaged word
    // log stops only its own seat's list.
    BoardFixture spy;
    ASSERT_TRUE(spy.connect(8, "Eve"));
    spy.hostSays(msg::existingplayers(1, "Ann"));
    spy.hostSays(msg::existingplayers(2, "Bob"));
    spy.startRound(kCards);
    spy.hostSays("CMD_endround+0+1+20+20+1+/10-CAT/xx-DOG/10-ANT+2+5+5+0+/"
                 "5-AN+3+0+0+0++4+0+0+0++5+0+0+0++6+0+0+0+");
    EXPECT_EQ(spy.board.theWordText(), QString());
    EXPECT_EQ(lines(spy.board, 1), u"This Turn: 20|10: CAT"_s);
    EXPECT_EQ(spy.session.seat(1).heading, u"Ann [0]"_s);
    EXPECT_EQ(lines(spy.board, 2), u"This Turn: 5| -0 for discards|5: AN"_s);
    EXPECT_EQ(spy.session.seat(2).heading, u" [1] Bob"_s);
    EXPECT_TRUE(spy.tally.offers.isEmpty());

    BoardFixture f;
    ASSERT_TRUE(f.connect(1, "Ann"));
    f.startRound(kCards);
    f.tally.records = {{8, 50}};
    f.hostSays(msg::endround(50, {{1, 50, 50, 0, "/50-QUACK"}}));
    EXPECT_EQ(lines(f.board, 1), u"This Turn: 50| -0 for discards|50: QUACK"_s);
    EXPECT_TRUE(f.tally.offers.isEmpty());
}

TEST(BoardGameEnd, TieThenWinningLosingAndWatching)
{
    struct Case
    {
        int own;
        QByteArray name;
        QString text;
        QStringList games;
        QStringList cues;
    };
    const Case cases[] = {
        {1, "Ann", u"You have Won the Game!"_s, {u"addtomine"_s}, {u"winner"_s, u"gameover"_s}},
        {2, "Bob", u"Ann has Won the Game!"_s, {u"Ann"_s}, {u"winner"_s, u"gameover"_s}},
        {7, "Ann", u"Ann has Won the Game!"_s, {}, {u"winner"_s}}}; // a spy named like the winner
    for (const Case& c : cases) {
        SCOPED_TRACE(c.own);
        BoardFixture f;
        ASSERT_TRUE(f.connect(c.own, c.name));
        f.session.setHosting(c.own == 1);
        f.startRound(kCards);
        f.click({1});
        f.hostSays("CMD_tiegame+"); // only a line; the round goes on
        EXPECT_EQ(chatLines(f.chat).last(), u"Tie Game so playing another round."_s);
        EXPECT_FALSE(f.board.winnerShown());
        EXPECT_EQ(f.board.wordGate(), c.own <= 6 ? 1 : 0);
        f.sound.cues.clear();
        f.hostSays("CMD_winner+Ann+");
        EXPECT_EQ(f.board.winnerText(), c.text);
        EXPECT_TRUE(f.board.winnerShown());
        EXPECT_EQ(f.board.statusText(), u"Game Over!"_s);
        EXPECT_EQ(chatLines(f.chat).last(), c.text);
        EXPECT_FALSE(f.board.wordButtonsShown());
        EXPECT_EQ(f.board.wordGate(), 0);
        EXPECT_EQ(f.board.startButtonsShown(), c.own == 1); // only on the hosting copy
        EXPECT_EQ(f.tally.games, c.games);
        EXPECT_EQ(f.sound.cues, c.cues);
        // The next game hides the panel and the buttons again.
        f.hostSays("CMD_startgame+Ann+500+90+");
        EXPECT_FALSE(f.board.winnerShown());
        EXPECT_FALSE(f.board.startButtonsShown());
    }
}

TEST(BoardJoining, TwentySecondsLeftPlaysNineWaitsASpyWatches)
{
    // Own number and the host's countdown; then time left, playing seat and
    // word gate.
    const std::array<int, 5> cases[] = {{4, 20, 16, 4, 1}, {4, 9, 5, 0, 0}, {9, 40, 36, 0, 0}};
    for (const auto& [own, countdown, left, seat, gate] : cases) {
        SCOPED_TRACE(countdown);
        BoardFixture f;
        ASSERT_TRUE(f.connect(own, "Dan"));
        f.hostSays("CMD_gamestats+" + QByteArray::number(own) + "+500+45+" +
                   QByteArray::number(countdown) + "+1+120+2+35+3+0+4+0+5+0+6+0");
        EXPECT_EQ(f.board.timeLeft(), left);
        EXPECT_EQ(f.board.playingSeat(), seat);
        EXPECT_EQ(f.board.turnClockOn(), seat != 0);
        EXPECT_EQ(f.board.wordGate(), gate);
        EXPECT_EQ(f.board.wordText(), seat != 0 ? QString() : u"GORSE"_s);
        EXPECT_EQ(f.board.playToScoreText(), u"Play to Score: 500"_s);
        EXPECT_EQ(f.board.timePerTurnText(), u"Time Per Turn: 45"_s);
        EXPECT_EQ(f.board.timerScale(), 8);
        EXPECT_EQ(seatCols(f.session, 1) + seatCols(f.session, 2), u"120/0/35/0/"_s);
        EXPECT_TRUE(f.board.theWordText().isEmpty());
        EXPECT_TRUE(f.sound.cues.isEmpty());
        // The seat's cards follow; only a playing seat uses them.
        f.hostSays("CMD_thecards+1+3+t+2+1+t+3+20+t+5+9+t");
        f.click({1, 2, 3});
        f.board.button_doneClick();
        EXPECT_EQ(f.sent(),
                  seat != 0 ? QList<QByteArray>{"CMD_sendword+4+1+2+3"} : QList<QByteArray>{});
    }
}
