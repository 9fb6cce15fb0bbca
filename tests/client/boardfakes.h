#pragma once

// Fakes and a fixture for the board's tests: a tally that records what it is
// offered, and a logged-in client whose host is a bare loopback listener.

#include "chat/chatlog.h"
#include "client/board.h"
#include "client/clientsession.h"
#include "client/tallyhooks.h"
#include "net/messages.h"
#include "support/fakes.h"
#include "support/testutil.h"

#include <QTcpServer>
#include <QTcpSocket>
#include <initializer_list>
#include <map>
#include <tuple>

namespace gorse::test {

// Remembers every offer and answers record values a test sets.
class RecordingTally : public TallyHooks
{
public:
    // An addword call: text, number, column.
    using Offer = std::tuple<QString, int, int>;

    int recordValue(int column) const override
    {
        const auto it = records.find(column);
        return it == records.end() ? 0 : it->second;
    }
    void addword(const QString& t, int n, int column) override { offers.append({t, n, column}); }
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
    RecordingOptions options;
    ChatLog chat{&options};
    RecordingSound sound;
    RecordingTally tally;
    ClientSession session{&chat, &sound, &options};
    Board board{&session, &options, &chat, &sound, &tally};
    QTcpServer host;
    QTcpSocket* peer = nullptr;
    QByteArray fromClient;

    BoardFixture() { board.setAutoClock(false); }

    void click(std::initializer_list<int> piles, Qt::MouseButton button = Qt::LeftButton)
    {
        for (int pile : piles)
            board.pileClicked(pile, button);
    }
    // Seconds of the turn clock, by calling its handler.
    void tick(int seconds = 1)
    {
        for (int i = 0; i < seconds; ++i)
            board.turntimeTimer();
    }

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

// Pile by pile: the picture ("-" for an emptied slot), then "w" while in the
// word and "d" while its discard label shows; e.g. "-w 1d 20d ...".
inline QString piles(const Board& b)
{
    QStringList out;
    for (int p = 1; p <= kPileCount; ++p) {
        out.append((b.picture(p) == Board::kEmptied ? QStringLiteral("-")
                                                    : QString::number(b.picture(p))) +
                   (b.inWord(p) ? QStringLiteral("w") : QString()) +
                   (b.discardShown(p) ? QStringLiteral("d") : QString()));
    }
    return out.join(u' ');
}

// The word in one line: "text|piles|gate|buttons", e.g. "TQu|+3+5|1|shown".
inline QString wordState(const Board& b)
{
    return QStringList{b.wordText(), b.wordPileList(), QString::number(b.wordGate()),
                       b.wordButtonsShown() ? QStringLiteral("shown") : QStringLiteral("hidden")}
        .join(u'|');
}

// Seat n's TOTAL/TURN/WORD columns, e.g. "140/25/+25".
inline QString seatCols(const ClientSession& s, int n)
{
    const Seat& seat = s.seat(n);
    return QString::number(seat.total) + u'/' + QString::number(seat.roundPoints) + u'/' +
           seat.bonus;
}

} // namespace gorse::test
