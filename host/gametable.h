#pragma once

#include "dict/tdictn.h"
#include "game/carddeck.h"
#include "host/hostcounters.h"
#include "net/messagequeue.h"
#include "net/messages.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <array>
#include <memory>

namespace gorse {

// One pile of a seat: the exposed card (0 when used up) and its position in
// the round deck's pile (1..32; 33 once the pile is used up).
struct tpile
{
    int card = 0;
    int position = 0;
};
using SeatPiles = std::array<tpile, kPileCount>;

// What the table keeps for one connection number. Numbers 1..6 are the
// seats, 7..9 spies; the game fields belong to the seat, not to the person
// sitting in it, and stay 0 for spies.
struct tplayer
{
    QByteArray name;         // the name given at login; empty until then
    bool connected = false;  // a connection holds this number
    qint32 total = 0;        // game total
    QByteArray fallbackName; // the winner's name when the seat is empty
    SeatPiles piles{};
    qint32 roundPoints = 0;
    QByteArray wordLog; // "/points-WORD" items of this round
    qint32 discards = 0;
};

// Where a table's answers go: the connection server that serves it, or a
// test that records them.
class TableOutput
{
public:
    virtual ~TableOutput() = default;
    // One message (without its terminator) for connection k; lost when k
    // holds no connection.
    virtual void sendTo(int k, QByteArrayView message) = 0;
    // The same message for every connection, in ascending number order.
    virtual void sendToAll(QByteArrayView message) = 0;
    // Closes connection k (the hosting player removes it); its departure
    // comes back through GameTable::left().
    virtual void closeConnection(int k) = 0;
    // The round clock: from now on call GameTable::timer1Timer() once a
    // second (a full second after this call), or stop calling it.
    virtual void startClock() = 0;
    virtual void stopClock() = 0;
    // One line about what the table did (logins, games, words, results,
    // dropped messages).
    virtual void log(const QString& line) = 0;
    // What the table shows every player changed: a login, a departure, a
    // round started, a game won.
    virtual void announceChange() = 0;
};

// The game host without its sockets: seats and spies by number, logins,
// the relays of chat, actions and sounds, and the game itself (the deck,
// the piles, words, discards, the round clock's decisions, the round's end,
// ties and the win). It is told which numbers come and go, takes each
// message with the number it arrived on, and answers through its
// TableOutput.
//
// Every message is taken as coming from the connection it arrived on: a
// message naming another connection is ignored, CMD_startgame is obeyed
// only from connection 1, and a malformed message is dropped whole with one
// log line.
class GameTable
{
public:
    // What the round clock does when it runs out.
    enum class TimerPurpose { None, EndRound, NextRound };

    // dict is the word list words are checked against (the built-in one
    // when null); seed starts the card deck's random sequence.
    GameTable(std::unique_ptr<TDictn> dict, quint64 seed, TableOutput& output);
    GameTable(const GameTable&) = delete;
    GameTable& operator=(const GameTable&) = delete;

    // Connection k (1..9) was accepted: it is told its number.
    void joined(int k);
    // Connection k closed: the others are told, and its number is free.
    void left(int k);
    // One message (without its terminator) that arrived on connection k.
    void handleMessage(int k, QByteArray line);
    // The round clock's tick: counts down and, at the end, ends the round or
    // starts the next one.
    void timer1Timer();

    // The target scores and round lengths a game may be started with; a
    // CMD_startgame outside them is refused with a log line. The options
    // dialog's ranges unless changed.
    void setStartRanges(const OptionRange& target, const OptionRange& seconds);
    // Starts a game as connection 1 would, in the name of the first person
    // seated (a table on a server, where nobody hosts, starts its own).
    void startServerGame(int target, int seconds);
    // Checks words against a built-in list from now on (the hosting player's
    // choice, taken when he starts a game).
    void useWordList(TDictn::BuiltinList list);

    // The piles of a seat at a round's start: every pile at its first card.
    static void dealPiles(SeatPiles& piles, const CardDeck& deck);
    // Uncovers the next card of pile number (1..8); past the last card the
    // pile is used up and shows 0.
    static void advancePile(tpile& pile, int number, const CardDeck& deck);

    // State, for the windows that show it and for tests.
    const tplayer& player(int k) const { return m_players.at(size_t(k)); }
    bool gameStarted() const { return m_gameStarted; }
    bool roundOpen() const { return m_roundOpen; }
    int roundNumber() const { return m_roundNumber; }
    int targetScore() const { return m_targetScore; }
    int roundSeconds() const { return m_roundSeconds; }
    int countdown() const { return m_countdown; }
    TimerPurpose timerPurpose() const { return m_timerPurpose; }
    bool timer1Enabled() const { return m_timer1Enabled; }
    const CardDeck& deck() const { return m_deck; }
    // For dealing known cards: deck().stack(...) before a round starts.
    CardDeck& deck() { return m_deck; }
    const TDictn& spell() const { return *m_spell; }
    // Games and words since the table was made.
    const TableCounters& counters() const { return m_counters; }
    // " conn=3 name=Cy" for the log, or " conn=3" before a login.
    QString who(int k) const;

private:
    // Connections and relays.
    void registerCommands();
    bool fromSender(const char* command, int stated, int origin);
    void receivedlogininfo(int k, const QByteArray& version, QByteArray name);
    // Whether a relay's text is short enough to pass on; logs it when not.
    bool isRelayable(const char* command, int k, QByteArrayView text);
    void chat(int k, QByteArrayView body);
    void action(int k, QByteArrayView body);
    void playasound(int k, QByteArrayView rest);
    void kickhim(int requester, int target);
    void disconnectsock(int k);
    void sendToOthers(int k, QByteArrayView message);

    // The game.
    void startgame(const msg::StartGame& start);
    void startround();
    void sendword(int seat, const QList<int>& piles);
    void discard(int seat, int pile);
    void endround();
    bool checkforwin();
    void startTimer1(int seconds, TimerPurpose purpose);
    void stopTimer1();
    ScoreList scoreList() const;
    CardList newcomerCards(int seat) const;

    TableOutput& m_output; // not owned: the connection server or a test
    std::unique_ptr<TDictn> m_spell;
    CardDeck m_deck;
    std::array<tplayer, kConnectionCount + 1> m_players; // index 0 unused
    CommandTable m_commands;
    OptionRange m_targetRange = kPlayToScoreRange;
    OptionRange m_secondsRange = kTimePerTurnRange;

    bool m_gameStarted = false;
    bool m_roundOpen = false;
    int m_targetScore = 0;
    int m_roundSeconds = 0;
    int m_roundNumber = 0;
    int m_countdown = 0;
    TimerPurpose m_timerPurpose = TimerPurpose::None;
    bool m_timer1Enabled = false;
    TableCounters m_counters;
};

} // namespace gorse
