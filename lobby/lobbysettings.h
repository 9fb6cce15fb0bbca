#pragma once

#include "settings/inifile.h"

#include <QString>
#include <QStringList>

namespace gorse {

// What the lobby remembers in the settings file, in the game's section, under
// keys of its own (SettingsFile::kLobbyNameKey and kLobbyRecentKey, newest
// first): the player's name and the last addresses joined.
class LobbySettings
{
public:
    static constexpr int kRecentCount = 10;

    explicit LobbySettings(QString path);

    const QString& path() const { return m_file.path(); }
    // Reads the file; returns "" or why it could not be read.
    QString load();
    // Writes what changed, atomically; returns "" or why not.
    QString save();

    QString playerName() const;
    void setPlayerName(const QString& name);
    // "HOST" or "HOST:PORT" texts, newest first, without repeats.
    QStringList recent() const;
    // Puts an address first, dropping its older place and the eleventh.
    void addRecent(const QString& address);

private:
    IniFile m_file;
};

} // namespace gorse
