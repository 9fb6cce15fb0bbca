// gorse-host: the game host without a window or a player of its own.
//
//   gorse-host [--port N] [--seed S] [--words FILE] [--any-game]
//
// Logs one line per event to standard error; the first line names the port
// actually listened on. Ends cleanly on SIGINT or SIGTERM.
#include "host/hostsetup.h"
#include "host/tserver.h"

#include <QAbstractEventDispatcher>
#include <QCommandLineParser>
#include <QCoreApplication>
#include <QSocketNotifier>
#include <QTime>

#include <cerrno>
#include <climits>
#include <csignal>
#include <cstdio>
#include <fcntl.h>
#include <unistd.h>

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

void logLine(const QString& line)
{
    pendingLog += (QTime::currentTime().toString(QStringLiteral("HH:mm:ss.zzz ")) + line + u'\n')
                      .toLocal8Bit();
    if (pendingLog.size() > 64 * 1024)
        flushLog();
}

void fail(const QString& line)
{
    const QByteArray text = (QStringLiteral("gorse-host: ") + line + u'\n').toLocal8Bit();
    std::fwrite(text.constData(), 1, size_t(text.size()), stderr);
}

// SIGINT and SIGTERM write a byte into a pipe; the event loop reads it and
// quits, so the program ends through its ordinary clean-up.
bool watchSignals(QObject* parent)
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
    QObject::connect(notifier, &QSocketNotifier::activated, parent, [] {
        char byte = 0;
        while (::read(signalPipe[0], &byte, 1) == 1) {
        }
        QCoreApplication::quit();
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
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("gorse-host"));
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
    const QCommandLineOption anyGameOption(
        QStringLiteral("any-game"),
        QStringLiteral("Accept games of any target score and round length (for tests; otherwise "
                       "the options dialog's ranges)."));
    parser.addOptions({portOption, seedOption, wordsOption, anyGameOption});
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
    std::optional<quint64> givenSeed;
    if (parser.isSet(seedOption)) {
        givenSeed = parser.value(seedOption).toULongLong(&ok, 10);
        if (!ok) {
            fail(QStringLiteral("--seed needs a non-negative whole number"));
            return 2;
        }
    }

    HostSetup setup = prepareHost(parser.value(wordsOption), givenSeed);

    if (!watchSignals(&app)) {
        fail(QStringLiteral("cannot watch for signals"));
        return 1;
    }

    TServer server(std::move(setup.words), setup.seed);
    server.setLog(logLine);
    if (parser.isSet(anyGameOption)) {
        constexpr OptionRange any{INT_MIN, INT_MAX, 1, 0};
        server.setStartRanges(any, any);
    }
    try {
        server.startListening(quint16(port));
    } catch (const ESockException& e) {
        fail(QStringLiteral("cannot listen on port %1: %2")
                 .arg(port)
                 .arg(QString::fromUtf8(e.what())));
        return 1;
    }
    logLine(QStringLiteral("listening on port %1, seed %2")
                .arg(server.listeningPort())
                .arg(setup.seed));
    if (!setup.wordsError.isEmpty()) {
        // The host goes on; every word is then rejected.
        logLine(setup.wordsError);
    }

    QObject::connect(QAbstractEventDispatcher::instance(), &QAbstractEventDispatcher::aboutToBlock,
                     &app, flushLog);
    const int code = QCoreApplication::exec();
    logLine(QStringLiteral("stopping: %1 messages handled, %2 messages sent")
                .arg(server.messageshandled())
                .arg(server.messagessent()));
    flushLog();
    return code;
}
