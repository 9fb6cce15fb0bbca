#pragma once

#include "chat/chatlog.h"
#include "client/board.h"
#include "client/clientsession.h"

#include <QObject>
#include <memory>

namespace gorse {

class CueRouter;
class GameOptions;
class SoundCues;
class SoundOutput;
class TallyHooks;

// The services handed to a GameClient; none is owned, any may be null
// (nothing is heard, nothing is counted).
struct GameClientServices
{
    SoundOutput* output = nullptr;
    // Cues asked for directly instead of routed to output (tests).
    SoundCues* cues = nullptr;
    TallyHooks* tally = nullptr;
};

// The player's program without its windows: the chat log, the sound cues'
// router, the session with its table, and the board, built and wired to
// each other in one place. The main window shows it; tests and fuzz targets
// build the same object.
class GameClient : public QObject
{
    Q_OBJECT
public:
    using Services = GameClientServices;

    // options is not owned.
    explicit GameClient(GameOptions* options, Services services = {}, QObject* parent = nullptr);
    ~GameClient() override;

    GameOptions* options() const { return m_options; }
    ChatLog* chat() { return &m_chat; }
    // The cues the session and the board ask for (the router, unless a test
    // gave its own).
    SoundCues* cues() const { return m_cues; }
    ClientSession* session() { return &m_session; }
    Table* table() { return m_session.table(); }
    Board* board() { return &m_board; }

private:
    GameOptions* m_options; // not owned
    ChatLog m_chat;
    std::unique_ptr<CueRouter> m_router;
    SoundCues* m_cues; // the router or a test's own (not owned)
    ClientSession m_session;
    Board m_board;
};

} // namespace gorse
