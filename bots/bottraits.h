#pragma once

// What sets the computer players' levels apart.

#include "game/botlevel.h"

namespace gorse {

// How a computer player picks the card it throws away.
enum class DiscardSense {
    Any,        // any pile
    HardCard,   // the card whose face is in the fewest words of the list
    FewestWords // the pile in the fewest words these cards allow, then the hard card
};

struct BotTraits
{
    int maxLetters = 0; // it plays no longer word
    int maxRarity = 0;  // it knows no rarer word (WordFinder rarity)
    // Chance to notice a word it knows on one look: seeShort for a word of
    // two letters, times seeLonger for every further letter.
    double seeShort = 0;
    double seeLonger = 0;
    // Chance to play the best word it noticed; otherwise any of them worth
    // at least half as much.
    double takeBest = 0;
    // Thinking time of one look, drawn evenly from this range.
    int thinkMinMs = 0;
    int thinkMaxMs = 0;
    // Looks in a row that find nothing before it discards instead.
    int patience = 0;
    // It rather discards than play a word worth fewer points (0: never).
    int discardBelow = 0;
    DiscardSense sense = DiscardSense::Any;
};

const BotTraits& botTraits(BotLevel level);

} // namespace gorse
