// TServer's round engine: starting games and rounds, words, discards, the
// round clock, the round summary and the decision after each round.
#include "host/tserver.h"

#include <climits>

namespace gorse {

void TServer::setRealTimeClock(bool on)
{
    m_realtimeclock = on;
    if (on && m_timer1enabled)
        m_timer1.start();
    else
        m_timer1.stop();
}

void TServer::starttimer1(int seconds, TimerPurpose purpose)
{
    m_countdown = seconds;
    m_timerpurpose = purpose;
    m_timer1enabled = true;
    if (m_realtimeclock)
        m_timer1.start();
}

void TServer::stoptimer1()
{
    m_timer1enabled = false;
    m_timer1.stop();
}

void TServer::setStartRanges(const OptionRange& target, const OptionRange& seconds)
{
    m_targetrange = target;
    m_secondsrange = seconds;
}

void TServer::timer1Timer()
{
    if (!m_timer1enabled)
        return;
    const SendBatch batch(*this);
    --m_countdown;
    if (m_countdown >= 1)
        return;
    stoptimer1();
    if (m_timerpurpose == TimerPurpose::EndRound)
        endround();
    else if (m_timerpurpose == TimerPurpose::NextRound)
        startround();
}

ScoreList TServer::scorelist() const
{
    ScoreList totals{};
    for (int seat = 1; seat <= kSeatCount; ++seat)
        totals[seat - 1] = m_players[seat].total;
    return totals;
}

CardList TServer::newcomercards(int seat) const
{
    CardList cards;
    for (int pile = 1; pile <= kPileCount; ++pile) {
        const tpile& t = m_players[seat].piles[pile - 1];
        if (t.position >= 1 && t.position <= kPileLength)
            cards.append(CardItem{pile, t.card, t.position < kPileLength});
    }
    return cards;
}

void TServer::advancepile(tpile& pile, int number)
{
    // Past the end the position stays at 33: the pile is used up either way.
    if (pile.position <= kPileLength)
        ++pile.position;
    pile.card = m_deck.card(number, pile.position);
}

void TServer::startgame(const msg::StartGame& start)
{
    m_gamestarted = true;
    m_targetscore = start.target;
    m_roundseconds = start.seconds;
    log(QStringLiteral("game started by %1: target %2, rounds of %3 seconds")
            .arg(fromWire(start.name))
            .arg(m_targetscore)
            .arg(m_roundseconds));
    sendtoall(msg::startgameRelay(start.name, start.targetText, start.secondsText));
    for (int seat = 1; seat <= kSeatCount; ++seat) {
        tplayer& p = m_players[seat];
        p.total = 0;
        p.roundpoints = 0;
        p.discards = 0;
    }
    m_roundnumber = 0;
    startround();
}

void TServer::startround()
{
    if (checkforwin()) {
        stoptimer1();
        emit tableChanged();
        return;
    }
    ++m_roundnumber;
    m_roundopen = true;
    m_deck.draw();
    for (int seat = 1; seat <= kSeatCount; ++seat) {
        tplayer& p = m_players[seat];
        p.roundpoints = 0;
        p.wordlog.clear();
        p.discards = 0;
        for (int pile = 1; pile <= kPileCount; ++pile)
            p.piles[pile - 1] = tpile{m_deck.card(pile, 1), 1};
    }
    CardList cards;
    for (int pile = 1; pile <= kPileCount; ++pile)
        cards.append(CardItem{pile, m_deck.card(pile, 1), true});
    sendtoall(msg::thecards(cards));
    sendtoall(msg::startround(m_roundnumber));
    log(QStringLiteral("round %1 started").arg(m_roundnumber));
    const qint64 seconds = qint64(m_roundseconds) + kRoundExtraSeconds;
    starttimer1(int(qMin<qint64>(seconds, INT_MAX)), TimerPurpose::EndRound);
    emit tableChanged();
}

void TServer::sendword(int seat, const QList<int>& piles)
{
    if (!m_roundopen || seat > kSeatCount)
        return;
    tplayer& p = m_players[seat];
    QByteArray word;
    for (int pile : piles)
        word += converttoletter(p.piles[pile - 1].card);

    CardList cards;
    if (!m_spell->isword(word)) {
        for (int pile : piles) {
            const tpile& t = p.piles[pile - 1];
            cards.append(CardItem{pile, t.card, t.position < kPileLength});
        }
        sendto(seat, msg::rejected(seat, word, cards));
        log(QStringLiteral("seat %1 %2 rejected").arg(seat).arg(QString::fromLatin1(word)));
        return;
    }

    bool usesQu = false;
    for (int pile : piles) {
        tpile& t = p.piles[pile - 1];
        usesQu = usesQu || t.card == kQuCard;
        advancepile(t, pile);
        cards.append(CardItem{pile, t.card, t.position <= kPileLength});
    }
    const int bonus = usesQu ? kQuBonus : 0;
    const int points = wordpoints(int(word.size()), usesQu);
    p.wordlog = appendWordLog(p.wordlog, points, word);
    sendto(seat, msg::theword(seat, word, points, bonus, cards));
    p.total += points;
    p.roundpoints += points;
    sendtoall(msg::pscore(seat, p.total, p.roundpoints, points));
    log(QStringLiteral("seat %1 %2 accepted: %3 points, total %4")
            .arg(seat)
            .arg(QString::fromLatin1(word))
            .arg(points)
            .arg(p.total));
}

void TServer::discard(int seat, int pile)
{
    if (!m_roundopen || seat > kSeatCount)
        return;
    tplayer& p = m_players[seat];
    tpile& t = p.piles[pile - 1];
    if (t.card == 0)
        return; // used up: nothing to discard, no penalty
    advancepile(t, pile);
    ++p.discards;
    p.roundpoints -= kDiscardPenalty;
    p.total -= kDiscardPenalty;
    sendto(seat, msg::discardResult(seat, p.total, p.roundpoints,
                                    CardItem{pile, t.card, t.position <= kPileLength}));
}

void TServer::endround()
{
    m_roundopen = false;
    QList<SeatSummary> summary;
    QStringList totals;
    for (int seat = 1; seat <= kSeatCount; ++seat) {
        const tplayer& p = m_players[seat];
        summary.append(SeatSummary{seat, p.total, p.roundpoints, p.discards, p.wordlog});
        totals.append(QString::number(p.total));
    }
    for (int k = 1; k <= m_highwatermark; ++k)
        sendto(k, msg::endround(k <= kSeatCount ? m_players[k].roundpoints : 0, summary));
    log(QStringLiteral("round %1 ended; totals %2").arg(m_roundnumber).arg(totals.join(u' ')));
    starttimer1(kRoundPauseSeconds, TimerPurpose::NextRound);
}

bool TServer::checkforwin()
{
    int candidate = 0;
    for (int seat = kSeatCount; seat >= 1 && candidate == 0; --seat) {
        if (m_players[seat].total >= m_targetscore)
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
            sendtoall(msg::tiegame());
            log(QStringLiteral("tie at %1 points; another round").arg(best));
            return false;
        }
    }
    const tplayer& p = m_players[candidate];
    const QByteArray name = p.name.isEmpty() ? p.fallbackname : p.name;
    sendtoall(msg::winner(name));
    log(QStringLiteral("seat %1 (%2) won with %3 points")
            .arg(candidate)
            .arg(fromWire(name))
            .arg(best));
    return true;
}

} // namespace gorse
