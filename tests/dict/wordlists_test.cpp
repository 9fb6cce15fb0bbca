// The two built-in word lists as committed, and the choice between them.

#include "dict/tdictn.h"
#include "support/reviewedslurs.h"

#include <QFile>
#include <gtest/gtest.h>

#include <initializer_list>

using gorse::TDictn;
using BuiltinList = TDictn::BuiltinList;
using gorse::test::reviewedSlurs;

namespace {

QByteArray readFile(const char* path)
{
    QFile file(QString::fromUtf8(path));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QList<QByteArray> slurs()
{
    return reviewedSlurs(QStringLiteral(GORSE_SOURCE_DIR "/tools/wordlist-slurs.txt"));
}

QByteArray word(const QByteArray& list, qsizetype i)
{
    return list.mid(i * TDictn::recordsize + 1, TDictn::recordsize - 1).trimmed();
}

// Ordinary short words every English player expects.
constexpr std::initializer_list<const char*> ordinaryShortWords = {
    "AM",  "AN",  "AS",  "AT",  "BE",  "BY",  "DO",  "GO",  "HE",  "HI",  "IF",  "IN",  "IS",
    "IT",  "ME",  "MY",  "NO",  "OF",  "OH",  "ON",  "OR",  "SO",  "TO",  "UP",  "US",  "WE",
    "OX",  "AX",  "ID",  "PA",  "MA",  "YE",  "ACE", "BOX", "CAT", "DOG", "EGG", "FIX", "GYM",
    "HEX", "ICY", "JAM", "KEY", "LAB", "MIX", "NTH", "OAK", "PUB", "SKY", "THE", "ZOO"};
// Words of word games that the standard list keeps through its exceptions.
constexpr std::initializer_list<const char*> keptByException = {"QI",  "ZA",  "XU",  "AI", "EF",
                                                                "QAT", "ZAX", "CWM", "ZZZ"};
// Abbreviations, plurals of letters and rare entries of the large list
// that the standard list drops.
constexpr std::initializer_list<const char*> largeOnly = {
    "MS", "BS", "KB", "LN", "LX", "QS", "XS", "ZS",  "CS",  "ES",  "SS",  "MB",
    "MF", "LM", "DE", "ET", "PS", "FE", "NA", "ECU", "CSC", "DKL", "HHD", "AEQ"};

} // namespace

TEST(WordLists, SizesAreWithinTheirBounds)
{
    const QByteArray standard = readFile(GORSE_WORDLIST_FILE);
    const QByteArray large = readFile(GORSE_LARGE_WORDLIST_FILE);
    ASSERT_EQ(standard.size() % TDictn::recordsize, 0);
    ASSERT_EQ(large.size() % TDictn::recordsize, 0);
    const qsizetype nstandard = standard.size() / TDictn::recordsize;
    const qsizetype nlarge = large.size() / TDictn::recordsize;
    EXPECT_GT(nstandard, 230000);
    EXPECT_LT(nstandard, nlarge);
    // The large list: SCOWL up to size 80, as the game has always shipped.
    EXPECT_GT(nlarge, 235000);
    EXPECT_LT(nlarge, 245000);
    // Only short entries differ, a few hundred of them.
    EXPECT_GT(nlarge - nstandard, 300);
    EXPECT_LT(nlarge - nstandard, 1000);

    int twoletter = 0;
    for (qsizetype i = 0; i < nstandard; ++i)
        twoletter += word(standard, i).size() == 2;
    EXPECT_GE(twoletter, 50);
    EXPECT_LE(twoletter, 90);
}

TEST(WordLists, StandardIsTheLargeListWithoutSomeShortEntriesAndTheSlurs)
{
    const QByteArray standard = readFile(GORSE_WORDLIST_FILE);
    const QByteArray large = readFile(GORSE_LARGE_WORDLIST_FILE);
    const QList<QByteArray> left = slurs();
    const TDictn instandard(standard);
    const TDictn inlarge(large);
    ASSERT_GT(instandard.recordCount(), 0);
    for (qsizetype i = 0; i < instandard.recordCount(); ++i) {
        const QByteArray w = word(standard, i);
        ASSERT_TRUE(inlarge.isword(w)) << w.constData();
        if (i > 0) {
            ASSERT_LT(word(standard, i - 1), w); // sorted, each once
        }
    }
    for (qsizetype i = 0; i < inlarge.recordCount(); ++i) {
        const QByteArray w = word(large, i);
        if (w.size() >= 4 && !left.contains(w)) {
            ASSERT_TRUE(instandard.isword(w)) << w.constData();
        }
    }
}

TEST(WordLists, SampleOfWordsInAndOutOfEachList)
{
    const TDictn standard(BuiltinList::Standard);
    const TDictn large(BuiltinList::Large);
    for (const auto& words : {ordinaryShortWords, keptByException}) {
        for (const char* w : words) {
            EXPECT_TRUE(standard.isword(w)) << w;
            EXPECT_TRUE(large.isword(w)) << w;
        }
    }
    for (const char* w : largeOnly) {
        EXPECT_FALSE(standard.isword(w)) << w;
        EXPECT_TRUE(large.isword(w)) << w;
    }
    for (const char* w : {"OK", "QX", "ABCD", "A", "I"}) {
        EXPECT_FALSE(standard.isword(w)) << w;
        EXPECT_FALSE(large.isword(w)) << w;
    }
}

TEST(WordLists, TheReviewedSlursAreOnlyInTheLargeList)
{
    const QList<QByteArray> left = slurs();
    // The words the list was made for are read from it.
    for (const char* w : {"WOG", "WOP", "YID"})
        ASSERT_TRUE(left.contains(w)) << w;
    const TDictn standard(BuiltinList::Standard);
    const TDictn large(BuiltinList::Large);
    for (const QByteArray& w : left) {
        EXPECT_FALSE(standard.isword(w)) << w.constData();
        EXPECT_TRUE(large.isword(w)) << w.constData();
    }
    // Words that are also slurs but have a common innocent sense, and words
    // that only look like one.
    for (const char* w :
         {"CHINK",  "COON",   "SPADE", "NIP",    "GYP",   "KRAUT",  "MICK", "SHEENY",  "FAG",
          "FAGGOT", "DYKE",   "QUEER", "PANSY",  "HOMO",  "RETARD", "JEWS", "NIGGARD", "NIGGLE",
          "SPICE",  "SQUAWK", "JAPAN", "WOGGLE", "TAIGA", "HONK",   "POOF", "DAGOBA"}) {
        EXPECT_FALSE(left.contains(w)) << w;
        EXPECT_TRUE(standard.isword(w)) << w;
    }
}

TEST(WordLists, TheDictionaryUsesTheChosenBuiltinList)
{
    const qsizetype nstandard = readFile(GORSE_WORDLIST_FILE).size() / TDictn::recordsize;
    const qsizetype nlarge = readFile(GORSE_LARGE_WORDLIST_FILE).size() / TDictn::recordsize;

    TDictn dict;
    EXPECT_EQ(dict.recordCount(), nstandard);
    EXPECT_FALSE(dict.isword("KB"));
    EXPECT_EQ(dict.loadBuiltin(BuiltinList::Large), QString());
    EXPECT_TRUE(dict.isOpen());
    EXPECT_EQ(dict.recordCount(), nlarge);
    EXPECT_TRUE(dict.isword("KB"));

    // A failed file load closes the list; choosing a built-in one opens it
    // again.
    EXPECT_FALSE(dict.loadFile(QStringLiteral("/nonexistent/words.dic")).isEmpty());
    EXPECT_FALSE(dict.isword("CAT"));
    EXPECT_EQ(dict.loadBuiltin(BuiltinList::Standard), QString());
    EXPECT_TRUE(dict.errorString().isEmpty());
    EXPECT_EQ(dict.recordCount(), nstandard);
    EXPECT_TRUE(dict.isword("CAT"));
    EXPECT_EQ(TDictn(BuiltinList::Large).recordCount(), nlarge);
}

TEST(WordLists, BothAreStoredInTheFormLookupsCompare)
{
    // The program searches the built-in lists without checking them first.
    EXPECT_TRUE(TDictn::isPlain(readFile(GORSE_WORDLIST_FILE)));
    EXPECT_TRUE(TDictn::isPlain(readFile(GORSE_LARGE_WORDLIST_FILE)));
    EXPECT_FALSE(TDictn::isPlain(QByteArray("\x1E") + "cat           "));
    EXPECT_FALSE(TDictn::isPlain(QByteArray("\x1E") + " CAT          "));
    EXPECT_TRUE(TDictn::isPlain(QByteArray("\x1E") + "CAT           "));
}

TEST(WordLists, BuiltinListNames)
{
    EXPECT_EQ(builtinListName(BuiltinList::Standard), QStringLiteral("standard"));
    EXPECT_EQ(builtinListName(BuiltinList::Large), QStringLiteral("large"));
    struct Case
    {
        const char16_t* text;
        std::optional<BuiltinList> list;
    };
    for (const Case& c :
         {Case{u"standard", BuiltinList::Standard}, Case{u"Standard", BuiltinList::Standard},
          Case{u"large", BuiltinList::Large}, Case{u"LARGE", BuiltinList::Large},
          Case{u"", std::nullopt}, Case{u"huge", std::nullopt}, Case{u" large", std::nullopt},
          Case{u"largest", std::nullopt}}) {
        EXPECT_EQ(gorse::builtinListFromName(QStringView(c.text)), c.list)
            << QString::fromUtf16(c.text).toStdString();
    }
}
