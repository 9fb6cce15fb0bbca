// GameTable: the game. Starting games and rounds, words, discards, the round
// clock, the round summary and the decision after each round.
#include "host/gametable.h"
#include "net/logtext.h"

#include <QStringList>
#include <climits>

namespace gorse {

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
    m_output.log(QStringLiteral("event=game_start") + logPair(u"by", fromWire(start.name)) +
                 logPair(u"target", m_targetScore) + logPair(u"seconds", m_roundSeconds));
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
    m_output.log(QStringLiteral("event=round_start") + logPair(u"round", m_roundNumber));
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
        m_output.log(QStringLiteral("event=word result=rejected") + logPair(u"seat", seat) +
                     logPair(u"word", QString::fromLatin1(word)));
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
    const int points = wordPoints(int(word.size()), usesQu);
    p.wordLog = appendWordLog(p.wordLog, points, word);
    ++m_counters.wordsAccepted;
    m_output.sendTo(seat, msg::theword(seat, word, points, bonus, cards));
    p.total += points;
    p.roundPoints += points;
    m_output.sendToAll(msg::pscore(seat, p.total, p.roundPoints, points));
    m_output.log(QStringLiteral("event=word result=accepted") + logPair(u"seat", seat) +
                 logPair(u"word", QString::fromLatin1(word)) + logPair(u"points", points) +
                 logPair(u"total", p.total));
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
    m_output.log(QStringLiteral("event=round_end") + logPair(u"round", m_roundNumber) +
                 logPair(u"totals", totals.join(u',')));
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
            m_output.log(QStringLiteral("event=tie") + logPair(u"points", best));
            return false;
        }
    }
    const tplayer& p = m_players[candidate];
    const QByteArray name = p.name.isEmpty() ? p.fallbackName : p.name;
    ++m_counters.gamesFinished;
    m_output.sendToAll(msg::winner(name));
    m_output.log(QStringLiteral("event=winner") + logPair(u"seat", candidate) +
                 logPair(u"name", fromWire(name)) + logPair(u"points", best));
    return true;
}

} // namespace gorse
