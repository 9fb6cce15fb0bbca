// bench_load: gorse-host against two minimal relays, back to back, and a
// game's load on gorse-host.
//
//   bench_load [--host PATH] [--relay PATH] [--chat-seconds S] [--requests N]
//              [--seconds S] [--idle S] [--no-strace]
//
// First the same chat load runs against bench_minrelay (the smallest relay
// the message format allows: epoll, one send per connection per turn),
// bench_qtrelay (the same relay on Qt's sockets and event loop, what a host
// of gorse-host's design can do at best) and gorse-host, each with nine
// loopback clients:
//  - throughput: every client keeps eight chats under way; relays received
//    per second by the nine, and the server's processor time per chat;
//  - round trip: client 1's chat while the other eight send 2,000 chats per
//    second between them (median, p99);
//  - paced round trip: six clients each send a chat, wait for its relay and
//    pause 5 ms, as the seats of a game do (the yardstick for the game's
//    paced word round trips);
//  - system calls per relayed chat, counted with strace -c (when strace is
//    there) under a steady 1,000 chats per second.
// The ratios gorse-host / each relay are printed: the machine is shared and
// noisy, and a ratio from one run is what holds.
//
// After that, gorse-host alone (its start-up is bench_startup's): its
// resident memory with nine idle clients, and a game: connection 1 starts a
// game, and the six seats play (plain epoll clients, see gameload.h): each
// seat sends one word (or, every fourth time, a discard), waits for its
// answer, and sends the next, first pausing 5 ms between them, then as fast
// as the answers come. Words are found from the seat's exposed cards with
// the built-in word list, so most are accepted; when connection 1 runs out
// of cards it starts the game again. Prints the word round-trip percentiles
// and the messages handled and sent per second. Last, the
// host's processor time over --idle seconds, once with the nine logged in
// and no game running, and once with a game running and nobody acting.
#include "chatload.h"
#include "dict/tdictn.h"
#include "gameload.h"
#include "samplewords.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <sys/wait.h>
#include <unistd.h>
#include <unordered_set>
#include <vector>

using namespace gorse;

namespace {

void fail(const char* what)
{
    std::fprintf(stderr, "bench_load: %s\n", what);
    std::exit(1);
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

void idlePhase(const char* what, qint64 pid, int seconds, bench::GameSeats& seats)
{
    const qint64 before = cpuTicks(pid);
    seats.idle(seconds * 1000);
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
    bench::LatencyResult paced; // six senders pausing 5 ms, as the seats do
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
    f.paced = clients.pacedRoundTrips(seconds, 6, 5);
    std::printf("%-10s chat round trip, six senders pausing 5 ms: median %.1f us, p99 %.1f us, "
                "max %.1f us (%zu samples)\n",
                who, f.paced.p50us, f.paced.p99us, f.paced.maxus, f.paced.samples);
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
    const QString qtRelayPath = binDir + QStringLiteral("/bench_qtrelay");
    const double chatSeconds = parser.value(chatOption).toDouble();
    const quint64 maxRequests = parser.value(requestsOption).toULongLong();
    const double maxSeconds = parser.value(secondsOption).toDouble();
    const int idleSeconds = parser.value(idleOption).toInt();
    const bool trace = !parser.isSet(noStraceOption);
    if (!QFileInfo(hostPath).isExecutable())
        fail("gorse-host not found; give it with --host");
    if (!QFileInfo(relayPath).isExecutable())
        fail("bench_minrelay not found; give it with --relay");
    if (!QFileInfo(qtRelayPath).isExecutable())
        fail("bench_qtrelay not found beside bench_load");
    QTemporaryDir dir;

    // A host that announces its table is told not to (an older one, measured
    // for comparison, does not know the option).
    QProcess help;
    help.start(hostPath, {QStringLiteral("--help")});
    help.waitForFinished(5000);
    const bool announces = help.readAllStandardOutput().contains("--no-announce");
    const auto hostArgs = [announces](uint16_t port) {
        std::vector<std::string> args{"--port", std::to_string(port), "--seed", "12345"};
        if (announces)
            args.push_back("--no-announce");
        return args;
    };
    const QString logPath = dir.filePath(QStringLiteral("host.log"));

    // ---- the two relays ----
    auto relayPhases = [&](const char* who, const QString& path) {
        const uint16_t relayPort = bench::freeLoopbackPort();
        const pid_t relayPid =
            bench::spawnProgram(path.toStdString(), {std::to_string(relayPort)}, std::string());
        if (relayPid < 0)
            fail("a relay did not start");
        const ChatFigures figures =
            chatPhases(who, relayPort, relayPid, false, chatSeconds, trace,
                       dir.filePath(QStringLiteral("%1.strace").arg(QLatin1String(who))));
        bench::stopProgram(relayPid, 5000);
        return figures;
    };
    const ChatFigures relay = relayPhases("relay", relayPath);
    const ChatFigures qtRelay = relayPhases("qtrelay", qtRelayPath);

    // ---- gorse-host: the same chat load, memory ----
    const uint16_t port = bench::freeLoopbackPort();
    const pid_t pid =
        bench::spawnProgram(hostPath.toStdString(), hostArgs(port), logPath.toStdString());
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
    for (const auto& [name, yardstick] :
         {std::pair{"relay", &relay}, std::pair{"qtrelay", &qtRelay}}) {
        const ChatFigures& r = *yardstick;
        std::printf("ratios gorse-host / %s: throughput %.2f, processor per chat %.1f, round trip "
                    "median %.2f, p99 %.2f, paced round trip median %.2f, p99 %.2f, system "
                    "calls per chat %.2f\n",
                    name, ratio(host.throughput.relaysPerSecond(), r.throughput.relaysPerSecond()),
                    ratio(host.throughput.cpuNsPerChat(), r.throughput.cpuNsPerChat()),
                    ratio(host.latency.p50us, r.latency.p50us),
                    ratio(host.latency.p99us, r.latency.p99us),
                    ratio(host.paced.p50us, r.paced.p50us), ratio(host.paced.p99us, r.paced.p99us),
                    ratio(host.syscalls, r.syscalls));
    }
    QThread::msleep(300);

    // ---- a game ----
    const std::unordered_set<std::string> words = shortWords();
    if (words.empty())
        fail("the built-in word list is missing");
    bench::GameSeats seats(words);
    if (!seats.open(port))
        fail(seats.error().c_str());
    if (idleSeconds > 0)
        idlePhase("nine logged in, no game", pid, idleSeconds, seats);
    if (!seats.startGame())
        fail(seats.error().c_str());

    // The six seats play: first each pausing a little between its answer
    // and its next word, then as fast as the answers come.
    auto play = [&](const char* what, int pauseMs, double seconds) -> bench::GameResult {
        const qint64 cpuBefore = cpuTicks(pid);
        const bench::GameResult r = seats.play(pauseMs, seconds, maxRequests);
        const qint64 cpuAfter = cpuTicks(pid);
        std::printf("game, %s: %llu requests (%zu words, %zu discards, %llu restarts, %llu "
                    "unanswered) in %.2f s from 6 seats\n",
                    what, r.requests, r.wordUs.size(), r.discardUs.size(), r.restarts, r.unanswered,
                    r.seconds);
        std::printf("  word round-trip: median %.1f us, p90 %.1f us, p99 %.1f us, p99.9 %.1f us\n",
                    bench::percentile(r.wordUs, 0.5), bench::percentile(r.wordUs, 0.9),
                    bench::percentile(r.wordUs, 0.99), bench::percentile(r.wordUs, 0.999));
        std::printf("  discard round-trip: median %.1f us, p99 %.1f us\n",
                    bench::percentile(r.discardUs, 0.5), bench::percentile(r.discardUs, 0.99));
        // The processor time includes the last answers' 300 ms.
        std::printf("  host handled %.0f messages/s, sent %.0f messages/s; host processor time "
                    "%.0f%%\n",
                    double(r.requests) / r.seconds, double(r.received) / r.seconds,
                    100.0 * double(cpuAfter - cpuBefore) / double(sysconf(_SC_CLK_TCK)) /
                        (r.seconds + 0.3));
        return r;
    };
    const bench::GameResult paced =
        play("each seat pausing 5 ms between words", 5, std::min(maxSeconds, 10.0));
    std::printf("  word round trip / the relays' paced chat round trip: relay median %.2f, p99 "
                "%.2f; qtrelay median %.2f, p99 %.2f\n",
                ratio(bench::percentile(paced.wordUs, 0.5), relay.paced.p50us),
                ratio(bench::percentile(paced.wordUs, 0.99), relay.paced.p99us),
                ratio(bench::percentile(paced.wordUs, 0.5), qtRelay.paced.p50us),
                ratio(bench::percentile(paced.wordUs, 0.99), qtRelay.paced.p99us));
    play("as fast as the answers come", 0, maxSeconds);

    if (idleSeconds > 0)
        idlePhase("a game running, nobody acting", pid, idleSeconds, seats);
    seats.close();

    const int status = bench::stopProgram(pid, 5000);
    QFile log(logPath);
    log.open(QIODevice::ReadOnly);
    const QList<QByteArray> lines = log.readAll().trimmed().split('\n');
    std::printf("gorse-host exit status %d; its last line: %s\n",
                WIFEXITED(status) ? WEXITSTATUS(status) : -1, lines.last().constData());
    return 0;
}
