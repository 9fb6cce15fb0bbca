#pragma once

#include <QObject>
#include <QTimer>
#include <functional>
#include <optional>

namespace gorse {

class GameTable;
class TServer;

// Starts games at a table nobody hosts: once at least two players are
// seated, one of them a person, and no game runs, it tells the table "A
// game starts in S seconds." and, S seconds later, starts one, unless
// connection 1 started one first or that is no longer so. Computer players
// alone never start a game. A game that everybody has left is given up: the
// next people to sit down get a new one, counted down the same way.
class AutoStarter : public QObject
{
    Q_OBJECT
public:
    // server is not owned and must outlive this object. isPerson(k) tells
    // whether seat k holds a person rather than a computer player (every
    // seated player is a person when it is not given).
    AutoStarter(TServer* server, int delaySeconds, int target, int roundSeconds,
                std::function<bool(int)> isPerson = {}, QObject* parent = nullptr);

    bool counting() const { return m_countdown.isActive(); }
    // The notice, for delaySeconds.
    static QByteArray notice(int delaySeconds);
    // A game runs at the table: started and not won yet.
    static bool gameRuns(const GameTable& table);

private:
    void check();
    void start();
    // Enough players are seated for a game, and none runs (or only one
    // given up).
    bool gameWanted();

    TServer* m_server; // not owned
    int m_delaySeconds;
    int m_target;
    int m_roundSeconds;
    std::function<bool(int)> m_isPerson;
    QTimer m_countdown;
    // The table's count of games started when the running one was given up.
    std::optional<quint64> m_givenUp;
};

} // namespace gorse
