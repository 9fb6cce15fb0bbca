// A whole game over loopback: a TServer with a small word list, two seated
// players (Ann hosts and starts the game through the options dialog, Bob
// plays through his board's widgets), four bare connections filling the
// other seats, and a spy who joins the running game. Words are accepted and
// rejected, a card is discarded, the round ends on the host's clock, and
// the game ends with Ann's win, shown on every client.
#include "boardfakes.h"
#include "client/boardview.h"
#include "host/tserver.h"
#include "support/rawclient.h"
#include "windows/tgamestart.h"

#include <QAction>
#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <memory>
#include <vector>

using namespace gorse;
using namespace gorse::test;
using namespace Qt::StringLiterals;

namespace {

// A client of the real host; the fixture's own listener stays unused.
struct Player : BoardFixture
{
    Player(quint16 port, const QString& name, bool hosting = false)
    {
        session.setHosting(hosting);
        board.setStartControlsVisible(hosting);
        session.connectTo(u"127.0.0.1"_s, port, name);
    }
    int total(int seat) const { return session.seat(seat).total; }
    // Two piles that still have cards and are not in the word.
    QList<int> twoPiles() const
    {
        QList<int> piles;
        for (int p = 1; p <= kPileCount && piles.size() < 2; ++p) {
            if (board.card(p) != 0 && !board.inWord(p))
                piles.append(p);
        }
        return piles;
    }
};

} // namespace

class BoardEndToEnd : public QObject
{
    Q_OBJECT
private slots:
    void wholeGame();
};

void BoardEndToEnd::wholeGame()
{
    TServer server(std::make_unique<TDictn>(twoCardWords()), 20261208);
    server.setRealTimeClock(false);
    server.startListening(0);
    const quint16 port = server.listeningPort();

    Player ann(port, u"Ann"_s, true);
    QVERIFY(waitUntil([&] { return ann.session.seat(1).name == u"Ann"_s; }));
    Player bob(port, u"Bob"_s);
    QVERIFY(waitUntil([&] { return bob.session.seat(2).name == u"Bob"_s; }));
    std::vector<std::unique_ptr<RawClient>> fillers;
    for (int n = 3; n <= 6; ++n) {
        fillers.push_back(std::make_unique<RawClient>());
        QVERIFY(fillers.back()->connectTo(port));
        QVERIFY(!fillers.back()->waitForPrefix("CMD_sendlogininfo+").isEmpty());
        fillers.back()->send(msg::logininfo(n, kVersionText, "Filler" + QByteArray::number(n)));
    }
    QVERIFY(waitUntil([&] { return bob.session.seat(6).name == u"Filler6"_s; }));

    // Bob's board on screen, offscreen.
    QWidget bobPanel;
    auto* bobView = new BoardView(&bob.board, &bob.session, &bobPanel);
    bobPanel.resize(704, 482);
    bobPanel.show();
    const auto bobWidget = [&](const QString& name) { return bobPanel.findChild<QWidget*>(name); };
    QVERIFY(!bobWidget(u"button_start"_s)->isVisible());

    // Ann starts a game to 300 points with 45-second rounds.
    Tgamestart options(&ann.session, &ann.options);
    connect(&ann.board, &Board::showGameOptions, &options, &Tgamestart::showDialog);
    ann.board.startPressed();
    QVERIFY(options.isVisible());
    ann.options.setPlayToScore(300);
    ann.options.setTimePerTurn(45);
    QTest::mouseClick(options.button_start, Qt::LeftButton);
    for (Player* p : {&ann, &bob}) {
        QVERIFY(
            waitUntil([&] { return p->board.roundText() == u"Round: 1"_s && p->board.live(); }));
        QCOMPARE(p->board.playToScoreText(), u"Play to score: 300"_s);
    }
    // Every seat is dealt the same cards.
    for (int pile = 1; pile <= 8; ++pile)
        QCOMPARE(bob.board.card(pile), ann.board.card(pile));

    // A spy joins the running game.
    Player eve(port, u"Eve"_s);
    QVERIFY(waitUntil([&] { return eve.board.playToScoreText() == u"Play to Score: 300"_s; }));
    QCOMPARE(eve.session.ownNumber(), 7);
    QCOMPARE(eve.board.timeLeft(), 45);
    QCOMPARE(eve.board.playingSeat(), 0);

    // Bob makes a word by clicking two piles and Done.
    const QList<int> bobPiles = bob.twoPiles();
    QCOMPARE(bobPiles.size(), 2);
    const int cards[2] = {bob.board.card(bobPiles[0]), bob.board.card(bobPiles[1])};
    const QString bobWord =
        QString::fromLatin1(converttoletter(cards[0]) + converttoletter(cards[1]));
    const bool bobQu = cards[0] == kQuCard || cards[1] == kQuCard;
    const int bobPoints = wordScore(int(bobWord.size())) + (bobQu ? 50 : 0);
    for (int p : bobPiles)
        QTest::mouseClick(bobWidget(u"image_card%1"_s.arg(p)), Qt::LeftButton);
    QCOMPARE(bobPanel.findChild<QLabel*>(u"label_word"_s)->text(),
             Board::cardFace(cards[0]) + Board::cardFace(cards[1]));
    QTest::mouseClick(bobWidget(u"button_done"_s), Qt::LeftButton);
    const QString made = u"You made: %1 for %2 points."_s.arg(bobWord).arg(bobPoints);
    QVERIFY(waitUntil([&] {
        return bob.board.theWordText() == (bobQu ? u"BONUS! "_s + made + u" BONUS!"_s : made);
    }));
    QCOMPARE(bob.board.wordGate(), 1);
    for (Player* p : {&ann, &eve}) {
        QVERIFY(waitUntil([&] { return p->session.seat(2).bonus == u"+%1"_s.arg(bobPoints); }));
        QCOMPARE(p->total(2), bobPoints);
    }

    // A single letter is not a word: the card comes back.
    int letterPile = 0;
    for (int p = 1; p <= 8 && letterPile == 0; ++p) {
        const int card = bob.board.card(p);
        if (card >= 1 && card <= 26 && card != kQuCard)
            letterPile = p;
    }
    QVERIFY(letterPile != 0);
    const int letterCard = bob.board.card(letterPile);
    bob.board.pileClicked(letterPile, Qt::LeftButton);
    bob.board.submitWord();
    const QString notAWord =
        QString::fromLatin1(converttoletter(letterCard)) + u" in not a valid word."_s;
    QVERIFY(waitUntil([&] { return bob.board.theWordText() == notAWord; }));
    QCOMPARE(bob.board.picture(letterPile), letterCard);

    // Bob discards, asked first.
    bobView->warningAction()->trigger();
    QTest::mouseClick(bobWidget(u"image_discard8"_s), Qt::LeftButton);
    QVERIFY(bobWidget(u"panel_discard"_s)->isVisible());
    QTest::mouseClick(bobWidget(u"button_yes"_s), Qt::LeftButton);
    QVERIFY(waitUntil(
        [&] { return bob.board.theWordText() == u"You discarded a card and lost 5 points."_s; }));
    QCOMPARE(bob.total(2), bobPoints - 5);

    // Ann plays two-card words until she has reached the target.
    int annWords = 0;
    while (ann.total(1) < 300) {
        const int before = ann.total(1);
        const QList<int> piles = ann.twoPiles();
        QCOMPARE(piles.size(), 2);
        for (int p : piles)
            ann.board.pileClicked(p, Qt::LeftButton);
        ann.board.pileClicked(piles[0], Qt::RightButton);
        QVERIFY(waitUntil([&] { return ann.board.wordGate() == 1 && ann.total(1) > before; }));
        QVERIFY(++annWords <= 128);
    }
    const int annTotal = ann.total(1);
    QVERIFY(waitUntil([&] { return bob.total(1) == annTotal && eve.total(1) == annTotal; }));

    // The host's clock ends the round: everybody sees the played words.
    for (int tick = 0; tick < 49 && server.table().roundOpen(); ++tick)
        server.timer1Timer();
    QVERIFY(!server.table().roundOpen());
    const QStringList bobList{u"This Turn: %1"_s.arg(bobPoints - 5), u" -5 for discards"_s,
                              u"%1: %2"_s.arg(bobPoints).arg(bobWord)};
    for (Player* p : {&ann, &bob, &eve}) {
        QVERIFY(waitUntil([&] { return p->board.playedWordsShown(); }));
        QCOMPARE(p->board.playedWords(2), bobList);
        QCOMPARE(p->session.seat(1).heading, u" [%1] Ann"_s.arg(annWords));
        QCOMPARE(p->board.playedWords(1).size(), annWords + 2);
    }
    QCOMPARE(bob.board.theWordText(), u"You Scored %1 points this round."_s.arg(bobPoints - 5));
    QVERIFY(bobWidget(u"panel_pwords"_s)->isVisible());

    // Fifteen seconds later the next round would start: Ann has won.
    for (int tick = 0; tick < 15; ++tick)
        server.timer1Timer();
    const std::pair<Player*, QString> winners[] = {{&ann, u"You have Won the Game!"_s},
                                                   {&bob, u"Ann has Won the Game!"_s},
                                                   {&eve, u"Ann has Won the Game!"_s}};
    for (const auto& [player, text] : winners) {
        Player* p = player;
        QVERIFY(waitUntil([p] { return p->board.winnerShown(); }));
        QCOMPARE(p->board.winnerText(), text);
        QVERIFY(chatLines(p->chat).contains(text));
    }
    QCOMPARE(bobPanel.findChild<QLabel*>(u"label_winner1"_s)->text(), u"Ann has Won the Game!"_s);
    QVERIFY(bobWidget(u"panel_winner"_s)->isVisible());
    QVERIFY(!bobWidget(u"button_start2"_s)->isVisible());
    QVERIFY(ann.board.startButtonsShown());
    QCOMPARE(ann.tally.games, QStringList{u"addtomine"_s});
    QCOMPARE(bob.tally.games, QStringList{u"Ann"_s});
    QVERIFY(eve.tally.games.isEmpty());
    QCOMPARE(ann.board.roundText(), u"Round: 1"_s);
}

QTEST_MAIN(BoardEndToEnd)
#include "board_e2e_test.moc"
