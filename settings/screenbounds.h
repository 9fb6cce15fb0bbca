#pragma once

// Where a window may stand: bounds brought back onto the screens, and the
// bounds stored at closing.

#include <QList>
#include <QRect>

namespace gorse {

// Bounds (frame included) that a player can reach: unchanged when enough
// of the window's top strip (where its title bar is) shows on one of the
// screens; otherwise moved, size kept, onto the nearest screen, its top left
// corner inside that screen. Unchanged when there are no screens.
QRect ontoScreens(const QRect& bounds, const QList<QRect>& screens);

// The bounds stored when the window closes: 15 pixels narrower when it is
// wider than the desktop's work area, 15 pixels lower when it is taller.
QRect shrinkForWorkArea(const QRect& bounds, const QRect& workArea);

} // namespace gorse
