// fuzz_seeds DIR: writes a seed corpus for every fuzz target into DIR/<name>,
// from the golden game transcript (what each player received in a whole
// game) and from the game's own message builders.
#include "game/rules.h"
#include "net/messages.h"
#include "net/tableannounce.h"
#include "tally/gridtext.h"
#include "tally/lzrw1.h"

#include <QDir>
#include <QFile>
#include <QList>
#include <cstdio>

using namespace gorse;

namespace {

QString root;
int written = 0;

void seed(const char* target, const QByteArray& bytes)
{
    const QString folder = root + QLatin1Char('/') + QLatin1String(target);
    QDir().mkpath(folder);
    static int serial = 0;
    QFile file(folder + QStringLiteral("/seed-%1").arg(++serial, 4, 10, QLatin1Char('0')));
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size()) {
        std::fprintf(stderr, "fuzz_seeds: cannot write %s\n", qPrintable(file.fileName()));
        std::exit(1);
    }
    ++written;
}

// What each client received, from the transcript's "== client N" sections.
QList<QList<QByteArray>> goldenStreams()
{
    QFile file(QStringLiteral(GORSE_GOLDEN_GAME));
    if (!file.open(QIODevice::ReadOnly)) {
        std::fprintf(stderr, "fuzz_seeds: cannot read %s\n", GORSE_GOLDEN_GAME);
        std::exit(1);
    }
    QList<QList<QByteArray>> streams;
    for (QByteArray line : file.readAll().split('\n')) {
        if (line.startsWith("== "))
            streams.emplace_back();
        else if (!line.isEmpty() && !streams.isEmpty())
            streams.last().append(line);
    }
    return streams;
}

QByteArray framed(const QList<QByteArray>& lines)
{
    QByteArray out;
    for (const QByteArray& line : lines)
        out += frame(line);
    return out;
}

// The host target's input: [connection byte][length byte][bytes], long
// messages in several chunks. Bit 1 of the connection byte moves the round
// clock, bit 2 lets the event loop turn.
QByteArray chunks(const QList<std::pair<int, QByteArray>>& sends)
{
    QByteArray out;
    for (const auto& [conn, message] : sends) {
        const QByteArray bytes = frame(message);
        for (qsizetype at = 0; at < bytes.size(); at += 255) {
            const QByteArray piece = bytes.mid(at, 255);
            out += char(conn);
            out += char(piece.size());
            out += piece;
        }
    }
    return out;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: fuzz_seeds DIR\n");
        return 2;
    }
    root = QString::fromLocal8Bit(argv[1]);

    const auto streams = goldenStreams();
    for (const auto& stream : streams) {
        seed("framing", QByteArray("\x01\x07") + framed(stream));
        seed("client", framed(stream));
        for (const QByteArray& line : stream) {
            const qsizetype plus = line.indexOf('+');
            if (plus > 0)
                seed("messages", line.mid(plus + 1));
            if (line.startsWith("CMD_chat+") || line.startsWith("CMD_action+"))
                seed("chatline", line.mid(plus + 1));
        }
    }
    seed("chatline", "3+Cy chats: look :)#3 at www.example.com/x and http://a.b/ ;)#|clNavy");
    seed("chatline", "0+\n9+Spy chats: :P#12 https://example.org|$00ABCDEF");

    const QByteArray version(kVersionText);
    const int a = 0, b = 1, tick = 2, turn = 4;
    seed("host", chunks({{a, msg::logininfo(1, version, "Ann")},
                         {b, msg::logininfo(2, version, "Bob")},
                         {a, msg::chat(1, "Ann chats: hi|clBlack")},
                         {b | turn, msg::action(2, "Bob waves|$00123456")},
                         {b, msg::playasound(2, 3)},
                         {a | turn, msg::startgame("Ann", 300, 45)},
                         {a, msg::sendword(1, {1, 2, 3})},
                         {b | tick, msg::discard(2, 4)},
                         {a | tick | turn, msg::sendword(1, {5, 6})},
                         {a, msg::kickhim(1, 2)}}));
    seed("host", chunks({{a, msg::logininfo(1, "0.9", "Old")},
                         {b, msg::logininfo(2, version, "New")},
                         {b, msg::startgame("New", 500, 60)},
                         {b, msg::chat(2, QByteArray(600, 'x') + "|clRed")}}));

    seed("ini", "; settings\r\n[Other]\r\nKeep=this\r\n[Gorse]\r\nChatTextSize=12\r\n"
                "ChatColor=clNavy\r\nTop=0x20\r\nLeft=$40\r\nPlaySounds=true\r\n"
                "Phrase1=/me waves\r\nWarning=false\r\n[Last]\r\n");
    seed("ini",
         "[gorse]\nchattextsize=-5\nTurnSound=TRUE\nPhrase10=" + QByteArray(3000, 'p') + "\n");

    StringGrid grid;
    grid.columns = 3;
    grid.rows = {{QStringLiteral("Words"), QStringLiteral("Ann"), QStringLiteral("Bob")},
                 {QStringLiteral("QUIT"), QStringLiteral("12"), QStringLiteral("3")}};
    const QByteArray text = SaveGridText(grid);
    seed("tally", Tlzrw1::Compress(text));
    seed("tally", Tlzrw1::Compress(text.repeated(200)));
    seed("tally", text);

    TableAnnouncement table;
    table.id = QStringLiteral("a1b2c3d4");
    table.name = QStringLiteral("Ann");
    table.port = 7772;
    table.seats[0] = QStringLiteral("Ann");
    table.seats[2] = QStringLiteral("Cy");
    table.spies = 1;
    table.running = true;
    table.round = 3;
    table.version = QString::fromLatin1(kVersionText);
    seed("announce", encodeAnnouncement(table));
    seed("announce", encodeQuery());

    std::printf("fuzz_seeds: %d seeds in %s\n", written, argv[1]);
    return 0;
}
