#pragma once

// The chat pane's document: every line the player reads outside the board,
// cut into pieces of text, smiley images and links, with the pane's style
// sheet, link table, text size, chat colour and scroll switch. A view draws
// it; nothing here knows about widgets.

#include "game/chatcolour.h"
#include "settings/gameoptions.h"

#include <QList>
#include <QObject>
#include <QString>
#include <QUrl>
#include <algorithm>
#include <array>

namespace gorse {

// One text style of the pane's style sheet.
struct ChatStyle
{
    ChatColour colour = kBlack;
    bool bold = false;
    bool italic = false;
    bool underline = false;
    bool operator==(const ChatStyle&) const = default;
};

// One piece of a line: a run of text in a style, a smiley image, or a link
// (text in the link style that carries its link number).
struct ChatPiece
{
    enum class Kind { Text, Image, Link };
    Kind kind = Kind::Text;
    QString text;   // empty for an image
    int style = 0;  // style sheet entry the piece is drawn with
    int image = -1; // smiley image 0..17 for an image
    int link = -1;  // link table entry for a link
    bool startsLine = false;
    // Positions the piece takes in the document: an image takes one.
    qsizetype length() const { return kind == Kind::Image ? 1 : text.size(); }
    bool operator==(const ChatPiece&) const = default;
};

class ChatLog : public QObject
{
    Q_OBJECT
public:
    static constexpr int kStyleCount = 15;
    static constexpr int kLinkStyle = 4;
    static constexpr int kLinkCount = 101;
    static constexpr int kSmileyCount = 18;
    // The pane keeps at most this many lines; a new line beyond them lets
    // the oldest tenth go at once (one change of the pane, not one per line).
    static constexpr int kMaxLines = 5000;

    // The text size and the chat colour are the player's options (not owned).
    explicit ChatLog(GameOptions* options, QObject* parent = nullptr);

    // Adds one chat line ("origin+body") in the given colour. A line whose
    // origin is not a connection number 0..9 is dropped (returns false).
    bool addlinetochat(const QString& line, ChatColour colour);
    // A relayed chat or action: the text after the command, whose colour
    // text follows the last "|".
    bool chatrecieved(const QString& fields);
    // A notice of this client's own: a system line in the system colour.
    void addSystemLine(const QString& text);
    // Removes every line. The link table and counter stay as they are.
    void clear();
    // How many lines are kept at most (kMaxLines unless changed, at least 1).
    int maxLines() const { return m_maxLines; }
    void setMaxLines(int lines);
    // How many of the oldest lines go when a line is added to a full log.
    int trimLines() const { return std::max(1, m_maxLines / 10); }

    // Style 0 for system lines (origin 0), origin + 5 for connections 1..9.
    static int styleForOrigin(int origin) { return origin == 0 ? 0 : origin + 5; }

    const QList<ChatPiece>& pieces() const { return m_pieces; }
    int lineCount() const { return m_lineCount; }
    ChatStyle style(int number) const;

    // The number of the last link stored; -1 before the first link.
    int linkCounter() const { return m_linkCounter; }
    // The address stored under a link number, trailing spaces removed.
    QString linkAddress(int number) const;
    // The web address a click on that link opens: "http://" is put before an
    // address starting with "www."; anything that is not then an http or
    // https address gives an invalid QUrl.
    QUrl linkUrl(int number) const;

    // Plain text of the document positions [from, to): each piece starting a
    // line that begins inside the range is preceded by "\r\n", images give
    // nothing. Positions count every piece's length from the first line
    // kept, lines are not separated.
    QString plainText(qsizetype from, qsizetype to) const;
    QString plainText() const { return plainText(0, length()); }
    qsizetype length() const { return m_length - m_base; }

    // Font size shared by all 15 styles (the options' text size).
    // chooseTextSize is the player's choice and saves the settings; sizes
    // outside 1..200 are ignored.
    int textSize() const;
    void chooseTextSize(int points);

    // The colour sent with the player's own chat (the options' text colour).
    // chooseChatColour is the player's choice and saves the settings.
    ChatColour chatColour() const;
    void chooseChatColour(ChatColour colour);

    // "Scroll Chat Off": while on, new lines do not scroll the pane.
    bool scrollChatOff() const { return m_scrollChatOff; }
    void setScrollChatOff(bool on);

signals:
    // Pieces from index first to the end were added (one new line).
    void piecesAdded(int first);
    // The oldest lines were let go to keep at most maxLines() (their pieces
    // are gone from pieces()).
    void firstLinesRemoved(int lines);
    // A style's colour or font style changed; its pieces are drawn anew.
    void styleChanged(int style);
    void cleared();
    void textSizeChanged(int points);
    void chatColourChanged(quint32 colour);
    void scrollChatOffChanged(bool on);

private:
    void appendPiece(ChatPiece piece);
    void removeFirstLines(int lines);
    void addWords(const QString& text, int style);
    void addLink(const QString& word);

    QList<ChatPiece> m_pieces;
    QList<qsizetype> m_starts; // document position of each piece
    qsizetype m_length = 0;
    qsizetype m_base = 0; // document position of the first piece kept
    int m_lineCount = 0;
    int m_maxLines = kMaxLines;
    std::array<ChatStyle, kStyleCount> m_styles;
    std::array<QString, kLinkCount> m_links;
    int m_linkCounter = -1;
    GameOptions* m_options; // not owned
    bool m_scrollChatOff = false;
};

} // namespace gorse
