#include "net/messages.h"

#include <algorithm>
#include <cstdio>

namespace gorse {

namespace {

QByteArray num(int value)
{
    return QByteArray::number(value);
}

QByteArray cmd(const QByteArray& name)
{
    return name + '+';
}

void appendCards(QByteArray& out, const CardList& cards)
{
    for (const CardItem& item : cards) {
        out += '+' + num(item.pile) + '+' + num(item.card) + '+' + (item.flag ? 't' : 'f');
    }
}

} // namespace

QList<LoggedWord> parseWordLog(const QByteArray& log)
{
    QList<LoggedWord> words;
    const QList<QByteArray> items = log.split('/');
    for (const QByteArray& item : items) {
        const qsizetype dash = item.indexOf('-', item.startsWith('-') ? 1 : 0);
        if (dash < 0)
            continue;
        LoggedWord word;
        if (!parseNumber(item.left(dash), word.points))
            continue;
        word.word = item.mid(dash + 1);
        words.append(word);
    }
    return words;
}

QByteArray appendWordLog(const QByteArray& log, int points, const QByteArray& word)
{
    return log + '/' + num(points) + '-' + word;
}

namespace msg {

QByteArray sendlogininfo(int conn)
{
    return cmd(name::sendlogininfo) + num(conn);
}
QByteArray newplayerinfo(int conn, const QByteArray& n)
{
    return cmd(name::newplayerinfo) + num(conn) + '+' + n;
}
QByteArray existingplayers(int conn, const QByteArray& n)
{
    return cmd(name::existingplayers) + num(conn) + '+' + n;
}
QByteArray havewrongversion(const QByteArray& n)
{
    return cmd(name::havewrongversion) + n;
}
QByteArray wrongversion()
{
    return cmd(name::wrongversion);
}
QByteArray full()
{
    return cmd(name::full);
}
QByteArray tiegame()
{
    return cmd(name::tiegame);
}

QByteArray gamestats(int conn, int target, int seconds, int countdown, const ScoreList& totals)
{
    QByteArray out = cmd(name::gamestats) + num(conn) + '+' + num(target) + '+' + num(seconds) +
                     '+' + num(countdown);
    for (int seat = 1; seat <= kSeatCount; ++seat)
        out += '+' + num(seat) + '+' + num(totals[seat - 1]);
    return out;
}

QByteArray thecards(const CardList& cards)
{
    QByteArray out = name::thecards;
    appendCards(out, cards);
    return out;
}

namespace {

// "CMD_x+" conn "+" name sep body, and the terminator, in one allocation.
QByteArray relayFramed(const QByteArray& command, int conn, QByteArrayView name,
                       QByteArrayView separator, QByteArrayView body)
{
    char digits[12];
    const int n = std::snprintf(digits, sizeof digits, "%d", conn);
    QByteArray out;
    out.reserve(command.size() + 1 + n + 1 + name.size() + separator.size() + body.size() + 1);
    out.append(command).append('+').append(digits, n).append('+');
    out.append(name).append(separator).append(body).append(kTerminator);
    return out;
}

} // namespace

QByteArray chatRelayFramed(int conn, QByteArrayView n, QByteArrayView body)
{
    return relayFramed(name::chat, conn, n, " chats: ", body);
}

QByteArray actionRelayFramed(int conn, QByteArrayView n, QByteArrayView body)
{
    return relayFramed(name::action, conn, n, " ", body);
}

QByteArray playasoundRelayFramed(int conn, QByteArrayView rest)
{
    return relayFramed(name::playasound, conn, rest, {}, {});
}

QByteArray chatRelay(int conn, const QByteArray& n, const QByteArray& body)
{
    return chatRelayFramed(conn, n, body).chopped(1);
}

QByteArray actionRelay(int conn, const QByteArray& n, const QByteArray& body)
{
    return actionRelayFramed(conn, n, body).chopped(1);
}

QByteArray playasoundRelay(int conn, const QByteArray& rest)
{
    return playasoundRelayFramed(conn, rest).chopped(1);
}
QByteArray playerdisconnected(int conn, const QByteArray& n)
{
    return cmd(name::playerdisconnected) + num(conn) + '+' + n;
}

QByteArray startgameRelay(const QByteArray& n, const QByteArray& target, const QByteArray& seconds)
{
    return cmd(name::startgame) + n + '+' + target + '+' + seconds + '+';
}

QByteArray startround(int round)
{
    return cmd(name::startround) + num(round) + '+';
}

QByteArray rejected(int seat, const QByteArray& word, const CardList& cards)
{
    QByteArray out = cmd(name::rejected) + num(seat) + '+' + word;
    appendCards(out, cards);
    return out;
}

QByteArray theword(int seat, const QByteArray& word, int points, int bonus, const CardList& cards)
{
    QByteArray out =
        cmd(name::theword) + num(seat) + '+' + word + '+' + num(points) + '+' + num(bonus);
    appendCards(out, cards);
    return out;
}

QByteArray pscore(int seat, int total, int roundPoints, int points)
{
    return cmd(name::pscore) + num(seat) + '+' + num(total) + '+' + num(roundPoints) + '+' +
           num(points) + '+';
}

QByteArray discardResult(int seat, int total, int roundPoints, const CardItem& card)
{
    QByteArray out = cmd(name::discard) + num(seat) + '+' + num(total) + '+' + num(roundPoints);
    appendCards(out, CardList{card});
    return out;
}

QByteArray endround(int ownRoundPoints, const QList<SeatSummary>& seats)
{
    QByteArray out = cmd(name::endround) + num(ownRoundPoints);
    for (const SeatSummary& s : seats) {
        out += '+' + num(s.seat) + '+' + num(s.total) + '+' + num(s.roundPoints) + '+' +
               num(s.discards) + '+' + s.wordLog;
    }
    return out;
}

QByteArray winner(const QByteArray& n)
{
    return cmd(name::winner) + n + '+';
}

QByteArray logininfo(int conn, const QByteArray& version, const QByteArray& n)
{
    return cmd(name::logininfo) + num(conn) + '+' + version + '+' + n;
}

QByteArray kickhim(int requester, int target)
{
    return cmd(name::kickhim) + num(requester) + '+' + num(target) + '+';
}
QByteArray chat(int conn, const QByteArray& body)
{
    return cmd(name::chat) + num(conn) + '+' + body;
}
QByteArray action(int conn, const QByteArray& body)
{
    return cmd(name::action) + num(conn) + '+' + body;
}
QByteArray playasound(int conn, int sound)
{
    return cmd(name::playasound) + num(conn) + "+wave" + num(sound) + '+';
}

QByteArray startgame(const QByteArray& n, int target, int seconds)
{
    return startgameRelay(n, num(target), num(seconds));
}

QByteArray sendword(int seat, const QList<int>& piles)
{
    QByteArray out = cmd(name::sendword) + num(seat);
    for (int pile : piles)
        out += '+' + num(pile);
    return out;
}

QByteArray discard(int seat, int pile)
{
    return cmd(name::discard) + num(seat) + '+' + num(pile) + '+';
}

} // namespace msg
} // namespace gorse
