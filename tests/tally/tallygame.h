#pragma once

// A client's board wired to a real tally, fed the host's messages one by
// one, so a test plays a game message by message and reads what the tally
// made of it; and the tally file as a test reads it.

#include "net/messages.h"
#include "support/clientcore.h"
#include "support/files.h"
#include "support/qtprint.h"
#include "tally/lzrw1.h"
#include "tally/tally.h"

#include <QFile>
#include <QStringList>

namespace gorse::test {

struct TallyGame
{
    GameOptions options;
    Tally tally;
    GameClient client{&options, {.tally = &tally}};
    ClientSession& session = *client.session();
    Board& board = *client.board();
    int own = 0;

    // Logs in as connection own; seats holds the names of seats 1..6, an
    // empty name for an empty seat.
    TallyGame(int ownNumber, const QStringList& seats) : own(ownNumber)
    {
        board.setAutoClock(false);
        tally.setPlayersSource([this] { return session.loadchecklist(); });
        say(msg::sendlogininfo(own));
        for (int n = 1; n <= seats.size(); ++n) {
            if (!seats[n - 1].isEmpty())
                say(msg::newplayerinfo(n, seats[n - 1].toUtf8()));
        }
    }

    void say(const QByteArray& message) { hostSays(session, message); }
    void start(int seconds = 90)
    {
        say(msg::startgameRelay("Ann", "500", QByteArray::number(seconds)));
        CardList cards;
        for (int pile = 1; pile <= 8; ++pile)
            cards.append(CardItem{pile, pile, true});
        say(msg::thecards(cards));
        say(msg::startround(1));
    }
    // One of the player's words accepted (or another seat's, with seat).
    void word(const QByteArray& text, int points, int seat = 0)
    {
        say(msg::theword(seat ? seat : own, text, points, points >= 50 ? 50 : 0, {}));
    }
    // The round's end; the own seat made the words of log with that total.
    void endRound(int total, const QByteArray& log, int discards = 0)
    {
        QList<SeatSummary> seats;
        for (int n = 1; n <= kSeatCount; ++n) {
            if (n == own)
                seats.append(SeatSummary{n, total, total, discards, log});
            else
                seats.append(SeatSummary{n, 0, 0, 0, QByteArray()});
        }
        say(msg::endround(own <= kSeatCount ? total : 0, seats));
    }
    void winner(const QByteArray& name) { say(msg::winner(name)); }
    void leaves(int seat, const QByteArray& name) { say(msg::playerdisconnected(seat, name)); }
};

// The own labels in the window's order: games, wins, words, turn, longest,
// best scoring.
inline QString ownLabels(const Tally& t)
{
    return QStringList{t.mylabel(1), t.mylabel(2), t.mylabel(7),
                       t.mylabel(8), t.mylabel(3), t.mylabel(5)}
        .join(QStringLiteral(" | "));
}

// One table row, cells joined by ",".
inline QString row(const Tally& t, int r)
{
    QStringList cells;
    for (int c = 0; c < Tally::kColumns; ++c)
        cells.append(t.cell(c, r));
    return cells.join(u',');
}

// The opponent panel: name captions, then label_1 to label_8.
inline QString panel(const Tally& t)
{
    QStringList labels{t.hisnametop(), t.hisname()};
    for (int n = 1; n <= 8; ++n)
        labels.append(t.label(n));
    return labels.join(u',');
}

// The rows stored in a tally file, each as "a,b,c,...", joined by " / ";
// the compressor's message for a file that does not decode.
inline QString stored(const QString& path)
{
    try {
        const auto grid = LoadGridText(Tlzrw1::Decompress(readFile(path), path));
        if (!grid)
            return QStringLiteral("(bad text)");
        QStringList rows;
        for (const QStringList& r : grid->rows)
            rows.append(r.join(u','));
        return rows.join(QStringLiteral(" / "));
    } catch (const ELzrw1Exception& e) {
        return e.message();
    }
}

} // namespace gorse::test
