#pragma once

// The game's rules that the host and every client must agree on: the table's
// size, the piles, the card faces, the scoring and the version text. Both
// sides read them from here and nowhere else.

#include <QByteArray>
#include <QString>

namespace gorse {

// The version text a client sends at login and the host compares; the about
// window and the build's project version read it from here.
inline constexpr char kVersionText[] = "1.2.0";

// Connection numbers 1..6 are the seats of the table, 7..9 the spies.
inline constexpr int kSeatCount = 6;
inline constexpr int kSpyCount = 3;
inline constexpr int kConnectionCount = kSeatCount + kSpyCount;

// Every round deals eight piles of 32 cards; positions past 32 mean used up.
inline constexpr int kPileCount = 8;
inline constexpr int kPileLength = 32;

// Card numbers 1..50 (0 is no card); 17 is the two-letter card "QU".
inline constexpr int kCardCount = 50;
inline constexpr int kQuCard = 17;

// Scoring: a word's points by its number of letters, 50 more for a word that
// uses the QU card; a discarded card costs 5 points.
inline constexpr int kQuBonus = 50;
inline constexpr int kDiscardPenalty = 5;

// The host's round clock outlasts the clients' turn clock by 4 seconds, and
// waits 15 seconds between a round's end and the next round.
inline constexpr int kRoundExtraSeconds = 4;
inline constexpr int kRoundPauseSeconds = 15;

// The two values of a game that the starting player chooses, with the range
// and step of the options dialog and its initial position.
struct OptionRange
{
    int minimum;
    int maximum;
    int step;
    int initial;
    constexpr bool contains(int value) const { return value >= minimum && value <= maximum; }
    constexpr int clamp(int value) const
    {
        return value < minimum ? minimum : value > maximum ? maximum : value;
    }
    // The position an up-down reaches from `from` after `steps` steps of the
    // increment, stopping at the bounds: from 45 upwards 55, 65 ... 115, 120.
    constexpr int stepFrom(int from, int steps) const
    {
        const long long to = static_cast<long long>(from) + static_cast<long long>(steps) * step;
        return to < minimum ? minimum : to > maximum ? maximum : int(to);
    }
};
inline constexpr OptionRange kPlayToScoreRange{300, 20000, 100, 500};
inline constexpr OptionRange kTimePerTurnRange{45, 120, 10, 120};

// The longest chat, action or phrase text, in bytes of UTF-8: 1,000
// characters of plain text, fewer of scripts that take more bytes. The chat
// entry and the phrase editor stop there, and the host relays nothing
// longer. A chat body adds "|" and the colour text ("clFuchsia",
// "$00BBGGRR") behind the text.
inline constexpr int kMaxChatText = 1000;
inline constexpr int kMaxColourText = 9;
inline constexpr int kMaxChatBody = kMaxChatText + 1 + kMaxColourText;
// The longest player name the host keeps, in bytes of UTF-8; a longer one
// is cut there.
inline constexpr int kMaxNameBytes = 100;

constexpr bool isSeat(int n)
{
    return n >= 1 && n <= kSeatCount;
}
constexpr bool isSpy(int n)
{
    return n > kSeatCount && n <= kConnectionCount;
}
constexpr bool isConnection(int n)
{
    return n >= 1 && n <= kConnectionCount;
}
constexpr bool isPile(int n)
{
    return n >= 1 && n <= kPileCount;
}

// The face of a card as the host spells it: "A".."Z" with "QU" for 17, then
// the letter groups "CH".."UN" for 27..50; empty for any other number.
QByteArray converttoletter(int card);
// The client's twin of converttoletter, used to show the word being built:
// the same faces except that 17 reads "Qu".
QString clientConvertToLetter(int card);

// Points for a word of the given number of letters, without the QU bonus:
// 5 for two letters up to 100 for more than ten (and for any count the
// word list cannot hold).
int wordScore(int letters);
// The points the host gives a word: wordScore plus the QU bonus.
int wordPoints(int letters, bool usesQu);
// The points taken for a number of discards, saturating instead of
// overflowing for counts no honest host sends.
int discardPenalty(int discards);

} // namespace gorse
