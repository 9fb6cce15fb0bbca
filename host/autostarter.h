#pragma once

#include <QObject>
#include <QTimer>
#include <functional>

namespace gorse {

class TServer;

// Starts games at a table nobody hosts: once at least two people are
// seated and no game runs, it tells the table "A game starts in S
// seconds." and, S seconds later, starts one, unless connection 1 started
// one first or fewer than two people are left.
class AutoStarter : public QObject
{
    Q_OBJECT
public:
    // server is not owned and must outlive this object. isPerson(k) tells
    // whether seat k holds a person rather than a computer player (all
    // seated players count when it is not given).
    AutoStarter(TServer* server, int delaySeconds, int target, int roundSeconds,
                std::function<bool(int)> isPerson = {}, QObject* parent = nullptr);

    bool counting() const { return m_countdown.isActive(); }
    // The notice, for delaySeconds.
    static QByteArray notice(int delaySeconds);

private:
    void check();
    void start();
    int peopleSeated() const;
    bool gameRuns() const;

    TServer* m_server; // not owned
    int m_delaySeconds;
    int m_target;
    int m_roundSeconds;
    std::function<bool(int)> m_isPerson;
    QTimer m_countdown;
};

} // namespace gorse
