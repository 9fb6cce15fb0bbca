#include "settings/qtsoundoutput.h"

#include <QDir>
#include <QFileInfo>
#include <QSoundEffect>
#include <QUrl>

namespace gorse {

namespace {

// A resource path becomes a "qrc:" address; a file path a "file:" one.
QUrl sourceUrl(const QString& path)
{
    if (path.startsWith(u':'))
        return QUrl(QStringLiteral("qrc") + path);
    return QUrl::fromLocalFile(path);
}

} // namespace

QtSoundOutput::QtSoundOutput(const QString& folder)
{
    const QDir dir(folder);
    const QStringList files =
        dir.entryList({QStringLiteral("*.wav")}, QDir::Files, QDir::Name | QDir::IgnoreCase);
    for (const QString& file : files) {
        auto effect = std::make_unique<QSoundEffect>();
        effect->setSource(sourceUrl(dir.filePath(file)));
        effects_[QFileInfo(file).completeBaseName().toLower()] = std::move(effect);
    }
}

QtSoundOutput::~QtSoundOutput() = default;

void QtSoundOutput::play(const QString& name)
{
    const auto found = effects_.find(name.toLower());
    if (found == effects_.end())
        return;
    QSoundEffect* next = found->second.get();
    if (current_ && current_ != next)
        current_->stop();
    current_ = next;
    // A sound that is still playing starts over.
    next->stop();
    next->play();
}

QStringList QtSoundOutput::names() const
{
    QStringList list;
    for (const auto& entry : effects_)
        list.append(entry.first);
    return list;
}

const QSoundEffect* QtSoundOutput::effect(const QString& name) const
{
    const auto found = effects_.find(name.toLower());
    return found == effects_.end() ? nullptr : found->second.get();
}

} // namespace gorse
