// Where the settings and the tally go: beside a program in a writable
// folder, but never beside an installed one.
#include "app/paths.h"

#include <QDir>
#include <QFile>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace gorse;

TEST(Paths, InstalledCopiesUseTheDataFolder)
{
    QStandardPaths::setTestModeEnabled(true);
    QTemporaryDir prefix;
    ASSERT_TRUE(prefix.isValid());
    const QString bin = prefix.filePath(QStringLiteral("bin"));
    ASSERT_TRUE(QDir().mkpath(bin));
    // A build folder (or an unpacked copy): beside the program.
    EXPECT_EQ(dataDirFor(bin), bin);

    // The same folder once the game's description is installed beside it.
    const QString metainfo = prefix.filePath(QStringLiteral("share/metainfo"));
    ASSERT_TRUE(QDir().mkpath(metainfo));
    QFile description(metainfo + QStringLiteral("/com.velmarsoftware.Gorse.metainfo.xml"));
    ASSERT_TRUE(description.open(QIODevice::WriteOnly));
    description.close();
    const QString data = QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
    EXPECT_EQ(dataDirFor(bin), data);
    EXPECT_TRUE(QDir(data).exists());
    // Only a bin folder counts as installed.
    const QString other = prefix.filePath(QStringLiteral("games"));
    ASSERT_TRUE(QDir().mkpath(other));
    EXPECT_EQ(dataDirFor(other), other);
}
