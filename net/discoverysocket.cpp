#include "net/discoverysocket.h"

#include <QNetworkDatagram>
#include <QNetworkProxy>
#include <QTimer>

namespace gorse {

namespace {
// Datagrams read per turn of the event loop; a flood waits for the next turn
// instead of starving timers and the game's sockets.
constexpr int kReadsPerTurn = 256;
} // namespace

DiscoverySocket::DiscoverySocket(QObject* parent) : QObject(parent)
{
    // Announcements and queries are for the local network, where a proxy
    // has no business; and asking the system's proxy settings at the first
    // bind would cost milliseconds and a thread at start-up.
    m_socket.setProxy(QNetworkProxy::NoProxy);
    connect(&m_socket, &QUdpSocket::readyRead, this, &DiscoverySocket::readPending);
}

QString DiscoverySocket::bind(const QHostAddress& address, quint16 port)
{
    if (m_socket.bind(address, port,
                      QAbstractSocket::ShareAddress | QAbstractSocket::ReuseAddressHint))
        return QString();
    return QStringLiteral("cannot use UDP port %1 on %2: %3")
        .arg(port)
        .arg(address.toString(), m_socket.errorString());
}

int DiscoverySocket::sendToAll(const QByteArray& datagram, const QList<QHostAddress>& targets,
                               quint16 port)
{
    int sent = 0;
    for (const QHostAddress& target : targets)
        sent += sendTo(datagram, target, port) ? 1 : 0;
    return sent;
}

bool DiscoverySocket::sendTo(const QByteArray& datagram, const QHostAddress& target, quint16 port)
{
    if (datagram.size() > kMaxDatagramSize || port == 0)
        return false;
    return m_socket.writeDatagram(datagram, target, port) == datagram.size();
}

void DiscoverySocket::readPending()
{
    m_readScheduled = false;
    for (int n = 0; n < kReadsPerTurn && m_socket.hasPendingDatagrams(); ++n) {
        // One byte more than allowed shows that a datagram was too long.
        const QNetworkDatagram d = m_socket.receiveDatagram(kMaxDatagramSize + 1);
        if (!d.isValid())
            continue;
        QString why;
        const auto parsed = parseDatagram(d.data(), &why);
        if (!parsed) {
            ++m_refused;
            m_lastRefusal = why;
            continue;
        }
        emit received(*parsed, d.senderAddress(), quint16(d.senderPort()));
    }
    if (m_socket.hasPendingDatagrams() && !m_readScheduled) {
        m_readScheduled = true;
        QTimer::singleShot(0, this, &DiscoverySocket::readPending);
    }
}

} // namespace gorse
