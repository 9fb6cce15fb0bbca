// A game on a dedicated host as a new player meets it: gorse-host with
// computer players, whose first person has come and gone; the window that
// joins next holds connection 1, the computer players sit down again, and
// it starts a game from the menu like a hosting copy and plays it to the
// end with them.
#include "bots/bot.h"
#include "bots/wordfinder.h"
#include "net/messages.h"
#include "support/gamewindow.h"
#include "support/hostprocess.h"
#include "support/rawclient.h"
#include "windows/tgamestart.h"

#include <QAction>
#include <QPushButton>
#include <QSpinBox>
#include <QtTest>

using namespace gorse;
using gorse::test::waitUntil;

class DedicatedHostTest : public QObject
{
    Q_OBJECT
private slots:
    void theNextPersonOnConnectionOneStartsAndPlaysAGame();
};

void DedicatedHostTest::theNextPersonOnConnectionOneStartsAndPlaysAGame()
{
    // A fixed deal: Ann's cards, and so the words she can play, are the same
    // on every run (a random deal can leave no word on the piles).
    test::HostProcess host({QStringLiteral("--port"), QStringLiteral("0"), QStringLiteral("--bots"),
                            QStringLiteral("2"), QStringLiteral("--any-game"),
                            QStringLiteral("--seed"), QStringLiteral("7")});
    const quint16 port = host.port();
    QVERIFY2(port != 0, host.log.constData());
    {
        // The first person: the computer players sit down after him, and
        // leave with him.
        test::RawClient cy;
        QVERIFY(cy.connectTo(port));
        QCOMPARE(cy.waitForPrefix("CMD_sendlogininfo+"), QByteArray("CMD_sendlogininfo+1"));
        cy.send(msg::logininfo(1, kVersionText, "Cy"));
        QVERIFY(!cy.waitForPrefix(msg::newplayerinfo(3, "Klock"), 20000).isEmpty());
        cy.close();
        QVERIFY(host.says("event=leave conn=3 name=Klock"));
    }

    test::GameWindow win(test::joining(QStringLiteral("Ann"), QStringLiteral("127.0.0.1"), port));
    Tchat& w = win.w;
    GameOptions& options = win.options;
    Tgamestart gamestart(win.session(), &options, &w);
    w.setGameStartWindow(&gamestart);
    // The dialog keeps to its ranges; the host (--any-game) also takes a
    // game a test can wait for: one point to win, twelve-second rounds.
    QList<std::pair<int, int>> asked;
    gamestart.setStarter([&](int target, int seconds) {
        asked.append({target, seconds});
        win.session()->startGame(1, 12);
    });
    w.joinpress();
    Board* board = win.board();
    QVERIFY(!w.StartGame1()->isEnabled());

    // Number 1 is free again: Ann takes it, is told she may start, and has
    // company again.
    QVERIFY(waitUntil([&] { return win.session()->loggedIn(); }));
    QCOMPARE(win.session()->ownNumber(), 1);
    const QString mayStart = QStringLiteral("You may start the game: File > Start Game.");
    QVERIFY(waitUntil([&] { return win.chatText().contains(mayStart); }));
    QVERIFY(!win.chatText().contains(QStringLiteral("Waiting for")));
    QVERIFY(waitUntil([&] { return win.session()->seat(3).name == QStringLiteral("Klock"); }));
    QVERIFY(!board->gameRunning());
    QVERIFY(host.says("event=login conn=1 name=Ann "));
    QVERIFY(!host.log.contains("game started"));
    QVERIFY(w.StartGame1()->isEnabled());
    QVERIFY(board->startButtonsShown());

    // File > Start Game opens the options dialog, without the hosting
    // copy's own rows; Start asks for the game.
    w.StartGame1()->trigger();
    QVERIFY(gamestart.isVisible());
    QVERIFY(!gamestart.spin_computers->isVisibleTo(&gamestart));
    options.setPlayToScore(300);
    options.setTimePerTurn(45);
    QTest::mouseClick(gamestart.button_start, Qt::LeftButton);
    QCOMPARE(asked, (QList<std::pair<int, int>>{{300, 45}}));
    QVERIFY(!gamestart.isVisible());
    QVERIFY(waitUntil([&] { return board->gameRunning(); }));
    QVERIFY(win.chatText().contains(QStringLiteral("Ann has started a game.")));

    // Ann plays the best words of her cards at once, three of them, and so
    // is well ahead of the computer players; a winner ends the game.
    QVERIFY(waitUntil([&] { return board->live() && board->card(1) != 0; }));
    const auto finder = WordFinder::builtIn();
    for (int word = 0; word < 3; ++word) {
        PileCards cards{};
        for (int pile = 1; pile <= kPileCount; ++pile)
            cards[pile - 1] = board->card(pile);
        const auto words = finder->search(cards);
        QVERIFY(!words.empty());
        const int before = win.session()->seat(1).total;
        for (int pile : words.front().piles)
            board->addPile(pile);
        board->submitWord();
        QVERIFY(waitUntil([&] { return win.session()->seat(1).total > before; }));
    }
    QVERIFY2(waitUntil([&] { return board->winnerShown(); }, 120000), host.log.constData());
    QCOMPARE(board->winnerText(), QStringLiteral("You have Won the Game!"));
    // Both computer players were at the table to the end.
    QVERIFY(
        waitUntil([&] { return win.chatText().count(QLatin1StringView(Bot::kFarewell)) == 2; }));
    // Ann may start the next game.
    QVERIFY(board->startButtonsShown());
    QVERIFY(w.StartGame1()->isEnabled());
}

QTEST_MAIN(DedicatedHostTest)
#include "dedicatedhost_test.moc"
