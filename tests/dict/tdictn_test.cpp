#include "dict/tdictn.h"
#include "support/files.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <initializer_list>

using gorse::TDictn;

using gorse::test::writeFile;

namespace {

// The number of words tools/make_wordlist.sh reported for the committed
// standard list.
constexpr qsizetype generatedWordCount = 238772;

QByteArray records(std::initializer_list<const char*> words)
{
    QByteArray out;
    for (const char* w : words)
        out += '\x1e' + QByteArray(w).leftJustified(14, ' ');
    return out;
}

QByteArray committedList()
{
    QFile file(QStringLiteral(GORSE_WORDLIST_FILE));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QByteArray entry(const QByteArray& list, qsizetype i)
{
    return list.mid(i * TDictn::recordsize + 1, 14).trimmed();
}

} // namespace

TEST(TDictnShipped, HoldsTheWholeGeneratedList)
{
    const QByteArray list = committedList();
    ASSERT_EQ(list.size() % TDictn::recordsize, 0);
    const TDictn dict;
    EXPECT_TRUE(dict.isOpen());
    EXPECT_TRUE(dict.errorString().isEmpty());
    EXPECT_EQ(dict.recordCount(), list.size() / TDictn::recordsize);
    EXPECT_EQ(dict.recordCount(), generatedWordCount);

    const qsizetype last = dict.recordCount() - 1;
    EXPECT_EQ(dict.findword(entry(list, 0)), 1);
    EXPECT_EQ(dict.findword(entry(list, last)), last + 1);
    for (const char* w : {"AAH", "ZZZ", "ZA", "QAT", "QUIZ", "QUIZZES", "QUIZZED", "ABANDONS"})
        EXPECT_TRUE(dict.isword(w)) << w;
    for (const char* w : {"QX", "ZZZZ", "AAA", "QUIZE", "A", "Z"})
        EXPECT_FALSE(dict.isword(w)) << w;
}

TEST(TDictnShipped, IgnoresCaseSurroundingBlanksAndZeroBytes)
{
    const TDictn dict;
    for (const char* w : {"quiz", "Quiz", "  QUIZ", "QUIZ   ", " qUiZ "})
        EXPECT_TRUE(dict.isword(w)) << w;
    EXPECT_FALSE(dict.isword("\tQUIZ")); // only blanks are trimmed
    EXPECT_TRUE(dict.isword(QByteArray("\0QUIZ\0\0", 7)));
    EXPECT_FALSE(dict.isword(QByteArray("QU\0IZ", 5)));
    EXPECT_FALSE(dict.isword("QU IZ"));
    EXPECT_FALSE(dict.isword("QUIZ QUIZ"));
}

TEST(TDictnShipped, FindsFourteenLettersButNeverFifteen)
{
    const TDictn dict;
    EXPECT_TRUE(dict.isword("ABDOMINOPLASTY"));
    EXPECT_TRUE(dict.isword(" abdominoplasty "));
    EXPECT_FALSE(dict.isword("ABDOMINOPLASTYS"));
    EXPECT_FALSE(dict.isword("ABDOMINOPLASTIES"));
    // The list holds 14-letter beginnings of longer words; the whole word is
    // still no entry.
    EXPECT_FALSE(dict.isword("ABORTIVENESSESX"));
}

TEST(TDictnShipped, RejectsEmptyAndBlankTexts)
{
    const TDictn dict;
    EXPECT_EQ(dict.findword(""), -1);
    EXPECT_EQ(dict.findword("     "), -1);
    EXPECT_EQ(dict.findword(QByteArray(3, '\0')), -1);
    EXPECT_EQ(dict.findword(QByteArray(400, ' ')), -1);
}

TEST(TDictnShipped, LooksAtTheFirst255CharactersOnly)
{
    const TDictn dict;
    const QByteArray pad(251, ' ');
    EXPECT_FALSE(dict.isword("QUIZQ"));
    EXPECT_TRUE(dict.isword(pad + "QUIZQ"));  // cut to the blanks and QUIZ
    EXPECT_FALSE(dict.isword(pad + " QUIZ")); // cut to the blanks and QUI
}

TEST(TDictnList, FindsEveryEntryOfASmallListWithDuplicates)
{
    const QByteArray list =
        records({"AB", "AB", "AB", "CAT", "CAT", "DOG", "QAT", "QUIZ", "QUIZ", "ZOO"});
    const TDictn dict(list);
    EXPECT_EQ(dict.recordCount(), 10);
    for (const char* w : {"AB", "CAT", "DOG", "QAT", "QUIZ", "ZOO"}) {
        const int n = dict.findword(w);
        ASSERT_GT(n, 0) << w;
        EXPECT_EQ(entry(list, n - 1), QByteArray(w));
    }
    for (const char* w : {"A", "AA", "ABA", "BB", "CATS", "QI", "QUIZZ", "ZOOS", "ZZ"})
        EXPECT_EQ(dict.findword(w), -1) << w;

    const TDictn one(records({"QUIZ"}));
    EXPECT_TRUE(one.isword("quiz"));
    EXPECT_FALSE(one.isword("QI"));
    const TDictn none{QByteArray()};
    EXPECT_TRUE(none.isOpen());
    EXPECT_EQ(none.recordCount(), 0);
    EXPECT_FALSE(none.isword("QUIZ"));
}

TEST(TDictnList, UsesWholeRecordsOnly)
{
    const TDictn dict(records({"AB", "CAT"}) + "\x1eZZ");
    EXPECT_EQ(dict.recordCount(), 2);
    EXPECT_TRUE(dict.isword("CAT"));
    EXPECT_FALSE(dict.isword("ZZ"));
}

TEST(TDictnList, NormalisesRecordsLikeTexts)
{
    // Lower case, a leading blank and zero bytes in the records themselves.
    QByteArray list = records({"ant", " BEE"});
    list += QByteArray("\x1e"
                       "CAT\0\0\0\0\0\0\0\0\0\0\0",
                       15);
    const TDictn dict(list);
    for (const char* w : {"ANT", "bee", "Cat"})
        EXPECT_TRUE(dict.isword(w)) << w;
    EXPECT_FALSE(dict.isword("DOG"));
}

TEST(TDictnFile, LoadsAListAndReportsAnUnreadableOne)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString path = dir.filePath(QStringLiteral("small.dic"));
    ASSERT_TRUE(writeFile(path, records({"CAT", "DOG"}) + "\x1e"
                                                          "EEL"));

    TDictn dict;
    EXPECT_EQ(dict.loadFile(path), QString());
    EXPECT_TRUE(dict.isOpen());
    EXPECT_EQ(dict.recordCount(), 2);
    EXPECT_TRUE(dict.isword("dog"));
    EXPECT_FALSE(dict.isword("QUIZ"));
    EXPECT_FALSE(dict.isword("EEL"));

    const QString missing = dir.filePath(QStringLiteral("missing.dic"));
    for (const QString& bad : {missing, dir.path()}) {
        EXPECT_EQ(dict.loadFile(bad), QStringLiteral("English.dic dictionary not found!"));
        EXPECT_EQ(dict.errorString(), QStringLiteral("English.dic dictionary not found!"));
        EXPECT_FALSE(dict.isOpen());
        EXPECT_EQ(dict.recordCount(), 0);
        EXPECT_EQ(dict.findword("DOG"), -1);
        EXPECT_FALSE(dict.isword("CAT"));
    }
    EXPECT_EQ(dict.loadFile(path), QString());
    EXPECT_TRUE(dict.errorString().isEmpty());
    EXPECT_TRUE(dict.isword("CAT"));
}

TEST(TDictnFile, LeavesTheCurrentDirectoryAlone)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString previous = QDir::currentPath();
    ASSERT_TRUE(QDir::setCurrent(dir.path()));
    {
        TDictn dict;
        EXPECT_TRUE(dict.isword("QUIZ"));
        dict.loadFile(QStringLiteral("English"));
    }
    const QStringList left = QDir(dir.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot);
    QDir::setCurrent(previous);
    EXPECT_TRUE(left.isEmpty()) << left.join(u' ').toStdString();
}
