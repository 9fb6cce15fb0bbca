#pragma once

#include "sound/soundcues.h"

namespace gorse {

class ChatLog;
class GameOptions;
class SoundOutput;

// Decides what is heard: game cues play when "Play Sounds" is on, the turn
// cue as the chosen turn sound; chatter sounds play when "Play Chatter
// Sounds" is on, and otherwise are named in the chat.
class CueRouter : public SoundCues
{
public:
    // None is owned; output may be null (nothing is heard).
    CueRouter(GameOptions* options, SoundOutput* output, ChatLog* chat);

    void play(Cue cue) override;
    void chatter(const QString& sound, const std::optional<QString>& senderName) override;

private:
    GameOptions* m_options;
    SoundOutput* m_output;
    ChatLog* m_chat;
};

} // namespace gorse
