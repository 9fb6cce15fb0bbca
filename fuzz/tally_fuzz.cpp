// The tally file's decoder on any bytes, and the coder on the same bytes:
// decoding either gives text or raises ELzrw1Exception, the text is read as
// a grid or refused, and whatever is coded decodes to itself.
#include "tally/gridtext.h"
#include "tally/lzrw1.h"

#include <cstdint>
#include <cstdlib>

using namespace gorse;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArrayView bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    try {
        const QByteArray text = Tlzrw1::Decompress(bytes, QStringLiteral("fuzz.tld"));
        QString why;
        if (const auto grid = LoadGridText(text, &why))
            (void)SaveGridText(*grid);
    } catch (const ELzrw1Exception&) {
    }
    QString why;
    if (const auto grid = LoadGridText(bytes.toByteArray(), &why))
        (void)SaveGridText(*grid);

    if (Tlzrw1::Decompress(Tlzrw1::Compress(bytes), QStringLiteral("fuzz.tld")) != bytes)
        std::abort();
    return 0;
}
