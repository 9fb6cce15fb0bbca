// The lobby end to end with real programs: a gorse-host announces its table
// (to 127.0.0.1 only), a lobby lists it, "Join" starts a gorse that logs in,
// and when the host ends the game that gorse opens the lobby again.
#include "launch/instanceguard.h"
#include "lobby/lobby.h"
#include "lobby/lobbyapp.h"
#include "lobby/lobbysettings.h"
#include "lobby/tablefinder.h"
#include "support/gorsecopy.h"
#include "support/testutil.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocalSocket>
#include <QNetworkDatagram>
#include <QProcess>
#include <QTemporaryDir>
#include <QUdpSocket>
#include <csignal>
#include <gtest/gtest.h>
#include <memory>
#include <sys/socket.h>

using namespace gorse;
using namespace gorse::test;

namespace {

const QHostAddress kLoopback(QHostAddress::LocalHost);

QProcessEnvironment environmentWith(const QString& runtimeDir)
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    env.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtimeDir);
    return env;
}

// A program of ours (by its name in the build, or its path) with its
// standard error collected.
struct Program : QProcess
{
    QByteArray log;

    Program(const QString& name, const QStringList& arguments, const QString& runtimeDir)
    {
        setProcessEnvironment(environmentWith(runtimeDir));
        connect(this, &QProcess::readyReadStandardError, [this] { log += readAllStandardError(); });
        start(QDir::isAbsolutePath(name) ? name : binDir() + u'/' + name, arguments);
        EXPECT_TRUE(waitForStarted(5000)) << name.toStdString();
    }
    ~Program() override
    {
        if (state() != NotRunning) {
            kill();
            waitForFinished(5000);
        }
    }
    bool says(const QByteArray& text, int ms = 20000)
    {
        return waitUntil([&] { return log.contains(text); }, ms);
    }
};

// The process that holds the single-instance guard of a runtime folder, as
// the kernel reports the peer of a connection to it; 0 when none does.
pid_t guardHolder(const QString& runtimeDir)
{
    const QByteArray saved = qgetenv("XDG_RUNTIME_DIR");
    qputenv("XDG_RUNTIME_DIR", runtimeDir.toLocal8Bit());
    const QString name = InstanceGuard::defaultName();
    qputenv("XDG_RUNTIME_DIR", saved);
    QLocalSocket socket;
    socket.setSocketOptions(QLocalSocket::AbstractNamespaceOption);
    socket.connectToServer(name);
    if (!socket.waitForConnected(1000))
        return 0;
    ucred peer{};
    socklen_t size = sizeof peer;
    if (getsockopt(int(socket.socketDescriptor()), SOL_SOCKET, SO_PEERCRED, &peer, &size) != 0)
        return 0;
    return peer.pid;
}

QByteArray commandLineOf(pid_t pid)
{
    QFile file(QStringLiteral("/proc/%1/cmdline").arg(pid));
    if (!file.open(QIODevice::ReadOnly))
        return QByteArray();
    return file.readAll().replace('\0', ' ');
}

} // namespace

TEST(LobbyProcess, AnAnnouncedTableIsJoinedWithOneClickAndItsEndReopensTheLobby)
{
    QTemporaryDir runtime;
    QTemporaryDir data;
    // Where the lobbies' queries go: nobody answers, the test only listens.
    QUdpSocket queries;
    ASSERT_TRUE(queries.bind(kLoopback, 0));
    DiscoveryEndpoints endpoints;
    endpoints.bindAddress = kLoopback;
    endpoints.bindPort = 0;
    endpoints.targets = {kLoopback};
    endpoints.targetPort = queries.localPort();
    TableFinder finder(endpoints);
    ASSERT_EQ(finder.start(), QString());

    auto host = std::make_unique<Program>(
        QStringLiteral("gorse-host"),
        QStringList{QStringLiteral("--port"), QStringLiteral("0"),
                    QStringLiteral("--announce-port"), QStringLiteral("0"),
                    QStringLiteral("--announce-to"),
                    QStringLiteral("127.0.0.1:%1").arg(finder.listenPort()),
                    QStringLiteral("--table-name"), QStringLiteral("Table for six")},
        runtime.path());
    ASSERT_TRUE(waitUntil([&] { return finder.tables()->size() == 1; })) << host->log.data();
    EXPECT_EQ(finder.tables()->at(0).table.name, QStringLiteral("Table for six"));
    EXPECT_EQ(finder.tables()->at(0).address, kLoopback);
    EXPECT_EQ(finder.tables()->at(0).table.freeSeats(), kSeatCount);

    // "Join": the game starts as its own process, as the lobby would start it.
    LobbySettings settings(data.filePath(QStringLiteral("velmarlobby.ini")));
    std::unique_ptr<Program> game;
    // The game, and the lobby it reopens, keep their files beside a copy.
    GorseCopy gorse;
    ASSERT_TRUE(gorse.isValid());
    Lobby lobby(&settings, &finder, gorse.program(),
                [&](const QString& program, const QStringList& arguments) {
                    game = std::make_unique<Program>(program, arguments, runtime.path());
                    return true;
                });
    // The game, and the lobby it reopens, announce and ask only on loopback.
    lobby.setCommonArguments({QStringLiteral("--announce-port"), QStringLiteral("0"),
                              QStringLiteral("--announce-to"),
                              QStringLiteral("127.0.0.1:%1").arg(queries.localPort())});
    lobby.setPlayerName(QStringLiteral("Cleo"));
    ASSERT_TRUE(lobby.joinTable(0));
    ASSERT_TRUE(game);
    ASSERT_TRUE(host->says("event=login conn=1 name=Cleo ")) << host->log.data();
    // The host announces the change; the list shows the player at once.
    EXPECT_TRUE(waitUntil([&] {
        return finder.tables()->size() == 1 &&
               finder.tables()->at(0).table.seatedNames() == QStringList{QStringLiteral("Cleo")};
    }));

    // The host ends: the joined game closes and opens the lobby again.
    ::kill(pid_t(host->processId()), SIGTERM);
    ASSERT_TRUE(host->waitForFinished(20000));
    ASSERT_TRUE(game->waitForFinished(20000)) << game->log.data();
    EXPECT_EQ(game->exitCode(), 0);
    // The reopened lobby asks for tables where it was told to.
    ASSERT_TRUE(waitUntil([&] { return queries.hasPendingDatagrams(); }));
    const auto query = parseDatagram(queries.receiveDatagram().data());
    ASSERT_TRUE(query.has_value());
    EXPECT_EQ(query->kind, Datagram::Kind::Query);
    // It holds the guard, so a game it starts can only come after it.
    pid_t reopened = 0;
    ASSERT_TRUE(waitUntil([&] { return (reopened = guardHolder(runtime.path())) > 0; }));
    const QByteArray commandLine = commandLineOf(reopened);
    EXPECT_TRUE(commandLine.contains(" --lobby --host-ended ")) << commandLine.data();
    ::kill(reopened, SIGTERM);
    EXPECT_TRUE(waitUntil([&] { return guardHolder(runtime.path()) == 0; }));
}

TEST(LobbyProcess, TheStarterLetsTheStartedCopyTakeTheGuard)
{
    QTemporaryDir runtime;
    InstanceGuard guard(QStringLiteral("gorse-test-") + QFileInfo(runtime.path()).fileName());
    ASSERT_TRUE(guard.claim());
    const GameStarter start = startReleasingGuard(&guard);
    // A start that fails keeps the guard.
    EXPECT_FALSE(start(runtime.filePath(QStringLiteral("no-such-program")), {}));
    EXPECT_TRUE(guard.held());
    // One that works gives it up for the new copy.
    EXPECT_TRUE(start(QStringLiteral("/bin/true"), {}));
    EXPECT_FALSE(guard.held());
    InstanceGuard newCopy(guard.name());
    EXPECT_TRUE(newCopy.claim());
}
