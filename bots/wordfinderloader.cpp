#include "bots/wordfinderloader.h"

#include "bots/wordfinder.h"
#include "client/board.h"
#include "dict/tdictn.h"

#include <chrono>

namespace gorse {

WordFinderLoader::WordFinderLoader(QString wordsFile) : m_wordsFile(std::move(wordsFile))
{
}

WordFinderLoader::~WordFinderLoader()
{
    if (m_build.valid())
        m_build.wait();
}

void WordFinderLoader::prepare()
{
    if (m_build.valid())
        return;
    // The large list only adds rare words, so a finder of the standard one
    // (or of the player's own file) serves either.
    m_build = std::async(std::launch::async, [wordsFile = m_wordsFile] {
                  TDictn words;
                  if (!wordsFile.isEmpty())
                      words.loadFile(wordsFile);
                  return WordFinder::withCommonWords(words);
              }).share();
}

std::shared_ptr<const WordFinder> WordFinderLoader::ifReady()
{
    prepare();
    if (m_build.wait_for(std::chrono::seconds(0)) != std::future_status::ready)
        return nullptr;
    return m_build.get();
}

std::shared_ptr<const WordFinder> WordFinderLoader::get()
{
    prepare();
    return m_build.get();
}

void WordFinderLoader::serveSuggestions(Board* board)
{
    board->setSuggester(
        [this](const std::array<int, kPileCount>& cards) -> std::optional<Board::Suggestion> {
            const auto finder = ifReady();
            const auto best = finder ? finder->best(cards) : std::nullopt;
            if (!best)
                return std::nullopt;
            return Board::Suggestion{QString::fromLatin1(best->word), best->points};
        });
    QObject::connect(board, &Board::showGameOptions, [this] { prepare(); });
    QObject::connect(board, &Board::changed, [this, board] {
        if (board->gameRunning() && !board->watching())
            prepare();
    });
}

} // namespace gorse
