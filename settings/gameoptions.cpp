#include "settings/gameoptions.h"

namespace gorse {

namespace {

const std::array<QString, GameOptions::kPhraseCount> kBuiltInPhrases = {
    QStringLiteral("Way To Go!"),
    QStringLiteral("Good One!"),
    QStringLiteral("Nice Try!"),
    QStringLiteral("Excellent!"),
    QStringLiteral("Brilliant!"),
    QStringLiteral("Wow, WTG!"),
    QStringLiteral("Thanks!"),
    QStringLiteral("Way To Go Teamie!"),
    QStringLiteral("Good Game Everyone!"),
    QStringLiteral("/me waves \"Good-Bye\""),
};

bool validPhrase(int n)
{
    return n >= 1 && n <= GameOptions::kPhraseCount;
}

} // namespace

GameOptions::GameOptions(QObject* parent) : QObject(parent), m_phrases(kBuiltInPhrases)
{
}

template <typename T> void GameOptions::assign(T& field, const T& value, Option option)
{
    if (field == value)
        return;
    field = value;
    emit changed(option);
}

bool GameOptions::setTextSize(int points)
{
    if (points < kMinTextSize || points > kMaxTextSize)
        return false;
    assign(m_textSize, points, Option::TextSize);
    return true;
}

void GameOptions::setTextColour(ChatColour colour)
{
    assign(m_textColour, colour, Option::TextColour);
}

void GameOptions::setWarning(bool on)
{
    assign(m_warning, on, Option::Warning);
}

void GameOptions::setTurnSoundNew(bool on)
{
    assign(m_turnSoundNew, on, Option::TurnSoundNew);
}

void GameOptions::setPlaySounds(bool on)
{
    assign(m_playSounds, on, Option::PlaySounds);
}

void GameOptions::setPlayChatterSounds(bool on)
{
    assign(m_playChatterSounds, on, Option::PlayChatterSounds);
}

void GameOptions::setPlayToScore(int value)
{
    assign(m_playToScore, kPlayToScoreRange.clamp(value), Option::PlayToScore);
}

void GameOptions::setTimePerTurn(int value)
{
    assign(m_timePerTurn, kTimePerTurnRange.clamp(value), Option::TimePerTurn);
}

void GameOptions::stepPlayToScore(int steps)
{
    setPlayToScore(kPlayToScoreRange.stepFrom(m_playToScore, steps));
}

void GameOptions::stepTimePerTurn(int steps)
{
    setTimePerTurn(kTimePerTurnRange.stepFrom(m_timePerTurn, steps));
}

QString GameOptions::phrase(int n) const
{
    return validPhrase(n) ? m_phrases[n - 1] : QString();
}

void GameOptions::setPhrase(int n, const QString& text)
{
    if (!validPhrase(n) || m_phrases[n - 1] == text)
        return;
    m_phrases[n - 1] = text;
    emit phraseChanged(n);
    emit changed(Option::Phrase);
}

QString GameOptions::builtInPhrase(int n)
{
    return validPhrase(n) ? kBuiltInPhrases[n - 1] : QString();
}

void GameOptions::setWindowBounds(const QRect& bounds)
{
    assign(m_windowBounds, bounds, Option::WindowBounds);
}

void GameOptions::setConfirmNewGame(bool on)
{
    assign(m_confirmNewGame, on, Option::ConfirmNewGame);
}

void GameOptions::setConfirmLeave(bool on)
{
    assign(m_confirmLeave, on, Option::ConfirmLeave);
}

void GameOptions::setZoom(int percent)
{
    assign(m_zoom, qBound(kMinZoom, percent, kMaxZoom), Option::Zoom);
}

void GameOptions::setComputerPlayers(int count)
{
    assign(m_computerPlayers, qBound(0, count, kMaxComputerPlayers), Option::ComputerPlayers);
}

void GameOptions::setComputerLevel(int level)
{
    assign(m_computerLevel, qBound(0, level, kComputerLevels - 1), Option::ComputerLevel);
}

void GameOptions::setWordList(BuiltinList list)
{
    assign(m_wordList, list, Option::WordList);
}

} // namespace gorse
