#pragma once

// Small file helpers for tests of what is stored on disk.

#include <QByteArray>
#include <QFile>
#include <QString>
#include <functional>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

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

// Runs f as an ordinary user: root writes into read-only folders, so a
// test of a read-only folder run by root runs f in a child process that
// has given root up. Returns f's result.
inline QString runUnprivileged(const std::function<QString()>& f)
{
    if (::geteuid() != 0)
        return f();
    int fds[2];
    if (::pipe(fds) != 0)
        return QStringLiteral("<pipe failed>");
    const pid_t child = ::fork();
    if (child == 0) {
        ::close(fds[0]);
        if (::setgid(65534) != 0 || ::setuid(65534) != 0)
            ::_exit(2);
        const QByteArray result = f().toUtf8();
        const bool written =
            ::write(fds[1], result.constData(), size_t(result.size())) == result.size();
        ::_exit(written ? 0 : 3);
    }
    ::close(fds[1]);
    QByteArray result;
    char buffer[512];
    for (ssize_t n; (n = ::read(fds[0], buffer, sizeof buffer)) > 0;)
        result.append(buffer, n);
    ::close(fds[0]);
    int status = 0;
    ::waitpid(child, &status, 0);
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0)
        return QStringLiteral("<child failed>");
    return QString::fromUtf8(result);
}

} // namespace gorse::test
