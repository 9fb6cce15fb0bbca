#pragma once
// gorse-host run as a process by a test: it never announces its table, its
// standard error is collected, and it is killed when the test is done.
#include "support/testutil.h"

#include <QProcess>
#include <QRegularExpression>
#include <csignal>

namespace gorse::test {

struct HostProcess : QProcess
{
    QByteArray log;

    explicit HostProcess(const QStringList& arguments)
    {
        start(binDir() + QStringLiteral("/gorse-host"), QStringList(arguments)
                                                            << QStringLiteral("--no-announce"));
    }
    ~HostProcess() override
    {
        kill();
        waitForFinished();
    }
    // Waits until the log holds text; false if the host ended first.
    bool says(const QByteArray& text)
    {
        waitUntil([&] {
            log += readAllStandardError();
            return log.contains(text) || state() == NotRunning;
        });
        return log.contains(text);
    }
    // The port from the first line of the log.
    quint16 port()
    {
        static const QRegularExpression re(QStringLiteral("event=listen port=(\\d+) "));
        says(" seed=");
        return quint16(re.match(QString::fromLocal8Bit(log)).captured(1).toUInt());
    }
    // Ends the host with a signal; true when it exited cleanly.
    bool stop(int signal)
    {
        ::kill(pid_t(processId()), signal);
        const bool ended = waitUntil([&] { return state() == NotRunning; });
        log += readAllStandardError();
        return ended && exitStatus() == NormalExit && exitCode() == 0;
    }
};

} // namespace gorse::test
