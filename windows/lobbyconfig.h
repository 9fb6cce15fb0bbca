#pragma once

#include <QString>
#include <QStringList>
#include <QUrl>

namespace gorse {

// Where the lobby is downloaded from and where the installed lobby is.
struct LobbyConfig
{
    // The lobby installer's address (http or https); its last path segment
    // names the saved file. Empty: no download is offered.
    QUrl downloadUrl;
    // The lobby program "Play with Others" starts, and its arguments.
    QString lobbyProgram;
    QStringList lobbyArguments;
    // The folder the installer is saved in.
    QString downloadDir;
};

// Our own executable with "--lobby", no download address, and the folder of
// the settings file for the download.
LobbyConfig defaultLobbyConfig();
// The default, with the address and the lobby program the settings file
// names (SettingsFile::kLobbyUrlKey and kLobbyProgramKey), where it
// names them. A program named there is started without arguments.
LobbyConfig lobbyConfigFromSettings(const QString& settingsPath);

// The installer's file name: the address's last path segment. Empty when the
// address is not an http or https address naming a file.
QString installerFileName(const QUrl& url);
// Why the address cannot be downloaded, or empty when it can. Without an
// address, what the player can do instead.
QString downloadUrlProblem(const QUrl& url);
// Whether a finished download may be run: only when it came over an
// encrypted connection from an https address, both as asked and as finally
// answered (after redirects). Code fetched over plain http is never run.
bool downloadMayRun(const QUrl& requested, const QUrl& answered, bool encrypted);

} // namespace gorse
