#include "launch/instanceguard.h"

#include <QCryptographicHash>
#include <QLocalServer>
#include <QLocalSocket>

#include <unistd.h>

namespace gorse {

namespace {
constexpr char kRaise[] = "raise\n";
}

QString InstanceGuard::defaultName()
{
    const QByteArray runtime = qgetenv("XDG_RUNTIME_DIR");
    const QByteArray hash =
        QCryptographicHash::hash(runtime, QCryptographicHash::Sha1).toHex().left(12);
    return QStringLiteral("ramlev11-%1-%2").arg(uint(getuid())).arg(QString::fromLatin1(hash));
}

InstanceGuard::InstanceGuard(QObject* parent) : InstanceGuard(defaultName(), parent)
{
}

InstanceGuard::InstanceGuard(const QString& name, QObject* parent) : QObject(parent), m_name(name)
{
}

InstanceGuard::~InstanceGuard() = default;

bool InstanceGuard::askFirstCopy()
{
    QLocalSocket socket;
    socket.setSocketOptions(QLocalSocket::AbstractNamespaceOption);
    socket.connectToServer(m_name);
    if (!socket.waitForConnected(1000))
        return false;
    socket.write(kRaise);
    socket.waitForBytesWritten(1000);
    socket.disconnectFromServer();
    return true;
}

void InstanceGuard::release()
{
    delete m_server;
    m_server = nullptr;
}

bool InstanceGuard::claim()
{
    if (m_server)
        return true;
    // Always ask first: a live name cannot be taken over, and a dead one is
    // gone with its process.
    for (int attempt = 0; attempt < 3; ++attempt) {
        if (askFirstCopy())
            return false;
        auto* server = new QLocalServer(this);
        server->setSocketOptions(QLocalServer::AbstractNamespaceOption);
        if (server->listen(m_name)) {
            m_server = server;
            connect(server, &QLocalServer::newConnection, this, [this] {
                while (QLocalSocket* peer = m_server->nextPendingConnection()) {
                    connect(peer, &QLocalSocket::readyRead, this, [this, peer] {
                        if (peer->readAll().contains("raise"))
                            emit raiseRequested();
                    });
                    connect(peer, &QLocalSocket::disconnected, peer, &QObject::deleteLater);
                }
            });
            return true;
        }
        // Another copy claimed it in the same moment: ask it instead.
        delete server;
    }
    // The name is held but nobody answers; start rather than refuse to run.
    return true;
}

} // namespace gorse
