#include "game/rules.h"

#include <QList>
#include <QString>
#include <climits>
#include <gtest/gtest.h>

using namespace gorse;

TEST(Rules, FacesOfHostAndClient)
{
    const QList<QByteArray> faces =
        QByteArray("A B C D E F G H I J K L M N O P QU R S T U V W X Y Z CH CK AND WH DE LD ST "
                   "SH BR TH OO EE RR EST LE GHT ED ER IES ING ION LY RE UN")
            .split(' ');
    for (int card = 1; card <= kCardCount; ++card) {
        EXPECT_EQ(converttoletter(card), faces[card - 1]) << card;
        // Only the QU card reads differently on the client.
        EXPECT_EQ(clientConvertToLetter(card),
                  card == 17 ? QStringLiteral("Qu") : QString::fromLatin1(faces[card - 1]));
    }
    for (int card : {0, -1, 51, INT_MIN, INT_MAX}) {
        EXPECT_EQ(converttoletter(card), QByteArray()) << card;
        EXPECT_EQ(clientConvertToLetter(card), QString()) << card;
    }
}

TEST(Rules, WordScoreByLetters)
{
    const int expected[] = {100, 100, 5, 10, 15, 20, 25, 30, 40, 60, 80, 100, 100};
    for (int letters = 0; letters <= 12; ++letters)
        EXPECT_EQ(wordScore(letters), expected[letters]) << letters;
}

TEST(Rules, WordPointsAddTheQuBonus)
{
    EXPECT_EQ(wordPoints(4, false), 15);
    EXPECT_EQ(wordPoints(4, true), 65);
    EXPECT_EQ(wordPoints(12, true), 150);
}

TEST(Rules, DiscardPenaltySaturatesInsteadOfOverflowing)
{
    EXPECT_EQ(discardPenalty(0), 0);
    EXPECT_EQ(discardPenalty(3), 15);
    EXPECT_EQ(discardPenalty(INT_MAX), INT_MAX);
    EXPECT_EQ(discardPenalty(INT_MIN), INT_MIN);
}

TEST(Rules, OptionRangesClampToTheirBounds)
{
    EXPECT_EQ(kPlayToScoreRange.clamp(30), 300);
    EXPECT_EQ(kPlayToScoreRange.clamp(25000), 20000);
    EXPECT_EQ(kTimePerTurnRange.clamp(1), 45);
    EXPECT_EQ(kTimePerTurnRange.clamp(77), 77);
    EXPECT_FALSE(kTimePerTurnRange.contains(INT_MIN));
}
