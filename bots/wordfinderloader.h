#pragma once

#include <QString>
#include <future>
#include <memory>

namespace gorse {

class Board;
class WordFinder;

// The word finder of the player's word list, built once, in the background,
// when it is first wanted. Building it takes a processor for a tenth of a
// second and about ten megabytes, which a program that is only starting, or
// whose player only watches, does not need: the suggestions after a round
// and the computer players do.
//
// Used from one thread (the one that owns it).
class WordFinderLoader
{
public:
    // The words of a list file (in the 15-byte record format), or of the
    // built-in list when wordsFile is empty, with the built-in rarities.
    explicit WordFinderLoader(QString wordsFile = QString());
    // Waits for a build under way.
    ~WordFinderLoader();
    WordFinderLoader(const WordFinderLoader&) = delete;
    WordFinderLoader& operator=(const WordFinderLoader&) = delete;

    // Starts the build in the background unless it has started.
    void prepare();
    bool started() const { return m_build.valid(); }
    // The finder once it is built, else null (and the build has started).
    std::shared_ptr<const WordFinder> ifReady();
    // The finder, waiting for the build (started now if need be).
    std::shared_ptr<const WordFinder> get();

    // Gives the board its suggestions (the best word of a round's first
    // cards), and starts the build once a game is being set up (the hosting
    // player's computer players sit down at its start) or has begun for a
    // seated player (its first round ends with a suggestion). The board is
    // not owned and must not outlive the loader.
    void serveSuggestions(Board* board);

private:
    QString m_wordsFile;
    std::shared_future<std::shared_ptr<const WordFinder>> m_build;
};

} // namespace gorse
