// Connection numbers, logins, relays, removal and departures, against a
// real TServer over loopback.
#include "hostfixture.h"
#include "support/testutil.h"

#include <algorithm>
#include <arpa/inet.h>
#include <chrono>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <string>
#include <sys/resource.h>
#include <sys/socket.h>
#include <unistd.h>
#include <vector>

using namespace gorse;
using namespace gorse::test;

namespace {

sockaddr_in loopback(quint16 port)
{
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(port);
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    return address;
}

// Reads what the descriptors receive until each has a whole message (or
// timeoutMs has passed); what each received is in received.
bool waitForAMessageEach(const std::vector<int>& fds, std::vector<std::string>& received,
                         int timeoutMs)
{
    received.resize(fds.size());
    return waitUntil(
        [&] {
            for (size_t i = 0; i < fds.size(); ++i) {
                char buffer[256];
                const ssize_t got = ::recv(fds[i], buffer, sizeof buffer, MSG_DONTWAIT);
                if (got > 0)
                    received[i].append(buffer, size_t(got));
            }
            return std::all_of(received.begin(), received.end(), [](const std::string& r) {
                return r.find('\xFF') != std::string::npos;
            });
        },
        timeoutMs);
}

} // namespace

TEST(HostConnections, TheLowestFreeNumberIsGivenAndTheTenthIsRefused)
{
    HostFixture f;
    for (int k = 1; k <= 5; ++k)
        EXPECT_EQ(f.connect().messages, Lines{"CMD_sendlogininfo+" + QByteArray::number(k)});
    for (int k : {4, 1, 5, 2})
        f.leave(f.client(k));
    EXPECT_EQ(f.server->highWaterMark(), 5); // it never goes down
    for (int k : {1, 2, 4, 5, 6, 7, 8, 9})
        EXPECT_EQ(f.number(f.connect()), k);

    f.clear();
    RawClient tenth;
    tenth.socket.connectToHost(QStringLiteral("127.0.0.1"), f.port);
    EXPECT_TRUE(tenth.waitClosed());
    EXPECT_EQ(tenth.messages, Lines{"CMD_full+"});
    EXPECT_EQ(f.server->highWaterMark(), 9);
    EXPECT_EQ(f.logged(QStringLiteral("refused")), 1);
    // The nine keep being served, spies included, and hear nothing of it.
    f.sync();
    for (int k = 1; k <= 9; ++k) {
        EXPECT_TRUE(f.server->table().player(k).connected) << k;
        EXPECT_EQ(f.client(k).messages, Lines{}) << k;
    }
}

TEST(HostConnections, AWholeTableConnectingAtOnceIsHeldUntilTheHostTakesIt)
{
    // Nine players connect while the host is busy elsewhere (its event loop
    // does not run here): the system holds all of them for it, none has to
    // send its SYN again, and the host then numbers them all.
    HostFixture f;
    const sockaddr_in address = loopback(f.port);
    std::vector<pollfd> fds;
    for (int i = 0; i < kConnectionCount; ++i) {
        const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
        ASSERT_GE(fd, 0);
        fds.push_back({fd, POLLOUT, 0});
        ::connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address);
    }
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    for (pollfd& p : fds) {
        while (p.revents == 0 && std::chrono::steady_clock::now() < deadline)
            ::poll(&p, 1, 100);
    }
    for (size_t i = 0; i < fds.size(); ++i) {
        tcp_info info{};
        socklen_t size = sizeof info;
        ::getsockopt(fds[i].fd, IPPROTO_TCP, TCP_INFO, &info, &size);
        EXPECT_EQ(info.tcpi_state, TCP_ESTABLISHED) << "connection " << i + 1;
        EXPECT_EQ(info.tcpi_total_retrans, 0u) << "connection " << i + 1;
    }

    QList<int> numbers;
    std::vector<int> sockets;
    for (const pollfd& p : fds)
        sockets.push_back(p.fd);
    std::vector<std::string> received;
    EXPECT_TRUE(waitForAMessageEach(sockets, received, 20000));
    for (size_t i = 0; i < fds.size(); ++i) {
        const QByteArray line = QByteArray::fromStdString(received[i]).split('\xFF').first();
        EXPECT_TRUE(line.startsWith("CMD_sendlogininfo+")) << line.constData();
        numbers.append(line.mid(18).toInt());
        ::close(fds[i].fd);
    }
    std::sort(numbers.begin(), numbers.end());
    EXPECT_EQ(numbers, (QList<int>{1, 2, 3, 4, 5, 6, 7, 8, 9}));
}

TEST(HostConnections, AListenerOutOfDescriptorsAcceptsAgainOnceSomeAreFree)
{
    // Three connect while the process may open no more descriptors: the
    // host cannot take them then, and must take them once it may again.
    HostFixture f;
    const sockaddr_in address = loopback(f.port);
    std::vector<int> fds;
    for (int i = 0; i < 3; ++i)
        fds.push_back(::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0));
    rlimit saved{};
    ::getrlimit(RLIMIT_NOFILE, &saved);
    rlimit low = saved;
    low.rlim_cur = rlim_t(::dup(0)); // the lowest free number: all below are open
    ::close(int(low.rlim_cur));
    ASSERT_EQ(::setrlimit(RLIMIT_NOFILE, &low), 0);
    for (int fd : fds)
        ::connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address);
    settle(100); // the host tries, and fails
    ::setrlimit(RLIMIT_NOFILE, &saved);
    EXPECT_EQ(f.server->highWaterMark(), 0);

    std::vector<std::string> received;
    EXPECT_TRUE(waitForAMessageEach(fds, received, 5000));
    EXPECT_EQ(f.server->highWaterMark(), 3);
    for (int fd : fds)
        ::close(fd);
}

TEST(HostConnections, LoginsAndRelaysReachEveryoneByteForByte)
{
    HostFixture f;
    RawClient& ann = f.join("Ann");
    EXPECT_EQ(ann.messages, (Lines{"CMD_sendlogininfo+1", "CMD_newplayerinfo+1+Ann"}));
    RawClient& silent = f.connect(); // never logs in
    RawClient& cy = f.join("Cy Young", "1.2.0 beta");
    RawClient& dee = f.join("Dee", "1.2.0");
    for (int k = 5; k <= 7; ++k)
        f.connect(); // a spy among them
    f.sync();
    EXPECT_EQ(cy.messages, (Lines{"CMD_sendlogininfo+3", "CMD_newplayerinfo+3+Cy Young",
                                  "CMD_existingplayers+1+Ann", "CMD_existingplayers+2+",
                                  "CMD_wrongversion+", "CMD_newplayerinfo+4+Dee"}));
    EXPECT_EQ(ann.messages.mid(2),
              (Lines{"CMD_newplayerinfo+3+Cy Young", "CMD_havewrongversion+Cy Young",
                     "CMD_newplayerinfo+4+Dee"}));
    EXPECT_EQ(silent.messages, (Lines{"CMD_sendlogininfo+2", "CMD_newplayerinfo+3+Cy Young",
                                      "CMD_newplayerinfo+4+Dee"}));
    EXPECT_TRUE(withPrefix(dee, "CMD_wrongversion").isEmpty());
    EXPECT_EQ(f.server->table().player(3).name, "Cy Young"); // joined all the same

    f.clear();
    f.act(4, "CMD_chat+4+Hi+there|clBlack");
    f.act(3, "CMD_action+3+waves+grins|$00FF8800");
    f.act(7, "CMD_chat+7+from the gallery|clRed");
    f.act(1, "CMD_playasound+1+wave7+");
    f.act(4, "CMD_playasound+04+wave12+");
    f.sync();
    const Lines expected = {"CMD_chat+4+Dee chats: Hi+there|clBlack",
                            "CMD_action+3+Cy Young waves+grins|$00FF8800",
                            "CMD_chat+7+ chats: from the gallery|clRed", "CMD_playasound+1+wave7+",
                            "CMD_playasound+4+wave12+"};
    for (int k = 1; k <= 7; ++k)
        EXPECT_EQ(f.client(k).messages, expected) << "client " << k;
}

TEST(HostConnections, OnlyConnectionOneRemovesAndDeparturesGoToTheOthers)
{
    HostFixture f;
    RawClient& ann = f.join("Ann");
    RawClient& early = f.connect(); // closes before logging in
    RawClient& cy = f.join("Cy");
    RawClient& dee = f.join("Dee");
    f.clear();
    f.act(dee, "CMD_kickhim+4+3+");
    f.act(ann, "CMD_kickhim+1+8+"); // nobody there: nothing happens
    f.sync();
    EXPECT_TRUE(f.server->table().player(3).connected);
    EXPECT_EQ(f.logged(QStringLiteral("only connection 1 removes")), 1);

    f.leave(early);
    f.act(ann, "CMD_kickhim+1+3+");
    EXPECT_TRUE(cy.waitClosed());
    f.sync();
    const Lines departures = {"CMD_playerdisconnected+2+", "CMD_playerdisconnected+3+Cy"};
    EXPECT_EQ(ann.messages, departures);
    EXPECT_EQ(dee.messages, departures);
    EXPECT_TRUE(early.messages.isEmpty());
    EXPECT_TRUE(withPrefix(cy, "CMD_playerdisconnected+3").isEmpty());
    // The freed numbers come back empty.
    EXPECT_TRUE(f.server->table().player(3).name.isEmpty());
    RawClient& eve = f.join("Eve");
    EXPECT_EQ(f.number(eve), 2);
    EXPECT_EQ(eve.messages.mid(2),
              (Lines{"CMD_existingplayers+1+Ann", "CMD_existingplayers+4+Dee"}));
}
