// bench_qtlisten: the least a Qt program does to accept connections (an
// application object and a listening server, nothing else), the yardstick
// for gorse-host's start-up: most of both is loading the Qt libraries.
//
//   bench_qtlisten PORT
#include <QCoreApplication>
#include <QHostAddress>
#include <QTcpServer>

#include <cstdio>

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QTcpServer server;
    bool ok = false;
    const uint port = app.arguments().value(1).toUInt(&ok);
    if (!ok || port > 65535 || !server.listen(QHostAddress::Any, quint16(port))) {
        std::fprintf(stderr, "bench_qtlisten: cannot listen on \"%s\"\n", argc > 1 ? argv[1] : "");
        return 1;
    }
    return app.exec();
}
