#pragma once

#include <QDialog>
#include <QFile>
#include <QNetworkReply>
#include <QPointer>
#include <QStringList>
#include <QUrl>
#include <functional>

class QLabel;
class QNetworkAccessManager;
class QProgressBar;
class QPushButton;

namespace gorse {

// The settings keys, in the game's section of the settings file, that say
// where the lobby comes from and where it is.
inline constexpr char kLobbyUrlKey[] = "LobbyUrl";
inline constexpr char kLobbyProgramKey[] = "LobbyProgram";

// Where the lobby is downloaded from and where the installed lobby is.
struct LobbyConfig
{
    // The lobby installer's address (http or https); its last path segment
    // names the saved file. Empty: no download is offered.
    QUrl downloadUrl;
    // The lobby program "Play with Others" starts, and its arguments.
    QString lobbyProgram;
    QStringList lobbyArguments;
    // The folder the installer is saved in.
    QString downloadDir;
};

// Our own executable with "--lobby", no download address, and the folder of
// the settings file for the download.
LobbyConfig defaultLobbyConfig();
// The default, with the address and the lobby program the settings file
// names (keys kLobbyUrlKey and kLobbyProgramKey of section "Gorse"), where it
// names them. A program named there is started without arguments.
LobbyConfig lobbyConfigFromSettings(const QString& settingsPath);

// The installer's file name: the address's last path segment. Empty when the
// address is not an http or https address naming a file.
QString installerFileName(const QUrl& url);
// Why the address cannot be downloaded, or empty when it can. Without an
// address, what the player can do instead.
QString downloadUrlProblem(const QUrl& url);
// Whether a finished download may be run: only when it came over an
// encrypted connection from an https address, both as asked and as finally
// answered (after redirects). Code fetched over plain http is never run.
bool downloadMayRun(const QUrl& requested, const QUrl& answered, bool encrypted);

// Starts a program without waiting for it; true when it started.
using ProgramStarter = std::function<bool(const QString& program, const QStringList& arguments)>;
// QProcess::startDetached.
bool startDetachedProgram(const QString& program, const QStringList& arguments);

// Offers a solo player the lobby: download and install it, play on alone, or
// open the installed lobby and leave the game.
class Tdownload : public QDialog
{
    Q_OBJECT
public:
    enum class State { Idle, Running, Aborted };
    using RunPolicy = std::function<bool(const QUrl&, const QUrl&, bool encrypted)>;

    Tdownload(LobbyConfig config, ProgramStarter start, QWidget* parent = nullptr);
    // Aborts a running download; what was received stays in the file.
    ~Tdownload() override;

    // Replaces downloadMayRun (tests run a download from a local server).
    void setRunPolicy(RunPolicy policy) { m_mayRun = std::move(policy); }

    const LobbyConfig& config() const { return m_config; }
    State state() const { return m_state; }
    bool downloading() const { return m_reply != nullptr; }
    // The local file of the last download.
    QString localFile() const { return m_file.fileName(); }

    void getbuttonClick();
    void abortbuttonClick();
    void Button1Click();
    void Button2Click();

signals:
    // Leave the game as File > Exit does (the installer or the lobby runs).
    void leaveGame();

protected:
    void showEvent(QShowEvent* event) override;

private:
    void HttpCli1HeaderData();
    void HttpCli1DocData();
    void HttpCli1Finished();
    void finishDownload(bool succeeded, const QString& error);
    void install(const QUrl& requested, const QUrl& answered, bool encrypted);
    void resetButtons();
    void showMessage(const QString& text);

    LobbyConfig m_config;
    ProgramStarter m_start;
    RunPolicy m_mayRun;
    State m_state = State::Idle;
    QNetworkAccessManager* m_http;
    QPointer<QNetworkReply> m_reply;
    QFile m_file;
    qint64 m_written = 0;
    bool m_bodyStarted = false;
    bool m_userAborted = false;
    QString m_writeError;

    QPushButton* m_getbutton;
    QPushButton* m_abortbutton;
    QPushButton* m_button1;
    QPushButton* m_button2;
    QLabel* m_infolabel;
    QLabel* m_infolabel2;
    QLabel* m_infolabel3;
    QProgressBar* m_progress;
};

} // namespace gorse
