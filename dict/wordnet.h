#pragma once

#include <QByteArrayView>
#include <QList>
#include <QString>

#include <array>
#include <memory>

class QFile;

namespace gorse {

// One meaning of a word.
struct WordSense
{
    enum class PartOfSpeech { Noun, Verb, Adjective, Adverb };

    PartOfSpeech partOfSpeech = PartOfSpeech::Noun;
    // The base form the meaning belongs to: "cat" for CATS, "run" for RAN.
    QString lemma;
    // The definition, without its examples.
    QString gloss;
    // The first example of use, without quotes; often empty.
    QString example;

    bool operator==(const WordSense&) const = default;
};

// The meanings of words, read from an installed WordNet database: the
// sorted index files index.noun, index.verb, index.adj and index.adv, the
// data files data.* they point into, and the irregular forms in noun.exc,
// verb.exc, adj.exc and adv.exc.
//
// Nothing is read before the first question; then the files are opened
// read-only and mapped into memory, and every look-up is a few binary
// searches over the sorted index and exception lines, with no copy and no
// index of our own. When the files are missing the object says so through
// available() and every look-up answers nothing.
//
// A played word is usually an inflected form: define() tries the word
// itself, then its irregular base forms (MICE, RAN, BEST), else the
// regular suffix rules (CATS, BOXES, FLIES, JUMPED, HOPING, TALLER).
class WordNet
{
public:
    using PartOfSpeech = WordSense::PartOfSpeech;

    // Where Debian's wordnet-base package puts the database.
    static QString defaultDirectory();

    explicit WordNet(const QString& directory = defaultDirectory());
    ~WordNet();
    WordNet(const WordNet&) = delete;
    WordNet& operator=(const WordNet&) = delete;

    QString directory() const { return m_directory; }

    // True when the database can be read (opened at the first call).
    bool available() const;

    // Up to maxSenses meanings of the word, the most common first: senses
    // are taken in turn from each base form and part of speech that has
    // senses seen in WordNet's tagged texts (the word's own form first, then
    // the one with the most such senses), and senses never seen in tagged
    // texts follow. Letter case and surrounding blanks do
    // not matter. Empty when the word is unknown, the text is longer than
    // 64 characters, or the database is unavailable.
    QList<WordSense> define(QByteArrayView word, int maxSenses = 2) const;

    // define() as plain text, one meaning a line: "cat (noun): feline
    // mammal ...". Says so when the word has no meaning here or the
    // database is unavailable.
    QString describe(QByteArrayView word, int maxSenses = 2) const;

    // "noun", "verb", "adjective" or "adverb".
    static QString partOfSpeechName(PartOfSpeech pos);
    // The text shown instead of meanings when the database is missing.
    static QString unavailableMessage();

private:
    struct Files;

    void open() const;

    QString m_directory;
    // Opened at the first question; null before.
    mutable std::unique_ptr<Files> m_files;
};

} // namespace gorse
