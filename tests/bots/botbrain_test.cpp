// The levels: what each plays, how long it thinks, when and what it
// discards, measured over many simulated rounds with the host's deck.
#include "dict/tdictn.h"
#include "game/carddeck.h"
#include "hostfixture.h"
#include "sim/botsimulation.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdio>
#include <numeric>

using namespace gorse;

namespace {

std::shared_ptr<const WordFinder> builtIn()
{
    // Built once for the whole program: it takes a tenth of a second.
    static const std::shared_ptr<const WordFinder> finder = WordFinder::builtIn();
    return finder;
}

int cardOf(const char* face)
{
    for (int card = 1; card <= kCardCount; ++card) {
        if (converttoletter(card) == face)
            return card;
    }
    ADD_FAILURE() << "no card " << face;
    return 0;
}

constexpr std::array<BotLevel, kBotLevelCount> kLevels = {BotLevel::Beginner, BotLevel::Casual,
                                                          BotLevel::Strong, BotLevel::Expert};

} // namespace

TEST(BotLevels, NamesAndSeats)
{
    for (BotLevel level : kLevels) {
        EXPECT_EQ(botLevelFromName(botLevelName(level)), level);
        EXPECT_EQ(botLevelFromName(botLevelName(level).toUpper()), level);
    }
    EXPECT_EQ(botLevelFromName(u" expert "), BotLevel::Expert);
    EXPECT_EQ(botLevelFromName(u"1"), BotLevel::Beginner);
    EXPECT_EQ(botLevelFromName(u"4"), BotLevel::Expert);
    EXPECT_EQ(botLevelFromName(u"5"), std::nullopt);
    EXPECT_EQ(botLevelFromName(u"master"), std::nullopt);
    EXPECT_EQ(botLevelFromName(u""), std::nullopt);

    const char* names[] = {"", "Kloon", "Klot", "Klock", "Kling", "Klick", "Krazy", ""};
    for (int seat = 0; seat <= 7; ++seat)
        EXPECT_EQ(botName(seat), names[seat]) << seat;
}

// Many rounds of 120 seconds per level: the points per round rise with the
// level, every word keeps to the level's caps, every look to its thinking
// time.
TEST(BotLevels, SimulatedRoundsOrderTheLevels)
{
    constexpr int kRounds = 300;
    std::array<double, kBotLevelCount> average{};
    std::array<double, kBotLevelCount> meanThink{};
    std::array<double, kBotLevelCount> wordsPerRound{};
    for (BotLevel level : kLevels) {
        SCOPED_TRACE(botLevelName(level).toStdString());
        const BotTraits& traits = botTraits(level);
        BotBrain brain(builtIn(), level, 77);
        CardDeck deck(1234); // the same deals for every level
        long long points = 0, words = 0, thinkSum = 0, looks = 0;
        for (int r = 0; r < kRounds; ++r) {
            const SimulatedRound round = simulateRound(brain, deck, 120);
            points += round.points;
            words += round.words;
            for (int ms : round.thinkMs) {
                ASSERT_GE(ms, traits.thinkMinMs);
                ASSERT_LE(ms, traits.thinkMaxMs);
                thinkSum += ms;
            }
            looks += round.looks;
            // It stops in time: its looks end before its clock does.
            ASSERT_LE(std::accumulate(round.thinkMs.begin(), round.thinkMs.end(), 0),
                      120 * 1000 - kBotStopMs);
            for (const FoundWord& w : round.played) {
                ASSERT_LE(w.letters(), traits.maxLetters) << w.word.data();
                ASSERT_LE(w.rarity, traits.maxRarity) << w.word.data();
            }
            EXPECT_EQ(round.points, [&] {
                int sum = -kDiscardPenalty * round.discards;
                for (const FoundWord& w : round.played)
                    sum += w.points;
                return sum;
            }());
        }
        const size_t i = size_t(level);
        average[i] = double(points) / kRounds;
        wordsPerRound[i] = double(words) / kRounds;
        meanThink[i] = double(thinkSum) / double(looks);
        // The thinking times spread over the range.
        EXPECT_NEAR(meanThink[i], (traits.thinkMinMs + traits.thinkMaxMs) / 2.0,
                    (traits.thinkMaxMs - traits.thinkMinMs) * 0.1);
        std::printf("%-8s %6.1f points, %4.1f words per round, %.1f s a look\n",
                    qPrintable(botLevelName(level)), average[i], wordsPerRound[i],
                    meanThink[i] / 1000);
    }
    for (size_t i = 1; i < kBotLevelCount; ++i) {
        // Clearly apart, not just in order.
        EXPECT_GT(average[i], average[i - 1] * 1.5) << i;
        EXPECT_GT(wordsPerRound[i], wordsPerRound[i - 1]) << i;
        EXPECT_LT(meanThink[i], meanThink[i - 1]) << i;
    }
}

// The Expert plays the best word the cards allow most of the time and
// something close to it otherwise; the Beginner often sees nothing at all.
TEST(BotLevels, ExpertPlaysNearTheBestBeginnerMissesALot)
{
    CardDeck deck(99);
    BotBrain expert(builtIn(), BotLevel::Expert, 5);
    BotBrain beginner(builtIn(), BotLevel::Beginner, 5);
    int best = 0, close = 0, beginnerBest = 0, beginnerBlind = 0, dealsWithWords = 0;
    for (int deal = 0; deal < 400; ++deal) {
        PileCards cards{};
        for (int& card : cards)
            card = deck.getanum();
        const std::optional<FoundWord> top = builtIn()->best(cards);
        if (!top)
            continue;
        ++dealsWithWords;
        const BotMove move = expert.decide(cards);
        ASSERT_EQ(move.kind, BotMove::Kind::Play);
        best += move.word.word == top->word;
        close += move.word.points * 2 >= top->points;
        beginner.newRound(); // patience starts afresh: every deal is a first look
        const BotMove first = beginner.decide(cards);
        beginnerBlind += first.kind == BotMove::Kind::Wait;
        beginnerBest += first.kind == BotMove::Kind::Play && first.word.word == top->word;
    }
    EXPECT_GT(best, dealsWithWords * 8 / 10);
    EXPECT_GT(close, dealsWithWords * 9 / 10);
    EXPECT_GT(beginnerBlind, dealsWithWords / 10);
    EXPECT_LT(beginnerBest, dealsWithWords / 10);
    std::printf("of %d deals: Expert played the best word %d times, a word worth half of it %d "
                "times; the Beginner %d and %d times saw nothing\n",
                dealsWithWords, best, close, beginnerBest, beginnerBlind);
}

// With nothing to play each level discards, after looking as often as its
// patience allows; the better levels throw away the hardest card.
TEST(BotLevels, DiscardsWhenNothingCanBePlayed)
{
    PileCards cards{};
    const char* faces[] = {"X", "J", "GHT", "V", "Z", "K", "CK", "W"};
    for (int i = 0; i < kPileCount; ++i)
        cards[i] = cardOf(faces[i]);
    ASSERT_TRUE(builtIn()->search(cards).empty());
    int hardest = 1;
    for (int pile = 2; pile <= kPileCount; ++pile) {
        if (builtIn()->faceWords(cards[pile - 1]) < builtIn()->faceWords(cards[hardest - 1]))
            hardest = pile;
    }

    for (BotLevel level : kLevels) {
        SCOPED_TRACE(botLevelName(level).toStdString());
        BotBrain brain(builtIn(), level, 3);
        QSet<int> discarded;
        for (int round = 0; round < 30; ++round) {
            brain.newRound();
            for (int look = 0; look < botTraits(level).patience; ++look)
                ASSERT_EQ(brain.decide(cards).kind, BotMove::Kind::Wait);
            const BotMove move = brain.decide(cards);
            ASSERT_EQ(move.kind, BotMove::Kind::Discard);
            discarded.insert(move.pile);
        }
        if (botTraits(level).sense == DiscardSense::Any)
            EXPECT_GE(discarded.size(), 4);
        else
            EXPECT_EQ(discarded, QSet<int>{hardest});
    }

    // No card at all: nothing to do.
    BotBrain brain(builtIn(), BotLevel::Expert, 3);
    EXPECT_EQ(brain.decide(PileCards{}).kind, BotMove::Kind::Wait);
}

// A word the host turned down is not tried again in that game.
TEST(BotLevels, ARefusedWordIsNotPlayedAgain)
{
    PileCards cards{};
    const char* faces[] = {"QU", "I", "T", "E", "S", "R", "A", "N"};
    for (int i = 0; i < kPileCount; ++i)
        cards[i] = cardOf(faces[i]);
    BotBrain brain(builtIn(), BotLevel::Expert, 8);
    QSet<QByteArray> played;
    for (int i = 0; i < 20; ++i) {
        const BotMove move = brain.decide(cards);
        ASSERT_EQ(move.kind, BotMove::Kind::Play);
        ASSERT_FALSE(played.contains(move.word.word)) << move.word.word.data();
        played.insert(move.word.word);
        brain.refuse(move.word.word);
    }
    brain.newGame();
    EXPECT_TRUE(played.contains(brain.decide(cards).word.word));
}

TEST(BotLevels, TheSameSeedPlaysTheSameRound)
{
    for (BotLevel level : kLevels) {
        BotBrain a(builtIn(), level, 42), b(builtIn(), level, 42), c(builtIn(), level, 43);
        CardDeck deckA(5), deckB(5), deckC(5);
        std::vector<int> thinkA, thinkC;
        int pointsA = 0, pointsB = 0;
        for (int r = 0; r < 5; ++r) {
            const SimulatedRound ra = simulateRound(a, deckA, 90);
            const SimulatedRound rb = simulateRound(b, deckB, 90);
            const SimulatedRound rc = simulateRound(c, deckC, 90);
            EXPECT_EQ(ra.thinkMs, rb.thinkMs);
            pointsA += ra.points;
            pointsB += rb.points;
            thinkA.insert(thinkA.end(), ra.thinkMs.begin(), ra.thinkMs.end());
            thinkC.insert(thinkC.end(), rc.thinkMs.begin(), rc.thinkMs.end());
        }
        EXPECT_EQ(pointsA, pointsB);
        EXPECT_NE(thinkA, thinkC);
    }
}

// A list without rarities: the levels know its words by length alone.
TEST(BotLevels, WithoutRaritiesEveryWordOfTheLengthIsKnown)
{
    auto plain =
        std::make_shared<const WordFinder>(TDictn(gorse::test::wordrecords({"ZIT", "QUIT"})));
    ASSERT_FALSE(plain->hasRarities());
    PileCards cards{};
    const char* faces[] = {"Z", "I", "T", "QU"};
    for (int i = 0; i < 4; ++i)
        cards[i] = cardOf(faces[i]);
    BotBrain brain(plain, BotLevel::Beginner, 1);
    QSet<QByteArray> played;
    for (int look = 0; look < 40; ++look) {
        const BotMove move = brain.decide(cards);
        if (move.kind == BotMove::Kind::Play)
            played.insert(move.word.word);
    }
    EXPECT_EQ(played, (QSet<QByteArray>{"ZIT", "QUIT"}));

    // With them, a Beginner leaves out a word it does not know.
    auto rated = std::make_shared<WordFinder>(TDictn(gorse::test::wordrecords({"ZIT", "QUIT"})));
    ASSERT_EQ(rated->setRarities("20\nquit\n"), 1);
    BotBrain knowing(rated, BotLevel::Beginner, 1);
    played.clear();
    for (int look = 0; look < 40; ++look) {
        const BotMove move = knowing.decide(cards);
        if (move.kind == BotMove::Kind::Play)
            played.insert(move.word.word);
    }
    EXPECT_EQ(played, QSet<QByteArray>{"QUIT"});
}
