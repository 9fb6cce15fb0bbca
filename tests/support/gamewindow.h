#pragma once

// The main window as the game builds it, for widget tests: the player's
// options, the client core and the window on it.

#include "app/tchat.h"
#include "settings/gameoptions.h"
#include "support/clientcore.h"

namespace gorse::test {

// Launch options of a mode; joining and hosting name a player, an address
// and a port.
inline LaunchOptions launchAs(LaunchOptions::Mode mode, const QString& name = QString(),
                              const QString& host = QString(), quint16 port = 0)
{
    LaunchOptions o;
    o.mode = mode;
    o.playerName = name;
    o.hostAddress = host;
    o.port = port;
    return o;
}

inline LaunchOptions joining(const QString& name, const QString& host, quint16 port)
{
    return launchAs(LaunchOptions::Mode::Join, name, host, port);
}

// A main window on a client core of its own. The options are the window's
// own unless a test hands in others.
struct GameWindow
{
    explicit GameWindow(const LaunchOptions& launch = launchAs(LaunchOptions::Mode::None),
                        GameClientServices services = {}, HostStarter startHost = HostStarter(),
                        GameOptions* givenOptions = nullptr)
        : options(givenOptions ? *givenOptions : ownOptions), client(&options, services),
          w(launch, std::move(startHost), &client)
    {
    }

    ClientSession* session() { return client.session(); }
    Board* board() { return client.board(); }
    ChatLog* chat() { return client.chat(); }
    QString chatText() { return client.chat()->plainText(); }
    void hostSays(const QByteArray& message) { test::hostSays(*client.session(), message); }

    GameOptions ownOptions;
    GameOptions& options;
    GameClient client;
    Tchat w;
};

} // namespace gorse::test
