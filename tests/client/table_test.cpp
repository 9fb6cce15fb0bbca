// The table as the client knows it: seats, their headings and scores, spies.
#include "client/table.h"
#include "support/qtprint.h"

#include <QSignalSpy>
#include <gtest/gtest.h>

using namespace gorse;

TEST(Table, SeatsFollowArrivalsDeparturesAndRounds)
{
    Table t;
    QSignalSpy changed(&t, &Table::seatsChanged);
    EXPECT_EQ(t.seat(2).shownName(), QStringLiteral("<Waiting>"));
    EXPECT_EQ(t.seat(2).heading, QStringLiteral("[0] <WAITING>"));
    // Before anybody sat there, a round's count names the empty seat.
    t.setWordsPlayed(5, 0);
    EXPECT_EQ(t.seat(5).heading, QStringLiteral(" [0] <Waiting>"));

    t.sit(2, QStringLiteral("Bob"));
    t.sit(3, QString());
    EXPECT_EQ(t.seat(2).heading, QStringLiteral("Bob [0]"));
    EXPECT_TRUE(t.seat(3).taken);
    EXPECT_EQ(t.seat(3).shownName(), QString());
    EXPECT_EQ(t.opponents(2), QStringList{QString()});
    EXPECT_EQ(t.opponents(1), (QStringList{QStringLiteral("Bob"), QString()}));

    t.setScores(2, 140, 25, QStringLiteral("+25"));
    t.setWordsPlayed(2, 3);
    EXPECT_EQ(t.seat(2).heading, QStringLiteral(" [3] Bob"));
    t.resetForRound();
    EXPECT_EQ(t.seat(2).total, 140);
    EXPECT_EQ(t.seat(2).roundPoints, 0);
    EXPECT_EQ(t.seat(2).bonus, QString());

    // A player who leaves takes the name, not the scores.
    t.leave(2);
    EXPECT_FALSE(t.seat(2).taken);
    EXPECT_EQ(t.seat(2).heading, QStringLiteral("<Waiting> [0]"));
    EXPECT_EQ(t.seat(2).total, 140);
    t.setWordsPlayed(2, 1);
    EXPECT_EQ(t.seat(2).heading, QStringLiteral(" [1] <Waiting>"));
    t.resetForGame();
    EXPECT_EQ(t.seat(2).total, 0);

    // Numbers outside the seats change nothing and announce nothing.
    const qsizetype before = changed.size();
    for (int n : {0, 7, -1}) {
        t.sit(n, QStringLiteral("Eve"));
        t.setScores(n, 1, 1, QStringLiteral("+1"));
        t.leave(n);
    }
    EXPECT_EQ(changed.size(), before);
    EXPECT_EQ(t.seat(7).number, 0);
}

TEST(Table, SpiesLeaveOnlyByTheirExactNumberAndName)
{
    Table t;
    QSignalSpy changed(&t, &Table::spiesChanged);
    t.addSpy(7, QStringLiteral("Kim: the spy"));
    t.addSpy(8, QStringLiteral("Kim: the spy"));
    EXPECT_EQ(t.spies().at(1).itemText(), QStringLiteral("8: Kim: the spy"));
    EXPECT_FALSE(t.removeSpy(8, QStringLiteral("Kim")));
    EXPECT_FALSE(t.removeSpy(9, QStringLiteral("Kim: the spy")));
    EXPECT_TRUE(t.removeSpy(8, QStringLiteral("Kim: the spy")));
    ASSERT_EQ(t.spies().size(), 1);
    EXPECT_EQ(t.spies().first().number, 7);
    EXPECT_EQ(changed.size(), 3);
}

TEST(Table, ARepeatedSpyAnnouncementReplacesItsEntry)
{
    Table t;
    QSignalSpy changed(&t, &Table::spiesChanged);
    t.addSpy(7, QStringLiteral("Kim"));
    t.addSpy(8, QStringLiteral("Lou"));
    // A spy logging in again and again, as a hostile client may.
    for (int i = 0; i < 12000; ++i)
        t.addSpy(7, QStringLiteral("Kim"));
    t.addSpy(7, QStringLiteral("Kim again"));
    ASSERT_EQ(t.spies().size(), 2);
    EXPECT_EQ(t.spies().at(0).itemText(), QStringLiteral("7: Kim again"));
    EXPECT_EQ(t.spies().at(1).itemText(), QStringLiteral("8: Lou"));
    EXPECT_EQ(changed.size(), 3); // two arrivals and one new name
    EXPECT_FALSE(t.removeSpy(7, QStringLiteral("Kim")));
    EXPECT_TRUE(t.removeSpy(7, QStringLiteral("Kim again")));
}
