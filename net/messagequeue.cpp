#include "net/messagequeue.h"

#include "net/logtext.h"

#include <QElapsedTimer>
#include <algorithm>

namespace gorse {

bool FrameBuffer::append(const QByteArray& bytes, QList<QByteArray>& out)
{
    auto refuse = [this] {
        clear();
        return false;
    };
    qsizetype start = 0;
    qsizetype end = bytes.indexOf(kTerminator);
    if (end >= 0 && !m_rest.isEmpty()) {
        // The first message began in an earlier read.
        if (m_rest.size() + end > kMaxLineLength)
            return refuse();
        m_rest.append(bytes.constData(), end);
        out.append(std::move(m_rest));
        m_rest = QByteArray();
        start = end + 1;
        end = bytes.indexOf(kTerminator, start);
    }
    for (; end >= 0; end = bytes.indexOf(kTerminator, start)) {
        if (end - start > kMaxLineLength)
            return refuse();
        out.append(bytes.sliced(start, end - start));
        start = end + 1;
    }
    if (m_rest.size() + (bytes.size() - start) > kMaxLineLength)
        return refuse();
    if (start < bytes.size())
        m_rest.append(bytes.constData() + start, bytes.size() - start);
    return true;
}

MessageQueue::MessageQueue(QObject* parent) : QObject(parent)
{
    m_timer.setSingleShot(true);
    m_timer.setInterval(0);
    connect(&m_timer, &QTimer::timeout, this, &MessageQueue::dispatchTurn);
}

void MessageQueue::schedule()
{
    if (!m_lines.empty() && !m_timer.isActive() && !m_inTurn)
        m_timer.start();
}

void MessageQueue::push(QByteArray line, int origin)
{
    m_lines.push_back(QueuedMessage{std::move(line), origin});
    schedule();
}

void MessageQueue::push(QList<QByteArray>&& lines, int origin)
{
    for (QByteArray& line : lines)
        m_lines.push_back(QueuedMessage{std::move(line), origin});
    lines.clear();
    schedule();
}

bool MessageQueue::dispatchOne()
{
    if (m_lines.empty())
        return false;
    // Taken off the queue before handling: a handler that fails loses only
    // its own message.
    QueuedMessage message = std::move(m_lines.front());
    m_lines.pop_front();
    ++m_handled;
    if (m_handler)
        m_handler(message);
    return true;
}

int MessageQueue::dispatchTurn()
{
    if (m_inTurn)
        return 0; // a handler that runs an event loop does not start a turn inside its own
    m_inTurn = true;
    ++m_turns;
    QElapsedTimer clock;
    clock.start();
    int handled = 0;
    while (dispatchOne()) {
        ++handled;
        // The clock is read now and then; reading it costs more than a handler.
        if (handled >= kTurnMessages ||
            (handled % 16 == 0 && clock.nsecsElapsed() >= kTurnNanoseconds))
            break;
    }
    if (m_turnEnd)
        m_turnEnd();
    m_inTurn = false;
    schedule();
    return handled;
}

void MessageQueue::drain()
{
    while (!m_lines.empty())
        dispatchTurn();
}

qsizetype MessageQueue::dropOrigin(int origin)
{
    const auto from =
        std::remove_if(m_lines.begin(), m_lines.end(),
                       [origin](const QueuedMessage& m) { return m.origin == origin; });
    const qsizetype dropped = qsizetype(m_lines.end() - from);
    m_lines.erase(from, m_lines.end());
    return dropped;
}

void CommandTable::add(const QByteArray& name, Handler handler)
{
    m_commands.emplace_back(name, std::move(handler));
}

int CommandTable::dispatch(QueuedMessage message) const
{
    const qsizetype plus = message.line.indexOf('+');
    if (plus <= 0)
        return 0;
    const QByteArrayView name = QByteArrayView(message.line).first(plus);
    const std::pair<QByteArray, Handler>* first = nullptr;
    for (const auto& command : m_commands) {
        if (command.first == name) {
            first = &command;
            break;
        }
    }
    if (!first)
        return 0;
    const QByteArray nameText = first->first;
    // The line is ours: the fields are what follows the name's "+".
    QByteArray rest = std::move(message.line);
    rest.remove(0, plus + 1);
    int called = 0;
    for (const auto& [command, handler] : m_commands) {
        if (command != nameText)
            continue;
        ++called;
        try {
            handler(rest, message.origin);
        } catch (const FieldError& error) {
            if (m_log) {
                m_log(QStringLiteral("event=malformed") +
                      logPair(u"command", QString::fromLatin1(nameText)) +
                      logPair(u"conn", message.origin) +
                      logPair(u"error", QString::fromUtf8(error.what())));
            }
        }
    }
    return called;
}

} // namespace gorse
