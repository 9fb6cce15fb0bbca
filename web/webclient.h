#pragma once

// The browser client's files, built into the program that links
// gorse_webclient: ":/web/index.html", ":/web/app.js", ":/web/style.css"
// and ":/web/sounds/NAME.wav".

#include <QString>

namespace gorse {

// The resource folder that holds the page (":/web/"), with a trailing slash.
inline constexpr char kWebClientRoot[] = ":/web/";

// Whether the page is there (a program linked without the browser client
// has no such resources).
bool webClientBuiltIn();

} // namespace gorse
