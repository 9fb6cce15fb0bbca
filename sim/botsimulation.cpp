#include "sim/botsimulation.h"

#include "host/gametable.h"

namespace gorse {

SimulatedRound simulateRound(BotBrain& brain, CardDeck& deck, int seconds)
{
    SimulatedRound round;
    deck.draw();
    // The seat's piles move as the host moves them.
    SeatPiles piles;
    GameTable::dealPiles(piles, deck);
    PileCards cards{};
    for (int pile = 1; pile <= kPileCount; ++pile)
        cards[pile - 1] = piles[pile - 1].card;
    auto advance = [&](int pile) {
        GameTable::advancePile(piles[pile - 1], pile, deck);
        cards[pile - 1] = piles[pile - 1].card;
    };

    brain.newRound();
    const qint64 deadline = qint64(seconds) * 1000 - kBotStopMs;
    qint64 now = 0;
    while (true) {
        const int think = brain.thinkMs();
        if (now + think > deadline)
            break;
        now += think;
        round.thinkMs.push_back(think);
        ++round.looks;
        const BotMove move = brain.decide(cards);
        if (move.kind == BotMove::Kind::Play) {
            round.points += move.word.points;
            ++round.words;
            for (int pile : move.word.piles)
                advance(pile);
            round.played.push_back(move.word);
        } else if (move.kind == BotMove::Kind::Discard) {
            round.points -= kDiscardPenalty;
            ++round.discards;
            advance(move.pile);
        }
    }
    return round;
}

} // namespace gorse
