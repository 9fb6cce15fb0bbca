#include "chat/chatcolour.h"

#include <gtest/gtest.h>

using namespace gorse;
using namespace Qt::StringLiterals;

namespace {

struct Named
{
    const char* name;
    ChatColour value;
};

const Named kNames[] = {
    {"clBlack", 0x000000}, {"clMaroon", 0x000080}, {"clGreen", 0x008000}, {"clOlive", 0x008080},
    {"clNavy", 0x800000}, {"clPurple", 0x800080}, {"clTeal", 0x808000}, {"clGray", 0x808080},
    {"clSilver", 0xC0C0C0}, {"clRed", 0x0000FF}, {"clLime", 0x00FF00}, {"clYellow", 0x00FFFF},
    {"clBlue", 0xFF0000}, {"clFuchsia", 0xFF00FF}, {"clAqua", 0xFFFF00}, {"clWhite", 0xFFFFFF},
};

} // namespace

TEST(ChatColour, NamedColoursConvertBothWays)
{
    for (const Named& named : kNames) {
        const QString name = QLatin1StringView(named.name);
        EXPECT_EQ(colourToText(named.value), name);
        EXPECT_EQ(colourFromText(name), std::optional<ChatColour>(named.value)) << named.name;
        EXPECT_EQ(colourFromText(name.toLower()), std::optional<ChatColour>(named.value)) << named.name;
        EXPECT_EQ(colourFromText(name.toUpper()), std::optional<ChatColour>(named.value)) << named.name;
    }
}

TEST(ChatColour, OtherColoursUseEightUpperCaseHexDigits)
{
    EXPECT_EQ(colourToText(0x00ABCDEF), u"$00ABCDEF"_s);
    EXPECT_EQ(colourToText(0x00000001), u"$00000001"_s);
    EXPECT_EQ(colourToText(0xFF000000), u"$FF000000"_s);
    EXPECT_EQ(colourFromText(u"$00ABCDEF"_s), std::optional<ChatColour>(0x00ABCDEF));
    EXPECT_EQ(colourFromText(u"$00abcdef"_s), std::optional<ChatColour>(0x00ABCDEF));
    EXPECT_EQ(colourFromText(u"$ff"_s), std::optional<ChatColour>(0xFF));
    // A named colour written in the "$" form still reads as that colour.
    EXPECT_EQ(colourFromText(u"$000000FF"_s), std::optional<ChatColour>(kRed));
}

TEST(ChatColour, RoundTripKeepsEveryValue)
{
    const ChatColour values[] = {0, 1, 0x7F7F7F, 0x00F9F8F7, 0x00FF0001, 0xFFFFFFFF, 0x12345678};
    for (ChatColour value : values)
        EXPECT_EQ(colourFromText(colourToText(value)), std::optional<ChatColour>(value)) << value;
}

TEST(ChatColour, InvalidTextsGiveNothing)
{
    const char* invalid[] = {"", "$", "$123456789", "$12G45678", "$ 123", "clPink", "Black", " clBlack",
                             "clBlack ", "123", "0x00FF00", "#FF0000", "$-1"};
    for (const char* text : invalid)
        EXPECT_FALSE(colourFromText(QLatin1StringView(text)).has_value()) << text;
}

TEST(ChatColour, PartsOfAColour)
{
    const ChatColour c = 0x00F9F8F7;
    EXPECT_EQ(colourRed(c), 0xF7);
    EXPECT_EQ(colourGreen(c), 0xF8);
    EXPECT_EQ(colourBlue(c), 0xF9);
    EXPECT_EQ(colourFromRgb(0xF7, 0xF8, 0xF9), c);
}
