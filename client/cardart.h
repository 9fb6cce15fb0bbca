#pragma once

// The card pictures of the board, painted in code: 74 by 107 pixels at
// 100 %, one for each of the 50 cards, one for "no card" (a used-up pile)
// and one for an emptied slot (a pile whose card is in the word being
// built). Every size is painted afresh from the drawing, so a card is as
// sharp at 200 % or on a high-density screen as at 100 %.

#include <QImage>
#include <QPixmap>
#include <QSize>

namespace gorse {

class CardArt
{
public:
    static constexpr int kWidth = 74;
    static constexpr int kHeight = 107;

    // Picture n (1..50) shows card n with its face ("Qu" for 17); picture 0
    // is drawn for card number 0. Numbers outside 0..50 give picture 0. The
    // scale multiplies the 74 by 107 pixels; the pixmap carries the screen's
    // device pixel ratio and has that many more pixels.
    static QPixmap picture(int card, qreal scale = 1.0, qreal devicePixelRatio = 1.0);
    // The look of a slot whose card is in the word.
    static QPixmap emptiedSlot(qreal scale = 1.0, qreal devicePixelRatio = 1.0);

    // The same pictures as images, painted anew (no window system needed),
    // at a scale of the design size.
    static QImage paintCard(int card, qreal scale = 1.0);
    static QImage paintEmptiedSlot(qreal scale = 1.0);
    // The size in pixels of a picture painted at that scale.
    static QSize pixelSize(qreal scale);
};

} // namespace gorse
