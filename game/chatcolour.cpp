#include "game/chatcolour.h"

#include <array>

namespace gorse {

namespace {

struct NamedColour
{
    QLatin1StringView name;
    ChatColour value;
};

constexpr std::array<NamedColour, 16> kNamedColours{{
    {QLatin1StringView("clBlack"), 0x000000},
    {QLatin1StringView("clMaroon"), 0x000080},
    {QLatin1StringView("clGreen"), 0x008000},
    {QLatin1StringView("clOlive"), 0x008080},
    {QLatin1StringView("clNavy"), 0x800000},
    {QLatin1StringView("clPurple"), 0x800080},
    {QLatin1StringView("clTeal"), 0x808000},
    {QLatin1StringView("clGray"), 0x808080},
    {QLatin1StringView("clSilver"), 0xC0C0C0},
    {QLatin1StringView("clRed"), 0x0000FF},
    {QLatin1StringView("clLime"), 0x00FF00},
    {QLatin1StringView("clYellow"), 0x00FFFF},
    {QLatin1StringView("clBlue"), 0xFF0000},
    {QLatin1StringView("clFuchsia"), 0xFF00FF},
    {QLatin1StringView("clAqua"), 0xFFFF00},
    {QLatin1StringView("clWhite"), 0xFFFFFF},
}};

int hexDigit(QChar c)
{
    const char16_t u = c.unicode();
    if (u >= u'0' && u <= u'9')
        return u - u'0';
    if (u >= u'A' && u <= u'F')
        return u - u'A' + 10;
    if (u >= u'a' && u <= u'f')
        return u - u'a' + 10;
    return -1;
}

} // namespace

QString colourToText(ChatColour colour)
{
    for (const NamedColour& named : kNamedColours) {
        if (named.value == colour)
            return QString(named.name);
    }
    return QLatin1Char('$') +
           QString::number(colour, 16).toUpper().rightJustified(8, QLatin1Char('0'));
}

std::optional<ChatColour> colourFromText(const QString& text)
{
    for (const NamedColour& named : kNamedColours) {
        if (text.compare(named.name, Qt::CaseInsensitive) == 0)
            return named.value;
    }
    if (!text.startsWith(QLatin1Char('$')) || text.size() < 2 || text.size() > 9)
        return std::nullopt;
    ChatColour value = 0;
    for (qsizetype i = 1; i < text.size(); ++i) {
        const int digit = hexDigit(text.at(i));
        if (digit < 0)
            return std::nullopt;
        value = (value << 4) | ChatColour(digit);
    }
    return value;
}

} // namespace gorse
