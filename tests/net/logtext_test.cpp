// Log values: a player's name or word can never break a log line in two or
// pass for another key=value pair.
#include "net/logtext.h"

#include <gtest/gtest.h>

using namespace gorse;

TEST(LogText, ValuesAreTokensOrQuoted)
{
    const struct
    {
        QString value;
        QString logged;
    } cases[] = {
        {QStringLiteral("Ann"), QStringLiteral("Ann")},
        {QStringLiteral("127.0.0.1"), QStringLiteral("127.0.0.1")},
        {QStringLiteral("0,5,10"), QStringLiteral("0,5,10")},
        {QString(), QStringLiteral("\"\"")},
        {QStringLiteral("Ann Lee"), QStringLiteral("\"Ann Lee\"")},
        {QStringLiteral("x=1"), QStringLiteral("\"x=1\"")},
        {QStringLiteral("say \"hi\" \\o/"), QStringLiteral("\"say \\\"hi\\\" \\\\o/\"")},
        {QStringLiteral("Eve\nts=0 event=winner"), QStringLiteral("\"Eve\\nts=0 event=winner\"")},
        {QStringLiteral("a\rb\tc"), QStringLiteral("\"a\\rb\\tc\"")},
        {QStringLiteral("bell\x07") + QChar(0x7f), QStringLiteral("\"bell\\x07\\x7f\"")},
        {QStringLiteral("line") + QChar(0x2028) + QChar(0x85),
         QStringLiteral("\"line\\u2028\\x85\"")},
        {QStringLiteral("Zoë"), QStringLiteral("\"Zoë\"")},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(logValue(c.value), c.logged) << c.value.toStdString();
        EXPECT_FALSE(logValue(c.value).contains(u'\n'));
    }
    EXPECT_EQ(logPair(u"name", QStringLiteral("Bo Ek")) + logPair(u"seat", 3),
              QStringLiteral(" name=\"Bo Ek\" seat=3"));
}
