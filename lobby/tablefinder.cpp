#include "lobby/tablefinder.h"

#include "net/discoverysocket.h"

namespace gorse {

TableFinder::TableFinder(DiscoveryEndpoints endpoints, QObject* parent)
    : QObject(parent), m_endpoints(std::move(endpoints)), m_tables(new TableList(this)),
      m_listener(new DiscoverySocket(this)), m_querier(new DiscoverySocket(this))
{
    m_clock.start();
    connect(m_listener, &DiscoverySocket::received, this, &TableFinder::onDatagram);
    connect(m_querier, &DiscoverySocket::received, this, &TableFinder::onDatagram);
    connect(&m_expiry, &QTimer::timeout, this, &TableFinder::expire);
    setTimeout(kTableTimeoutMs);
    auto changed = [this] { emit statusChanged(statusText()); };
    connect(m_tables, &TableList::rowsInserted, this, changed);
    connect(m_tables, &TableList::rowsRemoved, this, changed);
}

TableFinder::~TableFinder() = default;

void TableFinder::setTimeout(int ms)
{
    m_tables->setTimeout(ms);
    // Checked often enough that a table goes at most a quarter late.
    m_expiry.setInterval(qBound(10, ms / 4, 500));
}

QString TableFinder::start()
{
    m_listenError = m_listener->bind(m_endpoints.bindAddress, m_endpoints.bindPort);
    // Answers come back to a port of our own, not to the shared one, so
    // that no other program on this machine takes them.
    m_querier->bind(m_endpoints.bindAddress, 0);
    m_expiry.start();
    m_searching = true;
    QTimer::singleShot(kSearchMs, this, &TableFinder::searchOver);
    query();
    emit statusChanged(statusText());
    return m_listenError;
}

void TableFinder::query()
{
    const QList<QHostAddress> targets =
        m_endpoints.targets.isEmpty() ? broadcastTargets() : m_endpoints.targets;
    m_querier->sendToAll(encodeQuery(), targets, m_endpoints.targetPort);
}

quint16 TableFinder::listenPort() const
{
    return m_listener->localPort();
}

quint16 TableFinder::queryPort() const
{
    return m_querier->localPort();
}

QString TableFinder::statusText() const
{
    const int n = m_tables->size();
    if (n == 1)
        return QStringLiteral("1 table found on your network.");
    if (n > 1)
        return QStringLiteral("%1 tables found on your network.").arg(n);
    if (m_searching)
        return QStringLiteral("Looking for tables on your network...");
    QString text = QStringLiteral(
        "No tables found on your network. Host a game yourself, or type the address of a "
        "table below and press Join.");
    if (!m_listenError.isEmpty())
        text += QStringLiteral(" (Only tables that answer when asked are listed: %1.)")
                    .arg(m_listenError);
    return text;
}

void TableFinder::onDatagram(const Datagram& datagram, const QHostAddress& sender, quint16)
{
    if (datagram.kind != Datagram::Kind::Table)
        return;
    bool mapped = false;
    const quint32 v4 = sender.toIPv4Address(&mapped);
    m_tables->heard(datagram.table, mapped ? QHostAddress(v4) : sender, m_clock.elapsed());
    // Something was found: an empty list from now on means the tables went.
    m_searching = false;
}

void TableFinder::expire()
{
    m_tables->expire(m_clock.elapsed());
}

void TableFinder::searchOver()
{
    m_searching = false;
    emit statusChanged(statusText());
}

} // namespace gorse
