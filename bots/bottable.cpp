#include "bots/bottable.h"

#include <QRandomGenerator>

#include <algorithm>

namespace gorse {

BotTable::BotTable(std::shared_ptr<const WordFinder> finder, BotClock* clock, QObject* parent)
    : QObject(parent), m_finder(std::move(finder)),
      m_ownClock(clock ? nullptr : std::make_unique<SystemBotClock>()),
      m_clock(clock ? clock : m_ownClock.get()), m_seed(QRandomGenerator::global()->generate64())
{
}

BotTable::~BotTable()
{
    m_clock->cancel(m_pendingStart);
    // The players, those that are leaving included, go before the clock
    // they think by.
    qDeleteAll(findChildren<Bot*>(Qt::FindDirectChildrenOnly));
}

void BotTable::start(const QString& host, quint16 port, int count, BotLevel level, qint64 delayMs)
{
    stop();
    m_host = host;
    m_port = port;
    m_level = level;
    m_wanted = std::clamp(count, 0, kMaxBots);
    m_starting = true;
    m_pendingStart = m_clock->callAfter(std::max<qint64>(delayMs, 0), [this] {
        m_pendingStart = 0;
        startNext();
    });
}

void BotTable::stop()
{
    m_clock->cancel(m_pendingStart);
    m_pendingStart = 0;
    m_starting = false;
    for (Bot* bot : std::as_const(m_bots)) {
        disconnect(bot, nullptr, this, nullptr);
        bot->leave();
        bot->deleteLater(); // it may be in one of its own signals
    }
    m_bots.clear();
}

int BotTable::seatedCount() const
{
    return int(std::count_if(m_bots.begin(), m_bots.end(),
                             [](const Bot* bot) { return bot->isSeated(); }));
}

void BotTable::startNext()
{
    if (!m_starting)
        return;
    if (m_bots.size() >= m_wanted) {
        finishStarting();
        return;
    }
    auto* bot = new Bot(m_finder, m_level, m_clock, m_seed + quint64(m_bots.size()), this);
    m_bots.append(bot);
    connect(bot, &Bot::seated, this, &BotTable::startNext);
    // No seat, or no host: nobody after it would do better.
    connect(bot, &Bot::noSeat, this, &BotTable::finishStarting);
    connect(bot, &Bot::disconnected, this, &BotTable::finishStarting);
    bot->connectTo(m_host, m_port);
}

void BotTable::finishStarting()
{
    if (!m_starting)
        return;
    m_starting = false;
    emit started(seatedCount());
}

} // namespace gorse
