// tools/make_wordlist.sh over a small folder shaped like SCOWL's.

#include "support/files.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <initializer_list>
#include <utility>

using gorse::test::readFile;
using gorse::test::writeFile;

namespace {

struct Outcome
{
    int exitCode = -1;
    QByteArray out;
    QByteArray err;
};

// The words of a list, checking the record format on the way.
QList<QByteArray> words(const QByteArray& list)
{
    QList<QByteArray> out;
    if (list.size() % 15 != 0)
        return {"(not whole records)"};
    for (qsizetype i = 0; i < list.size(); i += 15) {
        const QByteArray record = list.mid(i, 15);
        const QByteArray word = record.mid(1).trimmed();
        if (record[0] != '\x1e' || record.mid(1) != word.leftJustified(14, ' '))
            return {"(bad record " + record + ")"};
        out.append(word);
    }
    return out;
}

QList<QByteArray> split(const char* text)
{
    return QByteArray(text).split(' ');
}

class MakeWordlist : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        ASSERT_TRUE(QDir(dir.path()).mkpath(QStringLiteral("scowl")));
        // Sizes, spellings, and the lists the generator must not read.
        const std::initializer_list<std::pair<const char*, const char*>> files = {
            {"english-words.10", "am\nas\ncs\ncat\ndog\nit's\nOK\na\nox\n"
                                 "abcdefghijklmn\nabcdefghijklmno\n"},
            {"english-words.35", "ms\ncat\nhmm\nzorp\n"},
            {"american-words.50", "color\n"},
            {"british-words.60", "colour\nbi\nphi\n"},
            {"english-words.70", "kb\nqi\ncsc\nkb\n"},
            {"english-words.80", "zs\nza\nqat\nzax\naardvark\nzorps\nqx\n"},
            {"english-words.95", "zzz\n"},
            {"english-words.txt", "zebra\n"},
            {"english-abbreviations.10", "kb\nmb\n"},
            {"english-proper-names.10", "ann\n"},
            {"canadian-words.10", "tuque\n"},
        };
        for (const auto& [name, text] : files)
            ASSERT_TRUE(writeFile(scowl(QString::fromUtf8(name)), text));
        ASSERT_TRUE(writeFile(path(QStringLiteral("copyright")), "SCOWL notice\n"));
        ASSERT_TRUE(setExceptions("# keeps\n+QI   # the life force\n+as\n\n+ZAX\n"
                                  "-OX # dropped on purpose\n"));
        // A long word, and one that the size rule drops as well.
        ASSERT_TRUE(setSlurs("# slurs\nZORP   the fixture's slur\n\nzorps plural of ZORP # note\n"
                             "QX\tshort and rare too\n"));
    }

    QString path(const QString& name) const { return dir.filePath(name); }
    QString scowl(const QString& name) const
    {
        return dir.filePath(QStringLiteral("scowl/") + name);
    }
    QString output(const QString& name) const
    {
        return dir.filePath(QStringLiteral("out/") + name);
    }
    bool setExceptions(const QByteArray& text)
    {
        return writeFile(path(QStringLiteral("exceptions.txt")), text);
    }
    bool setSlurs(const QByteArray& text)
    {
        return writeFile(path(QStringLiteral("slurs.txt")), text);
    }

    Outcome run(const QStringList& args = {}) const
    {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("SCOWL_DIR"), path(QStringLiteral("scowl")));
        env.insert(QStringLiteral("SCOWL_COPYRIGHT"), path(QStringLiteral("copyright")));
        env.insert(QStringLiteral("WORDLIST_OUT_DIR"), path(QStringLiteral("out")));
        env.insert(QStringLiteral("WORDLIST_EXCEPTIONS"), path(QStringLiteral("exceptions.txt")));
        env.insert(QStringLiteral("WORDLIST_SLURS"), path(QStringLiteral("slurs.txt")));
        QProcess process;
        process.setProcessEnvironment(env);
        process.setWorkingDirectory(dir.path());
        process.start(QStringLiteral("bash"),
                      QStringList{QStringLiteral(GORSE_SOURCE_DIR "/tools/make_wordlist.sh")} +
                          args);
        Outcome r;
        if (!process.waitForFinished(60000) || process.exitStatus() != QProcess::NormalExit)
            return r;
        r.exitCode = process.exitCode();
        r.out = process.readAllStandardOutput();
        r.err = process.readAllStandardError();
        return r;
    }

    QTemporaryDir dir;
};

} // namespace

TEST_F(MakeWordlist, AppliesTheRulesToBothLists)
{
    const Outcome r = run({QStringLiteral("--removed")});
    ASSERT_EQ(r.exitCode, 0) << r.err.constData();

    // Sizes up to 80 of the english, american and british lists; lower case
    // letters only, 2 to 14 of them; each word once.
    EXPECT_EQ(words(readFile(output(QStringLiteral("english-large.dic")))),
              split("AARDVARK ABCDEFGHIJKLMN AM AS BI CAT COLOR COLOUR CS CSC DOG HMM KB MS OX "
                    "PHI QAT QI QX ZA ZAX ZORP ZORPS ZS"));
    // Without the slurs, two-letter plurals of letters and short entries
    // above size 60, unless the exceptions say otherwise.
    EXPECT_EQ(words(readFile(output(QStringLiteral("english.dic")))),
              split("AARDVARK ABCDEFGHIJKLMN AM AS BI CAT COLOR COLOUR DOG HMM PHI QI ZAX"));
    EXPECT_EQ(readFile(output(QStringLiteral("english.dic.copyright"))), "SCOWL notice\n");

    EXPECT_TRUE(r.out.contains("total            13         24\n")) << r.out.constData();
    EXPECT_TRUE(r.out.contains("2                 4         11\n")) << r.out.constData();
    EXPECT_TRUE(r.out.contains("\n3 slurs left out of the standard list\n")) << r.out.constData();
    const QByteArray removed = "CS\t10\tletter plural\n"
                               "CSC\t70\tsize 70\n"
                               "KB\t70\tsize 70\n"
                               "MS\t35\tletter plural\n"
                               "OX\t10\texception\n"
                               "QAT\t80\tsize 80\n"
                               "QX\t80\tslur\n"
                               "ZA\t80\tsize 80\n"
                               "ZORP\t35\tslur\n"
                               "ZORPS\t80\tslur\n"
                               "ZS\t80\tletter plural\n";
    EXPECT_TRUE(r.out.endsWith(removed)) << r.out.constData();

    // Nothing else is left in the output folder or the working directory.
    EXPECT_EQ(QDir(path(QStringLiteral("out")))
                  .entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden),
              (QStringList{QStringLiteral("english-large.dic"), QStringLiteral("english.dic"),
                           QStringLiteral("english.dic.copyright")}));
    EXPECT_EQ(
        QDir(dir.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden),
        (QStringList{QStringLiteral("copyright"), QStringLiteral("exceptions.txt"),
                     QStringLiteral("out"), QStringLiteral("scowl"), QStringLiteral("slurs.txt")}));
}

TEST_F(MakeWordlist, GivesTheSameBytesEveryTime)
{
    ASSERT_EQ(run().exitCode, 0);
    const QByteArray standard = readFile(output(QStringLiteral("english.dic")));
    const QByteArray large = readFile(output(QStringLiteral("english-large.dic")));
    ASSERT_FALSE(standard.isEmpty());
    ASSERT_EQ(run().exitCode, 0);
    EXPECT_EQ(readFile(output(QStringLiteral("english.dic"))), standard);
    EXPECT_EQ(readFile(output(QStringLiteral("english-large.dic"))), large);
}

TEST_F(MakeWordlist, RefusesBadExceptionsOrSlursAndKeepsThePreviousLists)
{
    ASSERT_EQ(run().exitCode, 0);
    const QByteArray standard = readFile(output(QStringLiteral("english.dic")));

    struct Case
    {
        const char* exceptions;
        const char* slurs;
        const char* message;
    };
    const char* goodExceptions = "+QI\n";
    const char* goodSlurs = "ZORP a reason\n";
    for (const Case& c :
         {Case{"+QI\n+NOPE\n", goodSlurs, "NOPE is in none of the source lists"},
          Case{"+QI\n-QI\n", goodSlurs, "QI is listed twice"},
          Case{"+Q1\n", goodSlurs, "not +WORD or -WORD"},
          Case{"QI\n", goodSlurs, "not +WORD or -WORD"},
          Case{"+Q\n", goodSlurs, "not +WORD or -WORD"},
          Case{"+ABCDEFGHIJKLMNO\n", goodSlurs, "not +WORD or -WORD"},
          Case{goodExceptions, "ZORP a\nNOPE b\n", "NOPE is in none of the source lists"},
          Case{goodExceptions, "ZORP a\nzorp b\n", "ZORP is listed twice"},
          Case{"+ZORP\n", goodSlurs, "ZORP is also in"},
          Case{"-ZORP\n", goodSlurs, "ZORP is also in"},
          Case{goodExceptions, "ZORP\n", "not a word of 2 to 14 letters and the reason"},
          Case{goodExceptions, "ZORP # a comment\n", "not a word of 2 to 14 letters"},
          Case{goodExceptions, "Z0RP a\n", "not a word of 2 to 14 letters"},
          Case{goodExceptions, "Z a\n", "not a word of 2 to 14 letters"},
          Case{goodExceptions, " ZORP a\n", "not a word of 2 to 14 letters"},
          Case{goodExceptions, "ABCDEFGHIJKLMNO a\n", "not a word of 2 to 14 letters"}}) {
        ASSERT_TRUE(setExceptions(c.exceptions));
        ASSERT_TRUE(setSlurs(c.slurs));
        const Outcome r = run();
        EXPECT_NE(r.exitCode, 0) << c.exceptions << c.slurs;
        EXPECT_TRUE(r.err.contains(c.message)) << c.exceptions << c.slurs << r.err.constData();
        EXPECT_EQ(readFile(output(QStringLiteral("english.dic"))), standard)
            << c.exceptions << c.slurs;
    }
}

TEST_F(MakeWordlist, FailsWithoutInput)
{
    for (const QString& name : QDir(path(QStringLiteral("scowl"))).entryList(QDir::Files))
        ASSERT_TRUE(QFile::remove(scowl(name)));
    const Outcome r = run();
    EXPECT_NE(r.exitCode, 0);
    EXPECT_TRUE(r.err.contains("no word lists found")) << r.err.constData();
    EXPECT_FALSE(QFile::exists(output(QStringLiteral("english.dic"))));
}
