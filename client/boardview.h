#pragma once

#include "net/rules.h"

#include <QWidget>
#include <array>

class QAction;
class QFrame;
class QLabel;
class QPushButton;

namespace gorse {

class Board;
class CardImage;
class ClickLabel;
class ClientSession;
class PwordsPanel;
class TimerBar;
class WinnerPanel;

// The board in the left part of panel_board (0..440 by 0..482): the piles,
// the word and its buttons, the clock, the game's settings line, Start, the
// discard question and the status line, with the played-words and winner
// panels over it. It draws the Board and forwards clicks to it.
class BoardView : public QWidget
{
    Q_OBJECT
public:
    static constexpr int kWidth = 440;
    static constexpr int kHeight = 482;

    // board and session are not owned. Put the view at (0, 0) of
    // panel_board: the discard question may reach past the board's right
    // edge, so it is placed on the parent when there is one.
    BoardView(Board* board, ClientSession* session, QWidget* parent = nullptr);

    // "Warn before discard" (objectName "warning"), checkable, kept in step
    // with the board; for the Options menu.
    QAction* warningAction() const { return m_warning; }
    // "Start Game" (objectName "StartGame1"), enabled as the board says;
    // for the File menu.
    QAction* startGameAction() const { return m_startGame; }

    // Draws the board's current state (also called on every change).
    void refresh();

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QLabel* makeLabel(const QString& name, const QRect& place, int pixelSize, bool bold,
                      Qt::Alignment align);
    QPushButton* makeButton(const QString& name, const QString& text, const QRect& place);
    void buildDiscardPanel();

    Board* m_board;           // not owned
    ClientSession* m_session; // not owned
    std::array<CardImage*, kPileCount> m_cards{};
    std::array<ClickLabel*, kPileCount> m_discards{};
    ClickLabel* m_word = nullptr;
    QPushButton* m_clear = nullptr;
    QPushButton* m_clearlast = nullptr;
    QPushButton* m_done = nullptr;
    QLabel* m_theword = nullptr;
    QLabel* m_timer = nullptr;
    TimerBar* m_timerBar = nullptr;
    QLabel* m_playtoscore = nullptr;
    QLabel* m_timeperturn = nullptr;
    QLabel* m_roundnum = nullptr;
    QPushButton* m_start = nullptr;
    QFrame* m_discardPanel = nullptr;
    QLabel* m_status = nullptr;
    PwordsPanel* m_pwords = nullptr;
    WinnerPanel* m_winner = nullptr;
    QAction* m_warning = nullptr;
    QAction* m_startGame = nullptr;
};

} // namespace gorse
