#include "host/botfiller.h"

#include "host/autostarter.h"
#include "host/tserver.h"
#include "net/logtext.h"

#include <QRandomGenerator>

#include <algorithm>

namespace gorse {

BotFiller::BotFiller(TServer* server, int count, BotLevel level,
                     std::function<std::shared_ptr<const WordFinder>()> finder, BotClock* clock,
                     QObject* parent)
    : QObject(parent), m_server(server), m_count(std::clamp(count, 0, kSeatCount - 1)),
      m_level(level), m_finderSource(std::move(finder)),
      m_ownClock(clock ? nullptr : std::make_unique<SystemBotClock>()),
      m_clock(clock ? clock : m_ownClock.get()), m_seed(QRandomGenerator::global()->generate64())
{
    m_soon.setSingleShot(true);
    m_soon.setInterval(0);
    m_retry.setSingleShot(true);
    m_retry.setInterval(kRetryMs);
    connect(&m_soon, &QTimer::timeout, this, &BotFiller::check);
    connect(&m_retry, &QTimer::timeout, this, &BotFiller::check);
    connect(m_server, &TServer::tableChanged, this, &BotFiller::check);
}

BotFiller::~BotFiller()
{
    // The players, those that are leaving included, go before the clock
    // they think by.
    qDeleteAll(findChildren<Bot*>(Qt::FindDirectChildrenOnly));
}

quint64 BotFiller::serialOf(int k) const
{
    return m_server->table().player(k).connected ? m_server->connection(k).serial : 0;
}

bool BotFiller::isComputerPlayer(int k) const
{
    if (!isConnection(k) || serialOf(k) == 0)
        return false;
    if (m_leaving.value(k) == serialOf(k))
        return true;
    return std::any_of(m_bots.begin(), m_bots.end(), [this, k](const Member& m) {
        return m.bot->number() == k && (m.serial == 0 || m.serial == serialOf(k));
    });
}

void BotFiller::check()
{
    const GameTable& table = m_server->table();
    // A seat the host has let go is free for anybody.
    m_leaving.removeIf([this](auto seat) { return seat.value() != serialOf(seat.key()); });

    // Seats held by others than these players, and people seated in them
    // (a connection that has not logged in yet holds a seat, but is nobody).
    int held = 0;
    int people = 0;
    for (int k = 1; k <= kSeatCount; ++k) {
        const tplayer& p = table.player(k);
        if (!p.connected || isComputerPlayer(k))
            continue;
        ++held;
        if (!p.name.isEmpty())
            ++people;
    }
    if (people == 0) {
        m_removed = 0;
        m_filling = false;
        dismiss(int(m_bots.size()));
        return;
    }
    // Until the one joining has a seat, the host may count it as somebody.
    if (m_joining)
        return;
    const int wanted =
        std::max(0, std::min(m_count + 1 - people - m_removed, kSeatCount - held - 1));
    const int have = int(m_bots.size());
    if (have >= wanted)
        m_filling = false;
    if (have > wanted && !AutoStarter::gameRuns(table)) {
        dismiss(have - wanted);
    } else if (have < wanted && m_leaving.isEmpty() && !m_retry.isActive() &&
               !(m_seatOneForPeople && !table.player(1).connected)) {
        if (!m_filling) {
            m_filling = true;
            const int coming = wanted - have;
            log(QStringLiteral("event=bots_sit") + logPair(u"count", coming) +
                logPair(u"level", botLevelName(m_level)));
        }
        addOne();
    }
}

void BotFiller::addOne()
{
    if (!m_finder)
        m_finder = m_finderSource();
    auto* bot = new Bot(m_finder, m_level, m_clock, m_seed++, this);
    m_bots.append(Member{bot});
    m_joining = bot;
    connect(bot, &Bot::seated, this, [this, bot](int k) {
        for (Member& m : m_bots) {
            if (m.bot == bot)
                m.serial = serialOf(k);
        }
        if (m_joining == bot)
            m_joining = nullptr;
        m_soon.start();
    });
    connect(bot, &Bot::noSeat, this, [this, bot] { lost(bot); });
    connect(bot, &Bot::disconnected, this, [this, bot] { lost(bot); });
    const QHostAddress address = m_server->listeningAddress();
    const bool anywhere = address == QHostAddress(QHostAddress::AnyIPv4) ||
                          address == QHostAddress(QHostAddress::Any) || address.isNull();
    bot->connectTo(anywhere ? QStringLiteral("127.0.0.1") : address.toString(),
                   m_server->listeningPort());
}

void BotFiller::dismiss(int count)
{
    if (count <= 0)
        return;
    log(QStringLiteral("event=bots_leave") + logPair(u"count", count));
    // The last to come goes first: the one still joining, if any.
    for (int i = 0; i < count && !m_bots.isEmpty(); ++i) {
        Bot* bot = m_bots.last().bot;
        forget(bot);
        bot->leave();
    }
}

void BotFiller::lost(Bot* bot)
{
    if (bot == m_joining) {
        // No seat, or no host: try again a little later.
        m_retry.start();
    } else {
        ++m_removed;
    }
    forget(bot);
    m_soon.start();
}

void BotFiller::forget(Bot* bot)
{
    if (bot == m_joining)
        m_joining = nullptr;
    // Until the host lets its seat go, the seat is still this player's.
    const int k = bot->number();
    const auto member =
        std::find_if(m_bots.begin(), m_bots.end(), [bot](const Member& m) { return m.bot == bot; });
    if (member != m_bots.end() && isConnection(k) && serialOf(k) != 0 &&
        (member->serial == 0 || member->serial == serialOf(k)))
        m_leaving.insert(k, serialOf(k));
    m_bots.removeIf([bot](const Member& m) { return m.bot == bot; });
    disconnect(bot, nullptr, this, nullptr);
    bot->deleteLater(); // it may be in one of its own signals
}

void BotFiller::log(const QString& line) const
{
    if (m_log)
        m_log(line);
}

} // namespace gorse
