// The main window's table, offscreen on a large screen: the table scaled to
// 100, 150 and 200 % with every designed place in proportion, the zoom
// items, the keyboard focus between the board and the chat entry, the
// questions before Start or closing ends a game, and the accessibility
// tree.
#include "app/gameicon.h"
#include "app/tchat.h"
#include "chat/chatlog.h"
#include "client/board.h"
#include "client/boardscaler.h"
#include "client/boardview.h"
#include "client/boardwidgets.h"
#include "client/cardart.h"
#include "client/chatpane.h"
#include "client/clientsession.h"
#include "client/keyboardplay.h"
#include "net/messages.h"
#include "support/gamewindow.h"
#include "support/testutil.h"

#include <QAccessible>
#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

using namespace gorse;
using namespace Qt::StringLiterals;

namespace {

struct Window : test::GameWindow
{
    QStringList asked;
    bool answer = false;

    explicit Window(LaunchOptions::Mode mode = LaunchOptions::Mode::None)
        : GameWindow(test::launchAs(mode))
    {
        w.setQuestion([this](const QString& text) {
            asked.append(text);
            return answer;
        });
        w.show();
    }
    // Logged in as seat 2 (or a spy) with a round of cards on the board.
    void playRound(int own, const QByteArray& name = "Bob")
    {
        hostSays(msg::sendlogininfo(own));
        hostSays(msg::newplayerinfo(own, name));
        hostSays(msg::startgameRelay("Ann", "500", "90"));
        CardList cards;
        const int faces[8] = {20, 44, 5, 18, 1, 2, 3, 4};
        for (int pile = 1; pile <= 8; ++pile)
            cards.append(CardItem{pile, faces[pile - 1], true});
        hostSays(msg::thecards(cards));
        hostSays(msg::startround(1));
    }
};

// Every designed widget of the table (those with a name) and its place in
// the central widget.
QHash<QString, QRect> places(Tchat& w)
{
    QHash<QString, QRect> out;
    QWidget* central = w.centralWidget();
    for (QWidget* widget : central->findChildren<QWidget*>()) {
        if (widget->isWindow() || widget->objectName().isEmpty() ||
            widget->objectName().startsWith(u"qt_"_s))
            continue;
        out.insert(widget->objectName(),
                   QRect(widget->mapTo(central, QPoint(0, 0)), widget->size()));
    }
    return out;
}

} // namespace

class TchatTableTest : public QObject
{
    Q_OBJECT
private slots:
    void zoomKeepsEveryDesignedPlaceInProportion()
    {
        Window f;
        QCOMPARE(f.w.centralWidget()->size(), QSize(719, 497));
        QCOMPARE(f.w.scaler()->scale(), 1.0);
        const QHash<QString, QRect> design = places(f.w);
        // The places the table was designed with.
        QCOMPARE(design.value(u"panel_board"_s), QRect(8, 8, 704, 482));
        QCOMPARE(design.value(u"image_card8"_s), QRect(8 + 291, 8 + 330, 73, 105));
        QCOMPARE(design.value(u"label_word"_s), QRect(8 + 34, 8 + 70, 341, 44));
        QCOMPARE(design.value(u"label_playername1"_s).x(), 8 + 445);
        QCOMPARE(design.value(u"mychat"_s), QRect(8 + 445, 8 + 432, 252, 22));
        QCOMPARE(design.value(u"phrasebar"_s), QRect(8 + 445, 8 + 458, 252, 22));
        QVERIFY(design.size() > 60);
        const int wordPixels = f.w.findChild<QLabel*>(u"label_word"_s)->font().pixelSize();
        QCOMPARE(wordPixels, 40);

        for (int percent : {150, 200, 100}) {
            f.options.setZoom(percent);
            const qreal scale = percent / 100.0;
            QCOMPARE(f.w.scaler()->scale(), scale);
            QCOMPARE(f.w.centralWidget()->minimumSize(),
                     QSize(qCeil(719 * scale), qCeil(497 * scale)));
            const QHash<QString, QRect> now = places(f.w);
            for (auto it = design.cbegin(); it != design.cend(); ++it) {
                const QRect want(QPoint(qRound(it->x() * scale), qRound(it->y() * scale)),
                                 QSize(qRound(it->width() * scale), qRound(it->height() * scale)));
                const QRect got = now.value(it.key());
                const bool near = qAbs(got.left() - want.left()) <= 1 &&
                                  qAbs(got.top() - want.top()) <= 1 &&
                                  qAbs(got.right() - want.right()) <= 2 &&
                                  qAbs(got.bottom() - want.bottom()) <= 2;
                QVERIFY2(near, qPrintable(u"%1 at %2%%: %3,%4 %5x%6"_s.arg(it.key())
                                              .arg(percent)
                                              .arg(got.x())
                                              .arg(got.y())
                                              .arg(got.width())
                                              .arg(got.height())));
            }
            // Text is laid out at its new size.
            QCOMPARE(f.w.findChild<QLabel*>(u"label_word"_s)->font().pixelSize(),
                     qRound(40 * scale));
            // Cards are painted for their size (within the pixel the
            // widget's edges were rounded to).
            auto* card = f.w.findChild<CardImage*>(u"image_card1"_s);
            const QSize painted = card->pixmap().deviceIndependentSize().toSize();
            const QSize wanted = CardArt::pixelSize(scale);
            QVERIFY(qAbs(painted.width() - wanted.width()) <= 1 &&
                    qAbs(painted.height() - wanted.height()) <= 1);
            QCOMPARE(card->pixmap().devicePixelRatio(), 1.0);
        }
        // Back at 100 % everything is where it was designed, to the pixel.
        QCOMPARE(places(f.w), design);
        QCOMPARE(f.w.findChild<QLabel*>(u"label_word"_s)->font().pixelSize(), 40);
    }

    void theTableGrowsWithTheWindow()
    {
        Window f;
        // A larger window (maximised, say) at 100 %: the table fills it,
        // centred, in proportion.
        f.w.resize(1438 + 200, 994 + f.w.menuBar()->height());
        QTRY_COMPARE(f.w.centralWidget()->size(), QSize(1638, 994));
        QCOMPARE(f.w.scaler()->scale(), 2.0);
        QCOMPARE(f.w.panel_board()->geometry(), QRect(100 + 16, 16, 1408, 964));
        // The window never gets smaller than the designed client area.
        f.w.resize(300, 200);
        QVERIFY(f.w.centralWidget()->width() >= 719 && f.w.centralWidget()->height() >= 497);
        QCOMPARE(f.w.scaler()->scale(), 1.0);
    }

    void zoomItemsStepAndAreRemembered()
    {
        Window f;
        QSignalSpy saves(&f.options, &GameOptions::saveRequested);
        QVERIFY(f.w.zoomInAction()->shortcuts().contains(QKeySequence(Qt::CTRL | Qt::Key_Plus)));
        QCOMPARE(f.w.zoomOutAction()->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_Minus));
        QCOMPARE(f.w.actualSizeAction()->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_0));
        QVERIFY(!f.w.zoomOutAction()->isEnabled());
        f.w.zoomInAction()->trigger();
        QCOMPARE(f.options.zoom(), 125);
        f.w.zoomInAction()->trigger();
        QCOMPARE(f.options.zoom(), 150);
        QCOMPARE(f.w.centralWidget()->size(), QSize(1079, 746));
        f.w.zoomOutAction()->trigger();
        QCOMPARE(f.options.zoom(), 125);
        f.w.actualSizeAction()->trigger();
        QCOMPARE(f.options.zoom(), 100);
        QCOMPARE(f.w.centralWidget()->size(), QSize(719, 497));
        QCOMPARE(saves.count(), 4);
        // The screen (2600 by 1800) holds 300 %, no more.
        QCOMPARE(f.w.maxZoom(), 300);
        for (int i = 0; i < 10; ++i)
            f.w.zoomIn();
        QCOMPARE(f.options.zoom(), 300);
        QVERIFY(!f.w.zoomInAction()->isEnabled());

        // A stored zoom opens the window at that size.
        GameOptions stored;
        stored.setZoom(200);
        test::GameWindow win(test::launchAs(LaunchOptions::Mode::None), {}, {}, &stored);
        Tchat& w = win.w;
        QCOMPARE(w.scaler()->zoom(), 2.0);
        QCOMPARE(w.centralWidget()->size(), QSize(1438, 994));
    }

    void tabMovesBetweenBoardChatEntryAndPhraseButtons()
    {
        Window f;
        QApplication::setActiveWindow(&f.w);
        QVERIFY(QTest::qWaitForWindowActive(&f.w));
        BoardView* board = f.w.boardView();
        QLineEdit* entry = f.w.mychat();
        QTRY_COMPARE(QApplication::focusWidget(), board);
        // Round: board, entry, the nine phrase buttons, smiley, sound, board.
        QStringList reached;
        for (int i = 0; i < 13; ++i) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            reached.append(QApplication::focusWidget()->objectName());
        }
        QCOMPARE(reached, (QStringList{u"mychat"_s, u"b_phrase1"_s, u"b_phrase2"_s, u"b_phrase3"_s,
                                       u"b_phrase4"_s, u"b_phrase5"_s, u"b_phrase6"_s,
                                       u"b_phrase7"_s, u"b_phrase8"_s, u"b_phrase9"_s,
                                       u"button_smilies"_s, u"b_phrase10"_s, u"board"_s}));
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget(), entry);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Backtab, Qt::ShiftModifier);
        QCOMPARE(QApplication::focusWidget(), board);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Backtab, Qt::ShiftModifier);
        QCOMPARE(QApplication::focusWidget()->objectName(), u"b_phrase10"_s);

        // Letters on the board play, and never open a menu (File, Options,
        // View and Help have mnemonics, for Alt only).
        f.playRound(2);
        QTest::keyClicks(board, u"fovh"_s);
        QVERIFY(!QApplication::activePopupWidget());
        QTest::keyClicks(board, u"tear"_s);
        QCOMPARE(f.board()->wordPileList(), u"+1+3+5+4"_s);
        // Letters typed into the chat entry stay there.
        entry->setFocus();
        QTest::keyClicks(entry, u"bat"_s);
        QVERIFY(entry->text().endsWith(u"bat"_s));
        // Its Enter and Escape are the entry's, not the board's.
        QTest::keyClick(entry, Qt::Key_Escape);
        QTest::keyClick(entry, Qt::Key_Return);
        QCOMPARE(f.board()->wordPileList(), u"+1+3+5+4"_s);
        // Keys nobody takes (the chat pane has the focus) reach the board.
        f.w.mainchat()->setFocus();
        QTest::keyClick(f.w.mainchat(), Qt::Key_Escape);
        QCOMPARE(f.board()->wordPileList(), QString());
    }

    void startDuringAGameAsksBothWays()
    {
        Window f;
        f.session()->setHosting(true);
        f.playRound(1, "Ann");
        // As the hosting copy shows them.
        f.board()->setStartControlsVisible(true);
        QSignalSpy dialog(f.board(), &Board::showGameOptions);
        f.w.StartGame1()->trigger();
        QCOMPARE(f.asked, QStringList{Board::newGameQuestion()});
        QCOMPARE(dialog.count(), 0);
        f.answer = true;
        f.w.StartGame1()->trigger();
        QCOMPARE(dialog.count(), 1);
        // The Options menu turns the question off.
        QAction* confirm = f.w.findChild<QAction*>(u"ConfirmNewGame1"_s);
        QVERIFY(confirm && confirm->isChecked());
        confirm->trigger();
        QVERIFY(!f.options.confirmNewGame());
        f.answer = false;
        f.w.StartGame1()->trigger();
        QCOMPARE(dialog.count(), 2);
        QCOMPARE(f.asked.size(), 2);
    }

    void closingDuringAGameAsksBothWays()
    {
        Window f;
        QSignalSpy closed(&f.w, &Tchat::closed);
        // No game: it closes without a question.
        {
            Window idle;
            QSignalSpy idleClosed(&idle.w, &Tchat::closed);
            idle.w.close();
            QCOMPARE(idleClosed.count(), 1);
            QVERIFY(idle.asked.isEmpty());
        }
        f.playRound(2);
        f.w.close();
        QCOMPARE(f.asked, QStringList{Tchat::leaveQuestion()});
        QVERIFY(f.w.isVisible());
        QCOMPARE(closed.count(), 0);
        f.answer = true;
        f.w.close();
        QCOMPARE(closed.count(), 1);
        QVERIFY(!f.w.isVisible());

        // Turned off: no question.
        Window off;
        off.options.setConfirmLeave(false);
        QVERIFY(!off.w.findChild<QAction*>(u"ConfirmLeave1"_s)->isChecked());
        off.playRound(2);
        off.w.close();
        QVERIFY(off.asked.isEmpty());
        QVERIFY(!off.w.isVisible());

        // A spy loses nothing by leaving.
        Window spy;
        spy.playRound(7, "Eve");
        spy.w.close();
        QVERIFY(spy.asked.isEmpty());
    }

    void accessibilityTreeNamesEveryControl()
    {
        Window f;
        f.playRound(2);
        f.hostSays(msg::existingplayers(1, "Ann"));
        QAccessibleInterface* root = QAccessible::queryAccessibleInterface(&f.w);
        QVERIFY(root);
        // Walk the tree, as a screen reader would.
        QHash<QString, QString> names;
        QList<QAccessibleInterface*> todo{root};
        int visited = 0;
        while (!todo.isEmpty()) {
            QAccessibleInterface* iface = todo.takeFirst();
            ++visited;
            if (QObject* object = iface->object(); object && !object->objectName().isEmpty())
                names.insert(object->objectName(), iface->text(QAccessible::Name));
            for (int i = 0; i < iface->childCount(); ++i) {
                if (QAccessibleInterface* child = iface->child(i))
                    todo.append(child);
            }
        }
        QVERIFY(visited > 60);
        for (int pile = 1; pile <= 8; ++pile)
            QVERIFY(names.contains(u"image_card%1"_s.arg(pile)));
        QCOMPARE(names.value(u"image_card1"_s), u"Pile 1: T"_s);
        QCOMPARE(names.value(u"image_card2"_s), u"Pile 2: ER"_s);
        QCOMPARE(names.value(u"image_discard3"_s), u"Discard pile 3"_s);
        QCOMPARE(names.value(u"label_playername1"_s), u"Seat 1: Ann"_s);
        QCOMPARE(names.value(u"label_playername4"_s), u"Seat 4: <Waiting>"_s);
        QCOMPARE(names.value(u"label_score2"_s), u"Seat 2 total: 0"_s);
        QCOMPARE(names.value(u"label_timer"_s), f.board()->timerText());
        QCOMPARE(names.value(u"mychat"_s), u"Chat entry"_s);
        QCOMPARE(names.value(u"mainchat"_s), u"Chat"_s);
        QCOMPARE(names.value(u"board"_s), u"Board"_s);
        f.w.boardView()->keyboard()->press(KeyboardPlay::Key::Other, u"T"_s);
        QCOMPARE(QAccessible::queryAccessibleInterface(f.w.findChild<QLabel*>(u"label_word"_s))
                     ->text(QAccessible::Name),
                 u"Word: T"_s);
        // Every visible control on the table has a name.
        for (QWidget* widget : f.w.panel_board()->findChildren<QWidget*>()) {
            if (!widget->isVisible() || widget->objectName().isEmpty() ||
                widget->objectName().startsWith(u"qt_"_s))
                continue;
            QAccessibleInterface* iface = QAccessible::queryAccessibleInterface(widget);
            if (iface->role() == QAccessible::StaticText &&
                iface->text(QAccessible::Name).isEmpty())
                continue; // an empty label (a WORD column) has nothing to say
            QVERIFY2(!iface->text(QAccessible::Name).isEmpty(), qPrintable(widget->objectName()));
        }
        // The last chat line is told in the pane's description.
        f.chat()->addSystemLine(u"Hello there"_s);
        QCOMPARE(f.w.mainchat()->accessibleDescription(), u"Last line: Hello there"_s);
    }

    void resultsAndTheClockAreAnnounced()
    {
        Window f;
        f.playRound(2);
        // What reaches the accessibility interface: the event, its object's
        // name and description.
        QStringList events;
        f.w.boardView()->setNotifier([&events](QAccessibleEvent* event) {
            QAccessibleInterface* iface = event->accessibleInterface();
            const char* type = event->type() == QAccessible::Alert         ? "alert"
                               : event->type() == QAccessible::NameChanged ? "name"
                                                                           : "other";
            events.append(QLatin1StringView(type) + u' ' + iface->text(QAccessible::Name) + u'|' +
                          iface->text(QAccessible::Description));
        });
        f.hostSays("CMD_rejected+2+TEA+1+20+t+3+5+t+5+1+t");
        QCOMPARE(events, QStringList{u"alert Board|TEA in not a valid word."_s});
        QCOMPARE(f.w.boardView()->lastAnnouncement(), u"TEA in not a valid word."_s);
        events.clear();
        f.board()->setAutoClock(false);
        f.board()->turntimeTimer();
        QCOMPARE(events, QStringList{u"name Time: 1:29|"_s});
        events.clear();
        for (int i = 0; i < 69; ++i)
            f.board()->turntimeTimer();
        QCOMPARE(events.size(), 70);
        QCOMPARE(events.mid(68),
                 (QStringList{u"alert Board|20 seconds left."_s, u"name Time: 0:20|"_s}));
        events.clear();
        f.hostSays("CMD_winner+Ann+");
        QVERIFY(events.contains(u"alert Board|Ann has Won the Game!"_s));
    }

    // The window's icon knows its sizes without reading its images; they
    // are read, once, when it is first drawn.
    void theIconReadsItsImagesWhenFirstDrawn()
    {
        Window f;
        const QList<QSize> sizes{{16, 16}, {32, 32}, {48, 48}, {64, 64}, {128, 128}, {256, 256}};
        QCOMPARE(f.w.windowIcon().availableSizes(), sizes);
        for (const QSize& size : sizes)
            QCOMPARE(f.w.windowIcon().pixmap(size).size(), size);

        QTemporaryDir dir;
        QList<std::pair<QSize, QString>> files;
        for (const QSize& size : {QSize(16, 16), QSize(32, 32)}) {
            files.append({size, dir.filePath(QStringLiteral("%1.png").arg(size.width()))});
            QVERIFY(f.w.windowIcon().pixmap(size).save(files.last().second));
        }
        const QIcon icon = lazyIcon(files);
        QCOMPARE(icon.availableSizes(), (QList<QSize>{{16, 16}, {32, 32}}));
        // Files gone before the first drawing: nothing had been read.
        const QIcon gone = lazyIcon(files);
        QCOMPARE(gone.availableSizes(), icon.availableSizes());
        QCOMPARE(icon.pixmap(QSize(32, 32)).size(), QSize(32, 32));
        for (const auto& file : files)
            QVERIFY(QFile::remove(file.second));
        QVERIFY(gone.pixmap(QSize(32, 32)).isNull());
        QCOMPARE(icon.pixmap(QSize(16, 16)).size(), QSize(16, 16));
    }
};

QTEST_MAIN(TchatTableTest)
#include "tchattable_test.moc"
