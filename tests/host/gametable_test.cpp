// GameTable without sockets: the recorded game played straight into it,
// whom it answers with what, and when it runs its round clock.
#include "goldengame.h"
#include "hostfixture.h"

#include <gtest/gtest.h>

using namespace gorse;
using namespace gorse::test;

namespace {

// A host without sockets: numbers are handed out as the connection server
// does, and the table's answers are recorded.
class TablePlayers : public GoldenPlayers, public TableOutput
{
public:
    TablePlayers(const Lines& words, quint64 seed)
        : m_table(std::make_unique<TDictn>(wordrecords(words)), seed, *this)
    {
        m_client.fill(-1);
    }

    GameTable& table() override { return m_table; }
    void join(const QByteArray& name, const QByteArray& version = kVersionText) override
    {
        int k = 1;
        while (m_client[k] >= 0)
            ++k;
        m_client[k] = int(m_received.size());
        m_received.append(Lines{});
        m_table.joined(k);
        act(k, msg::logininfo(k, version, name));
    }
    void act(int k, const QByteArray& message) override { m_table.handleMessage(k, message); }
    void leave(int k) override
    {
        m_table.left(k);
        m_client[k] = -1;
    }
    void tick(int times) override
    {
        while (times-- > 0)
            m_table.timer1Timer();
    }
    QList<Lines> received() override { return m_received; }
    QStringList log() const override { return m_log; }

    // What the table did, in order: "2 CMD_..." for one connection, "all
    // CMD_..." for all of them, "close 2".
    Lines events;
    bool clockRunning = false;

private:
    void sendTo(int k, QByteArrayView message) override
    {
        events.append(QByteArray::number(k) + ' ' + message.toByteArray());
        if (m_client[k] >= 0)
            m_received[m_client[k]].append(message.toByteArray());
    }
    void sendToAll(QByteArrayView message) override
    {
        events.append("all " + message.toByteArray());
        for (int k = 1; k <= kConnectionCount; ++k) {
            if (m_client[k] >= 0)
                m_received[m_client[k]].append(message.toByteArray());
        }
    }
    void closeConnection(int k) override { events.append("close " + QByteArray::number(k)); }
    void startClock() override { clockRunning = true; }
    void stopClock() override { clockRunning = false; }
    void log(const QString& line) override { m_log.append(line); }
    void announceChange() override {}

    GameTable m_table;
    std::array<int, kConnectionCount + 1> m_client; // number -> index in m_received
    QList<Lines> m_received;
    QStringList m_log;
};

} // namespace

TEST(GameTable, PlaysTheRecordedGameWithoutSockets)
{
    TablePlayers players(goldenWords(), kGoldenSeed);
    playGoldenGame(players);
}

TEST(GameTable, AnswersEachRequestToTheNumbersItConcerns)
{
    const struct
    {
        int from;
        QByteArray request;
        Lines events;
    } cases[] = {
        {2, "CMD_chat+2+hi|clBlack", {"all CMD_chat+2+Bob chats: hi|clBlack"}},
        {2, "CMD_chat+1+hi|clBlack", {}}, // acting for another connection
        {2, "CMD_kickhim+2+1", {}},       // only connection 1 removes players
        {1, "CMD_kickhim+1+2", {"close 2"}},
        {1, "CMD_kickhim+1+5", {}}, // nobody holds 5
        {2, "CMD_startgame+Bob+500+60+", {}},
        {1,
         "CMD_startgame+Ann+500+60+",
         {"all CMD_startgame+Ann+500+60+",
          "all CMD_thecards+1+1+t+2+2+t+3+1+t+4+1+t+5+1+t+6+1+t+7+1+t+8+1+t",
          "all CMD_startround+1+"}},
        {2, "CMD_sendword+2+1+2", {}}, // no round is open
        {2, "CMD_discard+2+1", {}},
        {2,
         "CMD_logininfo+2+1.1.0+Bo",
         {"all CMD_newplayerinfo+2+Bo", "2 CMD_existingplayers+1+Ann", "1 CMD_havewrongversion+Bo",
          "2 CMD_wrongversion+"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.request.constData());
        TablePlayers t({"AB"}, 1);
        t.join("Ann");
        t.join("Bob");
        t.table().deck().stack(deckof({"A", "B"}));
        t.events.clear();
        t.act(c.from, c.request);
        EXPECT_EQ(t.events, c.events);
    }
}

TEST(GameTable, RunsItsClockOnlyWhileARoundOrThePauseAfterItCounts)
{
    TablePlayers t({"AB"}, 1);
    t.table().setStartRanges({5, 5, 1, 5}, kTimePerTurnRange);
    t.join("Ann");
    t.join("Bob");
    EXPECT_FALSE(t.clockRunning);
    t.table().deck().stack(deckof({"A", "B"}));
    t.act(1, msg::startgame("Ann", 5, 45));
    t.act(1, msg::sendword(1, {1, 2}));
    EXPECT_TRUE(t.clockRunning);

    // The round lasts its seconds and 4 more, then the pause 15.
    t.tick(45 + kRoundExtraSeconds - 1);
    EXPECT_TRUE(t.table().roundOpen());
    t.events.clear();
    t.tick(1);
    EXPECT_EQ(t.events, (Lines{"1 CMD_endround+5+1+5+5+0+/5-AB+2+0+0+0++3+0+0+0++4+0+0+0++5+0+0+0+"
                               "+6+0+0+0+",
                               "2 CMD_endround+0+1+5+5+0+/5-AB+2+0+0+0++3+0+0+0++4+0+0+0++5+0+0+0+"
                               "+6+0+0+0+"}));
    EXPECT_TRUE(t.clockRunning);
    t.tick(kRoundPauseSeconds - 1);
    EXPECT_EQ(t.events.size(), 2);

    // The win ends the game, and the clock with it.
    t.tick(1);
    EXPECT_EQ(t.events.last(), "all CMD_winner+Ann+");
    EXPECT_FALSE(t.clockRunning);
    EXPECT_FALSE(t.table().timer1Enabled());
    t.tick(100);
    EXPECT_EQ(t.events.size(), 3);
}
