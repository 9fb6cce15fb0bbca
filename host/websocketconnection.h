#pragma once

#include "host/hostconnection.h"

#include <QTimer>
#include <functional>
#include <memory>

class QWebSocket;

namespace gorse {

// A connection that came in through the web port: one binary WebSocket
// message per game message, the same bytes the TCP wire carries before its
// terminator. Towards the server it looks like the TCP kind: receive() hands
// out messages each ended by 0xFF, and write() takes them so.
//
// A text message, a message holding the byte 0xFF or one longer than a line
// may be closes the connection (and nothing after it is heard), with a line
// in the log.
class WebSocketConnection : public HostConnection
{
    Q_OBJECT
public:
    // Takes over the socket, which must be open. log gets one line when the
    // peer breaks the rules.
    WebSocketConnection(std::unique_ptr<QWebSocket> socket, std::function<void(const QString&)> log,
                        QObject* parent);
    ~WebSocketConnection() override;

    QString peerAddress() const override;
    QByteArray receive() override;
    void write(const QByteArray& bytes) override;
    qint64 bytesToWrite() const override;
    void close() override;
    void abort() override;

    // A peer that does not answer the closing handshake within this time is
    // cut off.
    static constexpr int kCloseTimeoutMs = 5000;

private:
    void binaryMessageReceived(const QByteArray& message);
    void refuse(int closeCode, const QString& reason);
    void disconnected();

    QWebSocket* m_socket; // owned through QObject parenting
    std::function<void(const QString&)> m_log;
    QString m_peer;        // for the log, also after the socket closed
    QByteArray m_received; // messages not taken yet, each ended by 0xFF
    bool m_refused = false;
    bool m_closed = false;
    QTimer m_closeTimeout;
};

} // namespace gorse
