#include "settings/inifile.h"

#include <QFile>
#include <QSaveFile>
#include <QStringDecoder>

namespace gorse {

namespace {

bool isBlank(char c)
{
    return c == ' ' || c == '\t';
}

QByteArray trimmedBytes(QByteArrayView text)
{
    qsizetype from = 0;
    qsizetype to = text.size();
    while (from < to && isBlank(text[from]))
        ++from;
    while (to > from && isBlank(text[to - 1]))
        --to;
    return text.sliced(from, to - from).toByteArray();
}

// Text written by other programs may be UTF-8 or a single-byte encoding; a
// line that is not valid UTF-8 is read as Latin-1.
QString decode(const QByteArray& bytes)
{
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = utf8(bytes);
    if (utf8.hasError())
        return QString::fromLatin1(bytes);
    return text;
}

bool sameName(const QByteArray& bytes, QStringView name)
{
    return QStringView(decode(bytes)).compare(name, Qt::CaseInsensitive) == 0;
}

// The line without a byte order mark and leading blanks.
QByteArrayView content(const QByteArray& text)
{
    QByteArrayView view(text);
    if (view.startsWith("\xEF\xBB\xBF"))
        view = view.sliced(3);
    while (!view.isEmpty() && isBlank(view.front()))
        view = view.sliced(1);
    return view;
}

bool isHeader(const QByteArray& text)
{
    return content(text).startsWith('[');
}

// The name of a "[name]" line; text after the "]" does not count.
QByteArray headerName(const QByteArray& text)
{
    QByteArrayView view = content(text).sliced(1);
    const qsizetype close = view.indexOf(']');
    return trimmedBytes(close < 0 ? view : view.first(close));
}

bool isKeyLine(const QByteArray& text)
{
    return !isHeader(text) && text.contains('=');
}

QByteArray keyName(const QByteArray& text)
{
    return trimmedBytes(QByteArrayView(text).first(text.indexOf('=')));
}

// A value as written: one line.
QByteArray valueBytes(const QString& value)
{
    QString line = value;
    line.replace(u'\r', u' ').replace(u'\n', u' ').replace(QChar(0), u' ');
    return line.toUtf8();
}

} // namespace

IniFile::IniFile(QString path) : path_(std::move(path))
{
}

QString IniFile::readFile(const QString& path, QByteArray* data)
{
    data->clear();
    QFile file(path);
    if (!file.exists())
        return {};
    if (!file.open(QIODevice::ReadOnly))
        return file.errorString();
    *data = file.readAll();
    if (file.error() != QFileDevice::NoError)
        return file.errorString();
    return {};
}

QString IniFile::load()
{
    QByteArray data;
    const QString error = readFile(path_, &data);
    parse(data);
    return error;
}

void IniFile::parse(const QByteArray& data)
{
    lines_.clear();
    qsizetype from = 0;
    while (from < data.size()) {
        const qsizetype newlineAt = data.indexOf('\n', from);
        if (newlineAt < 0) {
            lines_.push_back({data.sliced(from), {}});
            break;
        }
        qsizetype textEnd = newlineAt;
        if (textEnd > from && data[textEnd - 1] == '\r')
            --textEnd;
        lines_.push_back(
            {data.sliced(from, textEnd - from), data.sliced(textEnd, newlineAt + 1 - textEnd)});
        from = newlineAt + 1;
    }
}

QByteArray IniFile::bytes() const
{
    QByteArray out;
    for (const Line& line : lines_)
        out += line.text + line.end;
    return out;
}

QByteArray IniFile::newline() const
{
    for (const Line& line : lines_) {
        if (!line.end.isEmpty())
            return line.end;
    }
    return QByteArrayLiteral("\n");
}

int IniFile::findSection(QStringView section) const
{
    for (size_t i = 0; i < lines_.size(); ++i) {
        if (isHeader(lines_[i].text) && sameName(headerName(lines_[i].text), section))
            return int(i);
    }
    return -1;
}

int IniFile::sectionEnd(int header) const
{
    size_t i = size_t(header) + 1;
    while (i < lines_.size() && !isHeader(lines_[i].text))
        ++i;
    return int(i);
}

int IniFile::findKey(int header, QStringView key) const
{
    const int end = sectionEnd(header);
    for (int i = header + 1; i < end; ++i) {
        const QByteArray& text = lines_[size_t(i)].text;
        if (isKeyLine(text) && sameName(keyName(text), key))
            return i;
    }
    return -1;
}

bool IniFile::contains(QStringView section, QStringView key) const
{
    const int header = findSection(section);
    return header >= 0 && findKey(header, key) >= 0;
}

QString IniFile::value(QStringView section, QStringView key, const QString& defaultValue) const
{
    const int header = findSection(section);
    const int at = header < 0 ? -1 : findKey(header, key);
    if (at < 0)
        return defaultValue;
    const QByteArray& text = lines_[size_t(at)].text;
    QString value = decode(trimmedBytes(QByteArrayView(text).sliced(text.indexOf('=') + 1)));
    if (value.size() > kValueLimit) {
        // Never keep half of a character that takes two UTF-16 units.
        const bool splitsPair = value[kValueLimit - 1].isHighSurrogate();
        value.truncate(splitsPair ? kValueLimit - 1 : kValueLimit);
    }
    return value;
}

void IniFile::setValue(QStringView section, QStringView key, const QString& value)
{
    Pending change{section.toString(), key.toString(), value};
    apply(change);
    pending_.push_back(std::move(change));
}

void IniFile::apply(const Pending& change)
{
    const QByteArray nl = newline();
    const QByteArray value = valueBytes(change.value);
    const QByteArray keyLine = change.key.toUtf8() + '=' + value;
    const int header = findSection(change.section);
    if (header < 0) {
        if (!lines_.empty()) {
            if (lines_.back().end.isEmpty())
                lines_.back().end = nl;
            if (!content(lines_.back().text).isEmpty())
                lines_.push_back({{}, nl});
        }
        lines_.push_back({'[' + change.section.toUtf8() + ']', nl});
        lines_.push_back({keyLine, nl});
        return;
    }
    const int at = findKey(header, change.key);
    if (at >= 0) {
        // Keep the key as it is spelt and spaced; only the value changes.
        QByteArray& text = lines_[size_t(at)].text;
        qsizetype valueStart = text.indexOf('=') + 1;
        while (valueStart < text.size() && isBlank(text[valueStart]))
            ++valueStart;
        text = text.first(valueStart) + value;
        return;
    }
    int after = header;
    for (int i = header + 1; i < sectionEnd(header); ++i) {
        if (isKeyLine(lines_[size_t(i)].text))
            after = i;
    }
    if (lines_[size_t(after)].end.isEmpty())
        lines_[size_t(after)].end = nl;
    lines_.insert(lines_.begin() + after + 1, Line{keyLine, nl});
}

QString IniFile::save()
{
    if (pending_.empty())
        return {};
    QByteArray onDisk;
    const QString readError = readFile(path_, &onDisk);
    if (!readError.isEmpty())
        return readError;
    parse(onDisk);
    for (const Pending& change : pending_)
        apply(change);
    const QByteArray out = bytes();
    if (out == onDisk && QFile::exists(path_)) {
        pending_.clear();
        return {};
    }
    QSaveFile file(path_);
    if (!file.open(QIODevice::WriteOnly))
        return file.errorString();
    if (file.write(out) != out.size()) {
        const QString error = file.errorString();
        file.cancelWriting();
        return error;
    }
    if (!file.commit())
        return file.errorString();
    pending_.clear();
    return {};
}

std::optional<int> iniNumber(QStringView text, bool zeroX)
{
    qsizetype i = 0;
    bool negative = false;
    if (i < text.size() && (text[i] == u'+' || text[i] == u'-')) {
        negative = text[i] == u'-';
        ++i;
    }
    int base = 10;
    if (i < text.size() && text[i] == u'$') {
        base = 16;
        ++i;
    } else if (zeroX && i + 1 < text.size() && text[i] == u'0' &&
               (text[i + 1] == u'x' || text[i + 1] == u'X')) {
        base = 16;
        i += 2;
    }
    const QStringView digits = text.sliced(i);
    if (digits.isEmpty() || (base == 16 && digits.size() > 8))
        return std::nullopt;
    quint64 magnitude = 0;
    for (const QChar c : digits) {
        const int digit = c.isDigit() && c.unicode() < 128 ? c.unicode() - '0'
                          : base == 16 && c.toLower() >= u'a' && c.toLower() <= u'f'
                              ? c.toLower().unicode() - 'a' + 10
                              : -1;
        if (digit < 0)
            return std::nullopt;
        magnitude = magnitude * base + quint64(digit);
        if (magnitude > 0x100000000ULL)
            return std::nullopt;
    }
    if (base == 10 && magnitude > (negative ? 0x80000000ULL : 0x7FFFFFFFULL))
        return std::nullopt;
    // Hexadecimal is a 32-bit pattern: "$FFFFFFFF" is -1.
    const quint32 bits = quint32(magnitude);
    return static_cast<int>(negative ? 0u - bits : bits);
}

bool iniFlag(QStringView text, bool defaultValue)
{
    if (text == u"true")
        return true;
    if (text == u"false")
        return false;
    return defaultValue;
}

QString iniFlagText(bool on)
{
    return on ? QStringLiteral("true") : QStringLiteral("false");
}

} // namespace gorse
