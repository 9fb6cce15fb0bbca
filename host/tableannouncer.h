#pragma once

#include "launch/launchoptions.h"
#include "net/tableannounce.h"

#include <QElapsedTimer>
#include <QObject>
#include <QTimer>
#include <memory>

namespace gorse {

class DiscoverySocket;
class TServer;

// Tells lobbies on the local network about a table: what every player at it
// already sees (the names at the seats, the number of spies, whether a game
// runs and its round), never anybody's address. It sends at once when the
// table changes, every two seconds besides, and answers a lobby's query
// directly. It only watches the host through its public state.
class TableAnnouncer : public QObject
{
    Q_OBJECT
public:
    // At most this many queries are answered per second, so that the table
    // cannot be used to flood a third party with answers.
    static constexpr int kAnswersPerSecond = 20;
    // Changes closer together than this go out as one datagram.
    static constexpr int kChangeGapMs = 100;

    // server is not owned and must outlive the announcer. name is the
    // table's name in lobbies (the hosting player's, or the host machine's).
    TableAnnouncer(const TServer* server, QString name, DiscoveryEndpoints endpoints = {},
                   QObject* parent = nullptr);
    ~TableAnnouncer() override;

    // Opens the socket queries arrive on and starts announcing. Returns ""
    // or why queries cannot be answered; the table is announced regardless.
    QString start();
    quint16 queryPort() const;
    // The table's name in lobbies.
    const QString& name() const { return m_name; }
    // The regular announcement's interval (two seconds unless changed).
    void setInterval(int ms) { m_clock.setInterval(ms); }

    // The table as it is announced now; nothing is sent while the host does
    // not listen.
    TableAnnouncement announcement() const;
    void announce();

    quint64 announcementsSent() const { return m_announced; }
    quint64 queriesAnswered() const { return m_answered; }

private:
    void scheduleChange();
    void onDatagram(const Datagram& datagram, const QHostAddress& sender, quint16 senderPort);

    const TServer* m_server; // not owned
    QString m_name;
    QString m_id;
    DiscoveryEndpoints m_endpoints;
    DiscoverySocket* m_socket; // a child of this object
    QTimer m_clock;
    QTimer m_change;
    QElapsedTimer m_sinceSent;
    QElapsedTimer m_answerWindow;
    int m_answersInWindow = 0;
    quint64 m_announced = 0;
    quint64 m_answered = 0;
};

// A hosting copy's announcer, started; none in the other modes or with
// --no-announce. server is not owned and must outlive it.
std::unique_ptr<TableAnnouncer> announceTable(const LaunchOptions& options, const TServer* server);

} // namespace gorse
