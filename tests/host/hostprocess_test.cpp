// The gorse-host program: started as a process on a free port, played
// against over loopback, stopped by signals.
#include "hostfixture.h"
#include "support/testutil.h"

#include <QProcess>
#include <QRegularExpression>
#include <QTcpServer>
#include <QTemporaryDir>
#include <csignal>
#include <gtest/gtest.h>

using namespace gorse;
using namespace gorse::test;

namespace {

struct HostProcess
{
    QProcess process;
    QByteArray log;

    void start(const QStringList& arguments)
    {
        process.setProgram(binDir() + QStringLiteral("/gorse-host"));
        process.setArguments(arguments);
        QObject::connect(&process, &QProcess::readyReadStandardError,
                         [this] { log += process.readAllStandardError(); });
        process.start();
    }
    quint16 port()
    {
        static const QRegularExpression listening(QStringLiteral("listening on port (\\d+)"));
        QRegularExpressionMatch match;
        waitUntil([&] {
            match = listening.match(QString::fromLocal8Bit(log));
            return match.hasMatch() || process.state() == QProcess::NotRunning;
        });
        return quint16(match.captured(1).toUInt());
    }
    bool stop(int signal)
    {
        ::kill(pid_t(process.processId()), signal);
        return waitUntil([&] { return process.state() == QProcess::NotRunning; });
    }
    ~HostProcess()
    {
        if (process.state() != QProcess::NotRunning) {
            process.kill();
            process.waitForFinished();
        }
    }
};

RawClient& login(std::vector<std::unique_ptr<RawClient>>& clients, quint16 port, int k,
                 const QByteArray& name)
{
    clients.push_back(std::make_unique<RawClient>());
    RawClient& c = *clients.back();
    EXPECT_TRUE(c.connectTo(port));
    EXPECT_EQ(c.waitForPrefix("CMD_sendlogininfo+"), "CMD_sendlogininfo+" + QByteArray::number(k));
    c.send(msg::logininfo(k, kVersionText, name));
    EXPECT_FALSE(c.waitForPrefix(msg::newplayerinfo(k, name)).isEmpty());
    return c;
}

} // namespace

TEST(GorseHost, PlaysOverLoopbackLogsAndEndsCleanlyOnSigterm)
{
    // The first deck of seed 7 is known; the word list holds the word of its
    // first two cards.
    CardDeck deck(7);
    deck.draw();
    const QByteArray word = converttoletter(deck.card(1, 1)) + converttoletter(deck.card(2, 1));
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString wordfile = dir.filePath(QStringLiteral("words.dic"));
    {
        QFile out(wordfile);
        ASSERT_TRUE(out.open(QIODevice::WriteOnly));
        out.write(wordrecords({word}));
    }
    HostProcess host;
    host.start({QStringLiteral("--port"), QStringLiteral("0"), QStringLiteral("--seed"),
                QStringLiteral("7"), QStringLiteral("--words"), wordfile});
    const quint16 port = host.port();
    ASSERT_NE(port, 0) << host.log.constData();

    std::vector<std::unique_ptr<RawClient>> clients;
    RawClient& ann = login(clients, port, 1, "Ann");
    RawClient& bob = login(clients, port, 2, "Bob");
    ann.send(msg::startgame("Ann", 300, 60));
    const QByteArray cards = bob.waitForPrefix("CMD_thecards+");
    EXPECT_TRUE(cards.startsWith("CMD_thecards+1+" + QByteArray::number(deck.card(1, 1)) + "+t+2+" +
                                 QByteArray::number(deck.card(2, 1)) + "+t+"))
        << cards.constData();
    ann.send(msg::sendword(1, {1, 2}));
    EXPECT_TRUE(ann.waitForPrefix("CMD_theword+").startsWith("CMD_theword+1+" + word + "+5+0+"));
    bob.close();
    EXPECT_FALSE(ann.waitForPrefix("CMD_playerdisconnected+2+Bob").isEmpty());

    ASSERT_TRUE(host.stop(SIGTERM));
    EXPECT_EQ(host.process.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(host.process.exitCode(), 0);
    const QString log = QString::fromLocal8Bit(host.log);
    for (const char* line : {"connection 1 from 127.0.0.1", "connection 1 (Ann) logged in",
                             "game started by Ann: target 300", "accepted: 5 points",
                             "connection 2 (Bob) left", "stopping: 4 messages handled"}) {
        EXPECT_TRUE(log.contains(QLatin1String(line))) << line << "\n" << log.toStdString();
    }
    EXPECT_TRUE(
        log.section(u'\n', 0, 0).contains(QStringLiteral("listening on port %1").arg(port)));
}

TEST(GorseHost, UnreadableWordListRejectsEveryWordAndSigintEndsIt)
{
    HostProcess host;
    host.start({QStringLiteral("--port"), QStringLiteral("0"), QStringLiteral("--words"),
                QStringLiteral("/nonexistent/gorse-words.dic")});
    const quint16 port = host.port();
    ASSERT_NE(port, 0) << host.log.constData();
    EXPECT_TRUE(waitUntil([&] { return host.log.contains("English.dic dictionary not found!"); }));
    std::vector<std::unique_ptr<RawClient>> clients;
    RawClient& ann = login(clients, port, 1, "Ann");
    ann.send(msg::startgame("Ann", 300, 60));
    ann.send(msg::sendword(1, {1, 2}));
    EXPECT_TRUE(ann.waitForPrefix("CMD_rejected+").startsWith("CMD_rejected+1+"));
    ASSERT_TRUE(host.stop(SIGINT));
    EXPECT_EQ(host.process.exitCode(), 0);
}

TEST(GorseHost, APortInUseIsAOneLineErrorAndExitCodeOne)
{
    QTcpServer taken;
    ASSERT_TRUE(taken.listen(QHostAddress::AnyIPv4, 0));
    HostProcess host;
    host.start({QStringLiteral("--port"), QString::number(taken.serverPort())});
    ASSERT_TRUE(waitUntil([&] { return host.process.state() == QProcess::NotRunning; }));
    host.log += host.process.readAllStandardError();
    EXPECT_EQ(host.process.exitCode(), 1);
    EXPECT_EQ(host.log.count('\n'), 1) << host.log.constData();
    EXPECT_TRUE(host.log.contains("Listen - Error Binding Socket")) << host.log.constData();
}
