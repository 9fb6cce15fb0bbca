#pragma once

#include <QByteArray>
#include <QObject>
#include <QTcpServer>

class QTcpSocket;

namespace gorse::test {

// A tiny HTTP server on 127.0.0.1 for download tests, answering by hand: it
// reads a request, sends the status line and headers, waits a moment, then
// sends the body in chunks on a timer, and closes the connection.
class SlowHttpServer : public QObject
{
    Q_OBJECT
public:
    struct Answer
    {
        int status = 200;
        QByteArray body;
        int chunk = 4096;
        int intervalMs = 10;
        bool sendLength = true;
        // Drop the connection once this many body bytes went out (-1: never).
        qint64 closeAfter = -1;
        // The pause between the headers and the body.
        int headerPauseMs = 150;
    };

    explicit SlowHttpServer(QObject* parent = nullptr);
    bool listen();
    quint16 port() const { return m_server.serverPort(); }
    // An address on this server.
    QByteArray url(const QByteArray& path) const;
    void setAnswer(const Answer& answer) { m_answer = answer; }

    int requests() const { return m_requests; }
    const QByteArray& lastRequest() const { return m_lastRequest; }

private:
    void serve(QTcpSocket* socket);

    QTcpServer m_server;
    Answer m_answer;
    int m_requests = 0;
    QByteArray m_lastRequest;
};

} // namespace gorse::test
