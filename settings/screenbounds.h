#pragma once

// Where a window may stand: bounds brought back onto the screens, and the
// bounds stored at closing.

#include <QList>
#include <QRect>
#include <QSize>

namespace gorse {

// Bounds (frame included) that a player can reach: unchanged when enough
// of the window's top strip (where its title bar is) shows on one of the
// screens; otherwise moved, size kept, onto the nearest screen, its top left
// corner inside that screen. Unchanged when there are no screens.
QRect ontoScreens(const QRect& bounds, const QList<QRect>& screens);

// Where a window of the given size (frame included) opens beside window
// (frame included) without covering keepClear, the part of window that
// must stay in view, on the screens' work areas: to window's right with the
// top edges level when it fits on a screen there, else to its left (made
// no taller than the screen). When neither side has room, in the largest
// free space of keepClear's screen beside, below or above keepClear, made
// smaller to fit but never below minimum (it may then cover a part of
// keepClear, as little as that size allows). With no screens: to the right.
QRect besideWindow(const QSize& size, const QRect& window, const QRect& keepClear,
                   const QList<QRect>& screens, const QSize& minimum);

// The bounds stored when the window closes: 15 pixels narrower when it is
// wider than the desktop's work area, 15 pixels lower when it is taller.
QRect shrinkForWorkArea(const QRect& bounds, const QRect& workArea);

} // namespace gorse
