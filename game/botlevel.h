#pragma once

// The computer players' levels, as a hosting player chooses them, and the
// names computer players take.

#include <QByteArray>
#include <QString>
#include <QStringView>
#include <optional>

namespace gorse {

enum class BotLevel { Beginner, Casual, Strong, Expert };
inline constexpr int kBotLevelCount = 4;

// "Beginner", "Casual", "Strong", "Expert".
QString botLevelName(BotLevel level);
// A level's name in any letter case, or its number 1..4.
std::optional<BotLevel> botLevelFromName(QStringView text);

// The name a computer player takes in a seat: the names the host falls back
// on for seats 2..6 ("Klot" .. "Krazy"); "Kloon" in seat 1, which has none.
QByteArray botName(int seat);

} // namespace gorse
