// The launch-mode table and the options taken out of the command line.
#include "launch/launchoptions.h"
#include "support/testutil.h"

#include <gtest/gtest.h>

using namespace gorse;
using Mode = LaunchOptions::Mode;

namespace {
LaunchOptions parse(const QStringList& args)
{
    QString error;
    const auto options = parseLaunchOptions(args, &error);
    EXPECT_TRUE(options.has_value()) << error.toStdString();
    return options.value_or(LaunchOptions{});
}
} // namespace

TEST(LaunchOptions, TheModeTable)
{
    const LaunchOptions solo = parse({});
    EXPECT_EQ(solo.mode, Mode::Solo);
    EXPECT_EQ(solo.playerName, QStringLiteral("You"));
    EXPECT_EQ(solo.hostAddress, QStringLiteral("127.0.0.1"));
    EXPECT_TRUE(solo.hosts());
    EXPECT_FALSE(solo.fromCommandLine()); // no side connection in a solo game

    const LaunchOptions host =
        parse({QStringLiteral("Ann"), QStringLiteral("127.0.0.2"), QStringLiteral("true")});
    EXPECT_EQ(host.mode, Mode::Host);
    EXPECT_EQ(host.playerName, QStringLiteral("Ann"));
    EXPECT_EQ(host.hostAddress, QStringLiteral("127.0.0.2"));
    EXPECT_TRUE(host.fromCommandLine());

    // Only exactly "true" hosts.
    EXPECT_EQ(
        parse({QStringLiteral("Ann"), QStringLiteral("127.0.0.2"), QStringLiteral("True")}).mode,
        Mode::Join);
    EXPECT_EQ(parse({QStringLiteral("Bob"), QStringLiteral("h"), QStringLiteral("false")}).mode,
              Mode::Join);
    // Arguments after the third are ignored.
    EXPECT_EQ(parse({QStringLiteral("Bob"), QStringLiteral("h"), QStringLiteral("true"),
                     QStringLiteral("x")})
                  .mode,
              Mode::Host);
    const LaunchOptions none = parse({QStringLiteral("Ann"), QStringLiteral("127.0.0.2")});
    EXPECT_EQ(none.mode, Mode::None);
    EXPECT_FALSE(none.hosts());
    EXPECT_FALSE(none.fromCommandLine());
    EXPECT_EQ(parse({QStringLiteral("Ann")}).mode, Mode::None);
}

TEST(LaunchOptions, OptionsAreTakenOutBeforeThePositionalArguments)
{
    const LaunchOptions o =
        parse({QStringLiteral("Ann"), QStringLiteral("--port"), QStringLiteral("4000"),
               QStringLiteral("127.0.0.2"), QStringLiteral("--seed"), QStringLiteral("42"),
               QStringLiteral("true"), QStringLiteral("--words"), QStringLiteral("/tmp/w.dic")});
    EXPECT_EQ(o.mode, Mode::Host);
    EXPECT_EQ(o.port, 4000);
    EXPECT_EQ(o.seed.value_or(0), 42u);
    EXPECT_EQ(o.wordsFile, QStringLiteral("/tmp/w.dic"));
    EXPECT_EQ(o.hostAddress, QStringLiteral("127.0.0.2"));
    EXPECT_EQ(parse({}).port, 7772);
    // --port alone still plays solo.
    EXPECT_EQ(parse({QStringLiteral("--port"), QStringLiteral("0")}).mode, Mode::Solo);

    QString error;
    EXPECT_FALSE(parseLaunchOptions({QStringLiteral("--port")}, &error));
    EXPECT_TRUE(error.contains(QStringLiteral("--port")));
    EXPECT_FALSE(parseLaunchOptions({QStringLiteral("--port"), QStringLiteral("70000")}, &error));
    EXPECT_FALSE(parseLaunchOptions({QStringLiteral("--port"), QStringLiteral("-1")}, &error));
    EXPECT_FALSE(parseLaunchOptions({QStringLiteral("--seed"), QStringLiteral("abc")}, &error));
}

TEST(LaunchOptions, PlayerNamesLosePlusSigns)
{
    const LaunchOptions o =
        parse({QStringLiteral("A+n+n"), QStringLiteral("h"), QStringLiteral("false")});
    EXPECT_EQ(o.playerName, QStringLiteral("Ann"));
    EXPECT_EQ(
        parse({QStringLiteral("Zoë"), QStringLiteral("h"), QStringLiteral("true")}).playerName,
        QStringLiteral("Zoë"));
}

TEST(LaunchOptions, LobbyUrlTakesAWebAddressAnywhere)
{
    EXPECT_TRUE(parse({}).lobbyUrl.isEmpty());
    const LaunchOptions o =
        parse({QStringLiteral("--lobby-url"), QStringLiteral("https://example.org/lobby/setup.exe"),
               QStringLiteral("Ann"), QStringLiteral("h"), QStringLiteral("true")});
    EXPECT_EQ(o.lobbyUrl, QStringLiteral("https://example.org/lobby/setup.exe"));
    EXPECT_EQ(o.mode, Mode::Host);
    EXPECT_EQ(
        parse({QStringLiteral("--lobby-url"), QStringLiteral("http://127.0.0.1:8080/l/x")}).mode,
        Mode::Solo);

    struct Bad
    {
        const char* value;
    };
    for (const Bad& bad : {Bad{"ftp://example.org/lobby/setup.exe"}, Bad{"file:///etc/passwd"},
                           Bad{"setup.exe"}, Bad{"https://"}, Bad{"http://exa mple.org/x"}}) {
        QString error;
        EXPECT_FALSE(parseLaunchOptions(
            {QStringLiteral("--lobby-url"), QString::fromLatin1(bad.value)}, &error))
            << bad.value;
        EXPECT_TRUE(error.contains(QStringLiteral("--lobby-url"))) << bad.value;
    }
    QString error;
    EXPECT_FALSE(parseLaunchOptions({QStringLiteral("--lobby-url")}, &error));
}

TEST(LaunchOptions, TheLobbyAndItsOptions)
{
    const LaunchOptions lobby = parse({QStringLiteral("--lobby")});
    EXPECT_EQ(lobby.mode, Mode::Lobby);
    EXPECT_FALSE(lobby.hosts());
    EXPECT_FALSE(lobby.fromCommandLine());
    EXPECT_FALSE(lobby.hostEnded);
    EXPECT_TRUE(parse({QStringLiteral("--host-ended"), QStringLiteral("--lobby")}).hostEnded);

    // What the lobby passes to the games it starts.
    const LaunchOptions joined =
        parse({QStringLiteral("--port"), QStringLiteral("7780"), QStringLiteral("--from-lobby"),
               QStringLiteral("--"), QStringLiteral("--lobby"), QStringLiteral("-h"),
               QStringLiteral("false")});
    EXPECT_EQ(joined.mode, Mode::Join);
    EXPECT_TRUE(joined.fromLobby);
    EXPECT_EQ(joined.port, 7780);
    EXPECT_EQ(joined.playerName, QStringLiteral("--lobby"));
    EXPECT_EQ(joined.hostAddress, QStringLiteral("-h"));
    EXPECT_FALSE(parse({}).fromLobby);

    // Announcing: on by default, on port 7773, to every broadcast address.
    const LaunchOptions host =
        parse({QStringLiteral("Ann"), QStringLiteral("h"), QStringLiteral("true")});
    EXPECT_TRUE(host.announce);
    EXPECT_EQ(host.announcePort, 7773);
    EXPECT_TRUE(host.announceTo.isEmpty());
    const LaunchOptions quiet = parse(
        {QStringLiteral("--no-announce"), QStringLiteral("--announce-port"), QStringLiteral("0"),
         QStringLiteral("--announce-to"), QStringLiteral("127.0.0.1:9000"), QStringLiteral("Ann"),
         QStringLiteral("h"), QStringLiteral("true")});
    EXPECT_FALSE(quiet.announce);
    EXPECT_EQ(quiet.announcePort, 0);
    EXPECT_EQ(quiet.announceTo, QStringLiteral("127.0.0.1:9000"));

    struct Bad
    {
        QStringList args;
        const char* error;
    };
    const Bad bad[] = {
        {{QStringLiteral("--lobby"), QStringLiteral("Ann"), QStringLiteral("h"),
          QStringLiteral("true")},
         "--lobby takes no name"},
        {{QStringLiteral("--announce-port"), QStringLiteral("70000")}, "--announce-port"},
        {{QStringLiteral("--announce-port")}, "--announce-port needs a value"},
        {{QStringLiteral("--announce-to"), QStringLiteral("games.example.org")}, "--announce-to"},
        {{QStringLiteral("--announce-to"), QStringLiteral("127.0.0.1:0")}, "--announce-to"},
    };
    for (const Bad& b : bad) {
        QString error;
        EXPECT_FALSE(parseLaunchOptions(b.args, &error)) << b.error;
        EXPECT_TRUE(error.contains(QLatin1String(b.error))) << error.toStdString();
    }
}

TEST(LaunchOptions, WebPortOriginsHelpVersionAndUnknownOptions)
{
    EXPECT_EQ(parse({}).webPort, 0);
    const LaunchOptions web =
        parse({QStringLiteral("--web"), QStringLiteral("8080"), QStringLiteral("Ann"),
               QStringLiteral("--web-origin"), QStringLiteral("https://a.example"),
               QStringLiteral("h"), QStringLiteral("true"), QStringLiteral("--web-origin"),
               QStringLiteral("http://b.example:8000")});
    EXPECT_EQ(web.webPort, 8080);
    EXPECT_EQ(web.mode, Mode::Host);
    EXPECT_EQ(web.webOrigins, QStringList({QStringLiteral("https://a.example"),
                                           QStringLiteral("http://b.example:8000")}));
    EXPECT_TRUE(parse({QStringLiteral("--help")}).help);
    EXPECT_TRUE(parse({QStringLiteral("-h")}).help);
    EXPECT_TRUE(parse({QStringLiteral("Ann"), QStringLiteral("--version")}).version);
    EXPECT_FALSE(parse({}).help || parse({}).version);

    struct Bad
    {
        QStringList args;
        const char* error;
    };
    const Bad bad[] = {
        {{QStringLiteral("--web"), QStringLiteral("0")}, "--web"},
        {{QStringLiteral("--web"), QStringLiteral("65536")}, "--web"},
        {{QStringLiteral("--web"), QStringLiteral("http")}, "--web"},
        {{QStringLiteral("--web")}, "--web needs a value"},
        {{QStringLiteral("--web-origin"), QStringLiteral("ftp://a")}, "--web-origin"},
        {{QStringLiteral("--web-origin"), QStringLiteral("a.example")}, "--web-origin"},
        {{QStringLiteral("--bogus"), QStringLiteral("Ann")}, "bogus"},
    };
    for (const Bad& b : bad) {
        QString error;
        EXPECT_FALSE(parseLaunchOptions(b.args, &error)) << b.error;
        EXPECT_TRUE(error.contains(QLatin1String(b.error))) << error.toStdString();
    }
}
