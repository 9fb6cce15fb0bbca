#include "net/tableannounce.h"

#include "net/messages.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QNetworkInterface>
#include <climits>
#include <cmath>

namespace gorse {

namespace {

const QString kKind = QStringLiteral("gorse");
const QString kTableKind = QStringLiteral("table");
const QString kQueryKind = QStringLiteral("query");

// Collects why a datagram was refused; the first reason counts.
struct Reader
{
    const QJsonObject& object;
    QString why;

    bool fail(const QString& reason)
    {
        if (why.isEmpty())
            why = reason;
        return false;
    }
    bool present(const QString& key)
    {
        if (object.contains(key))
            return true;
        return fail(QStringLiteral("missing field \"%1\"").arg(key));
    }
    std::optional<qint64> integer(const QString& key, qint64 min, qint64 max)
    {
        if (!present(key))
            return std::nullopt;
        const QJsonValue v = object.value(key);
        const double d = v.toDouble();
        if (!v.isDouble() || std::floor(d) != d || d < double(min) || d > double(max)) {
            fail(QStringLiteral("field \"%1\" is not a whole number from %2 to %3")
                     .arg(key)
                     .arg(min)
                     .arg(max));
            return std::nullopt;
        }
        return qint64(d);
    }
    std::optional<QString> text(const QString& key)
    {
        if (!present(key))
            return std::nullopt;
        const QJsonValue v = object.value(key);
        if (!v.isString()) {
            fail(QStringLiteral("field \"%1\" is not a text").arg(key));
            return std::nullopt;
        }
        return v.toString();
    }
    std::optional<bool> flag(const QString& key)
    {
        if (!present(key))
            return std::nullopt;
        const QJsonValue v = object.value(key);
        if (!v.isBool()) {
            fail(QStringLiteral("field \"%1\" is not true or false").arg(key));
            return std::nullopt;
        }
        return v.toBool();
    }
};

bool isHexId(const QString& id)
{
    if (id.isEmpty() || id.size() > 32)
        return false;
    for (QChar c : id) {
        if (!((c >= u'0' && c <= u'9') || (c >= u'a' && c <= u'f')))
            return false;
    }
    return true;
}

bool shownCharacter(char32_t c)
{
    if (c == U'+')
        return false;
    switch (QChar::category(c)) {
    case QChar::Other_Control:
    case QChar::Other_Format:
    case QChar::Other_Surrogate:
    case QChar::Separator_Line:
    case QChar::Separator_Paragraph:
        return false;
    default:
        return true;
    }
}

QByteArray encodeWith(const TableAnnouncement& table, int nameLength)
{
    QJsonArray seats;
    for (const std::optional<QString>& seat : table.seats)
        seats.append(seat ? QJsonValue(cleanTableText(*seat, nameLength)) : QJsonValue());
    QJsonObject o;
    o.insert(kKind, kTableKind);
    o.insert(QStringLiteral("v"), kDiscoveryVersion);
    o.insert(QStringLiteral("id"), table.id);
    o.insert(QStringLiteral("name"), cleanTableText(table.name, nameLength));
    o.insert(QStringLiteral("port"), int(table.port));
    o.insert(QStringLiteral("seats"), seats);
    o.insert(QStringLiteral("spies"), table.spies);
    o.insert(QStringLiteral("running"), table.running);
    o.insert(QStringLiteral("round"), table.round);
    o.insert(QStringLiteral("version"), cleanTableText(table.version, 16));
    return QJsonDocument(o).toJson(QJsonDocument::Compact);
}

bool isHostName(const QString& host)
{
    if (host.isEmpty() || host.size() > 253 || host.startsWith(u'-') || host.startsWith(u'.'))
        return false;
    for (QChar c : host) {
        const bool ok = (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z') ||
                        (c >= u'0' && c <= u'9') || c == u'-' || c == u'.' || c == u'_';
        if (!ok)
            return false;
    }
    return true;
}

std::optional<quint16> portText(QStringView text)
{
    if (text.isEmpty() || !text.front().isDigit())
        return std::nullopt;
    bool ok = false;
    const uint port = text.toUInt(&ok, 10);
    if (!ok || port == 0 || port > 65535)
        return std::nullopt;
    return quint16(port);
}

} // namespace

int TableAnnouncement::freeSeats() const
{
    int free = 0;
    for (const auto& seat : seats)
        free += seat ? 0 : 1;
    return free;
}

QStringList TableAnnouncement::seatedNames() const
{
    QStringList names;
    for (const auto& seat : seats) {
        if (seat)
            names.append(*seat);
    }
    return names;
}

QString cleanTableText(const QString& text, int maxLength)
{
    // The game's own cleaning first: no "+" and no 0xFF on the wire.
    const QList<uint> chars = fromWire(cleanPlayerName(toWire(text))).toUcs4();
    QList<uint> shown;
    for (uint c : chars) {
        if (shownCharacter(char32_t(c)))
            shown.append(c);
    }
    const QString simple =
        QString::fromUcs4(reinterpret_cast<const char32_t*>(shown.constData()), shown.size())
            .simplified();
    // Cut by characters, never inside a surrogate pair.
    const QList<uint> kept = simple.toUcs4().mid(0, qMax(0, maxLength));
    return QString::fromUcs4(reinterpret_cast<const char32_t*>(kept.constData()), kept.size())
        .trimmed();
}

QByteArray encodeAnnouncement(const TableAnnouncement& table)
{
    // Six long names in a script of three-byte characters would not fit:
    // the names are shortened until the datagram does.
    for (int length = kMaxTableTextLength; length > 0; length -= 4) {
        const QByteArray bytes = encodeWith(table, length);
        if (bytes.size() <= kMaxDatagramSize)
            return bytes;
    }
    return encodeWith(table, 0);
}

QByteArray encodeQuery()
{
    QJsonObject o;
    o.insert(kKind, kQueryKind);
    o.insert(QStringLiteral("v"), kDiscoveryVersion);
    return QJsonDocument(o).toJson(QJsonDocument::Compact);
}

std::optional<Datagram> parseDatagram(const QByteArray& bytes, QString* why)
{
    auto refuse = [why](const QString& reason) -> std::optional<Datagram> {
        if (why)
            *why = reason;
        return std::nullopt;
    };
    if (bytes.size() > kMaxDatagramSize)
        return refuse(QStringLiteral("longer than %1 bytes").arg(kMaxDatagramSize));
    QJsonParseError error;
    const QJsonDocument doc = QJsonDocument::fromJson(bytes, &error);
    if (error.error != QJsonParseError::NoError || !doc.isObject())
        return refuse(QStringLiteral("not a JSON object"));
    const QJsonObject object = doc.object();
    Reader r{object, {}};

    const auto kind = r.text(kKind);
    if (!kind || (*kind != kTableKind && *kind != kQueryKind))
        return refuse(QStringLiteral("not a Gorse datagram"));
    const auto version = r.integer(QStringLiteral("v"), 0, INT_MAX);
    if (!version)
        return refuse(r.why);
    if (*version != kDiscoveryVersion)
        return refuse(QStringLiteral("unknown version %1").arg(*version));

    Datagram d;
    if (*kind == kQueryKind) {
        d.kind = Datagram::Kind::Query;
        return d;
    }
    d.kind = Datagram::Kind::Table;
    TableAnnouncement& t = d.table;
    const auto id = r.text(QStringLiteral("id"));
    const auto name = r.text(QStringLiteral("name"));
    const auto port = r.integer(QStringLiteral("port"), 1, 65535);
    const auto spies = r.integer(QStringLiteral("spies"), 0, kConnectionCount - kSeatCount);
    const auto running = r.flag(QStringLiteral("running"));
    const auto round = r.integer(QStringLiteral("round"), 0, INT_MAX);
    const auto gameVersion = r.text(QStringLiteral("version"));
    if (!id || !name || !port || !spies || !running || !round || !gameVersion ||
        !r.present(QStringLiteral("seats")))
        return refuse(r.why);
    if (!isHexId(*id))
        return refuse(QStringLiteral("field \"id\" is not 1 to 32 hexadecimal digits"));
    const QJsonValue seatsValue = object.value(QStringLiteral("seats"));
    const QJsonArray seats = seatsValue.toArray();
    if (!seatsValue.isArray() || seats.size() != kSeatCount)
        return refuse(QStringLiteral("field \"seats\" is not a list of %1 seats").arg(kSeatCount));
    for (int i = 0; i < kSeatCount; ++i) {
        const QJsonValue seat = seats.at(i);
        if (seat.isString())
            t.seats[size_t(i)] = cleanTableText(seat.toString());
        else if (!seat.isNull())
            return refuse(QStringLiteral("seat %1 is neither a name nor null").arg(i + 1));
    }
    t.id = *id;
    t.name = cleanTableText(*name);
    t.port = quint16(*port);
    t.spies = int(*spies);
    t.running = *running;
    t.round = int(*round);
    t.version = cleanTableText(*gameVersion, 16);
    return d;
}

std::optional<DiscoveryEndpoints> discoveryEndpoints(quint16 port, const QString& sendTo)
{
    DiscoveryEndpoints endpoints;
    endpoints.bindPort = port;
    endpoints.targetPort = port == 0 ? kDiscoveryPort : port;
    if (sendTo.isEmpty())
        return endpoints;
    const auto to = parseAddressAndPort(sendTo, endpoints.targetPort);
    if (!to)
        return std::nullopt;
    endpoints.targets = {to->first};
    endpoints.targetPort = to->second;
    return endpoints;
}

QList<QHostAddress> broadcastTargets()
{
    QList<QHostAddress> targets;
    const auto interfaces = QNetworkInterface::allInterfaces();
    for (const QNetworkInterface& nic : interfaces) {
        const auto flags = nic.flags();
        if (!flags.testFlag(QNetworkInterface::IsUp) ||
            !flags.testFlag(QNetworkInterface::IsRunning) ||
            !flags.testFlag(QNetworkInterface::CanBroadcast) ||
            flags.testFlag(QNetworkInterface::IsLoopBack))
            continue;
        for (const QNetworkAddressEntry& entry : nic.addressEntries()) {
            const QHostAddress broadcast = entry.broadcast();
            if (entry.ip().protocol() == QAbstractSocket::IPv4Protocol && !broadcast.isNull() &&
                !targets.contains(broadcast))
                targets.append(broadcast);
        }
    }
    targets.append(QHostAddress(QStringLiteral("127.255.255.255")));
    return targets;
}

bool isLocalSender(const QHostAddress& sender)
{
    bool mapped = false;
    const quint32 v4 = sender.toIPv4Address(&mapped);
    if (!mapped)
        return sender.isLoopback();
    const QHostAddress address(v4);
    if (address.isLoopback())
        return true;
    const auto interfaces = QNetworkInterface::allInterfaces();
    for (const QNetworkInterface& nic : interfaces) {
        for (const QNetworkAddressEntry& entry : nic.addressEntries()) {
            if (entry.ip().protocol() == QAbstractSocket::IPv4Protocol &&
                address.isInSubnet(entry.ip(), entry.prefixLength()))
                return true;
        }
    }
    return false;
}

std::optional<std::pair<QString, quint16>> splitHostAndPort(const QString& text,
                                                            quint16 defaultPort)
{
    const QString t = text.trimmed();
    QString host = t;
    std::optional<quint16> port = defaultPort;
    if (t.startsWith(u'[')) {
        const qsizetype close = t.indexOf(u']');
        if (close < 0)
            return std::nullopt;
        host = t.mid(1, close - 1);
        const QStringView after = QStringView(t).mid(close + 1);
        if (!after.isEmpty()) {
            if (!after.startsWith(u':'))
                return std::nullopt;
            port = portText(after.mid(1));
        }
        if (QHostAddress(host).protocol() != QAbstractSocket::IPv6Protocol)
            return std::nullopt;
    } else if (t.count(u':') == 1) {
        const qsizetype colon = t.indexOf(u':');
        host = t.left(colon);
        port = portText(QStringView(t).mid(colon + 1));
        if (!isHostName(host))
            return std::nullopt;
    } else if (t.count(u':') > 1) {
        if (QHostAddress(host).protocol() != QAbstractSocket::IPv6Protocol)
            return std::nullopt;
    } else if (!isHostName(host)) {
        return std::nullopt;
    }
    if (!port)
        return std::nullopt;
    return std::make_pair(host, *port);
}

std::optional<std::pair<QHostAddress, quint16>> parseAddressAndPort(const QString& text,
                                                                    quint16 defaultPort)
{
    const auto split = splitHostAndPort(text, defaultPort);
    if (!split)
        return std::nullopt;
    const QHostAddress address(split->first);
    if (address.isNull())
        return std::nullopt;
    return std::make_pair(address, split->second);
}

} // namespace gorse
