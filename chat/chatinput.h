#pragma once

// What the chat input may send: texts cut to fit the length a message may
// carry, and the lock that lets the phrase buttons send one phrase every two
// seconds.

#include "game/rules.h"

#include <QString>
#include <QStringView>
#include <functional>
#include <optional>

namespace gorse {

// Room kept behind the typed text for what goes with it: "|" and the
// longest colour text ("$" and eight digits, or a name such as "clFuchsia"),
// and the "says: " in front of a phrase.
inline constexpr int kChatSuffixRoom = 16;
// The most UTF-8 bytes the chat entry holds, so that everything after the
// sender's number ("says: ", the text, "|" and the colour) stays within
// kMaxChatText on the wire, well inside what the host relays.
inline constexpr int kChatEntryLimit = kMaxChatText - kChatSuffixRoom;
// The most characters a phrase holds (the phrase editor's edits).
inline constexpr int kPhraseLength = 50;

// The number of bytes the text takes in UTF-8.
qsizetype utf8Length(QStringView text);
// The longest start of text whose UTF-8 takes at most limit bytes. A
// character is never cut in two (a surrogate pair stays whole or goes).
QString fitUtf8(const QString& text, qsizetype limit);

// One phrase per two seconds: take() succeeds when the last successful
// take() is at least kLockMs ago, and a click within the lock is lost.
class PhraseLock
{
public:
    // Milliseconds from any fixed start, never going back.
    using Clock = std::function<qint64()>;
    static constexpr qint64 kLockMs = 2000;

    // Without a clock the lock uses a monotonic one.
    explicit PhraseLock(Clock clock = {});

    bool locked() const;
    // True (and the lock is on for the next two seconds) when it was free.
    bool take();

private:
    Clock m_clock;
    std::optional<qint64> m_takenAt;
};

} // namespace gorse
