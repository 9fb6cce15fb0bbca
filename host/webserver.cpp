#include "host/webserver.h"

#include "host/tserver.h"
#include "host/websocketconnection.h"
#include "net/logtext.h"

#include <QCryptographicHash>
#include <QFile>
#include <QFileInfo>
#include <QHttpServerRequest>
#include <QHttpServerResponder>
#include <QPointer>
#include <QTcpServer>
#include <QTimer>
#include <QUrl>
#include <QUrlQuery>
#include <QWebSocket>
#include <algorithm>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>

namespace gorse {

namespace {

using Status = QHttpServerResponder::StatusCode;

// The page loads its scripts, styles, pictures and sounds from this server
// only, runs no inline script, talks only to this server (WebSockets
// included) and cannot be framed by another site. Smilies may be pictures
// made in the page (data: URLs).
constexpr char kContentSecurityPolicy[] =
    "default-src 'self'; img-src 'self' data:; media-src 'self'; connect-src 'self'; "
    "object-src 'none'; base-uri 'none'; form-action 'none'; frame-ancestors 'none'";

QByteArray contentType(const QString& path)
{
    static const QHash<QString, QByteArray> types = {
        {QStringLiteral("html"), "text/html; charset=utf-8"},
        {QStringLiteral("js"), "text/javascript; charset=utf-8"},
        {QStringLiteral("mjs"), "text/javascript; charset=utf-8"},
        {QStringLiteral("css"), "text/css; charset=utf-8"},
        {QStringLiteral("json"), "application/json"},
        {QStringLiteral("map"), "application/json"},
        {QStringLiteral("webmanifest"), "application/manifest+json"},
        {QStringLiteral("txt"), "text/plain; charset=utf-8"},
        {QStringLiteral("svg"), "image/svg+xml"},
        {QStringLiteral("png"), "image/png"},
        {QStringLiteral("jpg"), "image/jpeg"},
        {QStringLiteral("jpeg"), "image/jpeg"},
        {QStringLiteral("gif"), "image/gif"},
        {QStringLiteral("webp"), "image/webp"},
        {QStringLiteral("ico"), "image/x-icon"},
        {QStringLiteral("wav"), "audio/wav"},
        {QStringLiteral("mp3"), "audio/mpeg"},
        {QStringLiteral("ogg"), "audio/ogg"},
        {QStringLiteral("woff"), "font/woff"},
        {QStringLiteral("woff2"), "font/woff2"},
        {QStringLiteral("wasm"), "application/wasm"},
    };
    const QString suffix = QFileInfo(path).suffix().toLower();
    return types.value(suffix, "application/octet-stream");
}

void respond(const QHttpServerRequest& request, QHttpServerResponder&& responder, Status status,
             const QByteArray& type, const QByteArray& body,
             const QList<std::pair<QByteArray, QByteArray>>& extra = {})
{
    responder.writeStatusLine(status);
    // A "not modified" answer has neither a body nor its length.
    if (status != Status::NotModified) {
        responder.writeHeader("Content-Type", type);
        responder.writeHeader("Content-Length", QByteArray::number(body.size()));
    }
    responder.writeHeader("Content-Security-Policy", kContentSecurityPolicy);
    responder.writeHeader("X-Content-Type-Options", "nosniff");
    responder.writeHeader("Referrer-Policy", "no-referrer");
    responder.writeHeader("Cache-Control", "no-cache");
    for (const auto& [key, value] : extra)
        responder.writeHeader(key, value);
    if (request.method() == QHttpServerRequest::Method::Head || status == Status::NotModified)
        responder.writeBody(QByteArray());
    else
        responder.writeBody(body);
}

// The file a request path names under root, or empty when the path is not
// one that may be served: no "." or ".." steps, no empty steps, no hidden
// files, no backslashes.
QString fileFor(const QString& root, const QString& path)
{
    if (!path.startsWith(u'/'))
        return {};
    const QString relative =
        path == QLatin1String("/") ? QStringLiteral("index.html") : path.mid(1);
    if (relative.contains(u'\\') || relative.contains(QChar(0)))
        return {};
    const QStringList steps = relative.split(u'/');
    for (const QString& step : steps) {
        if (step.isEmpty() || step.startsWith(u'.'))
            return {};
    }
    return root + u'/' + relative;
}

// A listener whose connections send at once, as the game's TCP port's do (a
// small answer held back until the previous one is acknowledged would cost
// a game message tens of milliseconds), and that bounds what one HTTP
// connection may send: the HTTP server holds a request whole before it is
// looked at, so a client sending a header line without end would take all
// memory.
// The bound ends with the upgrade to a WebSocket, where the game's own
// bounds take over: the HTTP server then lets go of the socket's signals.
class WebListener : public QTcpServer
{
public:
    using QTcpServer::QTcpServer;

protected:
    void incomingConnection(qintptr descriptor) override
    {
        const int one = 1;
        ::setsockopt(int(descriptor), IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
        auto* socket = new QTcpSocket(this);
        if (!socket->setSocketDescriptor(descriptor)) {
            delete socket;
            return;
        }
        connect(socket, &QTcpSocket::readyRead, socket, [socket, received = qint64(0)]() mutable {
            received += socket->bytesAvailable();
            if (received > WebServer::kMaxHttpBytes)
                socket->abort();
        });
        addPendingConnection(socket);
    }
};

// Closes a connection that is not let in, telling the page why, and lets it
// go once it is closed (or after a few seconds if the peer does not answer).
void closeRefused(std::unique_ptr<QWebSocket> socket, QObject* owner,
                  QWebSocketProtocol::CloseCode code, const QString& reason)
{
    QWebSocket* s = socket.release();
    s->setParent(owner);
    QObject::connect(s, &QWebSocket::disconnected, s, &QObject::deleteLater);
    s->close(code, reason);
    QTimer::singleShot(WebSocketConnection::kCloseTimeoutMs, s, [s] {
        s->abort();
        s->deleteLater();
    });
}

} // namespace

WebServer::WebServer(TServer* server, QObject* parent)
    : QAbstractHttpServer(parent), m_server(server), m_tables{server}
{
    connect(this, &QAbstractHttpServer::newWebSocketConnection, this, &WebServer::newWebSocket);
}

WebServer::~WebServer() = default;

bool WebServer::addAllowedOrigin(const QString& origin)
{
    const QString normal = normalizedOrigin(origin);
    if (normal.isEmpty())
        return false;
    if (!m_origins.contains(normal))
        m_origins.append(normal);
    return true;
}

QString WebServer::startListening(quint16 port, const QHostAddress& address)
{
    auto* listener = new WebListener(this);
    if (!listener->listen(address, port)) {
        const QString error = listener->errorString();
        delete listener;
        return error;
    }
    bind(listener);
    m_listener = listener;
    return {};
}

quint16 WebServer::listeningPort() const
{
    return m_listener ? m_listener->serverPort() : 0;
}

void WebServer::log(const QString& line)
{
    if (m_log)
        m_log(line);
}

// ---- files ----

bool WebServer::handleRequest(const QHttpServerRequest& request, QTcpSocket* socket)
{
    // An upgrade taken here (true, nothing written) goes on to the
    // WebSocket handshake; one left (false) is answered by missingHandler().
    if (isUpgrade(request))
        return upgradeRefusal(request).isEmpty();
    const auto method = request.method();
    if (method != QHttpServerRequest::Method::Get && method != QHttpServerRequest::Method::Head) {
        respond(request, makeResponder(request, socket), Status::MethodNotAllowed,
                "text/plain; charset=utf-8", "Only GET is answered here.\n",
                {{"Allow", "GET, HEAD"}});
        return true;
    }
    const QString path = request.url().path(QUrl::FullyDecoded);
    if (const auto page = m_pages.find(path); page != m_pages.end()) {
        const Page answer = page->second();
        respond(request, makeResponder(request, socket),
                answer.available ? Status::Ok : Status::ServiceUnavailable, answer.type,
                answer.body);
        return true;
    }
    const QString file = fileFor(m_root, path);
    QFile in(file);
    if (file.isEmpty() || !QFileInfo(file).isFile() || !in.open(QIODevice::ReadOnly))
        return false;
    // Every answer is checked again before it is used (no-cache), but a
    // browser that has the file already is told so in a few bytes.
    const QByteArray body = in.readAll();
    const QByteArray tag = entityTag(file, body);
    bool unchanged = false;
    for (const QByteArray& wanted : header(request, "if-none-match").split(',')) {
        const QByteArray one = wanted.trimmed();
        unchanged = unchanged || one == tag || one == "W/" + tag || one == "*";
    }
    respond(request, makeResponder(request, socket), unchanged ? Status::NotModified : Status::Ok,
            contentType(file), unchanged ? QByteArray() : body, {{"ETag", tag}});
    return true;
}

QByteArray WebServer::entityTag(const QString& file, const QByteArray& body)
{
    auto tagOf = [&body] {
        return '"' +
               QCryptographicHash::hash(body, QCryptographicHash::Sha256)
                   .left(12)
                   .toBase64(QByteArray::Base64UrlEncoding | QByteArray::OmitTrailingEquals) +
               '"';
    };
    // The files built into the program never change; one in a folder may.
    if (!file.startsWith(u':'))
        return tagOf();
    auto known = m_tags.constFind(file);
    if (known == m_tags.cend())
        known = m_tags.insert(file, tagOf());
    return *known;
}

void WebServer::missingHandler(const QHttpServerRequest& request, QTcpSocket* socket)
{
    if (isUpgrade(request)) {
        const QString refusal = upgradeRefusal(request);
        log(QStringLiteral("event=web_refused") +
            logPair(u"peer", request.remoteAddress().toString()) + logPair(u"reason", refusal));
        respond(request, makeResponder(request, socket), Status::Forbidden,
                "text/plain; charset=utf-8", refusal.toUtf8() + '\n');
        return;
    }
    const QString path = request.url().path(QUrl::FullyDecoded);
    const bool noClient = path == QLatin1String("/") && !QFileInfo::exists(fileFor(m_root, path));
    respond(request, makeResponder(request, socket), Status::NotFound, "text/plain; charset=utf-8",
            noClient ? "This Gorse host was built without its web client.\n" : "Not found.\n");
}

bool WebServer::isUpgrade(const QHttpServerRequest& request)
{
    return header(request, "upgrade").compare("websocket", Qt::CaseInsensitive) == 0;
}

QByteArray WebServer::header(const QHttpServerRequest& request, const QByteArray& name)
{
    const auto headers = request.headers();
    for (const auto& [key, value] : headers) {
        if (key.compare(name, Qt::CaseInsensitive) == 0)
            return value;
    }
    return {};
}

QString WebServer::upgradeRefusal(const QHttpServerRequest& request) const
{
    const QString path = request.url().path(QUrl::FullyDecoded);
    const auto headers = request.headers();
    const bool hasOrigin = std::any_of(headers.begin(), headers.end(), [](const auto& h) {
        return h.first.compare("origin", Qt::CaseInsensitive) == 0;
    });
    const QString refused = refusal(path, hasOrigin, QString::fromLatin1(header(request, "origin")),
                                    QString::fromLatin1(header(request, "host")));
    if (refused.isEmpty() && tableNumber(request.url()) == 0)
        return QStringLiteral("there is no table %1 here")
            .arg(QUrlQuery(request.url()).queryItemValue(QStringLiteral("table")));
    return refused;
}

int WebServer::tableNumber(const QUrl& url) const
{
    const QUrlQuery query(url);
    if (!query.hasQueryItem(QStringLiteral("table")))
        return 1;
    bool ok = false;
    const int k = query.queryItemValue(QStringLiteral("table")).toInt(&ok, 10);
    return ok && k >= 1 && k <= m_tables.size() ? k : 0;
}

QString WebServer::refusal(const QString& path, bool hasOrigin, const QString& origin,
                           const QString& host) const
{
    if (path != kPlayPath)
        return QStringLiteral("game connections are made on %1, not on %2").arg(kPlayPath, path);
    // A browser always says which page opens the connection; a page of
    // another site must not play in its visitor's name. A program that is
    // not a browser says nothing, and could say anything: it is let in like
    // a connection to the game's TCP port.
    if (hasOrigin && !originAllowed(origin, host, m_origins))
        return QStringLiteral("its page is from %1, not from this server (%2), and --web-origin "
                              "does not let it in")
            .arg(origin, host);
    return {};
}

// ---- game connections ----

void WebServer::newWebSocket()
{
    while (hasPendingWebSocketConnections()) {
        std::unique_ptr<QWebSocket> socket = nextPendingWebSocketConnection();
        if (!socket)
            continue;
        // The handshake was let through by handleRequest(); asked again
        // here in case a Qt version hands over upgrades without asking.
        const QNetworkRequest& request = socket->request();
        QString refused = refusal(socket->requestUrl().path(), request.hasRawHeader("Origin"),
                                  QString::fromLatin1(request.rawHeader("Origin")),
                                  QString::fromLatin1(request.rawHeader("Host")));
        const int table = tableNumber(socket->requestUrl());
        if (refused.isEmpty() && table == 0)
            refused = QStringLiteral("there is no such table here");
        if (!refused.isEmpty()) {
            log(QStringLiteral("event=web_refused") +
                logPair(u"peer", socket->peerAddress().toString()) + logPair(u"reason", refused));
            closeRefused(std::move(socket), this, QWebSocketProtocol::CloseCodePolicyViolated,
                         refused);
            continue;
        }
        auto* connection = new WebSocketConnection(std::move(socket), m_log, this);
        m_tables.at(table - 1)->acceptConnection(connection);
    }
}

// ---- origins ----

QString WebServer::normalizedOrigin(const QString& text)
{
    const QUrl url(text, QUrl::StrictMode);
    const QString scheme = url.scheme().toLower();
    const int defaultPort = scheme == QLatin1String("http")    ? 80
                            : scheme == QLatin1String("https") ? 443
                                                               : -1;
    if (!url.isValid() || defaultPort < 0 || url.host().isEmpty() || !url.userInfo().isEmpty() ||
        (!url.path().isEmpty() && url.path() != QLatin1String("/")) || url.hasQuery() ||
        url.hasFragment())
        return {};
    QUrl normal;
    normal.setScheme(scheme);
    normal.setHost(url.host().toLower());
    if (url.port() != -1 && url.port() != defaultPort)
        normal.setPort(url.port());
    return normal.toString();
}

bool WebServer::originAllowed(const QString& origin, const QString& host,
                              const QStringList& allowed)
{
    const QString normal = normalizedOrigin(origin);
    if (normal.isEmpty())
        return false;
    if (allowed.contains(normal))
        return true;
    // The page's own origin: the same host and port the request was sent to.
    // The scheme is not compared: behind a proxy that ends TLS, the page is
    // https and the request reaching this server plain.
    const QUrl url(normal);
    QString own = host.trimmed().toLower();
    const QString defaultPort =
        url.scheme() == QLatin1String("https") ? QStringLiteral(":443") : QStringLiteral(":80");
    if (own.endsWith(defaultPort))
        own.chop(defaultPort.size());
    return !own.isEmpty() && url.authority() == own;
}

} // namespace gorse
