#include "host/epolldispatcher.h"

#include <QCoreApplication>
#include <QSocketNotifier>
#include <QTimerEvent>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <ctime>
#include <poll.h>
#include <sys/epoll.h>
#include <sys/eventfd.h>
#include <unistd.h>

namespace gorse {

namespace {

qint64 nowMs()
{
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return qint64(ts.tv_sec) * 1000 + ts.tv_nsec / 1000000;
}

constexpr quint32 kTypeEvents[3] = {EPOLLIN, EPOLLOUT, EPOLLPRI};
// What wakes a notifier of each type, as poll reports it: a read notifier
// also hears of a hang-up or an error, so that its socket finds out.
constexpr quint32 kTypeWakes[3] = {EPOLLIN | EPOLLHUP | EPOLLERR, EPOLLOUT | EPOLLERR, EPOLLPRI};

} // namespace

EpollEventDispatcher::EpollEventDispatcher(QObject* parent) : QAbstractEventDispatcher(parent)
{
    m_epoll = epoll_create1(EPOLL_CLOEXEC);
    m_wake = eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
    if (m_epoll < 0 || m_wake < 0)
        qFatal("EpollEventDispatcher: cannot create an epoll set or an eventfd");
    epoll_event ev{};
    ev.events = EPOLLIN;
    ev.data.fd = m_wake;
    epoll_ctl(m_epoll, EPOLL_CTL_ADD, m_wake, &ev);
}

EpollEventDispatcher::~EpollEventDispatcher()
{
    ::close(m_wake);
    ::close(m_epoll);
}

// ---- socket notifiers ----

void EpollEventDispatcher::registerSocketNotifier(QSocketNotifier* notifier)
{
    const int fd = int(notifier->socket());
    Descriptor& d = m_descriptors[fd];
    QSocketNotifier*& slot = d.notifiers[int(notifier->type())];
    // Another notifier: another socket may have been given the number.
    if (slot != notifier)
        d.renewed = true;
    slot = notifier;
    changed(fd, d);
}

void EpollEventDispatcher::unregisterSocketNotifier(QSocketNotifier* notifier)
{
    const int fd = int(notifier->socket());
    auto it = m_descriptors.find(fd);
    if (it != m_descriptors.end() && it->notifiers[int(notifier->type())] == notifier) {
        it->notifiers[int(notifier->type())] = nullptr;
        changed(fd, *it);
    }
    for (std::vector<QSocketNotifier*>* pending : m_activating)
        std::replace(pending->begin(), pending->end(), notifier,
                     static_cast<QSocketNotifier*>(nullptr));
}

void EpollEventDispatcher::changed(int fd, Descriptor& d)
{
    if (!d.changed) {
        d.changed = true;
        m_changed.push_back(fd);
    }
}

void EpollEventDispatcher::applyChanges()
{
    for (const int fd : m_changed) {
        auto it = m_descriptors.find(fd);
        if (it == m_descriptors.end())
            continue;
        Descriptor& d = *it;
        d.changed = false;
        quint32 events = 0;
        for (int type = 0; type < 3; ++type) {
            if (d.notifiers[type])
                events |= kTypeEvents[type];
        }
        if (d.alwaysReady) {
            if (events == 0) {
                --m_alwaysReady;
                m_descriptors.erase(it);
            }
            continue;
        }
        if (events == 0) {
            // Out of the set, or epoll would report its hang-up for ever.
            if (d.events)
                epoll_ctl(m_epoll, EPOLL_CTL_DEL, fd, nullptr);
            m_descriptors.erase(it);
            continue;
        }
        if (events == d.events && !d.renewed)
            continue;
        d.renewed = false;
        epoll_event ev{};
        ev.events = events;
        ev.data.fd = fd;
        // A closed descriptor has left the set by itself; its number may
        // belong to another socket by now.
        int rc = epoll_ctl(m_epoll, d.events ? EPOLL_CTL_MOD : EPOLL_CTL_ADD, fd, &ev);
        if (rc != 0 && errno == ENOENT)
            rc = epoll_ctl(m_epoll, EPOLL_CTL_ADD, fd, &ev);
        else if (rc != 0 && errno == EEXIST)
            rc = epoll_ctl(m_epoll, EPOLL_CTL_MOD, fd, &ev);
        if (rc != 0 && errno == EPERM) {
            // A regular file: poll calls it always ready, and so does this.
            d.alwaysReady = true;
            d.events = 0;
            ++m_alwaysReady;
            continue;
        }
        d.events = rc == 0 ? events : 0;
    }
    m_changed.clear();
}

int EpollEventDispatcher::activateNotifiers(std::vector<QSocketNotifier*>& pending)
{
    int activated = 0;
    // Entries are nulled, not removed, when their notifier goes meanwhile.
    for (size_t i = 0; i < pending.size(); ++i) {
        QSocketNotifier* notifier = pending[i];
        if (!notifier)
            continue;
        pending[i] = nullptr;
        QEvent event(QEvent::SockAct);
        QCoreApplication::sendEvent(notifier, &event);
        ++activated;
    }
    return activated;
}

// ---- timers ----

void EpollEventDispatcher::registerTimer(int timerId, qint64 interval, Qt::TimerType timerType,
                                         QObject* object)
{
    Timer t;
    t.id = timerId;
    t.interval = std::max<qint64>(0, interval);
    t.type = timerType;
    t.object = object;
    t.due = nowMs() + t.interval;
    m_timers.push_back(t);
}

bool EpollEventDispatcher::unregisterTimer(int timerId)
{
    const auto it = std::find_if(m_timers.begin(), m_timers.end(),
                                 [timerId](const Timer& t) { return t.id == timerId; });
    if (it == m_timers.end())
        return false;
    m_timers.erase(it);
    return true;
}

bool EpollEventDispatcher::unregisterTimers(QObject* object)
{
    const auto end = std::remove_if(m_timers.begin(), m_timers.end(),
                                    [object](const Timer& t) { return t.object == object; });
    const bool any = end != m_timers.end();
    m_timers.erase(end, m_timers.end());
    return any;
}

QList<QAbstractEventDispatcher::TimerInfo>
EpollEventDispatcher::registeredTimers(QObject* object) const
{
    QList<TimerInfo> list;
    for (const Timer& t : m_timers) {
        if (t.object == object)
            list.append(TimerInfo(t.id, int(t.interval), t.type));
    }
    return list;
}

int EpollEventDispatcher::remainingTime(int timerId)
{
    for (const Timer& t : m_timers) {
        if (t.id == timerId)
            return int(std::max<qint64>(0, t.due - nowMs()));
    }
    return -1;
}

int EpollEventDispatcher::timeUntilNextTimer() const
{
    qint64 next = -1;
    for (const Timer& t : m_timers) {
        if (!t.firing && (next < 0 || t.due < next))
            next = t.due;
    }
    if (next < 0)
        return -1;
    return int(std::clamp<qint64>(next - nowMs(), 0, INT_MAX));
}

int EpollEventDispatcher::activateTimers()
{
    const qint64 now = nowMs();
    // The timers due now, earliest first; each fires at most once here, so
    // that a zero timer cannot keep the loop from the sockets.
    std::vector<std::pair<qint64, int>> due;
    for (const Timer& t : m_timers) {
        if (t.due <= now && !t.firing)
            due.emplace_back(t.due, t.id);
    }
    std::sort(due.begin(), due.end());
    int activated = 0;
    for (const auto& [when, id] : due) {
        auto find = [this, id = id] {
            return std::find_if(m_timers.begin(), m_timers.end(),
                                [id](const Timer& t) { return t.id == id; });
        };
        auto it = find();
        if (it == m_timers.end() || it->firing)
            continue; // stopped by an earlier timer's handler
        it->due += it->interval;
        if (it->due < now)
            it->due = now + it->interval; // late: no catching up
        it->firing = true;
        QObject* object = it->object;
        QTimerEvent event(id);
        QCoreApplication::sendEvent(object, &event);
        ++activated;
        it = find(); // the handler may have changed the list
        if (it != m_timers.end())
            it->firing = false;
    }
    return activated;
}

// ---- the loop ----

void EpollEventDispatcher::wakeUp()
{
    const quint64 one = 1;
    [[maybe_unused]] const ssize_t n = ::write(m_wake, &one, sizeof one);
}

void EpollEventDispatcher::interrupt()
{
    m_interrupted.store(true);
    wakeUp();
}

bool EpollEventDispatcher::processEvents(QEventLoop::ProcessEventsFlags flags)
{
    m_interrupted.store(false);
    emit awake();
    QCoreApplication::sendPostedEvents();

    const bool includeTimers = !(flags & QEventLoop::X11ExcludeTimers);
    const bool includeNotifiers = !(flags & QEventLoop::ExcludeSocketNotifiers);
    const bool canWait = (flags & QEventLoop::WaitForMoreEvents) && !m_interrupted.load();
    if (canWait)
        emit aboutToBlock();
    if (m_interrupted.load())
        return false;

    applyChanges();
    int timeout = 0;
    if (canWait && !(includeNotifiers && m_alwaysReady > 0))
        timeout = includeTimers ? timeUntilNextTimer() : -1;

    int activated = 0;
    std::vector<QSocketNotifier*> pending;
    if (includeNotifiers) {
        epoll_event events[256];
        int n = epoll_wait(m_epoll, events, 256, timeout);
        if (n < 0)
            n = 0; // EINTR: a signal; the caller comes round again
        for (int i = 0; i < n; ++i) {
            if (events[i].data.fd == m_wake) {
                // Emptied before any notifier runs, so that what they post
                // wakes the next turn.
                quint64 count = 0;
                [[maybe_unused]] const ssize_t got = ::read(m_wake, &count, sizeof count);
                ++activated;
            }
        }
        for (int i = 0; i < n; ++i) {
            const int fd = events[i].data.fd;
            if (fd == m_wake)
                continue;
            const auto it = m_descriptors.constFind(fd);
            if (it == m_descriptors.constEnd())
                continue;
            for (int type = 0; type < 3; ++type) {
                if (it->notifiers[type] && (events[i].events & kTypeWakes[type]))
                    pending.push_back(it->notifiers[type]);
            }
        }
        if (m_alwaysReady > 0) {
            for (const Descriptor& d : std::as_const(m_descriptors)) {
                if (!d.alwaysReady)
                    continue;
                for (QSocketNotifier* notifier : d.notifiers) {
                    if (notifier)
                        pending.push_back(notifier);
                }
            }
        }
    } else {
        // Only a wake-up can end the wait.
        pollfd wake{m_wake, POLLIN, 0};
        if (::poll(&wake, 1, timeout) > 0) {
            quint64 count = 0;
            [[maybe_unused]] const ssize_t got = ::read(m_wake, &count, sizeof count);
            ++activated;
        }
    }

    if (!pending.empty()) {
        m_activating.push_back(&pending);
        activated += activateNotifiers(pending);
        m_activating.pop_back();
    }
    if (includeTimers)
        activated += activateTimers();
    return activated > 0;
}

} // namespace gorse
