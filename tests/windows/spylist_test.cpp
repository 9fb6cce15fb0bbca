// The spy list window, offscreen: it follows the client connection and
// removes the spy under the pointer.
#include "chat/chatlog.h"
#include "client/clientsession.h"
#include "net/messages.h"
#include "support/testutil.h"
#include "windows/tspylist.h"

#include <QListWidget>
#include <QTcpServer>
#include <QTcpSocket>
#include <QtTest>

using namespace gorse;

class SpyListTest : public QObject
{
    Q_OBJECT
private:
    void hostSays(ClientSession& s, const QByteArray& m)
    {
        s.receiveBytes(frame(m));
        s.processQueued();
    }

private slots:
    void followsTheConnectionAndRemovesByNumber()
    {
        QTcpServer host;
        QVERIFY(host.listen(QHostAddress::LocalHost, 0));
        GameOptions options;
        ChatLog chat(&options);
        ClientSession session(&chat, nullptr, &options);
        session.connectTo(QStringLiteral("127.0.0.1"), host.serverPort(), QStringLiteral("Ann"));
        QVERIFY(test::waitUntil([&] { return host.hasPendingConnections(); }));
        QTcpSocket* peer = host.nextPendingConnection();
        QByteArray got;
        connect(peer, &QTcpSocket::readyRead, [&] { got += peer->readAll(); });
        QVERIFY(test::waitUntil([&] { return session.sock().Connected(); }));

        Tspylist spylist(&session);
        QCOMPARE(spylist.windowTitle(), QStringLiteral("Gorse - Spys"));
        QVERIFY(spylist.windowFlags() & Qt::WindowStaysOnTopHint);
        hostSays(session, "CMD_sendlogininfo+1");
        hostSays(session, msg::newplayerinfo(1, "Ann"));
        // Filled while hidden; two spies of the same name keep their own items.
        hostSays(session, msg::newplayerinfo(7, "Kim: the spy"));
        hostSays(session, msg::newplayerinfo(8, "Kim: the spy"));
        QCOMPARE(spylist.listbox_spys()->count(), 2);
        spylist.show();
        QVERIFY(QTest::qWaitForWindowExposed(&spylist));
        QCOMPARE(spylist.listbox_spys()->item(1)->text(), QStringLiteral("8: Kim: the spy"));

        // Not hosting: the item is disabled and nothing is sent.
        QVERIFY(!spylist.popup_kickhim()->isEnabled());
        session.setHosting(true);
        QVERIFY(spylist.popup_kickhim()->isEnabled());

        // The pointer over the second item, whatever is selected.
        spylist.listbox_spys()->setCurrentRow(0);
        const QRect second =
            spylist.listbox_spys()->visualItemRect(spylist.listbox_spys()->item(1));
        QTest::mouseMove(spylist.listbox_spys()->viewport(), second.center());
        QTRY_COMPARE(spylist.itemUnderPointer(), 1);
        got.clear();
        spylist.popup_kickhimClick();
        QTRY_VERIFY(got.contains("CMD_kickhim+1+8+\xFF"));

        // Over no item: nothing is sent.
        QTest::mouseMove(spylist.listbox_spys()->viewport(),
                         QPoint(5, spylist.listbox_spys()->viewport()->height() - 2));
        QTRY_COMPARE(spylist.itemUnderPointer(), -1);
        got.clear();
        spylist.popup_kickhimClick();
        test::settle(50);
        QVERIFY(got.isEmpty());

        // Each disappears with its own departure.
        hostSays(session, msg::playerdisconnected(8, "Kim: the spy"));
        QCOMPARE(spylist.listbox_spys()->count(), 1);
        QCOMPARE(spylist.listbox_spys()->item(0)->text(), QStringLiteral("7: Kim: the spy"));
    }
};

QTEST_MAIN(SpyListTest)
#include "spylist_test.moc"
