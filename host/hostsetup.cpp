#include "host/hostsetup.h"

#include "game/carddeck.h"

namespace gorse {

HostSetup prepareHost(const QString& wordsFile, std::optional<quint64> seed,
                      TDictn::BuiltinList list)
{
    HostSetup setup;
    if (wordsFile.isEmpty()) {
        setup.words = std::make_unique<TDictn>(list);
        setup.wordsError = setup.words->errorString();
    } else {
        setup.words = std::make_unique<TDictn>(QByteArray());
        setup.wordsError = setup.words->loadFile(wordsFile);
    }
    setup.seed = seed.value_or(CardDeck::clockSeed());
    return setup;
}

} // namespace gorse
