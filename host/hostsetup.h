#pragma once

#include "dict/tdictn.h"

#include <QString>
#include <memory>
#include <optional>

namespace gorse {

// What a game host starts from, the same for the hosting copy of the game
// and for the dedicated host: the word list and the seed of the card deck.
struct HostSetup
{
    std::unique_ptr<TDictn> words;
    // Why the word list could not be read (every word is then rejected).
    QString wordsError;
    quint64 seed = 0;
};

// The word list is the file when one is given (no built-in list is then
// opened at all), else the chosen built-in list; the seed is the one given or
// one taken from the clock.
HostSetup prepareHost(const QString& wordsFile, std::optional<quint64> seed,
                      TDictn::BuiltinList list = TDictn::BuiltinList::Standard);

} // namespace gorse
