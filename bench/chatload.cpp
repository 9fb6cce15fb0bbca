#include "chatload.h"

#include <algorithm>
#include <arpa/inet.h>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <deque>
#include <dirent.h>
#include <fcntl.h>
#include <fstream>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <spawn.h>
#include <sstream>
#include <sys/epoll.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

extern char** environ;

namespace gorse::bench {

namespace {

using Clock = std::chrono::steady_clock;
constexpr char kTerminator = '\xFF';
constexpr int kClients = 9;

double secondsSince(Clock::time_point start)
{
    return std::chrono::duration<double>(Clock::now() - start).count();
}

// The connection number after a command's "+": "CMD_chat+3+..." gives 3.
int leadingNumber(const std::string& line, size_t from)
{
    int n = 0;
    for (size_t i = from; i < line.size() && line[i] >= '0' && line[i] <= '9'; ++i)
        n = n * 10 + (line[i] - '0');
    return n;
}

Wire wireInUse = Wire::Tcp;

// A client's WebSocket frame: binary, final, masked (as a browser's is).
void appendFrame(std::string& out, const char* data, size_t size)
{
    static const unsigned char mask[4] = {0x37, 0xFA, 0x21, 0x3D};
    out += char(0x82);
    if (size < 126) {
        out += char(0x80 | size);
    } else if (size <= 0xFFFF) {
        out += char(0x80 | 126);
        out += char(size >> 8);
        out += char(size & 0xFF);
    } else {
        out += char(0x80 | 127);
        for (int shift = 56; shift >= 0; shift -= 8)
            out += char((uint64_t(size) >> shift) & 0xFF);
    }
    out.append(reinterpret_cast<const char*>(mask), 4);
    for (size_t i = 0; i < size; ++i)
        out += char(data[i] ^ char(mask[i % 4]));
}

// The upgrade of a freshly connected socket to a WebSocket on /play. Reads
// the answer a byte at a time, so that nothing after it is taken.
bool upgrade(int fd, uint16_t port)
{
    const std::string request = "GET /play HTTP/1.1\r\nHost: 127.0.0.1:" + std::to_string(port) +
                                "\r\nUpgrade: websocket\r\nConnection: Upgrade\r\n"
                                "Sec-WebSocket-Key: dGhlIHNhbXBsZSBub25jZQ==\r\n"
                                "Sec-WebSocket-Version: 13\r\n\r\n";
    if (!sendAll(fd, request))
        return false;
    std::string answer;
    char byte = 0;
    while (answer.size() < 4096 && answer.find("\r\n\r\n") == std::string::npos) {
        if (::recv(fd, &byte, 1, 0) != 1)
            return false;
        answer += byte;
    }
    return answer.rfind("HTTP/1.1 101", 0) == 0;
}

} // namespace

void useWire(Wire wire)
{
    wireInUse = wire;
}

bool sendMessages(int fd, const std::string& messages)
{
    if (wireInUse == Wire::Tcp)
        return sendAll(fd, messages);
    std::string frames;
    size_t start = 0;
    for (size_t end = messages.find(kTerminator); end != std::string::npos;
         end = messages.find(kTerminator, start)) {
        appendFrame(frames, messages.data() + start, end - start);
        start = end + 1;
    }
    return sendAll(fd, frames);
}

bool sendAll(int fd, const std::string& bytes)
{
    size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::send(fd, bytes.data() + done, bytes.size() - done, MSG_NOSIGNAL);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        done += size_t(n);
    }
    return true;
}

long long cpuNanoseconds(pid_t pid)
{
    std::ifstream in("/proc/" + std::to_string(pid) + "/schedstat");
    long long ns = -1;
    if (!(in >> ns))
        return -1;
    return ns;
}

namespace {

// The number after "field:" in /proc/PID/file, or -1.
long long procField(pid_t pid, const char* file, const std::string& field)
{
    std::ifstream in("/proc/" + std::to_string(pid) + "/" + file);
    const std::string key = field + ':';
    std::string line;
    while (std::getline(in, line)) {
        if (line.rfind(key, 0) == 0)
            return std::atoll(line.c_str() + key.size());
    }
    return -1;
}

} // namespace

long long statusKiB(pid_t pid, const std::string& field)
{
    return procField(pid, "status", field);
}

long long residentKiB(pid_t pid)
{
    return statusKiB(pid, "VmRSS");
}

long long rollupKiB(pid_t pid, const std::string& field)
{
    return procField(pid, "smaps_rollup", field);
}

double cpuSeconds(pid_t pid)
{
    std::ifstream in("/proc/" + std::to_string(pid) + "/stat");
    std::string line;
    if (!std::getline(in, line))
        return -1;
    // After the name in parentheses: state is field 3, utime 14, stime 15.
    const size_t close = line.rfind(')');
    if (close == std::string::npos)
        return -1;
    std::istringstream fields(line.substr(close + 2));
    std::string field;
    long long utime = -1, stime = -1;
    for (int n = 3; n <= 15 && fields >> field; ++n) {
        if (n == 14)
            utime = std::atoll(field.c_str());
        else if (n == 15)
            stime = std::atoll(field.c_str());
    }
    if (utime < 0 || stime < 0)
        return -1;
    return double(utime + stime) / double(sysconf(_SC_CLK_TCK));
}

int openDescriptors(pid_t pid)
{
    DIR* dir = ::opendir(("/proc/" + std::to_string(pid) + "/fd").c_str());
    if (!dir)
        return -1;
    int count = 0;
    while (const dirent* entry = ::readdir(dir)) {
        if (entry->d_name[0] != '.')
            ++count;
    }
    ::closedir(dir);
    return count;
}

uint16_t freeLoopbackPort()
{
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t len = sizeof a;
    uint16_t port = 0;
    if (::bind(fd, reinterpret_cast<sockaddr*>(&a), sizeof a) == 0 &&
        ::getsockname(fd, reinterpret_cast<sockaddr*>(&a), &len) == 0)
        port = ntohs(a.sin_port);
    ::close(fd);
    return port;
}

pid_t spawnProgram(const std::string& path, const std::vector<std::string>& args,
                   const std::string& errPath)
{
    std::vector<char*> argv;
    argv.push_back(const_cast<char*>(path.c_str()));
    for (const std::string& a : args)
        argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    if (!errPath.empty())
        posix_spawn_file_actions_addopen(&actions, 2, errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                         0644);
    pid_t pid = -1;
    const int rc = posix_spawn(&pid, path.c_str(), &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    return rc == 0 ? pid : -1;
}

ssize_t receiveMessages(int fd, std::string& rest, std::vector<std::string>& lines)
{
    static char buffer[1 << 16];
    lines.clear();
    const ssize_t got = ::recv(fd, buffer, sizeof buffer, MSG_DONTWAIT);
    if (got <= 0)
        return got == 0 ? 0 : -1;
    rest.append(buffer, size_t(got));
    size_t start = 0;
    if (wireInUse == Wire::WebSocket) {
        // The server's frames: unmasked, each a whole message here.
        while (rest.size() - start >= 2) {
            const auto at = [&](size_t i) { return uint64_t(uint8_t(rest[start + i])); };
            const unsigned opcode = unsigned(at(0) & 0x0F);
            uint64_t size = at(1) & 0x7F;
            size_t header = 2;
            if (size == 126) {
                header = 4;
                size = rest.size() - start >= 4 ? (at(2) << 8 | at(3)) : 0;
            } else if (size == 127) {
                header = 10;
                size = 0;
                for (size_t i = 2; i < 10 && rest.size() - start >= 10; ++i)
                    size = size << 8 | at(i);
            }
            if (rest.size() - start < header + size)
                break;
            if (opcode == 0x8)
                return 0; // the server closes
            if (opcode == 0x2 || opcode == 0x0)
                lines.push_back(rest.substr(start + header, size));
            start += header + size;
        }
        rest.erase(0, start);
        return got;
    }
    for (size_t end = rest.find(kTerminator); end != std::string::npos;
         end = rest.find(kTerminator, start)) {
        lines.push_back(rest.substr(start, end - start));
        start = end + 1;
    }
    rest.erase(0, start);
    return got;
}

int connectPolled(uint16_t port, int epoll, unsigned index)
{
    const int fd = connectWhenListening(port, 5000);
    if (fd < 0)
        return -1;
    const int one = 1;
    setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
    if (wireInUse == Wire::WebSocket && !upgrade(fd, port)) {
        ::close(fd);
        return -1;
    }
    epoll_event ev{};
    ev.events = EPOLLIN;
    ev.data.u32 = index;
    epoll_ctl(epoll, EPOLL_CTL_ADD, fd, &ev);
    return fd;
}

int connectWhenListening(uint16_t port, int timeoutMs)
{
    const auto start = Clock::now();
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_port = htons(port);
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    while (secondsSince(start) * 1000 < timeoutMs) {
        const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        if (::connect(fd, reinterpret_cast<sockaddr*>(&a), sizeof a) == 0)
            return fd;
        ::close(fd);
        std::this_thread::sleep_for(std::chrono::microseconds(50));
    }
    return -1;
}

int stopProgram(pid_t pid, int timeoutMs)
{
    int status = 0;
    ::kill(pid, SIGTERM);
    const auto start = Clock::now();
    while (secondsSince(start) * 1000 < timeoutMs) {
        if (::waitpid(pid, &status, WNOHANG) == pid)
            return status;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    ::kill(pid, SIGKILL);
    ::waitpid(pid, &status, 0);
    return status;
}

struct ChatClients::Client
{
    int fd = -1;
    int number = 0;
    std::string rest;
    std::string chat; // this client's chat message, terminator included
    int inflight = 0;
    std::deque<Clock::time_point> sent; // client 1's chats under way
    Clock::time_point dueAt;            // paced: when the next chat goes
    bool due = false;
};

namespace {

// What the clients are doing; pump() acts on it for every relay.
enum class Mode { Idle, Throughput, Latency, Paced };
Mode mode = Mode::Idle;
bool keepSending = false;
bool measuring = false;
unsigned long long relays = 0, chats = 0;
int logins = 0;
int pauseMs = 0;                // paced: a sender's pause between a relay and its next chat
std::vector<double> roundTrips; // microseconds

LatencyResult summarise(std::vector<double> v)
{
    LatencyResult r;
    std::sort(v.begin(), v.end());
    r.samples = v.size();
    if (!v.empty()) {
        r.p50us = v[v.size() / 2];
        r.p99us = v[std::min(v.size() - 1, size_t(double(v.size()) * 0.99))];
        r.maxus = v.back();
    }
    return r;
}

} // namespace

void ChatClients::sendChat(Client& c)
{
    // A round trip starts before the send: on loopback the send itself
    // carries the server's side of receiving.
    const auto now = Clock::now();
    if (!sendMessages(c.fd, c.chat))
        return;
    ++c.inflight;
    if ((mode == Mode::Latency && c.number == 1) || mode == Mode::Paced)
        c.sent.push_back(now);
}

bool ChatClients::pump(int timeoutMs)
{
    epoll_event events[kClients];
    const int n = epoll_wait(m_epoll, events, kClients, timeoutMs);
    std::vector<std::string> lines;
    for (int i = 0; i < n; ++i) {
        Client& c = *m_clients[events[i].data.u32];
        const ssize_t got = receiveMessages(c.fd, c.rest, lines);
        if (got == 0) {
            m_error = "the server closed a connection";
            return false;
        }
        if (got < 0)
            continue;
        for (const std::string& line : lines) {
            if (line.rfind("CMD_chat+", 0) == 0) {
                if (measuring)
                    ++relays;
                if (leadingNumber(line, 9) != c.number)
                    continue;
                --c.inflight;
                if (mode == Mode::Throughput) {
                    if (measuring)
                        ++chats;
                    if (keepSending)
                        sendChat(c);
                } else if ((mode == Mode::Paced || (mode == Mode::Latency && c.number == 1)) &&
                           !c.sent.empty()) {
                    const double us =
                        std::chrono::duration<double, std::micro>(Clock::now() - c.sent.front())
                            .count();
                    c.sent.pop_front();
                    if (measuring)
                        roundTrips.push_back(us);
                    if (!keepSending) {
                    } else if (mode == Mode::Paced) {
                        c.due = true;
                        c.dueAt = Clock::now() + std::chrono::milliseconds(pauseMs);
                    } else {
                        sendChat(c);
                    }
                }
            } else if (line.rfind("CMD_sendlogininfo+", 0) == 0) {
                c.number = leadingNumber(line, 18);
            } else if (line.rfind("CMD_newplayerinfo+", 0) == 0 && c.number == 1) {
                ++logins; // client 1 hears every login, its own included
            }
        }
    }
    return true;
}

void ChatClients::settle(int ms)
{
    const auto start = Clock::now();
    while (secondsSince(start) * 1000 < ms && pump(10)) {
    }
}

bool ChatClients::open(uint16_t port, bool login)
{
    close();
    m_epoll = epoll_create1(EPOLL_CLOEXEC);
    logins = 0;
    mode = Mode::Idle;
    measuring = false;
    for (int i = 0; i < kClients; ++i) {
        auto* c = new Client;
        m_clients.push_back(c);
        c->fd = connectPolled(port, m_epoll, unsigned(i));
        if (c->fd < 0) {
            m_error = "cannot connect";
            return false;
        }
        const auto start = Clock::now();
        while (c->number == 0 && secondsSince(start) < 10 && pump(10)) {
        }
        if (c->number == 0) {
            m_error = "no connection number";
            return false;
        }
        c->chat = "CMD_chat+" + std::to_string(c->number) + "+hello from the load test|clBlack";
        c->chat += kTerminator;
        if (login) {
            std::string message = "CMD_logininfo+" + std::to_string(c->number) + "+1.2.0+P" +
                                  std::to_string(c->number);
            message += kTerminator;
            sendMessages(c->fd, message);
        }
    }
    if (login) {
        const int expected = kClients;
        const auto start = Clock::now();
        while (logins < expected && secondsSince(start) < 10 && pump(10)) {
        }
        if (logins < expected) {
            m_error = "logins did not come through";
            return false;
        }
    }
    settle(100);
    return true;
}

void ChatClients::close()
{
    for (Client* c : m_clients) {
        if (c->fd >= 0)
            ::close(c->fd);
        delete c;
    }
    m_clients.clear();
    if (m_epoll >= 0)
        ::close(m_epoll);
    m_epoll = -1;
}

ThroughputResult ChatClients::throughput(double seconds, int inflight, pid_t server)
{
    mode = Mode::Throughput;
    keepSending = true;
    measuring = false;
    for (Client* c : m_clients) {
        for (int i = 0; i < inflight; ++i)
            sendChat(*c);
    }
    const auto warm = Clock::now();
    while (secondsSince(warm) < 0.5 && pump(10)) {
    }
    ThroughputResult r;
    relays = chats = 0;
    measuring = true;
    const long long cpuBefore = cpuNanoseconds(server);
    const auto start = Clock::now();
    while (secondsSince(start) < seconds && pump(10)) {
    }
    r.seconds = secondsSince(start);
    const long long cpuAfter = cpuNanoseconds(server);
    measuring = false;
    r.relays = relays;
    r.chats = chats;
    if (cpuBefore >= 0 && cpuAfter >= 0)
        r.cpuNs = cpuAfter - cpuBefore;
    // Let the chats under way come back before anything else is measured.
    keepSending = false;
    const auto drain = Clock::now();
    auto under = [this] {
        int n = 0;
        for (Client* c : m_clients)
            n += c->inflight;
        return n;
    };
    while (under() > 0 && secondsSince(drain) < 5 && pump(10)) {
    }
    mode = Mode::Idle;
    settle(100);
    return r;
}

LatencyResult ChatClients::latency(double seconds, int backgroundRate)
{
    LatencyResult r;
    roundTrips.clear();
    mode = Mode::Latency;
    keepSending = true;
    measuring = false;
    const double interval = double(kClients - 1) / double(backgroundRate); // per client
    const auto start = Clock::now();
    double nextBackground = 0;
    sendChat(*m_clients[0]);
    while (secondsSince(start) < seconds + 0.5) {
        measuring = secondsSince(start) >= 0.5;
        const double now = secondsSince(start);
        while (nextBackground <= now) {
            for (int i = 1; i < kClients; ++i) {
                sendChat(*m_clients[size_t(i)]);
                if (measuring)
                    ++r.background;
            }
            nextBackground += interval;
        }
        const int wait = int(std::max(0.0, (nextBackground - secondsSince(start)) * 1000));
        if (!pump(std::min(wait, 10)))
            break;
    }
    measuring = false;
    keepSending = false;
    settle(300);
    mode = Mode::Idle;
    const LatencyResult figures = summarise(roundTrips);
    r.samples = figures.samples;
    r.p50us = figures.p50us;
    r.p99us = figures.p99us;
    r.maxus = figures.maxus;
    return r;
}

LatencyResult ChatClients::pacedRoundTrips(double seconds, int senders, int pause)
{
    roundTrips.clear();
    mode = Mode::Paced;
    pauseMs = pause;
    keepSending = true;
    measuring = false;
    const auto start = Clock::now();
    for (int i = 0; i < senders && i < kClients; ++i)
        sendChat(*m_clients[size_t(i)]);
    while (secondsSince(start) < seconds + 0.5) {
        measuring = secondsSince(start) >= 0.5;
        const int wait = sendWhenDue(m_clients, [this](Client& c) { sendChat(c); });
        if (!pump(wait))
            break;
    }
    measuring = false;
    keepSending = false;
    settle(300);
    for (Client* c : m_clients) {
        c->due = false;
        c->sent.clear();
    }
    mode = Mode::Idle;
    return summarise(roundTrips);
}

unsigned long long ChatClients::paced(double seconds, int backgroundRate)
{
    mode = Mode::Idle;
    unsigned long long sent = 0;
    const double interval = double(kClients - 1) / double(backgroundRate);
    const auto start = Clock::now();
    double next = 0;
    while (secondsSince(start) < seconds) {
        const double now = secondsSince(start);
        while (next <= now) {
            for (int i = 1; i < kClients; ++i) {
                sendChat(*m_clients[size_t(i)]);
                ++sent;
            }
            next += interval;
        }
        const int wait = int(std::max(0.0, (next - secondsSince(start)) * 1000));
        if (!pump(std::min(wait, 10)))
            break;
    }
    settle(300);
    return sent;
}

} // namespace gorse::bench
