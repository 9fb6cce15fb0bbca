// What the board tells the player where the game itself says nothing: who
// is to start the game, that a spy only watches, who takes over a seat in a
// running game, that time is up, and how long the pause after a round lasts.
// Only lines of our own are added; the game's texts stay as they are.

#include "client/board.h"

#include "client/clientsession.h"
#include "client/table.h"

namespace gorse {

QString Board::watchingStatus()
{
    return QStringLiteral("You are watching this game.");
}

QString Board::pauseText() const
{
    if (m_pauseLeft <= 0)
        return QString();
    const QString seconds = m_pauseLeft == 1
                                ? QStringLiteral("1 second")
                                : QString::number(m_pauseLeft) + QStringLiteral(" seconds");
    // Once somebody has reached the target the pause may end the game.
    bool reached = false;
    for (int n = 1; n <= kSeatCount; ++n)
        reached = reached || (m_target > 0 && m_session->seat(n).total >= m_target);
    if (reached)
        return QStringLiteral("Next round or the winner in ") + seconds + u'.';
    return QStringLiteral("Next round in ") + seconds + u'.';
}

void Board::tableChanged()
{
    const Table* table = m_session->table();
    for (int n = 1; n <= kSeatCount; ++n) {
        const Seat& seat = table->seat(n);
        const bool arrived = seat.taken && !m_seatTaken[n - 1];
        m_seatTaken[n - 1] = seat.taken;
        // A newcomer in a running game plays on with the seat's score.
        if (arrived && m_gameRunning && n != own()) {
            systemLine(seat.name + QStringLiteral(" takes over seat ") + QString::number(n) +
                       QStringLiteral(" with ") + QString::number(seat.total) +
                       QStringLiteral(" points."));
        }
    }
    if (!m_greeted && m_session->loggedIn() && own() != 0) {
        m_greeted = true;
        // The host's welcome (the other players, a running game's state)
        // arrives in the same burst as the login: look once it is read.
        QTimer::singleShot(0, this, &Board::greetNewcomer);
    }
}

void Board::greetNewcomer()
{
    if (watching()) {
        systemLine(QStringLiteral("You are a spy: you see the game and the chat, but you do not "
                                  "play."));
        if (!m_roundShown)
            m_status = watchingStatus();
        emit changed();
        return;
    }
    if (m_session->hosting() || m_gameRunning)
        return;
    // On a dedicated host nobody hosts: the person on connection 1 starts.
    if (m_session->mayStartGames()) {
        // A line's part up to its first colon is followed by a space of its
        // own: so the line reads "You may start the game: File > Start Game."
        systemLine(QStringLiteral("You may start the game:File > Start Game."));
        return;
    }
    const Seat& first = m_session->seat(1);
    // The hosting player's own client is the first to connect.
    const QString host = first.taken ? first.name : QStringLiteral("the host");
    systemLine(QStringLiteral("Waiting for ") + host + QStringLiteral(" to start a game."));
}

void Board::joinedRunningGame(const msg::GameStats& stats)
{
    // After a game has ended the host still sends its last state, with its
    // clock stopped.
    if (stats.countdown <= 0)
        return;
    m_gameRunning = true;
    // As when a game starts: Start stays in the menu only.
    m_startButtons = false;
    m_target = stats.target;
    // The host does not say which round it is: show that a round runs.
    m_round = QStringLiteral("Round: in progress");
    m_roundShown = m_timeLeft > 0;
    m_timeUpSaid = false;
    if (ownSeat()) {
        const int total = stats.totals[own() - 1];
        systemLine(m_session->seat(own()).name + QStringLiteral(" takes over seat ") +
                   QString::number(own()) + QStringLiteral(" with ") + QString::number(total) +
                   QStringLiteral(" points."));
    }
    if (m_timeLeft <= 0) {
        // Joined in the pause between rounds.
        m_timeLeft = 0;
        m_pauseLeft = qMin(stats.countdown, kRoundPauseSeconds);
    }
}

void Board::startPause()
{
    m_pauseLeft = kRoundPauseSeconds;
    // The pause is counted by the turn clock; a newcomer who came in
    // during a pause may not have it running yet.
    m_turnClockOn = true;
    if (m_autoClock && !m_turntime.isActive())
        m_turntime.start();
}

void Board::tickPause()
{
    if (m_pauseLeft > 0)
        --m_pauseLeft;
}

void Board::timeIsUp()
{
    if (!m_roundShown || m_timeUpSaid)
        return;
    m_timeUpSaid = true;
    m_status = QStringLiteral("Time's up!");
    emit announce(m_status);
}

} // namespace gorse
