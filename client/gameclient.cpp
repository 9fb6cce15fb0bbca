#include "client/gameclient.h"

#include "sound/cuerouter.h"

namespace gorse {

namespace {

std::unique_ptr<CueRouter> makeRouter(GameOptions* options, const GameClient::Services& services,
                                      ChatLog* chat)
{
    if (services.cues)
        return nullptr;
    return std::make_unique<CueRouter>(options, services.output, chat);
}

} // namespace

GameClient::GameClient(GameOptions* options, Services services, QObject* parent)
    : QObject(parent), m_options(options), m_chat(options),
      m_router(makeRouter(options, services, &m_chat)),
      m_cues(services.cues ? services.cues : m_router.get()), m_session(&m_chat, m_cues, options),
      m_board(&m_session, options, &m_chat, m_cues, services.tally)
{
}

GameClient::~GameClient() = default;

} // namespace gorse
