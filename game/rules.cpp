#include "game/rules.h"

#include <climits>

namespace gorse {

namespace {

constexpr const char* kFaces[kCardCount] = {
    "A",   "B",  "C",   "D",  "E",  "F",   "G",   "H",   "I",  "J",  "K",  "L",  "M",
    "N",   "O",  "P",   "QU", "R",  "S",   "T",   "U",   "V",  "W",  "X",  "Y",  "Z",
    "CH",  "CK", "AND", "WH", "DE", "LD",  "ST",  "SH",  "BR", "TH", "OO", "EE", "RR",
    "EST", "LE", "GHT", "ED", "ER", "IES", "ING", "ION", "LY", "RE", "UN",
};

} // namespace

QByteArray converttoletter(int card)
{
    if (card < 1 || card > kCardCount)
        return QByteArray();
    return QByteArray(kFaces[card - 1]);
}

QString clientConvertToLetter(int card)
{
    if (card == kQuCard)
        return QStringLiteral("Qu");
    return QString::fromLatin1(converttoletter(card));
}

int wordScore(int letters)
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

int wordPoints(int letters, bool usesQu)
{
    return wordScore(letters) + (usesQu ? kQuBonus : 0);
}

int discardPenalty(int discards)
{
    const long long penalty = static_cast<long long>(discards) * kDiscardPenalty;
    if (penalty > INT_MAX)
        return INT_MAX;
    if (penalty < INT_MIN)
        return INT_MIN;
    return int(penalty);
}

} // namespace gorse
