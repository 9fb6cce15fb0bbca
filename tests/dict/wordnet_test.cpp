// WordNet over small files shaped like the real database, and one check
// against the installed database when there is one.

#include "dict/wordnet.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <map>

using gorse::WordNet;
using gorse::WordSense;
using Pos = WordSense::PartOfSpeech;

namespace {

const char* const filenames[] = {"noun", "verb", "adj", "adv"};
const char posletter[] = {'n', 'v', 'a', 'r'};

// Builds a database in WordNet's file formats: data lines begin with their
// own byte offset, index lines point at them, every file starts with
// licence lines that begin with blanks.
class FakeDatabase
{
public:
    FakeDatabase()
    {
        for (QByteArray& d : m_data)
            d = licence;
    }

    // Adds a synset and returns its offset.
    qint64 synset(Pos pos, const QByteArray& word, const QByteArray& gloss)
    {
        QByteArray& data = m_data[int(pos)];
        const qint64 offset = data.size();
        data += QByteArray::number(offset).rightJustified(8, '0') + " 05 " + posletter[int(pos)] +
                " 01 " + word + " 0 000 | " + gloss + "  \n";
        return offset;
    }

    void indexLine(Pos pos, const QByteArray& lemma, const QByteArray& line)
    {
        m_index[int(pos)][lemma] = lemma + ' ' + line + "  \n";
    }

    // A lemma with one synset per gloss, the first `tagged` of them seen in
    // tagged texts.
    void word(Pos pos, const QByteArray& lemma, int tagged, const QList<QByteArray>& glosses)
    {
        QByteArray offsets;
        for (const QByteArray& g : glosses)
            offsets += ' ' + QByteArray::number(synset(pos, lemma, g)).rightJustified(8, '0');
        const QByteArray count = QByteArray::number(glosses.size());
        indexLine(pos, lemma,
                  posletter[int(pos)] + (' ' + count) + " 2 @ ~ " + count + ' ' +
                      QByteArray::number(tagged) + offsets);
    }

    void exception(Pos pos, const QByteArray& inflected, const QByteArray& bases)
    {
        m_exc[int(pos)][inflected] = inflected + ' ' + bases + '\n';
    }

    bool write(const QString& dir, const QList<QByteArray>& skip = {}) const
    {
        for (int i = 0; i < 4; ++i) {
            const QByteArray name = filenames[i];
            QByteArray index = licence;
            for (const auto& [lemma, line] : m_index[i])
                index += line;
            QByteArray exc;
            for (const auto& [form, line] : m_exc[i])
                exc += line;
            for (const auto& [file, bytes] :
                 {std::pair{"index." + name, index}, std::pair{"data." + name, m_data[i]},
                  std::pair{name + ".exc", exc}}) {
                if (skip.contains(file))
                    continue;
                QFile f(dir + u'/' + QString::fromLatin1(file));
                if (!f.open(QIODevice::WriteOnly) || f.write(bytes) != bytes.size())
                    return false;
            }
        }
        return true;
    }

private:
    static constexpr const char* licence =
        "  1 This software and database is provided under a licence.\n"
        "  2 See the copyright file.\n";
    QByteArray m_data[4];
    std::map<QByteArray, QByteArray> m_index[4]; // sorted by lemma, as the files
    std::map<QByteArray, QByteArray> m_exc[4];
};

FakeDatabase sample()
{
    FakeDatabase db;
    db.word(Pos::Noun, "cat", 1,
            {"feline mammal; \"the cat sat on the mat\"; \"cats purr\"",
             "an informal term for a youth or man"});
    db.word(Pos::Verb, "cat", 0, {"beat with a cat-o'-nine-tails"});
    db.word(Pos::Noun, "box", 0, {"a container"});
    db.word(Pos::Noun, "bus", 0, {"a vehicle carrying many passengers"});
    db.word(Pos::Noun, "church", 0, {"a place for public worship"});
    db.word(Pos::Noun, "woman", 0, {"an adult female person"});
    db.word(Pos::Noun, "fly", 0, {"two-winged insects"});
    db.word(Pos::Verb, "fly", 1, {"travel through the air"});
    db.word(Pos::Noun, "mouse", 0, {"a small rodent"});
    db.word(Pos::Noun, "glas", 0, {"no such word: GLASS must not find it"});
    db.word(Pos::Noun, "a", 0, {"no such word: AS must not find it"});
    db.word(Pos::Noun, "run", 1, {"a score in baseball"});
    db.word(Pos::Verb, "run", 2, {"move fast on foot", "flee", "be in operation"});
    db.word(Pos::Verb, "go", 1, {"change location"});
    db.word(Pos::Verb, "bake", 0, {"cook in an oven"});
    db.word(Pos::Verb, "jump", 0, {"move forward by leaps"});
    db.word(Pos::Verb, "hope", 0, {"expect and wish"});
    db.word(Pos::Noun, "saw", 1, {"a hand tool with a toothed blade"});
    db.word(Pos::Verb, "see", 3, {"perceive by sight"});
    db.word(Pos::Adjective, "tall", 0, {"great in vertical dimension"});
    db.word(Pos::Adjective, "nice", 0, {"pleasant"});
    db.word(Pos::Adjective, "good", 5, {"having desirable qualities"});
    db.word(Pos::Adverb, "well", 3, {"in a good manner"});
    db.exception(Pos::Noun, "mice", "mouse");
    db.exception(Pos::Verb, "ran", "run");
    db.exception(Pos::Verb, "went", "go");
    db.exception(Pos::Verb, "saw", "see");
    db.exception(Pos::Adjective, "best", "good");
    db.exception(Pos::Adverb, "best", "well");
    return db;
}

class WordNetFixture : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        ASSERT_TRUE(sample().write(dir.path()));
    }

    QTemporaryDir dir;
};

} // namespace

TEST_F(WordNetFixture, FindsTheBaseFormOfAPlayedWord)
{
    const WordNet wordnet(dir.path());
    ASSERT_TRUE(wordnet.available());
    struct Case
    {
        const char* word;
        const char* lemma;
        Pos pos;
    };
    for (const Case& c : {
             Case{"CAT", "cat", Pos::Noun},          Case{" cat ", "cat", Pos::Noun},
             Case{"Cats", "cat", Pos::Noun},         Case{"BOXES", "box", Pos::Noun},
             Case{"BUSES", "bus", Pos::Noun},        Case{"CHURCHES", "church", Pos::Noun},
             Case{"WOMEN", "woman", Pos::Noun},      Case{"MICE", "mouse", Pos::Noun},
             Case{"FLIES", "fly", Pos::Verb},        Case{"RAN", "run", Pos::Verb},
             Case{"WENT", "go", Pos::Verb},          Case{"BAKED", "bake", Pos::Verb},
             Case{"JUMPED", "jump", Pos::Verb},      Case{"JUMPING", "jump", Pos::Verb},
             Case{"HOPING", "hope", Pos::Verb},      Case{"HOPES", "hope", Pos::Verb},
             Case{"TALLER", "tall", Pos::Adjective}, Case{"NICEST", "nice", Pos::Adjective},
             Case{"BEST", "good", Pos::Adjective},
         }) {
        const QList<WordSense> senses = wordnet.define(c.word, 1);
        ASSERT_EQ(senses.size(), 1) << c.word;
        EXPECT_EQ(senses[0].lemma, QString::fromLatin1(c.lemma)) << c.word;
        EXPECT_EQ(senses[0].partOfSpeech, c.pos) << c.word;
    }
    // No base form: "ss" and two-letter nouns keep their S; unknown words.
    for (const char* w : {"GLASS", "AS", "DOGS", "CATSS", "", "   ", "XYZZY"})
        EXPECT_TRUE(wordnet.define(w).isEmpty()) << w;
    EXPECT_TRUE(wordnet.define(QByteArray(65, 'a')).isEmpty());
}

TEST_F(WordNetFixture, GivesTheMostCommonSensesFirst)
{
    const WordNet wordnet(dir.path());
    auto senses = [&](const char* word, int n) {
        QStringList out;
        for (const WordSense& s : wordnet.define(word, n))
            out.append(s.lemma + u'/' + WordNet::partOfSpeechName(s.partOfSpeech) + u'/' + s.gloss);
        return out.join(u'|').toStdString();
    };
    // Tagged senses of each part of speech in turn, then the others.
    EXPECT_EQ(senses("RUN", 3),
              "run/verb/move fast on foot|run/noun/a score in baseball|run/verb/flee");
    EXPECT_EQ(senses("RUN", 9),
              "run/verb/move fast on foot|run/noun/a score in baseball|run/verb/flee|"
              "run/verb/be in operation");
    EXPECT_EQ(senses("CAT", 3),
              "cat/noun/feline mammal|cat/noun/an informal term for a youth or man|"
              "cat/verb/beat with a cat-o'-nine-tails");
    // The word's own form comes before a more common base form.
    EXPECT_EQ(senses("SAW", 2),
              "saw/noun/a hand tool with a toothed blade|see/verb/perceive by sight");
    EXPECT_EQ(senses("BEST", 2),
              "good/adjective/having desirable qualities|well/adverb/in a good manner");
    EXPECT_EQ(senses("RUN", 0), "");
    EXPECT_EQ(senses("RUN", -1), "");
}

TEST_F(WordNetFixture, SplitsTheDefinitionFromItsExamples)
{
    const WordNet wordnet(dir.path());
    const QList<WordSense> senses = wordnet.define("CAT", 2);
    ASSERT_EQ(senses.size(), 2);
    EXPECT_EQ(senses[0].gloss, QStringLiteral("feline mammal"));
    EXPECT_EQ(senses[0].example, QStringLiteral("the cat sat on the mat"));
    EXPECT_EQ(senses[1].gloss, QStringLiteral("an informal term for a youth or man"));
    EXPECT_EQ(senses[1].example, QString());

    EXPECT_EQ(wordnet.describe("CATS"),
              QStringLiteral(
                  "cat (noun): feline mammal\ncat (noun): an informal term for a youth or man"));
    EXPECT_EQ(wordnet.describe(" dogs "), QStringLiteral("No definition found for dogs."));
}

TEST_F(WordNetFixture, FindsEveryLemmaOfALongerIndex)
{
    FakeDatabase db = sample();
    QList<QByteArray> lemmas;
    for (int i = 0; i < 300; ++i) {
        // Lemmas of different lengths, so the search lands mid-line.
        const QByteArray lemma =
            "word" + QByteArray::number(i * 7919 % 1000) + QByteArray(i % 5, 'x');
        db.word(Pos::Noun, lemma, 1, {"gloss of " + lemma});
        lemmas.append(lemma);
    }
    QTemporaryDir big;
    ASSERT_TRUE(big.isValid());
    ASSERT_TRUE(db.write(big.path()));
    const WordNet wordnet(big.path());
    for (const QByteArray& lemma : lemmas) {
        const QList<WordSense> senses = wordnet.define(lemma, 1);
        ASSERT_EQ(senses.size(), 1) << lemma.constData();
        EXPECT_EQ(senses[0].gloss, QString::fromLatin1("gloss of " + lemma));
    }
    for (const char* w : {"word", "word1000", "wordx", "aaa", "zzz", "1"})
        EXPECT_TRUE(wordnet.define(w).isEmpty()) << w;
}

TEST_F(WordNetFixture, SkipsDamagedEntries)
{
    FakeDatabase db = sample();
    const qint64 good = db.synset(Pos::Noun, "odd", "the only good sense");
    // Offsets past the end, inside a line, or not numbers; a line cut short.
    db.indexLine(Pos::Noun, "odd",
                 "n 4 0 4 0 99999999 " + QByteArray::number(good + 3).rightJustified(8, '0') +
                     " 00000000 " + QByteArray::number(good).rightJustified(8, '0'));
    db.indexLine(Pos::Noun, "garbled", "n x 0 1 0 00000000");
    db.indexLine(Pos::Noun, "short", "n 3 0 3 0 00000000");
    db.indexLine(Pos::Noun, "licence", "n 1 0 1 0 00000000"); // the licence lines
    QTemporaryDir damaged;
    ASSERT_TRUE(damaged.isValid());
    ASSERT_TRUE(db.write(damaged.path()));
    const WordNet wordnet(damaged.path());
    const QList<WordSense> senses = wordnet.define("ODD", 5);
    ASSERT_EQ(senses.size(), 1);
    EXPECT_EQ(senses[0].gloss, QStringLiteral("the only good sense"));
    for (const char* w : {"GARBLED", "SHORT", "LICENCE"})
        EXPECT_TRUE(wordnet.define(w).isEmpty()) << w;
    EXPECT_EQ(wordnet.define("CAT", 1).size(), 1);
}

TEST(WordNetMissing, SaysItIsUnavailableAndAnswersNothing)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    for (const QString& path : {dir.filePath(QStringLiteral("missing")), dir.path()}) {
        const WordNet wordnet(path);
        EXPECT_FALSE(wordnet.available());
        EXPECT_TRUE(wordnet.define("CAT").isEmpty());
        EXPECT_EQ(wordnet.describe("CAT"), WordNet::unavailableMessage());
        EXPECT_FALSE(WordNet::unavailableMessage().isEmpty());
    }
}

TEST(WordNetMissing, UsesThePartsOfSpeechThatArePresent)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    // Verbs without their data file, adjectives without their index, no
    // exception lists at all.
    ASSERT_TRUE(sample().write(
        dir.path(), {"data.verb", "index.adj", "noun.exc", "verb.exc", "adj.exc", "adv.exc"}));
    const WordNet wordnet(dir.path());
    EXPECT_TRUE(wordnet.available());
    const QList<WordSense> run = wordnet.define("RUN", 5);
    ASSERT_EQ(run.size(), 1);
    EXPECT_EQ(run[0].partOfSpeech, Pos::Noun);
    EXPECT_TRUE(wordnet.define("TALL").isEmpty());
    EXPECT_TRUE(wordnet.define("MICE").isEmpty());
    EXPECT_EQ(wordnet.define("CATS", 1).size(), 1);
    EXPECT_EQ(wordnet.define("WELL", 1).size(), 1);
}

TEST(WordNetInstalled, DefinesPlayedWords)
{
    if (!QFileInfo::exists(WordNet::defaultDirectory() + QStringLiteral("/index.noun")))
        GTEST_SKIP() << "WordNet's data (wordnet-base) is not installed";
    const WordNet wordnet;
    ASSERT_TRUE(wordnet.available());
    struct Case
    {
        const char* word;
        const char* lemma;
        Pos pos;
        const char* glosspart;
    };
    for (const Case& c :
         {Case{"CATS", "cat", Pos::Noun, "feline"}, Case{"RAN", "run", Pos::Verb, "move fast"},
          Case{"MICE", "mouse", Pos::Noun, "rodent"},
          Case{"QUIZ", "quiz", Pos::Noun, "examination"},
          Case{"HAPPIER", "happy", Pos::Adjective, "joy"}}) {
        const QList<WordSense> senses = wordnet.define(c.word);
        ASSERT_EQ(senses.size(), 2) << c.word;
        EXPECT_EQ(senses[0].lemma, QString::fromLatin1(c.lemma)) << c.word;
        EXPECT_EQ(senses[0].partOfSpeech, c.pos) << c.word;
        EXPECT_TRUE(senses[0].gloss.contains(QLatin1String(c.glosspart))) << c.word;
    }
    EXPECT_TRUE(wordnet.define("XYZZYQ").isEmpty());
}
