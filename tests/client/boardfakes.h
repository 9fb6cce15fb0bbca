#pragma once

// A fixture for the board's tests: a logged-in client whose host is a bare
// loopback listener.

#include "net/messages.h"
#include "support/clientcore.h"
#include "support/testutil.h"

#include <initializer_list>

namespace gorse::test {

// A board on a session logged in to a stand-in host on 127.0.0.1.
struct BoardFixture : ClientCore
{
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
        if (!ClientCore::connect(QString::fromUtf8(name)))
            return false;
        if (own != 0) {
            hostSays(msg::sendlogininfo(own));
            hostSays(msg::newplayerinfo(own, name));
            sent(); // the login answer
        }
        sound.cues.clear();
        return true;
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
