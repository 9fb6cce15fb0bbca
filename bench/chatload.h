#pragma once

// Chat load for bench_load, in plain C++ on epoll so that the clients cost
// little next to the server they measure: nine loopback connections to a
// relay (gorse-host or bench_minrelay) that send chats and count what comes
// back.

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <string>
#include <sys/types.h>
#include <vector>

namespace gorse::bench {

// Processor time a process has used so far, in nanoseconds (from
// /proc/PID/schedstat); -1 when it cannot be read.
long long cpuNanoseconds(pid_t pid);
// A memory figure of a process in KiB from /proc/PID/status ("VmRSS",
// "VmHWM", ...); -1 when it cannot be read.
long long statusKiB(pid_t pid, const std::string& field);
// Resident memory of a process in KiB (VmRSS); -1 when it cannot be read.
long long residentKiB(pid_t pid);
// A figure of /proc/PID/smaps_rollup in KiB ("Rss", "Pss", ...): Pss shares
// each page among the processes that map it. -1 when it cannot be read.
long long rollupKiB(pid_t pid, const std::string& field);
// utime + stime of a process from /proc/PID/stat, in seconds; -1 when it
// cannot be read.
double cpuSeconds(pid_t pid);
// The open descriptors of a process; -1 when they cannot be read.
int openDescriptors(pid_t pid);
// Sends every byte on a blocking socket; false when the connection failed.
bool sendAll(int fd, const std::string& bytes);
// The wire the load's clients speak: the game's TCP wire, or one binary
// WebSocket message per game message to gorse-host's web port (/play).
enum class Wire { Tcp, WebSocket };
void useWire(Wire wire);
// Sends messages each ended by 0xFF on a blocking socket, framed for the
// wire in use; false when the connection failed.
bool sendMessages(int fd, const std::string& messages);
// A loopback port that was free a moment ago.
uint16_t freeLoopbackPort();
// Starts a program with its standard error going to errPath (or kept when
// empty); -1 when it could not be started.
pid_t spawnProgram(const std::string& path, const std::vector<std::string>& args,
                   const std::string& errPath);
// Tries to connect to 127.0.0.1:port until it works or timeoutMs passed;
// returns the connected socket (blocking) or -1.
int connectWhenListening(uint16_t port, int timeoutMs);
// Reads what has arrived on fd without waiting, adds it to rest, and moves
// every whole message (without its 0xFF) out of rest into lines. Returns
// 0 when the peer closed, -1 when nothing was read, else the bytes read.
ssize_t receiveMessages(int fd, std::string& rest, std::vector<std::string>& lines);
// connectWhenListening (5 s), then TCP_NODELAY (and on the WebSocket wire
// the handshake), and the socket added to the epoll set for reading with
// `index` as its data; -1 when it failed.
int connectPolled(uint16_t port, int epoll, unsigned index);
// For clients that pause between requests (members `due` and `dueAt`):
// calls send(client) for each whose time has come, and returns the
// milliseconds to wait for the next one, at most 10.
template <typename Client, typename Send>
int sendWhenDue(const std::vector<Client*>& clients, Send send)
{
    int wait = 10;
    const auto now = std::chrono::steady_clock::now();
    for (Client* c : clients) {
        if (!c->due)
            continue;
        if (c->dueAt <= now) {
            c->due = false;
            send(*c);
        } else {
            const auto left = std::chrono::ceil<std::chrono::milliseconds>(c->dueAt - now).count();
            wait = std::min(wait, int(left));
        }
    }
    return wait;
}
// Sends SIGTERM and waits up to timeoutMs for the end; kills it after that.
// Returns the exit status as waitpid gives it.
int stopProgram(pid_t pid, int timeoutMs);

struct ThroughputResult
{
    double seconds = 0;
    unsigned long long chats = 0;  // chats whose relay came back to their sender
    unsigned long long relays = 0; // relayed chats received by all nine
    long long cpuNs = -1;          // the server's processor time meanwhile
    double relaysPerSecond() const { return seconds > 0 ? double(relays) / seconds : 0; }
    double cpuNsPerChat() const { return chats && cpuNs >= 0 ? double(cpuNs) / double(chats) : 0; }
};

struct LatencyResult
{
    size_t samples = 0;
    double p50us = 0, p99us = 0, maxus = 0;
    unsigned long long background = 0; // chats sent by the other eight
};

// Nine raw connections to one server.
class ChatClients
{
public:
    // Connects nine clients to 127.0.0.1:port; with login, each answers
    // CMD_sendlogininfo with CMD_logininfo and waits until every login was
    // announced to everybody (what gorse-host needs before it relays a chat).
    // false and a reason in error() when that did not work within 10 s.
    bool open(uint16_t port, bool login);
    void close();
    ~ChatClients() { close(); }
    const std::string& error() const { return m_error; }

    // Each client keeps `inflight` chats under way: a chat's relay coming
    // back to its sender sends the next. Measures for `seconds` after a
    // short warm-up.
    ThroughputResult throughput(double seconds, int inflight, pid_t server);
    // Client 1 sends a chat whenever its previous one came back and measures
    // the round trip, while the other eight send `backgroundRate` chats per
    // second between them.
    LatencyResult latency(double seconds, int backgroundRate);
    // Clients 1 to `senders` each send a chat, wait for its relay, pause
    // pauseMs and send the next: the pattern of seats playing words, as a
    // yardstick for the game's word round trips.
    LatencyResult pacedRoundTrips(double seconds, int senders, int pauseMs);
    // Only the background load, for counting the server's system calls.
    // Returns the chats the eight sent.
    unsigned long long paced(double seconds, int backgroundRate);

private:
    struct Client;
    bool pump(int timeoutMs);
    void sendChat(Client& c);
    void settle(int ms);

    std::vector<Client*> m_clients;
    int m_epoll = -1;
    std::string m_error;
};

} // namespace gorse::bench
