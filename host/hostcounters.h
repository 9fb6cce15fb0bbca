#pragma once

#include <QtGlobal>
#include <array>
#include <cstddef>

namespace gorse {

// What one game table counts since it was made, for the server's metrics.
struct TableCounters
{
    quint64 gamesStarted = 0;
    quint64 gamesFinished = 0; // won; a game left unfinished is not counted
    quint64 wordsAccepted = 0;
    quint64 wordsRejected = 0;
};

// How long dispatch turns took: a histogram in seconds.
struct TurnTimes
{
    // The buckets' upper bounds in seconds; a last one takes the rest.
    static constexpr std::array<double, 8> kBounds{0.0001, 0.00025, 0.0005, 0.001,
                                                   0.0025, 0.005,   0.01,   0.025};
    std::array<quint64, kBounds.size() + 1> buckets{};
    quint64 count = 0;
    double sumSeconds = 0;

    void add(qint64 nanoseconds)
    {
        const double seconds = double(nanoseconds) / 1e9;
        size_t i = 0;
        while (i < kBounds.size() && seconds > kBounds[i])
            ++i;
        ++buckets[i];
        ++count;
        sumSeconds += seconds;
    }
};

// What one connection server counts since it was made.
struct ServerCounters
{
    // Why the server dropped a connection.
    enum class Drop { LineTooLong, TooMuchWaiting, StoppedReading };
    static constexpr size_t kDropReasons = 3;

    quint64 accepted = 0;    // connections given a number
    quint64 refusedFull = 0; // told that all numbers are taken
    quint64 bytesIn = 0;
    quint64 bytesOut = 0;
    std::array<quint64, kDropReasons> dropped{};
    TurnTimes turns;

    void drop(Drop why) { ++dropped[size_t(why)]; }
    // The reason's name in the log and the metrics.
    static constexpr const char* dropName(Drop why)
    {
        constexpr std::array<const char*, kDropReasons> names{"line_too_long", "too_much_waiting",
                                                              "stopped_reading"};
        return names[size_t(why)];
    }
};

} // namespace gorse
