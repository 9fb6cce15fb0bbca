#include "bots/botlevel.h"

#include "net/rules.h"

#include <array>

namespace gorse {

namespace {

// Tuned with the round simulation (bench_wordfinder prints each level's
// points per round). Rarity caps are sizes of the common-word lists:
// 20 holds everyday words, 35 those of a good general vocabulary, 50 most
// words an avid reader knows.
constexpr std::array<BotTraits, kBotLevelCount> kTraits = {{
    // Beginner: short everyday words, slow, misses a lot, throws away any card.
    {4, 20, 0.30, 0.70, 0.25, 9000, 16000, 2, 0, DiscardSense::Any},
    // Casual: everyday words up to six letters.
    {6, 35, 0.45, 0.80, 0.50, 6500, 12000, 2, 0, DiscardSense::HardCard},
    // Strong: a wide vocabulary up to eight letters, rarely misses.
    {8, 50, 0.80, 0.90, 0.75, 4500, 8500, 1, 0, DiscardSense::FewestWords},
    // Expert: the whole list, close to the best word every few seconds.
    {14, 100, 1.00, 1.00, 0.85, 3000, 6000, 0, 0, DiscardSense::FewestWords},
}};

} // namespace

const BotTraits& botTraits(BotLevel level)
{
    return kTraits[size_t(level)];
}

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
