#include "client/clientsession.h"

#include "chat/chatinput.h"
#include "chat/chatlog.h"
#include "game/chatcolour.h"
#include "net/messages.h"
#include "settings/gameoptions.h"
#include "sound/soundcues.h"

#include <QTimer>

namespace gorse {

ClientSession::ClientSession(ChatLog* chat, SoundCues* sound, GameOptions* options, QObject* parent)
    : QObject(parent), m_chat(chat), m_sound(sound), m_options(options)
{
    connect(&m_connection, &ClientConnection::socketInfo, this, &ClientSession::onInfo);
    connect(&m_connection, &ClientConnection::logLine, this, &ClientSession::logLine);
    connect(&m_connection, &ClientConnection::overlongLine, this, [this] {
        emit logLine(QStringLiteral("the host sent a line of more than 64 KiB; closing"));
        m_connection.abort();
    });
    // The login name ends in 0xFF, so the answer goes out with two
    // terminators; the host drops the empty line between them.
    m_connection.setLoginName([this](int) { return std::optional<QByteArray>(m_loginName); });
    m_noticeTimer.setSingleShot(true);
    connect(&m_noticeTimer, &QTimer::timeout, this, &ClientSession::noticeDismissed);

    // The dispatch order of the client.
    ClientConnection& c = m_connection;
    c.addCommand(msg::name::sendlogininfo, [this](const QByteArray& f) { sendloginfo(f); });
    c.addCommand(msg::name::chat,
                 [this](const QByteArray& f) { m_chat->chatrecieved(fromWire(f)); });
    c.addCommand(msg::name::action,
                 [this](const QByteArray& f) { m_chat->chatrecieved(fromWire(f)); });
    c.addCommand(msg::name::newplayerinfo, [this](const QByteArray& f) { newplayerinfo(f); });
    c.addCommand(msg::name::havewrongversion, [this](const QByteArray& f) {
        addSystemLine(fromWire(f) +
                      QStringLiteral(" has a different version of the game then you."));
    });
    c.addCommand(msg::name::wrongversion, [this](const QByteArray&) {
        addSystemLine(QStringLiteral("You have a differnt version of the game then the host."));
    });
    c.addCommand(msg::name::existingplayers, [this](const QByteArray& f) { newplayerinfo(f); });
    c.addCommand(msg::name::playerdisconnected,
                 [this](const QByteArray& f) { playerdisconnected(f); });
    c.addCommand(msg::name::startgame,
                 [this](const QByteArray& f) { route(msg::name::startgame, f); });
    c.addCommand(msg::name::winner, [this](const QByteArray& f) { route(msg::name::winner, f); });
    c.addCommand(msg::name::full, [this](const QByteArray&) {
        if (m_fullNotice)
            return; // one notice is enough
        m_fullNotice = true;
        emit gameFull();
    });
    c.addCommand(msg::name::playasound, [this](const QByteArray& f) { playasound(f); });
    for (const QByteArray& name : {msg::name::startround, msg::name::thecards, msg::name::pscore,
                                   msg::name::theword, msg::name::rejected, msg::name::discard,
                                   msg::name::endround, msg::name::tiegame, msg::name::gamestats}) {
        c.addCommand(name, [this, name](const QByteArray& f) { route(name, f); });
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
    m_hostName = host;
    const QString error = m_connection.open(host, port);
    if (!error.isEmpty()) {
        // The window stays with its loading line; nothing is seated.
        const QString line = QStringLiteral("Cannot connect to %1: %2").arg(host, error);
        addSystemLine(line);
        emit logLine(line);
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
    return m_connection.send(message);
}

bool ClientSession::sendLoggedIn(const QByteArray& message)
{
    return loggedIn() && send(message);
}

bool ClientSession::sendit(const QString& text, quint32 colour)
{
    if (!loggedIn())
        return false;
    if (text.isEmpty())
        return true;
    const QString typed = fitUtf8(text, kChatEntryLimit);
    const QByteArray colourText = '|' + toWire(colourToText(colour));
    if (!typed.startsWith(QLatin1Char('/')))
        send(msg::chat(ownNumber(), cleanChatText(toWire(typed)) + colourText));
    else if (typed.left(3) == QLatin1String("/me"))
        send(msg::action(ownNumber(), cleanChatText(toWire(typed.mid(4))) + colourText));
    // Any other slash command sends nothing.
    return true;
}

bool ClientSession::sendPhrase(const QString& phrase, quint32 colour)
{
    // Before login the host does not know this connection's number yet.
    if (!loggedIn())
        return false;
    static const QString kAction = QStringLiteral("/me ");
    const bool action = phrase.startsWith(kAction);
    const QString text = fitUtf8(action ? phrase.mid(kAction.size()) : phrase, kChatEntryLimit);
    const QByteArray body = cleanChatText(toWire(text)) + '|' + toWire(colourToText(colour));
    return send(msg::action(ownNumber(), action ? body : QByteArrayLiteral("says: ") + body));
}

bool ClientSession::sendChatterSound(int sound)
{
    if (!isSeat(ownNumber()) || sound < 1 || sound > kChatterSoundCount)
        return false;
    return sendLoggedIn(msg::playasound(ownNumber(), sound));
}

void ClientSession::setHosting(bool hosting)
{
    if (m_hosting == hosting)
        return;
    const bool mayStart = mayStartGames();
    m_hosting = hosting;
    emit hostingChanged(hosting);
    if (mayStartGames() != mayStart)
        emit mayStartGamesChanged(!mayStart);
}

void ClientSession::startGame(int target, int seconds)
{
    // The player's own name: the login name without its terminator.
    QByteArray name = m_loginName;
    if (name.endsWith(kTerminator))
        name.chop(1);
    send(msg::startgame(name, target, seconds));
}

void ClientSession::kicking(int n)
{
    if (m_hosting && loggedIn())
        send(msg::kickhim(ownNumber(), n));
}

void ClientSession::onInfo(TSocketInfo info, const QString& msg)
{
    if (info == TSocketInfo::Connect)
        m_everConnected = true;
    if (info == TSocketInfo::Error) {
        // The player sees why nothing happens (a mistyped address, nobody
        // hosting there).
        const QString line = m_everConnected
                                 ? QStringLiteral("Connection to the host: ") + msg
                                 : QStringLiteral("Cannot connect to %1: %2").arg(m_hostName, msg);
        addSystemLine(line);
        emit logLine(line);
    }
    if (msg == QLatin1String("Socket Closed") && !m_closing) {
        m_closing = true;
        finishClosing();
    }
}

// The host often closes right after its last words ("CMD_full+" to a tenth
// player): those are handled before the connection's end closes the
// window. A "Game is full" notice stays until it is dismissed or its time
// is up; the queue goes on meanwhile.
void ClientSession::finishClosing()
{
    if (m_connection.isDispatching() || m_connection.hasQueued()) {
        QTimer::singleShot(0, this, &ClientSession::finishClosing);
        return;
    }
    if (m_fullNotice && !m_noticeDone) {
        if (!m_noticeTimer.isActive())
            m_noticeTimer.start(m_noticeMs);
        return;
    }
    if (!m_closedAnnounced) {
        m_closedAnnounced = true;
        emit connectionClosed();
    }
}

void ClientSession::noticeDismissed()
{
    if (m_noticeDone)
        return;
    m_noticeDone = true;
    m_noticeTimer.stop();
    // After "Game is full" the program ends, whether or not the host has
    // closed the connection yet.
    if (!m_closedAnnounced) {
        m_closedAnnounced = true;
        emit connectionClosed();
    }
}

void ClientSession::addSystemLine(const QString& text)
{
    if (m_chat)
        m_chat->addSystemLine(text);
}

void ClientSession::playasound(const QByteArray& fields)
{
    const auto sound = msg::PlayASound::parse(fields);
    if (!m_sound)
        return;
    // Only a seat has a name label to tell who sent it.
    std::optional<QString> sender;
    if (isSeat(sound.conn))
        sender = m_table.seat(sound.conn).shownName();
    m_sound->chatter(fromWire(Fields(sound.rest).text()), sender);
}

void ClientSession::sendloginfo(const QByteArray& fields)
{
    const bool mayStart = mayStartGames();
    m_connection.login(fields);
    if (mayStartGames() != mayStart)
        emit mayStartGamesChanged(!mayStart);
}

void ClientSession::newplayerinfo(const QByteArray& fields)
{
    const auto info = msg::ConnText::parse(fields);
    const int n = info.conn;
    const QString name = fromWire(info.text);
    if (n == ownNumber()) {
        addSystemLine(QStringLiteral("You are Connected."));
        m_options->load();
    } else {
        addSystemLine(name + QStringLiteral(" is Connected."));
    }
    if (isSeat(n)) {
        m_table.sit(n, name);
    } else if (isSpy(n)) {
        m_table.addSpy(n, name);
        if (n == ownNumber())
            addSystemLine(QStringLiteral("You are spying."));
        else
            addSystemLine(name + QStringLiteral(" is spying."));
    }
    if (m_sound)
        m_sound->play(Cue::Entered);
}

void ClientSession::playerdisconnected(const QByteArray& fields)
{
    const auto info = msg::ConnText::parse(fields);
    const int n = info.conn;
    if (isSeat(n)) {
        const Seat& seat = m_table.seat(n);
        if (seat.taken)
            addSystemLine(seat.name + QStringLiteral(" disconnected."));
        m_table.leave(n);
    } else if (isSpy(n)) {
        const QString name = fromWire(info.text);
        if (m_table.removeSpy(n, name))
            addSystemLine(name + QStringLiteral(" has left."));
    }
}

QStringList ClientSession::loadchecklist() const
{
    return m_table.opponents(ownNumber());
}

bool ClientSession::canRemoveSeat(int n) const
{
    return n >= 2 && m_hosting && m_table.seat(n).taken;
}

} // namespace gorse
