// The lobby's choices and what it remembers: the command lines it starts the
// game with (recorded, nothing is started), the name and the last addresses
// in the settings file.
#include "lobby/lobby.h"
#include "lobby/lobbysettings.h"
#include "lobby/tablefinder.h"
#include "support/testutil.h"

#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace gorse;

namespace {

const QString kProgram = QStringLiteral("/opt/gorse/bin/gorse");

QStringList words(const char* text)
{
    return QString::fromUtf8(text).split(u' ', Qt::SkipEmptyParts);
}

// A lobby whose starter records the command lines; the settings file is in a
// folder of its own, and the finder is never started (no network).
struct LobbyRig
{
    QTemporaryDir dir;
    LobbySettings settings{dir.filePath(QStringLiteral("velmarlobby.ini"))};
    TableFinder finder;
    QList<QStringList> started;
    bool startWorks = true;
    Lobby lobby{&settings, &finder, kProgram, [this](const QString& program, const QStringList& a) {
                    EXPECT_EQ(program, kProgram);
                    started.append(a);
                    return startWorks;
                }};

    QStringList last() const { return started.isEmpty() ? QStringList() : started.last(); }
};

TableAnnouncement tableAt(quint16 port)
{
    TableAnnouncement t;
    t.id = QStringLiteral("1f");
    t.name = QStringLiteral("Ann");
    t.port = port;
    t.seats[0] = QStringLiteral("Ann");
    return t;
}

} // namespace

TEST(Lobby, EachChoiceStartsTheGameWithItsCommandLine)
{
    struct Case
    {
        const char* what;
        std::function<bool(Lobby&)> choose;
        const char* arguments;
    };
    const Case cases[] = {
        {"host", [](Lobby& l) { return l.hostGame(); }, "--from-lobby -- Ann 127.0.0.1 true"},
        {"host on another port", [](Lobby& l) { return l.hostGame(7780); },
         "--port 7780 --from-lobby -- Ann 127.0.0.1 true"},
        {"join an address", [](Lobby& l) { return l.join(QStringLiteral(" 192.0.2.7 ")); },
         "--from-lobby -- Ann 192.0.2.7 false"},
        {"join with the port box",
         [](Lobby& l) { return l.join(QStringLiteral("h.example"), 7790); },
         "--port 7790 --from-lobby -- Ann h.example false"},
        {"join with a typed port",
         [](Lobby& l) { return l.join(QStringLiteral("192.0.2.7:7781"), 7790); },
         "--port 7781 --from-lobby -- Ann 192.0.2.7 false"},
        {"join IPv6", [](Lobby& l) { return l.join(QStringLiteral("[::1]:7772")); },
         "--from-lobby -- Ann ::1 false"},
        {"solo", [](Lobby& l) { return l.soloGame(); }, "--from-lobby"},
    };
    for (const Case& c : cases) {
        LobbyRig rig;
        rig.lobby.setPlayerName(QStringLiteral("Ann"));
        QSignalSpy started(&rig.lobby, &Lobby::gameStarted);
        EXPECT_TRUE(c.choose(rig.lobby)) << c.what;
        EXPECT_EQ(rig.last(), words(c.arguments)) << c.what;
        EXPECT_EQ(started.size(), 1) << c.what;
        EXPECT_EQ(rig.lobby.notice(), QString()) << c.what;
        // One lobby starts one game.
        EXPECT_FALSE(c.choose(rig.lobby)) << c.what;
        EXPECT_EQ(rig.started.size(), 1) << c.what;
    }
}

TEST(Lobby, JoiningAListedTableUsesTheAddressItWasHeardFrom)
{
    LobbyRig rig;
    rig.lobby.setPlayerName(QStringLiteral("Bob"));
    rig.lobby.setCommonArguments(words("--announce-port 7800"));
    rig.finder.tables()->heard(tableAt(7772), QHostAddress(QStringLiteral("192.0.2.9")), 0);
    rig.finder.tables()->heard(tableAt(7785), QHostAddress(QStringLiteral("192.0.2.9")), 0);
    EXPECT_FALSE(rig.lobby.joinTable(1)); // one table (same id): no second row
    EXPECT_EQ(rig.lobby.tableAddress(0),
              std::make_optional(std::make_pair(QStringLiteral("192.0.2.9"), quint16(7785))));
    EXPECT_TRUE(rig.lobby.joinTable(0));
    EXPECT_EQ(rig.last(),
              words("--announce-port 7800 --port 7785 --from-lobby -- Bob 192.0.2.9 false"));
}

TEST(Lobby, NamesAreCleanedAndAMissingNameOrAddressStartsNothing)
{
    {
        LobbyRig rig;
        rig.lobby.setPlayerName(QStringLiteral("  B+o\u00FFb  "));
        ASSERT_TRUE(rig.lobby.hostGame());
        // "ÿ" is U+00FF, two bytes in UTF-8: the name keeps it; "+" goes.
        EXPECT_EQ(rig.last().at(2), QStringLiteral("Bo\u00FFb"));
    }
    {
        // A name that looks like an option is still the name.
        LobbyRig rig;
        rig.lobby.setPlayerName(QStringLiteral("--lobby"));
        ASSERT_TRUE(rig.lobby.hostGame());
        EXPECT_EQ(rig.last(), words("--from-lobby -- --lobby 127.0.0.1 true"));
    }

    LobbyRig rig;
    struct Case
    {
        const char* name;
        std::function<bool(Lobby&)> choose;
        const char* notice;
    };
    const Case cases[] = {
        {"", [](Lobby& l) { return l.hostGame(); }, "Please type your name first."},
        {" + ", [](Lobby& l) { return l.join(QStringLiteral("192.0.2.7")); },
         "Please type your name first."},
        {"Ann", [](Lobby& l) { return l.join(QStringLiteral("  ")); },
         "Please choose a table, or type the address of one."},
        {"Ann", [](Lobby& l) { return l.joinTable(0); },
         "Please choose a table, or type the address of one."},
        {"Ann", [](Lobby& l) { return l.join(QStringLiteral("192.0.2.7:99999")); },
         "\"192.0.2.7:99999\" is not an address."},
        {"Ann", [](Lobby& l) { return l.join(QStringLiteral("-x")); }, "\"-x\" is not an address."},
        {"Ann", [](Lobby& l) { return l.hostGame(0); }, "Please choose a port"},
    };
    for (const Case& c : cases) {
        const qsizetype before = rig.started.size();
        rig.lobby.setPlayerName(QString::fromUtf8(c.name));
        EXPECT_FALSE(c.choose(rig.lobby)) << c.notice;
        EXPECT_EQ(rig.started.size(), before) << c.notice;
        EXPECT_TRUE(rig.lobby.notice().startsWith(QString::fromUtf8(c.notice)))
            << rig.lobby.notice().toStdString();
    }
}

TEST(Lobby, AGameThatDoesNotStartKeepsTheLobbyOpen)
{
    LobbyRig rig;
    rig.startWorks = false;
    rig.lobby.setPlayerName(QStringLiteral("Ann"));
    QSignalSpy started(&rig.lobby, &Lobby::gameStarted);
    EXPECT_FALSE(rig.lobby.soloGame());
    EXPECT_EQ(started.size(), 0);
    EXPECT_EQ(rig.lobby.notice(),
              QStringLiteral("The game could not be started (/opt/gorse/bin/gorse)."));
}

TEST(Lobby, TheNameAndTheLastTenAddressesAreRemembered)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("velmarlobby.ini"));
    {
        // The game's own keys and other sections are left as they are.
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("[Gorse]\r\nchatsize=12\r\nLobbyRecent3=not an address\r\n[Other]\r\nx=1\r\n");
    }
    {
        LobbySettings settings(path);
        ASSERT_EQ(settings.load(), QString());
        EXPECT_TRUE(settings.recent().isEmpty()); // the bad entry is left out
        // Each lobby starts one game; every run remembers its address.
        auto joinOnce = [&](const QString& address, quint16 port) {
            TableFinder finder;
            Lobby lobby(&settings, &finder, kProgram,
                        [](const QString&, const QStringList&) { return true; });
            lobby.setPlayerName(QStringLiteral("Ann"));
            return lobby.join(address, port);
        };
        for (int i = 1; i <= 11; ++i)
            ASSERT_TRUE(joinOnce(QStringLiteral("192.0.2.%1").arg(i), kGamePort));
        ASSERT_TRUE(joinOnce(QStringLiteral("192.0.2.5"), 7780));
        ASSERT_TRUE(joinOnce(QStringLiteral("192.0.2.9"), kGamePort));
    }
    LobbySettings again(path);
    ASSERT_EQ(again.load(), QString());
    EXPECT_EQ(again.playerName(), QStringLiteral("Ann"));
    EXPECT_EQ(again.recent(),
              words("192.0.2.9 192.0.2.5:7780 192.0.2.11 192.0.2.10 192.0.2.8 192.0.2.7 "
                    "192.0.2.6 192.0.2.5 192.0.2.4 192.0.2.3"));
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray bytes = file.readAll();
    EXPECT_TRUE(bytes.startsWith("[Gorse]\r\nchatsize=12\r\n"));
    EXPECT_TRUE(bytes.contains("LobbyName=Ann\r\n"));
    EXPECT_TRUE(bytes.contains("LobbyRecent10=192.0.2.3\r\n"));
    EXPECT_TRUE(bytes.endsWith("[Other]\r\nx=1\r\n"));

    // A lobby opens with the remembered name.
    TableFinder finder;
    Lobby lobby(&again, &finder, kProgram, [](const QString&, const QStringList&) { return true; });
    EXPECT_EQ(lobby.playerName(), QStringLiteral("Ann"));
    EXPECT_EQ(lobby.recentAddresses().size(), 10);
}
