// The board and its turn: starting a game and a round, building a word from
// the piles, submitting and clearing it, discarding, the turn clock and the
// start controls.
#include "boardfakes.h"

#include <QSignalSpy>
#include <gtest/gtest.h>

using namespace gorse;
using namespace gorse::test;
using namespace Qt::StringLiterals;

namespace {

// E on pile 1, T on pile 3, Qu on pile 5; the rest A, B, C, D, ING.
constexpr std::array<int, 8> kCards{5, 1, 20, 2, 17, 3, 4, 46};

QByteArray word(int seat, std::initializer_list<int> piles)
{
    return msg::sendword(seat, QList<int>(piles));
}

} // namespace

TEST(BoardFaces, ClientFacesAndPilePlaces)
{
    EXPECT_EQ(Board::cardFace(1), u"A"_s);
    EXPECT_EQ(Board::cardFace(16), u"P"_s);
    EXPECT_EQ(Board::cardFace(17), u"Qu"_s);
    EXPECT_EQ(Board::cardFace(18), u"R"_s);
    EXPECT_EQ(Board::cardFace(26), u"Z"_s);
    EXPECT_EQ(Board::cardFace(27), u"CH"_s);
    EXPECT_EQ(Board::cardFace(42), u"GHT"_s);
    EXPECT_EQ(Board::cardFace(46), u"ING"_s);
    EXPECT_EQ(Board::cardFace(50), u"UN"_s);
    for (int none : {0, -1, 51})
        EXPECT_TRUE(Board::cardFace(none).isEmpty()) << none;

    EXPECT_EQ(Board::pilePos(1), QPoint(48, 197));
    EXPECT_EQ(Board::pilePos(4), QPoint(291, 197));
    EXPECT_EQ(Board::pilePos(5), QPoint(48, 330));
    EXPECT_EQ(Board::pilePos(8), QPoint(291, 330));
    EXPECT_EQ(Board::discardPos(1), QPoint(49, 304));
    EXPECT_EQ(Board::discardPos(8), QPoint(292, 437));
}

TEST(BoardGame, BeforeTheFirstGameAndAtItsStart)
{
    BoardFixture f;
    ASSERT_TRUE(f.connect(2));
    EXPECT_EQ(f.board.wordText(), u"GORSE"_s);
    EXPECT_EQ(f.board.timerText(), u"Time: 0:00"_s);
    EXPECT_EQ(f.board.playToScoreText(), u"Play to Score: 1000"_s);
    EXPECT_EQ(f.board.timePerTurnText(), u"Time Per Turn: 90"_s);
    EXPECT_EQ(f.board.roundText(), u"Round: 0"_s);
    EXPECT_EQ(f.board.statusText(), u"Welcome to Gorse by Velmar Software"_s);
    EXPECT_FALSE(f.board.wordButtonsShown());
    EXPECT_FALSE(f.board.turnClockOn());
    // No round yet: clicks do nothing.
    f.board.pileClicked(1, Qt::LeftButton);
    EXPECT_EQ(f.board.wordText(), u"GORSE"_s);
    EXPECT_TRUE(f.board.wordPiles().isEmpty());

    f.session.seatRow(4).score = u"120"_s;
    f.session.seatRow(4).bonus = u"+25"_s;
    f.session.seatRow(4).thisturn = u"40"_s;
    f.board.setStartControlsVisible(true);
    f.hostSays("CMD_startgame+Ann+500+120+");
    EXPECT_EQ(f.board.playToScoreText(), u"Play to score: 500"_s);
    EXPECT_EQ(f.board.timePerTurnText(), u"Time per turn: 120"_s);
    EXPECT_EQ(f.board.timePerTurn(), 120);
    EXPECT_EQ(f.board.timerScale(), 3);
    EXPECT_EQ(f.session.seat(4).score, u"0"_s);
    EXPECT_TRUE(f.session.seat(4).bonus.isEmpty());
    EXPECT_EQ(f.session.seat(4).thisturn, u"40"_s); // the round's column waits for the round
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
    f.session.seatRow(3).thisturn = u"30"_s;
    f.session.seatRow(3).bonus = u"+10"_s;
    f.startRound(kCards, 90, 4);
    EXPECT_EQ(f.board.roundText(), u"Round: 4"_s);
    EXPECT_EQ(f.board.theWordText(), u"Find a word!"_s);
    EXPECT_EQ(f.board.statusText(), u"Your Turn."_s);
    EXPECT_EQ(f.board.wordText(), QString());
    EXPECT_EQ(f.board.playingSeat(), 2);
    EXPECT_EQ(f.board.wordGate(), 1);
    EXPECT_EQ(f.board.timeLeft(), 90);
    EXPECT_TRUE(f.board.turnClockOn());
    EXPECT_TRUE(f.board.live());
    EXPECT_EQ(f.session.seat(3).thisturn, u"0"_s);
    EXPECT_TRUE(f.session.seat(3).bonus.isEmpty());
    EXPECT_EQ(f.sound.cues, QStringList{u"turn"_s});
    for (int pile = 1; pile <= 8; ++pile) {
        EXPECT_EQ(f.board.card(pile), kCards[pile - 1]);
        EXPECT_EQ(f.board.picture(pile), kCards[pile - 1]);
        EXPECT_TRUE(f.board.discardShown(pile));
    }

    f.board.setTurnSoundNew(true);
    f.hostSays(msg::startround(5));
    EXPECT_EQ(f.sound.cues.last(), u"turnnew"_s);

    BoardFixture spy;
    ASSERT_TRUE(spy.connect(7, "Eve"));
    spy.startRound(kCards);
    EXPECT_EQ(spy.board.playingSeat(), 0);
    EXPECT_TRUE(spy.board.theWordText().isEmpty());
    EXPECT_TRUE(spy.board.statusText().isEmpty());
    EXPECT_EQ(spy.board.wordGate(), 0);
    EXPECT_TRUE(spy.sound.cues.isEmpty());
    // A spy sees the cards but cannot play them.
    EXPECT_EQ(spy.board.picture(3), 20);
    spy.board.pileClicked(3, Qt::LeftButton);
    EXPECT_FALSE(spy.board.inWord(3));
    EXPECT_TRUE(spy.board.wordText().isEmpty());
}

TEST(BoardWord, PilesThreeFiveOneSpellTQuEAndDoneSendsThem)
{
    BoardFixture f;
    ASSERT_TRUE(f.connect(2));
    f.startRound(kCards);
    f.sound.cues.clear();
    f.board.pileClicked(3, Qt::LeftButton);
    f.board.pileClicked(5, Qt::LeftButton);
    f.board.pileClicked(1, Qt::LeftButton);
    EXPECT_EQ(f.board.wordText(), u"TQuE"_s);
    EXPECT_EQ(f.board.wordPileList(), u"+3+5+1"_s);
    EXPECT_TRUE(f.board.wordButtonsShown());
    EXPECT_EQ(f.sound.cues, (QStringList{u"place"_s, u"place"_s, u"place"_s}));
    for (int pile : {1, 3, 5}) {
        EXPECT_TRUE(f.board.inWord(pile));
        EXPECT_EQ(f.board.picture(pile), Board::kEmptied);
        EXPECT_FALSE(f.board.discardShown(pile));
    }
    EXPECT_EQ(f.board.picture(2), 1);

    // A second click on a pile in the word adds nothing.
    f.board.pileClicked(5, Qt::LeftButton);
    EXPECT_EQ(f.board.wordPileList(), u"+3+5+1"_s);
    EXPECT_EQ(f.sound.cues.size(), 3);

    f.board.button_doneClick();
    EXPECT_EQ(f.sent(), QList<QByteArray>{"CMD_sendword+2+3+5+1"});
    EXPECT_EQ(f.board.wordText(), QString());
    EXPECT_TRUE(f.board.wordPiles().isEmpty());
    EXPECT_EQ(f.board.wordGate(), 0);
    EXPECT_FALSE(f.board.wordButtonsShown());
    // The used piles stay empty until the host answers; no more cards can
    // be added meanwhile.
    EXPECT_EQ(f.board.picture(3), Board::kEmptied);
    EXPECT_TRUE(f.board.inWord(3));
    f.board.pileClicked(2, Qt::LeftButton);
    EXPECT_TRUE(f.board.wordPiles().isEmpty());
    f.board.pileClicked(2, Qt::RightButton);
    EXPECT_TRUE(f.sent().isEmpty());
}

TEST(BoardWord, ClearLastTakesBackOneCardAtATime)
{
    BoardFixture f;
    ASSERT_TRUE(f.connect(2));
    f.startRound(kCards);
    for (int pile : {3, 5, 1})
        f.board.pileClicked(pile, Qt::LeftButton);
    f.sound.cues.clear();

    f.board.button_clearlastClick();
    EXPECT_EQ(f.board.wordPileList(), u"+3+5"_s);
    EXPECT_EQ(f.board.wordText(), u"TQu"_s);
    EXPECT_FALSE(f.board.inWord(1));
    EXPECT_EQ(f.board.picture(1), 5);
    EXPECT_TRUE(f.board.discardShown(1));
    EXPECT_TRUE(f.board.inWord(5));

    // A click on the word does the same.
    f.board.label_wordClick();
    EXPECT_EQ(f.board.wordPileList(), u"+3"_s);
    EXPECT_EQ(f.board.wordText(), u"T"_s);
    EXPECT_EQ(f.board.picture(5), 17);
    EXPECT_TRUE(f.sound.cues.isEmpty());

    // The last card: the word is empty, the buttons stay, Done does nothing.
    f.board.button_clearlastClick();
    EXPECT_EQ(f.board.wordText(), QString());
    EXPECT_TRUE(f.board.wordPiles().isEmpty());
    EXPECT_TRUE(f.board.wordButtonsShown());
    EXPECT_EQ(f.board.picture(3), 20);
    f.board.button_doneClick();
    f.board.button_clearlastClick();
    EXPECT_TRUE(f.sent().isEmpty());
    EXPECT_TRUE(f.board.wordButtonsShown());
    EXPECT_EQ(f.board.wordGate(), 1);
}

TEST(BoardWord, ClearPutsEveryCardBack)
{
    BoardFixture f;
    ASSERT_TRUE(f.connect(2));
    f.startRound(kCards);
    for (int pile : {8, 2})
        f.board.pileClicked(pile, Qt::LeftButton);
    EXPECT_EQ(f.board.wordText(), u"INGA"_s);
    f.board.buttoN_clearClick();
    EXPECT_EQ(f.sound.cues.last(), u"clear"_s);
    EXPECT_TRUE(f.board.wordText().isEmpty());
    EXPECT_TRUE(f.board.wordPiles().isEmpty());
    EXPECT_FALSE(f.board.wordButtonsShown());
    EXPECT_EQ(f.board.wordGate(), 1);
    for (int pile : {8, 2}) {
        EXPECT_FALSE(f.board.inWord(pile));
        EXPECT_EQ(f.board.picture(pile), kCards[pile - 1]);
        EXPECT_TRUE(f.board.discardShown(pile));
    }
    // The buttons are hidden now, so a second Clear cannot be pressed.
    const qsizetype cues = f.sound.cues.size();
    f.board.buttoN_clearClick();
    EXPECT_EQ(f.sound.cues.size(), cues);
}

TEST(BoardWord, RightAndMiddleClicks)
{
    BoardFixture f;
    ASSERT_TRUE(f.connect(2));
    f.startRound(kCards);
    // With an empty word a right click does nothing.
    f.board.pileClicked(4, Qt::RightButton);
    EXPECT_TRUE(f.board.wordPiles().isEmpty());
    EXPECT_TRUE(f.sent().isEmpty());
    // The middle button never does anything.
    f.board.pileClicked(4, Qt::MiddleButton);
    EXPECT_TRUE(f.board.wordPiles().isEmpty());

    // With a word in progress a right click on any pile submits it, one in
    // the word included.
    f.board.pileClicked(4, Qt::LeftButton);
    f.board.pileClicked(6, Qt::LeftButton);
    f.board.pileClicked(7, Qt::RightButton);
    EXPECT_EQ(f.sent(), QList<QByteArray>{word(2, {4, 6})});
    EXPECT_FALSE(f.board.inWord(7));
    f.hostSays("CMD_rejected+2+BC+4+2+t+6+3+t");
    f.board.pileClicked(1, Qt::LeftButton);
    f.board.pileClicked(1, Qt::RightButton);
    EXPECT_EQ(f.sent(), QList<QByteArray>{word(2, {1})});
}

TEST(BoardWord, EmptyPileJoinsTheWordWithoutALetter)
{
    BoardFixture f;
    ASSERT_TRUE(f.connect(2));
    f.startRound({0, 1, 20, 2, 17, 3, 4, 46});
    f.board.pileClicked(1, Qt::LeftButton);
    f.board.pileClicked(2, Qt::LeftButton);
    EXPECT_EQ(f.board.wordPileList(), u"+1+2"_s);
    EXPECT_EQ(f.board.wordText(), u"A"_s);
}

TEST(BoardWord, NothingIsSentBeforeLogin)
{
    BoardFixture f;
    ASSERT_TRUE(f.connect(0));
    f.startRound(kCards);
    // Own number 0 plays locally, but nothing leaves the client.
    f.board.pileClicked(3, Qt::LeftButton);
    EXPECT_EQ(f.board.wordText(), u"T"_s);
    f.board.button_doneClick();
    EXPECT_TRUE(f.board.wordText().isEmpty());
    f.board.discardClicked(2);
    EXPECT_TRUE(f.sent().isEmpty());
}

TEST(BoardDiscard, WithoutTheWarningTheDiscardGoesAtOnce)
{
    BoardFixture f;
    ASSERT_TRUE(f.connect(2));
    f.startRound(kCards);
    EXPECT_FALSE(f.board.warning());
    f.board.discardClicked(6);
    EXPECT_EQ(f.sent(), QList<QByteArray>{"CMD_discard+2+6+"});
    EXPECT_FALSE(f.board.discardPanelShown());
    // A pile in the word has no discard label to click.
    f.board.pileClicked(7, Qt::LeftButton);
    f.board.discardClicked(7);
    EXPECT_TRUE(f.sent().isEmpty());
}

TEST(BoardDiscard, WithTheWarningNoSendsNothingAndYesSendsOnce)
{
    BoardFixture f;
    ASSERT_TRUE(f.connect(3, "Cat"));
    f.startRound(kCards);
    QSignalSpy toggled(&f.board, &Board::warningChanged);
    f.board.setWarning(true);
    EXPECT_EQ(toggled.count(), 1);

    f.board.discardClicked(1);
    EXPECT_TRUE(f.board.discardPanelShown());
    EXPECT_EQ(f.board.discardPanelPos(), QPoint(88, 262));
    EXPECT_EQ(f.board.pendingDiscard(), 1);
    f.board.button_noClick();
    EXPECT_FALSE(f.board.discardPanelShown());
    EXPECT_EQ(f.board.pendingDiscard(), 0);
    EXPECT_TRUE(f.sent().isEmpty());

    f.board.discardClicked(8);
    EXPECT_EQ(f.board.discardPanelPos(), QPoint(331, 395));
    f.board.button_yesClick();
    f.board.button_yesClick(); // the question is gone: nothing more
    EXPECT_EQ(f.sent(), QList<QByteArray>{"CMD_discard+3+8+"});
    EXPECT_EQ(f.board.pendingDiscard(), 0);

    // A click on a pile hides the question and keeps the pending pile.
    f.board.discardClicked(2);
    f.board.pileClicked(4, Qt::LeftButton);
    EXPECT_FALSE(f.board.discardPanelShown());
    EXPECT_EQ(f.board.pendingDiscard(), 2);
    EXPECT_TRUE(f.sent().isEmpty());
}

TEST(BoardClock, TimerScaleBarAndClockText)
{
    BoardFixture f;
    ASSERT_TRUE(f.connect(2));
    f.startRound(kCards, 120);
    EXPECT_EQ(f.board.timerScale(), 3);
    f.board.turntimeTimer();
    EXPECT_EQ(f.board.timeLeft(), 119);
    EXPECT_EQ(f.board.timerBarWidth(), 357);
    EXPECT_EQ(f.board.timerText(), u"Time: 1:59"_s);
    EXPECT_EQ(f.board.timerColour(), Board::kClockColour);

    f.startRound(kCards, 91);
    f.board.turntimeTimer();
    EXPECT_EQ(f.board.timerText(), u"Time: 1:30"_s);
    f.startRound(kCards, 66);
    f.board.turntimeTimer();
    EXPECT_EQ(f.board.timerText(), u"Time: 1:05"_s);
    f.startRound(kCards, 45);
    EXPECT_EQ(f.board.timerScale(), 8);
    for (int i = 0; i < 36; ++i)
        f.board.turntimeTimer();
    EXPECT_EQ(f.board.timerText(), u"Time: 0:09"_s);
    EXPECT_EQ(f.board.timerBarWidth(), 72);
}

TEST(BoardClock, RedFromNineteenAndTheTimerCue)
{
    BoardFixture f;
    ASSERT_TRUE(f.connect(2));
    f.startRound(kCards, 45);
    f.sound.cues.clear();
    QList<int> cueAt;
    QList<quint32> colours(46);
    for (int i = 0; i < 50; ++i) {
        const qsizetype before = f.sound.cues.size();
        f.board.turntimeTimer();
        const int left = f.board.timeLeft();
        colours[left] = f.board.timerColour();
        for (qsizetype c = before; c < f.sound.cues.size(); ++c) {
            EXPECT_EQ(f.sound.cues[c], u"timer"_s);
            cueAt.append(left);
        }
    }
    EXPECT_EQ(cueAt, (QList<int>{20, 15, 10, 9, 8, 7, 6, 5, 4, 3, 2, 1}));
    EXPECT_EQ(colours[20], Board::kClockColour);
    EXPECT_EQ(colours[19], Board::kClockRed);
    EXPECT_EQ(colours[1], Board::kClockRed);
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
    for (int i = 0; i < 44; ++i)
        f.board.turntimeTimer();
    f.board.pileClicked(3, Qt::LeftButton);
    f.board.pileClicked(1, Qt::LeftButton);
    ASSERT_EQ(f.board.wordText(), u"TE"_s);

    f.board.turntimeTimer();
    EXPECT_EQ(f.board.timeLeft(), 0);
    EXPECT_FALSE(f.board.live());
    EXPECT_TRUE(f.board.wordPiles().isEmpty());
    EXPECT_FALSE(f.board.wordButtonsShown());
    EXPECT_EQ(f.board.wordGate(), 0);
    // The word and the emptied piles stay until the round's end.
    EXPECT_EQ(f.board.wordText(), u"TE"_s);
    EXPECT_EQ(f.board.picture(3), Board::kEmptied);

    f.board.pressenter();
    f.board.pileClicked(2, Qt::RightButton);
    f.board.pileClicked(2, Qt::LeftButton);
    f.board.buttoN_clearClick();
    EXPECT_TRUE(f.sent().isEmpty());
    EXPECT_EQ(f.board.picture(3), Board::kEmptied);
    EXPECT_FALSE(f.board.inWord(2));
    f.board.turntimeTimer();
    EXPECT_EQ(f.board.timeLeft(), 0);
    // A discard still goes out; the host refuses it.
    f.board.discardClicked(2);
    EXPECT_EQ(f.sent(), QList<QByteArray>{"CMD_discard+2+2+"});
}

TEST(BoardStart, StartControlsAndTheNotConnectedNotice)
{
    BoardFixture f;
    ASSERT_TRUE(f.connect(0));
    QSignalSpy options(&f.board, &Board::showGameOptions);
    QSignalSpy notice(&f.board, &Board::notConnected);
    EXPECT_FALSE(f.board.startButtonsShown());
    f.board.setStartControlsVisible(true);
    EXPECT_TRUE(f.board.startButtonsShown());
    EXPECT_TRUE(f.board.startGameEnabled());

    f.board.startPressed();
    ASSERT_EQ(notice.count(), 1);
    EXPECT_EQ(notice.at(0).at(0).toString(), u"You are not connected"_s);
    EXPECT_EQ(options.count(), 0);

    f.hostSays(msg::sendlogininfo(1));
    f.board.startPressed();
    EXPECT_EQ(options.count(), 1);
    EXPECT_EQ(notice.count(), 1);

    f.board.setStartControlsVisible(false);
    EXPECT_FALSE(f.board.startButtonsShown());
    EXPECT_FALSE(f.board.startGameEnabled());
}
