#include "net/wiretext.h"

#include "net/messagequeue.h"

namespace gorse {

QByteArray frame(QByteArray message)
{
    message.append(kTerminator);
    return message;
}

QByteArray toWire(const QString& text)
{
    return text.toUtf8();
}

QString fromWire(const QByteArray& bytes)
{
    return QString::fromUtf8(bytes);
}

QString cutToUtf8(const QString& text, int maxBytes)
{
    qsizetype bytes = 0;
    qsizetype i = 0;
    while (i < text.size()) {
        const char16_t c = text.at(i).unicode();
        qsizetype units = 1;
        int size = 1;
        if (c >= 0x800) {
            size = 3;
            if (QChar::isHighSurrogate(c) && i + 1 < text.size() &&
                QChar::isLowSurrogate(text.at(i + 1).unicode())) {
                units = 2;
                size = 4;
            }
        } else if (c >= 0x80) {
            size = 2;
        }
        if (bytes + size > maxBytes)
            break;
        bytes += size;
        i += units;
    }
    return text.left(i);
}

QByteArray cutUtf8(const QByteArray& bytes, int maxBytes)
{
    if (bytes.size() <= maxBytes)
        return bytes;
    qsizetype end = std::max(maxBytes, 0);
    // Back over continuation bytes to the start of the character cut in two.
    while (end > 0 && (uchar(bytes.at(end)) & 0xC0) == 0x80)
        --end;
    return bytes.left(end);
}

QByteArray cleanPlayerName(const QByteArray& raw)
{
    QByteArray name = raw;
    name.replace('+', QByteArray());
    name.replace(kTerminator, QByteArray());
    return name;
}

QByteArray cleanChatText(const QByteArray& raw)
{
    QByteArray text = raw;
    text.replace(kTerminator, QByteArray());
    return text;
}

} // namespace gorse
