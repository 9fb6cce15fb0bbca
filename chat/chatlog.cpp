#include "chat/chatlog.h"

#include <algorithm>

namespace gorse {

namespace {

// The window text colour of the initial style sheet. It only shows until the
// first line of an origin sets that origin's colour.
constexpr ChatColour kWindowText = kBlack;

bool isAsciiDigit(QChar c)
{
    return c.unicode() >= u'0' && c.unicode() <= u'9';
}

// The origin of a chat line: a connection number 0..9 in decimal digits.
bool parseOrigin(QStringView text, int& origin)
{
    if (text.isEmpty() || text.size() > 4)
        return false;
    int value = 0;
    for (QChar c : text) {
        if (!isAsciiDigit(c))
            return false;
        value = value * 10 + (c.unicode() - u'0');
    }
    if (value > kConnectionCount)
        return false;
    origin = value;
    return true;
}

// The image a smiley code stands for: two digits 10..27 give 0..17,
// anything else image 0.
int smileyImage(QStringView code)
{
    if (code.size() != 2 || !isAsciiDigit(code[0]) || !isAsciiDigit(code[1]))
        return 0;
    const int number = (code[0].unicode() - u'0') * 10 + (code[1].unicode() - u'0');
    return number >= 10 && number <= 27 ? number - 10 : 0;
}

bool isLinkWord(const QString& word)
{
    const QString lower = word.toLower();
    return lower.contains(QLatin1StringView("http://")) ||
           lower.contains(QLatin1StringView("www."));
}

} // namespace

ChatLog::ChatLog(GameOptions* options, QObject* parent) : QObject(parent), m_options(options)
{
    connect(options, &GameOptions::changed, this, [this](GameOptions::Option option) {
        if (option == GameOptions::Option::TextSize)
            emit textSizeChanged(m_options->textSize());
        else if (option == GameOptions::Option::TextColour)
            emit chatColourChanged(m_options->textColour());
    });
    m_styles[0] = {kBlue, false, false, false};
    m_styles[1] = {kBlue, true, false, false};
    m_styles[2] = {kNavy, true, false, false};
    m_styles[3] = {kMaroon, false, true, false};
    m_styles[4] = {kGreen, false, false, true};
    m_styles[5] = {kGreen, false, false, true};
    m_styles[6] = {kSilver, false, false, false};
    m_styles[7] = {kSilver, false, false, false};
    for (int i = 8; i < kStyleCount; ++i)
        m_styles[i] = {kWindowText, false, false, false};
}

ChatStyle ChatLog::style(int number) const
{
    if (number < 0 || number >= kStyleCount)
        return {};
    return m_styles[number];
}

bool ChatLog::chatrecieved(const QString& fields)
{
    const qsizetype bar = fields.lastIndexOf(QLatin1Char('|'));
    if (bar < 0)
        return addlinetochat(fields, kFallbackColour);
    const std::optional<ChatColour> colour = colourFromText(fields.mid(bar + 1));
    return addlinetochat(fields.left(bar), colour.value_or(kFallbackColour));
}

void ChatLog::addSystemLine(const QString& text)
{
    addlinetochat(QStringLiteral("0+") + text, kSystemColour);
}

bool ChatLog::addlinetochat(const QString& line, ChatColour colour)
{
    const qsizetype plus = line.indexOf(QLatin1Char('+'));
    int origin = 0;
    if (plus < 0 || !parseOrigin(QStringView(line).left(plus), origin))
        return false;
    const int styleNumber = styleForOrigin(origin);

    QString body = line.mid(plus + 1);
    QString namePart;
    const qsizetype colon = body.indexOf(QLatin1Char(':'));
    if (colon >= 0) {
        namePart = body.left(colon + 1);
        body.remove(0, colon + 1);
    }

    // The style is shared by every line of this origin, so they all take the
    // latest line's colour.
    const ChatStyle lineStyle{colour, true, false, false};
    if (m_styles[styleNumber] != lineStyle) {
        m_styles[styleNumber] = lineStyle;
        emit styleChanged(styleNumber);
    }

    if (m_lineCount >= m_maxLines)
        removeFirstLines(m_lineCount - m_maxLines + trimLines());
    const int first = int(m_pieces.size());
    ChatPiece name;
    name.text = namePart + QLatin1Char(' ');
    name.style = styleNumber;
    name.startsLine = true;
    appendPiece(std::move(name));

    static const QString smileyTag = QStringLiteral(":)#");
    qsizetype at;
    while ((at = body.indexOf(smileyTag)) >= 0) {
        addWords(body.left(at), styleNumber);
        const QString code = body.mid(at + smileyTag.size(), 2);
        body.remove(0, at + smileyTag.size() + code.size());
        ChatPiece image;
        image.kind = ChatPiece::Kind::Image;
        image.style = styleNumber;
        image.image = smileyImage(code);
        appendPiece(std::move(image));
    }
    if (!body.isEmpty())
        addWords(body, styleNumber);

    ++m_lineCount;
    emit piecesAdded(first);
    return true;
}

void ChatLog::addWords(const QString& text, int style)
{
    const QString spaced = text + QLatin1Char(' ');
    qsizetype start = 0;
    for (qsizetype i = 0; i < spaced.size(); ++i) {
        if (spaced.at(i) != QLatin1Char(' '))
            continue;
        const QString word = spaced.mid(start, i - start + 1);
        start = i + 1;
        if (isLinkWord(word)) {
            addLink(word);
        } else {
            ChatPiece piece;
            piece.text = word;
            piece.style = style;
            appendPiece(std::move(piece));
        }
    }
}

void ChatLog::addLink(const QString& word)
{
    ++m_linkCounter;
    if (m_linkCounter >= kLinkCount)
        m_linkCounter = 1;
    m_links[m_linkCounter] = word;
    ChatPiece piece;
    piece.kind = ChatPiece::Kind::Link;
    piece.text = word;
    piece.style = kLinkStyle;
    piece.link = m_linkCounter;
    appendPiece(std::move(piece));
}

void ChatLog::appendPiece(ChatPiece piece)
{
    m_starts.append(m_length);
    m_length += piece.length();
    m_pieces.append(std::move(piece));
}

void ChatLog::removeFirstLines(int lines)
{
    lines = std::min(lines, m_lineCount);
    if (lines <= 0)
        return;
    qsizetype end = 0;
    for (int line = 0; line < lines; ++line) {
        ++end;
        while (end < m_pieces.size() && !m_pieces[end].startsLine)
            ++end;
    }
    // Taken off the front: the lists move their start, nothing is copied.
    m_pieces.remove(0, end);
    m_starts.remove(0, end);
    m_base = m_starts.isEmpty() ? m_length : m_starts.first();
    m_lineCount -= lines;
    emit firstLinesRemoved(lines);
}

void ChatLog::setMaxLines(int lines)
{
    m_maxLines = std::max(lines, 1);
    if (m_lineCount > m_maxLines)
        removeFirstLines(m_lineCount - m_maxLines);
}

void ChatLog::clear()
{
    m_pieces.clear();
    m_starts.clear();
    m_length = 0;
    m_base = 0;
    m_lineCount = 0;
    emit cleared();
}

QString ChatLog::linkAddress(int number) const
{
    if (number < 0 || number >= kLinkCount)
        return {};
    QString address = m_links[number];
    qsizetype end = address.size();
    while (end > 0 && address.at(end - 1) == QLatin1Char(' '))
        --end;
    address.truncate(end);
    return address;
}

QUrl ChatLog::linkUrl(int number) const
{
    QString address = linkAddress(number);
    if (address.isEmpty())
        return {};
    if (address.startsWith(QLatin1StringView("www."), Qt::CaseInsensitive))
        address.prepend(QLatin1StringView("http://"));
    QUrl url(address, QUrl::TolerantMode);
    // Only web pages are opened; a chat text must not start other handlers.
    const QString scheme = url.scheme();
    if (!url.isValid() || url.host().isEmpty() ||
        (scheme != QLatin1StringView("http") && scheme != QLatin1StringView("https")))
        return {};
    return url;
}

QString ChatLog::plainText(qsizetype from, qsizetype to) const
{
    from = std::clamp<qsizetype>(from, 0, length()) + m_base;
    to = std::max(std::clamp<qsizetype>(to, 0, length()) + m_base, from);
    QString out;
    if (from >= to)
        return out;
    // The last piece starting at or before 'from'.
    auto it = std::upper_bound(m_starts.cbegin(), m_starts.cend(), from);
    qsizetype i = std::max<qsizetype>(0, (it - m_starts.cbegin()) - 1);
    for (; i < m_pieces.size() && m_starts[i] < to; ++i) {
        const ChatPiece& piece = m_pieces[i];
        const qsizetype start = m_starts[i];
        const qsizetype lo = std::max(start, from);
        const qsizetype hi = std::min(start + piece.length(), to);
        if (lo >= hi)
            continue;
        if (piece.startsLine && lo == start)
            out += QLatin1StringView("\r\n");
        if (piece.kind != ChatPiece::Kind::Image)
            out += QStringView(piece.text).mid(lo - start, hi - lo);
    }
    return out;
}

int ChatLog::textSize() const
{
    return m_options->textSize();
}

void ChatLog::chooseTextSize(int points)
{
    if (m_options->setTextSize(points))
        m_options->save();
}

ChatColour ChatLog::chatColour() const
{
    return m_options->textColour();
}

void ChatLog::chooseChatColour(ChatColour colour)
{
    m_options->setTextColour(colour);
    m_options->save();
}

void ChatLog::setScrollChatOff(bool on)
{
    if (on == m_scrollChatOff)
        return;
    m_scrollChatOff = on;
    emit scrollChatOffChanged(on);
}

} // namespace gorse
