// The host's handling of what its connections send, through its real
// sockets and dispatch: a fresh host on 127.0.0.1 with a word list of its
// own, two connections, and the input cut into chunks that go to one or the
// other ([connection byte][length byte][bytes]). The host must neither fail
// nor stop answering: after the input, a third connection still gets its
// number.
#include "dict/tdictn.h"
#include "game/rules.h"
#include "host/tserver.h"
#include "net/messages.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTcpSocket>
#include <cstdint>
#include <cstdlib>
#include <memory>

using namespace gorse;

namespace {

QCoreApplication* app = nullptr;

std::unique_ptr<TDictn> words()
{
    QByteArray records;
    for (const char* word : {"AN", "ANT", "BAT", "CAT", "DOG", "QUIT", "THE", "TREE"}) {
        QByteArray record(word);
        record.resize(15, '\0');
        records += record;
    }
    return std::make_unique<TDictn>(records);
}

template <typename Pred> bool spin(Pred done, int ms)
{
    QElapsedTimer clock;
    clock.start();
    while (!done()) {
        if (clock.elapsed() > ms)
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    }
    return true;
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv)
{
    app = new QCoreApplication(*argc, *argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    TServer server(words(), 7);
    server.setRealTimeClock(false);
    server.startListening(0, QHostAddress::LocalHost);
    const quint16 port = server.listeningPort();

    QTcpSocket a, b;
    a.connectToHost(QHostAddress::LocalHost, port);
    if (!spin([&] { return a.bytesAvailable() > 0; }, 2000))
        std::abort(); // the first connection was never given its number
    b.connectToHost(QHostAddress::LocalHost, port);
    if (!spin([&] { return b.bytesAvailable() > 0; }, 2000))
        std::abort();

    size_t at = 0;
    while (at + 2 <= size) {
        const uint8_t which = data[at];
        const size_t length = std::min<size_t>(data[at + 1], size - at - 2);
        const QByteArray chunk(reinterpret_cast<const char*>(data + at + 2), qsizetype(length));
        at += 2 + length;
        QTcpSocket& to = (which & 1) ? b : a;
        if (to.state() == QAbstractSocket::ConnectedState)
            to.write(chunk);
        if (which & 2) // the round clock moves now and then
            server.timer1Timer();
        if (which & 4)
            QCoreApplication::processEvents();
    }
    a.flush();
    b.flush();
    // Let the host take in and handle everything sent.
    spin([&] { return a.bytesToWrite() == 0 && b.bytesToWrite() == 0; }, 500);
    spin([&] { return false; }, 2);
    spin([&] { return server.messagesQueued() == 0; }, 2000);

    QTcpSocket c;
    c.connectToHost(QHostAddress::LocalHost, port);
    if (!spin([&] { return c.bytesAvailable() > 0; }, 2000))
        std::abort(); // the host stopped answering
    const QByteArray welcome = c.readAll();
    if (!welcome.startsWith("CMD_sendlogininfo+") && !welcome.startsWith("CMD_full+"))
        std::abort();
    return 0;
}
