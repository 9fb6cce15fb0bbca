#pragma once

#include <QDialog>

class QLabel;
class QLineEdit;
class QPushButton;
class QToolButton;

namespace gorse {

class ClientSession;
class SettingsHooks;

// An up-down control attached to a read-only edit: steps its position by the
// increment from where it is, stops at the bounds (no wrap-around), and
// writes the position into the edit as a plain decimal number.
class UpDown : public QWidget
{
    Q_OBJECT
public:
    UpDown(int minimum, int maximum, int increment, int position, QWidget* parent = nullptr);

    void setBuddy(QLineEdit* edit);
    int minimum() const { return m_min; }
    int maximum() const { return m_max; }
    int increment() const { return m_increment; }
    int position() const { return m_position; }
    // Sets the position, brought into the range.
    void setPosition(int position);
    void stepUp() { setPosition(m_position + m_increment); }
    void stepDown() { setPosition(m_position - m_increment); }
    QToolButton* upButton() const { return m_up; }
    QToolButton* downButton() const { return m_down; }

signals:
    void positionChanged(int position);

private:
    int m_min;
    int m_max;
    int m_increment;
    int m_position;
    QLineEdit* m_buddy = nullptr;
    QToolButton* m_up;
    QToolButton* m_down;
};

// The game options dialog "Gorse - Game Start": the score to play to and the
// time per turn, and Start, which sends CMD_startgame for everybody.
class Tgamestart : public QDialog
{
    Q_OBJECT
public:
    // session is not owned; settings is not owned and may be null.
    Tgamestart(ClientSession* session, SettingsHooks* settings, QWidget* parent = nullptr);

    // Shows the dialog without blocking, centred on the screen.
    void showDialog();

    // The two positions, for the settings file. Values outside the ranges
    // are brought to the nearest bound.
    int playtoscore() const;
    int creationtime() const;
    void setPositions(int playtoscore, int creationtime);

    QLineEdit* edit_playtoscore = nullptr;
    QLineEdit* edit_creationtime = nullptr;
    UpDown* UpDown1 = nullptr;
    UpDown* UpDown2 = nullptr;
    QPushButton* button_start = nullptr;

    // Sends CMD_startgame with the player's name and both numbers, hides
    // the dialog and saves the settings.
    void button_startClick();

private:
    ClientSession* m_session;  // not owned
    SettingsHooks* m_settings; // not owned, may be null
};

} // namespace gorse
