#pragma once

#include "game/botlevel.h"

#include <QObject>
#include <functional>
#include <memory>
#include <optional>

namespace gorse {

class BotTable;
class ClientSession;
class GameOptions;
class WordFinder;

// The hosting player's computer opponents. When he starts a game they take
// free seats first, as many and as strong as his options say, and the game
// starts once they sit; they stay for the next game unless he chose
// otherwise, and leave with the program.
class ComputerOpponents : public QObject
{
    Q_OBJECT
public:
    using FinderSource = std::function<std::shared_ptr<const WordFinder>()>;

    // session and options are not owned. finder gives the word finder the
    // players share, asked for when the first of them is needed.
    ComputerOpponents(ClientSession* session, GameOptions* options, FinderSource finder,
                      QObject* parent = nullptr);
    ~ComputerOpponents() override;

    // The port the host listens on; the players connect to 127.0.0.1 there.
    void setHostPort(quint16 port) { m_port = port; }

    // Starts a game for everybody: a joining player's request goes to the
    // host at once; the hosting player's waits until his computer players
    // are seated.
    void startGame(int target, int seconds);

    // The players' table, once the first was needed (else null).
    BotTable* table() const { return m_table.get(); }

private:
    void seated(int count);

    ClientSession* m_session;
    GameOptions* m_options;
    FinderSource m_finder;
    std::unique_ptr<BotTable> m_table;
    quint16 m_port = 0;
    int m_count = 0;
    BotLevel m_level = BotLevel::Casual;
    int m_seated = 0; // of those, the ones that found a seat
    // The game waiting for the players to sit: target and seconds.
    std::optional<std::pair<int, int>> m_pending;
};

} // namespace gorse
