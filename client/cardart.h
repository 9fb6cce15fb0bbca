#pragma once

// The card pictures of the board, painted in code: 74 by 107 pixels, one for
// each of the 50 cards, one for "no card" (a used-up pile) and one for an
// emptied slot (a pile whose card is in the word being built).

#include <QImage>
#include <QPixmap>

namespace gorse {

class CardArt
{
public:
    static constexpr int kWidth = 74;
    static constexpr int kHeight = 107;

    // Picture n (1..50) shows card n with its face ("Qu" for 17); picture 0
    // is drawn for card number 0. Numbers outside 0..50 give picture 0.
    static QPixmap picture(int card);
    // The look of a slot whose card is in the word.
    static QPixmap emptiedSlot();

    // The same pictures as images, painted anew (no window system needed).
    static QImage paintCard(int card);
    static QImage paintEmptiedSlot();
};

} // namespace gorse
