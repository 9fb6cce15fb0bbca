// GameTable: logins, relays, removal and departures by connection number,
// and the game: starting games and rounds, words, discards, the round clock,
// the round summary and the decision after each round.
#include "host/gametable.h"

#include <QSet>
#include <QStringList>
#include <climits>

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
    m_output.log(error.isEmpty() ? QStringLiteral("checking words against the %1 list")
                                       .arg(TDictn::builtinListName(list))
                                 : error);
}

QString GameTable::who(int k) const
{
    const QByteArray& name = m_players[k].name;
    if (name.isEmpty())
        return QStringLiteral("connection %1").arg(k);
    return QStringLiteral("connection %1 (%2)").arg(k).arg(fromWire(name));
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
        m_output.log(QStringLiteral("%1 left").arg(who(k)));
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
    m_output.log(QStringLiteral("ignored %1 from connection %2 acting for connection %3")
                     .arg(QLatin1String(command))
                     .arg(origin)
                     .arg(stated));
    return false;
}

void GameTable::registerCommands()
{
    m_commands.add(msg::name::logininfo, [this](const QByteArray& rest, int origin) {
        const auto m = msg::LoginInfo::parse(rest);
        checkedconn(m.conn, "connection");
        if (fromSender("CMD_logininfo", m.conn, origin))
            receivedlogininfo(m.conn, m.version, m.name);
    });
    m_commands.add(msg::name::kickhim, [this](const QByteArray& rest, int origin) {
        const auto m = msg::KickHim::parse(rest);
        checkedconn(m.requester, "requester");
        checkedconn(m.target, "target");
        if (fromSender("CMD_kickhim", m.requester, origin))
            kickhim(m.requester, m.target);
    });
    // The relays read their fields in place: nothing is copied before the
    // relay itself is built, once for every connection.
    m_commands.add(msg::name::chat, [this](const QByteArray& rest, int origin) {
        Fields f(rest);
        const int conn = checkedconn(f.number(), "connection");
        if (fromSender("CMD_chat", conn, origin) && isRelayable("CMD_chat", conn, f.restView()))
            chat(conn, f.restView());
    });
    m_commands.add(msg::name::action, [this](const QByteArray& rest, int origin) {
        Fields f(rest);
        const int conn = checkedconn(f.number(), "connection");
        if (fromSender("CMD_action", conn, origin) && isRelayable("CMD_action", conn, f.restView()))
            action(conn, f.restView());
    });
    m_commands.add(msg::name::startgame, [this](const QByteArray& rest, int origin) {
        const auto m = msg::StartGame::parse(rest);
        if (origin != 1) {
            m_output.log(
                QStringLiteral("ignored CMD_startgame from connection %1: only connection 1 "
                               "starts games")
                    .arg(origin));
            return;
        }
        if (!m_targetRange.contains(m.target) || !m_secondsRange.contains(m.seconds)) {
            m_output.log(QStringLiteral("ignored CMD_startgame from connection 1: target %1 and "
                                        "rounds of %2 seconds are outside %3..%4 and %5..%6")
                             .arg(m.target)
                             .arg(m.seconds)
                             .arg(m_targetRange.minimum)
                             .arg(m_targetRange.maximum)
                             .arg(m_secondsRange.minimum)
                             .arg(m_secondsRange.maximum));
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
        if (fromSender("CMD_sendword", m.seat, origin))
            sendword(m.seat, m.piles);
    });
    m_commands.add(msg::name::discard, [this](const QByteArray& rest, int origin) {
        const auto m = msg::DiscardRequest::parse(rest);
        checkedconn(m.seat, "seat");
        checkedpile(m.pile);
        if (fromSender("CMD_discard", m.seat, origin))
            discard(m.seat, m.pile);
    });
    m_commands.add(msg::name::playasound, [this](const QByteArray& rest, int origin) {
        Fields f(rest);
        const int conn = checkedconn(f.number(), "connection");
        if (fromSender("CMD_playasound", conn, origin) &&
            isRelayable("CMD_playasound", conn, f.restView()))
            playasound(conn, f.restView());
    });
}

// ---- logins, relays, removal ----

void GameTable::receivedlogininfo(int k, const QByteArray& version, QByteArray name)
{
    if (name.size() > kMaxNameBytes) {
        m_output.log(
            QStringLiteral("connection %1 logs in with a name of %2 bytes; it is cut to %3")
                .arg(k)
                .arg(name.size())
                .arg(kMaxNameBytes));
        name = cutUtf8(name, kMaxNameBytes);
    }
    tplayer& p = m_players[k];
    p.name = name;
    p.connected = true;
    if (version == kVersionText)
        m_output.log(QStringLiteral("%1 logged in").arg(who(k)));
    else
        m_output.log(
            QStringLiteral("%1 logged in with version %2").arg(who(k)).arg(fromWire(version)));

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
    m_output.log(QStringLiteral("dropped a %1 of %2 bytes from %3: more than %4 are not relayed")
                     .arg(QLatin1String(command))
                     .arg(text.size())
                     .arg(who(k))
                     .arg(kMaxChatBody));
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
        m_output.log(
            QStringLiteral("ignored CMD_kickhim from connection %1: only connection 1 removes "
                           "players")
                .arg(requester));
        return;
    }
    if (m_players[target].connected)
        m_output.log(QStringLiteral("connection 1 removes %1").arg(who(target)));
    disconnectsock(target);
}

void GameTable::disconnectsock(int k)
{
    if (m_players[k].connected)
        m_output.closeConnection(k);
}

// ---- the round clock ----

void GameTable::startTimer1(int seconds, TimerPurpose purpose)
{
    m_countdown = seconds;
    m_timerPurpose = purpose;
    m_timer1Enabled = true;
    m_output.startClock();
}

void GameTable::stopTimer1()
{
    m_timer1Enabled = false;
    m_output.stopClock();
}

void GameTable::timer1Timer()
{
    if (!m_timer1Enabled)
        return;
    --m_countdown;
    if (m_countdown >= 1)
        return;
    stopTimer1();
    if (m_timerPurpose == TimerPurpose::EndRound)
        endround();
    else if (m_timerPurpose == TimerPurpose::NextRound)
        startround();
}

// ---- piles ----

void GameTable::dealPiles(SeatPiles& piles, const CardDeck& deck)
{
    for (int pile = 1; pile <= kPileCount; ++pile)
        piles[size_t(pile - 1)] = tpile{deck.card(pile, 1), 1};
}

void GameTable::advancePile(tpile& pile, int number, const CardDeck& deck)
{
    // Past the end the position stays at 33: the pile is used up either way.
    if (pile.position <= kPileLength)
        ++pile.position;
    pile.card = deck.card(number, pile.position);
}

ScoreList GameTable::scoreList() const
{
    ScoreList totals{};
    for (int seat = 1; seat <= kSeatCount; ++seat)
        totals[size_t(seat - 1)] = m_players[seat].total;
    return totals;
}

CardList GameTable::newcomerCards(int seat) const
{
    CardList cards;
    for (int pile = 1; pile <= kPileCount; ++pile) {
        const tpile& t = m_players[seat].piles[size_t(pile - 1)];
        if (t.position >= 1 && t.position <= kPileLength)
            cards.append(CardItem{pile, t.card, t.position < kPileLength});
    }
    return cards;
}

// ---- the game ----

void GameTable::startServerGame(int target, int seconds)
{
    msg::StartGame start;
    for (int k = 1; k <= kSeatCount && start.name.isEmpty(); ++k) {
        if (m_players[k].connected)
            start.name = m_players[k].name;
    }
    start.target = target;
    start.seconds = seconds;
    start.targetText = QByteArray::number(target);
    start.secondsText = QByteArray::number(seconds);
    startgame(start);
}

void GameTable::startgame(const msg::StartGame& start)
{
    m_gameStarted = true;
    ++m_counters.gamesStarted;
    m_targetScore = start.target;
    m_roundSeconds = start.seconds;
    m_output.log(QStringLiteral("game started by %1: target %2, rounds of %3 seconds")
                     .arg(fromWire(start.name))
                     .arg(m_targetScore)
                     .arg(m_roundSeconds));
    m_output.sendToAll(msg::startgameRelay(start.name, start.targetText, start.secondsText));
    for (int seat = 1; seat <= kSeatCount; ++seat) {
        tplayer& p = m_players[seat];
        p.total = 0;
        p.roundPoints = 0;
        p.discards = 0;
    }
    m_roundNumber = 0;
    startround();
}

void GameTable::startround()
{
    if (checkforwin()) {
        stopTimer1();
        m_output.announceChange();
        return;
    }
    ++m_roundNumber;
    m_roundOpen = true;
    m_deck.draw();
    for (int seat = 1; seat <= kSeatCount; ++seat) {
        tplayer& p = m_players[seat];
        p.roundPoints = 0;
        p.wordLog.clear();
        p.discards = 0;
        dealPiles(p.piles, m_deck);
    }
    CardList cards;
    for (int pile = 1; pile <= kPileCount; ++pile)
        cards.append(CardItem{pile, m_deck.card(pile, 1), true});
    m_output.sendToAll(msg::thecards(cards));
    m_output.sendToAll(msg::startround(m_roundNumber));
    m_output.log(QStringLiteral("round %1 started").arg(m_roundNumber));
    const qint64 seconds = qint64(m_roundSeconds) + kRoundExtraSeconds;
    startTimer1(int(qMin<qint64>(seconds, INT_MAX)), TimerPurpose::EndRound);
    m_output.announceChange();
}

void GameTable::sendword(int seat, const QList<int>& piles)
{
    if (!m_roundOpen || seat > kSeatCount)
        return;
    tplayer& p = m_players[seat];
    QByteArray word;
    for (int pile : piles)
        word += converttoletter(p.piles[size_t(pile - 1)].card);

    CardList cards;
    if (!m_spell->isword(word)) {
        for (int pile : piles) {
            const tpile& t = p.piles[size_t(pile - 1)];
            cards.append(CardItem{pile, t.card, t.position < kPileLength});
        }
        ++m_counters.wordsRejected;
        m_output.sendTo(seat, msg::rejected(seat, word, cards));
        m_output.log(
            QStringLiteral("seat %1 %2 rejected").arg(seat).arg(QString::fromLatin1(word)));
        return;
    }

    bool usesQu = false;
    for (int pile : piles) {
        tpile& t = p.piles[size_t(pile - 1)];
        usesQu = usesQu || t.card == kQuCard;
        advancePile(t, pile, m_deck);
        cards.append(CardItem{pile, t.card, t.position <= kPileLength});
    }
    const int bonus = usesQu ? kQuBonus : 0;
    const int points = wordpoints(int(word.size()), usesQu);
    p.wordLog = appendWordLog(p.wordLog, points, word);
    ++m_counters.wordsAccepted;
    m_output.sendTo(seat, msg::theword(seat, word, points, bonus, cards));
    p.total += points;
    p.roundPoints += points;
    m_output.sendToAll(msg::pscore(seat, p.total, p.roundPoints, points));
    m_output.log(QStringLiteral("seat %1 %2 accepted: %3 points, total %4")
                     .arg(seat)
                     .arg(QString::fromLatin1(word))
                     .arg(points)
                     .arg(p.total));
}

void GameTable::discard(int seat, int pile)
{
    if (!m_roundOpen || seat > kSeatCount)
        return;
    tplayer& p = m_players[seat];
    tpile& t = p.piles[size_t(pile - 1)];
    if (t.card == 0)
        return; // used up: nothing to discard, no penalty
    advancePile(t, pile, m_deck);
    ++p.discards;
    p.roundPoints -= kDiscardPenalty;
    p.total -= kDiscardPenalty;
    m_output.sendTo(seat, msg::discardResult(seat, p.total, p.roundPoints,
                                             CardItem{pile, t.card, t.position <= kPileLength}));
}

void GameTable::endround()
{
    m_roundOpen = false;
    QList<SeatSummary> summary;
    QStringList totals;
    for (int seat = 1; seat <= kSeatCount; ++seat) {
        const tplayer& p = m_players[seat];
        summary.append(SeatSummary{seat, p.total, p.roundPoints, p.discards, p.wordLog});
        totals.append(QString::number(p.total));
    }
    // Every connection hears its own round points; spies hear 0.
    for (int k = 1; k <= kConnectionCount; ++k) {
        if (m_players[k].connected)
            m_output.sendTo(k,
                            msg::endround(k <= kSeatCount ? m_players[k].roundPoints : 0, summary));
    }
    m_output.log(
        QStringLiteral("round %1 ended; totals %2").arg(m_roundNumber).arg(totals.join(u' ')));
    startTimer1(kRoundPauseSeconds, TimerPurpose::NextRound);
}

bool GameTable::checkforwin()
{
    int candidate = 0;
    for (int seat = kSeatCount; seat >= 1 && candidate == 0; --seat) {
        if (m_players[seat].total >= m_targetScore)
            candidate = seat;
    }
    if (candidate == 0)
        return false;
    for (int seat = 1; seat <= kSeatCount; ++seat) {
        if (m_players[seat].total > m_players[candidate].total)
            candidate = seat;
    }
    const int best = m_players[candidate].total;
    for (int seat = 1; seat <= kSeatCount; ++seat) {
        if (seat != candidate && m_players[seat].total == best) {
            m_output.sendToAll(msg::tiegame());
            m_output.log(QStringLiteral("tie at %1 points; another round").arg(best));
            return false;
        }
    }
    const tplayer& p = m_players[candidate];
    const QByteArray name = p.name.isEmpty() ? p.fallbackName : p.name;
    ++m_counters.gamesFinished;
    m_output.sendToAll(msg::winner(name));
    m_output.log(QStringLiteral("seat %1 (%2) won with %3 points")
                     .arg(candidate)
                     .arg(fromWire(name))
                     .arg(best));
    return true;
}

} // namespace gorse
