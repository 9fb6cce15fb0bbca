#pragma once

#include "dict/tdictn.h"
#include "host/carddeck.h"
#include "net/messagequeue.h"
#include "net/messages.h"
#include "net/tsock.h"

#include <QByteArray>
#include <QElapsedTimer>
#include <QHostAddress>
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

    // Connection bookkeeping of this host; all of it starts afresh with
    // every connection given this number.
    FrameBuffer frames;   // bytes after the last terminator
    quint64 serial = 0;   // which accept filled this record
    bool closing = false; // being dropped; nothing more is sent or read
    qint64 waiting = 0;   // bytes its messages hold in the queue
    QByteArray outgoing;  // sent during this turn, written when it ends
    // Log lines about this connection: a few per window, then a count.
    qint64 logwindow = -1;
    int loglines = 0;
    quint64 lognotlogged = 0;
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
    // A connection whose peer stops reading is closed when this much waits
    // to go out to it.
    static constexpr qint64 kMaxOutgoing = 1024 * 1024;
    // A connection is closed when its messages waiting in the queue, and
    // the unfinished line after them, hold more than this. Each message
    // counts its bytes and kMessageOverhead.
    static constexpr qint64 kMaxWaiting = 256 * 1024;
    static constexpr qint64 kMessageOverhead = 64;
    // Log lines about one connection: at most kLogBurst in kLogWindowMs,
    // then only a count of the lines not logged.
    static constexpr int kLogBurst = 50;
    static constexpr qint64 kLogWindowMs = 10000;

    // dict is the word list words are checked against (the built-in one
    // when null); seed starts the card deck's random sequence.
    TServer(std::unique_ptr<TDictn> dict, quint64 seed, QObject* parent = nullptr);
    ~TServer() override;

    // Starts listening on the address (every IPv4 address unless another
    // is given; a solo game listens on 127.0.0.1 only); port 0 takes any
    // free port. Throws ESockException ("Listen - Error Binding Socket" and
    // the like).
    void startListening(quint16 port,
                        const QHostAddress& address = QHostAddress(QHostAddress::AnyIPv4));
    quint16 listeningPort() const;
    QHostAddress listeningAddress() const;
    // Where one line per event goes (connections, logins, departures, game
    // starts, words, results, dropped messages). Nothing is logged without.
    void setLog(std::function<void(const QString&)> log);
    // Whether timer1 runs by itself (the default). Off, the round clock only
    // moves when timer1Timer() is called.
    void setRealTimeClock(bool on);
    // The target scores and round lengths a game may be started with; a
    // CMD_startgame outside them is refused with a log line. The options
    // dialog's ranges unless changed.
    void setStartRanges(const OptionRange& target, const OptionRange& seconds);

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
    // Dispatch turns run since creation.
    quint64 dispatchturns() const { return m_queue.turns(); }

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
    void handlemessage(QueuedMessage& message);
    void registercommands();
    void receivedlogininfo(int k, const QByteArray& version, QByteArray name);
    void chat(int k, QByteArrayView body);
    void action(int k, QByteArrayView body);
    void playasound(int k, QByteArrayView rest);
    // Whether a relay's text is short enough to pass on; logs it when not.
    bool relayable(const char* command, int k, QByteArrayView text);
    void kickhim(int requester, int target);
    void disconnectsock(int k);
    void dropconnection(int k, const QString& reason);
    void sendto(int k, const QByteArray& message);
    void sendframed(int k, const QByteArray& framed);
    void sendtoall(const QByteArray& message);
    void sendframedtoall(const QByteArray& framed);
    void sendtoothers(int k, const QByteArray& message);
    // Writes what the handlers sent to each connection, one write each.
    void flushall();
    // Sends made while one is open are written when the outermost one ends
    // (or, inside a dispatch turn, when the turn ends): one write per
    // connection for everything a timer tick or a socket event sent.
    class SendBatch
    {
    public:
        explicit SendBatch(TServer& server) : m_server(server) { ++m_server.m_batch; }
        ~SendBatch()
        {
            if (--m_server.m_batch == 0 && !m_server.m_queue.inTurn())
                m_server.flushall();
        }
        SendBatch(const SendBatch&) = delete;
        SendBatch& operator=(const SendBatch&) = delete;

    private:
        TServer& m_server;
    };
    // The acting connection must be the one the message arrived on.
    bool fromsender(const char* command, int stated, int origin);
    QString who(int k) const;
    // Lines logged while a connection's message is handled count against
    // that connection's budget.
    void log(const QString& line);
    void logfor(int k, const QString& line);
    void lognotlogged(int k);

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
    quint32 m_dirty = 0; // connections with something to write, by bit
    std::array<quint8, kConnectionCount> m_dirtyOrder{}; // the same, in the order dirtied
    int m_dirtyCount = 0;
    int m_batch = 0;    // open SendBatch scopes
    int m_handling = 0; // the connection whose message is being handled
    QElapsedTimer m_uptime;
    std::function<void(const QString&)> m_log;
    OptionRange m_targetrange = kPlayToScoreRange;
    OptionRange m_secondsrange = kTimePerTurnRange;

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
