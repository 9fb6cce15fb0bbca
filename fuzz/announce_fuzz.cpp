// A lobby's reading of any datagram: it is taken or refused, and a table it
// takes is sent again as an announcement that reads back as a table.
#include "net/tableannounce.h"

#include <cstdint>
#include <cstdlib>

using namespace gorse;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    QString why;
    const auto datagram = parseDatagram(bytes, &why);
    if (!datagram || datagram->kind != Datagram::Kind::Table)
        return 0;
    const QByteArray again = encodeAnnouncement(datagram->table);
    const auto reread = parseDatagram(again, &why);
    if (!reread || reread->kind != Datagram::Kind::Table || again.size() > kMaxDatagramSize)
        std::abort();
    return 0;
}
