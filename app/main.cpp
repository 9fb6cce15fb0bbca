// gorse: the game. One copy hosts (its own window is an ordinary client of
// the host it runs), the others join.
#include "app/instanceguard.h"
#include "app/launchoptions.h"
#include "app/paths.h"
#include "app/tchat.h"
#include "client/clientsession.h"
#include "host/hostsetup.h"
#include "host/tserver.h"
#include "net/tsock.h"
#include "settings/gameoptions.h"
#include "tally/tally.h"
#include "tally/tallyfile.h"
#include "windows/tabout.h"
#include "windows/tdownload.h"
#include "windows/tgamestart.h"
#include "windows/thelp.h"
#include "windows/tphrases.h"
#include "windows/tspylist.h"
#include "windows/ttallylist.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QMessageBox>
#include <QTimer>
#include <cstdio>
#include <memory>

using namespace gorse;

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("gorse"));
    QApplication::setApplicationDisplayName(QStringLiteral("Gorse"));
    QApplication::setQuitOnLastWindowClosed(false);

    const QStringList args = QApplication::arguments().mid(1);
    if (args.contains(QStringLiteral("--help")) || args.contains(QStringLiteral("-h"))) {
        std::fputs(qPrintable(launchUsage()), stdout);
        return 0;
    }
    QString error;
    const auto options = parseLaunchOptions(args, &error);
    if (!options) {
        std::fprintf(stderr, "gorse: %s\n%s", qPrintable(error), qPrintable(launchUsage()));
        return 2;
    }

    // One copy per user session: a second one brings the first forward and
    // ends before it creates any window.
    InstanceGuard guard;
    if (!guard.claim()) {
        std::fprintf(stderr, "gorse: already running; brought the running copy to the front\n");
        return 0;
    }

    // The player's options, shared by every window.
    GameOptions gameOptions;
    // The tally is read first: the board feeds it from the start.
    Tally tally;
    TallyFile tallyFile(&tally, QDir(dataDir()).filePath(TallyFile::kFileName));
    const QString tallyNotice = tallyFile.load();

    // The windows, in the order the game has always created them.
    Tchat chat(*options, HostStarter(), &gameOptions, nullptr, &tally);
    tally.setPlayersSource([&chat] { return chat.session()->loadchecklist(); });
    Tabout about(&chat);
    LobbyConfig lobby = defaultLobbyConfig();
    if (!options->lobbyUrl.isEmpty())
        lobby.downloadUrl = QUrl(options->lobbyUrl);
    Tdownload download(lobby, &startDetachedProgram, &chat);
    Tgamestart gamestart(chat.session(), &gameOptions, &chat);
    Thelp help(&chat);
    Tphrases phrases(&chat);

    HostSetup setup = prepareHost(options->wordsFile, options->seed);
    TServer server(std::move(setup.words), setup.seed);
    server.setLog(
        [](const QString& line) { std::fprintf(stderr, "gorse host: %s\n", qPrintable(line)); });
    if (!setup.wordsError.isEmpty())
        QMessageBox::warning(&chat, QStringLiteral("Gorse"), setup.wordsError);

    Tspylist spylist(chat.session(), &chat);
    Ttallylist tallyList(&tally, &chat);

    chat.setAboutWindow(&about);
    chat.setDownloadWindow(&download);
    chat.setGameStartWindow(&gamestart);
    chat.setHelpWindow(&help);
    chat.setPhrasesWindow(&phrases);
    chat.setSpyList(&spylist);
    chat.setTallyWindow(&tallyList);
    if (auto* viewTally = chat.findChild<QAction*>(QStringLiteral("ViewTally1")))
        QObject::connect(viewTally, &QAction::triggered, &tallyList, &Ttallylist::ViewTally1Click);
    // A solo game is nobody else's business: it listens on this machine only.
    const QHostAddress listenAddress(options->mode == LaunchOptions::Mode::Solo
                                         ? QHostAddress::LocalHost
                                         : QHostAddress::AnyIPv4);
    chat.setHostStarter([&server, listenAddress](quint16 port) -> QString {
        try {
            server.startListening(port, listenAddress);
        } catch (const ESockException& e) {
            return QString::fromUtf8(e.what());
        }
        return QString();
    });

    QObject::connect(&guard, &InstanceGuard::raiseRequested, &chat, &Tchat::bringToFront);
    QObject::connect(&download, &Tdownload::leaveGame, &chat, &QWidget::close);
    QObject::connect(&chat, &Tchat::closed, &app, &QCoreApplication::quit, Qt::QueuedConnection);
    chat.show();
    if (!tallyNotice.isEmpty())
        QTimer::singleShot(
            0, &chat, [&chat, tallyNotice] { Ttallylist::showFileNotice(&chat, tallyNotice); });
    return app.exec();
}
