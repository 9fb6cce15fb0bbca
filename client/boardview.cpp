#include "client/boardview.h"

#include "client/board.h"
#include "client/boardwidgets.h"
#include "client/cardart.h"
#include "client/clientsession.h"
#include "client/keyboardplay.h"
#include "client/pwordspanel.h"
#include "client/uistyle.h"
#include "client/winnerpanel.h"
#include "settings/gameoptions.h"

#include <QAccessible>
#include <QAction>
#include <QApplication>
#include <QFrame>
#include <QKeyEvent>
#include <QLabel>
#include <QLinearGradient>
#include <QPainter>
#include <QPushButton>

namespace gorse {

namespace {

void setTextColour(QLabel* label, const QColor& colour)
{
    QPalette pal = label->palette();
    if (pal.color(QPalette::WindowText) == colour)
        return;
    pal.setColor(QPalette::WindowText, colour);
    label->setPalette(pal);
}

} // namespace

BoardView::BoardView(Board* board, ClientSession* session, QWidget* parent)
    : QWidget(parent), m_board(board), m_session(session)
{
    setObjectName(QStringLiteral("board"));
    setFixedSize(kWidth, kHeight);
    setFocusPolicy(Qt::StrongFocus);
    setAccessibleName(QStringLiteral("Board"));
    m_notify = [](QAccessibleEvent* event) { QAccessible::updateAccessibility(event); };

    const QColor white(Qt::white);
    m_playtoscore = makeLabel(QStringLiteral("label_playtoscore"), QRect(14, 11, 220, 18), 13, true,
                              Qt::AlignLeft | Qt::AlignVCenter);
    m_timeperturn = makeLabel(QStringLiteral("label_timeperturn"), QRect(284, 11, 150, 18), 13,
                              true, Qt::AlignLeft | Qt::AlignVCenter);
    m_timerBar = new TimerBar(Board::kTimerBarWidth, this);
    m_timerBar->setObjectName(QStringLiteral("image_timer"));
    m_timerBar->setAccessibleDescription(QStringLiteral("The time left in the round."));
    m_timerBar->setGeometry(14, 33, Board::kTimerBarWidth, 18);
    m_timer = makeLabel(QStringLiteral("label_timer"), QRect(17, 33, 200, 18), 13, true,
                        Qt::AlignLeft | Qt::AlignVCenter);

    m_word = new ClickLabel(this);
    m_word->setObjectName(QStringLiteral("label_word"));
    m_word->setGeometry(34, 70, 341, 44);
    m_word->setFont(arialFont(40, true));
    m_word->setAlignment(Qt::AlignCenter);
    setTextColour(m_word, white);
    connect(m_word, &ClickLabel::clicked, m_board, &Board::label_wordClick);

    m_clear =
        makeButton(QStringLiteral("buttoN_clear"), QStringLiteral("Clear"), QRect(52, 116, 88, 26));
    m_clearlast = makeButton(QStringLiteral("button_clearlast"), QStringLiteral("Clear Last"),
                             QRect(145, 116, 118, 26));
    m_done =
        makeButton(QStringLiteral("button_done"), QStringLiteral("Done"), QRect(269, 116, 88, 26));
    connect(m_clear, &QPushButton::clicked, m_board, &Board::buttoN_clearClick);
    connect(m_clearlast, &QPushButton::clicked, m_board, &Board::button_clearlastClick);
    connect(m_done, &QPushButton::clicked, m_board, &Board::button_doneClick);

    m_roundnum = makeLabel(QStringLiteral("label_roundnum"), QRect(278, 144, 120, 20), 13, true,
                           Qt::AlignLeft | Qt::AlignVCenter);
    m_theword = makeLabel(QStringLiteral("label_theword"), QRect(10, 172, 382, 20), 13, true,
                          Qt::AlignCenter);

    for (int pile = 1; pile <= kPileCount; ++pile) {
        auto* card = new CardImage(pile, this);
        card->setObjectName(QStringLiteral("image_card") + QString::number(pile));
        card->setGeometry(QRect(Board::pilePos(pile), QSize(73, 105)));
        connect(card, &CardImage::released, m_board, &Board::pileClicked);
        m_cards[pile - 1] = card;

        auto* discard = new ClickLabel(QStringLiteral("Discard"), this);
        discard->setObjectName(QStringLiteral("image_discard") + QString::number(pile));
        discard->setAccessibleName(QStringLiteral("Discard pile ") + QString::number(pile));
        discard->setAccessibleDescription(QStringLiteral("Throws the pile's card away for 5 "
                                                         "points."));
        discard->setGeometry(QRect(Board::discardPos(pile), QSize(72, 17)));
        discard->setAlignment(Qt::AlignCenter);
        discard->setFont(arialFont(11, true));
        discard->setStyleSheet(QStringLiteral("QLabel { background: #8c1c13; color: white; border: "
                                              "1px solid #e0b0a0; border-radius: 3px; }"));
        connect(discard, &ClickLabel::clicked, m_board,
                [this, pile] { m_board->discardClicked(pile); });
        m_discards[pile - 1] = discard;
    }

    m_start = makeButton(QStringLiteral("button_start"), QStringLiteral("Start"),
                         QRect(154, 199, 110, 40));
    connect(m_start, &QPushButton::clicked, m_board, &Board::startPressed);

    m_status = makeLabel(QStringLiteral("label_status"), QRect(10, 458, 420, 20), 13, true,
                         Qt::AlignCenter);
    // The pause between rounds, counted down over the emptied piles.
    m_pause = makeLabel(QStringLiteral("label_pause"), QRect(10, 262, 420, 24), 16, true,
                        Qt::AlignCenter);

    buildDiscardPanel();

    m_pwords = new PwordsPanel(m_board, m_session, this);
    m_pwords->move(17, 25);
    m_winner = new WinnerPanel(m_board, this);
    m_winner->move(29, 150);

    m_warning = makeOptionAction(QStringLiteral("warning"), QStringLiteral("Warn before discard"),
                                 &GameOptions::warning, &GameOptions::setWarning,
                                 GameOptions::Option::Warning);
    m_confirmNewGame = makeOptionAction(
        QStringLiteral("ConfirmNewGame1"), QStringLiteral("Ask Before Starting a New Game"),
        &GameOptions::confirmNewGame, &GameOptions::setConfirmNewGame,
        GameOptions::Option::ConfirmNewGame);
    m_confirmLeave =
        makeOptionAction(QStringLiteral("ConfirmLeave1"),
                         QStringLiteral("Ask Before Leaving a Game"), &GameOptions::confirmLeave,
                         &GameOptions::setConfirmLeave, GameOptions::Option::ConfirmLeave);

    m_startGame = new QAction(QStringLiteral("Start Game"), this);
    m_startGame->setObjectName(QStringLiteral("StartGame1"));
    connect(m_startGame, &QAction::triggered, m_board, &Board::startPressed);

    m_keys = new KeyboardPlay(m_board, this);
    connect(m_keys, &KeyboardPlay::changed, this, &BoardView::refresh);
    connect(m_keys, &KeyboardPlay::refused, this, [] { QApplication::beep(); });
    connect(m_board, &Board::announce, this, &BoardView::announce);

    connect(m_board, &Board::changed, this, &BoardView::refresh);
    refresh();
}

QAction* BoardView::makeOptionAction(const QString& name, const QString& text,
                                     bool (GameOptions::*get)() const,
                                     void (GameOptions::*set)(bool), GameOptions::Option option)
{
    auto* action = new QAction(text, this);
    action->setObjectName(name);
    action->setCheckable(true);
    GameOptions* options = m_board->options();
    action->setChecked((options->*get)());
    connect(action, &QAction::triggered, options, [options, set](bool on) {
        (options->*set)(on);
        options->save();
    });
    connect(options, &GameOptions::changed, action,
            [action, options, get, option](GameOptions::Option o) {
                if (o == option)
                    action->setChecked((options->*get)());
            });
    return action;
}

bool BoardView::playKey(QKeyEvent* event)
{
    if (event->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier))
        return false;
    using Key = KeyboardPlay::Key;
    Key key = Key::Other;
    switch (event->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
        key = Key::Enter;
        break;
    case Qt::Key_Backspace:
        key = Key::Backspace;
        break;
    case Qt::Key_Escape:
        key = Key::Escape;
        break;
    case Qt::Key_Delete:
        key = Key::Delete;
        break;
    default:
        break;
    }
    return m_keys->press(key, key == Key::Other ? event->text() : QString());
}

void BoardView::keyPressEvent(QKeyEvent* event)
{
    if (playKey(event))
        event->accept();
    else
        QWidget::keyPressEvent(event);
}

void BoardView::focusInEvent(QFocusEvent* event)
{
    QWidget::focusInEvent(event);
    update();
}

void BoardView::focusOutEvent(QFocusEvent* event)
{
    QWidget::focusOutEvent(event);
    update();
}

void BoardView::announce(const QString& text)
{
    if (text.isEmpty())
        return;
    m_announcement = text;
    setAccessibleDescription(text);
    QAccessibleEvent event(this, QAccessible::Alert);
    m_notify(&event);
}

QLabel* BoardView::makeLabel(const QString& name, const QRect& place, int pixelSize, bool bold,
                             Qt::Alignment align)
{
    auto* label = new QLabel(this);
    label->setObjectName(name);
    label->setGeometry(place);
    label->setFont(arialFont(pixelSize, bold));
    label->setAlignment(align);
    setTextColour(label, Qt::white);
    return label;
}

QPushButton* BoardView::makeButton(const QString& name, const QString& text, const QRect& place)
{
    auto* button = new QPushButton(text, this);
    button->setObjectName(name);
    button->setGeometry(place);
    button->setFont(arialFont(13, true));
    button->setFocusPolicy(Qt::NoFocus);
    button->setAccessibleName(text);
    return button;
}

void BoardView::buildDiscardPanel()
{
    // On panel_board when there is one, so that it is not cut off at the
    // board's right edge.
    QWidget* host = parentWidget() ? parentWidget() : this;
    m_discardPanel = new QFrame(host);
    m_discardPanel->setObjectName(QStringLiteral("panel_discard"));
    m_discardPanel->setFixedSize(287, 123);
    m_discardPanel->setStyleSheet(
        QStringLiteral("#panel_discard { background: black; border: 1px solid #808080; }"
                       "QLabel { color: white; background: transparent; }"));
    if (host != this)
        connect(this, &QObject::destroyed, m_discardPanel, &QObject::deleteLater);

    auto* question = new QLabel(
        QStringLiteral("Would you like to discard this card and lose 5 points?"), m_discardPanel);
    question->setWordWrap(true);
    question->setAlignment(Qt::AlignCenter);
    question->setFont(arialFont(13, true));
    question->setGeometry(8, 4, 271, 36);

    auto* yes = new QPushButton(QStringLiteral("Yes"), m_discardPanel);
    yes->setObjectName(QStringLiteral("button_yes"));
    yes->setGeometry(50, 46, 80, 28);
    auto* no = new QPushButton(QStringLiteral("No"), m_discardPanel);
    no->setObjectName(QStringLiteral("button_no"));
    no->setGeometry(157, 46, 80, 28);
    // Fonts of their own, so that they scale with the table (the panel's
    // style sheet fixes inherited ones).
    yes->setFont(arialFont(13, true));
    no->setFont(arialFont(13, true));
    connect(yes, &QPushButton::clicked, m_board, &Board::button_yesClick);
    connect(no, &QPushButton::clicked, m_board, &Board::button_noClick);

    auto* note =
        new QLabel(QStringLiteral("You can turn this alert off under Options."), m_discardPanel);
    note->setAlignment(Qt::AlignCenter);
    note->setFont(arialFont(11, false));
    note->setGeometry(8, 92, 271, 22);
    m_discardPanel->hide();
}

void BoardView::setDefiner(std::function<QString(const QString& word)> define)
{
    m_define = define;
    m_pwords->setDefiner(std::move(define));
    m_definedWord.clear();
    refresh();
}

void BoardView::refresh()
{
    const Board& b = *m_board;
    for (int pile = 1; pile <= kPileCount; ++pile) {
        m_cards[pile - 1]->setPicture(b.picture(pile));
        m_cards[pile - 1]->setClickable(b.canTake(pile));
        m_discards[pile - 1]->setVisible(b.discardShown(pile));
    }
    // Letters typed that wait for a card follow the word, dimmed.
    const QString pending = m_keys ? m_keys->pending() : QString();
    if (pending.isEmpty()) {
        m_word->setTextFormat(Qt::PlainText);
        m_word->setText(b.wordText());
    } else {
        m_word->setTextFormat(Qt::RichText);
        m_word->setText(b.wordText().toHtmlEscaped() +
                        QStringLiteral("<span style=\"color:#9cc8a8\">") + pending +
                        QStringLiteral("</span>"));
    }
    m_clear->setVisible(b.wordButtonsShown());
    m_clearlast->setVisible(b.wordButtonsShown());
    m_done->setVisible(b.wordButtonsShown());
    m_theword->setText(b.theWordText());
    if (m_define && b.lastWord() != m_definedWord) {
        m_definedWord = b.lastWord();
        m_theword->setToolTip(m_definedWord.isEmpty() ? QString() : m_define(m_definedWord));
    }
    m_timer->setText(b.timerText());
    setTextColour(m_timer, toQColor(b.timerColour()));
    m_timerBar->setBarWidth(b.timerBarWidth());
    m_playtoscore->setText(b.playToScoreText());
    m_timeperturn->setText(b.timePerTurnText());
    m_roundnum->setText(b.roundText());
    m_start->setVisible(b.startButtonsShown());
    m_startGame->setEnabled(b.startGameEnabled());
    const QString hint = m_keys ? m_keys->hint() : QString();
    m_status->setText(hint.isEmpty() ? b.statusText() : hint);
    m_pause->setText(b.pauseText());
    m_pause->setVisible(b.pauseLeft() > 0);

    // The board lies at (0, 0) of panel_board, so the board's place is the
    // panel's too. Moved only when it changes: the window's scaler takes a
    // move as a new place in design units.
    if (b.discardPanelPos() != m_discardPlace) {
        m_discardPlace = b.discardPanelPos();
        m_discardPanel->move(m_discardPlace);
    }
    if (b.discardPanelShown())
        m_discardPanel->raise();
    m_discardPanel->setVisible(b.discardPanelShown());

    m_pwords->refresh();
    m_winner->refresh();
    m_pwords->raise();
    m_winner->raise();
    describe();
}

void BoardView::describe()
{
    const Board& b = *m_board;
    for (int pile = 1; pile <= kPileCount; ++pile) {
        const int picture = b.picture(pile);
        const QString n = QString::number(pile);
        QString card;
        if (picture == Board::kEmptied)
            card = b.inWord(pile) ? QStringLiteral("in the word") : QStringLiteral("no card");
        else if (picture == 0)
            card = QStringLiteral("used up");
        else
            card = Board::cardFace(picture);
        CardImage* image = m_cards[pile - 1];
        image->setAccessibleName(QStringLiteral("Pile ") + n + QStringLiteral(": ") + card);
        image->setAccessibleDescription(
            b.canTake(pile) ? QStringLiteral("Click or type its letters to add it to the word.")
                            : QString());
    }
    const QString word = b.wordText();
    m_word->setAccessibleName(
        QStringLiteral("Word: ") + (word.isEmpty() ? QStringLiteral("empty") : word) +
        (m_keys->pending().isEmpty() ? QString() : QStringLiteral(", typed ") + m_keys->pending()));
    const QString timer = b.timerText();
    if (m_timer->accessibleName() != timer) {
        m_timer->setAccessibleName(timer);
        QAccessibleEvent event(m_timer, QAccessible::NameChanged);
        m_notify(&event);
    }
    m_timerBar->setAccessibleName(timer);
    setAccessibleDescription(m_announcement.isEmpty() ? b.statusText() : m_announcement);
}

void BoardView::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    QLinearGradient felt(0, 0, 0, height());
    felt.setColorAt(0, QColor(28, 70, 52));
    felt.setColorAt(1, QColor(16, 44, 34));
    p.fillRect(rect(), felt);
    if (hasFocus()) {
        // The keyboard plays here: a bright frame says so.
        p.setRenderHint(QPainter::Antialiasing);
        const qreal w = 3.0 * width() / kWidth;
        p.setPen(QPen(QColor(255, 204, 64), w));
        p.drawRoundedRect(QRectF(rect()).adjusted(w / 2, w / 2, -w / 2, -w / 2), 6, 6);
    } else {
        p.setPen(QPen(QColor(60, 110, 86), 2));
        p.drawRoundedRect(QRectF(rect()).adjusted(1, 1, -1, -1), 6, 6);
    }
}

} // namespace gorse
