// Computer players at a real host over loopback: a person and three of them
// play a whole game; players take only free seats; a late player joins a
// running round; the table stops. The host's round clock and the players'
// thinking clock are moved by the test, second by second.
#include "bots/bottable.h"
#include "host/tserver.h"
#include "manualbotclock.h"
#include "net/messages.h"
#include "support/rawclient.h"
#include "support/testutil.h"

#include <gtest/gtest.h>

#include <algorithm>

using namespace gorse;
using gorse::test::ManualBotClock;
using gorse::test::RawClient;
using gorse::test::waitUntil;

namespace {

std::shared_ptr<const WordFinder> builtIn()
{
    static const std::shared_ptr<const WordFinder> finder = WordFinder::builtIn();
    return finder;
}

// A person at the table, as a bare protocol client: logs in, keeps its
// cards, and plays a short word now and then.
class Person
{
public:
    RawClient client;
    int number = 0;
    PileCards cards{};
    int round = 0;
    bool open = false;
    bool awaiting = false;
    QByteArray winner;

    void login(quint16 port, const QByteArray& name)
    {
        ASSERT_TRUE(client.connectTo(port));
        number = client.waitForPrefix("CMD_sendlogininfo+").mid(18).toInt();
        client.send(msg::logininfo(number, kVersionText, name));
        ASSERT_FALSE(client.waitForPrefix(msg::newplayerinfo(number, name)).isEmpty());
    }
    // Takes in what arrived since the last call.
    void update()
    {
        for (; m_seen < client.messages.size(); ++m_seen) {
            const QByteArray& m = client.messages[m_seen];
            const QByteArray name = m.left(m.indexOf('+'));
            const QByteArray rest = m.mid(m.indexOf('+') + 1);
            if (name == msg::name::thecards) {
                putCards(cards, msg::TheCards::parse(rest).cards);
            } else if (name == msg::name::startround) {
                round = msg::StartRound::parse(rest).round;
                open = true;
            } else if (name == msg::name::endround) {
                open = false;
            } else if (name == msg::name::theword && msg::TheWord::parse(rest).seat == number) {
                putCards(cards, msg::TheWord::parse(rest).cards);
                awaiting = false;
            } else if (name == msg::name::rejected && msg::Rejected::parse(rest).seat == number) {
                putCards(cards, msg::Rejected::parse(rest).cards);
                awaiting = false;
            } else if (name == msg::name::discard &&
                       msg::DiscardResult::parse(rest).seat == number) {
                putCards(cards, {msg::DiscardResult::parse(rest).card});
                awaiting = false;
            } else if (name == msg::name::winner) {
                winner = msg::Winner::parse(rest).name;
            }
        }
    }
    // A word of at most five letters, or a discard when there is none.
    void play()
    {
        for (const FoundWord& w : builtIn()->search(cards)) {
            if (w.letters() <= 5) {
                client.send(msg::sendword(number, w.piles));
                awaiting = true;
                return;
            }
        }
        for (int pile = 1; pile <= kPileCount; ++pile) {
            if (cards[pile - 1] != 0) {
                client.send(msg::discard(number, pile));
                awaiting = true;
                return;
            }
        }
    }
    // Messages from connection k of the given command.
    QList<QByteArray> from(int k, const QByteArray& command) const
    {
        QList<QByteArray> found;
        for (const QByteArray& m : client.messages) {
            if (m.startsWith(command + '+' + QByteArray::number(k) + '+'))
                found.append(m);
        }
        return found;
    }

private:
    qsizetype m_seen = 0;
};

struct Table
{
    std::unique_ptr<TServer> host = std::make_unique<TServer>(nullptr, 31); // built-in list
    TServer& server = *host;
    ManualBotClock clock;
    BotTable bots{builtIn(), &clock};
    QStringList log;
    quint16 port = 0;

    Table()
    {
        server.setRealTimeClock(false);
        // A game to 150 ends within a few rounds; the dialog starts at 300.
        server.setStartRanges({100, kPlayToScoreRange.maximum, 1, 0}, kTimePerTurnRange);
        server.setLog([this](const QString& line) { log.append(line); });
        server.startListening(0);
        port = server.listeningPort();
        bots.setSeed(500);
    }
    bool startBots(int count, BotLevel level)
    {
        bots.start(QStringLiteral("127.0.0.1"), port, count, level);
        clock.advance(0);
        return waitUntil([&] { return !bots.isStarting(); });
    }
    // Everything sent has been handled and answered, and every player
    // knows the host's round.
    bool settled(Person& person)
    {
        return waitUntil([&] {
            person.update();
            if (server.messagesQueued() != 0 || person.awaiting ||
                person.round != server.table().roundNumber() ||
                person.open != server.table().roundOpen())
                return false;
            return std::all_of(bots.bots().begin(), bots.bots().end(), [&](const Bot* bot) {
                return !bot->isAwaitingAnswer() && bot->round() == server.table().roundNumber() &&
                       (server.table().roundOpen() || !bot->isPlaying()) &&
                       (person.winner.isEmpty() || !bot->winner().isEmpty());
            });
        });
    }
    // One second: the players think and play, then the host's clock ticks.
    bool second(Person& person, bool personPlays)
    {
        clock.advance(1000);
        person.update();
        if (personPlays && person.open && !person.awaiting)
            person.play();
        if (!settled(person))
            return false;
        server.timer1Timer();
        return settled(person);
    }
};

} // namespace

TEST(BotsEndToEnd, APersonAndThreeComputerPlayersPlayAGameToTheEnd)
{
    Table t;
    Person ann;
    ann.login(t.port, "Ann");
    ASSERT_EQ(ann.number, 1);
    ASSERT_TRUE(t.startBots(3, BotLevel::Strong));
    ASSERT_EQ(t.bots.seatedCount(), 3);

    // Seats 2..4 under the host's fallback names, each announced to Ann.
    const QByteArray names[] = {"Klot", "Klock", "Kling"};
    for (int i = 0; i < 3; ++i) {
        const Bot* bot = t.bots.bots().at(i);
        EXPECT_EQ(bot->number(), i + 2);
        EXPECT_EQ(bot->name(), names[i]);
        EXPECT_EQ(t.server.table().player(i + 2).name, names[i]);
        EXPECT_FALSE(ann.client.waitForPrefix(msg::newplayerinfo(i + 2, names[i])).isEmpty());
    }

    ann.client.send(msg::startgame("Ann", 150, 45));
    ASSERT_TRUE(waitUntil([&] { return t.server.table().roundNumber() == 1; }));
    ASSERT_TRUE(t.settled(ann));
    ASSERT_EQ(t.server.table().roundNumber(), 1);
    int seconds = 0;
    while (t.server.table().timer1Enabled() && seconds < 600) {
        // Ann plays a word every seven seconds.
        ASSERT_TRUE(t.second(ann, seconds % 7 == 3)) << "stuck after " << seconds << " s";
        ++seconds;
    }
    ASSERT_TRUE(waitUntil([&] {
        ann.update();
        return !ann.winner.isEmpty() &&
               std::all_of(t.bots.bots().begin(), t.bots.bots().end(),
                           [](const Bot* bot) { return !bot->winner().isEmpty(); });
    })) << t.log.join(u'\n').toStdString();

    // The winner is the one seat with the top total, and everybody agrees.
    int top = 1;
    for (int k = 2; k <= 4; ++k) {
        if (t.server.table().player(k).total > t.server.table().player(top).total)
            top = k;
    }
    EXPECT_GE(t.server.table().player(top).total, 150);
    EXPECT_EQ(ann.winner, t.server.table().player(top).name);
    EXPECT_EQ(std::count_if(ann.client.messages.begin(), ann.client.messages.end(),
                            [](const QByteArray& m) { return m.startsWith("CMD_winner+"); }),
              1);
    for (const Bot* bot : t.bots.bots()) {
        SCOPED_TRACE(bot->name().toStdString());
        EXPECT_EQ(bot->winner(), ann.winner);
        EXPECT_EQ(bot->total(), t.server.table().player(bot->number()).total);
        // Every word and discard was answered: none came outside a round,
        // and the host knew every word.
        const Bot::Counts& c = bot->counts();
        EXPECT_GT(c.accepted, 3);
        EXPECT_EQ(c.sent, c.accepted + c.rejected + c.discards);
        EXPECT_EQ(c.rejected, 0);
        EXPECT_EQ(c.lateAnswers, 0);
        // It said hello and, at the end, good game; nothing else.
        const int k = bot->number();
        EXPECT_TRUE(ann.from(k, "CMD_chat").isEmpty());
        const QByteArray colour = "|clBlack";
        EXPECT_EQ(ann.from(k, "CMD_action"),
                  (QList<QByteArray>{
                      msg::actionRelay(k, bot->name(), "says: Hello Everyone!" + colour),
                      msg::actionRelay(k, bot->name(), "says: Good Game Everyone!" + colour)}));
    }
    EXPECT_TRUE(t.log.filter(QStringLiteral("ignored")).isEmpty())
        << t.log.join(u'\n').toStdString();
    EXPECT_TRUE(t.log.filter(QStringLiteral("dropping")).isEmpty());
    std::printf("game over after %d seconds, %lld rounds; winner %s\n", seconds,
                static_cast<long long>(t.server.table().roundNumber()), ann.winner.constData());
}

TEST(BotsEndToEnd, ComputerPlayersTakeOnlyFreeSeats)
{
    Table t;
    Person ann;
    ann.login(t.port, "Ann");
    std::vector<std::unique_ptr<Person>> others;
    for (const char* name : {"Bob", "Cy", "Dee", "Eve"}) {
        others.push_back(std::make_unique<Person>());
        others.back()->login(t.port, name);
    }
    int started = -1;
    QObject::connect(&t.bots, &BotTable::started, [&](int seated) { started = seated; });
    ASSERT_TRUE(t.startBots(3, BotLevel::Casual));
    // Seat 6 is the last seat; the next player would only watch, so it
    // leaves, and no third one is started.
    EXPECT_EQ(started, 1);
    ASSERT_EQ(t.bots.bots().size(), 2);
    EXPECT_EQ(t.bots.bots().at(0)->number(), 6);
    EXPECT_EQ(t.bots.bots().at(0)->name(), "Krazy");
    EXPECT_FALSE(t.bots.bots().at(1)->isConnected());
    EXPECT_TRUE(waitUntil([&] { return !t.server.table().player(7).connected; }));
    EXPECT_TRUE(t.server.table().player(7).name.isEmpty());
}

TEST(BotsEndToEnd, StartsAfterTheGivenDelayAndStopsOnRequest)
{
    Table t;
    Person ann;
    ann.login(t.port, "Ann");
    t.bots.start(QStringLiteral("127.0.0.1"), t.port, 2, BotLevel::Expert, 5000);
    t.clock.advance(4999);
    gorse::test::settle(100);
    EXPECT_EQ(t.server.highWaterMark(), 1);
    t.clock.advance(1);
    ASSERT_TRUE(waitUntil([&] { return t.bots.seatedCount() == 2 && !t.bots.isStarting(); }));

    t.bots.stop();
    EXPECT_TRUE(t.bots.bots().isEmpty());
    EXPECT_TRUE(waitUntil([&] {
        return !t.server.table().player(2).connected && !t.server.table().player(3).connected;
    }));
    EXPECT_FALSE(ann.client.waitForPrefix("CMD_playerdisconnected+3+Klock").isEmpty());
    EXPECT_EQ(t.clock.waiting(), 0u);
}

TEST(BotsEndToEnd, ALatePlayerPlaysTheRestOfTheRoundAndNoticesTheHostLeaving)
{
    auto t = std::make_unique<Table>();
    Person ann;
    ann.login(t->port, "Ann");
    ann.client.send(msg::startgame("Ann", 5000, 60));
    ASSERT_TRUE(waitUntil([&] { return t->server.table().roundNumber() == 1; }));
    ASSERT_TRUE(t->settled(ann));
    for (int i = 0; i < 20; ++i)
        t->server.timer1Timer();

    // 64 - 20 on the host's countdown: 40 seconds of play for the newcomer.
    ASSERT_TRUE(t->startBots(1, BotLevel::Expert));
    Bot* bot = t->bots.bots().at(0);
    ASSERT_TRUE(waitUntil([&] { return bot->isPlaying() && bot->card(1) != 0; }));
    for (int s = 0; s < 39; ++s) {
        t->clock.advance(1000);
        ASSERT_TRUE(waitUntil([&] { return !bot->isAwaitingAnswer(); }));
    }
    EXPECT_GT(bot->counts().accepted, 3);
    EXPECT_EQ(bot->total(), t->server.table().player(2).total);
    EXPECT_FALSE(bot->isPlaying()); // its clock has run out: it stopped in time
    EXPECT_EQ(bot->counts().sent, bot->counts().accepted + bot->counts().discards);

    bool gone = false;
    QObject::connect(bot, &Bot::disconnected, [&] { gone = true; });
    t->host.reset();
    EXPECT_TRUE(waitUntil([&] { return gone; }));
    EXPECT_FALSE(bot->isConnected());
}

TEST(SystemBotClock, CallsOnceAfterTheDelayUnlessCancelled)
{
    SystemBotClock clock;
    int called = 0, cancelled = 0, chained = 0;
    const qint64 start = clock.now();
    clock.callAfter(100, [&] {
        ++called;
        // A call may arrange the next one, as a player's look does.
        clock.callAfter(0, [&] { ++chained; });
    });
    clock.cancel(clock.callAfter(10, [&] { ++cancelled; }));
    clock.cancel(0);
    clock.cancel(12345);
    ASSERT_TRUE(waitUntil([&] { return chained == 1; }));
    EXPECT_GE(clock.now() - start, 90); // a coarse timer may be 5% early, and a millisecond
    gorse::test::settle(50);
    EXPECT_EQ(called, 1);
    EXPECT_EQ(chained, 1);
    EXPECT_EQ(cancelled, 0);
}
