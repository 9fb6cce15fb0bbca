#pragma once

#include "windows/lobbyconfig.h"

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
