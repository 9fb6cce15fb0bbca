#pragma once

// The time computer players think by. The real one runs on Qt's event loop;
// tests hand the players a clock they move by hand.

#include <QElapsedTimer>
#include <QHash>
#include <QObject>
#include <functional>

class QTimer;

namespace gorse {

class BotClock
{
public:
    virtual ~BotClock() = default;
    // Milliseconds since some fixed moment.
    virtual qint64 now() const = 0;
    // Calls fn once, delayMs from now, unless cancelled first. Returns a
    // handle, never 0.
    virtual quint64 callAfter(qint64 delayMs, std::function<void()> fn) = 0;
    // Forgets a call that has not happened; an old or 0 handle is ignored.
    virtual void cancel(quint64 handle) = 0;
};

// Real time: one single-shot timer per waiting call.
class SystemBotClock : public QObject, public BotClock
{
public:
    explicit SystemBotClock(QObject* parent = nullptr);
    qint64 now() const override { return m_elapsed.elapsed(); }
    quint64 callAfter(qint64 delayMs, std::function<void()> fn) override;
    void cancel(quint64 handle) override;

private:
    QElapsedTimer m_elapsed;
    QHash<quint64, QTimer*> m_waiting; // children of this object
    quint64 m_next = 0;
};

} // namespace gorse
