#include "game/botlevel.h"

#include "game/rules.h"

namespace gorse {

QString botLevelName(BotLevel level)
{
    switch (level) {
    case BotLevel::Beginner:
        return QStringLiteral("Beginner");
    case BotLevel::Casual:
        return QStringLiteral("Casual");
    case BotLevel::Strong:
        return QStringLiteral("Strong");
    case BotLevel::Expert:
        return QStringLiteral("Expert");
    }
    return {};
}

std::optional<BotLevel> botLevelFromName(QStringView text)
{
    const QStringView trimmed = text.trimmed();
    for (int i = 0; i < kBotLevelCount; ++i) {
        const auto level = BotLevel(i);
        if (trimmed.compare(botLevelName(level), Qt::CaseInsensitive) == 0 ||
            trimmed == QString::number(i + 1))
            return level;
    }
    return std::nullopt;
}

QByteArray botName(int seat)
{
    // The host's fallback names of seats 2..6.
    static const char* const kNames[kSeatCount] = {"Kloon", "Klot",  "Klock",
                                                   "Kling", "Klick", "Krazy"};
    return isSeat(seat) ? QByteArray(kNames[seat - 1]) : QByteArray();
}

} // namespace gorse
