// bench_qtrelay: bench_minrelay's relay written on Qt's sockets and event
// loop, the yardstick for what gorse-host's design (Qt Core and Qt Network,
// one thread) allows, in bench_load: start-up (loading the Qt libraries and
// listening) and the chat loads.
//
//   bench_qtrelay PORT
//
// Listens on PORT, gives each of up to nine connections the lowest free
// number and tells it "CMD_sendlogininfo+N", cuts what arrives at 0xFF, and
// sends every message, unchanged, to all connections: what the reads of one
// turn of the event loop brought goes out with one write per connection in
// a zero-delay timer, as gorse-host does it. Ends on SIGTERM or SIGINT (by
// their default action).
#include <QByteArray>
#include <QCoreApplication>
#include <QHostAddress>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>

#include <array>
#include <cstdio>

namespace {

constexpr int kConnections = 9;
constexpr char kTerminator = '\xFF';

struct Connection
{
    QTcpSocket* socket = nullptr;
    QByteArray rest;    // the unfinished message
    QByteArray pending; // what goes out after this read
};

std::array<Connection, kConnections + 1> connections; // index 0 unused
QTimer* writer = nullptr;                             // the turn's writes

void relay(Connection& from)
{
    from.rest += from.socket->readAll();
    const qsizetype end = from.rest.lastIndexOf(kTerminator);
    if (end < 0)
        return;
    const QByteArrayView messages = QByteArrayView(from.rest).first(end + 1);
    for (Connection& to : connections) {
        if (to.socket)
            to.pending.append(messages);
    }
    from.rest.remove(0, end + 1);
    if (!writer->isActive())
        writer->start();
}

void writeAll()
{
    for (Connection& to : connections) {
        if (!to.socket || to.pending.isEmpty())
            continue;
        to.socket->write(to.pending);
        to.socket->flush();
        to.pending.resize(0);
    }
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QTcpServer server;
    bool ok = false;
    const uint port = app.arguments().value(1).toUInt(&ok);
    if (!ok || port > 65535 || !server.listen(QHostAddress::Any, quint16(port))) {
        std::fprintf(stderr, "bench_qtrelay: cannot listen on \"%s\"\n", argc > 1 ? argv[1] : "");
        return 1;
    }
    QTimer turnEnd;
    turnEnd.setSingleShot(true);
    turnEnd.setInterval(0);
    QObject::connect(&turnEnd, &QTimer::timeout, writeAll);
    writer = &turnEnd;
    QObject::connect(&server, &QTcpServer::newConnection, [&server] {
        while (QTcpSocket* socket = server.nextPendingConnection()) {
            int k = 1;
            while (k <= kConnections && connections[k].socket)
                ++k;
            if (k > kConnections) {
                socket->abort();
                socket->deleteLater();
                continue;
            }
            Connection& c = connections[k];
            c = Connection{socket, {}, {}};
            socket->setSocketOption(QAbstractSocket::LowDelayOption, 1);
            QObject::connect(socket, &QTcpSocket::readyRead, [&c] { relay(c); });
            QObject::connect(socket, &QTcpSocket::disconnected, [&c] {
                c.socket->deleteLater();
                c = Connection{};
            });
            socket->write("CMD_sendlogininfo+" + QByteArray::number(k) + kTerminator);
            socket->flush();
        }
    });
    return app.exec();
}
