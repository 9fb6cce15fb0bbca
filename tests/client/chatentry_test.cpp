// The chat input under the chat pane, offscreen: the entry "mychat", the
// phrase buttons with their lock, the smiley picker and the sound button,
// each checked by the bytes that reach a stand-in host.
#include "chat/chatinput.h"
#include "chat/chatlog.h"
#include "client/chatentry.h"
#include "client/clientsession.h"
#include "client/phrasebar.h"
#include "client/uistyle.h"
#include "net/messages.h"
#include "support/clientcore.h"
#include "support/testutil.h"

#include <QAction>
#include <QClipboard>
#include <QGuiApplication>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QMenu>
#include <QTest>
#include <QToolButton>
#include <memory>

using namespace gorse;

namespace {

// The entry and the button row on one widget, the session connected to a
// loopback listener that records what the client sends.
struct ChatTable : test::ClientCore
{
    qint64 now = 0;
    QWidget window;
    ChatEntry* entry = new ChatEntry(&session, &options, &window);
    PhraseBar* bar = new PhraseBar(&session, &options, entry, &window, [this] { return now; });
    QByteArray& sent = fromClient;

    bool connect()
    {
        entry->setGeometry(0, 0, 252, 22);
        bar->setGeometry(0, 26, 252, 22);
        return ClientCore::connect(QStringLiteral("Ann"));
    }
    bool login(int number)
    {
        hostSays("CMD_sendlogininfo+" + QByteArray::number(number));
        const bool answered = test::waitUntil([&] { return sent.contains("CMD_logininfo"); });
        sent.clear();
        return answered;
    }
    // What arrived at the host after a short while, then forgotten.
    QByteArray take(int settleMs = 100)
    {
        test::settle(settleMs);
        QByteArray got = sent;
        sent.clear();
        return got;
    }
};

// Types text key by key, as a keyboard (or a keyboard layout for any
// script) delivers it: one key event per character.
void typeText(QWidget* widget, const QString& text)
{
    for (qsizetype i = 0; i < text.size(); ++i) {
        const qsizetype units = text.at(i).isHighSurrogate() && i + 1 < text.size() ? 2 : 1;
        const QString character = text.mid(i, units);
        i += units - 1;
        QKeyEvent press(QEvent::KeyPress, 0, Qt::NoModifier, character);
        QCoreApplication::sendEvent(widget, &press);
        QKeyEvent release(QEvent::KeyRelease, 0, Qt::NoModifier, character);
        QCoreApplication::sendEvent(widget, &release);
    }
}

} // namespace

class ChatInputTest : public QObject
{
    Q_OBJECT

private slots:
    void enterSendsByTheRulesOfTheEntry()
    {
        ChatTable t;
        QVERIFY(t.connect());
        QCOMPARE(t.entry->objectName(), QStringLiteral("mychat"));
        QCOMPARE(t.entry->text(), QStringLiteral("<Enter Chat Here>"));
        QCOMPARE(t.entry->font().pixelSize(), 13);

        // Before the login Enter keeps the text and sends nothing.
        QTest::keyClicks(t.entry, QStringLiteral("early"));
        QCOMPARE(t.entry->text(), QStringLiteral("early")); // the placeholder went first
        QTest::keyClick(t.entry, Qt::Key_Return);
        QCOMPARE(t.entry->text(), QStringLiteral("early"));
        QCOMPARE(t.take(), QByteArray());
        QVERIFY(t.login(2));

        struct Case
        {
            QString typed;
            QByteArray wire; // what the host receives; empty for nothing
        };
        const Case cases[] = {
            {QStringLiteral("hi there"), "CMD_chat+2+hi there|clBlack\xFF"},
            {QStringLiteral("a|b+c"), "CMD_chat+2+a|b+c|clBlack\xFF"},
            {QStringLiteral("/me waves"), "CMD_action+2+waves|clBlack\xFF"},
            {QStringLiteral("/me"), "CMD_action+2+|clBlack\xFF"},
            {QStringLiteral("/mehello"), "CMD_action+2+ello|clBlack\xFF"},
            {QStringLiteral("/ME shouts"), ""},
            {QStringLiteral("/x"), ""},
            {QString(), ""},
            {QStringLiteral("caf\u00E9 \u4E2D"), "CMD_chat+2+caf\xC3\xA9 \xE4\xB8\xAD|clBlack\xFF"},
        };
        t.entry->clear();
        for (const Case& c : cases) {
            typeText(t.entry, c.typed);
            QTest::keyClick(t.entry, Qt::Key_Enter);
            QCOMPARE(t.entry->text(), QString()); // emptied, sent or not
            QCOMPARE(test::visible(t.take()), test::visible(c.wire));
        }
        // The chat colour goes with the text and colours the entry.
        t.options.setTextColour(0x00112233);
        QCOMPARE(t.entry->palette().color(QPalette::Text), toQColor(0x00112233));
        QTest::keyClicks(t.entry, QStringLiteral("x"));
        QTest::keyClick(t.entry, Qt::Key_Return);
        QCOMPARE(test::visible(t.take()), test::visible("CMD_chat+2+x|$00112233\xFF"));
    }

    void pasteAppendsAndPutsTheCaretAtTheEnd()
    {
        ChatTable t;
        QGuiApplication::clipboard()->setText(QStringLiteral(" world"));
        QAction* paste = t.entry->pasteAction();
        QCOMPARE(paste->objectName(), QStringLiteral("Paste1"));
        QCOMPARE(paste->text(), QStringLiteral("Paste"));
        QCOMPARE(paste->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_V));
        QCOMPARE(t.entry->popupMenu()->objectName(), QStringLiteral("popup_mychat"));

        t.entry->setText(QStringLiteral("hello"));
        t.entry->setCursorPosition(1);
        t.entry->setSelection(0, 2);
        paste->trigger();
        QCOMPARE(t.entry->text(), QStringLiteral("hello world"));
        QCOMPARE(t.entry->cursorPosition(), 11);
        QVERIFY(!t.entry->hasSelectedText());
        // Ctrl+V appends too, wherever the caret is.
        t.entry->setCursorPosition(0);
        QTest::keyClick(t.entry, Qt::Key_V, Qt::ControlModifier);
        QCOMPARE(t.entry->text(), QStringLiteral("hello world world"));
        QCOMPARE(t.entry->cursorPosition(), 17);
        // On the placeholder the pasted text replaces it.
        t.entry->setText(ChatEntry::kPlaceholder);
        paste->trigger();
        QCOMPARE(t.entry->text(), QStringLiteral(" world"));
    }

    void noWayToTypeMoreThanAMessageCarries()
    {
        ChatTable t;
        QVERIFY(t.connect());
        QVERIFY(t.login(3));
        QString cjk;
        for (int i = 0; i < 30000; ++i)
            cjk += QChar(0x4E00 + i % 2000);

        // Typed key by key.
        t.entry->clear();
        typeText(t.entry, cjk.left(1000));
        QVERIFY(utf8Length(t.entry->text()) <= kChatEntryLimit);
        typeText(t.entry, cjk.mid(1000));
        QVERIFY(utf8Length(t.entry->text()) <= kChatEntryLimit);
        QCOMPARE(t.entry->text(), cjk.left(kChatEntryLimit / 3));
        // Pasted, and committed at once by an input method.
        t.entry->clear();
        QGuiApplication::clipboard()->setText(cjk);
        t.entry->pasteAction()->trigger();
        QVERIFY(utf8Length(t.entry->text()) <= kChatEntryLimit);
        QCOMPARE(t.entry->text().size(), kChatEntryLimit / 3);
        QInputMethodEvent commit;
        commit.setCommitString(cjk);
        QCoreApplication::sendEvent(t.entry, &commit);
        QVERIFY(utf8Length(t.entry->text()) <= kChatEntryLimit);
        // No smiley fits behind a full entry.
        t.entry->setText(QString(kChatEntryLimit - 2, QLatin1Char('a')));
        t.bar->smileyChosen(12);
        QCOMPARE(t.entry->text().size(), kChatEntryLimit - 2);

        // Sent as chat, as an action with the longest colour text, and as
        // the same text given to sendit directly: every message's text (all
        // after the sender's number) stays within the limit.
        t.entry->clear();
        typeText(t.entry, cjk.left(2000));
        QTest::keyClick(t.entry, Qt::Key_Return);
        t.options.setTextColour(0x00ABCDEF);
        t.entry->setText(QStringLiteral("/me ") + cjk.left(400));
        QTest::keyClick(t.entry, Qt::Key_Return);
        t.session.sendit(cjk, 0x00ABCDEF);
        QVERIFY(test::waitUntil([&] { return t.sent.count('\xFF') == 3; }));
        const QList<QByteArray> messages = t.take().split('\xFF');
        for (const QByteArray& message : messages.first(3)) {
            const qsizetype textStart = message.indexOf('+', message.indexOf('+') + 1) + 1;
            QVERIFY2(message.size() - textStart <= kMaxChatText, message.left(40).constData());
            QVERIFY(message.size() - textStart > kMaxChatText - 20);
        }
    }

    void phraseButtonsSendOnePhraseEveryTwoSeconds()
    {
        ChatTable t;
        QVERIFY(t.connect());
        QToolButton* b1 = t.bar->phraseButton(1);
        QCOMPARE(b1->objectName(), QStringLiteral("b_phrase1"));
        QCOMPARE(b1->toolTip(), QStringLiteral("Way To Go!"));
        QCOMPARE(t.bar->phraseButton(10)->toolTip(), QStringLiteral("/me waves \"Good-Bye\""));

        // Before the login a click sends nothing, and does not lock.
        QTest::mouseClick(b1, Qt::LeftButton);
        QCOMPARE(t.take(), QByteArray());
        QVERIFY(t.login(4));
        t.entry->setText(QStringLiteral("my own words"));

        QTest::mouseClick(b1, Qt::LeftButton);
        QCOMPARE(test::visible(t.take()),
                 test::visible("CMD_action+4+says: Way To Go!|clBlack\xFF"));
        // A second click within two seconds is lost, on any button.
        t.now += 1999;
        QTest::mouseClick(t.bar->phraseButton(2), Qt::LeftButton);
        QCOMPARE(t.take(), QByteArray());
        t.now += 1;
        t.options.setPhrase(2, QStringLiteral("/me cheers"));
        QCOMPARE(t.bar->phraseButton(2)->toolTip(), QStringLiteral("/me cheers"));
        QTest::mouseClick(t.bar->phraseButton(2), Qt::LeftButton);
        QCOMPARE(test::visible(t.take()), test::visible("CMD_action+4+cheers|clBlack\xFF"));
        // The entry is left alone.
        QCOMPARE(t.entry->text(), QStringLiteral("my own words"));
        // Nothing was queued: later, one click sends one phrase.
        t.now += 5000;
        t.options.setPhrase(9, QString());
        QTest::mouseClick(t.bar->phraseButton(9), Qt::LeftButton);
        QCOMPARE(test::visible(t.take()), test::visible("CMD_action+4+says: |clBlack\xFF"));
    }

    void smileyPickerAppendsItsCode()
    {
        ChatTable t;
        QMenu* menu = t.bar->popup_smilies();
        QCOMPARE(menu->objectName(), QStringLiteral("popup_smilies"));
        const QList<QAction*> items = menu->actions();
        QCOMPARE(items.size(), 18);
        for (int k = 0; k < 18; ++k) {
            QCOMPARE(items[k]->text(), QStringLiteral(":)#%1").arg(10 + k));
            QCOMPARE(items[k]->data().toInt(), 10 + k);
            QVERIFY(!items[k]->icon().isNull());
        }
        QCOMPARE(items[0]->objectName(), QStringLiteral("MenuItem1"));
        QCOMPARE(items[17]->objectName(), QStringLiteral("N271"));

        items[2]->trigger(); // on the placeholder
        QCOMPARE(t.entry->text(), QStringLiteral(":)#12"));
        QTest::keyClicks(t.entry, QStringLiteral(" hi "));
        t.entry->setCursorPosition(0);
        items[17]->trigger();
        QCOMPARE(t.entry->text(), QStringLiteral(":)#12 hi :)#27"));
        QCOMPARE(t.entry->cursorPosition(), int(t.entry->text().size()));

        // The menu opens at the button's bottom right corner.
        t.window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&t.window));
        QTest::mouseClick(t.bar->button_smilies(), Qt::LeftButton);
        QTRY_VERIFY(menu->isVisible());
        const QToolButton* button = t.bar->button_smilies();
        QCOMPARE(menu->pos(), button->mapToGlobal(QPoint(button->width(), button->height())));
        menu->hide();
    }

    void chatterSoundsOnlyFromASeatedLoggedInPlayer()
    {
        ChatTable t;
        QVERIFY(t.connect());
        QMenu* menu = t.bar->popup_sounds();
        QCOMPARE(menu->objectName(), QStringLiteral("popup_sounds"));
        const QList<QAction*> items = menu->actions();
        QCOMPARE(items.size(), 21);
        QCOMPARE(items[0]->text(), QStringLiteral("<Cancel>"));
        QCOMPARE(items[0]->objectName(), QStringLiteral("Cancel1"));
        QCOMPARE(items[1]->text(), QStringLiteral("Doh"));
        QCOMPARE(items[5]->text(), QStringLiteral("Where have you been?"));
        QCOMPARE(items[20]->objectName(), QStringLiteral("wave20"));
        QCOMPARE(items[20]->toolTip(), QStringLiteral("Crying"));

        items[3]->trigger(); // before the login
        QCOMPARE(t.take(), QByteArray());
        QVERIFY(t.login(2));
        items[0]->trigger();
        QCOMPARE(t.take(), QByteArray());
        items[3]->trigger();
        QCOMPARE(test::visible(t.take()), test::visible("CMD_playasound+2+wave3+\xFF"));

        ChatTable spy;
        QVERIFY(spy.connect());
        QVERIFY(spy.login(7));
        spy.bar->popup_sounds()->actions()[1]->trigger();
        QCOMPARE(spy.take(), QByteArray());
    }

    void everyControlIsNamedAndReachedInOrder()
    {
        ChatTable t;
        t.window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&t.window));
        QList<QWidget*> expected{t.entry};
        for (int n = 1; n <= 9; ++n)
            expected.append(t.bar->phraseButton(n));
        expected.append(t.bar->button_smilies());
        expected.append(t.bar->phraseButton(10));
        for (QWidget* w : expected) {
            QVERIFY2(!w->toolTip().isEmpty(), qPrintable(w->objectName()));
            QVERIFY2(!w->accessibleName().isEmpty(), qPrintable(w->objectName()));
            QVERIFY(w->focusPolicy() & Qt::TabFocus);
        }
        QCOMPARE(t.bar->button_smilies()->toolTip(), QStringLiteral("Chatter Sounds"));
        t.entry->setFocus();
        QTRY_VERIFY(t.entry->hasFocus());
        for (qsizetype i = 1; i < expected.size(); ++i) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            QCOMPARE(QApplication::focusWidget(), expected[i]);
        }
    }
};

QTEST_MAIN(ChatInputTest)
#include "chatentry_test.moc"
