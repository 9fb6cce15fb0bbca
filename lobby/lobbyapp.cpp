#include "lobby/lobbyapp.h"

#include "launch/instanceguard.h"
#include "lobby/lobbysettings.h"
#include "lobby/lobbywindow.h"
#include "lobby/tablefinder.h"
#include "settings/paths.h"
#include "settings/settingsfile.h"
#include "windows/tdownload.h"

#include <QApplication>
#include <QDir>
#include <cstdio>

namespace gorse {

namespace {

// The options every game started by the lobby carries on.
QStringList commonArguments(const LaunchOptions& options)
{
    QStringList arguments;
    if (options.announcePort != kDiscoveryPort)
        arguments << QStringLiteral("--announce-port") << QString::number(options.announcePort);
    if (!options.announceTo.isEmpty())
        arguments << QStringLiteral("--announce-to") << options.announceTo;
    return arguments;
}

} // namespace

GameStarter startReleasingGuard(InstanceGuard* guard)
{
    return [guard](const QString& program, const QStringList& arguments) {
        guard->release();
        if (startDetachedProgram(program, arguments))
            return true;
        guard->claim();
        return false;
    };
}

int runLobby(const LaunchOptions& options, InstanceGuard* guard)
{
    LobbySettings settings(SettingsFile::defaultPath());
    const QString loadError = settings.load();
    if (!loadError.isEmpty())
        std::fprintf(stderr, "gorse lobby: %s\n", qPrintable(loadError));

    TableFinder finder(options.discoveryEndpoints());
    Lobby lobby(&settings, &finder, QCoreApplication::applicationFilePath(),
                startReleasingGuard(guard));
    lobby.setCommonArguments(commonArguments(options));
    if (options.hostEnded)
        lobby.setNotice(QStringLiteral("The host has ended the game."));

    // The window's title stands alone, without the game's name after it.
    QGuiApplication::setApplicationDisplayName(QStringLiteral("Gorse Lobby"));
    LobbyWindow window(&lobby);
    QObject::connect(guard, &InstanceGuard::raiseRequested, &window, [&window] {
        window.showNormal();
        window.raise();
        window.activateWindow();
    });
    QApplication::setQuitOnLastWindowClosed(true);
    window.show();
    const QString listenError = finder.start();
    if (!listenError.isEmpty())
        std::fprintf(stderr, "gorse lobby: %s\n", qPrintable(listenError));
    return QApplication::exec();
}

void reopenLobby(const LaunchOptions& options, InstanceGuard* guard, bool hostEnded)
{
    QStringList arguments{QStringLiteral("--lobby")};
    if (hostEnded)
        arguments << QStringLiteral("--host-ended");
    arguments << commonArguments(options);
    if (!startReleasingGuard(guard)(QCoreApplication::applicationFilePath(), arguments))
        std::fprintf(stderr, "gorse: could not open the lobby again\n");
}

} // namespace gorse
