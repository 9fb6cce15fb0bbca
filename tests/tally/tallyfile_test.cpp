// The tally's file: saved at once after every counted game and every change
// in the window, read at start-up with the session counts zeroed, and a file
// that does not read kept aside instead of being written over.
#include "tally/lzrw1.h"
#include "tally/tallyfile.h"
#include "tallygame.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace gorse;
using namespace gorse::test;

namespace {

const QString kFreshRow = QStringLiteral("0,0,0,0,0,0,0,0,0,0");

struct TempTally
{
    QTemporaryDir dir;
    QString path = dir.filePath(TallyFile::kFileName);
};

} // namespace

TEST(TallyFile, EveryChangeIsSavedAtOnce)
{
    TempTally t;
    Tally tally;
    QStringList players{QStringLiteral("Bob")};
    tally.setPlayersSource([&players] { return players; });
    TallyFile file(&tally, t.path);
    EXPECT_EQ(file.load(), QString());
    EXPECT_FALSE(QFile::exists(t.path));

    tally.loadchecklist();
    tally.checklistClickCheck(0);
    EXPECT_EQ(stored(t.path), kFreshRow + QStringLiteral(" / Bob,0,0,0,0,0,0,0,0,0"));
    tally.anotherword(7); // words alone wait for the game's end
    EXPECT_EQ(stored(t.path), kFreshRow + QStringLiteral(" / Bob,0,0,0,0,0,0,0,0,0"));
    tally.addgame(QStringLiteral("Bob"));
    EXPECT_EQ(stored(t.path), QStringLiteral("0,1,0,0,0,0,0,1,0,0 / Bob,1,1,0,0,1,1,0,0,0"));
    tally.unfollow(0);
    EXPECT_EQ(stored(t.path), QStringLiteral("0,1,0,0,0,0,0,1,0,0"));
    tally.reset();
    EXPECT_EQ(stored(t.path), kFreshRow);
    // What is written is the compressed grid text, nothing else.
    EXPECT_EQ(readFile(t.path), Tlzrw1::Compress(SaveGridText(tally.grid())));
    QFile golden(QStringLiteral(GORSE_TALLY_GOLDEN_DIR "/fresh.tld"));
    ASSERT_TRUE(golden.open(QIODevice::ReadOnly));
    EXPECT_EQ(readFile(t.path), golden.readAll());
}

TEST(TallyFile, TwoGamesThenARestartKeepTheTotalsAndStartTheSessionAtZero)
{
    TempTally t;
    {
        TallyGame g(1, {QStringLiteral("Ann"), QStringLiteral("Bob")});
        TallyFile file(&g.tally, t.path);
        ASSERT_EQ(file.load(), QString());
        g.tally.loadchecklist();
        g.tally.checklistClickCheck(0);
        g.tally.listbox_tallyClick(0);
        g.start();
        g.word("STRING", 25);
        g.winner("Bob");
        g.start();
        g.winner("Ann");
        EXPECT_EQ(panel(g.tally), QStringLiteral("Bob's Tally,Bob Wins:,2,1,1,0,2,1,1,0"));
        g.start();
        g.word("QUEST", 20); // a game in progress when the program ends
    }
    Tally tally;
    TallyFile file(&tally, t.path);
    // The file keeps the last run's session counts until it is next read.
    EXPECT_EQ(stored(t.path),
              QStringLiteral("0,2,1,STRING,6,STRING,25,2,0,0 / Bob,2,1,1,0,2,1,1,0,0"));
    ASSERT_EQ(file.load(), QString());
    tally.listbox_tallyClick(0);
    EXPECT_EQ(panel(tally), QStringLiteral("Bob's Tally,Bob Wins:,2,1,1,0,0,0,0,0"));
    EXPECT_EQ(ownLabels(tally), QStringLiteral("2 | 1 | 2 | 0 (0) | STRING (6) | STRING (25)"));
}

TEST(TallyFile, ADamagedFileIsKeptAsideAndTheTallyStartsEmpty)
{
    const QByteArray good = Tlzrw1::Compress("10\r\n1\r\n" + QByteArray("7\r\n").repeated(10));
    const struct
    {
        const char* what;
        QByteArray bytes;
        QString message; // the notice begins with it; %1 is the file
    } cases[] = {
        {"other signature", "!HZL" + good.mid(4),
         QStringLiteral("%1 : Lzrw1 decompression : this file has no valid header !")},
        {"empty", QByteArray(), QStringLiteral("Lzrw1 : Error reading from input file : %1")},
        {"cut short", good.left(good.size() - 2),
         QStringLiteral("Lzrw1 : Error reading from input file : %1")},
        {"wrong size", good.left(4) + "\x05" + good.mid(5),
         QStringLiteral("Lzrw1 (decompression LZRW1/KH) : Original and compressed sizes do not "
                        "match !")},
        {"counts that do not match", Tlzrw1::Compress("10\r\n2\r\n0\r\n"),
         QStringLiteral("%1 : the tally text is damaged: it gives 10 columns and 2 rows, which is "
                        "20 cells, but 1 lines of cells follow")},
        {"no rows", Tlzrw1::Compress("10\r\n0\r\n"),
         QStringLiteral("%1 : the tally text is damaged: it holds no rows")},
    };
    for (const auto& c : cases) {
        TempTally t;
        const QString bad = t.path + QStringLiteral(".bad");
        ASSERT_TRUE(writeFile(t.path, c.bytes));
        ASSERT_TRUE(writeFile(bad, "an older damaged file"));
        Tally tally;
        {
            TallyFile file(&tally, t.path);
            const QString notice = file.load();
            // In plain words first, then the technical line.
            const QString plain = QStringLiteral("The statistics file could not be read. It was "
                                                 "kept as %1 and a new one was started.\n\n")
                                      .arg(bad);
            EXPECT_TRUE(notice.startsWith(plain)) << c.what << ": " << notice.toStdString();
            EXPECT_TRUE(notice.mid(plain.size())
                            .startsWith(QString(c.message).replace(QStringLiteral("%1"), t.path)))
                << c.what << ": " << notice.toStdString();
            EXPECT_EQ(readFile(bad), c.bytes) << c.what;
            EXPECT_FALSE(QFile::exists(t.path)) << c.what;
            EXPECT_EQ(tally.grid(), Tally().grid()) << c.what;
        }
        // At exit the empty tally is written; the damaged one stays aside.
        EXPECT_EQ(stored(t.path), kFreshRow) << c.what;
        EXPECT_EQ(readFile(bad), c.bytes) << c.what;
    }
}

TEST(TallyFile, AFileThatCannotBeReadIsNeverWrittenOver)
{
    TempTally t;
    const QByteArray damaged = "WRZL junk";
    ASSERT_TRUE(writeFile(t.path, damaged));
    // Something in the way of the kept-aside name.
    const QString bad = t.path + QStringLiteral(".bad");
    ASSERT_TRUE(QDir().mkpath(bad + QStringLiteral("/inside")));
    Tally tally;
    QStringList players{QStringLiteral("Bob")};
    tally.setPlayersSource([&players] { return players; });
    {
        TallyFile file(&tally, t.path);
        EXPECT_TRUE(file.load().startsWith(
            QStringLiteral("The statistics file %1 could not be read, nor kept aside, so it is "
                           "left as it is.")
                .arg(t.path)));
        // The player was told at the start: no notice for each change.
        int notices = 0;
        QObject::connect(&file, &TallyFile::saveFailed, [&] { ++notices; });
        tally.loadchecklist();
        tally.checklistClickCheck(0);
        EXPECT_FALSE(file.save().isEmpty());
        EXPECT_EQ(notices, 0);
    }
    EXPECT_EQ(readFile(t.path), damaged);

    // Nor is a file that was never read.
    const QByteArray good = Tlzrw1::Compress(SaveGridText(tally.grid()));
    ASSERT_TRUE(writeFile(t.path, good));
    {
        Tally other;
        TallyFile file(&other, t.path);
    }
    EXPECT_EQ(readFile(t.path), good);
}

TEST(TallyFile, ASaveThatCannotBeMadeIsReported)
{
    TempTally t;
    const QString path = t.dir.filePath(QStringLiteral("gone/") + TallyFile::kFileName);
    const QString technical =
        QStringLiteral("Lzrw1 (de)compression : Failed to open output file : ") + path;
    Tally tally;
    TallyFile file(&tally, path);
    EXPECT_EQ(file.load(), QString());
    EXPECT_TRUE(file.save().startsWith(technical));

    // A save in play that fails is told to the player, plain words first.
    QStringList notices;
    QObject::connect(&file, &TallyFile::saveFailed,
                     [&](const QString& notice) { notices.append(notice); });
    tally.addgame(Tally::kOwnWin);
    ASSERT_EQ(notices.size(), 1);
    EXPECT_TRUE(notices[0].startsWith(
        QStringLiteral("The statistics could not be saved to %1. The file keeps what it held "
                       "before; saving is tried again at the next change and when the game "
                       "closes.\n\n")
            .arg(path) +
        technical))
        << notices[0].toStdString();
}

TEST(TallyFile, NothingIsWrittenToTheCurrentDirectory)
{
    QTemporaryDir cwd;
    TempTally t;
    const QString before = QDir::currentPath();
    ASSERT_TRUE(QDir::setCurrent(cwd.path()));
    {
        Tally tally;
        TallyFile file(&tally, t.path);
        file.load();
        tally.addgame(QStringLiteral("addtomine"));
        EXPECT_TRUE(writeFile(t.path, "damaged"));
        Tally again;
        TallyFile second(&again, t.path);
        second.load();
    }
    QDir::setCurrent(before);
    EXPECT_TRUE(QDir(cwd.path()).isEmpty());
    EXPECT_TRUE(QFile::exists(t.path));
}
