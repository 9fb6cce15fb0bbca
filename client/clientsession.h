#pragma once

#include "client/table.h"
#include "game/rules.h"
#include "net/clientconnection.h"
#include "net/messagequeue.h"
#include "net/tsock.h"

#include <QByteArray>
#include <QHash>
#include <QObject>
#include <QString>
#include <QStringList>
#include <QTimer>
#include <functional>

namespace gorse {

class ChatLog;
class GameOptions;
class SoundCues;

// The client's side of the connection to the game host: the socket, the
// queue of received messages worked off one per event-loop turn, the login,
// the table (seats and spies), and the end of the connection. Windows show
// what it holds and forward the player's requests to it.
class ClientSession : public QObject
{
    Q_OBJECT
public:
    using Handler = std::function<void(const QByteArray& fields)>;

    // chat receives system lines and relayed chat; options are asked to load
    // the stored settings at the own login. None is owned; sound may be null.
    ClientSession(ChatLog* chat, SoundCues* sound, GameOptions* options, QObject* parent = nullptr);
    ~ClientSession() override;

    // Connects `sock` to host:port. The login name is the player name
    // followed by the byte 0xFF.
    void connectTo(const QString& host, quint16 port, const QString& playerName);
    // The side connection to the launching lobby on 127.0.0.1, port 9001.
    void openSideConnection(quint16 port = 9001);
    // This copy hosts the game: it may start games and remove players.
    void setHosting(bool hosting);

    // Sends a message (without terminator) to the host. False when there is
    // no connection to send on.
    bool send(const QByteArray& message);
    // Sends only while logged in, as words, discards, chat and sounds do.
    bool sendLoggedIn(const QByteArray& message);
    // Sends what the player typed into the chat entry: a chat, or with "/me "
    // an action, each with the colour text. Returns false before login, when
    // the text stays in the entry; true when the entry is to be emptied.
    // A text longer than the chat entry holds is cut to fit.
    bool sendit(const QString& text, quint32 colour);
    // A phrase button: a phrase starting "/me " goes as an action with the
    // rest, any other as "says: " and the phrase, with the colour text.
    // Before login nothing is sent (false).
    bool sendPhrase(const QString& phrase, quint32 colour);
    // A chatter sound (1..20), sent only by a seated, logged-in player.
    bool sendChatterSound(int sound);
    // Asks the host to remove connection n (hosting player only).
    void kicking(int n);
    // Asks the host to start a game for everybody, in the player's own name,
    // with a target score and a time per turn.
    void startGame(int target, int seconds);

    // Installs the handler of one of the game's commands (startgame, winner,
    // startround, thecards, pscore, theword, rejected, discard, endround,
    // tiegame, gamestats, playasound). The dispatch order stays fixed.
    void setHandler(const QByteArray& command, Handler handler);

    // The "Game is full" notice was closed; the program ends. Without a
    // call the end comes noticeTimeoutMs() after the connection closed.
    void noticeDismissed();
    void setNoticeTimeoutMs(int ms) { m_noticeMs = ms; }
    int noticeTimeoutMs() const { return m_noticeMs; }

    // Handles every queued message now (tests).
    void processQueued() { m_connection.processQueued(); }
    // Feeds received bytes as if they came from the socket (tests).
    void receiveBytes(const QByteArray& bytes) { m_connection.receiveBytes(bytes); }

    int ownNumber() const { return m_connection.ownNumber(); }
    bool loggedIn() const { return m_connection.loggedIn(); }
    bool hosting() const { return m_hosting; }
    // Whether this client may start games: the hosting copy, and a client
    // the host gave connection 1 (on a dedicated host, the first person to
    // arrive, or whoever takes number 1 after him).
    bool mayStartGames() const { return m_hosting || (loggedIn() && ownNumber() == 1); }
    QByteArray loginName() const { return m_loginName; }
    // The seats and spies; the board writes the scores through it.
    Table* table() { return &m_table; }
    const Table* table() const { return &m_table; }
    const Seat& seat(int n) const { return m_table.seat(n); }
    // The opponents for the tally: seat names 1..6 in order, without the own
    // seat and without empty seats.
    QStringList loadchecklist() const;
    // Whether "Remove From Game" may be used: on seat n's name label (seats
    // 2..6, taken), and on the spy list (any spy) while hosting.
    bool canRemoveSeat(int n) const;
    bool canRemoveSpies() const { return m_hosting; }
    TSock& sock() { return m_connection.sock(); }

    // The login handler, also used by tests to follow a login step by step.
    void sendloginfo(const QByteArray& fields);
    void newplayerinfo(const QByteArray& fields);
    void playerdisconnected(const QByteArray& fields);

signals:
    void hostingChanged(bool hosting);
    void mayStartGamesChanged(bool may);
    // The host ended the connection (or a "Game is full" notice was
    // dismissed): the window closes and the program ends. Emitted once.
    void connectionClosed();
    // "Game is full": the window shows the notice without waiting for it
    // and calls noticeDismissed() when it is closed. Emitted once.
    void gameFull();
    // One line for the log on standard error (malformed messages).
    void logLine(const QString& line);

private:
    void addSystemLine(const QString& text);
    void playasound(const QByteArray& fields);
    void onInfo(TSocketInfo info, const QString& msg);
    void route(const QByteArray& command, const QByteArray& fields);
    void finishClosing();

    ChatLog* m_chat;        // not owned
    SoundCues* m_sound;     // not owned, may be null
    GameOptions* m_options; // not owned
    ClientConnection m_connection;
    TSock m_side;
    QHash<QByteArray, Handler> m_gameHandlers;

    bool m_closing = false;
    bool m_fullNotice = false;
    bool m_noticeDone = false;
    bool m_closedAnnounced = false;
    int m_noticeMs = 10000;
    QTimer m_noticeTimer;
    bool m_hosting = false;
    bool m_everConnected = false;
    QString m_hostName;
    QByteArray m_loginName;
    Table m_table;
};

} // namespace gorse
