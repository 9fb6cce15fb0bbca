#include "tally/tallyfile.h"

#include "tally/gridtext.h"
#include "tally/lzrw1.h"
#include "tally/tally.h"

#include <QDir>
#include <QFile>
#include <QSaveFile>

namespace gorse {

TallyFile::TallyFile(Tally* tally, const QString& path, QObject* parent)
    : QObject(parent), m_tally(tally), m_path(path)
{
    connect(m_tally, &Tally::saveNeeded, this, [this] {
        const QString error = save();
        if (error.isEmpty())
            return;
        qWarning("gorse: tally not saved: %s", qPrintable(error));
        // A file that was never read, or could not be moved aside, is not
        // written on purpose, and the player was told so at start-up.
        if (m_loaded && !m_saveBlocked)
            emit saveFailed(QStringLiteral("The statistics could not be saved to %1. The file "
                                           "keeps what it held before; saving is tried again "
                                           "at the next change and when the game closes.")
                                .arg(QDir::toNativeSeparators(m_path)) +
                            QStringLiteral("\n\n") + error);
    });
}

TallyFile::~TallyFile()
{
    const QString error = save();
    if (!error.isEmpty())
        qWarning("gorse: tally not saved at exit: %s", qPrintable(error));
}

QString TallyFile::load()
{
    m_loaded = true;
    QFile file(m_path);
    if (!file.exists())
        return QString();
    QString error;
    if (!file.open(QIODevice::ReadOnly)) {
        error = Tlzrw1::openInputMessage(m_path);
    } else {
        const QByteArray bytes = file.readAll();
        const bool readFailed = file.error() != QFileDevice::NoError;
        file.close();
        try {
            if (readFailed)
                throw ELzrw1Exception(Tlzrw1::readErrorMessage(m_path));
            const QByteArray text = Tlzrw1::Decompress(bytes, m_path);
            QString why;
            const auto grid = LoadGridText(text, &why);
            if (!grid)
                error = m_path + QStringLiteral(" : the tally text is damaged: ") + why;
            else if (!m_tally->loadtally(*grid))
                error = m_path + QStringLiteral(" : the tally text is damaged: it holds no rows");
        } catch (const ELzrw1Exception& e) {
            error = e.message();
        }
    }
    return error.isEmpty() ? QString() : keepAside(error);
}

QString TallyFile::keepAside(const QString& error)
{
    QString notice;
    QFile::remove(badPath());
    if (QFile::rename(m_path, badPath())) {
        notice = QStringLiteral("The statistics file could not be read. It was kept as %1 and a "
                                "new one was started.")
                     .arg(QDir::toNativeSeparators(badPath()));
    } else {
        m_saveBlocked = true;
        notice = QStringLiteral("The statistics file %1 could not be read, nor kept aside, so it "
                                "is left as it is. The statistics start empty and are not saved "
                                "until the game is started again.")
                     .arg(QDir::toNativeSeparators(m_path));
    }
    notice += QStringLiteral("\n\n") + error;
    qWarning("gorse: tally: %s", qPrintable(notice));
    return notice;
}

QString TallyFile::save()
{
    if (!m_loaded)
        return QStringLiteral("the tally file was not read, so it is not written");
    if (m_saveBlocked)
        return QStringLiteral("the unreadable tally file %1 is left as it is").arg(m_path);
    const QByteArray bytes = Tlzrw1::Compress(SaveGridText(m_tally->grid()));
    QSaveFile out(m_path);
    if (!out.open(QIODevice::WriteOnly))
        return Tlzrw1::openOutputMessage(m_path) + QStringLiteral(" (") + out.errorString() + u')';
    if (out.write(bytes) != bytes.size() || !out.commit())
        return Tlzrw1::writeErrorMessage(m_path) + QStringLiteral(" (") + out.errorString() + u')';
    return QString();
}

} // namespace gorse
