#include "windows/tdownload.h"

#include "settings/paths.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QMessageBox>
#include <QNetworkAccessManager>
#include <QNetworkProxy>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QPainter>
#include <QPainterPath>
#include <QProcess>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QVBoxLayout>
#include <algorithm>
#include <limits>

namespace gorse {

namespace {

const QString kDownloadAborted = QStringLiteral("Download Aborted");
// A transfer that receives nothing for this long ends with an error.
constexpr int kStallTimeoutMs = 60000;

int httpStatus(const QNetworkReply* reply)
{
    return reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
}

// The lobby's picture: a lobby building at dusk with a table of letter cards
// in front of it, painted here rather than shipped as an image.
class LobbyPicture : public QWidget
{
public:
    explicit LobbyPicture(QWidget* parent) : QWidget(parent)
    {
        setObjectName(QStringLiteral("Image1"));
        setFixedSize(436, 360);
    }

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter p(this);
        p.setRenderHint(QPainter::Antialiasing);
        QLinearGradient sky(0, 0, 0, 290);
        sky.setColorAt(0, QColor(0x24, 0x1c, 0x4a));
        sky.setColorAt(1, QColor(0xf0, 0x9a, 0x4a));
        p.fillRect(rect(), sky);
        p.fillRect(QRect(0, 286, width(), height() - 286), QColor(0x3b, 0x58, 0x2c));

        // The building: a roof, a facade with lit windows and a shut door.
        QPainterPath roof;
        roof.moveTo(62, 96);
        roof.lineTo(218, 30);
        roof.lineTo(374, 96);
        roof.closeSubpath();
        p.fillPath(roof, QColor(0x8c, 0x2b, 0x24));
        p.fillRect(QRect(86, 96, 264, 192), QColor(0xea, 0xdf, 0xc8));
        for (const QRect& window : {QRect(108, 150, 52, 44), QRect(276, 150, 52, 44)}) {
            p.fillRect(window, QColor(0xff, 0xd8, 0x6b));
            p.setPen(QPen(QColor(0x5a, 0x3a, 0x1e), 3));
            p.drawRect(window);
            p.drawLine(window.center().x(), window.top(), window.center().x(), window.bottom());
        }
        p.fillRect(QRect(184, 186, 68, 102), QColor(0x6b, 0x3f, 0x1f));
        p.setBrush(QColor(0xd8, 0xb0, 0x40));
        p.setPen(Qt::NoPen);
        p.drawEllipse(QPoint(240, 240), 4, 4);
        QFont sign(QStringLiteral("Arial"));
        sign.setBold(true);
        sign.setPixelSize(22);
        p.setFont(sign);
        p.setPen(QColor(0x24, 0x1c, 0x4a));
        p.drawText(QRect(86, 102, 264, 36), Qt::AlignCenter, QStringLiteral("THE VELMAR LOBBY"));

        // Five cards on the lawn spell the word.
        QFont face(QStringLiteral("Arial"));
        face.setBold(true);
        face.setPixelSize(26);
        p.setFont(face);
        const QString letters = QStringLiteral("LOBBY");
        for (int i = 0; i < letters.size(); ++i) {
            p.save();
            p.translate(98 + i * 60, 322);
            p.rotate((i - 2) * 6);
            const QRectF card(-22, -30, 44, 60);
            p.setPen(QPen(QColor(0x40, 0x40, 0x40), 1.5));
            p.setBrush(QColor(0xfb, 0xf6, 0xe6));
            p.drawRoundedRect(card, 5, 5);
            p.setPen(QColor(0x1c, 0x3f, 0x7a));
            p.drawText(card, Qt::AlignCenter, letters.mid(i, 1));
            p.restore();
        }
    }
};

QFrame* whitePanel(QWidget* parent)
{
    auto* panel = new QFrame(parent);
    panel->setFrameShape(QFrame::StyledPanel);
    panel->setAutoFillBackground(true);
    QPalette white = panel->palette();
    white.setColor(QPalette::Window, Qt::white);
    white.setColor(QPalette::WindowText, Qt::black);
    panel->setPalette(white);
    return panel;
}

QLabel* makeLabel(QWidget* parent, const QString& name, const QString& text)
{
    auto* label = new QLabel(text, parent);
    label->setObjectName(name);
    label->setTextFormat(Qt::PlainText);
    label->setWordWrap(true);
    return label;
}

QPushButton* makeButton(QWidget* parent, const QString& name, const QString& text)
{
    auto* button = new QPushButton(text, parent);
    button->setObjectName(name);
    return button;
}

} // namespace

bool startDetachedProgram(const QString& program, const QStringList& arguments)
{
    return QProcess::startDetached(program, arguments);
}

Tdownload::Tdownload(LobbyConfig config, ProgramStarter start, QWidget* parent)
    : QDialog(parent, Qt::Tool | Qt::WindowStaysOnTopHint), m_config(std::move(config)),
      m_start(std::move(start)), m_mayRun(&downloadMayRun)
{
    // Never the current directory.
    if (m_config.downloadDir.isEmpty() || QDir::isRelativePath(m_config.downloadDir))
        m_config.downloadDir = dataDir();

    setObjectName(QStringLiteral("Tdownload"));
    setWindowTitle(QStringLiteral("Download The Velmar Lobby"));
    m_http = new QNetworkAccessManager(this);
    m_http->setProxy(QNetworkProxy::NoProxy);
    m_http->setTransferTimeout(kStallTimeoutMs);

    QFrame* left = whitePanel(this);
    auto* picture = new LobbyPicture(left);
    auto* label2 = makeLabel(picture, QStringLiteral("Label2"), QStringLiteral("IS CLOSED"));
    label2->setWordWrap(false);
    label2->setAlignment(Qt::AlignCenter);
    label2->setStyleSheet(QStringLiteral("background: #b01e1e; color: white; font: bold 15px "
                                         "Arial; border: 2px solid white;"));
    label2->setGeometry(158, 206, 120, 28);
    auto* label1 = makeLabel(left, QStringLiteral("Label1"),
                             QStringLiteral("Download The Velmar Lobby Now to play this  and "
                                            "other exciting games online with other players! "));
    QFont bold = label1->font();
    bold.setBold(true);
    label1->setFont(bold);
    m_getbutton = makeButton(left, QStringLiteral("getbutton"),
                             QStringLiteral("Download And Install The Velmar Lobby Now"));
    m_abortbutton =
        makeButton(left, QStringLiteral("abortbutton"), QStringLiteral("Stop Download"));
    m_infolabel3 = makeLabel(left, QStringLiteral("infolabel3"), QString());
    m_infolabel = makeLabel(left, QStringLiteral("infolabel"), QString());
    m_infolabel2 = makeLabel(left, QStringLiteral("infolabel2"), QString());
    m_infolabel2->hide();
    m_progress = new QProgressBar(left);
    m_progress->setObjectName(QStringLiteral("progressbar"));
    m_progress->hide();

    auto* leftLayout = new QVBoxLayout(left);
    leftLayout->addWidget(picture, 0, Qt::AlignHCenter);
    leftLayout->addWidget(label1);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(m_getbutton, 1);
    buttons->addWidget(m_abortbutton);
    leftLayout->addLayout(buttons);
    leftLayout->addWidget(m_infolabel3);
    leftLayout->addWidget(m_infolabel);
    leftLayout->addWidget(m_progress);
    leftLayout->addStretch(1);

    QFrame* solo = whitePanel(this);
    auto* label7 = makeLabel(solo, QStringLiteral("Label7"),
                             QStringLiteral("To proceed to the game without the ability to play "
                                            "against others click the button below."));
    m_button1 = makeButton(solo, QStringLiteral("Button1"), QStringLiteral("Play Solo Game"));
    auto* label3 = makeLabel(
        solo, QStringLiteral("Label3"),
        QStringLiteral("Note: Even if you are playing offline, you will need to configure your "
                       "FIREWALL to allow the game to access the internet components."));
    auto* soloLayout = new QVBoxLayout(solo);
    soloLayout->addWidget(label7);
    soloLayout->addWidget(m_button1);
    soloLayout->addWidget(label3);
    soloLayout->addStretch(1);

    QFrame* others = whitePanel(this);
    auto* label5 = makeLabel(
        others, QStringLiteral("Label5"),
        QStringLiteral("If you already have The Velmar Lobby and you wish to play with others "
                       "then click the button below to close this game and open The Velmar "
                       "Lobby."));
    m_button2 = makeButton(others, QStringLiteral("Button2"), QStringLiteral("Play with Others"));
    auto* othersLayout = new QVBoxLayout(others);
    othersLayout->addWidget(label5);
    othersLayout->addWidget(m_button2);
    othersLayout->addStretch(1);

    auto* right = new QVBoxLayout;
    right->addWidget(solo, 1);
    right->addWidget(others, 1);
    auto* layout = new QHBoxLayout(this);
    layout->addWidget(left);
    layout->addLayout(right);
    setFixedWidth(760);

    // Enter plays on alone.
    for (QPushButton* b : {m_getbutton, m_abortbutton, m_button2})
        b->setAutoDefault(false);
    m_button1->setDefault(true);
    m_button1->setFocus();

    connect(m_getbutton, &QPushButton::clicked, this, &Tdownload::getbuttonClick);
    connect(m_abortbutton, &QPushButton::clicked, this, &Tdownload::abortbuttonClick);
    connect(m_button1, &QPushButton::clicked, this, &Tdownload::Button1Click);
    connect(m_button2, &QPushButton::clicked, this, &Tdownload::Button2Click);

    const QString problem = downloadUrlProblem(m_config.downloadUrl);
    m_getbutton->setToolTip(problem);
    m_infolabel->setText(problem);
    resetButtons();
}

Tdownload::~Tdownload()
{
    // The program is closing: the transfer ends here, and what arrived so
    // far stays on disk.
    if (QNetworkReply* reply = m_reply) {
        reply->disconnect(this);
        HttpCli1DocData();
        reply->abort();
    }
    m_file.close();
}

void Tdownload::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    if (QScreen* s = screen())
        move(s->availableGeometry().center() - QPoint(width() / 2, height() / 2));
}

void Tdownload::resetButtons()
{
    m_getbutton->setEnabled(downloadUrlProblem(m_config.downloadUrl).isEmpty());
    m_abortbutton->setEnabled(false);
}

void Tdownload::showMessage(const QString& text)
{
    if (!isVisible())
        show();
    auto* box = new QMessageBox(QMessageBox::Information, QStringLiteral("Gorse"), text,
                                QMessageBox::Ok, this);
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->open();
}

void Tdownload::getbuttonClick()
{
    if (m_reply)
        return;
    const QString problem = downloadUrlProblem(m_config.downloadUrl);
    if (!problem.isEmpty()) {
        showMessage(problem);
        return;
    }
    const QString name = installerFileName(m_config.downloadUrl);
    m_infolabel2->setText(name);
    const QString path = QDir(m_config.downloadDir).filePath(name);
    m_file.close();
    m_file.setFileName(path);
    if (!m_file.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        showMessage(QStringLiteral("Cannot create file ") + QDir::toNativeSeparators(path));
        return;
    }

    m_state = State::Running;
    m_written = 0;
    m_bodyStarted = false;
    m_userAborted = false;
    m_writeError.clear();
    m_getbutton->setEnabled(false);
    m_abortbutton->setEnabled(true);
    m_infolabel3->clear();
    m_infolabel->setText(QStringLiteral("Loading"));
    m_progress->hide();

    QNetworkRequest request(m_config.downloadUrl);
    request.setHeader(QNetworkRequest::UserAgentHeader, QStringLiteral("Mozilla/3.0 (compatible)"));
    request.setRawHeader("Accept", "image/gif, image/x-xbitmap, image/jpeg, image/pjpeg, */*");
    request.setAttribute(QNetworkRequest::Http2AllowedAttribute, false);
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute,
                         QNetworkRequest::NoLessSafeRedirectPolicy);
    m_reply = m_http->get(request);
    connect(m_reply, &QNetworkReply::metaDataChanged, this, &Tdownload::HttpCli1HeaderData);
    connect(m_reply, &QNetworkReply::readyRead, this, &Tdownload::HttpCli1DocData);
    connect(m_reply, &QNetworkReply::finished, this, &Tdownload::HttpCli1Finished);
}

void Tdownload::HttpCli1HeaderData()
{
    if (!m_reply)
        return;
    // One dot per header line, as they used to trickle in.
    m_infolabel->setText(m_infolabel->text() +
                         QString(m_reply->rawHeaderPairs().size(), QLatin1Char('.')));
    const int status = httpStatus(m_reply);
    if (!m_bodyStarted && status >= 200 && status < 300) {
        m_bodyStarted = true;
        m_infolabel3->setText(QStringLiteral("Downloading: ") + m_infolabel2->text());
    }
}

void Tdownload::HttpCli1DocData()
{
    if (!m_reply)
        return;
    const QByteArray data = m_reply->readAll();
    // An error page or a redirect's body is not the installer.
    if (!m_bodyStarted || data.isEmpty() || !m_writeError.isEmpty())
        return;
    if (m_file.write(data) != data.size()) {
        m_writeError = m_file.errorString();
        m_reply->abort();
        return;
    }
    m_written += data.size();
    m_infolabel->setText(QString::number(m_written) + QStringLiteral(" bytes"));
    const qint64 total = m_reply->header(QNetworkRequest::ContentLengthHeader).toLongLong();
    if (total > 0) {
        // Counted in KiB when the size is past the bar's int range.
        const int shift = total > std::numeric_limits<int>::max() ? 10 : 0;
        m_progress->setRange(0, int(total >> shift));
        m_progress->setValue(int(std::min(m_written, total) >> shift));
        m_progress->show();
    }
}

void Tdownload::HttpCli1Finished()
{
    QNetworkReply* reply = m_reply;
    if (!reply)
        return;
    HttpCli1DocData();
    m_reply = nullptr;
    reply->deleteLater();

    const int status = httpStatus(reply);
    const qint64 expected = reply->header(QNetworkRequest::ContentLengthHeader).toLongLong();
    QString problem;
    if (!m_writeError.isEmpty())
        problem = QStringLiteral("Cannot write file %1: %2")
                      .arg(QDir::toNativeSeparators(m_file.fileName()), m_writeError);
    else if (status >= 400)
        problem = QString(); // shown as "Download Aborted" only
    else if (reply->error() != QNetworkReply::NoError)
        problem = QStringLiteral("The download failed: ") + reply->errorString();
    else if (!m_bodyStarted)
        problem = QStringLiteral("The server sent no file (HTTP status %1).").arg(status);
    else if (expected > 0 && m_written != expected)
        problem =
            QStringLiteral("The download ended after %1 of %2 bytes.").arg(m_written).arg(expected);
    const bool succeeded =
        status > 0 && status < 400 && problem.isEmpty() && reply->error() == QNetworkReply::NoError;
    finishDownload(succeeded, problem);
    if (succeeded)
        install(reply->request().url(), reply->url(),
                reply->attribute(QNetworkRequest::ConnectionEncryptedAttribute).toBool());
}

void Tdownload::finishDownload(bool succeeded, const QString& error)
{
    m_file.flush();
    if (succeeded) {
        m_infolabel->setText(QStringLiteral("Received ") + QString::number(m_file.size()) +
                             QStringLiteral(" bytes"));
    } else {
        m_state = State::Aborted;
        if (!m_userAborted) {
            m_infolabel->setText(kDownloadAborted);
            m_infolabel3->setText(kDownloadAborted);
        }
    }
    m_file.close();
    // A failure before the first byte leaves no empty file behind.
    if (!succeeded && m_written == 0)
        m_file.remove();
    m_progress->hide();
    resetButtons();
    if (!error.isEmpty())
        showMessage(error);
}

void Tdownload::install(const QUrl& requested, const QUrl& answered, bool encrypted)
{
    const QString path = m_file.fileName();
    if (!m_mayRun(requested, answered, encrypted)) {
        m_infolabel3->setText(QStringLiteral("Saved, not started"));
        showMessage(QStringLiteral("The Velmar Lobby installer came over an unencrypted "
                                   "connection, so it was not started. It was saved as %1")
                        .arg(QDir::toNativeSeparators(path)));
        return;
    }
    m_infolabel3->setText(QStringLiteral("Installing"));
    QFile::setPermissions(path, QFile::permissions(path) | QFileDevice::ExeOwner |
                                    QFileDevice::ExeUser | QFileDevice::ReadOwner);
    if (!m_start(path, QStringList{QStringLiteral("/SP-"), QStringLiteral("/silent"),
                                   QStringLiteral("/noicons")})) {
        showMessage(QStringLiteral("An Error has Occurred."));
        return;
    }
    emit leaveGame();
}

void Tdownload::abortbuttonClick()
{
    if (QNetworkReply* reply = m_reply) {
        // Ends at once: the reply is dropped here rather than when it reports.
        reply->disconnect(this);
        HttpCli1DocData();
        m_reply = nullptr;
        reply->abort();
        reply->deleteLater();
        m_userAborted = true;
        finishDownload(false, QString());
    }
    m_infolabel->setText(QStringLiteral("Download has been aborted."));
    m_state = State::Aborted;
    m_infolabel3->setText(kDownloadAborted);
}

void Tdownload::Button1Click()
{
    close();
}

void Tdownload::Button2Click()
{
    const QFileInfo lobby(m_config.lobbyProgram);
    if (m_config.lobbyProgram.isEmpty() || !lobby.isFile() || !lobby.isExecutable()) {
        showMessage(QStringLiteral("Please close the game and open the Velmar Lobby using the "
                                   "icon on your desktop or using the your Window's start-up "
                                   "menu."));
        return;
    }
    if (!m_start(lobby.absoluteFilePath(), m_config.lobbyArguments)) {
        showMessage(QStringLiteral("An Error has Occurred."));
        return;
    }
    emit leaveGame();
}

} // namespace gorse
