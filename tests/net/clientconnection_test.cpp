// A client's connection over loopback: the login and its answer, handlers in
// order, and a host that sends an endless line.
#include "game/rules.h"
#include "net/clientconnection.h"
#include "net/messages.h"
#include "support/testutil.h"

#include <QTcpServer>
#include <QTcpSocket>
#include <gtest/gtest.h>

using namespace gorse;
using gorse::test::waitUntil;
using namespace Qt::StringLiterals;

namespace {

// A connection to a bare listener, with a log of the handlers' calls.
struct Link
{
    ClientConnection connection;
    QTcpServer host;
    QTcpSocket* peer = nullptr;
    QByteArray fromClient;
    QStringList calls;

    explicit Link(std::optional<QByteArray> name)
    {
        connection.setLoginName([this, name](int own) {
            calls.append(QStringLiteral("login %1").arg(own));
            return name;
        });
        connection.addCommand(msg::name::sendlogininfo,
                              [this](const QByteArray& f) { connection.login(f); });
        connection.addCommand(msg::name::chat, [this](const QByteArray& f) {
            calls.append(u"chat "_s + QString::fromUtf8(f));
            connection.send("CMD_mark+");
        });
    }
    bool open()
    {
        if (!host.listen(QHostAddress::LocalHost, 0) ||
            !connection.open(QStringLiteral("127.0.0.1"), host.serverPort()).isEmpty() ||
            !waitUntil([&] { return host.hasPendingConnections(); }))
            return false;
        peer = host.nextPendingConnection();
        QObject::connect(peer, &QTcpSocket::readyRead, [this] { fromClient += peer->readAll(); });
        return waitUntil([&] { return connection.sock().Connected(); });
    }
};

} // namespace

TEST(ClientConnection, LogsInUnderTheGivenNameAndAnswersInOrder)
{
    for (const bool named : {true, false}) {
        SCOPED_TRACE(named ? "named" : "refused");
        Link link(named ? std::optional<QByteArray>("Dee") : std::nullopt);
        ASSERT_TRUE(link.open());
        link.peer->write(frame(msg::sendlogininfo(4)) + frame("CMD_chat+hi"));
        ASSERT_TRUE(waitUntil([&] { return link.calls.size() == 2; }));
        EXPECT_EQ(link.calls, (QStringList{u"login 4"_s, u"chat hi"_s}));
        EXPECT_EQ(link.connection.ownNumber(), 4);
        EXPECT_EQ(link.connection.loggedIn(), named);
        const QByteArray expected =
            (named ? frame("CMD_logininfo+4+" + QByteArray(kVersionText) + "+Dee") : QByteArray()) +
            frame("CMD_mark+");
        ASSERT_TRUE(waitUntil([&] { return link.fromClient.size() >= expected.size(); }));
        EXPECT_EQ(link.fromClient, expected);
    }
}

TEST(ClientConnection, AnEndlessLineIsReportedAfterTheMessagesBeforeIt)
{
    Link link(QByteArray("Dee"));
    ASSERT_TRUE(link.open());
    int overlong = 0;
    QObject::connect(&link.connection, &ClientConnection::overlongLine, [&] { ++overlong; });
    link.peer->write(frame("CMD_chat+before") + QByteArray(kMaxLineLength + 1, 'x'));
    ASSERT_TRUE(waitUntil([&] { return overlong == 1 && !link.calls.isEmpty(); }));
    EXPECT_EQ(link.calls, QStringList{u"chat before"_s});
}
