#include "host/websocketconnection.h"

#include "net/logtext.h"
#include "net/messagequeue.h"

#include <QWebSocket>

namespace gorse {

WebSocketConnection::WebSocketConnection(std::unique_ptr<QWebSocket> socket,
                                         std::function<void(const QString&)> log, QObject* parent)
    : HostConnection(parent), m_socket(socket.release()), m_log(std::move(log))
{
    m_socket->setParent(this);
    m_peer = m_socket->peerAddress().toString();
    // A message longer than a line may be is refused by the socket itself
    // before it is held in memory whole.
    m_socket->setMaxAllowedIncomingFrameSize(quint64(kMaxLineLength));
    m_socket->setMaxAllowedIncomingMessageSize(quint64(kMaxLineLength));
    connect(m_socket, &QWebSocket::binaryMessageReceived, this,
            &WebSocketConnection::binaryMessageReceived);
    connect(m_socket, &QWebSocket::textMessageReceived, this, [this] {
        refuse(QWebSocketProtocol::CloseCodeDatatypeNotSupported,
               QStringLiteral("sent a text message (the game's messages are binary)"));
    });
    connect(m_socket, &QWebSocket::disconnected, this, &WebSocketConnection::disconnected);
    m_closeTimeout.setSingleShot(true);
    m_closeTimeout.setInterval(kCloseTimeoutMs);
    connect(&m_closeTimeout, &QTimer::timeout, this, [this] { m_socket->abort(); });
}

WebSocketConnection::~WebSocketConnection()
{
    // Going with its owner (or refused): nobody is told any more, and what
    // was written still goes out before the socket closes.
    m_socket->disconnect(this);
    m_socket->flush();
}

QString WebSocketConnection::peerAddress() const
{
    return m_peer;
}

QByteArray WebSocketConnection::receive()
{
    return std::exchange(m_received, QByteArray());
}

void WebSocketConnection::write(const QByteArray& bytes)
{
    if (m_closed)
        return;
    // One WebSocket message per game message, without its terminator.
    qsizetype start = 0;
    for (qsizetype end = bytes.indexOf(kTerminator); end >= 0;
         end = bytes.indexOf(kTerminator, start)) {
        m_socket->sendBinaryMessage(bytes.sliced(start, end - start));
        start = end + 1;
    }
    if (start < bytes.size())
        m_socket->sendBinaryMessage(bytes.sliced(start));
    m_socket->flush();
}

qint64 WebSocketConnection::bytesToWrite() const
{
    return m_socket->bytesToWrite();
}

void WebSocketConnection::close()
{
    if (m_closed)
        return;
    if (m_socket->state() == QAbstractSocket::UnconnectedState) {
        // Already gone: the server still hears of it, on the next turn.
        QTimer::singleShot(0, this, &WebSocketConnection::disconnected);
        return;
    }
    m_socket->close();
    m_closeTimeout.start();
}

void WebSocketConnection::abort()
{
    if (m_closed)
        return;
    if (m_socket->state() == QAbstractSocket::UnconnectedState)
        QTimer::singleShot(0, this, &WebSocketConnection::disconnected);
    else
        m_socket->abort();
}

void WebSocketConnection::binaryMessageReceived(const QByteArray& message)
{
    if (m_refused || m_closed)
        return;
    if (message.contains(kTerminator)) {
        refuse(QWebSocketProtocol::CloseCodeWrongDatatype,
               QStringLiteral("sent a message holding the byte 0xFF"));
        return;
    }
    m_received.reserve(m_received.size() + message.size() + 1);
    m_received.append(message);
    m_received.append(kTerminator);
    emit readyRead(this);
}

void WebSocketConnection::refuse(int closeCode, const QString& reason)
{
    if (m_refused || m_closed)
        return;
    m_refused = true;
    if (m_log)
        m_log(QStringLiteral("event=web_close") + logPair(u"conn", number()) +
              logPair(u"peer", peerAddress()) + logPair(u"reason", reason));
    // Closed on the next turn of the event loop, as a TCP connection that
    // breaks the rules is: what it sent before is still handled.
    QTimer::singleShot(0, this, [this, closeCode, reason] {
        if (m_closed)
            return;
        m_socket->close(QWebSocketProtocol::CloseCode(closeCode), reason);
        m_closeTimeout.start();
    });
}

void WebSocketConnection::disconnected()
{
    if (m_closed)
        return;
    m_closed = true;
    m_closeTimeout.stop();
    if (!m_refused && m_socket->closeCode() == QWebSocketProtocol::CloseCodeTooMuchData && m_log)
        m_log(QStringLiteral("event=web_close") + logPair(u"conn", number()) +
              logPair(u"peer", peerAddress()) +
              logPair(u"reason",
                      QStringLiteral("sent a message longer than %1 bytes").arg(kMaxLineLength)));
    emit closed(this);
}

} // namespace gorse
