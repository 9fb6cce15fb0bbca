// bench_relayalloc: heap allocations the host makes per relayed chat.
//
//   bench_relayalloc [--chats N]
//
// A TServer runs in this process; nine plain blocking sockets (which
// allocate nothing) log in and one of them sends chats, first one at a time
// (each relayed to all nine before the next is sent), then in bursts of 100.
// Every malloc, calloc and realloc of the process is counted while the host
// works, and the counts per relayed chat are printed.
#include "dict/tdictn.h"
#include "host/tserver.h"

#include <QCoreApplication>
#include <QHostAddress>

#include <arpa/inet.h>
#include <array>
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <string>
#include <sys/socket.h>
#include <unistd.h>

extern "C" void* __libc_malloc(size_t);
extern "C" void* __libc_calloc(size_t, size_t);
extern "C" void* __libc_realloc(void*, size_t);

namespace {

std::atomic<bool> counting{false};
std::atomic<unsigned long long> allocations{0};
std::atomic<unsigned long long> allocatedBytes{0};

inline void count(size_t bytes)
{
    if (counting.load(std::memory_order_relaxed)) {
        allocations.fetch_add(1, std::memory_order_relaxed);
        allocatedBytes.fetch_add(bytes, std::memory_order_relaxed);
    }
}

} // namespace

extern "C" void* malloc(size_t n)
{
    count(n);
    return __libc_malloc(n);
}

extern "C" void* calloc(size_t n, size_t size)
{
    count(n * size);
    return __libc_calloc(n, size);
}

extern "C" void* realloc(void* p, size_t n)
{
    count(n);
    return __libc_realloc(p, n);
}

namespace {

constexpr int kClients = 9;

struct Raw
{
    int fd = -1;
    unsigned long long terminators = 0; // messages received
    std::string first;                  // the start of what came first
};

void fail(const char* what)
{
    std::fprintf(stderr, "bench_relayalloc: %s\n", what);
    std::exit(1);
}

void readAll(Raw& c)
{
    static char buffer[1 << 16];
    for (;;) {
        const ssize_t n = ::recv(c.fd, buffer, sizeof buffer, MSG_DONTWAIT);
        if (n <= 0)
            return;
        if (c.first.size() < 64)
            c.first.append(buffer, size_t(std::min<ssize_t>(n, 64)));
        for (ssize_t i = 0; i < n; ++i)
            c.terminators += buffer[i] == '\xFF';
    }
}

void sendAll(int fd, const char* data, size_t size)
{
    while (size > 0) {
        const ssize_t n = ::send(fd, data, size, MSG_NOSIGNAL);
        if (n <= 0)
            fail("send failed");
        data += n;
        size -= size_t(n);
    }
}

// Runs the host's event loop until every client has received `target`
// messages in all.
void runUntil(std::array<Raw, kClients>& clients, unsigned long long target)
{
    for (int spin = 0; spin < 10000000; ++spin) {
        QCoreApplication::processEvents(QEventLoop::AllEvents);
        bool all = true;
        for (Raw& c : clients) {
            readAll(c);
            all = all && c.terminators >= target;
        }
        if (all)
            return;
    }
    fail("the relays did not arrive");
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    int chats = 2000;
    if (argc == 3 && std::strcmp(argv[1], "--chats") == 0)
        chats = std::max(100, std::atoi(argv[2]));

    gorse::TServer server(std::make_unique<gorse::TDictn>(QByteArray()), 1);
    server.startListening(0);
    const quint16 port = server.listeningPort();

    std::array<Raw, kClients> clients;
    for (int i = 0; i < kClients; ++i) {
        Raw& c = clients[size_t(i)];
        c.fd = ::socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in a{};
        a.sin_family = AF_INET;
        a.sin_port = htons(port);
        a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        if (::connect(c.fd, reinterpret_cast<sockaddr*>(&a), sizeof a) != 0)
            fail("cannot connect");
        const int one = 1;
        setsockopt(c.fd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
        for (int spin = 0; spin < 1000000 && c.terminators == 0; ++spin) {
            QCoreApplication::processEvents();
            readAll(c);
        }
        if (c.first.rfind("CMD_sendlogininfo+" + std::to_string(i + 1), 0) != 0)
            fail("unexpected connection number");
        const std::string login =
            "CMD_logininfo+" + std::to_string(i + 1) + "+1.2.0+P" + std::to_string(i + 1) + '\xFF';
        sendAll(c.fd, login.data(), login.size());
        for (int spin = 0; spin < 1000000 && c.terminators < 2; ++spin) {
            QCoreApplication::processEvents();
            readAll(c);
        }
    }
    // Everybody heard every login; from here on each count is "messages so far".
    const std::string chat = std::string("CMD_chat+1+hello from the load test|clBlack") + '\xFF';
    for (int spin = 0; spin < 2000; ++spin) {
        QCoreApplication::processEvents();
        for (Raw& c : clients)
            readAll(c);
    }
    for (Raw& c : clients)
        c.terminators = 0;
    unsigned long long expected = 0;

    // Warm-up: caches, buffers and the event loop's own first allocations.
    for (int i = 0; i < 200; ++i) {
        sendAll(clients[0].fd, chat.data(), chat.size());
        runUntil(clients, ++expected);
    }

    // One chat at a time.
    allocations = 0;
    allocatedBytes = 0;
    counting = true;
    for (int i = 0; i < chats; ++i) {
        sendAll(clients[0].fd, chat.data(), chat.size());
        runUntil(clients, ++expected);
    }
    counting = false;
    const double singleCount = double(allocations) / chats;
    const double singleBytes = double(allocatedBytes) / chats;

    // Bursts of 100.
    std::string burst;
    for (int i = 0; i < 100; ++i)
        burst += chat;
    allocations = 0;
    allocatedBytes = 0;
    counting = true;
    for (int i = 0; i < chats / 100; ++i) {
        sendAll(clients[0].fd, burst.data(), burst.size());
        expected += 100;
        runUntil(clients, expected);
    }
    counting = false;
    const int burstChats = (chats / 100) * 100;
    std::printf("host heap allocations per relayed chat (to nine connections): %.1f one at a "
                "time (%.0f bytes), %.1f in bursts of 100 (%.0f bytes)\n",
                singleCount, singleBytes, double(allocations) / burstChats,
                double(allocatedBytes) / burstChats);
    for (Raw& c : clients)
        ::close(c.fd);
    return 0;
}
