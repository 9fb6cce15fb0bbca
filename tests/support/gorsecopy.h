#pragma once
// The gorse of this build in a temporary folder of its own. The game keeps
// its settings and its tally beside itself, so a test that ran the build's
// own gorse would read and rewrite the files of whoever plays from the
// build folder; a copy keeps them in the test's folder, gone afterwards.
#include "support/testutil.h"

#include <QFile>
#include <QTemporaryDir>
#include <unistd.h>

namespace gorse::test {

class GorseCopy
{
public:
    GorseCopy()
    {
        const QString built = binDir() + QStringLiteral("/gorse");
        // A second name for the same file where the folders share a file
        // system (the program runs under the name it was started by), else
        // a copy.
        m_ok = m_dir.isValid() && (::link(QFile::encodeName(built).constData(),
                                          QFile::encodeName(program()).constData()) == 0 ||
                                   QFile::copy(built, program()));
    }
    bool isValid() const { return m_ok; }
    QString program() const { return m_dir.filePath(QStringLiteral("gorse")); }
    // Where the copy keeps its files.
    QString filePath(const QString& name) const { return m_dir.filePath(name); }

private:
    QTemporaryDir m_dir;
    bool m_ok = false;
};

} // namespace gorse::test
