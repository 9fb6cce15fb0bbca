#pragma once

// Small helpers the windows share for the game's look: colours given in the
// game's 0x00BBGGRR form, and the Arial fonts of the table.

#include "game/chatcolour.h"

#include <QColor>
#include <QFont>

namespace gorse {

QColor toQColor(ChatColour colour);
ChatColour fromQColor(const QColor& colour);

// Arial at a pixel size (the table's labels are laid out in pixels).
QFont arialFont(int pixelSize, bool bold = false);

} // namespace gorse
