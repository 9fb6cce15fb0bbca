// What is heard: the sound switches, the turn sound, and chatter sounds
// played or named in the chat.
#include "chat/chatlog.h"
#include "settings/gameoptions.h"
#include "sound/cuerouter.h"
#include "sound/soundoutput.h"
#include "support/fakes.h"
#include "support/qtprint.h"

#include <QStringList>
#include <gtest/gtest.h>

using namespace gorse;
using gorse::test::RecordingOutput;

namespace {

struct Router
{
    GameOptions options;
    ChatLog chat{&options};
    RecordingOutput output;
    CueRouter router{&options, &output, &chat};
    QString chatText() const { return chat.plainText().trimmed(); }
};

} // namespace

TEST(CueRouter, GameCuesFollowPlaySoundsAndTheTurnSound)
{
    Router r;
    r.router.play(Cue::Turn);
    r.options.setTurnSoundNew(true);
    r.router.play(Cue::Turn);
    r.router.play(Cue::GoodWord);
    r.options.setPlaySounds(false);
    for (Cue cue : {Cue::Timer, Cue::Turn, Cue::Winner, Cue::Entered})
        r.router.play(cue);
    EXPECT_EQ(r.output.played, (QStringList{QStringLiteral("turn"), QStringLiteral("turnnew"),
                                            QStringLiteral("goodword")}));
    // Chatter sounds are not game cues: they still play.
    r.router.chatter(QStringLiteral("wave1"), QStringLiteral("Bob"));
    EXPECT_EQ(r.output.played.last(), QStringLiteral("wave1"));
    EXPECT_TRUE(r.chatText().isEmpty());
}

TEST(CueRouter, ChatterSoundsPlayOrAreNamedInTheChat)
{
    Router r;
    // Any letter case names the recording; other names are not chatter.
    r.router.chatter(QStringLiteral("WAVE20"), QStringLiteral("Bob"));
    r.router.chatter(QStringLiteral("goodword"), QStringLiteral("Bob"));
    r.router.chatter(QStringLiteral("wave21"), QStringLiteral("Bob"));
    EXPECT_EQ(r.output.played, QStringList{QStringLiteral("wave20")});

    r.options.setPlayChatterSounds(false);
    r.router.chatter(QStringLiteral("wave1"), QStringLiteral("Bob"));
    r.router.chatter(QStringLiteral("wave5"), QStringLiteral("<Waiting>"));
    r.router.chatter(QStringLiteral("wave2"), std::nullopt);          // a spy: no seat label
    r.router.chatter(QStringLiteral("wave0"), QStringLiteral("Bob")); // no such sound
    EXPECT_EQ(r.output.played.size(), 1);
    EXPECT_EQ(r.chat.plainText(), QStringLiteral("\r\nBob:  <Chatter Sound> Doh "
                                                 "\r\n<Waiting>:  <Chatter Sound> Where have "
                                                 "you been? "));
}

TEST(CueRouter, NothingIsHeardWithoutAnOutput)
{
    GameOptions options;
    ChatLog chat(&options);
    CueRouter router(&options, nullptr, &chat);
    router.play(Cue::Turn);
    router.chatter(QStringLiteral("wave3"), QStringLiteral("Ann"));
    EXPECT_EQ(chat.lineCount(), 0);
}
