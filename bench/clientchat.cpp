// bench_clientchat: how long a player's window takes for a burst of hostile
// chat, as a host relays it.
//
//   bench_clientchat [--lines N]
//
// A client session with the real chat pane and spy list (offscreen) takes
// N relayed messages (10,000 by default) in one go: first chats that
// alternate between two colours and the same spy logging in again and
// again; then the same with a quarter of the chats the longest a host
// relays (1,000 bytes), full of smilies and links. Each into an empty
// history and into a full one (5,000 lines), from the bytes arriving to
// the last line being in the pane; prints the seconds and processor time.
#include "chat/chatlog.h"
#include "client/chatpane.h"
#include "client/clientsession.h"
#include "net/messages.h"
#include "settings/gameoptions.h"
#include "windows/tspylist.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QScrollBar>

#include <cstdio>
#include <cstring>
#include <ctime>

using namespace gorse;

namespace {

double cpuSeconds()
{
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return double(t.tv_sec) + double(t.tv_nsec) / 1e9;
}

// The hostile burst: what one player can make the host relay to everybody.
QByteArray hostileBurst(int lines, bool long_)
{
    QByteArray bytes;
    const QByteArray filler =
        QByteArray("look :)#12 www.example.org/") + QByteArray(60, 'x') + " :)#20 ";
    for (int i = 0; i < lines; ++i) {
        switch (long_ ? i % 4 : (i % 3 == 2 ? 3 : i % 3)) {
        case 0:
            bytes += frame(msg::chatRelay(3, "Mal", "red " + QByteArray::number(i) + "|clRed"));
            break;
        case 1:
            bytes += frame(msg::chatRelay(3, "Mal", "blue " + QByteArray::number(i) + "|clBlue"));
            break;
        case 2: {
            QByteArray text;
            while (text.size() + filler.size() < kMaxChatText)
                text += filler;
            bytes += frame(msg::actionRelay(
                3, "Mal", text + "|$00" + QByteArray::number(i % 90 + 10) + "2030"));
            break;
        }
        default:
            bytes += frame(msg::newplayerinfo(8, "Mal"));
            break;
        }
    }
    // The last line tells the measurement that everything was handled.
    return bytes + frame(msg::chatRelay(4, "Ann", "end-of-burst|clBlack"));
}

struct Window
{
    GameOptions options;
    ChatLog chat{&options};
    ClientSession session{&chat, nullptr, &options};
    ChatPane pane{&chat};
    Tspylist spies{&session};

    Window()
    {
        pane.resize(252, 280);
        pane.show();
        spies.show();
        session.receiveBytes(frame(msg::sendlogininfo(2)));
        session.processQueued();
    }

    double run(const QByteArray& bytes, double* cpu)
    {
        QElapsedTimer clock;
        clock.start();
        const double cpuBefore = cpuSeconds();
        session.receiveBytes(bytes);
        // The event loop works the queue off in its turns, and paints.
        while (!sessionIdle())
            QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
        // The last lines reach the pane, which is drawn.
        QCoreApplication::processEvents();
        pane.viewport()->repaint();
        *cpu = cpuSeconds() - cpuBefore;
        return double(clock.nsecsElapsed()) / 1e9;
    }

    bool sessionIdle()
    {
        // processQueued() would do it in one go; the turns are what a window sees.
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        return !chat.pieces().isEmpty() &&
               chat.pieces().last().text == QStringLiteral("end-of-burst ");
    }
};

} // namespace

int main(int argc, char** argv)
{
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    int lines = 10000;
    if (argc == 3 && std::strcmp(argv[1], "--lines") == 0)
        lines = std::max(100, std::atoi(argv[2]));
    for (const bool longLines : {false, true}) {
        const QByteArray burst = hostileBurst(lines, longLines);
        for (const bool full : {false, true}) {
            Window w;
            if (full) {
                QByteArray history;
                for (int i = 0; i < ChatLog::kMaxLines; ++i)
                    history += frame(msg::chatRelay(4, "Ann", "an earlier line|clGreen"));
                w.session.receiveBytes(history);
                w.session.processQueued();
                QCoreApplication::processEvents();
            }
            double cpu = 0;
            const double seconds = w.run(burst, &cpu);
            std::printf("client, %d hostile lines (%s) into %s history: %.2f s (%.2f s of "
                        "processor); %d lines kept, %lld spy entries\n",
                        lines,
                        longLines ? "a quarter of them 1,000 bytes of smilies and links"
                                  : "colours alternating, a spy logging in again and again",
                        full ? "a full" : "an empty", seconds, cpu, w.chat.lineCount(),
                        static_cast<long long>(w.session.table()->spies().size()));
        }
    }
    return 0;
}
