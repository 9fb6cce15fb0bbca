// The gorse program as players start it: launch modes over loopback and the
// single-instance guard between two processes.
#include "net/messages.h"
#include "support/gorsecopy.h"
#include "support/rawclient.h"
#include "support/testutil.h"

#include <QProcess>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <memory>

using namespace gorse;
using gorse::test::RawClient;
using gorse::test::settle;
using gorse::test::waitUntil;

namespace {

quint16 freePort()
{
    QTcpServer probe;
    probe.listen(QHostAddress::AnyIPv4, 0);
    return probe.serverPort();
}

// One gorse process with its own runtime folder, so that its single-instance
// guard does not meet other copies, run from a folder of its own, so that
// the files it keeps beside itself are not the build folder's.
class Gorse
{
public:
    explicit Gorse(const QString& runtimeDir = QString()) : m_runtime(runtimeDir)
    {
        if (m_runtime.isEmpty()) {
            m_ownDir = std::make_unique<QTemporaryDir>();
            m_runtime = m_ownDir->path();
        }
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        env.insert(QStringLiteral("XDG_RUNTIME_DIR"), m_runtime);
        m_process.setProcessEnvironment(env);
        QObject::connect(&m_process, &QProcess::readyReadStandardError,
                         [this] { m_stderr += m_process.readAllStandardError(); });
    }
    ~Gorse()
    {
        if (m_process.state() != QProcess::NotRunning) {
            m_process.kill();
            m_process.waitForFinished(5000);
        }
    }
    void start(const QStringList& args)
    {
        ASSERT_TRUE(m_copy.isValid());
        m_process.start(m_copy.program(), args);
        ASSERT_TRUE(m_process.waitForStarted(5000));
    }
    bool waitExited(int ms = 10000)
    {
        return waitUntil([this] { return m_process.state() == QProcess::NotRunning; }, ms);
    }
    bool running() const { return m_process.state() == QProcess::Running; }
    QString runtime() const { return m_runtime; }
    QByteArray stderrText() const { return m_stderr; }
    QProcess& process() { return m_process; }

private:
    test::GorseCopy m_copy;
    std::unique_ptr<QTemporaryDir> m_ownDir;
    QString m_runtime;
    QProcess m_process;
    QByteArray m_stderr;
};

// Connects to a listener that may take a moment to start.
bool connectWhenUp(RawClient& client, quint16 port)
{
    return waitUntil(
        [&] {
            if (client.socket.state() == QAbstractSocket::ConnectedState)
                return true;
            client.socket.abort();
            return client.connectTo(port, QStringLiteral("127.0.0.1"), 300);
        },
        15000);
}

} // namespace

TEST(GorseProcess, HostModeListensAndItsOwnClientIsConnectionOne)
{
    const quint16 port = freePort();
    Gorse ann;
    ann.start({QStringLiteral("--port"), QString::number(port), QStringLiteral("--no-announce"),
               QStringLiteral("Ann"), QStringLiteral("127.0.0.2"), QStringLiteral("true")});
    RawClient bob;
    ASSERT_TRUE(connectWhenUp(bob, port));
    // The host's own client arrived first and holds number 1.
    ASSERT_FALSE(bob.waitForPrefix("CMD_sendlogininfo+").isEmpty());
    EXPECT_EQ(bob.messages.first(), "CMD_sendlogininfo+2");
    bob.send(msg::logininfo(2, kVersionText, "Bob"));
    // The host's own client may still be logging in when Bob arrives: then
    // its name comes with its own login instead.
    const QByteArray existing = bob.waitForPrefix("CMD_existingplayers+");
    if (existing != "CMD_existingplayers+1+Ann") {
        EXPECT_EQ(existing, "CMD_existingplayers+1+");
        EXPECT_EQ(bob.waitForPrefix("CMD_newplayerinfo+1+"), "CMD_newplayerinfo+1+Ann");
    }
    // Host mode listens on every address of this machine.
    RawClient elsewhere;
    EXPECT_TRUE(elsewhere.connectTo(port, QStringLiteral("127.0.0.2")));
    // The host saw its first connection come from 127.0.0.1, not 127.0.0.2.
    EXPECT_TRUE(waitUntil([&] {
        return ann.stderrText().contains("event=connect conn=1 peer=127.0.0.1 ");
    })) << ann.stderrText().toStdString();
    EXPECT_TRUE(ann.running());
}

TEST(GorseProcess, SoloGameHostsAsYou)
{
    const quint16 port = freePort();
    Gorse solo;
    solo.start({QStringLiteral("--port"), QString::number(port)});
    RawClient other;
    ASSERT_TRUE(connectWhenUp(other, port));
    ASSERT_EQ(other.waitForPrefix("CMD_sendlogininfo+"), "CMD_sendlogininfo+2");
    other.send(msg::logininfo(2, kVersionText, "Bob"));
    // The solo copy's own client may still be logging in when Bob arrives:
    // then its name comes with its own login instead.
    const QByteArray existing = other.waitForPrefix("CMD_existingplayers+");
    if (existing != "CMD_existingplayers+1+You") {
        EXPECT_EQ(existing, "CMD_existingplayers+1+");
        EXPECT_EQ(other.waitForPrefix("CMD_newplayerinfo+1+"), "CMD_newplayerinfo+1+You");
    }
    // A solo game listens on 127.0.0.1 only: another address of this
    // machine finds nobody there.
    RawClient elsewhere;
    EXPECT_FALSE(elsewhere.connectTo(port, QStringLiteral("127.0.0.2"), 2000));
}

TEST(GorseProcess, JoinModeConnectsToTheGivenAddressAndLogsIn)
{
    const quint16 port = freePort();
    QTcpServer host;
    ASSERT_TRUE(host.listen(QHostAddress(QStringLiteral("127.0.0.2")), port));
    // The side connection to the lobby, when that port is free here.
    QTcpServer lobby;
    const bool lobbyListens = lobby.listen(QHostAddress::LocalHost, 9001);

    Gorse bob;
    bob.start({QStringLiteral("--port"), QString::number(port), QStringLiteral("B+ob"),
               QStringLiteral("127.0.0.2"), QStringLiteral("false")});
    ASSERT_TRUE(waitUntil([&] { return host.hasPendingConnections(); }, 15000));
    QTcpSocket* peer = host.nextPendingConnection();
    QByteArray got;
    QObject::connect(peer, &QTcpSocket::readyRead, [&] { got += peer->readAll(); });
    peer->write(frame(msg::sendlogininfo(5)));
    const QByteArray expected("CMD_logininfo+5+1.2.0+Bob\xFF\xFF");
    ASSERT_TRUE(waitUntil([&] { return got.size() >= expected.size(); }));
    EXPECT_EQ(got, expected);
    if (lobbyListens) {
        EXPECT_TRUE(waitUntil([&] { return lobby.hasPendingConnections(); }));
    }
}

TEST(GorseProcess, TwoArgumentsConnectNowhere)
{
    const quint16 port = freePort();
    QTcpServer host;
    ASSERT_TRUE(host.listen(QHostAddress(QStringLiteral("127.0.0.2")), port));
    Gorse ann;
    ann.start({QStringLiteral("--port"), QString::number(port), QStringLiteral("Ann"),
               QStringLiteral("127.0.0.2")});
    settle(1500);
    EXPECT_FALSE(host.hasPendingConnections());
    EXPECT_TRUE(ann.running());
    // Nor does it host.
    QTcpSocket probe;
    probe.connectToHost(QStringLiteral("127.0.0.1"), port);
    EXPECT_FALSE(probe.waitForConnected(500));
}

TEST(GorseProcess, SecondCopyRaisesTheFirstAndEndsAndACrashLeavesNothingBehind)
{
    const quint16 port = freePort();
    const QStringList args{QStringLiteral("--port"), QString::number(port), QStringLiteral("Ann"),
                           QStringLiteral("127.0.0.2")};
    Gorse first;
    first.start(args);
    settle(1000);
    ASSERT_TRUE(first.running());

    Gorse second(first.runtime());
    second.start(args);
    ASSERT_TRUE(second.waitExited());
    EXPECT_EQ(second.process().exitCode(), 0);
    EXPECT_TRUE(second.stderrText().contains("already running"));
    EXPECT_TRUE(waitUntil([&] { return first.stderrText().contains("brought to the front"); }));

    // A copy started with another runtime folder runs beside it.
    Gorse elsewhere;
    elsewhere.start(args);
    settle(1000);
    EXPECT_TRUE(elsewhere.running());

    // After a crash the next copy starts normally.
    first.process().kill();
    ASSERT_TRUE(first.waitExited());
    Gorse next(first.runtime());
    next.start(args);
    settle(1500);
    EXPECT_TRUE(next.running()) << next.stderrText().toStdString();
}

TEST(GorseProcess, APortTakenByAnotherProgramStopsHostingAndConnectsNowhere)
{
    // Another program (this test) already listens on the port.
    QTcpServer stranger;
    ASSERT_TRUE(stranger.listen(QHostAddress::AnyIPv4, 0));
    const QString port = QString::number(stranger.serverPort());
    const QStringList hosting{QStringLiteral("--port"), port, QStringLiteral("Ann"),
                              QStringLiteral("127.0.0.1"), QStringLiteral("true")};
    const QStringList solo{QStringLiteral("--port"), port};
    for (const QStringList& args : {hosting, solo}) {
        Gorse copy;
        copy.start(args);
        ASSERT_TRUE(waitUntil(
            [&] { return copy.stderrText().contains("cannot host on port " + port.toUtf8()); },
            15000))
            << copy.stderrText().toStdString();
        settle(500);
        // Nothing of this copy's knocked at the stranger's door, and the copy
        // still runs, showing why.
        EXPECT_FALSE(stranger.hasPendingConnections());
        EXPECT_TRUE(copy.running());
    }
}
