#include "host/tcpconnection.h"

#include "net/tsock.h"

namespace gorse {

TcpConnection::TcpConnection(TSock* sock, QObject* parent) : HostConnection(parent), m_sock(sock)
{
    m_sock->setParent(this);
    connect(m_sock, &TSock::OnRead, this, [this] { emit readyRead(this); });
    connect(m_sock, &TSock::OnDisconnect, this, [this] { emit peerClosed(this); });
    connect(m_sock, &TSock::OnInfo, this, [this](TSock*, TSocketInfo, const QString& msg) {
        // Only the close matters to the server; the other reports are progress.
        if (msg == QLatin1String("Socket Closed"))
            emit closed(this);
    });
}

QString TcpConnection::peerAddress() const
{
    return m_sock->peerAddress();
}

QByteArray TcpConnection::receive()
{
    try {
        return m_sock->Receive();
    } catch (const ESockException&) {
        return {};
    }
}

void TcpConnection::write(const QByteArray& bytes)
{
    try {
        m_sock->Send(bytes);
        m_sock->flushNow();
    } catch (const ESockException&) {
    }
}

qint64 TcpConnection::bytesToWrite() const
{
    return m_sock->pendingOutgoing();
}

void TcpConnection::close()
{
    m_sock->Close();
}

void TcpConnection::abort()
{
    m_sock->Abort();
}

} // namespace gorse
