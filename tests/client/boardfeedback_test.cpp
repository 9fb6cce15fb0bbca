// What the board says beyond the game's own texts: waiting for the host, a
// spy watching, a newcomer taking over a seat, the time running out, the
// pause between rounds, and the question before Start wipes a running game.
#include "boardfakes.h"

#include <QSignalSpy>
#include <gtest/gtest.h>

using namespace gorse;
using namespace gorse::test;
using namespace Qt::StringLiterals;

namespace {

constexpr std::array<int, 8> kCards{5, 1, 20, 2, 17, 3, 4, 46};

// Logs in as the host does, in one burst: the login, the own arrival, then
// the messages that follow it (the players already there, a running game).
bool loginBurst(BoardFixture& f, int own, const QByteArray& name,
                std::initializer_list<QByteArray> then)
{
    if (!f.connect(0))
        return false;
    f.hostSays(msg::sendlogininfo(own));
    f.hostSays(msg::newplayerinfo(own, name));
    for (const QByteArray& message : then)
        f.hostSays(message);
    settle();
    return true;
}

} // namespace

TEST(BoardFeedback, AJoinedPlayerWaitsForTheHost)
{
    BoardFixture f;
    ASSERT_TRUE(loginBurst(f, 2, "Bob", {msg::existingplayers(1, "Ann")}));
    EXPECT_EQ(chatLines(f.chat).last(), u"Waiting for Ann to start a game."_s);
    // Said once only.
    f.hostSays(msg::newplayerinfo(3, "Cat"));
    settle();
    EXPECT_EQ(chatLines(f.chat).count(u"Waiting for Ann to start a game."_s), 1);
    // The specified status stays.
    EXPECT_EQ(f.board.statusText(), u"Welcome to Gorse by Velmar Software"_s);

    // Nobody in seat 1 (a dedicated host).
    BoardFixture alone;
    ASSERT_TRUE(alone.connect(2, "Bob"));
    settle();
    EXPECT_EQ(chatLines(alone.chat).last(), u"Waiting for the host to start a game."_s);

    // The hosting player starts games: no such line.
    BoardFixture host;
    host.session.setHosting(true);
    ASSERT_TRUE(host.connect(1, "Ann"));
    settle();
    EXPECT_FALSE(host.chat.plainText().contains(u"Waiting for"_s));

    // Joining a running game: no waiting line either.
    BoardFixture late;
    ASSERT_TRUE(loginBurst(
        late, 3, "Cat",
        {msg::existingplayers(1, "Ann"), msg::gamestats(3, 500, 90, 60, {10, 20, 0, 0, 0, 0})}));
    EXPECT_FALSE(late.chat.plainText().contains(u"Waiting for"_s));
}

TEST(BoardFeedback, AJoinedPlayerOnConnectionOneMayStartGames)
{
    // On a dedicated host nobody hosts: number 1 starts, as the hosting
    // copy does (the menu item, and the buttons while no game runs).
    const QString mayStart = u"You may start the game: File > Start Game."_s;
    BoardFixture first;
    ASSERT_TRUE(loginBurst(first, 1, "Ann", {msg::existingplayers(2, "Klot")}));
    EXPECT_EQ(chatLines(first.chat).last(), mayStart);
    EXPECT_TRUE(first.board.startGameEnabled() && first.board.startButtonsShown());
    first.startRound(kCards);
    EXPECT_TRUE(first.board.startGameEnabled());
    EXPECT_FALSE(first.board.startButtonsShown());
    first.hostSays(msg::winner("Klot"));
    EXPECT_TRUE(first.board.startButtonsShown());

    // Taking number 1 during a game: the menu item now, the buttons at its
    // end, and no line.
    BoardFixture late;
    ASSERT_TRUE(loginBurst(
        late, 1, "Ann",
        {msg::existingplayers(2, "Klot"), msg::gamestats(1, 500, 90, 60, {0, 20, 0, 0, 0, 0})}));
    EXPECT_TRUE(late.board.startGameEnabled());
    EXPECT_FALSE(late.board.startButtonsShown());
    EXPECT_FALSE(late.chat.plainText().contains(mayStart));

    // Any other number waits, whoever holds number 1.
    BoardFixture second;
    ASSERT_TRUE(loginBurst(second, 2, "Bob", {}));
    EXPECT_FALSE(second.board.startGameEnabled() || second.board.startButtonsShown());
    EXPECT_FALSE(second.chat.plainText().contains(mayStart));
    second.hostSays(msg::winner("Bob"));
    EXPECT_FALSE(second.board.startButtonsShown());
}

TEST(BoardFeedback, ASpySeesThatItWatches)
{
    BoardFixture spy;
    ASSERT_TRUE(spy.connect(7, "Eve"));
    settle();
    EXPECT_TRUE(spy.board.watching());
    EXPECT_EQ(spy.board.statusText(), Board::watchingStatus());
    EXPECT_TRUE(chatLines(spy.chat).last().startsWith(u"You are a spy"_s));
    spy.startRound(kCards);
    EXPECT_EQ(spy.board.statusText(), Board::watchingStatus());
    for (int pile = 1; pile <= 8; ++pile)
        EXPECT_FALSE(spy.board.canTake(pile)) << pile;

    BoardFixture player;
    ASSERT_TRUE(player.connect(2));
    player.startRound(kCards);
    EXPECT_FALSE(player.board.watching());
    EXPECT_TRUE(player.board.canTake(1));
    player.click({1});
    EXPECT_FALSE(player.board.canTake(1)); // in the word
    EXPECT_TRUE(player.board.canTake(2));
}

TEST(BoardFeedback, ANewcomerTakesOverASeatWithItsScore)
{
    // The others see the newcomer arrive during the game.
    BoardFixture f;
    ASSERT_TRUE(f.connect(2, "Bob"));
    f.hostSays(msg::existingplayers(4, "Dan"));
    f.startRound(kCards);
    f.hostSays(msg::pscore(4, 120, 40, 25));
    f.hostSays(msg::playerdisconnected(4, "Dan"));
    f.hostSays(msg::newplayerinfo(4, "Fay"));
    EXPECT_EQ(chatLines(f.chat).last(), u"Fay takes over seat 4 with 120 points."_s);
    // Before any game a new player just sits down.
    BoardFixture before;
    ASSERT_TRUE(before.connect(2, "Bob"));
    before.hostSays(msg::newplayerinfo(5, "Gus"));
    EXPECT_FALSE(before.chat.plainText().contains(u"takes over"_s));

    // The newcomer is told too, and sees that a round runs.
    BoardFixture late;
    ASSERT_TRUE(late.connect(4, "Fay"));
    late.hostSays(msg::gamestats(4, 500, 90, 30, {0, 60, 0, 120, 0, 0}));
    EXPECT_EQ(chatLines(late.chat).last(), u"Fay takes over seat 4 with 120 points."_s);
    EXPECT_TRUE(late.board.gameRunning());
    EXPECT_EQ(late.board.roundText(), u"Round: in progress"_s);
    // After a game has ended the host still sends its state: nothing runs.
    BoardFixture after;
    ASSERT_TRUE(after.connect(4, "Fay"));
    after.hostSays(msg::gamestats(4, 500, 90, 0, {0, 600, 0, 120, 0, 0}));
    EXPECT_FALSE(after.board.gameRunning());
    EXPECT_FALSE(after.chat.plainText().contains(u"takes over"_s));
    EXPECT_EQ(after.board.roundText(), u"Round: 0"_s);
}

TEST(BoardFeedback, TimeIsUpOnceWhileThePilesAreShown)
{
    BoardFixture f;
    ASSERT_TRUE(f.connect(2));
    QSignalSpy announced(&f.board, &Board::announce);
    f.startRound(kCards, 45);
    f.tick(44);
    EXPECT_EQ(f.board.statusText(), u"Your Turn."_s);
    f.tick();
    EXPECT_EQ(f.board.statusText(), u"Time's up!"_s);
    f.tick(3);
    QStringList said;
    for (const QList<QVariant>& args : announced)
        said.append(args.first().toString());
    EXPECT_EQ(said, (QStringList{u"20 seconds left."_s, u"10 seconds left."_s, u"5 seconds left."_s,
                                 u"Time's up!"_s}));
    // The round's end keeps its own text.
    f.hostSays(msg::endround(0, {}));
    EXPECT_EQ(f.board.statusText(), u"The Round is Over. One Moment Please.."_s);
    f.tick(20);
    EXPECT_EQ(f.board.statusText(), u"The Round is Over. One Moment Please.."_s);
}

TEST(BoardFeedback, ThePauseBetweenRoundsCountsDown)
{
    BoardFixture f;
    ASSERT_TRUE(f.connect(2));
    f.startRound(kCards, 45);
    EXPECT_EQ(f.board.pauseLeft(), 0);
    EXPECT_EQ(f.board.pauseText(), QString());
    f.tick(45);
    f.hostSays(msg::endround(10, {{2, 10, 10, 0, "/10-CAT"}}));
    EXPECT_EQ(f.board.pauseLeft(), kRoundPauseSeconds);
    EXPECT_EQ(f.board.pauseText(), u"Next round in 15 seconds."_s);
    f.tick(14);
    EXPECT_EQ(f.board.pauseText(), u"Next round in 1 second."_s);
    f.tick();
    EXPECT_EQ(f.board.pauseText(), QString());

    // Once somebody has reached the target the pause may end the game.
    f.hostSays(msg::endround(10, {{2, 510, 10, 0, "/10-CAT"}}));
    EXPECT_EQ(f.board.pauseText(), u"Next round or the winner in 15 seconds."_s);
    // The next round, or the winner, ends the count at once.
    f.hostSays(msg::startround(2));
    EXPECT_EQ(f.board.pauseLeft(), 0);
    f.hostSays(msg::endround(10, {}));
    f.hostSays("CMD_winner+Bob+");
    EXPECT_EQ(f.board.pauseLeft(), 0);
}

TEST(BoardFeedback, StartDuringAGameAsksFirst)
{
    BoardFixture f;
    f.session.setHosting(true);
    ASSERT_TRUE(f.connect(1, "Ann"));
    QSignalSpy dialog(&f.board, &Board::showGameOptions);
    QStringList asked;
    bool answer = false;
    f.board.setQuestion([&](const QString& text) {
        asked.append(text);
        return answer;
    });
    // No game yet: no question.
    f.board.startPressed();
    EXPECT_EQ(dialog.count(), 1);
    EXPECT_TRUE(asked.isEmpty());

    f.startRound(kCards);
    EXPECT_TRUE(f.board.gameRunning());
    f.board.startPressed();
    EXPECT_EQ(asked, QStringList{u"A game is running. Start a new one for everybody?"_s});
    EXPECT_EQ(dialog.count(), 1);
    answer = true;
    f.board.startPressed();
    EXPECT_EQ(dialog.count(), 2);

    // Turned off in the options: no question.
    f.options.setConfirmNewGame(false);
    answer = false;
    f.board.startPressed();
    EXPECT_EQ(dialog.count(), 3);
    EXPECT_EQ(asked.size(), 2);

    // After the winner the game no longer runs.
    f.options.setConfirmNewGame(true);
    f.hostSays("CMD_winner+Ann+");
    EXPECT_FALSE(f.board.gameRunning());
    f.board.startPressed();
    EXPECT_EQ(dialog.count(), 4);
    EXPECT_EQ(asked.size(), 2);
}

TEST(BoardFeedback, TheDiscardQuestionStaysOnTheBoardPanel)
{
    // Where the specified offset fits, it is kept (pile 1 at (88, 262));
    // below, the panel moves up just enough.
    const std::pair<int, QPoint> places[] = {
        {1, {88, 262}}, {2, {168, 262}}, {3, {251, 262}}, {4, {331, 262}},
        {5, {88, 359}}, {6, {168, 359}}, {7, {251, 359}}, {8, {331, 359}},
    };
    const QRect panelBoard(QPoint(0, 0), Board::kPanelBoardSize);
    for (const auto& [pile, place] : places) {
        EXPECT_EQ(Board::discardPanelPlace(pile), place) << pile;
        EXPECT_TRUE(panelBoard.contains(QRect(place, Board::kDiscardPanelSize))) << pile;
    }
    BoardFixture f;
    ASSERT_TRUE(f.connect(2));
    f.options.setWarning(true);
    f.startRound(kCards);
    f.board.discard(8);
    EXPECT_TRUE(f.board.discardPanelShown());
    EXPECT_EQ(f.board.discardPanelPos(), QPoint(331, 359));
}
