#pragma once

// The player's options in one place: chat text size and colour, the sound
// switches and the turn sound, the discard warning, the two values of the
// game options dialog, the ten phrases and the main window's bounds. Windows
// and the client's core read them here and change them through the setters;
// the settings file is their storage.
//
// A setter applies a value and announces it with changed(). A change the
// player made is then saved with save(), which asks the settings file to
// write (saveRequested); values read from the settings file are applied
// without saving.

#include "game/chatcolour.h"
#include "game/rules.h"
#include "game/wordlist.h"

#include <QObject>
#include <QRect>
#include <QString>
#include <array>

namespace gorse {

class GameOptions : public QObject
{
    Q_OBJECT
public:
    enum class Option {
        TextSize,
        TextColour,
        Warning,
        TurnSoundNew,
        PlaySounds,
        PlayChatterSounds,
        PlayToScore,
        TimePerTurn,
        Phrase,
        WindowBounds,
        ConfirmNewGame,
        ConfirmLeave,
        Zoom,
        ComputerPlayers,
        ComputerLevel,
        WordList,
    };
    Q_ENUM(Option)

    static constexpr int kPhraseCount = 10;
    // The chat text size before any settings are read, and its limits.
    static constexpr int kInitialTextSize = 10;
    static constexpr int kMinTextSize = 1;
    static constexpr int kMaxTextSize = 200;
    // The window's bounds before any settings are read ("Reset Screen
    // Location" goes back to them).
    static constexpr QRect kInitialBounds{3, 3, 727, 543};
    // The main window's zoom in percent of the designed size, and its limits.
    static constexpr int kMinZoom = 100;
    static constexpr int kMaxZoom = 300;
    // Computer players a hosting player may seat (the free seats besides
    // his own) and their levels, 0 (the weakest) to 3.
    static constexpr int kMaxComputerPlayers = kSeatCount - 1;
    static constexpr int kComputerLevels = 4;

    explicit GameOptions(QObject* parent = nullptr);

    // Chat text size in points, shared by every chat style. Sizes outside
    // 1..200 are refused (false).
    int textSize() const { return m_textSize; }
    bool setTextSize(int points);

    // The colour sent with the player's own chat, and the entry's text colour.
    ChatColour textColour() const { return m_textColour; }
    void setTextColour(ChatColour colour);

    // "Warn before discard".
    bool warning() const { return m_warning; }
    void setWarning(bool on);
    // Turn Sound: New ("turnnew") instead of Classic ("turn").
    bool turnSoundNew() const { return m_turnSoundNew; }
    void setTurnSoundNew(bool on);
    // "Play Sounds": every game cue.
    bool playSounds() const { return m_playSounds; }
    void setPlaySounds(bool on);
    // "Play Chatter Sounds": the sounds players send.
    bool playChatterSounds() const { return m_playChatterSounds; }
    void setPlayChatterSounds(bool on);

    // The game options dialog's two positions, always within their ranges
    // (kPlayToScoreRange, kTimePerTurnRange): a value outside is brought to
    // the nearest bound.
    int playToScore() const { return m_playToScore; }
    void setPlayToScore(int value);
    int timePerTurn() const { return m_timePerTurn; }
    void setTimePerTurn(int value);
    // One step up (+1) or down (-1) from the current position, stopping at
    // the bounds: 300, 400 ... 20000, and 45, 55 ... 115, 120 upwards or
    // 120, 110 ... 50, 45 downwards.
    void stepPlayToScore(int steps);
    void stepTimePerTurn(int steps);

    // Phrase n (1..10): the text behind phrase button n; 10 is the sound
    // button's tooltip. Phrases start as the built-in ones.
    QString phrase(int n) const;
    void setPhrase(int n, const QString& text);
    static QString builtInPhrase(int n);

    // The main window's bounds as last read from or saved to the settings
    // file: closing saves only when the window's bounds differ from these.
    QRect windowBounds() const { return m_windowBounds; }
    void setWindowBounds(const QRect& bounds);

    // Ask before Start begins a new game while one runs, and before the
    // window closes during a game. Both on at first.
    bool confirmNewGame() const { return m_confirmNewGame; }
    void setConfirmNewGame(bool on);
    bool confirmLeave() const { return m_confirmLeave; }
    void setConfirmLeave(bool on);

    // The main window's zoom in percent (100 = the designed size), brought
    // into kMinZoom..kMaxZoom.
    int zoom() const { return m_zoom; }
    void setZoom(int percent);

    // The hosting player's computer players: how many take seats when he
    // starts a game, and their level (0..3, weakest first).
    int computerPlayers() const { return m_computerPlayers; }
    void setComputerPlayers(int count);
    int computerLevel() const { return m_computerLevel; }
    void setComputerLevel(int level);
    // The built-in word list the hosting player's host checks words against.
    BuiltinList wordList() const { return m_wordList; }
    void setWordList(BuiltinList list);

    // Asks the settings file to write every option (a change the player made).
    void save() { emit saveRequested(); }
    // Asks the settings file to read and apply the stored options (the own
    // login).
    void load() { emit loadRequested(); }

signals:
    void changed(gorse::GameOptions::Option option);
    // Phrase n changed (announced before changed(Option::Phrase)).
    void phraseChanged(int n);
    void saveRequested();
    void loadRequested();

private:
    template <typename T> void assign(T& field, const T& value, Option option);

    int m_textSize = kInitialTextSize;
    ChatColour m_textColour = kBlack;
    bool m_warning = false;
    bool m_turnSoundNew = false;
    bool m_playSounds = true;
    bool m_playChatterSounds = true;
    int m_playToScore = kPlayToScoreRange.initial;
    int m_timePerTurn = kTimePerTurnRange.initial;
    std::array<QString, kPhraseCount> m_phrases;
    QRect m_windowBounds;
    bool m_confirmNewGame = true;
    bool m_confirmLeave = true;
    int m_zoom = kMinZoom;
    int m_computerPlayers = 0;
    int m_computerLevel = 1;
    BuiltinList m_wordList = BuiltinList::Standard;
};

} // namespace gorse
