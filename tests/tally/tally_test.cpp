// The tally's records: the grid text, and the table and labels over played
// games fed through a real board, following and dropping opponents, reset
// and loading.
#include "tallygame.h"

#include <QFile>
#include <gtest/gtest.h>

using namespace gorse;
using namespace gorse::test;

namespace {

const QString kDesigned = QStringLiteral("0 | 0 | 0 | 0 | None | None");

StringGrid goldenGrid(const char* name)
{
    QFile f(QStringLiteral(GORSE_TALLY_GOLDEN_DIR "/%1.txt").arg(QString::fromLatin1(name)));
    EXPECT_TRUE(f.open(QIODevice::ReadOnly));
    const auto grid = LoadGridText(f.readAll());
    EXPECT_TRUE(grid);
    return grid.value_or(StringGrid());
}

} // namespace

TEST(GridText, WritesColumnByColumnAndReadsItBack)
{
    const StringGrid grid{
        2, {{QStringLiteral("a"), QStringLiteral("b")}, {QStringLiteral("c"), QString()}}};
    EXPECT_EQ(SaveGridText(grid), "2\r\n2\r\na\r\nc\r\nb\r\n\r\n");
    EXPECT_EQ(LoadGridText(SaveGridText(grid)), grid);
    // Without the last line end, and with no cells at all.
    EXPECT_EQ(LoadGridText("2\r\n1\r\na\r\nb"),
              (StringGrid{2, {{QStringLiteral("a"), QStringLiteral("b")}}}));
    EXPECT_EQ(LoadGridText("0\r\n0\r\n"), (StringGrid{0, {}}));
}

TEST(GridText, CountsThatDoNotMatchTheLinesAreRefused)
{
    const struct
    {
        QByteArray text;
        const char* error;
    } cases[] = {
        {"", "the text has no column and row counts"},
        {"10\r\n", "the text has no column and row counts"},
        {"x\r\n1\r\n", "the column count \"x\" is not a number"},
        {"2\r\n-1\r\n", "the row count \"-1\" is not a number"},
        {"2\r\n 1\r\na\r\nb\r\n", "the row count \" 1\" is not a number"},
        {"2\r\n2\r\na\r\nb\r\nc\r\n",
         "it gives 2 columns and 2 rows, which is 4 cells, but 3 lines of cells follow"},
        {"2\r\n1\r\na\r\nb\r\nc\r\n",
         "it gives 2 columns and 1 rows, which is 2 cells, but 3 lines of cells follow"},
        {"999999999\r\n999999999\r\n0\r\n",
         "it gives 999999999 columns and 999999999 rows, which is 999999998000000001 cells, "
         "but 1 lines of cells follow"},
        {"1\r\n2\r\na\nb\r\n", "line 3 does not end in CR LF"},
    };
    for (const auto& c : cases) {
        QString error;
        EXPECT_FALSE(LoadGridText(c.text, &error)) << c.text.toStdString();
        EXPECT_EQ(error, QString::fromUtf8(c.error)) << c.text.toStdString();
    }
}

TEST(GridText, CountsWithoutCellsMakeNoRows)
{
    // Found by fuzzing: the counts alone once decided what was made.
    for (const QByteArray& text : {QByteArray("0\r\n999999999\r\n"), QByteArray("88080090\r\n0")}) {
        const auto grid = LoadGridText(text);
        ASSERT_TRUE(grid) << text.toStdString();
        EXPECT_TRUE(grid->rows.isEmpty()) << text.toStdString();
        EXPECT_EQ(SaveGridText(*grid), text.left(text.indexOf('\r')) + "\r\n0\r\n");
    }
}

TEST(GridText, LineBreaksInCellsBecomeSpacesAndEightBitTextIsRead)
{
    const StringGrid grid{1, {{QStringLiteral("A\r\nB")}, {QStringLiteral("Zo\u00EB")}}};
    EXPECT_EQ(SaveGridText(grid), "1\r\n2\r\nA  B\r\nZo\xC3\xAB\r\n");
    // An older copy wrote names in an 8-bit code page.
    const auto old = LoadGridText("1\r\n1\r\nZo\xEB\r\n");
    ASSERT_TRUE(old);
    EXPECT_EQ(old->rows[0][0], QStringLiteral("Zo\u00EB"));
}

TEST(Tally, OwnRecordsOverAGame)
{
    TallyGame g(2, {QStringLiteral("Ann"), QStringLiteral("Bob"), QStringLiteral("Cy")});
    EXPECT_EQ(ownLabels(g.tally), kDesigned);
    g.start(90);
    g.word("cat", 10);
    EXPECT_EQ(ownLabels(g.tally), QStringLiteral("0 | 0 | 1 | 0 | CAT (3) | CAT (10)"));
    g.word("DOG", 10); // as long and as good: no new record
    g.word("ANT", 5);
    g.word("CH", 5, 1); // another seat's word
    EXPECT_EQ(ownLabels(g.tally), QStringLiteral("0 | 0 | 3 | 0 | CAT (3) | CAT (10)"));
    g.word("QUIZ", 65);
    EXPECT_EQ(ownLabels(g.tally), QStringLiteral("0 | 0 | 4 | 0 | QUIZ (4) | QUIZ (65)"));

    // The turn record: the game total, and the lines of the played-words list.
    g.endRound(90, "/10-CAT/10-DOG/5-ANT/65-QUIZ");
    EXPECT_EQ(g.tally.mylabel(8), QStringLiteral("90 secs-6 Words (90)"));
    g.endRound(90, "/90-X"); // equal: kept
    EXPECT_EQ(g.tally.mylabel(8), QStringLiteral("90 secs-6 Words (90)"));
    g.endRound(95, "");
    EXPECT_EQ(g.tally.mylabel(8), QStringLiteral("90 secs-1 Words (95)"));
    EXPECT_EQ(g.tally.recordValue(8), 95);

    g.winner("Ann"); // nobody followed: only the own figures
    EXPECT_EQ(row(g.tally, 0), QStringLiteral("0,1,0,QUIZ,4,QUIZ,65,4,90 secs-1 Words,95"));
    EXPECT_EQ(g.tally.rowCount(), 1);
    g.start();
    g.winner("Bob");
    EXPECT_EQ(ownLabels(g.tally),
              QStringLiteral("2 | 1 | 4 | 90 secs-1 Words (95) | QUIZ (4) | QUIZ (65)"));
}

TEST(Tally, ASpectatorChangesNothing)
{
    TallyGame g(7, {QStringLiteral("Ann"), QStringLiteral("Bob")});
    g.tally.loadchecklist();
    g.tally.checklistClickCheck(0); // following Ann
    const StringGrid before = g.tally.grid();
    g.start();
    g.word("QUIZ", 65);
    g.endRound(65, "/65-QUIZ");
    g.winner("Ann");
    EXPECT_EQ(g.tally.grid(), before);
    EXPECT_EQ(ownLabels(g.tally), kDesigned);
}

TEST(Tally, GamesAgainstFollowedOpponents)
{
    TallyGame g(1, {QStringLiteral("Ann"), QStringLiteral("Bob"), QStringLiteral("Cy")});
    g.tally.loadchecklist();
    EXPECT_EQ(g.tally.checklist(), (QStringList{QStringLiteral("Bob"), QStringLiteral("Cy")}));
    g.tally.checklistClickCheck(0);
    EXPECT_EQ(g.tally.followed(), QStringList{QStringLiteral("Bob")});
    EXPECT_EQ(row(g.tally, 1), QStringLiteral("Bob,0,0,0,0,0,0,0,0,0"));
    g.tally.listbox_tallyClick(0);

    const struct
    {
        QByteArray winner;
        const char* bob;   // Bob's row after the game
        const char* panel; // what the selected opponent's panel shows
    } games[] = {
        {"Bob", "Bob,1,1,0,0,1,1,0,0,0", "Bob's Tally,Bob Wins:,1,1,0,0,1,1,0,0"},
        {"Ann", "Bob,2,1,1,0,2,1,1,0,0", "Bob's Tally,Bob Wins:,2,1,1,0,2,1,1,0"},
        {"Cy", "Bob,3,1,1,1,3,1,1,1,0", "Bob's Tally,Bob Wins:,3,1,1,1,3,1,1,1"},
    };
    for (const auto& game : games) {
        g.start();
        g.winner(game.winner);
        EXPECT_EQ(row(g.tally, 1), QString::fromUtf8(game.bob)) << game.winner.constData();
        EXPECT_EQ(panel(g.tally), QString::fromUtf8(game.panel)) << game.winner.constData();
    }
    // Bob left before the end: not counted for this game.
    g.start();
    g.leaves(2, "Bob");
    g.winner("Cy");
    EXPECT_EQ(row(g.tally, 1), QStringLiteral("Bob,3,1,1,1,3,1,1,1,0"));
    EXPECT_EQ(g.tally.checklist(), QStringList{QStringLiteral("Cy")});
    EXPECT_EQ(ownLabels(g.tally), QStringLiteral("4 | 1 | 0 | 0 | None | None"));
}

TEST(Tally, FollowingFindsNamesWhateverTheirCaseButCountsWinsByTheExactName)
{
    Tally tally;
    QStringList players{QStringLiteral("bob")};
    tally.setPlayersSource([&players] { return players; });
    tally.loadchecklist();
    tally.checklistClickCheck(0);
    players = {QStringLiteral("Bob"), QStringLiteral("Cy")};
    tally.loadchecklist();
    tally.checklistClickCheck(0); // already followed as "bob"
    tally.checklistClickCheck(5); // no such item
    EXPECT_EQ(tally.followed(), QStringList{QStringLiteral("bob")});
    EXPECT_TRUE(tally.isFollowed(QStringLiteral("BOB")));
    tally.addgame(QStringLiteral("Bob"));
    EXPECT_EQ(row(tally, 1), QStringLiteral("bob,1,0,0,1,1,0,0,1,0"));
}

TEST(Tally, DeletingOpponentsKeepsListAndRowsInStep)
{
    Tally tally;
    QStringList players{QStringLiteral("A"), QStringLiteral("B"), QStringLiteral("C")};
    tally.setPlayersSource([&players] { return players; });
    tally.loadchecklist();
    for (int i = 0; i < 3; ++i)
        tally.checklistClickCheck(i);
    players = {QStringLiteral("C")};
    tally.addgame(QStringLiteral("C")); // only C played
    EXPECT_EQ(tally.unfollowQuestion(1),
              QStringLiteral("This will delete B's Tally, Are you want to delete it?"));

    tally.listbox_tallyClick(2);
    tally.unfollow(1); // the middle one
    EXPECT_EQ(tally.followed(), (QStringList{QStringLiteral("A"), QStringLiteral("C")}));
    EXPECT_EQ(row(tally, 2), QStringLiteral("C,1,1,0,0,1,1,0,0,0"));
    EXPECT_EQ(tally.selected(), 1);

    tally.unfollow(1); // the selected one: its panel stays as it was
    EXPECT_EQ(tally.selected(), -1);
    EXPECT_EQ(panel(tally), QStringLiteral("C's Tally,C Wins:,1,1,0,0,1,1,0,0"));
    tally.unfollow(0); // the only one left
    EXPECT_EQ(tally.rowCount(), 1);
    EXPECT_TRUE(tally.followed().isEmpty());
    tally.unfollow(0);
    tally.moverow(0);
    EXPECT_EQ(tally.rowCount(), 1);
}

TEST(Tally, ResetClearsEveryFigureWithAndWithoutOpponents)
{
    for (const bool withOpponent : {false, true}) {
        TallyGame g(1, {QStringLiteral("Ann"), QStringLiteral("Bob")});
        g.start();
        g.word("STRING", 25);
        g.endRound(25, "/25-STRING");
        if (withOpponent) {
            g.tally.loadchecklist();
            g.tally.checklistClickCheck(0);
            g.tally.listbox_tallyClick(0);
        }
        g.winner("Ann");
        EXPECT_EQ(Tally::resetQuestion(),
                  QStringLiteral("Are you sure you want to reset the Tally?"));
        g.tally.reset();
        EXPECT_EQ(g.tally.rowCount(), 1);
        EXPECT_EQ(row(g.tally, 0), QStringLiteral("0,0,0,0,0,0,0,0,0,0"));
        EXPECT_EQ(ownLabels(g.tally), QStringLiteral("0 | 0 | 0 | 0 | 0 | 0"));
        EXPECT_EQ(panel(g.tally), withOpponent
                                      ? QStringLiteral("Bob's Tally,Bob Wins:,0,0,0,0,0,0,0,0")
                                      : QStringLiteral(",XX Wins:,0,0,0,0,0,0,0,0"));
        // The records start again too: a short word is a record now.
        g.start();
        g.word("AT", 5);
        EXPECT_EQ(g.tally.mylabel(3), QStringLiteral("AT (2)"));
    }
}

TEST(Tally, LoadingShowsTheStoredFiguresAndStartsTheSessionAtZero)
{
    Tally tally;
    ASSERT_TRUE(tally.loadtally(goldenGrid("three_opponents")));
    EXPECT_EQ(ownLabels(tally),
              QStringLiteral("37 | 12 | 412 | 90 secs-9 Words (185) | STRANGEST (9) | QUEST (75)"));
    EXPECT_EQ(tally.followed(), (QStringList{QStringLiteral("Bob"), QStringLiteral("Mary Ann"),
                                             QStringLiteral("Zo\u00EB")}));
    EXPECT_EQ(row(tally, 1), QStringLiteral("Bob,20,7,9,4,0,0,0,0,0"));
    EXPECT_EQ(row(tally, 3), QStringLiteral("Zo\u00EB,6,0,6,0,0,0,0,0,0"));
    EXPECT_EQ(tally.recordValue(3), 9);
    EXPECT_EQ(tally.recordValue(5), 75);
    EXPECT_EQ(tally.recordValue(8), 185);

    // A table that never had a record shows "0 (0)" after loading.
    Tally fresh;
    ASSERT_TRUE(fresh.loadtally(goldenGrid("fresh")));
    EXPECT_EQ(ownLabels(fresh), QStringLiteral("0 | 0 | 0 | 0 (0) | 0 (0) | 0 (0)"));

    // Short rows are filled up; a cell that is no number counts from 0; a
    // table without rows is refused.
    Tally odd;
    ASSERT_TRUE(odd.loadtally(
        StringGrid{3, {{QStringLiteral("0"), QStringLiteral("x")}, {QStringLiteral("Dee")}}}));
    EXPECT_EQ(row(odd, 1), QStringLiteral("Dee,,,,,0,0,0,0,"));
    odd.addtomine(1);
    EXPECT_EQ(odd.mylabel(1), QStringLiteral("1"));
    EXPECT_FALSE(odd.loadtally(StringGrid{10, {}}));
    EXPECT_EQ(odd.rowCount(), 2);
}
