#include "host/autostarter.h"

#include "host/tserver.h"
#include "net/messages.h"

namespace gorse {

AutoStarter::AutoStarter(TServer* server, int delaySeconds, int target, int roundSeconds,
                         std::function<bool(int)> isPerson, QObject* parent)
    : QObject(parent), m_server(server), m_delaySeconds(delaySeconds), m_target(target),
      m_roundSeconds(roundSeconds), m_isPerson(std::move(isPerson))
{
    m_countdown.setSingleShot(true);
    m_countdown.setInterval(delaySeconds * 1000);
    connect(&m_countdown, &QTimer::timeout, this, &AutoStarter::start);
    connect(m_server, &TServer::tableChanged, this, &AutoStarter::check);
}

QByteArray AutoStarter::notice(int delaySeconds)
{
    // A system line of the chat pane, in the system colour.
    return msg::chat(0,
                     "A game starts in " + QByteArray::number(delaySeconds) + " seconds.|clBlue");
}

bool AutoStarter::gameRuns(const GameTable& table)
{
    // After a win the round clock stops: that game is over.
    return table.gameStarted() && table.timer1Enabled();
}

bool AutoStarter::gameWanted()
{
    const GameTable& table = m_server->table();
    int players = 0;
    int people = 0;
    for (int k = 1; k <= kSeatCount; ++k) {
        const tplayer& p = table.player(k);
        if (!p.connected || p.name.isEmpty())
            continue;
        ++players;
        if (!m_isPerson || m_isPerson(k))
            ++people;
    }
    if (gameRuns(table)) {
        // Nobody is left to finish it; a newcomer would only inherit the
        // scores of those gone.
        if (people == 0)
            m_givenUp = table.counters().gamesStarted;
        if (m_givenUp != table.counters().gamesStarted)
            return false;
    }
    return players >= 2 && people >= 1;
}

void AutoStarter::check()
{
    const bool wanted = gameWanted();
    if (wanted && !m_countdown.isActive()) {
        m_server->sendToEveryone(notice(m_delaySeconds));
        m_countdown.start();
    } else if (!wanted) {
        m_countdown.stop();
    }
}

void AutoStarter::start()
{
    if (gameWanted())
        m_server->startServerGame(m_target, m_roundSeconds);
}

} // namespace gorse
