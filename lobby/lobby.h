#pragma once

#include "launch/launchoptions.h"

#include <QObject>
#include <QString>
#include <QStringList>
#include <functional>
#include <optional>
#include <utility>

namespace gorse {

class LobbySettings;
class TableFinder;

// Starts a program without waiting for it; true when it started.
using GameStarter = std::function<bool(const QString& program, const QStringList& arguments)>;

// The lobby without its window: the player's name, the tables found, the
// addresses joined before, and the three ways into a game. Each way starts
// the game as a new process with the command line an outside lobby would
// use, and then the lobby is done; nothing is ever joined by itself.
class Lobby : public QObject
{
    Q_OBJECT
public:
    // None is owned. program is the game's executable.
    Lobby(LobbySettings* settings, TableFinder* finder, QString program, GameStarter start,
          QObject* parent = nullptr);

    // Put before the options of every game started (e.g. "--announce-port").
    void setCommonArguments(const QStringList& arguments) { m_common = arguments; }

    // The name as typed; it is cleaned and stored when a game starts.
    QString playerName() const { return m_name; }
    void setPlayerName(const QString& name) { m_name = name; }
    // A name as the game takes it: no "+", no 0xFF, blanks trimmed.
    static QString cleanName(const QString& typed);

    QStringList recentAddresses() const;
    TableFinder* finder() const { return m_finder; }

    // A line for the player: why a choice did not start, or a word on how
    // the lobby came to open.
    QString notice() const { return m_notice; }
    void setNotice(const QString& text);

    // Where the table of a row is joined: address and port.
    std::optional<std::pair<QString, quint16>> tableAddress(int row) const;

    // The choices. True when the game started (gameStarted was emitted);
    // false with the reason in notice().
    bool hostGame(quint16 port = kGamePort);
    // address may carry ":PORT", which then wins over port.
    bool join(const QString& address, quint16 port = kGamePort);
    bool joinTable(int row);
    bool soloGame();

signals:
    void noticeChanged(const QString& text);
    // The game runs as its own process: the lobby closes.
    void gameStarted();

private:
    bool startGame(const QStringList& arguments);
    QStringList gameOptions(quint16 port) const;
    std::optional<QString> checkedName();

    LobbySettings* m_settings; // not owned
    TableFinder* m_finder;     // not owned
    QString m_program;
    GameStarter m_start;
    QStringList m_common;
    QString m_name;
    QString m_notice;
    bool m_started = false;
};

} // namespace gorse
