// gorse-host: the game host without a window or a player of its own.
//
//   gorse-host [--port N] [--seed S] [--words FILE | --list standard|large]
//              [--bots N [--level L]] [--any-game]
//              [--no-announce] [--announce-port N] [--announce-to ADDRESS[:PORT]]
//              [--table-name NAME] [--web PORT [--web-origin ORIGIN]...]
//              [--tables N] [--autostart SECONDS [--target N] [--round-seconds N]]
//
// Logs one line per event to standard error, as key=value pairs:
// "ts=TIME" (left out when standard error is the journal, which stamps its
// lines itself), "table=k" with several tables, then "event=NAME" and what
// the event is about. The first event is "event=listen port=P seed=S",
// naming the port actually listened on. With several tables, table k
// listens on PORT + k - 1, or with --port 0 on a free port of its own, and
// each has its "table=k event=listen" line. On SIGINT or SIGTERM every
// table tells its players that the server is restarting, and the program
// ends cleanly within two seconds.
#include "bots/bottable.h"
#include "bots/wordfinder.h"
#include "host/autostarter.h"
#include "host/botfiller.h"
#include "host/epolldispatcher.h"
#include "host/hostmetrics.h"
#include "host/hostsetup.h"
#include "host/tableannouncer.h"
#include "host/tableset.h"
#include "host/tserver.h"
#include "host/webserver.h"
#include "net/logtext.h"

#include <QAbstractEventDispatcher>
#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDateTime>
#include <QElapsedTimer>
#include <QHostInfo>
#include <QSocketNotifier>
#include <QTimer>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <csignal>
#include <cstdio>
#include <fcntl.h>
#include <functional>
#include <memory>
#include <sys/resource.h>
#include <unistd.h>
#include <vector>

using namespace gorse;

namespace {

int signalPipe[2] = {-1, -1};

void onSignal(int signal)
{
    const int saved = errno;
    const char byte = char(signal);
    [[maybe_unused]] const ssize_t n = ::write(signalPipe[1], &byte, 1);
    errno = saved;
}

// Log lines are collected while the host is busy and written out whenever
// its event loop is about to wait, so a burst of words costs one write.
QByteArray pendingLog;

void flushLog()
{
    if (pendingLog.isEmpty())
        return;
    std::fwrite(pendingLog.constData(), 1, size_t(pendingLog.size()), stderr);
    std::fflush(stderr);
    pendingLog.clear();
}

// The journal stamps each line with its time; elsewhere the line carries it.
const bool stampLines = qEnvironmentVariableIsEmpty("JOURNAL_STREAM");

void logLine(const QString& line)
{
    if (stampLines) {
        pendingLog += "ts=";
        pendingLog += QDateTime::currentDateTimeUtc().toString(Qt::ISODateWithMs).toLatin1();
        pendingLog += ' ';
    }
    pendingLog += line.toUtf8();
    pendingLog += '\n';
    if (pendingLog.size() > 64 * 1024)
        flushLog();
}

// A table holds ten descriptors (its listener and nine connections):
// hundreds of tables need more than the usual soft limit of 1024, so the
// soft limit goes up to the hard one (at most 65536).
void raiseDescriptorLimit()
{
    rlimit files{};
    if (::getrlimit(RLIMIT_NOFILE, &files) != 0)
        return;
    const rlim_t wanted = std::min<rlim_t>(files.rlim_max, 65536);
    if (files.rlim_cur < wanted) {
        files.rlim_cur = wanted;
        ::setrlimit(RLIMIT_NOFILE, &files);
    }
}

void fail(const QString& line)
{
    const QByteArray text = (QStringLiteral("gorse-host: ") + line + u'\n').toLocal8Bit();
    std::fwrite(text.constData(), 1, size_t(text.size()), stderr);
}

// SIGINT and SIGTERM write a byte into a pipe; the event loop reads it and
// calls stop, which ends the event loop, so the program ends through its
// ordinary clean-up.
bool watchSignals(QObject* parent, std::function<void(int)> stop)
{
    if (::pipe2(signalPipe, O_CLOEXEC | O_NONBLOCK) != 0)
        return false;
    struct sigaction action = {};
    action.sa_handler = onSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    if (sigaction(SIGINT, &action, nullptr) != 0 || sigaction(SIGTERM, &action, nullptr) != 0)
        return false;
    std::signal(SIGPIPE, SIG_IGN);
    auto* notifier = new QSocketNotifier(signalPipe[0], QSocketNotifier::Read, parent);
    QObject::connect(notifier, &QSocketNotifier::activated, parent, [stop = std::move(stop)] {
        char byte = 0;
        while (::read(signalPipe[0], &byte, 1) == 1)
            stop(int(byte));
    });
    return true;
}

} // namespace

int main(int argc, char** argv)
{
    // Qt's own event loop rather than GLib's: GLib's runs zero-delay timers,
    // and so the host's dispatch turns, at idle priority, behind sockets that
    // stay busy; measured, that tripled a chat's round trip under load.
    if (!qEnvironmentVariableIsSet("QT_NO_GLIB"))
        qputenv("QT_NO_GLIB", "1");
    // And on epoll: Qt's own polls every socket at every turn, which at
    // hundreds of tables costs more than the games (GORSE_POLL_DISPATCHER=1
    // keeps Qt's, for comparison).
    if (!qEnvironmentVariableIsSet("GORSE_POLL_DISPATCHER"))
        QCoreApplication::setEventDispatcher(new EpollEventDispatcher);
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("gorse-host"));
    raiseDescriptorLimit();
    QCoreApplication::setApplicationVersion(QLatin1String(kVersionText));

    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Gorse game host without a window."));
    parser.addHelpOption();
    parser.addVersionOption();
    const QCommandLineOption portOption(
        QStringLiteral("port"), QStringLiteral("Port to listen on (0 takes any free port)."),
        QStringLiteral("N"), QStringLiteral("7772"));
    const QCommandLineOption seedOption(
        QStringLiteral("seed"), QStringLiteral("Seed of the card deck (default: the clock)."),
        QStringLiteral("S"));
    const QCommandLineOption wordsOption(QStringLiteral("words"),
                                         QStringLiteral("Word list in the 15-byte record format."),
                                         QStringLiteral("FILE"));
    const QCommandLineOption noAnnounceOption(
        QStringLiteral("no-announce"),
        QStringLiteral("Do not announce the table to lobbies on the local network."));
    const QCommandLineOption announcePortOption(
        QStringLiteral("announce-port"),
        QStringLiteral("UDP port for table announcements and lobby queries (0: any free port "
                       "for the queries)."),
        QStringLiteral("N"), QString::number(kDiscoveryPort));
    const QCommandLineOption announceToOption(
        QStringLiteral("announce-to"),
        QStringLiteral("Announce to this address only (default: the broadcast address of every "
                       "IPv4 interface), on PORT or else the announcement port."),
        QStringLiteral("ADDRESS[:PORT]"));
    const QCommandLineOption tableNameOption(
        QStringLiteral("table-name"),
        QStringLiteral("The table's name in lobbies (default: this machine's name)."),
        QStringLiteral("NAME"));
    const QCommandLineOption listOption(
        QStringLiteral("list"),
        QStringLiteral("Built-in word list: standard (everyday words, the default) or large."),
        QStringLiteral("standard|large"), QStringLiteral("standard"));
    const QCommandLineOption botsOption(
        QStringLiteral("bots"),
        QStringLiteral("Computer players for a person alone at a table (0 to 5): each further "
                       "person takes the place of one, between games, and one seat stays free "
                       "for the next person."),
        QStringLiteral("N"), QStringLiteral("0"));
    const QCommandLineOption levelOption(
        QStringLiteral("level"), QStringLiteral("Their level: beginner, casual, strong or expert."),
        QStringLiteral("L"), QStringLiteral("casual"));
    const QCommandLineOption anyGameOption(
        QStringLiteral("any-game"),
        QStringLiteral("Accept games of any target score and round length (for tests; otherwise "
                       "the options dialog's ranges)."));
    const QCommandLineOption webOption(
        QStringLiteral("web"),
        QStringLiteral("Serve the web client over HTTP on this port, and take players' "
                       "connections from browsers there (0 takes any free port)."),
        QStringLiteral("PORT"));
    const QCommandLineOption webOriginOption(
        QStringLiteral("web-origin"),
        QStringLiteral("Let pages of this origin (such as https://games.example.org, the address "
                       "of a proxy in front of the web port) connect besides the web port's own "
                       "pages. May be given more than once."),
        QStringLiteral("ORIGIN"));
    const QCommandLineOption tablesOption(
        QStringLiteral("tables"),
        QStringLiteral("Tables to serve, each on a port of its own: table k on PORT + k - 1 "
                       "(with --port 0, each on any free port)."),
        QStringLiteral("N"), QStringLiteral("1"));
    const QCommandLineOption autostartOption(
        QStringLiteral("autostart"),
        QStringLiteral("Start games by themselves: when two players are seated, at least one "
                       "of them a person, and no game runs, one starts this many seconds later "
                       "(1 to 3600)."),
        QStringLiteral("SECONDS"));
    const QCommandLineOption targetOption(
        QStringLiteral("target"),
        QStringLiteral("The target score of the games --autostart starts."), QStringLiteral("N"),
        QString::number(kPlayToScoreRange.initial));
    const QCommandLineOption roundSecondsOption(
        QStringLiteral("round-seconds"),
        QStringLiteral("The round length of the games --autostart starts."), QStringLiteral("N"),
        QString::number(kTimePerTurnRange.initial));
    parser.addOptions({portOption, seedOption, wordsOption, noAnnounceOption, announcePortOption,
                       announceToOption, tableNameOption, listOption, botsOption, levelOption,
                       anyGameOption, webOption, webOriginOption, tablesOption, autostartOption,
                       targetOption, roundSecondsOption});
    parser.process(app);
    if (!parser.positionalArguments().isEmpty()) {
        fail(QStringLiteral("unexpected argument %1").arg(parser.positionalArguments().first()));
        return 2;
    }

    bool ok = false;
    const uint port = parser.value(portOption).toUInt(&ok, 10);
    if (!ok || port > 65535) {
        fail(QStringLiteral("--port needs a number from 0 to 65535"));
        return 2;
    }
    const uint tableCount = parser.value(tablesOption).toUInt(&ok, 10);
    if (!ok || tableCount < 1 || tableCount > uint(TableSet::kMaxTables)) {
        fail(QStringLiteral("--tables needs a number from 1 to %1").arg(TableSet::kMaxTables));
        return 2;
    }
    if (port != 0 && port + tableCount - 1 > 65535) {
        fail(QStringLiteral("--port %1 leaves no port for table %2").arg(port).arg(tableCount));
        return 2;
    }
    const uint autostart =
        parser.isSet(autostartOption) ? parser.value(autostartOption).toUInt(&ok, 10) : 0;
    if (parser.isSet(autostartOption) && (!ok || autostart < 1 || autostart > 3600)) {
        fail(QStringLiteral("--autostart needs a number of seconds from 1 to 3600"));
        return 2;
    }
    if ((parser.isSet(targetOption) || parser.isSet(roundSecondsOption)) &&
        !parser.isSet(autostartOption)) {
        fail(QStringLiteral("--target and --round-seconds need --autostart"));
        return 2;
    }
    const bool anyGame = parser.isSet(anyGameOption);
    const int target = parser.value(targetOption).toInt(&ok, 10);
    if (!ok || (!anyGame && !kPlayToScoreRange.contains(target)) || target < 1) {
        fail(QStringLiteral("--target needs a number from %1 to %2")
                 .arg(kPlayToScoreRange.minimum)
                 .arg(kPlayToScoreRange.maximum));
        return 2;
    }
    const int roundSeconds = parser.value(roundSecondsOption).toInt(&ok, 10);
    if (!ok || (!anyGame && !kTimePerTurnRange.contains(roundSeconds)) || roundSeconds < 1) {
        fail(QStringLiteral("--round-seconds needs a number from %1 to %2")
                 .arg(kTimePerTurnRange.minimum)
                 .arg(kTimePerTurnRange.maximum));
        return 2;
    }
    std::optional<quint64> givenSeed;
    if (parser.isSet(seedOption)) {
        givenSeed = parser.value(seedOption).toULongLong(&ok, 10);
        if (!ok) {
            fail(QStringLiteral("--seed needs a non-negative whole number"));
            return 2;
        }
    }

    const uint announcePort = parser.value(announcePortOption).toUInt(&ok, 10);
    if (!ok || announcePort > 65535) {
        fail(QStringLiteral("--announce-port needs a number from 0 to 65535"));
        return 2;
    }
    const auto endpoints =
        discoveryEndpoints(quint16(announcePort), parser.value(announceToOption));
    if (!endpoints) {
        fail(QStringLiteral("--announce-to needs an address and maybe a port, not \"%1\"")
                 .arg(parser.value(announceToOption)));
        return 2;
    }

    const auto list = builtinListFromName(parser.value(listOption));
    if (!list) {
        fail(QStringLiteral("--list needs standard or large"));
        return 2;
    }
    const uint bots = parser.value(botsOption).toUInt(&ok, 10);
    if (!ok || bots > uint(kSeatCount - 1)) {
        fail(QStringLiteral("--bots needs a number from 0 to %1").arg(kSeatCount - 1));
        return 2;
    }
    const auto level = botLevelFromName(parser.value(levelOption));
    if (!level) {
        fail(QStringLiteral("--level needs beginner, casual, strong or expert"));
        return 2;
    }

    const uint webPort = parser.isSet(webOption) ? parser.value(webOption).toUInt(&ok, 10) : 0;
    if (parser.isSet(webOption) && (!ok || webPort > 65535)) {
        fail(QStringLiteral("--web needs a number from 0 to 65535"));
        return 2;
    }
    const QStringList webOrigins = parser.values(webOriginOption);
    for (const QString& origin : webOrigins) {
        if (WebServer::normalizedOrigin(origin).isEmpty()) {
            fail(QStringLiteral("--web-origin needs an http or https origin such as "
                                "https://games.example.org, not \"%1\"")
                     .arg(origin));
            return 2;
        }
    }
    if (!webOrigins.isEmpty() && !parser.isSet(webOption)) {
        fail(QStringLiteral("--web-origin needs --web"));
        return 2;
    }

    HostSetup setup = prepareHost(parser.value(wordsOption), givenSeed, *list);

    TableSet tables(int(tableCount), *setup.words, setup.seed);
    setup.words.reset();
    const bool several = tables.count() > 1;
    // With several tables, the lines about one begin "table=k ".
    const auto tableLog = [several](int k) -> std::function<void(const QString&)> {
        if (!several)
            return logLine;
        const QString prefix = QStringLiteral("table=%1 ").arg(k);
        return [prefix](const QString& line) { logLine(prefix + line); };
    };

    // The first signal tells every player and ends the program once what
    // was queued has gone out (at most kStopWaitMs later); a second one
    // ends it at once.
    constexpr int kStopWaitMs = 1500;
    bool stopping = false;
    QElapsedTimer stopClock;
    QTimer stopCheck;
    stopCheck.setInterval(10);
    QObject::connect(&stopCheck, &QTimer::timeout, &app, [&] {
        if (tables.bytesToWrite() == 0 || stopClock.elapsed() >= kStopWaitMs)
            QCoreApplication::quit();
    });
    const auto stop = [&](int signal) {
        if (stopping) {
            QCoreApplication::quit();
            return;
        }
        stopping = true;
        logLine(QStringLiteral("event=stop signal=%1")
                    .arg(signal == SIGTERM ? QStringLiteral("TERM") : QStringLiteral("INT")));
        stopClock.start();
        tables.tellEveryone(TableSet::kRestartNotice);
        stopCheck.start();
    };
    if (!watchSignals(&app, stop)) {
        fail(QStringLiteral("cannot watch for signals"));
        return 1;
    }

    for (int k = 1; k <= tables.count(); ++k) {
        TServer& server = tables.table(k);
        server.setLog(tableLog(k));
        if (parser.isSet(anyGameOption)) {
            constexpr OptionRange any{INT_MIN, INT_MAX, 1, 0};
            server.setStartRanges(any, any);
        }
    }
    if (!several) {
        try {
            tables.table(1).startListening(quint16(port));
        } catch (const ESockException& e) {
            fail(QStringLiteral("cannot listen on port %1: %2")
                     .arg(port)
                     .arg(QString::fromUtf8(e.what())));
            return 1;
        }
    } else if (const QString error = tables.startListening(quint16(port)); !error.isEmpty()) {
        fail(QStringLiteral("cannot listen: %1").arg(error));
        return 1;
    }
    for (int k = 1; k <= tables.count(); ++k) {
        tableLog(k)(QStringLiteral("event=listen") +
                    logPair(u"port", tables.table(k).listeningPort()) +
                    logPair(u"seed", qint64(tables.seed(k))));
    }
    std::unique_ptr<WebServer> web;
    if (parser.isSet(webOption)) {
        web = std::make_unique<WebServer>(&tables.table(1));
        QList<TServer*> servers;
        for (int k = 1; k <= tables.count(); ++k)
            servers.append(&tables.table(k));
        web->setTables(servers);
        web->addPage(QStringLiteral("/tables"), [&tables] {
            return WebServer::Page{"application/json", tables.tablesJson()};
        });
        web->addPage(QStringLiteral("/metrics"), [&tables] {
            return WebServer::Page{kPrometheusType, prometheusText(tables)};
        });
        // Healthy while every listener runs and the server is not stopping.
        web->addPage(QStringLiteral("/healthz"), [&tables, &stopping] {
            bool listening = true;
            for (int k = 1; k <= tables.count(); ++k)
                listening = listening && tables.table(k).listeningPort() != 0;
            const bool ok = listening && !stopping;
            return WebServer::Page{"text/plain; charset=utf-8", ok ? "ok\n" : "stopping\n", ok};
        });
        web->setLog(logLine);
        for (const QString& origin : webOrigins)
            web->addAllowedOrigin(origin);
        const QString error = web->startListening(quint16(webPort));
        if (!error.isEmpty()) {
            fail(QStringLiteral("cannot listen on web port %1: %2").arg(webPort).arg(error));
            return 1;
        }
        logLine(QStringLiteral("event=web_listen") + logPair(u"port", web->listeningPort()));
    }
    if (!setup.wordsError.isEmpty()) {
        // The host goes on; every word is then rejected.
        logLine(QStringLiteral("event=words_error") + logPair(u"error", setup.wordsError));
    }
    std::vector<std::unique_ptr<TableAnnouncer>> announcers;
    if (!parser.isSet(noAnnounceOption)) {
        const QString name = parser.isSet(tableNameOption) ? parser.value(tableNameOption)
                                                           : QHostInfo::localHostName();
        for (int k = 1; k <= tables.count(); ++k) {
            auto announcer = std::make_unique<TableAnnouncer>(
                &tables.table(k), several ? QStringLiteral("%1 #%2").arg(name).arg(k) : name,
                *endpoints);
            const QString error = announcer->start();
            if (!error.isEmpty())
                tableLog(k)(QStringLiteral("event=announce_error") + logPair(u"error", error));
            tableLog(k)(QStringLiteral("event=announce") + logPair(u"name", announcer->name()) +
                        logPair(u"query_port", announcer->queryPort()));
            announcers.push_back(std::move(announcer));
        }
    }

    // Computer players keep the people at each table company; they know
    // the host's words (the same at every table: one finder serves all).
    std::shared_ptr<const WordFinder> finder;
    const auto sharedFinder = [&finder, &tables] {
        if (!finder)
            finder = WordFinder::withCommonWords(tables.table(1).table().spell());
        return finder;
    };
    std::vector<std::unique_ptr<BotFiller>> fillers;
    if (bots > 0) {
        for (int k = 1; k <= tables.count(); ++k) {
            auto filler =
                std::make_unique<BotFiller>(&tables.table(k), int(bots), *level, sharedFinder);
            // Without --autostart, connection 1 starts the games: a person's.
            filler->setSeatOneForPeople(autostart == 0);
            filler->setLog(tableLog(k));
            fillers.push_back(std::move(filler));
        }
    }

    std::vector<std::unique_ptr<AutoStarter>> autoStarters;
    if (autostart > 0) {
        for (int k = 1; k <= tables.count(); ++k) {
            std::function<bool(int)> isPerson;
            if (!fillers.empty()) {
                isPerson = [filler = fillers[size_t(k - 1)].get()](int seat) {
                    return !filler->isComputerPlayer(seat);
                };
            }
            autoStarters.push_back(std::make_unique<AutoStarter>(
                &tables.table(k), int(autostart), target, roundSeconds, std::move(isPerson)));
        }
    }

    QObject::connect(QAbstractEventDispatcher::instance(), &QAbstractEventDispatcher::aboutToBlock,
                     &app, flushLog);
    const int code = QCoreApplication::exec();
    quint64 handled = 0;
    quint64 sent = 0;
    for (int k = 1; k <= tables.count(); ++k) {
        handled += tables.table(k).messagesHandled();
        sent += tables.table(k).messagesSent();
    }
    logLine(QStringLiteral("event=exit") + logPair(u"handled", qint64(handled)) +
            logPair(u"sent", qint64(sent)));
    flushLog();
    return code;
}
