#include "support/rawclient.h"

#include "support/testutil.h"

namespace gorse::test {

RawClient::RawClient(QObject* parent) : QObject(parent)
{
    connect(&socket, &QTcpSocket::readyRead, this, [this] {
        m_rest += socket.readAll();
        // Cut first, then drop what was cut in one go: a read of megabytes
        // must not move the rest once per message.
        qsizetype start = 0;
        for (qsizetype end; (end = m_rest.indexOf('\xFF', start)) >= 0; start = end + 1)
            messages.append(m_rest.mid(start, end - start));
        m_rest.remove(0, start);
    });
    connect(&socket, &QTcpSocket::disconnected, this, [this] { m_closed = true; });
}

bool RawClient::connectTo(quint16 port, const QString& host, int timeoutMs)
{
    socket.connectToHost(host, port);
    return waitUntil([this] { return socket.state() == QAbstractSocket::ConnectedState; },
                     timeoutMs);
}

void RawClient::send(const QByteArray& message)
{
    sendRaw(message + '\xFF');
}

void RawClient::sendRaw(const QByteArray& bytes)
{
    socket.write(bytes);
    socket.flush();
}

bool RawClient::waitFor(qsizetype count, int timeoutMs)
{
    return waitUntil([&] { return messages.size() >= count; }, timeoutMs);
}

QByteArray RawClient::waitForPrefix(const QByteArray& prefix, int timeoutMs)
{
    QByteArray found;
    waitUntil(
        [&] {
            for (const QByteArray& m : messages) {
                if (m.startsWith(prefix)) {
                    found = m;
                    return true;
                }
            }
            return false;
        },
        timeoutMs);
    return found;
}

bool RawClient::waitClosed(int timeoutMs)
{
    return waitUntil([this] { return m_closed; }, timeoutMs);
}

void RawClient::close()
{
    socket.disconnectFromHost();
}

} // namespace gorse::test
