#include "game/carddeck.h"

#include <chrono>

namespace gorse {

namespace {

// Beyond one of each card and one more of each letter card, the extra
// draws of the frequent letters: the first draw of each run and its card.
struct ExtraRun
{
    int from;
    int card;
};
constexpr ExtraRun kExtraRuns[] = {
    {77, 1},   // A
    {86, 4},   // D
    {90, 5},   // E
    {99, 8},   // H
    {102, 9},  // I
    {109, 12}, // L
    {112, 14}, // N
    {115, 15}, // O
    {122, 18}, // R
    {126, 19}, // S
    {131, 20}, // T
    {141, 21}, // U
};

} // namespace

int cardForDraw(int r)
{
    if (r < 1 || r > kDrawRange)
        return 0;
    // One of each card, then one more of each letter A..Z.
    constexpr int kLetters = 26;
    if (r <= kCardCount)
        return r;
    if (r <= kCardCount + kLetters)
        return r - kCardCount;
    int card = 0;
    for (const ExtraRun& run : kExtraRuns) {
        if (r >= run.from)
            card = run.card;
    }
    return card;
}

CardDeck::CardDeck(quint64 seed) : m_random(seed)
{
}

quint64 CardDeck::clockSeed()
{
    const auto now = std::chrono::system_clock::now().time_since_epoch();
    return quint64(std::chrono::duration_cast<std::chrono::nanoseconds>(now).count());
}

quint64 CardDeck::uniform(quint64 bound)
{
    // Rejection keeps every value equally likely; std::uniform_int_distribution
    // would do the same but its sequence differs between standard libraries.
    const quint64 limit = std::mt19937_64::max() - std::mt19937_64::max() % bound;
    quint64 value;
    do {
        value = m_random();
    } while (value >= limit);
    return value % bound;
}

int CardDeck::getanum()
{
    return cardForDraw(int(uniform(kDrawRange)) + 1);
}

void CardDeck::stack(const Cards& cards)
{
    m_stacked = cards;
}

void CardDeck::draw()
{
    if (m_stacked) {
        m_cards = *m_stacked;
        m_stacked.reset();
        return;
    }
    for (auto& pile : m_cards) {
        for (int& card : pile)
            card = getanum();
    }
}

int CardDeck::card(int pile, int position) const
{
    if (pile < 1 || pile > kPileCount || position < 1 || position > kPileLength)
        return 0;
    return m_cards[pile - 1][position - 1];
}

} // namespace gorse
