#pragma once

// The client's core as tests build it: a host scripted message by message,
// the GameClient with recording fakes, and a word list for whole games.

#include "client/gameclient.h"
#include "support/fakes.h"

#include <QByteArray>
#include <QStringList>
#include <QTcpServer>
#include <QTcpSocket>

namespace gorse::test {

// The host says message (without terminator): the session receives it and
// works it off at once.
void hostSays(ClientSession& session, const QByteArray& message);

// The chat pane's lines as plain text, one entry per line.
QStringList chatLines(const ChatLog& log);

// A word list of every word made of two card faces, and nothing else: any
// two piles make a word, a single letter never does.
QByteArray twoCardWords();

// A GameClient with recording options, sound cues and tally; the board's
// clock is worked by hand. It may connect to a bare loopback listener that
// stands in for the host and keeps what the client sent.
struct ClientCore
{
    RecordingOptions options;
    RecordingSound sound;
    RecordingTally tally;
    GameClient client{&options, {.cues = &sound, .tally = &tally}};
    ClientSession& session = *client.session();
    ChatLog& chat = *client.chat();
    Board& board = *client.board();

    QTcpServer host;
    QTcpSocket* peer = nullptr;
    QByteArray fromClient;

    ClientCore() { board.setAutoClock(false); }
    // Connects the session to the stand-in host under name; false when it
    // did not connect.
    bool connect(const QString& name = QStringLiteral("Bob"));
    void hostSays(const QByteArray& message) { test::hostSays(session, message); }
};

} // namespace gorse::test
