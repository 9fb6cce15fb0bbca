#pragma once

// Small file helpers for tests of what is stored on disk.

#include <QByteArray>
#include <QFile>
#include <QString>
#include <sys/stat.h>

namespace gorse::test {

inline bool writeFile(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

// The file's bytes, or "<unreadable>".
inline QByteArray readFile(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<unreadable>");
}

// The file's inode: a file replaced by a save gets a new one. 0 when absent.
inline ino_t inode(const QString& path)
{
    struct stat info
    {
    };
    return ::stat(QFile::encodeName(path).constData(), &info) == 0 ? info.st_ino : 0;
}

// A path in folder where no file can be written, whoever runs the test:
// its folder would be inside an ordinary file.
inline QString unwritablePath(const QString& folder, const QString& name)
{
    const QString blocker = folder + QStringLiteral("/blocker");
    writeFile(blocker, "an ordinary file, not a folder");
    return blocker + QLatin1Char('/') + name;
}

} // namespace gorse::test
