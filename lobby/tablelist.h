#pragma once

#include "net/tableannounce.h"

#include <QAbstractTableModel>
#include <QHostAddress>
#include <vector>

namespace gorse {

// A table heard on the network: what it announced, where from, and when.
struct FoundTable
{
    TableAnnouncement table;
    QHostAddress address; // the game is joined at this address and table.port
    qint64 lastHeard = 0; // milliseconds on the caller's clock
};

// The tables a lobby has heard of, as the rows of its list: a table appears
// when first heard, changes with each announcement, and goes when it has not
// been heard from for the timeout. At most kMaxTables are listed; a table
// heard while the list is full waits until a place is free. Times are given
// by the caller, so the list itself never looks at a clock.
class TableList : public QAbstractTableModel
{
    Q_OBJECT
public:
    enum Column {
        HostColumn,
        AddressColumn,
        PortColumn,
        PlayersColumn,
        FreeColumn,
        SpiesColumn,
        GameColumn,
        ColumnCount
    };

    explicit TableList(QObject* parent = nullptr);

    void setTimeout(int ms) { m_timeout = ms; }
    int timeout() const { return m_timeout; }

    // A table announced itself from `from` at time now (ms). False when it
    // was not taken (the list is full).
    bool heard(const TableAnnouncement& table, const QHostAddress& from, qint64 now);
    // Drops the tables silent for the timeout or longer; returns how many.
    int expire(qint64 now);

    int size() const { return int(m_tables.size()); }
    const FoundTable& at(int row) const { return m_tables.at(size_t(row)); }
    // The row of the table with this id, or -1.
    int rowOf(const QString& id) const;

    // The texts of a row, as the list shows them.
    static QString gameText(const TableAnnouncement& table);
    static QString playersText(const TableAnnouncement& table);

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;

private:
    std::vector<FoundTable> m_tables;
    int m_timeout = kTableTimeoutMs;
};

} // namespace gorse
