#pragma once

#include "host/tserver.h"
#include "support/rawclient.h"

#include <QHash>
#include <QStringList>
#include <memory>
#include <vector>

namespace gorse::test {

// A word list in the 15-byte record format, sorted, from upper-case words.
QByteArray wordrecords(QList<QByteArray> words);
// A round deck with every card the same; tests then set the cards they need.
CardDeck::Cards filleddeck(int card);
// The card number of a face ("ST" -> 33, "QU" -> 17); 0 for no face.
int cardof(const QByteArray& face);

// An in-process TServer on a free loopback port, with its round clock
// driven by the test, and raw clients connected to it.
class HostFixture
{
public:
    explicit HostFixture(const QList<QByteArray>& words = {}, quint64 seed = 1);
    ~HostFixture();

    // Connects a client and waits for its connection number.
    RawClient& connect();
    // Connects a client and logs it in; waits until its own
    // CMD_newplayerinfo came back.
    RawClient& join(const QByteArray& name, const QByteArray& version = kVersionText);
    int number(const RawClient& client) const { return m_numbers.value(&client); }
    RawClient& client(int number) const;

    // Sends a message and waits until the host has handled it.
    void act(RawClient& client, const QByteArray& message);
    // Waits until everything the host has sent so far reached every client
    // it is connected to (a chat from the first such client serves as the
    // marker; the markers are taken out of the clients' messages again).
    void sync();
    // Waits as sync() does, then forgets what every client has received.
    void clear();
    // Closes a client and waits until the host has let its number go.
    void leave(RawClient& client);
    // Messages of a client that start with prefix.
    static QList<QByteArray> withPrefix(const RawClient& client, const QByteArray& prefix);
    // Log lines containing text.
    int logged(const QString& text) const;

    std::unique_ptr<TServer> server;
    quint16 port = 0;
    QStringList log;
    std::vector<std::unique_ptr<RawClient>> clients;

private:
    QHash<const RawClient*, int> m_numbers;
};

} // namespace gorse::test
