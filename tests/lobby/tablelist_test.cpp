// The list of tables a lobby heard of: appearing, changing, going silent,
// the cap, and the texts of its rows.
#include "lobby/tablelist.h"
#include "support/testutil.h"

#include <QSignalSpy>
#include <gtest/gtest.h>

using namespace gorse;

namespace {

const QHostAddress kLan(QStringLiteral("192.0.2.7"));
const QHostAddress kLoopback(QHostAddress::LocalHost);

TableAnnouncement table(const QString& id, const QString& name = QStringLiteral("Ann"))
{
    TableAnnouncement t;
    t.id = id;
    t.name = name;
    t.port = 7772;
    t.seats[0] = name;
    t.version = QLatin1String(kVersionText);
    return t;
}

QString cell(const TableList& list, int row, int column)
{
    return list.data(list.index(row, column)).toString();
}

} // namespace

TEST(TableList, ATableGoesAfterSixSecondsOfSilence)
{
    TableList list;
    EXPECT_EQ(list.timeout(), 6000);
    ASSERT_TRUE(list.heard(table(QStringLiteral("a")), kLan, 1000));
    EXPECT_EQ(list.expire(6999), 0);
    // Heard again: the six seconds start anew.
    list.heard(table(QStringLiteral("a")), kLan, 4000);
    EXPECT_EQ(list.expire(9999), 0);
    EXPECT_EQ(list.size(), 1);
    EXPECT_EQ(list.expire(10000), 1);
    EXPECT_EQ(list.size(), 0);
}

TEST(TableList, AtMostSixtyFourTablesAndAFreedPlaceIsTakenAgain)
{
    TableList list;
    for (int i = 0; i < 70; ++i)
        list.heard(table(QString::number(i, 16)), kLan, i < kMaxTables ? 0 : 100);
    EXPECT_EQ(list.size(), kMaxTables);
    EXPECT_EQ(list.rowOf(QStringLiteral("40")), -1); // 64 in hex: the first one left out
    // The listed ones keep being updated while the list is full.
    EXPECT_TRUE(list.heard(table(QStringLiteral("0"), QStringLiteral("Bea")), kLan, 5000));
    EXPECT_EQ(cell(list, 0, TableList::HostColumn), QStringLiteral("Bea"));
    // All but the first go silent; newcomers find room again.
    EXPECT_EQ(list.expire(6000), kMaxTables - 1);
    EXPECT_TRUE(list.heard(table(QStringLiteral("40")), kLan, 6000));
    EXPECT_EQ(list.size(), 2);
}

TEST(TableList, ATableHeardOnLoopbackAndNetworkIsListedOnceAtItsNetworkAddress)
{
    TableList list;
    QSignalSpy changed(&list, &TableList::dataChanged);
    list.heard(table(QStringLiteral("a")), kLoopback, 0);
    list.heard(table(QStringLiteral("a")), kLan, 10);
    EXPECT_EQ(list.size(), 1);
    EXPECT_EQ(list.at(0).address, kLan);
    EXPECT_EQ(changed.size(), 1);
    // Once on the network address, the loopback copy does not take it back.
    list.heard(table(QStringLiteral("a")), kLoopback, 20);
    EXPECT_EQ(list.at(0).address, kLan);
    // An unchanged announcement refreshes the time without redrawing the row.
    list.heard(table(QStringLiteral("a")), kLan, 30);
    EXPECT_EQ(changed.size(), 1);
    EXPECT_EQ(list.at(0).lastHeard, 30);
}

TEST(TableList, RowTexts)
{
    TableList list;
    TableAnnouncement t = table(QStringLiteral("a"));
    t.seats = {QStringLiteral("Ann"), std::nullopt, QString(),
               QStringLiteral("Bob"), std::nullopt, std::nullopt};
    t.spies = 2;
    t.port = 7780;
    list.heard(t, kLan, 0);
    EXPECT_EQ(list.columnCount(), 7);
    EXPECT_EQ(list.headerData(TableList::FreeColumn, Qt::Horizontal).toString(),
              QStringLiteral("Free seats"));
    EXPECT_EQ(cell(list, 0, TableList::HostColumn), QStringLiteral("Ann"));
    EXPECT_EQ(cell(list, 0, TableList::AddressColumn), QStringLiteral("192.0.2.7"));
    EXPECT_EQ(cell(list, 0, TableList::PortColumn), QStringLiteral("7780"));
    EXPECT_EQ(cell(list, 0, TableList::PlayersColumn), QStringLiteral("Ann, (joining), Bob"));
    EXPECT_EQ(cell(list, 0, TableList::FreeColumn), QStringLiteral("3"));
    EXPECT_EQ(cell(list, 0, TableList::SpiesColumn), QStringLiteral("2"));
    EXPECT_EQ(cell(list, 0, TableList::GameColumn), QStringLiteral("Not started"));
    EXPECT_FALSE(list.data(list.index(0, 0), Qt::ToolTipRole)
                     .toString()
                     .contains(QStringLiteral("version")));

    t.running = true;
    t.round = 3;
    t.version = QStringLiteral("1.1.0");
    list.heard(t, kLan, 10);
    EXPECT_EQ(cell(list, 0, TableList::GameColumn), QStringLiteral("Round 3"));
    EXPECT_TRUE(list.data(list.index(0, 0), Qt::ToolTipRole)
                    .toString()
                    .contains(QStringLiteral("This table runs version 1.1.0")));
    t.running = false;
    list.heard(t, kLan, 20);
    EXPECT_EQ(cell(list, 0, TableList::GameColumn), QStringLiteral("Game over"));
}
