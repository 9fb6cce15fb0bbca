#pragma once

#include <QString>

namespace gorse {

// What the client asks of the sound output: play the named cue ("entered",
// "goodword", ...) when sounds are on.
class SoundCues
{
public:
    virtual ~SoundCues() = default;
    virtual void playsound(const QString& cue) = 0;
};

// What the client asks of the settings file: read and apply it (once, at the
// own login), and write it after an option changed.
class SettingsHooks
{
public:
    virtual ~SettingsHooks() = default;
    virtual void loadinifile() = 0;
    virtual void saveinifile() = 0;
};

} // namespace gorse
