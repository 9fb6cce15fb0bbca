#pragma once

// Finds every word a player can make from the exposed cards of the eight
// piles: each pile used at most once, its cards spelled in order with the
// host's faces ("QU", "ST", "ING" give their letters).

#include "game/rules.h"
#include "net/messages.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QList>
#include <array>
#include <memory>
#include <optional>
#include <vector>

namespace gorse {

class TDictn;

// The exposed card of each pile, pile 1 first; 0 (or any number that is no
// card) for a pile without one.
using PileCards = std::array<int, kPileCount>;

// Puts the cards of a card list (as CMD_thecards and the answers to words
// and discards carry them) on their piles; items naming no pile are
// skipped. The best word of a round's first cards is then
// WordFinder::best(piles).
void putCards(PileCards& piles, const CardList& cards);

// One word the cards allow.
struct FoundWord
{
    QByteArray word;  // upper case, as the host spells it from the faces
    QList<int> piles; // the piles in the order they spell the word, 1..8
    int points = 0;   // what the host gives it (wordPoints)
    bool usesQu = false;
    int rarity = 0; // see WordFinder::setRarities
    int letters() const { return int(word.size()); }
};

// The word list as a trie built once: per node a bit set of the letters that
// follow and the index of its first child (children are stored together in
// letter order), 8 bytes a node, and one byte of rarity. A search walks the
// trie along the faces of the unused piles, so it only ever follows
// prefixes of real words.
class WordFinder
{
public:
    // Rarity of a word that no list of common words holds.
    static constexpr int kRare = 100;
    // Longest word a list record holds.
    static constexpr int kMaxLetters = 14;

    // Takes the words of the list's records; entries that are not 1..14
    // letters A..Z after trimming (which the host could never accept) are
    // left out.
    explicit WordFinder(const TDictn& dict);
    WordFinder(const WordFinder&) = delete;
    WordFinder& operator=(const WordFinder&) = delete;

    // A finder for the given list with the built-in rarities of common words.
    static std::shared_ptr<const WordFinder> withCommonWords(const TDictn& dict);
    // The same for the built-in word list.
    static std::shared_ptr<const WordFinder> builtIn();

    // Reads how common words are: lines of lower- or upper-case words, each
    // group headed by a line holding only a number, the size of the smallest
    // common-word list the following words belong to (10 is the most common;
    // see tools/make_botwords.sh). Lines starting with "#" are comments.
    // A word keeps the smallest size given; words of no group stay kRare.
    // The words after a line holding only "-" are never offered: they leave
    // the finder, which then neither finds nor contains them (faceWords()
    // still counts them). Returns how many words of this list were given a
    // rarity.
    int setRarities(const QByteArray& text);
    // Some words have a rarity: without any, every word counts as kRare.
    bool hasRarities() const { return m_rated > 0; }

    // Every word the cards allow, best first (see better()), each once with
    // one way of spelling it.
    std::vector<FoundWord> search(const PileCards& cards) const;
    // The best of them; nothing when no word can be made.
    std::optional<FoundWord> best(const PileCards& cards) const;
    // Higher points first, then more letters, then alphabetical order.
    static bool better(const FoundWord& a, const FoundWord& b);

    bool contains(QByteArrayView word) const;
    int wordCount() const { return m_words; }
    qsizetype nodeCount() const { return qsizetype(m_nodes.size()); }
    // Memory held by the structure.
    qsizetype bytes() const;
    // How many words of the list contain the card's face; 0 for no card.
    int faceWords(int card) const;

private:
    struct Node
    {
        quint32 links = 0; // bits 0..25: the letters that follow; bit 31: a word ends here
        quint32 first = 0; // index of the child of the lowest letter that follows
    };
    struct Raw; // a word as the search meets it
    struct Search;

    using Slot = std::array<char, kMaxLetters + 2>;
    void build(const std::vector<Slot>& words);
    void countFaces(const std::vector<Slot>& words);
    quint32 child(quint32 node, int letter) const;
    quint32 find(QByteArrayView word) const;
    void walk(Search& s, quint32 node, unsigned used, int depth) const;

    std::vector<Node> m_nodes;    // the root is node 0
    std::vector<quint8> m_rarity; // per node
    std::array<int, kCardCount + 1> m_faceWords{};
    int m_words = 0;
    int m_rated = 0;
};

} // namespace gorse
