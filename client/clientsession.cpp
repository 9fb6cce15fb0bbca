#include "client/clientsession.h"

#include "chat/chatcolour.h"
#include "chat/chatlog.h"
#include "client/clientservices.h"
#include "net/messages.h"

#include <QTimer>

namespace gorse {

ClientSession::ClientSession(ChatLog* chat, SoundCues* sound, SettingsHooks* settings,
                             QObject* parent)
    : QObject(parent), m_chat(chat), m_sound(sound), m_settings(settings)
{
    m_sock.setPortName(QStringLiteral("7772"));
    connect(&m_sock, &TSock::OnRead, this, &ClientSession::onRead);
    connect(&m_sock, &TSock::OnInfo, this, &ClientSession::onInfo);

    m_commands.setLog([this](const QString& line) { emit logLine(line); });
    m_queue.setHandler([this](const QueuedMessage& m) {
        m_dispatching = true;
        m_commands.dispatch(m);
        m_dispatching = false;
    });

    // The dispatch order of the client.
    m_commands.add(msg::name::sendlogininfo, [this](const QByteArray& f, int) { sendloginfo(f); });
    m_commands.add(msg::name::chat,
                   [this](const QByteArray& f, int) { m_chat->chatrecieved(fromWire(f)); });
    m_commands.add(msg::name::action,
                   [this](const QByteArray& f, int) { m_chat->chatrecieved(fromWire(f)); });
    m_commands.add(msg::name::newplayerinfo,
                   [this](const QByteArray& f, int) { newplayerinfo(f); });
    m_commands.add(msg::name::havewrongversion, [this](const QByteArray& f, int) {
        addSystemLine(fromWire(f) +
                      QStringLiteral(" has a different version of the game then you."));
    });
    m_commands.add(msg::name::wrongversion, [this](const QByteArray&, int) {
        addSystemLine(QStringLiteral("You have a differnt version of the game then the host."));
    });
    m_commands.add(msg::name::existingplayers,
                   [this](const QByteArray& f, int) { newplayerinfo(f); });
    m_commands.add(msg::name::playerdisconnected,
                   [this](const QByteArray& f, int) { playerdisconnected(f); });
    m_commands.add(msg::name::startgame,
                   [this](const QByteArray& f, int) { route(msg::name::startgame, f); });
    m_commands.add(msg::name::winner,
                   [this](const QByteArray& f, int) { route(msg::name::winner, f); });
    m_commands.add(msg::name::full, [this](const QByteArray&, int) { emit gameFull(); });
    for (const QByteArray& name :
         {msg::name::playasound, msg::name::startround, msg::name::thecards, msg::name::pscore,
          msg::name::theword, msg::name::rejected, msg::name::discard, msg::name::endround,
          msg::name::tiegame, msg::name::gamestats}) {
        m_commands.add(name, [this, name](const QByteArray& f, int) { route(name, f); });
    }
}

ClientSession::~ClientSession() = default;

void ClientSession::setHandler(const QByteArray& command, Handler handler)
{
    m_gameHandlers.insert(command, std::move(handler));
}

void ClientSession::route(const QByteArray& command, const QByteArray& fields)
{
    const auto it = m_gameHandlers.constFind(command);
    if (it != m_gameHandlers.constEnd() && *it)
        (*it)(fields);
}

void ClientSession::connectTo(const QString& host, quint16 port, const QString& playerName)
{
    m_loginName = toWire(playerName) + kTerminator;
    m_sock.setHostName(host);
    m_sock.setPortName(QString::number(port));
    try {
        m_sock.Open();
    } catch (const ESockException& e) {
        // The window stays with its loading line; nothing is seated.
        emit logLine(
            QStringLiteral("cannot connect to %1: %2").arg(host, QString::fromUtf8(e.what())));
    }
}

void ClientSession::openSideConnection(quint16 port)
{
    m_side.setHostName(QStringLiteral("127.0.0.1"));
    m_side.setPortName(QString::number(port));
    try {
        m_side.Open();
    } catch (const ESockException&) {
        // Nobody has to listen there.
    }
}

bool ClientSession::send(const QByteArray& message)
{
    try {
        return m_sock.Send(frame(message));
    } catch (const ESockException&) {
        return false;
    }
}

bool ClientSession::sendLoggedIn(const QByteArray& message)
{
    return m_loggedIn && send(message);
}

bool ClientSession::sendit(const QString& text, quint32 colour)
{
    if (!m_loggedIn)
        return false;
    if (text.isEmpty())
        return true;
    const QByteArray colourText = '|' + toWire(colourToText(colour));
    if (!text.startsWith(QLatin1Char('/')))
        send(msg::chat(m_own, cleanChatText(toWire(text)) + colourText));
    else if (text.left(3) == QLatin1String("/me"))
        send(msg::action(m_own, cleanChatText(toWire(text.mid(4))) + colourText));
    // Any other slash command sends nothing.
    return true;
}

void ClientSession::kicking(int n)
{
    if (m_hosting && m_loggedIn)
        send(msg::kickhim(m_own, n));
}

void ClientSession::receiveBytes(const QByteArray& bytes)
{
    QList<QByteArray> lines;
    if (!m_frames.append(bytes, lines)) {
        emit logLine(
            QStringLiteral("the host sent an unterminated line of more than 64 KiB; closing"));
        m_sock.Abort();
    }
    m_queue.push(lines);
}

void ClientSession::onRead(TSock* sock)
{
    receiveBytes(sock->Receive());
}

void ClientSession::onInfo(TSock*, TSocketInfo, const QString& msg)
{
    if (msg == QLatin1String("Socket Closed") && !m_closing) {
        m_closing = true;
        finishClosing();
    }
}

// The host often closes right after its last words ("CMD_full+" to a tenth
// player): those are handled, and a notice they open is answered, before
// the connection's end closes the window.
void ClientSession::finishClosing()
{
    if (m_dispatching || !m_queue.isEmpty()) {
        QTimer::singleShot(m_dispatching ? 50 : 0, this, &ClientSession::finishClosing);
        return;
    }
    emit connectionClosed();
}

void ClientSession::addSystemLine(const QString& text)
{
    if (m_chat)
        m_chat->addlinetochat(QStringLiteral("0+") + text, kSystemColour);
}

void ClientSession::cue(const QString& name)
{
    if (m_sound)
        m_sound->playsound(name);
}

void ClientSession::sendloginfo(const QByteArray& fields)
{
    const auto login = msg::ConnOnly::parse(fields);
    m_own = login.conn;
    m_loggedIn = true;
    // The login name ends in 0xFF, so the message goes out with two
    // terminators; the host drops the empty line between them.
    send(msg::logininfo(m_own, kVersionText, m_loginName));
}

void ClientSession::newplayerinfo(const QByteArray& fields)
{
    const auto info = msg::ConnText::parse(fields);
    const int n = info.conn;
    const QString name = fromWire(info.text);
    if (n == m_own) {
        addSystemLine(QStringLiteral("You are Connected."));
        if (m_settings)
            m_settings->loadinifile();
    } else {
        addSystemLine(name + QStringLiteral(" is Connected."));
    }
    if (isSeat(n)) {
        SeatRow& row = m_seats[n - 1];
        row.name = name;
        row.pwords = name + QStringLiteral(" [0]");
        row.storedName = name;
        emit seatsChanged();
    } else if (isSpy(n)) {
        m_spies.append(QString::number(n) + QStringLiteral(": ") + name);
        if (n == m_own)
            addSystemLine(QStringLiteral("You are spying."));
        else
            addSystemLine(name + QStringLiteral(" is spying."));
        emit spiesChanged();
    }
    cue(QStringLiteral("entered"));
}

void ClientSession::playerdisconnected(const QByteArray& fields)
{
    const auto info = msg::ConnText::parse(fields);
    const int n = info.conn;
    if (isSeat(n)) {
        SeatRow& row = m_seats[n - 1];
        if (!row.isWaiting())
            addSystemLine(row.name + QStringLiteral(" disconnected."));
        row.name = QStringLiteral("<Waiting>");
        row.storedName = QStringLiteral("<Waiting>");
        row.pwords = QStringLiteral("<Waiting> [0]");
        emit seatsChanged();
    } else if (isSpy(n)) {
        const QString name = fromWire(info.text);
        const qsizetype at = m_spies.indexOf(QString::number(n) + QStringLiteral(": ") + name);
        if (at >= 0) {
            addSystemLine(name + QStringLiteral(" has left."));
            m_spies.removeAt(at);
            emit spiesChanged();
        }
    }
}

QStringList ClientSession::loadchecklist() const
{
    QStringList names;
    for (int n = 1; n <= kSeatCount; ++n) {
        if (n != m_own && !m_seats[n - 1].isWaiting())
            names.append(m_seats[n - 1].name);
    }
    return names;
}

bool ClientSession::canRemoveSeat(int n) const
{
    return n >= 2 && n <= kSeatCount && m_hosting && !m_seats[n - 1].isWaiting();
}

} // namespace gorse
