// What chat input may send: texts cut to the message limit in UTF-8 bytes,
// and the phrase lock.
#include "chat/chatinput.h"
#include "support/qtprint.h"

#include <gtest/gtest.h>

using namespace gorse;

TEST(ChatInput, TextsAreCutByTheirUtf8BytesWithoutSplittingACharacter)
{
    const QString cjk = QStringLiteral("\u4E2D");                // 3 bytes
    const QString emoji = QString::fromUtf8("\xF0\x9F\x98\x80"); // 4 bytes, a surrogate pair
    const QString lone = QString(QChar(0xD800));                 // counted as a replacement
    struct Case
    {
        const char* name;
        QString text;
        qsizetype limit;
        qsizetype bytes;
        QString fitted;
    };
    const Case cases[] = {
        {"ascii fits", QStringLiteral("hello"), 5, 5, QStringLiteral("hello")},
        {"ascii cut", QStringLiteral("hello"), 3, 5, QStringLiteral("hel")},
        {"two-byte letters", QStringLiteral("\u00E9\u00E9\u00E9"), 5, 6,
         QStringLiteral("\u00E9\u00E9")},
        {"cjk never half", cjk + cjk, 5, 6, cjk},
        {"emoji whole", QStringLiteral("a") + emoji, 5, 5, QStringLiteral("a") + emoji},
        {"emoji not cut in two", QStringLiteral("a") + emoji, 4, 5, QStringLiteral("a")},
        {"lone surrogate", lone + QStringLiteral("x"), 3, 4, lone},
        {"empty", QString(), 0, 0, QString()},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(utf8Length(c.text), c.bytes) << c.name;
        const QString fitted = fitUtf8(c.text, c.limit);
        EXPECT_EQ(fitted, c.fitted) << c.name;
        EXPECT_LE(fitted.toUtf8().size(), c.limit) << c.name;
    }
    // The count agrees with the encoder on long mixed text.
    QString mixed;
    for (int i = 0; i < 500; ++i)
        mixed += QStringLiteral("a\u00E9") + cjk + emoji;
    EXPECT_EQ(utf8Length(mixed), mixed.toUtf8().size());
    EXPECT_EQ(fitUtf8(mixed, kChatEntryLimit).toUtf8().size(), kChatEntryLimit - 1);
    // The entry's text, "|" and the longest colour text, or "says: " before
    // a phrase, stay within what a message carries.
    EXPECT_LE(kChatEntryLimit + int(sizeof("says: |$00FFFFFF")) - 1, kMaxChatText);
}

TEST(ChatInput, OnePhraseEveryTwoSeconds)
{
    qint64 now = 1000;
    PhraseLock lock([&] { return now; });
    EXPECT_FALSE(lock.locked());
    EXPECT_TRUE(lock.take());
    EXPECT_FALSE(lock.take()); // a quick second click is lost
    now += 1999;
    EXPECT_TRUE(lock.locked());
    EXPECT_FALSE(lock.take());
    // The lost click did not start the lock again.
    now += 1;
    EXPECT_FALSE(lock.locked());
    EXPECT_TRUE(lock.take());
    now += 5000;
    EXPECT_TRUE(lock.take());

    // The lock's own clock: taken once, then locked.
    PhraseLock real;
    EXPECT_TRUE(real.take());
    EXPECT_TRUE(real.locked());
}
