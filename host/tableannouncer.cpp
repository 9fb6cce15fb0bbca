#include "host/tableannouncer.h"

#include "host/tserver.h"
#include "net/discoverysocket.h"

#include <QRandomGenerator>
#include <cstdio>

namespace gorse {

TableAnnouncer::TableAnnouncer(const TServer* server, QString name, DiscoveryEndpoints endpoints,
                               QObject* parent)
    : QObject(parent), m_server(server), m_name(std::move(name)),
      m_id(QString::number(QRandomGenerator::system()->generate64(), 16)),
      m_endpoints(std::move(endpoints)), m_socket(new DiscoverySocket(this))
{
    m_clock.setInterval(kAnnounceIntervalMs);
    connect(&m_clock, &QTimer::timeout, this, &TableAnnouncer::announce);
    m_change.setSingleShot(true);
    connect(&m_change, &QTimer::timeout, this, &TableAnnouncer::announce);
    connect(m_server, &TServer::tableChanged, this, &TableAnnouncer::scheduleChange);
    connect(m_socket, &DiscoverySocket::received, this, &TableAnnouncer::onDatagram);
}

TableAnnouncer::~TableAnnouncer() = default;

QString TableAnnouncer::start()
{
    const QString error = m_socket->bind(m_endpoints.bindAddress, m_endpoints.bindPort);
    m_clock.start();
    scheduleChange();
    return error;
}

quint16 TableAnnouncer::queryPort() const
{
    return m_socket->localPort();
}

TableAnnouncement TableAnnouncer::announcement() const
{
    TableAnnouncement t;
    t.id = m_id;
    t.name = m_name;
    t.port = m_server->listeningPort();
    for (int k = 1; k <= kSeatCount; ++k) {
        const tplayer& p = m_server->table().player(k);
        if (p.connected)
            t.seats[size_t(k - 1)] = fromWire(p.name);
    }
    for (int k = kSeatCount + 1; k <= kConnectionCount; ++k)
        t.spies += m_server->table().player(k).connected ? 1 : 0;
    // After a win the round clock stops; the game is over.
    t.running = m_server->table().gameStarted() && m_server->table().timer1Enabled();
    t.round = m_server->table().roundNumber();
    t.version = QLatin1String(kVersionText);
    return t;
}

void TableAnnouncer::announce()
{
    m_change.stop();
    const TableAnnouncement t = announcement();
    if (t.port == 0)
        return; // not listening yet: there is no table to join
    const QList<QHostAddress> targets =
        m_endpoints.targets.isEmpty() ? broadcastTargets() : m_endpoints.targets;
    if (m_socket->sendToAll(encodeAnnouncement(t), targets, m_endpoints.targetPort) > 0)
        ++m_announced;
    m_sinceSent.start();
    m_clock.start(); // the next regular one two seconds from now
}

void TableAnnouncer::scheduleChange()
{
    if (m_change.isActive())
        return;
    const qint64 since = m_sinceSent.isValid() ? m_sinceSent.elapsed() : kChangeGapMs;
    m_change.start(int(qMax<qint64>(0, kChangeGapMs - since)));
}

void TableAnnouncer::onDatagram(const Datagram& datagram, const QHostAddress& sender,
                                quint16 senderPort)
{
    if (datagram.kind != Datagram::Kind::Query || senderPort == 0)
        return;
    if (!m_answerWindow.isValid() || m_answerWindow.elapsed() >= 1000) {
        m_answerWindow.start();
        m_answersInWindow = 0;
    }
    if (m_answersInWindow >= kAnswersPerSecond || !isLocalSender(sender))
        return;
    const TableAnnouncement t = announcement();
    if (t.port == 0)
        return;
    ++m_answersInWindow;
    if (m_socket->sendTo(encodeAnnouncement(t), sender, senderPort))
        ++m_answered;
}

std::unique_ptr<TableAnnouncer> announceTable(const LaunchOptions& options, const TServer* server)
{
    if (options.mode != LaunchOptions::Mode::Host || !options.announce)
        return nullptr;
    auto announcer =
        std::make_unique<TableAnnouncer>(server, options.playerName, options.discoveryEndpoints());
    const QString error = announcer->start();
    if (!error.isEmpty())
        std::fprintf(stderr, "gorse: lobbies cannot ask for the table: %s\n", qPrintable(error));
    return announcer;
}

} // namespace gorse
