#pragma once

#include "game/rules.h"

#include <QDialog>
#include <functional>

class QComboBox;
class QLabel;
class QLineEdit;
class QSpinBox;
class QPushButton;
class QKeyEvent;
class QToolButton;
class QWheelEvent;

namespace gorse {

class ClientSession;
class GameOptions;

// An up-down control attached to an edit: steps its position by the
// increment from where it is, stops at the bounds (no wrap-around), and
// writes the position into the edit as a plain decimal number. Like a spin
// box, it also steps with the arrow keys (Page Up and Page Down: ten steps)
// and the mouse wheel (with Ctrl: ten steps), over itself or its edit.
//
// A number can also be typed into the edit (digits only). It is taken when
// the edit loses the focus, at Enter and before any step: brought into the
// range and to the nearest multiple of the increment (or bound), halves
// upwards. An emptied edit goes back to the position.
class UpDown : public QWidget
{
    Q_OBJECT
public:
    UpDown(const OptionRange& range, int position, QWidget* parent = nullptr);

    void setBuddy(QLineEdit* edit);
    int minimum() const { return m_range.minimum; }
    int maximum() const { return m_range.maximum; }
    int increment() const { return m_range.step; }
    int position() const { return m_position; }
    // Sets the position, brought into the range.
    void setPosition(int position);
    void stepUp() { step(1); }
    void stepDown() { step(-1); }
    // Takes a number typed into the edit, if any (see above).
    void takeTyped();
    QToolButton* upButton() const { return m_up; }
    QToolButton* downButton() const { return m_down; }

signals:
    void positionChanged(int position);

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void step(int steps);
    bool stepByKey(const QKeyEvent* event);
    bool stepByWheel(const QWheelEvent* event);

    OptionRange m_range;
    int m_position;
    int m_wheelRest = 0; // part of a wheel notch not yet stepped
    QLineEdit* m_buddy = nullptr;
    QToolButton* m_up;
    QToolButton* m_down;
};

// The game options dialog "Gorse - Game Start": the score to play to and the
// time per turn (the player's options), and Start, which asks the host to
// start a game for everybody. The hosting player also chooses his computer
// players, their level and the word list.
class Tgamestart : public QDialog
{
    Q_OBJECT
public:
    // session and options are not owned.
    Tgamestart(ClientSession* session, GameOptions* options, QWidget* parent = nullptr);

    // Shows the dialog without blocking, centred on the screen.
    void showDialog();

    // The two positions (the options' play-to-score and time per turn).
    int playtoscore() const;
    int creationtime() const;

    QLineEdit* edit_playtoscore = nullptr;
    QLineEdit* edit_creationtime = nullptr;
    UpDown* UpDown1 = nullptr;
    UpDown* UpDown2 = nullptr;
    QPushButton* button_start = nullptr;
    // Shown to the hosting player only.
    QSpinBox* spin_computers = nullptr;
    QComboBox* combo_level = nullptr;
    QComboBox* combo_wordlist = nullptr;

    // What Start does with the two numbers; by default the session asks the
    // host to start the game.
    using Starter = std::function<void(int target, int seconds)>;
    void setStarter(Starter start) { m_start = std::move(start); }

    // Starts the game with both numbers, hides the dialog and saves the
    // settings.
    void button_startClick();

private:
    void addHostRows(QWidget* panel);
    void showHostRows(bool hosting);

    ClientSession* m_session; // not owned
    GameOptions* m_options;   // not owned
    Starter m_start;
    QWidget* m_hostRows = nullptr;
    QWidget* m_panel = nullptr;
};

} // namespace gorse
