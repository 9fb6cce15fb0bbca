#include "tally/lzrw1.h"

#include <QtEndian>
#include <array>
#include <cstring>

namespace gorse {

namespace {

constexpr int kHashSize = 4096;
constexpr quint16 kNone = 0xFFFF;
constexpr int kGroupItems = 16;
constexpr int kMinRun = 16;
constexpr int kMaxRun = 4095;
constexpr int kMinCopy = 3;
constexpr int kMaxCopy = 18;
constexpr int kMaxDistance = 4095;

// The table slot of the three bytes at p.
inline unsigned hash3(const quint8* p)
{
    const quint32 mixed = ((((quint32(p[0]) << 4) ^ p[1]) << 4) ^ p[2]);
    return ((40543u * mixed) >> 4) & 0x0FFF;
}

inline void putControl(quint8* at, quint32 control)
{
    at[0] = quint8(control >> 8);
    at[1] = quint8(control);
}

} // namespace

QString Tlzrw1::readErrorMessage(const QString& name)
{
    return QStringLiteral("Lzrw1 : Error reading from input file : ") + name;
}

QString Tlzrw1::writeErrorMessage(const QString& name)
{
    return QStringLiteral("Lzrw1 : Error writing to output file : ") + name;
}

QString Tlzrw1::openInputMessage(const QString& name)
{
    return QStringLiteral("Lzrw1 (de)compression : Failed to open input file : ") + name;
}

QString Tlzrw1::openOutputMessage(const QString& name)
{
    return QStringLiteral("Lzrw1 (de)compression : Failed to open output file : ") + name;
}

QString Tlzrw1::invalidHeaderMessage(const QString& name)
{
    return name + QStringLiteral(" : Lzrw1 decompression : this file has no valid header !");
}

QString Tlzrw1::sizeMismatchMessage()
{
    return QStringLiteral(
        "Lzrw1 (decompression LZRW1/KH) : Original and compressed sizes do not match !");
}

QByteArray Tlzrw1::compressBlock(QByteArrayView piece)
{
    const int size = int(qMin<qsizetype>(piece.size(), kPieceSize));
    // The hash of the last two positions reads up to two bytes past the
    // piece; they are zeros here and never decide the output.
    QByteArray padded(size + 2, '\0');
    if (size > 0)
        std::memcpy(padded.data(), piece.data(), size_t(size));
    const auto* in = reinterpret_cast<const quint8*>(padded.constData());

    // One step may write a control word and a run item (6 bytes) past size
    // before the loop notices that the piece does not shrink.
    QByteArray coded(size + 16, '\0');
    auto* out = reinterpret_cast<quint8*>(coded.data());
    std::array<quint16, kHashSize> table;
    table.fill(kNone);

    out[0] = kCompressed;
    int controlAt = 1;
    int o = 3;
    quint32 control = 0;
    int items = 0;
    int p = 0;
    while (p < size && o <= size) {
        if (items == kGroupItems) {
            putControl(out + controlAt, control);
            controlAt = o;
            o += 2;
            items = 0;
            control = 0;
        }
        const quint8 byte = in[p];
        int run = 1;
        while (run < kMaxRun && p + run < size && in[p + run] == byte)
            ++run;
        if (run >= kMinRun) {
            const int count = run - kMinRun;
            out[o++] = 0;
            out[o++] = quint8(count >> 8);
            out[o++] = quint8(count);
            out[o++] = byte;
            p += run;
            control = (control << 1) | 1;
        } else {
            const unsigned h = hash3(in + p);
            const int q = table[h];
            table[h] = quint16(p);
            int length = 0;
            if (q != kNone && p - q <= kMaxDistance) {
                while (length < kMaxCopy && p + length < size && in[q + length] == in[p + length])
                    ++length;
            }
            if (length >= kMinCopy) {
                const int value = (p - q) * 16 + (length - kMinCopy);
                out[o++] = quint8(value >> 8);
                out[o++] = quint8(value);
                p += length;
                control = (control << 1) | 1;
            } else {
                out[o++] = byte;
                ++p;
                control <<= 1;
            }
        }
        ++items;
    }
    putControl(out + controlAt, control << (kGroupItems - items));

    if (o > size) {
        // It did not shrink: stored instead.
        QByteArray stored(1, char(kStored));
        stored.append(piece.data(), size);
        return stored;
    }
    coded.truncate(o);
    return coded;
}

int Tlzrw1::decodeBlock(QByteArrayView data, char* outChars)
{
    const qsizetype n = data.size();
    if (n < 2)
        return 0;
    if (n > kMaxBlockLength)
        return -1;
    const auto* in = reinterpret_cast<const quint8*>(data.data());
    auto* out = reinterpret_cast<quint8*>(outChars);
    if (in[0] == kStored) {
        std::memcpy(out, in + 1, size_t(n - 1));
        return int(n - 1);
    }
    if (n < 3)
        return 0; // a control word without items

    quint32 control = (quint32(in[1]) << 8) | in[2];
    int used = 0;
    qsizetype i = 3;
    int o = 0;
    while (i < n) {
        if (used == kGroupItems) {
            if (n - i < 2)
                return -1;
            control = (quint32(in[i]) << 8) | in[i + 1];
            i += 2;
            used = 0;
            continue;
        }
        const bool coded = control & 0x8000;
        control = (control << 1) & 0xFFFF;
        ++used;
        if (!coded) {
            if (o >= kPieceSize)
                return -1;
            out[o++] = in[i++];
            continue;
        }
        if (n - i < 2)
            return -1;
        const int b0 = in[i];
        const int b1 = in[i + 1];
        const int distance = b0 * 16 + (b1 >> 4);
        if (distance == 0) {
            if (n - i < 4)
                return -1;
            const int count = b1 * 256 + in[i + 2] + kMinRun;
            if (count > kPieceSize - o)
                return -1;
            std::memset(out + o, in[i + 3], size_t(count));
            o += count;
            i += 4;
        } else {
            const int length = (b1 & 0x0F) + kMinCopy;
            if (distance > o || length > kPieceSize - o)
                return -1;
            // Byte by byte: a copy may overlap what it produces.
            for (int k = 0; k < length; ++k, ++o)
                out[o] = out[o - distance];
            i += 2;
        }
    }
    return o;
}

QByteArray Tlzrw1::Compress(QByteArrayView input)
{
    QByteArray file;
    file.reserve(8 + input.size() + (input.size() / kPieceSize + 1) * 3);
    file.append(kSignature, 4);
    char word[4];
    qToLittleEndian<quint32>(quint32(input.size()), word);
    file.append(word, 4);
    qsizetype at = 0;
    while (true) {
        const qsizetype length = qMin<qsizetype>(kPieceSize, input.size() - at);
        const QByteArray block = compressBlock(input.sliced(at, length));
        at += length;
        qToLittleEndian<quint16>(quint16(block.size()), word);
        file.append(word, 2);
        file.append(block);
        if (length < kPieceSize)
            break;
    }
    return file;
}

QByteArray Tlzrw1::Decompress(QByteArrayView file, const QString& name)
{
    qsizetype at = 0;
    // The next count bytes of the file; a file cut short is a failed read.
    const auto take = [&](qsizetype count) {
        if (file.size() - at < count)
            throw ELzrw1Exception(readErrorMessage(name));
        const QByteArrayView bytes = file.sliced(at, count);
        at += count;
        return bytes;
    };

    // Only this method is decoded; the other signature counts as invalid.
    if (take(4) != QByteArrayView(kSignature, 4))
        throw ELzrw1Exception(invalidHeaderMessage(name));
    const quint32 expected = qFromLittleEndian<quint32>(take(4).data());

    QByteArray result;
    std::array<char, kPieceSize> block;
    int decoded = 0;
    do {
        const quint16 length = qFromLittleEndian<quint16>(take(2).data());
        if (length > kMaxBlockLength)
            throw ELzrw1Exception(sizeMismatchMessage());
        decoded = decodeBlock(take(length), block.data());
        if (decoded < 0 || quint64(result.size()) + quint64(decoded) > expected)
            throw ELzrw1Exception(sizeMismatchMessage());
        result.append(block.data(), decoded);
    } while (decoded == kPieceSize);
    if (quint64(result.size()) != expected)
        throw ELzrw1Exception(sizeMismatchMessage());
    return result;
}

} // namespace gorse
