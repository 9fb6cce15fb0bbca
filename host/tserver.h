#pragma once

#include "dict/tdictn.h"
#include "host/carddeck.h"
#include "net/messagequeue.h"
#include "net/messages.h"
#include "net/tsock.h"

#include <QByteArray>
#include <QObject>
#include <QTimer>
#include <array>
#include <functional>
#include <memory>

namespace gorse {

// One pile of a seat: the exposed card (0 when used up) and its position in
// the round deck's pile (1..32; 33 once the pile is used up).
struct tpile
{
    int card = 0;
    int position = 0;
};

// One connection of the host. Numbers 1..6 are the seats, 7..9 spies; the
// game fields belong to the seat, not to the person sitting in it.
struct tplayer
{
    QByteArray name;         // the name given at login; empty until then
    bool connected = false;  // an accepted connection holds this number
    TSock* sock = nullptr;   // not owned: belongs to the listener Sock1
    qint32 total = 0;        // game total
    QByteArray fallbackname; // the winner's name when the seat is empty
    std::array<tpile, kPileCount> piles{};
    qint32 roundpoints = 0;
    QByteArray wordlog; // "/points-WORD" items of this round
    qint32 discards = 0;

    // Connection bookkeeping of this host.
    FrameBuffer frames;   // bytes after the last terminator
    quint64 serial = 0;   // which accept filled this record
    bool closing = false; // being dropped; nothing more is sent or read
    int inqueue = 0;      // its messages waiting in the queue
    int stale = 0;        // of those, the ones of a connection that left
};

// The game host: it hands out connection numbers, logs players in, relays
// chat, actions and sounds, and plays the game (deck, words, rounds,
// winner). It has no window; the hosting copy of the game and the dedicated
// host both run it.
//
// Every client message is taken as coming from the connection it arrived
// on: a message naming another connection is ignored, CMD_startgame is
// obeyed only from connection 1, and a malformed message is dropped whole
// with one log line.
class TServer : public QObject
{
    Q_OBJECT
public:
    // Records 1..9 are the connections, 10 takes a refused tenth one.
    static constexpr int kRecords = kConnectionCount + 2;
    static constexpr qint64 kMaxOutgoing = 1024 * 1024;

    // dict is the word list words are checked against (the built-in one
    // when null); seed starts the card deck's random sequence.
    TServer(std::unique_ptr<TDictn> dict, quint64 seed, QObject* parent = nullptr);
    ~TServer() override;

    // Starts listening on all IPv4 addresses; port 0 takes any free port.
    // Throws ESockException ("Listen - Error Binding Socket" and the like).
    void startListening(quint16 port);
    quint16 listeningPort() const;
    // Where one line per event goes (connections, logins, departures, game
    // starts, words, results, dropped messages). Nothing is logged without.
    void setLog(std::function<void(const QString&)> log);
    // Whether timer1 runs by itself (the default). Off, the round clock only
    // moves when timer1Timer() is called.
    void setRealTimeClock(bool on);

    // The round clock's tick: counts down and, at the end, ends the round or
    // starts the next one. Called by timer1 every second while it is on.
    void timer1Timer();

    // State, for the windows that show it and for tests.
    const tplayer& player(int number) const { return m_players.at(number); }
    int highwatermark() const { return m_highwatermark; }
    bool gamestarted() const { return m_gamestarted; }
    bool roundopen() const { return m_roundopen; }
    int roundnumber() const { return m_roundnumber; }
    int targetscore() const { return m_targetscore; }
    int roundseconds() const { return m_roundseconds; }
    int countdown() const { return m_countdown; }
    // What the round clock does when it runs out.
    enum class TimerPurpose { None, EndRound, NextRound };
    TimerPurpose timerpurpose() const { return m_timerpurpose; }
    bool timer1enabled() const { return m_timer1enabled; }
    const CardDeck& deck() const { return m_deck; }
    // For dealing known cards: deck().stack(...) before a round starts.
    CardDeck& deck() { return m_deck; }
    const TDictn& spell() const { return *m_spell; }
    // Checks words against a built-in list from now on (the hosting player's
    // choice, taken when he starts a game).
    void useWordList(TDictn::BuiltinList list);
    // Messages taken off the queue, and messages sent, since creation.
    quint64 messageshandled() const { return m_queue.handled(); }
    quint64 messagessent() const { return m_sent; }
    // Messages received and not handled yet.
    qsizetype messagesqueued() const { return m_queue.size(); }

signals:
    // What the table shows every player changed: a login, a departure, a
    // round started, a game won.
    void tableChanged();

private:
    // Connections (tserver.cpp).
    void Sock1Accept(TSock* sender);
    void Sock1Read(TSock* sender, int count);
    void tempsockDisconnect(TSock* sender);
    void tempsockInfo(TSock* sender, TSocketInfo info, const QString& msg);
    void handlemessage(const QueuedMessage& message);
    void registercommands();
    void receivedlogininfo(int k, const QByteArray& version, const QByteArray& name);
    void chat(int k, const QByteArray& body);
    void action(int k, const QByteArray& body);
    void playasound(int k, const QByteArray& rest);
    void kickhim(int requester, int target);
    void disconnectsock(int k);
    void dropconnection(int k, const QString& reason);
    void sendto(int k, const QByteArray& message);
    void sendframed(int k, const QByteArray& framed);
    void sendtoall(const QByteArray& message);
    void sendtoothers(int k, const QByteArray& message);
    // The acting connection must be the one the message arrived on.
    bool fromsender(const char* command, int stated, int origin);
    QString who(int k) const;
    void log(const QString& line) const;

    // Round engine (roundengine.cpp).
    void startgame(const msg::StartGame& start);
    void startround();
    void sendword(int seat, const QList<int>& piles);
    void discard(int seat, int pile);
    void endround();
    bool checkforwin();
    void starttimer1(int seconds, TimerPurpose purpose);
    void stoptimer1();
    void advancepile(tpile& pile, int number);
    ScoreList scorelist() const;
    CardList newcomercards(int seat) const;

    std::unique_ptr<TDictn> m_spell;
    CardDeck m_deck;
    TSock* m_sock1 = nullptr;                    // the listener; a child of this object
    std::array<tplayer, kRecords + 1> m_players; // index 0 unused
    int m_highwatermark = 0;
    quint64 m_serials = 0;
    MessageQueue m_queue;
    CommandTable m_commands;
    quint64 m_sent = 0;
    std::function<void(const QString&)> m_log;

    bool m_gamestarted = false;
    bool m_roundopen = false;
    int m_targetscore = 0;
    int m_roundseconds = 0;
    int m_roundnumber = 0;
    int m_countdown = 0;
    TimerPurpose m_timerpurpose = TimerPurpose::None;
    bool m_timer1enabled = false;
    bool m_realtimeclock = true;
    QTimer m_timer1;
};

} // namespace gorse
