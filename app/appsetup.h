#pragma once

namespace gorse {

// The application's name and quitting rule, set once after the
// application object exists and before any window. No display name is set:
// the window system would append it to every window's title, and each
// window's title already names the game.
void setUpApplication();

} // namespace gorse
