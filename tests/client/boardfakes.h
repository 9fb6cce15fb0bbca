#pragma once

// Fakes and a fixture for the board's tests: a tally that records what it is
// offered, and a logged-in client whose host is a bare loopback listener.

#include "chat/chatlog.h"
#include "client/board.h"
#include "client/clientsession.h"
#include "client/tallyhooks.h"
#include "clientfakes.h"
#include "net/messages.h"
#include "support/testutil.h"

#include <QTcpServer>
#include <QTcpSocket>
#include <map>

namespace gorse::test {

// Remembers every offer and answers record values a test sets.
class RecordingTally : public TallyHooks
{
public:
    struct Offer
    {
        QString text;
        int number = 0;
        int column = 0;
        bool operator==(const Offer&) const = default;
    };

    int recordValue(int column) const override
    {
        const auto it = records.find(column);
        return it == records.end() ? 0 : it->second;
    }
    void addword(const QString& text, int number, int column) override
    {
        offers.append(Offer{text, number, column});
    }
    void anotherword(int column) override { wordCounts.append(column); }
    void addgame(const QString& winner) override { games.append(winner); }

    std::map<int, int> records;
    QList<Offer> offers;
    QList<int> wordCounts;
    QStringList games;
};

// A board on a session logged in to a stand-in host on 127.0.0.1.
struct BoardFixture
{
    ChatLog chat;
    RecordingSound sound;
    RecordingTally tally;
    ClientSession session{&chat, &sound, nullptr};
    Board board{&session, &chat, &sound, &tally};
    QTcpServer host;
    QTcpSocket* peer = nullptr;
    QByteArray fromClient;

    BoardFixture() { board.setAutoClock(false); }

    // Connects and, when own is not 0, logs in as that connection.
    bool connect(int own, const QByteArray& name = "Bob")
    {
        if (!host.listen(QHostAddress::LocalHost, 0))
            return false;
        session.connectTo(QStringLiteral("127.0.0.1"), host.serverPort(), QString::fromUtf8(name));
        if (!waitUntil([&] { return host.hasPendingConnections(); }))
            return false;
        peer = host.nextPendingConnection();
        QObject::connect(peer, &QTcpSocket::readyRead, [this] { fromClient += peer->readAll(); });
        if (!waitUntil([&] { return session.sock().Connected(); }))
            return false;
        if (own != 0) {
            hostSays(msg::sendlogininfo(own));
            hostSays(msg::newplayerinfo(own, name));
            sent(); // the login answer
        }
        sound.cues.clear();
        return true;
    }

    void hostSays(const QByteArray& message)
    {
        session.receiveBytes(frame(message));
        session.processQueued();
    }

    // Everything the client sent since the last call, one entry per message.
    // A marker sent last shows that nothing is still on its way.
    QList<QByteArray> sent()
    {
        const QByteArray marker = "CMD_mark+";
        session.send(marker);
        waitUntil([&] { return fromClient.endsWith(marker + '\xFF'); });
        QList<QByteArray> out = fromClient.split('\xFF');
        fromClient.clear();
        out.removeAll(QByteArray());
        out.removeAll(marker);
        return out;
    }

    // A game of the given length and a round with the given cards on piles
    // 1..8.
    void startRound(const std::array<int, 8>& cards, int seconds = 90, int round = 1)
    {
        hostSays(msg::startgameRelay("Ann", "500", QByteArray::number(seconds)));
        CardList list;
        for (int pile = 1; pile <= 8; ++pile)
            list.append(CardItem{pile, cards[pile - 1], true});
        hostSays(msg::thecards(list));
        hostSays(msg::startround(round));
    }
};

// The chat pane's lines as plain text.
inline QStringList chatLines(const ChatLog& log)
{
    QStringList lines;
    for (const QString& line : log.plainText().split(QStringLiteral("\r\n"), Qt::SkipEmptyParts))
        lines.append(line.trimmed());
    return lines;
}

} // namespace gorse::test
