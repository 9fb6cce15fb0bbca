#pragma once

#include <QByteArray>
#include <QString>
#include <QStringView>
#include <optional>
#include <vector>

namespace gorse {

// An ini-style text file that other programs share: "[Section]" lines, then
// "key=value" lines. Section and key names are matched without letter case
// (the first section and the first key of a name count); values are taken
// as they stand, with the blanks around them cut, no quotes removed and no
// escapes, and are cut to kValueLimit characters when read.
//
// Only what is set changes: setting a key rewrites the value of its line,
// or adds the line after the section's last key, or adds the section at the
// end of the file. Every other byte of the file (other sections and keys,
// comments, blank and unknown lines, the line ends, text in any encoding) is
// written back as it was read.
//
// load() reads the file into memory. save() reads the file again, applies
// the keys set since the last save to what it found (so changes that another
// program made in between are kept), and replaces the file atomically: a
// failed save leaves the file as it was.
class IniFile
{
public:
    static constexpr int kValueLimit = 2048;

    explicit IniFile(QString path);

    const QString& path() const { return path_; }

    // Reads the file. A missing file reads as an empty one. Returns "" or
    // why the file could not be read (the content is then empty).
    QString load();

    bool contains(QStringView section, QStringView key) const;
    // The key's value, or defaultValue when the section or key is absent.
    QString value(QStringView section, QStringView key, const QString& defaultValue = {}) const;
    // Sets a value in memory and remembers it for the next save(). A value
    // is one line: line breaks in it are written as spaces.
    void setValue(QStringView section, QStringView key, const QString& value);

    // Writes the keys set since the last save. Writes nothing when nothing
    // was set or the file already holds these values. Returns "" or why the
    // file could not be read or written; the keys then stay pending.
    QString save();

    // The whole file as it stands in memory.
    QByteArray bytes() const;

private:
    struct Line
    {
        QByteArray text; // without the line end
        QByteArray end;  // "\n", "\r\n", or "" for a last line without one
    };
    struct Pending
    {
        QString section;
        QString key;
        QString value;
    };

    static QString readFile(const QString& path, QByteArray* data);
    void parse(const QByteArray& data);
    void apply(const Pending& change);
    // Index of the section's header line, or -1.
    int findSection(QStringView section) const;
    // Index of the key's line within the section starting at header, or -1.
    int findKey(int header, QStringView key) const;
    // One past the last line of the section starting at header.
    int sectionEnd(int header) const;
    QByteArray newline() const;

    QString path_;
    std::vector<Line> lines_;
    std::vector<Pending> pending_;
};

// A whole number as the settings file holds it: decimal with an optional
// sign, or hexadecimal after "$" (and, when zeroX is set, after "0x" or
// "0X"), up to eight digits read as a 32-bit value ("$FFFFFFFF" is -1).
// Empty when the text is not such a number.
std::optional<int> iniNumber(QStringView text, bool zeroX = true);

// A flag value: "true" and "false" in exactly that letter case, anything
// else (including "TRUE" or "False") gives the default.
bool iniFlag(QStringView text, bool defaultValue);
QString iniFlagText(bool on);

} // namespace gorse
