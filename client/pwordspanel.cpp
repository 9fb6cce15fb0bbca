#include "client/pwordspanel.h"

#include "client/board.h"
#include "client/clientsession.h"
#include "client/uistyle.h"

#include <QHelpEvent>
#include <QLabel>
#include <QPlainTextEdit>
#include <QRegularExpression>
#include <QTextBlock>
#include <QToolButton>
#include <QToolTip>

namespace gorse {

namespace {
constexpr int kColumnWidth = 128;
constexpr int kColumnGap = 6;
constexpr int kRowTop[2] = {36, 218};
constexpr int kMemoHeight = 154;
} // namespace

PwordsPanel::PwordsPanel(Board* board, ClientSession* session, QWidget* parent)
    : QFrame(parent), m_board(board), m_session(session)
{
    setObjectName(QStringLiteral("panel_pwords"));
    setFixedSize(406, 432);
    setFrameShape(QFrame::Box);
    setAutoFillBackground(true);
    setStyleSheet(QStringLiteral("#panel_pwords { background: #20303c; border: 2px solid #c0c0c0; }"
                                 "QLabel { color: white; }"));

    auto* title = new QLabel(QStringLiteral("PLAYER'S WORDS"), this);
    title->setFont(arialFont(16, true));
    title->setAlignment(Qt::AlignCenter);
    title->setGeometry(0, 6, width(), 22);

    m_close = new QToolButton(this);
    m_close->setObjectName(QStringLiteral("FlatSpeedButton1"));
    m_close->setText(QStringLiteral("X"));
    m_close->setAutoRaise(true);
    m_close->setFont(arialFont(13, true));
    m_close->setGeometry(width() - 28, 4, 24, 22);
    m_close->setAccessibleName(QStringLiteral("Close the played words"));
    connect(m_close, &QToolButton::clicked, m_board, &Board::closePlayedWords);

    const QFont headingFont = arialFont(12, true);
    for (int i = 0; i < kSeatCount; ++i) {
        const int x = 8 + (i % 3) * (kColumnWidth + kColumnGap);
        const int y = kRowTop[i / 3];
        const QString n = QString::number(i + 1);
        auto* heading = new QLabel(this);
        heading->setObjectName(QStringLiteral("label_pwords") + n);
        heading->setFont(headingFont);
        heading->setGeometry(x, y, kColumnWidth, 18);
        heading->setAccessibleDescription(QStringLiteral("Seat ") + n);
        auto* memo = new QPlainTextEdit(this);
        memo->setObjectName(QStringLiteral("memo_pwords") + n);
        memo->setReadOnly(true);
        memo->setFont(arialFont(12));
        memo->setGeometry(x, y + 20, kColumnWidth, kMemoHeight);
        // The lists keep the system's colours (and so a high-contrast theme).
        memo->setAccessibleName(QStringLiteral("Words of seat ") + n);
        memo->viewport()->installEventFilter(this);
        m_headings[i] = heading;
        m_memos[i] = memo;
    }
    // The best word the player's first cards allowed, and the pause before
    // the next round, counted down, under the lists.
    m_suggestion = new QLabel(this);
    m_suggestion->setObjectName(QStringLiteral("label_bestword"));
    m_suggestion->setFont(arialFont(12));
    m_suggestion->setAlignment(Qt::AlignCenter);
    m_suggestion->setGeometry(8, 393, width() - 16, 18);
    m_suggestion->setStyleSheet(QStringLiteral("QLabel { color: #f0d060; }"));

    m_nextRound = new QLabel(this);
    m_nextRound->setObjectName(QStringLiteral("label_nextround"));
    m_nextRound->setFont(arialFont(12, true));
    m_nextRound->setAlignment(Qt::AlignCenter);
    m_nextRound->setGeometry(8, 411, width() - 16, 18);

    connect(m_session->table(), &Table::seatsChanged, this, &PwordsPanel::refresh);
    refresh();
}

QString PwordsPanel::wordOfLine(const QString& line)
{
    static const QRegularExpression played(QStringLiteral("^\\d+: (\\S+)$"));
    const auto match = played.match(line);
    return match.hasMatch() ? match.captured(1) : QString();
}

bool PwordsPanel::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() != QEvent::ToolTip || !m_define)
        return QFrame::eventFilter(watched, event);
    for (QPlainTextEdit* memo : m_memos) {
        if (memo->viewport() != watched)
            continue;
        const auto* help = static_cast<QHelpEvent*>(event);
        const QString word = wordOfLine(memo->cursorForPosition(help->pos()).block().text());
        if (word.isEmpty())
            QToolTip::hideText();
        else
            QToolTip::showText(help->globalPos(), m_define(word), memo->viewport());
        return true;
    }
    return QFrame::eventFilter(watched, event);
}

void PwordsPanel::refresh()
{
    setVisible(m_board->playedWordsShown());
    m_nextRound->setText(m_board->pauseText());
    m_suggestion->setText(m_board->suggestionText());
    for (int i = 0; i < kSeatCount; ++i) {
        m_headings[i]->setText(m_session->seat(i + 1).heading);
        m_headings[i]->setAccessibleName(QStringLiteral("Seat ") + QString::number(i + 1) +
                                         QStringLiteral(": ") + m_session->seat(i + 1).heading);
        const QString text = m_board->playedWords(i + 1).join(u'\n');
        if (m_memos[i]->toPlainText() != text)
            m_memos[i]->setPlainText(text);
    }
}

} // namespace gorse
