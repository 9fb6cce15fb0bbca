// gorse-host's own choices: the built-in list it checks words against, and
// computer players who sit down once the first person has logged in.
#include "host/tserver.h"
#include "net/messages.h"
#include "support/hostprocess.h"
#include "support/rawclient.h"
#include "support/testutil.h"

#include <QProcess>
#include <QRegularExpression>
#include <gtest/gtest.h>

using namespace gorse;
using gorse::test::RawClient;
using gorse::test::waitUntil;

namespace {

// gorse-host on any free port.
struct Host : test::HostProcess
{
    explicit Host(const QStringList& arguments)
        : HostProcess(QStringList(arguments) << QStringLiteral("--port") << QStringLiteral("0"))
    {
    }
};

} // namespace

TEST(GorseHostChoices, ComputerPlayersSitDownAfterTheFirstPerson)
{
    Host host({QStringLiteral("--bots"), QStringLiteral("2"), QStringLiteral("--level"),
               QStringLiteral("Expert")});
    const quint16 port = host.port();
    ASSERT_NE(port, 0) << host.log.constData();
    test::settle(200);
    EXPECT_FALSE(host.log.contains("logged in")); // nobody before the first person

    RawClient ann;
    ASSERT_TRUE(ann.connectTo(port));
    ASSERT_FALSE(ann.waitForPrefix("CMD_sendlogininfo+1").isEmpty());
    ann.send(msg::logininfo(1, kVersionText, "Ann"));
    EXPECT_FALSE(ann.waitForPrefix(msg::newplayerinfo(2, "Klot")).isEmpty());
    EXPECT_FALSE(ann.waitForPrefix(msg::newplayerinfo(3, "Klock")).isEmpty());
    EXPECT_TRUE(host.says("event=bots_sit count=2 level=Expert"));

    // They play the games the first person starts.
    ann.send(msg::startgame("Ann", 300, 45));
    EXPECT_FALSE(ann.waitForPrefix("CMD_startround+1").isEmpty());
}

TEST(GorseHostChoices, WrongChoicesAreRefusedBeforeListening)
{
    for (const QStringList& wrong :
         {QStringList{QStringLiteral("--list"), QStringLiteral("huge")},
          QStringList{QStringLiteral("--bots"), QStringLiteral("6")},
          QStringList{QStringLiteral("--bots"), QStringLiteral("1"), QStringLiteral("--level"),
                      QStringLiteral("master")}}) {
        Host host(wrong);
        ASSERT_TRUE(host.waitForFinished(20000)) << wrong.join(u' ').toStdString();
        EXPECT_EQ(host.exitCode(), 2) << wrong.join(u' ').toStdString();
    }
}

TEST(GorseHostChoices, TheHostTakesTheChosenBuiltInList)
{
    // "KB" is in the large list only.
    TServer server(nullptr, 1);
    EXPECT_FALSE(server.table().spell().isword("KB"));
    server.useWordList(TDictn::BuiltinList::Large);
    EXPECT_TRUE(server.table().spell().isword("KB"));
    server.useWordList(TDictn::BuiltinList::Standard);
    EXPECT_FALSE(server.table().spell().isword("KB"));
    EXPECT_TRUE(server.table().spell().isword("QUIZ"));
}
