// The player's options: ranges, stepping, phrases, and what is announced.
#include "settings/gameoptions.h"

#include <QSignalSpy>
#include <climits>
#include <gtest/gtest.h>

using namespace gorse;

namespace {

// The positions reached by stepping one way n times from where it is.
QList<int> walk(GameOptions& o, bool score, int steps, int n)
{
    QList<int> seen;
    for (int i = 0; i < n; ++i) {
        if (score) {
            o.stepPlayToScore(steps);
            seen.append(o.playToScore());
        } else {
            o.stepTimePerTurn(steps);
            seen.append(o.timePerTurn());
        }
    }
    return seen;
}

} // namespace

TEST(GameOptions, StartsWithTheBuiltInStates)
{
    GameOptions o;
    EXPECT_EQ(o.textSize(), 10);
    EXPECT_EQ(o.textColour(), kBlack);
    EXPECT_FALSE(o.warning());
    EXPECT_FALSE(o.turnSoundNew());
    EXPECT_TRUE(o.playSounds());
    EXPECT_TRUE(o.playChatterSounds());
    EXPECT_EQ(o.playToScore(), 500);
    EXPECT_EQ(o.timePerTurn(), 120);
    EXPECT_EQ(o.phrase(1), QStringLiteral("Way To Go!"));
    EXPECT_EQ(o.phrase(9), QStringLiteral("Good Game Everyone!"));
    EXPECT_EQ(o.phrase(10), QStringLiteral("/me waves \"Good-Bye\""));
    EXPECT_TRUE(o.windowBounds().isNull());
}

TEST(GameOptions, GameValuesStayInTheirRangesAndStepFromWhereTheyAre)
{
    GameOptions o;
    for (auto [given, expected] : {std::pair{30, 300},
                                   {299, 300},
                                   {20001, 20000},
                                   {INT_MIN, 300},
                                   {INT_MAX, 20000},
                                   {750, 750}}) {
        o.setPlayToScore(given);
        EXPECT_EQ(o.playToScore(), expected) << given;
    }
    for (auto [given, expected] : {std::pair{1, 45}, {121, 120}, {77, 77}}) {
        o.setTimePerTurn(given);
        EXPECT_EQ(o.timePerTurn(), expected) << given;
    }
    o.setTimePerTurn(120);
    EXPECT_EQ(walk(o, false, -1, 9), (QList<int>{110, 100, 90, 80, 70, 60, 50, 45, 45}));
    EXPECT_EQ(walk(o, false, +1, 8), (QList<int>{55, 65, 75, 85, 95, 105, 115, 120}));
    o.setPlayToScore(750);
    EXPECT_EQ(walk(o, true, +1, 2), (QList<int>{850, 950}));
    o.setPlayToScore(19950);
    EXPECT_EQ(walk(o, true, +1, 2), (QList<int>{20000, 20000}));
    // A step count that would overflow still stops at the bound.
    o.stepPlayToScore(INT_MIN);
    EXPECT_EQ(o.playToScore(), 300);
}

TEST(GameOptions, AnnouncesChangesOnlyWhenTheValueChanges)
{
    GameOptions o;
    QSignalSpy changed(&o, &GameOptions::changed);
    QSignalSpy saves(&o, &GameOptions::saveRequested);
    o.setWarning(true);
    o.setWarning(true);
    o.setPlayToScore(500); // already there
    o.setPlayToScore(30);  // becomes 300
    o.setPlayToScore(10);  // still 300
    EXPECT_FALSE(o.setTextSize(0));
    EXPECT_FALSE(o.setTextSize(201));
    EXPECT_TRUE(o.setTextSize(9));
    o.setPhrase(3, QString());
    o.setPhrase(11, QStringLiteral("ignored"));
    ASSERT_EQ(changed.size(), 4);
    EXPECT_EQ(changed[0][0].value<GameOptions::Option>(), GameOptions::Option::Warning);
    EXPECT_EQ(changed[1][0].value<GameOptions::Option>(), GameOptions::Option::PlayToScore);
    EXPECT_EQ(changed[2][0].value<GameOptions::Option>(), GameOptions::Option::TextSize);
    EXPECT_EQ(changed[3][0].value<GameOptions::Option>(), GameOptions::Option::Phrase);
    EXPECT_EQ(o.phrase(3), QString());
    EXPECT_EQ(GameOptions::builtInPhrase(3), QStringLiteral("Nice Try!"));
    EXPECT_EQ(o.phrase(11), QString());
    // Applying values never writes the settings; only save() asks for it.
    EXPECT_EQ(saves.size(), 0);
    o.save();
    EXPECT_EQ(saves.size(), 1);
}
