// bench_webload: gorse-host's web port against its game port, in one run.
//
//   bench_webload [--host PATH] [--seconds S] [--rounds N]
//
// Starts one gorse-host with --web and runs the same loads through its TCP
// port and through its web port (one binary WebSocket message per game
// message, masked as a browser masks it), in turn, N rounds:
//  - chat relay throughput: nine clients, each keeping eight chats under
//    way; relays received per second by the nine, and the host's processor
//    time per chat (the steadier figure on a busy machine);
//  - chat round trip of client 1 while the other eight send 2,000 chats per
//    second between them;
//  - word round trip: six seats play a game, each pausing 5 ms between an
//    answer and its next word.
// The clients are bench_load's plain epoll clients on either wire, so the
// figures are the host's. Prints each round's ratios WebSocket / TCP, and
// over all rounds (targets: throughput at least 0.7, p99 at most 1.5).
#include "chatload.h"
#include "dict/tdictn.h"
#include "gameload.h"
#include "samplewords.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QThread>

#include <cstdio>
#include <unistd.h>
#include <unordered_set>

using namespace gorse;

namespace {

void fail(const std::string& what)
{
    std::fprintf(stderr, "bench_webload: %s\n", what.c_str());
    std::exit(1);
}

struct Figures
{
    double relaysPerSecond = 0;
    double cpuUsPerChat = 0; // the host's processor time per chat relayed to nine
    bench::LatencyResult chat;
    std::vector<double> wordUs;
};

double ratio(double a, double b)
{
    return b > 0 ? a / b : 0;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QCommandLineParser parser;
    const QCommandLineOption hostOption(
        QStringLiteral("host"), QStringLiteral("gorse-host program"), QStringLiteral("PATH"));
    const QCommandLineOption secondsOption(QStringLiteral("seconds"),
                                           QStringLiteral("length of each phase"),
                                           QStringLiteral("S"), QStringLiteral("5"));
    const QCommandLineOption roundsOption(QStringLiteral("rounds"),
                                          QStringLiteral("rounds of TCP then WebSocket"),
                                          QStringLiteral("N"), QStringLiteral("2"));
    parser.addHelpOption();
    parser.addOptions({hostOption, secondsOption, roundsOption});
    parser.process(app);
    const QString hostPath = parser.isSet(hostOption) ? parser.value(hostOption)
                                                      : QCoreApplication::applicationDirPath() +
                                                            QStringLiteral("/gorse-host");
    const double seconds = parser.value(secondsOption).toDouble();
    const int rounds = std::max(1, parser.value(roundsOption).toInt());
    if (!QFileInfo(hostPath).isExecutable())
        fail("gorse-host not found; give it with --host");

    const std::unordered_set<std::string> words = shortWords();
    if (words.empty())
        fail("the built-in word list is missing");

    const uint16_t port = bench::freeLoopbackPort();
    uint16_t webPort = bench::freeLoopbackPort();
    while (webPort == port)
        webPort = bench::freeLoopbackPort();
    const pid_t pid =
        bench::spawnProgram(hostPath.toStdString(),
                            {"--port", std::to_string(port), "--web", std::to_string(webPort),
                             "--seed", "12345", "--no-announce"},
                            "/dev/null");
    for (uint16_t p : {port, webPort}) {
        const int probe = pid < 0 ? -1 : bench::connectWhenListening(p, 5000);
        if (probe < 0)
            fail("gorse-host did not start");
        ::close(probe);
    }
    QThread::msleep(200);
    std::printf("gorse-host pid %lld, game port %u, web port %u, %.0f s phases, %d rounds\n",
                static_cast<long long>(pid), port, webPort, seconds, rounds);

    auto measure = [&](bench::Wire wire, const char* who) {
        bench::useWire(wire);
        const uint16_t to = wire == bench::Wire::Tcp ? port : webPort;
        Figures f;
        {
            bench::ChatClients clients;
            if (!clients.open(to, true))
                fail(std::string(who) + ": " + clients.error());
            const bench::ThroughputResult t = clients.throughput(seconds, 8, pid);
            f.relaysPerSecond = t.relaysPerSecond();
            f.cpuUsPerChat = t.cpuNsPerChat() / 1000.0;
            f.chat = clients.latency(seconds, 2000);
        }
        QThread::msleep(300); // the nine have left
        bench::GameSeats seats(words);
        if (!seats.open(to) || !seats.startGame())
            fail(std::string(who) + ": " + seats.error());
        f.wordUs = seats.play(5, seconds, 1000000).wordUs;
        seats.close();
        QThread::msleep(300);
        std::printf("%-9s chat relay %.0f relays/s, %.2f us host processor per chat; chat round "
                    "trip median %.1f us, p99 %.1f us; word round trip median %.1f us, p99 %.1f "
                    "us (%zu words)\n",
                    who, f.relaysPerSecond, f.cpuUsPerChat, f.chat.p50us, f.chat.p99us,
                    bench::percentile(f.wordUs, 0.5), bench::percentile(f.wordUs, 0.99),
                    f.wordUs.size());
        return f;
    };

    std::vector<double> throughput, cpu, chatP99, wordP50, wordP99;
    for (int round = 1; round <= rounds; ++round) {
        const Figures tcp = measure(bench::Wire::Tcp, "TCP");
        const Figures web = measure(bench::Wire::WebSocket, "WebSocket");
        throughput.push_back(ratio(web.relaysPerSecond, tcp.relaysPerSecond));
        cpu.push_back(ratio(web.cpuUsPerChat, tcp.cpuUsPerChat));
        chatP99.push_back(ratio(web.chat.p99us, tcp.chat.p99us));
        wordP50.push_back(
            ratio(bench::percentile(web.wordUs, 0.5), bench::percentile(tcp.wordUs, 0.5)));
        wordP99.push_back(
            ratio(bench::percentile(web.wordUs, 0.99), bench::percentile(tcp.wordUs, 0.99)));
        std::printf("round %d, WebSocket / TCP: throughput %.2f, processor per chat %.2f, chat "
                    "round trip p99 %.2f, word round trip median %.2f, p99 %.2f\n",
                    round, throughput.back(), cpu.back(), chatP99.back(), wordP50.back(),
                    wordP99.back());
    }
    auto median = [](std::vector<double> v) { return bench::percentile(std::move(v), 0.5); };
    std::printf("median over %d rounds, WebSocket / TCP: throughput %.2f (target >= 0.70), "
                "processor per chat %.2f, chat round trip p99 %.2f, word round trip median %.2f, "
                "p99 %.2f (target <= 1.50)\n",
                rounds, median(throughput), median(cpu), median(chatP99), median(wordP50),
                median(wordP99));
    bench::stopProgram(pid, 5000);
    return 0;
}
