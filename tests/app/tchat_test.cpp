// The main window, offscreen: seat rows, the removal menu and the chat entry.
#include "net/messages.h"
#include "support/gamewindow.h"
#include "support/testutil.h"

#include <QAction>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QTcpServer>
#include <QTcpSocket>
#include <QtTest>

using namespace gorse;
using test::GameWindow;
using test::launchAs;

class TchatTest : public QObject
{
    Q_OBJECT
private:
    QLabel* label(Tchat& w, const QString& name) { return w.findChild<QLabel*>(name); }

private slots:
    void windowShapeAndSeatRows()
    {
        GameWindow win;
        Tchat& w = win.w;
        QCOMPARE(w.windowTitle(), QStringLiteral("Gorse"));
        QCOMPARE(w.panel_board()->geometry(), QRect(8, 8, 704, 482));
        QCOMPARE(label(w, QStringLiteral("label_status"))->text(),
                 QStringLiteral("Welcome to Gorse by Velmar Software"));
        for (int n = 1; n <= 6; ++n) {
            QCOMPARE(label(w, QStringLiteral("label_playername%1").arg(n))->text(),
                     QStringLiteral("<Waiting>"));
            QCOMPARE(label(w, QStringLiteral("label_score%1").arg(n))->text(), QStringLiteral("0"));
            QCOMPARE(label(w, QStringLiteral("label_bonus%1").arg(n))->text(), QString());
        }
        win.hostSays("CMD_sendlogininfo+2");
        win.hostSays(msg::newplayerinfo(2, "Bob"));
        win.hostSays(msg::existingplayers(1, "Ann"));
        QCOMPARE(label(w, QStringLiteral("label_playername1"))->text(), QStringLiteral("Ann"));
        QCOMPARE(label(w, QStringLiteral("label_playername2"))->text(), QStringLiteral("Bob"));
        win.hostSays(msg::playerdisconnected(1, "Ann"));
        QCOMPARE(label(w, QStringLiteral("label_playername1"))->text(),
                 QStringLiteral("<Waiting>"));
        QVERIFY(!w.StartGame1()->isEnabled());
    }

    void removalMenuFollowsHostingAndEmptySeats()
    {
        QTcpServer host;
        QVERIFY(host.listen(QHostAddress::LocalHost, 0));
        QString startedOn;
        GameWindow win(launchAs(LaunchOptions::Mode::Host, QStringLiteral("Ann"), QString(),
                                host.serverPort()),
                       {}, [&](quint16 port) {
                           startedOn = QString::number(port);
                           return QString();
                       });
        Tchat& w = win.w;
        w.processparams();
        QCOMPARE(startedOn, QString::number(host.serverPort()));
        QVERIFY(w.StartGame1()->isEnabled());
        QVERIFY(test::waitUntil([&] { return host.hasPendingConnections(); }));
        QTcpSocket* peer = host.nextPendingConnection();
        QByteArray got;
        connect(peer, &QTcpSocket::readyRead, [&] { got += peer->readAll(); });
        win.hostSays("CMD_sendlogininfo+1");
        win.hostSays(msg::newplayerinfo(1, "Ann"));
        win.hostSays(msg::newplayerinfo(3, "Cat"));

        QAction* remove = w.popup_kick()->actions().first();
        QCOMPARE(remove->text(), QStringLiteral("Remove From Game"));
        w.prepareKickMenu(2); // an empty seat
        QVERIFY(!remove->isEnabled());
        w.prepareKickMenu(3);
        QVERIFY(remove->isEnabled());
        got.clear();
        remove->trigger();
        QTRY_VERIFY(got.contains("CMD_kickhim+1+3+\xFF"));

        // The chat entry: typing replaces the placeholder, Enter sends.
        QLineEdit* entry = w.mychat();
        QCOMPARE(entry->text(), QStringLiteral("<Enter Chat Here>"));
        QTest::keyClicks(entry, QStringLiteral("hi"));
        QCOMPARE(entry->text(), QStringLiteral("hi"));
        got.clear();
        QTest::keyClick(entry, Qt::Key_Return);
        QCOMPARE(entry->text(), QString());
        QTRY_VERIFY(got.contains("CMD_chat+1+hi|clBlack\xFF"));
    }

    void joiningPlayerCannotRemoveAnybody()
    {
        // Nobody listens on port 1; the window stays as it is.
        GameWindow win(test::joining(QStringLiteral("Bob"), QStringLiteral("127.0.0.1"), 1));
        Tchat& w = win.w;
        w.processparams();
        win.hostSays("CMD_sendlogininfo+2");
        win.hostSays(msg::existingplayers(3, "Cat"));
        w.prepareKickMenu(3);
        QVERIFY(!w.popup_kick()->actions().first()->isEnabled());
        QVERIFY(!w.StartGame1()->isEnabled());
        QVERIFY(
            win.chatText().contains(QStringLiteral("Loading Multi-player Game.. Please Wait.")));
    }
};

QTEST_MAIN(TchatTest)
#include "tchat_test.moc"
