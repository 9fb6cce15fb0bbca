#include "bots/botclock.h"

#include <QTimer>

#include <algorithm>
#include <limits>

namespace gorse {

SystemBotClock::SystemBotClock(QObject* parent) : QObject(parent)
{
    m_elapsed.start();
}

quint64 SystemBotClock::callAfter(qint64 delayMs, std::function<void()> fn)
{
    const quint64 handle = ++m_next;
    auto* timer = new QTimer(this);
    timer->setSingleShot(true);
    timer->setTimerType(Qt::CoarseTimer);
    connect(timer, &QTimer::timeout, this, [this, handle, fn = std::move(fn)] {
        QTimer* done = m_waiting.take(handle);
        if (done)
            done->deleteLater();
        fn();
    });
    m_waiting.insert(handle, timer);
    timer->start(int(std::clamp<qint64>(delayMs, 0, std::numeric_limits<int>::max())));
    return handle;
}

void SystemBotClock::cancel(quint64 handle)
{
    if (QTimer* timer = m_waiting.take(handle)) {
        timer->stop();
        timer->deleteLater();
    }
}

} // namespace gorse
