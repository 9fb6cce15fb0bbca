#include "chat/chatlog.h"

#include <QSignalSpy>
#include <gtest/gtest.h>

using namespace gorse;
using namespace Qt::StringLiterals;

// Readable failure output for texts.
static void PrintTo(const QString& text, std::ostream* os)
{
    *os << '"' << text.toStdString() << '"';
}

namespace {

// The pieces of a log written out: a line start as "|", text as [text],
// an image as <n>, a link as {text#n}.
QString describe(const ChatLog& log, int first = 0)
{
    QString out;
    const QList<ChatPiece>& pieces = log.pieces();
    for (qsizetype i = first; i < pieces.size(); ++i) {
        const ChatPiece& p = pieces[i];
        if (p.startsLine)
            out += u'|';
        switch (p.kind) {
        case ChatPiece::Kind::Text:
            out += u'[' + p.text + u']';
            break;
        case ChatPiece::Kind::Image:
            out += u'<' + QString::number(p.image) + u'>';
            break;
        case ChatPiece::Kind::Link:
            out += u'{' + p.text + u'#' + QString::number(p.link) + u'}';
            break;
        }
    }
    return out;
}

} // namespace

TEST(ChatLog, SystemLineHasEmptyNamePartAndBoldBlueWords)
{
    ChatLog log;
    EXPECT_FALSE(log.style(0).bold);
    ASSERT_TRUE(log.addlinetochat(u"0+You are Connected."_s, kSystemColour));
    EXPECT_EQ(describe(log), u"|[ ][You ][are ][Connected. ]"_s);
    for (const ChatPiece& p : log.pieces())
        EXPECT_EQ(p.style, 0);
    EXPECT_EQ(log.style(0), (ChatStyle{kBlue, true, false, false}));
    EXPECT_EQ(log.lineCount(), 1);
}

TEST(ChatLog, RelayedChatShowsNameWordsAndSmiley)
{
    ChatLog log;
    QSignalSpy added(&log, &ChatLog::piecesAdded);
    ASSERT_TRUE(log.chatrecieved(u"3+Ann chats: hi :)#12 there|$00123456"_s));
    // The body keeps the space after the colon; every word keeps its space.
    EXPECT_EQ(describe(log), u"|[Ann chats: ][ ][hi ][ ]<2>[ ][there ]"_s);
    for (const ChatPiece& p : log.pieces())
        EXPECT_EQ(p.style, 8);
    EXPECT_EQ(log.style(8), (ChatStyle{0x123456, true, false, false}));
    ASSERT_EQ(added.count(), 1);
    EXPECT_EQ(added.at(0).at(0).toInt(), 0);

    ASSERT_TRUE(log.chatrecieved(u"1+Bo says: yes|clBlack"_s));
    EXPECT_EQ(added.at(1).at(0).toInt(), 7);
    EXPECT_EQ(describe(log, 7), u"|[Bo says: ][ ][yes ]"_s);
    EXPECT_EQ(log.pieces().at(7).style, 6);

    // Only the first "+" ends the origin.
    log.clear();
    log.chatrecieved(u"3+Ann chats: Hi+there|clBlack"_s);
    EXPECT_EQ(describe(log), u"|[Ann chats: ][ ][Hi+there ]"_s);
}

TEST(ChatLog, SmileyCodes)
{
    ChatLog log;
    // 10 and 27 are the ends of the range; 99, letters and 09 are not. The
    // text before each code is added as words even when it is empty.
    log.addlinetochat(u"2+A: :)#10:)#27:)#99:)#ab:)#09"_s, kBlack);
    EXPECT_EQ(describe(log), u"|[A: ][ ][ ]<0>[ ]<17>[ ]<0>[ ]<0>[ ]<0>"_s);

    // Only two characters belong to the code; the rest is text.
    log.clear();
    log.addlinetochat(u"2+A: x:)#1234"_s, kBlack);
    EXPECT_EQ(describe(log), u"|[A: ][ ][x ]<2>[34 ]"_s);

    // Fewer than two characters left: image 0, nothing after it.
    log.clear();
    log.addlinetochat(u"2+A: :)#1"_s, kBlack);
    EXPECT_EQ(describe(log), u"|[A: ][ ][ ]<0>"_s);
    log.clear();
    log.addlinetochat(u"2+A: end:)#"_s, kBlack);
    EXPECT_EQ(describe(log), u"|[A: ][ ][end ]<0>"_s);
}

TEST(ChatLog, WordsKeepOneTrailingSpace)
{
    ChatLog log;
    log.addlinetochat(u"0+a  b "_s, kBlue);
    EXPECT_EQ(describe(log), u"|[ ][a ][ ][b ][ ]"_s);
}

TEST(ChatLog, LinksInAnyLetterCase)
{
    ChatLog log;
    log.chatrecieved(u"4+Cy chats: see WWW.Example.com and Http://x.org/a?b=1 or https://safe.net|clRed"_s);
    EXPECT_EQ(describe(log),
              u"|[Cy chats: ][ ][see ]{WWW.Example.com #0}[and ]{Http://x.org/a?b=1 #1}[or ][https://safe.net ]"_s);
    const ChatPiece& link = log.pieces().at(3);
    EXPECT_EQ(link.style, ChatLog::kLinkStyle);
    EXPECT_EQ(log.style(ChatLog::kLinkStyle), (ChatStyle{kGreen, false, false, true}));
    EXPECT_EQ(log.linkCounter(), 1);
    EXPECT_EQ(log.linkAddress(0), u"WWW.Example.com"_s);
    EXPECT_EQ(log.linkUrl(0), QUrl(u"http://WWW.Example.com"_s));
    EXPECT_EQ(log.linkUrl(1), QUrl(u"http://x.org/a?b=1"_s));
    EXPECT_TRUE(log.linkAddress(2).isEmpty());
    EXPECT_FALSE(log.linkUrl(2).isValid());
    EXPECT_TRUE(log.linkAddress(-1).isEmpty());
    EXPECT_TRUE(log.linkAddress(101).isEmpty());
}

TEST(ChatLog, LinkThatIsNotAWebAddressIsNotOpened)
{
    ChatLog log;
    log.addlinetochat(u"5+Di: file:///etc/passwd#http:// (www.x.com) javascript:alert(1)//www.y"_s, kBlack);
    EXPECT_EQ(log.linkCounter(), 2);
    for (int n = 0; n <= 2; ++n) {
        EXPECT_FALSE(log.linkAddress(n).isEmpty()) << n;
        EXPECT_FALSE(log.linkUrl(n).isValid()) << n;
    }
}

TEST(ChatLog, ActionLineNamePartEndsAtFirstColon)
{
    ChatLog log;
    // The colon of the smiley code ends the name part.
    log.chatrecieved(u"4+Bob waves :)#12|clBlack"_s);
    EXPECT_EQ(describe(log), u"|[Bob waves : ][)#12 ]"_s);

    // The colon of "http://" ends it too: the address is no link.
    log.chatrecieved(u"4+Bob go http://b.com now|clBlack"_s);
    EXPECT_EQ(describe(log, 2), u"|[Bob go http: ][//b.com ][now ]"_s);
    EXPECT_EQ(log.linkCounter(), -1);

    // "www." with no colon before it is a link.
    log.chatrecieved(u"4+Bob likes www.a.com|clBlack"_s);
    EXPECT_EQ(describe(log, 5), u"|[ ][Bob ][likes ]{www.a.com #0}"_s);
}

TEST(ChatLog, LinkCounterWrapsToOne)
{
    ChatLog log;
    for (int i = 0; i < 101; ++i)
        log.addlinetochat(u"0+www.site%1.com"_s.arg(i), kBlue);
    EXPECT_EQ(log.linkCounter(), 100);
    EXPECT_EQ(log.linkAddress(100), u"www.site100.com"_s);
    EXPECT_EQ(log.linkAddress(1), u"www.site1.com"_s);

    log.addlinetochat(u"0+www.newer.com"_s, kBlue);
    EXPECT_EQ(log.linkCounter(), 1);
    EXPECT_EQ(log.pieces().last().link, 1);
    // Both the second link and the newest carry number 1 and open the newer address.
    EXPECT_EQ(log.pieces().at(3).link, 1);
    EXPECT_EQ(log.linkAddress(1), u"www.newer.com"_s);
    EXPECT_EQ(log.linkAddress(0), u"www.site0.com"_s);

    log.addlinetochat(u"0+www.next.com"_s, kBlue);
    EXPECT_EQ(log.linkCounter(), 2);
}

TEST(ChatLog, ColourOfRelayedLines)
{
    ChatLog log;
    // No "|": the whole text is the line, in red.
    log.chatrecieved(u"3+Ann chats: plain"_s);
    EXPECT_EQ(log.style(8).colour, kRed);
    EXPECT_EQ(describe(log), u"|[Ann chats: ][ ][plain ]"_s);

    // Only the last "|" separates the colour.
    log.clear();
    log.chatrecieved(u"3+Ann chats: a|b|clBlue"_s);
    EXPECT_EQ(describe(log), u"|[Ann chats: ][ ][a|b ]"_s);
    EXPECT_EQ(log.style(8).colour, kBlue);

    // A colour text that does not convert gives red.
    for (const QString& bad : {u"clPink"_s, u"$12G45678"_s, u""_s, u"$123456789"_s}) {
        log.chatrecieved(u"3+Ann chats: x|clBlue"_s);
        ASSERT_EQ(log.style(8).colour, kBlue);
        log.chatrecieved(u"3+Ann chats: x|"_s + bad);
        EXPECT_EQ(log.style(8).colour, kRed) << bad.toStdString();
    }
}

TEST(ChatLog, LaterLineRecoloursEarlierLinesOfItsOrigin)
{
    ChatLog log;
    QSignalSpy restyled(&log, &ChatLog::styleChanged);
    log.chatrecieved(u"3+Ann chats: one|clBlack"_s);
    log.chatrecieved(u"2+Bo chats: two|clGreen"_s);
    ASSERT_EQ(restyled.count(), 2);
    // The same colour again changes nothing.
    log.chatrecieved(u"3+Ann chats: three|clBlack"_s);
    EXPECT_EQ(restyled.count(), 2);

    log.chatrecieved(u"3+Ann chats: four|clPurple"_s);
    ASSERT_EQ(restyled.count(), 3);
    EXPECT_EQ(restyled.at(2).at(0).toInt(), 8);
    EXPECT_EQ(log.style(8).colour, 0x800080u);
    EXPECT_EQ(log.style(7).colour, kGreen);
    // The first line still refers to style 8 and so shows the new colour.
    EXPECT_EQ(log.pieces().at(0).style, 8);
}

TEST(ChatLog, LineWithoutValidOriginIsDropped)
{
    ChatLog log;
    QSignalSpy added(&log, &ChatLog::piecesAdded);
    QSignalSpy restyled(&log, &ChatLog::styleChanged);
    EXPECT_FALSE(log.addlinetochat(u"no origin here"_s, kBlack));
    EXPECT_FALSE(log.addlinetochat(u"x+hi"_s, kBlack));
    EXPECT_FALSE(log.addlinetochat(u"+hi"_s, kBlack));
    EXPECT_FALSE(log.addlinetochat(u"10+hi"_s, kBlack));
    EXPECT_FALSE(log.addlinetochat(u"-1+hi"_s, kBlack));
    EXPECT_FALSE(log.chatrecieved(u"99+Zed chats: hi|clRed"_s));
    EXPECT_TRUE(log.pieces().isEmpty());
    EXPECT_EQ(added.count(), 0);
    EXPECT_EQ(restyled.count(), 0);
    EXPECT_TRUE(log.addlinetochat(u"9+Spy: hi"_s, kBlack));
    EXPECT_EQ(log.pieces().at(0).style, 14);
}

TEST(ChatLog, ClearKeepsLinkTableAndCounter)
{
    ChatLog log;
    QSignalSpy cleared(&log, &ChatLog::cleared);
    log.addlinetochat(u"0+www.first.com"_s, kBlue);
    log.clear();
    EXPECT_EQ(cleared.count(), 1);
    EXPECT_TRUE(log.pieces().isEmpty());
    EXPECT_EQ(log.lineCount(), 0);
    EXPECT_EQ(log.length(), 0);
    EXPECT_EQ(log.linkCounter(), 0);
    log.addlinetochat(u"0+www.second.com"_s, kBlue);
    EXPECT_EQ(log.pieces().last().link, 1);
    EXPECT_EQ(log.linkAddress(0), u"www.first.com"_s);
    EXPECT_EQ(log.linkAddress(1), u"www.second.com"_s);
}

TEST(ChatLog, PlainTextOfARange)
{
    ChatLog log;
    log.addlinetochat(u"0+You are Connected."_s, kBlue);
    log.chatrecieved(u"3+Ann chats: hi :)#12 there|clBlack"_s);
    // Line starts get "\r\n"; the smiley gives nothing.
    const QString all = u"\r\n You are Connected. \r\nAnn chats:  hi   there "_s;
    EXPECT_EQ(log.plainText(), all);
    // Lengths: " You are Connected. " is 20, "Ann chats:  hi  " 16, image 1, " there " 7.
    EXPECT_EQ(log.length(), 20 + 16 + 1 + 7);
    // From inside the first line across the second line's start.
    EXPECT_EQ(log.plainText(5, 25), u"are Connected. \r\nAnn c"_s);
    // Starting exactly at the second line: its line break belongs to it.
    EXPECT_EQ(log.plainText(20, 23), u"\r\nAnn"_s);
    // Ending exactly at the second line: no break.
    EXPECT_EQ(log.plainText(16, 20), u"ed. "_s);
    // Only the image.
    EXPECT_EQ(log.plainText(36, 37), QString());
    EXPECT_EQ(log.plainText(35, 38), u"  "_s);
    // Out-of-range or reversed ranges are clamped.
    EXPECT_EQ(log.plainText(-5, 1000), all);
    EXPECT_EQ(log.plainText(10, 3), QString());
}

TEST(ChatLog, TextSizeAndColourChoicesSaveSettings)
{
    ChatLog log;
    int saves = 0;
    log.setSettingsSaver([&saves] { ++saves; });
    QSignalSpy sized(&log, &ChatLog::textSizeChanged);
    QSignalSpy coloured(&log, &ChatLog::chatColourChanged);

    EXPECT_EQ(log.textSize(), 10);
    EXPECT_TRUE(log.setTextSize(9)); // a stored size: applied, not saved
    EXPECT_EQ(log.textSize(), 9);
    EXPECT_EQ(saves, 0);
    EXPECT_FALSE(log.setTextSize(0));
    EXPECT_FALSE(log.setTextSize(-4));
    EXPECT_EQ(log.textSize(), 9);

    log.chooseTextSize(14);
    EXPECT_EQ(log.textSize(), 14);
    EXPECT_EQ(saves, 1);
    EXPECT_EQ(sized.count(), 2);

    EXPECT_EQ(log.chatColour(), kBlack);
    log.setChatColour(kNavy);
    EXPECT_EQ(saves, 1);
    log.chooseChatColour(0x00123456);
    EXPECT_EQ(saves, 2);
    EXPECT_EQ(log.chatColour(), 0x00123456u);
    ASSERT_EQ(coloured.count(), 2);
    EXPECT_EQ(coloured.at(1).at(0).toUInt(), 0x00123456u);
}

TEST(ChatLog, ScrollChatOffState)
{
    ChatLog log;
    QSignalSpy changed(&log, &ChatLog::scrollChatOffChanged);
    EXPECT_FALSE(log.scrollChatOff());
    log.setScrollChatOff(true);
    log.setScrollChatOff(true);
    EXPECT_TRUE(log.scrollChatOff());
    ASSERT_EQ(changed.count(), 1);
    EXPECT_TRUE(changed.at(0).at(0).toBool());
}
