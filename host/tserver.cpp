// TServer: connection numbers, logins, relays, removal and departures, and
// the receiving and dispatching of client messages. The game itself is in
// roundengine.cpp.
#include "host/tserver.h"

#include <QSet>

namespace gorse {

namespace {

// A connection that has this many messages waiting is flooding the host.
constexpr int kMaxQueuedPerConnection = 10000;

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

    m_queue.setHandler([this](const QueuedMessage& message) { handlemessage(message); });
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

void TServer::startListening(quint16 port)
{
    m_sock1->setPortName(QString::number(port));
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

void TServer::setLog(std::function<void(const QString&)> log)
{
    m_log = std::move(log);
}

void TServer::log(const QString& line) const
{
    if (m_log)
        m_log(line);
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
    // inqueue and stale stay: messages of the number's previous connection
    // may still wait in the queue and are dropped when their turn comes.

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
    if (!lines.isEmpty()) {
        p.inqueue += int(lines.size());
        m_queue.push(lines, k);
    }
    if (!ok)
        dropconnection(k, QStringLiteral("sent a line longer than %1 bytes").arg(kMaxLineLength));
    else if (p.inqueue > kMaxQueuedPerConnection)
        dropconnection(
            k, QStringLiteral("has more than %1 messages waiting").arg(kMaxQueuedPerConnection));
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
    if (p.connected) {
        sendtoothers(k, msg::playerdisconnected(k, p.name));
        log(QStringLiteral("%1 left").arg(who(k)));
    }
    p.connected = false;
    p.closing = false;
    p.name.clear();
    p.frames.clear();
    // What it sent and the host has not handled yet must not act for the
    // next connection given this number.
    p.stale = p.inqueue;
    if (p.stale > 0)
        log(QStringLiteral("connection %1 left %2 unhandled messages; they are dropped")
                .arg(k)
                .arg(p.stale));
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
    try {
        p.sock->Send(framed);
    } catch (const ESockException&) {
        return;
    }
    ++m_sent;
    if (p.sock && p.sock->pendingOutgoing() > kMaxOutgoing)
        dropconnection(k, QStringLiteral("stopped reading (more than %1 bytes waiting to go out)")
                              .arg(kMaxOutgoing));
}

void TServer::sendtoall(const QByteArray& message)
{
    const QByteArray framed = frame(message);
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

void TServer::handlemessage(const QueuedMessage& message)
{
    const int k = message.origin;
    if (k >= 1 && k <= kConnectionCount) {
        tplayer& p = m_players[k];
        --p.inqueue;
        if (p.stale > 0) {
            --p.stale;
            return; // sent by a connection that has left
        }
        if (p.closing)
            return;
    }
    m_commands.dispatch(message);
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
    m_commands.add(msg::name::chat, [this](const QByteArray& rest, int origin) {
        const auto m = msg::ConnText::parse(rest);
        checkedconn(m.conn, "connection");
        if (fromsender("CMD_chat", m.conn, origin))
            chat(m.conn, m.text);
    });
    m_commands.add(msg::name::action, [this](const QByteArray& rest, int origin) {
        const auto m = msg::ConnText::parse(rest);
        checkedconn(m.conn, "connection");
        if (fromsender("CMD_action", m.conn, origin))
            action(m.conn, m.text);
    });
    m_commands.add(msg::name::startgame, [this](const QByteArray& rest, int origin) {
        const auto m = msg::StartGame::parse(rest);
        if (origin != 1) {
            log(QStringLiteral(
                    "ignored CMD_startgame from connection %1: only connection 1 starts games")
                    .arg(origin));
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
        const auto m = msg::PlayASound::parse(rest);
        checkedconn(m.conn, "connection");
        if (fromsender("CMD_playasound", m.conn, origin))
            playasound(m.conn, m.rest);
    });
}

// ---- handlers ----

void TServer::receivedlogininfo(int k, const QByteArray& version, const QByteArray& name)
{
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

void TServer::chat(int k, const QByteArray& body)
{
    sendtoall(msg::chatRelay(k, m_players[k].name, body));
}

void TServer::action(int k, const QByteArray& body)
{
    sendtoall(msg::actionRelay(k, m_players[k].name, body));
}

void TServer::playasound(int k, const QByteArray& rest)
{
    sendtoall(msg::playasoundRelay(k, rest));
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
