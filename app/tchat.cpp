#include "app/tchat.h"

#include "chat/chatlog.h"
#include "client/board.h"
#include "client/boardview.h"
#include "client/chatentry.h"
#include "client/chatpane.h"
#include "client/clientsession.h"
#include "client/gameclient.h"
#include "client/phrasebar.h"
#include "client/uistyle.h"
#include "game/chatcolour.h"
#include "settings/gameoptions.h"
#include "settings/optionsmenu.h"
#include "settings/settingsbinding.h"
#include "sound/cuerouter.h"
#include "sound/soundcues.h"
#include "windows/tgamestart.h"
#include "windows/tphrases.h"
#include "windows/tspylist.h"
#include "windows/ttallylist.h"

#include <QApplication>
#include <QContextMenuEvent>
#include <QFrame>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QTimer>

namespace gorse {

namespace {

const QColor kFormColour = toQColor(12362917);   // 0xA5, 0xA4, 0xBC
const QColor kTextColour = toQColor(8081175);    // 0x17, 0x4F, 0x7B
const QColor kOddRowColour = toQColor(14668498); // 0xD2, 0xD2, 0xDF
constexpr int kSeatX = 445;

QLabel* makeLabel(QWidget* parent, const QString& name, const QString& text, const QRect& place)
{
    auto* label = new QLabel(text, parent);
    label->setObjectName(name);
    label->setGeometry(place);
    return label;
}

} // namespace

Tchat::Tchat(const LaunchOptions& options, HostStarter startHost, GameClient* client,
             QWidget* parent)
    : QMainWindow(parent), m_options(options), m_startHost(std::move(startHost)), m_client(client),
      m_gameOptions(client->options()), m_chat(client->chat()), m_session(client->session()),
      m_boardCore(client->board())
{
    GameOptions* gameOptions = m_gameOptions;
    setObjectName(QStringLiteral("Tchat"));
    setWindowTitle(QStringLiteral("Gorse"));
    setFont(arialFont(13));
    QPalette form = palette();
    form.setColor(QPalette::Window, kFormColour);
    form.setColor(QPalette::WindowText, kTextColour);
    setPalette(form);

    auto* central = new QWidget(this);
    central->setAutoFillBackground(true);
    setCentralWidget(central);
    m_board = new QFrame(central);
    m_board->setObjectName(QStringLiteral("panel_board"));
    m_board->setGeometry(8, 8, 704, 482);
    m_board->setFrameShape(QFrame::StyledPanel);
    // The client area never shrinks below the board plus 15 by 12 pixels.
    central->setMinimumSize(704 + 15, 482 + 12);
    resize(719, 497 + menuBar()->sizeHint().height());

    // The board: piles, word, clock, start controls and the round results.
    m_boardView = new BoardView(m_boardCore, m_session, m_board);
    connect(m_boardCore, &Board::notConnected, this, [this](const QString& text) {
        QMessageBox::information(this, QStringLiteral("Gorse"), text);
    });

    // The chat: the pane, the entry and the row of phrase, smiley and sound
    // buttons under it.
    m_mainchat = new ChatPane(m_chat, m_board);
    m_mainchat->setObjectName(QStringLiteral("mainchat"));
    m_mainchat->setGeometry(kSeatX, 146, 252, 282);
    m_mychat = new ChatEntry(m_session, gameOptions, m_board);
    m_mychat->setGeometry(kSeatX, 432, 252, 22);
    m_phraseBar = new PhraseBar(m_session, gameOptions, m_mychat, m_board);
    m_phraseBar->setGeometry(kSeatX, 458, 252, 22);
    connect(m_mainchat, &ChatPane::focusChatEntry, m_mychat, [this] { m_mychat->setFocus(); });

    createSeatRows();
    createMenus();

    connect(m_session->table(), &Table::seatsChanged, this, &Tchat::refreshSeats);
    refreshSeats();
    connect(m_session, &ClientSession::connectionClosed, this, &Tchat::closeAtOnce);
    connect(m_session, &ClientSession::gameFull, this, [this] {
        // Shown without waiting: the session ends the program when it is
        // answered, or a while after the host closed the connection.
        auto* box = new QMessageBox(QMessageBox::Information, QStringLiteral("Gorse"),
                                    QStringLiteral("Game is full"), QMessageBox::Ok, this);
        box->setAttribute(Qt::WA_DeleteOnClose);
        connect(box, &QMessageBox::finished, m_session, &ClientSession::noticeDismissed);
        box->open();
    });
    connect(m_session, &ClientSession::logLine, this,
            [](const QString& line) { qWarning("gorse: %s", qPrintable(line)); });
    setupTable();
}

Tchat::~Tchat() = default;

void Tchat::createSeatRows()
{
    const QFont heading = arialFont(11, true);
    const QStringList titles{QStringLiteral("TOTAL"), QStringLiteral("TURN"),
                             QStringLiteral("WORD")};
    for (int c = 0; c < 3; ++c) {
        QLabel* title =
            makeLabel(m_board, QString(), titles[c], QRect(kSeatX + 96 + c * 52, 2, 50, 14));
        title->setFont(heading);
        title->setStyleSheet(QStringLiteral("color: silver;"));
        title->setAlignment(Qt::AlignCenter);
    }
    const QFont rowFont = arialFont(13, true);
    m_popupKick = new QMenu(this);
    m_popupKick->setObjectName(QStringLiteral("popup_kick"));
    m_removeFromGame = m_popupKick->addAction(QStringLiteral("Remove From Game"));
    m_removeFromGame->setObjectName(QStringLiteral("RemoveFromGame1"));
    connect(m_removeFromGame, &QAction::triggered, this, &Tchat::RemoveFromGame1Click);

    for (int n = 1; n <= kSeatCount; ++n) {
        const int y = 18 + (n - 1) * 20 + (n - 1) / 2;
        const QColor back = n % 2 ? kOddRowColour : QColor(Qt::white);
        const QString style = QStringLiteral("background: %1; color: black;").arg(back.name());
        SeatLabels& labels = m_seatLabels[n - 1];
        labels.name = makeLabel(m_board, QStringLiteral("label_playername%1").arg(n), QString(),
                                QRect(kSeatX, y, 94, 20));
        labels.score = makeLabel(m_board, QStringLiteral("label_score%1").arg(n), QString(),
                                 QRect(kSeatX + 96, y, 50, 20));
        labels.thisturn = makeLabel(m_board, QStringLiteral("label_thisturn%1").arg(n), QString(),
                                    QRect(kSeatX + 148, y, 50, 20));
        labels.bonus = makeLabel(m_board, QStringLiteral("label_bonus%1").arg(n), QString(),
                                 QRect(kSeatX + 200, y, 50, 20));
        for (QLabel* label : {labels.name, labels.score, labels.thisturn, labels.bonus}) {
            label->setFont(rowFont);
            label->setStyleSheet(style);
            label->setAutoFillBackground(true);
        }
        // The score shows once somebody sat in the seat.
        labels.score->hide();
        labels.name->setProperty("seat", n);
        if (n >= 2)
            labels.name->installEventFilter(this);
    }
}

void Tchat::createMenus()
{
    QMenu* file = menuBar()->addMenu(QStringLiteral("&File"));
    file->setObjectName(QStringLiteral("File1"));
    file->addAction(m_boardView->startGameAction());
    file->addSeparator();
    QAction* exit = file->addAction(QStringLiteral("Exit"));
    exit->setObjectName(QStringLiteral("Exit1"));
    connect(exit, &QAction::triggered, this, &QWidget::close);

    QMenu* options = menuBar()->addMenu(QStringLiteral("&Options"));
    options->setObjectName(QStringLiteral("Options1"));
    options->addAction(m_mainchat->optionsScrollChatOffAction());
    options->addAction(m_mainchat->optionsClearAction());
    options->addAction(m_mainchat->textColorAction());
    options->addMenu(m_mainchat->textSizeMenu());
    options->addSeparator();
    m_optionItems = new OptionsMenuItems(m_gameOptions, this);
    m_optionItems->addTo(options);
    options->addAction(m_boardView->warningAction());
    connect(m_optionItems, &OptionsMenuItems::resetScreenLocation, this,
            [this] { SettingsBinding::placeWindow(this, GameOptions::kInitialBounds); });
    addConfirmItems(options);

    QMenu* view = menuBar()->addMenu(QStringLiteral("&View"));
    view->setObjectName(QStringLiteral("View1"));
    m_spyListAction = view->addAction(QStringLiteral("Spy List"));
    m_spyListAction->setObjectName(QStringLiteral("SpyList1"));
    connect(m_spyListAction, &QAction::triggered, this, [this] {
        if (m_spylist) {
            m_spylist->show();
            m_spylist->raise();
        }
    });
    QAction* tally = view->addAction(QStringLiteral("View Tally"));
    tally->setObjectName(QStringLiteral("ViewTally1"));
    connect(tally, &QAction::triggered, this, [this] {
        if (m_tally)
            m_tally->ViewTally1Click();
    });
    QAction* phrases = view->addAction(QStringLiteral("Phrase List"));
    phrases->setObjectName(QStringLiteral("PrhaseList1"));
    connect(phrases, &QAction::triggered, this, [this] {
        if (m_phrases)
            m_phrases->PrhaseList1Click();
    });
    addZoomItems(view);

    QMenu* help = menuBar()->addMenu(QStringLiteral("&Help"));
    QAction* helpItem = help->addAction(QStringLiteral("Help"));
    helpItem->setShortcut(QKeySequence(Qt::Key_F1));
    connect(helpItem, &QAction::triggered, this, [this] {
        if (m_help)
            m_help->show();
    });
    QAction* about = help->addAction(QStringLiteral("About"));
    connect(about, &QAction::triggered, this, [this] {
        if (m_about)
            m_about->show();
    });
}

QAction* Tchat::StartGame1() const
{
    return m_boardView->startGameAction();
}

void Tchat::setGameStartWindow(Tgamestart* gamestart)
{
    connect(m_boardCore, &Board::showGameOptions, gamestart, &Tgamestart::showDialog);
}

void Tchat::setSpyList(Tspylist* spylist)
{
    m_spylist = spylist;
}

void Tchat::refreshSeats()
{
    for (int n = 1; n <= kSeatCount; ++n) {
        const Seat& seat = m_session->seat(n);
        SeatLabels& labels = m_seatLabels[n - 1];
        labels.name->setText(seat.shownName());
        labels.score->setText(QString::number(seat.total));
        labels.thisturn->setText(QString::number(seat.roundPoints));
        labels.bonus->setText(seat.bonus);
        if (seat.taken)
            labels.score->show();
    }
    describeSeats();
}

void Tchat::showEvent(QShowEvent* event)
{
    QMainWindow::showEvent(event);
    if (!m_paramsProcessed) {
        m_paramsProcessed = true;
        // Once the window is on screen, so nothing stands in its way.
        QTimer::singleShot(0, this, &Tchat::processparams);
    }
}

void Tchat::processparams()
{
    m_boardCore->setStartControlsVisible(false);
    using Mode = LaunchOptions::Mode;
    if (m_options.mode == Mode::Solo) {
        m_chat->addSystemLine(QStringLiteral("Loading Solo Game..Please wait."));
        if (m_download)
            m_download->show();
        hostpress();
        return;
    }
    m_chat->addSystemLine(QStringLiteral("Loading Multi-player Game.. Please Wait."));
    if (m_options.mode == Mode::Host)
        hostpress();
    else if (m_options.mode == Mode::Join)
        joinpress();
    if (m_options.fromCommandLine())
        m_session->openSideConnection();
}

void Tchat::hostpress()
{
    if (m_startHost) {
        const QString error = m_startHost(m_options.port);
        if (!error.isEmpty()) {
            hostingFailed(error);
            return;
        }
    }
    m_session->setHosting(true);
    m_session->connectTo(QStringLiteral("127.0.0.1"), m_options.port, m_options.playerName);
    m_boardCore->setStartControlsVisible(true);
}

void Tchat::hostingFailed(const QString& error)
{
    // Most likely another program listens on the port: whatever answers
    // there is not this copy's game, so nothing connects.
    const QString text =
        QStringLiteral("Cannot host a game on port %1 (%2). Another program may be using that "
                       "port; start Gorse with --port and another number, for example "
                       "--port %3.")
            .arg(m_options.port)
            .arg(error)
            .arg(m_options.port == 65535 ? 7773 : m_options.port + 1);
    m_chat->addSystemLine(text);
    qWarning("gorse: cannot host on port %u: %s", m_options.port, qPrintable(error));
    auto* box =
        new QMessageBox(QMessageBox::Warning, QStringLiteral("Gorse"), text, QMessageBox::Ok, this);
    box->setObjectName(QStringLiteral("hostingFailedBox"));
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->setWindowModality(Qt::NonModal);
    box->show();
}

void Tchat::joinpress()
{
    m_session->connectTo(m_options.hostAddress, m_options.port, m_options.playerName);
    m_boardCore->setStartControlsVisible(false);
}

void Tchat::bringToFront()
{
    if (isMinimized())
        showNormal();
    show();
    raise();
    activateWindow();
    qInfo("gorse: brought to the front by another copy");
}

void Tchat::prepareKickMenu(int seat)
{
    m_kickSeat = seat;
    m_removeFromGame->setEnabled(m_session->canRemoveSeat(seat));
}

void Tchat::RemoveFromGame1Click()
{
    if (m_kickSeat >= 2)
        m_session->kicking(m_kickSeat);
}

bool Tchat::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::ContextMenu) {
        const int seat = watched->property("seat").toInt();
        if (seat >= 2) {
            prepareKickMenu(seat);
            m_popupKick->popup(static_cast<QContextMenuEvent*>(event)->globalPos());
            return true;
        }
    }
    return QMainWindow::eventFilter(watched, event);
}

} // namespace gorse
