#include "lobby/tablelist.h"

namespace gorse {

namespace {

// Where a table is joined from here: a copy on this machine is heard both on
// the loopback and on the network; the network address is the one worth
// showing (and telling a friend).
bool betterAddress(const QHostAddress& now, const QHostAddress& before)
{
    return before.isLoopback() && !now.isLoopback();
}

} // namespace

TableList::TableList(QObject* parent) : QAbstractTableModel(parent)
{
}

bool TableList::heard(const TableAnnouncement& table, const QHostAddress& from, qint64 now)
{
    const int row = rowOf(table.id);
    if (row >= 0) {
        FoundTable& found = m_tables[size_t(row)];
        found.lastHeard = now;
        const bool moved = betterAddress(from, found.address);
        if (found.table == table && !moved)
            return true;
        found.table = table;
        if (moved)
            found.address = from;
        emit dataChanged(index(row, 0), index(row, ColumnCount - 1));
        return true;
    }
    if (size() >= kMaxTables)
        return false;
    beginInsertRows(QModelIndex(), size(), size());
    m_tables.push_back(FoundTable{table, from, now});
    endInsertRows();
    return true;
}

int TableList::expire(qint64 now)
{
    int dropped = 0;
    for (int row = size() - 1; row >= 0; --row) {
        if (now - m_tables[size_t(row)].lastHeard < m_timeout)
            continue;
        beginRemoveRows(QModelIndex(), row, row);
        m_tables.erase(m_tables.begin() + row);
        endRemoveRows();
        ++dropped;
    }
    return dropped;
}

int TableList::rowOf(const QString& id) const
{
    for (int row = 0; row < size(); ++row) {
        if (m_tables[size_t(row)].table.id == id)
            return row;
    }
    return -1;
}

QString TableList::gameText(const TableAnnouncement& table)
{
    if (table.running)
        return QStringLiteral("Round %1").arg(table.round);
    if (table.round > 0)
        return QStringLiteral("Game over");
    return QStringLiteral("Not started");
}

QString TableList::playersText(const TableAnnouncement& table)
{
    QStringList names;
    for (const QString& name : table.seatedNames())
        names.append(name.isEmpty() ? QStringLiteral("(joining)") : name);
    return names.join(QStringLiteral(", "));
}

int TableList::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : size();
}

int TableList::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : int(ColumnCount);
}

QVariant TableList::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.row() >= size())
        return QVariant();
    const FoundTable& found = at(index.row());
    const TableAnnouncement& t = found.table;
    if (role == Qt::ToolTipRole) {
        QString tip =
            QStringLiteral("%1 at %2 port %3").arg(t.name, found.address.toString()).arg(t.port);
        if (t.version != QLatin1String(kVersionText))
            tip += QStringLiteral("\nThis table runs version %1; yours is %2.")
                       .arg(t.version, QLatin1String(kVersionText));
        return tip;
    }
    if (role == Qt::TextAlignmentRole) {
        const bool number = index.column() == PortColumn || index.column() == FreeColumn ||
                            index.column() == SpiesColumn;
        return QVariant::fromValue(Qt::Alignment(number ? Qt::AlignRight | Qt::AlignVCenter
                                                        : Qt::AlignLeft | Qt::AlignVCenter));
    }
    if (role != Qt::DisplayRole)
        return QVariant();
    switch (index.column()) {
    case HostColumn:
        return t.name;
    case AddressColumn:
        return found.address.toString();
    case PortColumn:
        return int(t.port);
    case PlayersColumn:
        return playersText(t);
    case FreeColumn:
        return t.freeSeats();
    case SpiesColumn:
        return t.spies;
    case GameColumn:
        return gameText(t);
    default:
        return QVariant();
    }
}

QVariant TableList::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return QVariant();
    static const char* const titles[ColumnCount] = {"Host",       "Address", "Port", "Players",
                                                    "Free seats", "Spies",   "Game"};
    if (section < 0 || section >= ColumnCount)
        return QVariant();
    return QString::fromLatin1(titles[section]);
}

} // namespace gorse
