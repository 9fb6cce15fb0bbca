#include "host/tableset.h"

#include "net/messages.h"
#include "net/tsock.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace gorse {

TableSet::TableSet(int count, const TDictn& words, quint64 seed, QObject* parent)
    : QObject(parent), m_seed(seed)
{
    Q_ASSERT(count >= 1 && count <= kMaxTables);
    m_tables.reserve(size_t(count));
    // The records are shared between the copies, not copied.
    const QByteArray records = words.records();
    for (int k = 1; k <= count; ++k)
        m_tables.push_back(
            std::make_unique<TServer>(std::make_unique<TDictn>(records), this->seed(k), this));
}

TableSet::~TableSet() = default;

QString TableSet::startListening(quint16 port, const QHostAddress& address)
{
    if (port != 0 && int(port) + count() - 1 > 65535)
        return QStringLiteral("ports %1 to %2 do not exist").arg(port).arg(int(port) + count() - 1);
    for (int k = 1; k <= count(); ++k) {
        try {
            table(k).startListening(port == 0 ? 0 : quint16(port + k - 1), address);
        } catch (const ESockException& e) {
            return QStringLiteral("table %1 cannot listen on port %2: %3")
                .arg(k)
                .arg(port == 0 ? 0 : port + k - 1)
                .arg(QString::fromUtf8(e.what()));
        }
    }
    return {};
}

QByteArray TableSet::tablesJson() const
{
    QJsonArray list;
    for (int k = 1; k <= count(); ++k) {
        const GameTable& game = table(k).table();
        QJsonArray players;
        int spies = 0;
        for (int n = 1; n <= kConnectionCount; ++n) {
            const tplayer& p = game.player(n);
            if (!p.connected)
                continue;
            if (n <= kSeatCount)
                players.append(fromWire(p.name));
            else
                ++spies;
        }
        // After a win the round clock stops: the game is over.
        const char* state = !game.gameStarted()    ? "waiting"
                            : game.timer1Enabled() ? "playing"
                                                   : "over";
        list.append(QJsonObject{
            {QStringLiteral("number"), k},
            {QStringLiteral("port"), table(k).listeningPort()},
            {QStringLiteral("players"), players},
            {QStringLiteral("freeSeats"), kSeatCount - int(players.size())},
            {QStringLiteral("spies"), spies},
            {QStringLiteral("state"), QLatin1String(state)},
            {QStringLiteral("round"), game.roundNumber()},
        });
    }
    return QJsonDocument(list).toJson(QJsonDocument::Compact);
}

void TableSet::tellEveryone(QByteArrayView text)
{
    // A chat line of origin 0: the desktop program shows it as a notice in
    // its chat pane, in the system colour.
    const QByteArray message = msg::chat(0, text.toByteArray() + "|clBlue");
    for (const auto& t : m_tables)
        t->sendToEveryone(message);
}

qint64 TableSet::bytesToWrite() const
{
    qint64 total = 0;
    for (const auto& t : m_tables) {
        for (int n = 1; n <= t->highWaterMark(); ++n) {
            const TServer::Connection& c = t->connection(n);
            if (c.link && !c.closing)
                total += c.link->bytesToWrite();
        }
    }
    return total;
}

} // namespace gorse
