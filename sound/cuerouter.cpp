#include "sound/cuerouter.h"

#include "chat/chatlog.h"
#include "settings/gameoptions.h"
#include "sound/soundoutput.h"

namespace gorse {

CueRouter::CueRouter(GameOptions* options, SoundOutput* output, ChatLog* chat)
    : m_options(options), m_output(output), m_chat(chat)
{
}

void CueRouter::play(Cue cue)
{
    if (!m_options->playSounds() || !m_output)
        return;
    if (cue == Cue::Turn && m_options->turnSoundNew())
        m_output->play(QStringLiteral("turnnew"));
    else
        m_output->play(cueName(cue));
}

void CueRouter::chatter(const QString& sound, const std::optional<QString>& senderName)
{
    // Only the chatter recordings can be asked for this way.
    const int number = chatterSoundNumber(sound);
    if (number == 0)
        return;
    if (m_options->playChatterSounds()) {
        if (m_output)
            m_output->play(QStringLiteral("wave") + QString::number(number));
        return;
    }
    // Without a seat label there is nothing to name the sender by.
    if (senderName && m_chat)
        m_chat->addSystemLine(*senderName + QStringLiteral(": <Chatter Sound> ") +
                              chatterSoundName(number));
}

} // namespace gorse
