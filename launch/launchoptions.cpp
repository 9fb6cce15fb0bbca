#include "launch/launchoptions.h"

#include "net/messages.h"

#include <QCommandLineParser>
#include <QUrl>

namespace gorse {

QString launchUsage()
{
    return QStringLiteral(
        "Usage: gorse [--port N] [--seed S] [--words FILE] [--lobby-url URL]\n"
        "             [--announce-port N] [--announce-to ADDRESS[:PORT]]\n"
        "             [--no-announce] [--from-lobby] [--web PORT [--web-origin ORIGIN]...]\n"
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
        "  --web PORT           when hosting: let players join from a browser at\n"
        "                       http://THIS-MACHINE:PORT\n"
        "  --web-origin ORIGIN  let pages of ORIGIN (a proxy's https address) connect too\n"
        "  -h, --help           print this help and exit\n"
        "  --version            print the version and exit\n");
}

std::optional<LaunchOptions> parseLaunchOptions(const QStringList& args, QString* error)
{
    auto fail = [error](const QString& text) -> std::optional<LaunchOptions> {
        if (error)
            *error = text;
        return std::nullopt;
    };
    QCommandLineParser parser;
    const QCommandLineOption help(QStringList{QStringLiteral("h"), QStringLiteral("help")});
    const QCommandLineOption version(QStringLiteral("version"));
    const QCommandLineOption lobby(QStringLiteral("lobby"));
    const QCommandLineOption fromLobby(QStringLiteral("from-lobby"));
    const QCommandLineOption hostEnded(QStringLiteral("host-ended"));
    const QCommandLineOption noAnnounce(QStringLiteral("no-announce"));
    const QCommandLineOption port(QStringLiteral("port"), QString(), QStringLiteral("N"));
    const QCommandLineOption seed(QStringLiteral("seed"), QString(), QStringLiteral("S"));
    const QCommandLineOption words(QStringLiteral("words"), QString(), QStringLiteral("FILE"));
    const QCommandLineOption lobbyUrl(QStringLiteral("lobby-url"), QString(),
                                      QStringLiteral("URL"));
    const QCommandLineOption announcePort(QStringLiteral("announce-port"), QString(),
                                          QStringLiteral("N"));
    const QCommandLineOption announceTo(QStringLiteral("announce-to"), QString(),
                                        QStringLiteral("ADDRESS"));
    const QCommandLineOption web(QStringLiteral("web"), QString(), QStringLiteral("PORT"));
    const QCommandLineOption webOrigin(QStringLiteral("web-origin"), QString(),
                                       QStringLiteral("ORIGIN"));
    const QList<QCommandLineOption> valued{port,         seed,       words, lobbyUrl,
                                           announcePort, announceTo, web,   webOrigin};
    parser.addOptions({help, version, lobby, fromLobby, hostEnded, noAnnounce});
    parser.addOptions(valued);
    if (!parser.parse(QStringList{QStringLiteral("gorse")} + args)) {
        // An option that takes a value stands last, with nothing after it.
        for (const QCommandLineOption& option : valued) {
            const QString name = QStringLiteral("--") + option.names().constFirst();
            if (!args.isEmpty() && args.constLast() == name)
                return fail(name + QStringLiteral(" needs a value"));
        }
        return fail(parser.errorText());
    }

    LaunchOptions options;
    options.help = parser.isSet(help);
    options.version = parser.isSet(version);
    options.fromLobby = parser.isSet(fromLobby);
    options.hostEnded = parser.isSet(hostEnded);
    options.announce = !parser.isSet(noAnnounce);
    options.positional = parser.positionalArguments();
    const auto portValue = [&parser](const QCommandLineOption& option,
                                     uint lowest) -> std::optional<quint16> {
        bool ok = false;
        const uint value = parser.value(option).toUInt(&ok, 10);
        if (!ok || value < lowest || value > 65535)
            return std::nullopt;
        return quint16(value);
    };
    if (parser.isSet(port)) {
        const auto value = portValue(port, 0);
        if (!value)
            return fail(QStringLiteral("--port needs a number from 0 to 65535, not \"%1\"")
                            .arg(parser.value(port)));
        options.port = *value;
    }
    if (parser.isSet(announcePort)) {
        const auto value = portValue(announcePort, 0);
        if (!value)
            return fail(QStringLiteral("--announce-port needs a number from 0 to 65535, not \"%1\"")
                            .arg(parser.value(announcePort)));
        options.announcePort = *value;
    }
    if (parser.isSet(web)) {
        const auto value = portValue(web, 1);
        if (!value)
            return fail(QStringLiteral("--web needs a port from 1 to 65535, not \"%1\"")
                            .arg(parser.value(web)));
        options.webPort = *value;
    }
    for (const QString& value : parser.values(webOrigin)) {
        const QUrl url(value, QUrl::StrictMode);
        const QString scheme = url.scheme();
        if (!url.isValid() || url.host().isEmpty() ||
            (scheme != QLatin1String("http") && scheme != QLatin1String("https")))
            return fail(QStringLiteral("--web-origin needs an http or https origin, not \"%1\"")
                            .arg(value));
        options.webOrigins.append(value);
    }
    if (parser.isSet(announceTo)) {
        const QString value = parser.value(announceTo);
        if (!parseAddressAndPort(value, kDiscoveryPort))
            return fail(QStringLiteral("--announce-to needs an address and maybe a port, "
                                       "not \"%1\"")
                            .arg(value));
        options.announceTo = value;
    }
    if (parser.isSet(seed)) {
        bool ok = false;
        const quint64 value = parser.value(seed).toULongLong(&ok, 10);
        if (!ok)
            return fail(
                QStringLiteral("--seed needs a whole number, not \"%1\"").arg(parser.value(seed)));
        options.seed = value;
    }
    if (parser.isSet(lobbyUrl)) {
        const QString value = parser.value(lobbyUrl);
        const QUrl url(value, QUrl::StrictMode);
        const QString scheme = url.scheme();
        if (!url.isValid() || url.host().isEmpty() ||
            (scheme != QLatin1String("http") && scheme != QLatin1String("https")))
            return fail(QStringLiteral("--lobby-url needs an http or https address, not \"%1\"")
                            .arg(value));
        options.lobbyUrl = value;
    }
    if (parser.isSet(words))
        options.wordsFile = parser.value(words);

    const QStringList& p = options.positional;
    if (parser.isSet(lobby)) {
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
