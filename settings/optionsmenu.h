#pragma once

#include <QObject>

class QAction;
class QActionGroup;
class QMenu;
class QWidget;

namespace gorse {

class GameOptions;

// The sound and window items of the main window's Options menu: "Play
// Sounds", "Play Chatter Sounds", "Turn Sound" with "Classic" and "New", and
// "Reset Screen Location". The check marks follow the options; a choice the
// player makes changes the option and saves it. "Reset Screen Location"
// only announces itself (resetScreenLocation), the window moves.
class OptionsMenuItems : public QObject
{
    Q_OBJECT
public:
    // options is not owned; the items belong to parent.
    OptionsMenuItems(GameOptions* options, QWidget* parent);

    QAction* PlaySounds1() const { return m_playSounds; }
    QAction* PlayChatterSounds1() const { return m_playChatterSounds; }
    QMenu* TurnSound1() const { return m_turnSound; }
    QAction* Classic1() const { return m_classic; }
    QAction* New1() const { return m_new; }
    QAction* ResetScreenLocation1() const { return m_reset; }

    // Adds the items to a menu.
    void addTo(QMenu* menu) const;

signals:
    void resetScreenLocation();

private:
    void follow();

    GameOptions* m_options; // not owned
    QAction* m_playSounds;
    QAction* m_playChatterSounds;
    QMenu* m_turnSound;
    QActionGroup* m_turnGroup;
    QAction* m_classic;
    QAction* m_new;
    QAction* m_reset;
};

} // namespace gorse
