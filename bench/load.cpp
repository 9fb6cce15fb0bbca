// bench_load: gorse-host against a minimal relay, back to back, and a
// game's load on gorse-host.
//
//   bench_load [--host PATH] [--relay PATH] [--chat-seconds S] [--requests N]
//              [--seconds S] [--idle S] [--no-strace]
//
// First the same chat load runs against bench_minrelay (the smallest relay
// the message format allows: epoll, one send per connection per turn) and
// against gorse-host, each with nine loopback clients:
//  - throughput: every client keeps eight chats under way; relays received
//    per second by the nine, and the server's processor time per chat;
//  - round trip: client 1's chat while the other eight send 2,000 chats per
//    second between them (median, p99);
//  - system calls per relayed chat, counted with strace -c (when strace is
//    there) under a steady 1,000 chats per second.
// The ratios gorse-host / relay are printed at the end: the machine is
// shared and noisy, and a ratio from one run is what holds.
//
// Then gorse-host alone: its start-up (exec to accepting connections), its
// resident memory with nine idle clients, and a game: connection 1 starts a
// game, and the six seats play as fast as the answers come back: each seat
// sends one word (or, every fourth time, a discard), waits for its answer,
// and sends the next. Words are found from the seat's exposed cards with the
// built-in word list, so most are accepted; when connection 1 runs out of
// cards it starts the game again. Prints the word round-trip median and
// 99th percentile and the messages handled and sent per second. Last, the
// host's processor time over --idle seconds, once with the nine logged in
// and no game running, and once with a game running and nobody acting.
#include "chatload.h"
#include "dict/tdictn.h"
#include "host/carddeck.h"
#include "net/messagequeue.h"
#include "net/messages.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
#include <QSet>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QThread>
#include <QTimer>

#include <algorithm>
#include <array>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <functional>
#include <memory>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

using namespace gorse;

namespace {

void fail(const char* what)
{
    std::fprintf(stderr, "bench_load: %s\n", what);
    std::exit(1);
}

bool waitFor(const std::function<bool()>& pred, int timeoutMs)
{
    QElapsedTimer timer;
    timer.start();
    while (!pred()) {
        if (timer.elapsed() > timeoutMs)
            return false;
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
    }
    return true;
}

// utime + stime of a process, in clock ticks.
qint64 cpuTicks(qint64 pid)
{
    QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
    if (!stat.open(QIODevice::ReadOnly))
        return -1;
    const QByteArray line = stat.readAll();
    const QList<QByteArray> fields = line.mid(line.lastIndexOf(')') + 2).split(' ');
    // After the name: state is field 3, utime field 14, stime field 15.
    return fields.value(11).toLongLong() + fields.value(12).toLongLong();
}

class Seat;

// One of the nine clients.
class LoadClient : public QObject
{
public:
    std::function<void(const QByteArray&)> onMessage;
    QTcpSocket socket;
    int number = 0;
    quint64 received = 0;

    LoadClient()
    {
        connect(&socket, &QTcpSocket::connected, this,
                [this] { socket.setSocketOption(QAbstractSocket::LowDelayOption, 1); });
        connect(&socket, &QTcpSocket::readyRead, this, [this] {
            QList<QByteArray> lines;
            if (!m_frames.append(socket.readAll(), lines))
                fail("the host sent an endless line");
            for (const QByteArray& line : lines) {
                ++received;
                if (line.startsWith("CMD_sendlogininfo+"))
                    number = line.mid(18).toInt();
                if (onMessage)
                    onMessage(line);
            }
        });
    }
    void send(const QByteArray& message) { socket.write(frame(message)); }

private:
    FrameBuffer m_frames;
};

// A playing seat: keeps its exposed cards, sends one request at a time.
class Seat
{
public:
    // words: the built-in list's words of up to nine letters, in a hash, so
    // that finding the next word costs the load little next to the host.
    Seat(LoadClient& client, const QSet<QByteArray>& words) : m_client(client), m_dict(words) {}

    std::vector<qint64> wordNs;    // word round-trips
    std::vector<qint64> discardNs; // discard round-trips
    quint64 requests = 0;
    quint64 restarts = 0;
    bool running = false;
    std::function<bool()> mayContinue;

    void handle(const QByteArray& line)
    {
        const qsizetype plus = line.indexOf('+');
        const QByteArray name = line.left(plus);
        const QByteArray rest = line.mid(plus + 1);
        if (name == msg::name::thecards) {
            for (const CardItem& item : msg::TheCards::parse(rest).cards)
                m_cards[item.pile - 1] = item.card;
        } else if (name == msg::name::theword || name == msg::name::rejected) {
            const CardList cards = name == msg::name::theword ? msg::TheWord::parse(rest).cards
                                                              : msg::Rejected::parse(rest).cards;
            for (const CardItem& item : cards)
                m_cards[item.pile - 1] = item.card;
            answered(wordNs);
        } else if (name == msg::name::discard) {
            const CardItem item = msg::DiscardResult::parse(rest).card;
            m_cards[item.pile - 1] = item.card;
            answered(discardNs);
        } else if (name == msg::name::startround && m_restarting) {
            m_restarting = false;
            answered(discardNs, false);
        }
    }

    void next()
    {
        if (!running || !mayContinue())
            return;
        ++requests;
        const int k = m_client.number;
        int filled = 0;
        for (int card : m_cards)
            filled += card != 0;
        if (k == 1 && filled < 2) {
            ++restarts;
            m_restarting = true;
            send(msg::startgame("P1", kPlayToScoreRange.maximum, kTimePerTurnRange.maximum));
            return;
        }
        if (requests % 4 == 0 || filled < 2) {
            for (int pile = 1; pile <= kPileCount; ++pile) {
                if (m_cards[pile - 1] != 0) {
                    send(msg::discard(k, pile));
                    return;
                }
            }
        }
        QList<int> piles = findword();
        if (piles.isEmpty())
            piles = {1, 2}; // no word here: it comes back rejected
        send(msg::sendword(k, piles));
    }

private:
    void send(const QByteArray& message)
    {
        m_clock.start();
        m_client.send(message);
        m_client.socket.flush();
    }

    void answered(std::vector<qint64>& into, bool record = true)
    {
        if (record)
            into.push_back(m_clock.nsecsElapsed());
        if (pauseMs > 0)
            QTimer::singleShot(pauseMs, Qt::PreciseTimer, [this] { next(); });
        else
            next();
    }

public:
    // A player's pause between an answer and the next request; 0 plays as
    // fast as the answers come.
    int pauseMs = 0;

private:
    QList<int> findword() const
    {
        // Three cards first, then two, from the lowest pile numbers.
        for (int length = 3; length >= 2; --length) {
            for (int a = 1; a <= kPileCount; ++a) {
                for (int b = 1; b <= kPileCount; ++b) {
                    if (b == a || !m_cards[a - 1] || !m_cards[b - 1])
                        continue;
                    const QByteArray two =
                        converttoletter(m_cards[a - 1]) + converttoletter(m_cards[b - 1]);
                    if (length == 2) {
                        if (m_dict.contains(two))
                            return {a, b};
                        continue;
                    }
                    for (int c = 1; c <= kPileCount; ++c) {
                        if (c == a || c == b || !m_cards[c - 1])
                            continue;
                        if (m_dict.contains(two + converttoletter(m_cards[c - 1])))
                            return {a, b, c};
                    }
                }
            }
        }
        return {};
    }

    LoadClient& m_client;
    const QSet<QByteArray>& m_dict;
    std::array<int, kPileCount> m_cards{};
    QElapsedTimer m_clock;
    bool m_restarting = false;
};

double percentile(std::vector<qint64> values, double p)
{
    if (values.empty())
        return 0;
    std::sort(values.begin(), values.end());
    const size_t index = std::min(values.size() - 1, size_t(p * double(values.size() - 1) + 0.5));
    return double(values[index]) / 1000.0; // microseconds
}

void idlePhase(const char* what, qint64 pid, int seconds)
{
    const qint64 before = cpuTicks(pid);
    QElapsedTimer timer;
    timer.start();
    waitFor([&] { return timer.elapsed() >= seconds * 1000; }, seconds * 1000 + 1000);
    const qint64 after = cpuTicks(pid);
    const double tick = 1000.0 / double(sysconf(_SC_CLK_TCK));
    std::printf("idle host, %s: %lld ticks (%.0f ms) of processor time in %d s\n", what,
                static_cast<long long>(after - before), double(after - before) * tick, seconds);
}

// strace -c on every thread of a process while the eight background clients
// send `rate` chats per second; the system calls per chat, or -1.
double syscallsPerChat(bench::ChatClients& clients, pid_t pid, int rate, double seconds,
                       const QString& outPath)
{
    const QString strace = QStringLiteral("/usr/bin/strace");
    if (!QFileInfo(strace).isExecutable())
        return -1;
    std::vector<std::string> args{"-c", "-f", "-q", "-o", outPath.toStdString()};
    for (const QString& tid : QDir(QStringLiteral("/proc/%1/task").arg(pid))
                                  .entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        args.push_back("-p");
        args.push_back(tid.toStdString());
    }
    const pid_t tracer = bench::spawnProgram(strace.toStdString(), args, std::string());
    if (tracer < 0)
        return -1;
    QThread::msleep(500); // attached
    const unsigned long long sent = clients.paced(seconds, rate);
    ::kill(tracer, SIGINT);
    int status = 0;
    ::waitpid(tracer, &status, 0);
    QFile out(outPath);
    if (!out.open(QIODevice::ReadOnly) || sent == 0)
        return -1;
    for (const QByteArray& line : out.readAll().split('\n')) {
        const QList<QByteArray> cols = line.simplified().split(' ');
        if (cols.size() >= 5 && cols.last() == "total")
            return cols.at(3).toDouble() / double(sent);
    }
    return -1;
}

struct ChatFigures
{
    bench::ThroughputResult throughput;
    bench::LatencyResult latency;
    double syscalls = -1;
};

ChatFigures chatPhases(const char* who, uint16_t port, pid_t pid, bool login, double seconds,
                       bool trace, const QString& tracePath)
{
    bench::ChatClients clients;
    if (!clients.open(port, login)) {
        std::fprintf(stderr, "bench_load: %s: %s\n", who, clients.error().c_str());
        std::exit(1);
    }
    ChatFigures f;
    f.throughput = clients.throughput(seconds, 8, pid);
    std::printf("%-10s chat relay: %.0f relays/s received (%llu chats in %.2f s), "
                "%.2f us processor per chat\n",
                who, f.throughput.relaysPerSecond(), f.throughput.chats, f.throughput.seconds,
                f.throughput.cpuNsPerChat() / 1000.0);
    f.latency = clients.latency(seconds, 2000);
    std::printf("%-10s chat round trip under 2,000 chats/s: median %.1f us, p99 %.1f us, max "
                "%.1f us (%zu samples)\n",
                who, f.latency.p50us, f.latency.p99us, f.latency.maxus, f.latency.samples);
    if (trace) {
        f.syscalls = syscallsPerChat(clients, pid, 1000, 2.0, tracePath);
        std::printf("%-10s system calls per relayed chat at 1,000 chats/s: %.1f\n", who,
                    f.syscalls);
    }
    clients.close();
    return f;
}

double ratio(double a, double b)
{
    return b > 0 ? a / b : 0;
}

} // namespace

int main(int argc, char** argv)
{
    // As gorse-host does: Qt's own event loop, not GLib's.
    if (!qEnvironmentVariableIsSet("QT_NO_GLIB"))
        qputenv("QT_NO_GLIB", "1");
    QCoreApplication app(argc, argv);
    QCommandLineParser parser;
    const QCommandLineOption hostOption(
        QStringLiteral("host"), QStringLiteral("gorse-host program"), QStringLiteral("PATH"));
    const QCommandLineOption relayOption(
        QStringLiteral("relay"), QStringLiteral("bench_minrelay program"), QStringLiteral("PATH"));
    const QCommandLineOption chatOption(QStringLiteral("chat-seconds"),
                                        QStringLiteral("length of each chat phase"),
                                        QStringLiteral("S"), QStringLiteral("5"));
    const QCommandLineOption requestsOption(QStringLiteral("requests"),
                                            QStringLiteral("requests in all"), QStringLiteral("N"),
                                            QStringLiteral("100000"));
    const QCommandLineOption secondsOption(QStringLiteral("seconds"),
                                           QStringLiteral("longest load time"), QStringLiteral("S"),
                                           QStringLiteral("30"));
    const QCommandLineOption idleOption(QStringLiteral("idle"),
                                        QStringLiteral("idle measurement, seconds"),
                                        QStringLiteral("S"), QStringLiteral("60"));
    const QCommandLineOption noStraceOption(QStringLiteral("no-strace"),
                                            QStringLiteral("do not count system calls"));
    parser.addHelpOption();
    parser.addOptions({hostOption, relayOption, chatOption, requestsOption, secondsOption,
                       idleOption, noStraceOption});
    parser.process(app);
    const QString binDir = QCoreApplication::applicationDirPath();
    const QString hostPath = parser.isSet(hostOption) ? parser.value(hostOption)
                                                      : binDir + QStringLiteral("/gorse-host");
    const QString relayPath = parser.isSet(relayOption)
                                  ? parser.value(relayOption)
                                  : binDir + QStringLiteral("/bench_minrelay");
    const double chatSeconds = parser.value(chatOption).toDouble();
    const quint64 maxRequests = parser.value(requestsOption).toULongLong();
    const qint64 maxMs = parser.value(secondsOption).toLongLong() * 1000;
    const int idleSeconds = parser.value(idleOption).toInt();
    const bool trace = !parser.isSet(noStraceOption);
    if (!QFileInfo(hostPath).isExecutable())
        fail("gorse-host not found; give it with --host");
    if (!QFileInfo(relayPath).isExecutable())
        fail("bench_minrelay not found; give it with --relay");
    QTemporaryDir dir;

    // ---- the minimal relay ----
    const uint16_t relayPort = bench::freeLoopbackPort();
    const pid_t relayPid =
        bench::spawnProgram(relayPath.toStdString(), {std::to_string(relayPort)}, std::string());
    if (relayPid < 0)
        fail("bench_minrelay did not start");
    const ChatFigures relay = chatPhases("relay", relayPort, relayPid, false, chatSeconds, trace,
                                         dir.filePath(QStringLiteral("relay.strace")));
    bench::stopProgram(relayPid, 5000);

    // ---- gorse-host: start-up, the same chat load, memory ----
    const QString logPath = dir.filePath(QStringLiteral("host.log"));
    std::vector<double> startMs;
    for (int run = 0; run < 5; ++run) {
        const uint16_t port = bench::freeLoopbackPort();
        const auto t0 = std::chrono::steady_clock::now();
        const pid_t pid = bench::spawnProgram(
            hostPath.toStdString(),
            {"--port", std::to_string(port), "--seed", "12345", "--no-announce"},
            logPath.toStdString());
        const int fd = bench::connectWhenListening(port, 5000);
        const auto t1 = std::chrono::steady_clock::now();
        if (fd < 0)
            fail("gorse-host did not start listening");
        ::close(fd);
        startMs.push_back(std::chrono::duration<double, std::milli>(t1 - t0).count());
        bench::stopProgram(pid, 5000);
    }
    std::sort(startMs.begin(), startMs.end());
    std::printf("gorse-host start-up, exec to accepting: median %.2f ms (best %.2f, worst %.2f "
                "of 5)\n",
                startMs[2], startMs.front(), startMs.back());

    const uint16_t port = bench::freeLoopbackPort();
    const pid_t pid =
        bench::spawnProgram(hostPath.toStdString(),
                            {"--port", std::to_string(port), "--seed", "12345", "--no-announce"},
                            logPath.toStdString());
    const int probe = pid < 0 ? -1 : bench::connectWhenListening(port, 5000);
    if (probe < 0)
        fail("gorse-host did not start");
    ::close(probe);
    QThread::msleep(200); // the host has let the probe's number go
    std::printf("gorse-host pid %lld on port %u\n", static_cast<long long>(pid), port);
    {
        bench::ChatClients idle;
        if (!idle.open(port, true))
            fail(idle.error().c_str());
        QThread::msleep(300);
        std::printf("gorse-host resident memory with nine idle clients: %.1f MiB\n",
                    double(bench::residentKiB(pid)) / 1024.0);
    }
    QThread::msleep(300); // the nine have left
    const ChatFigures host = chatPhases("gorse-host", port, pid, true, chatSeconds, trace,
                                        dir.filePath(QStringLiteral("host.strace")));
    std::printf("gorse-host resident memory after the chat load: %.1f MiB\n",
                double(bench::residentKiB(pid)) / 1024.0);
    std::printf("ratios gorse-host / relay: throughput %.2f, processor per chat %.1f, round trip "
                "median %.2f, p99 %.2f, system calls per chat %.2f\n",
                ratio(host.throughput.relaysPerSecond(), relay.throughput.relaysPerSecond()),
                ratio(host.throughput.cpuNsPerChat(), relay.throughput.cpuNsPerChat()),
                ratio(host.latency.p50us, relay.latency.p50us),
                ratio(host.latency.p99us, relay.latency.p99us),
                ratio(host.syscalls, relay.syscalls));
    QThread::msleep(300);

    // ---- a game ----
    std::vector<std::unique_ptr<LoadClient>> clients;
    for (int i = 1; i <= 9; ++i) {
        clients.push_back(std::make_unique<LoadClient>());
        LoadClient& c = *clients.back();
        c.socket.connectToHost(QStringLiteral("127.0.0.1"), port);
        if (!waitFor([&] { return c.number == i; }, 5000))
            fail("a client was not given its number");
        c.send(msg::logininfo(i, kVersionText, "P" + QByteArray::number(i)));
    }
    // Everybody has seen everybody's login.
    if (!waitFor([&] { return clients.front()->received >= 10; }, 5000))
        fail("logins did not come through");
    waitFor([] { return false; }, 200);

    if (idleSeconds > 0)
        idlePhase("nine logged in, no game", pid, idleSeconds);

    QSet<QByteArray> dict;
    {
        QFile list(QStringLiteral(":/words/english.dic"));
        if (!list.open(QIODevice::ReadOnly))
            fail("the built-in word list is missing");
        const QByteArray records = list.readAll();
        for (qsizetype at = 0; at + TDictn::recordsize <= records.size();
             at += TDictn::recordsize) {
            const QByteArray word = records.mid(at + 1, TDictn::recordsize - 1).trimmed();
            if (word.size() <= 9)
                dict.insert(word);
        }
    }
    std::vector<std::unique_ptr<Seat>> seats;
    QElapsedTimer wall;
    quint64 sentRequests = 0;
    quint64 maxPhaseRequests = maxRequests;
    qint64 phaseMs = maxMs;
    auto mayContinue = [&] { return sentRequests < maxPhaseRequests && wall.elapsed() < phaseMs; };
    for (int k = 1; k <= 6; ++k) {
        seats.push_back(std::make_unique<Seat>(*clients[k - 1], dict));
        Seat& seat = *seats.back();
        seat.mayContinue = [&] {
            if (!mayContinue())
                return false;
            ++sentRequests;
            return true;
        };
        clients[k - 1]->onMessage = [&seat](const QByteArray& line) { seat.handle(line); };
    }
    clients.front()->send(
        msg::startgame("P1", kPlayToScoreRange.maximum, kTimePerTurnRange.maximum));
    waitFor([&] { return false; }, 300); // the deal reached everybody

    // The six seats play: first each pausing a little between its answer
    // and its next word, then as fast as the answers come.
    auto play = [&](const char* what, int pauseMs, qint64 limitMs, quint64 limitRequests) {
        sentRequests = 0;
        maxPhaseRequests = limitRequests;
        phaseMs = limitMs;
        for (auto& seat : seats) {
            seat->wordNs.clear();
            seat->discardNs.clear();
            seat->restarts = 0;
            seat->pauseMs = pauseMs;
        }
        quint64 receivedBefore = 0;
        for (auto& c : clients)
            receivedBefore += c->received;
        const qint64 cpuBefore = cpuTicks(pid);
        wall.start();
        for (auto& seat : seats) {
            seat->running = true;
            seat->next();
        }
        waitFor([&] { return !mayContinue(); }, int(limitMs) + 5000);
        const qint64 elapsedNs = wall.nsecsElapsed();
        waitFor([&] { return false; }, 300); // the last answers
        const qint64 cpuAfter = cpuTicks(pid);
        quint64 receivedAfter = 0;
        for (auto& c : clients)
            receivedAfter += c->received;

        std::vector<qint64> words, discards;
        quint64 restarts = 0;
        for (auto& seat : seats) {
            words.insert(words.end(), seat->wordNs.begin(), seat->wordNs.end());
            discards.insert(discards.end(), seat->discardNs.begin(), seat->discardNs.end());
            restarts += seat->restarts;
        }
        const double seconds = double(elapsedNs) / 1e9;
        std::printf("game, %s: %llu requests (%zu words, %zu discards, %llu restarts) in %.2f s "
                    "from 6 seats\n",
                    what, static_cast<unsigned long long>(sentRequests), words.size(),
                    discards.size(), static_cast<unsigned long long>(restarts), seconds);
        std::printf("  word round-trip: median %.1f us, p90 %.1f us, p99 %.1f us, p99.9 %.1f us\n",
                    percentile(words, 0.5), percentile(words, 0.9), percentile(words, 0.99),
                    percentile(words, 0.999));
        std::printf("  discard round-trip: median %.1f us, p99 %.1f us\n",
                    percentile(discards, 0.5), percentile(discards, 0.99));
        std::printf("  host handled %.0f messages/s, sent %.0f messages/s; host processor time "
                    "%.0f%%\n",
                    double(sentRequests) / seconds,
                    double(receivedAfter - receivedBefore) / seconds,
                    100.0 * double(cpuAfter - cpuBefore) / double(sysconf(_SC_CLK_TCK)) / seconds);
    };
    play("each seat pausing 5 ms between words", 5, std::min<qint64>(maxMs, 10000), maxRequests);
    play("as fast as the answers come", 0, maxMs, maxRequests);

    if (idleSeconds > 0)
        idlePhase("a game running, nobody acting", pid, idleSeconds);

    const int status = bench::stopProgram(pid, 5000);
    QFile log(logPath);
    log.open(QIODevice::ReadOnly);
    const QList<QByteArray> lines = log.readAll().trimmed().split('\n');
    std::printf("gorse-host exit status %d; its last line: %s\n",
                WIFEXITED(status) ? WEXITSTATUS(status) : -1, lines.last().constData());
    return 0;
}
