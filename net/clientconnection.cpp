#include "net/clientconnection.h"

#include "game/rules.h"
#include "net/messages.h"

namespace gorse {

ClientConnection::ClientConnection(QObject* parent) : QObject(parent)
{
    m_sock.setPortName(QStringLiteral("7772"));
    connect(&m_sock, &TSock::OnConnect, this, &ClientConnection::connected);
    connect(&m_sock, &TSock::OnRead, this, [this](TSock* sock) { receiveBytes(sock->Receive()); });
    connect(&m_sock, &TSock::OnInfo, this,
            [this](TSock*, TSocketInfo info, const QString& text) { emit socketInfo(info, text); });

    m_commands.setLog([this](const QString& line) { emit logLine(line); });
    m_queue.setHandler([this](QueuedMessage& m) {
        m_dispatching = true;
        m_commands.dispatch(std::move(m));
        m_dispatching = false;
    });
    // What the handlers of a turn sent goes out in one write.
    m_queue.setTurnEnd([this] { m_sock.flushNow(); });
}

ClientConnection::~ClientConnection()
{
    // The socket reports its closing while it is destroyed: not to us.
    disconnect(&m_sock, nullptr, this, nullptr);
}

void ClientConnection::addCommand(const QByteArray& name, Handler handler)
{
    m_commands.add(name, [handler = std::move(handler)](const QByteArray& f, int) { handler(f); });
}

QString ClientConnection::open(const QString& host, quint16 port)
{
    m_own = 0;
    m_loggedIn = false;
    m_frames.clear();
    m_sock.setHostName(host);
    m_sock.setPortName(QString::number(port));
    try {
        m_sock.Open();
    } catch (const ESockException& e) {
        return QString::fromUtf8(e.what());
    }
    return QString();
}

bool ClientConnection::send(const QByteArray& message)
{
    try {
        const bool sent = m_sock.Send(frame(message));
        if (!m_queue.inTurn())
            m_sock.flushNow(); // a turn writes once when it ends
        return sent;
    } catch (const ESockException&) {
        return false; // gone: the closing report follows
    }
}

void ClientConnection::login(const QByteArray& fields)
{
    m_own = msg::ConnOnly::parse(fields).conn;
    const std::optional<QByteArray> name = m_loginName ? m_loginName(m_own) : std::nullopt;
    if (!name)
        return;
    m_loggedIn = true;
    send(msg::logininfo(m_own, kVersionText, *name));
}

void ClientConnection::receiveBytes(const QByteArray& bytes)
{
    QList<QByteArray> lines;
    const bool ok = m_frames.append(bytes, lines);
    m_queue.push(std::move(lines));
    if (!ok)
        emit overlongLine();
}

} // namespace gorse
