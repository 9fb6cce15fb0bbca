#pragma once

// The words of the reviewed slur list (tools/wordlist-slurs.txt), read as
// the word-list generator reads them: per line the first word, in upper
// case; "#" starts a comment.

#include <QByteArray>
#include <QFile>
#include <QList>
#include <QString>

namespace gorse::test {

// Empty when the file cannot be read.
inline QList<QByteArray> reviewedSlurs(const QString& path)
{
    QList<QByteArray> words;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return words;
    for (QByteArray line : file.readAll().split('\n')) {
        if (const qsizetype comment = line.indexOf('#'); comment >= 0)
            line.truncate(comment);
        const QList<QByteArray> fields = line.simplified().split(' ');
        if (!fields.first().isEmpty())
            words.append(fields.first().toUpper());
    }
    return words;
}

} // namespace gorse::test
