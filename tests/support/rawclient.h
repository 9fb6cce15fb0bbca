#pragma once

#include <QByteArray>
#include <QList>
#include <QObject>
#include <QTcpSocket>

namespace gorse::test {

// A bare loopback client: sends raw bytes and collects every message it
// receives, cut at 0xFF, in order. It speaks the protocol only as far as a
// test tells it to.
class RawClient : public QObject
{
    Q_OBJECT
public:
    explicit RawClient(QObject* parent = nullptr);

    bool connectTo(quint16 port, const QString& host = QStringLiteral("127.0.0.1"),
                   int timeoutMs = 5000);
    void send(const QByteArray& message); // adds the terminator
    void sendRaw(const QByteArray& bytes);
    // Waits until at least count messages arrived in all.
    bool waitFor(qsizetype count, int timeoutMs = 5000);
    // Waits until a message starting with prefix arrived; returns it or empty.
    QByteArray waitForPrefix(const QByteArray& prefix, int timeoutMs = 5000);
    bool waitClosed(int timeoutMs = 5000);
    bool isClosed() const { return m_closed; }
    void close();

    QList<QByteArray> messages;
    QTcpSocket socket;

private:
    QByteArray m_rest;
    bool m_closed = false;
};

} // namespace gorse::test
