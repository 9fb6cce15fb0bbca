// The main window, offscreen: seat rows, the removal menu and the chat entry.
#include "app/tchat.h"
#include "chat/chatlog.h"
#include "client/clientsession.h"
#include "net/messages.h"
#include "settings/gameoptions.h"
#include "support/testutil.h"

#include <QAction>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QTcpServer>
#include <QTcpSocket>
#include <QtTest>

using namespace gorse;

class TchatTest : public QObject
{
    Q_OBJECT
private:
    void hostSays(Tchat& w, const QByteArray& m)
    {
        w.session()->receiveBytes(frame(m));
        w.session()->processQueued();
    }
    QLabel* label(Tchat& w, const QString& name) { return w.findChild<QLabel*>(name); }

private slots:
    void windowShapeAndSeatRows()
    {
        LaunchOptions none;
        none.mode = LaunchOptions::Mode::None;
        GameOptions options;
        Tchat w(none, HostStarter(), &options, nullptr);
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
        hostSays(w, "CMD_sendlogininfo+2");
        hostSays(w, msg::newplayerinfo(2, "Bob"));
        hostSays(w, msg::existingplayers(1, "Ann"));
        QCOMPARE(label(w, QStringLiteral("label_playername1"))->text(), QStringLiteral("Ann"));
        QCOMPARE(label(w, QStringLiteral("label_playername2"))->text(), QStringLiteral("Bob"));
        hostSays(w, msg::playerdisconnected(1, "Ann"));
        QCOMPARE(label(w, QStringLiteral("label_playername1"))->text(),
                 QStringLiteral("<Waiting>"));
        QVERIFY(!w.StartGame1()->isEnabled());
    }

    void removalMenuFollowsHostingAndEmptySeats()
    {
        QTcpServer host;
        QVERIFY(host.listen(QHostAddress::LocalHost, 0));
        LaunchOptions opts;
        opts.mode = LaunchOptions::Mode::Host;
        opts.playerName = QStringLiteral("Ann");
        opts.port = host.serverPort();
        QString startedOn;
        GameOptions options;
        Tchat w(
            opts,
            [&](quint16 port) {
                startedOn = QString::number(port);
                return QString();
            },
            &options, nullptr);
        w.processparams();
        QCOMPARE(startedOn, QString::number(host.serverPort()));
        QVERIFY(w.StartGame1()->isEnabled());
        QVERIFY(test::waitUntil([&] { return host.hasPendingConnections(); }));
        QTcpSocket* peer = host.nextPendingConnection();
        QByteArray got;
        connect(peer, &QTcpSocket::readyRead, [&] { got += peer->readAll(); });
        hostSays(w, "CMD_sendlogininfo+1");
        hostSays(w, msg::newplayerinfo(1, "Ann"));
        hostSays(w, msg::newplayerinfo(3, "Cat"));

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
        LaunchOptions opts;
        opts.mode = LaunchOptions::Mode::Join;
        opts.playerName = QStringLiteral("Bob");
        opts.hostAddress = QStringLiteral("127.0.0.1");
        opts.port = 1; // nobody listens; the window stays as it is
        GameOptions options;
        Tchat w(opts, HostStarter(), &options, nullptr);
        w.processparams();
        hostSays(w, "CMD_sendlogininfo+2");
        hostSays(w, msg::existingplayers(3, "Cat"));
        w.prepareKickMenu(3);
        QVERIFY(!w.popup_kick()->actions().first()->isEnabled());
        QVERIFY(!w.StartGame1()->isEnabled());
        QVERIFY(w.chatLog()->plainText().contains(
            QStringLiteral("Loading Multi-player Game.. Please Wait.")));
    }
};

QTEST_MAIN(TchatTest)
#include "tchat_test.moc"
