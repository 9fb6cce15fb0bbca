#include "bots/wordfinder.h"

#include "dict/tdictn.h"

#include <QFile>

#include <algorithm>
#include <bit>
#include <cstring>

namespace gorse {

namespace {

constexpr quint32 kWordEnds = 1u << 31;
constexpr quint32 kLetterMask = (1u << 26) - 1;
constexpr quint32 kNone = 0xFFFFFFFFu;

// The host's face of every card, as letter indexes 0..25.
struct Face
{
    int length = 0;
    std::array<quint8, 3> letters{};
    char text[3] = {};
};

const std::array<Face, kCardCount + 1>& faces()
{
    static const std::array<Face, kCardCount + 1> table = [] {
        std::array<Face, kCardCount + 1> t{};
        for (int card = 1; card <= kCardCount; ++card) {
            const QByteArray face = converttoletter(card);
            t[card].length = int(face.size());
            for (int i = 0; i < face.size(); ++i) {
                t[card].letters[i] = quint8(face[i] - 'A');
                t[card].text[i] = face[i];
            }
        }
        return t;
    }();
    return table;
}

// A word of the list in a fixed slot: its letters, zero-filled, so that
// slots sort like the words; the last byte holds the length.
using Slot = std::array<char, WordFinder::kMaxLetters + 2>;

int slotLength(const Slot& slot)
{
    return slot.back();
}

// A record's word, trimmed and in upper case; false when it holds anything
// but letters.
bool recordWord(const char* p, Slot& slot)
{
    int begin = 0;
    int end = TDictn::recordsize - 1;
    auto blank = [](char c) { return c == ' ' || c == '\0'; };
    while (begin < end && blank(p[begin]))
        ++begin;
    while (end > begin && blank(p[end - 1]))
        --end;
    if (begin == end)
        return false;
    slot.fill(0);
    for (int i = begin; i < end; ++i) {
        char c = p[i];
        if (c >= 'a' && c <= 'z')
            c = char(c - 'a' + 'A');
        if (c < 'A' || c > 'Z')
            return false;
        slot[i - begin] = c;
    }
    slot.back() = char(end - begin);
    return true;
}

} // namespace

void putCards(PileCards& piles, const CardList& cards)
{
    for (const CardItem& item : cards) {
        if (isPile(item.pile))
            piles[item.pile - 1] = item.card;
    }
}

struct WordFinder::Raw
{
    quint32 node = 0;
    quint8 cards = 0;
    quint8 length = 0;
    std::array<quint8, kPileCount> piles{};
    char text[kMaxLetters + 1] = {};
};

struct WordFinder::Search
{
    PileCards cards{};
    std::array<quint8, kPileCount> piles{};
    char text[kMaxLetters + 4] = {};
    int length = 0;
    std::vector<Raw> found;
};

WordFinder::WordFinder(const TDictn& dict)
{
    const QByteArray records = dict.records();
    const qsizetype count = dict.isOpen() ? dict.recordCount() : 0;
    std::vector<Slot> words(static_cast<size_t>(count));
    size_t kept = 0;
    for (qsizetype i = 0; i < count; ++i) {
        if (recordWord(records.constData() + i * TDictn::recordsize + 1, words[kept]))
            ++kept;
    }
    words.resize(kept);
    // A list is sorted already; one with lower-case or indented entries
    // need not be after trimming.
    if (!std::is_sorted(words.begin(), words.end()))
        std::sort(words.begin(), words.end());
    words.erase(std::unique(words.begin(), words.end()), words.end());
    build(words);
    countFaces(words);
}

std::shared_ptr<const WordFinder> WordFinder::builtIn()
{
    return withCommonWords(TDictn());
}

std::shared_ptr<const WordFinder> WordFinder::withCommonWords(const TDictn& dict)
{
    auto finder = std::make_shared<WordFinder>(dict);
    // Embedded by bots/CMakeLists.txt (regenerate with tools/make_botwords.sh).
    QFile common(QStringLiteral(":/bots/botwords.txt"));
    if (common.open(QIODevice::ReadOnly))
        finder->setRarities(common.readAll());
    return finder;
}

// Children of a node are placed together when the node is reached, before
// any grandchild, so a node's links and first index say where each child is.
void WordFinder::build(const std::vector<Slot>& words)
{
    m_nodes.clear();
    // An English list takes about 2.3 nodes a word.
    m_nodes.reserve(words.size() * 5 / 2 + 1);
    m_nodes.emplace_back();
    m_words = int(words.size());

    struct Range
    {
        quint32 node;
        size_t lo, hi; // the words below the node: they share its prefix
        int depth;
    };
    std::vector<Range> todo{{0, 0, words.size(), 0}};
    while (!todo.empty()) {
        const Range r = todo.back();
        todo.pop_back();
        size_t lo = r.lo;
        if (lo < r.hi && slotLength(words[lo]) == r.depth) {
            m_nodes[r.node].links |= kWordEnds;
            ++lo; // words are unique: only one ends here
        }
        if (lo == r.hi)
            continue;
        const quint32 first = quint32(m_nodes.size());
        m_nodes[r.node].first = first;
        size_t start = lo;
        while (start < r.hi) {
            const char letter = words[start][r.depth];
            size_t end = start + 1;
            while (end < r.hi && words[end][r.depth] == letter)
                ++end;
            m_nodes[r.node].links |= 1u << (letter - 'A');
            const quint32 node = quint32(m_nodes.size());
            m_nodes.emplace_back();
            todo.push_back({node, start, end, r.depth + 1});
            start = end;
        }
    }
    m_nodes.shrink_to_fit();
    m_rarity.assign(m_nodes.size(), quint8(kRare));
}

void WordFinder::countFaces(const std::vector<Slot>& words)
{
    const auto& table = faces();
    // The cards by the first letter of their face.
    std::array<std::vector<int>, 26> byFirst;
    for (int card = 1; card <= kCardCount; ++card)
        byFirst[table[card].letters[0]].push_back(card);
    std::array<int, kCardCount + 1> lastWord;
    lastWord.fill(-1);
    m_faceWords.fill(0);
    for (size_t w = 0; w < words.size(); ++w) {
        const char* word = words[w].data();
        const int length = slotLength(words[w]);
        for (int i = 0; i < length; ++i) {
            for (int card : byFirst[word[i] - 'A']) {
                const Face& face = table[card];
                if (lastWord[card] != int(w) && i + face.length <= length &&
                    std::memcmp(word + i, face.text, size_t(face.length)) == 0) {
                    lastWord[card] = int(w);
                    ++m_faceWords[card];
                }
            }
        }
    }
}

int WordFinder::setRarities(const QByteArray& text)
{
    int given = 0;
    int rarity = kRare;
    bool never = false;
    for (QByteArray line : text.split('\n')) {
        line = line.trimmed();
        if (line.isEmpty() || line.startsWith('#'))
            continue;
        if (line == "-") {
            never = true;
            continue;
        }
        bool isNumber = false;
        const int size = line.toInt(&isNumber);
        if (isNumber) {
            rarity = std::clamp(size, 0, int(kRare));
            never = false;
            continue;
        }
        const quint32 node = find(line.toUpper());
        if (node == kNone)
            continue;
        if (never) {
            m_nodes[node].links &= ~kWordEnds;
            --m_words;
            continue;
        }
        if (m_rarity[node] == kRare)
            ++given;
        m_rarity[node] = quint8(std::min(int(m_rarity[node]), rarity));
    }
    m_rated += given;
    return given;
}

quint32 WordFinder::child(quint32 node, int letter) const
{
    const quint32 links = m_nodes[node].links;
    const quint32 bit = 1u << letter;
    if (!(links & bit))
        return kNone;
    return m_nodes[node].first + quint32(std::popcount(links & kLetterMask & (bit - 1)));
}

quint32 WordFinder::find(QByteArrayView word) const
{
    if (m_nodes.empty() || word.isEmpty())
        return kNone;
    quint32 node = 0;
    for (char c : word) {
        if (c < 'A' || c > 'Z')
            return kNone;
        node = child(node, c - 'A');
        if (node == kNone)
            return kNone;
    }
    return (m_nodes[node].links & kWordEnds) ? node : kNone;
}

bool WordFinder::contains(QByteArrayView word) const
{
    return find(word) != kNone;
}

qsizetype WordFinder::bytes() const
{
    return qsizetype(sizeof(*this) + m_nodes.capacity() * sizeof(Node) + m_rarity.capacity());
}

int WordFinder::faceWords(int card) const
{
    return card >= 1 && card <= kCardCount ? m_faceWords[card] : 0;
}

void WordFinder::walk(Search& s, quint32 node, unsigned used, int depth) const
{
    const auto& table = faces();
    for (int p = 0; p < kPileCount; ++p) {
        const int card = s.cards[p];
        if ((used & (1u << p)) || card == 0)
            continue;
        // The same card on a free pile before this one spells the same words.
        bool twin = false;
        for (int q = 0; q < p && !twin; ++q)
            twin = !(used & (1u << q)) && s.cards[q] == card;
        if (twin)
            continue;
        const Face& face = table[card];
        quint32 next = node;
        for (int i = 0; i < face.length && next != kNone; ++i)
            next = child(next, face.letters[i]);
        if (next == kNone)
            continue;
        std::memcpy(s.text + s.length, face.text, size_t(face.length));
        s.length += face.length;
        s.piles[depth] = quint8(p + 1);
        const quint32 links = m_nodes[next].links;
        if (links & kWordEnds) {
            Raw& raw = s.found.emplace_back();
            raw.node = next;
            raw.cards = quint8(depth + 1);
            raw.length = quint8(s.length);
            raw.piles = s.piles;
            std::memcpy(raw.text, s.text, size_t(s.length));
        }
        if ((links & kLetterMask) && depth + 1 < kPileCount)
            walk(s, next, used | (1u << p), depth + 1);
        s.length -= face.length;
    }
}

std::vector<FoundWord> WordFinder::search(const PileCards& cards) const
{
    std::vector<FoundWord> words;
    if (m_nodes.empty())
        return words;
    Search s;
    for (int p = 0; p < kPileCount; ++p)
        s.cards[p] = cards[p] >= 1 && cards[p] <= kCardCount ? cards[p] : 0;
    walk(s, 0, 0, 0);

    // One entry per word: the first way of spelling it that was met.
    std::stable_sort(s.found.begin(), s.found.end(),
                     [](const Raw& a, const Raw& b) { return a.node < b.node; });
    s.found.erase(std::unique(s.found.begin(), s.found.end(),
                              [](const Raw& a, const Raw& b) { return a.node == b.node; }),
                  s.found.end());

    words.reserve(s.found.size());
    for (const Raw& raw : s.found) {
        FoundWord& w = words.emplace_back();
        w.word = QByteArray(raw.text, raw.length);
        w.piles.reserve(raw.cards);
        for (int i = 0; i < raw.cards; ++i) {
            w.piles.append(raw.piles[i]);
            w.usesQu = w.usesQu || s.cards[raw.piles[i] - 1] == kQuCard;
        }
        w.points = wordPoints(raw.length, w.usesQu);
        w.rarity = m_rarity[raw.node];
    }
    std::sort(words.begin(), words.end(), better);
    return words;
}

std::optional<FoundWord> WordFinder::best(const PileCards& cards) const
{
    std::vector<FoundWord> words = search(cards);
    if (words.empty())
        return std::nullopt;
    return std::move(words.front());
}

bool WordFinder::better(const FoundWord& a, const FoundWord& b)
{
    if (a.points != b.points)
        return a.points > b.points;
    if (a.word.size() != b.word.size())
        return a.word.size() > b.word.size();
    return a.word < b.word;
}

} // namespace gorse
