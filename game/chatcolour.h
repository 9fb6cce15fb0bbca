#pragma once

// Chat colours: 32-bit values in the 0x00BBGGRR form, and their colour text
// on the wire and in the settings file.

#include <QString>
#include <QtGlobal>
#include <optional>

namespace gorse {

using ChatColour = quint32;

inline constexpr ChatColour kBlack = 0x000000;
inline constexpr ChatColour kMaroon = 0x000080;
inline constexpr ChatColour kGreen = 0x008000;
inline constexpr ChatColour kNavy = 0x800000;
inline constexpr ChatColour kSilver = 0xC0C0C0;
inline constexpr ChatColour kRed = 0x0000FF;
inline constexpr ChatColour kBlue = 0xFF0000;

// Colour of the lines this client makes itself.
inline constexpr ChatColour kSystemColour = kBlue;
// Colour of a relayed line whose colour is missing or does not convert.
inline constexpr ChatColour kFallbackColour = kRed;

// The colour's name ("clBlack" ... "clWhite") when it is one of the sixteen
// named colours, otherwise "$" and eight upper-case hexadecimal digits.
QString colourToText(ChatColour colour);

// A colour name in any letter case, or "$" followed by one to eight
// hexadecimal digits in either case. Nothing for any other text.
std::optional<ChatColour> colourFromText(const QString& text);

// The red, green and blue parts of a colour.
constexpr int colourRed(ChatColour c)
{
    return int(c & 0xFF);
}
constexpr int colourGreen(ChatColour c)
{
    return int((c >> 8) & 0xFF);
}
constexpr int colourBlue(ChatColour c)
{
    return int((c >> 16) & 0xFF);
}
constexpr ChatColour colourFromRgb(int r, int g, int b)
{
    return ChatColour(r & 0xFF) | (ChatColour(g & 0xFF) << 8) | (ChatColour(b & 0xFF) << 16);
}

} // namespace gorse
