#pragma once

#include "bots/bot.h"
#include "bots/botclock.h"

#include <QHash>
#include <QList>
#include <QObject>
#include <QTimer>
#include <functional>
#include <memory>

namespace gorse {

class TServer;

// Computer players who keep the people at one table company. While nobody
// is seated there are none. A person alone gets count of them; each
// further person takes the place of one, and one seat always stays free for
// the next person to arrive, so he sits down rather than watch. They sit
// down at any time, one after another (one who arrives during a game is
// dealt in), but leave only when no game runs, so that no game's scores are
// thrown away; when the last person leaves, they all go at once.
//
// Each is an ordinary client of the table over loopback. One the host
// removes (connection 1's removal, say) is not replaced until the table has
// emptied of people.
class BotFiller : public QObject
{
    Q_OBJECT
public:
    // After a computer player finds no seat, or no host, the next tries this
    // much later.
    static constexpr int kRetryMs = 1000;

    // server is not owned and must outlive this object; it must listen
    // before the first person arrives. finder gives the word finder the
    // players share; it is asked once, when the first one sits down. clock
    // is not owned and may be null, for real time.
    BotFiller(TServer* server, int count, BotLevel level,
              std::function<std::shared_ptr<const WordFinder>()> finder, BotClock* clock = nullptr,
              QObject* parent = nullptr);
    ~BotFiller() override;

    // On, no computer player sits down while seat 1 is free: its holder
    // starts the games, and the next person to arrive takes it.
    void setSeatOneForPeople(bool on) { m_seatOneForPeople = on; }
    // Where a line goes when computer players sit down or leave.
    void setLog(std::function<void(const QString&)> log) { m_log = std::move(log); }

    // Connection k is one of these computer players (one on its way out
    // included, until the host has let it go).
    bool isComputerPlayer(int k) const;

private:
    void check();
    void addOne();
    void dismiss(int count);
    // A player gone without being asked to (removed, or never seated).
    void lost(Bot* bot);
    void forget(Bot* bot);
    // The host's serial of the connection holding k, 0 when none does.
    quint64 serialOf(int k) const;
    void log(const QString& line) const;

    TServer* m_server; // not owned
    int m_count;
    BotLevel m_level;
    std::function<std::shared_ptr<const WordFinder>()> m_finderSource;
    std::shared_ptr<const WordFinder> m_finder;
    std::unique_ptr<SystemBotClock> m_ownClock;
    BotClock* m_clock; // m_ownClock's or the caller's
    struct Member
    {
        Bot* bot; // a child of this object
        // The host's serial of its connection, once seated: the seat is the
        // player's only while the host's connection there is this one.
        quint64 serial = 0;
    };
    QList<Member> m_bots;          // in the order they came
    Bot* m_joining = nullptr;      // the one connecting and not seated yet
    QHash<int, quint64> m_leaving; // seats the host still gives those sent away
    int m_removed = 0;             // seated ones the host removed since people came
    bool m_seatOneForPeople = false;
    bool m_filling = false; // "take seats" is logged for the current filling
    quint64 m_seed;
    QTimer m_soon;  // a check once the current event is done
    QTimer m_retry; // no new player before it runs out
    std::function<void(const QString&)> m_log;
};

} // namespace gorse
