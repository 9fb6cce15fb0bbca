// The main window's table as a player handles it: its size (the table scales
// with the window, View > Zoom), the keyboard focus between the board and
// the chat entry, the questions before a click ends a game, and the
// accessible names of the seats and the chat.

#include "app/tchat.h"

#include "app/gameicon.h"
#include "chat/chatlog.h"
#include "client/board.h"
#include "client/boardscaler.h"
#include "client/boardview.h"
#include "client/chatpane.h"
#include "client/clientsession.h"
#include "client/phrasebar.h"
#include "settings/gameoptions.h"

#include <QAction>
#include <QCloseEvent>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QLayout>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QScreen>

namespace gorse {

namespace {

// The client area as designed, at 100 %.
constexpr QSize kClientArea{719, 497};

} // namespace

QList<int> Tchat::zoomSteps()
{
    return {100, 125, 150, 175, 200, 250, 300};
}

QString Tchat::leaveQuestion()
{
    return QStringLiteral("Leave the game in progress?");
}

void Tchat::setupTable()
{
    m_scaler = new BoardScaler(centralWidget(), kClientArea);
    connect(m_scaler, &BoardScaler::scaleChanged, this, &Tchat::applyChatZoom);
    connect(m_chat, &ChatLog::textSizeChanged, this, &Tchat::applyChatZoom);
    connect(m_gameOptions, &GameOptions::changed, this, [this](GameOptions::Option option) {
        if (option == GameOptions::Option::Zoom)
            applyZoom(m_gameOptions->zoom());
    });

    // The keyboard plays on the board from the start; Tab goes to the chat
    // entry and back. The chat pane is read with the mouse.
    m_boardView->setFocus(Qt::OtherFocusReason);
    m_mainchat->setFocusPolicy(Qt::ClickFocus);
    setQuestion(Board::Question());

    setWindowIcon(gameIcon());

    m_mainchat->setAccessibleName(QStringLiteral("Chat"));
    m_mychat->setAccessibleName(QStringLiteral("Chat entry"));
    m_mychat->setAccessibleDescription(QStringLiteral("Type a line and press Enter to send it."));
    connect(m_chat, &ChatLog::piecesAdded, this, &Tchat::describeLastChatLine);
    applyZoom(m_gameOptions->zoom());
}

void Tchat::addZoomItems(QMenu* view)
{
    view->addSeparator();
    m_zoomIn = view->addAction(QStringLiteral("Zoom In"));
    m_zoomIn->setObjectName(QStringLiteral("ZoomIn1"));
    m_zoomIn->setShortcuts(
        {QKeySequence(Qt::CTRL | Qt::Key_Plus), QKeySequence(Qt::CTRL | Qt::Key_Equal)});
    connect(m_zoomIn, &QAction::triggered, this, &Tchat::zoomIn);
    m_zoomOut = view->addAction(QStringLiteral("Zoom Out"));
    m_zoomOut->setObjectName(QStringLiteral("ZoomOut1"));
    m_zoomOut->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Minus));
    connect(m_zoomOut, &QAction::triggered, this, &Tchat::zoomOut);
    m_actualSize = view->addAction(QStringLiteral("Actual Size"));
    m_actualSize->setObjectName(QStringLiteral("ActualSize1"));
    m_actualSize->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_0));
    connect(m_actualSize, &QAction::triggered, this, &Tchat::actualSize);
}

void Tchat::addConfirmItems(QMenu* options)
{
    options->addAction(m_boardView->confirmNewGameAction());
    options->addAction(m_boardView->confirmLeaveAction());
}

int Tchat::maxZoom() const
{
    const QScreen* shown = screen() ? screen() : QGuiApplication::primaryScreen();
    if (!shown)
        return zoomSteps().last();
    // Room for the menu bar and a window frame.
    const QSize room =
        shown->availableGeometry().size() - QSize(16, menuBar()->sizeHint().height() + 48);
    int best = zoomSteps().first();
    for (int step : zoomSteps()) {
        if (m_scaler->sizeForZoom(step / 100.0).boundedTo(room) ==
            m_scaler->sizeForZoom(step / 100.0))
            best = step;
    }
    return best;
}

void Tchat::zoomIn()
{
    const int now = m_gameOptions->zoom();
    for (int step : zoomSteps()) {
        if (step > now && step <= maxZoom()) {
            m_gameOptions->setZoom(step);
            m_gameOptions->save();
            return;
        }
    }
}

void Tchat::zoomOut()
{
    const int now = m_gameOptions->zoom();
    const QList<int> steps = zoomSteps();
    for (auto it = steps.crbegin(); it != steps.crend(); ++it) {
        if (*it < now) {
            m_gameOptions->setZoom(*it);
            m_gameOptions->save();
            return;
        }
    }
}

void Tchat::actualSize()
{
    m_gameOptions->setZoom(GameOptions::kMinZoom);
    m_gameOptions->save();
    // Back to the designed size even when the zoom already was 100 %.
    applyZoom(GameOptions::kMinZoom);
}

void Tchat::applyZoom(int percent)
{
    if (!m_scaler)
        return;
    // A zoom the screen cannot hold would make a window larger than it.
    percent = qMin(percent, maxZoom());
    m_scaler->setZoom(percent / 100.0);
    // The window's own minimum follows the table's before it is resized.
    if (layout())
        layout()->activate();
    if (!isMaximized() && !isFullScreen()) {
        const QSize client = m_scaler->sizeForZoom(percent / 100.0);
        resize(client.width(), client.height() + menuBar()->sizeHint().height());
    }
    m_scaler->update();
    if (m_zoomIn) {
        m_zoomIn->setEnabled(percent < maxZoom());
        m_zoomOut->setEnabled(percent > GameOptions::kMinZoom);
    }
}

void Tchat::applyChatZoom()
{
    // The chat text size is the player's, in points; the table's scale
    // makes it larger with everything else.
    QTextDocument* document = m_mainchat->document();
    QFont font = document->defaultFont();
    font.setPointSizeF(m_chat->textSize() * m_scaler->scale());
    document->setDefaultFont(font);
}

void Tchat::setQuestion(Board::Question ask)
{
    if (!ask) {
        ask = [this](const QString& text) {
            return QMessageBox::question(this, QStringLiteral("Gorse"), text,
                                         QMessageBox::Yes | QMessageBox::No,
                                         QMessageBox::No) == QMessageBox::Yes;
        };
    }
    m_ask = ask;
    m_boardCore->setQuestion(std::move(ask));
}

bool Tchat::ask(const QString& text)
{
    return !m_ask || m_ask(text);
}

void Tchat::closeAtOnce()
{
    m_closingAtOnce = true;
    close();
}

void Tchat::closeEvent(QCloseEvent* event)
{
    // Leaving a running game gives up the seat (and for the hosting player
    // ends everybody's game): ask first. A spy loses nothing.
    const bool playing = isSeat(m_session->ownNumber()) || m_session->hosting();
    if (!m_closingAtOnce && m_boardCore->gameRunning() && playing &&
        m_gameOptions->confirmLeave() && !ask(leaveQuestion())) {
        event->ignore();
        return;
    }
    QMainWindow::closeEvent(event);
    emit closed();
}

void Tchat::keyPressEvent(QKeyEvent* event)
{
    // Keys nobody else took (the chat pane has the focus, or nothing has)
    // are meant for the board; not those an entry lets through (its Enter
    // and Escape).
    const QWidget* focus = focusWidget();
    const bool typing = focus && focus->testAttribute(Qt::WA_InputMethodEnabled);
    if (!typing && m_boardView->playKey(event))
        event->accept();
    else
        QMainWindow::keyPressEvent(event);
}

bool Tchat::focusNextPrevChild(bool next)
{
    // Tab goes round the board, the chat entry, the phrase buttons, the
    // smiley and the sound button; Shift+Tab the other way. So the board and
    // the entry are one key apart either way.
    const QList<QWidget*> ring = QList<QWidget*>{m_boardView, m_mychat} + m_phraseBar->focusOrder();
    const qsizetype at = ring.indexOf(focusWidget());
    const qsizetype to =
        at < 0 ? (next ? 0 : 1) : (at + (next ? 1 : ring.size() - 1)) % ring.size();
    ring[to]->setFocus(next ? Qt::TabFocusReason : Qt::BacktabFocusReason);
    return true;
}

void Tchat::describeSeats()
{
    for (int n = 1; n <= kSeatCount; ++n) {
        const Seat& seat = m_session->seat(n);
        const QString number = QString::number(n);
        const QString description =
            QStringLiteral("Total %1, this round %2%3")
                .arg(seat.total)
                .arg(seat.roundPoints)
                .arg(seat.bonus.isEmpty() ? QString() : QStringLiteral(", last ") + seat.bonus);
        QLabel* name = findChild<QLabel*>(QStringLiteral("label_playername") + number);
        if (!name)
            continue;
        name->setAccessibleName(QStringLiteral("Seat ") + number + QStringLiteral(": ") +
                                seat.shownName());
        name->setAccessibleDescription(description);
        const std::pair<const char*, const char*> columns[] = {
            {"label_score", "total"}, {"label_thisturn", "this round"}, {"label_bonus", "last"}};
        for (const auto& [prefix, what] : columns) {
            if (QLabel* label = findChild<QLabel*>(QLatin1StringView(prefix) + number)) {
                label->setAccessibleName(QStringLiteral("Seat ") + number + u' ' +
                                         QLatin1StringView(what) + QStringLiteral(": ") +
                                         label->text());
            }
        }
    }
}

void Tchat::describeLastChatLine(int first)
{
    // The newest line, for screen readers that read the pane's description.
    QString line;
    const QList<ChatPiece>& pieces = m_chat->pieces();
    for (qsizetype i = first; i < pieces.size(); ++i)
        line += pieces[i].text;
    m_mainchat->setAccessibleDescription(QStringLiteral("Last line: ") + line.trimmed());
}

} // namespace gorse
