// The table announcement datagram: written and read back, and every way a
// datagram from the network can be wrong.
#include "net/tableannounce.h"
#include "support/testutil.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <gtest/gtest.h>

using namespace gorse;

namespace {

TableAnnouncement sampleTable()
{
    TableAnnouncement t;
    t.id = QStringLiteral("0123456789abcdef");
    t.name = QStringLiteral("Ann");
    t.port = 7780;
    t.seats = {QStringLiteral("Ann"), std::nullopt,         QStringLiteral("Bob"), QString(),
               std::nullopt,          QStringLiteral("Zoë")};
    t.spies = 2;
    t.running = true;
    t.round = 3;
    t.version = QStringLiteral("1.2.0");
    return t;
}

QJsonObject sampleObject()
{
    return QJsonDocument::fromJson(encodeAnnouncement(sampleTable())).object();
}

QByteArray bytesOf(const QJsonObject& o)
{
    return QJsonDocument(o).toJson(QJsonDocument::Compact);
}

QString refusal(const QByteArray& bytes)
{
    QString why;
    EXPECT_FALSE(parseDatagram(bytes, &why).has_value()) << bytes.toStdString();
    return why;
}

} // namespace

TEST(TableAnnounce, AnnouncementAndQueryRoundTrip)
{
    const TableAnnouncement t = sampleTable();
    const QByteArray bytes = encodeAnnouncement(t);
    EXPECT_LE(bytes.size(), kMaxDatagramSize);
    const auto d = parseDatagram(bytes);
    ASSERT_TRUE(d.has_value());
    EXPECT_EQ(d->kind, Datagram::Kind::Table);
    EXPECT_EQ(d->table, t);
    EXPECT_EQ(d->table.freeSeats(), 2);
    EXPECT_EQ(d->table.seatedNames(), (QStringList{QStringLiteral("Ann"), QStringLiteral("Bob"),
                                                   QString(), QStringLiteral("Zoë")}));

    const auto q = parseDatagram(encodeQuery());
    ASSERT_TRUE(q.has_value());
    EXPECT_EQ(q->kind, Datagram::Kind::Query);
}

TEST(TableAnnounce, MalformedDatagramsAreRefusedWithAReason)
{
    struct Case
    {
        const char* what;
        QByteArray bytes;
        const char* reason;
    };
    auto with = [](const char* key, const QJsonValue& value) {
        QJsonObject o = sampleObject();
        o.insert(QLatin1String(key), value);
        return bytesOf(o);
    };
    const QJsonArray fiveSeats{QJsonValue(), QJsonValue(), QJsonValue(), QJsonValue(),
                               QJsonValue()};
    QJsonArray numberSeat = sampleObject().value(QStringLiteral("seats")).toArray();
    numberSeat[1] = 5;
    const QByteArray tooLong =
        encodeAnnouncement(sampleTable()).leftJustified(kMaxDatagramSize + 1, ' ');

    const Case cases[] = {
        {"empty", QByteArray(), "not a JSON object"},
        {"not JSON", "CMD_chat+1+hello\xFF", "not a JSON object"},
        {"a list", "[1,2,3]", "not a JSON object"},
        {"invalid UTF-8 in a name", "{\"gorse\":\"table\",\"v\":1,\"name\":\"\xFF\xFE\"}",
         "not a JSON object"},
        {"too long", tooLong, "longer than 1024 bytes"},
        {"another program's", "{\"service\":\"x\",\"v\":1}", "not a Gorse datagram"},
        {"unknown kind", "{\"gorse\":\"chat\",\"v\":1}", "not a Gorse datagram"},
        {"no version", "{\"gorse\":\"query\"}", "missing field \"v\""},
        {"version 2", "{\"gorse\":\"query\",\"v\":2}", "unknown version 2"},
        {"version 0", with("v", 0), "unknown version 0"},
        {"version as text", with("v", QStringLiteral("1")), "is not a whole number"},
        {"version 1.5", with("v", 1.5), "is not a whole number"},
        {"port 0", with("port", 0), "field \"port\" is not a whole number from 1 to 65535"},
        {"port 70000", with("port", 70000), "field \"port\""},
        {"port as text", with("port", QStringLiteral("7772")), "field \"port\""},
        {"four spies", with("spies", 4), "field \"spies\" is not a whole number from 0 to 3"},
        {"negative round", with("round", -1), "field \"round\""},
        {"huge round", with("round", 1e12), "field \"round\""},
        {"running as text", with("running", QStringLiteral("yes")), "not true or false"},
        {"name as number", with("name", 5), "field \"name\" is not a text"},
        {"five seats", with("seats", fiveSeats), "not a list of 6 seats"},
        {"seats as text", with("seats", QStringLiteral("Ann")), "not a list of 6 seats"},
        {"a seat as number", with("seats", numberSeat), "seat 2 is neither a name nor null"},
        {"upper-case id", with("id", QStringLiteral("ABC")), "hexadecimal"},
        {"empty id", with("id", QString()), "hexadecimal"},
        {"long id", with("id", QString(33, u'a')), "hexadecimal"},
    };
    for (const Case& c : cases) {
        EXPECT_TRUE(refusal(c.bytes).contains(QLatin1String(c.reason)))
            << c.what << ": " << refusal(c.bytes).toStdString();
    }

    // Every field of a table is required.
    const QStringList fields = sampleObject().keys();
    EXPECT_EQ(fields.size(), 10);
    for (const QString& field : fields) {
        QJsonObject o = sampleObject();
        o.remove(field);
        const QString why = refusal(bytesOf(o));
        EXPECT_FALSE(why.isEmpty()) << field.toStdString();
        if (field != QLatin1String("gorse")) {
            EXPECT_TRUE(why.contains(QStringLiteral("missing field \"%1\"").arg(field)))
                << why.toStdString();
        }
    }

    // A datagram of exactly the limit is read; unknown extra fields are
    // left alone (a later version of the same layout may add some).
    QJsonObject extra = sampleObject();
    extra.insert(QStringLiteral("colour"), QStringLiteral("green"));
    EXPECT_TRUE(parseDatagram(bytesOf(extra).leftJustified(kMaxDatagramSize, ' ')).has_value());
}

TEST(TableAnnounce, HostileNamesAreCleanedOnTheWayIn)
{
    struct Case
    {
        QString sent;
        QString shown;
    };
    const Case cases[] = {
        {QStringLiteral("B+o+b"), QStringLiteral("Bob")},
        {QStringLiteral("Ann\nCMD_chat\r\n"), QStringLiteral("AnnCMD_chat")},
        {QStringLiteral("\u202Eevil\u202C"), QStringLiteral("evil")}, // direction override
        {QStringLiteral("zero\u200Bwidth"), QStringLiteral("zerowidth")},
        {QStringLiteral("tab\tand\x07 bell"), QStringLiteral("taband bell")},
        {QStringLiteral("   many    blanks  "), QStringLiteral("many blanks")},
        {QString(100, u'x'), QString(kMaxTableTextLength, u'x')},
        {QStringLiteral("Zoë 😀"), QStringLiteral("Zoë 😀")},
    };
    for (const Case& c : cases) {
        TableAnnouncement t = sampleTable();
        QJsonObject o = sampleObject();
        o.insert(QStringLiteral("name"), c.sent);
        QJsonArray seats = o.value(QStringLiteral("seats")).toArray();
        seats[0] = c.sent;
        o.insert(QStringLiteral("seats"), seats);
        const auto d = parseDatagram(bytesOf(o));
        ASSERT_TRUE(d.has_value()) << c.sent.toStdString();
        EXPECT_EQ(d->table.name, c.shown);
        EXPECT_EQ(d->table.seats[0], c.shown);
    }
    // A long name is cut by characters, never inside a surrogate pair.
    const QString emoji = QString(40, u'a') + QStringLiteral("😀");
    EXPECT_EQ(cleanTableText(QString(31, u'a') + QStringLiteral("😀😀")),
              QString(31, u'a') + QStringLiteral("😀"));
    EXPECT_EQ(cleanTableText(emoji).size(), kMaxTableTextLength);
}

TEST(TableAnnounce, SixLongNamesStillFitInOneDatagram)
{
    TableAnnouncement t = sampleTable();
    // Three bytes a character: six 32-character names alone would take 576
    // bytes, a 40-character table name more; with the rest it must still fit.
    const QString wide = QString(40, QChar(0x8A9E));
    t.name = wide;
    for (auto& seat : t.seats)
        seat = wide;
    const QByteArray bytes = encodeAnnouncement(t);
    EXPECT_LE(bytes.size(), kMaxDatagramSize);
    const auto d = parseDatagram(bytes);
    ASSERT_TRUE(d.has_value());
    EXPECT_FALSE(d->table.name.isEmpty());
    EXPECT_TRUE(wide.startsWith(d->table.seats[5].value()));
}

TEST(TableAnnounce, AddressesAndPorts)
{
    using Split = std::optional<std::pair<QString, quint16>>;
    struct Case
    {
        const char* text;
        Split expected;
    };
    const Case cases[] = {
        {"192.0.2.7", Split({QStringLiteral("192.0.2.7"), 7772})},
        {" games.example.org ", Split({QStringLiteral("games.example.org"), 7772})},
        {"192.0.2.7:7780", Split({QStringLiteral("192.0.2.7"), 7780})},
        {"[::1]:7780", Split({QStringLiteral("::1"), 7780})},
        {"[::1]", Split({QStringLiteral("::1"), 7772})},
        {"fe80::1", Split({QStringLiteral("fe80::1"), 7772})},
        {"192.0.2.7:0", std::nullopt},
        {"192.0.2.7:", std::nullopt},
        {"192.0.2.7:65536", std::nullopt},
        {"192.0.2.7:+80", std::nullopt},
        {"-oops", std::nullopt},
        {"two words", std::nullopt},
        {"", std::nullopt},
        {"[::1", std::nullopt},
        {"[1.2.3.4]:80", std::nullopt},
        {"a:b:c", std::nullopt},
    };
    for (const Case& c : cases)
        EXPECT_EQ(splitHostAndPort(QString::fromUtf8(c.text), 7772), c.expected) << c.text;

    EXPECT_FALSE(parseAddressAndPort(QStringLiteral("games.example.org"), 1).has_value());
    const auto numeric = parseAddressAndPort(QStringLiteral("127.0.0.1:9"), 1);
    ASSERT_TRUE(numeric.has_value());
    EXPECT_EQ(numeric->first, QHostAddress(QHostAddress::LocalHost));
    EXPECT_EQ(numeric->second, 9);

    const auto own = discoveryEndpoints(0, QStringLiteral("127.0.0.1"));
    ASSERT_TRUE(own.has_value());
    EXPECT_EQ(own->bindPort, 0);
    EXPECT_EQ(own->targetPort, kDiscoveryPort);
    EXPECT_EQ(own->targets, QList<QHostAddress>{QHostAddress(QHostAddress::LocalHost)});
    EXPECT_TRUE(discoveryEndpoints(kDiscoveryPort)->targets.isEmpty());
    EXPECT_FALSE(discoveryEndpoints(kDiscoveryPort, QStringLiteral("nowhere")).has_value());
}

TEST(TableAnnounce, WhereDatagramsGoAndWhoIsAnswered)
{
    const QList<QHostAddress> targets = broadcastTargets();
    EXPECT_TRUE(targets.contains(QHostAddress(QStringLiteral("127.255.255.255"))));
    for (const QHostAddress& a : targets)
        EXPECT_EQ(a.protocol(), QAbstractSocket::IPv4Protocol) << a.toString().toStdString();

    EXPECT_TRUE(isLocalSender(QHostAddress(QStringLiteral("127.0.0.1"))));
    EXPECT_TRUE(isLocalSender(QHostAddress(QStringLiteral("127.3.2.1"))));
    EXPECT_TRUE(isLocalSender(QHostAddress(QStringLiteral("::ffff:127.0.0.1"))));
    // An address of the documentation range no machine here is on.
    EXPECT_FALSE(isLocalSender(QHostAddress(QStringLiteral("198.51.100.200"))));
}
