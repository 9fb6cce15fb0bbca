#pragma once

// A computer player: an ordinary client of the host over its own
// connection. It logs in with the version text under the name of the seat
// it is given, follows the game's messages, and plays its piles as its
// level says, within its round clock. It says hello once and "Good Game
// Everyone!" when a game ends, and nothing else.

#include "bots/botbrain.h"
#include "net/clientconnection.h"
#include "net/messages.h"

#include <QByteArray>
#include <QObject>
#include <memory>

namespace gorse {

class BotClock;

class Bot : public QObject
{
    Q_OBJECT
public:
    static constexpr char kGreeting[] = "Hello Everyone!";
    static constexpr char kFarewell[] = "Good Game Everyone!";

    // finder is shared with the other players of the table; clock is not
    // owned and must outlive the bot.
    Bot(std::shared_ptr<const WordFinder> finder, BotLevel level, BotClock* clock, quint64 seed,
        QObject* parent = nullptr);
    ~Bot() override;

    void connectTo(const QString& host, quint16 port);
    // Closes the connection; the host tells the others that this player left.
    void leave();

    BotLevel level() const { return m_brain.level(); }
    int number() const { return m_connection.ownNumber(); }
    QByteArray name() const { return m_name; }
    bool isSeated() const { return m_seated; }
    bool isConnected() const { return m_connected; }
    // The number of the last round started.
    int round() const { return m_round; }
    // A round is running and this player's clock has not run out.
    bool isPlaying() const { return m_roundRunning; }
    // A word or discard was sent and its answer has not come yet.
    bool isAwaitingAnswer() const { return m_awaiting; }
    int card(int pile) const { return m_cards[pile - 1]; }
    // This seat's game total as the host last told it.
    int total() const { return m_total; }
    // The winner of the last game, as announced.
    QByteArray winner() const { return m_winner; }

    struct Counts
    {
        int sent = 0; // words and discards sent
        int accepted = 0;
        int rejected = 0;
        int discards = 0;
        int lateAnswers = 0; // answers that came after the round ended
    };
    const Counts& counts() const { return m_counts; }

signals:
    // Logged in on a seat, under name().
    void seated(int number);
    // The host had no seat for it (full, or only a spy's place): it left.
    void noSeat();
    // The connection ended (after leave(), or closed by the host).
    void disconnected();
    void gameOver(const QByteArray& winner);

private:
    void registercommands();
    void onInfo(TSocketInfo info, const QString& text);
    void send(const QByteArray& message);
    void say(const char* phrase);
    void closeConnection();

    std::optional<QByteArray> loginName(int own);
    void newplayerinfo(const QByteArray& fields);
    void startgame(const QByteArray& fields);
    void gamestats(const QByteArray& fields);
    void thecards(const QByteArray& fields);
    void startround(const QByteArray& fields);
    void answered(const CardList& cards);
    void endround(const QByteArray& fields);
    void winner(const QByteArray& fields);

    // Plays until the clock says stop, from now for the given milliseconds.
    void play(qint64 milliseconds);
    void stopPlaying();
    void scheduleLook();
    void look();

    BotBrain m_brain;
    BotClock* m_clock; // not owned
    ClientConnection m_connection;

    QByteArray m_name;
    bool m_open = false; // from connectTo until the closing is reported
    bool m_connected = false;
    bool m_seated = false;
    bool m_greeted = false;
    bool m_inGame = false;
    int m_timePerTurn = 0;
    int m_round = 0;
    bool m_roundRunning = false;
    bool m_awaiting = false;
    qint64 m_deadline = 0;
    quint64 m_look = 0; // the clock's handle of the next look
    PileCards m_cards{};
    int m_total = 0;
    QByteArray m_winner;
    Counts m_counts;
};

} // namespace gorse
