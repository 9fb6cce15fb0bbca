// gorse: the game. One copy hosts (its own window is an ordinary client of
// the host it runs), the others join.
#include "app/appsetup.h"
#include "app/computeropponents.h"
#include "app/tchat.h"
#include "bots/wordfinderloader.h"
#include "client/boardview.h"
#include "client/clientsession.h"
#include "client/gameclient.h"
#include "dict/wordnet.h"
#include "game/rules.h"
#include "host/hostsetup.h"
#include "host/tableannouncer.h"
#include "host/tserver.h"
#include "host/webserver.h"
#include "launch/instanceguard.h"
#include "launch/launchoptions.h"
#include "lobby/lobbyapp.h"
#include "net/tsock.h"
#include "settings/gameoptions.h"
#include "settings/paths.h"
#include "settings/settingsbinding.h"
#include "settings/settingsfile.h"
#include "sound/qtsoundoutput.h"
#include "tally/tally.h"
#include "tally/tallyfile.h"
#include "windows/tabout.h"
#include "windows/tdownload.h"
#include "windows/tgamestart.h"
#include "windows/thelp.h"
#include "windows/tphrases.h"
#include "windows/tspylist.h"
#include "windows/ttallylist.h"

#include <QApplication>
#include <QDir>
#include <QMessageBox>
#include <cstdio>
#include <memory>
#include <optional>

using namespace gorse;

int main(int argc, char** argv)
{
    // --help and --version are answered before the application starts, so
    // they need no display; Qt's own options (read by the application) may
    // keep the command line from reading here, and then it is read after.
    QStringList given;
    for (int i = 1; i < argc; ++i)
        given << QString::fromLocal8Bit(argv[i]);
    std::optional<LaunchOptions> options = parseLaunchOptions(given);
    std::optional<QApplication> app;
    QString error;
    if (!options || (!options->help && !options->version)) {
        app.emplace(argc, argv);
        setUpApplication();
        options = parseLaunchOptions(QApplication::arguments().mid(1), &error);
    }
    if (!options) {
        std::fprintf(stderr, "gorse: %s\n%s", qPrintable(error), qPrintable(launchUsage()));
        return 2;
    }
    if (options->version || options->help) {
        if (options->version)
            std::printf("gorse %s\n", kVersionText);
        else
            std::fputs(qPrintable(launchUsage()), stdout);
        return 0;
    }

    // One copy per user session: a second one brings the first forward and
    // ends before it creates any window.
    InstanceGuard guard;
    if (!guard.claim()) {
        std::fprintf(stderr, "gorse: already running; brought the running copy to the front\n");
        return 0;
    }
    if (options->mode == LaunchOptions::Mode::Lobby)
        return runLobby(*options, &guard);

    // The player's options, shared by every window, and their file, read at
    // the own login and written at every change.
    GameOptions gameOptions;
    SettingsFile settings(&gameOptions, SettingsFile::defaultPath());
    // The recordings load in the background while the windows are made.
    QtSoundOutput sound;
    // The tally is read first: the board feeds it from the start.
    Tally tally;
    TallyFile tallyFile(&tally, QDir(dataDir()).filePath(TallyFile::kFileName));
    const QString tallyNotice = tallyFile.load();

    // The word finder behind the best-word suggestions and the computer
    // players, built when first wanted. It knows the words of a given list
    // file, else the standard list.
    WordFinderLoader finder(options->wordsFile);

    // The player's side of the game, and the windows that show it, in the
    // order the game has always created them.
    GameClient client(&gameOptions, {.output = &sound, .tally = &tally});
    ClientSession* session = client.session();
    Tchat chat(*options, HostStarter(), &client);
    SettingsBinding settingsBinding(&chat, &settings);
    tally.setPlayersSource([session] { return session->loadchecklist(); });
    Tabout about(&chat);
    LobbyConfig lobby = lobbyConfigFromSettings(settings.path());
    if (!options->lobbyUrl.isEmpty())
        lobby.downloadUrl = QUrl(options->lobbyUrl);
    // The lobby it starts takes the single-instance guard over.
    Tdownload download(lobby, startReleasingGuard(&guard), &chat);
    Tgamestart gamestart(session, &gameOptions, &chat);
    Thelp help(&chat);
    Tphrases phrases(&gameOptions, &settings, &chat);

    HostSetup setup = prepareHost(options->wordsFile, options->seed);
    TServer server(std::move(setup.words), setup.seed);
    server.setLog(
        [](const QString& line) { std::fprintf(stderr, "gorse host: %s\n", qPrintable(line)); });
    if (!setup.wordsError.isEmpty())
        QMessageBox::warning(&chat, QStringLiteral("Gorse"), setup.wordsError);

    const auto announcer = announceTable(*options, &server);

    finder.serveSuggestions(client.board());
    // The meanings of the words played, from the WordNet data when installed.
    const WordNet wordnet;
    chat.boardView()->setDefiner(
        [&wordnet](const QString& word) { return wordnet.describe(word.toLatin1()); });
    // The hosting player's computer players sit down, and his word list is
    // taken, when he starts a game.
    ComputerOpponents opponents(session, &gameOptions, [&finder] { return finder.get(); });
    opponents.setHostPort(options->port);
    gamestart.setStarter([&](int target, int seconds) {
        if (session->hosting() && options->wordsFile.isEmpty())
            server.useWordList(gameOptions.wordList());
        opponents.startGame(target, seconds);
    });

    Tspylist spylist(session, &chat);
    Ttallylist tallyList(&tally, &chat);
    tallyList.setTallyFile(&tallyFile);

    chat.setAboutWindow(&about);
    chat.setDownloadWindow(&download);
    chat.setGameStartWindow(&gamestart);
    chat.setHelpWindow(&help);
    chat.setPhrasesWindow(&phrases);
    chat.setSpyList(&spylist);
    chat.setTallyWindow(&tallyList);
    // A solo game is nobody else's business: it listens on this machine only.
    const QHostAddress listenAddress(options->mode == LaunchOptions::Mode::Solo
                                         ? QHostAddress::LocalHost
                                         : QHostAddress::AnyIPv4);
    // With --web, players may also join from a browser; the game goes on
    // without that when the web port cannot be had.
    std::unique_ptr<WebServer> web;
    chat.setHostStarter([&server, &web, &chat, &options, listenAddress](quint16 port) -> QString {
        try {
            server.startListening(port, listenAddress);
        } catch (const ESockException& e) {
            return QString::fromUtf8(e.what());
        }
        if (options->webPort > 0 && !web) {
            web = std::make_unique<WebServer>(&server);
            web->setLog([](const QString& line) {
                std::fprintf(stderr, "gorse host: %s\n", qPrintable(line));
            });
            QString error;
            for (const QString& origin : options->webOrigins) {
                if (!web->addAllowedOrigin(origin))
                    error = QStringLiteral("%1 is not an http or https origin").arg(origin);
            }
            if (error.isEmpty())
                error = web->startListening(quint16(options->webPort), listenAddress);
            if (!error.isEmpty()) {
                web.reset();
                auto* box = new QMessageBox(
                    QMessageBox::Warning, QStringLiteral("Gorse"),
                    QStringLiteral("Cannot let players join from a browser on port %1 (%2). The "
                                   "game goes on for players of the game itself.")
                        .arg(options->webPort)
                        .arg(error),
                    QMessageBox::Ok, &chat);
                box->setAttribute(Qt::WA_DeleteOnClose);
                box->setWindowModality(Qt::NonModal);
                box->show();
            } else {
                std::fprintf(stderr, "gorse host: serving the web client on port %u\n",
                             unsigned(web->listeningPort()));
            }
        }
        return QString();
    });

    QObject::connect(&guard, &InstanceGuard::raiseRequested, &chat, &Tchat::bringToFront);
    QObject::connect(&download, &Tdownload::leaveGame, &chat, &QWidget::close);
    // Closing saves the window's place when it moved, then the program ends.
    QObject::connect(&chat, &Tchat::closed, &settingsBinding, &SettingsBinding::windowClosing);
    QObject::connect(&chat, &Tchat::closed, &*app, &QCoreApplication::quit, Qt::QueuedConnection);
    chat.show();
    // Above every window of the start: on a solo start the download window.
    if (!tallyNotice.isEmpty())
        Ttallylist::showFileNotice(
            options->mode == LaunchOptions::Mode::Solo ? static_cast<QWidget*>(&download) : &chat,
            tallyNotice);
    // A game joined from the lobby goes back to it when it ends from the
    // host's side: the host went away (true), or the table was full.
    std::optional<bool> backToLobby;
    if (options->fromLobby && options->mode == LaunchOptions::Mode::Join) {
        QObject::connect(session, &ClientSession::gameFull, [&] { backToLobby = false; });
        QObject::connect(session, &ClientSession::connectionClosed,
                         [&] { backToLobby = backToLobby.value_or(true); });
    }
    const int code = QApplication::exec();
    if (backToLobby)
        reopenLobby(*options, &guard, *backToLobby);
    return code;
}
