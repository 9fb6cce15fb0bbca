#pragma once

#include "dict/tdictn.h"
#include "host/tserver.h"

#include <QByteArray>
#include <QHostAddress>
#include <QObject>
#include <QString>
#include <memory>
#include <vector>

namespace gorse {

// The tables of one server process: each a connection server of its own
// with its own game, seats, spies, deck and clock, so that nothing one
// table's players send reaches another table. They share only the word
// list's bytes, which none of them changes.
class TableSet : public QObject
{
    Q_OBJECT
public:
    // The most tables one process serves.
    static constexpr int kMaxTables = 1000;
    // What every table tells its players when the server stops.
    static constexpr QByteArrayView kRestartNotice{"The server is restarting."};

    // count tables (1..kMaxTables) checking words against words; table k
    // deals from seed + k - 1.
    TableSet(int count, const TDictn& words, quint64 seed, QObject* parent = nullptr);
    ~TableSet() override;

    int count() const { return int(m_tables.size()); }
    // Table k, 1..count().
    TServer& table(int k) { return *m_tables.at(size_t(k - 1)); }
    const TServer& table(int k) const { return *m_tables.at(size_t(k - 1)); }
    quint64 seed(int k) const { return m_seed + quint64(k - 1); }

    // Table k listens on port + k - 1; with port 0 each table takes a free
    // port of its own. Returns "" or why a table cannot listen (the tables
    // before it then stop listening again).
    QString startListening(quint16 port,
                           const QHostAddress& address = QHostAddress(QHostAddress::AnyIPv4));

    // The tables as the web page lists them: a JSON array with one object
    // per table (number, port, players, freeSeats, spies, state, round).
    QByteArray tablesJson() const;

    // Tells every player at every table text as a notice in his chat pane,
    // and writes it out now.
    void tellEveryone(QByteArrayView text);
    // Bytes given to the network and not taken by it yet, at all tables.
    qint64 bytesToWrite() const;

private:
    std::vector<std::unique_ptr<TServer>> m_tables;
    quint64 m_seed;
};

} // namespace gorse
