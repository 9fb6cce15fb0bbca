#pragma once

// What a computer player makes of its cards: how long it thinks, which word
// it plays, when and what it discards. No sockets and no clock: the network
// player (Bot) and the round simulation both drive it.

#include "bots/bottraits.h"
#include "bots/wordfinder.h"

#include <QSet>
#include <memory>
#include <random>

namespace gorse {

// A computer player stops this long before its clock runs out, so that its
// last word is with the host in time.
inline constexpr int kBotStopMs = 1500;

// The random source of one computer player: the same seed gives the same
// sequence on every platform.
class BotRandom
{
public:
    explicit BotRandom(quint64 seed) : m_engine(seed) {}
    // An integer in lo..hi (both included).
    int between(int lo, int hi);
    // True with the given probability.
    bool chance(double probability);

private:
    std::mt19937_64 m_engine;
};

struct BotMove
{
    enum class Kind { Wait, Play, Discard };
    Kind kind = Kind::Wait;
    FoundWord word; // Play: the word and its piles
    int pile = 0;   // Discard: the pile 1..8
};

class BotBrain
{
public:
    BotBrain(std::shared_ptr<const WordFinder> finder, BotLevel level, quint64 seed);

    BotLevel level() const { return m_level; }
    const BotTraits& traits() const { return botTraits(m_level); }

    // The time the next look takes.
    int thinkMs();
    // Looks at the cards once: a word to play, a pile to discard, or
    // nothing yet (another look follows).
    BotMove decide(const PileCards& cards);
    // The host did not take this word (its list differs): never again.
    void refuse(const QByteArray& word);
    void newRound();
    void newGame();

private:
    int chooseDiscard(const PileCards& cards, const std::vector<FoundWord>& all);

    std::shared_ptr<const WordFinder> m_finder;
    BotLevel m_level;
    BotRandom m_random;
    int m_blindLooks = 0;
    QSet<QByteArray> m_refused;
};

} // namespace gorse
