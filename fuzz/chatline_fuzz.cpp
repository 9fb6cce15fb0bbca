// The chat-line reader on any text: a relayed chat or action, a line of a
// connection, with smilies and links, in a log that keeps few lines so that
// trimming runs too. The document positions it reports must stay in range.
#include "chat/chatlog.h"
#include "net/messages.h"
#include "settings/gameoptions.h"

#include <QCoreApplication>
#include <cstdint>
#include <cstdlib>

using namespace gorse;

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv)
{
    new QCoreApplication(*argc, *argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    GameOptions options;
    ChatLog chat(&options);
    chat.setMaxLines(4);
    const QString text = fromWire(QByteArray(reinterpret_cast<const char*>(data), qsizetype(size)));
    // Lines as they arrive one after another: cut at the line breaks of the input.
    for (const QString& line : text.split(QLatin1Char('\n'))) {
        chat.chatrecieved(line);
        chat.addlinetochat(line, ChatColour{});
    }
    if (const auto colour = colourFromText(text.section(QLatin1Char('|'), -1)))
        if (colourFromText(colourToText(*colour)) != colour)
            std::abort(); // a colour does not survive its own text
    qsizetype length = 0;
    for (const ChatPiece& piece : chat.pieces()) {
        length += piece.length();
        if (piece.kind == ChatPiece::Kind::Image &&
            (piece.image < 0 || piece.image >= ChatLog::kSmileyCount))
            std::abort();
        if (piece.kind == ChatPiece::Kind::Link &&
            (piece.link < 0 || piece.link >= ChatLog::kLinkCount))
            std::abort();
        if (piece.style < 0 || piece.style >= ChatLog::kStyleCount)
            std::abort();
    }
    if (length != chat.length() || chat.lineCount() > chat.maxLines())
        std::abort();
    (void)chat.plainText(length / 3, length);
    for (int link = -1; link <= chat.linkCounter() && link < ChatLog::kLinkCount; ++link)
        (void)chat.linkUrl(link);
    return 0;
}
