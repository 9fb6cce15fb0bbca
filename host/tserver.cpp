// TServer: accepting and numbering connections, receiving and dispatching
// their messages, writing once per turn, departures and the log. The game
// itself is the GameTable's (gametable.cpp).
#include "host/tserver.h"

#include "host/tcpconnection.h"
#include "net/logtext.h"

#include <algorithm>

namespace gorse {

namespace {

// " peer=ADDRESS kind=tcp" (or kind=web) for the log.
QString peerPairs(const HostConnection* connection)
{
    const bool web = connection->inherits("gorse::WebSocketConnection");
    return logPair(u"peer", connection->peerAddress()) +
           logPair(u"kind", web ? QStringLiteral("web") : QStringLiteral("tcp"));
}

} // namespace

TServer::TServer(std::unique_ptr<TDictn> dict, quint64 seed, QObject* parent)
    : QObject(parent), m_table(std::move(dict), seed, *this)
{
    m_sock1 = new TSock(this);
    m_sock1->setPortName(QStringLiteral("7772"));
    m_sock1->setListenBacklog(kListenBacklog);
    connect(m_sock1, &TSock::OnAccept, this, &TServer::Sock1Accept);

    m_uptime.start();
    m_queue.setHandler([this](QueuedMessage& message) { handleMessage(message); });
    m_queue.setTurnEnd([this] {
        flushAll();
        if (m_turnClock.isValid()) {
            m_counters.turns.add(m_turnClock.nsecsElapsed());
            m_turnClock.invalidate();
        }
    });

    m_timer1.setInterval(1000);
    connect(&m_timer1, &QTimer::timeout, this, &TServer::timer1Timer);
}

TServer::~TServer()
{
    m_timer1.stop();
    // The listener owns every accepted connection; they go without telling
    // anybody (a TSock being destroyed reports nothing).
    delete m_sock1;
    m_sock1 = nullptr;
}

void TServer::startListening(quint16 port, const QHostAddress& address)
{
    m_sock1->setPortName(QString::number(port));
    m_sock1->setListenAddress(address);
    m_sock1->setListen(true);
}

quint16 TServer::listeningPort() const
{
    return m_sock1->listeningPort();
}

QHostAddress TServer::listeningAddress() const
{
    return m_sock1->listeningAddress();
}

void TServer::setLog(std::function<void(const QString&)> log)
{
    m_log = std::move(log);
}

void TServer::setStartRanges(const OptionRange& target, const OptionRange& seconds)
{
    m_table.setStartRanges(target, seconds);
}

void TServer::useWordList(TDictn::BuiltinList list)
{
    m_table.useWordList(list);
}

// ---- the round clock ----

void TServer::setRealTimeClock(bool on)
{
    m_realTimeClock = on;
    if (on && m_table.timer1Enabled())
        m_timer1.start();
    else
        m_timer1.stop();
}

void TServer::startClock()
{
    if (m_realTimeClock)
        m_timer1.start();
}

void TServer::stopClock()
{
    m_timer1.stop();
}

void TServer::timer1Timer()
{
    const SendBatch batch(*this);
    m_table.timer1Timer();
}

void TServer::announceChange()
{
    emit tableChanged();
}

// ---- the log ----

void TServer::log(const QString& line)
{
    if (isConnection(m_handling))
        logFor(m_handling, line);
    else if (m_log)
        m_log(line);
}

void TServer::logFor(int k, const QString& line)
{
    if (!m_log)
        return;
    Connection& p = m_connections[k];
    const qint64 now = m_uptime.elapsed();
    if (p.logWindow < 0 || now - p.logWindow >= kLogWindowMs) {
        logNotLogged(k);
        p.logWindow = now;
        p.logLines = 0;
    }
    if (p.logLines < kLogBurst) {
        ++p.logLines;
        m_log(line);
    } else {
        ++p.logNotLogged;
    }
}

// The count of the lines about connection k that were held back.
void TServer::logNotLogged(int k)
{
    Connection& p = m_connections[k];
    if (p.logNotLogged > 0 && m_log) {
        m_log(QStringLiteral("event=log_held_back") + logPair(u"conn", k) +
              logPair(u"lines", qint64(p.logNotLogged)));
    }
    p.logNotLogged = 0;
}

// ---- accepting, reading, closing ----

void TServer::Sock1Accept(TSock* /*sender*/)
{
    TSock* accepted = nullptr;
    try {
        if (!m_sock1->Accept(accepted))
            return;
    } catch (const ESockException& e) {
        log(QStringLiteral("event=accept_error") + logPair(u"error", QString::fromUtf8(e.what())));
        return;
    }
    acceptConnection(new TcpConnection(accepted, m_sock1));
}

void TServer::acceptConnection(HostConnection* connection)
{
    const SendBatch batch(*this);
    int k = 1;
    if (m_highWaterMark == 0) {
        m_highWaterMark = 1;
    } else {
        while (k < m_highWaterMark && m_connections[k].link)
            ++k;
        if (m_connections[k].link) {
            if (k == kConnectionCount) {
                // All nine numbers are taken: the connection is told so and
                // closed, and nothing else changes.
                log(QStringLiteral("event=refused reason=full") + peerPairs(connection));
                ++m_counters.refusedFull;
                connection->write(frame(msg::full()));
                connection->close(); // what was written still goes out
                connection->deleteLater();
                return;
            }
            k = ++m_highWaterMark;
        }
    }

    Connection& p = m_connections[k];
    ++m_counters.accepted;
    p.link = connection;
    p.closing = false;
    p.frames.clear();
    p.serial = ++m_serials;
    // Nothing of the number's previous connection is carried over: its
    // messages left the queue when it went.
    p.waiting = 0;
    p.outgoing = QByteArray();
    p.logWindow = -1;
    p.logLines = 0;
    p.logNotLogged = 0;

    connection->setNumber(k);
    connect(connection, &HostConnection::peerClosed, this, &TServer::tempsockDisconnect);
    connect(connection, &HostConnection::closed, this, &TServer::tempsockInfo);
    connect(connection, &HostConnection::readyRead, this, &TServer::Sock1Read);
    log(QStringLiteral("event=connect") + logPair(u"conn", k) + peerPairs(connection));
    m_table.joined(k);
}

void TServer::Sock1Read(HostConnection* sender)
{
    const QByteArray bytes = sender->receive();
    m_counters.bytesIn += quint64(bytes.size());
    const int k = sender->number();
    if (k < 1 || k > kConnectionCount)
        return;
    Connection& p = m_connections[k];
    if (p.link != sender || p.closing)
        return; // a connection that is going: what it says is not heard

    QList<QByteArray> lines;
    const bool ok = p.frames.append(bytes, lines);
    // An empty line has no command: it would be dropped unhandled anyway.
    lines.removeIf([](const QByteArray& line) { return line.isEmpty(); });
    for (const QByteArray& line : lines)
        p.waiting += line.size() + kMessageOverhead;
    if (!lines.isEmpty())
        m_queue.push(std::move(lines), k);
    if (!ok)
        dropConnection(k, QStringLiteral("sent a line longer than %1 bytes").arg(kMaxLineLength),
                       ServerCounters::Drop::LineTooLong);
    else if (p.waiting + p.frames.pending() > kMaxWaiting)
        dropConnection(k, QStringLiteral("has more than %1 bytes waiting").arg(kMaxWaiting),
                       ServerCounters::Drop::TooMuchWaiting);
}

void TServer::tempsockDisconnect(HostConnection* sender)
{
    const int k = sender->number();
    if (k >= 1 && k <= kConnectionCount && m_connections[k].link == sender)
        sender->close();
}

void TServer::tempsockInfo(HostConnection* sender)
{
    const int k = sender->number();
    if (k < 1 || k > kConnectionCount)
        return;
    Connection& p = m_connections[k];
    // A second report for the same connection finds the number already freed.
    if (p.link != sender)
        return;
    const SendBatch batch(*this);
    m_table.left(k);
    p.closing = false;
    // What it sent and the host has not handled yet must not act for the
    // next connection given this number, and its memory goes back now.
    const qsizetype unhandled = m_queue.dropOrigin(k);
    if (unhandled > 0)
        logFor(k, QStringLiteral("connection %1 left %2 unhandled messages; they are dropped")
                      .arg(k)
                      .arg(unhandled));
    logNotLogged(k);
    p.frames.clear();
    p.waiting = 0;
    p.outgoing = QByteArray();
    if (m_dirty & (1u << k)) {
        m_dirty &= ~(1u << k);
        const auto end = m_dirtyOrder.begin() + m_dirtyCount;
        m_dirtyCount =
            int(std::remove(m_dirtyOrder.begin(), end, quint8(k)) - m_dirtyOrder.begin());
    }
    p.link = nullptr;
    sender->deleteLater();
}

void TServer::closeConnection(int k)
{
    Connection& p = m_connections[k];
    if (p.link)
        p.link->close();
}

void TServer::dropConnection(int k, const QString& reason, ServerCounters::Drop why)
{
    Connection& p = m_connections[k];
    if (!p.link || p.closing)
        return;
    m_counters.drop(why);
    p.closing = true;
    log(QStringLiteral("event=drop") + logPair(u"conn", k) +
        logPair(u"reason", QString::fromLatin1(ServerCounters::dropName(why))) +
        logPair(u"detail", reason));
    // Closed on the next turn of the event loop, so that a send to all or a
    // socket event in progress is not pulled from under its caller.
    const quint64 serial = p.serial;
    QTimer::singleShot(0, this, [this, k, serial] {
        Connection& q = m_connections[k];
        if (q.serial == serial && q.link)
            q.link->abort();
    });
}

// ---- sending ----

void TServer::sendTo(int k, QByteArrayView message)
{
    Connection& p = m_connections[k];
    if (!p.link || p.closing)
        return;
    p.outgoing.append(message);
    p.outgoing.append(kTerminator);
    ++m_sent;
    if (p.outgoing.size() + p.link->bytesToWrite() > kMaxOutgoing) {
        p.outgoing = QByteArray();
        dropConnection(k,
                       QStringLiteral("stopped reading (more than %1 bytes waiting to go out)")
                           .arg(kMaxOutgoing),
                       ServerCounters::Drop::StoppedReading);
        return;
    }
    if (!(m_dirty & (1u << k))) {
        m_dirty |= 1u << k;
        m_dirtyOrder[m_dirtyCount++] = quint8(k);
    }
    if (m_batch == 0 && !m_queue.inTurn())
        flushAll();
}

void TServer::sendToAll(QByteArrayView message)
{
    const SendBatch batch(*this);
    for (int k = 1; k <= m_highWaterMark; ++k)
        sendTo(k, message);
}

void TServer::flushAll()
{
    // In the order the connections were first given something: the one
    // whose request the turn answered is usually first, and gets its answer
    // before the host writes to everybody else.
    const auto order = m_dirtyOrder;
    const int count = m_dirtyCount;
    m_dirty = 0;
    m_dirtyCount = 0;
    for (int i = 0; i < count; ++i) {
        const int k = order[size_t(i)];
        Connection& p = m_connections[k];
        if (p.outgoing.isEmpty())
            continue;
        if (p.link && !p.closing) {
            p.link->write(p.outgoing);
            m_counters.bytesOut += quint64(p.outgoing.size());
        }
        // The buffer keeps its room for the next turn.
        p.outgoing.resize(0);
    }
}

// ---- dispatching ----

void TServer::handleMessage(QueuedMessage& message)
{
    const int k = message.origin;
    if (!isConnection(k))
        return;
    Connection& p = m_connections[k];
    p.waiting -= message.line.size() + kMessageOverhead;
    if (p.closing)
        return;
    if (!m_turnClock.isValid())
        m_turnClock.start();
    m_handling = k;
    m_table.handleMessage(k, std::move(message.line));
    m_handling = 0;
}

} // namespace gorse
