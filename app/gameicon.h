#pragma once

#include <QIcon>
#include <QList>
#include <QSize>
#include <QString>
#include <utility>

namespace gorse {

// An icon drawn from one image file per size, each file read only when the
// icon is first drawn: window systems that show no window icon (Wayland,
// the offscreen one) never decode them, and the others read them all at
// once, as a plain QIcon would.
QIcon lazyIcon(const QList<std::pair<QSize, QString>>& files);

// The game's icon, from the embedded images of 16 to 256 pixels.
QIcon gameIcon();

} // namespace gorse
