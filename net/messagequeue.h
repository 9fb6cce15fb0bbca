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
// A line longer than this, whole or not yet ended, closes its connection.
inline constexpr qsizetype kMaxLineLength = 64 * 1024;

// Cuts one connection's byte stream into messages. Bytes after the last
// terminator are kept and joined to the next read.
class FrameBuffer
{
public:
    // Appends bytes and moves every whole message to out, in order. Returns
    // false when a message, ended or not, is longer than kMaxLineLength,
    // however the bytes were cut into reads; the messages before it are in
    // out, the rest is dropped, and the caller should close the connection.
    bool append(const QByteArray& bytes, QList<QByteArray>& out);
    qsizetype pending() const { return m_rest.size(); }
    void clear() { m_rest = QByteArray(); }

private:
    QByteArray m_rest;
};

// One received message and the connection number it arrived on (0 on a client).
struct QueuedMessage
{
    QByteArray line;
    int origin = 0;
};

// A first-in-first-out queue of received messages, worked off in dispatch
// turns: pushing into an empty queue schedules a zero-delay turn, and a turn
// handles every waiting message, one handler at a time, up to kTurnMessages
// messages or kTurnNanoseconds, then schedules the next turn if messages
// remain. So a handler never runs inside a socket event, order is kept, a
// burst is worked off at once, timers and input are never starved, and an
// idle program never wakes up. After each turn the turn-end hook runs (the
// side writes what its handlers sent).
class MessageQueue : public QObject
{
    Q_OBJECT
public:
    // The handler may take the message's line (it is off the queue).
    using Handler = std::function<void(QueuedMessage&)>;

    static constexpr int kTurnMessages = 1000;
    static constexpr qint64 kTurnNanoseconds = 2'000'000;

    explicit MessageQueue(QObject* parent = nullptr);

    void setHandler(Handler handler) { m_handler = std::move(handler); }
    void setTurnEnd(std::function<void()> turnEnd) { m_turnEnd = std::move(turnEnd); }
    void push(QByteArray line, int origin = 0);
    void push(QList<QByteArray>&& lines, int origin = 0);
    qsizetype size() const { return qsizetype(m_lines.size()); }
    bool isEmpty() const { return m_lines.empty(); }
    // Handles the first message now. Returns false when the queue was empty.
    bool dispatchOne();
    // One dispatch turn, as the event loop runs it; returns the messages
    // handled.
    int dispatchTurn();
    // Handles messages until the queue is empty (for tests and shutdown).
    void drain();
    // Whether a dispatch turn is under way (its handlers' sends are written
    // when it ends).
    bool inTurn() const { return m_inTurn; }
    // Messages handled since creation, and dispatch turns run.
    quint64 handled() const { return m_handled; }
    quint64 turns() const { return m_turns; }
    // Drops every waiting message of one origin (a connection that went);
    // returns how many.
    qsizetype dropOrigin(int origin);

private:
    void schedule();

    std::deque<QueuedMessage> m_lines;
    Handler m_handler;
    std::function<void()> m_turnEnd;
    QTimer m_timer;
    quint64 m_handled = 0;
    quint64 m_turns = 0;
    bool m_inTurn = false;
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
    int dispatch(QueuedMessage message) const;
    void setLog(std::function<void(const QString&)> log) { m_log = std::move(log); }

private:
    std::vector<std::pair<QByteArray, Handler>> m_commands;
    std::function<void(const QString&)> m_log;
};

} // namespace gorse
