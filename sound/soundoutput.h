#pragma once

#include <QString>

namespace gorse {

// Where sounds are heard: plays the embedded recording of a name ("goodword",
// "wave3"; names are matched without letter case) at once, without waiting
// for it, and cuts off the sound still playing. A name without a recording
// plays nothing. The program plays through Qt Multimedia; tests record.
class SoundOutput
{
public:
    virtual ~SoundOutput() = default;
    virtual void play(const QString& name) = 0;
};

} // namespace gorse
