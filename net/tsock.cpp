#include "net/tsock.h"

#include <QHash>
#include <QHostAddress>
#include <QHostInfo>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>

#include <netdb.h>

namespace gorse {

namespace {

struct ErrorName
{
    int number;
    const char* name;
};

constexpr ErrorName kErrorNames[] = {
    {10004, "WSAEINTR"},           {10009, "WSAEBADF"},        {10013, "WSAEACCES"},
    {10014, "WSAEFAULT"},          {10022, "WSAEINVAL"},       {10024, "WSAEMFILE"},
    {10035, "WSAEWOULDBLOCK"},     {10036, "WSAEINPROGRESS"},  {10037, "WSAEALREADY"},
    {10038, "WSAENOTSOCK"},        {10039, "WSAEDESTADDRREQ"}, {10040, "WSAEMSGSIZE"},
    {10041, "WSAEPROTOTYPE"},      {10042, "WSAENOPROTOOPT"},  {10043, "WSAEPROTONOSUPPORT"},
    {10044, "WSAESOCKTNOSUPPORT"}, {10045, "WSAEOPNOTSUPP"},   {10046, "WSAEPFNOSUPPORT"},
    {10047, "WSAEAFNOSUPPORT"},    {10048, "WSAEADDRINUSE"},   {10049, "WSAEADDRNOTAVAIL"},
    {10050, "WSAENETDOWN"},        {10051, "WSAENETUNREACH"},  {10052, "WSAENETRESET"},
    {10053, "WSAECONNABORTED"},    {10054, "WSAECONNRESET"},   {10055, "WSAENOBUFS"},
    {10056, "WSAEISCONN"},         {10057, "WSAENOTCONN"},     {10058, "WSAESHUTDOWN"},
    {10059, "WSAETOOMANYREFS"},    {10060, "WSAETIMEDOUT"},    {10061, "WSAECONNREFUSED"},
    {10062, "WSAELOOP"},           {10063, "WSAENAMETOOLONG"}, {10064, "WSAEHOSTDOWN"},
    {10065, "WSAEHOSTUNREACH"},    {10066, "WSAENOTEMPTY"},    {10067, "WSAEPROCLIM"},
    {10068, "WSAEUSERS"},          {10069, "WSAEDQUOT"},       {10070, "WSAESTALE"},
    {10071, "WSAEREMOTE"},         {10091, "WSASYSNOTREADY"},  {10092, "WSAVERNOTSUPPORTED"},
    {10093, "WSANOTINITIALISED"},  {10101, "WSAEDISCON"},      {11001, "WSAHOST_NOT_FOUND"},
    {11002, "WSATRY_AGAIN"},       {11003, "WSANO_RECOVERY"},  {11004, "WSANO_DATA"},
};

// The Windows Sockets number that corresponds to a Qt socket error.
int winsockNumber(QAbstractSocket::SocketError error)
{
    switch (error) {
    case QAbstractSocket::ConnectionRefusedError:
        return 10061;
    case QAbstractSocket::RemoteHostClosedError:
        return 10054;
    case QAbstractSocket::HostNotFoundError:
        return 11001;
    case QAbstractSocket::SocketAccessError:
        return 10013;
    case QAbstractSocket::SocketResourceError:
        return 10055;
    case QAbstractSocket::SocketTimeoutError:
        return 10060;
    case QAbstractSocket::DatagramTooLargeError:
        return 10040;
    case QAbstractSocket::NetworkError:
        return 10051;
    case QAbstractSocket::AddressInUseError:
        return 10048;
    case QAbstractSocket::SocketAddressNotAvailableError:
        return 10049;
    case QAbstractSocket::UnsupportedSocketOperationError:
        return 10045;
    case QAbstractSocket::UnfinishedSocketOperationError:
        return 10036;
    case QAbstractSocket::TemporaryError:
        return 10035;
    case QAbstractSocket::OperationError:
        return 10022;
    default:
        return 0;
    }
}

// Names resolved once are remembered for the life of the program; names are
// compared without regard to case.
QHash<QString, QHostAddress>& hostCache()
{
    static QHash<QString, QHostAddress> cache;
    return cache;
}

} // namespace

QString sockErrorName(int number)
{
    for (const auto& entry : kErrorNames) {
        if (entry.number == number)
            return QString::fromLatin1(entry.name);
    }
    return QStringLiteral("UNKNOWN ERROR");
}

QString sockErrorText(int number)
{
    return QStringLiteral("Error #%1 (%2)").arg(number).arg(sockErrorName(number));
}

TSock::TSock(QObject* parent) : QObject(parent)
{
    static const int registered = qRegisterMetaType<TSocketInfo>();
    Q_UNUSED(registered);
}

TSock::~TSock()
{
    // Destroying an open object closes it at once; nobody is told any more.
    blockSignals(true);
    if (m_socket)
        detach(true);
    if (m_server) {
        m_server->close();
        delete m_server;
        m_server = nullptr;
    }
}

void TSock::info(TSocketInfo code, const QString& msg)
{
    emit OnInfo(this, code, msg);
}

void TSock::setHostName(const QString& name)
{
    m_hostName = name;
    if (m_connected)
        info(TSocketInfo::Lookup, QStringLiteral("Setting HostName While Connected Has No Effect"));
}

void TSock::setPortName(const QString& name)
{
    m_portName = name;
    if (m_connected)
        info(TSocketInfo::Lookup, QStringLiteral("Setting PortName While Connected Has No Effect"));
}

quint16 TSock::resolvePort()
{
    info(TSocketInfo::Lookup, QStringLiteral("Lookup Of Port ") + m_portName);
    if (!m_portName.isEmpty() && m_portName.at(0).isDigit()) {
        bool ok = false;
        const uint port = m_portName.toUInt(&ok, 10);
        if (!ok || port > 65535)
            throw ESockException("Port Lookup - Could Not Find Service Entry");
        return quint16(port);
    }
    const QByteArray service = m_portName.toLocal8Bit();
    const servent* entry = getservbyname(service.constData(), "tcp");
    if (!entry)
        throw ESockException("Port Lookup - Could Not Find Service Entry");
    return ntohs(quint16(entry->s_port));
}

void TSock::attach(QTcpSocket* socket)
{
    m_socket = socket;
    socket->setParent(this);
    // Messages are small and answered at once: no waiting to fill segments.
    socket->setSocketOption(QAbstractSocket::LowDelayOption, 1);
    // One read takes at most this much; a peer sending faster waits in the
    // network's buffers, not in this program's memory.
    socket->setReadBufferSize(kReadChunk);
    connect(socket, &QTcpSocket::readyRead, this, &TSock::handleReadyRead);
    connect(socket, &QTcpSocket::connected, this, &TSock::handleConnected);
    connect(socket, &QTcpSocket::disconnected, this, &TSock::handleDisconnected);
    connect(socket, &QTcpSocket::bytesWritten, this, &TSock::handleBytesWritten);
    connect(socket, &QTcpSocket::errorOccurred, this,
            [this](QAbstractSocket::SocketError error) { handleError(int(error)); });
}

// Lets go of the Qt socket. Unless told to discard, bytes still queued are
// delivered before the connection ends; the object deletes itself then.
void TSock::detach(bool discard)
{
    if (m_lookupId >= 0) {
        QHostInfo::abortHostLookup(m_lookupId);
        m_lookupId = -1;
    }
    QTcpSocket* socket = m_socket;
    m_socket = nullptr;
    socket->disconnect(this);
    if (discard || socket->state() != QAbstractSocket::ConnectedState) {
        socket->abort();
        socket->deleteLater();
        return;
    }
    socket->setParent(nullptr);
    connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
    connect(socket, &QTcpSocket::errorOccurred, socket, &QObject::deleteLater);
    // A peer that never takes the rest does not keep it alive for ever.
    QTimer::singleShot(30000, socket, [socket] {
        socket->abort();
        socket->deleteLater();
    });
    socket->disconnectFromHost();
}

bool TSock::Open()
{
    if (m_socket || m_server)
        return m_connected;
    const quint16 port = resolvePort();
    QHostAddress address(QHostAddress::AnyIPv4);
    if (!m_hostName.isEmpty()) {
        info(TSocketInfo::Lookup, QStringLiteral("Lookup Of Host ") + m_hostName);
        if (m_hostName.at(0).isDigit()) {
            // A dotted address is converted, never sent to the resolver.
            if (!address.setAddress(m_hostName) ||
                address.protocol() != QAbstractSocket::IPv4Protocol)
                address = QHostAddress(QHostAddress::Broadcast); // what inet_addr gives for junk
        } else {
            const QString key = m_hostName.toLower();
            auto cached = hostCache().constFind(key);
            if (cached == hostCache().constEnd()) {
                // The resolver may take its time: the socket exists at once
                // (text sent meanwhile waits in order) and connects when the
                // answer comes.
                attach(new QTcpSocket(this));
                m_lookupId = QHostInfo::lookupHost(m_hostName, this,
                                                   [this, key, port](const QHostInfo& found) {
                                                       m_lookupId = -1;
                                                       lookedUp(key, found, port);
                                                   });
                return m_connected;
            }
            address = *cached;
        }
    }
    attach(new QTcpSocket(this));
    m_socket->connectToHost(address, port);
    return m_connected;
}

void TSock::lookedUp(const QString& key, const QHostInfo& found, quint16 port)
{
    if (!m_socket)
        return; // closed while the resolver worked
    QHostAddress first;
    for (const QHostAddress& a : found.addresses()) {
        if (a.protocol() == QAbstractSocket::IPv4Protocol) {
            first = a;
            break;
        }
    }
    if (first.isNull()) {
        // Nothing was connected, so nothing is closed: the socket is let go
        // and the failure told.
        detach(true);
        m_outgoing.clear();
        info(TSocketInfo::Error, QStringLiteral("Host Lookup - Could Not Find Host Entry"));
        return;
    }
    hostCache().insert(key, first);
    m_socket->connectToHost(first, port);
}

void TSock::setListen(bool on)
{
    if (m_socket && !m_listening) {
        m_listening = false;
        throw ESockException("Listen - Socket Already In Use");
    }
    if (!on) {
        if (m_server) {
            Close();
            info(TSocketInfo::Listen, QStringLiteral("Listening Stopped"));
        }
        return;
    }
    if (m_listening) {
        info(TSocketInfo::Listen, QStringLiteral("Listening Already Running"));
        return;
    }
    const quint16 port = resolvePort();
    auto* server = new QTcpServer(this);
    server->setListenBacklogSize(m_listenBacklog);
    if (!server->listen(m_listenAddress, port)) {
        delete server;
        throw ESockException("Listen - Error Binding Socket");
    }
    m_server = server;
    connect(server, &QTcpServer::newConnection, this, [this] { emit OnAccept(this); });
    // When a connection cannot be taken (no descriptor free, most likely),
    // Qt stops accepting for good; it tries again a while later instead, so
    // that the listener serves again once descriptors are free.
    connect(server, &QTcpServer::acceptError, server, [server] {
        QTimer::singleShot(kAcceptRetryMs, server, [server] { server->resumeAccepting(); });
    });
    m_listening = true;
    info(TSocketInfo::Listen, QStringLiteral("Listening Started"));
}

QHostAddress TSock::ListenAddress() const
{
    return m_listenAddress;
}

void TSock::setListenAddress(const QHostAddress& address)
{
    m_listenAddress = address;
}

bool TSock::Accept(TSock*& newSock)
{
    if (!m_listening || !m_server)
        throw ESockException("Accept - Socket Not In Listening Mode");
    QTcpSocket* socket = m_server->nextPendingConnection();
    if (!socket) {
        info(TSocketInfo::Accept, QStringLiteral("Could Not Accept Connection"));
        return false;
    }
    auto* accepted = new TSock(this);
    accepted->attach(socket);
    accepted->m_connected = true;
    accepted->m_portName = m_portName;
    accepted->m_hostName = socket->peerAddress().toString();
    newSock = accepted;
    info(TSocketInfo::Accept, QStringLiteral("Created New TSock Structure"));
    // Bytes that arrived before the accept are announced once the caller has
    // wired its handlers.
    QMetaObject::invokeMethod(accepted, &TSock::handleReadyRead, Qt::QueuedConnection);
    return true;
}

bool TSock::Send(const QByteArray& text)
{
    if (m_listening)
        throw ESockException("Send - Cannot Send On A Listener Socket");
    if (!m_socket)
        throw ESockException("Send - Socket Not Connected");
    if (text.isEmpty() && m_outgoing.isEmpty())
        return true;
    info(TSocketInfo::Send, QStringLiteral("Non-Blocking Outgoing Data"));
    if (m_socket->state() != QAbstractSocket::ConnectedState) {
        m_outgoing += text; // goes out when the connection is established
        return true;
    }
    flush();
    m_socket->write(text);
    return true;
}

void TSock::flush()
{
    if (!m_outgoing.isEmpty() && m_socket && m_socket->state() == QAbstractSocket::ConnectedState) {
        m_socket->write(m_outgoing);
        m_outgoing.clear();
    }
}

void TSock::flushNow()
{
    if (m_socket && m_socket->state() == QAbstractSocket::ConnectedState)
        m_socket->flush();
}

QByteArray TSock::Receive()
{
    if (m_listening)
        throw ESockException("Receive - Cannot Receive On A Listener Socket");
    if (!m_socket && m_incoming.isEmpty())
        throw ESockException("Receive - Socket Not Connected");
    QByteArray taken;
    taken.swap(m_incoming);
    return taken;
}

bool TSock::Close()
{
    const bool wasListening = m_listening;
    bool accepted = false;
    if (m_socket) {
        detach(false);
        accepted = true;
    }
    if (m_server) {
        m_server->close();
        m_server->deleteLater();
        m_server = nullptr;
        accepted = true;
    }
    m_connected = false;
    m_outgoing.clear();
    if (!wasListening)
        info(TSocketInfo::Close, QStringLiteral("Socket Closed"));
    m_listening = false;
    return accepted;
}

bool TSock::Abort()
{
    if (m_socket)
        detach(true);
    return Close();
}

quint16 TSock::listeningPort() const
{
    return m_server ? m_server->serverPort() : 0;
}

QHostAddress TSock::listeningAddress() const
{
    return m_server ? m_server->serverAddress() : QHostAddress();
}

QString TSock::peerAddress() const
{
    return m_socket ? m_socket->peerAddress().toString() : QString();
}

qint64 TSock::pendingOutgoing() const
{
    return m_outgoing.size() + (m_socket ? m_socket->bytesToWrite() : 0);
}

void TSock::handleReadyRead()
{
    if (!m_socket)
        return;
    const QByteArray bytes = m_socket->readAll();
    if (bytes.isEmpty() && m_incoming.isEmpty())
        return;
    m_incoming += bytes;
    info(TSocketInfo::Receive, QStringLiteral("Non-Blocking Incoming Data"));
    emit OnRead(this, int(qMin<qsizetype>(m_incoming.size(), INT_MAX)));
}

void TSock::handleConnected()
{
    m_connected = true;
    if (m_socket)
        m_socket->setSocketOption(QAbstractSocket::LowDelayOption, 1);
    info(TSocketInfo::Connect, QStringLiteral("Non-Blocking Socket Connected"));
    emit OnConnect(this);
    flush();
    if (m_socket)
        emit OnWrite(this);
}

void TSock::handleDisconnected()
{
    // The peer closed: whatever it sent last is taken first.
    if (m_socket && m_socket->bytesAvailable() > 0)
        handleReadyRead();
    emit OnDisconnect(this);
    Close();
}

void TSock::handleBytesWritten()
{
    emit OnWrite(this);
}

void TSock::handleError(int qtError)
{
    const auto error = QAbstractSocket::SocketError(qtError);
    // An ending connection is told through disconnected(); reporting it here
    // as well would only add noise.
    if (error == QAbstractSocket::RemoteHostClosedError)
        return;
    info(TSocketInfo::Error, sockErrorText(winsockNumber(error)));
}

} // namespace gorse
