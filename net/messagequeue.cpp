#include "net/messagequeue.h"

namespace gorse {

bool FrameBuffer::append(const QByteArray& bytes, QList<QByteArray>& out)
{
    m_rest += bytes;
    qsizetype start = 0;
    for (qsizetype end = m_rest.indexOf(kTerminator); end >= 0;
         end = m_rest.indexOf(kTerminator, start)) {
        out.append(m_rest.mid(start, end - start));
        start = end + 1;
    }
    m_rest.remove(0, start);
    if (m_rest.size() > kMaxLineLength) {
        m_rest.clear();
        return false;
    }
    return true;
}

MessageQueue::MessageQueue(QObject* parent) : QObject(parent)
{
    m_timer.setSingleShot(true);
    m_timer.setInterval(0);
    connect(&m_timer, &QTimer::timeout, this, [this] {
        dispatchOne();
        schedule();
    });
}

void MessageQueue::schedule()
{
    if (!m_lines.empty() && !m_timer.isActive())
        m_timer.start();
}

void MessageQueue::push(QByteArray line, int origin)
{
    m_lines.push_back(QueuedMessage{std::move(line), origin});
    schedule();
}

void MessageQueue::push(const QList<QByteArray>& lines, int origin)
{
    for (const QByteArray& line : lines)
        m_lines.push_back(QueuedMessage{line, origin});
    schedule();
}

bool MessageQueue::dispatchOne()
{
    if (m_lines.empty())
        return false;
    // Taken off the queue before handling: a handler that fails loses only
    // its own message.
    const QueuedMessage message = std::move(m_lines.front());
    m_lines.pop_front();
    ++m_handled;
    if (m_handler)
        m_handler(message);
    return true;
}

void MessageQueue::drain()
{
    while (dispatchOne()) {
    }
}

void CommandTable::add(const QByteArray& name, Handler handler)
{
    m_commands.emplace_back(name, std::move(handler));
}

int CommandTable::dispatch(const QueuedMessage& message) const
{
    const qsizetype plus = message.line.indexOf('+');
    if (plus <= 0)
        return 0;
    const QByteArray name = message.line.left(plus);
    const QByteArray rest = message.line.mid(plus + 1);
    int called = 0;
    for (const auto& [command, handler] : m_commands) {
        if (command != name)
            continue;
        ++called;
        try {
            handler(rest, message.origin);
        } catch (const FieldError& error) {
            if (m_log) {
                m_log(QStringLiteral("dropped a malformed %1 from connection %2: %3")
                          .arg(QString::fromLatin1(name))
                          .arg(message.origin)
                          .arg(QString::fromUtf8(error.what())));
            }
        }
    }
    return called;
}

} // namespace gorse
