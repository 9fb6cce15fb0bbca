#pragma once

#include "game/rules.h"

#include <QByteArray>
#include <QHostAddress>
#include <QList>
#include <QString>
#include <QStringList>
#include <array>
#include <optional>

namespace gorse {

// Finding tables on the local network. A hosting copy (and gorse-host) sends
// one small UDP datagram describing its table to the broadcast address of
// every IPv4 interface, every few seconds and whenever the table changes; a
// lobby listens for them, and when it opens it asks every table to answer at
// once. This file is the one place where the datagrams are written and read.
//
// A datagram is a compact JSON object of at most kMaxDatagramSize bytes:
//
//   {"gorse":"table","v":1,"id":"5f0c...","name":"Ann","port":7772,
//    "seats":["Ann",null,"Bob",null,null,null],"spies":1,
//    "running":true,"round":3,"version":"1.2.0"}
//   {"gorse":"query","v":1}
//
// A seat is null when free, a name when taken ("" while the newcomer has not
// logged in yet). Only what every player at the table already sees is
// announced: names, counts and the game's state; never an address.

inline constexpr quint16 kDiscoveryPort = 7773;
inline constexpr int kDiscoveryVersion = 1;
inline constexpr int kMaxDatagramSize = 1024;
inline constexpr int kAnnounceIntervalMs = 2000;
inline constexpr int kTableTimeoutMs = 6000;
inline constexpr int kMaxTables = 64;
// Names in a datagram are cut to this many characters.
inline constexpr int kMaxTableTextLength = 32;

struct TableAnnouncement
{
    QString id;       // tells one running table from another (random hex)
    QString name;     // the hosting player's name, or the dedicated host's
    quint16 port = 0; // the game's TCP port
    std::array<std::optional<QString>, kSeatCount> seats{};
    int spies = 0;
    bool running = false; // a game is being played (rounds go on)
    int round = 0;        // the current or last round; 0 before the first game
    QString version;      // the host's version text

    int freeSeats() const;
    // The names of the taken seats, in seat order ("" for one logging in).
    QStringList seatedNames() const;
    bool operator==(const TableAnnouncement&) const = default;
};

struct Datagram
{
    enum class Kind { Table, Query };
    Kind kind = Kind::Query;
    TableAnnouncement table; // for Kind::Table
};

// The announcement as sent. Names are cleaned, and shortened further when
// the datagram would otherwise exceed kMaxDatagramSize.
QByteArray encodeAnnouncement(const TableAnnouncement& table);
QByteArray encodeQuery();
// Reads a datagram strictly: the size, the version, every field's presence,
// type and range. Anything else is empty, with the reason in why. Names are
// cleaned on the way in.
std::optional<Datagram> parseDatagram(const QByteArray& bytes, QString* why = nullptr);

// A name fit to show in a list: no "+", no control or format characters
// (line breaks, direction overrides, zero-width marks), blanks trimmed, at
// most maxLength characters.
QString cleanTableText(const QString& text, int maxLength = kMaxTableTextLength);

// Where discovery datagrams are received and sent.
struct DiscoveryEndpoints
{
    QHostAddress bindAddress = QHostAddress(QHostAddress::AnyIPv4);
    quint16 bindPort = kDiscoveryPort;
    // Empty: broadcastTargets(), computed afresh for every send.
    QList<QHostAddress> targets;
    quint16 targetPort = kDiscoveryPort;
};

// The endpoints for a port (0: any free port to receive on, the usual port to
// send to) and, unless empty, the one "ADDRESS[:PORT]" to send to instead of
// broadcasting. Empty when that address does not read.
std::optional<DiscoveryEndpoints> discoveryEndpoints(quint16 port, const QString& sendTo = {});

// The broadcast address of every IPv4 interface that is up, and the loopback
// broadcast 127.255.255.255 so that copies on the same machine find each
// other without a network.
QList<QHostAddress> broadcastTargets();
// Whether a datagram from this address may be answered directly: loopback,
// or an address on one of this machine's IPv4 subnets.
bool isLocalSender(const QHostAddress& sender);
// "HOST" or "HOST:PORT", where HOST is a name, an IPv4 address, or an IPv6
// address (in brackets when a port follows). The port is defaultPort when
// none is given. Empty when the text is no such thing.
std::optional<std::pair<QString, quint16>> splitHostAndPort(const QString& text,
                                                            quint16 defaultPort);
// The same, for a numeric address only.
std::optional<std::pair<QHostAddress, quint16>> parseAddressAndPort(const QString& text,
                                                                    quint16 defaultPort);

} // namespace gorse
