// The lobby download window, offscreen, downloading from a slow local server.
#include "slowhttpserver.h"
#include "support/testutil.h"
#include "windows/tdownload.h"

#include <QDir>
#include <QFile>
#include <QLabel>
#include <QMessageBox>
#include <QProgressBar>
#include <QPushButton>
#include <QSignalSpy>
#include <QTcpServer>
#include <QTemporaryDir>
#include <QtTest>
#include <memory>

using namespace gorse;
using test::SlowHttpServer;

namespace {

struct StartCall
{
    QString program;
    QStringList arguments;
};

// What the window shows, read by object name.
QString text(const Tdownload& w, const char* name)
{
    return w.findChild<QLabel*>(QLatin1String(name))->text();
}
QPushButton* button(const Tdownload& w, const char* name)
{
    return w.findChild<QPushButton*>(QLatin1String(name));
}

// The text of the message boxes the window opened, oldest first; closes them.
QStringList takeMessages(Tdownload& w)
{
    QStringList texts;
    for (QMessageBox* box : w.findChildren<QMessageBox*>()) {
        if (!box->isVisible())
            continue;
        texts << box->text();
        box->close();
    }
    return texts;
}

QByteArray pattern(int size)
{
    QByteArray body(size, '\0');
    for (int i = 0; i < size; ++i)
        body[i] = char('a' + (i * 7) % 26);
    return body;
}

} // namespace

class DownloadTest : public QObject
{
    Q_OBJECT
private:
    // A window over a fresh folder, recording what it would start.
    struct Fixture
    {
        QTemporaryDir dir;
        SlowHttpServer server;
        std::vector<StartCall> started;
        bool startSucceeds = true;
        std::unique_ptr<Tdownload> w;
        std::unique_ptr<QSignalSpy> left;

        explicit Fixture(const QByteArray& path = "/lobby/lobby.bin", bool trust = false)
        {
            server.listen();
            LobbyConfig config;
            config.downloadUrl = QUrl(QString::fromLatin1(server.url(path)));
            config.downloadDir = dir.path();
            config.lobbyProgram = dir.filePath(QStringLiteral("lobby"));
            config.lobbyArguments = QStringList{QStringLiteral("--lobby")};
            w = std::make_unique<Tdownload>(
                config, [this](const QString& program, const QStringList& arguments) {
                    started.push_back({program, arguments});
                    return startSucceeds;
                });
            if (trust)
                w->setRunPolicy([](const QUrl&, const QUrl&, bool) { return true; });
            left = std::make_unique<QSignalSpy>(w.get(), &Tdownload::leaveGame);
        }
        QString file() const { return dir.filePath(QStringLiteral("lobby.bin")); }
        bool idleButtons() const
        {
            return button(*w, "getbutton")->isEnabled() && !button(*w, "abortbutton")->isEnabled();
        }
        bool finished()
        {
            return test::waitUntil([this] { return !w->downloading(); }, 10000);
        }
    };

private slots:
    void theWindowAsThePlayerSeesIt()
    {
        Tdownload w(LobbyConfig{}, [](const QString&, const QStringList&) { return true; });
        QCOMPARE(w.windowTitle(), QStringLiteral("Download The Velmar Lobby"));
        QVERIFY(w.windowFlags().testFlag(Qt::Tool));
        QVERIFY(w.windowFlags().testFlag(Qt::WindowStaysOnTopHint));
        const std::pair<const char*, const char*> labels[] = {
            {"Label2", "IS CLOSED"},
            {"Label1", "Download The Velmar Lobby Now to play this  and other exciting games "
                       "online with other players! "},
            {"Label7", "To proceed to the game without the ability to play against others "
                       "click the button below."},
            {"Label3", "Note: Even if you are playing offline, you will need to configure your "
                       "FIREWALL to allow the game to access the internet components."},
            {"Label5", "If you already have The Velmar Lobby and you wish to play with others "
                       "then click the button below to close this game and open The Velmar "
                       "Lobby."},
        };
        for (const auto& [name, caption] : labels)
            QCOMPARE(text(w, name), QString::fromLatin1(caption));
        const std::pair<const char*, const char*> buttons[] = {
            {"getbutton", "Download And Install The Velmar Lobby Now"},
            {"abortbutton", "Stop Download"},
            {"Button1", "Play Solo Game"},
            {"Button2", "Play with Others"},
        };
        for (const auto& [name, caption] : buttons)
            QCOMPARE(button(w, name)->text(), QString::fromLatin1(caption));
        QCOMPARE(w.findChild<QWidget*>(QStringLiteral("Image1"))->size(), QSize(436, 360));
        QVERIFY(!w.findChild<QLabel*>(QStringLiteral("infolabel2"))->isVisibleTo(&w));

        // No address: the download is switched off, and the player is shown
        // the way to play with others instead.
        const QString wayOn = QStringLiteral("Play with Others opens the Gorse Lobby, where you "
                                             "can find tables on your network or join one by "
                                             "its address.");
        QVERIFY(!button(w, "getbutton")->isEnabled());
        QCOMPARE(text(w, "infolabel"), wayOn);
        QCOMPARE(button(w, "getbutton")->toolTip(), wayOn);
        QVERIFY(!button(w, "abortbutton")->isEnabled());
        QVERIFY(w.config().downloadDir.size() > 0);
        QVERIFY(!QDir::isRelativePath(w.config().downloadDir));

        // Enter is "Play Solo Game": the window goes, the game stays.
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        QVERIFY(button(w, "Button1")->isDefault());
        QTest::keyClick(&w, Qt::Key_Return);
        QVERIFY(!w.isVisible());
    }

    void addressesAndTheRunDecision()
    {
        const std::pair<const char*, const char*> names[] = {
            {"https://example.org/lobby/Setup.exe", "Setup.exe"},
            {"http://127.0.0.1:8080/lobby/lobby%20setup.bin", "lobby setup.bin"},
            {"https://example.org/lobby/", ""},
            {"https://example.org", ""},
            {"https://example.org/lobby/%2E%2E", ""},
            {"https://example.org/lobby/a%5Cb", ""},
            {"ftp://example.org/lobby/Setup.exe", ""},
            {"file:///tmp/Setup.exe", ""},
            {"", ""},
        };
        for (const auto& [url, name] : names) {
            const QUrl u(QString::fromLatin1(url));
            QCOMPARE(installerFileName(u), QString::fromLatin1(name));
            QCOMPARE(downloadUrlProblem(u).isEmpty(), *name != '\0');
        }

        const QUrl https(QStringLiteral("https://example.org/lobby/Setup.exe"));
        const QUrl http(QStringLiteral("http://example.org/lobby/Setup.exe"));
        QVERIFY(downloadMayRun(https, https, true));
        QVERIFY(!downloadMayRun(https, https, false));
        QVERIFY(!downloadMayRun(http, http, false));
        QVERIFY(!downloadMayRun(http, http, true));
        QVERIFY(!downloadMayRun(https, http, true)); // redirected to plain http
        QVERIFY(!downloadMayRun(http, https, true)); // asked over plain http
    }

    void aPlainHttpDownloadShowsProgressAndIsSavedNotStarted()
    {
        Fixture f;
        const QByteArray body = pattern(64 * 1024);
        f.server.setAnswer({200, body, 4096, 10});
        QVERIFY(f.idleButtons());
        button(*f.w, "getbutton")->click();
        QCOMPARE(text(*f.w, "infolabel"), QStringLiteral("Loading"));
        QCOMPARE(text(*f.w, "infolabel2"), QStringLiteral("lobby.bin"));
        QVERIFY(!button(*f.w, "getbutton")->isEnabled());
        QVERIFY(button(*f.w, "abortbutton")->isEnabled());
        QCOMPARE(f.w->state(), Tdownload::State::Running);

        QStringList seen{text(*f.w, "infolabel")};
        int barMaximum = 0;
        QVERIFY(test::waitUntil(
            [&] {
                const QString now = text(*f.w, "infolabel");
                if (seen.last() != now)
                    seen << now;
                if (!f.w->findChild<QProgressBar*>()->isHidden())
                    barMaximum = f.w->findChild<QProgressBar*>()->maximum();
                return !f.w->downloading();
            },
            10000));

        // "Loading", a dot per header line, the running count, the size.
        QVERIFY2(seen.size() >= 4, qPrintable(seen.join(QLatin1Char('|'))));
        QVERIFY2(seen.at(1).startsWith(QStringLiteral("Loading...")),
                 qPrintable(seen.join(QLatin1Char('|'))));
        QVERIFY(seen.at(1).count(QLatin1Char('.')) >= 3);
        QRegularExpression bytes(QStringLiteral("^(\\d+) bytes$"));
        qint64 last = 0;
        for (int i = 2; i < seen.size() - 1; ++i) {
            const auto m = bytes.match(seen.at(i));
            QVERIFY2(m.hasMatch(), qPrintable(seen.at(i)));
            QVERIFY(m.captured(1).toLongLong() > last);
            last = m.captured(1).toLongLong();
        }
        QCOMPARE(seen.last(), QStringLiteral("Received 65536 bytes"));
        QCOMPARE(barMaximum, 65536);

        // The request as the lobby's server expects it.
        const QByteArray request = f.server.lastRequest();
        QVERIFY(request.startsWith("GET /lobby/lobby.bin HTTP/1."));
        QVERIFY(request.contains("User-Agent: Mozilla/3.0 (compatible)\r\n"));
        QVERIFY(request.contains(
            "Accept: image/gif, image/x-xbitmap, image/jpeg, image/pjpeg, */*\r\n"));

        // Saved whole, never run, and the player is told where.
        QFile saved(f.file());
        QVERIFY(saved.open(QIODevice::ReadOnly));
        QCOMPARE(saved.readAll(), body);
        QVERIFY(f.started.empty());
        QCOMPARE(f.left->count(), 0);
        QCOMPARE(text(*f.w, "infolabel3"), QStringLiteral("Saved, not started"));
        const QStringList messages = takeMessages(*f.w);
        QCOMPARE(messages.size(), 1);
        QVERIFY(messages.at(0).contains(QDir::toNativeSeparators(f.file())));
        QVERIFY(f.idleButtons());
        QCOMPARE(f.w->state(), Tdownload::State::Running); // not aborted
    }

    void aTrustedDownloadStartsTheInstallerAndLeaves()
    {
        for (const bool starts : {true, false}) {
            Fixture f("/lobby/lobby.bin", true);
            f.startSucceeds = starts;
            f.server.setAnswer({200, pattern(5000), 1000, 5});
            button(*f.w, "getbutton")->click();
            QVERIFY(f.finished());
            QCOMPARE(f.started.size(), size_t(1));
            QCOMPARE(f.started[0].program, f.file());
            QCOMPARE(f.started[0].arguments,
                     (QStringList{QStringLiteral("/SP-"), QStringLiteral("/silent"),
                                  QStringLiteral("/noicons")}));
            QVERIFY(QFile::permissions(f.file()).testFlag(QFileDevice::ExeOwner));
            QCOMPARE(text(*f.w, "infolabel3"), QStringLiteral("Installing"));
            QCOMPARE(f.left->count(), starts ? 1 : 0);
            QCOMPARE(takeMessages(*f.w),
                     starts ? QStringList()
                            : QStringList{QStringLiteral("An Error has Occurred.")});
            QVERIFY(f.idleButtons());
        }
    }

    void stopEndsTheTransferAtOnceAndKeepsThePartialFile()
    {
        Fixture f("/lobby/lobby.bin", true); // even a trusted download
        const QByteArray body = pattern(2 * 1024 * 1024);
        f.server.setAnswer({200, body, 4096, 10});
        button(*f.w, "getbutton")->click();
        QVERIFY(test::waitUntil(
            [&] { return text(*f.w, "infolabel").endsWith(QStringLiteral(" bytes")); }));
        QCOMPARE(text(*f.w, "infolabel3"), QStringLiteral("Downloading: lobby.bin"));
        button(*f.w, "abortbutton")->click();

        QVERIFY(!f.w->downloading());
        QCOMPARE(text(*f.w, "infolabel"), QStringLiteral("Download has been aborted."));
        QCOMPARE(text(*f.w, "infolabel3"), QStringLiteral("Download Aborted"));
        QCOMPARE(f.w->state(), Tdownload::State::Aborted);
        QVERIFY(f.idleButtons());
        test::settle(100);
        QCOMPARE(text(*f.w, "infolabel"), QStringLiteral("Download has been aborted."));
        QVERIFY(f.started.empty());
        QCOMPARE(f.left->count(), 0);
        QVERIFY(takeMessages(*f.w).isEmpty());
        QFile partial(f.file());
        QVERIFY(partial.open(QIODevice::ReadOnly));
        const QByteArray got = partial.readAll();
        QVERIFY(got.size() > 0 && got.size() < body.size());
        QCOMPARE(got, body.left(got.size()));
    }

    void failedTransfersStartNothing_data()
    {
        QTest::addColumn<int>("status");
        QTest::addColumn<qint64>("closeAfter");
        QTest::addColumn<bool>("told");     // a message box explains
        QTest::addColumn<bool>("fileKept"); // something was received
        QTest::newRow("404") << 404 << qint64(-1) << false << false;
        QTest::newRow("500") << 500 << qint64(-1) << false << false;
        QTest::newRow("closed mid-body") << 200 << qint64(10000) << true << true;
        QTest::newRow("closed before the body") << 200 << qint64(0) << true << false;
    }
    void failedTransfersStartNothing()
    {
        QFETCH(int, status);
        QFETCH(qint64, closeAfter);
        QFETCH(bool, told);
        QFETCH(bool, fileKept);
        Fixture f("/lobby/lobby.bin", true);
        f.server.setAnswer({status, pattern(64 * 1024), 2000, 5, true, closeAfter});
        button(*f.w, "getbutton")->click();
        QVERIFY(f.finished());
        QCOMPARE(text(*f.w, "infolabel"), QStringLiteral("Download Aborted"));
        QCOMPARE(text(*f.w, "infolabel3"), QStringLiteral("Download Aborted"));
        QCOMPARE(f.w->state(), Tdownload::State::Aborted);
        QVERIFY(f.idleButtons());
        QVERIFY(f.started.empty());
        QCOMPARE(f.left->count(), 0);
        QCOMPARE(takeMessages(*f.w).size(), told ? 1 : 0);
        QCOMPARE(QFile::exists(f.file()), fileKept);

        // The next attempt runs again from the start.
        f.server.setAnswer({200, pattern(3000), 3000, 5});
        button(*f.w, "getbutton")->click();
        QCOMPARE(f.w->state(), Tdownload::State::Running);
        QVERIFY(f.finished());
        QCOMPARE(f.started.size(), size_t(1));
    }

    void aServerThatIsNotThereIsReported()
    {
        QTcpServer closed;
        QVERIFY(closed.listen(QHostAddress::LocalHost, 0));
        const quint16 port = closed.serverPort();
        closed.close();
        QTemporaryDir dir;
        LobbyConfig config;
        config.downloadUrl = QUrl(QStringLiteral("http://127.0.0.1:%1/lobby/lobby.bin").arg(port));
        config.downloadDir = dir.path();
        Tdownload w(config, [](const QString&, const QStringList&) { return true; });
        button(w, "getbutton")->click();
        QVERIFY(test::waitUntil([&] { return !w.downloading(); }, 10000));
        QCOMPARE(text(w, "infolabel"), QStringLiteral("Download Aborted"));
        const QStringList messages = takeMessages(w);
        QCOMPARE(messages.size(), 1);
        QVERIFY(messages.at(0).startsWith(QStringLiteral("The download failed: ")));
        QVERIFY(!QFile::exists(dir.filePath(QStringLiteral("lobby.bin"))));
    }

    void aFileThatCannotBeCreatedStopsBeforeTheTransfer()
    {
        Fixture f;
        const QString missing = f.dir.filePath(QStringLiteral("no/such/folder"));
        const QString blocked = f.dir.filePath(QStringLiteral("blocked"));
        QVERIFY(QDir().mkpath(blocked + QStringLiteral("/lobby.bin"))); // a folder in the way
        const QString readOnly = f.dir.filePath(QStringLiteral("readonly"));
        QVERIFY(QDir().mkpath(readOnly));
        QFile::setPermissions(readOnly, QFileDevice::ReadOwner | QFileDevice::ExeOwner);
        QStringList folders{missing, blocked};
        QFile probe(readOnly + QStringLiteral("/probe"));
        if (!probe.open(QIODevice::WriteOnly)) // root writes anywhere
            folders << readOnly;
        probe.remove();

        for (const QString& folder : folders) {
            LobbyConfig config = f.w->config();
            config.downloadDir = folder;
            Tdownload w(config, [](const QString&, const QStringList&) { return true; });
            button(w, "getbutton")->click();
            const QString path = QDir::toNativeSeparators(folder + QStringLiteral("/lobby.bin"));
            QCOMPARE(takeMessages(w), QStringList{QStringLiteral("Cannot create file ") + path});
            QVERIFY(button(w, "getbutton")->isEnabled());
            QVERIFY(!button(w, "abortbutton")->isEnabled());
            QCOMPARE(w.state(), Tdownload::State::Idle);
            QVERIFY(!w.downloading());
        }
        test::settle(50);
        QCOMPARE(f.server.requests(), 0);
        QFile::setPermissions(readOnly, QFile::permissions(readOnly) | QFileDevice::WriteOwner);
    }

    void closingTheProgramMidDownloadKeepsWhatArrived()
    {
        Fixture f("/lobby/lobby.bin", true);
        f.server.setAnswer({200, pattern(2 * 1024 * 1024), 4096, 10});
        button(*f.w, "getbutton")->click();
        QVERIFY(test::waitUntil(
            [&] { return text(*f.w, "infolabel").endsWith(QStringLiteral(" bytes")); }));
        f.left.reset();
        f.w.reset();
        test::settle(50);
        QVERIFY(f.started.empty());
        QFileInfo partial(f.file());
        QVERIFY(partial.exists());
        QVERIFY(partial.size() > 0 && partial.size() < 2 * 1024 * 1024);
    }

    void playWithOthers()
    {
        Fixture f;
        const QString lobby = f.w->config().lobbyProgram;
        const QString missing =
            QStringLiteral("Please close the game and open the Velmar Lobby using the icon on "
                           "your desktop or using the your Window's start-up menu.");

        // Not installed: only the message.
        button(*f.w, "Button2")->click();
        QCOMPARE(takeMessages(*f.w), QStringList{missing});
        // A file that cannot run is not a lobby either.
        QFile file(lobby);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.close();
        QFile::setPermissions(lobby, QFileDevice::ReadOwner | QFileDevice::WriteOwner);
        button(*f.w, "Button2")->click();
        QCOMPARE(takeMessages(*f.w), QStringList{missing});
        QVERIFY(f.started.empty());
        QCOMPARE(f.left->count(), 0);

        // Installed: started with its arguments, and the game closes.
        QFile::setPermissions(lobby, QFile::permissions(lobby) | QFileDevice::ExeOwner);
        f.startSucceeds = false;
        button(*f.w, "Button2")->click();
        QCOMPARE(takeMessages(*f.w), QStringList{QStringLiteral("An Error has Occurred.")});
        QCOMPARE(f.left->count(), 0);
        f.startSucceeds = true;
        button(*f.w, "Button2")->click();
        QCOMPARE(f.started.size(), size_t(2));
        QCOMPARE(f.started[1].program, lobby);
        QCOMPARE(f.started[1].arguments, QStringList{QStringLiteral("--lobby")});
        QCOMPARE(f.left->count(), 1);
    }

    void theDefaultLobbyIsOurOwnProgram()
    {
        const LobbyConfig config = defaultLobbyConfig();
        QCOMPARE(config.lobbyProgram, QCoreApplication::applicationFilePath());
        QCOMPARE(config.lobbyArguments, QStringList{QStringLiteral("--lobby")});
        QVERIFY(config.downloadUrl.isEmpty());
        QVERIFY(!QDir::isRelativePath(config.downloadDir));
    }

    void theSettingsFileNamesTheAddressAndTheLobby()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("velmarlobby.ini"));
        // No file: the defaults.
        QCOMPARE(lobbyConfigFromSettings(path).lobbyArguments,
                 QStringList{QStringLiteral("--lobby")});
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("[Other]\nLobbyUrl=https://wrong.example/x.exe\n"
                   "[gorse]\nlobbyurl=https://downloads.example.org/lobby/Setup.exe\n"
                   "LobbyProgram=/opt/lobby/run\n");
        file.close();
        const LobbyConfig config = lobbyConfigFromSettings(path);
        QCOMPARE(config.downloadUrl,
                 QUrl(QStringLiteral("https://downloads.example.org/lobby/Setup.exe")));
        QCOMPARE(config.lobbyProgram, QStringLiteral("/opt/lobby/run"));
        QVERIFY(config.lobbyArguments.isEmpty());
    }
};

QTEST_MAIN(DownloadTest)
#include "download_test.moc"
