#pragma once

#include <QString>
#include <optional>

namespace gorse {

// The game's sound cues. Which recording a cue plays, and whether it plays
// at all, is the sound router's business (the options "Play Sounds" and
// "Turn Sound").
enum class Cue {
    Entered,   // a player or spy is announced, the own login included
    Turn,      // a round starts for a seated player
    Place,     // a card goes into the word being built
    Clear,     // the word being built is cleared
    GoodWord,  // the host accepted the player's word
    BadWord,   // the host rejected it
    Shift,     // the host confirmed a discard
    Timer,     // a tick of the last seconds of the turn clock
    RoundOver, // the round results are shown
    Winner,    // the winner is announced
    GameOver,  // the game ended, for a seated player
};

// The recording's name of a cue ("entered", "goodword"...). Turn gives
// "turn", the Classic turn sound.
QString cueName(Cue cue);

// The chatter sounds players send, numbered 1..20: "Doh", "Cough" ... and
// their recordings "wave1".."wave20". An empty name outside 1..20.
inline constexpr int kChatterSoundCount = 20;
QString chatterSoundName(int n);
// The number of a chatter sound's recording name ("wave3", in any letter
// case), or 0 when the text names none.
int chatterSoundNumber(const QString& recording);

// What the client asks of the sound: a game cue, and a chatter sound a
// player sent.
class SoundCues
{
public:
    virtual ~SoundCues() = default;
    virtual void play(Cue cue) = 0;
    // A chatter sound (its recording's name as the host relayed it,
    // "wave1".."wave20") sent by the player whose seat label shows
    // senderName; no name when the sender has no seat label.
    virtual void chatter(const QString& sound, const std::optional<QString>& senderName) = 0;
};

} // namespace gorse
