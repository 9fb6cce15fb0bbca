#pragma once

// The board of the client: the eight piles, the word being built, the turn
// clock, the game's settings line, the round results and the game's end. It
// holds every text and every visibility the board shows; BoardView draws it
// and forwards clicks to it. Received game commands arrive through the
// handlers it installs on the ClientSession.

#include "net/messages.h"
#include "sound/soundcues.h"

#include <QByteArray>
#include <QList>
#include <QObject>
#include <QPoint>
#include <QPointer>
#include <QSize>
#include <QString>
#include <QStringList>
#include <QTimer>
#include <array>
#include <functional>
#include <optional>

namespace gorse {

class ChatLog;
class ClientSession;
class GameOptions;
class SoundCues;
class TallyHooks;

class Board : public QObject
{
    Q_OBJECT
public:
    static constexpr int kTimerBarWidth = 379;
    // Colours in the 0x00BBGGRR form.
    static constexpr quint32 kWhite = 0xFFFFFF;
    static constexpr quint32 kClockColour = 8081175;
    static constexpr quint32 kClockRed = 255;
    // The picture of a pile whose card is in the word (an emptied slot).
    static constexpr int kEmptied = -1;
    // panel_board, on which the board lies at (0, 0), and the discard
    // question that must stay on it.
    static constexpr QSize kPanelBoardSize{704, 482};
    static constexpr QSize kDiscardPanelSize{287, 123};

    // None is owned; chat, sound and tally may be null. The board reads the
    // discard warning from options and installs its command handlers on the
    // session.
    Board(ClientSession* session, GameOptions* options, ChatLog* chat, SoundCues* sound,
          TallyHooks* tally, QObject* parent = nullptr);
    ~Board() override;

    // The client's card faces: "A".."Z" with "Qu" for 17, then the letter
    // groups; empty outside 1..50.
    static QString cardFace(int card);
    // Top left corner of pile n's picture, and of its discard label.
    static QPoint pilePos(int pile);
    static QPoint discardPos(int pile);
    // Where pile n's discard question goes: 40 right of and 65 below the
    // pile's corner, moved up or left as far as needed to stay on
    // panel_board.
    static QPoint discardPanelPlace(int pile);

    // ---- received commands (the text after the command name) ----
    void startthegame(const QByteArray& fields);
    void thecards(const QByteArray& fields);
    void startround(const QByteArray& fields);
    void theword(const QByteArray& fields);
    void rejected(const QByteArray& fields);
    void pscore(const QByteArray& fields);
    void discard(const QByteArray& fields);
    void endround(const QByteArray& fields);
    void winner(const QByteArray& fields);
    void tiegame(const QByteArray& fields);
    void gamestats(const QByteArray& fields);
    // Puts new cards on their piles.
    void placeCards(const CardList& cards);

    // ---- the player's operations, whatever the device ----
    // The mouse, the keyboard and computer players all play through these;
    // each does nothing when the board does not allow it at the moment.
    // Puts pile n's card into the word being built.
    void addPile(int pile);
    // Takes back the last card of the word.
    void clearLast();
    // Takes back every card of the word.
    void clearWord();
    // Sends the word being built to the host.
    void submitWord();
    // Discards pile n's card (asking first when "Warn before discard" is on).
    void discard(int pile);

    // ---- the mouse ----
    // Mouse button released over pile n's picture: left adds the pile,
    // right submits the word.
    void pileClicked(int pile, Qt::MouseButton button);
    void button_doneClick();
    void buttoN_clearClick();
    void button_clearlastClick();
    void label_wordClick() { clearLast(); }
    // A click on pile n's discard label.
    void discardClicked(int pile);
    void button_yesClick();
    void button_noClick();
    // Start (both buttons and the menu item): the options dialog when logged
    // in, otherwise the "You are not connected" notice.
    void startPressed();
    // The played-words panel's close button.
    void closePlayedWords();

    // ---- the turn clock ----
    // One second of the turn clock; a QTimer calls it while the clock is on
    // and automatic (see setAutoClock).
    void turntimeTimer();
    bool turnClockOn() const { return m_turnClockOn; }
    // Off: the clock is switched on as usual but only turntimeTimer() calls
    // advance it (tests).
    void setAutoClock(bool on);

    // The player's options the board follows (the discard warning, the
    // confirmations).
    GameOptions* options() const { return m_options; }
    // Asks the player a yes/no question (a message box in the window; tests
    // answer it themselves). Without one, every question is answered yes.
    using Question = std::function<bool(const QString& text)>;
    void setQuestion(Question ask) { m_ask = std::move(ask); }
    // The question Start asks while a game runs.
    static QString newGameQuestion();
    // The status line of a spy.
    static QString watchingStatus();
    // The hosting copy shows button_start and button_start2 and enables the
    // "Start Game" menu item; a joining copy hides and disables them until
    // the host gives it connection 1 (ClientSession::mayStartGames).
    void setStartControlsVisible(bool on);

    // ---- state shown by the view ----
    int card(int pile) const { return m_cards[pile - 1]; }
    bool inWord(int pile) const { return m_inWord[pile - 1]; }
    // Picture drawn on pile n: a card number (0 for no card) or kEmptied.
    int picture(int pile) const { return m_picture[pile - 1]; }
    bool discardShown(int pile) const { return m_discardShown[pile - 1]; }
    QString wordText() const { return m_word; }
    QList<int> wordPiles() const { return m_wordPiles; }
    // The word pile list as text: "+3+5+1".
    QString wordPileList() const;
    int wordGate() const { return m_wordGate; }
    int playingSeat() const { return m_playingSeat; }
    int timeLeft() const { return m_timeLeft; }
    int timePerTurn() const { return m_timePerTurn; }
    int timerScale() const { return m_timerScale; }
    int pendingDiscard() const { return m_pendingDiscard; }
    // The player may click, submit and clear.
    bool live() const;
    // A pile whose card a click would put into the word now.
    bool canTake(int pile) const;
    // A game has started and no winner was announced yet (for a newcomer:
    // the host's clock was running when it joined).
    bool gameRunning() const { return m_gameRunning; }
    // This client only watches (a spy).
    bool watching() const;

    QString timerText() const { return m_timerText; }
    quint32 timerColour() const { return m_timerColour; }
    int timerBarWidth() const { return m_timerBarWidth; }
    QString playToScoreText() const { return m_playToScore; }
    QString timePerTurnText() const { return m_timePerTurnText; }
    QString roundText() const { return m_round; }
    QString theWordText() const { return m_theWord; }
    QString statusText() const { return m_status; }
    // Clear, Clear-last and Done.
    bool wordButtonsShown() const { return m_wordButtons; }
    bool discardPanelShown() const { return m_discardPanel; }
    QPoint discardPanelPos() const { return m_discardPanelPos; }
    bool startButtonsShown() const { return m_startButtons; }
    bool startGameEnabled() const { return m_startGameEnabled; }

    // The played-words panel: seat n's list, one text per line.
    bool playedWordsShown() const { return m_pwordsShown; }
    QStringList playedWords(int seat) const { return m_pwords[seat - 1]; }
    // The winner panel and its text (label_winner1, label_winner2).
    bool winnerShown() const { return m_winnerShown; }
    QString winnerText() const { return m_winnerText; }
    // Seconds left of the host's pause after a round (0 outside it), and
    // the line that counts them down ("Next round in 12 seconds.").
    int pauseLeft() const { return m_pauseLeft; }
    QString pauseText() const;

    // The best word a round's first cards allowed the player, as a
    // suggestion shown with the round's results: its letters and points,
    // or nothing.
    struct Suggestion
    {
        QString word;
        int points = 0;
    };
    using Suggester = std::function<std::optional<Suggestion>(const std::array<int, kPileCount>&)>;
    // Where suggestions come from (none without one). It is asked when the
    // round is over, so it may take the round's time to become able to answer.
    void setSuggester(Suggester suggest) { m_suggest = std::move(suggest); }
    // "Best word these cards allowed: QUIZ for 65 points (a suggestion)",
    // for a seated player once the round is over; empty otherwise.
    QString suggestionText() const;
    // The player's last word the host accepted (for its meaning), or empty.
    QString lastWord() const { return m_lastWord; }

    // Inserts a played word into a list by its points (addtolist).
    static void addtolist(QStringList& list, const QString& word, int points);

signals:
    // Anything the board shows changed.
    void changed();
    // Start was pressed while logged in: show the game options dialog.
    void showGameOptions();
    // Start was pressed before login: show this text in a message box.
    void notConnected(const QString& text);
    // Something the player should hear at once, for readers of the screen:
    // a result, the time running out, the winner.
    void announce(const QString& text);

private:
    void cue(Cue cue);
    void systemLine(const QString& text);
    bool ownSeat() const;
    int own() const;
    void emptyAllPiles();
    void restorePile(int index);
    void showPlayedWords(const msg::EndRound& round);
    // Feedback beyond the turn (boardfeedback.cpp).
    void tableChanged();
    void greetNewcomer();
    void startPause();
    void tickPause();
    void timeIsUp();
    void joinedRunningGame(const msg::GameStats& stats);

    QPointer<ClientSession> m_session; // not owned
    GameOptions* m_options;            // not owned
    ChatLog* m_chat;                   // not owned, may be null
    SoundCues* m_sound;                // not owned, may be null
    TallyHooks* m_tally;               // not owned, may be null
    QTimer m_turntime;
    bool m_autoClock = true;
    bool m_turnClockOn = false;

    std::array<int, kPileCount> m_cards{};
    std::array<bool, kPileCount> m_inWord{};
    std::array<int, kPileCount> m_picture;
    std::array<bool, kPileCount> m_discardShown{};
    QList<int> m_wordPiles;
    QString m_word;
    int m_wordGate = 0;
    int m_playingSeat = 0;
    int m_timeLeft = 0;
    int m_timePerTurn = 0;
    int m_timerScale = 0;
    int m_pendingDiscard = 0;

    QString m_timerText;
    quint32 m_timerColour = kWhite;
    int m_timerBarWidth = kTimerBarWidth;
    QString m_playToScore;
    QString m_timePerTurnText;
    QString m_round;
    QString m_theWord;
    QString m_status;
    bool m_wordButtons = false;
    bool m_discardPanel = false;
    QPoint m_discardPanelPos;
    bool m_startButtons = false;
    bool m_startGameEnabled = false;

    bool m_pwordsShown = false;
    std::array<QStringList, kSeatCount> m_pwords;
    bool m_winnerShown = false;
    QString m_winnerText;

    Question m_ask;
    bool m_gameRunning = false;
    int m_target = 0;
    // The round's piles are on the board (from its start to its end).
    bool m_roundShown = false;
    bool m_timeUpSaid = false;
    int m_pauseLeft = 0;
    Suggester m_suggest;
    // This round's first cards, for a seat with a suggester, and the best
    // word they allowed, found when the round is over.
    std::optional<std::array<int, kPileCount>> m_suggestCards;
    std::optional<Suggestion> m_suggestion;
    QString m_lastWord;
    bool m_greeted = false;
    std::array<bool, kSeatCount> m_seatTaken{};
};

} // namespace gorse
