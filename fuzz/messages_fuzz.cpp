// Every reader of a message's fields, and the text helpers, on any bytes: a
// reader either gives a value or raises FieldError; nothing else may happen.
#include "net/messagequeue.h"
#include "net/messages.h"

#include <cstdint>
#include <cstdlib>

using namespace gorse;

namespace {

template <typename Reader> void read(const QByteArray& fields)
{
    try {
        (void)Reader::parse(fields);
    } catch (const FieldError&) {
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArray fields(reinterpret_cast<const char*>(data), qsizetype(size));
    read<msg::ConnOnly>(fields);
    read<msg::LoginInfo>(fields);
    read<msg::ConnText>(fields);
    read<msg::KickHim>(fields);
    read<msg::PlayASound>(fields);
    read<msg::StartGame>(fields);
    read<msg::GameStats>(fields);
    read<msg::TheCards>(fields);
    read<msg::StartRound>(fields);
    read<msg::SendWord>(fields);
    read<msg::Rejected>(fields);
    read<msg::TheWord>(fields);
    read<msg::PScore>(fields);
    read<msg::DiscardRequest>(fields);
    read<msg::DiscardResult>(fields);
    read<msg::EndRound>(fields);
    read<msg::Winner>(fields);
    (void)parseWordLog(fields);

    int number = 0;
    if (parseNumber(fields, number) && QByteArray::number(number) != fields &&
        !fields.startsWith("-0") && !fields.startsWith('0'))
        std::abort(); // a number read back differs from its text

    // Cutting UTF-8 never exceeds the bound and never splits a character.
    const int bound = size ? data[0] : 0;
    const QByteArray cut = cutUtf8(fields, bound);
    if (cut.size() > bound || !fields.startsWith(cut))
        std::abort();
    const QString text = fromWire(fields);
    const QString cutText = cutToUtf8(text, bound);
    if (toWire(cutText).size() > bound || !text.startsWith(cutText))
        std::abort();
    if (cleanPlayerName(fields).contains('+') || cleanPlayerName(fields).contains('\xFF') ||
        cleanChatText(fields).contains('\xFF'))
        std::abort();
    return 0;
}
