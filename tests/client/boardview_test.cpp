// The board's widgets and the game options dialog, offscreen: card
// pictures, places, clicks on piles, labels and buttons, the discard
// question, the played-words and winner panels, and the dialog's up-downs.
#include "boardfakes.h"
#include "client/boardview.h"
#include "client/boardwidgets.h"
#include "client/cardart.h"
#include "windows/tgamestart.h"

#include <QAction>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSet>
#include <QSignalSpy>
#include <QTest>
#include <QToolButton>

using namespace gorse;
using namespace gorse::test;
using namespace Qt::StringLiterals;

namespace {

constexpr std::array<int, 8> kCards{5, 1, 20, 2, 17, 3, 4, 46};

template <typename T> T* child(QWidget* root, const QString& name)
{
    return root->findChild<T*>(name);
}

// A board view on panel_board, shown offscreen.
struct ViewFixture : BoardFixture
{
    QWidget panel;
    BoardView* view;
    ViewFixture() : view(new BoardView(&board, &session, &panel))
    {
        panel.resize(704, 482);
        panel.show();
    }
    template <typename T> T* find(const QString& name) { return panel.findChild<T*>(name); }
};

} // namespace

class BoardViewTest : public QObject
{
    Q_OBJECT
private slots:
    void cardPicturesAreDistinct();
    void placesBeforeTheFirstGame();
    void clicksOnPilesWordAndButtons();
    void discardQuestionAndWarningAction();
    void clockAndBar();
    void playedWordsAndWinnerPanels();
    void startButtonAndMenuAction();
    void gameStartDialogSteppingAndBounds();
    void gameStartDialogSends();
};

void BoardViewTest::cardPicturesAreDistinct()
{
    QSet<QByteArray> seen;
    for (int card = 0; card <= 50; ++card) {
        const QImage image = CardArt::paintCard(card);
        QCOMPARE(image.size(), QSize(CardArt::kWidth, CardArt::kHeight));
        const QByteArray bits(reinterpret_cast<const char*>(image.constBits()),
                              image.sizeInBytes());
        QVERIFY2(!seen.contains(bits), qPrintable(u"card %1 looks like another"_s.arg(card)));
        seen.insert(bits);
    }
    const QImage emptied = CardArt::paintEmptiedSlot();
    QCOMPARE(emptied.size(), QSize(74, 107));
    QVERIFY(emptied != CardArt::paintCard(0));
    // Out of range gives the "no card" picture.
    QCOMPARE(CardArt::picture(51).toImage(), CardArt::picture(0).toImage());
    QCOMPARE(CardArt::picture(17).size(), QSize(74, 107));
}

void BoardViewTest::placesBeforeTheFirstGame()
{
    ViewFixture f;
    QCOMPARE(f.view->geometry(), QRect(0, 0, 440, 482));
    const QPoint places[8] = {{48, 197}, {128, 197}, {211, 197}, {291, 197},
                              {48, 330}, {128, 330}, {211, 330}, {291, 330}};
    for (int pile = 1; pile <= 8; ++pile) {
        auto* card = f.find<CardImage>(u"image_card"_s + QString::number(pile));
        QVERIFY(card);
        QCOMPARE(card->geometry(), QRect(places[pile - 1], QSize(73, 105)));
        auto* discard = f.find<QLabel>(u"image_discard"_s + QString::number(pile));
        QVERIFY(discard);
        QCOMPARE(discard->geometry(), QRect(places[pile - 1] + QPoint(1, 107), QSize(72, 17)));
        QVERIFY(!discard->isVisible());
    }
    QCOMPARE(f.find<QLabel>(u"label_word"_s)->text(), u"GORSE"_s);
    QCOMPARE(f.find<QLabel>(u"label_word"_s)->geometry(), QRect(34, 70, 341, 44));
    QCOMPARE(f.find<QLabel>(u"label_timer"_s)->text(), u"Time: 0:00"_s);
    QCOMPARE(f.find<QLabel>(u"label_playtoscore"_s)->text(), u"Play to Score: 1000"_s);
    QCOMPARE(f.find<QLabel>(u"label_timeperturn"_s)->text(), u"Time Per Turn: 90"_s);
    QCOMPARE(f.find<QLabel>(u"label_roundnum"_s)->text(), u"Round: 0"_s);
    QCOMPARE(f.find<QLabel>(u"label_status"_s)->text(), u"Welcome to Gorse by Velmar Software"_s);
    QCOMPARE(f.find<QWidget>(u"image_timer"_s)->geometry(), QRect(14, 33, 379, 18));
    for (const QString& name :
         {u"buttoN_clear"_s, u"button_clearlast"_s, u"button_done"_s, u"button_start"_s,
          u"panel_discard"_s, u"panel_pwords"_s, u"panel_winner"_s}) {
        QVERIFY2(f.find<QWidget>(name), qPrintable(name));
        QVERIFY2(!f.find<QWidget>(name)->isVisible(), qPrintable(name));
    }
    QCOMPARE(f.find<QPushButton>(u"buttoN_clear"_s)->pos(), QPoint(52, 116));
    QCOMPARE(f.find<QPushButton>(u"button_clearlast"_s)->pos(), QPoint(145, 116));
    QCOMPARE(f.find<QPushButton>(u"button_done"_s)->pos(), QPoint(269, 116));
    QCOMPARE(f.find<QPushButton>(u"button_start"_s)->pos(), QPoint(154, 199));
}

void BoardViewTest::clicksOnPilesWordAndButtons()
{
    ViewFixture f;
    QVERIFY(f.connect(2));
    f.startRound(kCards);
    auto* card3 = f.find<CardImage>(u"image_card3"_s);
    QVERIFY(!card3->picture().isNull());
    QCOMPARE(card3->picture().toImage(), CardArt::picture(20).toImage());
    QVERIFY(f.find<QLabel>(u"image_discard3"_s)->isVisible());
    QCOMPARE(f.find<QLabel>(u"label_theword"_s)->text(), u"Find a word!"_s);

    for (int pile : {3, 5, 1})
        QTest::mouseClick(f.find<QWidget>(u"image_card"_s + QString::number(pile)), Qt::LeftButton);
    QCOMPARE(f.find<QLabel>(u"label_word"_s)->text(), u"TQuE"_s);
    QCOMPARE(card3->picture().toImage(), CardArt::emptiedSlot().toImage());
    QVERIFY(!f.find<QLabel>(u"image_discard3"_s)->isVisible());
    QVERIFY(f.find<QPushButton>(u"button_done"_s)->isVisible());
    QVERIFY(f.find<QPushButton>(u"buttoN_clear"_s)->isVisible());

    // A click on the word takes the last card back; Clear-last the next.
    QTest::mouseClick(f.find<QWidget>(u"label_word"_s), Qt::LeftButton);
    QCOMPARE(f.find<QLabel>(u"label_word"_s)->text(), u"TQu"_s);
    QTest::mouseClick(f.find<QWidget>(u"button_clearlast"_s), Qt::LeftButton);
    QCOMPARE(f.board.wordPileList(), u"+3"_s);

    // A right click on a pile submits.
    QTest::mouseClick(f.find<QWidget>(u"image_card8"_s), Qt::RightButton);
    QCOMPARE(f.sent(), QList<QByteArray>{"CMD_sendword+2+3"});
    QVERIFY(!f.find<QPushButton>(u"button_done"_s)->isVisible());

    f.hostSays("CMD_rejected+2+T+3+20+t");
    QCOMPARE(f.find<QLabel>(u"label_theword"_s)->text(), u"T in not a valid word."_s);
    QTest::mouseClick(f.find<QWidget>(u"image_card2"_s), Qt::LeftButton);
    QTest::mouseClick(f.find<QWidget>(u"image_card8"_s), Qt::LeftButton);
    QTest::mouseClick(f.find<QWidget>(u"buttoN_clear"_s), Qt::LeftButton);
    QVERIFY(f.find<QLabel>(u"label_word"_s)->text().isEmpty());
    QTest::mouseClick(f.find<QWidget>(u"image_card2"_s), Qt::LeftButton);
    QTest::mouseClick(f.find<QWidget>(u"image_card8"_s), Qt::LeftButton);
    QTest::mouseClick(f.find<QWidget>(u"button_done"_s), Qt::LeftButton);
    QCOMPARE(f.sent(), QList<QByteArray>{"CMD_sendword+2+2+8"});
}

void BoardViewTest::discardQuestionAndWarningAction()
{
    ViewFixture f;
    QVERIFY(f.connect(2));
    f.startRound(kCards);
    QAction* warning = f.view->warningAction();
    QCOMPARE(warning->objectName(), u"warning"_s);
    QVERIFY(warning->isCheckable());
    QVERIFY(!warning->isChecked());
    warning->trigger();
    QVERIFY(f.board.warning());
    f.board.setWarning(false);
    QVERIFY(!warning->isChecked());
    warning->trigger();

    QTest::mouseClick(f.find<QWidget>(u"image_discard1"_s), Qt::LeftButton);
    auto* panel = f.find<QWidget>(u"panel_discard"_s);
    QVERIFY(panel->isVisible());
    QCOMPARE(panel->parentWidget(), &f.panel);
    QCOMPARE(panel->geometry(), QRect(88, 262, 287, 123));
    QTest::mouseClick(f.find<QWidget>(u"button_no"_s), Qt::LeftButton);
    QVERIFY(!panel->isVisible());

    QTest::mouseClick(f.find<QWidget>(u"image_discard4"_s), Qt::LeftButton);
    QCOMPARE(panel->pos(), QPoint(331, 262));
    QTest::mouseClick(f.find<QWidget>(u"button_yes"_s), Qt::LeftButton);
    QVERIFY(!panel->isVisible());
    QCOMPARE(f.sent(), QList<QByteArray>{"CMD_discard+2+4+"});
}

void BoardViewTest::clockAndBar()
{
    ViewFixture f;
    QVERIFY(f.connect(2));
    f.startRound(kCards, 45);
    auto* clock = f.find<QLabel>(u"label_timer"_s);
    QCOMPARE(clock->palette().color(QPalette::WindowText), QColor(Qt::white));
    f.board.turntimeTimer();
    QCOMPARE(clock->text(), u"Time: 0:44"_s);
    QCOMPARE(clock->palette().color(QPalette::WindowText), QColor(0x17, 0x4F, 0x7B));
    QCOMPARE(f.find<TimerBar>(u"image_timer"_s)->barWidth(), 44 * 8);
    for (int i = 0; i < 25; ++i)
        f.board.turntimeTimer();
    QCOMPARE(clock->text(), u"Time: 0:19"_s);
    QCOMPARE(clock->palette().color(QPalette::WindowText), QColor(Qt::red));
}

void BoardViewTest::playedWordsAndWinnerPanels()
{
    ViewFixture f;
    QVERIFY(f.connect(1, "Ann"));
    f.session.setHosting(true);
    f.startRound(kCards);
    f.hostSays(msg::endround(25, {{1, 25, 25, 2, "/15-SING/10-ANT"}, {2, 0, 0, 0, ""}}));
    auto* pwords = f.find<QWidget>(u"panel_pwords"_s);
    QVERIFY(pwords->isVisible());
    QCOMPARE(pwords->size(), QSize(406, 432));
    QCOMPARE(f.find<QPlainTextEdit>(u"memo_pwords1"_s)->toPlainText(),
             u"This Turn: 25\n -10 for discards\n15: SING\n10: ANT"_s);
    QCOMPARE(f.find<QLabel>(u"label_pwords1"_s)->text(), u" [2] Ann"_s);
    QCOMPARE(f.find<QPlainTextEdit>(u"memo_pwords2"_s)->toPlainText(), u"This Turn: 0"_s);
    QCOMPARE(f.find<QLabel>(u"label_pwords2"_s)->text(), u"[0] <WAITING>"_s);
    QTest::mouseClick(f.find<QWidget>(u"FlatSpeedButton1"_s), Qt::LeftButton);
    QVERIFY(!pwords->isVisible());

    f.hostSays("CMD_winner+Ann+");
    auto* panel = f.find<QWidget>(u"panel_winner"_s);
    QVERIFY(panel->isVisible());
    auto* text = f.find<QLabel>(u"label_winner1"_s);
    auto* shadow = f.find<QLabel>(u"label_winner2"_s);
    QCOMPARE(text->text(), u"You have Won the Game!"_s);
    QCOMPARE(shadow->text(), u"You have Won the Game!"_s);
    QCOMPARE(shadow->pos(), text->pos() + QPoint(1, -1));
    QVERIFY(f.find<QPushButton>(u"button_start2"_s)->isVisible());
    QCOMPARE(f.find<QLabel>(u"label_status"_s)->text(), u"Game Over!"_s);

    QSignalSpy options(&f.board, &Board::showGameOptions);
    QTest::mouseClick(f.find<QWidget>(u"button_start2"_s), Qt::LeftButton);
    QCOMPARE(options.count(), 1);
    f.hostSays("CMD_startgame+Ann+500+90+");
    QVERIFY(!panel->isVisible());
    QVERIFY(!f.find<QPushButton>(u"button_start"_s)->isVisible());
}

void BoardViewTest::startButtonAndMenuAction()
{
    ViewFixture f;
    QVERIFY(f.connect(0));
    QSignalSpy notice(&f.board, &Board::notConnected);
    QAction* start = f.view->startGameAction();
    QCOMPARE(start->objectName(), u"StartGame1"_s);
    QVERIFY(!start->isEnabled());
    f.board.setStartControlsVisible(true);
    QVERIFY(start->isEnabled());
    auto* button = f.find<QPushButton>(u"button_start"_s);
    QVERIFY(button->isVisible());
    QTest::mouseClick(button, Qt::LeftButton);
    start->trigger();
    QCOMPARE(notice.count(), 2);
    QCOMPARE(notice.at(0).at(0).toString(), u"You are not connected"_s);
}

void BoardViewTest::gameStartDialogSteppingAndBounds()
{
    BoardFixture f;
    Tgamestart dialog(&f.session, nullptr);
    QCOMPARE(dialog.windowTitle(), u"Gorse - Game Start"_s);
    QCOMPARE(dialog.edit_playtoscore->text(), u"500"_s);
    QCOMPARE(dialog.edit_creationtime->text(), u"120"_s);
    QVERIFY(dialog.edit_playtoscore->isReadOnly());
    QVERIFY(dialog.edit_creationtime->isReadOnly());

    QStringList down;
    for (int i = 0; i < 10; ++i) {
        QTest::mouseClick(dialog.UpDown2->downButton(), Qt::LeftButton);
        down.append(dialog.edit_creationtime->text());
    }
    QCOMPARE(down, (QStringList{u"110"_s, u"100"_s, u"90"_s, u"80"_s, u"70"_s, u"60"_s, u"50"_s,
                                u"45"_s, u"45"_s, u"45"_s}));
    QStringList up;
    for (int i = 0; i < 9; ++i) {
        dialog.UpDown2->stepUp();
        up.append(dialog.edit_creationtime->text());
    }
    QCOMPARE(up, (QStringList{u"55"_s, u"65"_s, u"75"_s, u"85"_s, u"95"_s, u"105"_s, u"115"_s,
                              u"120"_s, u"120"_s}));

    QTest::mouseClick(dialog.UpDown1->downButton(), Qt::LeftButton);
    QTest::mouseClick(dialog.UpDown1->downButton(), Qt::LeftButton);
    QTest::mouseClick(dialog.UpDown1->downButton(), Qt::LeftButton);
    QCOMPARE(dialog.edit_playtoscore->text(), u"300"_s);
    QTest::mouseClick(dialog.UpDown1->upButton(), Qt::LeftButton);
    QCOMPARE(dialog.edit_playtoscore->text(), u"400"_s);
    for (int i = 0; i < 250; ++i)
        dialog.UpDown1->stepUp();
    QCOMPARE(dialog.edit_playtoscore->text(), u"20000"_s);
    QCOMPARE(dialog.playtoscore(), 20000);

    // Stored values outside the ranges come to the nearest bound; the
    // settings' defaults 30 and 1 open at 300 and 45.
    dialog.setPositions(30, 1);
    QCOMPARE(dialog.edit_playtoscore->text(), u"300"_s);
    QCOMPARE(dialog.edit_creationtime->text(), u"45"_s);
    dialog.setPositions(99999, 500);
    QCOMPARE(dialog.playtoscore(), 20000);
    QCOMPARE(dialog.creationtime(), 120);
    dialog.setPositions(750, 75);
    QCOMPARE(dialog.edit_playtoscore->text(), u"750"_s);
    dialog.UpDown1->stepUp();
    QCOMPARE(dialog.edit_playtoscore->text(), u"850"_s);
}

void BoardViewTest::gameStartDialogSends()
{
    BoardFixture f;
    QVERIFY(f.connect(1, "Ann"));
    RecordingSettings settings;
    Tgamestart dialog(&f.session, &settings);
    dialog.setPositions(20000, 45);
    dialog.showDialog();
    QVERIFY(dialog.isVisible());
    QTest::mouseClick(dialog.button_start, Qt::LeftButton);
    QVERIFY(!dialog.isVisible());
    QCOMPARE(settings.saves, 1);
    dialog.showDialog();
    QTest::mouseClick(dialog.button_start, Qt::LeftButton);
    QCOMPARE(f.sent(),
             (QList<QByteArray>{"CMD_startgame+Ann+20000+45+", "CMD_startgame+Ann+20000+45+"}));
    QCOMPARE(settings.saves, 2);
}

QTEST_MAIN(BoardViewTest)
#include "boardview_test.moc"
