// The board's handlers of results: a word accepted or rejected, score
// changes, discards, the end of a round with every seat's played words, the
// end of the game, and the state sent to a player who joins a running game.

#include "client/board.h"

#include "client/clientsession.h"
#include "client/table.h"
#include "client/tallyhooks.h"
#include "sound/soundcues.h"

#include <algorithm>
#include <climits>
#include <utility>

namespace gorse {

namespace {

// The number in front of a played-words line's ":"; a line without one
// counts as 100.
int leadingPoints(const QString& line)
{
    int value = 0;
    if (!parseNumber(line.left(line.indexOf(u':')).toLatin1(), value))
        return 100;
    return value;
}

} // namespace

void Board::addtolist(QStringList& list, const QString& word, int points)
{
    const QString line = QString::number(points) + QStringLiteral(": ") + word;
    for (qsizetype i = 0; i < list.size(); ++i) {
        if (leadingPoints(list[i]) < points) {
            list.insert(i, line);
            return;
        }
    }
    list.append(line);
}

void Board::theword(const QByteArray& fields)
{
    const auto result = msg::TheWord::parse(fields);
    if (result.seat != own())
        return;
    const QString word = fromWire(result.word).toUpper();
    const QString points = QString::number(result.points);
    m_lastWord = word;
    m_wordPiles.clear();
    if (result.bonus <= 0) {
        m_theWord = QStringLiteral("You made: ") + word + QStringLiteral(" for ") + points +
                    QStringLiteral(" points.");
    } else {
        m_theWord = QStringLiteral("BONUS! You made: ") + word + QStringLiteral(" for ") + points +
                    QStringLiteral(" points. BONUS!");
    }
    placeCards(result.cards);
    cue(Cue::GoodWord);
    m_wordGate = 1;
    emit announce(m_theWord);
    if (own() <= kSeatCount && m_tally) {
        if (word.size() > m_tally->recordValue(TallyHooks::kLongestWord))
            m_tally->addword(word, int(word.size()), TallyHooks::kLongestWord);
        if (result.points > m_tally->recordValue(TallyHooks::kBestWord))
            m_tally->addword(word, result.points, TallyHooks::kBestWord);
        m_tally->anotherword(TallyHooks::kWordCount);
    }
    emit changed();
}

void Board::rejected(const QByteArray& fields)
{
    const auto result = msg::Rejected::parse(fields);
    if (result.seat != own())
        return;
    m_theWord = fromWire(result.word).toUpper() + QStringLiteral(" in not a valid word.");
    placeCards(result.cards);
    m_wordGate = 1;
    cue(Cue::BadWord);
    emit announce(m_theWord);
    emit changed();
}

void Board::pscore(const QByteArray& fields)
{
    const auto score = msg::PScore::parse(fields);
    if (!isSeat(score.seat))
        return;
    m_session->table()->setScores(score.seat, score.total, score.roundPoints,
                                  u'+' + QString::number(score.points));
}

void Board::discard(const QByteArray& fields)
{
    const auto result = msg::DiscardResult::parse(fields);
    if (result.seat != own())
        return;
    if (isSeat(result.seat)) {
        m_session->table()->setScores(result.seat, result.total, result.roundPoints,
                                      u'-' + QString::number(kDiscardPenalty));
    }
    m_theWord = QStringLiteral("You discarded a card and lost 5 points.");
    placeCards(CardList{result.card});
    cue(Cue::Shift);
    emit changed();
}

void Board::endround(const QByteArray& fields)
{
    const auto round = msg::EndRound::parse(fields);
    if (own() <= kSeatCount) {
        m_theWord = QStringLiteral("You Scored ") + QString::number(round.ownRoundPoints) +
                    QStringLiteral(" points this round.");
    }
    m_status = QStringLiteral("The Round is Over. One Moment Please..");
    m_wordButtons = false;
    m_wordGate = 0;
    m_word.clear();
    emptyAllPiles();
    m_roundShown = false;
    showPlayedWords(round);
    if (m_suggestCards)
        m_suggestion = m_suggest(*std::exchange(m_suggestCards, std::nullopt));
    startPause();
    m_pwordsShown = true;
    cue(Cue::RoundOver);
    emit announce(ownSeat() ? m_theWord : m_status);
    emit changed();
}

void Board::showPlayedWords(const msg::EndRound& round)
{
    for (const SeatSummary& summary : round.seats) {
        if (!isSeat(summary.seat))
            continue;
        QStringList& list = m_pwords[summary.seat - 1];
        m_session->table()->setTotal(summary.seat, summary.total);
        list.clear();
        if (!summary.wordLog.isEmpty()) {
            QByteArray log = summary.wordLog;
            if (log.startsWith('/'))
                log.remove(0, 1);
            const QList<QByteArray> entries = log.split('/');
            bool readAll = true;
            for (const QByteArray& entry : entries) {
                const qsizetype dash = entry.indexOf('-');
                int points = 0;
                if (dash < 0 || !parseNumber(entry.left(dash), points)) {
                    // A damaged log stops this seat's words; the round's
                    // line below is still shown.
                    readAll = false;
                    break;
                }
                addtolist(list, fromWire(entry.mid(dash + 1)), points);
            }
            if (readAll) {
                m_session->table()->setWordsPlayed(summary.seat, int(entries.size()));
                list.prepend(QStringLiteral(" -") +
                             QString::number(discardPenalty(summary.discards)) +
                             QStringLiteral(" for discards"));
            }
        }
        list.prepend(QStringLiteral("This Turn: ") + QString::number(summary.roundPoints));

        if (summary.seat == own() && m_tally &&
            summary.total > m_tally->recordValue(TallyHooks::kTurnScore)) {
            const QString text = QString::number(m_timePerTurn) + QStringLiteral(" secs-") +
                                 QString::number(list.size()) + QStringLiteral(" Words");
            m_tally->addword(text, summary.total, TallyHooks::kTurnScore);
        }
    }
}

QString Board::suggestionText() const
{
    if (!m_suggestion || !m_pwordsShown)
        return QString();
    return QStringLiteral("Best word these cards allowed: %1 for %2 points (a suggestion)")
        .arg(m_suggestion->word)
        .arg(m_suggestion->points);
}

void Board::winner(const QByteArray& fields)
{
    const auto result = msg::Winner::parse(fields);
    const QString name = fromWire(result.name);
    m_wordButtons = false;
    m_wordGate = 0;
    cue(Cue::Winner);
    const bool won = ownSeat() && m_session->seat(own()).shownName() == name;
    m_winnerText = won ? QStringLiteral("You have Won the Game!")
                       : name + QStringLiteral(" has Won the Game!");
    m_status = QStringLiteral("Game Over!");
    systemLine(m_winnerText);
    m_winnerShown = true;
    m_gameRunning = false;
    m_pauseLeft = 0;
    emit announce(m_winnerText);
    if (m_session->mayStartGames())
        m_startButtons = true;
    emit changed();
    if (own() > kSeatCount)
        return;
    if (m_tally)
        m_tally->addgame(won ? QStringLiteral("addtomine") : name);
    cue(Cue::GameOver);
}

void Board::tiegame(const QByteArray&)
{
    systemLine(QStringLiteral("Tie Game so playing another round."));
}

void Board::gamestats(const QByteArray& fields)
{
    const auto stats = msg::GameStats::parse(fields);
    if (stats.conn != own())
        return;
    m_playToScore = QStringLiteral("Play to Score: ") + QString::number(stats.target);
    m_timePerTurn = stats.seconds;
    m_timePerTurnText = QStringLiteral("Time Per Turn: ") + QString::number(stats.seconds);
    m_timerScale = stats.seconds > 0 ? kTimerBarWidth / stats.seconds : 0;
    // The host's countdown includes its extra seconds; a countdown no
    // honest host sends must not wrap round.
    m_timeLeft = int(std::max<qint64>(qint64(stats.countdown) - kRoundExtraSeconds, INT_MIN));
    for (int n = 1; n <= kSeatCount; ++n)
        m_session->table()->setTotal(n, stats.totals[n - 1]);
    // A newcomer plays along only when more than a few seconds are left.
    constexpr int kLateJoinSeconds = 5;
    if (m_timeLeft > kLateJoinSeconds && ownSeat()) {
        m_playingSeat = own();
        m_turnClockOn = true;
        if (m_autoClock && !m_turntime.isActive())
            m_turntime.start();
        m_word.clear();
        m_wordGate = 1;
    }
    joinedRunningGame(stats);
    emit changed();
}

} // namespace gorse
