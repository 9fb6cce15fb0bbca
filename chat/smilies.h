#pragma once

// The 18 smiley images (17 by 16 pixels) shown in the chat pane for the
// codes ":)#10" to ":)#27" and offered by the smiley picker.

#include <QImage>

namespace gorse {

inline constexpr int kSmileyWidth = 17;
inline constexpr int kSmileyHeight = 16;

// Image 0..17 of the smiley list; out-of-range numbers give image 0.
QImage paintSmiley(int index);

} // namespace gorse
