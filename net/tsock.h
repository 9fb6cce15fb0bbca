#pragma once

#include <QByteArray>
#include <QHostAddress>
#include <QObject>
#include <QString>
#include <stdexcept>

class QHostInfo;
class QTcpServer;
class QTcpSocket;

namespace gorse {

// Progress and error reports of a TSock, with their numeric codes.
enum class TSocketInfo {
    Lookup = 0,
    Connect = 1,
    Close = 2,
    Listen = 3,
    Receive = 4,
    Send = 5,
    Accept = 6,
    Error = 7
};

// Raised on misuse and failed set-up; the message is one of the fixed texts.
class ESockException : public std::runtime_error
{
public:
    explicit ESockException(const char* message) : std::runtime_error(message) {}
};

// The error number and name reported as "Error #n (name)" for a socket error
// number of the Windows Sockets numbering ("UNKNOWN ERROR" for others).
QString sockErrorName(int number);
QString sockErrorText(int number);

// A non-blocking IPv4 stream socket whose readiness turns into signals on the
// thread that owns it. Either a client (Open), a listener (setListen), or a
// connection created by a listener's Accept.
class TSock : public QObject
{
    Q_OBJECT
public:
    // The most one read notification takes off a connection.
    static constexpr qint64 kReadChunk = 64 * 1024;
    // A listener that could not accept a connection tries again this much later.
    static constexpr int kAcceptRetryMs = 250;

    explicit TSock(QObject* parent = nullptr);
    ~TSock() override;

    QString HostName() const { return m_hostName; }
    void setHostName(const QString& name);
    QString PortName() const { return m_portName; }
    void setPortName(const QString& name);
    int Tag() const { return m_tag; }
    void setTag(int tag) { m_tag = tag; }

    bool Connected() const { return m_connected; }
    bool Listen() const { return m_listening; }
    // Starts (true) or stops (false) listening on PortName, on the listening
    // address (every IPv4 address unless another was set).
    void setListen(bool on);
    QHostAddress ListenAddress() const;
    void setListenAddress(const QHostAddress& address);
    // Connections the system holds for a listener until Accept takes them
    // (5 unless set; takes effect when listening starts). Connections beyond
    // it wait for their peer to try again, a second or more later.
    int ListenBacklog() const { return m_listenBacklog; }
    void setListenBacklog(int size) { m_listenBacklog = size; }

    // Starts connecting to HostName:PortName. Returns Connected(), which is
    // false while the connection is being set up. A host name is looked up
    // without waiting; when it cannot be found, OnInfo reports "Host Lookup -
    // Could Not Find Host Entry" and the socket is not open any more.
    bool Open();
    // Accepts one waiting connection on a listener into newSock, a new TSock
    // owned by the listener. False when nothing could be accepted.
    bool Accept(TSock*& newSock);
    // Queues text and sends what the network takes; the rest follows in order.
    bool Send(const QByteArray& text);
    // Hands what is queued to the network now instead of at the next turn of
    // the event loop (one write for everything sent since the last one).
    void flushNow();
    // Every byte received and not yet taken, in order; may be empty.
    QByteArray Receive();
    // Closes the socket; queued outgoing bytes are still delivered. Reports
    // "Socket Closed" unless this was a listener. True when a socket was open.
    bool Close();
    // Closes at once, discarding queued outgoing bytes (for a peer that stopped reading).
    bool Abort();

    // The port a listener is bound to (useful after listening on port "0"),
    // and the address it listens on.
    quint16 listeningPort() const;
    QHostAddress listeningAddress() const;
    // The peer's dotted address of a connected socket.
    QString peerAddress() const;
    // Bytes given to Send that the network has not taken yet.
    qint64 pendingOutgoing() const;
    // Bytes received and not yet taken by Receive.
    qint64 pendingIncoming() const { return m_incoming.size(); }

signals:
    void OnConnect(gorse::TSock* sender);
    void OnDisconnect(gorse::TSock* sender);
    void OnInfo(gorse::TSock* sender, gorse::TSocketInfo info, const QString& msg);
    void OnRead(gorse::TSock* sender, int count);
    void OnWrite(gorse::TSock* sender);
    void OnAccept(gorse::TSock* sender);

private:
    void info(TSocketInfo code, const QString& msg);
    void attach(QTcpSocket* socket);
    void lookedUp(const QString& key, const QHostInfo& found, quint16 port);
    void detach(bool discard);
    quint16 resolvePort();
    void handleReadyRead();
    void handleConnected();
    void handleDisconnected();
    void handleBytesWritten();
    void handleError(int qtError);
    void flush();

    QString m_hostName;
    QString m_portName;
    int m_tag = 0;
    bool m_connected = false;
    bool m_listening = false;
    QTcpSocket* m_socket = nullptr; // owned through QObject parenting
    QTcpServer* m_server = nullptr; // owned through QObject parenting
    int m_lookupId = -1;            // a host name lookup under way
    QByteArray m_incoming;
    QByteArray m_outgoing; // held back until the connection is established
    QHostAddress m_listenAddress{QHostAddress::AnyIPv4};
    int m_listenBacklog = 5;
};

} // namespace gorse

Q_DECLARE_METATYPE(gorse::TSocketInfo)
