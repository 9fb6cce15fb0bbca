#pragma once

#include <QString>

namespace gorse {

// What the board asks of the tally: the three record values it compares new
// results with, and the records it offers. The board calls these only for a
// seated player.
class TallyHooks
{
public:
    // Tally columns the board uses.
    static constexpr int kLongestWord = 3; // the word and its length
    static constexpr int kBestWord = 5;    // the word and its points
    static constexpr int kWordCount = 7;   // one more word made
    static constexpr int kTurnScore = 8;   // the turn's description and score

    virtual ~TallyHooks() = default;

    // The current record value of column 3, 5 or 8 (0 before any record).
    virtual int recordValue(int column) const = 0;
    // A new record for column 3, 5 or 8: text in that column, number in the
    // next one.
    virtual void addword(const QString& text, int number, int column) = 0;
    // One more word made (column 7).
    virtual void anotherword(int column) = 0;
    // A finished game: "addtomine" when the player won, otherwise the
    // winner's name.
    virtual void addgame(const QString& winner) = 0;
};

} // namespace gorse
