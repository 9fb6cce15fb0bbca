#include "chat/chatinput.h"

#include <QElapsedTimer>
#include <memory>

namespace gorse {

namespace {

// The UTF-8 bytes of the character at text[i], and how many UTF-16 units it
// takes there. A lone surrogate counts as a replacement character.
int characterBytes(QStringView text, qsizetype i, int* units)
{
    const char16_t unit = text.at(i).unicode();
    *units = 1;
    if (unit < 0x80)
        return 1;
    if (unit < 0x800)
        return 2;
    if (QChar::isHighSurrogate(unit) && i + 1 < text.size() &&
        QChar::isLowSurrogate(text.at(i + 1).unicode())) {
        *units = 2;
        return 4;
    }
    return 3;
}

} // namespace

qsizetype utf8Length(QStringView text)
{
    qsizetype bytes = 0;
    int units = 1;
    for (qsizetype i = 0; i < text.size(); i += units)
        bytes += characterBytes(text, i, &units);
    return bytes;
}

QString fitUtf8(const QString& text, qsizetype limit)
{
    qsizetype bytes = 0;
    qsizetype i = 0;
    int units = 1;
    while (i < text.size()) {
        const int size = characterBytes(text, i, &units);
        if (bytes + size > limit)
            break;
        bytes += size;
        i += units;
    }
    return text.left(i);
}

PhraseLock::PhraseLock(Clock clock) : m_clock(std::move(clock))
{
    if (!m_clock) {
        auto started = std::make_shared<QElapsedTimer>();
        started->start();
        m_clock = [started] { return started->elapsed(); };
    }
}

bool PhraseLock::locked() const
{
    return m_takenAt && m_clock() - *m_takenAt < kLockMs;
}

bool PhraseLock::take()
{
    if (locked())
        return false;
    m_takenAt = m_clock();
    return true;
}

} // namespace gorse
