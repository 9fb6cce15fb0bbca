// midwordclient PORT NAME: a player for the fault tests, run as a process of
// its own so that a test can kill it the hard way.
//
// It connects to the host on 127.0.0.1:PORT, logs in under NAME, waits for a
// round to start, plays the word of piles 1 and 2 and waits for its answer.
// Then it sends the start of its next word, the piles it has picked so far
// without the end of the message, writes "mid-word" on standard output and
// waits, reading nothing more, until it is killed. Exits 1 (with a line on
// standard error) if the host does not play along.
#include "net/messages.h"

#include <QCoreApplication>
#include <QHostAddress>
#include <QTcpSocket>

#include <cstdio>
#include <unistd.h>

using namespace gorse;

namespace {

[[noreturn]] void fail(const char* what)
{
    std::fprintf(stderr, "midwordclient: %s\n", what);
    std::exit(1);
}

// The host's messages, one at a time, as they arrive.
class Inbox
{
public:
    explicit Inbox(QTcpSocket& socket) : m_socket(socket) {}

    // The next message starting with prefix; those before it are skipped.
    QByteArray next(const QByteArray& prefix)
    {
        for (;;) {
            while (!m_lines.isEmpty()) {
                const QByteArray line = m_lines.takeFirst();
                if (line.startsWith(prefix))
                    return line;
            }
            if (!m_socket.waitForReadyRead(20000))
                fail("the host went quiet or closed the connection");
            if (!m_frames.append(m_socket.readAll(), m_lines))
                fail("the host sent an endless line");
        }
    }

private:
    QTcpSocket& m_socket;
    FrameBuffer m_frames;
    QList<QByteArray> m_lines;
};

void write(QTcpSocket& socket, const QByteArray& bytes)
{
    socket.write(bytes);
    if (!socket.waitForBytesWritten(5000))
        fail("could not send");
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    if (argc != 3) {
        std::fprintf(stderr, "usage: midwordclient PORT NAME\n");
        return 2;
    }
    bool ok = false;
    const uint port = QByteArray(argv[1]).toUInt(&ok);
    if (!ok || port == 0 || port > 65535)
        fail("PORT must be a number from 1 to 65535");
    const QByteArray name = cleanPlayerName(argv[2]);

    QTcpSocket socket;
    socket.connectToHost(QHostAddress(QHostAddress::LocalHost), quint16(port));
    if (!socket.waitForConnected(5000))
        fail("cannot connect");
    Inbox inbox(socket);

    const QByteArray hello = inbox.next(msg::name::sendlogininfo + '+');
    const int own = msg::ConnOnly::parse(hello.mid(msg::name::sendlogininfo.size() + 1)).conn;
    write(socket, frame(msg::logininfo(own, kVersionText, name)));
    inbox.next(msg::newplayerinfo(own, name));

    inbox.next(msg::name::startround + '+');
    write(socket, frame(msg::sendword(own, {1, 2})));
    inbox.next(msg::name::theword + '+' + QByteArray::number(own) + '+');

    // Piles 3 and 4 picked, and the message cut off before the end.
    const QByteArray word = msg::sendword(own, {3, 4});
    write(socket, word.left(word.lastIndexOf('+') + 1));
    std::puts("mid-word");
    std::fflush(stdout);
    for (;;)
        ::pause();
}
