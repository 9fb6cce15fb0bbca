// The spy list window, offscreen: it follows the client connection and
// removes the spy under the pointer.
#include "net/messages.h"
#include "support/clientcore.h"
#include "support/testutil.h"
#include "windows/tspylist.h"

#include <QListWidget>
#include <QtTest>

using namespace gorse;

class SpyListTest : public QObject
{
    Q_OBJECT
private slots:
    void followsTheConnectionAndRemovesByNumber()
    {
        test::ClientCore core;
        QVERIFY(core.connect(QStringLiteral("Ann")));
        QByteArray& got = core.fromClient;

        Tspylist spylist(&core.session);
        QCOMPARE(spylist.windowTitle(), QStringLiteral("Gorse - Spys"));
        QVERIFY(spylist.windowFlags() & Qt::WindowStaysOnTopHint);
        core.hostSays("CMD_sendlogininfo+1");
        core.hostSays(msg::newplayerinfo(1, "Ann"));
        // Filled while hidden; two spies of the same name keep their own items.
        core.hostSays(msg::newplayerinfo(7, "Kim: the spy"));
        core.hostSays(msg::newplayerinfo(8, "Kim: the spy"));
        QCOMPARE(spylist.listbox_spys()->count(), 2);
        spylist.show();
        QVERIFY(QTest::qWaitForWindowExposed(&spylist));
        QCOMPARE(spylist.listbox_spys()->item(1)->text(), QStringLiteral("8: Kim: the spy"));

        // Not hosting: the item is disabled and nothing is sent.
        QVERIFY(!spylist.popup_kickhim()->isEnabled());
        core.session.setHosting(true);
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
        core.hostSays(msg::playerdisconnected(8, "Kim: the spy"));
        QCOMPARE(spylist.listbox_spys()->count(), 1);
        QCOMPARE(spylist.listbox_spys()->item(0)->text(), QStringLiteral("7: Kim: the spy"));
    }
};

QTEST_MAIN(SpyListTest)
#include "spylist_test.moc"
