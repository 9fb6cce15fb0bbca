#include "bots/bottraits.h"

#include <array>

namespace gorse {

namespace {

// Tuned with the round simulation (bench_wordfinder prints each level's
// points per round). Rarity caps are sizes of the common-word lists:
// 20 holds everyday words, 35 those of a good general vocabulary, 50 most
// words an avid reader knows.
constexpr std::array<BotTraits, kBotLevelCount> kTraits = {{
    // Beginner: short everyday words, slow, misses a lot, throws away any card.
    {4, 20, 0.30, 0.70, 0.25, 9000, 16000, 2, 0, DiscardSense::Any},
    // Casual: everyday words up to six letters.
    {6, 35, 0.45, 0.80, 0.50, 6500, 12000, 2, 0, DiscardSense::HardCard},
    // Strong: a wide vocabulary up to eight letters, rarely misses.
    {8, 50, 0.80, 0.90, 0.75, 4500, 8500, 1, 0, DiscardSense::FewestWords},
    // Expert: the whole list, close to the best word every few seconds.
    {14, 100, 1.00, 1.00, 0.85, 3000, 6000, 0, 0, DiscardSense::FewestWords},
}};

} // namespace

const BotTraits& botTraits(BotLevel level)
{
    return kTraits[size_t(level)];
}

} // namespace gorse
