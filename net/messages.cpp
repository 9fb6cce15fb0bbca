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

bool parseNumber(QByteArrayView text, int& value)
{
    qsizetype i = 0;
    const bool negative = !text.isEmpty() && text.at(0) == '-';
    if (negative)
        i = 1;
    if (i >= text.size() || text.size() - i > 10)
        return false;
    qint64 result = 0;
    for (; i < text.size(); ++i) {
        const char c = text.at(i);
        if (c < '0' || c > '9')
            return false;
        result = result * 10 + (c - '0');
    }
    if (negative)
        result = -result;
    if (result < INT_MIN || result > INT_MAX)
        return false;
    value = int(result);
    return true;
}

QByteArrayView Fields::textView()
{
    const QByteArrayView all(m_text);
    const qsizetype plus = all.indexOf('+', m_pos);
    QByteArrayView field;
    if (plus < 0) {
        field = all.sliced(m_pos);
        m_pos = all.size();
    } else {
        field = all.sliced(m_pos, plus - m_pos);
        m_pos = plus + 1;
    }
    return field;
}

int Fields::number()
{
    const QByteArrayView field = textView();
    int value = 0;
    if (!parseNumber(field, value))
        throw FieldError(
            "'" + field.first(std::min<qsizetype>(field.size(), 32)).toByteArray().toStdString() +
            "' is not a number");
    return value;
}

QByteArray Fields::rest()
{
    QByteArray all;
    if (m_pos == 0)
        all.swap(m_text);
    else if (m_pos < m_text.size())
        all = m_text.sliced(m_pos);
    m_text.clear();
    m_pos = 0;
    return all;
}

QByteArray frame(QByteArray message)
{
    message.append(kTerminator);
    return message;
}

QByteArray toWire(const QString& text)
{
    return text.toUtf8();
}

QString fromWire(const QByteArray& bytes)
{
    return QString::fromUtf8(bytes);
}

QString cutToUtf8(const QString& text, int maxBytes)
{
    qsizetype bytes = 0;
    qsizetype i = 0;
    while (i < text.size()) {
        const char16_t c = text.at(i).unicode();
        qsizetype units = 1;
        int size = 1;
        if (c >= 0x800) {
            size = 3;
            if (QChar::isHighSurrogate(c) && i + 1 < text.size() &&
                QChar::isLowSurrogate(text.at(i + 1).unicode())) {
                units = 2;
                size = 4;
            }
        } else if (c >= 0x80) {
            size = 2;
        }
        if (bytes + size > maxBytes)
            break;
        bytes += size;
        i += units;
    }
    return text.left(i);
}

QByteArray cutUtf8(const QByteArray& bytes, int maxBytes)
{
    if (bytes.size() <= maxBytes)
        return bytes;
    qsizetype end = std::max(maxBytes, 0);
    // Back over continuation bytes to the start of the character cut in two.
    while (end > 0 && (uchar(bytes.at(end)) & 0xC0) == 0x80)
        --end;
    return bytes.left(end);
}

QByteArray cleanPlayerName(const QByteArray& raw)
{
    QByteArray name = raw;
    name.replace('+', QByteArray());
    name.replace(kTerminator, QByteArray());
    return name;
}

QByteArray cleanChatText(const QByteArray& raw)
{
    QByteArray text = raw;
    text.replace(kTerminator, QByteArray());
    return text;
}

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

// ---- readers ----

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
