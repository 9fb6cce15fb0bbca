#include "hostfixture.h"

#include "support/testutil.h"

#include <algorithm>
#include <gtest/gtest.h>

namespace gorse::test {

QByteArray wordrecords(QList<QByteArray> words)
{
    std::sort(words.begin(), words.end());
    QByteArray records;
    for (const QByteArray& word : words)
        records += '\x1E' + word.leftJustified(14, ' ', true);
    return records;
}

CardDeck::Cards filleddeck(int card)
{
    CardDeck::Cards cards;
    for (auto& pile : cards)
        pile.fill(card);
    return cards;
}

int cardof(const QByteArray& face)
{
    for (int card = 1; card <= kCardCount; ++card) {
        if (converttoletter(card) == face)
            return card;
    }
    return 0;
}

HostFixture::HostFixture(const QList<QByteArray>& words, quint64 seed)
{
    server = std::make_unique<TServer>(std::make_unique<TDictn>(wordrecords(words)), seed);
    server->setRealTimeClock(false);
    server->setLog([this](const QString& line) { log.append(line); });
    server->startListening(0);
    port = server->listeningPort();
}

HostFixture::~HostFixture()
{
    clients.clear();
    server.reset();
}

RawClient& HostFixture::connect()
{
    clients.push_back(std::make_unique<RawClient>());
    RawClient& c = *clients.back();
    EXPECT_TRUE(c.connectTo(port));
    const QByteArray first = c.waitForPrefix("CMD_");
    if (first.startsWith("CMD_sendlogininfo+"))
        m_numbers.insert(&c, first.mid(18).toInt());
    return c;
}

RawClient& HostFixture::join(const QByteArray& name, const QByteArray& version)
{
    RawClient& c = connect();
    const int k = number(c);
    EXPECT_GT(k, 0);
    c.send(msg::logininfo(k, version, name));
    EXPECT_FALSE(c.waitForPrefix(msg::newplayerinfo(k, name)).isEmpty());
    waitUntil([&] { return server->messagesqueued() == 0; });
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
    const quint64 before = server->messageshandled();
    c.send(message);
    EXPECT_TRUE(waitUntil([&] {
        return server->messageshandled() > before && server->messagesqueued() == 0;
    })) << message.constData();
}

void HostFixture::sync()
{
    auto listening = [this](const RawClient& c) {
        const int k = number(c);
        return !c.isClosed() && k >= 1 && k <= TServer::kMaxConnections &&
               server->player(k).connected && !server->player(k).closing;
    };
    RawClient* marker = nullptr;
    for (const auto& c : clients) {
        if (listening(*c)) {
            marker = c.get();
            break;
        }
    }
    if (!marker)
        return;
    act(*marker, msg::chat(number(*marker), "\x01sync"));
    for (const auto& c : clients) {
        if (!listening(*c))
            continue;
        EXPECT_TRUE(waitUntil([&] {
            return std::any_of(c->messages.begin(), c->messages.end(),
                               [](const QByteArray& m) { return m.endsWith("\x01sync"); });
        })) << "client "
            << number(*c) << " did not get the marker";
        c->messages.removeIf([](const QByteArray& m) { return m.endsWith("\x01sync"); });
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
    EXPECT_TRUE(waitUntil([&] { return !server->player(k).connected; }))
        << "number " << k << " still taken";
    m_numbers.remove(&c);
}

QList<QByteArray> HostFixture::withPrefix(const RawClient& c, const QByteArray& prefix)
{
    QList<QByteArray> found;
    for (const QByteArray& m : c.messages) {
        if (m.startsWith(prefix))
            found.append(m);
    }
    return found;
}

int HostFixture::logged(const QString& text) const
{
    int n = 0;
    for (const QString& line : log)
        n += line.contains(text);
    return n;
}

} // namespace gorse::test
