#include "launch/launchoptions.h"

#include "net/messages.h"

#include <QUrl>

namespace gorse {

QString launchUsage()
{
    return QStringLiteral(
        "Usage: gorse [--port N] [--seed S] [--words FILE] [--lobby-url URL]\n"
        "             [--announce-port N] [--announce-to ADDRESS[:PORT]]\n"
        "             [--no-announce] [--from-lobby]\n"
        "             [--] [NAME HOST true|false]\n"
        "       gorse --lobby [--announce-port N] [--announce-to ADDRESS[:PORT]]\n"
        "  no arguments         play a solo game as \"You\"\n"
        "  --lobby              open the lobby: find tables on the network, host or join\n"
        "  NAME HOST true       host a game as NAME (HOST is not used for connecting)\n"
        "  NAME HOST false      join the game hosted at HOST as NAME\n"
        "  --port N             use port N instead of 7772 for hosting and joining\n"
        "  --seed S             deal cards from a fixed random seed (when hosting)\n"
        "  --words FILE         check words against FILE instead of the built-in list\n"
        "  --lobby-url URL      download the lobby from URL (http or https)\n"
        "  --announce-port N    UDP port of table announcements (default 7773)\n"
        "  --announce-to A[:P]  announce to, or ask, this address only (no broadcast)\n"
        "  --no-announce        when hosting: do not announce the table on the network\n"
        "  --from-lobby         when joining: reopen the lobby if the host ends the game\n"
        "  --version            print the version and exit\n");
}

std::optional<LaunchOptions> parseLaunchOptions(const QStringList& args, QString* error)
{
    auto fail = [error](const QString& text) -> std::optional<LaunchOptions> {
        if (error)
            *error = text;
        return std::nullopt;
    };
    LaunchOptions options;
    bool lobby = false;
    bool onlyPositional = false;
    for (qsizetype i = 0; i < args.size(); ++i) {
        const QString& arg = args.at(i);
        if (onlyPositional) {
            options.positional.append(arg);
            continue;
        }
        if (arg == QLatin1String("--")) {
            onlyPositional = true;
            continue;
        }
        if (arg == QLatin1String("--lobby")) {
            lobby = true;
            continue;
        }
        if (arg == QLatin1String("--from-lobby")) {
            options.fromLobby = true;
            continue;
        }
        if (arg == QLatin1String("--host-ended")) {
            options.hostEnded = true;
            continue;
        }
        if (arg == QLatin1String("--no-announce")) {
            options.announce = false;
            continue;
        }
        const bool takesValue =
            arg == QLatin1String("--port") || arg == QLatin1String("--seed") ||
            arg == QLatin1String("--words") || arg == QLatin1String("--lobby-url") ||
            arg == QLatin1String("--announce-port") || arg == QLatin1String("--announce-to");
        if (!takesValue) {
            options.positional.append(arg);
            continue;
        }
        if (i + 1 >= args.size())
            return fail(arg + QStringLiteral(" needs a value"));
        const QString value = args.at(++i);
        bool ok = false;
        if (arg == QLatin1String("--port")) {
            const uint port = value.toUInt(&ok, 10);
            if (!ok || port > 65535)
                return fail(
                    QStringLiteral("--port needs a number from 0 to 65535, not \"%1\"").arg(value));
            options.port = quint16(port);
        } else if (arg == QLatin1String("--announce-port")) {
            const uint port = value.toUInt(&ok, 10);
            if (!ok || port > 65535)
                return fail(
                    QStringLiteral("--announce-port needs a number from 0 to 65535, not \"%1\"")
                        .arg(value));
            options.announcePort = quint16(port);
        } else if (arg == QLatin1String("--announce-to")) {
            if (!parseAddressAndPort(value, kDiscoveryPort))
                return fail(QStringLiteral("--announce-to needs an address and maybe a port, "
                                           "not \"%1\"")
                                .arg(value));
            options.announceTo = value;
        } else if (arg == QLatin1String("--seed")) {
            const quint64 seed = value.toULongLong(&ok, 10);
            if (!ok)
                return fail(QStringLiteral("--seed needs a whole number, not \"%1\"").arg(value));
            options.seed = seed;
        } else if (arg == QLatin1String("--lobby-url")) {
            const QUrl url(value, QUrl::StrictMode);
            const QString scheme = url.scheme();
            if (!url.isValid() || url.host().isEmpty() ||
                (scheme != QLatin1String("http") && scheme != QLatin1String("https")))
                return fail(QStringLiteral("--lobby-url needs an http or https address, not \"%1\"")
                                .arg(value));
            options.lobbyUrl = value;
        } else {
            options.wordsFile = value;
        }
    }

    const QStringList& p = options.positional;
    if (lobby) {
        if (!p.isEmpty())
            return fail(QStringLiteral("--lobby takes no name, address or \"true\""));
        options.mode = LaunchOptions::Mode::Lobby;
    } else if (p.isEmpty()) {
        options.mode = LaunchOptions::Mode::Solo;
        options.playerName = QStringLiteral("You");
        options.hostAddress = QStringLiteral("127.0.0.1");
    } else if (p.size() < 3) {
        options.mode = LaunchOptions::Mode::None;
    } else {
        options.mode = p.at(2) == QLatin1String("true") ? LaunchOptions::Mode::Host
                                                        : LaunchOptions::Mode::Join;
        // A "+" or a 0xFF in a name would shift the fields of the messages
        // that carry it.
        options.playerName = fromWire(cleanPlayerName(toWire(p.at(0))));
        options.hostAddress = p.at(1);
    }
    return options;
}

DiscoveryEndpoints LaunchOptions::discoveryEndpoints() const
{
    return gorse::discoveryEndpoints(announcePort, announceTo).value_or(DiscoveryEndpoints{});
}

} // namespace gorse
