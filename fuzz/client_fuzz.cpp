// A player's program taking any bytes from its host: the session, the table,
// the board and the chat, wired as in the game, read the input as received
// messages and work them off; then the round clock runs out and the player
// clicks every pile. Nothing may fail, whatever the numbers in the messages.
#include "client/gameclient.h"
#include "settings/gameoptions.h"

#include <QCoreApplication>
#include <cstdint>

using namespace gorse;

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv)
{
    new QCoreApplication(*argc, *argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    GameOptions options;
    GameClient client(&options);
    ClientSession& session = *client.session();
    Board& board = *client.board();
    board.setAutoClock(false);

    session.receiveBytes(QByteArray(reinterpret_cast<const char*>(data), qsizetype(size)));
    session.processQueued();
    for (int pile = 1; pile <= kPileCount; ++pile)
        board.pileClicked(pile, pile % 2 ? Qt::LeftButton : Qt::RightButton);
    for (int second = 0; second < 3; ++second)
        board.turntimeTimer();
    (void)client.chat()->plainText();
    (void)session.loadchecklist();
    return 0;
}
