#pragma once

#include "client/board.h"
#include "client/chatentry.h"
#include "game/rules.h"
#include "launch/launchoptions.h"

#include <QMainWindow>
#include <array>
#include <functional>

class QLabel;
class QMenu;
class QAction;
class QFrame;

namespace gorse {

class BoardScaler;
class BoardView;
class ChatLog;
class ChatPane;
class OptionsMenuItems;
class PhraseBar;
class Tphrases;
class Ttallylist;
class Tgamestart;
class ClientSession;
class GameClient;
class GameOptions;
class Tspylist;

// Switches the game host's listener on; returns an error text on failure.
using HostStarter = std::function<QString(quint16 port)>;

// The main window: the board, the six seat rows, the chat pane and entry,
// and the menus. It shows what the client's core classes hold and forwards
// the player's actions to them.
class Tchat : public QMainWindow
{
    Q_OBJECT
public:
    // client is not owned and outlives the window.
    Tchat(const LaunchOptions& options, HostStarter startHost, GameClient* client,
          QWidget* parent = nullptr);
    ~Tchat() override;

    // The core this window shows.
    GameClient* client() const { return m_client; }
    ChatPane* mainchat() const { return m_mainchat; }
    BoardView* boardView() const { return m_boardView; }
    ChatEntry* mychat() const { return m_mychat; }
    PhraseBar* phraseBar() const { return m_phraseBar; }
    OptionsMenuItems* optionItems() const { return m_optionItems; }
    QFrame* panel_board() const { return m_board; }
    QMenu* popup_kick() const { return m_popupKick; }
    QAction* StartGame1() const;
    void setSpyList(Tspylist* spylist);
    // The game options dialog, opened by Start (not owned).
    void setGameStartWindow(Tgamestart* gamestart);
    // The game host is created after this window; it is handed over here.
    void setHostStarter(HostStarter startHost) { m_startHost = std::move(startHost); }
    // Windows shown from the menus (not owned; created at start-up).
    void setAboutWindow(QWidget* w) { m_about = w; }
    void setHelpWindow(QWidget* w) { m_help = w; }
    void setTallyWindow(Ttallylist* w) { m_tally = w; }
    void setPhrasesWindow(Tphrases* w) { m_phrases = w; }
    void setDownloadWindow(QWidget* w) { m_download = w; }

    // Chooses the launch mode; runs once, when the window is first shown.
    void processparams();
    void hostpress();
    void joinpress();
    // Brings the window to the front (a second copy asked for it).
    void bringToFront();

    // Opens seat n's "Remove From Game" menu state as a right click would.
    void prepareKickMenu(int seat);
    void RemoveFromGame1Click();

    // ---- the table's size, keyboard focus and confirmations (tchattable.cpp) ----
    // The scaler of the client area: the table laid out at 719 by 497 and
    // scaled to the window.
    BoardScaler* scaler() const { return m_scaler; }
    // View > Zoom In, Zoom Out, Actual Size (Ctrl++, Ctrl+-, Ctrl+0).
    QAction* zoomInAction() const { return m_zoomIn; }
    QAction* zoomOutAction() const { return m_zoomOut; }
    QAction* actualSizeAction() const { return m_actualSize; }
    void zoomIn();
    void zoomOut();
    void actualSize();
    // The zoom steps in percent, and the largest the screen holds.
    static QList<int> zoomSteps();
    int maxZoom() const;
    // Yes/no questions (Start during a game, closing during a game) go
    // through this; a message box unless a test answers.
    void setQuestion(Board::Question ask);
    static QString leaveQuestion();
signals:
    // The window was closed: the program ends.
    void closed();

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    bool focusNextPrevChild(bool next) override;

private:
    void setupTable();
    void addZoomItems(QMenu* view);
    void addConfirmItems(QMenu* options);
    void applyZoom(int percent);
    void applyChatZoom();
    void describeSeats();
    void describeLastChatLine(int first);
    bool ask(const QString& text);
    // The window closes without asking (the host ended the connection).
    void closeAtOnce();
    void createMenus();
    void createSeatRows();
    void refreshSeats();
    // Hosting could not start: says so and names the port.
    void hostingFailed(const QString& error);

    LaunchOptions m_options;
    HostStarter m_startHost;
    GameClient* m_client;       // not owned
    GameOptions* m_gameOptions; // the client's
    ChatLog* m_chat;            // the client's
    ClientSession* m_session;   // the client's
    ChatPane* m_mainchat;
    ChatEntry* m_mychat;
    PhraseBar* m_phraseBar;
    OptionsMenuItems* m_optionItems = nullptr;
    QFrame* m_board;
    Board* m_boardCore; // the client's
    BoardView* m_boardView;
    struct SeatLabels
    {
        QLabel* name;
        QLabel* score;
        QLabel* thisturn;
        QLabel* bonus;
    };
    std::array<SeatLabels, kSeatCount> m_seatLabels{};
    QMenu* m_popupKick = nullptr;
    QAction* m_removeFromGame = nullptr;
    QAction* m_spyListAction = nullptr;
    int m_kickSeat = 0;
    bool m_paramsProcessed = false;
    BoardScaler* m_scaler = nullptr;
    QAction* m_zoomIn = nullptr;
    QAction* m_zoomOut = nullptr;
    QAction* m_actualSize = nullptr;
    Board::Question m_ask;
    bool m_closingAtOnce = false;
    Tspylist* m_spylist = nullptr; // not owned
    QWidget* m_about = nullptr;    // not owned
    QWidget* m_help = nullptr;     // not owned
    Ttallylist* m_tally = nullptr; // not owned
    Tphrases* m_phrases = nullptr; // not owned
    QWidget* m_download = nullptr; // not owned
};

} // namespace gorse
