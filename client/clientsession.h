#pragma once

#include "net/messagequeue.h"
#include "net/rules.h"
#include "net/tsock.h"

#include <QByteArray>
#include <QHash>
#include <QObject>
#include <QString>
#include <QStringList>
#include <array>
#include <functional>

namespace gorse {

class ChatLog;
class SettingsHooks;
class SoundCues;

// One seat row of the table as the client shows it.
struct SeatRow
{
    QString name = QStringLiteral("<Waiting>");       // label_playername
    QString score = QStringLiteral("0");              // label_score (TOTAL)
    QString thisturn = QStringLiteral("0");           // label_thisturn (TURN)
    QString bonus;                                    // label_bonus (WORD)
    QString pwords = QStringLiteral("[0] <WAITING>"); // label_pwords heading
    QString storedName = QStringLiteral("<Waiting>"); // label_pwords' stored name
    bool isWaiting() const { return name == QLatin1String("<Waiting>"); }
};

// The client's side of the connection to the game host: the socket, the
// queue of received messages worked off one per event-loop turn, the login,
// the seat rows and the spy list, and the end of the connection. Windows
// show what it holds and forward the player's requests to it.
class ClientSession : public QObject
{
    Q_OBJECT
public:
    using Handler = std::function<void(const QByteArray& fields)>;

    // chat receives system lines and relayed chat (not owned); sound and
    // settings may be null (not owned).
    ClientSession(ChatLog* chat, SoundCues* sound, SettingsHooks* settings,
                  QObject* parent = nullptr);
    ~ClientSession() override;

    // Connects `sock` to host:port. The login name is the player name
    // followed by the byte 0xFF.
    void connectTo(const QString& host, quint16 port, const QString& playerName);
    // The side connection to the launching lobby on 127.0.0.1, port 9001.
    void openSideConnection(quint16 port = 9001);
    void setHosting(bool hosting) { m_hosting = hosting; }

    // Sends a message (without terminator) to the host. False when there is
    // no connection to send on.
    bool send(const QByteArray& message);
    // Sends only while logged in, as words, discards, chat and sounds do.
    bool sendLoggedIn(const QByteArray& message);
    // Sends what the player typed into the chat entry: a chat, or with "/me "
    // an action, each with the colour text. Returns false before login, when
    // the text stays in the entry; true when the entry is to be emptied.
    bool sendit(const QString& text, quint32 colour);
    // Asks the host to remove connection n (hosting player only).
    void kicking(int n);

    // Installs the handler of one of the game's commands (startgame, winner,
    // startround, thecards, pscore, theword, rejected, discard, endround,
    // tiegame, gamestats, playasound). The dispatch order stays fixed.
    void setHandler(const QByteArray& command, Handler handler);

    // Handles every queued message now (tests).
    void processQueued() { m_queue.drain(); }
    // Feeds received bytes as if they came from the socket (tests).
    void receiveBytes(const QByteArray& bytes);

    int ownNumber() const { return m_own; }
    bool loggedIn() const { return m_loggedIn; }
    bool hosting() const { return m_hosting; }
    QByteArray loginName() const { return m_loginName; }
    const SeatRow& seat(int n) const { return m_seats.at(n - 1); }
    // For the board, which writes the score columns and the played-words
    // headings; it calls notifySeatsChanged() after a change.
    SeatRow& seatRow(int n) { return m_seats[n - 1]; }
    void notifySeatsChanged() { emit seatsChanged(); }
    const QStringList& spies() const { return m_spies; }
    // The opponents for the tally: seat names 1..6 in order, without the own
    // seat and without empty seats.
    QStringList loadchecklist() const;
    // Whether "Remove From Game" is enabled on seat n's name label.
    bool canRemoveSeat(int n) const;
    TSock& sock() { return m_sock; }

    // The login handler, also used by tests to follow a login step by step.
    void sendloginfo(const QByteArray& fields);
    void newplayerinfo(const QByteArray& fields);
    void playerdisconnected(const QByteArray& fields);

signals:
    void seatsChanged();
    void spiesChanged();
    // The host ended the connection: the window closes and the program ends.
    void connectionClosed();
    // "Game is full": the window shows the message box, then closes.
    void gameFull();
    // One line for the log on standard error (malformed messages).
    void logLine(const QString& line);

private:
    void addSystemLine(const QString& text);
    void cue(const QString& name);
    void onRead(TSock* sock);
    void onInfo(TSock* sock, TSocketInfo info, const QString& msg);
    void route(const QByteArray& command, const QByteArray& fields);
    void finishClosing();

    ChatLog* m_chat;           // not owned
    SoundCues* m_sound;        // not owned, may be null
    SettingsHooks* m_settings; // not owned, may be null
    TSock m_sock;
    TSock m_side;
    FrameBuffer m_frames;
    MessageQueue m_queue;
    CommandTable m_commands;
    QHash<QByteArray, Handler> m_gameHandlers;

    bool m_dispatching = false;
    bool m_closing = false;
    int m_own = 0;
    bool m_loggedIn = false;
    bool m_hosting = false;
    QByteArray m_loginName;
    std::array<SeatRow, kSeatCount> m_seats;
    QStringList m_spies;
};

} // namespace gorse
