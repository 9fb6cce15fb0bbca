#include "lobby/lobbysettings.h"

#include "net/tableannounce.h"

namespace gorse {

namespace {

QString section()
{
    return QString::fromLatin1(LobbySettings::kSection);
}

QString recentKey(int n)
{
    return QLatin1String(LobbySettings::kRecentKey) + QString::number(n);
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
    return m_file.value(section(), QString::fromLatin1(kNameKey));
}

void LobbySettings::setPlayerName(const QString& name)
{
    m_file.setValue(section(), QString::fromLatin1(kNameKey), name);
}

QStringList LobbySettings::recent() const
{
    QStringList list;
    for (int n = 1; n <= kRecentCount; ++n) {
        const QString address = m_file.value(section(), recentKey(n)).trimmed();
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
        m_file.setValue(section(), recentKey(n), n <= list.size() ? list.at(n - 1) : QString());
}

} // namespace gorse
