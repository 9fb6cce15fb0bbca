#include "client/boardview.h"

#include "client/board.h"
#include "client/boardwidgets.h"
#include "client/cardart.h"
#include "client/clientsession.h"
#include "client/pwordspanel.h"
#include "client/uistyle.h"
#include "client/winnerpanel.h"
#include "settings/gameoptions.h"

#include <QAction>
#include <QFrame>
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

    const QColor white(Qt::white);
    m_playtoscore = makeLabel(QStringLiteral("label_playtoscore"), QRect(14, 11, 220, 18), 13, true,
                              Qt::AlignLeft | Qt::AlignVCenter);
    m_timeperturn = makeLabel(QStringLiteral("label_timeperturn"), QRect(284, 11, 150, 18), 13,
                              true, Qt::AlignLeft | Qt::AlignVCenter);
    m_timerBar = new TimerBar(this);
    m_timerBar->setObjectName(QStringLiteral("image_timer"));
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

    buildDiscardPanel();

    m_pwords = new PwordsPanel(m_board, m_session, this);
    m_pwords->move(17, 25);
    m_winner = new WinnerPanel(m_board, this);
    m_winner->move(29, 150);

    m_warning = new QAction(QStringLiteral("Warn before discard"), this);
    m_warning->setObjectName(QStringLiteral("warning"));
    m_warning->setCheckable(true);
    GameOptions* options = m_board->options();
    m_warning->setChecked(options->warning());
    connect(m_warning, &QAction::triggered, options, [options](bool on) {
        options->setWarning(on);
        options->save();
    });
    connect(options, &GameOptions::changed, m_warning, [this, options](GameOptions::Option o) {
        if (o == GameOptions::Option::Warning)
            m_warning->setChecked(options->warning());
    });

    m_startGame = new QAction(QStringLiteral("Start Game"), this);
    m_startGame->setObjectName(QStringLiteral("StartGame1"));
    connect(m_startGame, &QAction::triggered, m_board, &Board::startPressed);

    connect(m_board, &Board::changed, this, &BoardView::refresh);
    refresh();
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
    connect(yes, &QPushButton::clicked, m_board, &Board::button_yesClick);
    connect(no, &QPushButton::clicked, m_board, &Board::button_noClick);

    auto* note =
        new QLabel(QStringLiteral("You can turn this alert off under Options."), m_discardPanel);
    note->setAlignment(Qt::AlignCenter);
    note->setFont(arialFont(11, false));
    note->setGeometry(8, 92, 271, 22);
    m_discardPanel->hide();
}

void BoardView::refresh()
{
    const Board& b = *m_board;
    for (int pile = 1; pile <= kPileCount; ++pile) {
        const int picture = b.picture(pile);
        m_cards[pile - 1]->setPicture(picture == Board::kEmptied ? CardArt::emptiedSlot()
                                                                 : CardArt::picture(picture));
        m_discards[pile - 1]->setVisible(b.discardShown(pile));
    }
    m_word->setText(b.wordText());
    m_clear->setVisible(b.wordButtonsShown());
    m_clearlast->setVisible(b.wordButtonsShown());
    m_done->setVisible(b.wordButtonsShown());
    m_theword->setText(b.theWordText());
    m_timer->setText(b.timerText());
    setTextColour(m_timer, toQColor(b.timerColour()));
    m_timerBar->setBarWidth(b.timerBarWidth());
    m_playtoscore->setText(b.playToScoreText());
    m_timeperturn->setText(b.timePerTurnText());
    m_roundnum->setText(b.roundText());
    m_start->setVisible(b.startButtonsShown());
    m_startGame->setEnabled(b.startGameEnabled());
    m_status->setText(b.statusText());

    QPoint panelPos = b.discardPanelPos();
    if (m_discardPanel->parentWidget() != this)
        panelPos = mapToParent(panelPos);
    m_discardPanel->move(panelPos);
    if (b.discardPanelShown())
        m_discardPanel->raise();
    m_discardPanel->setVisible(b.discardPanelShown());

    m_pwords->refresh();
    m_winner->refresh();
    m_pwords->raise();
    m_winner->raise();
}

void BoardView::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    QLinearGradient felt(0, 0, 0, height());
    felt.setColorAt(0, QColor(28, 70, 52));
    felt.setColorAt(1, QColor(16, 44, 34));
    p.fillRect(rect(), felt);
    p.setPen(QPen(QColor(60, 110, 86), 2));
    p.drawRoundedRect(QRectF(rect()).adjusted(1, 1, -1, -1), 6, 6);
}

} // namespace gorse
