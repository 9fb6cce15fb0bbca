#include "app/computeropponents.h"

#include "bots/bottable.h"
#include "client/clientsession.h"
#include "settings/gameoptions.h"

#include <QHostAddress>

namespace gorse {

ComputerOpponents::ComputerOpponents(ClientSession* session, GameOptions* options,
                                     FinderSource finder, QObject* parent)
    : QObject(parent), m_session(session), m_options(options), m_finder(std::move(finder))
{
}

ComputerOpponents::~ComputerOpponents() = default;

void ComputerOpponents::startGame(int target, int seconds)
{
    const int count = m_session->hosting() ? m_options->computerPlayers() : 0;
    const BotLevel level = BotLevel(m_options->computerLevel());
    const bool sitting = m_table && m_table->seatedCount() > 0;
    if (count == 0 && !sitting) {
        m_session->startGame(target, seconds);
        return;
    }
    if (count == m_count && level == m_level && m_table && !m_table->isStarting() &&
        m_table->seatedCount() == m_seated) {
        // The same players as last time, all still at the table.
        m_session->startGame(target, seconds);
        return;
    }
    if (!m_table) {
        m_table = std::make_unique<BotTable>(m_finder());
        connect(m_table.get(), &BotTable::started, this, &ComputerOpponents::seated);
    }
    m_count = count;
    m_level = level;
    m_pending = std::pair{target, seconds};
    if (count == 0) {
        m_table->stop();
        seated(0);
        return;
    }
    m_table->start(QHostAddress(QHostAddress::LocalHost).toString(), m_port, count, level);
}

void ComputerOpponents::seated(int count)
{
    m_seated = count;
    if (!m_pending)
        return;
    const auto [target, seconds] = *m_pending;
    m_pending.reset();
    m_session->startGame(target, seconds);
}

} // namespace gorse
