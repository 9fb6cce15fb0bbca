#pragma once

#include "host/hostconnection.h"

namespace gorse {

class TSock;

// A connection accepted by the host's listening TSock: the wire's bytes as
// they are.
class TcpConnection : public HostConnection
{
    Q_OBJECT
public:
    // Takes over the accepted socket (it becomes this object's child).
    TcpConnection(TSock* sock, QObject* parent);

    QString peerAddress() const override;
    QByteArray receive() override;
    void write(const QByteArray& bytes) override;
    qint64 bytesToWrite() const override;
    void close() override;
    void abort() override;

private:
    TSock* m_sock; // owned through QObject parenting
};

} // namespace gorse
