#pragma once

#include <QByteArray>
#include <QObject>
#include <QString>

namespace gorse {

// One accepted connection of the host, whatever carries it. The connection
// server numbers it, takes what arrives and writes, once per turn, what the
// turn sent. Both directions are in the wire's framing: messages each ended
// by the terminator 0xFF (a kind that carries messages one by one adds and
// strips the terminators itself).
class HostConnection : public QObject
{
    Q_OBJECT
public:
    using QObject::QObject;

    // The connection number the server gave it; 0 before.
    int number() const { return m_number; }
    void setNumber(int number) { m_number = number; }

    // The peer's address, for the log.
    virtual QString peerAddress() const = 0;
    // Every byte received and not taken yet, in order; may be empty.
    virtual QByteArray receive() = 0;
    // Writes bytes now, in one write; what the network does not take yet
    // follows in order.
    virtual void write(const QByteArray& bytes) = 0;
    // Bytes given to write() that the network has not taken yet.
    virtual qint64 bytesToWrite() const = 0;
    // Closes after what was written has gone out; closed() follows.
    virtual void close() = 0;
    // Closes at once, dropping what waits to go out; closed() follows.
    virtual void abort() = 0;

signals:
    // Bytes arrived.
    void readyRead(gorse::HostConnection* sender);
    // The peer closed its end.
    void peerClosed(gorse::HostConnection* sender);
    // The connection is closed, by either end; may be reported twice.
    void closed(gorse::HostConnection* sender);

private:
    int m_number = 0;
};

} // namespace gorse
