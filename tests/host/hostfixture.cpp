#include "hostfixture.h"

#include "support/testutil.h"

#include <algorithm>
#include <gtest/gtest.h>

namespace gorse::test {

QByteArray wordrecords(Lines words)
{
    std::sort(words.begin(), words.end());
    QByteArray records;
    for (const QByteArray& word : words)
        records += '\x1E' + word.leftJustified(14, ' ', true);
    return records;
}

CardDeck::Cards deckof(const Lines& piles, const QByteArray& fill)
{
    CardDeck::Cards cards{};
    for (int pile = 0; pile < kPileCount; ++pile) {
        int card = kCardCount;
        while (card > 0 && converttoletter(card) != piles.value(pile, fill))
            --card;
        EXPECT_GT(card, 0) << "no card " << piles.value(pile, fill).constData();
        cards[pile].fill(card);
    }
    return cards;
}

Lines withPrefix(const RawClient& c, const QByteArray& prefix)
{
    Lines found;
    std::copy_if(c.messages.begin(), c.messages.end(), std::back_inserter(found),
                 [&](const QByteArray& m) { return m.startsWith(prefix); });
    return found;
}

HostFixture::HostFixture(const Lines& words, const Lines& players, quint64 seed)
{
    server = std::make_unique<TServer>(std::make_unique<TDictn>(wordrecords(words)), seed);
    server->setRealTimeClock(false);
    server->setLog([this](const QString& line) { log.append(line); });
    server->startListening(0);
    port = server->listeningPort();
    for (const QByteArray& name : players)
        join(name);
}

RawClient& HostFixture::connect()
{
    RawClient& c = *clients.emplace_back(std::make_unique<RawClient>());
    EXPECT_TRUE(c.connectTo(port));
    m_numbers.insert(&c, c.waitForPrefix("CMD_sendlogininfo+").mid(18).toInt());
    return c;
}

RawClient& HostFixture::join(const QByteArray& name, const QByteArray& version)
{
    RawClient& c = connect();
    c.send(msg::logininfo(number(c), version, name));
    EXPECT_FALSE(c.waitForPrefix(msg::newplayerinfo(number(c), name)).isEmpty()) << name.data();
    waitUntil([&] { return server->messagesQueued() == 0; });
    return c;
}

RawClient& HostFixture::client(int k) const
{
    for (const auto& c : clients) {
        if (m_numbers.value(c.get()) == k && !c->isClosed())
            return *c;
    }
    ADD_FAILURE() << "no client holds number " << k;
    return *clients.front();
}

void HostFixture::act(RawClient& c, const QByteArray& message)
{
    const quint64 before = server->messagesHandled();
    c.send(message);
    EXPECT_TRUE(waitUntil([&] {
        return server->messagesHandled() > before && server->messagesQueued() == 0;
    })) << message.constData();
}

void HostFixture::start(const CardDeck::Cards& cards, int target, int seconds)
{
    server->table().deck().stack(cards);
    act(1, msg::startgame(server->table().player(1).name, target, seconds));
}

void HostFixture::tick(int times)
{
    while (times-- > 0)
        server->timer1Timer();
}

void HostFixture::sync()
{
    std::vector<RawClient*> served;
    for (const auto& c : clients) {
        const int k = number(*c);
        if (!c->isClosed() && server->table().player(k).connected && !server->connection(k).closing)
            served.push_back(c.get());
    }
    if (served.empty())
        return;
    act(*served.front(), msg::chat(number(*served.front()), "\x01sync"));
    auto marker = [](const QByteArray& m) { return m.endsWith("\x01sync"); };
    for (RawClient* c : served) {
        // Only what arrived since the last look is searched: after a flood
        // a client holds tens of thousands of messages.
        qsizetype seen = 0;
        EXPECT_TRUE(waitUntil([&] {
            for (; seen < c->messages.size(); ++seen) {
                if (marker(c->messages.at(seen))) {
                    c->messages.remove(seen);
                    return true;
                }
            }
            return false;
        })) << "client "
            << number(*c) << " did not get the marker";
    }
}

void HostFixture::clear()
{
    sync();
    for (const auto& c : clients)
        c->messages.clear();
}

void HostFixture::leave(RawClient& c)
{
    sync(); // the leaver first receives everything sent so far
    const int k = number(c);
    c.close();
    EXPECT_TRUE(waitUntil([&] { return !server->table().player(k).connected; }))
        << k << " still taken";
    m_numbers.remove(&c);
}

} // namespace gorse::test
