#pragma once

// The tally file's compressor: LZRW1/KH in a small container. The container
// is the signature "WRZL", the uncompressed size (32-bit, little-endian) and
// one block per 32768-byte piece of the input, each a 16-bit little-endian
// length followed by the block's data. A piece is coded either stored (0x80
// and the bytes) or compressed (0x40 and groups of a 16-bit control word,
// high byte first, and up to 16 literal, copy or run items). Every block is
// coded and decoded on its own; the last piece is the first one shorter than
// 32768 bytes and may be empty.

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <stdexcept>

namespace gorse {

// Raised by the compressor with one of its fixed messages.
class ELzrw1Exception : public std::runtime_error
{
public:
    explicit ELzrw1Exception(const QString& message)
        : std::runtime_error(message.toStdString()), m_message(message)
    {
    }
    QString message() const { return m_message; }

private:
    QString m_message;
};

class Tlzrw1
{
public:
    static constexpr int kPieceSize = 32768;
    // The longest block data: a stored full piece.
    static constexpr int kMaxBlockLength = kPieceSize + 1;
    static constexpr quint8 kStored = 0x80;
    static constexpr quint8 kCompressed = 0x40;
    static constexpr char kSignature[] = "WRZL";
    // The other method's signature, which this reader does not decode.
    static constexpr char kLzhSignature[] = "!HZL";

    // The fixed messages; name is the file concerned.
    static QString readErrorMessage(const QString& name);
    static QString writeErrorMessage(const QString& name);
    static QString openInputMessage(const QString& name);
    static QString openOutputMessage(const QString& name);
    static QString invalidHeaderMessage(const QString& name);
    static QString sizeMismatchMessage();

    // The whole container for input. Cannot fail.
    static QByteArray Compress(QByteArrayView input);
    // The bytes coded in a container; name is the file the bytes came from,
    // for the messages. Throws ELzrw1Exception on a bad signature, a file cut
    // short, a damaged block or a size that does not match.
    static QByteArray Decompress(QByteArrayView file, const QString& name);

    // One block's data for a piece of at most kPieceSize bytes.
    static QByteArray compressBlock(QByteArrayView piece);
    // Decodes one block's data into out, which holds kPieceSize bytes.
    // Returns the number of bytes decoded, or -1 for data that cannot come
    // from the coder (a copy before the block's start, more than kPieceSize
    // bytes, an item cut short). Never reads or writes outside the buffers.
    static int decodeBlock(QByteArrayView data, char* out);
};

} // namespace gorse
