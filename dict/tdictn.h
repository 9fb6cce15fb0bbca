#pragma once

#include "game/wordlist.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringView>

#include <optional>

namespace gorse {

// The word list the host checks words against, and the lookup.
//
// A list is a run of 15-byte records without header: the byte 0x1E, then a
// word of up to 14 upper-case letters, left-aligned and filled up with
// blanks, in ascending byte order (equal records may follow each other).
// Lookups are a binary search over the records held in memory. Two lists
// are built into the program: the standard one, used by default, and a
// large one that also has rarer and abbreviation-like short words; another
// list can be loaded from a file. Nothing is ever written to disk.
class TDictn
{
public:
    static constexpr int recordsize = 15;
    static constexpr int keywidth = 15;

    using BuiltinList = gorse::BuiltinList;

    // Uses the built-in standard list. Should it be missing, the dictionary
    // stays closed and errorString() tells why.
    TDictn();
    // Uses the given built-in list, the same way.
    explicit TDictn(BuiltinList list);
    // Uses the given records (whole records only).
    explicit TDictn(const QByteArray& records);

    // Replaces the list by the records of the file at path, read-only.
    // Returns an empty string on success; otherwise the error text, and the
    // dictionary is closed, so that every lookup answers "not found".
    QString loadFile(const QString& path);
    // Replaces the list by the given built-in one; returns like loadFile().
    QString loadBuiltin(BuiltinList list);
    // Replaces the list by the given records; a trailing partial record is
    // ignored.
    void setRecords(const QByteArray& records);

    // The 1-based number of a record equal to the text, or -1 when there is
    // none, the text is empty or blank, or no list is open. Only the first
    // 255 characters count; zero bytes are taken as blanks, surrounding
    // blanks and letter case do not matter.
    int findword(QByteArrayView text) const;
    bool isword(QByteArrayView text) const { return findword(text) > 0; }

    bool isOpen() const { return m_open; }
    qsizetype recordCount() const { return m_lastIndex + 1; }
    // The list's records as loaded (whole records, in list order).
    QByteArray records() const { return m_records; }
    // The reason the last attempt to open a list failed, else empty.
    QString errorString() const { return m_error; }

    // Whether every record is already in the form lookups compare (no zero
    // bytes, no lower-case letters, no leading blank).
    static bool isPlain(QByteArrayView records);

    // The text shown when a list cannot be read.
    static QString notFoundMessage();

private:
    void close(const QString& error);
    void adopt(const QByteArray& records, bool plain);

    QByteArray m_records; // may share the program's read-only resource data
    qsizetype m_lastIndex = -1;
    bool m_open = false;
    bool m_plain = true; // every record is already in normalised form
    QString m_error;
};

} // namespace gorse
