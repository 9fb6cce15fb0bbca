#pragma once

#include <QLineEdit>

class QAction;
class QMenu;

namespace gorse {

class ClientSession;
class GameOptions;

// The chat entry "mychat": typed chat and "/me" actions, sent with Enter.
// It starts with the text "<Enter Chat Here>", which the first key clears;
// its text shows in the player's chat colour; it holds no more than a
// message may carry (kChatEntryLimit bytes of UTF-8), whether typed, pasted
// or composed by an input method. Its context menu "popup_mychat" has
// "Paste" (Ctrl+V), which appends the clipboard's text.
class ChatEntry : public QLineEdit
{
    Q_OBJECT
public:
    static const QString kPlaceholder;

    // Neither is owned.
    ChatEntry(ClientSession* session, GameOptions* options, QWidget* parent = nullptr);

    QMenu* popupMenu() const { return m_popup; }     // popup_mychat
    QAction* pasteAction() const { return m_paste; } // Paste1

    // Sends the text (ClientSession::sendit); emptied when it went, or when
    // it was a slash command that sends nothing; kept before login.
    void sendit();
    // Appends the clipboard's text and puts the caret at the end.
    void Paste1Click();
    // Appends text (a smiley code) after clearing the placeholder, caret at
    // the end. False, and nothing changes, when it would not fit.
    bool appendText(const QString& text);

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void inputMethodEvent(QInputMethodEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;

private:
    void clearPlaceholder();
    void showColour();

    ClientSession* m_session; // not owned
    GameOptions* m_options;   // not owned
    QMenu* m_popup;
    QAction* m_paste;
};

} // namespace gorse
