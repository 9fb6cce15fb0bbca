// The board's operations a player performs, from the mouse, the keyboard
// or a computer player: building, clearing, submitting a word, discarding,
// and the clicks and buttons that lead to them.

#include "client/board.h"

#include "client/clientsession.h"
#include "settings/gameoptions.h"
#include "sound/soundcues.h"

namespace gorse {

// ---- the player's operations ----

void Board::addPile(int pile)
{
    if (!isPile(pile))
        return;
    const int i = pile - 1;
    m_discardPanel = false;
    if (live() && !m_inWord[i] && m_wordGate == 1) {
        m_word += cardFace(m_cards[i]);
        m_wordPiles.append(pile);
        m_picture[i] = kEmptied;
        m_inWord[i] = true;
        m_wordButtons = true;
        cue(Cue::Place);
        m_discardShown[i] = false;
    }
    emit changed();
}

void Board::submitWord()
{
    if (m_wordPiles.isEmpty() || !live())
        return;
    m_wordButtons = false;
    m_wordGate = 0;
    m_session->sendLoggedIn(msg::sendword(own(), m_wordPiles));
    m_wordPiles.clear();
    m_word.clear();
    emit changed();
}

void Board::clearWord()
{
    if (!m_wordButtons || !live())
        return;
    m_wordButtons = false;
    m_wordGate = 1;
    m_wordPiles.clear();
    m_word.clear();
    for (int i = 0; i < kPileCount; ++i) {
        if (m_inWord[i])
            restorePile(i);
    }
    cue(Cue::Clear);
    emit changed();
}

void Board::clearLast()
{
    if (m_wordPiles.isEmpty())
        return;
    const int last = m_wordPiles.takeLast();
    m_word.clear();
    for (int pile : m_wordPiles)
        m_word += cardFace(m_cards[pile - 1]);
    restorePile(last - 1);
    emit changed();
}

void Board::discard(int pile)
{
    // A hidden label cannot be clicked: its pile is in the word or empty.
    if (!isPile(pile) || !m_discardShown[pile - 1])
        return;
    m_pendingDiscard = pile;
    m_discardPanelPos = discardPanelPlace(pile);
    if (m_options->warning())
        m_discardPanel = true;
    else
        m_session->sendLoggedIn(msg::discard(own(), pile));
    emit changed();
}

// ---- the mouse ----

void Board::pileClicked(int pile, Qt::MouseButton button)
{
    if (!isPile(pile))
        return;
    if (button == Qt::LeftButton) {
        addPile(pile);
        return;
    }
    m_discardPanel = false;
    if (button == Qt::RightButton && live() && !m_wordPiles.isEmpty()) {
        submitWord();
        return;
    }
    emit changed();
}

void Board::button_doneClick()
{
    if (m_wordButtons)
        submitWord();
}

void Board::buttoN_clearClick()
{
    clearWord();
}

void Board::button_clearlastClick()
{
    if (m_wordButtons)
        clearLast();
}

void Board::discardClicked(int pile)
{
    discard(pile);
}

void Board::button_yesClick()
{
    if (!m_discardPanel)
        return;
    if (m_pendingDiscard != 0)
        m_session->sendLoggedIn(msg::discard(own(), m_pendingDiscard));
    m_discardPanel = false;
    m_pendingDiscard = 0;
    emit changed();
}

void Board::button_noClick()
{
    if (!m_discardPanel)
        return;
    m_pendingDiscard = 0;
    m_discardPanel = false;
    emit changed();
}

QString Board::newGameQuestion()
{
    return QStringLiteral("A game is running. Start a new one for everybody?");
}

void Board::startPressed()
{
    if (!m_session->loggedIn()) {
        emit notConnected(QStringLiteral("You are not connected"));
        return;
    }
    // One stray click must not wipe a running game.
    if (m_gameRunning && m_options->confirmNewGame() && m_ask && !m_ask(newGameQuestion()))
        return;
    emit showGameOptions();
}

void Board::closePlayedWords()
{
    m_pwordsShown = false;
    emit changed();
}

} // namespace gorse
