#pragma once

#include "lobby/tablelist.h"
#include "net/tableannounce.h"

#include <QElapsedTimer>
#include <QObject>
#include <QTimer>

namespace gorse {

class DiscoverySocket;

// Listens for the tables announced on the local network and keeps the list
// of them. When started it also asks every table to answer at once, so the
// list fills within a moment instead of at the next regular announcement.
// It never joins anything by itself.
class TableFinder : public QObject
{
    Q_OBJECT
public:
    // How long after start() an empty list still counts as "looking" (until
    // the first table is heard).
    static constexpr int kSearchMs = 1500;

    explicit TableFinder(DiscoveryEndpoints endpoints = {}, QObject* parent = nullptr);
    ~TableFinder() override;

    // Starts listening and sends a query. Returns "" or why announcements
    // cannot be heard (answers to the query still arrive).
    QString start();
    // Asks every table to announce itself now.
    void query();
    // A table silent for this long is dropped (6 seconds unless changed).
    void setTimeout(int ms);

    TableList* tables() const { return m_tables; }
    bool searching() const { return m_searching; }
    // One line about the list: looking, nothing found, or how many.
    QString statusText() const;
    quint16 listenPort() const;
    quint16 queryPort() const;

signals:
    void statusChanged(const QString& text);

private:
    void onDatagram(const Datagram& datagram, const QHostAddress& sender, quint16 senderPort);
    void expire();
    void searchOver();

    DiscoveryEndpoints m_endpoints;
    TableList* m_tables;         // a child of this object
    DiscoverySocket* m_listener; // a child: the announcements
    DiscoverySocket* m_querier;  // a child: the query and its answers
    QTimer m_expiry;
    QElapsedTimer m_clock;
    bool m_searching = false;
    QString m_listenError;
};

} // namespace gorse
