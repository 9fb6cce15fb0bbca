#include "client/board.h"

#include "chat/chatlog.h"
#include "client/clientsession.h"
#include "settings/gameoptions.h"
#include "sound/soundcues.h"

#include <algorithm>

namespace gorse {

namespace {

// Left edge of the four pile columns and the top of the two pile rows.
constexpr std::array<int, 4> kPileLeft{48, 128, 211, 291};
constexpr std::array<int, 2> kPileTop{197, 330};

// The game's commands and the board's handlers for them.
using Handler = void (Board::*)(const QByteArray&);
const std::pair<QByteArray, Handler> kHandlers[] = {
    {msg::name::startgame, &Board::startthegame},
    {msg::name::winner, &Board::winner},
    {msg::name::startround, &Board::startround},
    {msg::name::thecards, &Board::thecards},
    {msg::name::pscore, &Board::pscore},
    {msg::name::theword, &Board::theword},
    {msg::name::rejected, &Board::rejected},
    {msg::name::discard, static_cast<Handler>(&Board::discard)},
    {msg::name::endround, &Board::endround},
    {msg::name::tiegame, &Board::tiegame},
    {msg::name::gamestats, &Board::gamestats},
};

} // namespace

Board::Board(ClientSession* session, GameOptions* options, ChatLog* chat, SoundCues* sound,
             TallyHooks* tally, QObject* parent)
    : QObject(parent), m_session(session), m_options(options), m_chat(chat), m_sound(sound),
      m_tally(tally)
{
    m_picture.fill(kEmptied);
    m_word = QStringLiteral("GORSE");
    m_timerText = QStringLiteral("Time: 0:00");
    m_playToScore = QStringLiteral("Play to Score: 1000");
    m_timePerTurnText = QStringLiteral("Time Per Turn: 90");
    m_round = QStringLiteral("Round: 0");
    m_status = QStringLiteral("Welcome to Gorse by Velmar Software");

    m_turntime.setInterval(1000);
    connect(&m_turntime, &QTimer::timeout, this, &Board::turntimeTimer);

    for (const auto& handler : kHandlers) {
        const auto fn = handler.second;
        m_session->setHandler(handler.first,
                              [this, fn](const QByteArray& fields) { (this->*fn)(fields); });
    }
    connect(m_session->table(), &Table::seatsChanged, this, &Board::tableChanged);
    connect(m_session->table(), &Table::spiesChanged, this, &Board::tableChanged);
    // Whoever may start games gets the start controls of the hosting copy:
    // the menu item, and the buttons while no game runs.
    connect(m_session, &ClientSession::mayStartGamesChanged, this, [this](bool may) {
        m_startGameEnabled = may;
        m_startButtons = may && !m_gameRunning;
        emit changed();
    });
}

Board::~Board()
{
    // The session may outlive the board: leave it no handler pointing here.
    if (m_session) {
        for (const auto& [name, fn] : kHandlers)
            m_session->setHandler(name, nullptr);
    }
}

QString Board::cardFace(int card)
{
    return clientConvertToLetter(card);
}

QPoint Board::pilePos(int pile)
{
    const int i = pile - 1;
    return QPoint(kPileLeft[i % 4], kPileTop[i / 4]);
}

QPoint Board::discardPos(int pile)
{
    return pilePos(pile) + QPoint(1, 107);
}

QPoint Board::discardPanelPlace(int pile)
{
    const QPoint wanted = pilePos(pile) + QPoint(40, 65);
    const QPoint last(kPanelBoardSize.width() - kDiscardPanelSize.width(),
                      kPanelBoardSize.height() - kDiscardPanelSize.height());
    return QPoint(qMin(wanted.x(), last.x()), qMin(wanted.y(), last.y()));
}

int Board::own() const
{
    return m_session->ownNumber();
}

bool Board::ownSeat() const
{
    return isSeat(own());
}

bool Board::live() const
{
    return m_playingSeat == own() && m_timeLeft > 0;
}

bool Board::canTake(int pile) const
{
    return isPile(pile) && live() && m_wordGate == 1 && !m_inWord[pile - 1];
}

bool Board::watching() const
{
    return isSpy(own());
}

QString Board::wordPileList() const
{
    QString list;
    for (int pile : m_wordPiles)
        list += u'+' + QString::number(pile);
    return list;
}

void Board::cue(Cue cue)
{
    if (m_sound)
        m_sound->play(cue);
}

void Board::systemLine(const QString& text)
{
    if (m_chat)
        m_chat->addSystemLine(text);
}

void Board::emptyAllPiles()
{
    m_picture.fill(kEmptied);
    m_discardShown.fill(false);
}

void Board::restorePile(int index)
{
    m_picture[index] = m_cards[index];
    m_inWord[index] = false;
    m_discardShown[index] = true;
}

void Board::setAutoClock(bool on)
{
    m_autoClock = on;
    if (!on)
        m_turntime.stop();
    else if (m_turnClockOn && !m_turntime.isActive())
        m_turntime.start();
}

void Board::setStartControlsVisible(bool on)
{
    m_startButtons = on;
    m_startGameEnabled = on;
    emit changed();
}

// ---- received commands: the game and the round ----

void Board::startthegame(const QByteArray& fields)
{
    const auto game = msg::StartGame::parse(fields);
    m_discardPanel = false;
    m_pwordsShown = false;
    m_startButtons = false;
    m_winnerShown = false;
    m_wordGate = 0;
    m_gameRunning = true;
    m_target = game.target;
    m_pauseLeft = 0;
    m_session->table()->resetForGame();
    m_playToScore = QStringLiteral("Play to score: ") + fromWire(game.targetText);
    m_timePerTurnText = QStringLiteral("Time per turn: ") + fromWire(game.secondsText);
    m_timePerTurn = game.seconds;
    // A round length of 0 or less would divide by zero: no bar then.
    m_timerScale = game.seconds > 0 ? kTimerBarWidth / game.seconds : 0;
    systemLine(fromWire(game.name) + QStringLiteral(" has started a game."));
    emptyAllPiles();
    emit changed();
}

void Board::thecards(const QByteArray& fields)
{
    if (fields.isEmpty())
        return;
    placeCards(msg::TheCards::parse(fields).cards);
}

void Board::placeCards(const CardList& cards)
{
    for (const CardItem& item : cards) {
        if (!isPile(item.pile))
            continue;
        const int i = item.pile - 1;
        m_cards[i] = item.card;
        m_picture[i] = item.card;
        m_inWord[i] = false;
        m_discardShown[i] = true;
    }
    emit changed();
}

void Board::startround(const QByteArray& fields)
{
    const auto round = msg::StartRound::parse(fields);
    m_discardPanel = false;
    m_pwordsShown = false;
    m_round = QStringLiteral("Round: ") + QString::number(round.round);
    m_session->table()->resetForRound();
    m_word.clear();
    m_wordPiles.clear();
    m_roundShown = true;
    m_timeUpSaid = false;
    m_pauseLeft = 0;
    if (own() > kSeatCount) {
        m_playingSeat = 0;
        m_theWord.clear();
        m_status.clear();
        if (watching())
            m_status = watchingStatus();
    } else {
        m_playingSeat = own();
        m_theWord = QStringLiteral("Find a word!");
        m_status = QStringLiteral("Your Turn.");
        m_wordGate = 1;
        cue(Cue::Turn);
    }
    // The round's first cards are on the piles now.
    m_suggestion.reset();
    m_suggestCards.reset();
    if (m_suggest && ownSeat())
        m_suggestCards = m_cards;
    m_timeLeft = m_timePerTurn;
    m_turnClockOn = true;
    if (m_autoClock && !m_turntime.isActive())
        m_turntime.start();
    emit changed();
}

// ---- the turn clock ----

void Board::turntimeTimer()
{
    tickPause();
    // A clock given a length no honest host sends stops at 0 instead of
    // wrapping round.
    m_timeLeft = m_timeLeft > 1 ? m_timeLeft - 1 : 0;
    if (m_timeLeft < 1) {
        m_timeLeft = 0;
        timeIsUp();
        m_timerText = QStringLiteral("Time: 0:00");
        m_timerBarWidth = 0;
        m_wordButtons = false;
        m_wordGate = 0;
        m_wordPiles.clear();
        emit changed();
        return;
    }
    m_timerBarWidth = int(std::min<qint64>(qint64(m_timeLeft) * m_timerScale, kTimerBarWidth));
    m_timerColour = m_timeLeft < 20 ? kClockRed : kClockColour;
    if (m_timeLeft == 20 || m_timeLeft == 15 || m_timeLeft <= 10)
        cue(Cue::Timer);
    if (m_roundShown && (m_timeLeft == 20 || m_timeLeft == 10 || m_timeLeft == 5))
        emit announce(QString::number(m_timeLeft) + QStringLiteral(" seconds left."));
    m_timerText = QStringLiteral("Time: %1:%2")
                      .arg(m_timeLeft / 60)
                      .arg(m_timeLeft % 60, 2, 10, QLatin1Char('0'));
    emit changed();
}

} // namespace gorse
