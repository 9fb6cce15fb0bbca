// The tally file's compressor: exact output for the small cases worked out
// by hand, round trips, the golden files written by a separate coder, and
// every kind of damaged input, which must fail with a message and never read
// or write outside the buffers.
#include "support/qtprint.h"
#include "tally/gridtext.h"
#include "tally/lzrw1.h"

#include <QFile>
#include <QRandomGenerator>
#include <QtEndian>
#include <gtest/gtest.h>

using namespace gorse;

namespace {

const QString kName = QStringLiteral("/data/lexmoor2tally.tld");

QByteArray hex(const char* spaced)
{
    return QByteArray::fromHex(QByteArray(spaced).replace(' ', ""));
}

QByteArray le32(quint32 v)
{
    QByteArray b(4, '\0');
    qToLittleEndian(v, b.data());
    return b;
}

QByteArray le16(quint16 v)
{
    QByteArray b(2, '\0');
    qToLittleEndian(v, b.data());
    return b;
}

QByteArray randomBytes(qsizetype n, quint32 seed)
{
    QRandomGenerator rng(seed);
    QByteArray b(n, '\0');
    for (char& c : b)
        c = char(rng.bounded(256));
    return b;
}

// Text in the manner of the tally: short lines from a small vocabulary.
QByteArray textBytes(qsizetype n, quint32 seed)
{
    static const char* words[] = {"0",     "12",    "Bob",   "Mary Ann", "STRING", "QUEST",
                                  "Wins:", "Total", "secs-", "Words",    "the",    "tally"};
    QRandomGenerator rng(seed);
    QByteArray b;
    while (b.size() < n) {
        b += words[rng.bounded(int(std::size(words)))];
        b += rng.bounded(3) == 0 ? "\r\n" : " ";
    }
    b.truncate(n);
    return b;
}

// Runs of random lengths, some long enough for run items.
QByteArray runBytes(qsizetype n, quint32 seed)
{
    QRandomGenerator rng(seed);
    QByteArray b;
    while (b.size() < n)
        b += QByteArray(rng.bounded(1, 5000), char(rng.bounded(4)));
    b.truncate(n);
    return b;
}

// The block lengths of a container, in order (the container must be whole).
QList<int> blockLengths(const QByteArray& file)
{
    QList<int> lengths;
    for (qsizetype at = 8; at + 2 <= file.size();) {
        const int n = qFromLittleEndian<quint16>(file.constData() + at);
        lengths.append(n);
        at += 2 + n;
    }
    return lengths;
}

QString decodeError(const QByteArray& file)
{
    try {
        Tlzrw1::Decompress(file, kName);
    } catch (const ELzrw1Exception& e) {
        return e.message();
    }
    return QStringLiteral("(no error)");
}

QByteArray readFile(const QString& name)
{
    QFile f(QStringLiteral(GORSE_TALLY_GOLDEN_DIR "/") + name);
    EXPECT_TRUE(f.open(QIODevice::ReadOnly)) << name.toStdString();
    return f.readAll();
}

} // namespace

TEST(Lzrw1, SmallPiecesCodeExactlyAsWorkedOutByHand)
{
    const struct
    {
        QByteArray input;
        const char* block; // the block data, in hex
    } cases[] = {
        {QByteArray(), "80"},                           // an empty piece
        {"a", "80 61"},                                 // under three bytes: always stored
        {"ab", "80 61 62"},                             //
        {"abc", "80 61 62 63"},                         // one literal already exceeds the piece
        {QByteArray(15, 'x'), "40 4000 78 001b"},       // literal, copy 1 back of 14
        {QByteArray(16, 'x'), "40 8000 00 00 00 78"},   // the shortest run
        {QByteArray(100, 'x'), "40 8000 00 00 54 78"},  // run of 84 + 16
        {QByteArray(4095, 'x'), "40 8000 00 0f ef 78"}, // the longest run
        // The longest run and the rest as literal and copy.
        {QByteArray(4100, 'x'), "40 a000 00 0f ef 78 78 0011"},
        // A fresh tally's text: seven literals, then three copies of "0\r\n".
        {"10\r\n1\r\n" + QByteArray("0\r\n").repeated(10),
         "40 01c0 31 30 0d 0a 31 0d 0a 0060 003f 0126"},
    };
    for (const auto& c : cases) {
        const QByteArray block = hex(c.block);
        EXPECT_EQ(Tlzrw1::compressBlock(c.input).toHex(' '), block.toHex(' '))
            << c.input.left(20).toStdString();
        const QByteArray file = Tlzrw1::Compress(c.input);
        EXPECT_EQ(file,
                  "WRZL" + le32(quint32(c.input.size())) + le16(quint16(block.size())) + block);
        EXPECT_EQ(Tlzrw1::Decompress(file, kName), c.input);
    }
    // An empty input is 11 bytes in all.
    EXPECT_EQ(Tlzrw1::Compress(QByteArray()).toHex(' '),
              hex("57525a4c 00000000 0100 80").toHex(' '));
}

TEST(Lzrw1, FullPiecesEndWithAnEmptyBlockAndRandomDataIsStored)
{
    const struct
    {
        QByteArray input;
        QList<int> blocks;
    } cases[] = {
        {randomBytes(32768, 1), {32769, 1}},
        {randomBytes(32767, 2), {32768}},
        {randomBytes(65536, 3), {32769, 32769, 1}},
        {randomBytes(100000, 4), {32769, 32769, 32769, 100000 - 3 * 32768 + 1}},
    };
    for (const auto& c : cases) {
        const QByteArray file = Tlzrw1::Compress(c.input);
        EXPECT_EQ(blockLengths(file), c.blocks) << c.input.size();
        if (c.blocks.last() == 1) {
            EXPECT_TRUE(file.endsWith(hex("0100 80")));
        }
        EXPECT_EQ(Tlzrw1::Decompress(file, kName), c.input);
    }
    // Equal bytes filling one piece: eight longest runs and the rest.
    const QByteArray same = Tlzrw1::Compress(QByteArray(32768, 'z'));
    EXPECT_EQ(blockLengths(same), (QList<int>{1 + 2 + 8 * 4 + 1 + 2, 1}));
    EXPECT_EQ(Tlzrw1::Decompress(same, kName), QByteArray(32768, 'z'));
}

TEST(Lzrw1, RoundTripsOfManySizesAndKinds)
{
    const qsizetype sizes[] = {0,     1,     2,     3,     4,     15,    16,    17,    18,
                               19,    100,   4095,  4096,  4097,  4111,  8191,  32767, 32768,
                               32769, 40000, 65535, 65536, 65537, 98304, 131073};
    for (qsizetype n : sizes) {
        for (quint32 seed = 1; seed <= 3; ++seed) {
            for (const QByteArray& input :
                 {randomBytes(n, seed), textBytes(n, seed), runBytes(n, seed)}) {
                const QByteArray file = Tlzrw1::Compress(input);
                ASSERT_EQ(Tlzrw1::Decompress(file, kName), input) << n << " seed " << seed;
                // Never larger than stored blocks would be.
                EXPECT_LE(file.size(), 8 + input.size() + 3 * (input.size() / 32768 + 1));
            }
        }
    }
}

TEST(Lzrw1, GoldenFilesDecodeAndReencodeByteForByte)
{
    for (const char* name : {"fresh", "three_opponents", "many_opponents"}) {
        const QByteArray packed = readFile(QString::fromLatin1(name) + QStringLiteral(".tld"));
        const QByteArray text = readFile(QString::fromLatin1(name) + QStringLiteral(".txt"));
        ASSERT_FALSE(packed.isEmpty()) << name;
        EXPECT_EQ(Tlzrw1::Decompress(packed, kName), text) << name;
        EXPECT_EQ(Tlzrw1::Compress(text), packed) << name;
        // The grid text itself survives a read and a write unchanged.
        const auto grid = LoadGridText(text);
        ASSERT_TRUE(grid) << name;
        EXPECT_EQ(SaveGridText(*grid), text) << name;
    }
    // The large one spans three blocks.
    EXPECT_EQ(blockLengths(readFile(QStringLiteral("many_opponents.tld"))).size(), 3);
}

TEST(Lzrw1, DamagedFilesFailWithTheirMessage)
{
    const QString header = Tlzrw1::invalidHeaderMessage(kName);
    const QString read = Tlzrw1::readErrorMessage(kName);
    const QString size = Tlzrw1::sizeMismatchMessage();
    const QByteArray good = Tlzrw1::Compress(textBytes(5000, 9));
    const QByteArray twoBlocks = Tlzrw1::Compress(randomBytes(32768, 5));
    const QByteArray head = "WRZL" + le32(100);
    // Sixteen longest runs: the block would give far more than 32768 bytes.
    QByteArray tooLong = hex("40 ffff");
    for (int i = 0; i < 16; ++i)
        tooLong += hex("00 0f ff 61");
    // Runs up to 32766 bytes, then a copy of three.
    QByteArray copyPastEnd = hex("40 ff80");
    for (int i = 0; i < 7; ++i)
        copyPastEnd += hex("00 0f ff 61"); // 7 x 4111 = 28777
    copyPastEnd += hex("00 0f 85 61");     // + 3989 = 32766
    copyPastEnd += hex("0010");            // copy 1 back, 3 bytes
    // Sixteen literals and the next control word cut in half.
    const QByteArray halfControl = hex("40 0000") + QByteArray(16, 'q') + hex("80");

    const struct
    {
        const char* what;
        QByteArray file;
        QString message;
    } cases[] = {
        {"the other method's signature", "!HZL" + good.mid(4), header},
        {"another signature", "WRZM" + good.mid(4), header},
        {"text", "10\r\n1\r\n0\r\n", header},
        {"empty file", QByteArray(), read},
        {"three bytes", "WRZ", read},
        {"no size", "WRZL", read},
        {"half a size", "WRZL\x05\x00", read},
        {"no block", head, read},
        {"half a block length", head + "\x05", read},
        {"cut inside a block", good.left(good.size() - 1), read},
        {"second block missing", twoBlocks.left(twoBlocks.size() - 3), read},
        {"size one too large", "WRZL" + le32(5001) + good.mid(8), size},
        {"size one too small", "WRZL" + le32(4999) + good.mid(8), size},
        {"block length above 32769", head + le16(32770) + QByteArray(32770, '\x80'), size},
        {"copy before the block's start", head + le16(5) + hex("40 8000 0050"), size},
        {"copy one byte too far back", head + le16(6) + hex("40 4000 61 0020"), size},
        {"more than 32768 bytes from runs", head + le16(quint16(tooLong.size())) + tooLong, size},
        {"a copy past 32768 bytes", head + le16(quint16(copyPastEnd.size())) + copyPastEnd, size},
        {"copy item cut short", head + le16(4) + hex("40 8000 00"), size},
        {"run item cut short", head + le16(6) + hex("40 8000 00 00 05"), size},
        {"control word cut short", head + le16(quint16(halfControl.size())) + halfControl, size},
    };
    for (const auto& c : cases)
        EXPECT_EQ(decodeError(c.file), c.message) << c.what;
    // The header message starts with the file's name.
    EXPECT_TRUE(header.startsWith(kName + QStringLiteral(" : Lzrw1 decompression")));
}

TEST(Lzrw1, ShortBlocksYieldNothing)
{
    char out[Tlzrw1::kPieceSize];
    EXPECT_EQ(Tlzrw1::decodeBlock(QByteArrayView(), out), 0);
    EXPECT_EQ(Tlzrw1::decodeBlock(QByteArrayView("\x80", 1), out), 0);
    EXPECT_EQ(Tlzrw1::decodeBlock(QByteArrayView("\x40\x00", 2), out), 0);
    // A block of length 0 ends the file: the size decides.
    EXPECT_EQ(Tlzrw1::Decompress("WRZL" + le32(0) + le16(0), kName), QByteArray());
    // Bytes after the last block are not read.
    EXPECT_EQ(Tlzrw1::Decompress(Tlzrw1::Compress("abc") + "junk", kName), "abc");
}

// Random damage to valid files: every result is either the declared number
// of bytes or an ELzrw1Exception. Build with -fsanitize=address,undefined to
// have stray reads and writes reported as well.
TEST(Lzrw1, RandomDamageNeverCrashes)
{
    const QList<QByteArray> originals{
        readFile(QStringLiteral("three_opponents.tld")),
        readFile(QStringLiteral("many_opponents.tld")).left(12000),
        Tlzrw1::Compress(runBytes(40000, 7)),
        Tlzrw1::Compress(textBytes(3000, 8)),
    };
    QRandomGenerator rng(424242);
    int decoded = 0;
    int failed = 0;
    for (int round = 0; round < 20000; ++round) {
        QByteArray file = originals[rng.bounded(int(originals.size()))];
        const int changes = rng.bounded(1, 6);
        for (int k = 0; k < changes; ++k) {
            const qsizetype at = rng.bounded(qMax<qsizetype>(file.size(), 1));
            switch (rng.bounded(5)) {
            case 0: // flip a byte
                if (!file.isEmpty())
                    file[at] = char(rng.bounded(256));
                break;
            case 1: // cut the file short
                file.truncate(at);
                break;
            case 2: // insert bytes
                file.insert(at, randomBytes(rng.bounded(1, 8), rng.generate()));
                break;
            case 3: // remove bytes
                file.remove(at, rng.bounded(1, 8));
                break;
            default: // a large block length
                if (file.size() >= 10)
                    qToLittleEndian<quint16>(quint16(rng.bounded(65536)), file.data() + 8);
                break;
            }
        }
        try {
            const QByteArray out = Tlzrw1::Decompress(file, kName);
            ASSERT_GE(file.size(), 8);
            EXPECT_EQ(quint32(out.size()), qFromLittleEndian<quint32>(file.constData() + 4));
            ++decoded;
        } catch (const ELzrw1Exception&) {
            ++failed;
        }
    }
    // Both outcomes were met many times.
    EXPECT_GT(decoded, 100);
    EXPECT_GT(failed, 1000);
}
