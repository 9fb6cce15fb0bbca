// The "Gorse Lobby" window, offscreen: what it shows and what its clicks
// start (recorded by an injected starter; nothing is started). Its finder
// listens on 127.0.0.1 and asks only 127.0.0.1.
#include "lobby/lobby.h"
#include "lobby/lobbysettings.h"
#include "lobby/lobbywindow.h"
#include "lobby/tablefinder.h"
#include "support/testutil.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTableView>
#include <QTemporaryDir>
#include <QUdpSocket>
#include <QtTest>

using namespace gorse;

namespace {

template <typename W> W* child(QWidget& w, const char* name)
{
    W* found = w.findChild<W*>(QLatin1String(name));
    if (!found)
        qFatal("no %s", name);
    return found;
}

struct WindowRig
{
    QTemporaryDir dir;
    QUdpSocket nobody; // the finder's query goes here and is not answered
    LobbySettings settings{dir.filePath(QStringLiteral("velmarlobby.ini"))};
    std::unique_ptr<TableFinder> finder;
    std::unique_ptr<Lobby> lobby;
    std::unique_ptr<LobbyWindow> window;
    QList<QStringList> started;

    explicit WindowRig(const QString& storedName = QString())
    {
        if (!storedName.isEmpty())
            settings.setPlayerName(storedName);
        nobody.bind(QHostAddress::LocalHost, 0);
        DiscoveryEndpoints e;
        e.bindAddress = QHostAddress(QHostAddress::LocalHost);
        e.bindPort = 0;
        e.targets = {QHostAddress(QHostAddress::LocalHost)};
        e.targetPort = nobody.localPort();
        finder = std::make_unique<TableFinder>(e);
        lobby = std::make_unique<Lobby>(&settings, finder.get(), QStringLiteral("gorse"),
                                        [this](const QString&, const QStringList& a) {
                                            started.append(a);
                                            return true;
                                        });
        window = std::make_unique<LobbyWindow>(lobby.get());
        window->show();
        finder->start();
    }
    QWidget& w() { return *window; }
};

TableAnnouncement table(const QString& id, const QString& name, quint16 port)
{
    TableAnnouncement t;
    t.id = id;
    t.name = name;
    t.port = port;
    t.seats[0] = name;
    return t;
}

} // namespace

class LobbyWindowTest : public QObject
{
    Q_OBJECT
private slots:
    void showsTheRememberedNameAndTheSearch()
    {
        WindowRig rig(QStringLiteral("Ann"));
        QCOMPARE(rig.w().windowTitle(), QStringLiteral("Gorse Lobby"));
        QCOMPARE(child<QLineEdit>(rig.w(), "edit_name")->text(), QStringLiteral("Ann"));
        QLabel* status = child<QLabel>(rig.w(), "label_status");
        QCOMPARE(status->text(), QStringLiteral("Looking for tables on your network..."));
        QVERIFY(!child<QLabel>(rig.w(), "label_notice")->isVisible());
        // Nobody answers: the window says so, and how to go on.
        QVERIFY(test::waitUntil(
            [&] { return status->text().startsWith(QStringLiteral("No tables found")); }));
        QVERIFY(status->text().contains(QStringLiteral("Host a game yourself")));
    }

    void selectingATableFillsTheAddressAndJoinStartsIt()
    {
        WindowRig rig(QStringLiteral("Ann"));
        TableList* tables = rig.finder->tables();
        tables->heard(table(QStringLiteral("a"), QStringLiteral("Bob"), 7772),
                      QHostAddress(QStringLiteral("192.0.2.4")), 0);
        tables->heard(table(QStringLiteral("b"), QStringLiteral("Cy"), 7790),
                      QHostAddress(QStringLiteral("192.0.2.5")), 0);
        QTableView* view = child<QTableView>(rig.w(), "list_tables");
        QCOMPARE(view->model()->rowCount(), 2);
        QCOMPARE(child<QLabel>(rig.w(), "label_status")->text(),
                 QStringLiteral("2 tables found on your network."));
        view->selectRow(1);
        QCOMPARE(child<QComboBox>(rig.w(), "combo_address")->currentText(),
                 QStringLiteral("192.0.2.5"));
        QCOMPARE(child<QSpinBox>(rig.w(), "spin_port")->value(), 7790);
        QTest::mouseClick(child<QPushButton>(rig.w(), "button_join"), Qt::LeftButton);
        QCOMPARE(rig.started.size(), 1);
        QCOMPARE(
            rig.started.first(),
            QString::fromLatin1("--port 7790 --from-lobby -- Ann 192.0.2.5 false").split(u' '));
        // The lobby closes once the game runs.
        QVERIFY(!rig.window->isVisible());
    }

    void aTypedAddressAndTheHostAndSoloButtons()
    {
        {
            WindowRig rig;
            QLineEdit* name = child<QLineEdit>(rig.w(), "edit_name");
            // Without a name nothing starts; the window says why.
            QTest::mouseClick(child<QPushButton>(rig.w(), "button_host"), Qt::LeftButton);
            QVERIFY(rig.started.isEmpty());
            QLabel* notice = child<QLabel>(rig.w(), "label_notice");
            QVERIFY(notice->isVisible());
            QCOMPARE(notice->text(), QStringLiteral("Please type your name first."));

            QTest::keyClicks(name, QStringLiteral("Dee"));
            QComboBox* address = child<QComboBox>(rig.w(), "combo_address");
            QTest::keyClicks(address->lineEdit(), QStringLiteral("games.example.org:7800"));
            QTest::keyClick(address->lineEdit(), Qt::Key_Return);
            QCOMPARE(rig.started.size(), 1);
            QCOMPARE(rig.started.first(),
                     QString::fromLatin1("--port 7800 --from-lobby -- Dee games.example.org false")
                         .split(u' '));
        }
        {
            WindowRig rig(QStringLiteral("Dee"));
            child<QSpinBox>(rig.w(), "spin_hostport")->setValue(7801);
            QTest::mouseClick(child<QPushButton>(rig.w(), "button_host"), Qt::LeftButton);
            QCOMPARE(
                rig.started.value(0),
                QString::fromLatin1("--port 7801 --from-lobby -- Dee 127.0.0.1 true").split(u' '));
        }
        {
            WindowRig rig;
            QTest::mouseClick(child<QPushButton>(rig.w(), "button_solo"), Qt::LeftButton);
            QCOMPARE(rig.started.value(0), QStringList{QStringLiteral("--from-lobby")});
        }
    }

    void theRecentAddressesAreOffered()
    {
        WindowRig rig;
        rig.settings.addRecent(QStringLiteral("192.0.2.8:7781"));
        rig.settings.addRecent(QStringLiteral("192.0.2.9"));
        // A new window reads them.
        LobbyWindow window(rig.lobby.get());
        QComboBox* address = child<QComboBox>(window, "combo_address");
        QCOMPARE(address->count(), 2);
        QCOMPARE(address->itemText(0), QStringLiteral("192.0.2.9"));
        QCOMPARE(address->currentText(), QString());
        child<QSpinBox>(window, "spin_port")->setValue(7999);
        address->setCurrentIndex(1);
        emit address->activated(1);
        // The port box does not contradict the remembered port.
        QCOMPARE(child<QSpinBox>(window, "spin_port")->value(), 7772);
        rig.lobby->setPlayerName(QStringLiteral("Eve"));
        QTest::mouseClick(child<QPushButton>(window, "button_join"), Qt::LeftButton);
        QCOMPARE(
            rig.started.value(0),
            QString::fromLatin1("--port 7781 --from-lobby -- Eve 192.0.2.8 false").split(u' '));
    }

    void aNoticeFromTheGameIsShown()
    {
        WindowRig rig(QStringLiteral("Ann"));
        rig.lobby->setNotice(QStringLiteral("The host has ended the game."));
        QLabel* notice = child<QLabel>(rig.w(), "label_notice");
        QVERIFY(notice->isVisible());
        QCOMPARE(notice->text(), QStringLiteral("The host has ended the game."));
        // Set before the window opens, as the lobby started by the game does.
        LobbyWindow window(rig.lobby.get());
        QVERIFY(!child<QLabel>(window, "label_notice")->isHidden());
        QCOMPARE(child<QLabel>(window, "label_notice")->text(),
                 QStringLiteral("The host has ended the game."));
    }
};

QTEST_MAIN(LobbyWindowTest)
#include "lobbywindow_test.moc"
