// bench_soak: gorse-host played for minutes on end while its memory and its
// open descriptors are watched.
//
//   bench_soak [--host PATH] [--minutes N] [--warmup S] [--sample S]
//              [--target T] [--round-seconds S] [--level L] [--pace MS]
//              [--seed S]
//
// Starts gorse-host (--port 0 --no-announce --any-game; the port is read from
// its first log line) and seats nine clients of this program:
//  - seat 1: a computer player that also starts the games, target 100 and
//    rounds of 10 seconds unless told otherwise (every second game aims at
//    ten times the target, so that games of several rounds are played as
//    well), and starts the next one a few seconds after each game is won.
//    It looks at its cards every --pace milliseconds (250), far faster than
//    any level thinks, so that the host checks many words;
//  - seats 2 to 6: five computer players of --level (expert), as
//    gorse-host --bots seats them;
//  - connections 7 to 9: three spies who chat now and then. After every
//    sample one of them leaves and a new spy takes the place, so that
//    connections come and go all along.
//
// Every few seconds the host's resident memory (VmRSS of /proc/PID/status,
// with its anonymous and file-backed parts) and its open descriptors
// (/proc/PID/fd) are read and printed. The first sample at or after the
// warm-up (60 s) is the warm-up value; what counts is how far the later
// samples rise above it. The warm-up is there for more than the heap: the
// word list is searched where it lies in the program's read-only data, and
// its pages only become resident as lookups reach them (with the pages
// around each, so the first few dozen words map megabytes of it).
//
// PASS: memory within 1 MiB of the warm-up value, no more descriptors than
// then, the host alive to the end, games won and nothing going wrong at the
// table. Exit status 0 for PASS, 1 for FAIL.
#include "bots/botbrain.h"
#include "bots/bottable.h"
#include "bots/wordfinder.h"
#include "chatload.h"
#include "net/clientconnection.h"
#include "net/messages.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDateTime>
#include <QElapsedTimer>
#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QThread>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <memory>
#include <optional>
#include <sys/wait.h>
#include <utility>
#include <vector>

using namespace gorse;

namespace {

constexpr qint64 kLimitKiB = 1024;
constexpr int kSpies = kSpyCount;
constexpr int kComputerPlayers = BotTable::kMaxBots;

// ---- the host process ----

// A "Name:  123 kB" line of /proc/PID/status, in KiB; -1 when missing.
qint64 statusKiB(pid_t pid, const QByteArray& name)
{
    QFile status(QStringLiteral("/proc/%1/status").arg(pid));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (line.startsWith(name + ':'))
            return line.mid(name.size() + 1).trimmed().split(' ').value(0).toLongLong();
    }
    return -1;
}

// gorse-host, started with its standard error going to a file.
class HostProcess
{
public:
    HostProcess(const QString& path, const std::vector<std::string>& args, const QString& logPath)
        : m_pid(bench::spawnProgram(path.toStdString(), args, logPath.toStdString())),
          m_ended(m_pid < 0)
    {
    }
    pid_t pid() const { return m_pid; }
    bool running()
    {
        if (!m_ended && ::waitpid(m_pid, &m_status, WNOHANG) == m_pid)
            m_ended = true;
        return !m_ended;
    }
    // SIGTERM, and SIGKILL after 5 seconds; true when it ended with status 0.
    bool stop()
    {
        if (running()) {
            m_status = bench::stopProgram(m_pid, 5000);
            m_ended = true;
        }
        return m_pid >= 0 && WIFEXITED(m_status) && WEXITSTATUS(m_status) == 0;
    }

private:
    pid_t m_pid;
    bool m_ended;
    int m_status = 0;
};

// The port gorse-host logs as its first line, waiting up to timeoutMs.
quint16 loggedPort(const QString& logPath, HostProcess& host, int timeoutMs)
{
    static const QRegularExpression re(QStringLiteral("event=listen port=(\\d+) "));
    QElapsedTimer waited;
    waited.start();
    while (waited.elapsed() < timeoutMs && host.running()) {
        QFile log(logPath);
        if (log.open(QIODevice::ReadOnly)) {
            const auto match = re.match(QString::fromLocal8Bit(log.readAll()));
            if (match.hasMatch())
                return quint16(match.captured(1).toUInt());
        }
        QThread::msleep(20);
    }
    return 0;
}

// ---- the clients ----

// One connection to the host; its messages are worked off in dispatch turns
// as in the game's own clients.
class Client : public QObject
{
public:
    // Something went wrong at the table: the run fails with this reason.
    std::function<void(const QString&)> onFault;

    Client()
    {
        for (const QByteArray& name :
             {msg::name::newplayerinfo, msg::name::playerdisconnected, msg::name::startgame,
              msg::name::thecards, msg::name::startround, msg::name::theword, msg::name::rejected,
              msg::name::discard, msg::name::pscore, msg::name::endround, msg::name::tiegame,
              msg::name::winner, msg::name::full})
            m_connection.addCommand(name, [this, name](const QByteArray& f) { handle(name, f); });
        m_connection.addCommand(msg::name::sendlogininfo,
                                [this](const QByteArray& f) { m_connection.login(f); });
        m_connection.setLoginName([this](int own) { return loginName(own); });
        connect(&m_connection, &ClientConnection::overlongLine, this,
                [this] { fault(QStringLiteral("the host sent an endless line")); });
        connect(&m_connection, &ClientConnection::logLine, this, &Client::fault);
        connect(&m_connection, &ClientConnection::socketInfo, this,
                [this](TSocketInfo, const QString& text) {
                    if (text == QLatin1String("Socket Closed"))
                        closed();
                });
    }
    void open(quint16 port) { m_connection.open(QStringLiteral("127.0.0.1"), port); }
    void close() { m_connection.close(); }
    int number() const { return m_connection.ownNumber(); }

protected:
    virtual std::optional<QByteArray> loginName(int own) = 0;
    virtual void handle(const QByteArray& command, const QByteArray& fields) = 0;
    virtual void closed() = 0;
    void send(const QByteArray& message) { m_connection.send(message); }
    void fault(const QString& why)
    {
        if (onFault)
            onFault(why);
    }

private:
    ClientConnection m_connection;
};

// Seat 1: starts the games and plays them with a computer player's brain.
// As it hears everything sent to all, it counts the table's games, rounds
// and words.
class Starter : public Client
{
public:
    static constexpr char kName[] = "Starter";

    std::function<void()> onSeated;
    std::function<void()> onGameOver;
    std::function<void(int)> onLeft; // a connection's departure was announced

    int gamesStarted = 0;
    int gamesWon = 0;
    int rounds = 0;
    int ties = 0;
    int words = 0; // accepted words of every seat

    // paceMs: the time of one look; 0 for the level's own thinking time.
    Starter(std::shared_ptr<const WordFinder> finder, BotLevel level, quint64 seed, int target,
            int seconds, int paceMs)
        : m_brain(std::move(finder), level, seed), m_target(target), m_seconds(seconds),
          m_pace(paceMs)
    {
        m_clock.start();
        m_look.setSingleShot(true);
        connect(&m_look, &QTimer::timeout, this, [this] { look(); });
    }

    void startGame()
    {
        const int target = m_starts++ % 2 == 0 ? m_target : 10 * m_target;
        send(msg::startgame(kName, target, m_seconds));
    }
    void quit()
    {
        m_quitting = true;
        stopPlaying();
        close();
    }

private:
    std::optional<QByteArray> loginName(int own) override
    {
        if (own != 1)
            fault(QStringLiteral("the starter was given number %1, not 1").arg(own));
        return QByteArray(kName);
    }
    void handle(const QByteArray& command, const QByteArray& fields) override
    {
        if (command == msg::name::newplayerinfo) {
            if (msg::ConnText::parse(fields).conn == number() && !m_seated) {
                m_seated = true;
                onSeated();
            }
        } else if (command == msg::name::playerdisconnected) {
            onLeft(msg::ConnText::parse(fields).conn);
        } else if (command == msg::name::startgame) {
            ++gamesStarted;
            stopPlaying();
            m_brain.newGame();
        } else if (command == msg::name::thecards) {
            putCards(m_cards, msg::TheCards::parse(fields).cards);
        } else if (command == msg::name::startround) {
            m_brain.newRound();
            play(qint64(m_seconds) * 1000);
        } else if (command == msg::name::theword) {
            const auto word = msg::TheWord::parse(fields);
            if (word.seat == number())
                answered(word.cards);
        } else if (command == msg::name::rejected) {
            const auto word = msg::Rejected::parse(fields);
            if (word.seat == number()) {
                m_brain.refuse(word.word);
                answered(word.cards);
            }
        } else if (command == msg::name::discard) {
            const auto result = msg::DiscardResult::parse(fields);
            if (result.seat == number())
                answered({result.card});
        } else if (command == msg::name::pscore) {
            ++words;
        } else if (command == msg::name::endround) {
            ++rounds;
            stopPlaying();
        } else if (command == msg::name::tiegame) {
            ++ties;
        } else if (command == msg::name::winner) {
            ++gamesWon;
            stopPlaying();
            onGameOver();
        }
    }
    void closed() override
    {
        stopPlaying();
        if (!m_quitting)
            fault(QStringLiteral("the host closed the starter's connection"));
    }

    // As a computer player plays: a look at the cards after each thinking
    // time, one word or discard under way at a time, none started too late
    // to reach the host before its clock runs out.
    void play(qint64 milliseconds)
    {
        stopPlaying();
        m_playing = true;
        m_deadline = m_clock.elapsed() + milliseconds - kBotStopMs;
        scheduleLook();
    }
    void stopPlaying()
    {
        m_playing = false;
        m_awaiting = false;
        m_look.stop();
    }
    void scheduleLook()
    {
        if (!m_playing || m_awaiting || m_look.isActive())
            return;
        const int think = m_pace > 0 ? m_pace : m_brain.thinkMs();
        if (m_clock.elapsed() + think > m_deadline) {
            m_playing = false;
            return;
        }
        m_look.start(think);
    }
    void look()
    {
        if (!m_playing || m_awaiting)
            return;
        const BotMove move = m_brain.decide(m_cards);
        if (move.kind == BotMove::Kind::Play) {
            m_awaiting = true;
            send(msg::sendword(number(), move.word.piles));
        } else if (move.kind == BotMove::Kind::Discard) {
            m_awaiting = true;
            send(msg::discard(number(), move.pile));
        } else {
            scheduleLook();
        }
    }
    void answered(const CardList& cards)
    {
        putCards(m_cards, cards);
        m_awaiting = false;
        scheduleLook();
    }

    BotBrain m_brain;
    int m_target;
    int m_seconds;
    int m_pace;
    int m_starts = 0;
    PileCards m_cards{};
    QElapsedTimer m_clock;
    QTimer m_look;
    qint64 m_deadline = 0;
    bool m_playing = false;
    bool m_awaiting = false;
    bool m_seated = false;
    bool m_quitting = false;
};

// A spy: watches, and chats every few seconds.
class Spy : public Client
{
public:
    std::function<void()> onSeated;

    explicit Spy(int chatMs)
    {
        connect(&m_chat, &QTimer::timeout, this, [this] {
            send(msg::chat(number(),
                           "still watching, " + QByteArray::number(++m_chats) + "|clNavy"));
        });
        m_chat.setInterval(chatMs);
    }
    void leave()
    {
        m_leaving = true;
        m_chat.stop();
        close();
    }

private:
    std::optional<QByteArray> loginName(int own) override
    {
        if (!isSpy(own))
            fault(QStringLiteral("a spy was given number %1").arg(own));
        return "Watcher" + QByteArray::number(own);
    }
    void handle(const QByteArray& command, const QByteArray& fields) override
    {
        if (command == msg::name::newplayerinfo) {
            if (msg::ConnText::parse(fields).conn == number() && !m_chat.isActive()) {
                m_chat.start();
                onSeated();
            }
        } else if (command == msg::name::full) {
            fault(QStringLiteral("a spy found the table full"));
        }
    }
    void closed() override
    {
        m_chat.stop();
        if (!m_leaving)
            fault(QStringLiteral("the host closed spy %1's connection").arg(number()));
    }

    QTimer m_chat;
    int m_chats = 0;
    bool m_leaving = false;
};

// ---- the run ----

struct Options
{
    QString hostPath;
    double minutes = 2;
    int warmupSeconds = 60;
    int sampleSeconds = 5;
    int target = 100;
    int roundSeconds = 10;
    BotLevel level = BotLevel::Expert;
    int paceMs = 250;
    std::optional<quint64> seed;
};

struct Sample
{
    double seconds = 0;
    qint64 rssKiB = 0, anonKiB = 0, fileKiB = 0;
    int fds = 0;
    int games = 0, words = 0;
};

class Soak : public QObject
{
public:
    Soak(const Options& options, HostProcess& host, quint16 port)
        : m_options(options), m_host(host), m_port(port), m_finder(WordFinder::builtIn()),
          m_bots(m_finder)
    {
        const quint64 seed = options.seed.value_or(quint64(QDateTime::currentMSecsSinceEpoch()));
        m_bots.setSeed(seed + 1);
        m_starter = std::make_unique<Starter>(m_finder, options.level, seed, options.target,
                                              options.roundSeconds, options.paceMs);
        m_starter->onFault = [this](const QString& why) { fault(why); };
        m_starter->onSeated = [this] {
            m_bots.start(QStringLiteral("127.0.0.1"), m_port, kComputerPlayers, m_options.level);
        };
        m_starter->onGameOver = [this] {
            if (!m_finished)
                QTimer::singleShot(3000, this, [this] {
                    if (!m_finished)
                        m_starter->startGame();
                });
        };
        m_starter->onLeft = [this](int k) { left(k); };
        connect(&m_bots, &BotTable::started, this, [this](int seated) {
            if (seated != kComputerPlayers)
                fault(QStringLiteral("only %1 computer players found a seat").arg(seated));
            addSpy();
        });
        m_sampler.setInterval(m_options.sampleSeconds * 1000);
        connect(&m_sampler, &QTimer::timeout, this, [this] { sample(); });
    }

    void begin()
    {
        std::printf("gorse-host pid %d on port %u; targets %d and %d by turns, rounds of %d "
                    "seconds, %s computer "
                    "players, seat 1 looking every %d ms; %.1f minutes, warm-up %d s, a sample "
                    "every %d s\n",
                    int(m_host.pid()), m_port, m_options.target, 10 * m_options.target,
                    m_options.roundSeconds, qPrintable(botLevelName(m_options.level)),
                    m_options.paceMs, m_options.minutes, m_options.warmupSeconds,
                    m_options.sampleSeconds);
        std::printf("%8s %10s %10s %10s %5s %6s %6s\n", "time", "VmRSS KiB", "anon KiB", "file KiB",
                    "fds", "games", "words");
        std::fflush(stdout);
        m_starter->open(m_port);
        // Nobody may wait for ever on a table that never fills.
        QTimer::singleShot(60000, this, [this] {
            if (!m_running && !m_finished) {
                fault(QStringLiteral("the table did not fill within a minute"));
                finish();
            }
        });
    }

    // Exit status of the run, once finished.
    std::function<void(int)> onFinished;

private:
    void addSpy()
    {
        auto spy = std::make_unique<Spy>(3000 + 700 * int(m_spies.size() % kSpies));
        Spy* raw = spy.get();
        raw->onFault = [this](const QString& why) { fault(why); };
        raw->onSeated = [this] {
            if (!m_running && m_spies.size() < size_t(kSpies))
                addSpy();
            else if (!m_running)
                run();
        };
        m_spies.push_back(std::move(spy));
        raw->open(m_port);
    }

    void run()
    {
        m_running = true;
        m_clock.start();
        m_starter->startGame();
        sample();
        m_sampler.start();
        QTimer::singleShot(int(m_options.minutes * 60000), this, [this] { finish(); });
    }

    void left(int k)
    {
        if (isSeat(k)) {
            fault(QStringLiteral("seat %1 left the table").arg(k));
            return;
        }
        // The spy sent away after the last sample: a new one takes the place.
        if (k == m_leavingSpy && !m_finished) {
            m_leavingSpy = 0;
            ++m_rejoins;
            auto spy = std::make_unique<Spy>(3000);
            spy->onFault = [this](const QString& why) { fault(why); };
            spy->onSeated = [] {};
            spy->open(m_port);
            *std::find_if(m_spies.begin(), m_spies.end(),
                          [k](const auto& s) { return s->number() == k; }) = std::move(spy);
        }
    }

    void sample()
    {
        if (!m_host.running()) {
            m_hostDied = true;
            fault(QStringLiteral("gorse-host ended during the run"));
            finish();
            return;
        }
        Sample s;
        s.seconds = double(m_clock.elapsed()) / 1000.0;
        s.rssKiB = statusKiB(m_host.pid(), "VmRSS");
        s.anonKiB = statusKiB(m_host.pid(), "RssAnon");
        s.fileKiB = statusKiB(m_host.pid(), "RssFile");
        s.fds = bench::openDescriptors(m_host.pid());
        s.games = m_starter->gamesWon;
        s.words = m_starter->words;
        m_samples.push_back(s);
        // The sampler's ticks come a little early or late; a sample is
        // counted at the second it is printed with.
        const bool warmingUp = s.seconds + 0.5 < m_options.warmupSeconds;
        const bool first = !warmingUp && !m_baseline;
        if (first)
            m_baseline = m_samples.size() - 1;
        std::printf("%6.0f s %10lld %10lld %10lld %5d %6d %6d%s\n", s.seconds,
                    static_cast<long long>(s.rssKiB), static_cast<long long>(s.anonKiB),
                    static_cast<long long>(s.fileKiB), s.fds, s.games, s.words,
                    warmingUp ? "  warm-up"
                    : first   ? "  <- warm-up value"
                              : "");
        std::fflush(stdout);

        // A connection comes and goes between every two samples.
        if (!m_finished && m_leavingSpy == 0 && !m_spies.empty()) {
            Spy& spy = *m_spies[size_t(m_churn++ % int(m_spies.size()))];
            if (spy.number() != 0) {
                m_leavingSpy = spy.number();
                spy.leave();
            }
        }
    }

    void fault(const QString& why)
    {
        if (m_finished)
            return;
        std::printf("fault: %s\n", qPrintable(why));
        std::fflush(stdout);
        m_faults.append(why);
    }

    void finish()
    {
        if (m_finished)
            return;
        if (m_running && !m_hostDied)
            sample();
        m_finished = true;
        m_sampler.stop();
        m_bots.stop();
        m_starter->quit();
        for (auto& spy : m_spies)
            spy->leave();
        // Give the goodbyes a moment before the host is asked to stop.
        QTimer::singleShot(500, this, [this] { report(); });
    }

    void report()
    {
        bool pass = m_faults.isEmpty() && !m_hostDied;
        std::printf("\n");
        if (m_baseline && *m_baseline + 1 < m_samples.size()) {
            const Sample& base = m_samples[*m_baseline];
            qint64 rssMax = base.rssKiB, anonMax = base.anonKiB, fileMax = base.fileKiB;
            int fdMax = base.fds;
            for (size_t i = *m_baseline + 1; i < m_samples.size(); ++i) {
                rssMax = std::max(rssMax, m_samples[i].rssKiB);
                anonMax = std::max(anonMax, m_samples[i].anonKiB);
                fileMax = std::max(fileMax, m_samples[i].fileKiB);
                fdMax = std::max(fdMax, m_samples[i].fds);
            }
            const qint64 growth = rssMax - base.rssKiB;
            std::printf("warm-up value at %.0f s: VmRSS %lld KiB (anon %lld, file %lld), %d "
                        "descriptors\n",
                        base.seconds, static_cast<long long>(base.rssKiB),
                        static_cast<long long>(base.anonKiB), static_cast<long long>(base.fileKiB),
                        base.fds);
            std::printf("after warm-up, %zu samples: VmRSS at most %lld KiB, growth %+lld KiB "
                        "(anon %+lld, file %+lld; limit %lld); descriptors at most %d, growth "
                        "%+d\n",
                        m_samples.size() - *m_baseline - 1, static_cast<long long>(rssMax),
                        static_cast<long long>(growth),
                        static_cast<long long>(anonMax - base.anonKiB),
                        static_cast<long long>(fileMax - base.fileKiB),
                        static_cast<long long>(kLimitKiB), fdMax, fdMax - base.fds);
            if (growth > kLimitKiB) {
                pass = false;
                std::printf("memory grew by more than %lld KiB after warm-up\n",
                            static_cast<long long>(kLimitKiB));
            }
            if (fdMax > base.fds) {
                pass = false;
                std::printf("descriptors grew after warm-up\n");
            }
        } else {
            pass = false;
            std::printf("no samples after the warm-up: run longer than the warm-up\n");
        }
        if (m_starter->gamesWon == 0) {
            pass = false;
            std::printf("no game was won\n");
        }
        std::printf("table: %d games started, %d won, %d rounds, %d ties, %d words accepted, %d "
                    "spies replaced\n",
                    m_starter->gamesStarted, m_starter->gamesWon, m_starter->rounds,
                    m_starter->ties, m_starter->words, m_rejoins);
        for (const QString& why : std::as_const(m_faults))
            std::printf("fault: %s\n", qPrintable(why));
        std::fflush(stdout);
        if (onFinished)
            onFinished(pass ? 0 : 1);
    }

    Options m_options;
    HostProcess& m_host;
    quint16 m_port;
    std::shared_ptr<const WordFinder> m_finder;
    BotTable m_bots;
    std::unique_ptr<Starter> m_starter;
    std::vector<std::unique_ptr<Spy>> m_spies;
    QTimer m_sampler;
    QElapsedTimer m_clock;
    std::vector<Sample> m_samples;
    std::optional<size_t> m_baseline;
    QStringList m_faults;
    int m_leavingSpy = 0;
    int m_churn = 0;
    int m_rejoins = 0;
    bool m_running = false;
    bool m_finished = false;
    bool m_hostDied = false;
};

// What the host's log says about the run: one line per event.
void summariseLog(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        std::printf("host log: cannot read %s\n", qPrintable(path));
        return;
    }
    const QList<QByteArray> lines = file.readAll().split('\n');
    auto count = [&](const char* text) {
        return std::count_if(lines.begin(), lines.end(),
                             [text](const QByteArray& line) { return line.contains(text); });
    };
    std::printf("host log: %lld games started, %lld won, %lld words accepted, %lld rejected, "
                "%lld departures, %lld connections dropped, %lld malformed messages\n",
                static_cast<long long>(count("event=game_start ")),
                static_cast<long long>(count("event=winner ")),
                static_cast<long long>(count("event=word result=accepted ")),
                static_cast<long long>(count("event=word result=rejected ")),
                static_cast<long long>(count("event=leave ")),
                static_cast<long long>(count("event=drop ")),
                static_cast<long long>(count("event=malformed ")));
    for (const QByteArray& line : lines) {
        if (line.contains("stopping: "))
            std::printf("host log: %s\n", line.constData());
    }
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Plays gorse-host for minutes and watches its memory and descriptors."));
    const QCommandLineOption hostOption(
        QStringLiteral("host"), QStringLiteral("gorse-host program"), QStringLiteral("PATH"));
    const QCommandLineOption minutesOption(QStringLiteral("minutes"),
                                           QStringLiteral("length of the run (default 2)"),
                                           QStringLiteral("N"), QStringLiteral("2"));
    const QCommandLineOption warmupOption(QStringLiteral("warmup"),
                                          QStringLiteral("warm-up in seconds (default 60)"),
                                          QStringLiteral("S"), QStringLiteral("60"));
    const QCommandLineOption sampleOption(QStringLiteral("sample"),
                                          QStringLiteral("seconds between samples (default 5)"),
                                          QStringLiteral("S"), QStringLiteral("5"));
    const QCommandLineOption targetOption(QStringLiteral("target"),
                                          QStringLiteral("target score of a game (default 100)"),
                                          QStringLiteral("T"), QStringLiteral("100"));
    const QCommandLineOption roundOption(QStringLiteral("round-seconds"),
                                         QStringLiteral("length of a round (default 10)"),
                                         QStringLiteral("S"), QStringLiteral("10"));
    const QCommandLineOption levelOption(
        QStringLiteral("level"),
        QStringLiteral("computer players' level: beginner, casual, strong or expert (default "
                       "expert)"),
        QStringLiteral("L"), QStringLiteral("expert"));
    const QCommandLineOption paceOption(
        QStringLiteral("pace"),
        QStringLiteral("seat 1's time per look in milliseconds, 0 for the level's (default 250)"),
        QStringLiteral("MS"), QStringLiteral("250"));
    const QCommandLineOption seedOption(
        QStringLiteral("seed"),
        QStringLiteral("seed of the deck and the players (default: the clock)"),
        QStringLiteral("S"));
    parser.addHelpOption();
    parser.addOptions({hostOption, minutesOption, warmupOption, sampleOption, targetOption,
                       roundOption, levelOption, paceOption, seedOption});
    parser.process(app);

    Options options;
    options.hostPath = parser.isSet(hostOption)
                           ? parser.value(hostOption)
                           : QCoreApplication::applicationDirPath() + QStringLiteral("/gorse-host");
    bool ok = true;
    auto number = [&](const QCommandLineOption& option, double minimum) {
        bool valid = false;
        const double value = parser.value(option).toDouble(&valid);
        ok = ok && valid && value >= minimum;
        return value;
    };
    options.minutes = number(minutesOption, 0.1);
    options.warmupSeconds = int(number(warmupOption, 0));
    options.sampleSeconds = int(number(sampleOption, 1));
    options.target = int(number(targetOption, 1));
    options.roundSeconds = int(number(roundOption, 3));
    options.paceMs = int(number(paceOption, 0));
    const auto level = botLevelFromName(parser.value(levelOption));
    if (parser.isSet(seedOption))
        options.seed = parser.value(seedOption).toULongLong(&ok);
    if (!ok || !level) {
        std::fprintf(stderr, "bench_soak: a value is out of range; see --help\n");
        return 2;
    }
    options.level = *level;

    QTemporaryDir dir;
    const QString logPath = dir.filePath(QStringLiteral("gorse-host.log"));
    std::vector<std::string> args{"--port", "0", "--no-announce", "--any-game"};
    if (options.seed) {
        args.push_back("--seed");
        args.push_back(std::to_string(*options.seed));
    }
    HostProcess host(options.hostPath, args, logPath);
    if (!host.running()) {
        std::fprintf(stderr, "bench_soak: cannot start %s\n", qPrintable(options.hostPath));
        return 1;
    }
    const quint16 port = loggedPort(logPath, host, 10000);
    if (port == 0) {
        std::fprintf(stderr, "bench_soak: gorse-host did not say which port it listens on\n");
        host.stop();
        return 1;
    }

    int code = 1;
    Soak soak(options, host, port);
    soak.onFinished = [&](int result) {
        code = result;
        QCoreApplication::quit();
    };
    soak.begin();
    QCoreApplication::exec();

    const bool clean = host.stop();
    summariseLog(logPath);
    std::printf("gorse-host %s\n", clean ? "stopped cleanly on SIGTERM" : "did not stop cleanly");
    if (!clean)
        code = 1;
    std::printf("%s\n", code == 0 ? "PASS" : "FAIL");
    return code;
}
