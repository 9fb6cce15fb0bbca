// bench_tables: gorse-host at the size of a public server, on loopback.
//
//   bench_tables [--host PATH] [--tables N] [--warmup S] [--seconds S]
//                [--one-seconds S] [--no-processes] [--seed S]
//   bench_tables --soak MINUTES [--soak-warmup MINUTES] [--tables N] ...
//
// Nine connections per table, all of them plain epoll clients of this one
// process (see PacedTables in gameload.h), played at the pace of people:
// each seat plays a word every 3 s (a discard when it finds none) and chats
// every 10 s, the three spies only read. Three runs of that load, in turn:
//  1. one gorse-host serving --tables N (200) tables (--port 0, fixed
//     seeds, --no-announce);
//  2. one gorse-host serving one table, the yardstick for the round trips
//     and for the memory of a table;
//  3. N gorse-host processes of one table each, the same load spread over
//     processes (skipped with --no-processes).
// Each run connects and logs in every connection at once (the rate is
// printed: how fast the host takes a whole server's players), plays
// --warmup seconds (15), then measures for --seconds (60; the one-table
// run for --one-seconds, by default twice that, as one table gives few
// round trips): the word round trips (p50, p99), the host's processor time
// (utime + stime of /proc/PID/stat) as a share of one core, its resident
// memory and proportional set size (Rss and Pss of /proc/PID/smaps_rollup)
// at the end of the window, and this program's own processor time, so that
// what the clients took is in view (the machine has two cores). As the
// machine is shared, the window's figures also say how busy both cores were
// (/proc/stat) and how long the host, runnable, waited for one
// (/proc/PID/schedstat): round-trip tails follow those.
//
// The targets, each printed PASS or MISS:
//  - word round trip p99 at N tables at most 3 times that at one table;
//  - under 1 MiB of resident memory per table beyond the first, in one
//    process: (Rss at N tables - Rss at one table) / (N - 1);
//  - under 25 % of one core for the host of N tables.
// Exit status 0 when all are met, 1 otherwise or when a run failed.
//
// With --soak MINUTES, only the N-table host, played at the same pace for
// that many minutes after --soak-warmup minutes (3); its resident memory
// and open descriptors (/proc/PID/fd) are sampled every minute. PASS when
// after the warm-up the memory stays within kSoakSlackKiB of the warm-up
// value, the descriptors never exceed it, the host is alive to the end and
// every minute's words are answered. The warm-up should take in the first
// round's end (the rounds last 120 s): the host's memory takes a step then,
// once, as every table's results are made for the first time.
#include "chatload.h"
#include "gameload.h"
#include "samplewords.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QTemporaryDir>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <map>
#include <optional>
#include <sstream>
#include <string>
#include <sys/resource.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

using namespace gorse;

namespace {

using Clock = std::chrono::steady_clock;

// How far the soak lets the resident memory rise above its warm-up value.
constexpr long long kSoakSlackKiB = 4 * 1024;

[[noreturn]] void fail(const std::string& what)
{
    std::fprintf(stderr, "bench_tables: %s\n", what.c_str());
    std::exit(1);
}

double processSeconds()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
           double(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

// Descriptors: the clients need one per connection, the host one per
// connection and listener.
void raiseDescriptorLimit(size_t needed)
{
    rlimit limit{};
    getrlimit(RLIMIT_NOFILE, &limit);
    if (limit.rlim_cur < limit.rlim_max) {
        limit.rlim_cur = limit.rlim_max;
        setrlimit(RLIMIT_NOFILE, &limit);
    }
    if (limit.rlim_cur != RLIM_INFINITY && limit.rlim_cur < needed)
        fail("needs " + std::to_string(needed) + " open descriptors and may have only " +
             std::to_string(limit.rlim_cur) + " (ulimit -n)");
}

// A gorse-host process, its standard error in a file.
struct Host
{
    pid_t pid = -1;
    std::string log;
    std::vector<uint16_t> ports; // table k's at k - 1

    // Starts it and reads the ports of its `tables` tables from its log.
    bool start(const std::string& path, int tables, unsigned long long seed,
               const std::string& logPath)
    {
        log = logPath;
        pid = bench::spawnProgram(path,
                                  {"--tables", std::to_string(tables), "--port", "0",
                                   "--no-announce", "--seed", std::to_string(seed)},
                                  logPath);
        return pid > 0;
    }
    // Reads the ports from the log; false while they are not all there.
    bool readPorts(int tables)
    {
        std::ifstream in(log);
        std::string line;
        std::map<int, uint16_t> found;
        // "event=listen port=P seed=S", with several tables after "table=k ".
        while (std::getline(in, line)) {
            const size_t port = line.find(" event=listen port=");
            if (port == std::string::npos)
                continue;
            const size_t at = line.find(" table=");
            const int k = tables == 1 ? 1 : at < port ? std::atoi(line.c_str() + at + 7) : 0;
            if (k >= 1)
                found[k] = uint16_t(std::atoi(line.c_str() + port + 19));
        }
        if (int(found.size()) < tables)
            return false;
        ports.clear();
        for (int k = 1; k <= tables; ++k)
            ports.push_back(found[k]);
        return true;
    }
    bool alive() const
    {
        int status = 0;
        return pid > 0 && ::waitpid(pid, &status, WNOHANG) == 0;
    }
    void stop()
    {
        if (pid > 0)
            bench::stopProgram(pid, 5000);
        pid = -1;
    }
};

// Starts hosts (one process per entry of `tables`) and waits for all their ports.
std::vector<Host> startHosts(const std::string& path, const std::vector<int>& tables,
                             unsigned long long seed, const QString& dir)
{
    std::vector<Host> hosts(tables.size());
    unsigned long long nextSeed = seed;
    for (size_t i = 0; i < hosts.size(); ++i) {
        const std::string log = (dir + QStringLiteral("/host%1.log").arg(i + 1)).toStdString();
        if (!hosts[i].start(path, tables[i], nextSeed, log))
            fail("cannot start " + path);
        nextSeed += unsigned(tables[i]);
    }
    const auto start = Clock::now();
    for (size_t i = 0; i < hosts.size(); ++i) {
        while (!hosts[i].readPorts(tables[i])) {
            if (!hosts[i].alive() || Clock::now() - start > std::chrono::seconds(60))
                fail("gorse-host did not name its ports (see " + hosts[i].log + ")");
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
    }
    return hosts;
}

// Time a process spent runnable but waiting for a processor, in seconds
// (the second figure of /proc/PID/schedstat); 0 when it cannot be read.
double runQueueSeconds(pid_t pid)
{
    std::ifstream in("/proc/" + std::to_string(pid) + "/schedstat");
    long long running = 0, waiting = 0;
    if (!(in >> running >> waiting))
        return 0;
    return double(waiting) / 1e9;
}

// The machine's processor ticks from /proc/stat: all of them, and those not idle.
struct CpuTicks
{
    unsigned long long total = 0, busy = 0;
};
CpuTicks machineTicks()
{
    std::ifstream in("/proc/stat");
    std::string name;
    in >> name;
    CpuTicks t;
    unsigned long long value = 0;
    for (int i = 0; i < 8 && in >> value; ++i) {
        t.total += value;
        if (i != 3 && i != 4) // idle and iowait
            t.busy += value;
    }
    return t;
}

struct RunFigures
{
    std::string name;
    int tables = 0;
    int processes = 0;
    double connectSeconds = 0; // connecting and logging in everybody
    bench::GameResult result;
    double hostCpu = 0;     // share of one core, all host processes together
    double clientCpu = 0;   // share of one core taken by this program
    double hostWaited = 0;  // share of the time the hosts waited for a processor, when runnable
    double machineBusy = 0; // share of both cores busy with anything
    long long rssKiB = 0;   // all host processes together
    long long pssKiB = 0;
    double p50 = 0, p99 = 0;
};

// Connects the load to the hosts' tables, warms up and measures.
RunFigures measure(const std::string& name, std::vector<Host>& hosts,
                   const std::unordered_set<std::string>& words, double warmup, double seconds,
                   unsigned seed)
{
    RunFigures f;
    f.name = name;
    f.processes = int(hosts.size());
    std::vector<uint16_t> ports;
    for (const Host& h : hosts)
        ports.insert(ports.end(), h.ports.begin(), h.ports.end());
    f.tables = int(ports.size());

    bench::PacedTables load(words, bench::Pacing{}, seed);
    const auto start = Clock::now();
    if (!load.open(ports))
        fail(name + ": " + load.error());
    f.connectSeconds = std::chrono::duration<double>(Clock::now() - start).count();
    std::printf("%s: %d connections connected and logged in in %.2f s (%.0f a second)\n",
                name.c_str(), 9 * f.tables, f.connectSeconds, 9.0 * f.tables / f.connectSeconds);
    std::fflush(stdout);

    load.play(warmup);
    if (!load.error().empty())
        fail(name + ": " + load.error());

    const auto hostCpu = [&] {
        double total = 0;
        for (const Host& h : hosts)
            total += bench::cpuSeconds(h.pid);
        return total;
    };
    const auto hostWait = [&] {
        double total = 0;
        for (const Host& h : hosts)
            total += runQueueSeconds(h.pid);
        return total;
    };
    const double hostBefore = hostCpu();
    const double waitBefore = hostWait();
    const CpuTicks machineBefore = machineTicks();
    const double clientBefore = processSeconds();
    const auto windowStart = Clock::now();
    f.result = load.play(seconds);
    if (!load.error().empty())
        fail(name + ": " + load.error());
    // The window as the processor times saw it: the play and its 300 ms of
    // last answers.
    const double window = std::chrono::duration<double>(Clock::now() - windowStart).count();
    f.hostCpu = (hostCpu() - hostBefore) / window;
    f.clientCpu = (processSeconds() - clientBefore) / window;
    f.hostWaited = (hostWait() - waitBefore) / window;
    const CpuTicks machineAfter = machineTicks();
    if (machineAfter.total > machineBefore.total)
        f.machineBusy = double(machineAfter.busy - machineBefore.busy) /
                        double(machineAfter.total - machineBefore.total);
    for (const Host& h : hosts) {
        f.rssKiB += bench::rollupKiB(h.pid, "Rss");
        f.pssKiB += bench::rollupKiB(h.pid, "Pss");
    }
    f.p50 = bench::percentile(f.result.wordUs, 0.5);
    f.p99 = bench::percentile(f.result.wordUs, 0.99);
    const bench::GameResult& r = f.result;
    std::printf("  %.0f s: %zu words, %zu discards, %zu chats, %llu restarts, %llu unanswered; "
                "word round trip p50 %.0f us, p99 %.0f us; chat p50 %.0f us, p99 %.0f us\n",
                r.seconds, r.wordUs.size(), r.discardUs.size(), r.chatUs.size(), r.restarts,
                r.unanswered, f.p50, f.p99, bench::percentile(r.chatUs, 0.5),
                bench::percentile(r.chatUs, 0.99));
    std::printf("  host processor %.1f %% of a core, clients %.1f %%; Rss %.1f MiB, Pss %.1f MiB\n",
                100 * f.hostCpu, 100 * f.clientCpu, double(f.rssKiB) / 1024,
                double(f.pssKiB) / 1024);
    std::printf("  the machine: both cores %.0f %% busy; the host runnable but waiting for a "
                "core %.1f %% of the time\n",
                100 * f.machineBusy, 100 * f.hostWaited);
    std::fflush(stdout);
    load.close();
    return f;
}

std::string loadAverage()
{
    std::ifstream in("/proc/loadavg");
    std::string a, b, c;
    in >> a >> b >> c;
    return a + " " + b + " " + c;
}

int soak(const std::string& hostPath, int tables, int minutes, int warmupMinutes,
         unsigned long long seed, const std::unordered_set<std::string>& words, const QString& dir)
{
    std::vector<Host> hosts = startHosts(hostPath, {tables}, seed, dir);
    Host& host = hosts.front();
    bench::PacedTables load(words, bench::Pacing{}, unsigned(seed));
    if (!load.open(host.ports))
        fail(load.error());
    std::printf("soak: %d tables, %d connections, %d minutes after %d minutes of warm-up "
                "(load average %s)\n",
                tables, 9 * tables, minutes, warmupMinutes, loadAverage().c_str());
    std::printf("%6s %10s %8s %8s %8s %9s %9s %8s\n", "minute", "Rss KiB", "fds", "words",
                "unansw.", "p50 us", "p99 us", "host %");
    long long baseRss = -1;
    int baseFds = -1;
    long long maxRss = 0;
    int maxFds = 0;
    bool answered = true;
    for (int minute = 1; minute <= warmupMinutes + minutes; ++minute) {
        const double cpuBefore = bench::cpuSeconds(host.pid);
        const bench::GameResult r = load.play(60);
        const double cpu = (bench::cpuSeconds(host.pid) - cpuBefore) / (r.seconds + 0.3);
        if (!load.error().empty() || !host.alive()) {
            std::printf("FAIL: the host %s in minute %d (%s)\n",
                        host.alive() ? "closed a connection" : "ended", minute,
                        load.error().c_str());
            return 1;
        }
        const long long rss = bench::rollupKiB(host.pid, "Rss");
        const int fds = bench::openDescriptors(host.pid);
        std::printf("%6d %10lld %8d %8zu %8llu %9.0f %9.0f %8.1f%s\n", minute, rss, fds,
                    r.wordUs.size(), r.unanswered, bench::percentile(r.wordUs, 0.5),
                    bench::percentile(r.wordUs, 0.99), 100 * cpu,
                    minute == warmupMinutes ? "  (warm-up value)" : "");
        std::fflush(stdout);
        if (minute == warmupMinutes) {
            baseRss = rss;
            baseFds = fds;
        } else if (minute > warmupMinutes) {
            maxRss = std::max(maxRss, rss);
            maxFds = std::max(maxFds, fds);
            answered = answered && !r.wordUs.empty();
        }
    }
    load.close();
    host.stop();
    if (baseRss < 0) {
        baseRss = maxRss;
        baseFds = maxFds;
    }
    const bool memoryFlat = maxRss - baseRss <= kSoakSlackKiB;
    const bool fdsFlat = maxFds <= baseFds;
    std::printf("memory: at most %lld KiB above the warm-up value (%lld KiB allowed): %s\n",
                std::max(0LL, maxRss - baseRss), kSoakSlackKiB, memoryFlat ? "flat" : "GROWS");
    std::printf("descriptors: at most %d, %d after the warm-up: %s\n", maxFds, baseFds,
                fdsFlat ? "flat" : "GROW");
    const bool pass = memoryFlat && fdsFlat && answered;
    std::printf("%s\n", pass ? "PASS" : "FAIL");
    return pass ? 0 : 1;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("gorse-host with hundreds of tables."));
    parser.addHelpOption();
    const QCommandLineOption hostOption(QStringLiteral("host"), QStringLiteral("gorse-host."),
                                        QStringLiteral("PATH"));
    const QCommandLineOption tablesOption(QStringLiteral("tables"), QStringLiteral("Tables."),
                                          QStringLiteral("N"), QStringLiteral("200"));
    const QCommandLineOption warmupOption(QStringLiteral("warmup"),
                                          QStringLiteral("Seconds played before measuring."),
                                          QStringLiteral("S"), QStringLiteral("15"));
    const QCommandLineOption secondsOption(QStringLiteral("seconds"),
                                           QStringLiteral("Seconds measured."), QStringLiteral("S"),
                                           QStringLiteral("60"));
    const QCommandLineOption oneSecondsOption(
        QStringLiteral("one-seconds"),
        QStringLiteral("Seconds measured at one table (default: twice --seconds)."),
        QStringLiteral("S"));
    const QCommandLineOption noProcessesOption(
        QStringLiteral("no-processes"), QStringLiteral("Skip the run over one process per table."));
    const QCommandLineOption seedOption(QStringLiteral("seed"),
                                        QStringLiteral("Seed of table 1's deck."),
                                        QStringLiteral("S"), QStringLiteral("1"));
    const QCommandLineOption soakOption(
        QStringLiteral("soak"), QStringLiteral("Soak the host of --tables tables this long."),
        QStringLiteral("MINUTES"));
    const QCommandLineOption soakWarmupOption(QStringLiteral("soak-warmup"),
                                              QStringLiteral("Minutes before the soak counts."),
                                              QStringLiteral("MINUTES"), QStringLiteral("3"));
    parser.addOptions({hostOption, tablesOption, warmupOption, secondsOption, oneSecondsOption,
                       noProcessesOption, seedOption, soakOption, soakWarmupOption});
    parser.process(app);

    const std::string hostPath =
        parser.isSet(hostOption)
            ? parser.value(hostOption).toStdString()
            : (QCoreApplication::applicationDirPath() + QStringLiteral("/gorse-host"))
                  .toStdString();
    bool ok = false;
    const int tables = parser.value(tablesOption).toInt(&ok);
    if (!ok || tables < 2 || tables > 1000)
        fail("--tables needs a number from 2 to 1000");
    const double warmup = parser.value(warmupOption).toDouble(&ok);
    if (!ok || warmup < 0)
        fail("--warmup needs a number of seconds");
    const double seconds = parser.value(secondsOption).toDouble(&ok);
    if (!ok || seconds <= 0)
        fail("--seconds needs a number of seconds");
    const double oneSeconds =
        parser.isSet(oneSecondsOption) ? parser.value(oneSecondsOption).toDouble(&ok) : 2 * seconds;
    if (!ok || oneSeconds <= 0)
        fail("--one-seconds needs a number of seconds");
    const unsigned long long seed = parser.value(seedOption).toULongLong(&ok);
    if (!ok)
        fail("--seed needs a whole number");

    // The host's descriptors and ours, with room to spare.
    raiseDescriptorLimit(size_t(tables) * 10 + 64);
    const std::unordered_set<std::string> words = shortWords();
    if (words.empty())
        fail("the built-in word list is missing");
    QTemporaryDir dir;
    if (!dir.isValid())
        fail("cannot make a temporary folder");

    if (parser.isSet(soakOption)) {
        const int minutes = parser.value(soakOption).toInt(&ok);
        if (!ok || minutes < 1)
            fail("--soak needs a number of minutes");
        const int warmupMinutes = parser.value(soakWarmupOption).toInt(&ok);
        if (!ok || warmupMinutes < 0)
            fail("--soak-warmup needs a number of minutes");
        return soak(hostPath, tables, minutes, warmupMinutes, seed, words, dir.path());
    }

    std::printf("bench_tables: %d tables x 9 connections; each seat a word every 3 s and a chat "
                "every 10 s, spies only reading; %.0f s warm-up, %.0f s measured (one table "
                "%.0f s); load average %s; %ld processors\n",
                tables, warmup, seconds, oneSeconds, loadAverage().c_str(),
                sysconf(_SC_NPROCESSORS_ONLN));
    std::fflush(stdout);

    std::vector<RunFigures> runs;
    {
        std::vector<Host> hosts = startHosts(hostPath, {tables}, seed, dir.path());
        runs.push_back(measure(std::to_string(tables) + " tables in one process", hosts, words,
                               warmup, seconds, unsigned(seed)));
        for (Host& h : hosts)
            h.stop();
    }
    {
        std::vector<Host> hosts = startHosts(hostPath, {1}, seed, dir.path());
        runs.push_back(
            measure("1 table in one process", hosts, words, warmup, oneSeconds, unsigned(seed)));
        for (Host& h : hosts)
            h.stop();
    }
    if (!parser.isSet(noProcessesOption)) {
        std::vector<Host> hosts =
            startHosts(hostPath, std::vector<int>(size_t(tables), 1), seed, dir.path());
        runs.push_back(measure(std::to_string(tables) + " processes of one table", hosts, words,
                               warmup, seconds, unsigned(seed)));
        for (Host& h : hosts)
            h.stop();
    }

    std::printf("\n%-30s %7s %9s %9s %8s %8s %10s %10s %10s\n", "", "connect/s", "word p50",
                "word p99", "host %", "clients %", "Rss MiB", "Pss MiB", "Pss/table");
    for (const RunFigures& f : runs) {
        std::printf("%-30s %7.0f %7.2fms %7.2fms %8.1f %8.1f %10.1f %10.1f %8.2fMiB\n",
                    f.name.c_str(), 9.0 * f.tables / f.connectSeconds, f.p50 / 1000, f.p99 / 1000,
                    100 * f.hostCpu, 100 * f.clientCpu, double(f.rssKiB) / 1024,
                    double(f.pssKiB) / 1024, double(f.pssKiB) / 1024 / f.tables);
    }
    const RunFigures& many = runs[0];
    const RunFigures& one = runs[1];
    const double p99Ratio = one.p99 > 0 ? many.p99 / one.p99 : 0;
    const double perTableKiB = double(many.rssKiB - one.rssKiB) / double(tables - 1);
    std::printf("\n");
    const bool p99Ok = one.p99 > 0 && p99Ratio <= 3.0;
    const bool memoryOk = perTableKiB < 1024;
    const bool cpuOk = many.hostCpu < 0.25;
    std::printf("%s  word p99 at %d tables / at one table: %.2f (at most 3)\n",
                p99Ok ? "PASS" : "MISS", tables, p99Ratio);
    std::printf("%s  resident memory per table beyond the first, one process: %.0f KiB "
                "(under 1024)\n",
                memoryOk ? "PASS" : "MISS", perTableKiB);
    std::printf("%s  host processor time at %d busy tables: %.1f %% of one core (under 25 %%)\n",
                cpuOk ? "PASS" : "MISS", tables, 100 * many.hostCpu);
    if (runs.size() > 2) {
        const RunFigures& spread = runs[2];
        std::printf("      for comparison, %d processes: Pss %.2f MiB a table (one process: %.2f), "
                    "processor %.1f %% of a core (one process: %.1f %%), word p99 %.2f ms\n",
                    tables, double(spread.pssKiB) / 1024 / tables,
                    double(many.pssKiB) / 1024 / tables, 100 * spread.hostCpu, 100 * many.hostCpu,
                    spread.p99 / 1000);
    }
    return p99Ok && memoryOk && cpuOk ? 0 : 1;
}
