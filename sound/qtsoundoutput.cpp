#include "sound/qtsoundoutput.h"

#include <QDirIterator>
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
    // Without a name filter, which would build a regular expression.
    for (QDirIterator it(folder, QDir::Files); it.hasNext();) {
        const QFileInfo file(it.next());
        if (file.suffix().compare(QLatin1String("wav"), Qt::CaseInsensitive) == 0)
            sources_[file.completeBaseName().toLower()] = sourceUrl(file.filePath());
    }
}

QtSoundOutput::~QtSoundOutput() = default;

QSoundEffect* QtSoundOutput::load(const QString& name) const
{
    const QString key = name.toLower();
    if (const auto loaded = effects_.find(key); loaded != effects_.end())
        return loaded->second.get();
    const auto source = sources_.find(key);
    if (source == sources_.end())
        return nullptr;
    auto effect = std::make_unique<QSoundEffect>();
    effect->setSource(source->second);
    return effects_.emplace(key, std::move(effect)).first->second.get();
}

void QtSoundOutput::play(const QString& name)
{
    QSoundEffect* next = load(name);
    if (!next)
        return;
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
    for (const auto& entry : sources_)
        list.append(entry.first);
    return list;
}

const QSoundEffect* QtSoundOutput::effect(const QString& name) const
{
    return load(name);
}

QStringList QtSoundOutput::loadedNames() const
{
    QStringList list;
    for (const auto& entry : effects_)
        list.append(entry.first);
    return list;
}

} // namespace gorse
