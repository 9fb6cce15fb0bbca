#pragma once

#include "settings/soundoutput.h"

#include <QString>
#include <QStringList>
#include <map>
#include <memory>

class QSoundEffect;

namespace gorse {

// Plays the embedded recordings (":/sounds/NAME.wav") through Qt
// Multimedia. Every recording is loaded once, at construction, in the
// background; playing never waits for the sound. One sound plays at a time:
// play() cuts off the sound still playing. A name without a recording plays
// nothing and leaves the current sound alone.
class QtSoundOutput : public SoundOutput
{
public:
    explicit QtSoundOutput(const QString& folder = QStringLiteral(":/sounds"));
    ~QtSoundOutput() override;

    void play(const QString& name) override;

    // The names of the recordings, in lower case ("badword", "wave1", ...).
    QStringList names() const;
    // The effect that plays a name (any letter case), or null.
    const QSoundEffect* effect(const QString& name) const;

private:
    std::map<QString, std::unique_ptr<QSoundEffect>> effects_;
    QSoundEffect* current_ = nullptr; // one of effects_, or null
};

} // namespace gorse
