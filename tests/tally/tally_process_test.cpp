// The tally of a real gorse process: a game played against a gorse-host is
// on disk as soon as it ends, so a copy killed right after still has it, and
// the next start reads it; a damaged file does not keep the program from
// joining the game.
#include "dict/tdictn.h"
#include "net/messages.h"
#include "support/gorsecopy.h"
#include "support/rawclient.h"
#include "support/testutil.h"
#include "tally/tallyfile.h"
#include "tallygame.h"

#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <csignal>
#include <gtest/gtest.h>
#include <memory>

using namespace gorse;
using namespace gorse::test;

namespace {

// A process whose standard error is collected.
struct Program : QProcess
{
    QByteArray log;

    Program(const QString& program, const QStringList& arguments, const QString& runtimeDir)
    {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        // Its own single-instance guard.
        env.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtimeDir);
        setProcessEnvironment(env);
        QObject::connect(this, &QProcess::readyReadStandardError,
                         [this] { log += readAllStandardError(); });
        start(program, arguments);
    }
    ~Program() override
    {
        kill();
        waitForFinished();
    }
    bool ended(int ms = 15000)
    {
        return waitUntil([this] { return state() == NotRunning; }, ms);
    }
};

// gorse-host on a free port with a seed and the two-card word list; then a
// bare client, Bob, logged in as connection 1, who may start games.
struct TestTable
{
    QTemporaryDir dir;
    QTemporaryDir runtime;
    std::unique_ptr<Program> host;
    RawClient bob;
    quint16 port = 0;

    bool open()
    {
        const QString words = dir.filePath(QStringLiteral("words.dic"));
        if (!writeFile(words, twoCardWords()))
            return false;
        host = std::make_unique<Program>(
            binDir() + QStringLiteral("/gorse-host"),
            QStringList{QStringLiteral("--port"), QStringLiteral("0"), QStringLiteral("--seed"),
                        QStringLiteral("11"), QStringLiteral("--words"), words,
                        QStringLiteral("--no-announce"), QStringLiteral("--any-game")},
            runtime.path());
        static const QRegularExpression re(QStringLiteral("event=listen port=(\\d+) "));
        waitUntil([&] { return re.match(QString::fromLocal8Bit(host->log)).hasMatch(); }, 10000);
        port = quint16(re.match(QString::fromLocal8Bit(host->log)).captured(1).toUInt());
        if (port == 0 || !bob.connectTo(port))
            return false;
        bob.send(msg::logininfo(1, kVersionText, "Bob"));
        return !bob.waitForPrefix("CMD_newplayerinfo+1+Bob").isEmpty();
    }
    // Waits until Ann's copy has logged in as connection 2.
    bool annArrives()
    {
        bob.messages.clear();
        return !bob.waitForPrefix("CMD_newplayerinfo+2+Ann", 20000).isEmpty();
    }
};

// A copy of gorse in its own folder, which is where it keeps its tally.
struct AnnsCopy
{
    GorseCopy copy;
    QString tally = copy.filePath(TallyFile::kFileName);

    bool install() { return copy.isValid(); }
    std::unique_ptr<Program> start(const TestTable& table)
    {
        return std::make_unique<Program>(
            copy.program(),
            QStringList{QStringLiteral("--port"), QString::number(table.port),
                        QStringLiteral("Ann"), QStringLiteral("127.0.0.1"),
                        QStringLiteral("false")},
            table.runtime.path());
    }
};

} // namespace

TEST(TallyProcess, AGameIsOnDiskWhenItEndsAndTheNextStartReadsIt)
{
    TestTable table;
    ASSERT_TRUE(table.open()) << table.host->log.constData();
    AnnsCopy ann;
    ASSERT_TRUE(ann.install());
    // Ann already follows Bob.
    StringGrid grid{Tally::kColumns,
                    {QStringList(10, QStringLiteral("0")), QStringList(10, QStringLiteral("0"))}};
    grid.rows[1][0] = QStringLiteral("Bob");
    ASSERT_TRUE(writeFile(ann.tally, Tlzrw1::Compress(SaveGridText(grid))));

    auto gorse = ann.start(table);
    ASSERT_TRUE(table.annArrives()) << gorse->log.constData();
    // A game to 5 points with one-second rounds; Bob's first word wins it.
    table.bob.send(msg::startgame("Bob", 5, 1));
    ASSERT_FALSE(table.bob.waitForPrefix("CMD_startround+").isEmpty());
    table.bob.send(msg::sendword(1, {1, 2}));
    ASSERT_FALSE(table.bob.waitForPrefix("CMD_theword+1+").isEmpty());
    ASSERT_EQ(table.bob.waitForPrefix("CMD_winner+", 40000), "CMD_winner+Bob+");

    // Counted and saved without the program ending; then it is killed.
    const QString counted = QStringLiteral("0,1,0,0,0,0,0,0,0,0 / Bob,1,1,0,0,1,1,0,0,0");
    EXPECT_TRUE(waitUntil([&] { return stored(ann.tally) == counted; }, 10000))
        << stored(ann.tally).toStdString() << "\n"
        << gorse->log.constData();
    ::kill(pid_t(gorse->processId()), SIGKILL);
    ASSERT_TRUE(gorse->ended());
    EXPECT_EQ(stored(ann.tally), counted);

    // The next start reads it: the totals stay, the session starts at 0,
    // and that is what it writes when it ends (here because the host goes).
    gorse = ann.start(table);
    ASSERT_TRUE(table.annArrives()) << gorse->log.constData();
    ::kill(pid_t(table.host->processId()), SIGTERM);
    ASSERT_TRUE(gorse->ended()) << gorse->log.constData();
    EXPECT_EQ(gorse->exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(stored(ann.tally), QStringLiteral("0,1,0,0,0,0,0,0,0,0 / Bob,1,1,0,0,0,0,0,0,0"));
    EXPECT_FALSE(QFile::exists(ann.tally + QStringLiteral(".bad")));
}

TEST(TallyProcess, ADamagedFileIsKeptAsideAndTheGameStillJoins)
{
    TestTable table;
    ASSERT_TRUE(table.open()) << table.host->log.constData();
    AnnsCopy ann;
    ASSERT_TRUE(ann.install());
    const QByteArray damaged = "!HZL not a tally";
    ASSERT_TRUE(writeFile(ann.tally, damaged));

    auto gorse = ann.start(table);
    ASSERT_TRUE(table.annArrives()) << gorse->log.constData();
    EXPECT_EQ(readFile(ann.tally + QStringLiteral(".bad")), damaged);
    EXPECT_TRUE(waitUntil([&] {
        return gorse->log.contains(" : Lzrw1 decompression : this file has no valid header !");
    })) << gorse->log.constData();
    // The empty tally that replaces it is written at the latest at exit.
    ::kill(pid_t(table.host->processId()), SIGTERM);
    ASSERT_TRUE(gorse->ended()) << gorse->log.constData();
    EXPECT_EQ(stored(ann.tally), QStringLiteral("0,0,0,0,0,0,0,0,0,0"));
}
