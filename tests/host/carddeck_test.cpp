// The card faces, the weighted draw and the round deck.
#include "host/carddeck.h"
#include <QList>

#include <cmath>
#include <gtest/gtest.h>
#include <map>

using namespace gorse;

TEST(CardDeck, FacesOfHostAndClient)
{
    const QByteArray faces =
        "A B C D E F G H I J K L M N O P QU R S T U V W X Y Z CH CK AND WH DE LD ST SH BR "
        "TH OO EE RR EST LE GHT ED ER IES ING ION LY RE UN";
    const QList<QByteArray> expected = faces.split(' ');
    for (int card = 1; card <= kCardCount; ++card)
        EXPECT_EQ(converttoletter(card), expected[card - 1]) << card;
    for (int card : {0, -1, 51, INT_MIN, INT_MAX}) {
        EXPECT_EQ(converttoletter(card), QByteArray()) << card;
        EXPECT_EQ(clientconverttoletter(card), QString()) << card;
    }
    // Only the QU card reads differently on the client.
    EXPECT_EQ(clientconverttoletter(17), QStringLiteral("Qu"));
    for (int card = 1; card <= kCardCount; ++card) {
        if (card != kQuCard) {
            EXPECT_EQ(clientconverttoletter(card), QString::fromLatin1(converttoletter(card)))
                << card;
        }
    }
}

TEST(CardDeck, DrawTableGivesEachCardItsShareOf145)
{
    std::map<int, int> share;
    for (int r = 1; r <= kDrawRange; ++r)
        ++share[cardfordraw(r)];
    const std::map<QByteArray, int> frequent = {{"T", 12}, {"A", 11}, {"E", 11}, {"I", 9},
                                                {"O", 9},  {"S", 7},  {"U", 7},  {"D", 6},
                                                {"R", 6},  {"H", 5},  {"L", 5},  {"N", 5}};
    for (int card = 1; card <= kCardCount; ++card) {
        const QByteArray face = converttoletter(card);
        const int expected = frequent.count(face) ? frequent.at(face) : card <= 26 ? 2 : 1;
        EXPECT_EQ(share[card], expected) << face.constData();
    }
    EXPECT_EQ(cardfordraw(0), 0);
    EXPECT_EQ(cardfordraw(146), 0);
}

TEST(CardDeck, FrequenciesOverManyDrawsFollowTheTable)
{
    // Fixed seed: the counts are always the same; the bound (6 standard
    // deviations) only says the generator is uniform enough.
    CardDeck deck(20240607);
    constexpr int draws = 145 * 10000;
    std::map<int, int> counts;
    for (int i = 0; i < draws; ++i)
        ++counts[deck.getanum()];
    std::map<int, int> share;
    for (int r = 1; r <= kDrawRange; ++r)
        ++share[cardfordraw(r)];
    EXPECT_EQ(counts.size(), size_t(kCardCount));
    for (int card = 1; card <= kCardCount; ++card) {
        const double p = share[card] / 145.0;
        const double expected = draws * p;
        const double sigma = std::sqrt(draws * p * (1 - p));
        EXPECT_LT(std::abs(counts[card] - expected), 6 * sigma)
            << converttoletter(card).constData();
    }
    // QU with 2 in 145, ING with 1 in 145.
    EXPECT_NEAR(counts[kQuCard] / double(draws), 2 / 145.0, 0.001);
    EXPECT_NEAR(counts[46] / double(draws), 1 / 145.0, 0.001);
}

TEST(CardDeck, RoundDeckIsReproducibleFromItsSeedAndCanBeStacked)
{
    CardDeck a(7), b(7), c(8);
    a.draw();
    b.draw();
    c.draw();
    bool differs = false;
    for (int pile = 1; pile <= kPileCount; ++pile) {
        for (int pos = 1; pos <= kPileLength; ++pos) {
            EXPECT_GE(a.card(pile, pos), 1);
            EXPECT_LE(a.card(pile, pos), kCardCount);
            EXPECT_EQ(a.card(pile, pos), b.card(pile, pos));
            differs |= a.card(pile, pos) != c.card(pile, pos);
        }
    }
    EXPECT_TRUE(differs);
    EXPECT_EQ(a.card(0, 1), 0);
    EXPECT_EQ(a.card(9, 1), 0);
    EXPECT_EQ(a.card(1, 0), 0);
    EXPECT_EQ(a.card(1, 33), 0);

    CardDeck::Cards cards{};
    for (auto& pile : cards)
        pile.fill(kQuCard);
    cards[7][31] = 50;
    a.stack(cards);
    a.draw();
    EXPECT_EQ(a.card(1, 1), kQuCard);
    EXPECT_EQ(a.card(8, 32), 50);
    // A stacked deck is dealt once; the next draw is random again, and
    // stacking did not use up random numbers.
    a.draw();
    b.draw();
    EXPECT_EQ(a.card(3, 3), b.card(3, 3));
}

TEST(CardDeck, WordScoreByLetters)
{
    const int expected[] = {100, 100, 5, 10, 15, 20, 25, 30, 40, 60, 80, 100, 100};
    for (int letters = 0; letters <= 12; ++letters)
        EXPECT_EQ(wordscore(letters), expected[letters]) << letters;
}
