#pragma once

#include "client/clientservices.h"

#include <QStringList>

namespace gorse::test {

// Remembers every cue asked for, in order.
class RecordingSound : public SoundCues
{
public:
    void playsound(const QString& cue) override { cues.append(cue); }
    QStringList cues;
};

// Counts reads and writes of the settings file.
class RecordingSettings : public SettingsHooks
{
public:
    void loadinifile() override { ++loads; }
    void saveinifile() override { ++saves; }
    int loads = 0;
    int saves = 0;
};

} // namespace gorse::test
