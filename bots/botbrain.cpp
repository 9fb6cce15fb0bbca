#include "bots/botbrain.h"

#include <cmath>
#include <limits>

namespace gorse {

int BotRandom::between(int lo, int hi)
{
    if (hi <= lo)
        return lo;
    // Rejection keeps every value equally likely, the same everywhere.
    const quint64 bound = quint64(hi - lo) + 1;
    const quint64 limit = std::mt19937_64::max() - std::mt19937_64::max() % bound;
    quint64 value;
    do {
        value = m_engine();
    } while (value >= limit);
    return lo + int(value % bound);
}

bool BotRandom::chance(double probability)
{
    // 53 random bits make a double in [0, 1).
    const double draw = double(m_engine() >> 11) * (1.0 / double(quint64(1) << 53));
    return draw < probability;
}

BotBrain::BotBrain(std::shared_ptr<const WordFinder> finder, BotLevel level, quint64 seed)
    : m_finder(std::move(finder)), m_level(level), m_random(seed)
{
}

int BotBrain::thinkMs()
{
    return m_random.between(traits().thinkMinMs, traits().thinkMaxMs);
}

void BotBrain::refuse(const QByteArray& word)
{
    m_refused.insert(word);
}

void BotBrain::newRound()
{
    m_blindLooks = 0;
}

void BotBrain::newGame()
{
    m_blindLooks = 0;
    m_refused.clear();
}

BotMove BotBrain::decide(const PileCards& cards)
{
    BotMove move;
    bool anyCard = false;
    for (int card : cards)
        anyCard = anyCard || (card >= 1 && card <= kCardCount);
    if (!anyCard)
        return move;

    const BotTraits& t = traits();
    const std::vector<FoundWord> all = m_finder->search(cards);
    // Without rarities (a list the common words were not matched to) the
    // level's vocabulary is its word length alone.
    const int maxRarity = m_finder->hasRarities() ? t.maxRarity : WordFinder::kRare;
    std::vector<const FoundWord*> noticed;
    for (const FoundWord& w : all) {
        if (w.letters() > t.maxLetters || w.rarity > maxRarity || m_refused.contains(w.word))
            continue;
        if (m_random.chance(t.seeShort * std::pow(t.seeLonger, w.letters() - 2)))
            noticed.push_back(&w);
    }

    if (noticed.empty()) {
        if (++m_blindLooks <= t.patience)
            return move;
        m_blindLooks = 0;
        move.kind = BotMove::Kind::Discard;
        move.pile = chooseDiscard(cards, all);
        return move;
    }
    m_blindLooks = 0;
    // The best word it noticed, or any of them worth at least half as much.
    size_t pick = 0;
    if (!m_random.chance(t.takeBest)) {
        size_t good = 1;
        while (good < noticed.size() && noticed[good]->points * 2 >= noticed[0]->points)
            ++good;
        pick = size_t(m_random.between(0, int(good) - 1));
    }
    if (noticed[pick]->points < t.discardBelow) {
        move.kind = BotMove::Kind::Discard;
        move.pile = chooseDiscard(cards, all);
        return move;
    }
    move.kind = BotMove::Kind::Play;
    move.word = *noticed[pick];
    return move;
}

int BotBrain::chooseDiscard(const PileCards& cards, const std::vector<FoundWord>& all)
{
    QList<int> piles;
    for (int pile = 1; pile <= kPileCount; ++pile) {
        if (cards[pile - 1] >= 1 && cards[pile - 1] <= kCardCount)
            piles.append(pile);
    }
    const DiscardSense sense = traits().sense;
    if (sense == DiscardSense::Any)
        return piles.at(m_random.between(0, int(piles.size() - 1)));

    std::array<int, kPileCount + 1> inWords{};
    if (sense == DiscardSense::FewestWords) {
        for (const FoundWord& w : all) {
            for (int pile : w.piles)
                ++inWords[pile];
        }
    }
    int chosen = piles.front();
    for (int pile : piles) {
        const auto key = [&](int p) {
            return std::pair(inWords[p], m_finder->faceWords(cards[p - 1]));
        };
        if (key(pile) < key(chosen))
            chosen = pile;
    }
    return chosen;
}

} // namespace gorse
