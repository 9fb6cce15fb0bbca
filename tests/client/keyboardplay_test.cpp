// Playing the board from the keyboard: which pile a letter takes (single
// letters, the Qu card, letter groups, equal faces), the waiting letters,
// Backspace, Escape, Enter, digits and the keyboard discard.
#include "boardfakes.h"
#include "client/keyboardplay.h"

#include <QSignalSpy>
#include <gtest/gtest.h>

using namespace gorse;
using namespace gorse::test;
using namespace Qt::StringLiterals;

namespace {

// Card numbers by face.
enum : int {
    A = 1,
    B,
    C,
    D,
    E,
    F,
    G,
    H,
    I,
    J,
    K,
    L,
    M,
    N,
    O,
    P,
    QU,
    R,
    S,
    T,
    U,
    V,
    W,
    X,
    Y,
    Z,
    CH = 27,
    EE = 38,
    EST = 40,
    ED = 43,
    ER = 44,
    ING = 46,
    ION = 47
};

struct KeysFixture : BoardFixture
{
    KeyboardPlay keys{&board};
    QStringList refused;
    KeysFixture()
    {
        QObject::connect(&keys, &KeyboardPlay::refused,
                         [this](const QString& letters) { refused.append(letters); });
    }
    // Types a script: letters and digits as they are, '<' Backspace, '!'
    // Enter, '^' Escape, '#' Delete.
    void type(const char* script)
    {
        for (const char* c = script; *c; ++c) {
            switch (*c) {
            case '<':
                keys.press(KeyboardPlay::Key::Backspace);
                break;
            case '!':
                keys.press(KeyboardPlay::Key::Enter);
                break;
            case '^':
                keys.press(KeyboardPlay::Key::Escape);
                break;
            case '#':
                keys.press(KeyboardPlay::Key::Delete);
                break;
            default:
                keys.press(KeyboardPlay::Key::Other, QString(QChar::fromLatin1(*c)));
            }
        }
    }
};

struct Case
{
    const char* what;
    std::array<int, 8> cards;
    const char* keys;
    const char* piles;   // the word pile list afterwards
    const char* pending; // letters still waiting
    const char* refused; // letters refused, joined by ","
};

const Case kCases[] = {
    {"one card a letter", {T, E, A, B, C, D, S, N}, "TEN", "+1+2+8", "", ""},
    {"lower case", {T, E, A, B, C, D, S, N}, "ten", "+1+2+8", "", ""},
    // Piles 1 and 5 share the left column: 5 is further left than 2.
    {"equal faces: leftmost", {T, E, A, B, E, D, S, N}, "E", "+5", "", ""},
    {"equal faces: next leftmost", {E, E, A, E, B, D, S, N}, "EEE", "+1+2+4", "", ""},
    {"Qu waits for its U", {T, A, QU, I, B, C, D, F}, "Q", "", "Q", ""},
    {"Qu taken by QU", {T, A, QU, I, B, C, D, F}, "QUIT", "+3+4+1", "", ""},
    {"Q alone is no card", {T, A, B, I, C, D, F, G}, "QA", "+2", "", "Q"},
    {"group preferred when continued", {E, ER, R, S, A, B, C, D}, "ERS", "+2+4", "", ""},
    {"single letter when not continued", {E, ER, R, S, A, B, C, D}, "EA", "+1+5", "", ""},
    {"group of three", {I, N, G, ING, A, B, C, D}, "ING", "+4", "", ""},
    {"group of three, two typed", {I, N, G, ING, A, B, C, D}, "IN", "", "IN", ""},
    {"group broken off: letters split", {I, N, G, ING, K, B, C, D}, "INK", "+1+2+5", "", ""},
    {"group broken off: no single cards", {A, B, C, ING, K, D, F, H}, "INK", "+5", "", "IN"},
    {"group inside a word", {C, H, CH, A, I, N, T, S}, "CHAINS", "+3+4+5+6+8", "", ""},
    {"two groups share a start", {ING, ION, A, B, C, D, F, H}, "ION", "+2", "", ""},
    {"a card is taken once", {E, A, B, C, D, F, G, H}, "EE", "+1", "", "E"},
    {"letter not on the table", {A, B, C, D, E, F, G, H}, "Z", "", "", "Z"},
    {"backspace a waiting letter", {E, ER, A, B, C, D, F, G}, "E<", "", "", ""},
    {"backspace a card", {T, E, A, B, C, D, S, N}, "TE<", "+1", "", ""},
    {"backspace waiting, then card", {T, E, ER, B, C, D, S, N}, "TE<<", "", "", ""},
    {"escape clears the word", {T, E, A, B, C, D, S, N}, "TEA^", "", "", ""},
    {"digits take a pile", {T, E, A, B, C, D, S, N}, "83", "+8+3", "", ""},
    {"digit settles waiting letters", {E, ER, A, B, C, D, F, G}, "E3", "+1+3", "", ""},
    {"digits outside 1..8 do nothing", {T, E, A, B, C, D, S, N}, "09", "", "", ""},
    {"an empty pile is skipped", {0, E, A, B, E, D, S, N}, "E", "+5", "", ""},
};

} // namespace

TEST(KeyboardPlay, LettersPickPilesByTheRule)
{
    for (const Case& c : kCases) {
        SCOPED_TRACE(c.what);
        KeysFixture f;
        ASSERT_TRUE(f.connect(2));
        f.startRound(c.cards);
        f.type(c.keys);
        EXPECT_EQ(f.board.wordPileList(), QString::fromLatin1(c.piles));
        EXPECT_EQ(f.keys.pending(), QString::fromLatin1(c.pending));
        EXPECT_EQ(f.refused.join(u','), QString::fromLatin1(c.refused));
    }
}

TEST(KeyboardPlay, SearchOrderIsLeftToRight)
{
    EXPECT_EQ(KeyboardPlay::searchOrder(), (QList<int>{1, 5, 2, 6, 3, 7, 4, 8}));
}

TEST(KeyboardPlay, EnterSendsTheWordWithItsWaitingLetters)
{
    KeysFixture f;
    ASSERT_TRUE(f.connect(2));
    f.startRound({T, E, ER, A, B, C, D, S});
    f.type("TE!");
    EXPECT_EQ(f.keys.pending(), QString());
    EXPECT_EQ(f.sent(), QList<QByteArray>{"CMD_sendword+2+1+2"});
    // The word is with the host: letters wait for its answer, Enter sends
    // nothing more.
    f.type("A!");
    EXPECT_EQ(f.sent(), QList<QByteArray>());
    f.hostSays("CMD_rejected+2+TE+1+20+t+2+5+t");
    f.type("BAT!");
    EXPECT_EQ(f.sent(), QList<QByteArray>{"CMD_sendword+2+5+4+1"});
}

TEST(KeyboardPlay, NothingHappensOutsideALiveTurn)
{
    // Before the first round.
    KeysFixture before;
    ASSERT_TRUE(before.connect(2));
    before.type("E3");
    EXPECT_EQ(before.board.wordPileList(), QString());
    EXPECT_EQ(before.keys.pending(), QString());

    // A spy watches.
    KeysFixture spy;
    ASSERT_TRUE(spy.connect(7, "Eve"));
    spy.startRound({T, E, A, B, C, D, S, N});
    spy.type("TEN!");
    EXPECT_EQ(spy.board.wordPileList(), QString());
    EXPECT_EQ(spy.sent(), QList<QByteArray>());

    // Time is up: waiting letters are dropped with the word.
    KeysFixture late;
    ASSERT_TRUE(late.connect(2));
    late.startRound({E, ER, A, B, C, D, F, G}, 45);
    late.type("AE");
    EXPECT_EQ(late.keys.pending(), u"E"_s);
    late.tick(45);
    EXPECT_EQ(late.keys.pending(), QString());
    late.type("B!");
    EXPECT_EQ(late.board.wordPileList(), QString());
    EXPECT_EQ(late.sent(), QList<QByteArray>());
}

TEST(KeyboardPlay, DeleteThenNumberDiscards)
{
    KeysFixture f;
    ASSERT_TRUE(f.connect(2));
    f.startRound({T, E, A, B, C, D, S, N});
    QSignalSpy changed(&f.keys, &KeyboardPlay::changed);
    f.type("#");
    EXPECT_TRUE(f.keys.discardArmed());
    EXPECT_FALSE(f.keys.hint().isEmpty());
    f.type("4");
    EXPECT_FALSE(f.keys.discardArmed());
    EXPECT_TRUE(f.keys.hint().isEmpty());
    EXPECT_EQ(f.sent(), QList<QByteArray>{"CMD_discard+2+4+"});
    EXPECT_GE(changed.count(), 2);

    // Escape takes the prompt away and leaves the word; a pile in the word
    // cannot be discarded.
    f.type("T#^");
    EXPECT_FALSE(f.keys.discardArmed());
    EXPECT_EQ(f.board.wordPileList(), u"+1"_s);
    f.type("#1");
    EXPECT_EQ(f.sent(), QList<QByteArray>());

    // With the warning on, the question comes up: N and Escape say no, Y and
    // Enter say yes.
    f.options.setWarning(true);
    f.type("#2");
    EXPECT_TRUE(f.board.discardPanelShown());
    f.type("N");
    EXPECT_FALSE(f.board.discardPanelShown());
    f.type("#2^");
    EXPECT_FALSE(f.board.discardPanelShown());
    f.type("#2Y#3!");
    EXPECT_EQ(f.sent(), (QList<QByteArray>{"CMD_discard+2+2+", "CMD_discard+2+3+"}));
    // The word was left as it was.
    EXPECT_EQ(f.board.wordPileList(), u"+1"_s);
}
