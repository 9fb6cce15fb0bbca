#pragma once

// Message text on the wire: the terminator, UTF-8, and cleaning what a
// player gives before it goes out.

#include <QByteArray>
#include <QString>

namespace gorse {

// The message text followed by the terminator, ready for TSock::Send.
QByteArray frame(QByteArray message);

// Text on the wire is UTF-8, which never contains the terminator byte.
QByteArray toWire(const QString& text);
QString fromWire(const QByteArray& bytes);
// The longest start of text whose UTF-8 takes at most maxBytes bytes; never
// cuts a character (nor a surrogate pair) in two.
QString cutToUtf8(const QString& text, int maxBytes);
// The longest start of UTF-8 bytes of at most maxBytes that does not end
// inside a character.
QByteArray cutUtf8(const QByteArray& bytes, int maxBytes);
// A player name as given on the command line: no "+" and no 0xFF byte.
QByteArray cleanPlayerName(const QByteArray& raw);
// A chat text before sending: no 0xFF byte.
QByteArray cleanChatText(const QByteArray& raw);

} // namespace gorse
