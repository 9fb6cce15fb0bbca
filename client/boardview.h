#pragma once

#include "game/rules.h"
#include "settings/gameoptions.h"

#include <QWidget>
#include <array>
#include <functional>

class QAccessibleEvent;
class QAction;
class QFrame;
class QKeyEvent;
class QLabel;
class QPushButton;

namespace gorse {

class Board;
class CardImage;
class ClickLabel;
class ClientSession;
class KeyboardPlay;
class PwordsPanel;
class TimerBar;
class WinnerPanel;

// The board in the left part of panel_board (0..440 by 0..482): the piles,
// the word and its buttons, the clock, the game's settings line, Start, the
// discard question and the status line, with the played-words and winner
// panels over it. It draws the Board and forwards clicks and keys to it.
// With the keyboard focus it shows a bright frame; every control carries an
// accessible name, and the board's announcements go to the accessibility
// interface as alerts.
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
    // "Ask Before Starting a New Game" and "Ask Before Leaving a Game"
    // (objectNames "ConfirmNewGame1", "ConfirmLeave1"), checkable, kept in
    // step with the options; for the Options menu.
    QAction* confirmNewGameAction() const { return m_confirmNewGame; }
    QAction* confirmLeaveAction() const { return m_confirmLeave; }

    KeyboardPlay* keyboard() const { return m_keys; }
    // Plays a key on the board; false when the key is not the board's (a
    // key with Ctrl, Alt or Meta, or one the board has no use for).
    bool playKey(QKeyEvent* event);
    // The last announcement (also the view's accessible description).
    QString lastAnnouncement() const { return m_announcement; }
    // Where the view's accessibility events go: the accessibility
    // interface (QAccessible::updateAccessibility), or a test's recorder.
    using Notifier = std::function<void(QAccessibleEvent* event)>;
    void setNotifier(Notifier notify) { m_notify = std::move(notify); }

    // Where the meanings of words come from: the words in the played-words
    // lists and the player's last accepted word show theirs as tooltips.
    void setDefiner(std::function<QString(const QString& word)> define);

    // Draws the board's current state (also called on every change).
    void refresh();

protected:
    void paintEvent(QPaintEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;

private:
    QAction* makeOptionAction(const QString& name, const QString& text,
                              bool (GameOptions::*get)() const, void (GameOptions::*set)(bool),
                              GameOptions::Option option);
    void announce(const QString& text);
    std::function<QString(const QString& word)> m_define;
    QString m_definedWord; // the word label_theword's tooltip explains
    void describe();

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
    QLabel* m_pause = nullptr;
    QPoint m_discardPlace;
    PwordsPanel* m_pwords = nullptr;
    WinnerPanel* m_winner = nullptr;
    QAction* m_warning = nullptr;
    QAction* m_startGame = nullptr;
    QAction* m_confirmNewGame = nullptr;
    QAction* m_confirmLeave = nullptr;
    KeyboardPlay* m_keys = nullptr;
    QString m_announcement;
    Notifier m_notify;
};

} // namespace gorse
