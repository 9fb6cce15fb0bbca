// bench_minrelay: the smallest relay server the game's message format
// allows, as the yardstick for gorse-host in bench_load.
//
//   bench_minrelay PORT
//
// Plain C++ on epoll, one thread, no Qt. Listens on 127.0.0.1:PORT, gives
// each of up to nine connections a number and tells it
// "CMD_sendlogininfo+N", cuts what arrives at 0xFF, and sends every
// message, unchanged, to all connections: what one turn of the event loop
// collected goes out with one send() per connection. Ends on SIGTERM or
// SIGINT, or after an hour in any case.
#include <arpa/inet.h>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <fcntl.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <string>
#include <sys/epoll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

constexpr int kConnections = 9;
constexpr char kTerminator = '\xFF';
// A connection that has more than this waiting to go out is closed.
constexpr size_t kMaxOutgoing = 1 << 20;

volatile sig_atomic_t stopping = 0;

void onSignal(int)
{
    stopping = 1;
}

struct Connection
{
    int fd = -1;
    std::string in;  // bytes after the last terminator
    std::string out; // what the network has not taken yet
};

Connection connections[kConnections + 1]; // index 0 unused
int epollFd = -1;

void closeConnection(int k)
{
    Connection& c = connections[k];
    if (c.fd < 0)
        return;
    epoll_ctl(epollFd, EPOLL_CTL_DEL, c.fd, nullptr);
    ::close(c.fd);
    c.fd = -1;
    c.in.clear();
    c.out.clear();
}

// Sends what is waiting; asks for a write notification when the network
// does not take all of it.
void flushConnection(int k)
{
    Connection& c = connections[k];
    if (c.fd < 0 || c.out.empty())
        return;
    const ssize_t n = ::send(c.fd, c.out.data(), c.out.size(), MSG_NOSIGNAL | MSG_DONTWAIT);
    if (n > 0)
        c.out.erase(0, size_t(n));
    else if (n < 0 && errno != EAGAIN && errno != EWOULDBLOCK) {
        closeConnection(k);
        return;
    }
    epoll_event ev{};
    ev.events = EPOLLIN | (c.out.empty() ? 0u : unsigned(EPOLLOUT));
    ev.data.u32 = unsigned(k);
    epoll_ctl(epollFd, EPOLL_CTL_MOD, c.fd, &ev);
}

void accepting(int listener)
{
    for (;;) {
        const int fd = ::accept4(listener, nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC);
        if (fd < 0)
            return;
        int k = 1;
        while (k <= kConnections && connections[k].fd >= 0)
            ++k;
        if (k > kConnections) {
            ::close(fd);
            continue;
        }
        const int one = 1;
        setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
        connections[k].fd = fd;
        epoll_event ev{};
        ev.events = EPOLLIN;
        ev.data.u32 = unsigned(k);
        epoll_ctl(epollFd, EPOLL_CTL_ADD, fd, &ev);
        connections[k].out = "CMD_sendlogininfo+" + std::to_string(k) + kTerminator;
        flushConnection(k);
    }
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: bench_minrelay PORT\n");
        return 2;
    }
    std::signal(SIGPIPE, SIG_IGN);
    std::signal(SIGTERM, onSignal);
    std::signal(SIGINT, onSignal);

    const int listener = ::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    const int one = 1;
    setsockopt(listener, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(uint16_t(std::atoi(argv[1])));
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (::bind(listener, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
        ::listen(listener, 16) != 0) {
        std::perror("bench_minrelay: listen");
        return 1;
    }
    epollFd = epoll_create1(EPOLL_CLOEXEC);
    epoll_event ev{};
    ev.events = EPOLLIN;
    ev.data.u32 = 0;
    epoll_ctl(epollFd, EPOLL_CTL_ADD, listener, &ev);

    const time_t deadline = std::time(nullptr) + 3600;
    static char buffer[65536];
    epoll_event events[kConnections + 1];
    std::string batch; // the messages of one turn, terminators included
    while (!stopping && std::time(nullptr) < deadline) {
        const int n = epoll_wait(epollFd, events, kConnections + 1, 1000);
        batch.clear();
        for (int i = 0; i < n; ++i) {
            const int k = int(events[i].data.u32);
            if (k == 0) {
                accepting(listener);
                continue;
            }
            Connection& c = connections[k];
            if (c.fd < 0)
                continue;
            if (events[i].events & EPOLLOUT)
                flushConnection(k);
            if (!(events[i].events & (EPOLLIN | EPOLLHUP | EPOLLERR)))
                continue;
            const ssize_t got = ::recv(c.fd, buffer, sizeof buffer, MSG_DONTWAIT);
            if (got == 0 || (got < 0 && errno != EAGAIN && errno != EWOULDBLOCK)) {
                closeConnection(k);
                continue;
            }
            if (got < 0)
                continue;
            c.in.append(buffer, size_t(got));
            const size_t last = c.in.rfind(kTerminator);
            if (last == std::string::npos)
                continue;
            batch.append(c.in, 0, last + 1);
            c.in.erase(0, last + 1);
        }
        if (batch.empty())
            continue;
        for (int k = 1; k <= kConnections; ++k) {
            Connection& c = connections[k];
            if (c.fd < 0)
                continue;
            c.out += batch;
            flushConnection(k);
            if (c.out.size() > kMaxOutgoing)
                closeConnection(k);
        }
    }
    ::close(listener);
    return 0;
}
