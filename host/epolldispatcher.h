#pragma once

#include <QAbstractEventDispatcher>
#include <QHash>
#include <atomic>
#include <vector>

class QSocketNotifier;

namespace gorse {

// The dedicated host's event dispatcher, on epoll. Qt's own asks the system
// about every socket at every turn of the event loop (poll), which costs in
// proportion to the connections: at 200 tables of nine, most of the host's
// processor time. This one hears only of the sockets that are ready.
// Socket notifiers, timers, posted events, wakeUp and interrupt behave as
// with Qt's own dispatcher; timers of every type are kept to the
// millisecond. For the main thread of a program without windows; install
// it with QCoreApplication::setEventDispatcher before the application
// object is made.
class EpollEventDispatcher : public QAbstractEventDispatcher
{
    Q_OBJECT
public:
    explicit EpollEventDispatcher(QObject* parent = nullptr);
    ~EpollEventDispatcher() override;

    bool processEvents(QEventLoop::ProcessEventsFlags flags) override;
    void registerSocketNotifier(QSocketNotifier* notifier) override;
    void unregisterSocketNotifier(QSocketNotifier* notifier) override;
    void registerTimer(int timerId, qint64 interval, Qt::TimerType timerType,
                       QObject* object) override;
    bool unregisterTimer(int timerId) override;
    bool unregisterTimers(QObject* object) override;
    QList<TimerInfo> registeredTimers(QObject* object) const override;
    int remainingTime(int timerId) override;
    void wakeUp() override;
    void interrupt() override;

private:
    // The notifiers of one descriptor, by type (read, write, exception).
    struct Descriptor
    {
        QSocketNotifier* notifiers[3] = {nullptr, nullptr, nullptr};
        quint32 events = 0;       // what epoll watches for
        bool changed = false;     // in m_changed
        bool renewed = false;     // maybe another file under the same number
        bool alwaysReady = false; // a file epoll cannot watch: ready, as poll says
    };
    struct Timer
    {
        int id = 0;
        qint64 interval = 0; // ms
        Qt::TimerType type = Qt::CoarseTimer;
        QObject* object = nullptr;
        qint64 due = 0;      // ms on the monotonic clock
        bool firing = false; // its event is being handled
    };
    void changed(int fd, Descriptor& d);
    // Tells epoll what changed since the last wait: a notifier turned off
    // and on again within one turn (as a socket's write notifier is for
    // every write) costs nothing.
    void applyChanges();
    // Milliseconds to the next timer (0 when one is due), -1 with none.
    int timeUntilNextTimer() const;
    int activateTimers();
    int activateNotifiers(std::vector<QSocketNotifier*>& pending);

    int m_epoll = -1;
    int m_wake = -1; // an eventfd: wakeUp and interrupt write it
    std::atomic<bool> m_interrupted{false};
    QHash<int, Descriptor> m_descriptors;
    std::vector<int> m_changed; // descriptors whose notifiers changed
    int m_alwaysReady = 0;      // descriptors that epoll cannot watch
    std::vector<Timer> m_timers;
    // Notifiers about to be activated, per processEvents under way (they
    // nest): one unregistered meanwhile is taken out.
    std::vector<std::vector<QSocketNotifier*>*> m_activating;
};

} // namespace gorse
