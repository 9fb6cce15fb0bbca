// The ini file: names without letter case, raw values, only the keys set
// change, atomic saves that never lose the stored file.
#include "settings/inifile.h"
#include "support/files.h"
#include "support/qtprint.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <sys/stat.h>

using namespace gorse;

namespace {

const QString kGorse = QStringLiteral("Gorse");

void writeBytes(const QString& path, const QByteArray& bytes)
{
    ASSERT_TRUE(test::writeFile(path, bytes)) << path.toStdString();
}

using test::inode;
QByteArray readBytes(const QString& path)
{
    return test::readFile(path);
}

using test::runUnprivileged;

class IniFileTest : public ::testing::Test
{
protected:
    void SetUp() override { ASSERT_TRUE(dir.isValid()); }
    QString path() const { return dir.filePath(QStringLiteral("velmarlobby.ini")); }

    QTemporaryDir dir;
};

} // namespace

TEST_F(IniFileTest, SettingKeysKeepsEveryOtherByteOfAForeignFile)
{
    // Written by another program: CRLF line ends, Latin-1 and UTF-8 text,
    // comments, a key before any section, our key names in other sections,
    // a second section of our name, odd spacing, no final line end.
    const QByteArray before = "\xEF\xBB\xBF; settings of the lobby\r\n"
                              "stray=1\r\n"
                              "\r\n"
                              "[Lobby]\r\n"
                              "Top=100\r\n"
                              "Name=Jos\xE9\r\n"
                              "  [ gorse ]  ; ours\r\n"
                              "textSIZE = 9\r\n"
                              "; Phrase3=commented out\r\n"
                              "Phrase1=\"Caf\xC3\xA9\" \\n\r\n"
                              "garbage line without equals\r\n"
                              "\r\n"
                              "[Other]\r\n"
                              "Top=7\r\n"
                              "[GORSE]\r\n"
                              "Left=44";
    writeBytes(path(), before);

    IniFile ini(path());
    ASSERT_EQ(ini.load(), QString());
    EXPECT_EQ(ini.value(kGorse, QStringLiteral("TextSize")), QStringLiteral("9"));
    EXPECT_EQ(ini.value(kGorse, QStringLiteral("Phrase1")), QStringLiteral("\"Caf\u00E9\" \\n"));
    EXPECT_EQ(ini.value(QStringLiteral("lobby"), QStringLiteral("name")),
              QStringLiteral("Jos\u00E9"));
    // Only the first section of a name counts.
    EXPECT_FALSE(ini.contains(kGorse, QStringLiteral("Left")));

    ini.setValue(kGorse, QStringLiteral("Textsize"), QStringLiteral("12"));
    ini.setValue(kGorse, QStringLiteral("Phrase3"), QStringLiteral("Nice Try!"));
    ini.setValue(kGorse, QStringLiteral("Left"), QStringLiteral("3"));
    ASSERT_EQ(ini.save(), QString());

    QByteArray after = before;
    after.replace("textSIZE = 9\r\n", "textSIZE = 12\r\n");
    after.replace("Phrase1=\"Caf\xC3\xA9\" \\n\r\n",
                  "Phrase1=\"Caf\xC3\xA9\" \\n\r\nPhrase3=Nice Try!\r\nLeft=3\r\n");
    EXPECT_EQ(readBytes(path()), after);
}

TEST_F(IniFileTest, WhereASetKeyGoes)
{
    struct Case
    {
        const char* name;
        QByteArray before; // "<none>" for no file
        QString key;
        QString value;
        QByteArray after;
    };
    const QString top = QStringLiteral("Top");
    const Case cases[] = {
        {"no file", "<none>", top, QStringLiteral("3"), "[Gorse]\nTop=3\n"},
        {"empty file", "", top, QStringLiteral("3"), "[Gorse]\nTop=3\n"},
        {"section appended, no final line end", "[Lobby]\nX=1", top, QStringLiteral("3"),
         "[Lobby]\nX=1\n\n[Gorse]\nTop=3\n"},
        {"section appended with the file's line ends", "[Lobby]\r\nX=1\r\n", top,
         QStringLiteral("3"), "[Lobby]\r\nX=1\r\n\r\n[Gorse]\r\nTop=3\r\n"},
        {"section appended after a blank line", "[Lobby]\nX=1\n\n", top, QStringLiteral("3"),
         "[Lobby]\nX=1\n\n[Gorse]\nTop=3\n"},
        {"empty section in other case", "[gorse]\n", top, QStringLiteral("3"), "[gorse]\nTop=3\n"},
        {"key after the section's last key", "[Gorse]\n; c\nLeft=1\n; next\n\n[Lobby]\n", top,
         QStringLiteral("3"), "[Gorse]\n; c\nLeft=1\nTop=3\n; next\n\n[Lobby]\n"},
        {"key after a last line without line end", "[Gorse]\nLeft=1", top, QStringLiteral("3"),
         "[Gorse]\nLeft=1\nTop=3\n"},
        {"spacing and line end of the key kept", "[Gorse]\ntop =  7  \r\nLeft=1\n", top,
         QStringLiteral("3"), "[Gorse]\ntop =  3\r\nLeft=1\n"},
        {"first of two keys", "[Gorse]\nTop=1\nTop=2\n[Gorse]\nTop=3\n", top, QStringLiteral("9"),
         "[Gorse]\nTop=9\nTop=2\n[Gorse]\nTop=3\n"},
        {"empty value", "[Gorse]\nTop=1\n", top, QString(), "[Gorse]\nTop=\n"},
        {"line breaks in a value", "[Gorse]\n", QStringLiteral("Phrase1"),
         QStringLiteral("a\r\n[Lobby]\nb"), "[Gorse]\nPhrase1=a  [Lobby] b\n"},
        {"value as UTF-8", "[Gorse]\n", QStringLiteral("Phrase1"),
         QStringLiteral("Ol\u00E9 \u263A"), "[Gorse]\nPhrase1=Ol\xC3\xA9 \xE2\x98\xBA\n"},
    };
    for (const Case& c : cases) {
        QFile::remove(path());
        if (c.before != "<none>")
            writeBytes(path(), c.before);
        IniFile ini(path());
        ASSERT_EQ(ini.load(), QString());
        ini.setValue(kGorse, c.key, c.value);
        EXPECT_EQ(ini.bytes(), c.after) << c.name;
        EXPECT_EQ(ini.save(), QString()) << c.name;
        EXPECT_EQ(readBytes(path()), c.after) << c.name;
        // What was written reads back (a value is one line).
        IniFile again(path());
        ASSERT_EQ(again.load(), QString());
        QString expected = c.value;
        expected.replace(u'\r', u' ').replace(u'\n', u' ');
        EXPECT_EQ(again.value(kGorse, c.key), expected) << c.name;
    }
}

TEST_F(IniFileTest, ReadsNamesWithoutCaseAndValuesAsTheyStand)
{
    struct Case
    {
        QByteArray file;
        const char* key;
        std::optional<QString> value; // empty: absent
    };
    const Case cases[] = {
        {"[GORSE]\ntextsize=9\n", "Textsize", QStringLiteral("9")},
        {"[Gorse]\r\nTop=5\r\n", "Top", QStringLiteral("5")},
        {"[Gorse]\nPhrase1 = \"Hi\"  \n", "Phrase1", QStringLiteral("\"Hi\"")},
        {"[Gorse]\nPhrase1=a\\tb;c %s\n", "Phrase1", QStringLiteral("a\\tb;c %s")},
        {"[Gorse]\nPhrase1=x=y\n", "Phrase1", QStringLiteral("x=y")},
        {"[Gorse]\nPhrase1=\n", "Phrase1", QString()},
        {"[Gorse]\nPhrase1=caf\xE9\n", "Phrase1", QStringLiteral("caf\u00E9")},
        {"[Gorse]\nPhrase1=caf\xC3\xA9\n", "Phrase1", QStringLiteral("caf\u00E9")},
        {"\xEF\xBB\xBF[Gorse]\nTop=5\n", "Top", QStringLiteral("5")},
        {"  [ Gorse ] ; note\n\tTop\t=5\n", "Top", QStringLiteral("5")},
        {"[Gorse]\nTop=1\nTOP=2\n", "Top", QStringLiteral("1")},
        {"Top=1\n[Lobby]\nTop=2\n[Gorse]\nLeft=0\n", "Top", std::nullopt},
        {"[Gorse]\n;Top=1\n", "Top", std::nullopt},
        {"[Gorsey]\nTop=1\n", "Top", std::nullopt},
        {"[Gorse]\nTop\n", "Top", std::nullopt},
    };
    for (const Case& c : cases) {
        writeBytes(path(), c.file);
        IniFile ini(path());
        ASSERT_EQ(ini.load(), QString());
        const QString key = QString::fromLatin1(c.key);
        EXPECT_EQ(ini.contains(QStringLiteral("gorse"), key), c.value.has_value())
            << c.file.toStdString();
        EXPECT_EQ(ini.value(QStringLiteral("gorse"), key, QStringLiteral("<default>")),
                  c.value.value_or(QStringLiteral("<default>")))
            << c.file.toStdString();
    }
}

TEST_F(IniFileTest, LongValuesAreCut)
{
    const QByteArray longer(3000, 'a');
    const QByteArray exact(IniFile::kValueLimit, 'b');
    // A character outside the basic plane straddling the limit is dropped whole.
    const QByteArray straddling =
        QByteArray(IniFile::kValueLimit - 1, 'c') + "\xF0\x9F\x98\x80" + "dd";
    writeBytes(path(), "[Gorse]\nPhrase1=" + longer + "\nPhrase2=" + exact +
                           "\nPhrase3=" + straddling + "\n");
    IniFile ini(path());
    ASSERT_EQ(ini.load(), QString());
    EXPECT_EQ(ini.value(kGorse, QStringLiteral("Phrase1")), QString(IniFile::kValueLimit, u'a'));
    EXPECT_EQ(ini.value(kGorse, QStringLiteral("Phrase2")), QString::fromLatin1(exact));
    EXPECT_EQ(ini.value(kGorse, QStringLiteral("Phrase3")),
              QString(IniFile::kValueLimit - 1, u'c'));
}

TEST(IniNumber, DecimalAndHexadecimalForms)
{
    using N = std::optional<int>;
    const std::pair<const char*, N> cases[] = {
        {"8", 8},
        {"0", 0},
        {"007", 7},
        {"-20", -20},
        {"+5", 5},
        {"0x1F", 31},
        {"0X1f", 31},
        {"$10", 16},
        {"$ff", 255},
        {"-$10", -16},
        {"$FFFFFFFF", -1},
        {"$7FFFFFFF", 2147483647},
        {"2147483647", 2147483647},
        {"-2147483648", -2147483647 - 1},
        {"2147483648", std::nullopt},
        {"99999999999999999999", std::nullopt},
        {"$123456789", std::nullopt},
        {"", std::nullopt},
        {"-", std::nullopt},
        {"$", std::nullopt},
        {"0x", std::nullopt},
        {"12a", std::nullopt},
        {"1.5", std::nullopt},
        {" 8", std::nullopt},
        {"8 ", std::nullopt},
        {"$G1", std::nullopt},
        {"0x-1", std::nullopt},
        {"\u0663", std::nullopt}, // a digit, but not 0-9
    };
    for (const auto& [text, expected] : cases)
        EXPECT_EQ(iniNumber(QString::fromUtf8(text)), expected) << text;

    // Where only "$" introduces hexadecimal.
    EXPECT_EQ(iniNumber(u"$2C", false), N(44));
    EXPECT_EQ(iniNumber(u"0x2C", false), std::nullopt);
    EXPECT_EQ(iniNumber(u"045", false), N(45));
}

TEST(IniFlag, OnlyExactLowerCaseWordsCount)
{
    for (bool fallback : {false, true}) {
        EXPECT_TRUE(iniFlag(u"true", fallback));
        EXPECT_FALSE(iniFlag(u"false", fallback));
        for (const char16_t* other :
             {u"TRUE", u"False", u"True", u"", u"1", u"0", u" true", u"yes"})
            EXPECT_EQ(iniFlag(other, fallback), fallback)
                << QString::fromUtf16(other).toStdString();
    }
    EXPECT_EQ(iniFlagText(true), QStringLiteral("true"));
    EXPECT_EQ(iniFlagText(false), QStringLiteral("false"));
}

TEST_F(IniFileTest, ASaveKeepsWhatAnotherProgramWroteMeanwhile)
{
    writeBytes(path(), "[Gorse]\nTop=1\n");
    IniFile ini(path());
    ASSERT_EQ(ini.load(), QString());
    writeBytes(path(), "[Lobby]\nUser=Kim\n[Gorse]\nTop=1\nLeft=2\n");
    ini.setValue(kGorse, QStringLiteral("Top"), QStringLiteral("5"));
    ASSERT_EQ(ini.save(), QString());
    EXPECT_EQ(readBytes(path()), QByteArray("[Lobby]\nUser=Kim\n[Gorse]\nTop=5\nLeft=2\n"));
    EXPECT_EQ(ini.value(QStringLiteral("Lobby"), QStringLiteral("User")), QStringLiteral("Kim"));
}

TEST_F(IniFileTest, NothingToWriteLeavesTheFileAlone)
{
    // Nothing set: no file is made.
    IniFile none(path());
    EXPECT_EQ(none.save(), QString());
    EXPECT_FALSE(QFile::exists(path()));

    // Values that are already there: the file is not replaced.
    writeBytes(path(), "[Gorse]\nTop=1\n");
    const ino_t before = inode(path());
    IniFile same(path());
    same.setValue(kGorse, QStringLiteral("Top"), QStringLiteral("1"));
    EXPECT_EQ(same.save(), QString());
    EXPECT_EQ(inode(path()), before);

    // A real change replaces the file as a whole (written aside, renamed).
    same.setValue(kGorse, QStringLiteral("Top"), QStringLiteral("2"));
    EXPECT_EQ(same.save(), QString());
    EXPECT_NE(inode(path()), before);
    EXPECT_EQ(readBytes(path()), QByteArray("[Gorse]\nTop=2\n"));
}

TEST_F(IniFileTest, AReadOnlyFolderGivesAnErrorAndKeepsTheFile)
{
    const QString folder = dir.filePath(QStringLiteral("locked"));
    ASSERT_TRUE(QDir().mkpath(folder));
    const QString file = folder + QStringLiteral("/velmarlobby.ini");
    const QByteArray stored = "[Lobby]\nUser=Kim\n[Gorse]\nTop=1\n";
    writeBytes(file, stored);
    ASSERT_EQ(::chmod(QFile::encodeName(dir.path()).constData(), 0755), 0);
    ASSERT_EQ(::chmod(QFile::encodeName(folder).constData(), 0555), 0);

    const QString error = runUnprivileged([&] {
        IniFile ini(file);
        const QString loaded = ini.load();
        if (!loaded.isEmpty() || ini.value(kGorse, QStringLiteral("Top")) != QStringLiteral("1"))
            return QStringLiteral("<not loaded: %1>").arg(loaded);
        ini.setValue(kGorse, QStringLiteral("Top"), QStringLiteral("2"));
        return ini.save();
    });
    ASSERT_EQ(::chmod(QFile::encodeName(folder).constData(), 0755), 0);
    EXPECT_FALSE(error.isEmpty());
    EXPECT_FALSE(error.startsWith(u'<')) << error.toStdString();
    EXPECT_EQ(readBytes(file), stored);
    EXPECT_EQ(QDir(folder).entryList(QDir::Files), QStringList{QStringLiteral("velmarlobby.ini")});
}

TEST_F(IniFileTest, AFailedSaveKeepsItsKeysForTheNextOne)
{
    const QString folder = dir.filePath(QStringLiteral("later"));
    IniFile ini(folder + QStringLiteral("/velmarlobby.ini"));
    ini.setValue(kGorse, QStringLiteral("Top"), QStringLiteral("4"));
    EXPECT_FALSE(ini.save().isEmpty()); // the folder does not exist yet
    ASSERT_TRUE(QDir().mkpath(folder));
    EXPECT_EQ(ini.save(), QString());
    EXPECT_EQ(readBytes(ini.path()), QByteArray("[Gorse]\nTop=4\n"));
}

TEST_F(IniFileTest, AFileThatCannotBeReadIsNeverOverwritten)
{
    // A folder where the file should be: reading fails, so does saving.
    ASSERT_TRUE(QDir().mkpath(path()));
    IniFile ini(path());
    EXPECT_FALSE(ini.load().isEmpty());
    ini.setValue(kGorse, QStringLiteral("Top"), QStringLiteral("4"));
    EXPECT_FALSE(ini.save().isEmpty());
    EXPECT_TRUE(QFileInfo(path()).isDir());
}

TEST_F(IniFileTest, LeftoversOfACrashedSaveDoNotHurt)
{
    // A save that died between writing its temporary file and renaming it
    // leaves the stored file whole and a half-written file beside it.
    const QByteArray stored = "[Lobby]\nUser=Kim\n[Gorse]\nTop=1\n";
    writeBytes(path(), stored);
    const QString leftover = path() + QStringLiteral(".Xy12Ab");
    writeBytes(leftover, "[Gorse]\nTo");
    const QString readOnlyLeftover = path() + QStringLiteral(".Zz9999");
    writeBytes(readOnlyLeftover, "");
    ASSERT_EQ(::chmod(QFile::encodeName(readOnlyLeftover).constData(), 0444), 0);

    IniFile ini(path());
    ASSERT_EQ(ini.load(), QString());
    EXPECT_EQ(ini.value(kGorse, QStringLiteral("Top")), QStringLiteral("1"));
    ini.setValue(kGorse, QStringLiteral("Top"), QStringLiteral("2"));
    ASSERT_EQ(ini.save(), QString());
    EXPECT_EQ(readBytes(path()), QByteArray("[Lobby]\nUser=Kim\n[Gorse]\nTop=2\n"));
    // The next save works too, and no new leftovers appear.
    ini.setValue(kGorse, QStringLiteral("Left"), QStringLiteral("3"));
    ASSERT_EQ(ini.save(), QString());
    EXPECT_EQ(readBytes(path()), QByteArray("[Lobby]\nUser=Kim\n[Gorse]\nTop=2\nLeft=3\n"));
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files).size(), 3);
}
