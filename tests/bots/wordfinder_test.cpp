// The word finder: known answers on a small list, and the built-in list
// against a search that tries every order of every set of piles.
#include "bots/wordfinder.h"
#include "bots/wordfinderloader.h"
#include "dict/tdictn.h"
#include "game/carddeck.h"
#include "hostfixture.h"
#include "support/files.h"
#include "support/reviewedslurs.h"
#include "support/testutil.h"

#include <QMap>
#include <QTemporaryDir>
#include <functional>
#include <gtest/gtest.h>
#include <set>
#include <string>
#include <unordered_set>

using namespace gorse;
using gorse::test::wordrecords;

namespace {

const QList<QByteArray> kSmallList = {
    "AND",  "ARTS",  "IN",       "INN",    "NET", "QUIT",  "QUITE", "QUIZ", "RATS", "RING",
    "STAR", "SQUID", "STRANGER", "STRING", "TAR", "TEETH", "TEE",   "TEN",  "TIE",  "ZIT"};

// The card with this face; 0 for an empty text.
int cardOf(const QByteArray& face)
{
    for (int card = 1; card <= kCardCount; ++card) {
        if (converttoletter(card) == face)
            return card;
    }
    EXPECT_TRUE(face.isEmpty()) << "no card " << face.constData();
    return 0;
}

PileCards pilesOf(const QList<QByteArray>& faces)
{
    PileCards cards{};
    for (int i = 0; i < faces.size() && i < kPileCount; ++i)
        cards[i] = cardOf(faces[i]);
    return cards;
}

// What the host would spell from the piles.
QByteArray spell(const PileCards& cards, const QList<int>& piles)
{
    QByteArray word;
    for (int pile : piles)
        word += converttoletter(cards[pile - 1]);
    return word;
}

// Each found word is spelled by its piles, uses each pile once, is scored
// as the host scores it; and no word is listed twice.
void expectSound(const PileCards& cards, const std::vector<FoundWord>& found)
{
    QSet<QByteArray> seen;
    for (const FoundWord& w : found) {
        EXPECT_EQ(spell(cards, w.piles), w.word);
        EXPECT_EQ(QSet<int>(w.piles.begin(), w.piles.end()).size(), w.piles.size())
            << w.word.data();
        bool qu = false;
        for (int pile : w.piles)
            qu = qu || cards[pile - 1] == kQuCard;
        EXPECT_EQ(w.usesQu, qu);
        EXPECT_EQ(w.points, wordPoints(w.letters(), qu)) << w.word.data();
        EXPECT_FALSE(seen.contains(w.word)) << w.word.data() << " twice";
        seen.insert(w.word);
    }
    EXPECT_TRUE(std::is_sorted(found.begin(), found.end(), WordFinder::better));
}

} // namespace

TEST(WordFinder, KnownAnswersOnASmallList)
{
    const TDictn dict(wordrecords(kSmallList));
    const WordFinder finder(dict);
    EXPECT_EQ(finder.wordCount(), kSmallList.size());

    struct Case
    {
        const char* what;
        QList<QByteArray> faces; // "" for a pile without a card
        QMap<QByteArray, int> words;
    };
    const Case cases[] = {
        {"the QU card spells two letters and adds its bonus",
         {"QU", "I", "T", "Z", "E"},
         {{"QUITE", 70}, {"QUIT", 65}, {"QUIZ", 65}, {"TIE", 10}, {"ZIT", 10}}},
        {"repeated letters need a pile each",
         {"T", "E", "E", "H", "T", "N"},
         {{"TEETH", 20}, {"NET", 10}, {"TEE", 10}, {"TEN", 10}}},
        {"one E: no TEE, no TEETH", {"T", "E", "H", "T", "N"}, {{"NET", 10}, {"TEN", 10}}},
        {"letter groups are used whole, never split (no IN from ING, no TAR from ST)",
         {"ST", "R", "ING", "A"},
         {{"STRING", 25}, {"RING", 15}, {"STAR", 15}}},
        {"a word spelled two ways is listed once",
         {"S", "T", "ST", "A", "R"},
         {{"ARTS", 15}, {"RATS", 15}, {"STAR", 15}, {"TAR", 10}}},
        {"one card can be a word", {"", "AND", "", "X"}, {{"AND", 10}}},
        {"all eight piles",
         {"S", "T", "R", "A", "N", "G", "E", "R"},
         {{"STRANGER", 40},
          {"ARTS", 15},
          {"RATS", 15},
          {"STAR", 15},
          {"NET", 10},
          {"TAR", 10},
          {"TEN", 10}}},
        {"no word possible", {"X", "Z", "J", "V", "K", "GHT", "", "CK"}, {}},
        {"no cards at all", {}, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const PileCards cards = pilesOf(c.faces);
        const std::vector<FoundWord> found = finder.search(cards);
        QMap<QByteArray, int> words;
        for (const FoundWord& w : found)
            words.insert(w.word, w.points);
        EXPECT_EQ(words, c.words);
        expectSound(cards, found);
        const std::optional<FoundWord> best = finder.best(cards);
        ASSERT_EQ(best.has_value(), !c.words.isEmpty());
        if (best) {
            EXPECT_EQ(best->word, found.front().word);
        }
    }

    // The eight-card word takes every pile, in the order it is spelled.
    const PileCards eight = pilesOf({"S", "T", "R", "A", "N", "G", "E", "R"});
    EXPECT_EQ(finder.best(eight)->piles, (QList<int>{1, 2, 3, 4, 5, 6, 7, 8}));
    // Card numbers that are no card count as empty piles.
    PileCards odd = pilesOf({"A", "N", "D"});
    odd[3] = 51;
    odd[4] = -3;
    EXPECT_EQ(finder.best(odd)->word, "AND");
    EXPECT_EQ(finder.search(odd).size(), 1u);
}

TEST(WordFinder, ListEntriesTheHostCannotAcceptAreLeftOut)
{
    // Lower case and blanks around count as the host compares them; a blank
    // or a digit inside can never be spelled from cards.
    QByteArray records = wordrecords({"ANT", "BAT"});
    records += QByteArray("\x1E") + "  cat         ";
    records += QByteArray("\x1E") + "DO G          ";
    records += QByteArray("\x1E") + "R2D2          ";
    const TDictn dict(records);
    const WordFinder finder(dict);
    EXPECT_EQ(finder.wordCount(), 3);
    EXPECT_TRUE(finder.contains("CAT"));
    EXPECT_TRUE(finder.contains("ANT"));
    EXPECT_FALSE(finder.contains("DOG"));
    EXPECT_FALSE(finder.contains("AN")); // a prefix only
    EXPECT_FALSE(finder.contains("cat"));
    EXPECT_EQ(finder.best(pilesOf({"C", "A", "T"}))->word, "CAT");

    const WordFinder empty{TDictn(QByteArray())};
    EXPECT_EQ(empty.wordCount(), 0);
    EXPECT_TRUE(empty.search(pilesOf({"A", "N", "D"})).empty());
}

TEST(WordFinder, RaritiesAndFaceCounts)
{
    const TDictn dict(wordrecords(kSmallList));
    WordFinder finder(dict);
    // The smallest size wins; words not in the list are skipped.
    const int given = finder.setRarities("# comment\n10\nquit\nTEN\n35\nquit\nstar\nzzz\n\n20\n");
    EXPECT_EQ(given, 3);
    QMap<QByteArray, int> rarity;
    for (const FoundWord& w : finder.search(pilesOf({"QU", "I", "T", "E", "N", "S", "A", "R"})))
        rarity.insert(w.word, w.rarity);
    EXPECT_EQ(rarity.value("QUIT"), 10);
    EXPECT_EQ(rarity.value("TEN"), 10);
    EXPECT_EQ(rarity.value("STAR"), 35);
    EXPECT_EQ(rarity.value("QUITE"), WordFinder::kRare);

    EXPECT_EQ(finder.faceWords(cardOf("ING")), 2); // RING, STRING
    EXPECT_EQ(finder.faceWords(cardOf("QU")), 4);  // QUIT, QUITE, QUIZ, SQUID
    EXPECT_EQ(finder.faceWords(cardOf("E")), 7);
    EXPECT_EQ(finder.faceWords(cardOf("EE")), 2); // TEE, TEETH
    EXPECT_EQ(finder.faceWords(cardOf("X")), 0);
    EXPECT_EQ(finder.faceWords(0), 0);
}

TEST(WordFinder, WordsAfterADashAreNeverOffered)
{
    const TDictn dict(wordrecords(kSmallList));
    WordFinder finder(dict);
    // The group ends at the next size.
    EXPECT_EQ(finder.setRarities("10\nten\n-\nquit\nSTAR\nnope\n35\nrats\n"), 2);
    QMap<QByteArray, int> rarity;
    for (const FoundWord& w : finder.search(pilesOf({"QU", "I", "T", "E", "N", "S", "A", "R"})))
        rarity.insert(w.word, w.rarity);
    EXPECT_FALSE(rarity.contains("QUIT"));
    EXPECT_FALSE(rarity.contains("STAR"));
    EXPECT_EQ(rarity.value("QUITE"), WordFinder::kRare); // longer words stay
    EXPECT_EQ(rarity.value("TEN"), 10);
    EXPECT_EQ(rarity.value("RATS"), 35);
    EXPECT_FALSE(finder.contains("QUIT"));
    EXPECT_TRUE(finder.contains("QUITE"));
    EXPECT_FALSE(finder.best(pilesOf({"QU", "I", "T"})));
    EXPECT_EQ(finder.wordCount(), kSmallList.size() - 2);
}

TEST(WordFinder, NoReviewedSlurIsOfferedFromTheLargeList)
{
    const QList<QByteArray> slurs =
        gorse::test::reviewedSlurs(QStringLiteral(GORSE_SOURCE_DIR "/tools/wordlist-slurs.txt"));
    ASSERT_TRUE(slurs.contains("WOG"));
    const TDictn large(TDictn::BuiltinList::Large);
    const std::shared_ptr<const WordFinder> finder = WordFinder::withCommonWords(large);
    for (const QByteArray& w : slurs) {
        EXPECT_TRUE(large.isword(w)) << w.constData();
        EXPECT_FALSE(finder->contains(w)) << w.constData();
    }
    EXPECT_TRUE(finder->contains("SQUAWK"));
    EXPECT_EQ(finder->wordCount(), large.recordCount() - slurs.size());
    const std::optional<FoundWord> best = finder->best(pilesOf({"W", "O", "G"}));
    EXPECT_TRUE(!best || best->word != "WOG");
}

TEST(WordFinder, BuiltInListAgreesWithTryingEveryOrderOfPiles)
{
    const TDictn dict;
    ASSERT_TRUE(dict.isOpen());
    const std::shared_ptr<const WordFinder> finder = WordFinder::builtIn();
    ASSERT_GT(finder->wordCount(), 100000);

    // The list, and every beginning of a word in it.
    std::unordered_set<std::string> list, beginnings;
    const QByteArray records = dict.records();
    for (qsizetype i = 0; i < dict.recordCount(); ++i) {
        const std::string word =
            records.mid(i * TDictn::recordsize + 1, 14).trimmed().toStdString();
        list.insert(word);
        for (size_t n = 1; n <= word.size(); ++n)
            beginnings.insert(word.substr(0, n));
    }

    // Everyday words are marked common.
    int everyday = 0;
    for (const FoundWord& w : finder->search(pilesOf({"TH", "E", "Y"}))) {
        if (w.word == "THE" || w.word == "THEY") {
            EXPECT_EQ(w.rarity, 10) << w.word.data();
            ++everyday;
        }
    }
    EXPECT_EQ(everyday, 2);

    CardDeck deck(20240);
    for (int deal = 0; deal < 200; ++deal) {
        PileCards cards{};
        for (int& card : cards)
            card = deck.getanum();
        if (deal % 10 == 9)
            cards[deal % kPileCount] = 0; // an emptied pile

        // Every sequence of distinct piles that spells the beginning of a
        // word of the list.
        std::set<std::string> expected;
        std::vector<int> piles;
        std::function<void(const std::string&)> extend = [&](const std::string& spelled) {
            for (int p = 1; p <= kPileCount; ++p) {
                if (cards[p - 1] == 0 || std::find(piles.begin(), piles.end(), p) != piles.end())
                    continue;
                const std::string word = spelled + converttoletter(cards[p - 1]).toStdString();
                if (!beginnings.count(word))
                    continue;
                if (list.count(word))
                    expected.insert(word);
                piles.push_back(p);
                extend(word);
                piles.pop_back();
            }
        };
        extend({});

        const std::vector<FoundWord> found = finder->search(cards);
        std::set<std::string> actual;
        for (const FoundWord& w : found) {
            actual.insert(w.word.toStdString());
            EXPECT_TRUE(dict.isword(w.word)) << w.word.data();
        }
        EXPECT_EQ(actual, expected) << "deal " << deal;
        expectSound(cards, found);
    }
}

TEST(WordFinder, CardListsGoOnTheirPiles)
{
    PileCards piles = pilesOf({"A", "B", "C", "D"});
    putCards(piles, {{1, kQuCard, true}, {9, 5, true}, {0, 6, true}, {3, 0, false}});
    EXPECT_EQ(piles, pilesOf({"QU", "B", "", "D"}));
    // A round's first cards, and the best word they allowed.
    const TDictn dict(wordrecords(kSmallList));
    PileCards first{};
    putCards(first, {{1, cardOf("ST"), true}, {2, cardOf("R"), true}, {8, cardOf("ING"), true}});
    EXPECT_EQ(WordFinder(dict).best(first)->piles, (QList<int>{1, 2, 8}));
}

// The program's finder is built once, when first wanted, from the player's
// list file or else the built-in list.
TEST(WordFinderLoader, BuildsOnceWhenFirstWanted)
{
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("words.dic"));
    ASSERT_TRUE(test::writeFile(file, wordrecords(kSmallList)));
    struct Case
    {
        QString file;
        QByteArray known, unknown;
    };
    for (const Case& c : {Case{file, "SQUID", "CAT"}, Case{QString(), "CAT", "ZZZQ"}}) {
        WordFinderLoader loader(c.file);
        EXPECT_FALSE(loader.started());
        std::shared_ptr<const WordFinder> ready = loader.ifReady();
        EXPECT_TRUE(loader.started());
        ASSERT_TRUE(test::waitUntil([&] { return (ready = loader.ifReady()) != nullptr; }));
        loader.prepare();
        EXPECT_EQ(loader.get(), ready);
        EXPECT_TRUE(ready->contains(c.known));
        EXPECT_FALSE(ready->contains(c.unknown));
    }
    // get() alone builds it, and waits.
    WordFinderLoader waited;
    ASSERT_NE(waited.get(), nullptr);
    EXPECT_EQ(waited.ifReady(), waited.get());
}
