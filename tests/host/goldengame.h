#pragma once

#include "host/gametable.h"

#include <QByteArray>
#include <QList>
#include <QStringList>

namespace gorse::test {

// The players of the recorded game and the host they play at: over
// loopback sockets (golden_test.cpp) or straight into a GameTable
// (gametable_test.cpp).
class GoldenPlayers
{
public:
    virtual ~GoldenPlayers() = default;
    virtual GameTable& table() = 0;
    // A new connection takes the lowest free number and logs in.
    virtual void join(const QByteArray& name, const QByteArray& version) = 0;
    // Connection k sends a message, and the host handles it.
    virtual void act(int k, const QByteArray& message) = 0;
    // Connection k closes, and the host lets its number go.
    virtual void leave(int k) = 0;
    virtual void tick(int times) = 0; // the round clock's tick handler
    // What each connection has received so far, the connections in the
    // order they were made.
    virtual QList<QList<QByteArray>> received() = 0;
    virtual QStringList log() const = 0;
};

// Plays the recorded game and compares what every connection received with
// golden/game.txt, or records it there when GORSE_RECORD_GOLDEN=1.
void playGoldenGame(GoldenPlayers& players);
// The word list and the seed of the recorded game.
QList<QByteArray> goldenWords();
inline constexpr quint64 kGoldenSeed = 4711;

} // namespace gorse::test
