#pragma once

#include "dict/tdictn.h"
#include "host/gametable.h"
#include "host/hostconnection.h"
#include "host/hostcounters.h"
#include "net/messagequeue.h"
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

// The game host's connection server: it listens, hands out connection
// numbers, cuts what arrives into messages and works them off in dispatch
// turns, bounds what a connection may hold in bytes, writes once per
// connection per turn, keeps the log within bounds, and passes every message
// to its GameTable, which plays the game. It has no window; the hosting copy
// of the game and the dedicated host both run it.
class TServer : public QObject, private TableOutput
{
    Q_OBJECT
public:
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
    // Connections the system holds for the listener until the host takes
    // them. Beyond it a connection waits a second or more for its peer to
    // try again; with room for a table's worth several times over, a whole
    // table arriving at once (players coming back after a restart, while
    // the host is busy with other tables) is taken without that wait.
    static constexpr int kListenBacklog = 64;

    // What the server keeps about the connection holding a number; all of
    // it starts afresh with every connection given the number.
    struct Connection
    {
        HostConnection* link = nullptr; // not owned: belongs to its listener
        FrameBuffer frames;             // bytes after the last terminator
        quint64 serial = 0;             // which accept filled this number
        bool closing = false;           // being dropped; nothing more is sent or read
        qint64 waiting = 0;             // bytes its messages hold in the queue
        QByteArray outgoing;            // sent during this turn, written when it ends
        // Log lines about this connection: a few per window, then a count.
        qint64 logWindow = -1;
        int logLines = 0;
        quint64 logNotLogged = 0;
    };

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
    // Takes a connection from a listener: gives it the lowest free number
    // and tells it so, or, when all nine are taken, tells it the table is
    // full and closes it. The server deletes it once it has closed or been
    // refused; until then its parent, the listener, owns it.
    void acceptConnection(HostConnection* connection);

    // Where one line per event goes (connections, logins, departures, game
    // starts, words, results, dropped messages). Nothing is logged without.
    void setLog(std::function<void(const QString&)> log);
    // Whether timer1 runs by itself (the default). Off, the round clock only
    // moves when timer1Timer() is called.
    void setRealTimeClock(bool on);
    // The game values and the word list the table accepts
    // (GameTable::setStartRanges, GameTable::useWordList).
    void setStartRanges(const OptionRange& target, const OptionRange& seconds);
    void useWordList(TDictn::BuiltinList list);

    // Sends a message of the server's own (not the table's) to every
    // connection, written at once unless a dispatch turn runs.
    void sendToEveryone(QByteArrayView message) { sendToAll(message); }
    // Starts a game without a CMD_startgame (GameTable::startServerGame).
    void startServerGame(int target, int seconds)
    {
        const SendBatch batch(*this);
        m_table.startServerGame(target, seconds);
    }

    // The round clock's tick: the table counts down and, at the end, ends
    // the round or starts the next one. Called by timer1 every second while
    // it is on.
    void timer1Timer();

    // The game, for the windows that show it and for tests.
    const GameTable& table() const { return m_table; }
    GameTable& table() { return m_table; }
    // The connection holding a number (1..9), and the highest number handed
    // out so far: sends to all go to 1..highWaterMark().
    const Connection& connection(int k) const { return m_connections.at(size_t(k)); }
    int highWaterMark() const { return m_highWaterMark; }
    // Messages taken off the queue, and messages sent, since creation.
    quint64 messagesHandled() const { return m_queue.handled(); }
    quint64 messagesSent() const { return m_sent; }
    // Messages received and not handled yet.
    qsizetype messagesQueued() const { return m_queue.size(); }
    // Dispatch turns run since creation.
    quint64 dispatchTurns() const { return m_queue.turns(); }
    // Connections, bytes, drops and turn times since creation.
    const ServerCounters& counters() const { return m_counters; }

signals:
    // What the table shows every player changed: a login, a departure, a
    // round started, a game won.
    void tableChanged();

private:
    void Sock1Accept(TSock* sender);
    void Sock1Read(HostConnection* sender);
    // The peer closed its end: the host closes its own.
    void tempsockDisconnect(HostConnection* sender);
    // The connection is closed ("Socket Closed"): the table hears of the
    // departure and the number is free.
    void tempsockInfo(HostConnection* sender);
    void handleMessage(QueuedMessage& message);
    void dropConnection(int k, const QString& reason, ServerCounters::Drop why);
    // Writes what the handlers sent to each connection, one write each.
    void flushAll();

    // What the table sends and asks for.
    void sendTo(int k, QByteArrayView message) override;
    void sendToAll(QByteArrayView message) override;
    void closeConnection(int k) override;
    void startClock() override;
    void stopClock() override;
    // Lines logged while a connection's message is handled count against
    // that connection's budget.
    void log(const QString& line) override;
    void announceChange() override;

    void logFor(int k, const QString& line);
    void logNotLogged(int k);

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
                m_server.flushAll();
        }
        SendBatch(const SendBatch&) = delete;
        SendBatch& operator=(const SendBatch&) = delete;

    private:
        TServer& m_server;
    };

    TSock* m_sock1 = nullptr; // the listener; a child of this object
    std::array<Connection, kConnectionCount + 1> m_connections; // index 0 unused
    int m_highWaterMark = 0;
    quint64 m_serials = 0;
    MessageQueue m_queue;
    quint64 m_sent = 0;
    quint32 m_dirty = 0; // connections with something to write, by bit
    std::array<quint8, kConnectionCount> m_dirtyOrder{}; // the same, in the order dirtied
    int m_dirtyCount = 0;
    int m_batch = 0;    // open SendBatch scopes
    int m_handling = 0; // the connection whose message is being handled
    QElapsedTimer m_uptime;
    std::function<void(const QString&)> m_log;
    bool m_realTimeClock = true;
    QTimer m_timer1;
    GameTable m_table;
    ServerCounters m_counters;
    QElapsedTimer m_turnClock; // runs from a turn's first message to its end
};

} // namespace gorse
