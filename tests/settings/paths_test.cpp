// Where the settings and the tally go: beside a program in a writable
// folder, but never beside an installed one.
#include "settings/paths.h"
#include "support/qtprint.h"

#include <QDir>
#include <QFile>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace gorse;

TEST(Paths, InstalledCopiesUseTheDataFolder)
{
    QStandardPaths::setTestModeEnabled(true);
    // bin/ of any prefix, and games/, where Debian's package puts the
    // programs; not any other folder.
    const struct
    {
        const char* folder;
        bool installed;
    } cases[] = {{"bin", true}, {"games", true}, {"tools", false}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.folder);
        QTemporaryDir prefix;
        ASSERT_TRUE(prefix.isValid());
        const QString programs = prefix.filePath(QLatin1StringView(c.folder));
        ASSERT_TRUE(QDir().mkpath(programs));
        // A build folder (or an unpacked copy): beside the program.
        EXPECT_EQ(dataDirFor(programs), programs);

        // The same folder once the game's description is installed beside it.
        const QString metainfo = prefix.filePath(QStringLiteral("share/metainfo"));
        ASSERT_TRUE(QDir().mkpath(metainfo));
        QFile description(metainfo + QStringLiteral("/com.velmarsoftware.Gorse.metainfo.xml"));
        ASSERT_TRUE(description.open(QIODevice::WriteOnly));
        description.close();
        const QString data = QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
        EXPECT_EQ(dataDirFor(programs), c.installed ? data : programs);
        EXPECT_TRUE(QDir(data).exists());
    }
}
