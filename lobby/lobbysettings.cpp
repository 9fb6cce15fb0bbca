#include "lobby/lobbysettings.h"

#include "net/tableannounce.h"
#include "settings/settingsfile.h"

namespace gorse {

namespace {

QString recentKey(int n)
{
    return QLatin1String(SettingsFile::kLobbyRecentKey) + QString::number(n);
}

} // namespace

LobbySettings::LobbySettings(QString path) : m_file(std::move(path))
{
}

QString LobbySettings::load()
{
    return m_file.load();
}

QString LobbySettings::save()
{
    return m_file.save();
}

QString LobbySettings::playerName() const
{
    return SettingsFile::value(m_file, QString::fromLatin1(SettingsFile::kLobbyNameKey));
}

void LobbySettings::setPlayerName(const QString& name)
{
    SettingsFile::setValue(m_file, QString::fromLatin1(SettingsFile::kLobbyNameKey), name);
}

QStringList LobbySettings::recent() const
{
    QStringList list;
    for (int n = 1; n <= kRecentCount; ++n) {
        const QString address = SettingsFile::value(m_file, recentKey(n)).trimmed();
        // Whatever else the file holds there is left out.
        if (!address.isEmpty() && splitHostAndPort(address, 1) && !list.contains(address))
            list.append(address);
    }
    return list;
}

void LobbySettings::addRecent(const QString& address)
{
    QStringList list = recent();
    list.removeAll(address);
    list.prepend(address);
    for (int n = 1; n <= kRecentCount; ++n)
        SettingsFile::setValue(m_file, recentKey(n), n <= list.size() ? list.at(n - 1) : QString());
}

} // namespace gorse
