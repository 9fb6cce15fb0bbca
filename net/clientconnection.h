#pragma once

#include "net/messagequeue.h"
#include "net/tsock.h"

#include <QByteArray>
#include <QObject>
#include <QString>
#include <functional>
#include <optional>

namespace gorse {

// One client's connection to a game host: the socket, the cutting of its
// bytes into messages, the queue they wait in for their dispatch turn, the
// command table that calls their handlers, and the login. The player's
// program and each computer player hold one and add their handlers.
class ClientConnection : public QObject
{
    Q_OBJECT
public:
    using Handler = std::function<void(const QByteArray& fields)>;
    // The name to log in under once the host has given this connection its
    // number; none when this connection answers nothing (it may close).
    using LoginName = std::function<std::optional<QByteArray>(int own)>;

    explicit ClientConnection(QObject* parent = nullptr);
    ~ClientConnection() override;

    // Adds the handler of a command. Handlers are called in the order they
    // were added, each with the text after the command's "+".
    void addCommand(const QByteArray& name, Handler handler);
    void setLoginName(LoginName loginName) { m_loginName = std::move(loginName); }

    // Starts connecting to host:port. Returns the socket's error text when
    // the connection cannot even be started, else an empty text.
    QString open(const QString& host, quint16 port);
    // Sends a message (without terminator). What the handlers of a dispatch
    // turn send goes out in one write when the turn ends; anything else at
    // once. False when there is no connection to send on.
    bool send(const QByteArray& message);
    // Closes (outgoing bytes are still delivered) or drops the connection;
    // the socket reports "Socket Closed" either way.
    void close() { m_sock.Close(); }
    void abort() { m_sock.Abort(); }

    // The login handler: "CMD_sendlogininfo+n" gives this connection number
    // n, and the answer carries the version text and the login name.
    void login(const QByteArray& fields);

    // Feeds received bytes as if they came from the socket (tests). A line
    // longer than kMaxLineLength is reported by overlongLine().
    void receiveBytes(const QByteArray& bytes);
    // Handles every queued message now (tests).
    void processQueued() { m_queue.drain(); }
    bool hasQueued() const { return !m_queue.isEmpty(); }
    // Forgets every message still waiting (a connection given up).
    void dropQueued() { m_queue.dropOrigin(0); }
    // Whether a handler is running.
    bool isDispatching() const { return m_dispatching; }

    int ownNumber() const { return m_own; }
    bool loggedIn() const { return m_loggedIn; }
    TSock& sock() { return m_sock; }

signals:
    void connected();
    // Every progress and error report of the socket, "Socket Closed" among
    // them.
    void socketInfo(gorse::TSocketInfo info, const QString& text);
    // The host sent a line of more than 64 KiB: no host to talk to.
    void overlongLine();
    // A malformed message was dropped.
    void logLine(const QString& line);

private:
    TSock m_sock;
    FrameBuffer m_frames;
    MessageQueue m_queue;
    CommandTable m_commands;
    LoginName m_loginName;
    int m_own = 0;
    bool m_loggedIn = false;
    bool m_dispatching = false;
};

} // namespace gorse
