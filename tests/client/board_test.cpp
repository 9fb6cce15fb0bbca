// The board and its turn: starting a game and a round, building a word from
// the piles, submitting and clearing it, discarding, the turn clock and the
// start controls.
#include "boardfakes.h"

#include <QSignalSpy>
#include <climits>
#include <gtest/gtest.h>

using namespace gorse;
using namespace gorse::test;
using namespace Qt::StringLiterals;

namespace {

// E on pile 1, T on pile 3, Qu on pile 5; the rest A, B, C, D, ING.
constexpr std::array<int, 8> kCards{5, 1, 20, 2, 17, 3, 4, 46};
const QString kFresh = u"5d 1d 20d 2d 17d 3d 4d 46d"_s;

} // namespace

TEST(BoardGame, BeforeTheFirstGameAndAtItsStart)
{
    BoardFixture f;
    ASSERT_TRUE(f.connect(2));
    EXPECT_EQ(f.board.timerText(), u"Time: 0:00"_s);
    EXPECT_EQ(f.board.playToScoreText(), u"Play to Score: 1000"_s);
    EXPECT_EQ(f.board.timePerTurnText(), u"Time Per Turn: 90"_s);
    EXPECT_EQ(f.board.roundText(), u"Round: 0"_s);
    EXPECT_EQ(f.board.statusText(), u"Welcome to Gorse by Velmar Software"_s);
    EXPECT_FALSE(f.board.turnClockOn());
    // No round yet: clicks do nothing.
    f.click({1});
    EXPECT_EQ(wordState(f.board), u"GORSE||0|hidden"_s);

    f.session.table()->sit(4, u"Dan"_s);
    f.session.table()->setScores(4, 120, 40, u"+25"_s);
    f.board.setStartControlsVisible(true);
    f.hostSays("CMD_startgame+Ann+500+120+");
    EXPECT_EQ(f.board.playToScoreText(), u"Play to score: 500"_s);
    EXPECT_EQ(f.board.timePerTurnText(), u"Time per turn: 120"_s);
    EXPECT_EQ(f.board.timerScale(), 3);
    EXPECT_EQ(seatCols(f.session, 4), u"0/40/"_s); // the round's column waits for the round
    EXPECT_FALSE(f.board.startButtonsShown());
    EXPECT_TRUE(f.board.startGameEnabled()); // the menu item stays enabled
    EXPECT_EQ(chatLines(f.chat).last(), u"Ann has started a game."_s);

    f.hostSays("CMD_startgame+Ann+300+45+");
    EXPECT_EQ(f.board.timerScale(), 8);
    // A round length of 0 gives no bar instead of a division by zero.
    f.hostSays("CMD_startgame+Ann+300+0+");
    EXPECT_EQ(f.board.timerScale(), 0);
}

TEST(BoardGame, RoundStartForASeatAndForASpy)
{
    BoardFixture f;
    ASSERT_TRUE(f.connect(2));
    f.session.table()->sit(3, u"Cat"_s);
    f.session.table()->setScores(3, 0, 30, u"+10"_s);
    f.startRound(kCards, 90, 4);
    EXPECT_EQ(f.board.roundText(), u"Round: 4"_s);
    EXPECT_EQ(f.board.theWordText(), u"Find a word!"_s);
    EXPECT_EQ(f.board.statusText(), u"Your Turn."_s);
    EXPECT_EQ(wordState(f.board), u"||1|hidden"_s);
    EXPECT_EQ(f.board.playingSeat(), 2);
    EXPECT_EQ(f.board.timeLeft(), 90);
    EXPECT_TRUE(f.board.turnClockOn());
    EXPECT_EQ(seatCols(f.session, 3), u"0/0/"_s);
    EXPECT_EQ(f.sound.cues, QStringList{u"turn"_s});
    EXPECT_EQ(piles(f.board), kFresh);
    // Which turn sound is heard is the sound router's choice.
    f.options.setTurnSoundNew(true);
    f.hostSays(msg::startround(5));
    EXPECT_EQ(f.sound.cues.last(), u"turn"_s);

    // A spy sees the cards but cannot play them.
    BoardFixture spy;
    ASSERT_TRUE(spy.connect(7, "Eve"));
    spy.startRound(kCards);
    spy.click({3});
    EXPECT_EQ(spy.board.playingSeat(), 0);
    EXPECT_TRUE(spy.board.theWordText().isEmpty());
    // The status line says that the spy watches (instead of staying empty).
    EXPECT_EQ(spy.board.statusText(), Board::watchingStatus());
    EXPECT_EQ(wordState(spy.board), u"||0|hidden"_s);
    EXPECT_EQ(piles(spy.board), kFresh);
    EXPECT_TRUE(spy.sound.cues.isEmpty());
}

TEST(BoardWord, PilesThreeFiveOneSpellTQuEDoneAndRightClicksSend)
{
    BoardFixture f;
    ASSERT_TRUE(f.connect(2));
    f.startRound(kCards);
    f.sound.cues.clear();
    f.click({3, 5, 1});
    f.click({5}); // a second click on a pile in the word adds nothing
    EXPECT_EQ(wordState(f.board), u"TQuE|+3+5+1|1|shown"_s);
    EXPECT_EQ(piles(f.board), u"-w 1d -w 2d -w 3d 4d 46d"_s);
    EXPECT_EQ(f.sound.cues, (QStringList{u"place"_s, u"place"_s, u"place"_s}));

    f.board.button_doneClick();
    EXPECT_EQ(f.sent(), QList<QByteArray>{"CMD_sendword+2+3+5+1"});
    EXPECT_EQ(wordState(f.board), u"||0|hidden"_s);
    // The used piles stay empty until the host answers; no more cards can
    // be added or sent meanwhile.
    f.click({2});
    f.click({2}, Qt::RightButton);
    EXPECT_EQ(wordState(f.board), u"||0|hidden"_s);
    EXPECT_EQ(piles(f.board), u"-w 1d -w 2d -w 3d 4d 46d"_s);
    EXPECT_TRUE(f.sent().isEmpty());

    // With an empty word a right click does nothing; the middle button never.
    f.hostSays("CMD_rejected+2+TQUE+3+20+t+5+17+t+1+5+t");
    f.click({4}, Qt::RightButton);
    f.click({4}, Qt::MiddleButton);
    EXPECT_EQ(wordState(f.board), u"||1|hidden"_s);
    EXPECT_TRUE(f.sent().isEmpty());
    // With a word in progress a right click on any pile submits it, one in
    // the word included.
    f.click({4, 6});
    f.click({7}, Qt::RightButton);
    EXPECT_EQ(f.sent(), QList<QByteArray>{"CMD_sendword+2+4+6"});
    EXPECT_FALSE(f.board.inWord(7));
    f.hostSays("CMD_rejected+2+BC+4+2+t+6+3+t");
    f.click({1});
    f.click({1}, Qt::RightButton);
    EXPECT_EQ(f.sent(), QList<QByteArray>{"CMD_sendword+2+1"});
}

TEST(BoardWord, ClearLastAndClearPutCardsBack)
{
    BoardFixture f;
    ASSERT_TRUE(f.connect(2));
    f.startRound(kCards);
    f.click({3, 5, 1});
    f.sound.cues.clear();
    f.board.button_clearlastClick();
    EXPECT_EQ(wordState(f.board), u"TQu|+3+5|1|shown"_s);
    EXPECT_EQ(piles(f.board), u"5d 1d -w 2d -w 3d 4d 46d"_s);
    // A click on the word does the same.
    f.board.label_wordClick();
    EXPECT_EQ(wordState(f.board), u"T|+3|1|shown"_s);
    EXPECT_EQ(piles(f.board), u"5d 1d -w 2d 17d 3d 4d 46d"_s);
    // The last card: the word is empty, the buttons stay; Done and a further
    // Clear-last do nothing.
    f.board.button_clearlastClick();
    f.board.button_doneClick();
    f.board.button_clearlastClick();
    EXPECT_EQ(wordState(f.board), u"||1|shown"_s);
    EXPECT_EQ(piles(f.board), kFresh);
    EXPECT_TRUE(f.sent().isEmpty());
    EXPECT_TRUE(f.sound.cues.isEmpty());

    // Clear puts back every card and hides the buttons, so a second Clear
    // cannot be pressed. Pile 1 is empty from here on.
    f.hostSays("CMD_thecards+1+0+f");
    f.click({8, 2});
    EXPECT_EQ(f.board.wordText(), u"INGA"_s);
    f.board.buttoN_clearClick();
    f.board.buttoN_clearClick();
    EXPECT_EQ(f.sound.cues, (QStringList{u"place"_s, u"place"_s, u"clear"_s}));
    EXPECT_EQ(wordState(f.board), u"||1|hidden"_s);
    EXPECT_EQ(piles(f.board), u"0d 1d 20d 2d 17d 3d 4d 46d"_s);
    // An empty pile joins the word without a letter.
    f.click({1, 2});
    EXPECT_EQ(wordState(f.board), u"A|+1+2|1|shown"_s);
}

TEST(BoardWord, TheDeviceNeutralOperationsPlayLikeTheMouse)
{
    BoardFixture f;
    ASSERT_TRUE(f.connect(2));
    // Nothing is allowed before a round.
    f.board.addPile(3);
    f.board.submitWord();
    f.board.discard(3);
    EXPECT_TRUE(f.sent().isEmpty());

    f.startRound(kCards);
    f.board.addPile(3);
    f.board.addPile(5);
    f.board.addPile(9); // no such pile
    f.board.clearLast();
    f.board.addPile(1);
    EXPECT_EQ(wordState(f.board), u"TE|+3+1|1|shown"_s);
    f.board.submitWord();
    f.board.submitWord(); // already sent
    EXPECT_EQ(f.sent(), QList<QByteArray>{"CMD_sendword+2+3+1"});
    f.hostSays("CMD_rejected+2+TE+3+20+t+1+5+t");
    f.board.addPile(2);
    f.board.clearWord();
    EXPECT_EQ(wordState(f.board), u"||1|hidden"_s);
    f.board.discard(6);
    EXPECT_EQ(f.sent(), QList<QByteArray>{"CMD_discard+2+6+"});

    // A spy has no piles to play.
    BoardFixture spy;
    ASSERT_TRUE(spy.connect(7, "Eve"));
    spy.startRound(kCards);
    spy.board.addPile(1);
    spy.board.submitWord();
    EXPECT_EQ(wordState(spy.board), u"||0|hidden"_s);
    EXPECT_TRUE(spy.sent().isEmpty());
}

TEST(BoardDiscard, WithoutAndWithTheWarning)
{
    BoardFixture f;
    ASSERT_TRUE(f.connect(3, "Cat"));
    f.startRound(kCards);
    EXPECT_FALSE(f.options.warning());
    f.board.discardClicked(6);
    f.click({7});
    f.board.discardClicked(7); // a pile in the word has no discard label to click
    EXPECT_EQ(f.sent(), QList<QByteArray>{"CMD_discard+3+6+"});
    EXPECT_FALSE(f.board.discardPanelShown());
    f.board.buttoN_clearClick();

    // With the warning: No sends nothing, Yes sends once.
    f.options.setWarning(true);
    f.board.discardClicked(1);
    EXPECT_TRUE(f.board.discardPanelShown());
    EXPECT_EQ(f.board.discardPanelPos(), QPoint(88, 262));
    EXPECT_EQ(f.board.pendingDiscard(), 1);
    f.board.button_noClick();
    EXPECT_FALSE(f.board.discardPanelShown());
    EXPECT_EQ(f.board.pendingDiscard(), 0);
    EXPECT_TRUE(f.sent().isEmpty());

    f.board.discardClicked(8);
    // Pile 8's question moves up to stay on panel_board (not at (331, 395)).
    EXPECT_EQ(f.board.discardPanelPos(), QPoint(331, 359));
    f.board.button_yesClick();
    f.board.button_yesClick(); // the question is gone: nothing more
    EXPECT_EQ(f.sent(), QList<QByteArray>{"CMD_discard+3+8+"});
    EXPECT_EQ(f.board.pendingDiscard(), 0);

    // A click on a pile hides the question and keeps the pending pile.
    f.board.discardClicked(2);
    f.click({4});
    EXPECT_FALSE(f.board.discardPanelShown());
    EXPECT_EQ(f.board.pendingDiscard(), 2);
    EXPECT_TRUE(f.sent().isEmpty());
}

TEST(BoardClock, TextBarColourAndTheTimerCue)
{
    BoardFixture f;
    ASSERT_TRUE(f.connect(2));
    // Round length; clock text and bar width after one second.
    const std::tuple<int, const char16_t*, int> firstSecond[] = {
        {120, u"Time: 1:59", 357}, {91, u"Time: 1:30", 360}, {66, u"Time: 1:05", 325}};
    for (const auto& [seconds, text, bar] : firstSecond) {
        f.startRound(kCards, seconds);
        f.tick();
        EXPECT_EQ(f.board.timeLeft(), seconds - 1);
        EXPECT_EQ(f.board.timerText(), QString::fromUtf16(text));
        EXPECT_EQ(f.board.timerBarWidth(), bar);
        EXPECT_EQ(f.board.timerColour(), Board::kClockColour);
    }

    // Red from 19; "timer" at 20, 15 and 10 down to 1, never at 0.
    f.startRound(kCards, 45);
    f.sound.cues.clear();
    QList<int> cueAt;
    for (int i = 0; i < 50; ++i) {
        const qsizetype cues = f.sound.cues.size();
        f.tick();
        const int left = f.board.timeLeft();
        cueAt.append(QList<int>(f.sound.cues.size() - cues, left));
        EXPECT_EQ(f.board.timerColour(), left < 20 ? Board::kClockRed : Board::kClockColour)
            << left;
        if (left == 9) {
            EXPECT_EQ(f.board.timerText(), u"Time: 0:09"_s);
            EXPECT_EQ(f.board.timerBarWidth(), 72);
        }
    }
    EXPECT_EQ(cueAt, (QList<int>{20, 15, 10, 9, 8, 7, 6, 5, 4, 3, 2, 1}));
    EXPECT_EQ(f.sound.cues, QStringList(12, u"timer"_s));
    EXPECT_EQ(f.board.timeLeft(), 0);
    EXPECT_EQ(f.board.timerText(), u"Time: 0:00"_s);
    EXPECT_EQ(f.board.timerBarWidth(), 0);
    // The clock is never switched off; it just keeps saying 0:00.
    EXPECT_TRUE(f.board.turnClockOn());
}

TEST(BoardClock, AtZeroTheWordCanNeitherBeSentNorCleared)
{
    BoardFixture f;
    ASSERT_TRUE(f.connect(2));
    f.startRound(kCards, 45);
    f.tick(44);
    f.click({3, 1});
    ASSERT_EQ(f.board.wordText(), u"TE"_s);

    f.tick();
    EXPECT_EQ(f.board.timeLeft(), 0);
    EXPECT_FALSE(f.board.live());
    // The word's text and the emptied piles stay until the round's end.
    EXPECT_EQ(wordState(f.board), u"TE||0|hidden"_s);

    f.board.submitWord();
    f.click({2}, Qt::RightButton);
    f.click({2});
    f.board.buttoN_clearClick();
    EXPECT_TRUE(f.sent().isEmpty());
    EXPECT_EQ(f.board.picture(3), Board::kEmptied);
    EXPECT_FALSE(f.board.inWord(2));
    f.tick();
    EXPECT_EQ(f.board.timeLeft(), 0);
    // A discard still goes out; the host refuses it.
    f.board.discardClicked(2);
    EXPECT_EQ(f.sent(), QList<QByteArray>{"CMD_discard+2+2+"});
}

TEST(BoardStart, BeforeLoginStartGivesTheNoticeAndNothingIsSent)
{
    BoardFixture f;
    ASSERT_TRUE(f.connect(0));
    QSignalSpy options(&f.board, &Board::showGameOptions);
    QSignalSpy notice(&f.board, &Board::notConnected);
    f.board.setStartControlsVisible(true);
    EXPECT_TRUE(f.board.startButtonsShown() && f.board.startGameEnabled());
    f.board.startPressed();
    ASSERT_EQ(notice.count(), 1);
    EXPECT_EQ(notice.at(0).at(0).toString(), u"You are not connected"_s);

    // Own number 0 plays locally, but nothing leaves the client.
    f.startRound(kCards);
    f.click({3});
    EXPECT_EQ(f.board.wordText(), u"T"_s);
    f.board.button_doneClick();
    EXPECT_TRUE(f.board.wordText().isEmpty());
    f.board.discardClicked(2);
    EXPECT_TRUE(f.sent().isEmpty());

    f.hostSays(msg::sendlogininfo(1));
    f.board.startPressed();
    EXPECT_EQ(options.count(), 1);
    EXPECT_EQ(notice.count(), 1);
    f.board.setStartControlsVisible(false);
    EXPECT_FALSE(f.board.startButtonsShown() || f.board.startGameEnabled());
}

TEST(BoardGame, NumbersNoHonestHostSendsNeitherWrapNorOverflow)
{
    BoardFixture f;
    ASSERT_TRUE(f.connect(2));
    // A round of -2147483648 seconds: the clock stops at 0 instead of
    // wrapping round to the longest time there is.
    f.startRound(kCards, INT_MIN);
    EXPECT_EQ(f.board.timeLeft(), INT_MIN);
    f.tick();
    EXPECT_EQ(f.board.timeLeft(), 0);
    EXPECT_EQ(f.board.timerBarWidth(), 0);

    // The longest countdown with one-second rounds: the bar stays within
    // its width.
    f.hostSays("CMD_gamestats+2+1000+1+2147483647+1+0+2+0+3+0+4+0+5+0+6+0");
    EXPECT_EQ(f.board.timeLeft(), INT_MAX - kRoundExtraSeconds);
    f.tick();
    EXPECT_EQ(f.board.timerBarWidth(), Board::kTimerBarWidth);

    // The shortest countdown: no time left, and no late joining.
    f.startRound(kCards, 90);
    f.hostSays("CMD_gamestats+2+1000+90+-2147483648+1+0+2+0+3+0+4+0+5+0+6+0");
    EXPECT_EQ(f.board.timeLeft(), INT_MIN);
    f.tick();
    EXPECT_EQ(f.board.timeLeft(), 0);
}
