#include "chat/chatlog.h"
#include "support/qtprint.h"

#include <QSignalSpy>
#include <gtest/gtest.h>

using namespace gorse;
using namespace Qt::StringLiterals;

namespace {

// The pieces of a log written out: a line start as "|", text as [text],
// an image as <n>, a link as {text#n}.
QString describe(const ChatLog& log)
{
    QString out;
    for (const ChatPiece& p : log.pieces()) {
        out += p.startsLine ? u"|"_s : QString();
        if (p.kind == ChatPiece::Kind::Image)
            out += u'<' + QString::number(p.image) + u'>';
        else if (p.kind == ChatPiece::Kind::Link)
            out += u'{' + p.text + u'#' + QString::number(p.link) + u'}';
        else
            out += u'[' + p.text + u']';
    }
    return out;
}

// A log holding one line per given text, all in the system colour.
void addLines(ChatLog& log, std::initializer_list<QString> lines)
{
    for (const QString& line : lines)
        ASSERT_TRUE(log.addlinetochat(line, kSystemColour)) << line.toStdString();
}

} // namespace

TEST(ChatLog, RelayedLinesAreCutIntoPieces)
{
    struct Case
    {
        QString fields;
        QString pieces;
        ChatColour colour;
    };
    const Case cases[] = {
        // A system line has an empty name part.
        {u"0+You are Connected.|clBlue"_s, u"|[ ][You ][are ][Connected. ]"_s, kBlue},
        // The body keeps the space after the colon; every word keeps one space.
        {u"3+Ann chats: hi :)#12 there|$00123456"_s, u"|[Ann chats: ][ ][hi ][ ]<2>[ ][there ]"_s,
         0x123456},
        {u"3+Ann chats: Hi+there|clBlack"_s, u"|[Ann chats: ][ ][Hi+there ]"_s, kBlack},
        {u"0+a  b |clBlack"_s, u"|[ ][a ][ ][b ][ ]"_s, kBlack},
        // Smiley codes 10..27 give images 0..17; 99, letters and 09 give 0.
        {u"2+A: :)#10:)#27:)#99:)#ab:)#09|clBlack"_s, u"|[A: ][ ][ ]<0>[ ]<17>[ ]<0>[ ]<0>[ ]<0>"_s,
         kBlack},
        // Two characters belong to a code; fewer than two give image 0.
        {u"2+A: x:)#1234|clBlack"_s, u"|[A: ][ ][x ]<2>[34 ]"_s, kBlack},
        {u"2+A: :)#1|clBlack"_s, u"|[A: ][ ][ ]<0>"_s, kBlack},
        {u"2+A: end:)#|clBlack"_s, u"|[A: ][ ][end ]<0>"_s, kBlack},
        // "www." and "http://" in any case make links; "https://" alone does not.
        {u"4+Cy chats: see WWW.Example.com and Http://x.org/a?b=1 or https://safe.net|clRed"_s,
         u"|[Cy chats: ][ ][see ]{WWW.Example.com #0}[and ]{Http://x.org/a?b=1 #1}"
         u"[or ][https://safe.net ]"_s,
         kRed},
        // In an action line the first colon, of a smiley or an address, ends the name part.
        {u"4+Bob waves :)#12|clBlack"_s, u"|[Bob waves : ][)#12 ]"_s, kBlack},
        {u"4+Bob go http://b.com now|clBlack"_s, u"|[Bob go http: ][//b.com ][now ]"_s, kBlack},
        {u"4+Bob likes www.a.com|clBlack"_s, u"|[ ][Bob ][likes ]{www.a.com #0}"_s, kBlack},
        // Only the last "|" separates the colour; none or a bad one gives red.
        {u"3+Ann chats: a|b|clBlue"_s, u"|[Ann chats: ][ ][a|b ]"_s, kBlue},
        {u"3+Ann chats: plain"_s, u"|[Ann chats: ][ ][plain ]"_s, kRed},
        {u"3+Ann chats: x|clPink"_s, u"|[Ann chats: ][ ][x ]"_s, kRed},
        {u"3+Ann chats: x|"_s, u"|[Ann chats: ][ ][x ]"_s, kRed},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.fields.toStdString());
        GameOptions options;
        ChatLog log(&options);
        ASSERT_TRUE(log.chatrecieved(c.fields));
        EXPECT_EQ(describe(log), c.pieces);
        const int style = log.pieces().first().style;
        EXPECT_EQ(style, ChatLog::styleForOrigin(c.fields.front().digitValue()));
        EXPECT_EQ(log.style(style), (ChatStyle{c.colour, true, false, false}));
        for (const ChatPiece& p : log.pieces())
            EXPECT_EQ(p.style, p.kind == ChatPiece::Kind::Link ? ChatLog::kLinkStyle : style);
    }
    GameOptions options;
    EXPECT_EQ(ChatLog(&options).style(ChatLog::kLinkStyle),
              (ChatStyle{kGreen, false, false, true}));
}

TEST(ChatLog, LineWithoutValidOriginIsDropped)
{
    GameOptions options;
    ChatLog log(&options);
    QSignalSpy added(&log, &ChatLog::piecesAdded);
    QSignalSpy restyled(&log, &ChatLog::styleChanged);
    for (const QString& line :
         {u"no origin here"_s, u"7"_s, u"x+hi"_s, u"+hi"_s, u"10+hi"_s, u"-1+hi"_s})
        EXPECT_FALSE(log.addlinetochat(line, kBlack)) << line.toStdString();
    EXPECT_FALSE(log.chatrecieved(u"99+Zed chats: hi|clRed"_s));
    EXPECT_EQ(added.count(), 0);
    EXPECT_EQ(restyled.count(), 0);
    EXPECT_TRUE(log.addlinetochat(u"9+Spy: hi"_s, kBlack));
    EXPECT_EQ(log.pieces().at(0).style, 14);
}

TEST(ChatLog, OnlyWebAddressesAreOpened)
{
    GameOptions options;
    ChatLog log(&options);
    addLines(log, {u"0+x: WWW.Example.com Http://x.org/a?b=1"_s,
                   u"5+Di: file:///etc/passwd#http:// (www.x.com) javascript:alert(1)//www.y "
                   u"javascript://www.z.com/%0a"_s});
    EXPECT_EQ(log.linkCounter(), 5);
    EXPECT_EQ(log.linkAddress(0), u"WWW.Example.com"_s);
    EXPECT_EQ(log.linkUrl(0), QUrl(u"http://WWW.Example.com"_s));
    EXPECT_EQ(log.linkUrl(1), QUrl(u"http://x.org/a?b=1"_s));
    // Stored but not web pages, never stored, or out of range.
    for (int n : {2, 3, 4, 5, 6, -1, 101}) {
        EXPECT_EQ(log.linkAddress(n).isEmpty(), n < 2 || n > 5) << n;
        EXPECT_FALSE(log.linkUrl(n).isValid()) << n;
    }
}

TEST(ChatLog, ClearKeepsTheLinksAndTheCounterWrapsToOne)
{
    GameOptions options;
    ChatLog log(&options);
    QSignalSpy cleared(&log, &ChatLog::cleared);
    addLines(log, {u"0+www.site0.com"_s});
    log.clear();
    EXPECT_EQ(cleared.count(), 1);
    EXPECT_TRUE(log.pieces().isEmpty());
    EXPECT_EQ(log.length(), 0);
    for (int i = 1; i < 101; ++i)
        addLines(log, {u"0+www.site%1.com"_s.arg(i)});
    EXPECT_EQ(log.pieces().at(1).link, 1); // numbering goes on after the clear
    EXPECT_EQ(log.linkCounter(), 100);
    EXPECT_EQ(log.linkAddress(100), u"www.site100.com"_s);

    addLines(log, {u"0+www.newer.com"_s});
    EXPECT_EQ(log.linkCounter(), 1);
    // The first link shown and the newest both carry number 1 and open the newer address.
    EXPECT_EQ(log.pieces().last().link, 1);
    EXPECT_EQ(log.linkAddress(1), u"www.newer.com"_s);
    EXPECT_EQ(log.linkAddress(0), u"www.site0.com"_s);
    addLines(log, {u"0+www.next.com"_s});
    EXPECT_EQ(log.linkCounter(), 2);
}

TEST(ChatLog, PlainTextOfARange)
{
    GameOptions options;
    ChatLog log(&options);
    addLines(log, {u"0+You are Connected."_s, u"3+Ann chats: hi :)#12 there"_s});
    // Line starts get "\r\n"; the smiley gives nothing.
    const QString all = u"\r\n You are Connected. \r\nAnn chats:  hi   there "_s;
    // " You are Connected. " is 20, "Ann chats:  hi  " 16, the image 1, " there " 7.
    EXPECT_EQ(log.length(), 20 + 16 + 1 + 7);
    const std::tuple<int, int, QString> ranges[] = {
        {0, 44, all},           {5, 25, u"are Connected. \r\nAnn c"_s},
        {20, 23, u"\r\nAnn"_s},                  // starting at a line: its break belongs to it
        {16, 20, u"ed. "_s},                     // ending at a line: no break
        {21, 25, u"nn c"_s},                     // inside a line's first piece: no break
        {36, 37, QString()},                     // only the image
        {35, 38, u"  "_s},      {-5, 1000, all}, // out of range or reversed: clamped
        {10, 3, QString()},
    };
    for (const auto& [from, to, text] : ranges)
        EXPECT_EQ(log.plainText(from, to), text) << from << ".." << to;
    EXPECT_EQ(log.plainText(), all);
}

TEST(ChatLog, KeepsTheLastFiveThousandLines)
{
    GameOptions options;
    ChatLog log(&options);
    QSignalSpy removed(&log, &ChatLog::firstLinesRemoved);
    for (int i = 0; i < ChatLog::kMaxLines + 1000; ++i)
        ASSERT_TRUE(log.addlinetochat(u"0+line %1"_s.arg(i), kSystemColour));
    EXPECT_EQ(log.lineCount(), ChatLog::kMaxLines);
    // A full log lets its oldest tenth go at once: two times 500 lines.
    ASSERT_EQ(removed.size(), 2);
    EXPECT_EQ(removed.at(0).at(0).toInt(), ChatLog::kMaxLines / 10);
    log.addlinetochat(u"0+one more"_s, kSystemColour);
    EXPECT_EQ(log.lineCount(), ChatLog::kMaxLines - ChatLog::kMaxLines / 10 + 1);
    EXPECT_TRUE(log.plainText(0, 12).startsWith(u"\r\n line 1500"_s));
    int starts = 0;
    for (const ChatPiece& piece : log.pieces())
        starts += piece.startsLine;
    EXPECT_EQ(starts, log.lineCount());
    // Positions count from the oldest line kept.
    EXPECT_TRUE(log.plainText().endsWith(u"line 5999 \r\n one more "_s));
    EXPECT_EQ(log.plainText(0, log.length()).count(u"\r\n"_s), log.lineCount());

    // A smaller limit lets the oldest lines go at once; clearing starts afresh.
    log.setMaxLines(2);
    EXPECT_EQ(log.lineCount(), 2);
    EXPECT_EQ(log.plainText(), u"\r\n line 5999 \r\n one more "_s);
    log.clear();
    addLines(log, {u"0+a"_s, u"0+b"_s, u"0+c"_s});
    EXPECT_EQ(log.plainText(), u"\r\n b \r\n c "_s);
    EXPECT_EQ(log.length(), 6);
}
