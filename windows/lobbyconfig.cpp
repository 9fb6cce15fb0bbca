#include "windows/lobbyconfig.h"

#include "settings/inifile.h"
#include "settings/paths.h"
#include "settings/settingsfile.h"

#include <QCoreApplication>

namespace gorse {

namespace {

bool isWebScheme(const QUrl& url)
{
    const QString scheme = url.scheme();
    return scheme == QLatin1String("http") || scheme == QLatin1String("https");
}

} // namespace

LobbyConfig defaultLobbyConfig()
{
    LobbyConfig config;
    config.lobbyProgram = QCoreApplication::applicationFilePath();
    config.lobbyArguments = QStringList{QStringLiteral("--lobby")};
    config.downloadDir = dataDir();
    return config;
}

LobbyConfig lobbyConfigFromSettings(const QString& settingsPath)
{
    LobbyConfig config = defaultLobbyConfig();
    IniFile ini(settingsPath);
    ini.load();
    const QString url = SettingsFile::value(ini, QString::fromLatin1(SettingsFile::kLobbyUrlKey));
    if (!url.isEmpty())
        config.downloadUrl = QUrl(url);
    const QString program =
        SettingsFile::value(ini, QString::fromLatin1(SettingsFile::kLobbyProgramKey));
    if (!program.isEmpty()) {
        config.lobbyProgram = program;
        config.lobbyArguments.clear();
    }
    return config;
}

QString installerFileName(const QUrl& url)
{
    if (!url.isValid() || !isWebScheme(url) || url.host().isEmpty())
        return QString();
    const QString name = url.fileName(QUrl::FullyDecoded);
    // A decoded name must not lead out of the download folder.
    if (name == QLatin1String(".") || name == QLatin1String("..") ||
        name.contains(QLatin1Char('/')) || name.contains(QLatin1Char('\\')) ||
        name.contains(QChar(0)))
        return QString();
    return name;
}

QString downloadUrlProblem(const QUrl& url)
{
    // This copy offers no download: the player is shown the way on.
    if (url.isEmpty())
        return QStringLiteral("Play with Others opens the Gorse Lobby, where you can find tables "
                              "on your network or join one by its address.");
    if (!url.isValid() || !isWebScheme(url) || url.host().isEmpty())
        return QStringLiteral("The download address %1 is not an http or https address.")
            .arg(url.toDisplayString());
    if (installerFileName(url).isEmpty())
        return QStringLiteral("The download address %1 names no file.").arg(url.toDisplayString());
    return QString();
}

bool downloadMayRun(const QUrl& requested, const QUrl& answered, bool encrypted)
{
    const QString https = QStringLiteral("https");
    return encrypted && requested.scheme() == https && answered.scheme() == https;
}

} // namespace gorse
