// The command catalogue: every layout against the documented examples.
#include "net/messages.h"

#include <gtest/gtest.h>

using namespace gorse;

TEST(Fields, ReadsFromTheLeftAndTheLastFieldKeepsItsPlus)
{
    Fields f("3+Ann chats: Hi+there|clBlack");
    EXPECT_EQ(f.number(), 3);
    EXPECT_EQ(f.rest(), "Ann chats: Hi+there|clBlack");
    EXPECT_TRUE(f.atEnd());

    int v = 0;
    EXPECT_TRUE(parseNumber("-5", v));
    EXPECT_EQ(v, -5);
    EXPECT_TRUE(parseNumber("2147483647", v));
    EXPECT_FALSE(parseNumber("2147483648", v)); // does not fit in 32 bits
    EXPECT_TRUE(parseNumber("-2147483648", v));
    EXPECT_FALSE(parseNumber("", v));
    EXPECT_FALSE(parseNumber("-", v));
    EXPECT_FALSE(parseNumber(" 5", v));
    EXPECT_FALSE(parseNumber("+5", v));
    EXPECT_FALSE(parseNumber("5x", v));
    EXPECT_FALSE(parseNumber("99999999999999999999", v));
}

TEST(Messages, HostToClientLayouts)
{
    EXPECT_EQ(msg::sendlogininfo(3), "CMD_sendlogininfo+3");
    EXPECT_EQ(msg::newplayerinfo(3, "Ann"), "CMD_newplayerinfo+3+Ann");
    EXPECT_EQ(msg::existingplayers(2, ""), "CMD_existingplayers+2+");
    EXPECT_EQ(msg::havewrongversion("Bob"), "CMD_havewrongversion+Bob");
    EXPECT_EQ(msg::wrongversion(), "CMD_wrongversion+");
    EXPECT_EQ(msg::full(), "CMD_full+");
    EXPECT_EQ(msg::tiegame(), "CMD_tiegame+");
    EXPECT_EQ(msg::chatRelay(3, "Ann", "Hi+there|clBlack"),
              "CMD_chat+3+Ann chats: Hi+there|clBlack");
    EXPECT_EQ(msg::actionRelay(3, "Ann", "waves|clBlack"), "CMD_action+3+Ann waves|clBlack");
    EXPECT_EQ(msg::playasoundRelay(4, "wave7+"), "CMD_playasound+4+wave7+");
    EXPECT_EQ(msg::playerdisconnected(5, "Eve"), "CMD_playerdisconnected+5+Eve");
    EXPECT_EQ(msg::startgameRelay("You", "500", "60"), "CMD_startgame+You+500+60+");
    EXPECT_EQ(msg::startround(1), "CMD_startround+1+");
    EXPECT_EQ(msg::thecards({{1, 20, true}, {2, 17, true}}), "CMD_thecards+1+20+t+2+17+t");
    EXPECT_EQ(msg::rejected(2, "XYZ", {{3, 24, true}, {5, 25, false}}),
              "CMD_rejected+2+XYZ+3+24+t+5+25+f");
    EXPECT_EQ(msg::theword(3, "QUIZ", 65, 50, {{1, 5, true}, {2, 0, false}}),
              "CMD_theword+3+QUIZ+65+50+1+5+t+2+0+f");
    EXPECT_EQ(msg::pscore(3, 120, 65, 65), "CMD_pscore+3+120+65+65+");
    EXPECT_EQ(msg::discardResult(2, -5, -5, {4, 0, false}), "CMD_discard+2+-5+-5+4+0+f");
    EXPECT_EQ(msg::winner("Klot"), "CMD_winner+Klot+");
    EXPECT_EQ(msg::gamestats(7, 500, 60, 12, {10, 0, -5, 0, 0, 25}),
              "CMD_gamestats+7+500+60+12+1+10+2+0+3+-5+4+0+5+0+6+25");
    QList<SeatSummary> seats;
    for (int s = 1; s <= 6; ++s)
        seats.append({s, s == 1 ? 35 : 0, s == 1 ? 35 : 0, s == 1 ? 2 : 0,
                      s == 1 ? "/25-STRING/10-ANT" : ""});
    EXPECT_EQ(
        msg::endround(35, seats),
        "CMD_endround+35+1+35+35+2+/25-STRING/10-ANT+2+0+0+0++3+0+0+0++4+0+0+0++5+0+0+0++6+0+0+0+");
}

TEST(Messages, ClientToHostLayouts)
{
    EXPECT_EQ(msg::logininfo(3, kVersionText, "Ann\xFF"), "CMD_logininfo+3+1.2.0+Ann\xFF");
    EXPECT_EQ(msg::kickhim(1, 5), "CMD_kickhim+1+5+");
    EXPECT_EQ(msg::chat(3, "Hi+there|clBlack"), "CMD_chat+3+Hi+there|clBlack");
    EXPECT_EQ(msg::action(3, "waves|$00123456"), "CMD_action+3+waves|$00123456");
    EXPECT_EQ(msg::playasound(3, 12), "CMD_playasound+3+wave12+");
    EXPECT_EQ(msg::startgame("You", 500, 60), "CMD_startgame+You+500+60+");
    EXPECT_EQ(msg::sendword(3, {5, 1, 2}), "CMD_sendword+3+5+1+2");
    EXPECT_EQ(msg::discard(2, 4), "CMD_discard+2+4+");
    EXPECT_EQ(frame("CMD_full+"), QByteArray("CMD_full+\xFF"));
}

TEST(Messages, ReadersInvertTheBuilders)
{
    auto rest = [](const QByteArray& m) { return m.mid(m.indexOf('+') + 1); };

    const auto login = msg::LoginInfo::parse(rest(msg::logininfo(3, "1.2.0", "Ann+Lee")));
    EXPECT_EQ(login.conn, 3);
    EXPECT_EQ(login.version, "1.2.0");
    EXPECT_EQ(login.name, "Ann+Lee");

    const auto sg = msg::StartGame::parse(rest(msg::startgame("You", 500, 60)));
    EXPECT_EQ(sg.name, "You");
    EXPECT_EQ(sg.target, 500);
    EXPECT_EQ(sg.seconds, 60);
    EXPECT_EQ(sg.targetText, "500");
    EXPECT_THROW(msg::StartGame::parse("You+lots+60+"), FieldError);
    // A "+" in the starter's name shifts the fields and fails to convert.
    EXPECT_THROW(msg::StartGame::parse("A+B+500+60+"), FieldError);

    const auto sw = msg::SendWord::parse(rest("CMD_sendword+3+5+1+2"));
    EXPECT_EQ(sw.seat, 3);
    EXPECT_EQ(sw.piles, (QList<int>{5, 1, 2}));

    const auto tw =
        msg::TheWord::parse(rest(msg::theword(3, "QUIZ", 65, 50, {{1, 5, true}, {2, 0, false}})));
    EXPECT_EQ(tw.word, "QUIZ");
    EXPECT_EQ(tw.points, 65);
    EXPECT_EQ(tw.bonus, 50);
    EXPECT_EQ(tw.cards, (CardList{{1, 5, true}, {2, 0, false}}));

    const auto rj = msg::Rejected::parse(rest("CMD_rejected+2+XYZ+3+24+t+5+25+f"));
    EXPECT_EQ(rj.cards.size(), 2);
    EXPECT_FALSE(rj.cards[1].flag);
    EXPECT_THROW(msg::Rejected::parse("2+XYZ+3+24+x"), FieldError);

    const auto dr = msg::DiscardResult::parse(rest("CMD_discard+2+-5+-5+4+0+f"));
    EXPECT_EQ(dr.total, -5);
    EXPECT_EQ(dr.card, (CardItem{4, 0, false}));

    const auto req = msg::DiscardRequest::parse(rest(msg::discard(2, 4)));
    EXPECT_EQ(req.seat, 2);
    EXPECT_EQ(req.pile, 4);

    const auto ps = msg::PScore::parse(rest(msg::pscore(3, 120, 65, 65)));
    EXPECT_EQ(ps.total, 120);
    EXPECT_EQ(ps.points, 65);

    const auto gs =
        msg::GameStats::parse(rest(msg::gamestats(7, 500, 60, 12, {10, 0, -5, 0, 0, 25})));
    EXPECT_EQ(gs.countdown, 12);
    EXPECT_EQ(gs.totals, (ScoreList{10, 0, -5, 0, 0, 25}));

    QList<SeatSummary> seats;
    for (int s = 1; s <= 6; ++s)
        seats.append(
            {s, 10 * s, s, s % 2, s == 6 ? "/10-CAT" : (s == 2 ? "/25-STRING/10-ANT" : "")});
    const auto er = msg::EndRound::parse(rest(msg::endround(0, seats)));
    EXPECT_EQ(er.ownRoundPoints, 0);
    EXPECT_EQ(er.seats, seats);

    const auto cards = msg::TheCards::parse(rest(msg::thecards({{1, 20, true}, {8, 50, true}})));
    EXPECT_EQ(cards.cards, (CardList{{1, 20, true}, {8, 50, true}}));

    EXPECT_EQ(msg::Winner::parse("Klot+").name, "Klot");
    EXPECT_EQ(msg::Winner::parse("+").name, "");

    const auto ps2 = msg::PlayASound::parse("04+wave7+");
    EXPECT_EQ(ps2.conn, 4);
    EXPECT_EQ(ps2.rest, "wave7+");
    EXPECT_EQ(ps2.sound(), 7);
    EXPECT_EQ(msg::playasoundRelay(ps2.conn, ps2.rest), "CMD_playasound+4+wave7+");

    const auto chat = msg::ConnText::parse(rest("CMD_chat+3+Ann chats: Hi+there|clBlack"));
    EXPECT_EQ(chat.conn, 3);
    EXPECT_EQ(chat.text, "Ann chats: Hi+there|clBlack");
}

TEST(Messages, WordLogsAndCleaning)
{
    QByteArray log;
    log = appendWordLog(log, 25, "STRING");
    log = appendWordLog(log, 10, "ANT");
    EXPECT_EQ(log, "/25-STRING/10-ANT");
    const auto words = parseWordLog(log);
    ASSERT_EQ(words.size(), 2);
    EXPECT_EQ(words[0], (LoggedWord{25, "STRING"}));
    EXPECT_EQ(words[1], (LoggedWord{10, "ANT"}));
    EXPECT_TRUE(parseWordLog("").isEmpty());

    EXPECT_EQ(cleanPlayerName("An+n\xFF"), "Ann");
    EXPECT_EQ(cleanChatText("a+b\xFF"
                            "c"),
              "a+bc");
    EXPECT_EQ(fromWire(toWire(QStringLiteral("Zoë"))), QStringLiteral("Zoë"));
    EXPECT_FALSE(toWire(QStringLiteral("ÿÿ")).contains('\xFF'));
}

TEST(Messages, TextsAreCutWithinTheirUtf8Bytes)
{
    const QString cjk(30000, QChar(0x6F22));                     // three bytes each
    const QString emoji = QString::fromUtf8("\xF0\x9F\x98\x80"); // a surrogate pair, four bytes
    const struct
    {
        QString text;
        int max;
        QString cut;
    } cases[] = {
        {QStringLiteral("hello"), 1000, QStringLiteral("hello")},
        {QString(1500, u'a'), kMaxChatText, QString(kMaxChatText, u'a')},
        {cjk, kMaxChatText, QString(333, QChar(0x6F22))},
        {QStringLiteral("ab") + emoji + QStringLiteral("c"), 5, QStringLiteral("ab")},
        {QStringLiteral("ab") + emoji + QStringLiteral("c"), 6, QStringLiteral("ab") + emoji},
        {QString::fromUtf8("\xC3\xA9\xC3\xA9"), 3, QString::fromUtf8("\xC3\xA9")},
        {QStringLiteral("x"), 0, QString()},
    };
    for (const auto& c : cases) {
        const QString cut = cutToUtf8(c.text, c.max);
        EXPECT_EQ(cut, c.cut) << c.text.left(8).toStdString() << " " << c.max;
        EXPECT_LE(toWire(cut).size(), c.max);
        // The same cut made on the bytes.
        EXPECT_EQ(cutUtf8(toWire(c.text), c.max), toWire(c.cut));
    }
    // A chat typed in full CJK stays within the limit on the wire.
    EXPECT_LE(msg::chat(9, toWire(cutToUtf8(cjk, kMaxChatText)) + "|$00FFFFFF").size(),
              QByteArray("CMD_chat+9+").size() + kMaxChatBody);
}

TEST(Messages, FramedRelaysAreTheRelaysWithTheirTerminator)
{
    EXPECT_EQ(msg::chatRelayFramed(3, "Ann", "Hi+there|clBlack"),
              frame("CMD_chat+3+Ann chats: Hi+there|clBlack"));
    EXPECT_EQ(msg::actionRelayFramed(10, "", "waves|clRed"), frame("CMD_action+10+ waves|clRed"));
    EXPECT_EQ(msg::playasoundRelayFramed(-7, "wave3+"), frame("CMD_playasound+-7+wave3+"));
    Fields f("3+Ann+rest+of it");
    EXPECT_EQ(f.number(), 3);
    EXPECT_EQ(f.textView(), "Ann");
    EXPECT_EQ(f.restView(), "rest+of it");
    EXPECT_EQ(f.rest(), "rest+of it");
    EXPECT_TRUE(f.atEnd());
}
