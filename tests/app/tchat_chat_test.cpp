// The main window's chat, settings and start-up corrections, offscreen: the
// chat input and phrase editor in the window, the Options and File menus,
// the colours and score labels, a port already taken, connection failures
// shown to the player, titles, and two windows talking over a real host.
#include "app/appsetup.h"
#include "app/tchat.h"
#include "chat/chatlog.h"
#include "client/chatentry.h"
#include "client/chatpane.h"
#include "client/clientsession.h"
#include "client/phrasebar.h"
#include "dict/tdictn.h"
#include "host/tserver.h"
#include "net/messages.h"
#include "settings/optionsmenu.h"
#include "settings/settingsbinding.h"
#include "settings/settingsfile.h"
#include "sound/soundoutput.h"
#include "support/files.h"
#include "support/gamewindow.h"
#include "support/testutil.h"
#include "windows/tabout.h"
#include "windows/tgamestart.h"
#include "windows/thelp.h"
#include "windows/tphrases.h"

#include <QAction>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QTcpServer>
#include <QTemporaryDir>
#include <QToolButton>
#include <QtTest>
#include <memory>

using namespace gorse;
using gorse::test::RecordingOutput;
using test::GameWindow;
using test::joining;

namespace {

QString chatText(Tchat& w)
{
    return w.client()->chat()->plainText();
}

QAction* menuItem(QMenu* menu, const QString& name)
{
    for (QAction* a : menu->actions()) {
        if (a->objectName() == name || (a->menu() && a->menu()->objectName() == name))
            return a;
    }
    return nullptr;
}

// The title as the window system shows it: Qt adds an application display
// name that was set on purpose unless the title already ends with it.
QString shownTitle(const QWidget& w)
{
    const QString display = QGuiApplication::applicationDisplayName();
    if (display == QCoreApplication::applicationName() || w.windowTitle().endsWith(display))
        return w.windowTitle();
    return w.windowTitle() + QStringLiteral(" \u2014 ") + display;
}

} // namespace

class TchatChatTest : public QObject
{
    Q_OBJECT
private slots:
    void coloursMenusAndScoreLabels()
    {
        GameWindow win;
        Tchat& w = win.w;
        QCOMPARE(w.palette().color(QPalette::Window), QColor(0xA5, 0xA4, 0xBC));
        for (int n = 1; n <= 6; ++n) {
            QLabel* name = w.findChild<QLabel*>(QStringLiteral("label_playername%1").arg(n));
            const QColor row = n % 2 ? QColor(0xD2, 0xD2, 0xDF) : QColor(Qt::white);
            QVERIFY2(name->styleSheet().contains(QStringLiteral("background: ") + row.name()),
                     qPrintable(name->styleSheet()));
        }

        const QList<QAction*> top = w.menuBar()->actions();
        QCOMPARE(top.first()->text(), QStringLiteral("&File"));
        QMenu* file = top.first()->menu();
        QStringList fileItems;
        for (QAction* a : file->actions())
            if (!a->isSeparator())
                fileItems.append(a->text());
        QCOMPARE(fileItems, (QStringList{QStringLiteral("Start Game"), QStringLiteral("Exit")}));
        QMenu* optionsMenu = w.findChild<QMenu*>(QStringLiteral("Options1"));
        for (const char* name : {"PlaySounds1", "PlayChatterSounds1", "TurnSound1", "warning",
                                 "ResetScreenLocation1", "TextColor1"})
            QVERIFY2(menuItem(optionsMenu, QLatin1StringView(name)), name);
        QMenu* view = w.findChild<QMenu*>(QStringLiteral("View1"));
        QAction* phraseList = menuItem(view, QStringLiteral("PrhaseList1"));
        QVERIFY(phraseList);
        QCOMPARE(phraseList->text(), QStringLiteral("Phrase List"));

        // A seat's score shows once somebody sat there, and stays.
        auto score = [&](int n) {
            return w.findChild<QLabel*>(QStringLiteral("label_score%1").arg(n));
        };
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        for (int n = 1; n <= 6; ++n)
            QVERIFY(!score(n)->isVisible());
        win.hostSays("CMD_sendlogininfo+2");
        win.hostSays(msg::newplayerinfo(2, "Bob"));
        win.hostSays(msg::existingplayers(1, "Ann"));
        QVERIFY(score(1)->isVisible() && score(2)->isVisible());
        QVERIFY(!score(3)->isVisible());
        QCOMPARE(score(1)->text(), QStringLiteral("0"));
        win.hostSays(msg::playerdisconnected(1, "Ann"));
        QVERIFY(score(1)->isVisible());
    }

    void storedSettingsApplyAtTheOwnLoginAndChangesAreWritten()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("velmarlobby.ini"));
        const QByteArray stored = "[Lobby]\nUser=Kim\n[Gorse]\nTextsize=12\nTextcolor=clNavy\n"
                                  "Playsounds=false\nTurnsound=1\nPhrase2=Nice!\nLeft=30\n"
                                  "Top=40\nWidth=727\nHeight=543\n";
        QVERIFY(test::writeFile(path, stored));
        GameOptions options;
        SettingsFile settings(&options, path);
        GameWindow win(test::launchAs(LaunchOptions::Mode::None), {}, {}, &options);
        Tchat& w = win.w;
        SettingsBinding binding(&w, &settings);
        connect(&w, &Tchat::closed, &binding, &SettingsBinding::windowClosing);
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));

        // Built-in states until the own login reads the file.
        QVERIFY(w.optionItems()->PlaySounds1()->isChecked());
        QCOMPARE(w.phraseBar()->phraseButton(2)->toolTip(), QStringLiteral("Good One!"));
        win.hostSays("CMD_sendlogininfo+3");
        win.hostSays(msg::existingplayers(1, "Ann"));
        QCOMPARE(options.textSize(), 10);
        win.hostSays(msg::newplayerinfo(3, "Cat"));
        QVERIFY(!w.optionItems()->PlaySounds1()->isChecked());
        QVERIFY(w.optionItems()->New1()->isChecked());
        QVERIFY(w.mainchat()->textSizeAction(12)->isChecked());
        QCOMPARE(w.mychat()->palette().color(QPalette::Text), QColor(0, 0, 0x80));
        QCOMPARE(w.phraseBar()->phraseButton(2)->toolTip(), QStringLiteral("Nice!"));
        QTRY_COMPARE(SettingsBinding::windowBounds(&w), QRect(30, 40, 727, 543));

        // Closing without moving writes nothing.
        w.close();
        QCOMPARE(test::readFile(path), stored);

        // A choice in the Options menu writes every key; the lobby's section
        // and the phrases stay.
        w.optionItems()->PlaySounds1()->trigger();
        const QByteArray written = test::readFile(path);
        QVERIFY(written.startsWith("[Lobby]\nUser=Kim\n[Gorse]\nTextsize=12\n"
                                   "Textcolor=clNavy\nPlaysounds=true\nTurnsound=1\n"
                                   "Phrase2=Nice!\nLeft=30\nTop=40\n"));
        QVERIFY(written.contains("Warning=false\n"));
    }

    void chatInputSitsUnderThePaneAndThePhraseListOpensTheEditor()
    {
        GameWindow win;
        Tchat& w = win.w;
        GameOptions& options = win.options;
        Tphrases editor(&options, nullptr, &w);
        w.setPhrasesWindow(&editor);
        const QRect pane = w.mainchat()->geometry();
        const QRect entry = w.mychat()->geometry();
        const QRect row = w.phraseBar()->geometry();
        QVERIFY(entry.top() >= pane.bottom() && row.top() >= entry.bottom());
        const QRect board = w.panel_board()->rect();
        QVERIFY(board.contains(pane) && board.contains(entry) && board.contains(row));
        QVERIFY(w.phraseBar()->childrenRect().width() <= row.width());
        QCOMPARE(w.mychat()->text(), QStringLiteral("<Enter Chat Here>"));

        options.setPhrase(6, QStringLiteral("Six"));
        w.findChild<QAction*>(QStringLiteral("PrhaseList1"))->trigger();
        QVERIFY(editor.isVisible());
        QCOMPARE(editor.phrase(6)->text(), QStringLiteral("Six"));
    }

    void resetScreenLocationAndTheSmallestWindow()
    {
        GameWindow win;
        Tchat& w = win.w;
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        w.resize(10, 10);
        QTRY_VERIFY(w.centralWidget()->width() >= 719 && w.centralWidget()->height() >= 494);
        w.move(40, 30);
        w.optionItems()->ResetScreenLocation1()->trigger();
        QTRY_COMPARE(SettingsBinding::windowBounds(&w), QRect(3, 3, 727, 543));
    }

    void aTakenPortStopsHostingWithAClearMessage()
    {
        // Another program already listens on the port.
        QTcpServer stranger;
        QVERIFY(stranger.listen(QHostAddress::LocalHost, 0));
        const quint16 port = stranger.serverPort();
        for (const auto mode : {LaunchOptions::Mode::Host, LaunchOptions::Mode::Solo}) {
            GameWindow win(test::launchAs(mode, QStringLiteral("Ann"), QString(), port), {},
                           [](quint16) { return QStringLiteral("Listen - Error Binding Socket"); });
            Tchat& w = win.w;
            w.show();
            QVERIFY(QTest::qWaitForWindowExposed(&w));
            QTRY_VERIFY(chatText(w).contains(QStringLiteral("--port")));
            const QString text = chatText(w);
            QVERIFY(text.contains(QString::number(port)));
            QVERIFY(text.contains(QStringLiteral("Listen - Error Binding Socket")));
            QMessageBox* box = w.findChild<QMessageBox*>(QStringLiteral("hostingFailedBox"));
            QVERIFY(box);
            QVERIFY(box->isVisible());
            QVERIFY(!box->isModal());
            QVERIFY(box->text().contains(QString::number(port)));
            QVERIFY(!win.session()->hosting());
            QVERIFY(!w.StartGame1()->isEnabled());
            test::settle(200);
            QVERIFY(!stranger.hasPendingConnections());
        }
    }

    void connectionFailuresAreShownInTheChat()
    {
        quint16 closedPort = 0;
        {
            QTcpServer probe;
            QVERIFY(probe.listen(QHostAddress::LocalHost, 0));
            closedPort = probe.serverPort();
        }
        GameWindow refusedWindow(
            joining(QStringLiteral("Ann"), QStringLiteral("127.0.0.1"), closedPort));
        Tchat& refused = refusedWindow.w;
        refused.processparams();
        QTRY_VERIFY_WITH_TIMEOUT(
            chatText(refused).contains(QStringLiteral("Error #10061 (WSAECONNREFUSED)")), 10000);
        QVERIFY(chatText(refused).contains(QStringLiteral("Cannot connect to 127.0.0.1")));

        GameWindow lostWindow(
            joining(QStringLiteral("Ann"), QStringLiteral("no-such-host.invalid"), 7772));
        Tchat& lost = lostWindow.w;
        lost.processparams();
        QTRY_VERIFY_WITH_TIMEOUT(
            chatText(lost).contains(QStringLiteral("Host Lookup - Could Not Find Host Entry")),
            20000);
        QVERIFY(chatText(lost).contains(QStringLiteral("no-such-host.invalid")));
    }

    void everyTitleShowsItsCaptionOnce()
    {
        setUpApplication();
        GameWindow win;
        Tchat& w = win.w;
        Thelp help(&w);
        Tabout about(&w);
        Tphrases phrases(&win.options, nullptr, &w);
        Tgamestart gamestart(win.session(), &win.options, &w);
        for (const QWidget* window :
             std::initializer_list<const QWidget*>{&w, &help, &about, &phrases, &gamestart}) {
            QCOMPARE(shownTitle(*window), window->windowTitle());
            QCOMPARE(window->windowTitle().count(QStringLiteral("Gorse")), 1);
        }
    }

    void twoPlayersTalkThroughARealHost()
    {
        TServer server(std::make_unique<TDictn>(QByteArray()), 7);
        server.startListening(0);
        const quint16 port = server.listeningPort();
        RecordingOutput annHears;
        RecordingOutput bobHears;
        GameWindow annWindow(joining(QStringLiteral("Ann"), QStringLiteral("127.0.0.1"), port),
                             {.output = &annHears});
        Tchat& ann = annWindow.w;
        GameOptions& annOptions = annWindow.options;
        ann.processparams();
        QTRY_COMPARE(annWindow.session()->ownNumber(), 1);
        GameWindow bobWindow(joining(QStringLiteral("Bob"), QStringLiteral("127.0.0.1"), port),
                             {.output = &bobHears});
        Tchat& bob = bobWindow.w;
        GameOptions& bobOptions = bobWindow.options;
        bob.processparams();
        QTRY_VERIFY(annWindow.session()->seat(2).taken && bobWindow.session()->seat(1).taken);

        // A typed chat, with a "|" of its own, in Ann's colour.
        annOptions.setTextColour(0x00008000);
        QTest::keyClicks(ann.mychat(), QStringLiteral("hello |there"));
        QTest::keyClick(ann.mychat(), Qt::Key_Return);
        for (Tchat* w : {&ann, &bob}) {
            QTRY_VERIFY(chatText(*w).contains(QStringLiteral("hello |there")));
            QVERIFY(chatText(*w).contains(QStringLiteral("Ann chats:")));
            QCOMPARE(w->client()->chat()->style(ChatLog::styleForOrigin(1)).colour, 0x00008000u);
        }
        // An action.
        QTest::keyClicks(ann.mychat(), QStringLiteral("/me waves"));
        QTest::keyClick(ann.mychat(), Qt::Key_Return);
        for (Tchat* w : {&ann, &bob})
            QTRY_VERIFY(chatText(*w).contains(QStringLiteral("Ann waves")));
        // A phrase button.
        QTest::mouseClick(bob.phraseBar()->phraseButton(1), Qt::LeftButton);
        for (Tchat* w : {&ann, &bob}) {
            QTRY_VERIFY(chatText(*w).contains(QStringLiteral("Way To Go!")));
            QVERIFY(chatText(*w).contains(QStringLiteral("Bob says:")));
        }
        // A chatter sound: heard where chatter sounds are on, even with the
        // game's sounds off, and named in the chat where they are off.
        annOptions.setPlaySounds(false);
        bobOptions.setPlayChatterSounds(false);
        ann.phraseBar()->popup_sounds()->actions().at(3)->trigger();
        QTRY_COMPARE(annHears.played.filter(QStringLiteral("wave")),
                     QStringList{QStringLiteral("wave3")});
        QTRY_VERIFY(chatText(bob).contains(QStringLiteral("<Chatter Sound> Hello")));
        QVERIFY(chatText(bob).contains(QStringLiteral("Ann:")));
        QVERIFY(bobHears.played.filter(QStringLiteral("wave")).isEmpty());
        QVERIFY(!chatText(ann).contains(QStringLiteral("<Chatter Sound>")));
    }
};

QTEST_MAIN(TchatChatTest)
#include "tchat_chat_test.moc"
