#include "game/chatcolour.h"

#include <gtest/gtest.h>

using namespace gorse;
using Text = std::optional<ChatColour>;

TEST(ChatColour, NamedColoursConvertBothWaysInAnyCase)
{
    const std::pair<const char*, ChatColour> named[] = {
        {"clBlack", 0x000000}, {"clMaroon", 0x000080},  {"clGreen", 0x008000},
        {"clOlive", 0x008080}, {"clNavy", 0x800000},    {"clPurple", 0x800080},
        {"clTeal", 0x808000},  {"clGray", 0x808080},    {"clSilver", 0xC0C0C0},
        {"clRed", 0x0000FF},   {"clLime", 0x00FF00},    {"clYellow", 0x00FFFF},
        {"clBlue", 0xFF0000},  {"clFuchsia", 0xFF00FF}, {"clAqua", 0xFFFF00},
        {"clWhite", 0xFFFFFF},
    };
    for (const auto& [text, value] : named) {
        const QString name = QLatin1StringView(text);
        EXPECT_EQ(colourToText(value), name);
        for (const QString& written : {name, name.toLower(), name.toUpper()})
            EXPECT_EQ(colourFromText(written), Text(value)) << text;
    }
}

TEST(ChatColour, DollarFormRoundTripAndInvalidTexts)
{
    const std::pair<const char*, ChatColour> dollar[] = {
        {"$00ABCDEF", 0x00ABCDEF}, {"$00000001", 1}, {"$FF000000", 0xFF000000}};
    for (const auto& [text, value] : dollar) {
        EXPECT_EQ(colourToText(value), QLatin1StringView(text));
        EXPECT_EQ(colourFromText(QLatin1StringView(text)), Text(value)) << text;
    }
    EXPECT_EQ(colourFromText(QStringLiteral("$00abcdef")), Text(0x00ABCDEF));
    EXPECT_EQ(colourFromText(QStringLiteral("$ff")), Text(0xFF));
    EXPECT_EQ(colourFromText(QStringLiteral("$000000FF")),
              Text(kRed)); // a named colour in "$" form

    for (ChatColour value : {0u, 0x7F7F7Fu, 0x00F9F8F7u, 0x00FF0001u, 0xFFFFFFFFu, 0x12345678u})
        EXPECT_EQ(colourFromText(colourToText(value)), Text(value)) << value;

    for (const char* text : {"", "$", "$123456789", "$12G45678", "$ 123", "clPink", "Black",
                             " clBlack", "clBlack ", "123", "0x00FF00", "#FF0000", "$-1"})
        EXPECT_FALSE(colourFromText(QLatin1StringView(text)).has_value()) << text;
}
