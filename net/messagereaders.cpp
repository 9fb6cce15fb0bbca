// The readers of the messages declared in messages.h: each takes the text
// after the command name's "+".

#include "net/messages.h"

namespace gorse {

namespace {

CardItem readCard(Fields& fields)
{
    CardItem item;
    item.pile = fields.number();
    item.card = fields.number();
    const QByteArray flag = fields.text();
    if (flag != "t" && flag != "f")
        throw FieldError("card flag is neither t nor f");
    item.flag = flag == "t";
    return item;
}

CardList readCards(Fields& fields)
{
    CardList cards;
    while (!fields.atEnd())
        cards.append(readCard(fields));
    return cards;
}

} // namespace

namespace msg {

ConnOnly ConnOnly::parse(const QByteArray& rest)
{
    Fields f(rest);
    return ConnOnly{f.number()};
}

LoginInfo LoginInfo::parse(const QByteArray& rest)
{
    Fields f(rest);
    LoginInfo r;
    r.conn = f.number();
    r.version = f.text();
    r.name = f.rest();
    return r;
}

ConnText ConnText::parse(const QByteArray& rest)
{
    Fields f(rest);
    ConnText r;
    r.conn = f.number();
    r.text = f.rest();
    return r;
}

KickHim KickHim::parse(const QByteArray& rest)
{
    Fields f(rest);
    KickHim r;
    r.requester = f.number();
    r.target = f.number();
    return r;
}

int PlayASound::sound() const
{
    QByteArray wave = rest.left(rest.indexOf('+') < 0 ? rest.size() : rest.indexOf('+'));
    int n = 0;
    if (!wave.startsWith("wave") || !parseNumber(wave.mid(4), n))
        return 0;
    return n;
}

PlayASound PlayASound::parse(const QByteArray& rest)
{
    Fields f(rest);
    PlayASound r;
    r.conn = f.number();
    r.rest = f.rest();
    return r;
}

StartGame StartGame::parse(const QByteArray& rest)
{
    Fields f(rest);
    StartGame r;
    r.name = f.text();
    r.targetText = f.text();
    r.secondsText = f.text();
    if (!parseNumber(r.targetText, r.target))
        throw FieldError("target score is not a number");
    if (!parseNumber(r.secondsText, r.seconds))
        throw FieldError("round seconds is not a number");
    return r;
}

GameStats GameStats::parse(const QByteArray& rest)
{
    Fields f(rest);
    GameStats r;
    r.conn = f.number();
    r.target = f.number();
    r.seconds = f.number();
    r.countdown = f.number();
    while (!f.atEnd()) {
        const int seat = f.number();
        const int total = f.number();
        if (isSeat(seat))
            r.totals[seat - 1] = total;
    }
    return r;
}

TheCards TheCards::parse(const QByteArray& rest)
{
    Fields f(rest);
    return TheCards{readCards(f)};
}

StartRound StartRound::parse(const QByteArray& rest)
{
    Fields f(rest);
    return StartRound{f.number()};
}

SendWord SendWord::parse(const QByteArray& rest)
{
    Fields f(rest);
    SendWord r;
    r.seat = f.number();
    while (!f.atEnd())
        r.piles.append(f.number());
    return r;
}

Rejected Rejected::parse(const QByteArray& rest)
{
    Fields f(rest);
    Rejected r;
    r.seat = f.number();
    r.word = f.text();
    r.cards = readCards(f);
    return r;
}

TheWord TheWord::parse(const QByteArray& rest)
{
    Fields f(rest);
    TheWord r;
    r.seat = f.number();
    r.word = f.text();
    r.points = f.number();
    r.bonus = f.number();
    r.cards = readCards(f);
    return r;
}

PScore PScore::parse(const QByteArray& rest)
{
    Fields f(rest);
    PScore r;
    r.seat = f.number();
    r.total = f.number();
    r.roundPoints = f.number();
    r.points = f.number();
    return r;
}

DiscardRequest DiscardRequest::parse(const QByteArray& rest)
{
    Fields f(rest);
    DiscardRequest r;
    r.seat = f.number();
    r.pile = f.number();
    return r;
}

DiscardResult DiscardResult::parse(const QByteArray& rest)
{
    Fields f(rest);
    DiscardResult r;
    r.seat = f.number();
    r.total = f.number();
    r.roundPoints = f.number();
    r.card = readCard(f);
    return r;
}

EndRound EndRound::parse(const QByteArray& rest)
{
    Fields f(rest);
    EndRound r;
    r.ownRoundPoints = f.number();
    while (!f.atEnd()) {
        SeatSummary s;
        s.seat = f.number();
        s.total = f.number();
        s.roundPoints = f.number();
        s.discards = f.number();
        s.wordLog = f.text();
        r.seats.append(s);
    }
    return r;
}

Winner Winner::parse(const QByteArray& rest)
{
    Fields f(rest);
    return Winner{f.text()};
}

} // namespace msg
} // namespace gorse
