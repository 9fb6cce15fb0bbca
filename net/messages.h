#pragma once

// The one place where message layouts live: a builder for every command and
// a reader for what each one carries. Builders return the message text
// without its terminator; frame() adds it. Handlers never join "+" themselves.

#include "game/rules.h"
#include "net/fields.h"
#include "net/messagequeue.h"
#include "net/wiretext.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QList>
#include <QString>
#include <array>

namespace gorse {

// One pile of a card list: the pile (1..8), its exposed card, and the flag
// ("t" while the pile has cards after this one).
struct CardItem
{
    int pile = 0;
    int card = 0;
    bool flag = true;
    bool operator==(const CardItem&) const = default;
};
using CardList = QList<CardItem>;

// One seat's part of a round summary.
struct SeatSummary
{
    int seat = 0;
    int total = 0;
    int roundPoints = 0;
    int discards = 0;
    QByteArray wordLog; // "/points-WORD" items, empty when no word was made
    bool operator==(const SeatSummary&) const = default;
};

// Game totals of seats 1..6 (index 0 is seat 1).
using ScoreList = std::array<int, kSeatCount>;

// One accepted word of a word log.
struct LoggedWord
{
    int points = 0;
    QByteArray word;
    bool operator==(const LoggedWord&) const = default;
};
QList<LoggedWord> parseWordLog(const QByteArray& log);
QByteArray appendWordLog(const QByteArray& log, int points, const QByteArray& word);

namespace msg {

// ---- builders, host to clients ----
QByteArray sendlogininfo(int conn);
QByteArray newplayerinfo(int conn, const QByteArray& name);
QByteArray existingplayers(int conn, const QByteArray& name);
QByteArray havewrongversion(const QByteArray& name);
QByteArray wrongversion();
QByteArray gamestats(int conn, int target, int seconds, int countdown, const ScoreList& totals);
QByteArray thecards(const CardList& cards);
QByteArray full();
// The three relays are built framed, in one allocation each.
QByteArray chatRelayFramed(int conn, QByteArrayView name, QByteArrayView body);
QByteArray actionRelayFramed(int conn, QByteArrayView name, QByteArrayView body);
QByteArray playasoundRelayFramed(int conn, QByteArrayView rest);
QByteArray chatRelay(int conn, const QByteArray& name, const QByteArray& body);
QByteArray actionRelay(int conn, const QByteArray& name, const QByteArray& body);
QByteArray playasoundRelay(int conn, const QByteArray& rest);
QByteArray playerdisconnected(int conn, const QByteArray& name);
QByteArray startgameRelay(const QByteArray& name, const QByteArray& target,
                          const QByteArray& seconds);
QByteArray startround(int round);
QByteArray rejected(int seat, const QByteArray& word, const CardList& cards);
QByteArray theword(int seat, const QByteArray& word, int points, int bonus, const CardList& cards);
QByteArray pscore(int seat, int total, int roundPoints, int points);
QByteArray discardResult(int seat, int total, int roundPoints, const CardItem& card);
QByteArray endround(int ownRoundPoints, const QList<SeatSummary>& seats);
QByteArray winner(const QByteArray& name);
QByteArray tiegame();

// ---- builders, client to host ----
QByteArray logininfo(int conn, const QByteArray& version, const QByteArray& name);
QByteArray kickhim(int requester, int target);
QByteArray chat(int conn, const QByteArray& body);
QByteArray action(int conn, const QByteArray& body);
QByteArray playasound(int conn, int sound);
QByteArray startgame(const QByteArray& name, int target, int seconds);
QByteArray sendword(int seat, const QList<int>& piles);
QByteArray discard(int seat, int pile);

// ---- readers: each takes the text after the command name's "+" ----
struct ConnOnly
{
    int conn = 0;
    static ConnOnly parse(const QByteArray& rest);
};
struct LoginInfo
{
    int conn = 0;
    QByteArray version;
    QByteArray name;
    static LoginInfo parse(const QByteArray& rest);
};
// CMD_newplayerinfo, CMD_existingplayers, CMD_playerdisconnected, and the
// relayed CMD_chat / CMD_action (whose text is the whole rest).
struct ConnText
{
    int conn = 0;
    QByteArray text;
    static ConnText parse(const QByteArray& rest);
};
struct KickHim
{
    int requester = 0;
    int target = 0;
    static KickHim parse(const QByteArray& rest);
};
// CMD_playasound in either direction: the sender, and the "wave" name with
// what follows it, passed on unchanged by the host.
struct PlayASound
{
    int conn = 0;
    QByteArray rest;
    int sound() const;
    static PlayASound parse(const QByteArray& rest);
};
struct StartGame
{
    QByteArray name;
    QByteArray targetText;
    QByteArray secondsText;
    int target = 0;
    int seconds = 0;
    static StartGame parse(const QByteArray& rest);
};
struct GameStats
{
    int conn = 0, target = 0, seconds = 0, countdown = 0;
    ScoreList totals{};
    static GameStats parse(const QByteArray& rest);
};
struct TheCards
{
    CardList cards;
    static TheCards parse(const QByteArray& rest);
};
struct StartRound
{
    int round = 0;
    static StartRound parse(const QByteArray& rest);
};
struct SendWord
{
    int seat = 0;
    QList<int> piles;
    static SendWord parse(const QByteArray& rest);
};
struct Rejected
{
    int seat = 0;
    QByteArray word;
    CardList cards;
    static Rejected parse(const QByteArray& rest);
};
struct TheWord
{
    int seat = 0;
    QByteArray word;
    int points = 0, bonus = 0;
    CardList cards;
    static TheWord parse(const QByteArray& rest);
};
struct PScore
{
    int seat = 0, total = 0, roundPoints = 0, points = 0;
    static PScore parse(const QByteArray& rest);
};
struct DiscardRequest
{
    int seat = 0, pile = 0;
    static DiscardRequest parse(const QByteArray& rest);
};
struct DiscardResult
{
    int seat = 0, total = 0, roundPoints = 0;
    CardItem card;
    static DiscardResult parse(const QByteArray& rest);
};
struct EndRound
{
    int ownRoundPoints = 0;
    QList<SeatSummary> seats;
    static EndRound parse(const QByteArray& rest);
};
struct Winner
{
    QByteArray name;
    static Winner parse(const QByteArray& rest);
};

// Command names, as compared by the dispatchers.
namespace name {
inline const QByteArray sendlogininfo = QByteArrayLiteral("CMD_sendlogininfo");
inline const QByteArray logininfo = QByteArrayLiteral("CMD_logininfo");
inline const QByteArray newplayerinfo = QByteArrayLiteral("CMD_newplayerinfo");
inline const QByteArray existingplayers = QByteArrayLiteral("CMD_existingplayers");
inline const QByteArray havewrongversion = QByteArrayLiteral("CMD_havewrongversion");
inline const QByteArray wrongversion = QByteArrayLiteral("CMD_wrongversion");
inline const QByteArray gamestats = QByteArrayLiteral("CMD_gamestats");
inline const QByteArray thecards = QByteArrayLiteral("CMD_thecards");
inline const QByteArray full = QByteArrayLiteral("CMD_full");
inline const QByteArray kickhim = QByteArrayLiteral("CMD_kickhim");
inline const QByteArray chat = QByteArrayLiteral("CMD_chat");
inline const QByteArray action = QByteArrayLiteral("CMD_action");
inline const QByteArray playasound = QByteArrayLiteral("CMD_playasound");
inline const QByteArray playerdisconnected = QByteArrayLiteral("CMD_playerdisconnected");
inline const QByteArray startgame = QByteArrayLiteral("CMD_startgame");
inline const QByteArray startround = QByteArrayLiteral("CMD_startround");
inline const QByteArray sendword = QByteArrayLiteral("CMD_sendword");
inline const QByteArray rejected = QByteArrayLiteral("CMD_rejected");
inline const QByteArray theword = QByteArrayLiteral("CMD_theword");
inline const QByteArray pscore = QByteArrayLiteral("CMD_pscore");
inline const QByteArray discard = QByteArrayLiteral("CMD_discard");
inline const QByteArray endround = QByteArrayLiteral("CMD_endround");
inline const QByteArray winner = QByteArrayLiteral("CMD_winner");
inline const QByteArray tiegame = QByteArrayLiteral("CMD_tiegame");
} // namespace name

} // namespace msg
} // namespace gorse
