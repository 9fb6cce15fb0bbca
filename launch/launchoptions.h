#pragma once

#include "net/tableannounce.h"

#include <QString>
#include <QStringList>
#include <optional>

namespace gorse {

// The game's TCP port unless --port says otherwise.
inline constexpr quint16 kGamePort = 7772;

// How this copy was started: what the positional arguments say, and the
// options taken out of the command line before they were read.
struct LaunchOptions
{
    // Lobby: the window that finds tables and starts the game in one of the
    // other modes as a new process.
    enum class Mode { Solo, Host, Join, None, Lobby };

    Mode mode = Mode::Solo;
    QString playerName;  // empty in the None mode (left as it was)
    QString hostAddress; // kept in the Host mode, though not used for connecting
    QStringList positional;
    quint16 port = kGamePort;
    std::optional<quint64> seed;
    QString wordsFile;
    QString lobbyUrl;       // where the lobby download window downloads from
    bool fromLobby = false; // started by our lobby: a host that ends the game reopens it
    bool hostEnded = false; // the lobby opens after the host ended the game
    bool announce = true;   // a hosting copy tells lobbies on the network about its table
    quint16 announcePort = kDiscoveryPort; // UDP: table announcements and lobby queries
    QString announceTo;     // "ADDRESS[:PORT]": the only place announcements and queries go
    int webPort = 0;        // a hosting copy serves the web client on this port (0: it does not)
    QStringList webOrigins; // origins besides the web port's own whose pages may connect
    bool help = false;      // --help: print the usage and end
    bool version = false;   // --version: print the version and end

    // True when started from the command line (host or join), which also opens
    // the side connection.
    bool fromCommandLine() const { return mode == Mode::Host || mode == Mode::Join; }
    bool hosts() const { return mode == Mode::Solo || mode == Mode::Host; }
    // Where announcements and lobby queries go; the options were checked,
    // so the address reads.
    DiscoveryEndpoints discoveryEndpoints() const;
};

// Reads the arguments after the program name. "--port N", "--seed S",
// "--words FILE", "--lobby-url URL", "--announce-port N",
// "--announce-to ADDRESS[:PORT]", "--web PORT", "--web-origin ORIGIN" and the
// flags "--lobby", "--from-lobby", "--host-ended", "--no-announce", "--help"
// and "--version" may stand anywhere and are removed before the positional
// arguments (player name, host address, "true" to host) are read; after "--"
// every argument is positional, so a name may begin with "-". Returns an error text for a
// malformed or unknown option.
std::optional<LaunchOptions> parseLaunchOptions(const QStringList& args, QString* error = nullptr);

// The usage text for --help and option errors.
QString launchUsage();

} // namespace gorse
