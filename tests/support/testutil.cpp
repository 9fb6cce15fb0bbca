#include "support/testutil.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QEventLoop>
#include <QThread>

namespace gorse::test {

bool waitUntil(const std::function<bool()>& pred, int timeoutMs)
{
    // pred() may take what it waits for (a marker out of a list): the first
    // true answer is the one that counts, pred() is not asked again.
    QDeadlineTimer deadline(timeoutMs);
    for (;;) {
        if (pred())
            return true;
        if (deadline.hasExpired())
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        if (pred())
            return true;
        QThread::usleep(200);
    }
}

void settle(int ms)
{
    QDeadlineTimer deadline(ms);
    while (!deadline.hasExpired()) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        QThread::usleep(200);
    }
}

QString binDir()
{
    const QByteArray env = qgetenv("GORSE_BIN_DIR");
    if (!env.isEmpty())
        return QString::fromLocal8Bit(env);
    return QCoreApplication::applicationDirPath();
}

QByteArray visible(const QByteArray& bytes)
{
    QByteArray out = bytes;
    out.replace('\xFF', "|FF|");
    return out;
}

} // namespace gorse::test
