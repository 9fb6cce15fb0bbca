// bench_qtwindow: an empty Qt Widgets main window that then listens on a
// port, the yardstick for the game's start-up in bench_startup: what
// loading Qt Widgets, the platform plugin and fonts, and showing one window
// costs, before the game adds anything of its own.
//
//   bench_qtwindow PORT
//
// Shows a QMainWindow with a menu bar and, once it is on screen (the first
// turn of the event loop after show(), where the game opens its port too),
// listens on 0.0.0.0:PORT. Ends on SIGTERM or SIGINT (by their default
// action).
#include <QApplication>
#include <QMainWindow>
#include <QMenuBar>
#include <QTcpServer>
#include <QTimer>

#include <cstdio>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    bool ok = false;
    const uint port = QApplication::arguments().value(1).toUInt(&ok);
    if (!ok || port > 65535) {
        std::fprintf(stderr, "bench_qtwindow: no port in \"%s\"\n", argc > 1 ? argv[1] : "");
        return 1;
    }
    QMainWindow window;
    window.setWindowTitle(QStringLiteral("bench_qtwindow"));
    window.menuBar()->addMenu(QStringLiteral("&File"));
    window.resize(719, 520);
    window.show();
    QTcpServer server;
    QTimer::singleShot(0, &server, [&server, port] {
        if (!server.listen(QHostAddress::AnyIPv4, quint16(port))) {
            std::fprintf(stderr, "bench_qtwindow: cannot listen on port %u\n", port);
            QCoreApplication::exit(1);
        }
    });
    return QApplication::exec();
}
