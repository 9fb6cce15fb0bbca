#pragma once

#include "net/tableannounce.h"

#include <QHostAddress>
#include <QObject>
#include <QUdpSocket>

namespace gorse {

// The UDP socket that table announcements and queries travel on. It binds
// sharing the port with the other programs of this machine that listen for
// the same broadcasts (a lobby beside a hosting copy), sends to a list of
// targets, and reports every well-formed datagram it receives. Anything
// malformed is counted and dropped. It never goes through a proxy.
class DiscoverySocket : public QObject
{
    Q_OBJECT
public:
    explicit DiscoverySocket(QObject* parent = nullptr);

    // Binds address:port (port 0 takes a free one). Returns "" or why not.
    QString bind(const QHostAddress& address, quint16 port);
    quint16 localPort() const { return m_socket.localPort(); }

    // Sends to every target on port; returns how many went out.
    int sendToAll(const QByteArray& datagram, const QList<QHostAddress>& targets, quint16 port);
    bool sendTo(const QByteArray& datagram, const QHostAddress& target, quint16 port);

    // Datagrams dropped as malformed, and the reason for the last one.
    quint64 refused() const { return m_refused; }
    QString lastRefusal() const { return m_lastRefusal; }

signals:
    void received(const gorse::Datagram& datagram, const QHostAddress& sender, quint16 senderPort);

private:
    void readPending();

    QUdpSocket m_socket;
    bool m_readScheduled = false;
    quint64 m_refused = 0;
    QString m_lastRefusal;
};

} // namespace gorse
