#include "settings/paths.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

namespace gorse {

namespace {

// A program in PREFIX/bin (or PREFIX/games, where Debian puts games) with
// PREFIX/share/metainfo/<the game's id> was installed: it never writes beside
// itself, even into a writable ~/.local/bin.
bool installedIn(const QString& programDir)
{
    const QDir dir(programDir);
    const QString name = dir.dirName();
    return (name == QStringLiteral("bin") || name == QStringLiteral("games")) &&
           QFileInfo::exists(dir.filePath(
               QStringLiteral("../share/metainfo/com.velmarsoftware.Gorse.metainfo.xml")));
}

} // namespace

QString dataDir()
{
    return dataDirFor(QCoreApplication::applicationDirPath());
}

QString dataDirFor(const QString& own)
{
    if (QFileInfo(own).isWritable() && !installedIn(own))
        return own;
    const QString data = QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
    QDir().mkpath(data);
    return data;
}

} // namespace gorse
