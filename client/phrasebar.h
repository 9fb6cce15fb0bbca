#pragma once

#include "chat/chatinput.h"

#include <QWidget>
#include <array>

class QMenu;
class QToolButton;

namespace gorse {

class ChatEntry;
class ClientSession;
class GameOptions;

// The row under the chat entry: the phrase buttons "b_phrase1".."b_phrase9"
// (each sends its phrase, one phrase every two seconds), the smiley button
// "button_smilies" (its menu "popup_smilies" puts a smiley code into the
// entry) and the sound button "b_phrase10" (its menu "popup_sounds" sends a
// chatter sound). The buttons' tooltips are the phrases.
class PhraseBar : public QWidget
{
    Q_OBJECT
public:
    static constexpr int kPhraseButtons = 9;

    // None is owned. clock drives the phrase lock (tests pass their own).
    PhraseBar(ClientSession* session, GameOptions* options, ChatEntry* entry,
              QWidget* parent = nullptr, PhraseLock::Clock clock = {});

    // b_phrase1..b_phrase10.
    QToolButton* phraseButton(int n) const;
    // The buttons in the order the keyboard reaches them: the nine phrase
    // buttons, the smiley button, the sound button.
    QList<QWidget*> focusOrder() const;
    QToolButton* button_smilies() const { return m_smilies; }
    QMenu* popup_smilies() const { return m_smileyMenu; }
    QMenu* popup_sounds() const { return m_soundMenu; }

    // Phrase button n (1..9) was clicked.
    void b_phraseClick(int n);
    // A smiley of the menu (tag 10..27) was chosen.
    void smileyChosen(int tag);
    // A sound of the menu (1..20; 0 is "<Cancel>") was chosen.
    void soundChosen(int sound);

private:
    void createMenus();
    void showPhrases();
    // Opens a menu with its top left corner at the button's bottom right.
    static void popupBelow(QMenu* menu, QToolButton* button);

    ClientSession* m_session; // not owned
    GameOptions* m_options;   // not owned
    ChatEntry* m_entry;       // not owned
    PhraseLock m_lock;
    std::array<QToolButton*, kPhraseButtons + 1> m_phrases{};
    QToolButton* m_smilies = nullptr;
    QMenu* m_smileyMenu = nullptr;
    QMenu* m_soundMenu = nullptr;
};

} // namespace gorse
