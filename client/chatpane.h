#pragma once

// The chat pane "mainchat": a read-only view of a ChatLog with its context
// menu "popup_mainchat", and the chat items of the main window's Options
// menu (Scroll Chat Off, Clear Main Chat, Text Color, Text Size).

#include "chat/chatlog.h"
#include "game/chatcolour.h"

#include <QColor>
#include <QImage>
#include <QTextBrowser>
#include <QTimer>
#include <array>
#include <functional>
#include <optional>

class QAction;
class QMenu;
class QMimeData;
class QTextBlock;

namespace gorse {

class ChatLog;

class ChatPane : public QTextBrowser
{
    Q_OBJECT
public:
    // Opens a web address; false when it could not be opened.
    using LinkOpener = std::function<bool(const QUrl&)>;
    // Asks the player for a colour, starting from the current one; nothing
    // when the player cancels.
    using ColourPicker = std::function<std::optional<QColor>(const QColor& current)>;

    static constexpr int kTextSizes[4] = {8, 10, 12, 14};

    // log is not owned and must outlive the pane.
    explicit ChatPane(ChatLog* log, QWidget* parent = nullptr);

    ChatLog* log() const { return m_log; }

    // The context menu and its items.
    QMenu* popupMenu() const { return m_popup; }
    QAction* selectAllAction() const { return m_selectAll; }     // SelectAll1
    QAction* copyAction() const { return m_copy; }               // Copy1
    QAction* clearAction() const { return m_clear; }             // ClearMainChat2
    QAction* scrollChatOffAction() const { return m_scrollOff; } // ScrollChatOff1

    // Items for the main window's Options menu.
    QAction* optionsScrollChatOffAction() const { return m_scrollOff2; } // ScrollChatOff2, Ctrl+S
    QAction* optionsClearAction() const { return m_clear1; }             // ClearMainChat1
    QAction* textColorAction() const { return m_textColor; }             // TextColor1
    QMenu* textSizeMenu() const { return m_textSizeMenu; }               // TextSize1
    QAction* textSizeAction(int points) const;                           // N8, N10, N12, N14

    // Replace how links are opened and how the colour is chosen (tests).
    void setLinkOpener(LinkOpener opener) { m_openLink = std::move(opener); }
    void setColourPicker(ColourPicker picker) { m_pickColour = std::move(picker); }

    // The selection as the clipboard gets it.
    QString selectedPlainText() const;

    // Lines drawn anew in another colour since the pane was made. A colour
    // change redraws only the lines on screen; others follow when they are
    // scrolled into view, so its cost does not grow with the history.
    quint64 restyledLines() const { return m_restyledLines; }

    // Menu handlers.
    void SelectAll1Click();
    void Copy1Click();
    void ClearMainChatClick();
    void ScrollChatOffClick();
    void TextColor1Click();
    void TextSizeClick(int points);
    // Opens the link with that number, or says "Cannot open Webpage".
    void mainchatJump(int link);

signals:
    // After "Clear Main Chat": the chat entry should take the focus.
    void focusChatEntry();
    // A link was clicked.
    void linkClicked(int link);

protected:
    QMimeData* createMimeDataFromSelection() const override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void createActions();
    void appendPieces(int first);
    void insertPendingLines();
    void insertPieces(qsizetype first);
    void restyle(int style);
    void restyleAll(int style);
    void restyleVisible();
    void restyleLine(QTextBlock& block, int style);
    int lineStyle(const QTextBlock& block) const;
    void removeFirstLines(int lines);
    void clearDocument();
    void applyTextSize(int points);
    void updateTextSizeChecks();
    void setScrollChecks(bool on);
    void scrollToEnd();
    qsizetype logPosition(int documentPosition) const;

    ChatLog* m_log; // not owned
    std::array<QImage, 18> m_smilies;
    LinkOpener m_openLink;
    ColourPicker m_pickColour;

    QMenu* m_popup = nullptr;
    QAction* m_selectAll = nullptr;
    QAction* m_copy = nullptr;
    QAction* m_clear = nullptr;
    QAction* m_scrollOff = nullptr;
    QAction* m_scrollOff2 = nullptr;
    QAction* m_clear1 = nullptr;
    QAction* m_textColor = nullptr;
    QMenu* m_textSizeMenu = nullptr;
    std::array<QAction*, 4> m_textSizeItems{};

    // Every line's block remembers the version of its style it was drawn
    // in; a colour change only moves the style's version on.
    std::array<int, ChatLog::kStyleCount> m_styleVersion{};
    std::array<ChatStyle, ChatLog::kStyleCount> m_drawnStyle{};
    quint64 m_restyledLines = 0;
    bool m_restyling = false;
    QTimer m_restyleTimer;
    // Lines of the log waiting to be written into the document, and lines in it.
    int m_pendingLines = 0;
    int m_documentLines = 0;
    QTimer m_insertTimer;
};

} // namespace gorse
