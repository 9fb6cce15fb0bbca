#include "bots/bot.h"

#include "bots/botclock.h"
#include "game/chatcolour.h"
#include "net/messages.h"

namespace gorse {

Bot::Bot(std::shared_ptr<const WordFinder> finder, BotLevel level, BotClock* clock, quint64 seed,
         QObject* parent)
    : QObject(parent), m_brain(std::move(finder), level, seed), m_clock(clock)
{
    connect(&m_connection, &ClientConnection::connected, this, [this] { m_connected = true; });
    connect(&m_connection, &ClientConnection::socketInfo, this, &Bot::onInfo);
    connect(&m_connection, &ClientConnection::overlongLine, this, [this] {
        m_connection.dropQueued();
        closeConnection(); // an endless line: this is no host to play with
    });
    m_connection.setLoginName([this](int own) { return loginName(own); });
    registercommands();
}

Bot::~Bot()
{
    m_clock->cancel(m_look);
}

void Bot::registercommands()
{
    auto add = [this](const QByteArray& name, void (Bot::*handler)(const QByteArray&)) {
        m_connection.addCommand(name,
                                [this, handler](const QByteArray& f) { (this->*handler)(f); });
    };
    m_connection.addCommand(msg::name::sendlogininfo,
                            [this](const QByteArray& f) { m_connection.login(f); });
    add(msg::name::newplayerinfo, &Bot::newplayerinfo);
    add(msg::name::startgame, &Bot::startgame);
    add(msg::name::gamestats, &Bot::gamestats);
    add(msg::name::thecards, &Bot::thecards);
    add(msg::name::startround, &Bot::startround);
    add(msg::name::endround, &Bot::endround);
    add(msg::name::winner, &Bot::winner);
    m_connection.addCommand(msg::name::full, [this](const QByteArray&) {
        emit noSeat();
        closeConnection();
    });
    m_connection.addCommand(msg::name::theword, [this](const QByteArray& f) {
        const auto word = msg::TheWord::parse(f);
        if (word.seat != number())
            return;
        ++m_counts.accepted;
        answered(word.cards);
    });
    m_connection.addCommand(msg::name::rejected, [this](const QByteArray& f) {
        const auto word = msg::Rejected::parse(f);
        if (word.seat != number())
            return;
        ++m_counts.rejected;
        m_brain.refuse(word.word);
        answered(word.cards);
    });
    m_connection.addCommand(msg::name::discard, [this](const QByteArray& f) {
        const auto result = msg::DiscardResult::parse(f);
        if (result.seat != number())
            return;
        ++m_counts.discards;
        m_total = result.total;
        answered({result.card});
    });
    m_connection.addCommand(msg::name::pscore, [this](const QByteArray& f) {
        const auto score = msg::PScore::parse(f);
        if (score.seat == number())
            m_total = score.total;
    });
    // Chat, actions, sounds, arrivals, departures, version notices and ties
    // need nothing from a computer player.
}

void Bot::connectTo(const QString& host, quint16 port)
{
    m_seated = false;
    m_greeted = false;
    m_open = true;
    if (!m_connection.open(host, port).isEmpty()) {
        m_open = false;
        emit disconnected();
    }
}

void Bot::leave()
{
    closeConnection();
}

void Bot::closeConnection()
{
    stopPlaying();
    m_connection.close(); // reports "Socket Closed", handled in onInfo
}

void Bot::onInfo(TSocketInfo info, const QString& text)
{
    if (info == TSocketInfo::Error) {
        closeConnection();
    } else if (info == TSocketInfo::Close && text == QLatin1String("Socket Closed") && m_open) {
        m_open = false;
        m_connected = false;
        m_seated = false;
        stopPlaying();
        emit disconnected();
    }
}

void Bot::send(const QByteArray& message)
{
    m_connection.send(message); // when gone, the closing report follows
}

void Bot::say(const char* phrase)
{
    // As a phrase button sends it.
    const QByteArray colour = toWire(colourToText(kBlack));
    send(msg::action(number(), QByteArray("says: ") + phrase + '|' + colour));
}

std::optional<QByteArray> Bot::loginName(int own)
{
    if (!isSeat(own)) {
        // Watching is no use to anybody: leave the place to a person.
        emit noSeat();
        closeConnection();
        return std::nullopt;
    }
    m_name = botName(own);
    return m_name;
}

void Bot::newplayerinfo(const QByteArray& fields)
{
    const auto info = msg::ConnText::parse(fields);
    if (info.conn != number() || m_seated)
        return;
    m_seated = true;
    emit seated(number());
    if (!m_greeted) {
        m_greeted = true;
        say(kGreeting);
    }
}

void Bot::startgame(const QByteArray& fields)
{
    const auto start = msg::StartGame::parse(fields);
    stopPlaying();
    m_timePerTurn = start.seconds;
    m_round = 0;
    m_total = 0;
    m_inGame = true;
    m_winner.clear();
    m_brain.newGame();
}

void Bot::gamestats(const QByteArray& fields)
{
    const auto stats = msg::GameStats::parse(fields);
    if (stats.conn != number() || !isSeat(number()))
        return;
    m_timePerTurn = stats.seconds;
    m_total = stats.totals[number() - 1];
    m_inGame = true;
    // The host counts 4 seconds longer than the players; with 5 seconds or
    // less left a player waits for the next round.
    const int timeLeft = stats.countdown - kRoundExtraSeconds;
    if (timeLeft > 5)
        play(qint64(timeLeft) * 1000);
}

void Bot::thecards(const QByteArray& fields)
{
    putCards(m_cards, msg::TheCards::parse(fields).cards);
}

void Bot::startround(const QByteArray& fields)
{
    m_round = msg::StartRound::parse(fields).round;
    if (!isSeat(number()))
        return;
    m_brain.newRound();
    play(qint64(m_timePerTurn) * 1000);
}

void Bot::answered(const CardList& cards)
{
    putCards(m_cards, cards);
    if (!m_awaiting)
        ++m_counts.lateAnswers;
    m_awaiting = false;
    scheduleLook();
}

void Bot::endround(const QByteArray& fields)
{
    stopPlaying();
    for (const SeatSummary& seat : msg::EndRound::parse(fields).seats) {
        if (seat.seat == number())
            m_total = seat.total;
    }
}

void Bot::winner(const QByteArray& fields)
{
    stopPlaying();
    m_winner = msg::Winner::parse(fields).name;
    if (m_inGame && m_seated)
        say(kFarewell);
    m_inGame = false;
    emit gameOver(m_winner);
}

void Bot::play(qint64 milliseconds)
{
    stopPlaying();
    m_roundRunning = true;
    m_deadline = m_clock->now() + milliseconds - kBotStopMs;
    scheduleLook();
}

void Bot::stopPlaying()
{
    m_roundRunning = false;
    m_awaiting = false;
    m_clock->cancel(m_look);
    m_look = 0;
}

void Bot::scheduleLook()
{
    if (!m_roundRunning || m_awaiting || m_look != 0)
        return;
    const int think = m_brain.thinkMs();
    if (m_clock->now() + think > m_deadline) {
        m_roundRunning = false; // no time for another word
        return;
    }
    m_look = m_clock->callAfter(think, [this] {
        m_look = 0;
        look();
    });
}

void Bot::look()
{
    if (!m_roundRunning || m_awaiting)
        return;
    const BotMove move = m_brain.decide(m_cards);
    switch (move.kind) {
    case BotMove::Kind::Play:
        m_awaiting = true;
        ++m_counts.sent;
        send(msg::sendword(number(), move.word.piles));
        break;
    case BotMove::Kind::Discard:
        m_awaiting = true;
        ++m_counts.sent;
        send(msg::discard(number(), move.pile));
        break;
    case BotMove::Kind::Wait:
        scheduleLook();
        break;
    }
}

} // namespace gorse
