#pragma once

#include <QAbstractHttpServer>
#include <QHash>
#include <QHostAddress>
#include <QString>
#include <QStringList>
#include <functional>
#include <map>

class QTcpServer;

namespace gorse {

class TServer;

// The host's web port: it serves the web client's files and takes
// WebSocket game connections on /play, which it hands to the connection
// server like the ones on the game's TCP port.
//
// Every answer carries a content security policy that lets the page load
// nothing but its own files, and a page of another site cannot open a game
// connection: an upgrade is taken only from the page's own origin (the
// request's Host) or an origin allowed by addAllowedOrigin().
class WebServer : public QAbstractHttpServer
{
    Q_OBJECT
public:
    // The folder (or resource folder) the files are served from unless
    // setRoot() says otherwise; the web client is built in there.
    static constexpr QLatin1StringView kDefaultRoot{":/web"};
    static constexpr QLatin1StringView kPlayPath{"/play"};
    // What one HTTP connection may send in all before it is cut off; a page
    // and its files take a few kilobytes of requests.
    static constexpr qint64 kMaxHttpBytes = 1024 * 1024;

    // server: the connection server game connections go to; not owned, it
    // must outlive this object.
    explicit WebServer(TServer* server, QObject* parent = nullptr);
    ~WebServer() override;

    void setRoot(const QString& root) { m_root = root; }
    QString root() const { return m_root; }
    // Where one line per refused upgrade or broken connection goes.
    void setLog(std::function<void(const QString&)> log) { m_log = std::move(log); }
    // An origin ("https://games.example.org") whose pages may connect
    // besides the page's own; false (and nothing added) when it is not an
    // http or https origin.
    bool addAllowedOrigin(const QString& origin);
    QStringList allowedOrigins() const { return m_origins; }

    // The tables game connections go to: /play?table=k connects to table k
    // (1 when not given). Only the server given at construction unless set.
    void setTables(const QList<TServer*>& tables) { m_tables = tables; }
    // An answer of the server's own, made afresh for each GET of path.
    struct Page
    {
        QByteArray type;
        QByteArray body;
        bool available = true; // false: "503 Service Unavailable"
    };
    void addPage(const QString& path, std::function<Page()> page)
    {
        m_pages[path] = std::move(page);
    }

    // Listens on the address and port (0: any free port); returns an error
    // text, empty on success.
    QString startListening(quint16 port,
                           const QHostAddress& address = QHostAddress(QHostAddress::AnyIPv4));
    quint16 listeningPort() const;

    // "scheme://host[:port]" in lower case, the default port left out;
    // empty when text is not an http or https origin.
    static QString normalizedOrigin(const QString& text);
    // Whether a page of origin may open a game connection to a server that
    // was reached as host (the Host header), given the allowed origins.
    static bool originAllowed(const QString& origin, const QString& host,
                              const QStringList& allowed);

protected:
    bool handleRequest(const QHttpServerRequest& request, QTcpSocket* socket) override;
    void missingHandler(const QHttpServerRequest& request, QTcpSocket* socket) override;

private:
    void newWebSocket();
    static bool isUpgrade(const QHttpServerRequest& request);
    static QByteArray header(const QHttpServerRequest& request, const QByteArray& name);
    QString upgradeRefusal(const QHttpServerRequest& request) const;
    // Why a WebSocket on path, opened by a page of origin (when the request
    // has one) for host, is not let in; empty when it is.
    QString refusal(const QString& path, bool hasOrigin, const QString& origin,
                    const QString& host) const;
    void log(const QString& line);
    // The file's entity tag: a digest of its bytes (kept for the files built
    // into the program).
    QByteArray entityTag(const QString& file, const QByteArray& body);
    // The table a game connection to url is for (1..), or 0 when there is
    // no such table.
    int tableNumber(const QUrl& url) const;

    TServer* m_server;        // not owned
    QList<TServer*> m_tables; // not owned
    std::map<QString, std::function<Page()>> m_pages;
    QTcpServer* m_listener = nullptr; // a child of this object
    QString m_root{kDefaultRoot};
    QStringList m_origins;
    std::function<void(const QString&)> m_log;
    QHash<QString, QByteArray> m_tags; // built-in file: its tag
};

} // namespace gorse
