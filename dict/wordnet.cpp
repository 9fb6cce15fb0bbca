#include "dict/wordnet.h"

#include <QDir>
#include <QFile>

#include <algorithm>
#include <cstring>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <utility>

namespace gorse {

namespace {

using std::string_view;

constexpr qsizetype maxwordlength = 64;
constexpr int partcount = 4;
// The file name part of each part of speech, in PartOfSpeech order.
constexpr const char* partnames[partcount] = {"noun", "verb", "adj", "adv"};

// A whole file mapped read-only into memory.
struct MappedFile
{
    std::unique_ptr<QFile> file;
    string_view bytes;

    bool open(const QString& path)
    {
        auto f = std::make_unique<QFile>(path);
        if (!f->open(QIODevice::ReadOnly) || f->size() <= 0)
            return false;
        const uchar* p = f->map(0, f->size());
        if (!p)
            return false;
        bytes = string_view(reinterpret_cast<const char*>(p), std::size_t(f->size()));
        file = std::move(f);
        return true;
    }
};

// A suffix and what replaces it to give a base form.
struct SuffixRule
{
    string_view suffix;
    string_view ending;
};

// WordNet's own detachment rules, tried in this order.
constexpr SuffixRule nounrules[] = {{"s", ""},      {"ses", "s"},   {"xes", "x"},   {"zes", "z"},
                                    {"ches", "ch"}, {"shes", "sh"}, {"men", "man"}, {"ies", "y"}};
constexpr SuffixRule verbrules[] = {{"s", ""},   {"ies", "y"}, {"es", "e"},  {"es", ""},
                                    {"ed", "e"}, {"ed", ""},   {"ing", "e"}, {"ing", ""}};
constexpr SuffixRule adjectiverules[] = {{"er", ""}, {"est", ""}, {"er", "e"}, {"est", "e"}};

// The text up to the first blank.
string_view firstField(string_view line)
{
    return line.substr(0, std::min(line.find(' '), line.size()));
}

// The line of a file sorted by its first field whose first field is key,
// by binary search; empty when there is none. Lines that begin with a blank
// (the licence at the top of each file) have an empty first field and so
// sort before every key.
string_view findLine(string_view text, string_view key)
{
    std::size_t lo = 0;
    std::size_t hi = text.size();
    while (lo < hi) {
        const std::size_t mid = lo + (hi - lo) / 2;
        std::size_t start = mid;
        while (start > lo && text[start - 1] != '\n') // lo is always a line start
            --start;
        std::size_t end = text.find('\n', start);
        if (end == string_view::npos)
            end = text.size();
        const string_view line = text.substr(start, end - start);
        const int order = firstField(line).compare(key);
        if (order == 0)
            return line;
        if (order < 0)
            lo = end + 1;
        else
            hi = start;
    }
    return {};
}

// Splits a line at blanks, skipping empty fields.
class Fields
{
public:
    explicit Fields(string_view line) : m_rest(line) {}

    std::optional<string_view> next()
    {
        while (!m_rest.empty() && m_rest.front() == ' ')
            m_rest.remove_prefix(1);
        if (m_rest.empty())
            return std::nullopt;
        const string_view field = firstField(m_rest);
        m_rest.remove_prefix(field.size());
        return field;
    }

    std::optional<qint64> number()
    {
        const std::optional<string_view> field = next();
        if (!field || field->empty() || field->size() > 12)
            return std::nullopt;
        qint64 n = 0;
        for (const char c : *field) {
            if (c < '0' || c > '9')
                return std::nullopt;
            n = n * 10 + (c - '0');
        }
        return n;
    }

private:
    string_view m_rest;
};

// One line of an index file: "lemma pos synset_cnt p_cnt [ptr_symbol...]
// sense_cnt tagsense_cnt synset_offset...".
struct IndexEntry
{
    qint64 tagged = 0;
    QList<qint64> offsets;
};

std::optional<IndexEntry> parseIndex(string_view line)
{
    Fields fields(line);
    fields.next(); // lemma
    fields.next(); // part of speech
    const std::optional<qint64> synsets = fields.number();
    const std::optional<qint64> pointers = fields.number();
    if (!synsets || !pointers || *synsets > 1000 || *pointers > 1000)
        return std::nullopt;
    for (qint64 i = 0; i < *pointers; ++i)
        fields.next();
    fields.number(); // sense_cnt, the same as synset_cnt
    const std::optional<qint64> tagged = fields.number();
    if (!tagged)
        return std::nullopt;
    IndexEntry entry;
    entry.tagged = *tagged;
    for (qint64 i = 0; i < *synsets; ++i) {
        const std::optional<qint64> offset = fields.number();
        if (!offset)
            return std::nullopt;
        entry.offsets.append(*offset);
    }
    return entry;
}

QString decode(string_view text)
{
    return QString::fromUtf8(text.data(), qsizetype(text.size()));
}

string_view trimmed(string_view text)
{
    while (!text.empty() && (text.front() == ' ' || text.front() == '\r'))
        text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\r'))
        text.remove_suffix(1);
    return text;
}

// The gloss of the synset at the given offset of a data file: "offset
// lex_filenum ss_type w_cnt word lex_id ... | gloss". Nothing when the
// offset is not the start of that synset's line or the line has no gloss.
std::optional<WordSense> readSynset(string_view data, qint64 offset)
{
    if (offset < 0 || std::size_t(offset) >= data.size() ||
        (offset > 0 && data[std::size_t(offset) - 1] != '\n'))
        return std::nullopt;
    std::size_t end = data.find('\n', std::size_t(offset));
    if (end == string_view::npos)
        end = data.size();
    const string_view line = data.substr(std::size_t(offset), end - std::size_t(offset));
    if (Fields(line).number() != offset)
        return std::nullopt;
    const std::size_t bar = line.find(" | ");
    if (bar == string_view::npos)
        return std::nullopt;

    // The definition, then examples in double quotes after "; ".
    const string_view gloss = trimmed(line.substr(bar + 3));
    const std::size_t quote = gloss.find("; \"");
    WordSense sense;
    string_view definition = gloss.substr(0, quote);
    while (!definition.empty() && (definition.back() == ';' || definition.back() == ' '))
        definition.remove_suffix(1);
    sense.gloss = decode(definition);
    if (quote != string_view::npos) {
        const string_view rest = gloss.substr(quote + 3);
        sense.example = decode(rest.substr(0, std::min(rest.find('"'), rest.size())));
    }
    return sense;
}

bool endswith(const std::string& word, string_view suffix)
{
    return word.size() >= suffix.size() &&
           string_view(word).substr(word.size() - suffix.size()) == suffix;
}

} // namespace

struct WordNet::Files
{
    struct Part
    {
        MappedFile index;
        MappedFile data;
        MappedFile exceptions; // optional
        bool usable = false;
    };
    std::array<Part, partcount> parts;
    bool any = false;
};

QString WordNet::defaultDirectory()
{
    return QStringLiteral("/usr/share/wordnet");
}

WordNet::WordNet(const QString& directory) : m_directory(directory)
{
}

WordNet::~WordNet() = default;

void WordNet::open() const
{
    if (m_files)
        return;
    m_files = std::make_unique<Files>();
    const QDir dir(m_directory);
    for (int i = 0; i < partcount; ++i) {
        Files::Part& part = m_files->parts[std::size_t(i)];
        const QString name = QString::fromLatin1(partnames[i]);
        part.usable = part.index.open(dir.filePath(QStringLiteral("index.") + name)) &&
                      part.data.open(dir.filePath(QStringLiteral("data.") + name));
        if (part.usable)
            part.exceptions.open(dir.filePath(name + QStringLiteral(".exc")));
        m_files->any = m_files->any || part.usable;
    }
}

bool WordNet::available() const
{
    open();
    return m_files->any;
}

QList<WordSense> WordNet::define(QByteArrayView text, int maxSenses) const
{
    if (maxSenses <= 0 || !available())
        return {};

    // The word as WordNet writes it: lower case, "_" between words.
    std::string word(text.data(), std::size_t(text.size()));
    word = std::string(trimmed(word));
    if (word.empty() || qsizetype(word.size()) > maxwordlength)
        return {};
    for (char& c : word) {
        if (c >= 'A' && c <= 'Z')
            c = char(c - 'A' + 'a');
        else if (c == ' ')
            c = '_';
    }

    // Every part of speech and base form the word can stand for.
    struct Candidate
    {
        PartOfSpeech pos;
        std::string lemma;
        IndexEntry entry;
        bool exact;
    };
    QList<Candidate> candidates;
    for (int i = 0; i < partcount; ++i) {
        const Files::Part& part = m_files->parts[std::size_t(i)];
        if (!part.usable)
            continue;
        const auto pos = PartOfSpeech(i);
        auto add = [&](const std::string& lemma) {
            for (const Candidate& c : std::as_const(candidates)) {
                if (c.pos == pos && c.lemma == lemma)
                    return true;
            }
            const std::optional<IndexEntry> entry = parseIndex(findLine(part.index.bytes, lemma));
            if (entry)
                candidates.append({pos, lemma, *entry, lemma == word});
            return entry.has_value();
        };
        add(word);

        // Irregular forms: "inflected base [base...]". They replace the
        // suffix rules.
        const string_view exception = findLine(part.exceptions.bytes, word);
        if (!exception.empty()) {
            Fields bases(exception);
            bases.next();
            while (const std::optional<string_view> base = bases.next())
                add(std::string(*base));
            continue;
        }
        std::span<const SuffixRule> rules;
        if (pos == PartOfSpeech::Noun) {
            if (!endswith(word, "ss") && word.size() > 2)
                rules = nounrules;
        } else if (pos == PartOfSpeech::Verb) {
            rules = verbrules;
        } else if (pos == PartOfSpeech::Adjective) {
            rules = adjectiverules;
        }
        for (const SuffixRule& rule : rules) {
            if (word.size() > rule.suffix.size() && endswith(word, rule.suffix)) {
                std::string base = word.substr(0, word.size() - rule.suffix.size());
                base += rule.ending;
                if (add(base))
                    break;
            }
        }
    }

    // The word's own form before other base forms (SAW before see, BEST
    // before good); then the most tagged senses first; then noun, verb,
    // adjective, adverb.
    std::stable_sort(candidates.begin(), candidates.end(),
                     [](const Candidate& a, const Candidate& b) {
                         if (a.exact != b.exact)
                             return a.exact;
                         return a.entry.tagged > b.entry.tagged;
                     });

    QList<WordSense> senses;
    auto take = [&](const Candidate& c, qsizetype n) {
        const string_view data = m_files->parts[std::size_t(c.pos)].data.bytes;
        std::optional<WordSense> sense = readSynset(data, c.entry.offsets[n]);
        if (!sense)
            return;
        sense->partOfSpeech = c.pos;
        sense->lemma = decode(c.lemma).replace(u'_', u' ');
        senses.append(*sense);
    };
    auto tagged = [](const Candidate& c) {
        return std::min<qsizetype>(c.entry.tagged, c.entry.offsets.size());
    };
    // Senses seen in tagged texts, one of each candidate in turn...
    for (qsizetype n = 0; senses.size() < maxSenses; ++n) {
        bool more = false;
        for (const Candidate& c : std::as_const(candidates)) {
            if (n < tagged(c) && senses.size() < maxSenses) {
                take(c, n);
                more = true;
            }
        }
        if (!more)
            break;
    }
    // ...then the others, in each candidate's order.
    for (const Candidate& c : std::as_const(candidates)) {
        for (qsizetype n = tagged(c); n < c.entry.offsets.size() && senses.size() < maxSenses; ++n)
            take(c, n);
    }
    return senses;
}

QString WordNet::describe(QByteArrayView word, int maxSenses) const
{
    if (!available())
        return unavailableMessage();
    const QList<WordSense> senses = define(word, maxSenses);
    if (senses.isEmpty()) {
        return QStringLiteral("No definition found for %1.")
            .arg(QString::fromUtf8(word.data(), word.size()).trimmed());
    }
    QStringList lines;
    for (const WordSense& s : senses)
        lines.append(
            QStringLiteral("%1 (%2): %3").arg(s.lemma, partOfSpeechName(s.partOfSpeech), s.gloss));
    return lines.join(u'\n');
}

QString WordNet::partOfSpeechName(PartOfSpeech pos)
{
    switch (pos) {
    case PartOfSpeech::Noun:
        return QStringLiteral("noun");
    case PartOfSpeech::Verb:
        return QStringLiteral("verb");
    case PartOfSpeech::Adjective:
        return QStringLiteral("adjective");
    case PartOfSpeech::Adverb:
        return QStringLiteral("adverb");
    }
    return {};
}

QString WordNet::unavailableMessage()
{
    return QStringLiteral("Definitions are not available: WordNet's data (the Debian package "
                          "wordnet-base) is not installed.");
}

} // namespace gorse
