// bench_startup: how fast the two programs start and how much memory they
// take, each beside the yardstick of its kind, measured in the same run.
//
//   bench_startup [--runs N] [--settle-ms MS] [--gorse PATH]... [--host PATH]...
//
// The programs, started in turn (the first of each round moving on by one)
// so that all of them see the same machine:
//  - bench_qtrelay: Qt Core and Qt Network loaded, a listener (the floor
//    for gorse-host);
//  - bench_qtwindow: Qt Widgets loaded, an empty main window shown
//    offscreen, then a listener (the floor for the game);
//  - gorse-host, announcing its table to 127.0.0.1 only;
//  - gorse hosting a game (NAME HOST true) offscreen, announcing to
//    127.0.0.1 only. Each run starts a copy of the program in a folder
//    holding nothing else, so it reads and writes its settings and tally
//    there, as on a first start, and the player's own files stay untouched;
//    its single-instance guard gets a runtime folder of its own.
// Start-up is exec to a loopback connection being accepted on the game
// port; memory (VmRSS, and the peak VmHWM) is read --settle-ms after that,
// when the hosting copy's own window has logged in. Medians of --runs runs
// (default 7), with the best and worst times, and the ratios of the medians.
// --gorse and --host may be given more than once (an older build beside a
// newer one, in the same run).
#include "chatload.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QThread>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <functional>
#include <string>
#include <unistd.h>
#include <vector>

using namespace gorse;

namespace {

void fail(const std::string& what)
{
    std::fprintf(stderr, "bench_startup: %s\n", what.c_str());
    std::exit(1);
}

struct Program
{
    using Arguments = std::function<std::vector<std::string>(uint16_t, uint16_t)>;
    Program(std::string n, QString p, Arguments a, QString folder = {})
        : name(std::move(n)), path(std::move(p)), args(std::move(a)), ownFolder(std::move(folder))
    {
    }

    std::string name;
    QString path;
    // The arguments for a game port and a port to announce the table to.
    Arguments args;
    // Where a fresh copy of the program runs from (empty: where it is).
    QString ownFolder;
    std::vector<double> ms, cpuMs;
    std::vector<long long> rssKiB, hwmKiB;
};

double median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v.empty() ? 0 : v[v.size() / 2];
}

double medianMiB(const std::vector<long long>& kib)
{
    std::vector<double> v;
    for (long long k : kib)
        v.push_back(double(k) / 1024.0);
    return median(v);
}

// Empties a folder except for the program in it.
void keepOnly(const QString& folder, const QString& program)
{
    const QDir dir(folder);
    for (const QFileInfo& entry :
         dir.entryInfoList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot)) {
        if (entry.fileName() == program)
            continue;
        if (entry.isDir())
            QDir(entry.filePath()).removeRecursively();
        else
            QFile::remove(entry.filePath());
    }
}

// Processor time of every thread of a process so far, in milliseconds.
double processorMs(pid_t pid)
{
    long long ns = 0;
    const QString tasks = QStringLiteral("/proc/%1/task").arg(pid);
    for (const QString& tid : QDir(tasks).entryList(QDir::Dirs | QDir::NoDotAndDotDot))
        ns += std::max(0LL, bench::cpuNanoseconds(pid_t(tid.toInt())));
    return double(ns) / 1e6;
}

void startOnce(Program& p, int settleMs, const QString& logPath)
{
    QString path = p.path;
    if (!p.ownFolder.isEmpty()) {
        const QString file = QFileInfo(p.path).fileName();
        keepOnly(p.ownFolder, file);
        path = QDir(p.ownFolder).filePath(file);
    }
    const uint16_t port = bench::freeLoopbackPort();
    const uint16_t announceTo = bench::freeLoopbackPort();
    const auto t0 = std::chrono::steady_clock::now();
    const pid_t pid =
        bench::spawnProgram(path.toStdString(), p.args(port, announceTo), logPath.toStdString());
    const int fd = pid < 0 ? -1 : bench::connectWhenListening(port, 10000);
    const auto t1 = std::chrono::steady_clock::now();
    if (fd < 0) {
        QFile log(logPath);
        log.open(QIODevice::ReadOnly);
        fail(p.name + " did not start listening; it said:\n" + log.readAll().toStdString());
    }
    p.cpuMs.push_back(processorMs(pid));
    ::close(fd);
    p.ms.push_back(std::chrono::duration<double, std::milli>(t1 - t0).count());
    QThread::msleep(ulong(settleMs));
    p.rssKiB.push_back(bench::statusKiB(pid, "VmRSS"));
    p.hwmKiB.push_back(bench::statusKiB(pid, "VmHWM"));
    bench::stopProgram(pid, 5000);
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QCommandLineParser parser;
    const QCommandLineOption runsOption(QStringLiteral("runs"),
                                        QStringLiteral("starts of each program"),
                                        QStringLiteral("N"), QStringLiteral("7"));
    const QCommandLineOption settleOption(QStringLiteral("settle-ms"),
                                          QStringLiteral("wait before reading the memory"),
                                          QStringLiteral("MS"), QStringLiteral("1500"));
    const QCommandLineOption gorseOption(QStringLiteral("gorse"),
                                         QStringLiteral("gorse program (may be repeated)"),
                                         QStringLiteral("PATH"));
    const QCommandLineOption hostOption(QStringLiteral("host"),
                                        QStringLiteral("gorse-host program (may be repeated)"),
                                        QStringLiteral("PATH"));
    parser.addHelpOption();
    parser.addOptions({runsOption, settleOption, gorseOption, hostOption});
    parser.process(app);
    const int runs = std::max(1, parser.value(runsOption).toInt());
    const int settleMs = std::max(0, parser.value(settleOption).toInt());
    const QString binDir = QCoreApplication::applicationDirPath();
    QStringList gorses = parser.values(gorseOption);
    if (gorses.isEmpty())
        gorses.append(binDir + QStringLiteral("/gorse"));
    QStringList hosts = parser.values(hostOption);
    if (hosts.isEmpty())
        hosts.append(binDir + QStringLiteral("/gorse-host"));

    // Every program runs offscreen; gorse's single-instance guard looks in a
    // runtime folder of this run's own, so a copy the player has open is
    // neither met nor disturbed.
    QTemporaryDir dir;
    if (!dir.isValid())
        fail("no temporary folder");
    const QString runtime = dir.filePath(QStringLiteral("run"));
    QDir().mkpath(runtime);
    QFile::setPermissions(runtime, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    qputenv("QT_QPA_PLATFORM", "offscreen");
    qputenv("XDG_RUNTIME_DIR", QFile::encodeName(runtime));

    const auto plain = [](uint16_t port, uint16_t) { return std::vector{std::to_string(port)}; };
    const auto announcing = [](uint16_t port, uint16_t to) {
        return std::vector<std::string>{"--port",          std::to_string(port),
                                        "--announce-port", "0",
                                        "--announce-to",   "127.0.0.1:" + std::to_string(to)};
    };
    std::vector<Program> programs;
    programs.emplace_back("bench_qtrelay", binDir + QStringLiteral("/bench_qtrelay"), plain);
    programs.emplace_back("bench_qtwindow", binDir + QStringLiteral("/bench_qtwindow"), plain);
    for (const QString& host : hosts) {
        const std::string name =
            hosts.size() > 1 ? "gorse-host (" + host.toStdString() + ")" : "gorse-host";
        programs.emplace_back(name, host, announcing);
    }
    for (qsizetype k = 0; k < gorses.size(); ++k) {
        const QString& gorse = gorses.at(k);
        const std::string name =
            gorses.size() > 1 ? "gorse (" + gorse.toStdString() + ")" : "gorse";
        const QString folder = dir.filePath(QStringLiteral("gorse%1").arg(k));
        QDir().mkpath(folder);
        if (!QFile::copy(gorse, QDir(folder).filePath(QFileInfo(gorse).fileName())))
            fail("cannot copy " + gorse.toStdString());
        const auto hosting = [announcing](uint16_t port, uint16_t to) {
            std::vector<std::string> args = announcing(port, to);
            args.insert(args.end(), {"--", "Bench", "127.0.0.1", "true"});
            return args;
        };
        programs.emplace_back(name, gorse, hosting, folder);
    }
    for (const Program& p : programs) {
        if (!QFileInfo(p.path).isExecutable())
            fail(p.name + " not found at " + p.path.toStdString());
    }

    for (int run = 0; run < runs; ++run) {
        for (size_t k = 0; k < programs.size(); ++k)
            startOnce(programs[(k + size_t(run)) % programs.size()], settleMs,
                      dir.filePath(QStringLiteral("program.log")));
    }

    std::printf("start-up, exec to accepting on the game port (median of %d, best, worst), "
                "the processor time it took (median, all threads); memory %d ms later "
                "(median VmRSS, VmHWM)\n",
                runs, settleMs);
    for (Program& p : programs) {
        std::sort(p.ms.begin(), p.ms.end());
        std::printf("  %-16s %7.2f ms (%.2f, %.2f)  processor %.2f ms  "
                    "VmRSS %.1f MiB  VmHWM %.1f MiB\n",
                    p.name.c_str(), median(p.ms), p.ms.front(), p.ms.back(), median(p.cpuMs),
                    medianMiB(p.rssKiB), medianMiB(p.hwmKiB));
    }
    const auto ratios = [&](const Program& p, const Program& floor) {
        std::printf("ratio %s / %s: start-up %.2f, processor %.2f, VmRSS %.2f, VmHWM %.2f\n",
                    p.name.c_str(), floor.name.c_str(), median(p.ms) / median(floor.ms),
                    median(p.cpuMs) / median(floor.cpuMs),
                    medianMiB(p.rssKiB) / medianMiB(floor.rssKiB),
                    medianMiB(p.hwmKiB) / medianMiB(floor.hwmKiB));
    };
    const Program& qtRelay = programs[0];
    const Program& qtWindow = programs[1];
    for (size_t k = 2; k < programs.size(); ++k) {
        ratios(programs[k], qtRelay);
        if (k >= 2 + size_t(hosts.size()))
            ratios(programs[k], qtWindow);
    }
    return 0;
}
