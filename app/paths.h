#pragma once

#include <QString>

namespace gorse {

// The folder for the settings and the tally: the executable's own folder
// when it is writable, else the user's application data folder. Never the
// current directory.
QString dataDir();

} // namespace gorse
