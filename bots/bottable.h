#pragma once

// The computer players of one table: started against a host at a given
// moment, each on the next free seat, and stopped together.

#include "bots/bot.h"
#include "bots/botclock.h"

#include <QList>
#include <QObject>
#include <memory>

namespace gorse {

class BotTable : public QObject
{
    Q_OBJECT
public:
    // Seat 1 is the person who starts the games.
    static constexpr int kMaxBots = kSeatCount - 1;

    // finder is shared by the players; clock is not owned and may be null,
    // for the table's own real-time clock.
    explicit BotTable(std::shared_ptr<const WordFinder> finder, BotClock* clock = nullptr,
                      QObject* parent = nullptr);
    ~BotTable() override;

    // Starts count players (0..kMaxBots) of the level against host:port,
    // delayMs from now. They connect one after another, each once the one
    // before is seated, so each takes the lowest free seat and its name. One
    // that finds no free seat leaves, and no more are started. Players
    // started before are stopped first.
    void start(const QString& host, quint16 port, int count, BotLevel level, qint64 delayMs = 0);
    // Every player leaves; a start still waiting is called off.
    void stop();
    // The seed the players' random choices start from (the n-th player uses
    // seed + n); by default one drawn at construction.
    void setSeed(quint64 seed) { m_seed = seed; }

    // The players started, in the order they connected.
    const QList<Bot*>& bots() const { return m_bots; }
    int seatedCount() const;
    // Still connecting players.
    bool isStarting() const { return m_starting; }

signals:
    // Every player that could take a seat has one (seated of them).
    void started(int seated);

private:
    void startNext();
    void finishStarting();

    std::shared_ptr<const WordFinder> m_finder;
    std::unique_ptr<SystemBotClock> m_ownClock;
    BotClock* m_clock;  // m_ownClock's or the caller's
    QList<Bot*> m_bots; // children of this object
    quint64 m_seed;
    quint64 m_pendingStart = 0;
    QString m_host;
    quint16 m_port = 0;
    int m_wanted = 0;
    BotLevel m_level = BotLevel::Casual;
    bool m_starting = false;
};

} // namespace gorse
