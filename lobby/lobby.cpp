#include "lobby/lobby.h"

#include "lobby/lobbysettings.h"
#include "lobby/tablefinder.h"
#include "net/messages.h"

namespace gorse {

namespace {

// How an address is remembered: the port only when it is not the usual one.
QString addressText(const QString& host, quint16 port)
{
    const QString shown = host.contains(u':') ? u'[' + host + u']' : host;
    return port == kGamePort ? shown : shown + u':' + QString::number(port);
}

} // namespace

Lobby::Lobby(LobbySettings* settings, TableFinder* finder, QString program, GameStarter start,
             QObject* parent)
    : QObject(parent), m_settings(settings), m_finder(finder), m_program(std::move(program)),
      m_start(std::move(start)), m_name(settings->playerName())
{
}

QString Lobby::cleanName(const QString& typed)
{
    return fromWire(cleanPlayerName(toWire(typed))).trimmed();
}

QStringList Lobby::recentAddresses() const
{
    return m_settings->recent();
}

void Lobby::setNotice(const QString& text)
{
    if (text == m_notice)
        return;
    m_notice = text;
    emit noticeChanged(text);
}

std::optional<std::pair<QString, quint16>> Lobby::tableAddress(int row) const
{
    const TableList* tables = m_finder->tables();
    if (row < 0 || row >= tables->size())
        return std::nullopt;
    const FoundTable& found = tables->at(row);
    return std::make_pair(found.address.toString(), found.table.port);
}

std::optional<QString> Lobby::checkedName()
{
    const QString name = cleanName(m_name);
    if (name.isEmpty()) {
        setNotice(QStringLiteral("Please type your name first."));
        return std::nullopt;
    }
    return name;
}

QStringList Lobby::gameOptions(quint16 port) const
{
    QStringList arguments = m_common;
    if (port != kGamePort)
        arguments << QStringLiteral("--port") << QString::number(port);
    // The name may begin with "-": everything after "--" is positional.
    arguments << QStringLiteral("--from-lobby") << QStringLiteral("--");
    return arguments;
}

bool Lobby::hostGame(quint16 port)
{
    const auto name = checkedName();
    if (!name)
        return false;
    if (port == 0) {
        setNotice(QStringLiteral("Please choose a port from 1 to 65535."));
        return false;
    }
    m_settings->setPlayerName(*name);
    return startGame(gameOptions(port)
                     << *name << QStringLiteral("127.0.0.1") << QStringLiteral("true"));
}

bool Lobby::join(const QString& address, quint16 port)
{
    const auto name = checkedName();
    if (!name)
        return false;
    if (address.trimmed().isEmpty()) {
        setNotice(QStringLiteral("Please choose a table, or type the address of one."));
        return false;
    }
    const auto target = splitHostAndPort(address, port);
    if (!target || target->second == 0) {
        setNotice(QStringLiteral("\"%1\" is not an address. Type a name such as "
                                 "games.example.org or a number such as 192.168.1.20, followed "
                                 "by a colon and the port when it is not %2.")
                      .arg(address.trimmed())
                      .arg(kGamePort));
        return false;
    }
    m_settings->setPlayerName(*name);
    m_settings->addRecent(addressText(target->first, target->second));
    return startGame(gameOptions(target->second)
                     << *name << target->first << QStringLiteral("false"));
}

bool Lobby::joinTable(int row)
{
    const auto where = tableAddress(row);
    if (!where) {
        setNotice(QStringLiteral("Please choose a table, or type the address of one."));
        return false;
    }
    return join(where->first, where->second);
}

bool Lobby::soloGame()
{
    // A solo game takes no name: it plays as "You".
    return startGame(QStringList(m_common) << QStringLiteral("--from-lobby"));
}

bool Lobby::startGame(const QStringList& arguments)
{
    // One game per lobby: a second Return or click arriving before the
    // window has closed starts nothing more.
    if (m_started)
        return false;
    const QString saveError = m_settings->save();
    if (!saveError.isEmpty())
        qWarning("gorse lobby: %s", qPrintable(saveError));
    if (!m_start(m_program, arguments)) {
        setNotice(QStringLiteral("The game could not be started (%1).").arg(m_program));
        return false;
    }
    m_started = true;
    emit gameStarted();
    return true;
}

} // namespace gorse
