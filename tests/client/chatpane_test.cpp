#include "chat/chatlog.h"
#include "chat/smilies.h"
#include "client/chatpane.h"
#include "support/fakes.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QMenu>
#include <QMessageBox>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTest>
#include <QTextCursor>
#include <QTextDocument>
#include <QTimer>

using namespace gorse;
using namespace Qt::StringLiterals;

class ChatPaneTest : public QObject
{
    Q_OBJECT

private:
    // A cursor a few characters into the first place that shows text.
    // New lines reach the pane's document when the event loop's turn ends.
    static void settled() { QCoreApplication::processEvents(); }

    static QTextCursor cursorIn(ChatPane& pane, const QString& text, int offset = 2)
    {
        settled();
        QTextCursor at(pane.document());
        at.setPosition(pane.document()->find(text).selectionStart() + offset);
        return at;
    }

    static void showPane(ChatPane& pane, int width, int height)
    {
        pane.resize(width, height);
        pane.show();
        QVERIFY(QTest::qWaitForWindowExposed(&pane));
    }

private slots:
    void menuItems()
    {
        GameOptions options;
        ChatLog log(&options);
        ChatPane pane(&log);
        QList<QAction*> items = pane.popupMenu()->actions();
        items << pane.optionsScrollChatOffAction() << pane.optionsClearAction()
              << pane.textColorAction() << pane.textSizeMenu()->actions();
        QStringList shown;
        for (QAction* a : items)
            shown << a->objectName() + u'=' + a->text() + u'=' + a->shortcut().toString();
        QCOMPARE(shown,
                 QStringList({u"SelectAll1=Select All="_s, u"Copy1=Copy=Ctrl+C"_s,
                              u"ClearMainChat2=Clear Main Chat="_s,
                              u"ScrollChatOff1=Scroll Chat Off=Ctrl+S"_s,
                              u"ScrollChatOff2=Scroll Chat Off=Ctrl+S"_s,
                              u"ClearMainChat1=Clear Main Chat="_s, u"TextColor1=Text Color="_s,
                              u"N8=8="_s, u"N10=10="_s, u"N12=12="_s, u"N14=14="_s}));
    }

    void copyAfterSelectAllAndClear()
    {
        // Every smiley picture is its own, and unknown numbers draw picture 0.
        for (int i = 0; i < 18; ++i)
            for (int j = 0; j < i; ++j)
                QVERIFY2(paintSmiley(i) != paintSmiley(j), qPrintable(u"%1 %2"_s.arg(i).arg(j)));
        QCOMPARE(paintSmiley(99), paintSmiley(0));

        GameOptions options;

        ChatLog log(&options);
        ChatPane pane(&log);
        showPane(pane, 300, 200);
        log.addlinetochat(u"0+You are Connected."_s, kSystemColour);
        log.chatrecieved(u"3+Ann chats: hi :)#12 www.a.com|clRed"_s);
        log.chatrecieved(u"4+Bo chats: a\nb|clRed"_s); // a line break in a text stays on its line
        settled();
        QCOMPARE(pane.document()->blockCount(), 3);
        QCOMPARE(cursorIn(pane, u"hi "_s, 5).charFormat().toImageFormat().name(), u"smiley:2"_s);

        pane.selectAllAction()->trigger();
        pane.copyAction()->trigger();
        QCOMPARE(QApplication::clipboard()->text(),
                 u"\r\n You are Connected. \r\nAnn chats:  hi   www.a.com \r\nBo chats:  a\nb "_s);

        // From inside the first line to inside the second (which starts at position 21).
        QTextCursor part(pane.document());
        part.setPosition(5);
        part.setPosition(27, QTextCursor::KeepAnchor);
        pane.setTextCursor(part);
        QTest::keyClick(&pane, Qt::Key_C, Qt::ControlModifier);
        QCOMPARE(QApplication::clipboard()->text(), u"are Connected. \r\nAnn ch"_s);

        QSignalSpy focus(&pane, &ChatPane::focusChatEntry);
        pane.clearAction()->trigger();
        QVERIFY(pane.document()->isEmpty());
        QCOMPARE(focus.count(), 1);
        log.addlinetochat(u"0+three"_s, kSystemColour);
        settled();
        QCOMPARE(pane.document()->blockCount(), 1);
        pane.selectAllAction()->trigger();
        QCOMPARE(pane.selectedPlainText(), u"\r\n three "_s);
    }

    void laterLineRecoloursEarlierLines()
    {
        GameOptions options;
        ChatLog log(&options);
        ChatPane pane(&log);
        showPane(pane, 300, 300); // every line on screen
        auto colourOf = [&pane](const QString& text) {
            QCoreApplication::processEvents(); // lines are drawn anew after the turn
            return cursorIn(pane, text).charFormat().foreground().color();
        };
        log.chatrecieved(u"3+Ann chats: first|clBlack"_s);
        log.chatrecieved(u"2+Bo chats: other|clGreen"_s);
        QCOMPARE(colourOf(u"first"_s), QColor(Qt::black));
        log.chatrecieved(u"3+Ann chats: second|$00123456"_s);
        QCOMPARE(colourOf(u"first"_s), QColor(0x56, 0x34, 0x12));
        QCOMPARE(colourOf(u"second"_s), QColor(0x56, 0x34, 0x12));
        QCOMPARE(colourOf(u"other"_s), QColor(0x00, 0x80, 0x00));
        QCOMPARE(cursorIn(pane, u"first"_s).charFormat().fontWeight(), int(QFont::Bold));
    }

    void aColourChangeRedrawsOnlyTheLinesOnScreen()
    {
        GameOptions options;
        ChatLog log(&options);
        ChatPane pane(&log);
        showPane(pane, 252, 280);
        auto colourOf = [&pane](const QString& text) {
            QCoreApplication::processEvents(); // lines are drawn anew after the turn
            return cursorIn(pane, text).charFormat().foreground().color();
        };
        // Two players alternating colours over a long history.
        for (int i = 0; i < 1500; ++i) {
            log.chatrecieved(u"3+Ann chats: a%1|clRed"_s.arg(i));
            log.chatrecieved(u"4+Bo chats: b%1|clGreen"_s.arg(i));
        }
        const quint64 before = pane.restyledLines();
        for (int i = 0; i < 200; ++i) {
            log.chatrecieved(u"3+Ann chats: x%1|clBlue"_s.arg(i));
            QCoreApplication::processEvents();
            log.chatrecieved(u"3+Ann chats: y%1|clRed"_s.arg(i));
            QCoreApplication::processEvents();
        }
        // Each change touched the few lines on screen, not the 1,500 of Ann.
        QVERIFY(pane.restyledLines() - before < 400 * 30);
        QCOMPARE(colourOf(u"y199"_s), QColor(Qt::red));
        // An old line off screen follows when it is scrolled into view.
        log.chatrecieved(u"3+Ann chats: last|clBlue"_s);
        QCOMPARE(colourOf(u"last"_s), QColor(Qt::blue));
        pane.verticalScrollBar()->setValue(0);
        QCOMPARE(colourOf(u"a0 "_s), QColor(Qt::blue));
        QCOMPARE(colourOf(u"b0 "_s), QColor(0x00, 0x80, 0x00));
    }

    void theHistoryKeepsTheLastLinesAndCopiesThem()
    {
        GameOptions options;
        ChatLog log(&options);
        log.setMaxLines(50);
        ChatPane pane(&log);
        showPane(pane, 252, 280);
        for (int i = 0; i < 120; ++i)
            log.addlinetochat(u"0+line %1"_s.arg(i), kSystemColour);
        settled();
        QCOMPARE(log.lineCount(), 50);
        QCOMPARE(pane.document()->blockCount(), 50);
        QVERIFY(pane.document()->find(u"line 69 "_s).isNull());
        QVERIFY(!pane.document()->find(u"line 70 "_s).isNull());
        pane.selectAllAction()->trigger();
        const QString text = pane.selectedPlainText();
        QVERIFY(text.startsWith(u"\r\n line 70 "_s));
        QVERIFY(text.endsWith(u"\r\n line 119 "_s));
        QCOMPARE(text.count(u"\r\n"_s), 50);
    }

    void scrollChatOffKeepsThePosition()
    {
        GameOptions options;
        ChatLog log(&options);
        ChatPane pane(&log);
        showPane(pane, 300, 120);
        QScrollBar* bar = pane.verticalScrollBar();
        for (int i = 0; i < 60; ++i)
            log.addlinetochat(u"0+line %1"_s.arg(i), kSystemColour);
        settled();
        QVERIFY(bar->maximum() > 0);
        QCOMPARE(bar->value(), bar->maximum());

        pane.scrollChatOffAction()->trigger();
        QVERIFY(log.scrollChatOff());
        QVERIFY(pane.optionsScrollChatOffAction()->isChecked());
        bar->setValue(bar->maximum() / 2);
        const int kept = bar->value();
        const int oldMaximum = bar->maximum();
        for (int i = 0; i < 30; ++i)
            log.addlinetochat(u"0+more %1"_s.arg(i), kSystemColour);
        QCoreApplication::processEvents();
        QVERIFY(bar->maximum() > oldMaximum);
        QCOMPARE(bar->value(), kept);

        // The Options menu item switches it back on, and the pane item follows.
        pane.optionsScrollChatOffAction()->trigger();
        QVERIFY(!log.scrollChatOff());
        QVERIFY(!pane.scrollChatOffAction()->isChecked());
        log.addlinetochat(u"0+last"_s, kSystemColour);
        settled();
        QCOMPARE(bar->value(), bar->maximum());
    }

    void clickingALinkOpensItsAddress()
    {
        GameOptions options;
        ChatLog log(&options);
        ChatPane pane(&log);
        showPane(pane, 400, 200);
        QList<QUrl> opened;
        pane.setLinkOpener([&opened](const QUrl& url) {
            opened << url;
            return true;
        });
        QSignalSpy clicked(&pane, &ChatPane::linkClicked);
        log.chatrecieved(u"3+Ann chats: go www.one.com or http://two.org/x now|clBlack"_s);
        for (const QString& w :
             {u"two.org"_s, u"www.one"_s, u"now"_s}) // a plain word opens nothing
            QTest::mouseClick(pane.viewport(), Qt::LeftButton, {},
                              pane.cursorRect(cursorIn(pane, w)).center());
        QCOMPARE(clicked.size(), 2);
        QCOMPARE(clicked.at(0).at(0).toInt(), 1);
        QCOMPARE(clicked.at(1).at(0).toInt(), 0);
        QCOMPARE(opened, QList<QUrl>({QUrl(u"http://two.org/x"_s), QUrl(u"http://www.one.com"_s)}));
    }

    void failedOrUnsafeLinkSaysCannotOpenWebpage()
    {
        GameOptions options;
        ChatLog log(&options);
        ChatPane pane(&log);
        int calls = 0;
        pane.setLinkOpener([&calls](const QUrl&) {
            ++calls;
            return false;
        });
        log.addlinetochat(u"0+x: www.broken.com javascript:alert(1)//www.y"_s, kSystemColour);
        for (int link : {0, 1}) {
            QString shown;
            QTimer::singleShot(0, this, [&shown] {
                if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
                    shown = box->text();
                    box->accept();
                }
            });
            // The offscreen platform cannot size a message box and says so.
            if (QGuiApplication::platformName() == u"offscreen"_s)
                QTest::ignoreMessage(QtWarningMsg,
                                     "This plugin does not support propagateSizeHints()");
            pane.mainchatJump(link);
            QCOMPARE(shown, u"Cannot open Webpage"_s);
        }
        QCOMPARE(calls, 1); // the script address is never handed to the opener
    }

    void textSizeAndColourChoicesSaveSettings()
    {
        test::RecordingOptions options;
        ChatLog log(&options);
        const int& saves = options.saves;
        ChatPane pane(&log);
        auto checkedSizes = [&pane] {
            QList<int> checked;
            for (int points : ChatPane::kTextSizes)
                if (pane.textSizeAction(points)->isChecked())
                    checked << points;
            return checked;
        };
        QCOMPARE(checkedSizes(), QList<int>({10}));

        pane.textSizeAction(12)->trigger();
        pane.textSizeAction(12)->trigger(); // the checked item again keeps its mark
        QCOMPARE(checkedSizes(), QList<int>({12}));
        QCOMPARE(pane.document()->defaultFont().pointSize(), 12);
        QCOMPARE(saves, 2);
        // Stored sizes are applied without saving; one without an item checks none.
        QVERIFY(!options.setTextSize(0));
        QVERIFY(options.setTextSize(9));
        QCOMPARE(checkedSizes(), QList<int>());
        QCOMPARE(saves, 2);

        QColor offered;
        std::optional<QColor> answer = QColor(0x12, 0x34, 0x56);
        pane.setColourPicker([&](const QColor& current) {
            offered = current;
            return answer;
        });
        options.setTextColour(kNavy); // a stored colour: not saved
        QCOMPARE(saves, 2);
        pane.textColorAction()->trigger();
        QCOMPARE(offered, QColor(0, 0, 0x80));
        QCOMPARE(log.chatColour(), 0x00563412u);
        QCOMPARE(saves, 3);

        answer.reset(); // cancelled
        pane.textColorAction()->trigger();
        QCOMPARE(log.chatColour(), 0x00563412u);
        QCOMPARE(saves, 3);
    }
};

QTEST_MAIN(ChatPaneTest)
#include "chatpane_test.moc"
