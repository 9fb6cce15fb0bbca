#pragma once

#include "client/table.h"
#include "client/tallyhooks.h"
#include "settings/gameoptions.h"
#include "sound/soundcues.h"
#include "sound/soundoutput.h"

#include <QList>
#include <QStringList>
#include <map>
#include <optional>
#include <tuple>
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

// Remembers every offer and answers record values a test sets.
class RecordingTally : public TallyHooks
{
public:
    // An addword call: text, number, column.
    using Offer = std::tuple<QString, int, int>;

    int recordValue(int column) const override
    {
        const auto it = records.find(column);
        return it == records.end() ? 0 : it->second;
    }
    void addword(const QString& t, int n, int column) override { offers.append({t, n, column}); }
    void anotherword(int column) override { wordCounts.append(column); }
    void addgame(const QString& winner) override { games.append(winner); }

    std::map<int, int> records;
    QList<Offer> offers;
    QList<int> wordCounts;
    QStringList games;
};

// Remembers the name of every recording played.
class RecordingOutput : public SoundOutput
{
public:
    void play(const QString& name) override { played.append(name); }
    QStringList played;
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
