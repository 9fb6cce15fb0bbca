#pragma once

// A computer player's round without a network or a clock, for measuring and
// comparing the levels quickly.

#include "bots/botbrain.h"

#include <vector>

namespace gorse {

class CardDeck;

// One round played by a brain alone, with the host's rules and no network:
// a fresh deck, a look after every thinking time while the clock allows,
// and the cards of the used piles advanced as the host does.
struct SimulatedRound
{
    int points = 0;
    int words = 0;
    int discards = 0;
    int looks = 0;
    std::vector<int> thinkMs;
    std::vector<FoundWord> played;
};
SimulatedRound simulateRound(BotBrain& brain, CardDeck& deck, int seconds);

} // namespace gorse
