// The recorded game (goldengame.cpp) played over loopback sockets: every
// client receives exactly the messages in golden/game.txt.
#include "goldengame.h"
#include "hostfixture.h"

#include <gtest/gtest.h>

using namespace gorse;
using namespace gorse::test;

namespace {

class SocketPlayers : public GoldenPlayers
{
public:
    GameTable& table() override { return f.server->table(); }
    void join(const QByteArray& name, const QByteArray& version) override { f.join(name, version); }
    void act(int k, const QByteArray& message) override { f.act(k, message); }
    void leave(int k) override { f.leave(f.client(k)); }
    void tick(int times) override { f.tick(times); }
    QList<Lines> received() override
    {
        f.sync();
        QList<Lines> all;
        for (const auto& c : f.clients)
            all.append(c->messages);
        return all;
    }
    QStringList log() const override { return f.log; }

private:
    HostFixture f{goldenWords(), {}, kGoldenSeed};
};

} // namespace

TEST(GoldenGame, AWholeGameSendsExactlyTheRecordedMessages)
{
    SocketPlayers players;
    playGoldenGame(players);
}
