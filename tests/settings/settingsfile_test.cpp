// The options on disk: every key read with its default and its forms, the
// keys written back without touching anything else, and the saves that must
// never destroy what is stored.
#include "settings/gameoptions.h"
#include "settings/screenbounds.h"
#include "settings/settingsfile.h"
#include "support/files.h"
#include "support/qtprint.h"

#include <QDir>
#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <functional>
#include <gtest/gtest.h>
#include <sys/stat.h>

using namespace gorse;

namespace {

void writeBytes(const QString& path, const QByteArray& bytes)
{
    ASSERT_TRUE(test::writeFile(path, bytes)) << path.toStdString();
}

using test::inode;
using test::readFile;

class SettingsFileTest : public ::testing::Test
{
protected:
    void SetUp() override { ASSERT_TRUE(dir.isValid()); }
    QString path() const { return dir.filePath(QStringLiteral("velmarlobby.ini")); }

    QTemporaryDir dir;
};

} // namespace

TEST_F(SettingsFileTest, NoFileGivesEveryDefault)
{
    GameOptions o;
    SettingsFile settings(&o, path());
    QSignalSpy placed(&settings, &SettingsFile::windowBoundsLoaded);
    o.load(); // the own login
    EXPECT_TRUE(settings.loaded());
    EXPECT_EQ(o.textSize(), 8);
    EXPECT_EQ(o.windowBounds(), QRect(3, 3, 727, 543));
    ASSERT_EQ(placed.size(), 1);
    EXPECT_EQ(placed[0][0].toRect(), QRect(3, 3, 727, 543));
    EXPECT_FALSE(o.turnSoundNew());
    EXPECT_TRUE(o.playSounds());
    EXPECT_TRUE(o.playChatterSounds());
    EXPECT_EQ(o.textColour(), kBlack);
    EXPECT_FALSE(o.warning());
    // The stored defaults "30" and "1" are brought up to the ranges.
    EXPECT_EQ(o.playToScore(), 300);
    EXPECT_EQ(o.timePerTurn(), 45);
    for (int n = 1; n <= 10; ++n)
        EXPECT_EQ(o.phrase(n), GameOptions::builtInPhrase(n));
    EXPECT_FALSE(QFile::exists(path())); // reading writes nothing
}

TEST_F(SettingsFileTest, EachKeyWithItsFormsAndEdgeCases)
{
    struct Case
    {
        const char* lines; // the section's lines
        std::function<bool(const GameOptions&)> holds;
    };
    const Case cases[] = {
        {"Textsize=9", [](auto& o) { return o.textSize() == 9; }},
        {"textsize=0x0C", [](auto& o) { return o.textSize() == 12; }},
        {"Textsize=$E", [](auto& o) { return o.textSize() == 14; }},
        {"Textsize=big", [](auto& o) { return o.textSize() == 8; }},
        {"Textsize=0", [](auto& o) { return o.textSize() == 10; }}, // refused: stays
        {"Top=0X10\nLeft=-20\nWidth=$300\nHeight=600",
         [](auto& o) { return o.windowBounds() == QRect(-20, 16, 768, 600); }},
        {"Top=x\nWidth=", [](auto& o) { return o.windowBounds() == QRect(3, 3, 727, 543); }},
        {"Turnsound=1", [](auto& o) { return o.turnSoundNew(); }},
        {"Turnsound=01", [](auto& o) { return !o.turnSoundNew(); }},
        {"ChatterSounds=false", [](auto& o) { return !o.playChatterSounds(); }},
        {"ChatterSounds=FALSE", [](auto& o) { return o.playChatterSounds(); }},
        {"Playsounds=False", [](auto& o) { return o.playSounds(); }},
        {"Playsounds=false", [](auto& o) { return !o.playSounds(); }},
        {"Warning=TRUE", [](auto& o) { return !o.warning(); }},
        {"Warning=true", [](auto& o) { return o.warning(); }},
        {"Textcolor=clNavy", [](auto& o) { return o.textColour() == kNavy; }},
        {"TEXTCOLOR=CLRED", [](auto& o) { return o.textColour() == kRed; }},
        {"Textcolor=$00FF0000", [](auto& o) { return o.textColour() == kBlue; }},
        {"Textcolor=purple-ish", [](auto& o) { return o.textColour() == kBlack; }},
        {"Playtoscore=2500\nTimeperturn=60",
         [](auto& o) { return o.playToScore() == 2500 && o.timePerTurn() == 60; }},
        {"Playtoscore=$3E8", [](auto& o) { return o.playToScore() == 1000; }},
        {"Playtoscore=50000\nTimeperturn=-3",
         [](auto& o) { return o.playToScore() == 20000 && o.timePerTurn() == 45; }},
        // Empty, "0x" or words leave the positions where they were.
        {"Playtoscore=\nTimeperturn=0x50",
         [](auto& o) { return o.playToScore() == 700 && o.timePerTurn() == 90; }},
        {"Phrase1=Hi all\nPhrase3=\nPhrase10=See ya!",
         [](auto& o) {
             return o.phrase(1) == QStringLiteral("Hi all") &&
                    o.phrase(3) == QStringLiteral("Nice Try!") &&
                    o.phrase(10) == QStringLiteral("See ya!");
         }},
    };
    for (const Case& c : cases) {
        writeBytes(path(), QByteArray("[Other]\nTextsize=14\n[gorse]\n") + c.lines + '\n');
        GameOptions o;
        o.setPlayToScore(700);
        o.setTimePerTurn(90);
        SettingsFile settings(&o, path());
        EXPECT_EQ(settings.loadinifile(), QString()) << c.lines;
        EXPECT_TRUE(c.holds(o)) << c.lines;
    }
}

TEST_F(SettingsFileTest, SavingWritesEveryKeyButThePhrasesAndKeepsEverythingElse)
{
    const QByteArray stored = "; shared with the lobby\r\n"
                              "[Lobby]\r\nUser=Kim\r\nTextsize=99\r\n\r\n"
                              "[Gorse]\r\nPhrase1=Hooray\r\nextra = kept \r\nTOP=7\r\n"
                              "[Later]\r\nx=1\r\n";
    writeBytes(path(), stored);
    GameOptions o;
    SettingsFile settings(&o, path());
    o.load();
    EXPECT_EQ(o.phrase(1), QStringLiteral("Hooray"));
    o.setTextSize(12);
    o.setTurnSoundNew(true);
    o.setPlayChatterSounds(false);
    o.setTextColour(0x00123456);
    o.setPlayToScore(1200);
    o.setTimePerTurn(75);
    o.setWarning(true);
    o.setPlaySounds(false);
    o.setPhrase(2, QStringLiteral("not written by a save"));
    o.save();
    EXPECT_EQ(readFile(path()), QByteArray("; shared with the lobby\r\n"
                                           "[Lobby]\r\nUser=Kim\r\nTextsize=99\r\n\r\n"
                                           "[Gorse]\r\nPhrase1=Hooray\r\nextra = kept \r\n"
                                           "TOP=7\r\nTextsize=12\r\nLeft=3\r\nWidth=727\r\n"
                                           "Height=543\r\nTurnsound=1\r\n"
                                           "ChatterSounds=false\r\nTextcolor=$00123456\r\n"
                                           "Playtoscore=1200\r\nTimeperturn=75\r\n"
                                           "Warning=true\r\nPlaysounds=false\r\n"
                                           "Zoom=100\r\nConfirmNewGame=true\r\n"
                                           "ConfirmLeave=true\r\nComputerPlayers=0\r\n"
                                           "ComputerLevel=Casual\r\nWordList=standard\r\n"
                                           "[Later]\r\nx=1\r\n"));

    // Everything written reads back the same.
    GameOptions again;
    SettingsFile reread(&again, path());
    again.load();
    EXPECT_EQ(again.textSize(), 12);
    EXPECT_TRUE(again.turnSoundNew());
    EXPECT_FALSE(again.playChatterSounds());
    EXPECT_EQ(again.textColour(), 0x00123456u);
    EXPECT_EQ(again.playToScore(), 1200);
    EXPECT_EQ(again.timePerTurn(), 75);
    EXPECT_TRUE(again.warning());
    EXPECT_FALSE(again.playSounds());
    EXPECT_EQ(again.windowBounds(), QRect(3, 7, 727, 543));
    EXPECT_EQ(again.phrase(2), GameOptions::builtInPhrase(2));

    // Named colours are written by name; the window's place comes from where
    // it stands when the settings are told.
    o.setTextColour(kNavy);
    settings.setBoundsSource([] { return QRect(40, 50, 800, 600); });
    EXPECT_EQ(settings.saveinifile(), QString());
    const QByteArray now = readFile(path());
    EXPECT_TRUE(now.contains("Textcolor=clNavy\r\n"));
    EXPECT_TRUE(now.contains("TOP=50\r\nTextsize=12\r\nLeft=40\r\nWidth=800\r\nHeight=600\r\n"));
}

TEST_F(SettingsFileTest, OurOwnKeysRoundTripAndBadValuesKeepTheDefaults)
{
    writeBytes(path(), "[Gorse]\nZoom=175\nConfirmNewGame=false\nConfirmLeave=False\n"
                       "ComputerPlayers=9\nComputerLevel=expert\nWordList=Large\n");
    GameOptions o;
    SettingsFile settings(&o, path());
    o.load();
    EXPECT_EQ(o.zoom(), 175);
    EXPECT_FALSE(o.confirmNewGame());
    EXPECT_TRUE(o.confirmLeave()); // only the exact "false" switches it off
    EXPECT_EQ(o.computerPlayers(), GameOptions::kMaxComputerPlayers);
    EXPECT_EQ(o.computerLevel(), 3);
    EXPECT_EQ(o.wordList(), BuiltinList::Large);

    writeBytes(path(), "[Gorse]\nZoom=x\nComputerPlayers=-4\nComputerLevel=Master\n"
                       "WordList=huge\n");
    GameOptions other;
    SettingsFile reread(&other, path());
    other.load();
    EXPECT_EQ(other.zoom(), GameOptions::kMinZoom);
    EXPECT_EQ(other.computerPlayers(), 0);
    EXPECT_EQ(other.computerLevel(), 1);
    EXPECT_EQ(other.wordList(), BuiltinList::Standard);
}

TEST_F(SettingsFileTest, BeforeTheLoginOnlyThePlayersChangesAreWritten)
{
    const QByteArray stored = "[Gorse]\nTextsize=14\nTextcolor=clRed\nTop=100\nPlaysounds=true\n";
    writeBytes(path(), stored);
    GameOptions o;
    SettingsFile settings(&o, path());
    // Closing before the login writes nothing, moved or not.
    EXPECT_EQ(settings.saveAtClose(QRect(9, 9, 900, 700), QRect(0, 0, 1920, 1040)), QString());
    EXPECT_EQ(readFile(path()), stored);
    // A change the player makes is saved alone; the built-in states of the
    // other options do not replace the stored ones.
    o.setPlaySounds(false);
    o.save();
    EXPECT_EQ(readFile(path()),
              QByteArray("[Gorse]\nTextsize=14\nTextcolor=clRed\nTop=100\nPlaysounds=false\n"));
    // The login then reads it all, the player's change included.
    o.load();
    EXPECT_EQ(o.textSize(), 14);
    EXPECT_EQ(o.textColour(), kRed);
    EXPECT_FALSE(o.playSounds());
}

TEST_F(SettingsFileTest, ClosingSavesOnlyMovedBoundsShrunkToTheWorkArea)
{
    writeBytes(path(), "[Gorse]\nTop=20\nLeft=30\nWidth=727\nHeight=543\n");
    GameOptions o;
    SettingsFile settings(&o, path());
    o.load();
    const QRect desk(0, 0, 1280, 1000);
    const ino_t before = inode(path());
    EXPECT_EQ(settings.saveAtClose(QRect(30, 20, 727, 543), desk), QString());
    EXPECT_EQ(inode(path()), before); // unmoved: not written at all

    struct Case
    {
        QRect closing;
        QRect workArea;
        QRect stored;
    };
    const Case cases[] = {
        {QRect(40, 20, 727, 543), desk, QRect(40, 20, 727, 543)},
        // Maximised: larger than the work area both ways.
        {QRect(-4, -4, 1288, 1008), desk, QRect(-4, -4, 1273, 993)},
        {QRect(0, 0, 1300, 600), desk, QRect(0, 0, 1285, 600)},
        {QRect(0, 0, 800, 1001), desk, QRect(0, 0, 800, 986)},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(settings.saveAtClose(c.closing, c.workArea), QString());
        EXPECT_EQ(o.windowBounds(), c.stored);
        GameOptions reread;
        SettingsFile file(&reread, path());
        file.loadinifile();
        EXPECT_EQ(reread.windowBounds(), c.stored);
    }
}

TEST_F(SettingsFileTest, AFailedSaveIsToldOnceAndKeepsTheFile)
{
    const QString unwritable = test::unwritablePath(dir.path(), QStringLiteral("velmarlobby.ini"));
    GameOptions o;
    SettingsFile settings(&o, unwritable);
    o.load();
    QSignalSpy failed(&settings, &SettingsFile::saveFailed);
    o.setWarning(true);
    o.save();
    ASSERT_EQ(failed.size(), 1); // one notice for the whole save
    EXPECT_EQ(failed[0][0].toString(), QStringLiteral("Unable to write to ") + unwritable);
    EXPECT_EQ(settings.savePhrases(), QStringLiteral("Unable to write to ") + unwritable);
    EXPECT_EQ(failed.size(), 1); // the phrase editor tells it itself

    // A settings file that cannot be read (a folder stands there) is never
    // written over.
    ASSERT_TRUE(QDir().mkpath(path()));
    GameOptions p;
    SettingsFile folder(&p, path());
    EXPECT_FALSE(folder.loadinifile().isEmpty());
    EXPECT_EQ(p.textSize(), 8); // the defaults apply
    EXPECT_EQ(folder.saveinifile(), QStringLiteral("Unable to write to ") + path());
    EXPECT_TRUE(QFileInfo(path()).isDir());
}

TEST_F(SettingsFileTest, AReadOnlyFolderKeepsTheStoredFile)
{
    const QString folder = dir.filePath(QStringLiteral("locked"));
    ASSERT_TRUE(QDir().mkpath(folder));
    const QString file = folder + QStringLiteral("/velmarlobby.ini");
    const QByteArray stored = "[Lobby]\nUser=Kim\n[Gorse]\nTextsize=12\nWarning=false\n";
    writeBytes(file, stored);
    ASSERT_EQ(::chmod(QFile::encodeName(dir.path()).constData(), 0755), 0);
    ASSERT_EQ(::chmod(QFile::encodeName(folder).constData(), 0555), 0);
    const QString result = test::runUnprivileged([&] {
        GameOptions o;
        SettingsFile settings(&o, file);
        int failures = 0;
        QObject::connect(&settings, &SettingsFile::saveFailed, [&] { ++failures; });
        o.load();
        if (o.textSize() != 12)
            return QStringLiteral("<not loaded>");
        o.setWarning(true);
        o.save();
        const QString saved = settings.saveinifile();
        return QString::number(failures) + u' ' + saved;
    });
    ASSERT_EQ(::chmod(QFile::encodeName(folder).constData(), 0755), 0);
    EXPECT_EQ(result, QStringLiteral("2 Unable to write to ") + file);
    EXPECT_EQ(readFile(file), stored);
    EXPECT_EQ(QDir(folder).entryList(QDir::Files), QStringList{QStringLiteral("velmarlobby.ini")});
}

TEST_F(SettingsFileTest, ALeftoverOfACrashedSaveChangesNothing)
{
    const QByteArray stored = "[Lobby]\nUser=Kim\n[Gorse]\nTextsize=12\n";
    writeBytes(path(), stored);
    writeBytes(path() + QStringLiteral(".aB3xYz"), "[Gorse]\nTextsi");
    GameOptions o;
    SettingsFile settings(&o, path());
    o.load();
    EXPECT_EQ(o.textSize(), 12);
    o.setTextSize(14);
    o.save();
    EXPECT_TRUE(readFile(path()).startsWith("[Lobby]\nUser=Kim\n[Gorse]\nTextsize=14\n"));
    EXPECT_EQ(readFile(path() + QStringLiteral(".aB3xYz")), QByteArray("[Gorse]\nTextsi"));
}

TEST_F(SettingsFileTest, PhrasesAreWrittenTogetherAndAnEmptyOneComesBackBuiltIn)
{
    writeBytes(path(), "[Gorse]\nTop=5\n");
    GameOptions o;
    SettingsFile settings(&o, path());
    for (int n = 1; n <= 10; ++n)
        o.setPhrase(n, QStringLiteral("phrase %1").arg(n));
    o.setPhrase(3, QString());
    o.setPhrase(4, QStringLiteral("caf\u00E9 = \u4E2D"));
    EXPECT_EQ(settings.savePhrases(), QString());
    const QByteArray written = readFile(path());
    EXPECT_TRUE(written.startsWith("[Gorse]\nTop=5\nPhrase1=phrase 1\nPhrase2=phrase 2\n"
                                   "Phrase3=\nPhrase4=caf\xC3\xA9 = \xE4\xB8\xAD\n"));
    EXPECT_TRUE(written.endsWith("Phrase10=phrase 10\n"));

    // Read back as written; the empty one keeps the built-in phrase.
    GameOptions restarted;
    SettingsFile file(&restarted, path());
    restarted.load();
    EXPECT_EQ(restarted.phrase(3), QStringLiteral("Nice Try!"));
    EXPECT_EQ(restarted.phrase(4), QStringLiteral("caf\u00E9 = \u4E2D"));
}

TEST(ScreenBounds, WindowsOffEveryScreenComeBackToTheNearest)
{
    const QList<QRect> screens{QRect(0, 0, 1920, 1040), QRect(1920, 0, 1280, 984)};
    struct Case
    {
        const char* name;
        QRect bounds;
        QRect placed;
    };
    const Case cases[] = {
        {"on the first", QRect(3, 3, 727, 543), QRect(3, 3, 727, 543)},
        {"across both", QRect(1500, 100, 727, 543), QRect(1500, 100, 727, 543)},
        {"mostly off, title reachable", QRect(-600, 10, 727, 543), QRect(-600, 10, 727, 543)},
        {"far left", QRect(-5000, 200, 727, 543), QRect(0, 200, 727, 543)},
        {"far right", QRect(9000, 300, 727, 543), QRect(3200 - 727, 300, 727, 543)},
        {"below the second", QRect(2600, 3000, 727, 543), QRect(3200 - 727, 984 - 543, 727, 543)},
        {"title above the top", QRect(100, -540, 727, 543), QRect(100, 0, 727, 543)},
        {"only a sliver shows", QRect(1900, 1030, 727, 543),
         QRect(1920 - 727, 1040 - 543, 727, 543)},
        {"larger than the screen", QRect(-9000, -9000, 4000, 3000), QRect(0, 0, 4000, 3000)},
    };
    for (const Case& c : cases)
        EXPECT_EQ(ontoScreens(c.bounds, screens), c.placed) << c.name;
    EXPECT_EQ(ontoScreens(QRect(-5000, 0, 10, 10), {}), QRect(-5000, 0, 10, 10));
}

TEST(ScreenBounds, AWindowOpensBesideAnotherAndKeepsItsBoardClear)
{
    const QRect desk(0, 0, 1920, 1040);
    const QSize help(720, 520);
    const QSize smallest(320, 240);
    struct Case
    {
        const char* name;
        QList<QRect> screens;
        QRect window;
        QRect board;
        QSize size;
        QRect placed;
    };
    const Case cases[] = {
        {"to the right",
         {desk},
         QRect(100, 50, 727, 543),
         QRect(108, 80, 704, 482),
         help,
         QRect(827, 50, 720, 520)},
        {"no room on the right: left",
         {desk},
         QRect(1100, 50, 727, 543),
         QRect(1108, 80, 704, 482),
         help,
         QRect(380, 50, 720, 520)},
        {"level with the window as far as the screen allows",
         {desk},
         QRect(100, 800, 727, 543),
         QRect(108, 830, 704, 482),
         help,
         QRect(827, 520, 720, 520)},
        {"taller than the screen",
         {desk},
         QRect(100, 50, 727, 543),
         QRect(108, 80, 704, 482),
         QSize(720, 1200),
         QRect(827, 0, 720, 1040)},
        {"on the next screen",
         {desk, QRect(1920, 0, 1280, 984)},
         QRect(1193, 50, 727, 543),
         QRect(1201, 80, 704, 482),
         help,
         QRect(1920, 50, 720, 520)},
        {"not across two screens",
         {desk, QRect(1920, 0, 1280, 984)},
         QRect(1100, 50, 727, 543),
         QRect(1108, 80, 704, 482),
         help,
         QRect(380, 50, 720, 520)},
        {"maximised: the space beside the board, narrower",
         {desk},
         desk,
         QRect(240, 30, 1340, 964),
         help,
         QRect(1580, 0, 340, 520)},
        {"maximised: below a wide board, lower",
         {desk},
         desk,
         QRect(0, 0, 1920, 600),
         help,
         QRect(0, 600, 720, 440)},
        {"no room anywhere: as small as allowed, on the screen",
         {QRect(0, 0, 1366, 728)},
         QRect(0, 0, 1366, 728),
         QRect(131, 30, 1104, 690),
         help,
         QRect(1046, 0, 320, 520)},
        {"no screens",
         {},
         QRect(100, 50, 727, 543),
         QRect(108, 80, 704, 482),
         help,
         QRect(827, 50, 720, 520)},
    };
    for (const Case& c : cases) {
        const QRect placed = besideWindow(c.size, c.window, c.board, c.screens, smallest);
        EXPECT_EQ(placed, c.placed) << c.name;
    }
}
