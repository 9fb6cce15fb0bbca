// TServer: connection numbers, logins, relays, removal and departures, and
// the receiving and dispatching of client messages. The game itself is in
// roundengine.cpp.
#include "host/tserver.h"

#include <QSet>
#include <algorithm>

namespace gorse {

namespace {

const char* const kFallbackNames[kSeatCount + 1] = {"",      "",      "Klot", "Klock",
                                                    "Kling", "Klick", "Krazy"};

// A connection number must lie in 1..9 before it may reach the table.
int checkedconn(int number, const char* what)
{
    if (!isConnection(number))
        throw FieldError(std::string(what) + " " + std::to_string(number) + " is out of range");
    return number;
}

int checkedpile(int pile)
{
    if (!isPile(pile))
        throw FieldError("pile " + std::to_string(pile) + " is out of range");
    return pile;
}

} // namespace

TServer::TServer(std::unique_ptr<TDictn> dict, quint64 seed, QObject* parent)
    : QObject(parent), m_spell(dict ? std::move(dict) : std::make_unique<TDictn>()), m_deck(seed)
{
    for (int k = 1; k <= kSeatCount; ++k)
        m_players[k].fallbackname = kFallbackNames[k];

    m_sock1 = new TSock(this);
    m_sock1->setPortName(QStringLiteral("7772"));
    connect(m_sock1, &TSock::OnAccept, this, &TServer::Sock1Accept);

    m_uptime.start();
    m_queue.setHandler([this](QueuedMessage& message) { handlemessage(message); });
    m_queue.setTurnEnd([this] { flushall(); });
    m_commands.setLog([this](const QString& line) { log(line); });
    registercommands();

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

void TServer::useWordList(TDictn::BuiltinList list)
{
    const QString error = m_spell->loadBuiltin(list);
    log(error.isEmpty() ? QStringLiteral("checking words against the %1 list")
                              .arg(TDictn::builtinListName(list))
                        : error);
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

void TServer::log(const QString& line)
{
    if (isConnection(m_handling))
        logfor(m_handling, line);
    else if (m_log)
        m_log(line);
}

void TServer::logfor(int k, const QString& line)
{
    if (!m_log)
        return;
    tplayer& p = m_players[k];
    const qint64 now = m_uptime.elapsed();
    if (p.logwindow < 0 || now - p.logwindow >= kLogWindowMs) {
        lognotlogged(k);
        p.logwindow = now;
        p.loglines = 0;
    }
    if (p.loglines < kLogBurst) {
        ++p.loglines;
        m_log(line);
    } else {
        ++p.lognotlogged;
    }
}

// The count of the lines about connection k that were held back.
void TServer::lognotlogged(int k)
{
    tplayer& p = m_players[k];
    if (p.lognotlogged > 0 && m_log) {
        m_log(QStringLiteral("connection %1: %2 more lines about it were not logged")
                  .arg(k)
                  .arg(p.lognotlogged));
    }
    p.lognotlogged = 0;
}

QString TServer::who(int k) const
{
    const QByteArray& name = m_players[k].name;
    if (name.isEmpty())
        return QStringLiteral("connection %1").arg(k);
    return QStringLiteral("connection %1 (%2)").arg(k).arg(fromWire(name));
}

// ---- accepting, reading, closing ----

void TServer::Sock1Accept(TSock* /*sender*/)
{
    const SendBatch batch(*this);
    TSock* accepted = nullptr;
    try {
        if (!m_sock1->Accept(accepted))
            return;
    } catch (const ESockException& e) {
        log(QStringLiteral("could not accept a connection: %1").arg(QString::fromUtf8(e.what())));
        return;
    }

    int k = 1;
    if (m_highwatermark == 0) {
        m_highwatermark = 1;
    } else {
        while (k < m_highwatermark && m_players[k].connected)
            ++k;
        if (m_players[k].connected) {
            if (k == kConnectionCount) {
                // All nine numbers are taken: record 10 takes the connection
                // just long enough to tell it so.
                tplayer& refused = m_players[kConnectionCount + 1];
                refused.sock = accepted;
                log(QStringLiteral("refused a connection from %1: all %2 numbers are taken")
                        .arg(accepted->peerAddress())
                        .arg(kConnectionCount));
                try {
                    accepted->Send(frame(msg::full()));
                } catch (const ESockException&) {
                }
                accepted->Close(); // what was queued still goes out
                accepted->deleteLater();
                refused.sock = nullptr;
                return;
            }
            k = ++m_highwatermark;
        }
    }

    tplayer& p = m_players[k];
    if (p.sock)
        p.sock->deleteLater();
    p.sock = accepted;
    p.connected = true;
    p.closing = false;
    p.frames.clear();
    p.serial = ++m_serials;
    // Nothing of the number's previous connection is carried over: its
    // messages left the queue when it went.
    p.waiting = 0;
    p.outgoing = QByteArray();
    p.logwindow = -1;
    p.loglines = 0;
    p.lognotlogged = 0;

    accepted->setTag(k);
    connect(accepted, &TSock::OnDisconnect, this, &TServer::tempsockDisconnect);
    connect(accepted, &TSock::OnInfo, this, &TServer::tempsockInfo);
    connect(accepted, &TSock::OnRead, this, &TServer::Sock1Read);
    log(QStringLiteral("connection %1 from %2").arg(k).arg(accepted->peerAddress()));
    sendto(k, msg::sendlogininfo(k));
}

void TServer::Sock1Read(TSock* sender, int /*count*/)
{
    QByteArray bytes;
    try {
        bytes = sender->Receive();
    } catch (const ESockException&) {
        return;
    }
    const int k = sender->Tag();
    if (k < 1 || k > kConnectionCount)
        return;
    tplayer& p = m_players[k];
    if (p.sock != sender || !p.connected || p.closing)
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
        dropconnection(k, QStringLiteral("sent a line longer than %1 bytes").arg(kMaxLineLength));
    else if (p.waiting + p.frames.pending() > kMaxWaiting)
        dropconnection(k, QStringLiteral("has more than %1 bytes waiting").arg(kMaxWaiting));
}

void TServer::tempsockDisconnect(TSock* sender)
{
    const int k = sender->Tag();
    if (k >= 1 && k <= kConnectionCount && m_players[k].sock == sender && m_players[k].connected)
        sender->Close();
}

void TServer::tempsockInfo(TSock* sender, TSocketInfo /*info*/, const QString& msg)
{
    if (msg != QLatin1String("Socket Closed"))
        return;
    const int k = sender->Tag();
    if (k < 1 || k > kConnectionCount)
        return;
    tplayer& p = m_players[k];
    // A second report for the same connection finds the record already freed.
    if (p.sock != sender)
        return;
    const SendBatch batch(*this);
    if (p.connected) {
        sendtoothers(k, msg::playerdisconnected(k, p.name));
        log(QStringLiteral("%1 left").arg(who(k)));
    }
    p.connected = false;
    p.closing = false;
    p.name.clear();
    // What it sent and the host has not handled yet must not act for the
    // next connection given this number, and its memory goes back now.
    const qsizetype unhandled = m_queue.dropOrigin(k);
    if (unhandled > 0)
        logfor(k, QStringLiteral("connection %1 left %2 unhandled messages; they are dropped")
                      .arg(k)
                      .arg(unhandled));
    lognotlogged(k);
    p.frames.clear();
    p.waiting = 0;
    p.outgoing = QByteArray();
    if (m_dirty & (1u << k)) {
        m_dirty &= ~(1u << k);
        const auto end = m_dirtyOrder.begin() + m_dirtyCount;
        m_dirtyCount =
            int(std::remove(m_dirtyOrder.begin(), end, quint8(k)) - m_dirtyOrder.begin());
    }
    p.sock = nullptr;
    sender->deleteLater();
    emit tableChanged();
}

void TServer::disconnectsock(int k)
{
    tplayer& p = m_players[k];
    if (p.connected && p.sock)
        p.sock->Close();
}

void TServer::dropconnection(int k, const QString& reason)
{
    tplayer& p = m_players[k];
    if (!p.connected || p.closing || !p.sock)
        return;
    p.closing = true;
    log(QStringLiteral("dropping connection %1: it %2").arg(k).arg(reason));
    // Closed on the next turn of the event loop, so that a send to all or a
    // socket event in progress is not pulled from under its caller.
    const quint64 serial = p.serial;
    QTimer::singleShot(0, this, [this, k, serial] {
        tplayer& q = m_players[k];
        if (q.serial == serial && q.connected && q.sock)
            q.sock->Abort();
    });
}

// ---- sending ----

void TServer::sendto(int k, const QByteArray& message)
{
    sendframed(k, frame(message));
}

void TServer::sendframed(int k, const QByteArray& framed)
{
    tplayer& p = m_players[k];
    if (!p.connected || p.closing || !p.sock)
        return;
    p.outgoing.append(framed);
    ++m_sent;
    if (p.outgoing.size() + p.sock->pendingOutgoing() > kMaxOutgoing) {
        p.outgoing = QByteArray();
        dropconnection(k, QStringLiteral("stopped reading (more than %1 bytes waiting to go out)")
                              .arg(kMaxOutgoing));
        return;
    }
    if (!(m_dirty & (1u << k))) {
        m_dirty |= 1u << k;
        m_dirtyOrder[m_dirtyCount++] = quint8(k);
    }
    if (m_batch == 0 && !m_queue.inTurn())
        flushall();
}

void TServer::flushall()
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
        tplayer& p = m_players[k];
        if (p.outgoing.isEmpty())
            continue;
        if (p.connected && !p.closing && p.sock) {
            try {
                p.sock->Send(p.outgoing);
                p.sock->flushNow();
            } catch (const ESockException&) {
            }
        }
        // The buffer keeps its room for the next turn.
        p.outgoing.resize(0);
    }
}

void TServer::sendtoall(const QByteArray& message)
{
    sendframedtoall(frame(message));
}

void TServer::sendframedtoall(const QByteArray& framed)
{
    const SendBatch batch(*this);
    for (int k = 1; k <= m_highwatermark; ++k)
        sendframed(k, framed);
}

void TServer::sendtoothers(int k, const QByteArray& message)
{
    const QByteArray framed = frame(message);
    for (int j = 1; j <= m_highwatermark; ++j) {
        if (j != k)
            sendframed(j, framed);
    }
}

// ---- dispatching ----

void TServer::handlemessage(QueuedMessage& message)
{
    const int k = message.origin;
    if (!isConnection(k))
        return;
    tplayer& p = m_players[k];
    p.waiting -= message.line.size() + kMessageOverhead;
    if (p.closing)
        return;
    m_handling = k;
    m_commands.dispatch(std::move(message));
    m_handling = 0;
}

bool TServer::fromsender(const char* command, int stated, int origin)
{
    if (stated == origin)
        return true;
    log(QStringLiteral("ignored %1 from connection %2 acting for connection %3")
            .arg(QLatin1String(command))
            .arg(origin)
            .arg(stated));
    return false;
}

void TServer::registercommands()
{
    m_commands.add(msg::name::logininfo, [this](const QByteArray& rest, int origin) {
        const auto m = msg::LoginInfo::parse(rest);
        checkedconn(m.conn, "connection");
        if (fromsender("CMD_logininfo", m.conn, origin))
            receivedlogininfo(m.conn, m.version, m.name);
    });
    m_commands.add(msg::name::kickhim, [this](const QByteArray& rest, int origin) {
        const auto m = msg::KickHim::parse(rest);
        checkedconn(m.requester, "requester");
        checkedconn(m.target, "target");
        if (fromsender("CMD_kickhim", m.requester, origin))
            kickhim(m.requester, m.target);
    });
    // The relays read their fields in place: nothing is copied before the
    // relay itself is built, once for every connection.
    m_commands.add(msg::name::chat, [this](const QByteArray& rest, int origin) {
        Fields f(rest);
        const int conn = checkedconn(f.number(), "connection");
        if (fromsender("CMD_chat", conn, origin) && relayable("CMD_chat", conn, f.restView()))
            chat(conn, f.restView());
    });
    m_commands.add(msg::name::action, [this](const QByteArray& rest, int origin) {
        Fields f(rest);
        const int conn = checkedconn(f.number(), "connection");
        if (fromsender("CMD_action", conn, origin) && relayable("CMD_action", conn, f.restView()))
            action(conn, f.restView());
    });
    m_commands.add(msg::name::startgame, [this](const QByteArray& rest, int origin) {
        const auto m = msg::StartGame::parse(rest);
        if (origin != 1) {
            log(QStringLiteral(
                    "ignored CMD_startgame from connection %1: only connection 1 starts games")
                    .arg(origin));
            return;
        }
        if (!m_targetrange.contains(m.target) || !m_secondsrange.contains(m.seconds)) {
            log(QStringLiteral("ignored CMD_startgame from connection 1: target %1 and rounds of "
                               "%2 seconds are outside %3..%4 and %5..%6")
                    .arg(m.target)
                    .arg(m.seconds)
                    .arg(m_targetrange.minimum)
                    .arg(m_targetrange.maximum)
                    .arg(m_secondsrange.minimum)
                    .arg(m_secondsrange.maximum));
            return;
        }
        startgame(m);
    });
    m_commands.add(msg::name::sendword, [this](const QByteArray& rest, int origin) {
        const auto m = msg::SendWord::parse(rest);
        checkedconn(m.seat, "seat");
        QSet<int> seen;
        for (int pile : m.piles) {
            checkedpile(pile);
            if (seen.contains(pile))
                throw FieldError("pile " + std::to_string(pile) + " is named twice");
            seen.insert(pile);
        }
        if (fromsender("CMD_sendword", m.seat, origin))
            sendword(m.seat, m.piles);
    });
    m_commands.add(msg::name::discard, [this](const QByteArray& rest, int origin) {
        const auto m = msg::DiscardRequest::parse(rest);
        checkedconn(m.seat, "seat");
        checkedpile(m.pile);
        if (fromsender("CMD_discard", m.seat, origin))
            discard(m.seat, m.pile);
    });
    m_commands.add(msg::name::playasound, [this](const QByteArray& rest, int origin) {
        Fields f(rest);
        const int conn = checkedconn(f.number(), "connection");
        if (fromsender("CMD_playasound", conn, origin) &&
            relayable("CMD_playasound", conn, f.restView()))
            playasound(conn, f.restView());
    });
}

// ---- handlers ----

void TServer::receivedlogininfo(int k, const QByteArray& version, QByteArray name)
{
    if (name.size() > kMaxNameBytes) {
        log(QStringLiteral("connection %1 logs in with a name of %2 bytes; it is cut to %3")
                .arg(k)
                .arg(name.size())
                .arg(kMaxNameBytes));
        name = cutUtf8(name, kMaxNameBytes);
    }
    tplayer& p = m_players[k];
    p.name = name;
    p.connected = true;
    if (version == kVersionText)
        log(QStringLiteral("%1 logged in").arg(who(k)));
    else
        log(QStringLiteral("%1 logged in with version %2").arg(who(k)).arg(fromWire(version)));

    sendtoall(msg::newplayerinfo(k, name));
    for (int j = 1; j <= m_highwatermark; ++j) {
        if (j != k && m_players[j].connected)
            sendto(k, msg::existingplayers(j, m_players[j].name));
    }
    if (version != kVersionText) {
        sendto(1, msg::havewrongversion(name));
        sendto(k, msg::wrongversion());
    }
    if (m_gamestarted) {
        sendto(k, msg::gamestats(k, m_targetscore, m_roundseconds, m_countdown, scorelist()));
        if (k <= kSeatCount)
            sendto(k, msg::thecards(newcomercards(k)));
    }
    emit tableChanged();
}

bool TServer::relayable(const char* command, int k, QByteArrayView text)
{
    if (text.size() <= kMaxChatBody)
        return true;
    log(QStringLiteral("dropped a %1 of %2 bytes from %3: more than %4 are not relayed")
            .arg(QLatin1String(command))
            .arg(text.size())
            .arg(who(k))
            .arg(kMaxChatBody));
    return false;
}

void TServer::chat(int k, QByteArrayView body)
{
    sendframedtoall(msg::chatRelayFramed(k, m_players[k].name, body));
}

void TServer::action(int k, QByteArrayView body)
{
    sendframedtoall(msg::actionRelayFramed(k, m_players[k].name, body));
}

void TServer::playasound(int k, QByteArrayView rest)
{
    sendframedtoall(msg::playasoundRelayFramed(k, rest));
}

void TServer::kickhim(int requester, int target)
{
    if (requester != 1) {
        log(QStringLiteral(
                "ignored CMD_kickhim from connection %1: only connection 1 removes players")
                .arg(requester));
        return;
    }
    if (m_players[target].connected)
        log(QStringLiteral("connection 1 removes %1").arg(who(target)));
    disconnectsock(target);
}

} // namespace gorse
