// GameTable: logins, relays, removal and departures by connection number
// (the game itself is in gametablerounds.cpp).
#include "host/gametable.h"

#include "net/logtext.h"

#include <QSet>

namespace gorse {

namespace {

const char* const kFallbackNames[kSeatCount + 1] = {"",      "",      "Klot", "Klock",
                                                    "Kling", "Klick", "Krazy"};

// A connection number must lie in 1..9 before it may reach the table.
int checkedConnection(int number, const char* what)
{
    if (!isConnection(number))
        throw FieldError(std::string(what) + " " + std::to_string(number) + " is out of range");
    return number;
}

int checkedPile(int pile)
{
    if (!isPile(pile))
        throw FieldError("pile " + std::to_string(pile) + " is out of range");
    return pile;
}

// A relay is built with its terminator in one piece; the table hands it on
// without.
QByteArrayView unframed(const QByteArray& framed)
{
    return QByteArrayView(framed).chopped(1);
}

} // namespace

GameTable::GameTable(std::unique_ptr<TDictn> dict, quint64 seed, TableOutput& output)
    : m_output(output), m_spell(dict ? std::move(dict) : std::make_unique<TDictn>()), m_deck(seed)
{
    for (int k = 1; k <= kSeatCount; ++k)
        m_players[k].fallbackName = kFallbackNames[k];
    m_commands.setLog([this](const QString& line) { m_output.log(line); });
    registerCommands();
}

void GameTable::setStartRanges(const OptionRange& target, const OptionRange& seconds)
{
    m_targetRange = target;
    m_secondsRange = seconds;
}

void GameTable::useWordList(TDictn::BuiltinList list)
{
    const QString error = m_spell->loadBuiltin(list);
    m_output.log(error.isEmpty()
                     ? QStringLiteral("event=words") + logPair(u"list", builtinListName(list))
                     : QStringLiteral("event=words_error") + logPair(u"error", error));
}

QString GameTable::who(int k) const
{
    const QByteArray& name = m_players[k].name;
    if (name.isEmpty())
        return logPair(u"conn", k);
    return logPair(u"conn", k) + logPair(u"name", fromWire(name));
}

// ---- connections coming and going ----

void GameTable::joined(int k)
{
    m_players[k].connected = true;
    m_output.sendTo(k, msg::sendlogininfo(k));
}

void GameTable::left(int k)
{
    tplayer& p = m_players[k];
    if (p.connected) {
        sendToOthers(k, msg::playerdisconnected(k, p.name));
        m_output.log(QStringLiteral("event=leave") + who(k));
    }
    p.connected = false;
    p.name.clear();
    m_output.announceChange();
}

void GameTable::sendToOthers(int k, QByteArrayView message)
{
    for (int j = 1; j <= kConnectionCount; ++j) {
        if (j != k && m_players[j].connected)
            m_output.sendTo(j, message);
    }
}

// ---- dispatching ----

void GameTable::handleMessage(int k, QByteArray line)
{
    m_commands.dispatch(QueuedMessage{std::move(line), k});
}

bool GameTable::fromSender(const char* command, int stated, int origin)
{
    if (stated == origin)
        return true;
    m_output.log(QStringLiteral("event=ignored") +
                 logPair(u"command", QString::fromLatin1(command)) + logPair(u"conn", origin) +
                 logPair(u"for", stated) + logPair(u"reason", u"acting for another connection"));
    return false;
}

void GameTable::registerCommands()
{
    m_commands.add(msg::name::logininfo, [this](const QByteArray& rest, int origin) {
        const auto m = msg::LoginInfo::parse(rest);
        checkedConnection(m.conn, "connection");
        if (fromSender("CMD_logininfo", m.conn, origin))
            receivedlogininfo(m.conn, m.version, m.name);
    });
    m_commands.add(msg::name::kickhim, [this](const QByteArray& rest, int origin) {
        const auto m = msg::KickHim::parse(rest);
        checkedConnection(m.requester, "requester");
        checkedConnection(m.target, "target");
        if (fromSender("CMD_kickhim", m.requester, origin))
            kickhim(m.requester, m.target);
    });
    // The relays read their fields in place: nothing is copied before the
    // relay itself is built, once for every connection.
    m_commands.add(msg::name::chat, [this](const QByteArray& rest, int origin) {
        Fields f(rest);
        const int conn = checkedConnection(f.number(), "connection");
        if (fromSender("CMD_chat", conn, origin) && isRelayable("CMD_chat", conn, f.restView()))
            chat(conn, f.restView());
    });
    m_commands.add(msg::name::action, [this](const QByteArray& rest, int origin) {
        Fields f(rest);
        const int conn = checkedConnection(f.number(), "connection");
        if (fromSender("CMD_action", conn, origin) && isRelayable("CMD_action", conn, f.restView()))
            action(conn, f.restView());
    });
    m_commands.add(msg::name::startgame, [this](const QByteArray& rest, int origin) {
        const auto m = msg::StartGame::parse(rest);
        if (origin != 1) {
            m_output.log(QStringLiteral("event=ignored command=CMD_startgame") +
                         logPair(u"conn", origin) +
                         logPair(u"reason", u"only connection 1 starts games"));
            return;
        }
        if (!m_targetRange.contains(m.target) || !m_secondsRange.contains(m.seconds)) {
            m_output.log(QStringLiteral("event=ignored command=CMD_startgame conn=1") +
                         logPair(u"target", m.target) + logPair(u"seconds", m.seconds) +
                         logPair(u"reason", QStringLiteral("outside %1..%2 and %3..%4")
                                                .arg(m_targetRange.minimum)
                                                .arg(m_targetRange.maximum)
                                                .arg(m_secondsRange.minimum)
                                                .arg(m_secondsRange.maximum)));
            return;
        }
        startgame(m);
    });
    m_commands.add(msg::name::sendword, [this](const QByteArray& rest, int origin) {
        const auto m = msg::SendWord::parse(rest);
        checkedConnection(m.seat, "seat");
        QSet<int> seen;
        for (int pile : m.piles) {
            checkedPile(pile);
            if (seen.contains(pile))
                throw FieldError("pile " + std::to_string(pile) + " is named twice");
            seen.insert(pile);
        }
        if (fromSender("CMD_sendword", m.seat, origin))
            sendword(m.seat, m.piles);
    });
    m_commands.add(msg::name::discard, [this](const QByteArray& rest, int origin) {
        const auto m = msg::DiscardRequest::parse(rest);
        checkedConnection(m.seat, "seat");
        checkedPile(m.pile);
        if (fromSender("CMD_discard", m.seat, origin))
            discard(m.seat, m.pile);
    });
    m_commands.add(msg::name::playasound, [this](const QByteArray& rest, int origin) {
        Fields f(rest);
        const int conn = checkedConnection(f.number(), "connection");
        if (fromSender("CMD_playasound", conn, origin) &&
            isRelayable("CMD_playasound", conn, f.restView()))
            playasound(conn, f.restView());
    });
}

// ---- logins, relays, removal ----

void GameTable::receivedlogininfo(int k, const QByteArray& version, QByteArray name)
{
    if (name.size() > kMaxNameBytes) {
        m_output.log(QStringLiteral("event=name_cut") + logPair(u"conn", k) +
                     logPair(u"bytes", name.size()) + logPair(u"kept", kMaxNameBytes));
        name = cutUtf8(name, kMaxNameBytes);
    }
    tplayer& p = m_players[k];
    p.name = name;
    p.connected = true;
    m_output.log(QStringLiteral("event=login") + who(k) + logPair(u"version", fromWire(version)));

    m_output.sendToAll(msg::newplayerinfo(k, name));
    for (int j = 1; j <= kConnectionCount; ++j) {
        if (j != k && m_players[j].connected)
            m_output.sendTo(k, msg::existingplayers(j, m_players[j].name));
    }
    if (version != kVersionText) {
        m_output.sendTo(1, msg::havewrongversion(name));
        m_output.sendTo(k, msg::wrongversion());
    }
    if (m_gameStarted) {
        m_output.sendTo(k,
                        msg::gamestats(k, m_targetScore, m_roundSeconds, m_countdown, scoreList()));
        if (k <= kSeatCount)
            m_output.sendTo(k, msg::thecards(newcomerCards(k)));
    }
    m_output.announceChange();
}

bool GameTable::isRelayable(const char* command, int k, QByteArrayView text)
{
    if (text.size() <= kMaxChatBody)
        return true;
    m_output.log(QStringLiteral("event=not_relayed") +
                 logPair(u"command", QString::fromLatin1(command)) + who(k) +
                 logPair(u"bytes", text.size()) + logPair(u"limit", kMaxChatBody));
    return false;
}

void GameTable::chat(int k, QByteArrayView body)
{
    m_output.sendToAll(unframed(msg::chatRelayFramed(k, m_players[k].name, body)));
}

void GameTable::action(int k, QByteArrayView body)
{
    m_output.sendToAll(unframed(msg::actionRelayFramed(k, m_players[k].name, body)));
}

void GameTable::playasound(int k, QByteArrayView rest)
{
    m_output.sendToAll(unframed(msg::playasoundRelayFramed(k, rest)));
}

void GameTable::kickhim(int requester, int target)
{
    if (requester != 1) {
        m_output.log(QStringLiteral("event=ignored command=CMD_kickhim") +
                     logPair(u"conn", requester) +
                     logPair(u"reason", u"only connection 1 removes players"));
        return;
    }
    if (m_players[target].connected)
        m_output.log(QStringLiteral("event=kick by=1") + who(target));
    disconnectsock(target);
}

void GameTable::disconnectsock(int k)
{
    if (m_players[k].connected)
        m_output.closeConnection(k);
}

} // namespace gorse
