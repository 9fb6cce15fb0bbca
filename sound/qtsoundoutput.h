#pragma once

#include "sound/soundoutput.h"

#include <QString>
#include <QStringList>
#include <QUrl>
#include <map>
#include <memory>

class QSoundEffect;

namespace gorse {

// Plays the embedded recordings (":/sounds/NAME.wav") through Qt
// Multimedia. A recording is loaded once, in the background, when it is
// first played (and the sound system is set up then, not before); a sound
// asked for while it loads starts when it is loaded, and playing never
// waits for it. One sound plays at a time: play() cuts off the sound still
// playing. A name without a recording plays nothing and leaves the current
// sound alone.
class QtSoundOutput : public SoundOutput
{
public:
    explicit QtSoundOutput(const QString& folder = QStringLiteral(":/sounds"));
    ~QtSoundOutput() override;

    void play(const QString& name) override;

    // The names of the recordings, in lower case ("badword", "wave1", ...).
    QStringList names() const;
    // The effect that plays a name (any letter case), loading it if it was
    // not yet; null for a name without a recording.
    const QSoundEffect* effect(const QString& name) const;
    // The names whose recordings were loaded so far.
    QStringList loadedNames() const;

private:
    QSoundEffect* load(const QString& name) const;

    std::map<QString, QUrl> sources_;
    // Loading is not a change a caller sees: effect() loads, too.
    mutable std::map<QString, std::unique_ptr<QSoundEffect>> effects_;
    QSoundEffect* current_ = nullptr; // one of effects_, or null
};

} // namespace gorse
