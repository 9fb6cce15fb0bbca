// The weighted draw and the round deck.
#include "game/carddeck.h"
#include <QList>

#include <climits>
#include <cmath>
#include <gtest/gtest.h>
#include <map>

using namespace gorse;

TEST(CardDeck, DrawsFollowEachCardsShareOf145)
{
    std::map<int, int> share;
    for (int r = 1; r <= kDrawRange; ++r)
        ++share[cardForDraw(r)];
    EXPECT_EQ(cardForDraw(0), 0);
    EXPECT_EQ(cardForDraw(146), 0);
    const std::map<QByteArray, int> frequent = {{"T", 12}, {"A", 11}, {"E", 11}, {"I", 9},
                                                {"O", 9},  {"S", 7},  {"U", 7},  {"D", 6},
                                                {"R", 6},  {"H", 5},  {"L", 5},  {"N", 5}};
    // Fixed seed: the counts are always the same; the bound (6 standard
    // deviations) only says the generator is uniform enough.
    CardDeck deck(20240607);
    constexpr int draws = 145 * 10000;
    std::map<int, int> counts;
    for (int i = 0; i < draws; ++i)
        ++counts[deck.getanum()];
    EXPECT_EQ(counts.size(), size_t(kCardCount));
    for (int card = 1; card <= kCardCount; ++card) {
        const QByteArray face = converttoletter(card);
        const int expected = frequent.count(face) ? frequent.at(face) : card <= 26 ? 2 : 1;
        EXPECT_EQ(share[card], expected) << face.constData();
        const double p = expected / 145.0;
        EXPECT_LT(std::abs(counts[card] - draws * p), 6 * std::sqrt(draws * p * (1 - p)))
            << face.constData();
    }
}

TEST(CardDeck, RoundDeckComesFromTheSeedUnlessStacked)
{
    CardDeck a(7), b(7), c(8);
    CardDeck::Cards stacked{};
    stacked[7][31] = 50;
    a.stack(stacked);
    a.draw();
    EXPECT_EQ(a.card(8, 32), 50);
    EXPECT_EQ(a.card(1, 1), 0);
    // The stacked deck is dealt once, without using up random numbers.
    a.draw();
    b.draw();
    c.draw();
    int same = 0;
    for (int pile = 1; pile <= kPileCount; ++pile) {
        for (int pos = 1; pos <= kPileLength; ++pos) {
            EXPECT_EQ(a.card(pile, pos), b.card(pile, pos));
            EXPECT_TRUE(a.card(pile, pos) >= 1 && a.card(pile, pos) <= kCardCount);
            same += a.card(pile, pos) == c.card(pile, pos);
        }
    }
    EXPECT_LT(same, 64); // another seed, another deck
    for (auto [pile, pos] : {std::pair{0, 1}, {9, 1}, {1, 0}, {1, 33}})
        EXPECT_EQ(a.card(pile, pos), 0) << pile << "/" << pos;
}
