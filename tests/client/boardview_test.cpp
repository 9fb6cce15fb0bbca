// The board's widgets and the game options dialog, offscreen: card
// pictures, places, clicks on piles, labels and buttons, the discard
// question, the played-words and winner panels, and the dialog's up-downs.
#include "boardfakes.h"
#include "client/boardview.h"
#include "client/boardwidgets.h"
#include "client/cardart.h"
#include "client/keyboardplay.h"
#include "client/pwordspanel.h"
#include "windows/tgamestart.h"

#include <QAction>
#include <QApplication>
#include <QHelpEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSet>
#include <QSignalSpy>
#include <QTest>
#include <QTextBlock>
#include <QTextCursor>
#include <QToolButton>

using namespace gorse;
using namespace gorse::test;
using namespace Qt::StringLiterals;

namespace {

constexpr std::array<int, 8> kCards{5, 1, 20, 2, 17, 3, 4, 46};

// A board view on panel_board, shown offscreen.
struct ViewFixture : BoardFixture
{
    QWidget panel;
    BoardView* view; // owned by panel
    ViewFixture() : view(new BoardView(&board, &session, &panel))
    {
        panel.resize(704, 482);
        panel.show();
    }
    template <typename T = QWidget> T* find(const QString& name)
    {
        if (T* widget = panel.findChild<T*>(name))
            return widget;
        qFatal("no widget %s", qPrintable(name));
    }
    QString text(const QString& label) { return find<QLabel>(label)->text(); }
    bool shown(const QString& name) { return find(name)->isVisible(); }
    void clickOn(const QString& name, Qt::MouseButton button = Qt::LeftButton)
    {
        QTest::mouseClick(find(name), button);
    }
    void clickPiles(std::initializer_list<int> piles, Qt::MouseButton button = Qt::LeftButton)
    {
        for (int pile : piles)
            clickOn(u"image_card%1"_s.arg(pile), button);
    }
};

// The texts of an up-down's edit after each of n steps.
QString steps(UpDown* upDown, QLineEdit* edit, bool up, int n)
{
    QStringList texts;
    for (int i = 0; i < n; ++i) {
        QTest::mouseClick(up ? upDown->upButton() : upDown->downButton(), Qt::LeftButton);
        texts.append(edit->text());
    }
    return texts.join(u' ');
}

} // namespace

class BoardViewTest : public QObject
{
    Q_OBJECT
private slots:
    void cardPicturesAreDistinct()
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
        QVERIFY(CardArt::paintEmptiedSlot() != CardArt::paintCard(0));
        // Out of range gives the "no card" picture.
        QCOMPARE(CardArt::picture(51).toImage(), CardArt::picture(0).toImage());
    }

    void placesLabelsStartAndClock()
    {
        ViewFixture f;
        QCOMPARE(f.view->geometry(), QRect(0, 0, 440, 482));
        const QPoint places[8] = {{48, 197}, {128, 197}, {211, 197}, {291, 197},
                                  {48, 330}, {128, 330}, {211, 330}, {291, 330}};
        for (int pile = 1; pile <= 8; ++pile) {
            const QPoint place = places[pile - 1];
            QCOMPARE(f.find(u"image_card%1"_s.arg(pile))->geometry(), QRect(place, QSize(73, 105)));
            QWidget* discard = f.find(u"image_discard%1"_s.arg(pile));
            QCOMPARE(discard->geometry(), QRect(place + QPoint(1, 107), QSize(72, 17)));
            QVERIFY(!discard->isVisible());
        }
        for (const char* name : {"buttoN_clear", "button_clearlast", "button_done", "button_start",
                                 "panel_discard", "panel_pwords", "panel_winner"})
            QVERIFY2(!f.shown(QString::fromLatin1(name)), name);

        // Every label shows the board's text, before and during a game.
        const auto labelsMatch = [&f] {
            const std::pair<const char*, QString> labels[] = {
                {"label_word", f.board.wordText()},
                {"label_timer", f.board.timerText()},
                {"label_playtoscore", f.board.playToScoreText()},
                {"label_timeperturn", f.board.timePerTurnText()},
                {"label_roundnum", f.board.roundText()},
                {"label_theword", f.board.theWordText()},
                {"label_status", f.board.statusText()}};
            for (const auto& [name, text] : labels)
                QCOMPARE(f.text(QString::fromLatin1(name)), text);
        };
        labelsMatch();

        // Start, the button and the menu item, before login: the notice.
        QSignalSpy notice(&f.board, &Board::notConnected);
        QAction* start = f.view->startGameAction();
        QVERIFY(!start->isEnabled());
        f.board.setStartControlsVisible(true);
        QVERIFY(start->isEnabled());
        f.clickOn(u"button_start"_s);
        start->trigger();
        QCOMPARE(notice.count(), 2);

        // The clock: white before the round, blue while it runs, red from 19.
        QVERIFY(f.connect(2));
        f.startRound(kCards, 45, 3);
        auto colour = [&] {
            return f.find(u"label_timer"_s)->palette().color(QPalette::WindowText);
        };
        QCOMPARE(colour(), QColor(Qt::white));
        f.tick();
        labelsMatch();
        QCOMPARE(f.text(u"label_roundnum"_s), u"Round: 3"_s);
        QCOMPARE(colour(), QColor(0x17, 0x4F, 0x7B));
        QCOMPARE(f.find<TimerBar>(u"image_timer"_s)->barWidth(), 44 * 8);
        f.tick(25);
        QCOMPARE(colour(), QColor(Qt::red));
    }

    void clicksReachTheBoard()
    {
        ViewFixture f;
        QVERIFY(f.connect(2));
        f.startRound(kCards);
        auto* card3 = f.find<CardImage>(u"image_card3"_s);
        QCOMPARE(card3->picture(), 20);
        QCOMPARE(card3->pixmap().toImage(), CardArt::picture(20).toImage());
        QVERIFY(f.shown(u"image_discard3"_s));
        f.clickPiles({3, 5, 1});
        QCOMPARE(f.text(u"label_word"_s), u"TQuE"_s);
        QCOMPARE(card3->picture(), int(CardImage::kEmptied));
        QCOMPARE(card3->pixmap().toImage(), CardArt::emptiedSlot().toImage());
        QVERIFY(!f.shown(u"image_discard3"_s));
        QVERIFY(f.shown(u"button_done"_s) && f.shown(u"buttoN_clear"_s));

        // The word and Clear-last take one card back each, Clear the rest.
        f.clickOn(u"label_word"_s);
        QCOMPARE(f.board.wordPileList(), u"+3+5"_s);
        f.clickOn(u"button_clearlast"_s);
        QCOMPARE(f.board.wordPileList(), u"+3"_s);
        f.clickOn(u"buttoN_clear"_s);
        QCOMPARE(wordState(f.board), u"||1|hidden"_s);
        QVERIFY(!f.shown(u"button_done"_s));
        // A right click on a pile submits, and so does Done.
        f.clickPiles({2, 8});
        f.clickPiles({4}, Qt::RightButton);
        f.hostSays("CMD_rejected+2+AING+2+1+t+8+46+t");
        f.clickPiles({3});
        f.clickOn(u"button_done"_s);
        QCOMPARE(f.sent(), (QList<QByteArray>{"CMD_sendword+2+2+8", "CMD_sendword+2+3"}));

        // The discard question: the menu item and the board agree on the
        // warning, No hides it, Yes sends.
        QAction* warning = f.view->warningAction();
        QVERIFY(warning->isCheckable() && !warning->isChecked());
        warning->trigger();
        QVERIFY(f.options.warning());
        f.options.setWarning(false);
        QVERIFY(!warning->isChecked());
        warning->trigger();
        f.clickOn(u"image_discard1"_s);
        QWidget* panel = f.find(u"panel_discard"_s);
        QVERIFY(panel->isVisible());
        QCOMPARE(panel->parentWidget(), &f.panel); // it may reach past the board
        f.clickOn(u"button_no"_s);
        QVERIFY(!panel->isVisible());
        f.clickOn(u"image_discard4"_s);
        QCOMPARE(panel->geometry(), QRect(331, 262, 287, 123));
        f.clickOn(u"button_yes"_s);
        QVERIFY(!panel->isVisible());
        QCOMPARE(f.sent(), QList<QByteArray>{"CMD_discard+2+4+"});
    }

    void playedWordsAndWinnerPanels()
    {
        ViewFixture f;
        QVERIFY(f.connect(1, "Ann"));
        f.session.setHosting(true);
        f.startRound(kCards);
        f.hostSays(msg::endround(25, {{1, 25, 25, 2, "/15-SING/10-ANT"}}));
        QVERIFY(f.shown(u"panel_pwords"_s));
        QCOMPARE(f.find<QPlainTextEdit>(u"memo_pwords1"_s)->toPlainText(),
                 u"This Turn: 25\n -10 for discards\n15: SING\n10: ANT"_s);
        QCOMPARE(f.text(u"label_pwords1"_s), u" [2] Ann"_s);
        f.clickOn(u"FlatSpeedButton1"_s);
        QVERIFY(!f.shown(u"panel_pwords"_s));

        f.hostSays("CMD_winner+Ann+");
        QVERIFY(f.shown(u"panel_winner"_s));
        auto* text = f.find<QLabel>(u"label_winner1"_s);
        auto* shadow = f.find<QLabel>(u"label_winner2"_s);
        QCOMPARE(text->text(), u"You have Won the Game!"_s);
        QCOMPARE(shadow->text(), text->text());
        QCOMPARE(shadow->pos(), text->pos() + QPoint(1, -1));
        QSignalSpy options(&f.board, &Board::showGameOptions);
        f.clickOn(u"button_start2"_s);
        QCOMPARE(options.count(), 1);
        f.hostSays("CMD_startgame+Ann+500+90+");
        QVERIFY(!f.shown(u"panel_winner"_s) && !f.shown(u"button_start"_s));
    }

    void meaningsOfPlayedWordsAndTheSuggestion()
    {
        ViewFixture f;
        QVERIFY(f.connect(1, "Ann"));
        QStringList asked;
        f.view->setDefiner([&asked](const QString& word) {
            asked.append(word);
            return u"meaning of "_s + word;
        });
        f.board.setSuggester([](const std::array<int, kPileCount>&) {
            return std::optional<Board::Suggestion>(Board::Suggestion{u"QUIT"_s, 65});
        });
        f.startRound(kCards);
        f.hostSays("CMD_theword+1+SING+15+0+1+9+t");
        QCOMPARE(f.find<QLabel>(u"label_theword"_s)->toolTip(), u"meaning of SING"_s);
        f.hostSays(msg::endround(15, {{1, 15, 15, 0, "/15-SING"}}));
        QCOMPARE(f.text(u"label_bestword"_s),
                 u"Best word these cards allowed: QUIT for 65 points (a suggestion)"_s);

        // Resting on a word of a list shows its meaning; other lines none.
        auto* memo = f.find<QPlainTextEdit>(u"memo_pwords1"_s);
        const auto lineAt = [memo](int line) {
            QTextCursor at(memo->document()->findBlockByNumber(line));
            return memo->cursorRect(at).center();
        };
        for (int line : {0, 2}) {
            QHelpEvent help(QEvent::ToolTip, lineAt(line),
                            memo->viewport()->mapToGlobal(lineAt(line)));
            QCoreApplication::sendEvent(memo->viewport(), &help);
        }
        QCOMPARE(asked, (QStringList{u"SING"_s, u"SING"_s}));
        QCOMPARE(PwordsPanel::wordOfLine(u"15: SING"_s), u"SING"_s);
        for (const QString& other : {u"This Turn: 15"_s, u" -5 for discards"_s, QString()})
            QCOMPARE(PwordsPanel::wordOfLine(other), QString());
    }

    void cardsArePaintedForTheirSize()
    {
        // A card at 200 % is painted at 200 %, not stretched: the same
        // drawing at twice the pixels, and sharper than a stretched one.
        const QImage big = CardArt::paintCard(17, 2.0);
        QCOMPARE(big.size(), QSize(148, 214));
        const QImage stretched = CardArt::paintCard(17).scaled(big.size(), Qt::IgnoreAspectRatio,
                                                               Qt::SmoothTransformation);
        QVERIFY(big != stretched);
        QCOMPARE(CardArt::picture(17, 1.5, 2.0).size(), CardArt::pixelSize(3.0));
        QCOMPARE(CardArt::picture(17, 1.5, 2.0).devicePixelRatio(), 2.0);

        ViewFixture f;
        QVERIFY(f.connect(2));
        f.startRound(kCards);
        auto* card = f.find<CardImage>(u"image_card5"_s);
        card->resize(146, 210);
        QCOMPARE(card->pixmap().toImage(), CardArt::paintCard(17, 2.0));
    }

    void keysPlayOnTheFocusedBoard()
    {
        ViewFixture f;
        QVERIFY(f.connect(2));
        f.startRound({20, 44, 5, 18, 1, 2, 3, 4}); // T ER E R A B C D
        QCOMPARE(f.view->focusPolicy(), Qt::StrongFocus);
        QTest::keyClicks(f.view, u"te"_s);
        // The E waits: an ER card is showing. It is shown dimmed after T.
        QCOMPARE(f.board.wordPileList(), u"+1"_s);
        auto* word = f.find<QLabel>(u"label_word"_s);
        QVERIFY(word->text().startsWith(u"T<span"_s));
        QVERIFY(word->text().contains(u">E</span>"_s));
        QTest::keyClick(f.view, Qt::Key_R);
        QCOMPARE(f.board.wordPileList(), u"+1+2"_s);
        QCOMPARE(word->text(), u"TER"_s);
        QTest::keyClick(f.view, Qt::Key_Backspace);
        QCOMPARE(f.board.wordPileList(), u"+1"_s);
        QTest::keyClick(f.view, Qt::Key_Escape);
        QCOMPARE(f.board.wordPileList(), QString());
        // Keys with Ctrl or Alt are not the board's.
        QTest::keyClick(f.view, Qt::Key_T, Qt::ControlModifier);
        QTest::keyClick(f.view, Qt::Key_T, Qt::AltModifier);
        QCOMPARE(f.board.wordPileList(), QString());
        QTest::keyClicks(f.view, u"rat"_s);
        QTest::keyClick(f.view, Qt::Key_Return);
        QCOMPARE(f.sent(), QList<QByteArray>{"CMD_sendword+2+4+5+1"});
        // Delete asks for the pile on the status line.
        QTest::keyClick(f.view, Qt::Key_Delete);
        QCOMPARE(f.text(u"label_status"_s), f.view->keyboard()->hint());
        QTest::keyClick(f.view, Qt::Key_6);
        QCOMPARE(f.text(u"label_status"_s), u"Your Turn."_s);
        QCOMPARE(f.sent(), QList<QByteArray>{"CMD_discard+2+6+"});
    }

    void pilesLookClickableOnlyWhenTheyAre()
    {
        ViewFixture f;
        QVERIFY(f.connect(2));
        auto* card = f.find<CardImage>(u"image_card1"_s);
        QVERIFY(!card->clickable());
        f.startRound(kCards);
        QVERIFY(card->clickable());
        QCOMPARE(card->cursor().shape(), Qt::PointingHandCursor);
        f.clickPiles({1});
        QVERIFY(!card->clickable());
        QVERIFY(f.find<CardImage>(u"image_card2"_s)->clickable());

        ViewFixture spy;
        QVERIFY(spy.connect(7, "Eve"));
        spy.startRound(kCards);
        for (int pile = 1; pile <= 8; ++pile) {
            auto* image = spy.find<CardImage>(u"image_card%1"_s.arg(pile));
            QVERIFY(!image->clickable());
            QCOMPARE(image->cursor().shape(), Qt::ArrowCursor);
        }
        QCOMPARE(spy.text(u"label_status"_s), Board::watchingStatus());
    }

    void thePauseIsCountedOnTheBoardAndThePanel()
    {
        ViewFixture f;
        QVERIFY(f.connect(2));
        f.startRound(kCards, 45);
        QVERIFY(!f.shown(u"label_pause"_s));
        f.tick(45);
        QCOMPARE(f.text(u"label_status"_s), u"Time's up!"_s);
        f.hostSays(msg::endround(0, {}));
        QVERIFY(f.shown(u"label_nextround"_s));
        QCOMPARE(f.text(u"label_nextround"_s), u"Next round in 15 seconds."_s);
        f.clickOn(u"FlatSpeedButton1"_s);
        QVERIFY(f.shown(u"label_pause"_s));
        f.tick(3);
        QCOMPARE(f.text(u"label_pause"_s), u"Next round in 12 seconds."_s);
        f.hostSays(msg::startround(2));
        QVERIFY(!f.shown(u"label_pause"_s));
    }

    void discardQuestionStaysOnPanelBoard()
    {
        ViewFixture f;
        QVERIFY(f.connect(2));
        f.options.setWarning(true);
        f.startRound(kCards);
        QWidget* panel = f.find(u"panel_discard"_s);
        for (int pile = 1; pile <= 8; ++pile) {
            f.clickOn(u"image_discard%1"_s.arg(pile));
            QVERIFY(panel->isVisible());
            QVERIFY2(f.panel.rect().contains(panel->geometry()), qPrintable(QString::number(pile)));
            QCOMPARE(panel->pos(), Board::discardPanelPlace(pile));
            f.clickOn(u"button_no"_s);
        }
    }

    void playedWordsFollowTheSystemColours()
    {
        // A high-contrast theme's colours reach the word lists, which the
        // design draws in the system's colours.
        const QPalette before = QApplication::palette();
        QPalette contrast = before;
        contrast.setColor(QPalette::Base, Qt::black);
        contrast.setColor(QPalette::Text, Qt::yellow);
        QApplication::setPalette(contrast);
        {
            ViewFixture f;
            QVERIFY(f.connect(2));
            f.startRound(kCards);
            f.hostSays(msg::endround(10, {{2, 10, 10, 0, "/10-CAT"}}));
            auto* memo = f.find<QPlainTextEdit>(u"memo_pwords2"_s);
            QVERIFY(memo->isVisible());
            const QImage shot = memo->viewport()->grab().toImage();
            QCOMPARE(shot.pixelColor(shot.width() - 4, shot.height() - 4), QColor(Qt::black));
            QCOMPARE(memo->palette().color(QPalette::Text), QColor(Qt::yellow));
        }
        QApplication::setPalette(before);
    }

    void gameStartDialogSteppingAndBounds()
    {
        BoardFixture f;
        Tgamestart dialog(&f.session, &f.options);
        QCOMPARE(dialog.windowTitle(), u"Gorse - Game Start"_s);
        QLineEdit* score = dialog.edit_playtoscore;
        QLineEdit* time = dialog.edit_creationtime;
        QCOMPARE(score->text() + u' ' + time->text(), u"500 120"_s);

        QCOMPARE(steps(dialog.UpDown2, time, false, 10), u"110 100 90 80 70 60 50 45 45 45"_s);
        QCOMPARE(steps(dialog.UpDown2, time, true, 9), u"55 65 75 85 95 105 115 120 120"_s);
        QCOMPARE(steps(dialog.UpDown1, score, false, 3), u"400 300 300"_s);
        QCOMPARE(steps(dialog.UpDown1, score, true, 1), u"400"_s);
        for (int i = 0; i < 250; ++i)
            dialog.UpDown1->stepUp();
        QCOMPARE(score->text(), u"20000"_s);
        QCOMPARE(dialog.playtoscore(), 20000);

        // The dialog shows the options as they change, brought into range:
        // the settings' defaults 30 and 1 open at 300 and 45.
        f.options.setPlayToScore(30);
        f.options.setTimePerTurn(1);
        QCOMPARE(score->text() + u' ' + time->text(), u"300 45"_s);
        f.options.setPlayToScore(750);
        dialog.UpDown1->stepUp();
        QCOMPARE(score->text(), u"850"_s);
        QCOMPARE(f.options.playToScore(), 850);
    }

    void gameStartDialogSends()
    {
        BoardFixture f;
        QVERIFY(f.connect(1, "Ann"));
        Tgamestart dialog(&f.session, &f.options);
        f.options.setPlayToScore(20000);
        f.options.setTimePerTurn(45);
        for (int i = 0; i < 2; ++i) {
            dialog.showDialog();
            QVERIFY(dialog.isVisible());
            QTest::mouseClick(dialog.button_start, Qt::LeftButton);
            QVERIFY(!dialog.isVisible());
            QCOMPARE(f.options.saves, i + 1);
        }
        QCOMPARE(f.sent(),
                 (QList<QByteArray>{"CMD_startgame+Ann+20000+45+", "CMD_startgame+Ann+20000+45+"}));
    }
};

QTEST_MAIN(BoardViewTest)
#include "boardview_test.moc"
