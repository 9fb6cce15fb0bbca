#pragma once

#include <QByteArray>
#include <QList>
#include <QObject>
#include <QTimer>
#include <deque>
#include <functional>
#include <vector>

namespace gorse {

// The byte that ends every message on the wire.
inline constexpr char kTerminator = '\xFF';
// An unterminated line longer than this closes its connection.
inline constexpr qsizetype kMaxLineLength = 64 * 1024;

// Cuts one connection's byte stream into messages. Bytes after the last
// terminator are kept and joined to the next read.
class FrameBuffer
{
public:
    // Appends bytes and moves every whole message to out, in order. Returns
    // false when the unterminated rest grew past kMaxLineLength; the rest is
    // then dropped and the caller should close the connection.
    bool append(const QByteArray& bytes, QList<QByteArray>& out);
    qsizetype pending() const { return m_rest.size(); }
    void clear() { m_rest.clear(); }

private:
    QByteArray m_rest;
};

// One received message and the connection number it arrived on (0 on a client).
struct QueuedMessage
{
    QByteArray line;
    int origin = 0;
};

// A first-in-first-out queue of received messages, worked off one message per
// event-loop turn: pushing into an empty queue schedules a zero-delay
// dispatch, and each dispatch schedules the next while messages remain. So a
// handler never runs inside a socket event, order is kept, and an idle
// program never wakes up.
class MessageQueue : public QObject
{
    Q_OBJECT
public:
    using Handler = std::function<void(const QueuedMessage&)>;

    explicit MessageQueue(QObject* parent = nullptr);

    void setHandler(Handler handler) { m_handler = std::move(handler); }
    void push(QByteArray line, int origin = 0);
    void push(const QList<QByteArray>& lines, int origin = 0);
    qsizetype size() const { return qsizetype(m_lines.size()); }
    bool isEmpty() const { return m_lines.empty(); }
    // Handles the first message now (also what the scheduled turn does).
    // Returns false when the queue was empty.
    bool dispatchOne();
    // Handles messages until the queue is empty (for tests and shutdown).
    void drain();
    // Messages handled since creation.
    quint64 handled() const { return m_handled; }

private:
    void schedule();

    std::deque<QueuedMessage> m_lines;
    Handler m_handler;
    QTimer m_timer;
    quint64 m_handled = 0;
};

// Raised by a field reader when a field does not convert; the dispatcher
// catches it, drops the rest of that message and logs it.
class FieldError : public std::runtime_error
{
public:
    using std::runtime_error::runtime_error;
};

// Calls the handlers of a side by command name. A line is cut at its first
// "+"; the name is compared exactly with each registered command in the order
// of registration, and every match gets the text after that "+". A line
// without "+" or with an unknown name is dropped.
class CommandTable
{
public:
    using Handler = std::function<void(const QByteArray& rest, int origin)>;

    void add(const QByteArray& name, Handler handler);
    // Returns the number of handlers called. A FieldError in a handler is
    // reported to the log sink and the message counts as dropped.
    int dispatch(const QueuedMessage& message) const;
    void setLog(std::function<void(const QString&)> log) { m_log = std::move(log); }

private:
    std::vector<std::pair<QByteArray, Handler>> m_commands;
    std::function<void(const QString&)> m_log;
};

} // namespace gorse
