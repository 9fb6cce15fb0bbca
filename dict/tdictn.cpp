#include "dict/tdictn.h"

#include <QFile>
#include <QResource>

#include <algorithm>
#include <climits>
#include <cstring>

namespace gorse {

namespace {

// Only this much of a text is looked at.
constexpr qsizetype maxtextlength = 255;
// A list file larger than this is refused rather than read into memory.
constexpr qint64 maxfilesize = qint64(1) << 30;

inline bool isBlankByte(char c)
{
    return c == ' ' || c == '\0'; // zero bytes count as blanks
}

inline char upperCase(char c)
{
    return c >= 'a' && c <= 'z' ? char(c - 'a' + 'A') : c;
}

// Normalises the n bytes at p the way keys and records are compared: zero
// bytes become blanks, leading and trailing blanks go, letters are upper
// case, and the rest is filled up with blanks to the key width. Returns the
// length of the text without its surrounding blanks; out is written only
// when that is shorter than the key width.
qsizetype normalise(const char* p, qsizetype n, char (&out)[TDictn::keywidth])
{
    qsizetype begin = 0;
    while (begin < n && isBlankByte(p[begin]))
        ++begin;
    qsizetype end = n;
    while (end > begin && isBlankByte(p[end - 1]))
        --end;
    const qsizetype len = end - begin;
    if (len < TDictn::keywidth) {
        for (qsizetype i = 0; i < len; ++i)
            out[i] = p[begin + i] == '\0' ? ' ' : upperCase(p[begin + i]);
        std::memset(out + len, ' ', TDictn::keywidth - len);
    }
    return len;
}

// True when normalising the record's 14 characters gives them back as they
// are: no zero bytes, no lower-case letters, no leading blank.
bool plainrecord(const char* p)
{
    if (p[0] == ' ')
        return false;
    for (int i = 0; i < TDictn::recordsize - 1; ++i) {
        if (p[i] == '\0' || (p[i] >= 'a' && p[i] <= 'z'))
            return false;
    }
    return true;
}

} // namespace

TDictn::TDictn() : TDictn(BuiltinList::Standard)
{
}

TDictn::TDictn(BuiltinList list)
{
    loadBuiltin(list);
}

QString TDictn::loadBuiltin(BuiltinList list)
{
    // Embedded by resources/CMakeLists.txt.
    const QResource resource(list == BuiltinList::Large
                                 ? QStringLiteral(":/words/english-large.dic")
                                 : QStringLiteral(":/words/english.dic"));
    if (!resource.isValid()) {
        close(notFoundMessage());
        return m_error;
    }
    if (resource.compressionAlgorithm() == QResource::NoCompression) {
        // Stored as is: search the program's own read-only copy. The lists
        // are generated in normalised form (the tests check it), so their
        // pages are not read before the first lookups need them.
        adopt(QByteArray::fromRawData(reinterpret_cast<const char*>(resource.data()),
                                      resource.size()),
              true);
    } else {
        setRecords(resource.uncompressedData());
    }
    return {};
}

TDictn::TDictn(const QByteArray& records)
{
    setRecords(records);
}

QString TDictn::loadFile(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly) || file.isSequential() || file.size() > maxfilesize) {
        close(notFoundMessage());
        return m_error;
    }
    const QByteArray records = file.readAll();
    if (file.error() != QFileDevice::NoError) {
        close(notFoundMessage());
        return m_error;
    }
    setRecords(records);
    return {};
}

void TDictn::setRecords(const QByteArray& records)
{
    adopt(records, isPlain(records));
}

bool TDictn::isPlain(QByteArrayView records)
{
    const qsizetype count = records.size() / recordsize;
    for (qsizetype i = 0; i < count; ++i) {
        if (!plainrecord(records.data() + i * recordsize + 1))
            return false;
    }
    return true;
}

void TDictn::adopt(const QByteArray& records, bool plain)
{
    m_records = records;
    m_lastIndex = std::min<qsizetype>(records.size() / recordsize, INT_MAX) - 1;
    m_open = true;
    m_error.clear();
    m_plain = plain;
}

void TDictn::close(const QString& error)
{
    m_records.clear();
    m_lastIndex = -1;
    m_open = false;
    m_plain = true;
    m_error = error;
}

QString TDictn::notFoundMessage()
{
    return QStringLiteral("English.dic dictionary not found!");
}

int TDictn::findword(QByteArrayView text) const
{
    if (!m_open)
        return -1;

    char key[keywidth];
    const qsizetype len = normalise(text.data(), std::min(text.size(), maxtextlength), key);
    // Nothing left to look for; and a record holds at most 14 letters, so a
    // key of the full width or longer can never be equal to one.
    if (len == 0 || len >= keywidth)
        return -1;

    const char* data = m_records.constData();
    qsizetype lo = 0;
    qsizetype hi = m_lastIndex;
    while (lo <= hi) {
        const qsizetype mid = lo + (hi - lo) / 2;
        // The record's 14 characters; the blank after them is the padding,
        // as is key[14]. A list of plain records is compared as it is.
        const char* entry = data + mid * recordsize + 1;
        int order;
        if (m_plain) {
            order = std::memcmp(entry, key, keywidth - 1);
        } else {
            char record[keywidth];
            normalise(entry, recordsize - 1, record);
            order = std::memcmp(record, key, keywidth);
        }
        if (order == 0)
            return int(mid + 1);
        if (order < 0)
            lo = mid + 1;
        else
            hi = mid - 1;
    }
    return -1;
}

} // namespace gorse
