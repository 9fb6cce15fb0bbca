#pragma once

#include "host/tserver.h"
#include "support/rawclient.h"

#include <QHash>
#include <QStringList>
#include <memory>
#include <vector>

namespace gorse::test {

using Lines = QList<QByteArray>;

// A word list in the 15-byte record format, from upper-case words.
QByteArray wordrecords(Lines words);
// A round deck whose pile i holds only the face piles[i - 1] ("QU", "ST"),
// the piles not given only fill.
CardDeck::Cards deckof(const Lines& piles, const QByteArray& fill = "A");
// The messages of a client that start with prefix.
Lines withPrefix(const RawClient& client, const QByteArray& prefix);

// An in-process TServer on a free loopback port, its round clock driven by
// the test, and raw clients connected to it; players log in at once.
class HostFixture
{
public:
    explicit HostFixture(const Lines& words = {}, const Lines& players = {}, quint64 seed = 1);

    RawClient& connect(); // waits for the connection number
    // Connects and logs in; waits until its own CMD_newplayerinfo came back.
    RawClient& join(const QByteArray& name, const QByteArray& version = kVersionText);
    int number(const RawClient& client) const { return m_numbers.value(&client); }
    RawClient& client(int number) const;
    // Sends a message and waits until the host has handled it.
    void act(RawClient& client, const QByteArray& message);
    void act(int number, const QByteArray& message) { act(client(number), message); }
    // Stacks the deck, and connection 1 starts a game.
    void start(const CardDeck::Cards& cards, int target = 500, int seconds = 60);
    void tick(int times); // the round clock's tick handler
    // Waits until all the host has sent so far reached every client it still
    // serves (a chat from one of them is the marker; it is taken out again).
    void sync();
    void clear(); // sync(), then forget what every client has received
    // Closes a client and waits until the host has let its number go.
    void leave(RawClient& client);
    int logged(const QString& text) const { return int(log.filter(text).size()); }

    QStringList log;
    std::unique_ptr<TServer> server;
    quint16 port = 0;
    std::vector<std::unique_ptr<RawClient>> clients;

private:
    QHash<const RawClient*, int> m_numbers;
};

} // namespace gorse::test
