#include "slowhttpserver.h"

#include <QTcpSocket>
#include <QTimer>
#include <memory>

namespace gorse::test {

SlowHttpServer::SlowHttpServer(QObject* parent) : QObject(parent)
{
    connect(&m_server, &QTcpServer::newConnection, this, [this] {
        while (QTcpSocket* socket = m_server.nextPendingConnection())
            serve(socket);
    });
}

bool SlowHttpServer::listen()
{
    return m_server.listen(QHostAddress::LocalHost, 0);
}

QByteArray SlowHttpServer::url(const QByteArray& path) const
{
    return "http://127.0.0.1:" + QByteArray::number(port()) + path;
}

void SlowHttpServer::serve(QTcpSocket* socket)
{
    connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
    auto request = std::make_shared<QByteArray>();
    connect(socket, &QTcpSocket::readyRead, socket, [this, socket, request] {
        if (request->endsWith("\r\n\r\n"))
            return; // answered already
        *request += socket->readAll();
        if (!request->contains("\r\n\r\n"))
            return;
        ++m_requests;
        m_lastRequest = *request;
        const Answer answer = m_answer;
        QByteArray head = "HTTP/1.1 " + QByteArray::number(answer.status) +
                          (answer.status < 400 ? " OK" : " Not Found") + "\r\n";
        head += "Content-Type: application/octet-stream\r\n";
        if (answer.sendLength)
            head += "Content-Length: " + QByteArray::number(answer.body.size()) + "\r\n";
        head += "Connection: close\r\n\r\n";
        socket->write(head);
        *request = "\r\n\r\n";

        // The body follows after a pause, so the headers arrive on their own.
        auto sent = std::make_shared<qint64>(0);
        auto* timer = new QTimer(socket);
        timer->setInterval(answer.intervalMs);
        connect(timer, &QTimer::timeout, socket, [socket, timer, answer, sent] {
            qint64 n = std::min<qint64>(answer.chunk, answer.body.size() - *sent);
            if (answer.closeAfter >= 0)
                n = std::min(n, answer.closeAfter - *sent);
            if (n > 0) {
                socket->write(answer.body.mid(*sent, n));
                *sent += n;
            }
            if (answer.closeAfter >= 0 && *sent >= answer.closeAfter) {
                timer->stop();
                socket->flush();
                socket->abort();
            } else if (*sent >= answer.body.size()) {
                timer->stop();
                socket->disconnectFromHost();
            }
        });
        QTimer::singleShot(answer.headerPauseMs, timer, [timer] { timer->start(); });
    });
}

} // namespace gorse::test
