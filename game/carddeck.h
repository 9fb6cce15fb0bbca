#pragma once

#include "game/rules.h"

#include <QtGlobal>
#include <array>
#include <optional>
#include <random>

namespace gorse {

inline constexpr int kDrawRange = 145; // getanum draws uniformly from 1..145

// The card for a draw r of 1..145 (the weighting table); 0 outside that range.
int cardForDraw(int r);

// The random card source and the round deck: 8 piles of 32 cards, the same
// for every seat. Cards are drawn independently with the fixed weights of
// cardForDraw; the sequence depends only on the seed.
class CardDeck
{
public:
    using Cards = std::array<std::array<int, kPileLength>, kPileCount>; // [pile-1][position-1]

    explicit CardDeck(quint64 seed);

    // A seed taken from the clock, for a program that was given none.
    static quint64 clockSeed();

    // Draws one card number, 1..50.
    int getanum();
    // Draws a fresh round deck: pile 1 to 8, position 1 to 32.
    void draw();
    // Makes the next draw() deal exactly these cards, without drawing (for
    // setting up a game with known cards).
    void stack(const Cards& cards);
    // The card at a position (1..32) of a pile (1..8); 0 outside the deck.
    int card(int pile, int position) const;

private:
    // A uniform integer in 0..bound-1, the same on every platform.
    quint64 uniform(quint64 bound);

    std::mt19937_64 m_random;
    Cards m_cards{};
    std::optional<Cards> m_stacked;
};

} // namespace gorse
