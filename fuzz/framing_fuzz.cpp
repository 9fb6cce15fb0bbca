// The framing cuts a byte stream into messages the same way however the
// stream was cut into reads: the input is framed whole and in pieces whose
// sizes the first bytes choose, and both must give the same messages and the
// same verdict on overlong lines.
#include "net/messagequeue.h"

#include <cstdint>
#include <cstdlib>

using namespace gorse;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 2)
        return 0;
    // A small piece size makes many reads; a large one few. The stream is
    // repeated to reach the length limit now and then.
    const size_t piece = 1 + (size_t(data[0]) << 8 | data[1]) % 4096;
    const int repeat = 1 + data[0] % 3;
    QByteArray stream;
    for (int i = 0; i < repeat; ++i)
        stream.append(reinterpret_cast<const char*>(data + 2), qsizetype(size - 2));
    if (data[1] & 1) // a long line now and then
        stream.insert(stream.size() / 2, QByteArray(kMaxLineLength - 100 + data[0], 'x'));

    FrameBuffer whole;
    QList<QByteArray> wholeLines;
    const bool wholeOk = whole.append(stream, wholeLines);

    FrameBuffer cut;
    QList<QByteArray> cutLines;
    bool cutOk = true;
    for (qsizetype at = 0; at < stream.size() && cutOk; at += qsizetype(piece))
        cutOk = cut.append(stream.mid(at, qsizetype(piece)), cutLines);

    if (wholeOk != cutOk || wholeLines != cutLines)
        std::abort();
    for (const QByteArray& line : wholeLines) {
        if (line.size() > kMaxLineLength || line.contains(kTerminator))
            std::abort();
    }
    if (wholeOk && (whole.pending() != cut.pending() || whole.pending() > kMaxLineLength))
        std::abort();
    return 0;
}
