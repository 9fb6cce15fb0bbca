#pragma once

#include <QString>

namespace gorse {

// The folder for the settings and the tally: the executable's own folder
// when it is writable, else the user's application data folder. Never the
// current directory. An installed copy (one whose prefix holds the game's
// software-centre description) always uses the application data folder.
QString dataDir();
// The same for a program in the given folder.
QString dataDirFor(const QString& programDir);

} // namespace gorse
