#include "host/carddeck.h"

#include <chrono>

namespace gorse {

namespace {

constexpr const char* kFaces[kCardCount] = {
    "A",   "B",  "C",   "D",  "E",  "F",   "G",   "H",   "I",  "J",  "K",  "L",  "M",
    "N",   "O",  "P",   "QU", "R",  "S",   "T",   "U",   "V",  "W",  "X",  "Y",  "Z",
    "CH",  "CK", "AND", "WH", "DE", "LD",  "ST",  "SH",  "BR", "TH", "OO", "EE", "RR",
    "EST", "LE", "GHT", "ED", "ER", "IES", "ING", "ION", "LY", "RE", "UN",
};

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

QByteArray converttoletter(int card)
{
    if (card < 1 || card > kCardCount)
        return QByteArray();
    return QByteArray(kFaces[card - 1]);
}

QString clientconverttoletter(int card)
{
    if (card == kQuCard)
        return QStringLiteral("Qu");
    return QString::fromLatin1(converttoletter(card));
}

int cardfordraw(int r)
{
    if (r < 1 || r > kDrawRange)
        return 0;
    if (r <= 50)
        return r;
    if (r <= 76)
        return r - 50;
    int card = 0;
    for (const ExtraRun& run : kExtraRuns) {
        if (r >= run.from)
            card = run.card;
    }
    return card;
}

int wordscore(int letters)
{
    switch (letters) {
    case 2:
        return 5;
    case 3:
        return 10;
    case 4:
        return 15;
    case 5:
        return 20;
    case 6:
        return 25;
    case 7:
        return 30;
    case 8:
        return 40;
    case 9:
        return 60;
    case 10:
        return 80;
    default:
        return 100;
    }
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
    return cardfordraw(int(uniform(kDrawRange)) + 1);
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
