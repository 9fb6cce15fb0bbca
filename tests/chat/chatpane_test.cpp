#include "chat/chatlog.h"
#include "chat/chatpane.h"
#include "chat/smilies.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QMenu>
#include <QMessageBox>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTest>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTimer>

using namespace gorse;
using namespace Qt::StringLiterals;

class ChatPaneTest : public QObject
{
    Q_OBJECT

private:
    // The viewport point in the middle of the first place that shows text.
    static QPoint pointOf(ChatPane& pane, const QString& text)
    {
        const QTextCursor found = pane.document()->find(text);
        if (found.isNull())
            return {-1, -1};
        QTextCursor mid(pane.document());
        mid.setPosition(found.selectionStart() + 2);
        return pane.cursorRect(mid).center();
    }

    static QColor colourAt(ChatPane& pane, const QString& text)
    {
        QTextCursor found = pane.document()->find(text);
        QTextCursor at(pane.document());
        at.setPosition(found.selectionStart() + 1);
        return at.charFormat().foreground().color();
    }

private slots:
    void appearanceAndMenus()
    {
        ChatLog log;
        ChatPane pane(&log);
        QCOMPARE(pane.objectName(), u"mainchat"_s);
        QCOMPARE(pane.palette().color(QPalette::Base), QColor(0xF7, 0xF8, 0xF9));
        QCOMPARE(pane.verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
        QVERIFY(pane.isReadOnly());
        QCOMPARE(pane.popupMenu()->objectName(), u"popup_mainchat"_s);
        QStringList names;
        for (QAction* a : pane.popupMenu()->actions())
            names << a->objectName() + u'=' + a->text();
        QCOMPARE(names, QStringList({u"SelectAll1=Select All"_s, u"Copy1=Copy"_s,
                                     u"ClearMainChat2=Clear Main Chat"_s, u"ScrollChatOff1=Scroll Chat Off"_s}));
        QCOMPARE(pane.copyAction()->shortcut(), QKeySequence(u"Ctrl+C"_s));
        QCOMPARE(pane.scrollChatOffAction()->shortcut(), QKeySequence(u"Ctrl+S"_s));
        QCOMPARE(pane.optionsScrollChatOffAction()->shortcut(), QKeySequence(u"Ctrl+S"_s));
        QCOMPARE(pane.textSizeMenu()->actions().size(), 4);
        QVERIFY(pane.textSizeAction(10)->isChecked()); // the initial size
        QVERIFY(!pane.textSizeAction(8)->isChecked());
        QCOMPARE(pane.document()->defaultFont().pointSize(), 10);
    }

    void smileyImages()
    {
        QCOMPARE(paintSmiley(0).size(), QSize(17, 16));
        QCOMPARE(paintSmiley(17).size(), QSize(17, 16));
        QVERIFY(paintSmiley(1) != paintSmiley(0));
        QVERIFY(paintSmiley(17) != paintSmiley(16));
        QCOMPARE(paintSmiley(99), paintSmiley(0));

        ChatLog log;
        ChatPane pane(&log);
        log.chatrecieved(u"3+Ann chats: hi :)#12 there|clBlack"_s);
        int images = 0;
        for (QTextBlock b = pane.document()->begin(); b.isValid(); b = b.next()) {
            for (auto it = b.begin(); !it.atEnd(); ++it) {
                if (it.fragment().charFormat().isImageFormat()) {
                    ++images;
                    QCOMPARE(it.fragment().charFormat().toImageFormat().name(), u"smiley:2"_s);
                }
            }
        }
        QCOMPARE(images, 1);
    }

    void copyAfterSelectAll()
    {
        ChatLog log;
        ChatPane pane(&log);
        pane.resize(300, 200);
        pane.show();
        log.addlinetochat(u"0+You are Connected."_s, kSystemColour);
        log.chatrecieved(u"3+Ann chats: hi :)#12 www.a.com|clRed"_s);
        // A text with a line break in it still stays on its line.
        log.chatrecieved(u"4+Bo chats: a\nb|clRed"_s);
        QCOMPARE(pane.document()->blockCount(), 3);

        QApplication::clipboard()->setText(u"untouched"_s);
        pane.copyAction()->trigger(); // nothing selected: nothing happens
        QCOMPARE(QApplication::clipboard()->text(), u"untouched"_s);

        pane.selectAllAction()->trigger();
        pane.copyAction()->trigger();
        QCOMPARE(QApplication::clipboard()->text(),
                 u"\r\n You are Connected. \r\nAnn chats:  hi   www.a.com \r\nBo chats:  a\nb "_s);

        // A selection from inside the first line to inside the second.
        QTextCursor part(pane.document());
        part.setPosition(5);
        part.setPosition(27, QTextCursor::KeepAnchor); // block 2 starts at document position 21
        pane.setTextCursor(part);
        QCOMPARE(pane.selectedPlainText(), u"are Connected. \r\nAnn ch"_s);
        QTest::keyClick(&pane, Qt::Key_C, Qt::ControlModifier);
        QCOMPARE(QApplication::clipboard()->text(), u"are Connected. \r\nAnn ch"_s);
    }

    void laterLineRecoloursEarlierLines()
    {
        ChatLog log;
        ChatPane pane(&log);
        log.chatrecieved(u"3+Ann chats: first|clBlack"_s);
        log.chatrecieved(u"2+Bo chats: other|clGreen"_s);
        QCOMPARE(colourAt(pane, u"first"_s), QColor(Qt::black));
        log.chatrecieved(u"3+Ann chats: second|$00123456"_s);
        QCOMPARE(colourAt(pane, u"first"_s), QColor(0x56, 0x34, 0x12));
        QCOMPARE(colourAt(pane, u"second"_s), QColor(0x56, 0x34, 0x12));
        QCOMPARE(colourAt(pane, u"other"_s), QColor(0x00, 0x80, 0x00));
        QTextCursor at(pane.document()->find(u"first"_s));
        QCOMPARE(at.charFormat().fontWeight(), int(QFont::Bold));
    }

    void scrollChatOffKeepsThePosition()
    {
        ChatLog log;
        ChatPane pane(&log);
        pane.resize(300, 120);
        pane.show();
        QVERIFY(QTest::qWaitForWindowExposed(&pane));
        QScrollBar* bar = pane.verticalScrollBar();
        for (int i = 0; i < 60; ++i)
            log.addlinetochat(u"0+line %1"_s.arg(i), kSystemColour);
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
        QCOMPARE(bar->value(), bar->maximum());
    }

    void clickingALinkOpensItsAddress()
    {
        ChatLog log;
        ChatPane pane(&log);
        pane.resize(400, 200);
        pane.show();
        QVERIFY(QTest::qWaitForWindowExposed(&pane));
        QList<QUrl> opened;
        pane.setLinkOpener([&opened](const QUrl& url) {
            opened << url;
            return true;
        });
        QSignalSpy clicked(&pane, &ChatPane::linkClicked);
        log.chatrecieved(u"3+Ann chats: go www.one.com or http://two.org/x now|clBlack"_s);

        QTest::mouseClick(pane.viewport(), Qt::LeftButton, {}, pointOf(pane, u"two.org"_s));
        QCOMPARE(clicked.count(), 1);
        QCOMPARE(clicked.at(0).at(0).toInt(), 1);
        QCOMPARE(opened, QList<QUrl>({QUrl(u"http://two.org/x"_s)}));

        QTest::mouseClick(pane.viewport(), Qt::LeftButton, {}, pointOf(pane, u"www.one"_s));
        QCOMPARE(clicked.count(), 2);
        QCOMPARE(clicked.at(1).at(0).toInt(), 0);
        QCOMPARE(opened.last(), QUrl(u"http://www.one.com"_s));

        // Plain words open nothing.
        QTest::mouseClick(pane.viewport(), Qt::LeftButton, {}, pointOf(pane, u"now"_s));
        QCOMPARE(clicked.count(), 2);

        // After a clear, a new link keeps counting and opens its own address.
        pane.optionsClearAction()->trigger();
        log.addlinetochat(u"0+www.three.net"_s, kSystemColour);
        QTest::mouseClick(pane.viewport(), Qt::LeftButton, {}, pointOf(pane, u"three"_s));
        QCOMPARE(clicked.last().at(0).toInt(), 2);
        QCOMPARE(opened.last(), QUrl(u"http://www.three.net"_s));
    }

    void failedOpenSaysCannotOpenWebpage()
    {
        ChatLog log;
        ChatPane pane(&log);
        pane.setLinkOpener([](const QUrl&) { return false; });
        log.addlinetochat(u"0+www.broken.com"_s, kSystemColour);
        QString shown;
        QTimer::singleShot(0, this, [&shown] {
            if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
                shown = box->text();
                box->accept();
            }
        });
        pane.mainchatJump(0);
        QCOMPARE(shown, u"Cannot open Webpage"_s);
    }

    void clearEmptiesThePaneAndAsksForTheEntry()
    {
        ChatLog log;
        ChatPane pane(&log);
        QSignalSpy focus(&pane, &ChatPane::focusChatEntry);
        log.addlinetochat(u"0+one"_s, kSystemColour);
        log.addlinetochat(u"0+two"_s, kSystemColour);
        pane.clearAction()->trigger();
        QVERIFY(pane.document()->isEmpty());
        QCOMPARE(pane.document()->blockCount(), 1);
        QCOMPARE(focus.count(), 1);
        log.addlinetochat(u"0+three"_s, kSystemColour);
        QCOMPARE(pane.document()->blockCount(), 1);
        pane.selectAllAction()->trigger();
        QCOMPARE(pane.selectedPlainText(), u"\r\n three "_s);
    }

    void textSizeAndColourItems()
    {
        ChatLog log;
        int saves = 0;
        log.setSettingsSaver([&saves] { ++saves; });
        ChatPane pane(&log);

        pane.textSizeAction(12)->trigger();
        QCOMPARE(log.textSize(), 12);
        QCOMPARE(saves, 1);
        QCOMPARE(pane.document()->defaultFont().pointSize(), 12);
        QVERIFY(pane.textSizeAction(12)->isChecked());
        QVERIFY(!pane.textSizeAction(10)->isChecked());
        // Choosing the checked size again keeps its mark.
        pane.textSizeAction(12)->trigger();
        QVERIFY(pane.textSizeAction(12)->isChecked());
        QCOMPARE(saves, 2);
        // A stored size without an item: no item checked.
        log.setTextSize(9);
        for (int points : ChatPane::kTextSizes)
            QVERIFY(!pane.textSizeAction(points)->isChecked());
        QCOMPARE(pane.document()->defaultFont().pointSize(), 9);

        QColor offered;
        pane.setColourPicker([&offered](const QColor& current) -> std::optional<QColor> {
            offered = current;
            return QColor(0x12, 0x34, 0x56);
        });
        log.setChatColour(kNavy);
        pane.textColorAction()->trigger();
        QCOMPARE(offered, QColor(0, 0, 0x80));
        QCOMPARE(log.chatColour(), 0x00563412u);
        QCOMPARE(saves, 3);

        pane.setColourPicker([](const QColor&) -> std::optional<QColor> { return std::nullopt; });
        pane.textColorAction()->trigger();
        QCOMPARE(log.chatColour(), 0x00563412u);
        QCOMPARE(saves, 3);
    }
};

QTEST_MAIN(ChatPaneTest)
#include "chatpane_test.moc"
