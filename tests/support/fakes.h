#pragma once

#include "client/table.h"
#include "settings/gameoptions.h"
#include "sound/soundcues.h"

#include <QList>
#include <QStringList>
#include <optional>
#include <utility>

namespace gorse::test {

// Remembers every cue asked for, by its recording's name, and every chatter
// sound with the name of its sender.
class RecordingSound : public SoundCues
{
public:
    void play(Cue cue) override { cues.append(cueName(cue)); }
    void chatter(const QString& sound, const std::optional<QString>& sender) override
    {
        chatters.append({sound, sender});
    }
    QStringList cues;
    QList<std::pair<QString, std::optional<QString>>> chatters;
};

// The player's options, counting the requests to read and write them.
class RecordingOptions : public GameOptions
{
public:
    RecordingOptions()
    {
        connect(this, &GameOptions::loadRequested, [this] { ++loads; });
        connect(this, &GameOptions::saveRequested, [this] { ++saves; });
    }
    int loads = 0;
    int saves = 0;
};

// The spy list's items, "7: Eve", in order.
inline QStringList spyItems(const Table& table)
{
    QStringList items;
    for (const Spy& spy : table.spies())
        items.append(spy.itemText());
    return items;
}

} // namespace gorse::test
